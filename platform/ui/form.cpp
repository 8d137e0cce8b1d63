#include "platform/ui/form.h"

#include "platform/basic/basic.h"
#include "platform/db/db_error.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/masked_box.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/sizing.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace ui {

// ---------------------------------------------------------------------------------------------
// Handler depth and the queue of focus moves.

namespace {

struct FocusState {
    int depth = 0;
    bool draining = false;
    int passing = 0;   // handlers of a field passed through are running: their moves are dropped
    QList<QPointer<QWidget>> queue;
    // The refusals given in this user action: prompt and the field they sent the focus to.
    QList<QPair<QString, QPointer<QWidget>>> refusals;
};

FocusState& focusState()
{
    static FocusState state;
    return state;
}

std::function<void(QWidget*, bool)>& focusTrace()
{
    static std::function<void(QWidget*, bool)> trace;
    return trace;
}

std::function<void(Form&)>& modalRunner()
{
    static std::function<void(Form&)> runner;
    return runner;
}

QPointer<QMdiArea>& mainArea()
{
    static QPointer<QMdiArea> area;
    return area;
}

void noteFocusMove(QWidget* widget);

void applyFocus(QWidget* widget)
{
    QWidget* window = widget->window();
    if (window->isVisible() && !window->isActiveWindow())
        window->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
    // When the window is not active yet (a message box has just closed and the window manager
    // hands the activation back later), Qt delivers the focus only with the activation. The move
    // was asked for now, so its handlers run now; the focus-in that comes with the activation
    // then finds the move made and runs nothing.
    noteFocusMove(widget);
}

void drainFocusQueue()
{
    FocusState& s = focusState();
    s.draining = true;
    int moves = 0;
    while (!s.queue.isEmpty()) {
        QPointer<QWidget> widget = s.queue.takeFirst();
        if (!widget)
            continue;
        if (++moves > kFocusCascadeLimit) {
            qWarning("Focus moves stopped after %d in a row (runaway cascade); last target: %s",
                     kFocusCascadeLimit, qPrintable(widget->objectName()));
            s.queue.clear();
            break;
        }
        applyFocus(widget);
    }
    s.draining = false;
}

// Gives a modal form's handlers a handler stack of their own: the caller that opened it is still
// inside its handler, and its pending focus moves wait until the modal form has closed.
class FocusFrame {
public:
    FocusFrame() : saved_(std::move(focusState())) { focusState() = FocusState(); }
    ~FocusFrame() { focusState() = std::move(saved_); }
private:
    FocusState saved_;
};

void reportRunTimeError(int number, const QString& description)
{
    const QString text = number ? QStringLiteral("Se ha producido el error '%1' en tiempo de ejecución:\n\n%2")
                                      .arg(number)
                                      .arg(description)
                                : QStringLiteral("Se ha producido un error en tiempo de ejecución:\n\n%1").arg(description);
    MsgBox(text, vbCritical);
}

// Where a focus widget is: its form (none for a message box, another window, the main window's
// menu bar) and the control it belongs to. A combo's line edit and its open list belong to the
// combo, the edit of a spin box to the spin box; any other widget is a control of its own.
struct FocusPlace {
    Form* form = nullptr;
    QWidget* control = nullptr;
};

FocusPlace placeOf(QWidget* widget)
{
    // The focus in a hidden widget (the list of a combo closed before, which a platform may hand
    // the focus to when another pop-up closes) is in no field.
    if (!widget->isVisible())
        return {};
    QWidget* control = widget;
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* form = qobject_cast<Form*>(w))
            return {form, control};
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w))
            control = w;
        // A pop-up (a combo's list, a context menu) belongs to the widget that opened it; any
        // other window (a message box over the form) is not part of the form.
        if (w->isWindow() && w->windowType() != Qt::Popup)
            return {};
    }
    return {};
}

int keyAsciiOf(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete: return 0;
    }
    const Qt::KeyboardModifiers mods = event.modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && event.key() >= Qt::Key_A
        && event.key() <= Qt::Key_Z)
        return event.key() - Qt::Key_A + 1;
    if ((mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0)
        return 0;
    const QString text = event.text();
    if (text.size() != 1)
        return 0;
    const ushort c = text.at(0).unicode();
    if (c < 32 || c == 127)
        return 0;
    return c;
}

int qtKeyOf(int keyAscii)
{
    switch (keyAscii) {
    case 13: return Qt::Key_Return;
    case 27: return Qt::Key_Escape;
    case 8: return Qt::Key_Backspace;
    }
    const QChar c(keyAscii);
    if (keyAscii < 128 && c.isLetter())
        return Qt::Key_A + (c.toUpper().unicode() - 'A');
    return c.toUpper().unicode();
}

QString textOf(int keyAscii)
{
    return QString(QChar(keyAscii));
}

} // namespace

// The outermost scope is one user action (a key, a click, a focus change and every focus move
// that follows from it): the refusals it gives are remembered for its length only.
HandlerScope::HandlerScope()
{
    FocusState& s = focusState();
    if (s.depth++ == 0 && !s.draining)
        s.refusals.clear();
}

HandlerScope::~HandlerScope()
{
    FocusState& s = focusState();
    if (--s.depth != 0 || s.draining)
        return;
    if (!s.queue.isEmpty())
        drainFocusQueue();
    s.refusals.clear();
}

void runHandler(const std::function<void()>& fn)
{
    HandlerScope scope;
    try {
        fn();
    } catch (const db::DbError& e) {
        reportRunTimeError(e.number(), e.description());
    } catch (const basic::RuntimeError& e) {
        reportRunTimeError(e.number(), e.description());
    } catch (const std::exception& e) {
        reportRunTimeError(0, QString::fromLocal8Bit(e.what()));
    }
}

void SetFocus(QWidget* widget)
{
    if (!widget)
        return;
    FocusState& s = focusState();
    // A field passed through on the way to where a leaving handler sent the focus sends it
    // nowhere else.
    if (s.passing > 0)
        return;
    s.queue.append(widget);
    if (s.depth == 0 && !s.draining)
        drainFocusQueue();
}

void Refuse(QWidget* field, const QString& prompt, int style, const QString& title)
{
    FocusState& s = focusState();
    const auto refusal = qMakePair(prompt, QPointer<QWidget>(field));
    if (!s.refusals.contains(refusal)) {
        s.refusals.append(refusal);
        MsgBox(prompt, style, title);
    }
    SetFocus(field);
}

void setFocusTrace(std::function<void(QWidget*, bool)> trace)
{
    focusTrace() = std::move(trace);
}

void setModalRunner(std::function<void(Form&)> runner)
{
    modalRunner() = std::move(runner);
}

// ---------------------------------------------------------------------------------------------
// Which form is active.

class ActivationTracker {
public:
    static ActivationTracker& instance()
    {
        static ActivationTracker tracker;
        return tracker;
    }

    void setActive(Form* form)
    {
        if (active_ == form)
            return;
        QPointer<Form> previous = active_;
        active_ = form;
        if (previous && previous->loaded_)
            runHandler([&] { previous->Form_Deactivate(); });
        if (form && form->loaded_ && active_ == form)
            runHandler([&] { form->Form_Activate(); });
    }

    // An unloading form stops being the active one without a Deactivate. When a window of its own
    // goes away, the active MDI child becomes the active form again.
    void forget(Form* form)
    {
        if (active_ != form)
            return;
        active_ = nullptr;
        if (form->subWindow_)
            return;
        if (QMdiArea* area = mainArea()) {
            if (QMdiSubWindow* window = area->activeSubWindow() ? area->activeSubWindow() : area->currentSubWindow()) {
                auto* child = qobject_cast<Form*>(window->widget());
                if (child && child != form && child->loaded_)
                    setActive(child);
            }
        }
    }

    // While a child form is taken out of its area, the area's own choice of the next active
    // window waits: the unloading form finishes first (see Form::Unload).
    bool suspended = false;

    // Makes the area's active child the active form, activating the most recent one when the
    // area has none active.
    void syncWithArea(QMdiArea* area)
    {
        if (!area)
            return;
        if (!area->activeSubWindow()) {
            const QList<QMdiSubWindow*> rest = area->subWindowList(QMdiArea::ActivationHistoryOrder);
            if (!rest.isEmpty())
                area->setActiveSubWindow(rest.last());
        }
        if (QMdiSubWindow* window = area->activeSubWindow()) {
            auto* form = qobject_cast<Form*>(window->widget());
            if (form && form->loaded_)
                setActive(form);
        }
    }

    // The form that holds the focus widget is the active one: this notices the return to a
    // window whose activation no other signal reports (the main window after a dialog form).
    // Then the form hears which of its controls has the focus now.
    void watchFocus()
    {
        if (watchingFocus_ || !qApp)
            return;
        watchingFocus_ = true;
        QObject::connect(qApp, &QApplication::focusChanged, qApp, [this](QWidget*, QWidget* now) {
            if (now)
                focusArrived(now);
        });
    }

    // The focus is (or is to be, when its window comes back) in widget: the form it belongs to
    // becomes the active one and its field handlers run when the field changed.
    void focusArrived(QWidget* widget)
    {
        if (suspended)
            return;
        const FocusPlace place = placeOf(widget);
        if (!place.form || !place.form->loaded_)
            return;
        QPointer<Form> form = place.form;
        setActive(form);
        if (form && form->loaded_)
            form->fieldEntered(place.control);
    }

    void hook(QMdiArea* area)
    {
        watchFocus();
        if (!area || area->property("zalActivationHooked").toBool())
            return;
        area->setProperty("zalActivationHooked", true);
        QObject::connect(area, &QMdiArea::subWindowActivated, area, [this](QMdiSubWindow* window) {
            // A null window means the area lost the activation to another window (a message box,
            // a dialog): that is no change of the active form.
            if (!window || suspended)
                return;
            auto* form = qobject_cast<Form*>(window->widget());
            if (form && form->loaded_)
                setActive(form);
        });
    }

    Form* active() const { return active_; }

private:
    QPointer<Form> active_;
    bool watchingFocus_ = false;
};

namespace {

void noteFocusMove(QWidget* widget)
{
    if (widget && widget->isVisible() && widget->isEnabled())
        ActivationTracker::instance().focusArrived(widget);
}

} // namespace

Form* activeForm()
{
    return ActivationTracker::instance().active();
}

void setMainMdiArea(QMdiArea* area)
{
    mainArea() = area;
    ActivationTracker::instance().hook(area);
}

QMdiArea* mainMdiArea()
{
    return mainArea();
}

bool unloadMdiChildren(QMdiArea* area, int unloadMode)
{
    if (!area)
        return true;
    const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        auto* form = qobject_cast<Form*>((*it)->widget());
        if (form && form->isLoaded() && !form->Unload(unloadMode))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Event routing.

namespace detail {

class Router : public QObject {
public:
    explicit Router(QObject* parent) : QObject(parent) {}

    // Off once the form is being destroyed: its handlers belong to parts already gone.
    bool enabled = true;

    // A routed handler call.
    void call(const std::function<void()>& handler) const
    {
        if (enabled && handler)
            runHandler(handler);
    }

    // The GotFocus or LostFocus of a field a focus move enters or leaves. A field only passed
    // through gives no notice, and the focus moves it asks for are dropped.
    void callFocus(const std::function<void()>& handler, bool passing) const
    {
        struct PassingThrough {
            PassingThrough() { ++focusState().passing; }
            ~PassingThrough() { --focusState().passing; }
            QuietNotices quiet;
        };
        if (!passing) {
            call(handler);
            return;
        }
        PassingThrough through;
        call(handler);
    }

    // The focus has moved to control, a control of this form. Leaving a field and entering
    // another are what the form hears of it: a window losing and getting back the activation,
    // and a combo opening or closing its own list, leave the field as it was, so they run
    // nothing, however many focus events Qt sends for them. The two handlers run in one scope:
    // the moves they ask for are made once both have run.
    // When the field left sends the focus elsewhere, the field arrived at is passed through: it
    // has the focus until that move is made, so it is entered and then left like any other
    // (A left, B entered, B left, C entered, each once), but quietly: the field the leaving
    // handler chose wins over the one clicked, so B's guards show no notice and move the focus
    // nowhere; what else its handlers do (state they reset, a lookup) is done.
    void fieldEntered(QWidget* control)
    {
        // The field the focus is in already, or the one being entered: a message box of the
        // leaving handler hands the focus back to it when it closes.
        if (!enabled || control == field_)
            return;
        const QPointer<QWidget> left = field_;
        const bool wasEntered = entered_;
        const bool leftInPassing = passing_;
        field_ = control;
        entered_ = false;
        passing_ = false;
        HandlerScope scope;
        const QList<QPointer<QWidget>>& queue = focusState().queue;
        const qsizetype queued = queue.size();
        if (left && wasEntered) {
            if (focusTrace())
                focusTrace()(left, false);
            const auto it = routes_.constFind(left.data());
            if (it != routes_.constEnd())
                callFocus(it->lostFocus, leftInPassing);
        }
        // A message box of the leaving handler may have handed the focus to another field when it
        // closed: that one has been entered instead.
        if (field_ != control)
            return;
        entered_ = true;
        passing_ = queue.size() > queued && queue.last() != control;
        if (focusTrace())
            focusTrace()(control, true);
        const auto it = routes_.constFind(control);
        if (it != routes_.constEnd())
            callFocus(it->gotFocus, passing_);
    }

    QWidget* field() const { return field_; }

    struct Routes {
        std::function<void(int&)> keyPress;
        std::function<void()> gotFocus;
        std::function<void()> lostFocus;
        std::function<void()> mouseClick;      // for widgets without a click signal
        std::function<void()> mouseDblClick;   // for widgets without a double-click signal
        QMetaObject::Connection change;
        QMetaObject::Connection click;
        QMetaObject::Connection dblClick;
    };

    Routes& routesOf(QWidget* widget)
    {
        if (!routes_.contains(widget)) {
            widget->installEventFilter(this);
            // An editable combo hands its keys to its line edit; keys sent straight to the line
            // edit are routed to the combo's handler too.
            if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->lineEdit()) {
                keyAliases_.insert(combo->lineEdit(), widget);
                combo->lineEdit()->installEventFilter(this);
            }
            connect(widget, &QObject::destroyed, this, [this, widget] {
                routes_.remove(widget);
                for (auto it = keyAliases_.begin(); it != keyAliases_.end();)
                    it = it.value() == widget ? keyAliases_.erase(it) : std::next(it);
            });
        }
        return routes_[widget];
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!enabled)
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            return routeKey(watched, static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
            return pressOverruled(watched);
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            const auto it = routes_.constFind(watched);
            if (it == routes_.constEnd())
                return false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* widget = static_cast<QWidget*>(watched);
            if (mouse->button() != Qt::LeftButton || !widget->rect().contains(mouse->position().toPoint()))
                return false;
            call(event->type() == QEvent::MouseButtonRelease ? it->mouseClick : it->mouseDblClick);
            return false;
        }
        default:
            return false;
        }
    }

private:
    // Qt gives a control the focus before it hands it the press. When the handlers that ran for
    // it (the field left, or the control's own guard) sent the focus to another field of the
    // form, that field wins: the press does nothing more (it opens no list, presses no button).
    bool pressOverruled(QObject* watched) const
    {
        if (!routes_.contains(watched))
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isEnabled() || !(widget->focusPolicy() & Qt::ClickFocus))
            return false;
        // The field the handlers left the focus in (Qt may not have it yet: after a message box
        // the window gets the activation back later).
        return field_ && field_ != widget && !widget->isAncestorOf(field_);
    }

    bool routeKey(QObject* watched, QKeyEvent* event)
    {
        if (replaying_)
            return false;
        if (QObject* combo = keyAliases_.value(watched)) {
            // A key sent straight to a combo's line edit takes the combo's way: the combo routes
            // it and hands it on to its line edit, and an Enter it leaves goes up from the combo
            // (not a second time through it).
            QCoreApplication::sendEvent(combo, event);
            event->accept();   // already handed up from the combo where nobody took it
            return true;
        }
        QObject* control = watched;
        const auto it = routes_.constFind(control);
        if (it == routes_.constEnd() || !it->keyPress)
            return false;
        const int typed = keyAsciiOf(*event);
        if (typed == 0)
            return false;
        int keyAscii = typed;
        const auto handler = it->keyPress;
        QPointer<QObject> receiver = watched;
        call([&] { handler(keyAscii); });
        if (keyAscii == 0)
            return true;
        // An Enter that a control's handler has seen is done with: it must not travel on to the
        // form and click a button that the handler has just moved the focus to.
        if (typed == 13 && keyAscii == 13)
            return true;
        if (keyAscii == typed || !receiver)
            return false;
        // The handler typed another character in place of this one.
        QKeyEvent replaced(QEvent::KeyPress, qtKeyOf(keyAscii),
                           event->modifiers() & ~(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier),
                           textOf(keyAscii), event->isAutoRepeat(), event->count());
        replaying_ = true;
        QCoreApplication::sendEvent(receiver, &replaced);
        replaying_ = false;
        return true;
    }

    QHash<QObject*, Routes> routes_;
    QHash<QObject*, QObject*> keyAliases_;
    bool replaying_ = false;
    QPointer<QWidget> field_;   // the control the form's focus is in
    bool entered_ = false;      // its GotFocus has run (not yet while the field before is being left)
    bool passing_ = false;      // it was entered only on the way to where a leaving handler sent the focus
};

} // namespace detail

// ---------------------------------------------------------------------------------------------
// Form.

Form::Form(QWidget* parent)
    : QWidget(parent, Qt::Window), router_(new detail::Router(this)), owner_(parent)
{
    ActivationTracker::instance().watchFocus();
}

Form::~Form()
{
    router_->enabled = false;
    loaded_ = false;
    ActivationTracker& tracker = ActivationTracker::instance();
    tracker.forget(this);
    if (QMdiSubWindow* window = subWindow_) {
        subWindow_ = nullptr;
        const bool wasSuspended = tracker.suspended;
        tracker.suspended = true;
        window->setWidget(nullptr);
        window->hide();
        window->deleteLater();
        tracker.suspended = wasSuspended;
    }
}

void Form::Load()
{
    if (loaded_)
        return;
    loaded_ = true;
    everLoaded_ = true;
    // Enter must never press a default button of the form.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    HandlerScope scope;
    runHandler([this] { Form_Load(); });
    if (!loaded_)
        return;
    emit loaded();
    // A child form shows itself in the MDI area as soon as it is loaded.
    if (mdiChild_ && !modal_ && mdiArea() && !isVisible()) {
        showNormalOrChild();
        ActivationTracker::instance().setActive(this);
    }
}

void Form::Show()
{
    HandlerScope scope;
    Load();
    if (!loaded_)
        return;
    showNormalOrChild();
    ActivationTracker::instance().setActive(this);
}

void Form::Hide()
{
    if (subWindow_)
        subWindow_->hide();
    QWidget::hide();
}

void Form::showNormalOrChild()
{
    QMdiArea* area = mdiArea();
    if (mdiChild_ && area && !modal_) {
        if (!subWindow_) {
            subWindow_ = area->addSubWindow(this);
            subWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
            // A form that asks for more than the free room opens at the room's size.
            subWindow_->resize(subWindow_->size().boundedTo(area->viewport()->size())
                                   .expandedTo(subWindow_->minimumSizeHint()));
            ActivationTracker::instance().hook(area);
        }
        QWidget::show();
        subWindow_->show();
        subWindow_->raise();
        area->setActiveSubWindow(subWindow_);
        return;
    }
    centreIfUnplaced();
    QWidget::show();
    raise();
    activateWindow();
}

void Form::centreIfUnplaced()
{
    // A window of its own opens centred on the screen (over the main window), unless the
    // program has placed it already.
    if (isWindow() && !isVisible() && !testAttribute(Qt::WA_Moved))
        placeOnScreen(this, size().expandedTo(minimumSizeHint()));
}

void Form::detachFromMdi()
{
    QMdiSubWindow* window = subWindow_;
    if (!window)
        return;
    subWindow_ = nullptr;
    QMdiArea* area = window->mdiArea();
    window->setWidget(nullptr);
    setParent(owner_, windowFlags() | Qt::Window);
    if (area)
        area->removeSubWindow(window);
    window->deleteLater();
}

bool Form::Unload(int unloadMode)
{
    if (!loaded_) {
        detachFromMdi();
        QWidget::hide();
        return true;
    }
    if (unloading_)
        return false;
    HandlerScope scope;
    unloading_ = true;
    int cancel = 0;
    runHandler([&] { Form_QueryUnload(cancel, unloadMode); });
    if (cancel == 0)
        runHandler([&] { Form_Unload(cancel); });
    unloading_ = false;
    if (cancel != 0)
        return false;
    loaded_ = false;
    ActivationTracker& tracker = ActivationTracker::instance();
    tracker.forget(this);
    QPointer<QMdiArea> area = subWindow_ ? subWindow_->mdiArea() : nullptr;
    const bool wasSuspended = tracker.suspended;
    tracker.suspended = true;
    detachFromMdi();
    QWidget::hide();
    tracker.suspended = wasSuspended;
    emit unloaded();
    // The next child form becomes the active one, as when its own window is clicked.
    if (area)
        tracker.syncWithArea(area);
    return true;
}

void Form::showModal()
{
    FocusFrame frame;
    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    {
        HandlerScope scope;
        modal_ = true;
        detachFromMdi();
        Load();
        if (!loaded_) {
            modal_ = false;
            return;
        }
        if (!modalRunner() && !offscreen)
            setWindowModality(Qt::ApplicationModal);
        centreIfUnplaced();
        QWidget::show();
        raise();
        activateWindow();
        ActivationTracker::instance().setActive(this);
    }
    QPointer<Form> self = this;
    if (modalRunner()) {
        const auto runner = modalRunner();
        runner(*this);
    } else if (offscreen) {
        qCritical("Modal form %s shown on the offscreen platform without a modal runner",
                  qPrintable(objectName()));
    } else if (loaded_) {
        QEventLoop loop;
        connect(this, &Form::unloaded, &loop, &QEventLoop::quit);
        connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::DialogExec);
    }
    if (!self)
        return;
    modal_ = false;
    if (windowModality() != Qt::NonModal) {
        const bool visible = isVisible();
        QWidget::hide();
        setWindowModality(Qt::NonModal);
        if (visible)
            QWidget::show();
    }
}

void Form::setMdiArea(QMdiArea* area)
{
    area_ = area;
    ActivationTracker::instance().hook(area);
}

QMdiArea* Form::mdiArea() const
{
    return area_ ? area_.data() : mainArea().data();
}

void Form::SetFocus(QWidget* widget)
{
    ui::SetFocus(widget);
}

void Form::fieldEntered(QWidget* control)
{
    router_->fieldEntered(control);
}

QWidget* Form::focusedField() const
{
    return router_->field();
}

void Form::setMousePointer(int pointer)
{
    mousePointer_ = pointer;
    if (pointer == vbDefault)
        unsetCursor();
    else
        setCursor(cursorShapeOf(pointer));
}

bool Form::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && loaded_ && isVisible()) {
        if (subWindow_) {
            QMdiArea* area = subWindow_->mdiArea();
            if (area && area->activeSubWindow() == subWindow_)
                ActivationTracker::instance().setActive(this);
        } else if (isWindow()) {
            ActivationTracker::instance().setActive(this);
        }
    }
    return QWidget::event(event);
}

void Form::closeEvent(QCloseEvent* event)
{
    if (!loaded_ || unloading_) {
        event->accept();
        return;
    }
    if (Unload(vbFormControlMenu))
        event->accept();
    else
        event->ignore();
}

void Form::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter that no control took: a focused command button is clicked, nothing else happens.
        QWidget* focus = QApplication::focusWidget();
        if (focus && isAncestorOf(focus) && focus->isEnabled()
            && (qobject_cast<QPushButton*>(focus) || qobject_cast<QToolButton*>(focus)))
            static_cast<QAbstractButton*>(focus)->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form::onKeyPress(QWidget* widget, std::function<void(int&)> handler)
{
    router_->routesOf(widget).keyPress = std::move(handler);
}

void Form::onGotFocus(QWidget* widget, std::function<void()> handler)
{
    router_->routesOf(widget).gotFocus = std::move(handler);
}

void Form::onLostFocus(QWidget* widget, std::function<void()> handler)
{
    router_->routesOf(widget).lostFocus = std::move(handler);
}

void Form::onChange(QWidget* widget, std::function<void()> handler)
{
    auto& routes = router_->routesOf(widget);
    QObject::disconnect(routes.change);
    auto run = [router = router_, handler] { router->call(handler); };
    if (auto* box = qobject_cast<MaskedBox*>(widget))
        routes.change = connect(box, &MaskedBox::changed, router_, run);
    else if (auto* combo = qobject_cast<DBCombo*>(widget))
        routes.change = connect(combo, &DBCombo::changed, router_, run);
    else if (auto* plainCombo = qobject_cast<QComboBox*>(widget))
        routes.change = plainCombo->isEditable()
            ? connect(plainCombo, &QComboBox::editTextChanged, router_, run)
            : connect(plainCombo, &QComboBox::currentTextChanged, router_, run);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        routes.change = connect(edit, &QLineEdit::textChanged, router_, run);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        routes.change = connect(plain, &QPlainTextEdit::textChanged, router_, run);
    else if (auto* rich = qobject_cast<QTextEdit*>(widget))
        routes.change = connect(rich, &QTextEdit::textChanged, router_, run);
    else
        qWarning("onChange: %s has no text to watch", qPrintable(widget->objectName()));
}

void Form::onClick(QWidget* widget, std::function<void()> handler)
{
    auto& routes = router_->routesOf(widget);
    QObject::disconnect(routes.click);
    routes.mouseClick = nullptr;
    auto run = [router = router_, handler] { router->call(handler); };
    if (auto* combo = qobject_cast<DBCombo*>(widget))
        routes.click = connect(combo, &DBCombo::listPicked, router_, run);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        routes.click = connect(button, &QAbstractButton::clicked, router_, run);
    else if (auto* plainCombo = qobject_cast<QComboBox*>(widget))
        routes.click = connect(plainCombo, &QComboBox::activated, router_, run);
    else if (auto* view = qobject_cast<QAbstractItemView*>(widget))
        routes.click = connect(view, &QAbstractItemView::clicked, router_, run);
    else if (auto* tabs = qobject_cast<QTabWidget*>(widget))
        routes.click = connect(tabs, &QTabWidget::currentChanged, router_, run);
    else
        routes.mouseClick = std::move(handler);
}

void Form::onDblClick(QWidget* widget, std::function<void()> handler)
{
    auto& routes = router_->routesOf(widget);
    QObject::disconnect(routes.dblClick);
    routes.mouseDblClick = nullptr;
    if (auto* view = qobject_cast<QAbstractItemView*>(widget))
        routes.dblClick = connect(view, &QAbstractItemView::doubleClicked, router_, [router = router_, handler] { router->call(handler); });
    else
        routes.mouseDblClick = std::move(handler);
}

} // namespace ui
