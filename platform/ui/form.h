#pragma once
// The base of every window form: its life cycle, the routing of Qt events to the form's handlers,
// deferred focus moves and its place in the main window's MDI area.
//
// Life cycle
//   Load()      runs Form_Load() once; the form is loaded from then on (isLoaded()). A child
//               form (setMdiChild) shows itself in the MDI area as soon as it is loaded, as the
//               main window's children do; loading a loaded form changes nothing.
//   Show()      loads when needed, shows the form (inside the MDI area when it is an MDI child)
//               and makes it the active form.
//   Unload()    runs Form_QueryUnload and Form_Unload; a non-zero Cancel keeps the form as it was
//               and Unload returns false. Otherwise the form is hidden, taken out of the MDI area
//               and marked unloaded (signal unloaded()). Closing the window by its frame (or the
//               frame of its MDI subwindow) goes through Unload with vbFormControlMenu.
//   A form shown in a window of its own opens centred on the screen unless it was moved before.
//   showModal() shows the form as a modal window and returns once it is unloaded. When a modal
//               runner is set (setModalRunner), the runner is called instead of an event loop.
//   Form_Activate() / Form_Deactivate() run when the form becomes / stops being the active form:
//               when it is shown, when its MDI subwindow is activated, when one of its controls
//               gets the focus (as when the user comes back to its window), and when the window
//               that was active in its place unloads. Message boxes and other windows that are
//               not forms deactivate nothing. Unloading runs no Deactivate; the next child form
//               of the area (or, after a form in a window of its own, the active child form)
//               is activated once the unloading form is gone.
//   The form object survives Unload (a later Load runs Form_Load again on the same controls);
//   the main window's registry makes a new one instead, so that a form opened again starts as
//   designed (MDIMenu::form).
//
// Event routing (connect a control's events to the form's handlers, usually in the constructor)
//   onKeyPress(w, fn)  fn(int& KeyAscii) for printable characters and Enter = 13, Esc = 27,
//                      Backspace = 8, Ctrl+letter = 1..26. Set KeyAscii to 0 to swallow the key;
//                      set another value to type that character instead (e.g. upper-casing).
//   onGotFocus / onLostFocus   focus changes, except those caused by window activation, a pop-up
//                      or the menu bar.
//   onChange           text changes of text boxes, masked boxes and editable combos, typed or set
//                      by the program.
//   onClick            buttons; a choice in a combo's list (for a DBCombo: a pick in its list);
//                      a click on a list item; a tab change; a left click on any other widget.
//   onDblClick         double click on a list or grid item, or on any other widget.
// Every routed handler runs inside a HandlerScope. An exception that escapes a handler is shown
// as a critical message box (the run-time error) and the program goes on.
//
// Focus
//   SetFocus(w) inside a handler is queued and takes effect, in order, after the outermost
//   handler has returned; the GotFocus/LostFocus handlers it triggers run then. A handler that
//   redirects the focus therefore never runs inside itself. At most kFocusCascadeLimit moves are
//   made in a row; the rest of a runaway cascade is dropped with a warning.
//   A move asked for by the LostFocus of the field left waits for the field arrived at: that one
//   is entered and then left for the move (A lost, B got, B lost, C got, each once). B is only
//   passed through: the field the leaving handler chose wins over the one clicked, so B's
//   handlers run with their notices unshown (ui::QuietNotices) and their focus moves dropped,
//   and the click that brought the focus to B does nothing more (it opens no list, presses no
//   button). The same holds for a press on a control whose own guard sent the focus elsewhere.
//   Outside any handler SetFocus moves the focus at once.
//   Tests that call a handler directly can wrap the call in runHandler() to get the same order as
//   a real event.
//
// Enter never presses a default button of a form. Enter on a focused command button clicks it.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace ui {

// Why a form unloads (the UnloadMode of Form_QueryUnload).
constexpr int vbFormControlMenu = 0;   // closed by the user through the window frame
constexpr int vbFormCode = 1;          // Unload called by the program
constexpr int vbAppWindows = 2;
constexpr int vbAppTaskManager = 3;
constexpr int vbFormMDIForm = 4;       // the main window is unloading its child forms

constexpr int kFocusCascadeLimit = 16;

namespace detail { class Router; }

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Life cycle.
    void Load();
    void Show();
    void Hide();                       // hides without unloading
    bool Unload(int unloadMode = vbFormCode);
    void showModal();
    bool isLoaded() const { return loaded_; }
    // Loaded once and unloaded since: what it shows belongs to an opening that is over.
    bool wasUnloaded() const { return everLoaded_ && !loaded_; }
    bool isModal() const { return modal_; }   // shown by showModal() and not yet back

    // Handlers of the life cycle; forms override the ones they use.
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    virtual void Form_QueryUnload(int& Cancel, int UnloadMode) { Q_UNUSED(Cancel); Q_UNUSED(UnloadMode); }
    virtual void Form_Unload(int& Cancel) { Q_UNUSED(Cancel); }

    // MDI: a child form shows inside the MDI area (its own, or the main one).
    void setMdiChild(bool child) { mdiChild_ = child; }
    bool isMdiChild() const { return mdiChild_; }
    void setMdiArea(QMdiArea* area);
    QMdiArea* mdiArea() const;          // the form's own area, else the main one (may be null)
    QMdiSubWindow* subWindow() const { return subWindow_; }

    // Focus (see above).
    void SetFocus(QWidget* widget);
    // The control the form's focus is in, as its handlers saw it (null before the first).
    QWidget* focusedField() const;

    // The form's own mouse pointer (0 default, 11 hourglass ...), see mouse_pointer.h.
    void setMousePointer(int pointer);
    int mousePointer() const { return mousePointer_; }

    // Event routing (see above). A later registration of the same event for the same widget
    // replaces the earlier one.
    void onKeyPress(QWidget* widget, std::function<void(int& KeyAscii)> handler);
    void onGotFocus(QWidget* widget, std::function<void()> handler);
    void onLostFocus(QWidget* widget, std::function<void()> handler);
    void onChange(QWidget* widget, std::function<void()> handler);
    void onClick(QWidget* widget, std::function<void()> handler);
    void onDblClick(QWidget* widget, std::function<void()> handler);

signals:
    void loaded();
    void unloaded();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class ActivationTracker;
    void showNormalOrChild();
    void fieldEntered(QWidget* control);
    void centreIfUnplaced();
    void detachFromMdi();

    detail::Router* router_;
    QPointer<QWidget> owner_;
    QPointer<QMdiArea> area_;
    QPointer<QMdiSubWindow> subWindow_;
    bool loaded_ = false;
    bool everLoaded_ = false;
    bool unloading_ = false;
    bool modal_ = false;
    bool mdiChild_ = false;
    int mousePointer_ = 0;
};

// Marks the code that runs as a handler: focus moves requested meanwhile wait until the outermost
// scope ends.
class HandlerScope {
public:
    HandlerScope();
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;
};

// Runs fn as a handler: inside a HandlerScope, with an escaping exception shown as a run-time
// error message box.
void runHandler(const std::function<void()>& fn);

// Requests a focus move (Form::SetFocus calls this).
void SetFocus(QWidget* widget);

// A guard's refusal: the message box, then the focus to the field that wants mending. Within one
// user action the same refusal (the same prompt sending the focus to the same field) is shown
// once: a chain of guards that comes to it again only moves the focus.
void Refuse(QWidget* field, const QString& prompt, int style, const QString& title = {});

// The form that is active now (null when none).
Form* activeForm();

// Told of every field the router leaves (entered false) or enters (true) for a form's handlers,
// whether or not the form has a handler for it: a trace of the focus as the forms see it, for
// the tests and for a focus problem. An empty function turns it off.
void setFocusTrace(std::function<void(QWidget* control, bool entered)> trace);

// When set, showModal() calls the runner (after loading and showing the form) instead of waiting
// in an event loop; the runner drives the form and unloads it. An empty function removes it.
void setModalRunner(std::function<void(Form&)> runner);

// The main window's MDI area, where child forms show when they have no area of their own.
void setMainMdiArea(QMdiArea* area);
QMdiArea* mainMdiArea();

// Unloads the child forms of the area, most recently active first, and stops at the first one
// that cancels (returning false); the ones before it stay unloaded.
bool unloadMdiChildren(QMdiArea* area, int unloadMode = vbFormMDIForm);

} // namespace ui
