// The supplier catalogue: lookup by tax id, saves and deletions with their database errors, the
// supplier hand-off seen from the catalogue, typed text that tries to reach the criteria, the
// consultation grid, menu locking and the status-bar prompts.
#include "catalogs/frm_proveedor.h"
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

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

namespace {

using namespace nit_catalog_test;

const QString kNameMissing = QStringLiteral(" Debe ingresar un nombre de proveedor válido...");
const QString kTooLong = QStringLiteral("El Nit nom puede ser mayor de 14 posiciones...");
const QString kInUse = QStringLiteral(" Este proveedor forma parte de alguna planilla ! Imposible borrar ! ...");
const QString kLockedDeletion = QStringLiteral(" Un usuario está escribiendo o haciendo uso en este momento en este mismo archivo... ")
    + QLatin1Char('\r') + QStringLiteral(" Desea usted volver a intentar???");
const QString kNitPrompt = QStringLiteral("Ingrese o seleccione el nit(sin guiones o espacios en blanco)...");
const QString kNamePrompt = QStringLiteral("Ingrese el nombre del proveedor...");

QString question(const QString& prompt)
{
    return QStringLiteral("%1 | %2 |  ZAL").arg(prompt).arg(ui::vbYesNo | ui::vbInformation);
}

// A fresh database with three suppliers, one of them used by a worksheet row, and the shared
// state as at start-up.
struct Fixture {
    support::TestDatabase db;
    Fixture()
    {
        db::setLockTimeout(100);
        db.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('12345679', 'Ferretería El Martillo');"
                               "INSERT INTO Proveedores (Nit, Nombre) VALUES ('76543218', 'Gasolinera La Bomba');"
                               "INSERT INTO Proveedores (Nit, Nombre) VALUES ('1000064K', 'Farmacia Central');"
                               "INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (1, 3);"
                               "INSERT INTO Planilla_Det (Enc, Provee, Tipo, NoDoc, Gasto, Monto) "
                               "VALUES (1, '76543218', '0', '15', 1, 100);"));
        Biblio::gBaseDatos = db.path();
        Biblio::gNitProveedor.clear();
        Biblio::gProveedorNuevo = false;
        Biblio::gPlanillaAbierta = false;
        ui::setMousePointer(ui::vbDefault);
    }
    // The suppliers as "Nit=Nombre", sorted.
    QStringList rows() const
    {
        QStringList out;
        db::Database d = db::Database::open(db.path(), Biblio::kConnect);
        db::Recordset rs = d.openRecordset(QStringLiteral("SELECT Nit, Nombre FROM Proveedores"));
        for (; !rs.eof(); rs.moveNext())
            out << rs.field(0).toString() + QLatin1Char('=') + rs.field(1).toString();
        out.sort();
        return out;
    }
};

const QStringList kInitialRows{QStringLiteral("1000064K=Farmacia Central"), QStringLiteral("12345679=Ferretería El Martillo"),
                               QStringLiteral("76543218=Gasolinera La Bomba")};

// Types the text into the emptied tax-id combo (real key events) and presses Enter.
void typeNit(frmProveedor& f, const QString& text, bool enter = true)
{
    typeNitInto(f.cmbNit, text, enter);
}

// Puts the name into its box (as typed: QTest types only Latin-1 keys, the names carry accents).
void typeName(frmProveedor& f, const QString& name)
{
    f.txtNombre->setFocus();
    f.txtNombre->setText(name);
}

} // namespace

class TestFrmProveedor : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTheCatalogue();
    void lookupByTaxId_data();
    void lookupByTaxId();
    void fifteenthCharacterRefused();
    void pickInTheListLooksUp();
    void leavingTheComboLooksUp();
    void saveMessages_data();
    void saveMessages();
    void saveStoresTheSupplier_data();
    void saveStoresTheSupplier();
    void saveWithoutEnterDropsLeadingZeros();
    void deletion_data();
    void deletion();
    void lockedFileAsksToRetry_data();
    void lockedFileAsksToRetry();
    void otherErrorIsASystemError();
    void handOff_data();
    void handOff();
    void closingForgetsTheHandOffOnlyWithoutWorksheet_data();
    void closingForgetsTheHandOffOnlyWithoutWorksheet();
    void typedTextNeverReachesTheCriteria();
    void gridDoubleClickLoadsTheRow();
    void menuLockedWhileOpen();
    void promptsStayAfterLeavingAField();
};

void TestFrmProveedor::loadShowsTheCatalogue()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmProveedor f;
    QVERIFY(open(f));
    QCOMPARE(f.windowTitle(), QStringLiteral(" Catálogo de Proveedores..."));
    QCOMPARE(f.SSTab1->tabText(0), QStringLiteral("&Datos Generales"));
    QCOMPARE(f.SSTab1->tabText(1), QStringLiteral("&Consulta"));
    QCOMPARE(f.cmbNit->count(), 3);
    QCOMPARE(f.grdConsulta->rowCount(), 3);
    QCOMPARE(f.grdConsulta->columnCount(), 2);
    QCOMPARE(f.grdConsulta->headerText(1), QStringLiteral("Nombre"));
    QCOMPARE(f.grdConsulta->Caption(), QStringLiteral("LISTADO DE PROVEEDORES"));
    QCOMPARE(f.dtConsulta->Caption(), QStringLiteral("Doble Click para seleccionar..."));
    QCOMPARE(f.txtNombre->maxLength(), 50);
    QCOMPARE(f.cmdGrabar->toolTip(), QStringLiteral("Graba o Actualiza registro..."));
    QVERIFY(!f.nitProcesado());
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmProveedor::lookupByTaxId_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("nitAfter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("inName");   // the focus went on to the name box

    QTest::newRow("found") << "12345679" << "" << "12345679" << "Ferretería El Martillo" << true;
    QTest::newRow("leading zeros removed") << "0012345679" << "" << "12345679" << "Ferretería El Martillo" << true;
    QTest::newRow("hyphen swallowed") << "1000064-K" << "" << "1000064K" << "Farmacia Central" << true;
    QTest::newRow("letter case ignored") << "1000064k" << "" << "1000064k" << "Farmacia Central" << true;
    QTest::newRow("new supplier") << "22222227" << "" << "22222227" << "" << true;
    QTest::newRow("wrong check digit") << "12345678" << kNitInvalid << "12345678" << "" << false;
    QTest::newRow("zero") << "0" << kNitInvalid << "" << "" << false;
    QTest::newRow("K") << "K" << kNitInvalid << "K" << "" << false;
    QTest::newRow("blanks") << "   " << kNitMissing << "   " << "" << false;
}

void TestFrmProveedor::lookupByTaxId()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, nitAfter);
    QFETCH(QString, name);
    QFETCH(bool, inName);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    if (!message.isEmpty())
        dialogs.expectMsgBox(message, ui::vbOK);
    frmProveedor f;
    QVERIFY(open(f));
    typeNit(f, typed);
    QCOMPARE(messages(dialogs), message.isEmpty() ? QStringList() : QStringList{info(message)});
    QCOMPARE(f.cmbNit->Text(), nitAfter);
    QCOMPARE(f.txtNombre->text(), name);
    QCOMPARE(QApplication::focusWidget(), inName ? static_cast<QWidget*>(f.txtNombre) : static_cast<QWidget*>(f.cmbNit));
    QCOMPARE(f.nitProcesado(), inName);
}

void TestFrmProveedor::fifteenthCharacterRefused()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kTooLong, ui::vbOK);
    frmProveedor f;
    QVERIFY(open(f));
    typeNit(f, QStringLiteral("123456789012345"), false);
    QCOMPARE(messages(dialogs), QStringList{QStringLiteral("%1 | %2 | ").arg(kTooLong).arg(ui::vbInformation)});
    QCOMPARE(f.cmbNit->Text(), QStringLiteral("12345678901234"));
    QCOMPARE(QApplication::focusWidget(), f.cmbNit);
}

void TestFrmProveedor::pickInTheListLooksUp()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmProveedor f;
    QVERIFY(open(f));
    f.cmbNit->setFocus();
    f.cmbNit->showPopup();
    QTRY_VERIFY(f.cmbNit->view()->isVisible());
    int row = -1;
    for (int i = 0; i < f.cmbNit->count(); ++i)
        if (f.cmbNit->itemText(i) == QLatin1String("76543218"))
            row = i;
    QVERIFY(row >= 0);
    const QRect rect = f.cmbNit->view()->visualRect(f.cmbNit->model()->index(row, 0));
    QTest::mouseClick(f.cmbNit->view()->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_COMPARE(f.txtNombre->text(), QStringLiteral("Gasolinera La Bomba"));
    QTRY_COMPARE(QApplication::focusWidget(), f.txtNombre);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmProveedor::leavingTheComboLooksUp()
{
    // A tax id typed and left with the mouse is looked up when the name box is entered; an
    // empty combo is refused once, and not again on the next entry.
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmProveedor f;
    QVERIFY(open(f));
    typeNit(f, QStringLiteral("012345679"), false);
    QTest::mouseClick(f.txtNombre, Qt::LeftButton);
    QCOMPARE(f.cmbNit->Text(), QStringLiteral("12345679"));
    QCOMPARE(f.txtNombre->text(), QStringLiteral("Ferretería El Martillo"));
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);
    QVERIFY(dialogs.calls().isEmpty());

    QTest::mouseClick(f.cmdLimpiar, Qt::LeftButton);
    QCOMPARE(f.cmbNit->Text(), QString());
    typeNit(f, QStringLiteral("76543218"), false);
    f.cmbNit->lineEdit()->clear();   // the flag stays false: the text was typed and then removed
    dialogs.expectMsgBox(kNitMissing, ui::vbOK);
    QTest::mouseClick(f.txtNombre, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{info(kNitMissing)});
    QCOMPARE(QApplication::focusWidget(), f.cmbNit);
    QTest::mouseClick(f.txtNombre, Qt::LeftButton);
    QCOMPARE(dialogs.calls().size(), 1);
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);
}

void TestFrmProveedor::saveMessages_data()
{
    QTest::addColumn<QString>("nit");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("lookedUp");   // the tax id went through Enter first
    QTest::newRow("blank tax id") << "" << "Nuevo" << kNitInvalid << kCheckTitle << "cmbNit" << false;
    QTest::newRow("wrong check digit") << "22222228" << "Nuevo" << kNitInvalid << kCheckTitle << "cmbNit" << false;
    QTest::newRow("blank name") << "22222227" << "   " << kNameMissing << " ZAL(NEB)..." << "txtNombre" << true;
}

void TestFrmProveedor::saveMessages()
{
    QFETCH(QString, nit);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QString, focus);
    QFETCH(bool, lookedUp);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(message, ui::vbOK);
    frmProveedor f;
    QVERIFY(open(f));
    if (lookedUp)
        typeNit(f, nit);
    else
        f.cmbNit->setText(nit);
    f.txtNombre->setText(name);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{info(message, title)});
    // A failed check leaves the boxes as they were.
    QCOMPARE(f.cmbNit->Text(), nit);
    QCOMPARE(f.txtNombre->text(), name);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(fx.rows(), kInitialRows);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
}

void TestFrmProveedor::saveStoresTheSupplier_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("count");
    QTest::newRow("new, check letter upper-cased") << "1000078k" << "Librería Nueva" << "1000078K=Librería Nueva" << 4;
    QTest::newRow("existing, tax id kept as stored") << "1000064k" << "Farmacia Norte" << "1000064K=Farmacia Norte" << 3;
    QTest::newRow("existing, name as typed") << "12345679" << "  Ferretería  " << "12345679=  Ferretería  " << 3;
}

void TestFrmProveedor::saveStoresTheSupplier()
{
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QFETCH(int, count);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmProveedor f;
    QVERIFY(open(f));
    typeNit(f, typed);
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);
    typeName(f, name);
    // Enter in the name goes to the save button without pressing it.
    QTest::keyClick(f.txtNombre, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), f.cmdGrabar);
    QCOMPARE(fx.rows().size(), 3);
    QTest::keyClick(f.cmdGrabar, Qt::Key_Return);

    QVERIFY(fx.rows().contains(stored));
    QCOMPARE(fx.rows().size(), count);
    QVERIFY(dialogs.calls().isEmpty());
    // Saved: the form is cleared and read again, the focus back in the tax-id combo.
    QCOMPARE(f.cmbNit->Text(), QString());
    QCOMPARE(f.txtNombre->text(), QString());
    QCOMPARE(f.cmbNit->count(), fx.rows().size());
    QCOMPARE(f.grdConsulta->rowCount(), fx.rows().size());
    QCOMPARE(QApplication::focusWidget(), f.cmbNit);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QVERIFY(f.isLoaded());
    QVERIFY(!Biblio::gProveedorNuevo);
}

void TestFrmProveedor::saveWithoutEnterDropsLeadingZeros()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmProveedor f;
    QVERIFY(open(f));
    f.cmbNit->setText(QStringLiteral("0001000078k"));
    f.txtNombre->setText(QStringLiteral("Librería Nueva"));
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QVERIFY(fx.rows().contains(QStringLiteral("1000078K=Librería Nueva")));
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmProveedor::deletion_data()
{
    QTest::addColumn<QString>("nit");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("rowsAfter");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("deleted") << "12345679" << "" << ""
                             << QStringList{QStringLiteral("1000064K=Farmacia Central"),
                                            QStringLiteral("76543218=Gasolinera La Bomba")}
                             << true;
    QTest::newRow("letter case ignored") << "1000064k" << "" << ""
                                         << QStringList{QStringLiteral("12345679=Ferretería El Martillo"),
                                                        QStringLiteral("76543218=Gasolinera La Bomba")}
                                         << true;
    QTest::newRow("in a worksheet") << "76543218" << kInUse << " ZAL" << kInitialRows << true;
    QTest::newRow("not in the table") << "22222227" << "" << "" << kInitialRows << true;
    QTest::newRow("leading zeros") << "0012345679" << "" << ""
                                   << QStringList{QStringLiteral("1000064K=Farmacia Central"),
                                                  QStringLiteral("76543218=Gasolinera La Bomba")}
                                   << true;
    QTest::newRow("blank") << "  " << kNitMissing << kCheckTitle << kInitialRows << false;
    QTest::newRow("wrong check digit") << "12345678" << kNitInvalid << kCheckTitle << kInitialRows << false;
}

void TestFrmProveedor::deletion()
{
    QFETCH(QString, nit);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QStringList, rowsAfter);
    QFETCH(bool, cleared);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    if (!message.isEmpty())
        dialogs.expectMsgBox(message, ui::vbOK);
    frmProveedor f;
    QVERIFY(open(f));
    f.cmbNit->setText(nit);
    f.txtNombre->setText(QStringLiteral("algo"));
    QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), message.isEmpty() ? QStringList() : QStringList{info(message, title)});
    QCOMPARE(fx.rows(), rowsAfter);
    QCOMPARE(f.cmbNit->Text(), cleared ? QString() : nit);
    QCOMPARE(f.txtNombre->text(), cleared ? QString() : QStringLiteral("algo"));
    QCOMPARE(f.cmbNit->count(), rowsAfter.size());
    QCOMPARE(QApplication::focusWidget(), f.cmbNit);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
}

void TestFrmProveedor::lockedFileAsksToRetry_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("answer");
    QTest::newRow("save, Yes") << true << ui::vbYes;
    QTest::newRow("save, No") << true << ui::vbNo;
    QTest::newRow("deletion, Yes") << false << ui::vbYes;
    QTest::newRow("deletion, No") << false << ui::vbNo;
}

void TestFrmProveedor::lockedFileAsksToRetry()
{
    QFETCH(bool, save);
    QFETCH(int, answer);
    Fixture fx;
    Dialogs dialogs;
    const QString prompt = save ? kLockedSave : kLockedDeletion;
    dialogs.expectMsgBox(prompt, answer);
    frmProveedor f;
    QVERIFY(open(f));
    typeNit(f, QStringLiteral("12345679"));
    typeName(f, QStringLiteral("Ferretería Nueva"));

    OtherSessionLock lock(fx.db.path());
    QVERIFY(lock.locked());
    // The other session finishes while the question is shown; the pointer is the default one.
    int pointerAtQuestion = -1;
    dialogs.onMsgBox = [&](const QString&) {
        pointerAtQuestion = ui::mousePointer();
        lock.release();
    };
    QTest::mouseClick(save ? f.cmdGrabar : f.cmdEliminar, Qt::LeftButton);

    QCOMPARE(messages(dialogs), QStringList{question(prompt)});
    QCOMPARE(pointerAtQuestion, ui::vbDefault);
    QStringList expected = kInitialRows;
    if (answer == ui::vbYes) {
        if (save)
            expected[1] = QStringLiteral("12345679=Ferretería Nueva");
        else
            expected.removeAt(1);
    }
    QCOMPARE(fx.rows(), expected);
    QCOMPARE(f.cmbNit->Text(), QString());
    QCOMPARE(f.txtNombre->text(), QString());
    QCOMPARE(f.cmbNit->count(), expected.size());
    QCOMPARE(QApplication::focusWidget(), f.cmbNit);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(f.dtProvee->Recordset().editMode(), db::EditMode::None);
}

void TestFrmProveedor::otherErrorIsASystemError()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmProveedor f;
    QVERIFY(open(f));
    fx.db.exec(QStringLiteral("CREATE TRIGGER refuse_suppliers BEFORE INSERT ON Proveedores "
                              "BEGIN SELECT RAISE(ABORT, 'sin espacio'); END;"));
    typeNit(f, QStringLiteral("22222227"));
    typeName(f, QStringLiteral("Nuevo"));
    dialogs.expectMsgBox(ui::vbOK);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(dialogs.calls().size(), 1);
    const auto& call = dialogs.calls().at(0);
    QCOMPARE(call.prompt, QStringLiteral(" Error de sistema 3000\r") + db::describe(3000, QStringLiteral("SQLite 1811")));
    QCOMPARE(call.style, ui::vbOKOnly);
    QCOMPARE(call.title, QString());
    QCOMPARE(fx.rows(), kInitialRows);
    QCOMPARE(f.cmbNit->Text(), QString());
    QCOMPARE(f.txtNombre->text(), QString());
    QCOMPARE(QApplication::focusWidget(), f.cmbNit);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(f.dtProvee->Recordset().editMode(), db::EditMode::None);
}

void TestFrmProveedor::handOff_data()
{
    QTest::addColumn<QString>("handed");
    QTest::addColumn<QString>("saved");       // the tax id in the combo when saving
    QTest::addColumn<bool>("worksheetOpen");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("nuevoAfter");
    QTest::addColumn<QString>("nitAfter");
    QTest::addColumn<QString>("stored");

    QTest::newRow("handed tax id saved") << "22222227" << "22222227" << true << true << true << "22222227"
                                         << "22222227=Nuevo";
    QTest::newRow("lower-case k stored upper-cased") << "1000078k" << "1000078k" << true << true << true << "1000078k"
                                                     << "1000078K=Nuevo";
    QTest::newRow("another tax id saved") << "22222227" << "33333335" << true << false << false << "22222227"
                                          << "33333335=Nuevo";
    QTest::newRow("no worksheet open") << "22222227" << "22222227" << false << true << false << ""
                                       << "22222227=Nuevo";
    QTest::newRow("nothing handed") << "" << "22222227" << false << false << false << "" << "22222227=Nuevo";
}

void TestFrmProveedor::handOff()
{
    QFETCH(QString, handed);
    QFETCH(QString, saved);
    QFETCH(bool, worksheetOpen);
    QFETCH(bool, closes);
    QFETCH(bool, nuevoAfter);
    QFETCH(QString, nitAfter);
    QFETCH(QString, stored);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    Biblio::gPlanillaAbierta = worksheetOpen;
    Biblio::gNitProveedor = handed;
    Biblio::gProveedorNuevo = false;

    frmProveedor* f = nullptr;
    if (handed.isEmpty()) {
        f = MDIMenu::loadForm<frmProveedor>();   // opened from the menu
    } else {
        // What the entry form does for a supplier that is not in the catalogue.
        ui::runHandler([&] {
            f = MDIMenu::showForm<frmProveedor>();
            f->cmbNit->setText(handed);
            int k = 13;
            f->cmbNit_KeyPress(k);
            f->activateWindow();
        });
        QCOMPARE(f->cmbNit->Text(), handed);
        QVERIFY(f->nitProcesado());
        QCOMPARE(f->txtNombre->text(), QString());
    }
    QVERIFY(f->isLoaded());
    QCOMPARE(f->subWindow()->mdiArea(), menu.mdiArea);
    QVERIFY(!menu.mn00104->isEnabled());

    ui::runHandler([&] {
        f->cmbNit->setText(saved);
        int k = 13;
        f->cmbNit_KeyPress(k);
        f->txtNombre->setText(QStringLiteral("Nuevo"));
        f->cmdGrabar_Click();
    });
    QVERIFY(dialogs.calls().isEmpty());
    QVERIFY(fx.rows().contains(stored));
    QCOMPARE(f->isLoaded(), !closes);
    QCOMPARE(Biblio::gProveedorNuevo, nuevoAfter);
    QCOMPARE(Biblio::gNitProveedor, nitAfter);
    QCOMPARE(menu.mn00104->isEnabled(), closes);
}

void TestFrmProveedor::closingForgetsTheHandOffOnlyWithoutWorksheet_data()
{
    QTest::addColumn<bool>("worksheetOpen");
    QTest::newRow("worksheet open") << true;
    QTest::newRow("no worksheet") << false;
}

void TestFrmProveedor::closingForgetsTheHandOffOnlyWithoutWorksheet()
{
    QFETCH(bool, worksheetOpen);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    Biblio::gPlanillaAbierta = worksheetOpen;
    Biblio::gNitProveedor = QStringLiteral("22222227");
    Biblio::gProveedorNuevo = true;
    frmProveedor f;
    QVERIFY(open(f));
    f.close();
    QVERIFY(!f.isLoaded());
    QCOMPARE(Biblio::gNitProveedor, worksheetOpen ? QStringLiteral("22222227") : QString());
    QCOMPARE(Biblio::gProveedorNuevo, worksheetOpen);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmProveedor::typedTextNeverReachesTheCriteria()
{
    // The text passes the check digit; built into a criterion unquoted it would match every
    // other supplier.
    const QString injection = QStringLiteral("1' or Nit<>'9");
    QVERIFY(Biblio::ValidaNit(injection));
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmProveedor f;
    QVERIFY(open(f));

    // Lookup: nothing is loaded.
    typeNit(f, injection);
    QCOMPARE(f.cmbNit->Text(), injection);
    QCOMPARE(f.txtNombre->text(), QString());
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);

    // Deletion: nothing is deleted.
    QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    QCOMPARE(fx.rows(), kInitialRows);

    // Save: no other supplier is changed; the text is a tax id of its own.
    typeNit(f, injection);
    typeName(f, QStringLiteral("Intruso"));
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QStringList expected = QStringList(kInitialRows) << QStringLiteral("1' OR NIT<>'9=Intruso");
    expected.sort();
    QCOMPARE(fx.rows(), expected);

    // An apostrophe alone finds its own row and no other.
    typeNit(f, injection);
    QCOMPARE(f.txtNombre->text(), QStringLiteral("Intruso"));
    typeNit(f, QStringLiteral("12'1"));
    QCOMPARE(f.txtNombre->text(), QString());
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmProveedor::gridDoubleClickLoadsTheRow()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmProveedor f;
    QVERIFY(open(f));
    f.SSTab1->setCurrentIndex(1);
    int row = -1;
    for (int i = 0; i < f.grdConsulta->rowCount(); ++i)
        if (f.grdConsulta->text(i, 0) == QLatin1String("1000064K"))
            row = i;
    QVERIFY(row >= 0);
    const QPoint at = f.grdConsulta->cellRect(row, 1).center();
    QTest::mouseClick(f.grdConsulta->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(f.grdConsulta->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(f.SSTab1->currentIndex(), 0);
    QCOMPARE(f.cmbNit->Text(), QStringLiteral("1000064K"));
    QCOMPARE(f.txtNombre->text(), QStringLiteral("Farmacia Central"));
    QCOMPARE(QApplication::focusWidget(), f.txtNombre);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmProveedor::menuLockedWhileOpen()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    auto* f = MDIMenu::loadForm<frmProveedor>();
    QVERIFY(f->isVisible());
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(menu.mn00301->isEnabled());
    QVERIFY(menu.mn00201->isEnabled());
    // Loading it again changes nothing.
    QCOMPARE(MDIMenu::loadForm<frmProveedor>(), f);
    QTest::mouseClick(f->cmdSalir, Qt::LeftButton);
    QVERIFY(!f->isLoaded());
    QVERIFY(menu.mn00104->isEnabled());
    // A new load starts from an empty form.
    f->cmbNit->setText(QStringLiteral("12345679"));
    f = MDIMenu::loadForm<frmProveedor>();
    QCOMPARE(f->cmbNit->Text(), QString());
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmProveedor::promptsStayAfterLeavingAField()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmProveedor f;
    QVERIFY(open(f));
    QCOMPARE(f.Stat->panelCount(), 3);
    QCOMPARE(f.Stat->panel(1).style(), ui::StatusPanel::Style::Date);
    QCOMPARE(f.Stat->panel(2).style(), ui::StatusPanel::Style::Time);
    // The form opens in the tax-id combo.
    QCOMPARE(QApplication::focusWidget(), f.cmbNit);
    QCOMPARE(f.Stat->panel(3).text(), kNitPrompt);
    typeNit(f, QStringLiteral("12345679"));
    QCOMPARE(f.Stat->panel(3).text(), kNamePrompt);
    QTest::keyClick(f.txtNombre, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), f.cmdGrabar);
    QCOMPARE(f.Stat->panel(3).text(), kNamePrompt);
    QTest::keyClick(f.cmdGrabar, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != f.cmdGrabar);
    QCOMPARE(f.Stat->panel(3).text(), kNamePrompt);
    QVERIFY(dialogs.calls().isEmpty());
}

QTEST_MAIN(TestFrmProveedor)
#include "test_frm_proveedor.moc"
