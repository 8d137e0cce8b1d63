// The form base: life cycle, event routing of real key and focus events, deferred focus moves,
// modal forms through the runner hook, MDI activation and the screen's mouse pointer.
#include "platform/db/db_error.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/mouse_pointer.h"
#include "support/scripted_dialogs.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A form with three text boxes, a data combo and a button; it logs what its handlers see.
class LogForm : public ui::Form {
public:
    explicit LogForm(const QString& name)
    {
        setObjectName(name);
        auto* layout = new QVBoxLayout(this);
        for (QLineEdit** box : {&txtA, &txtB, &txtC}) {
            *box = new QLineEdit(this);
            layout->addWidget(*box);
        }
        txtA->setObjectName(QStringLiteral("txtA"));
        txtB->setObjectName(QStringLiteral("txtB"));
        txtC->setObjectName(QStringLiteral("txtC"));
        cmbNit = new ui::DBCombo(this);
        cmbNit->setObjectName(QStringLiteral("cmbNit"));
        layout->addWidget(cmbNit);
        cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
        cmdOk->setObjectName(QStringLiteral("cmdOk"));
        layout->addWidget(cmdOk);
        onClick(cmdOk, [this] { log << QStringLiteral("cmdOk_Click"); });
        for (QWidget* w : {static_cast<QWidget*>(txtA), static_cast<QWidget*>(txtB), static_cast<QWidget*>(txtC)}) {
            const QString n = w->objectName().mid(3);
            onGotFocus(w, [this, n] { focusLog << n + QLatin1Char('+'); });
            onLostFocus(w, [this, n] { focusLog << n + QLatin1Char('-'); });
        }
    }

    void Form_Load() override { ++loads; log << QStringLiteral("Load"); }
    void Form_Activate() override { *activations << objectName() + QStringLiteral(".Activate"); }
    void Form_Deactivate() override { *activations << objectName() + QStringLiteral(".Deactivate"); }
    void Form_QueryUnload(int& Cancel, int UnloadMode) override
    {
        log << QStringLiteral("QueryUnload %1").arg(UnloadMode);
        Cancel = cancelQuery;
    }
    void Form_Unload(int& Cancel) override
    {
        log << QStringLiteral("Unload");
        Cancel = cancelUnload;
    }

    QLineEdit* txtA;
    QLineEdit* txtB;
    QLineEdit* txtC;
    ui::DBCombo* cmbNit;
    QPushButton* cmdOk;
    QStringList log;
    QStringList* activations = &log;   // may be shared by several forms
    QStringList focusLog;
    int loads = 0;
    int cancelQuery = 0;
    int cancelUnload = 0;
};

// Shows a form as its own active window, so that focus events are delivered.
bool showActive(QWidget& w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

// The handler of the key tests: upper-cases letters, swallows the hyphen, logs every code.
std::function<void(int&)> nitKeys(QList<int>& codes)
{
    return [&codes](int& KeyAscii) {
        codes << KeyAscii;
        if (KeyAscii == '-')
            KeyAscii = 0;
        else if (KeyAscii >= 'a' && KeyAscii <= 'z')
            KeyAscii -= 32;
    };
}

} // namespace

class TestUiForms : public QObject {
    Q_OBJECT
private slots:
    void windowFormOpensCentred();
    void keyPressSwallowsAndReplaces_data();
    void keyPressSwallowsAndReplaces();
    void enterPressesNoDefaultButton();
    void guardRedirectRunsAfterTheGuard();
    void focusMovesOfOneHandlerKeepTheirOrder();
    void runawayFocusCascadeStops();
    void directCallsInRunHandlerDeferFocus();
    void focusFromWindowActivationIsIgnored();
    void loadOnceAndUnloadWithCancel();
    void closingTheWindowGoesThroughUnload();
    void showModalCallsTheRunner();
    void mdiChildrenActivateAndUnload();
    void destroyingAFormRunsNoHandler();
    void handlerErrorBecomesMessageBox();
    void mousePointerOverridesTheCursor();
};

void TestUiForms::keyPressSwallowsAndReplaces_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("codes");

    QTest::newRow("text box: upper-cased") << "txtA" << "ab1" << "AB1" << QList<int>{'a', 'b', '1'};
    QTest::newRow("text box: hyphen swallowed") << "txtA" << "12-3k" << "123K" << QList<int>{'1', '2', '-', '3', 'k'};
    QTest::newRow("data combo") << "cmbNit" << "1-2k" << "12K" << QList<int>{'1', '-', '2', 'k'};
    QTest::newRow("data combo's line edit") << "lineEdit" << "k-9" << "K9" << QList<int>{'k', '-', '9'};
}

void TestUiForms::keyPressSwallowsAndReplaces()
{
    QFETCH(QString, target);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(QList<int>, codes);

    LogForm form(QStringLiteral("frmKeys"));
    QList<int> seen;
    QWidget* control = target == QLatin1String("txtA") ? static_cast<QWidget*>(form.txtA) : form.cmbNit;
    form.onKeyPress(control, nitKeys(seen));
    form.Show();
    QVERIFY(showActive(form));
    control->setFocus();

    QWidget* receiver = target == QLatin1String("lineEdit") ? form.cmbNit->lineEdit() : control;
    QTest::keyClicks(receiver, typed);
    const QString result = control == form.txtA ? form.txtA->text() : form.cmbNit->Text();
    QCOMPARE(result, text);
    QCOMPARE(seen, codes);

    // Enter, Esc and Backspace arrive with their classic codes; Backspace still erases.
    seen.clear();
    QTest::keyClick(receiver, Qt::Key_Return);
    QTest::keyClick(receiver, Qt::Key_Escape);
    QTest::keyClick(receiver, Qt::Key_Backspace);
    QCOMPARE(seen, (QList<int>{13, 27, 8}));
    const QString after = control == form.txtA ? form.txtA->text() : form.cmbNit->Text();
    QCOMPARE(after, text.chopped(1));
}

void TestUiForms::enterPressesNoDefaultButton()
{
    LogForm form(QStringLiteral("frmEnter"));
    QList<int> seen;
    form.onKeyPress(form.txtA, nitKeys(seen));
    form.Show();
    QVERIFY(showActive(form));
    form.cmdOk->setDefault(true);   // as a designer might have left it

    form.txtA->setFocus();
    QTest::keyClick(form.txtA, Qt::Key_Return);
    QCOMPARE(seen, QList<int>{13});
    QVERIFY(form.log.filter(QStringLiteral("cmdOk_Click")).isEmpty());

    // The data combo does nothing with Enter: no row is inserted or chosen.
    form.cmbNit->addItem(QStringLiteral("123K"), QStringLiteral("1"));
    form.cmbNit->setCurrentIndex(-1);
    form.cmbNit->setText(QStringLiteral("123k"));
    form.cmbNit->setFocus();
    QTest::keyClick(form.cmbNit, Qt::Key_Return);
    QCOMPARE(form.cmbNit->count(), 1);
    QCOMPARE(form.cmbNit->Text(), QStringLiteral("123k"));
    QVERIFY(form.log.filter(QStringLiteral("cmdOk_Click")).isEmpty());

    // Enter on the focused button itself clicks it.
    form.cmdOk->setFocus();
    QTest::keyClick(form.cmdOk, Qt::Key_Return);
    QCOMPARE(form.log.filter(QStringLiteral("cmdOk_Click")).size(), 1);

    // A field whose Enter moves the focus to a button does not click that button with the same key,
    // from a text box or from a data combo.
    for (QWidget* field : {static_cast<QWidget*>(form.txtA), static_cast<QWidget*>(form.cmbNit)}) {
        form.onKeyPress(field, [&](int& KeyAscii) {
            if (KeyAscii == 13)
                form.SetFocus(form.cmdOk);
        });
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.cmdOk));
        QCOMPARE(form.log.filter(QStringLiteral("cmdOk_Click")).size(), 1);
    }
    QTest::keyClick(form.cmdOk, Qt::Key_Return);
    QCOMPARE(form.log.filter(QStringLiteral("cmdOk_Click")).size(), 2);
}

void TestUiForms::guardRedirectRunsAfterTheGuard()
{
    LogForm form(QStringLiteral("frmGuard"));
    int depth = 0;
    int maxDepth = 0;
    form.onGotFocus(form.txtB, [&] {
        ++depth;
        maxDepth = qMax(maxDepth, depth);
        form.focusLog << QStringLiteral("B+");
        if (form.txtA->text().isEmpty()) {
            form.SetFocus(form.txtA);
            // The move waits until this guard has returned.
            form.focusLog << (form.txtB->hasFocus() ? QStringLiteral("still B") : QStringLiteral("moved"));
        }
        --depth;
    });
    form.Show();
    QVERIFY(showActive(form));
    form.txtC->setFocus();
    form.focusLog.clear();

    QTest::mouseClick(form.txtB, Qt::LeftButton);
    QCOMPARE(form.focusLog, (QStringList{"C-", "B+", "still B", "B-", "A+"}));
    QVERIFY(form.txtA->hasFocus());
    QCOMPARE(maxDepth, 1);

    // With the guard satisfied the focus stays.
    form.txtA->setText(QStringLiteral("x"));
    form.focusLog.clear();
    QTest::mouseClick(form.txtB, Qt::LeftButton);
    QCOMPARE(form.focusLog, (QStringList{"A-", "B+"}));
    QVERIFY(form.txtB->hasFocus());
}

void TestUiForms::focusMovesOfOneHandlerKeepTheirOrder()
{
    LogForm form(QStringLiteral("frmOrder"));
    form.onKeyPress(form.txtB, [&](int& KeyAscii) {
        if (KeyAscii != 13)
            return;
        KeyAscii = 0;
        form.SetFocus(form.txtC);
        form.SetFocus(form.txtA);
        form.focusLog << QStringLiteral("Enter done");
    });
    form.Show();
    QVERIFY(showActive(form));
    form.txtB->setFocus();
    form.focusLog.clear();

    QTest::keyClick(form.txtB, Qt::Key_Return);
    QCOMPARE(form.focusLog, (QStringList{"Enter done", "B-", "C+", "C-", "A+"}));
    QVERIFY(form.txtA->hasFocus());
}

void TestUiForms::runawayFocusCascadeStops()
{
    LogForm form(QStringLiteral("frmCascade"));
    int gotA = 0;
    int gotB = 0;
    form.Show();
    QVERIFY(showActive(form));
    form.txtC->setFocus();
    form.onGotFocus(form.txtA, [&] { ++gotA; form.SetFocus(form.txtB); });
    form.onGotFocus(form.txtB, [&] { ++gotB; form.SetFocus(form.txtA); });

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Focus moves stopped after 16")));
    QTest::mouseClick(form.txtA, Qt::LeftButton);
    QCOMPARE(gotA + gotB, 1 + ui::kFocusCascadeLimit);

    // Nothing is left half-way: the next move outside any handler is made at once.
    form.onGotFocus(form.txtA, {});
    form.onGotFocus(form.txtB, {});
    ui::SetFocus(form.txtC);
    QVERIFY(form.txtC->hasFocus());
}

void TestUiForms::directCallsInRunHandlerDeferFocus()
{
    LogForm form(QStringLiteral("frmDirect"));
    form.Show();
    QVERIFY(showActive(form));
    form.txtA->setFocus();
    form.focusLog.clear();

    // Outside a handler the move is immediate...
    form.SetFocus(form.txtB);
    QVERIFY(form.txtB->hasFocus());
    // ...inside one it waits for the end of the handler.
    bool movedInside = true;
    ui::runHandler([&] {
        form.SetFocus(form.txtC);
        movedInside = form.txtC->hasFocus();
    });
    QVERIFY(!movedInside);
    QVERIFY(form.txtC->hasFocus());
    QCOMPARE(form.focusLog, (QStringList{"A-", "B+", "B-", "C+"}));
}

void TestUiForms::focusFromWindowActivationIsIgnored()
{
    LogForm form(QStringLiteral("frmActivation"));
    form.Show();
    QVERIFY(showActive(form));
    form.txtA->setFocus();
    QVERIFY(form.txtA->hasFocus());
    form.focusLog.clear();

    QWidget other;
    other.resize(100, 100);
    QVERIFY(showActive(other));
    QVERIFY(showActive(form));
    QVERIFY(form.txtA->hasFocus());
    QVERIFY2(form.focusLog.isEmpty(), qPrintable(form.focusLog.join(QLatin1Char(' '))));

    // A pop-up taking the focus is no change either.
    QFocusEvent popupOut(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(form.txtA, &popupOut);
    QFocusEvent popupIn(QEvent::FocusIn, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(form.txtA, &popupIn);
    QVERIFY(form.focusLog.isEmpty());
}

void TestUiForms::loadOnceAndUnloadWithCancel()
{
    LogForm form(QStringLiteral("frmLife"));
    QSignalSpy unloaded(&form, &ui::Form::unloaded);
    QVERIFY(!form.isLoaded());
    form.Load();
    form.Load();
    form.Show();
    QCOMPARE(form.loads, 1);
    QVERIFY(form.isLoaded());
    QVERIFY(form.isVisible());

    form.log.clear();
    form.cancelQuery = 1;
    QVERIFY(!form.Unload());
    QCOMPARE(form.log, (QStringList{"QueryUnload 1"}));
    form.cancelQuery = 0;
    form.cancelUnload = -1;
    QVERIFY(!form.Unload());
    QVERIFY(form.isLoaded());
    QVERIFY(form.isVisible());
    QCOMPARE(unloaded.count(), 0);

    form.cancelUnload = 0;
    form.log.clear();
    QVERIFY(form.Unload());
    QCOMPARE(form.log, (QStringList{"QueryUnload 1", "Unload"}));
    QVERIFY(!form.isLoaded());
    QVERIFY(!form.isVisible());
    QCOMPARE(unloaded.count(), 1);

    // Loading again runs Form_Load again.
    form.Show();
    QCOMPARE(form.loads, 2);
}

void TestUiForms::closingTheWindowGoesThroughUnload()
{
    LogForm form(QStringLiteral("frmClose"));
    form.Show();
    form.log.clear();
    form.cancelUnload = 1;
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QVERIFY(form.isLoaded());
    QCOMPARE(form.log, (QStringList{"QueryUnload 0", "Unload"}));

    form.cancelUnload = 0;
    QVERIFY(form.close());
    QVERIFY(!form.isLoaded());
    QVERIFY(!form.isVisible());
}

void TestUiForms::showModalCallsTheRunner()
{
    LogForm caller(QStringLiteral("frmCaller"));
    caller.Show();
    QVERIFY(showActive(caller));
    caller.txtA->setFocus();

    LogForm dialog(QStringLiteral("frmDialog"));
    bool ran = false;
    support::ScopedModalRunner runner([&](ui::Form& form) {
        ran = true;
        QCOMPARE(&form, &dialog);
        QVERIFY(dialog.isLoaded());
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.isModal());
        QVERIFY(!caller.txtB->hasFocus());   // the caller's move waits for the modal form
        dialog.txtA->setText(QStringLiteral("driven"));
        QVERIFY(dialog.Unload());
    });

    ui::runHandler([&] {
        caller.SetFocus(caller.txtB);
        dialog.showModal();
        QVERIFY(!dialog.isLoaded());
    });
    QVERIFY(ran);
    QCOMPARE(dialog.log.first(), QStringLiteral("Load"));
    QVERIFY(!dialog.isModal());
    QCOMPARE(dialog.txtA->text(), QStringLiteral("driven"));
    QTRY_VERIFY(caller.txtB->hasFocus());
}

void TestUiForms::mdiChildrenActivateAndUnload()
{
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(800, 600);
    ui::setMainMdiArea(area);
    QVERIFY(showActive(main));

    QStringList log;
    LogForm one(QStringLiteral("one"));
    LogForm two(QStringLiteral("two"));
    for (LogForm* f : {&one, &two}) {
        f->setMdiChild(true);
        f->activations = &log;
        QObject::connect(f, &ui::Form::unloaded, f, [&log, f] { log << f->objectName() + QStringLiteral(" unloaded"); });
    }

    one.Load();   // a child form shows itself when loaded
    QCOMPARE(log, (QStringList{"one.Activate"}));
    QVERIFY(one.subWindow());
    QCOMPARE(one.subWindow()->mdiArea(), area);
    QVERIFY(one.isVisible());

    log.clear();
    two.Show();
    QCOMPARE(log, (QStringList{"one.Deactivate", "two.Activate"}));
    QCOMPARE(ui::activeForm(), &two);

    log.clear();
    area->setActiveSubWindow(one.subWindow());
    QCOMPARE(log, (QStringList{"two.Deactivate", "one.Activate"}));

    // Showing a form that is already open only brings it forward.
    log.clear();
    two.Show();
    QCOMPARE(two.loads, 1);
    QCOMPARE(log, (QStringList{"one.Deactivate", "two.Activate"}));

    // Closing the active child by its frame: Cancel keeps it, otherwise it goes and the other
    // child becomes active.
    two.cancelUnload = 1;
    QVERIFY(!two.subWindow()->close());
    QVERIFY(two.isLoaded());
    QCOMPARE(area->subWindowList().size(), 2);
    two.cancelUnload = 0;
    log.clear();
    QVERIFY(two.subWindow()->close());
    QVERIFY(!two.isLoaded());
    QCOMPARE(two.subWindow(), nullptr);
    QCOMPARE(area->subWindowList().size(), 1);
    QCOMPARE(log, (QStringList{"two unloaded", "one.Activate"}));
    QCOMPARE(ui::activeForm(), &one);

    // A window of its own (not a child) takes the activation and gives it back when it goes.
    LogForm dialog(QStringLiteral("dialog"));
    dialog.activations = &log;
    one.txtA->setFocus();
    log.clear();
    dialog.Show();
    QCOMPARE(log, (QStringList{"one.Deactivate", "dialog.Activate"}));
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(log, (QStringList{"one.Deactivate", "dialog.Activate"}));
    QVERIFY(showActive(main));   // the focus comes back to the child's text box
    QCOMPARE(log, (QStringList{"one.Deactivate", "dialog.Activate", "dialog.Deactivate", "one.Activate"}));
    dialog.Show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    log.clear();
    QVERIFY(dialog.Unload());
    QCOMPARE(log, (QStringList{"one.Activate"}));

    // The main window unloading its children.
    one.cancelQuery = 1;
    QVERIFY(!ui::unloadMdiChildren(area));
    QVERIFY(one.isLoaded());
    QVERIFY(one.log.contains(QStringLiteral("QueryUnload 4")));
    one.cancelQuery = 0;
    QVERIFY(ui::unloadMdiChildren(area));
    QVERIFY(!one.isLoaded());
    QVERIFY(area->subWindowList().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ui::setMainMdiArea(nullptr);
}

void TestUiForms::destroyingAFormRunsNoHandler()
{
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    ui::setMainMdiArea(area);
    QVERIFY(showActive(main));

    QStringList after;
    auto other = std::make_unique<LogForm>(QStringLiteral("other"));
    other->setMdiChild(true);
    other->activations = &after;
    other->Show();
    {
        auto form = std::make_unique<LogForm>(QStringLiteral("doomed"));
        form->setMdiChild(true);
        form->activations = &after;
        form->onLostFocus(form->txtA, [&after] { after << QStringLiteral("doomed.txtA lost"); });
        form->Show();
        form->txtA->setFocus();
        QVERIFY(form->txtA->hasFocus());
        after.clear();
    }
    QVERIFY2(after.isEmpty(), qPrintable(after.join(QLatin1Char(' '))));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(area->subWindowList().size(), 1);
    other.reset();
    ui::setMainMdiArea(nullptr);
}

void TestUiForms::handlerErrorBecomesMessageBox()
{
    LogForm form(QStringLiteral("frmError"));
    form.onKeyPress(form.txtA, [](int&) { throw db::DbError(3021, QStringLiteral("No hay registro activo.")); });
    form.Show();
    QVERIFY(showActive(form));

    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(ui::vbOK);
    QTest::keyClick(form.txtA, 'x');
    QCOMPARE(dialogs.calls().size(), 1);
    const auto& call = dialogs.calls().first();
    QVERIFY(call.prompt.contains(QStringLiteral("3021")));
    QVERIFY(call.prompt.contains(QStringLiteral("No hay registro activo.")));
    QCOMPARE(ui::iconOf(call.style), ui::vbCritical);
    QCOMPARE(form.txtA->text(), QStringLiteral("x"));   // the key itself goes on
}

void TestUiForms::mousePointerOverridesTheCursor()
{
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    ui::setMousePointer(ui::vbHourglass);
    QCOMPARE(ui::mousePointer(), ui::vbHourglass);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui::setMousePointer(ui::vbHourglass);   // setting it twice needs one restore only
    ui::setMousePointer(ui::vbDefault);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
}

void TestUiForms::windowFormOpensCentred()
{
    LogForm centred(QStringLiteral("centred"));
    centred.resize(300, 200);
    centred.Show();
    const QRect free = centred.screen()->availableGeometry();
    // Within the window frame's few pixels.
    QVERIFY(qAbs(centred.frameGeometry().center().x() - free.center().x()) <= 3);
    QVERIFY(qAbs(centred.frameGeometry().center().y() - free.center().y()) <= 3);
    QCOMPARE(centred.size(), QSize(300, 200));

    // A window the program placed stays where it was put.
    LogForm placed(QStringLiteral("placed"));
    placed.resize(300, 200);
    placed.move(5, 7);
    placed.Show();
    QCOMPARE(placed.pos(), QPoint(5, 7));
}

QTEST_MAIN(TestUiForms)
#include "test_ui_forms.moc"
