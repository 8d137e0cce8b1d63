#pragma once
// The program's main window: a multiple-document frame whose menus lead to every function, and
// the registry of the program's forms.
//
// Forms. Every form is one program-wide instance, made on first use:
//   MDIMenu::form<frmX>()      the instance (made when needed, not loaded). A form that was
//                              unloaded is replaced by a new instance, so that opening it again
//                              starts as designed: controls as laid out, state as declared. What
//                              a form keeps across an unload it takes over from the old instance
//                              in a member keepAcrossUnload(const frmX& previous); the old one is
//                              deleted once the program is idle.
//   MDIMenu::findForm<frmX>()  the instance, or nullptr when none was made
//   MDIMenu::loadForm<frmX>()  loads it (a child form shows itself); loading a loaded form
//                              changes nothing, so it does not come forward
//   MDIMenu::showForm<frmX>()  loads and shows it; an open form comes to the front
// A form class derives from ui::Form and can be made with no arguments (or with a parent widget,
// which the registry leaves null: a form must not be disabled together with the main window).
// The instances live until the main window is destroyed (or the application object, when no
// main window was ever made).
//
// Menu locking. A form switches entries through the one main window, which may be missing
// (a form tested on its own):
//   if (MDIMenu* menu = MDIMenu::instance()) menu->mn00104->setEnabled(false);
// or, for several entries at once (does nothing without a main window):
//   MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00104}, false);
// The database-location dialog and the about box switch the whole window the same way
// (instance()->setEnabled(...)).
//
// Shutdown. "&Salida", the window's close box and Unload() unload every child form first (most
// recently active first; each runs its own Form_Unload and may cancel, which stops the shutdown),
// then every other loaded form of the registry, then close the help window and the main window.
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <typeindex>
#include <typeinfo>

#include "platform/ui/form.h"

class QAction;
class QMdiArea;
class QMenu;

namespace Ui {
class MDIMenu;
}

class MDIMenu : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIMenu(QWidget* parent = nullptr);
    ~MDIMenu() override;

    // The share of the screen's free area the window opens at, centred.
    static constexpr double kScreenShare = 0.8;

    // The one main window; nullptr when there is none.
    static MDIMenu* instance();

    // The form registry (see above).
    template <class F> static F* findForm();
    template <class F> static F* form();
    template <class F> static F* loadForm();
    template <class F> static F* showForm();

    // Switches several menu entries at once; nothing happens when there is no main window.
    static void setEntriesEnabled(std::initializer_list<QAction* MDIMenu::*> entries, bool enabled);

    // Unloads the main window as "&Salida" does: false when a form refused to unload (the
    // window then stays as it is).
    bool Unload();
    bool isUnloaded() const { return unloaded_; }

    // Deletes every form of the registry (the main window does so when it is destroyed).
    static void releaseForms();

    QMdiArea* mdiArea;

    // Menus and their entries, in display order (separators included).
    QMenu* mn001;
    QAction* mn00301;
    QAction* mn00104;
    QAction* mn00109;
    QAction* mn00199;
    QMenu* mn004;
    QAction* mn00101;
    QAction* mn00102;
    QAction* mn00103;
    QMenu* mn002;
    QAction* mn00201;
    QAction* ISR;
    QAction* mn002666;
    QAction* mn00202;
    QAction* mn00203;
    QAction* mn0026661;
    QAction* mn00204;
    QMenu* mn005;
    QAction* mn00501;
    QMenu* mn009;
    QAction* mn00901;
    QAction* mn00903;
    QAction* mn00999;
    QAction* mn00902;

    // The backdrop image and the same image scaled to the client area (the MDI area's background).
    const QImage& picOriginal() const { return picOriginal_; }
    const QImage& picStretched() const { return picStretched_; }

    // Handlers.
    void MDIForm_Load();
    void MDIForm_Resize();
    void MDIForm_UnLoad(int& Cancel);
    void mn00301_Click();
    void mn00104_Click();
    void mn00199_Click();
    void mn00101_Click();
    void mn00102_Click();
    void mn00103_Click();
    void mn00201_Click();
    void ISR_Click();
    void mn00202_Click();
    void mn00203_Click();
    void mn00204_Click();
    void mn00501_Click();
    void mn00901_Click();
    void mn00903_Click();
    void mn00902_Click();

signals:
    // The main window has unloaded (the program ends).
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool unloadForms();
    static ui::Form* registeredForm(std::type_index type);
    static void registerForm(std::type_index type, ui::Form* form);
    static QList<ui::Form*> registeredForms();

    std::unique_ptr<Ui::MDIMenu> ui_;
    QImage picOriginal_;
    QImage picStretched_;
    bool unloading_ = false;
    bool unloaded_ = false;
};

template <class F> F* MDIMenu::findForm()
{
    static_assert(std::is_base_of_v<ui::Form, F>, "a registered form derives from ui::Form");
    return static_cast<F*>(registeredForm(std::type_index(typeid(F))));
}

template <class F> F* MDIMenu::form()
{
    F* existing = findForm<F>();
    if (existing && !existing->wasUnloaded())
        return existing;
    F* made;
    if constexpr (std::is_default_constructible_v<F>)
        made = new F();
    else
        made = new F(nullptr);
    if (existing) {
        if constexpr (requires(F& fresh, const F& previous) { fresh.keepAcrossUnload(previous); })
            made->keepAcrossUnload(*existing);
        existing->deleteLater();
    }
    registerForm(std::type_index(typeid(F)), made);
    return made;
}

template <class F> F* MDIMenu::loadForm()
{
    F* f = form<F>();
    f->Load();
    return f;
}

template <class F> F* MDIMenu::showForm()
{
    F* f = form<F>();
    f->Show();
    return f;
}
