// The dialog service (scripted and Qt), the data control with its bound list and combo, the
// masked box and the status bar.
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_list.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/masked_box.h"
#include "platform/ui/status_bar.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QAbstractItemView>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QString kConnect = QStringLiteral(";PWD=MIRVOSK");
const QString kPeriodos = QStringLiteral(
    "SELECT Periodos.[No], Periodos.Del, Periodos.Al, [Del] & ' - ' &  [Al] AS Dis FROM Periodos;");

void addSuppliers(const support::TestDatabase& t)
{
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('19', 'Farmacia Sur');"
                          "INSERT INTO Proveedores (Nit, Nombre) VALUES ('6K', 'Sin documentos');"
                          "INSERT INTO Proveedores (Nit, Nombre) VALUES ('1234560', 'Gasolinera Central');"));
}

QStringList buttonTexts(const QMessageBox& box)
{
    QStringList texts;
    for (QAbstractButton* b : box.buttons())
        texts << b->text();
    texts.sort();
    return texts;
}

} // namespace

class TestUiControls : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("ZAL")); }

    void scriptedDialogsAnswerInOrder();
    void scriptedDialogsRecordErrors_data();
    void scriptedDialogsRecordErrors();
    void scriptedDialogsFailTheTest();
    void qtMessageBoxButtons_data();
    void qtMessageBoxButtons();
    void qtMessageBoxHelpKeepsItOpen();
    void qtServiceNeverBlocksOffscreen();
    void fileFilters_data();
    void fileFilters();

    void dataControlFillsTheList();
    void listSelectsByBoundText();
    void dataControlErrorsReachTheCaller();
    void comboBoundTextFollowsTheText_data();
    void comboBoundTextFollowsTheText();
    void comboSetBoundTextAndRefill();
    void comboListPickIsAClick();

    void maskedDateBox();
    void maskedBoxDisplayFormat();
    void qtInputMasks_data();
    void qtInputMasks();
    void statusBarPanels();
};

// ---------------------------------------------------------------------------------------------
// Dialogs

void TestUiControls::scriptedDialogsAnswerInOrder()
{
    support::ScriptedDialogs outer;
    {
        support::ScriptedDialogs dialogs;
        dialogs.expectInput(QStringLiteral("Tolvania"))
            .expectMsgBox(QStringLiteral(" Desea continuar?"), ui::vbNo)
            .expectOpenFile(QStringLiteral("/tmp/eko.mdb"))
            .expectBrowse(QStringLiteral("/tmp"));
        QCOMPARE(ui::InputBox(QStringLiteral("Lugar"), QString(), QStringLiteral("Tolvania")), QStringLiteral("Tolvania"));
        QCOMPARE(ui::MsgBox(QStringLiteral(" Desea continuar?"), ui::vbYesNo | ui::vbQuestion, QStringLiteral(" ZAL"), 7),
                 ui::vbNo);
        ui::OpenFileOptions options;
        options.title = QStringLiteral("Directorio de Base de Datos...");
        options.filter = QStringLiteral("Base de Datos |*.mdb");
        QCOMPARE(ui::OpenFile(options), QStringLiteral("/tmp/eko.mdb"));
        QCOMPARE(ui::BrowseFolder(QStringLiteral("Carpeta"), QStringLiteral("/")), QStringLiteral("/tmp"));

        QCOMPARE(dialogs.pending(), 0);
        QVERIFY(dialogs.errors().isEmpty());
        const auto& calls = dialogs.calls();
        QCOMPARE(calls.size(), 4);
        QCOMPARE(calls[0].kind, support::ScriptedDialogs::Kind::Input);
        QCOMPARE(calls[0].defaultText, QStringLiteral("Tolvania"));
        QCOMPARE(calls[0].shownTitle, QStringLiteral("ZAL"));
        QCOMPARE(calls[1].style, ui::vbYesNo | ui::vbQuestion);
        QCOMPARE(calls[1].title, QStringLiteral(" ZAL"));
        QCOMPARE(calls[1].helpContext, 7);
        QCOMPARE(calls[1].answer, ui::vbNo);
        QCOMPARE(calls[2].openFile.filter, QStringLiteral("Base de Datos |*.mdb"));
        QCOMPARE(calls[3].defaultText, QStringLiteral("/"));
        QCOMPARE(dialogs.prompts(), (QStringList{"Lugar", " Desea continuar?", "Directorio de Base de Datos...", "Carpeta"}));
    }
    // The inner service is gone: the outer one answers again.
    outer.expectMsgBox(ui::vbOK);
    QCOMPARE(ui::MsgBox(QStringLiteral("otra")), ui::vbOK);
    QCOMPARE(outer.calls().size(), 1);
}

void TestUiControls::scriptedDialogsRecordErrors_data()
{
    QTest::addColumn<int>("queued");        // -1: nothing queued; otherwise the expectation kind
    QTest::addColumn<QString>("queuedPrompt");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("error");

    QTest::newRow("nothing queued, OK only") << -1 << "" << ui::vbOKOnly << ui::vbOK << "unexpected message box";
    QTest::newRow("nothing queued, Yes/No") << -1 << "" << ui::vbYesNo << ui::vbNo << "unexpected message box";
    QTest::newRow("nothing queued, Yes/No/Cancel") << -1 << "" << ui::vbYesNoCancel << ui::vbCancel << "unexpected";
    QTest::newRow("nothing queued, Abort/Retry/Ignore") << -1 << "" << ui::vbAbortRetryIgnore << ui::vbAbort << "unexpected";
    QTest::newRow("input box queued") << 1 << "" << ui::vbOKCancel << ui::vbCancel << "expected a input box";
    QTest::newRow("another prompt") << 0 << " Otro texto" << ui::vbYesNo << ui::vbYes << "expected the message box \" Otro texto\"";
}

void TestUiControls::scriptedDialogsRecordErrors()
{
    QFETCH(int, queued);
    QFETCH(QString, queuedPrompt);
    QFETCH(int, style);
    QFETCH(int, answer);
    QFETCH(QString, error);

    support::ScriptedDialogs dialogs;
    dialogs.setReportErrors(false);
    if (queued == 0)
        dialogs.expectMsgBox(queuedPrompt, ui::vbYes);
    else if (queued == 1)
        dialogs.expectInput(QStringLiteral("x"));

    QCOMPARE(ui::MsgBox(QStringLiteral(" Hola..."), style), answer);
    QCOMPARE(dialogs.errors().size(), 1);
    QVERIFY2(dialogs.errors().first().contains(error), qPrintable(dialogs.errors().first()));
    QCOMPARE(dialogs.calls().last().expected, queued == 0);
    if (queued == 1) {
        QCOMPARE(dialogs.pending(), 1);   // the input box is still expected
        QCOMPARE(ui::InputBox(QStringLiteral("?")), QStringLiteral("x"));
    }
}

void TestUiControls::scriptedDialogsFailTheTest()
{
    {
        support::ScriptedDialogs dialogs;
        QEXPECT_FAIL("", "a message box nobody expected fails the test", Continue);
        const int answer = ui::MsgBox(QStringLiteral(" Sorpresa"), ui::vbYesNo);
        QCOMPARE(answer, ui::vbNo);
    }
    // An expected dialog that never came fails the test when the service goes away.
    QEXPECT_FAIL("", "an expected dialog that never came fails the test", Continue);
    {
        support::ScriptedDialogs dialogs;
        dialogs.expectMsgBox(QStringLiteral(" Nunca"), ui::vbOK);
    }
    QVERIFY(true);
}

void TestUiControls::qtMessageBoxButtons_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<int>("icon");

    QTest::newRow("OK, information") << (ui::vbOKOnly | ui::vbInformation) << QStringList{"Aceptar"} << "Aceptar"
                                     << int(QMessageBox::Information);
    QTest::newRow("OK/Cancel, critical") << (ui::vbOKCancel | ui::vbCritical) << QStringList{"Aceptar", "Cancelar"}
                                         << "Aceptar" << int(QMessageBox::Critical);
    QTest::newRow("Yes/No, question, second default") << (ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2)
                                                      << QStringList{"No", "Sí"} << "No" << int(QMessageBox::Question);
    QTest::newRow("Abort/Retry/Ignore, exclamation") << (ui::vbAbortRetryIgnore | ui::vbExclamation)
                                                     << QStringList{"Anular", "Omitir", "Reintentar"} << "Anular"
                                                     << int(QMessageBox::Warning);
    QTest::newRow("Yes/No/Cancel with help") << (ui::vbYesNoCancel | ui::vbMsgBoxHelpButton)
                                             << QStringList{"Ayuda", "Cancelar", "No", "Sí"} << "Sí"
                                             << int(QMessageBox::NoIcon);
    QTest::newRow("Retry/Cancel") << ui::vbRetryCancel << QStringList{"Cancelar", "Reintentar"} << "Reintentar"
                                  << int(QMessageBox::NoIcon);
}

void TestUiControls::qtMessageBoxButtons()
{
    QFETCH(int, style);
    QFETCH(QStringList, texts);
    QFETCH(QString, defaultText);
    QFETCH(int, icon);

    const auto box = ui::QtDialogService::buildMessageBox(QStringLiteral(" Texto..."), style, QString(), 0);
    QCOMPARE(box->windowTitle(), QStringLiteral("ZAL"));
    QCOMPARE(box->text(), QStringLiteral(" Texto..."));
    QCOMPARE(ui::QtDialogService::buildMessageBox(QStringLiteral(" Uno \r Dos\r\nTres"), style, QString(), 0)->text(),
             QStringLiteral(" Uno \n Dos\nTres"));
    QCOMPARE(buttonTexts(*box), texts);
    QVERIFY(box->defaultButton());
    QCOMPARE(box->defaultButton()->text(), defaultText);
    QCOMPARE(int(box->icon()), icon);
    // Every button but Help answers its own value.
    QList<int> answers;
    for (QAbstractButton* b : box->buttons())
        if (b->text() != QLatin1String("Ayuda"))
            answers << ui::QtDialogService::answerOf(*box, b);
    std::sort(answers.begin(), answers.end());
    QList<int> expected = ui::buttonsOf(style);
    std::sort(expected.begin(), expected.end());
    QCOMPARE(answers, expected);
}

void TestUiControls::qtMessageBoxHelpKeepsItOpen()
{
    QList<int> contexts;
    ui::setHelpHandler([&](int context) { contexts << context; });
    const auto box = ui::QtDialogService::buildMessageBox(
        QStringLiteral(" Debe ingresar un número de formulario válido..."),
        ui::vbOKOnly | ui::vbInformation | ui::vbMsgBoxHelpButton, QStringLiteral(" ZAL"), 1080);
    box->show();
    QAbstractButton* help = nullptr;
    QAbstractButton* ok = nullptr;
    for (QAbstractButton* b : box->buttons())
        (b->text() == QLatin1String("Ayuda") ? help : ok) = b;
    QVERIFY(help && ok);

    help->click();
    QCOMPARE(contexts, QList<int>{1080});
    QVERIFY(box->isVisible());
    QCOMPARE(box->clickedButton(), nullptr);

    ok->click();
    QVERIFY(!box->isVisible());
    QCOMPARE(ui::QtDialogService::answerOf(*box, box->clickedButton()), ui::vbOK);
    ui::setHelpHandler({});
}

void TestUiControls::qtServiceNeverBlocksOffscreen()
{
    ui::QtDialogService service;
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("offscreen")));
    QCOMPARE(service.msgBox(QStringLiteral(" Borrar?"), ui::vbYesNo), ui::vbNo);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("offscreen")));
    QCOMPARE(service.inputBox(QStringLiteral("Fecha")), QString());
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("offscreen")));
    QCOMPARE(service.openFile({}), QString());
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("offscreen")));
    QCOMPARE(service.browseFolder(QStringLiteral("Carpeta")), QString());
}

void TestUiControls::fileFilters_data()
{
    QTest::addColumn<QString>("classic");
    QTest::addColumn<QString>("qt");
    QTest::newRow("one pair") << "Base de Datos |*.mdb" << "Base de Datos (*.mdb)";
    QTest::newRow("two pairs") << "Texto|*.txt|Todos|*.*" << "Texto (*.txt);;Todos (*.*)";
    QTest::newRow("several patterns") << "Datos|*.mdb;*.db" << "Datos (*.mdb *.db)";
    QTest::newRow("empty") << "" << "";
}

void TestUiControls::fileFilters()
{
    QFETCH(QString, classic);
    QFETCH(QString, qt);
    QCOMPARE(ui::qtFileFilter(classic), qt);
}

// ---------------------------------------------------------------------------------------------
// Data control, list and combo

void TestUiControls::dataControlFillsTheList()
{
    support::TestDatabase t;
    ui::DataControl dt;
    ui::DBList list;
    list.setRowSource(&dt);
    list.setListField(QStringLiteral("Dis"));
    list.setBoundColumn(QStringLiteral("No"));
    dt.setDatabaseName(t.path());
    dt.setConnect(kConnect);
    dt.setRecordSource(kPeriodos);
    dt.Refresh();

    QCOMPARE(list.count(), 28);
    QCOMPARE(list.item(0)->text(), QStringLiteral("01/07/1999 - 30/06/2000"));
    QCOMPARE(list.boundValue(2), QStringLiteral("3"));
    QCOMPARE(list.BoundText(), QString());
    // Reading the rows leaves the record set on its first row.
    db::Recordset rs = dt.Recordset();
    QCOMPARE(rs.absolutePosition(), 0);
    QCOMPARE(rs.field(QStringLiteral("No")).toInt(), 1);

    // ... and a refill keeps the cursor where the form left it.
    rs.findFirst(QStringLiteral("[No] = 5"));
    QVERIFY(!rs.noMatch());
    dt.UpdateControls();
    QCOMPARE(list.count(), 28);
    QCOMPARE(rs.field(QStringLiteral("No")).toInt(), 5);

    // A record source without rows: an empty list and a record set at its end.
    dt.setRecordSource(QStringLiteral("SELECT * FROM Periodos WHERE [No] > 1000"));
    dt.Refresh();
    QCOMPARE(list.count(), 0);
    QVERIFY(dt.Recordset().eof());
}

void TestUiControls::listSelectsByBoundText()
{
    support::TestDatabase t;
    addSuppliers(t);
    ui::DataControl dtPeriodos;
    dtPeriodos.setDatabaseName(t.path());
    dtPeriodos.setConnect(kConnect);
    dtPeriodos.setRecordSource(kPeriodos);
    dtPeriodos.Refresh();
    ui::DBList lstPeriodos;
    lstPeriodos.setListField(QStringLiteral("Dis"));
    lstPeriodos.setBoundColumn(QStringLiteral("No"));
    lstPeriodos.setRowSource(&dtPeriodos);   // an already open source fills the list at once
    QCOMPARE(lstPeriodos.count(), 28);

    lstPeriodos.setBoundText(QStringLiteral("3"));
    QCOMPARE(lstPeriodos.BoundText(), QStringLiteral("3"));
    QCOMPARE(lstPeriodos.Text(), QStringLiteral("01/07/2001 - 30/06/2002"));
    QCOMPARE(lstPeriodos.currentRow(), 2);

    lstPeriodos.setBoundText(QStringLiteral("99"));
    QCOMPARE(lstPeriodos.BoundText(), QString());
    QCOMPARE(lstPeriodos.Text(), QString());
    QVERIFY(lstPeriodos.selectedItems().isEmpty());

    // A refresh refills the list with no row selected.
    lstPeriodos.setBoundText(QStringLiteral("28"));
    QCOMPARE(lstPeriodos.BoundText(), QStringLiteral("28"));
    dtPeriodos.Refresh();
    QCOMPARE(lstPeriodos.BoundText(), QString());

    // Text bound columns compare without letter case.
    ui::DataControl dtProvee;
    dtProvee.setDatabaseName(t.path());
    dtProvee.setConnect(kConnect);
    dtProvee.setRecordSource(QStringLiteral("SELECT * FROM Proveedores ORDER BY [Nit];"));
    ui::DBList lstProvee;
    lstProvee.setRowSource(&dtProvee);
    lstProvee.setListField(QStringLiteral("Nombre"));
    lstProvee.setBoundColumn(QStringLiteral("Nit"));
    dtProvee.Refresh();
    lstProvee.setBoundText(QStringLiteral("6k"));
    QCOMPARE(lstProvee.BoundText(), QStringLiteral("6K"));
    QCOMPARE(lstProvee.Text(), QStringLiteral("Sin documentos"));
}

void TestUiControls::dataControlErrorsReachTheCaller()
{
    support::TestDatabase t;
    ui::DataControl dt;
    ui::DBList list;
    list.setRowSource(&dt);
    list.setListField(QStringLiteral("Dis"));
    list.setBoundColumn(QStringLiteral("No"));
    dt.setDatabaseName(t.path());
    dt.setConnect(kConnect);
    dt.setRecordSource(kPeriodos);
    dt.Refresh();

    auto errorOf = [&] {
        try {
            dt.Refresh();
        } catch (const db::DbError& e) {
            return e.number();
        }
        return 0;
    };
    dt.setDatabaseName(t.dir() + QStringLiteral("/nada.mdb"));
    QCOMPARE(errorOf(), 3024);
    dt.setDatabaseName(t.path());
    dt.setRecordSource(QStringLiteral("NoHayTabla"));
    QCOMPARE(errorOf(), 3078);
    QCOMPARE(list.count(), 28);   // the list keeps what it had
}

void TestUiControls::comboBoundTextFollowsTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bound");
    QTest::newRow("exact") << "Farmacia Sur" << "19";
    QTest::newRow("other letter case") << "FARMACIA sur" << "19";
    QTest::newRow("part of a name") << "Farmacia" << "";
    QTest::newRow("trailing blank") << "Farmacia Sur " << "";
    QTest::newRow("empty") << "" << "";
}

void TestUiControls::comboBoundTextFollowsTheText()
{
    QFETCH(QString, text);
    QFETCH(QString, bound);

    support::TestDatabase t;
    addSuppliers(t);
    ui::DataControl dt;
    dt.setDatabaseName(t.path());
    dt.setConnect(kConnect);
    dt.setRecordSource(QStringLiteral("SELECT * FROM Proveedores ORDER BY [Nombre];"));
    ui::DBCombo cmbNProvee;
    cmbNProvee.setRowSource(&dt);
    cmbNProvee.setListField(QStringLiteral("Nombre"));
    cmbNProvee.setBoundColumn(QStringLiteral("Nit"));
    dt.Refresh();
    QCOMPARE(cmbNProvee.count(), 3);

    cmbNProvee.setText(text);
    QCOMPARE(cmbNProvee.Text(), text);
    QCOMPARE(cmbNProvee.BoundText(), bound);
}

void TestUiControls::comboSetBoundTextAndRefill()
{
    support::TestDatabase t;
    addSuppliers(t);
    ui::DataControl dt;
    dt.setDatabaseName(t.path());
    dt.setConnect(kConnect);
    dt.setRecordSource(QStringLiteral("SELECT * FROM Proveedores ORDER BY [Nit];"));
    ui::DBCombo cmbNProvee;
    cmbNProvee.setRowSource(&dt);
    cmbNProvee.setListField(QStringLiteral("Nombre"));
    cmbNProvee.setBoundColumn(QStringLiteral("Nit"));
    dt.Refresh();
    QSignalSpy changes(&cmbNProvee, &ui::DBCombo::changed);

    cmbNProvee.setBoundText(QStringLiteral("6k"));
    QCOMPARE(cmbNProvee.Text(), QStringLiteral("Sin documentos"));
    QCOMPARE(cmbNProvee.BoundText(), QStringLiteral("6K"));
    QCOMPARE(changes.count(), 1);

    cmbNProvee.setBoundText(QStringLiteral("6K"));   // no change, no event
    QCOMPARE(changes.count(), 1);

    cmbNProvee.setBoundText(QString());
    QCOMPARE(cmbNProvee.Text(), QString());
    QCOMPARE(cmbNProvee.BoundText(), QString());
    QCOMPARE(changes.count(), 2);

    // A new row appears after a refresh; the typed text stays and no change is reported.
    cmbNProvee.setText(QStringLiteral("nuevo proveedor"));
    QCOMPARE(changes.count(), 3);
    QCOMPARE(cmbNProvee.BoundText(), QString());
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('24', 'Nuevo Proveedor');"));
    dt.Refresh();
    QCOMPARE(cmbNProvee.count(), 4);
    QCOMPARE(cmbNProvee.Text(), QStringLiteral("nuevo proveedor"));
    QCOMPARE(changes.count(), 3);
    QCOMPARE(cmbNProvee.BoundText(), QStringLiteral("24"));

    // Requery and ReFill, as the forms do after writing through the record set.
    dt.Recordset().addNew();
    dt.Recordset().setField(QStringLiteral("Nit"), QStringLiteral("35"));
    dt.Recordset().setField(QStringLiteral("Nombre"), QStringLiteral("Otro"));
    dt.UpdateRecord();
    dt.Recordset().requery();
    cmbNProvee.ReFill();
    QCOMPARE(cmbNProvee.count(), 5);
}

void TestUiControls::comboListPickIsAClick()
{
    support::TestDatabase t;
    addSuppliers(t);
    ui::DataControl dt;
    dt.setDatabaseName(t.path());
    dt.setConnect(kConnect);
    dt.setRecordSource(QStringLiteral("SELECT * FROM Proveedores ORDER BY [Nit];"));

    ui::Form form;
    auto* layout = new QVBoxLayout(&form);
    auto* cmbNit = new ui::DBCombo(&form);
    layout->addWidget(cmbNit);
    cmbNit->setRowSource(&dt);
    cmbNit->setListField(QStringLiteral("Nit"));
    cmbNit->setBoundColumn(QStringLiteral("Nit"));
    dt.Refresh();
    QStringList events;
    form.onChange(cmbNit, [&] { events << QStringLiteral("Change ") + cmbNit->Text(); });
    form.onClick(cmbNit, [&] { events << QStringLiteral("Click ") + cmbNit->BoundText(); });
    form.Show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    cmbNit->setFocus();

    // Typing neither opens the list nor clicks.
    QTest::keyClicks(cmbNit, QStringLiteral("19"));
    QVERIFY(!cmbNit->view()->isVisible());
    QCOMPARE(events, (QStringList{"Change 1", "Change 19"}));

    // A mouse click on a row of the list.
    events.clear();
    cmbNit->showPopup();
    QTRY_VERIFY(cmbNit->view()->isVisible());
    QCOMPARE(events, QStringList());   // opening the list with a matching text is no pick
    const QModelIndex row = cmbNit->model()->index(2, 0);   // "6K" after "1234560" and "19"
    const QRect rect = cmbNit->view()->visualRect(row);
    QTest::mouseClick(cmbNit->view()->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_VERIFY(!cmbNit->view()->isVisible());
    QCOMPARE(events, (QStringList{"Change 6K", "Click 6K"}));

    // Leaving the combo with a text equal to a row is no pick either.
    events.clear();
    cmbNit->setText(QStringLiteral("19"));
    auto* next = new QLineEdit(&form);
    layout->addWidget(next);
    next->show();
    next->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(events, (QStringList{"Change 19"}));
}

// ---------------------------------------------------------------------------------------------
// Masked box and status bar

void TestUiControls::maskedDateBox()
{
    ui::MaskedBox txtFecha;
    txtFecha.setMask(QStringLiteral("##/##/####"));
    txtFecha.setMaxLength(10);
    QCOMPARE(txtFecha.Text(), QStringLiteral("__/__/____"));
    txtFecha.show();
    txtFecha.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&txtFecha));
    txtFecha.setFocus();
    txtFecha.home(false);

    QTest::keyClicks(&txtFecha, QStringLiteral("120"));
    QCOMPARE(txtFecha.Text(), QStringLiteral("12/0_/____"));
    QTest::keyClicks(&txtFecha, QStringLiteral("5x2009"));   // the letter does not go in
    QCOMPARE(txtFecha.Text(), QStringLiteral("12/05/2009"));

    // Blanking the box the forms' way: no mask, empty text, the mask again.
    QSignalSpy changes(&txtFecha, &ui::MaskedBox::changed);
    txtFecha.setMask(QString());
    txtFecha.setText(QString());
    QCOMPARE(txtFecha.Text(), QString());
    txtFecha.setMask(QStringLiteral("##/##/####"));
    QCOMPARE(txtFecha.Text(), QStringLiteral("__/__/____"));
    QVERIFY(changes.count() >= 1);

    txtFecha.setText(QStringLiteral("01/02/2009"));
    QCOMPARE(txtFecha.Text(), QStringLiteral("01/02/2009"));
}

void TestUiControls::maskedBoxDisplayFormat()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* txtCantidad = new ui::MaskedBox(&window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(txtCantidad);
    layout->addWidget(other);
    txtCantidad->setFormat(QStringLiteral("##,###,##0.00"));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QSignalSpy changes(txtCantidad, &ui::MaskedBox::changed);

    txtCantidad->setText(QStringLiteral("1234.5"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(txtCantidad->Text(), QStringLiteral("1234.5"));
    QCOMPARE(txtCantidad->text(), QStringLiteral("1,234.50"));   // what is shown
    QCOMPARE(txtCantidad->FormattedText(), QStringLiteral("1,234.50"));

    // With the focus the box shows and edits the plain text; leaving it formats it again.
    txtCantidad->setFocus();
    QCOMPARE(txtCantidad->text(), QStringLiteral("1234.5"));
    txtCantidad->end(false);
    QTest::keyClicks(txtCantidad, QStringLiteral("6"));
    QCOMPARE(txtCantidad->Text(), QStringLiteral("1234.56"));
    other->setFocus();
    QCOMPARE(txtCantidad->text(), QStringLiteral("1,234.56"));
    QCOMPARE(txtCantidad->Text(), QStringLiteral("1234.56"));
    QCOMPARE(changes.count(), 2);   // the typed digit only

    // The longest amount that may be typed shows whole, separators and all, and the limit
    // still holds for typing.
    txtCantidad->setMaxLength(13);
    txtCantidad->setText(QStringLiteral("1234567890.12"));
    QCOMPARE(txtCantidad->text(), QStringLiteral("1,234,567,890.12"));
    QCOMPARE(txtCantidad->Text(), QStringLiteral("1234567890.12"));
    txtCantidad->setFocus();
    QCOMPARE(txtCantidad->text(), QStringLiteral("1234567890.12"));
    QCOMPARE(txtCantidad->maxLength(), 13);
    txtCantidad->end(false);
    QTest::keyClicks(txtCantidad, QStringLiteral("3"));
    QCOMPARE(txtCantidad->Text(), QStringLiteral("1234567890.12"));
    other->setFocus();
    QCOMPARE(txtCantidad->text(), QStringLiteral("1,234,567,890.12"));

    // A text that is not a number shows as it is.
    txtCantidad->setText(QStringLiteral("abc"));
    QCOMPARE(txtCantidad->text(), QStringLiteral("abc"));
    txtCantidad->setText(QString());
    QCOMPARE(txtCantidad->text(), QString());
}

void TestUiControls::qtInputMasks_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("qt");
    QTest::newRow("date") << "##/##/####" << "00/00/0000;_";
    QTest::newRow("letters") << ">?A-999" << ">an-000;_";
    QTest::newRow("escaped literal") << "\\A#" << "\\A0;_";
    QTest::newRow("Qt's own mask letters as literals") << "N#h" << "\\N0\\h;_";
    QTest::newRow("none") << "" << "";
}

void TestUiControls::qtInputMasks()
{
    QFETCH(QString, mask);
    QFETCH(QString, qt);
    QCOMPARE(ui::MaskedBox::qtInputMask(mask, QLatin1Char('_')), qt);
}

void TestUiControls::statusBarPanels()
{
    support::FixedClock clock(QDateTime(QDate(2009, 1, 15), QTime(9, 30)));
    ui::StatusBar Stat;
    Stat.panel(3).setText(QStringLiteral("Ingrese el nombre del contribuyente..."));
    QCOMPARE(Stat.panelCount(), 3);
    QCOMPARE(Stat.panel(3).text(), QStringLiteral("Ingrese el nombre del contribuyente..."));
    QCOMPARE(Stat.panel(1).text(), QString());
    Stat.panel(1).setStyle(ui::StatusPanel::Style::Date);
    Stat.panel(2).setStyle(ui::StatusPanel::Style::Time);
    QCOMPARE(Stat.panel(1).text(), QStringLiteral("15/01/2009"));
    QCOMPARE(Stat.panel(2).text(), QStringLiteral("09:30"));
    QCOMPARE(Stat.panelCount(), 3);
}

QTEST_MAIN(TestUiControls)
#include "test_ui_controls.moc"
