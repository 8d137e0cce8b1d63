// The taxpayer catalogue: lookup by tax id, the Enter chain and the employer rules, saves and
// deletions with their database errors, typed text that tries to reach the criteria, the
// consultation grid, menu locking and the status-bar prompts.
#include "catalogs/frm_contribuyente.h"
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/status_bar.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"
#include "nit_catalog_test_support.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QTabBar>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

namespace {

using namespace nit_catalog_test;

const QString kSaveTitle = QStringLiteral(" ZAL(NEB)...");
const QString kEmployerNitInvalid = QStringLiteral(" El nit del patrón no es válido...");
const QString kEmployerNameMissing = QStringLiteral(" Debe ingresar un nombre de patrón...");
const QString kTooLong = QStringLiteral("El Nit no puede ser mayor de 14 posiciones...");
const QString kInUse = QStringLiteral(" Este contribuyente forma parte de alguna planilla ! Imposible borrar ! ...");

// A row as "|"-joined columns, the missing last ones empty.
QString padded(const QString& partial)
{
    return partial + QString(14 - partial.count(QLatin1Char('|')), QLatin1Char('|'));
}

const QString kAna = QStringLiteral(
    "12345679|Ana López|5a Avenida|10-20|B|1|Centro|Norvalia|Villa Ostrén|22223333||123|ana@correo.tolvania|76543218|Empresa S.A.");
const QString kJuan = padded(QStringLiteral("1000064K|Juan Pérez|3a Calle"));

// A fresh database with two taxpayers, the second one in a worksheet, and the shared state as
// at start-up.
struct Fixture {
    support::TestDatabase db;
    Fixture()
    {
        db::setLockTimeout(100);
        db.exec(QStringLiteral(
            "INSERT INTO Contribuyentes (Nit, Nombre, Calle, Casa, Apto, Zona, ColoniaB, Depto, Muni, Tel, Fax, APostal, "
            "Mail, NPat, NomPat) VALUES ('12345679', 'Ana López', '5a Avenida', '10-20', 'B', '1', 'Centro', "
            "'Norvalia', 'Villa Ostrén', '22223333', NULL, '123', 'ana@correo.tolvania', '76543218', 'Empresa S.A.');"
            "INSERT INTO Contribuyentes (Nit, Nombre, Calle) VALUES ('1000064K', 'Juan Pérez', '3a Calle');"
            "INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (2, 3);"));
        Biblio::gBaseDatos = db.path();
        ui::setMousePointer(ui::vbDefault);
    }
    // The taxpayers, every written column joined by "|", sorted.
    QStringList rows() const
    {
        QStringList out;
        db::Database d = db::Database::open(db.path(), Biblio::kConnect);
        db::Recordset rs = d.openRecordset(QStringLiteral(
            "SELECT Nit, Nombre, Calle, Casa, Apto, Zona, ColoniaB, Depto, Muni, Tel, Fax, APostal, Mail, NPat, NomPat "
            "FROM Contribuyentes"));
        for (; !rs.eof(); rs.moveNext()) {
            QStringList values;
            for (int i = 0; i < rs.fieldCount(); ++i)
                values << rs.field(i).toString();
            out << values.join(QLatin1Char('|'));
        }
        out.sort();
        return out;
    }
};

const QStringList kInitialRows{kJuan, kAna};

// The fourteen boxes in the order of the columns above (after Nit).
QList<QLineEdit*> boxes(const frmContribuyente& f)
{
    return {f.txtNombre, f.txtDireccion, f.txtCasa, f.txtApto,  f.txtZona, f.txtColonia, f.txtDepto,
            f.txtMuni,   f.txtTel,       f.txtFax,  f.txtApost, f.txtMail, f.txtNitPat,  f.txtNomPat};
}

// The boxes' texts joined by "|", after the combo's text (as in Fixture::rows).
QString shown(const frmContribuyente& f)
{
    QStringList values{f.cmbContrib->Text()};
    for (QLineEdit* box : boxes(f))
        values << box->text();
    return values.join(QLatin1Char('|'));
}

// Types the text into the emptied tax-id combo (real key events) and presses Enter.
void typeNit(frmContribuyente& f, const QString& text, bool enter = true)
{
    typeNitInto(f.cmbContrib, text, enter);
}

// Fills the boxes from a "|"-joined list (without the tax id).
void fill(frmContribuyente& f, const QString& values)
{
    const QStringList parts = values.split(QLatin1Char('|'));
    const QList<QLineEdit*> all = boxes(f);
    for (int i = 0; i < all.size(); ++i)
        all[i]->setText(parts.value(i));
}

} // namespace

class TestFrmContribuyente : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTheCatalogue();
    void lookupByTaxId_data();
    void lookupByTaxId();
    void fifteenthCharacterRefused();
    void leavingTheComboLooksUp();
    void enterChainAndPrompts();
    void employerRulesOnEnter_data();
    void employerRulesOnEnter();
    void saveChecks_data();
    void saveChecks();
    void saveStoresTheTaxpayer_data();
    void saveStoresTheTaxpayer();
    void saveWithoutEnterDropsLeadingZeros();
    void deletion_data();
    void deletion();
    void lockedFileAsksToRetry_data();
    void lockedFileAsksToRetry();
    void otherErrorIsASystemError();
    void typedTextNeverReachesTheCriteria();
    void consultationGrid();
    void menuLockedWhileOpen();
};

void TestFrmContribuyente::loadShowsTheCatalogue()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmContribuyente f;
    QVERIFY(open(f));
    QCOMPARE(f.windowTitle(), QStringLiteral(" Catálogo de Contribuyentes..."));
    QCOMPARE(f.cmbContrib->count(), 2);
    QCOMPARE(f.grdConsulta->rowCount(), 2);
    QCOMPARE(f.grdConsulta->columnCount(), 15);
    QCOMPARE(f.grdConsulta->headerText(7), QStringLiteral("Departarmento"));
    QCOMPARE(f.grdConsulta->headerText(14), QStringLiteral("Nombre Patrón"));
    QCOMPARE(f.grdConsulta->Caption(), QStringLiteral("LISTADO DE CONTRIBUYENTES"));
    QList<int> limits;
    for (QLineEdit* box : boxes(f))
        limits << box->maxLength();
    QCOMPARE(limits, (QList<int>{90, 40, 10, 5, 2, 50, 50, 50, 10, 10, 10, 50, 14, 85}));
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(f.Stat->panel(3).text(), QStringLiteral("Ingrese o seleccione su nit(sin guiones o espacios en blanco)..."));
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmContribuyente::lookupByTaxId_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shownAfter");
    QTest::addColumn<bool>("inName");

    QTest::newRow("found, every box") << "12345679" << "" << kAna << true;
    QTest::newRow("leading zeros removed") << "00012345679" << "" << kAna << true;
    QTest::newRow("hyphen swallowed") << "1000064-K" << "" << kJuan << true;
    QTest::newRow("new taxpayer") << "22222227" << "" << padded(QStringLiteral("22222227")) << true;
    QTest::newRow("wrong check digit") << "12345678" << kNitInvalid << padded(QStringLiteral("12345678")) << false;
    QTest::newRow("zero") << "0" << kNitMissing << padded(QStringLiteral("0")) << false;
    QTest::newRow("zeros") << "000" << kNitMissing << padded(QStringLiteral("000")) << false;
    QTest::newRow("K") << "K" << kNitMissing << padded(QStringLiteral("K")) << false;
    QTest::newRow("blanks") << "  " << kNitMissing << padded(QStringLiteral("  ")) << false;
}

void TestFrmContribuyente::lookupByTaxId()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, shownAfter);
    QFETCH(bool, inName);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    if (!message.isEmpty())
        dialogs.expectMsgBox(message, ui::vbOK);
    frmContribuyente f;
    QVERIFY(open(f));
    typeNit(f, typed);
    QCOMPARE(messages(dialogs), message.isEmpty() ? QStringList() : QStringList{info(message)});
    QCOMPARE(shown(f), shownAfter);
    QCOMPARE(QApplication::focusWidget(),
             inName ? static_cast<QWidget*>(f.txtNombre) : static_cast<QWidget*>(f.cmbContrib));
    QCOMPARE(f.nitProcesado(), inName);
}

void TestFrmContribuyente::fifteenthCharacterRefused()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kTooLong, ui::vbOK);
    frmContribuyente f;
    QVERIFY(open(f));
    typeNit(f, QStringLiteral("123456789012345"), false);
    QCOMPARE(messages(dialogs), QStringList{QStringLiteral("%1 | %2 | ").arg(kTooLong).arg(ui::vbInformation)});
    QCOMPARE(f.cmbContrib->Text(), QStringLiteral("12345678901234"));
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
}

void TestFrmContribuyente::leavingTheComboLooksUp()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmContribuyente f;
    QVERIFY(open(f));
    typeNit(f, QStringLiteral("1000064K"), false);
    QTest::mouseClick(f.txtDireccion, Qt::LeftButton);
    QCOMPARE(shown(f), padded(QStringLiteral("1000064K")));   // only the name box looks up
    QTest::mouseClick(f.txtNombre, Qt::LeftButton);
    QCOMPARE(shown(f), kJuan);
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);
    QVERIFY(f.nitProcesado());
    QVERIFY(dialogs.calls().isEmpty());

    // With an empty combo: refused once, with the focus back in the combo.
    QTest::mouseClick(f.cmdLimpiar, Qt::LeftButton);
    typeNit(f, QStringLiteral("1"), false);
    f.cmbContrib->lineEdit()->clear();
    dialogs.expectMsgBox(kNitMissing, ui::vbOK);
    QTest::mouseClick(f.txtNombre, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QTest::mouseClick(f.txtNombre, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{info(kNitMissing)});
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);
}

void TestFrmContribuyente::enterChainAndPrompts()
{
    // Enter walks the boxes in their fixed order; each box writes its prompt, which stays when
    // the box is left. Blank employer boxes lead to the save button, which Enter does not press.
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmContribuyente f;
    QVERIFY(open(f));
    typeNit(f, QStringLiteral("22222227"));
    const QList<std::pair<QLineEdit*, QString>> chain = {
        {f.txtNombre, QStringLiteral("Ingrese el nombre del contribuyente...")},
        {f.txtDireccion, QStringLiteral("Ingrese No. de Calle o Av. del contribuyente...")},
        {f.txtCasa, QStringLiteral("Ingrese No. casa del contribuyente...")},
        {f.txtApto, QStringLiteral("Ingrese la denominación del Apartamento de su domicilio...")},
        {f.txtZona, QStringLiteral("Ingrese el No. de Zona de su dirección...")},
        {f.txtApost, QStringLiteral("Ingrese su No. de Apartado Postal...")},
        {f.txtColonia, QStringLiteral("Ingrese el nombre la colonia de su domicilio...")},
        {f.txtDepto, QStringLiteral("Ingrese el nombre del depto. de su domicilio...")},
        {f.txtMuni, QStringLiteral("Ingrese el nombre del municipio de su domicilio...")},
        {f.txtTel, QStringLiteral("Ingrese el No. de Telefono de su domicilio...")},
        {f.txtFax, QStringLiteral("Ingrese el No. Fax de su domicilio...")},
        {f.txtMail, QStringLiteral("Ingrese su dirección de correo electronico...")},
        {f.txtNitPat, QStringLiteral("Ingrese el No. de nit de su patrón...")},
        {f.txtNomPat, QStringLiteral("Ingrese el nombre del patrón...")},
    };
    for (const auto& [box, prompt] : chain) {
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(f.Stat->panel(3).text(), prompt);
        QTest::keyClick(box, Qt::Key_Return);
    }
    QCOMPARE(QApplication::focusWidget(), f.cmdGrabar);
    QCOMPARE(f.Stat->panel(3).text(), QStringLiteral("Ingrese el nombre del patrón..."));
    QVERIFY(dialogs.calls().isEmpty());
    QCOMPARE(fx.rows(), kInitialRows);
}

void TestFrmContribuyente::employerRulesOnEnter_data()
{
    QTest::addColumn<bool>("inNomPat");   // Enter in txtNomPat, else in txtNitPat
    QTest::addColumn<QString>("nitPat");
    QTest::addColumn<QString>("nomPat");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("NitPat blank") << false << "  " << "" << "" << "txtNomPat";
    QTest::newRow("NitPat valid") << false << "76543218" << "" << "" << "txtNomPat";
    QTest::newRow("NitPat invalid") << false << "76543217" << "" << kNitInvalid << "txtNitPat";
    QTest::newRow("NitPat, hyphen kept") << false << "7654321-2" << "" << "" << "txtNomPat";
    QTest::newRow("NomPat, both blank") << true << "" << " " << "" << "cmdGrabar";
    QTest::newRow("NomPat, name without tax id") << true << "" << "Empresa" << "" << "cmdGrabar";
    QTest::newRow("NomPat, tax id invalid") << true << "76543217" << "Empresa" << kNitInvalid << "txtNitPat";
    QTest::newRow("NomPat, name missing") << true << "76543218" << "  " << kEmployerNameMissing << "txtNomPat";
    QTest::newRow("NomPat, both") << true << "076543218" << "Empresa" << "" << "cmdGrabar";
}

void TestFrmContribuyente::employerRulesOnEnter()
{
    QFETCH(bool, inNomPat);
    QFETCH(QString, nitPat);
    QFETCH(QString, nomPat);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    if (!message.isEmpty())
        dialogs.expectMsgBox(message, ui::vbOK);
    frmContribuyente f;
    QVERIFY(open(f));
    typeNit(f, QStringLiteral("22222227"));
    QLineEdit* box = inNomPat ? f.txtNomPat : f.txtNitPat;
    f.txtNitPat->setFocus();
    QTest::keyClicks(f.txtNitPat, nitPat);
    f.txtNomPat->setText(nomPat);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(messages(dialogs), message.isEmpty() ? QStringList() : QStringList{info(message)});
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(f.txtNitPat->text(), nitPat);
    QCOMPARE(fx.rows(), kInitialRows);
}

void TestFrmContribuyente::saveChecks_data()
{
    QTest::addColumn<QString>("nit");
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("focus");
    const QString ok = QStringLiteral("Nuevo|Calle 1");
    QTest::newRow("blank tax id") << "" << ok << kNitInvalid << kCheckTitle << "cmbContrib";
    QTest::newRow("wrong check digit") << "22222228" << ok << kNitInvalid << kCheckTitle << "cmbContrib";
    QTest::newRow("blank name") << "22222227" << " |Calle 1" << " Debe un nombre de contribuyente válido..."
                                << kSaveTitle << "txtNombre";
    QTest::newRow("blank address") << "22222227" << "Nuevo| " << " Debe una direccion de contribuyente válida..."
                                   << kSaveTitle << "txtDireccion";
    // Name and address filled, the employer boxes as given.
    const auto withEmployer = [](const QString& nitPat, const QString& nomPat) {
        QStringList values{QStringLiteral("Nuevo"), QStringLiteral("Calle 1")};
        while (values.size() < 12)
            values << QString();
        return (values << nitPat << nomPat).join(QLatin1Char('|'));
    };
    QTest::newRow("employer name without tax id") << "22222227" << withEmployer(" ", "Empresa") << kEmployerNitInvalid
                                                  << kCheckTitle << "txtNitPat";
    QTest::newRow("employer tax id invalid") << "22222227" << withEmployer("76543217", "Empresa") << kEmployerNitInvalid
                                             << kCheckTitle << "txtNitPat";
    QTest::newRow("employer name missing") << "22222227" << withEmployer("76543218", " ") << kEmployerNameMissing
                                           << kCheckTitle << "txtNomPat";
}

void TestFrmContribuyente::saveChecks()
{
    QFETCH(QString, nit);
    QFETCH(QString, values);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QString, focus);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(message, ui::vbOK);
    frmContribuyente f;
    QVERIFY(open(f));
    if (!nit.isEmpty() && Biblio::ValidaNit(nit))
        typeNit(f, nit);   // looked up first, as the user does
    else
        f.cmbContrib->setText(nit);
    fill(f, values);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{info(message, title)});
    // A failed check leaves the form as it was.
    QCOMPARE(shown(f), padded(nit + QLatin1Char('|') + values));
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(fx.rows(), kInitialRows);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
}

void TestFrmContribuyente::saveStoresTheTaxpayer_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("values");
    QTest::addColumn<QStringList>("rowsAfter");
    const QString all = QStringLiteral("María|Calle 2|5|A|10|Los Alisos|Valdoria|Puerto Albar|7777|8888|45|m@x.tolvania|1000078K|Patrón");
    QTest::newRow("new, every column, check letter upper-cased")
        << "1000078k" << all << QStringList{kJuan, QStringLiteral("1000078K|") + all, kAna};
    QTest::newRow("existing, tax id kept as stored")
        << "1000064k" << "Juan Pérez R.|4a Calle"
        << QStringList{padded(QStringLiteral("1000064K|Juan Pérez R.|4a Calle")), kAna};
    QTest::newRow("existing, employer removed, blanks kept")
        << "12345679" << " Ana |5a Avenida"
        << QStringList{kJuan, padded(QStringLiteral("12345679| Ana |5a Avenida"))};
}

void TestFrmContribuyente::saveStoresTheTaxpayer()
{
    QFETCH(QString, typed);
    QFETCH(QString, values);
    QFETCH(QStringList, rowsAfter);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmContribuyente f;
    QVERIFY(open(f));
    typeNit(f, typed);
    fill(f, values);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QVERIFY(dialogs.calls().isEmpty());
    QStringList expected = rowsAfter;
    expected.sort();
    QCOMPARE(fx.rows(), expected);
    QCOMPARE(shown(f), padded(QString()));
    QCOMPARE(f.cmbContrib->count(), expected.size());
    QCOMPARE(f.grdConsulta->rowCount(), expected.size());
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
}

void TestFrmContribuyente::saveWithoutEnterDropsLeadingZeros()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmContribuyente f;
    QVERIFY(open(f));
    f.cmbContrib->setText(QStringLiteral("00022222227"));
    f.txtNombre->setText(QStringLiteral("Luis Gómez"));
    f.txtDireccion->setText(QStringLiteral("7a Calle"));
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(fx.rows().contains(padded(QStringLiteral("22222227|Luis Gómez|7a Calle"))));
    // The lookup, which drops leading zeros, finds it again; the deletion does the same.
    f.cmbContrib->setText(QStringLiteral("022222227"));
    QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    QCOMPARE(fx.rows(), kInitialRows);
}

void TestFrmContribuyente::deletion_data()
{
    QTest::addColumn<QString>("nit");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("rowsAfter");
    QTest::newRow("deleted") << "12345679" << "" << "" << QStringList{kJuan};
    QTest::newRow("in a worksheet") << "1000064K" << kInUse << " ZAL" << kInitialRows;
    QTest::newRow("not in the table") << "22222227" << "" << "" << kInitialRows;
}

void TestFrmContribuyente::deletion()
{
    QFETCH(QString, nit);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QStringList, rowsAfter);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    if (!message.isEmpty())
        dialogs.expectMsgBox(message, ui::vbOK);
    frmContribuyente f;
    QVERIFY(open(f));
    typeNit(f, nit);
    QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), message.isEmpty() ? QStringList() : QStringList{info(message, title)});
    QCOMPARE(fx.rows(), rowsAfter);
    QCOMPARE(shown(f), padded(QString()));
    QCOMPARE(f.cmbContrib->count(), rowsAfter.size());
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QVERIFY(f.nitProcesado());
}

void TestFrmContribuyente::lockedFileAsksToRetry_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes: saved") << ui::vbYes;
    QTest::newRow("No: cleared") << ui::vbNo;
}

void TestFrmContribuyente::lockedFileAsksToRetry()
{
    QFETCH(int, answer);
    Fixture fx;
    Dialogs dialogs;
    dialogs.expectMsgBox(kLockedSave, answer);
    frmContribuyente f;
    QVERIFY(open(f));
    typeNit(f, QStringLiteral("22222227"));
    fill(f, QStringLiteral("Nuevo|Calle 1"));
    OtherSessionLock lock(fx.db.path());
    QVERIFY(lock.locked());
    int pointerAtQuestion = -1;
    dialogs.onMsgBox = [&](const QString&) {
        pointerAtQuestion = ui::mousePointer();
        lock.release();
    };
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(messages(dialogs),
             QStringList{QStringLiteral("%1 | %2 |  ZAL").arg(kLockedSave).arg(ui::vbYesNo | ui::vbInformation)});
    QCOMPARE(pointerAtQuestion, ui::vbDefault);
    QStringList expected = kInitialRows;
    if (answer == ui::vbYes) {
        expected << padded(QStringLiteral("22222227|Nuevo|Calle 1"));
        expected.sort();
    }
    QCOMPARE(fx.rows(), expected);
    QCOMPARE(shown(f), padded(QString()));
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(f.dtContri->Recordset().editMode(), db::EditMode::None);
}

void TestFrmContribuyente::otherErrorIsASystemError()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmContribuyente f;
    QVERIFY(open(f));
    fx.db.exec(QStringLiteral("CREATE TRIGGER refuse_updates BEFORE UPDATE ON Contribuyentes "
                              "BEGIN SELECT RAISE(ABORT, 'disco lleno'); END;"));
    typeNit(f, QStringLiteral("12345679"));
    f.txtNombre->setText(QStringLiteral("Ana María"));
    dialogs.expectMsgBox(ui::vbOK);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{QStringLiteral(" Error de sistema 3000\r%1 | 0 | ")
                                                .arg(db::describe(3000, QStringLiteral("SQLite 1811")))});
    QCOMPARE(fx.rows(), kInitialRows);
    QCOMPARE(shown(f), padded(QString()));
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(f.dtContri->Recordset().editMode(), db::EditMode::None);
}

void TestFrmContribuyente::typedTextNeverReachesTheCriteria()
{
    const QString injection = QStringLiteral("1' or Nit<>'9");
    QVERIFY(Biblio::ValidaNit(injection));
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmContribuyente f;
    QVERIFY(open(f));

    typeNit(f, injection);
    QCOMPARE(shown(f), padded(injection));
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);

    QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    QCOMPARE(fx.rows(), kInitialRows);

    typeNit(f, injection);
    fill(f, QStringLiteral("Intruso|Calle"));
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QStringList expected = kInitialRows;
    expected << padded(QStringLiteral("1' OR NIT<>'9|Intruso|Calle"));
    expected.sort();
    QCOMPARE(fx.rows(), expected);

    typeNit(f, QStringLiteral("12'1"));
    QCOMPARE(shown(f), padded(QStringLiteral("12'1")));
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmContribuyente::consultationGrid()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmContribuyente f;
    QVERIFY(open(f));
    // The tab control passes the focus on to the combo while the first tab is selected.
    f.cmdSalir->setFocus(Qt::TabFocusReason);
    f.SSTab1->tabBar()->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), f.cmbContrib);
    f.SSTab1->setCurrentIndex(1);
    f.SSTab1->tabBar()->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), f.SSTab1->tabBar());
    QCOMPARE(f.grdConsulta->rowCount(), 2);
    const QString firstBefore = f.grdConsulta->text(0, 0);

    // A click on a heading shows the rows again, in the same order.
    const QHeaderView* header = f.grdConsulta->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QCOMPARE(f.grdConsulta->rowCount(), 2);
    QCOMPARE(f.grdConsulta->text(0, 0), firstBefore);

    int row = -1;
    for (int i = 0; i < f.grdConsulta->rowCount(); ++i)
        if (f.grdConsulta->text(i, 0) == QLatin1String("12345679"))
            row = i;
    QVERIFY(row >= 0);
    const QPoint at = f.grdConsulta->cellRect(row, 1).center();
    QTest::mouseClick(f.grdConsulta->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(f.grdConsulta->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(f.SSTab1->currentIndex(), 0);
    QCOMPARE(shown(f), kAna);
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmContribuyente::menuLockedWhileOpen()
{
    // The catalogue switches "&Base de Datos..." alone: off while it is active, on again when it
    // closes, even while another form keeps other entries off.
    Fixture fx;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    menu.mn00301->setEnabled(false);
    auto* f = MDIMenu::loadForm<frmContribuyente>();
    QVERIFY(f->isVisible());
    QCOMPARE(f->subWindow()->mdiArea(), menu.mdiArea);
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(!menu.mn00301->isEnabled());
    QVERIFY(menu.mn00203->isEnabled());
    QTest::mouseClick(f->cmdSalir, Qt::LeftButton);
    QVERIFY(!f->isLoaded());
    QVERIFY(menu.mn00104->isEnabled());
    QVERIFY(!menu.mn00301->isEnabled());
    QVERIFY(dialogs.calls().isEmpty());
}

QTEST_MAIN(TestFrmContribuyente)
#include "test_frm_contribuyente.moc"
