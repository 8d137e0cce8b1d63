// The event routing under real windows: combo lists opened and closed with the mouse, real
// message and input boxes (answered from a timer), and the focus moves made around them. The
// scripted dialog service opens no window, so it cannot show what these do to the focus.
#include "platform/ui/db_combo.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "support/clicks.h"
#include "support/real_dialogs.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>
#include <QTimer>
#include <QtTest>

namespace {

// Three text boxes, a data combo, a plain combo and a button, all logging their handlers.
class Fields : public ui::Form {
public:
    Fields()
    {
        setObjectName(QStringLiteral("frmFields"));
        auto* layout = new QVBoxLayout(this);
        const auto add = [&](QWidget* w, const char* name) {
            w->setObjectName(QLatin1String(name));
            layout->addWidget(w);
            const QString n = QLatin1String(name);
            onGotFocus(w, [this, n] { log << n + QLatin1Char('+'); if (onEnter.contains(n)) onEnter[n](); });
            onLostFocus(w, [this, n] { log << n + QLatin1Char('-'); });
        };
        add(txtA = new QLineEdit, "txtA");
        add(txtB = new QLineEdit, "txtB");
        add(txtC = new QLineEdit, "txtC");
        add(cmbData = new ui::DBCombo, "cmbData");
        add(cmbPlain = new QComboBox, "cmbPlain");
        add(cmdOk = new QPushButton(QStringLiteral("Ok")), "cmdOk");
        for (const QString& item : {QStringLiteral("uno"), QStringLiteral("dos"), QStringLiteral("tres")}) {
            cmbData->addItem(item, item.toUpper());
            cmbPlain->addItem(item);
        }
        cmbData->setCurrentIndex(-1);
        cmbData->setText(QString());
        onClick(cmbData, [this] { log << QStringLiteral("cmbData_Click"); });
        onClick(cmbPlain, [this] { log << QStringLiteral("cmbPlain_Click"); });
        onClick(cmdOk, [this] { log << QStringLiteral("cmdOk_Click"); });
    }
    QLineEdit* txtA;
    QLineEdit* txtB;
    QLineEdit* txtC;
    ui::DBCombo* cmbData;
    QComboBox* cmbPlain;
    QPushButton* cmdOk;
    QStringList log;
    QHash<QString, std::function<void()>> onEnter;
};

// The form as an MDI child of a main window that has the activation, as the program shows it.
struct Window {
    QMainWindow main;
    QMdiArea* area = new QMdiArea;
    Fields f;
    Window()
    {
        main.setCentralWidget(area);
        main.resize(700, 500);
        ui::setMainMdiArea(area);
        f.setMdiChild(true);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        f.Show();
        f.txtA->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.txtA));
        f.log.clear();
    }
    ~Window() { f.Unload(); ui::setMainMdiArea(nullptr); }
};

} // namespace

class TestUiRealWindows : public QObject {
    Q_OBJECT
private slots:
    void comboListIsNotLeavingTheField_data();
    void comboListIsNotLeavingTheField();
    void focusMovedAfterAMessageBoxRunsItsEntry();
    void leavingHandlerMovesOnFromTheFieldArrivedAt();
    void boxOfTheLeavingHandlerHandsTheFocusElsewhere();
    void windowComingBackRunsNothing();
    void contextMenuIsNotLeavingTheField();
    void focusMoveToAFieldThatCannotTakeItRunsNothing_data();
    void focusMoveToAFieldThatCannotTakeItRunsNothing();
    void inputAndMessageBoxesBreakLines_data();
    void inputAndMessageBoxesBreakLines();
    void buttonPressedWhenABoxOpensIsLetGo();
    void saveDialogOffersTheNameWideEnough();
};

void TestUiRealWindows::comboListIsNotLeavingTheField_data()
{
    QTest::addColumn<QString>("combo");
    QTest::newRow("data combo") << "cmbData";
    QTest::newRow("plain combo") << "cmbPlain";
}

void TestUiRealWindows::comboListIsNotLeavingTheField()
{
    QFETCH(QString, combo);
    Window w;
    auto* c = w.f.findChild<QComboBox*>(combo);
    QVERIFY(c);

    // Clicking the arrow enters the combo once; opening its list is no leaving, the first time
    // (when Qt sends a second focus-out) and every time.
    for (int round = 0; round < 3; ++round) {
        QTest::mouseClick(c, Qt::LeftButton, {}, support::comboArrow(c));
        QTRY_VERIFY2(c->view()->isVisible(), "the list opens on the first click");
        QTest::keyClick(c->view(), Qt::Key_Escape);
        QTRY_VERIFY(!c->view()->isVisible());
    }
    QCOMPARE(w.f.log, (QStringList{QStringLiteral("txtA-"), combo + QLatin1Char('+')}));
    QCOMPARE(w.f.focusedField(), static_cast<QWidget*>(c));

    // A choice in the list is the combo's click, and still no leaving.
    w.f.log.clear();
    QTest::mouseClick(c, Qt::LeftButton, {}, support::comboArrow(c));
    QTRY_VERIFY(c->view()->isVisible());
    QTest::qWait(QApplication::doubleClickInterval() + 50);   // a list takes no click at once
    const QRect row = c->view()->visualRect(c->view()->model()->index(1, 0));
    QTest::mouseClick(c->view()->viewport(), Qt::LeftButton, {}, row.center());
    QTRY_VERIFY(!c->view()->isVisible());
    QCOMPARE(w.f.log, QStringList{combo + QStringLiteral("_Click")});

    // Leaving it for another field is leaving it.
    QTest::mouseClick(w.f.txtB, Qt::LeftButton);
    QCOMPARE(w.f.log.mid(1), (QStringList{combo + QLatin1Char('-'), QStringLiteral("txtB+")}));
}

void TestUiRealWindows::focusMovedAfterAMessageBoxRunsItsEntry()
{
    Window w;
    support::RealDialogs real;
    // Enter in A says something and moves on to C; entering C finds B wanting and sends the focus
    // there with a message of its own; B then has the focus and its entry ran once.
    w.f.onKeyPress(w.f.txtA, [&](int& KeyAscii) {
        if (KeyAscii != 13)
            return;
        KeyAscii = 0;
        ui::MsgBox(QStringLiteral(" Primero"), ui::vbInformation);
        w.f.SetFocus(w.f.txtC);
    });
    w.f.onEnter[QStringLiteral("txtC")] = [&] {
        ui::MsgBox(QStringLiteral(" Segundo"), ui::vbInformation);
        w.f.SetFocus(w.f.txtB);
    };
    QTest::keyClick(w.f.txtA, Qt::Key_Return);
    QCOMPARE(real.shown(), (QStringList{QStringLiteral(" Primero"), QStringLiteral(" Segundo")}));
    QCOMPARE(w.f.log, (QStringList{"txtA-", "txtC+", "txtC-", "txtB+"}));
    QCOMPARE(w.f.focusedField(), static_cast<QWidget*>(w.f.txtB));
    // When the window gets its activation back, the focus is where the handlers put it, and
    // nothing runs a second time.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtB));
    QTest::qWait(50);
    QCOMPARE(w.f.log, (QStringList{"txtA-", "txtC+", "txtC-", "txtB+"}));
}

void TestUiRealWindows::leavingHandlerMovesOnFromTheFieldArrivedAt()
{
    Window w;
    // Leaving A always sends the focus to C. Clicking C itself, C is entered once; clicking B,
    // B is entered, then left for C.
    w.f.onLostFocus(w.f.txtA, [&] {
        w.f.log << QStringLiteral("txtA-");
        w.f.SetFocus(w.f.txtC);
    });
    QTest::mouseClick(w.f.txtC, Qt::LeftButton);
    QCOMPARE(w.f.log, (QStringList{"txtA-", "txtC+"}));
    QCOMPARE(w.f.focusedField(), static_cast<QWidget*>(w.f.txtC));

    ui::SetFocus(w.f.txtA);
    w.f.log.clear();
    QTest::mouseClick(w.f.txtB, Qt::LeftButton);
    QCOMPARE(w.f.log, (QStringList{"txtA-", "txtB+", "txtB-", "txtC+"}));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtC));

    // Leaving A for A itself: B is entered and left, A entered again; nothing runs twice.
    w.f.onLostFocus(w.f.txtA, [&] {
        w.f.log << QStringLiteral("txtA-");
        w.f.SetFocus(w.f.txtA);
    });
    ui::SetFocus(w.f.txtA);
    w.f.log.clear();
    QTest::mouseClick(w.f.txtB, Qt::LeftButton);
    QCOMPARE(w.f.log, (QStringList{"txtA-", "txtB+", "txtB-", "txtA+"}));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtA));

    // The field arrived at has a guard of its own: on the way to where the leaving handler sends
    // the focus it is entered and left, but quietly. Its notice is not shown and its move is not
    // made; what else it does is done, and a question it asks is still asked.
    support::RealDialogs real;
    w.f.onLostFocus(w.f.txtA, [&] {
        w.f.log << QStringLiteral("txtA-");
        w.f.SetFocus(w.f.txtC);
    });
    int answered = 0;
    w.f.onEnter[QStringLiteral("txtB")] = [&] {
        ui::MsgBox(QStringLiteral(" Falta el tipo"), ui::vbInformation);
        ui::MsgBox(QStringLiteral(" Otro aviso"));
        w.f.SetFocus(w.f.cmdOk);
        answered = ui::MsgBox(QStringLiteral(" Desea crearlo??"), ui::vbYesNo | ui::vbQuestion);
        w.f.log << QStringLiteral("txtB-end");
    };
    ui::SetFocus(w.f.txtA);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtA));
    w.f.log.clear();
    real.answerMsgBox(ui::vbNo);
    QTest::mouseClick(w.f.txtB, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtC));
    QTest::qWait(50);
    QCOMPARE(w.f.log, (QStringList{"txtA-", "txtB+", "txtB-end", "txtB-", "txtC+"}));
    QCOMPARE(real.shown(), QStringList{QStringLiteral(" Desea crearlo??")});
    QCOMPARE(answered, ui::vbNo);
    QCOMPARE(w.f.focusedField(), static_cast<QWidget*>(w.f.txtC));
    // Entered the usual way, the same field says all of it and moves on.
    real.clear();
    real.answerMsgBox(ui::vbOK).answerMsgBox(ui::vbOK).answerMsgBox(ui::vbYes);
    w.f.onLostFocus(w.f.txtA, [&] { w.f.log << QStringLiteral("txtA-"); });
    ui::SetFocus(w.f.txtA);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtA));
    w.f.log.clear();
    QTest::mouseClick(w.f.txtB, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.cmdOk));
    QCOMPARE(real.shown(), (QStringList{QStringLiteral(" Falta el tipo"), QStringLiteral(" Otro aviso"),
                                        QStringLiteral(" Desea crearlo??")}));
    QCOMPARE(answered, ui::vbYes);
    w.f.onEnter.remove(QStringLiteral("txtB"));
    real.clear();

    // Real message boxes in the leaving handler: when the first closes, the focus comes back to
    // B while the handler is still running; B is entered once, after it, and left once for C.
    w.f.onLostFocus(w.f.txtA, [&] {
        w.f.log << QStringLiteral("txtA-");
        ui::MsgBox(QStringLiteral(" Aviso"), ui::vbInformation);
        // The window manager hands the activation back before the next box opens.
        w.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.main));
        ui::MsgBox(QStringLiteral(" Otro aviso"), ui::vbInformation);
        w.f.log << QStringLiteral("txtA-end");
        w.f.SetFocus(w.f.txtC);
    });
    ui::SetFocus(w.f.txtA);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtA));
    w.f.log.clear();
    QTest::mouseClick(w.f.txtB, Qt::LeftButton);
    QCOMPARE(real.shown(), (QStringList{QStringLiteral(" Aviso"), QStringLiteral(" Otro aviso")}));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtC));
    QTest::qWait(50);
    QCOMPARE(w.f.log, (QStringList{"txtA-", "txtA-end", "txtB+", "txtB-", "txtC+"}));
    QCOMPARE(w.f.focusedField(), static_cast<QWidget*>(w.f.txtC));
}

void TestUiRealWindows::boxOfTheLeavingHandlerHandsTheFocusElsewhere()
{
    Window w;
    support::RealDialogs real;
    // Leaving A says something and sends the focus to C. The box, when it closes, hands the focus
    // to the plain combo (the window's focus went there meanwhile): that field is entered in
    // place of B, which the user clicked, and is then left for C. B is never entered.
    w.f.onLostFocus(w.f.txtA, [&] {
        w.f.log << QStringLiteral("txtA-");
        ui::MsgBox(QStringLiteral(" Aviso"), ui::vbInformation);
        w.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.main));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.cmbPlain));
        w.f.log << QStringLiteral("txtA-end");
        w.f.SetFocus(w.f.txtC);
    });
    real.whileOpen([&] { w.f.cmbPlain->setFocus(); });
    QTest::mouseClick(w.f.txtB, Qt::LeftButton);
    QCOMPARE(real.shown(), QStringList{QStringLiteral(" Aviso")});
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtC));
    QTest::qWait(50);
    QCOMPARE(w.f.log, (QStringList{"txtA-", "cmbPlain+", "txtA-end", "cmbPlain-", "txtC+"}));
    QCOMPARE(w.f.focusedField(), static_cast<QWidget*>(w.f.txtC));
}

void TestUiRealWindows::contextMenuIsNotLeavingTheField()
{
    Window w;
    // The text box's own menu (right click) is part of the box: opening and closing it runs
    // nothing, and the box keeps the focus.
    QTest::mouseClick(w.f.txtB, Qt::LeftButton);
    QCOMPARE(w.f.log, (QStringList{"txtA-", "txtB+"}));
    w.f.log.clear();
    bool opened = false;
    QTimer::singleShot(200, [&opened] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            opened = true;
            QTest::keyClick(menu, Qt::Key_Escape);
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), w.f.txtB->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(w.f.txtB, &event);   // the menu runs until the timer closes it
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(opened);
    QTest::qWait(50);
    QCOMPARE(w.f.log, QStringList());
    QCOMPARE(w.f.focusedField(), static_cast<QWidget*>(w.f.txtB));
}

void TestUiRealWindows::focusMoveToAFieldThatCannotTakeItRunsNothing_data()
{
    QTest::addColumn<bool>("hidden");
    QTest::newRow("disabled") << false;
    QTest::newRow("hidden") << true;
}

void TestUiRealWindows::focusMoveToAFieldThatCannotTakeItRunsNothing()
{
    QFETCH(bool, hidden);
    Window w;
    // Enter in A asks for C, which cannot have the focus: A keeps it and neither field hears a
    // thing; once C can take it, the same move is made.
    if (hidden)
        w.f.txtC->hide();
    else
        w.f.txtC->setEnabled(false);
    w.f.onKeyPress(w.f.txtA, [&](int& KeyAscii) {
        if (KeyAscii == 13)
            w.f.SetFocus(w.f.txtC);
    });
    QTest::keyClick(w.f.txtA, Qt::Key_Return);
    QTest::qWait(20);
    QCOMPARE(w.f.log, QStringList());
    QCOMPARE(w.f.focusedField(), static_cast<QWidget*>(w.f.txtA));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtA));

    w.f.txtC->show();
    w.f.txtC->setEnabled(true);
    QTest::keyClick(w.f.txtA, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtC));
    QCOMPARE(w.f.log, (QStringList{"txtA-", "txtC+"}));
}

void TestUiRealWindows::windowComingBackRunsNothing()
{
    Window w;
    support::RealDialogs real;
    // A message that moves no focus: the field keeps it, before and after, and no handler runs.
    w.f.onKeyPress(w.f.txtA, [&](int& KeyAscii) {
        if (KeyAscii == 13)
            ui::MsgBox(QStringLiteral(" Aviso"), ui::vbInformation);
    });
    QTest::keyClick(w.f.txtA, Qt::Key_Return);
    QCOMPARE(real.shown(), QStringList{QStringLiteral(" Aviso")});
    QCOMPARE(real.windows().first().focusBefore, QStringLiteral("txtA"));
    w.main.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtA));
    QVERIFY2(w.f.log.isEmpty(), qPrintable(w.f.log.join(QLatin1Char(' '))));

    // Another window taking the activation and giving it back runs nothing either.
    QWidget other;
    other.resize(100, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    w.main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.main));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f.txtA));
    QVERIFY2(w.f.log.isEmpty(), qPrintable(w.f.log.join(QLatin1Char(' '))));
}

void TestUiRealWindows::inputAndMessageBoxesBreakLines_data()
{
    QTest::addColumn<QString>("prompt");
    QTest::newRow("CR") << QStringLiteral("uno\rdos\r\rtres");
    QTest::newRow("LF") << QStringLiteral("uno\ndos\n\ntres");
    QTest::newRow("CR LF") << QStringLiteral("uno\r\ndos\r\n\r\ntres");
}

void TestUiRealWindows::inputAndMessageBoxesBreakLines()
{
    QFETCH(QString, prompt);
    Window w;
    support::RealDialogs real;
    real.answerInput(QStringLiteral("respuesta"));
    QCOMPARE(ui::InputBox(prompt, QStringLiteral("Titulo"), QStringLiteral("x")), QStringLiteral("respuesta"));
    ui::MsgBox(prompt);
    QCOMPARE(real.shown(), (QStringList{QStringLiteral("uno\ndos\n\ntres"), QStringLiteral("uno\ndos\n\ntres")}));
    QCOMPARE(real.windows().first().title, QStringLiteral("Titulo"));
}

void TestUiRealWindows::buttonPressedWhenABoxOpensIsLetGo()
{
    Window w;
    support::RealDialogs real;
    // Entering the button (a press on it gives it the focus) says something, as a guard does.
    w.f.onEnter[QStringLiteral("cmdOk")] = [] { ui::MsgBox(QStringLiteral(" Debe ingresar una cantidad válida...")); };
    // The user lets go of the mouse while the box is open (the release goes nowhere).
    real.whileOpen([&] { QTest::mouseRelease(w.f.cmdOk, Qt::LeftButton); });
    QTest::mousePress(w.f.cmdOk, Qt::LeftButton);
    QCOMPARE(real.shown(), QStringList{QStringLiteral(" Debe ingresar una cantidad válida...")});
    // The release went to the box; the button is drawn up again, and clicks nothing.
    QTRY_VERIFY(!w.f.cmdOk->isDown());
    QVERIFY(!w.f.log.contains(QStringLiteral("cmdOk_Click")));
}

QTEST_MAIN(TestUiRealWindows)
// The save dialog starts in the folder asked for, on the file name offered, and is wide enough
// for the folder list and the file name.
void TestUiRealWindows::saveDialogOffersTheNameWideEnough()
{
    QTemporaryDir dir;
    support::RealDialogs real;   // real windows on this platform
    QString shownName, shownFolder;
    int width = 0;
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            shownName = name->text();
        shownFolder = dialog->directory().absolutePath();
        width = dialog->width();
        dialog->reject();
    });
    poll.start();
    ui::OpenFileOptions options;
    options.title = QStringLiteral("Exportar a PDF");
    options.filter = QStringLiteral("Documento PDF|*.pdf");
    options.initialFolder = dir.path();
    options.fileName = QDir(dir.path()).filePath(QStringLiteral("planilla_12345679_2001-07.pdf"));
    QVERIFY(ui::SaveFile(options).isEmpty());   // cancelled
    QCOMPARE(shownName, QStringLiteral("planilla_12345679_2001-07.pdf"));
    QCOMPARE(shownFolder, QDir(dir.path()).absolutePath());
    QVERIFY2(width >= std::min(760, QGuiApplication::primaryScreen()->availableGeometry().width()),
             qPrintable(QString::number(width)));
}

#include "test_ui_real_windows.moc"
