// The income-tax return form: loading a taxpayer and the return, the entry chain with Enter and
// Tab and its checks, saving (with the lock question and other errors), the menu entry and the
// closing of the form.
#include "income_tax/frm_isr.h"
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/db/database.h"
#include "platform/report/report_control.h"
#include "platform/system/app_info.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/masked_box.h"
#include "platform/ui/status_bar.h"
#include "support/report_presenter.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"
#include "catalogs/nit_catalog_test_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

namespace {

using namespace nit_catalog_test;

const QString kAmount = QStringLiteral("Debe ingresar una cantidad válida...");
const QString kName = QStringLiteral("Debe ingresar un nombre válido...");
const QString kTooLong3 = QStringLiteral("El Nit no puede ser mayor de 14 posiciones...");
const QString kTooLong4 = QStringLiteral("El Nit nom puede ser mayor de 14 posiciones...");

QString plain(const QString& prompt)
{
    return QStringLiteral("%1 | %2 | ").arg(prompt).arg(ui::vbInformation);
}

// Ana has a stored return; Juan has none; 22222227 is not in the catalogue but has a return.
struct Fixture {
    support::TempSettings settings;
    support::TestDatabase db;
    Fixture()
    {
        db::setLockTimeout(100);
        db.exec(QStringLiteral(
            "INSERT INTO Contribuyentes (Nit, Nombre, NPat, NomPat) VALUES ('12345679', 'Ana López', '76543218', 'Empresa S.A.');"
            "INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('1000064K', 'Juan Pérez');"
            "INSERT INTO ISR VALUES ('12345679', '150000', '25000', 'Otra S.A.', '1000064K', '30000', 'Tercera', "
            "'76543218', '12000', '4800', '1200', '3500', '0', '1000', '2500', '300', '15000');"
            "INSERT INTO ISR (Nit, Cas16) VALUES ('22222227', '101000');"));
        Biblio::gBaseDatos = db.path();
        Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), QStringLiteral("3"));
        Biblio::gPeriodoDel = QStringLiteral("01/01/2009");
        Biblio::gPeriodoAl = QStringLiteral("31/01/2009");
    }
    // The stored returns, every column joined by "|", sorted by tax id.
    QStringList rows() const
    {
        QStringList out;
        db::Database d = db::Database::open(db.path(), Biblio::kConnect);
        for (db::Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM ISR ORDER BY Nit")); !rs.eof(); rs.moveNext()) {
            QStringList values;
            for (int i = 0; i < rs.fieldCount(); ++i)
                values << rs.field(i).toString();
            out << values.join(QLatin1Char('|'));
        }
        return out;
    }
};

const QString kAnaRow = QStringLiteral(
    "12345679|150000|25000|Otra S.A.|1000064K|30000|Tercera|76543218|12000|4800|1200|3500|0|1000|2500|300|15000");
const QString kOtherRow = QStringLiteral("22222227|101000") + QString(15, QLatin1Char('|'));

bool open(frmISR& f)
{
    f.Load();
    f.Show();
    f.activateWindow();
    return QTest::qWaitForWindowActive(&f);
}

void load(frmISR& f, const QString& nit)
{
    typeNitInto(f.cmbContrib, nit);
}

// The typed amounts, then lines 5, 12, 13, 14, 18, joined by "|".
QString amounts(const frmISR& f)
{
    QStringList out;
    for (int n : income_tax::kCasillasDigitadas)
        out << f.casilla(n)->Text();
    out << QStringLiteral("=");
    for (int n : income_tax::kCasillasCalculadas)
        out << f.casilla(n)->Text();
    return out.join(QLatin1Char('|'));
}

QString employers(const frmISR& f)
{
    return QStringList{f.txtNombre->text(), f.txtNomPat1->text(), f.txtNitPat1->text(), f.txtNomPat2->Text(),
                       f.txtNitPat2->Text(), f.txtNomPat3->Text(), f.txtNitPat3->Text()}
        .join(QLatin1Char('|'));
}

const QString kZeros = QStringLiteral("0|0|0|0|0|0|0|0|0|0|0|0|=|");

// Presses a key in the focused widget and lets the queued focus moves run.
void press(frmISR& f, Qt::Key key)
{
    QWidget* w = QApplication::focusWidget();
    QVERIFY(w);
    QTest::keyClick(w, key);
    Q_UNUSED(f);
}

void typeInto(ui::MaskedBox* box, const QString& text)
{
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box));
    box->selectAll();
    QTest::keyClicks(box, text);
}

} // namespace

class TestFrmIsr : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTaxpayerAndReturn();
    void loadClearsThePreviousTaxpayer();
    void loadRefusesBlankOrInvalidNit_data();
    void loadRefusesBlankOrInvalidNit();
    void clearKeepsLine18AndTaxpayer();
    void chainWithKey_data();
    void chainWithKey();
    void emptyEmployerNameJumpsToLine7();
    void entryChecks_data();
    void entryChecks();
    void saveCreatesThenOverwrites();
    void saveRefusesAnotherOrNoTaxId_data();
    void saveRefusesAnotherOrNoTaxId();
    void saveStopsAtARefusedAmount_data();
    void saveStopsAtARefusedAmount();
    void lockedSaveAsksToRetry_data();
    void lockedSaveAsksToRetry();
    void otherErrorIsASystemError();
    void menuOpensOnceAndClosingUnlocks();
    void shortWindowKeepsTheFormInRoomAndScrollsToTheFocus();
    void openedAgainKeepsItsSize();
    void destroyedWhileTheFocusMovesOn();
    void closingKeepsTheFlagWhileAWorksheetIsOpen_data();
    void closingKeepsTheFlagWhileAWorksheetIsOpen();
    void activationRefreshesListAndTakesPendingSupplier();
    void printSetsEverySlotInOrder();
    void printComputesFirstAndNeedsNoTaxpayer();
    void printRefusesABoxThatIsNoAmount_data();
    void printRefusesABoxThatIsNoAmount();
};

void TestFrmIsr::loadShowsTaxpayerAndReturn()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    QCOMPARE(f.windowTitle(), QStringLiteral("ISR"));
    QCOMPARE(f.lblActual->text(), QStringLiteral("Período Actual: 01/01/2009 - 31/01/2009"));
    QVERIFY(Biblio::gPlanillaAbierta);
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(f.Stat->panel(3).text(), QStringLiteral("Seleccione su nit(Persona que declara)..."));
    load(f, QStringLiteral("12345679"));
    QCOMPARE(employers(f), QStringLiteral("Ana López|Empresa S.A.|76543218|Otra S.A.|1000064K|Tercera|76543218"));
    QCOMPARE(amounts(f), QStringLiteral("150000|25000|30000|12000|4800|1200|3500|0|1000|2500|300|15000|=|"
                                        "217000|46500|170500|30850|13050"));
    QCOMPARE(f.casilla21->Text(), QStringLiteral("36000"));
    QCOMPARE(f.TasaISR, 0.20);
    QCOMPARE(QApplication::focusWidget(), f.casilla16);
    QCOMPARE(f.Stat->panel(3).text(), QString());
    // The boxes show their display format while they do not have the focus.
    QCOMPARE(f.casilla17->text(), QStringLiteral("25,000.00"));
}

void TestFrmIsr::loadClearsThePreviousTaxpayer()
{
    Fixture fx;
    fx.db.exec(QStringLiteral("INSERT INTO ISR (Nit, Cas16, NomPat2) VALUES ('76543218', '50000', NULL);"));
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("12345679"));
    // No stored return: nothing of Ana's stays.
    load(f, QStringLiteral("1000064K"));
    QCOMPARE(employers(f), QStringLiteral("Juan Pérez||||||"));
    QCOMPARE(amounts(f), kZeros + QStringLiteral("0|36000|-36000|0|0"));
    // Not in the catalogue, with a stored return: the name and first employer are not Juan's.
    load(f, QStringLiteral("22222227"));
    QCOMPARE(employers(f), QStringLiteral("||||||"));
    QCOMPARE(amounts(f), QStringLiteral("101000|0|0|0|0|0|0|0|0|0|0|0|=|101000|36000|65000|9750|9750"));
    // A return whose columns have no value reads them as empty boxes.
    load(f, QStringLiteral("12345679"));
    load(f, QStringLiteral("76543218"));
    QCOMPARE(employers(f), QStringLiteral("||||||"));
    QCOMPARE(amounts(f), QStringLiteral("50000|0|0|0|0|0|0|0|0|0|0|0|=|50000|36000|14000|2100|2100"));
    QCOMPARE(f.nitCargado(), QStringLiteral("76543218"));
}

void TestFrmIsr::loadRefusesBlankOrInvalidNit_data()
{
    QTest::addColumn<QString>("nit");
    QTest::addColumn<QString>("message");
    QTest::newRow("blank") << "  " << kNitMissing;
    QTest::newRow("wrong check digit") << "12345678" << kNitInvalid;
}

void TestFrmIsr::loadRefusesBlankOrInvalidNit()
{
    QFETCH(QString, nit);
    QFETCH(QString, message);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("12345679"));
    dialogs.expectMsgBox(message, ui::vbOK);
    load(f, nit);
    QCOMPARE(messages(dialogs), QStringList{info(message)});
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(f.txtNombre->text(), QStringLiteral("Ana López"));
    QCOMPARE(f.nitCargado(), QStringLiteral("12345679"));
}

void TestFrmIsr::clearKeepsLine18AndTaxpayer()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("12345679"));
    f.cmdLimpiar->click();
    QCOMPARE(employers(f), QStringLiteral("Ana López||||||"));
    QCOMPARE(amounts(f), QStringLiteral("||||||||||||=|||||13050"));
    QCOMPARE(f.casilla21->Text(), QString());
    QCOMPARE(f.cmbContrib->Text(), QStringLiteral("12345679"));
    QVERIFY(f.CalculaISR());
    QCOMPARE(amounts(f), kZeros + QStringLiteral("0|36000|-36000|0|0"));
    QCOMPARE(f.casilla21->Text(), QStringLiteral("36000"));
}

void TestFrmIsr::chainWithKey_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Tab") << int(Qt::Key_Tab);
}

void TestFrmIsr::chainWithKey()
{
    QFETCH(int, key);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("1000064K"));
    // Every field of the chain, what is typed into it and where the key takes the focus.
    const struct {
        QWidget* field;
        const char* text;
        QWidget* next;
    } steps[] = {
        {f.casilla16, "150000", f.casilla17}, {f.casilla17, "25000.50", f.txtNomPat2},
        {f.txtNomPat2, "Otra S.A.", f.txtNitPat2}, {f.txtNitPat2, "0076543218", f.casilla18},
        {f.casilla18, "30000", f.txtNomPat3}, {f.txtNomPat3, "Tercera", f.txtNitPat3},
        {f.txtNitPat3, "1000064k", f.casilla19}, {f.casilla19, "12000", f.casilla22},
        {f.casilla22, "4800", f.casilla23}, {f.casilla23, "1200", f.casilla24},
        {f.casilla24, "3500.25", f.casilla25}, {f.casilla25, "0", f.casilla26},
        {f.casilla26, "1000", f.casilla34}, {f.casilla34, "2500", f.casilla36},
        {f.casilla36, "300", f.casilla38}, {f.casilla38, "15000", f.cmdGrabar},
    };
    for (const auto& step : steps) {
        QCOMPARE(QApplication::focusWidget(), step.field);
        auto* box = static_cast<ui::MaskedBox*>(step.field);
        box->selectAll();
        QTest::keyClicks(box, QString::fromUtf8(step.text));
        QTest::keyClick(box, Qt::Key(key));
        QCOMPARE(QApplication::focusWidget(), step.next);
    }
    QCOMPARE(dialogs.calls().size(), 0);
    // Leading zeros are gone; the totals followed the typing.
    QCOMPARE(employers(f), QStringLiteral("Juan Pérez|||Otra S.A.|76543218|Tercera|1000064k"));
    QCOMPARE(amounts(f), QStringLiteral("150000|25000.50|30000|12000|4800|1200|3500.25|0|1000|2500|300|15000|=|"
                                        "217000.5|46500.25|170500.25|30850.05|13050.05"));
    // Enter on the save button, where the chain ends, stores the return.
    QTest::keyClick(f.cmdGrabar, Qt::Key_Return);
    QCOMPARE(dialogs.calls().size(), 0);
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(fx.rows(), (QStringList{QStringLiteral("1000064K|150000|25000.50|Otra S.A.|76543218|30000|Tercera|1000064k|"
                                                    "12000|4800|1200|3500.25|0|1000|2500|300|15000"),
                                     kAnaRow, kOtherRow}));
}

void TestFrmIsr::emptyEmployerNameJumpsToLine7()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("1000064K"));
    QTest::keyClick(f.casilla16, Qt::Key_Return);
    QTest::keyClick(f.casilla17, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.txtNomPat2);
    QTest::keyClick(f.txtNomPat2, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), f.casilla22);
    // Clicking into a skipped line also lands in line 7.
    for (QWidget* skipped : std::initializer_list<QWidget*>{f.txtNitPat2, f.casilla18, f.txtNitPat3, f.casilla19}) {
        QTest::mouseClick(skipped, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), f.casilla22);
    }
    // After clearing, lines 4 and 7 are empty: entering line 8 sends the user to line 7, which
    // sends them to line 4, which is skipped; line 7 then lets them in (the skipped lines count 0).
    f.cmdLimpiar->click();
    dialogs.expectMsgBox(kAmount, ui::vbOK).expectMsgBox(kAmount, ui::vbOK);
    QTest::mouseClick(f.casilla23, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), f.casilla22);
    QCOMPARE(f.casilla19->Text(), QStringLiteral("0"));
    QCOMPARE(dialogs.pending(), 0);
}

void TestFrmIsr::entryChecks_data()
{
    // Texts to set ("field=text;..."), the field entered (by a mouse click) or confirmed (by
    // Enter), the messages shown, where the focus ends and the texts afterwards.
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("enter");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("after");

    QTest::newRow("negative amount, Enter: back, text stays")
        << "casilla16=-5" << "casilla16" << true << QStringList{plain(kAmount)} << "casilla16" << "casilla16=-5";
    QTest::newRow("negative line 3, Enter: stays") << "txtNomPat2=Otra;txtNitPat2=76543218;casilla18=-1"
                                                   << "casilla18" << true << QStringList{plain(kAmount)} << "casilla18"
                                                   << "casilla18=-1";
    QTest::newRow("negative line 17, Enter: stays") << "casilla38=-1" << "casilla38" << true << QStringList{plain(kAmount)}
                                                    << "casilla38" << "casilla38=-1";
    QTest::newRow("12abc passes Enter, emptied on the next field")
        << "casilla16=12abc" << "casilla16" << true << QStringList{plain(kAmount)} << "casilla16" << "casilla16=";
    // The refused box gets the focus, whose own entering check recomputes: the emptied box shows 0.
    QTest::newRow("entering checks the box before it in the chain, not the one left")
        << "casilla25=x" << "casilla26" << false << QStringList{plain(kAmount)} << "casilla25" << "casilla25=0";
    QTest::newRow("numeric employer name") << "txtNomPat2=123" << "txtNitPat2" << false << QStringList{plain(kName)}
                                           << "txtNomPat2" << "txtNomPat2=";
    QTest::newRow("numeric line-4 name") << "txtNomPat3=4.5" << "txtNitPat3" << false << QStringList{plain(kName)}
                                         << "txtNomPat3" << "txtNomPat3=";
    QTest::newRow("15 characters, Enter: last one dropped, then checked")
        << "txtNomPat2=Otra;txtNitPat2=00000076543218X" << "txtNitPat2" << true << QStringList{plain(kTooLong4)}
        << "casilla18" << "txtNitPat2=76543218";
    QTest::newRow("blank tax id, Enter") << "txtNomPat3=Otra;txtNitPat3=  " << "txtNitPat3" << true
                                         << QStringList{info(kNitMissing)} << "txtNitPat3" << "txtNitPat3=  ";
    QTest::newRow("wrong tax id, Enter") << "txtNomPat2=Otra;txtNitPat2=12345678" << "txtNitPat2" << true
                                         << QStringList{info(kNitInvalid)} << "txtNitPat2" << "txtNitPat2=12345678";
    QTest::newRow("entering line 3 with an empty tax id")
        << "txtNomPat2=Otra" << "casilla18" << false << QStringList{info(kNitMissing), info(kNitInvalid)} << "txtNitPat2"
        << "txtNitPat2=";
    QTest::newRow("entering line 3 with a long tax id: three messages")
        << "txtNomPat2=Otra;txtNitPat2=123456789012345" << "casilla18" << false
        << QStringList{plain(kTooLong3), info(kNitMissing), info(kNitInvalid)} << "txtNitPat2" << "txtNitPat2=";
    QTest::newRow("entering line 4 with a long tax id")
        << "txtNomPat3=Otra;txtNitPat3=123456789012345" << "casilla19" << false
        << QStringList{plain(kTooLong4), info(kNitMissing), info(kNitInvalid)} << "txtNitPat3" << "txtNitPat3=";
    QTest::newRow("entering line 4 removes leading zeros") << "txtNomPat3=Otra;txtNitPat3=0076543218" << "casilla19"
                                                           << false << QStringList{} << "casilla19"
                                                           << "txtNitPat3=76543218";
    // The click that gives the button the focus saves nothing then.
    QTest::newRow("save button: line 17 checked, then every box")
        << "casilla23=abc" << "cmdGrabar" << false << QStringList{plain(kAmount)} << "casilla23" << "casilla23=0";
    // ValidaCantidades runs before the computation that fills empty boxes with "0".
    QTest::newRow("save button: an empty line 1 is reported") << "casilla16=" << "cmdGrabar" << false
                                                               << QStringList{plain(kAmount)} << "casilla16"
                                                               << "casilla16=0";
    QTest::newRow("1E400 is no amount") << "casilla26=1E400" << "casilla34" << false << QStringList{plain(kAmount)}
                                        << "casilla26" << "casilla26=0";
    QTest::newRow("1,500 is an amount") << "casilla16=1,500" << "casilla17" << false << QStringList{} << "casilla17"
                                        << "casilla16=1,500;casilla20=1500";
    // Texts the box would show as a number the computation does not count.
    QTest::newRow("(5) is no amount") << "casilla16=(5)" << "casilla17" << false << QStringList{plain(kAmount)}
                                      << "casilla16" << "casilla16=";
    QTest::newRow("Q100 is no amount") << "casilla22=Q100" << "casilla23" << false << QStringList{plain(kAmount)}
                                       << "casilla22" << "casilla22=0;casilla27=36000";
}

void TestFrmIsr::entryChecks()
{
    QFETCH(QString, setup);
    QFETCH(QString, field);
    QFETCH(bool, enter);
    QFETCH(QStringList, shown);
    QFETCH(QString, focus);
    QFETCH(QString, after);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("1000064K"));
    for (const QString& part : setup.split(QLatin1Char(';'))) {
        const QString name = part.section(QLatin1Char('='), 0, 0);
        f.findChild<ui::MaskedBox*>(name)->setText(part.section(QLatin1Char('='), 1));
    }
    for (int i = 0; i < shown.size(); ++i)
        dialogs.expectMsgBox(ui::vbOK);
    auto* target = f.findChild<QWidget*>(field);
    if (enter) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
    } else {
        QTest::mouseClick(target, Qt::LeftButton);
    }
    QCOMPARE(messages(dialogs), shown);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    for (const QString& part : after.split(QLatin1Char(';'))) {
        const QString name = part.section(QLatin1Char('='), 0, 0);
        QCOMPARE(f.findChild<ui::MaskedBox*>(name)->Text(), part.section(QLatin1Char('='), 1));
    }
    QCOMPARE(fx.rows(), (QStringList{kAnaRow, kOtherRow}));
}

void TestFrmIsr::saveCreatesThenOverwrites()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("1000064k"));
    f.casilla16->setText(QStringLiteral("120000"));
    f.txtNomPat2->setText(QStringLiteral("Otra S.A."));
    f.txtNitPat2->setText(QStringLiteral("76543218"));
    f.cmdGrabar->click();
    QCOMPARE(dialogs.calls().size(), 0);
    // "Grabar" stays until the next field writes its prompt: the tax-id box, where the save ends.
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(f.Stat->panel(3).text(), QStringLiteral("Seleccione su nit(Persona que declara)..."));
    QCOMPARE(fx.rows(), (QStringList{QStringLiteral("1000064K|120000|0|Otra S.A.|76543218|0|||0|0|0|0|0|0|0|0|0"),
                                     kAnaRow, kOtherRow}));
    // Again, under the tax id as shown: the one row is overwritten.
    f.casilla17->setText(QStringLiteral("5000"));
    f.cmdGrabar->click();
    QCOMPARE(fx.rows(), (QStringList{QStringLiteral("1000064K|120000|5000|Otra S.A.|76543218|0|||0|0|0|0|0|0|0|0|0"),
                                     kAnaRow, kOtherRow}));
    QCOMPARE(f.mousePointer(), 0);
    // And it loads back.
    load(f, QStringLiteral("12345679"));
    load(f, QStringLiteral("1000064K"));
    QCOMPARE(f.casilla17->Text(), QStringLiteral("5000"));
    QCOMPARE(f.txtNomPat2->Text(), QStringLiteral("Otra S.A."));
}

void TestFrmIsr::saveRefusesAnotherOrNoTaxId_data()
{
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("typed");
    QTest::newRow("another tax id typed without Enter") << "1000064K" << "12345679";
    QTest::newRow("blank box") << "1000064K" << "";
    QTest::newRow("nothing loaded") << "" << "12345679";
}

void TestFrmIsr::saveRefusesAnotherOrNoTaxId()
{
    QFETCH(QString, loaded);
    QFETCH(QString, typed);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    if (!loaded.isEmpty())
        load(f, loaded);
    for (int n : income_tax::kCasillasDigitadas)
        f.casilla(n)->setText(QStringLiteral("1"));
    typeNitInto(f.cmbContrib, typed, false);
    dialogs.expectMsgBox(kNitMissing, ui::vbOK);
    f.cmdGrabar->click();
    QCOMPARE(messages(dialogs), QStringList{info(kNitMissing)});
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(fx.rows(), (QStringList{kAnaRow, kOtherRow}));
}

void TestFrmIsr::saveStopsAtARefusedAmount_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << 22 << "abc";
    QTest::newRow("beyond a double") << 16 << "1E400";
    QTest::newRow("badly grouped") << 38 << "12,5";
    QTest::newRow("in parentheses") << 17 << "(5)";
    QTest::newRow("currency symbol") << 34 << "Q100";
}

void TestFrmIsr::saveStopsAtARefusedAmount()
{
    QFETCH(int, box);
    QFETCH(QString, text);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("12345679"));
    f.casilla(box)->setText(text);
    dialogs.expectMsgBox(kAmount, ui::vbOK);
    f.cmdGrabar_Click();
    QCOMPARE(messages(dialogs), QStringList{plain(kAmount)});
    QCOMPARE(f.casilla(box)->Text(), QString());
    QCOMPARE(fx.rows(), (QStringList{kAnaRow, kOtherRow}));
}

void TestFrmIsr::lockedSaveAsksToRetry_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes") << int(ui::vbYes);
    QTest::newRow("No") << int(ui::vbNo);
}

void TestFrmIsr::lockedSaveAsksToRetry()
{
    QFETCH(int, answer);
    Fixture fx;
    Dialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("1000064K"));
    f.casilla16->setText(QStringLiteral("7"));
    OtherSessionLock lock(fx.db.path());
    QVERIFY(lock.locked());
    int pointerAtQuestion = -1;
    dialogs.expectMsgBox(kLockedSave, answer);
    dialogs.onMsgBox = [&](const QString&) {
        pointerAtQuestion = f.mousePointer();
        lock.release();
    };
    f.cmdGrabar->click();
    QCOMPARE(messages(dialogs),
             QStringList{QStringLiteral("%1 | %2 |  ZAL").arg(kLockedSave).arg(ui::vbYesNo | ui::vbInformation)});
    QCOMPARE(pointerAtQuestion, 0);
    QCOMPARE(f.dtISR->Recordset().editMode(), db::EditMode::None);
    QStringList expected{kAnaRow, kOtherRow};
    if (answer == ui::vbYes)
        expected.prepend(QStringLiteral("1000064K|7|0|||0|||0|0|0|0|0|0|0|0|0"));
    QCOMPARE(fx.rows(), expected);
    QCOMPARE(f.casilla16->Text(), QStringLiteral("7"));
}

void TestFrmIsr::otherErrorIsASystemError()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    fx.db.exec(QStringLiteral("CREATE TRIGGER refuse_isr BEFORE UPDATE ON ISR BEGIN SELECT RAISE(ABORT, 'disco lleno'); END;"));
    load(f, QStringLiteral("12345679"));
    dialogs.expectMsgBox(ui::vbOK);
    f.cmdGrabar->click();
    QCOMPARE(dialogs.calls().size(), 1);
    const auto& call = dialogs.calls().first();
    QVERIFY2(call.prompt.startsWith(QStringLiteral(" Error de sistema ")), qPrintable(call.prompt));
    QVERIFY(call.prompt.contains(QChar(13)));
    QCOMPARE(call.style, ui::vbOKOnly);
    QCOMPARE(call.title, QString());
    QCOMPARE(f.dtISR->Recordset().editMode(), db::EditMode::None);
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(f.mousePointer(), 0);
    QCOMPARE(fx.rows(), (QStringList{kAnaRow, kOtherRow}));
}

void TestFrmIsr::shortWindowKeepsTheFormInRoomAndScrollsToTheFocus()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.resize(1024, 600);   // the main window's share of a 1280×800 screen, or less
    menu.show();
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    menu.ISR->trigger();
    frmISR* f = MDIMenu::findForm<frmISR>();
    QVERIFY(f && f->subWindow());
    // The form opens inside the free room: its buttons and status bar are not cut off below.
    const QRect room = menu.mdiArea->viewport()->rect();
    QVERIFY2(room.contains(f->subWindow()->geometry()),
             qPrintable(QStringLiteral("%1×%2 in %3×%4").arg(f->subWindow()->width()).arg(f->subWindow()->height())
                            .arg(room.width()).arg(room.height())));
    QVERIFY(f->subWindow()->rect().contains(f->cmdGrabar->geometry().translated(f->mapTo(f->subWindow(), QPoint()))));
    auto* lines = f->findChild<QScrollArea*>(QStringLiteral("scrollLines"));
    QVERIFY(lines);
    // The lines scroll up and down only: none is cut at the right.
    QVERIFY2(lines->widget()->width() <= lines->viewport()->width(),
             qPrintable(QStringLiteral("%1 in %2").arg(lines->widget()->width()).arg(lines->viewport()->width())));
    QVERIFY(lines->verticalScrollBar()->maximum() > 0);   // the lines are taller than the room
    const auto shown = [lines](QWidget* box) {
        const QRect at(box->mapTo(lines->viewport(), QPoint()), box->size());
        return lines->viewport()->rect().contains(at);
    };
    load(*f, QStringLiteral("12345679"));   // a full return: every box may take the focus
    // Names longer than their box show their start.
    for (QLineEdit* name : std::initializer_list<QLineEdit*>{f->txtNombre, f->txtNomPat1, f->txtNomPat2})
        QVERIFY2(!name->text().isEmpty() && name->cursorPosition() == 0, qPrintable(name->objectName()));
    // A box that takes the focus, however it came, is scrolled into view.
    for (QWidget* box : std::initializer_list<QWidget*>{f->casilla38, f->casilla16, f->casilla26}) {
        box->setFocus();
        QCOMPARE(QApplication::focusWidget(), box);
        QVERIFY2(shown(box), qPrintable(box->objectName()));
    }
    f->cmdSalir->click();
}

void TestFrmIsr::openedAgainKeepsItsSize()
{
    // The return is taller than a small main window; opened a second time it must come back
    // at its own size (the main window scrolls), not squeezed into the client area.
    Fixture fx;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.resize(1000, 600);
    menu.show();
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    menu.ISR->trigger();
    frmISR* f = MDIMenu::findForm<frmISR>();
    QVERIFY(f && f->isLoaded());
    const QSize first = f->size();
    QVERIFY(first.height() >= f->minimumSizeHint().height());
    f->cmdSalir->click();
    QVERIFY(!f->isLoaded());
    menu.ISR->trigger();
    f = MDIMenu::findForm<frmISR>();
    QVERIFY(f->isLoaded());
    QCOMPARE(f->size(), first);
}

// The form is destroyed with the focus in one of its boxes, inside a main window: on the way out
// its base hands the form's window back to the main window, and the focus moves on to the window
// that held the form. That focus change reaches the application while the form's base is being
// destroyed, when nothing of the form's own may run any more (a build with the undefined-behaviour
// sanitizer stops on it).
void TestFrmIsr::destroyedWhileTheFocusMovesOn()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    struct MainArea {
        ~MainArea() { ui::setMainMdiArea(nullptr); }
    } restoreArea;
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1000, 700);
    ui::setMainMdiArea(area);
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    area->addSubWindow(new QLineEdit)->show();
    auto f = std::make_unique<frmISR>();
    f->Show();
    QWidget* window = f->subWindow();
    QVERIFY(window);
    load(*f, QStringLiteral("12345679"));
    f->casilla26->setFocus();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->casilla26));

    QList<QWidget*> focused;
    const auto watch = connect(qApp, &QApplication::focusChanged, this, [&](QWidget*, QWidget* now) { focused << now; });
    f.reset();
    disconnect(watch);
    QVERIFY2(focused.contains(window), "the focus did not move on while the form went");
}

void TestFrmIsr::menuOpensOnceAndClosingUnlocks()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    menu.ISR->trigger();
    menu.ISR->trigger();
    frmISR* f = MDIMenu::findForm<frmISR>();
    QVERIFY(f && f->isLoaded());
    QCOMPARE(menu.mdiArea->subWindowList().size(), 1);
    QVERIFY(!menu.mn00301->isEnabled());
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(!menu.mn00203->isEnabled());
    QVERIFY(Biblio::gPlanillaAbierta);
    f->cmbContrib->setText(QStringLiteral("12345679"));
    int enter = 13;
    f->cmbContrib_KeyPress(enter);
    QCOMPARE(f->txtNombre->text(), QStringLiteral("Ana López"));
    f->cmdSalir->click();
    QVERIFY(!f->isLoaded());
    QVERIFY(menu.mn00301->isEnabled());
    QVERIFY(menu.mn00104->isEnabled());
    QVERIFY(menu.mn00203->isEnabled());
    QVERIFY(!Biblio::gPlanillaAbierta);
    // Opened again, it starts empty.
    menu.ISR->trigger();
    f = MDIMenu::findForm<frmISR>();
    QVERIFY(f->isLoaded());
    QCOMPARE(f->cmbContrib->Text(), QString());
    QCOMPARE(employers(*f), QStringLiteral("||||||"));
    QCOMPARE(f->nitCargado(), QString());
    QCOMPARE(f->casilla16->Text(), QString());
    QCOMPARE(f->casilla39->Text(), QString());
    QVERIFY(menu.Unload());
}

void TestFrmIsr::closingKeepsTheFlagWhileAWorksheetIsOpen_data()
{
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("flag");
    QTest::newRow("entry form") << "frmPlanillas" << true;
    QTest::newRow("print form") << "frmReportes" << true;
    QTest::newRow("older entry form") << "frmIngresos" << true;
    QTest::newRow("older entry form with print panel") << "frmImpRep" << true;
    QTest::newRow("a catalogue") << "frmProveedor" << false;
}

void TestFrmIsr::closingKeepsTheFlagWhileAWorksheetIsOpen()
{
    QFETCH(QString, other);
    QFETCH(bool, flag);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    ui::Form worksheet;
    worksheet.setObjectName(other);
    worksheet.Load();
    frmISR f;
    QVERIFY(open(f));
    QVERIFY(Biblio::gPlanillaAbierta);
    f.cmdSalir->click();
    QCOMPARE(Biblio::gPlanillaAbierta, flag);
}

void TestFrmIsr::activationRefreshesListAndTakesPendingSupplier()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmISR f;
    QVERIFY(open(f));
    Biblio::gNitProveedor = QStringLiteral("111");
    Biblio::gProveedorNuevo = false;
    fx.db.exec(QStringLiteral("INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('22222227', 'Nueva');"));
    f.Form_Activate();
    // A supplier that is not yet saved stays pending; a saved one is taken.
    QCOMPARE(Biblio::gNitProveedor, QStringLiteral("111"));
    Biblio::gProveedorNuevo = true;
    f.Form_Activate();
    QCOMPARE(Biblio::gNitProveedor, QString());
    QVERIFY(!Biblio::gProveedorNuevo);
    QVERIFY(f.cmbContrib->findText(QStringLiteral("22222227")) >= 0);
    // A pick in the list loads the taxpayer as Enter does.
    f.cmbContrib->setText(QStringLiteral("22222227"));
    emit f.cmbContrib->listPicked();
    QCOMPARE(f.txtNombre->text(), QStringLiteral("Nueva"));
    QCOMPARE(f.casilla16->Text(), QStringLiteral("101000"));
    QCOMPARE(f.nitCargado(), QStringLiteral("22222227"));
}

namespace {

// The templates of the program's application folder, for the prints.
struct Templates {
    Templates() { sys::setAppPath(QDir(qEnvironmentVariable("ZAL_SOURCE_DIR")).filePath(QStringLiteral("resources"))); }
    ~Templates() { sys::setAppPath(QString()); }
};

} // namespace

void TestFrmIsr::printSetsEverySlotInOrder()
{
    Fixture fx;
    Templates templates;
    fx.db.exec(QStringLiteral("INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (2, 3), (1, 4), (1, 3);"));
    support::ScriptedDialogs dialogs;
    support::RecordingPresenter shown;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("12345679"));
    f.txtNomPat2->setText(QStringLiteral("O'Brien & Hijos"));
    f.cmdImprime->click();
    const QString resources = QDir(qEnvironmentVariable("ZAL_SOURCE_DIR")).filePath(QStringLiteral("resources"));
    const QStringList expected{
        "DiscardSavedData=True",
        "Formulas(1)=casilla16 = '150,000.00'",
        "Formulas(2)=casilla17 = '25,000.00'",
        "Formulas(29)=NIT = '12345679'",
        "Formulas(30)=NOMBRE = 'Ana López'",
        "Formulas(25)=NomPat2 = 'O'Brien & Hijos'",
        "Formulas(26)=NitPat2 = '1000064K'",
        "Formulas(27)=NomPat3 = 'Tercera'",
        "Formulas(28)=NitPat3 = '76543218'",
        "Formulas(31)=PeriodoDel = '01/01/2009'",
        "Formulas(32)=PeriodoAl = '31/01/2009'",
        "Formulas(3)=casilla18 = '30,000.00'",
        "Formulas(4)=casilla19 = '12,000.00'",
        "Formulas(5)=casilla20 = '217,000.00'",
        "Formulas(6)=casilla21 = '36,000.00'",
        "Formulas(7)=casilla22 = '4,800.00'",
        "Formulas(8)=casilla23 = '1,200.00'",
        "Formulas(9)=casilla24 = '3,500.00'",
        "Formulas(10)=casilla25 = '0.00'",
        "Formulas(11)=casilla26 = '1,000.00'",
        "Formulas(12)=casilla27 = '46,500.00'",
        "Formulas(13)=casilla28 = '170,500.00'",
        "Formulas(18)=casilla33 = '30,850.00'",
        "Formulas(19)=casilla34 = '2,500.00'",
        "Formulas(21)=casilla36 = '300.00'",
        "Formulas(23)=casilla38 = '15,000.00'",
        "Formulas(24)=casilla39 = '13,050.00'",
        "ReportFileName=" + resources + "\\rep005.rpt",
        "DataFiles(0)=" + fx.db.path(),
        "DataFiles(1)=" + fx.db.path(),
        "Connect=;PWD=MIRVOSK",
        "SelectionFormula={Planilla_Enc.No} = 3",
        "WindowTitle= Planilla Periodo: 01/01/2009 Al: 31/01/2009 De: Ana López",
        "WindowState=2",
        "Action=0",
    };
    QCOMPARE(f.rptImprime->logLines(), expected);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(f.Stat->panel(3).text(), QStringLiteral("Imprimir"));
    for (const char* value : {"12345679", "Ana López", "O'Brien & Hijos", "217,000.00", "13,050.00"})
        QVERIFY2(shown.last().text.contains(QString::fromUtf8(value)), value);
    // Every page of the return names its taxpayer and period; a PDF of it is offered under them.
    QCOMPARE(shown.last().report.header,
             QStringLiteral("Declaración jurada anual del ISR · Ana López · NIT 12345679 · Período del 01/01/2009 al 31/01/2009"));
    QCOMPARE(shown.last().report.fileName, QStringLiteral("declaracion_isr_12345679_2009-01"));
    QCOMPARE(dialogs.calls().size(), 0);
}

void TestFrmIsr::printComputesFirstAndNeedsNoTaxpayer()
{
    Fixture fx;
    Templates templates;
    support::ScriptedDialogs dialogs;
    support::RecordingPresenter shown;
    frmISR f;
    QVERIFY(open(f));
    // Nothing loaded, line 1 typed without Enter: the totals are those of the boxes shown.
    f.casilla16->setText(QStringLiteral("1,500.456"));
    f.cmdImprime->click();
    QCOMPARE(shown.count(), 1);
    const QStringList log = f.rptImprime->logLines();
    for (const char* line : {"Formulas(1)=casilla16 = '1,500.46'", "Formulas(2)=casilla17 = '0.00'",
                             "Formulas(29)=NIT = ''", "Formulas(30)=NOMBRE = ''",
                             "Formulas(5)=casilla20 = '1,500.46'", "Formulas(13)=casilla28 = '-34,499.54'",
                             "Formulas(18)=casilla33 = '0.00'", "Formulas(24)=casilla39 = '0.00'",
                             "SelectionFormula=", "WindowTitle= Planilla Periodo: 01/01/2009 Al: 31/01/2009 De: "})
        QVERIFY2(log.contains(QString::fromUtf8(line)), line);
    QVERIFY(shown.last().text.contains(QStringLiteral("-34,499.54")));

    // A total beyond the range of a double is never printed.
    shown.clear();
    f.casilla16->setText(QStringLiteral("1e308"));
    f.casilla17->setText(QStringLiteral("1e308"));
    dialogs.expectMsgBox(kAmount, ui::vbOK);
    f.cmdImprime->click();
    QCOMPARE(shown.count(), 0);
    QCOMPARE(QApplication::focusWidget(), f.casilla16);
}

void TestFrmIsr::printRefusesABoxThatIsNoAmount_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::newRow("in parentheses") << 22 << "(5)";
    QTest::newRow("currency symbol") << 16 << "Q100";
    QTest::newRow("letters") << 38 << "abc";
}

// A box that is no amount is refused and emptied before anything prints: the print never
// counts a box as a number other than the one it shows.
void TestFrmIsr::printRefusesABoxThatIsNoAmount()
{
    QFETCH(int, box);
    QFETCH(QString, text);
    Fixture fx;
    Templates templates;
    support::ScriptedDialogs dialogs;
    support::RecordingPresenter shown;
    frmISR f;
    QVERIFY(open(f));
    load(f, QStringLiteral("12345679"));
    f.casilla(box)->setText(text);
    dialogs.expectMsgBox(kAmount, ui::vbOK);
    f.cmdImprime->click();
    QCOMPARE(messages(dialogs), QStringList{plain(kAmount)});
    QCOMPARE(shown.count(), 0);
    // Emptied; the check made on entering the box then counts the empty box as 0.
    QVERIFY2(QStringList({QString(), QStringLiteral("0")}).contains(f.casilla(box)->Text()), qPrintable(f.casilla(box)->Text()));
    QCOMPARE(QApplication::focusWidget(), f.casilla(box));
}

QTEST_MAIN(TestFrmIsr)
#include "test_frm_isr.moc"
