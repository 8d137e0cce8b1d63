// The expense-type catalogue: adding, renaming and deleting expense types, the protection of the
// fuel rows, the grid that narrows as the user types, failed writes and menu locking.
#include "catalogs/frm_gastos.h"
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/status_bar.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>
#include <sqlite3.h>

namespace {

const QString kTitle = QStringLiteral(" ZAL");
const QString kNoDeletion = QStringLiteral(" Este Gasto no se puede eliminar ");
const QString kAlreadyEntered = QStringLiteral(" Este Gasto ya ha sido ingresado anteriormente ");
const QString kGenericWord = QStringLiteral("Ya existe en el catálogo este tipo de Gasto");
const QString kNoPick = QStringLiteral("Este Gasto no se permite modificar");
const QString kInUse = QStringLiteral(" Este Dato es parte de otros datos Imposible borrar...");
const QString kPrompt = QStringLiteral("Descripción del Gasto...");

struct Fixture {
    support::TestDatabase db;
    support::TempSettings settings;
    Fixture() { Biblio::gBaseDatos = db.path(); }

    // Code -> description of every row of Gastos, read from the file.
    QMap<int, QString> rows() const
    {
        QMap<int, QString> out;
        db::Database d = db::Database::open(db.path(), Biblio::kConnect);
        db::Recordset rs = d.openRecordset(QStringLiteral("SELECT Codigo, Descripcion FROM Gastos"));
        while (!rs.eof()) {
            out.insert(rs.field(QStringLiteral("Codigo")).toInt(), rs.field(QStringLiteral("Descripcion")).toString());
            rs.moveNext();
        }
        return out;
    }
};

// Each message box as "prompt | style | title".
QStringList messages(const support::ScriptedDialogs& dialogs)
{
    QStringList out;
    for (const auto& call : dialogs.calls())
        out << QStringLiteral("%1 | %2 | %3").arg(call.prompt).arg(call.style).arg(call.title);
    return out;
}

QString info(const QString& prompt)
{
    return QStringLiteral("%1 | %2 | %3").arg(prompt).arg(ui::vbInformation).arg(kTitle);
}

// The " Error de sistema " report: no icon, no title.
QString systemError(int number)
{
    return QStringLiteral(" Error de sistema %1\r%2 | 0 | ").arg(number).arg(db::describe(number));
}

// The grid's descriptions, top to bottom.
QStringList gridTexts(const frmGastos& f)
{
    QStringList out;
    for (int row = 0; row < f.DBGrid1->rowCount(); ++row)
        out << f.DBGrid1->text(row, 0);
    return out;
}

void openForm(frmGastos& f)
{
    f.Load();
    f.show();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QTRY_COMPARE(QApplication::focusWidget(), f.cmbServicio);
}

// Types into the combo as the user does, replacing what it shows.
void type(frmGastos& f, const QString& text)
{
    f.cmbServicio->setFocus();
    f.cmbServicio->lineEdit()->selectAll();
    QTest::keyClick(f.cmbServicio, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(f.cmbServicio, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, f.cmbServicio, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void enter(frmGastos& f)
{
    f.cmbServicio->setFocus();
    QTest::keyClick(f.cmbServicio, Qt::Key_Return);
}

QWidget* focused()
{
    QCoreApplication::processEvents();
    return QApplication::focusWidget();
}

// Double-clicks the grid row that shows exactly this description.
void doubleClickGrid(frmGastos& f, const QString& description)
{
    const int row = int(gridTexts(f).indexOf(description));
    QVERIFY2(row >= 0, qPrintable(description));
    f.DBGrid1->scrollTo(f.DBGrid1->model()->index(row, 0));
    const QPoint at = f.DBGrid1->cellRect(row, 0).center();
    QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, at);
}

// Picks a row of the combo's list with the mouse.
void pickInList(frmGastos& f, const QString& description)
{
    const int row = f.cmbServicio->findText(description, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    QVERIFY2(row >= 0, qPrintable(description));
    f.cmbServicio->showPopup();
    QTRY_VERIFY(f.cmbServicio->view()->isVisible());
    const QModelIndex index = f.cmbServicio->model()->index(row, 0);
    f.cmbServicio->view()->scrollTo(index);
    QTest::mouseClick(f.cmbServicio->view()->viewport(), Qt::LeftButton, {},
                      f.cmbServicio->view()->visualRect(index).center());
    QTRY_VERIFY(!f.cmbServicio->view()->isVisible());
}

// Holds the write lock of the file from a second connection for the object's lifetime.
class WriteLock {
public:
    explicit WriteLock(const QString& path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &h_, SQLITE_OPEN_READWRITE, nullptr);
        ok_ = sqlite3_exec(h_, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteLock() { release(); }
    bool ok() const { return ok_; }
    void release()
    {
        if (!h_)
            return;
        sqlite3_exec(h_, "ROLLBACK;", nullptr, nullptr, nullptr);
        sqlite3_close_v2(h_);
        h_ = nullptr;
    }
private:
    sqlite3* h_ = nullptr;
    bool ok_ = false;
};

// A short wait for locks while the object lives (set before the form opens its database).
struct ShortLockTimeout {
    ShortLockTimeout() { db::setLockTimeout(100); }
    ~ShortLockTimeout() { db::setLockTimeout(2000); }
};

} // namespace

class TestFrmGastos : public QObject {
    Q_OBJECT
private slots:
    void loadShowsTheCatalogue();
    void fuelNamesCannotBeDeleted_data();
    void fuelNamesCannotBeDeleted();
    void savingIsCheckedAgainstFuelNames_data();
    void savingIsCheckedAgainstFuelNames();
    void fuelRowsCannotBePickedFromTheGrid_data();
    void fuelRowsCannotBePickedFromTheGrid();
    void fuelRowFoundInTheComboCanBeRenamed_data();
    void fuelRowFoundInTheComboCanBeRenamed();
    void addRenameAndDelete();
    void savingWithoutLookup_data();
    void savingWithoutLookup();
    void lookupOfATextWithAnApostrophe();
    void emptyTextAndUnknownDeletion();
    void deletingATypeInUse();
    void failedWritesAreReportedAndKeepTheText_data();
    void failedWritesAreReportedAndKeepTheText();
    void gridNarrowsAsTyped_data();
    void gridNarrowsAsTyped();
    void gridPickWorksOnThePickedRow_data();
    void gridPickWorksOnThePickedRow();
    void listPickChoosesThePickedRow();
    void menuLocking();
};

void TestFrmGastos::loadShowsTheCatalogue()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);
    QCOMPARE(f.windowTitle(), QStringLiteral(" Gastos..."));
    QCOMPARE(f.DBGrid1->Caption(), QStringLiteral("GASTOS ACTUALES"));
    QCOMPARE(f.DBGrid1->rowCount(), 31);
    QCOMPARE(f.DBGrid1->columnCount(), 1);
    QCOMPARE(f.cmbServicio->count(), 31);
    QCOMPARE(f.cmbServicio->Text(), QString());
    // Entering the combo writes its prompt; leaving it clears the prompt.
    f.cmdSalir->setFocus();
    QCOMPARE(f.Stat->panel(3).text(), QString());
    f.cmbServicio->setFocus();
    QCOMPARE(f.Stat->panel(3).text(), kPrompt);
    f.cmdGrabar->setFocus();
    QCOMPARE(f.Stat->panel(3).text(), QString());
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmGastos::fuelNamesCannotBeDeleted_data()
{
    QTest::addColumn<QString>("text");
    for (const char* name : {"GASOLINA SUPERIOR", "GASOLINA REGULAR", "GASOLINA DE AVIACIÓN", "DIESEL Y GAS OIL",
                             "KEROSINA (DPK)", "KEROSINA MOTORES REACCIÓN", "NAFTA", "GAS LICUADO DE PETRÓLEO",
                             "GASOLINA DE AVIACION", "KEROSINA MOTORES REACCION", "GAS LICUADO DE PETROLEO",
                             "Gasolina Superior", "nafta"})
        QTest::newRow(name) << QString::fromUtf8(name);
}

void TestFrmGastos::fuelNamesCannotBeDeleted()
{
    QFETCH(QString, text);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kNoDeletion, ui::vbOK);
    frmGastos f;
    openForm(f);
    type(f, text);
    enter(f);
    QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{info(kNoDeletion)});
    QCOMPARE(fx.rows().size(), 31);
    QCOMPARE(f.cmbServicio->Text(), QString());
    QVERIFY(!f.m_Encontrado);
    QCOMPARE(f.DBGrid1->rowCount(), 31);
    QCOMPARE(focused(), f.cmbServicio);
}

void TestFrmGastos::savingIsCheckedAgainstFuelNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusal");   // empty: saved as a new row
    QTest::newRow("fuel name, lower case") << "gasolina superior" << kAlreadyEntered;
    QTest::newRow("fuel name, upper case") << "GASOLINA REGULAR" << kAlreadyEntered;
    QTest::newRow("accent-less fuel name") << "Gasolina de Aviacion" << kAlreadyEntered;
    QTest::newRow("short form with the accent") << "gas de aviación" << kAlreadyEntered;
    QTest::newRow("short form") << "Gas Superior" << kAlreadyEntered;
    QTest::newRow("GAS") << "GAS" << kGenericWord;
    QTest::newRow("diesel") << "diesel" << kGenericWord;
    QTest::newRow("Petróleo") << "Petróleo" << kGenericWord;
    QTest::newRow("gas butano") << "gas butano" << kGenericWord;
    QTest::newRow("short form without the accent") << "GAS DE AVIACION" << "";
    QTest::newRow("begins with a fuel word") << "Diesel para generador" << "";
    QTest::newRow("fuel name after a blank") << " NAFTA" << "";
}

void TestFrmGastos::savingIsCheckedAgainstFuelNames()
{
    QFETCH(QString, text);
    QFETCH(QString, refusal);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    if (!refusal.isEmpty())
        dialogs.expectMsgBox(refusal, ui::vbOK);
    frmGastos f;
    openForm(f);
    type(f, text);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), refusal.isEmpty() ? QStringList() : QStringList{info(refusal)});
    const QMap<int, QString> rows = fx.rows();
    if (refusal.isEmpty()) {
        QCOMPARE(rows.size(), 32);
        QCOMPARE(rows.value(32), text);
    } else {
        QCOMPARE(rows.size(), 31);
    }
    // Refused or saved, the form starts afresh.
    QCOMPARE(f.cmbServicio->Text(), QString());
    QVERIFY(!f.m_Encontrado);
    QCOMPARE(f.DBGrid1->rowCount(), rows.size());
    QCOMPARE(focused(), f.cmbServicio);
}

void TestFrmGastos::fuelRowsCannotBePickedFromTheGrid_data()
{
    QTest::addColumn<int>("code");
    for (int code = 24; code <= 31; ++code)
        QTest::addRow("%d", code) << code;
}

void TestFrmGastos::fuelRowsCannotBePickedFromTheGrid()
{
    QFETCH(int, code);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kNoPick, ui::vbOK);
    frmGastos f;
    openForm(f);
    doubleClickGrid(f, fx.rows().value(code));
    QCOMPARE(messages(dialogs), QStringList{QStringLiteral("%1 | 0 | ").arg(kNoPick)});
    QCOMPARE(f.cmbServicio->Text(), QString());
    QVERIFY(!f.m_Encontrado);
    QCOMPARE(f.m_Codigo, 0);
}

void TestFrmGastos::fuelRowFoundInTheComboCanBeRenamed_data()
{
    QTest::addColumn<bool>("byList");
    QTest::newRow("Enter") << false;
    QTest::newRow("pick in the list") << true;
}

void TestFrmGastos::fuelRowFoundInTheComboCanBeRenamed()
{
    QFETCH(bool, byList);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);
    if (byList) {
        pickInList(f, QStringLiteral("Kerosina (DPK)"));
    } else {
        type(f, QStringLiteral("Kerosina (DPK)"));
        enter(f);
    }
    QVERIFY(f.m_Encontrado);
    QCOMPARE(f.m_Codigo, 28);
    // (After a pick the list's window may keep the application inactive: ask the form.)
    QCoreApplication::processEvents();
    QCOMPARE(f.focusWidget(), f.cmdEliminar);
    // The new text is not looked up again: Enter goes straight on to Grabar.
    type(f, QStringLiteral("Queroseno doméstico"));
    enter(f);
    QCOMPARE(focused(), f.cmdGrabar);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QVERIFY(dialogs.calls().isEmpty());
    const QMap<int, QString> rows = fx.rows();
    QCOMPARE(rows.size(), 31);
    QCOMPARE(rows.value(28), QStringLiteral("Queroseno doméstico"));
    // Giving it back its fuel name is refused.
    dialogs.expectMsgBox(kAlreadyEntered, ui::vbOK);
    type(f, QStringLiteral("Queroseno doméstico"));
    enter(f);
    type(f, QStringLiteral("Kerosina (DPK)"));
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{info(kAlreadyEntered)});
    QCOMPARE(fx.rows().value(28), QStringLiteral("Queroseno doméstico"));
}

void TestFrmGastos::addRenameAndDelete()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);

    // A new description.
    type(f, QStringLiteral("Gimnasio"));
    enter(f);
    QVERIFY(!f.m_Encontrado);
    QCOMPARE(f.m_Codigo, 0);
    QCOMPARE(focused(), f.cmdGrabar);
    QTest::keyClick(f.cmdGrabar, Qt::Key_Return);
    QCOMPARE(fx.rows().value(32), QStringLiteral("Gimnasio"));
    QCOMPARE(f.cmbServicio->Text(), QString());
    QCOMPARE(f.cmbServicio->count(), 32);
    QCOMPARE(f.DBGrid1->rowCount(), 32);
    QCOMPARE(focused(), f.cmbServicio);

    // Found by Enter in any letter case; the grid no longer follows the text while it is found.
    type(f, QStringLiteral("gimnasio"));
    QCOMPARE(gridTexts(f), QStringList{QStringLiteral("Gimnasio")});
    enter(f);
    QVERIFY(f.m_Encontrado);
    QCOMPARE(f.m_Codigo, 32);
    QCOMPARE(focused(), f.cmdEliminar);
    type(f, QStringLiteral("Gimnasio y deporte"));
    QCOMPARE(gridTexts(f), QStringList{QStringLiteral("Gimnasio")});
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QMap<int, QString> rows = fx.rows();
    QCOMPARE(rows.size(), 32);
    QCOMPARE(rows.value(32), QStringLiteral("Gimnasio y deporte"));
    QVERIFY(!f.m_Encontrado);
    QCOMPARE(f.DBGrid1->rowCount(), 32);

    // Cancelar forgets what was found.
    type(f, QStringLiteral("GIMNASIO Y DEPORTE"));
    enter(f);
    QVERIFY(f.m_Encontrado);
    QTest::mouseClick(f.cmdCancelar, Qt::LeftButton);
    QVERIFY(!f.m_Encontrado);
    QCOMPARE(f.cmbServicio->Text(), QString());
    QCOMPARE(f.DBGrid1->rowCount(), 32);

    // Deleted without confirmation.
    type(f, QStringLiteral("gimnasio y deporte"));
    enter(f);
    QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    rows = fx.rows();
    QCOMPARE(rows.size(), 31);
    QVERIFY(!rows.contains(32));
    QCOMPARE(f.cmbServicio->Text(), QString());
    QCOMPARE(f.cmbServicio->count(), 31);
    QCOMPARE(f.DBGrid1->rowCount(), 31);
    QVERIFY(!f.m_Encontrado);
    QCOMPARE(focused(), f.cmbServicio);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmGastos::savingWithoutLookup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");          // the row written
    QTest::addColumn<QString>("stored");
    // An existing description in another letter case is rewritten, not added again.
    QTest::newRow("other letter case") << "LIBROS" << 9 << "LIBROS";
    const QString seventy = QStringLiteral("Suscripciones ").repeated(5);
    QTest::newRow("70 characters") << seventy << 32 << seventy.left(60);
    QTest::newRow("apostrophe") << "Pan d'Oro" << 32 << "Pan d'Oro";
    QTest::newRow("blanks kept") << "  Cuota  anual " << 32 << "  Cuota  anual ";
}

void TestFrmGastos::savingWithoutLookup()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(QString, stored);
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);
    type(f, text);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QVERIFY(dialogs.calls().isEmpty());
    const QMap<int, QString> rows = fx.rows();
    QCOMPARE(rows.value(code), stored);
    QCOMPARE(rows.size(), code == 32 ? 32 : 31);
    QCOMPARE(f.cmbServicio->Text(), QString());
}

void TestFrmGastos::lookupOfATextWithAnApostrophe()
{
    Fixture fx;
    fx.db.exec(QStringLiteral("INSERT INTO Gastos (Descripcion) VALUES ('O''Brien repuestos');"));
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);
    type(f, QStringLiteral("o'brien REPUESTOS"));
    enter(f);
    QVERIFY(f.m_Encontrado);
    QCOMPARE(f.m_Codigo, 32);
    QCOMPARE(focused(), f.cmdEliminar);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmGastos::emptyTextAndUnknownDeletion()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);

    dialogs.expectMsgBox(QStringLiteral(" Debe ingresar un Nombre Lógico..."), ui::vbOK);
    type(f, QStringLiteral("   "));
    enter(f);
    QCOMPARE(focused(), f.cmbServicio);

    dialogs.expectMsgBox(QStringLiteral(" Debe ingresar una descripción válida..."), ui::vbOK);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), (QStringList{info(QStringLiteral(" Debe ingresar un Nombre Lógico...")),
                                             info(QStringLiteral(" Debe ingresar una descripción válida..."))}));
    QCOMPARE(f.cmbServicio->Text(), QString());
    QCOMPARE(focused(), f.cmbServicio);

    // A text that is no row of the list: Eliminar does nothing at all.
    dialogs.clearCalls();
    type(f, QStringLiteral("Nada parecido"));
    QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    QVERIFY(dialogs.calls().isEmpty());
    QCOMPARE(f.cmbServicio->Text(), QStringLiteral("Nada parecido"));
    QCOMPARE(fx.rows().size(), 31);
}

void TestFrmGastos::deletingATypeInUse()
{
    Fixture fx;
    fx.db.exec(QStringLiteral("INSERT INTO Planilla_Det (Enc, Gasto, Monto) VALUES (1, 9, 100);"));
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kInUse, ui::vbOK);
    frmGastos f;
    openForm(f);
    type(f, QStringLiteral("libros"));
    enter(f);
    QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{info(kInUse)});
    QCOMPARE(fx.rows().value(9), QStringLiteral("Libros"));
    // The form stays as it was.
    QCOMPARE(f.cmbServicio->Text(), QStringLiteral("libros"));
    QVERIFY(f.m_Encontrado);
    QCOMPARE(f.m_Codigo, 9);
    QCOMPARE(f.cmbServicio->count(), 31);
}

void TestFrmGastos::failedWritesAreReportedAndKeepTheText_data()
{
    QTest::addColumn<QString>("action");      // "add", "rename" or "delete"
    QTest::addColumn<bool>("locked");         // locked by another connection, else a text too long
    QTest::addColumn<int>("error");
    // 60 characters and a blank: only texts longer than 60 once trimmed are cut.
    QTest::newRow("add, too long") << "add" << false << int(db::err::FieldTooSmall);
    QTest::newRow("rename, too long") << "rename" << false << int(db::err::FieldTooSmall);
    QTest::newRow("add, locked") << "add" << true << int(db::err::Locked);
    QTest::newRow("rename, locked") << "rename" << true << int(db::err::Locked);
    QTest::newRow("delete, locked") << "delete" << true << int(db::err::Locked);
}

void TestFrmGastos::failedWritesAreReportedAndKeepTheText()
{
    QFETCH(QString, action);
    QFETCH(bool, locked);
    QFETCH(int, error);
    Fixture fx;
    ShortLockTimeout timeout;
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);

    const QString text = locked ? QStringLiteral("Cuotas de club") : QStringLiteral("x").repeated(60) + QLatin1Char(' ');
    if (action != QLatin1String("add")) {
        type(f, QStringLiteral("Libros"));
        enter(f);
        QCOMPARE(f.m_Codigo, 9);
    }
    if (action != QLatin1String("delete"))
        type(f, text);
    const QString shown = f.cmbServicio->Text();

    WriteLock lock(fx.db.path());
    if (locked)
        QVERIFY(lock.ok());
    else
        lock.release();
    dialogs.expectMsgBox(ui::vbOK);
    QTest::mouseClick(action == QLatin1String("delete") ? f.cmdEliminar : f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(messages(dialogs), QStringList{systemError(error)});

    // Nothing written, nothing typed lost, and the same row still chosen.
    const QMap<int, QString> rows = fx.rows();
    QCOMPARE(rows.size(), 31);
    QCOMPARE(rows.value(9), QStringLiteral("Libros"));
    QCOMPARE(f.cmbServicio->Text(), shown);
    QCOMPARE(f.m_Encontrado, action != QLatin1String("add"));
    QCOMPARE(focused(), f.cmbServicio);
    QCOMPARE(f.dtServicios->Recordset().editMode(), db::EditMode::None);
    if (!locked)
        return;

    // Once the other session lets go, the same click does the work.
    lock.release();
    QTest::mouseClick(action == QLatin1String("delete") ? f.cmdEliminar : f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(dialogs.calls().size(), 1);
    const QMap<int, QString> after = fx.rows();
    if (action == QLatin1String("add"))
        QCOMPARE(after.value(32), text);
    else if (action == QLatin1String("rename"))
        QCOMPARE(after.value(9), text);
    else
        QVERIFY(!after.contains(9));
    QCOMPARE(f.cmbServicio->Text(), QString());
}

void TestFrmGastos::gridNarrowsAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("length");
    const QStringList gasolinas{QStringLiteral("Gasolina de Aviación"), QStringLiteral("Gasolina Regular"),
                                QStringLiteral("Gasolina Superior")};
    QTest::newRow("any letter case") << "ga" << (QStringList{QStringLiteral("Gas licuado de petróleo")} + gasolinas) << 2;
    QTest::newRow("longer prefix") << "GASOLINA" << gasolinas << 8;
    QTest::newRow("leading blank") << " ga" << QStringList() << 2;
    QTest::newRow("apostrophe") << "o'" << QStringList{QStringLiteral("O'Brien repuestos")} << 2;
    QTest::newRow("before the apostrophe") << "o"
                                           << QStringList{QStringLiteral("O'Brien repuestos"), QStringLiteral("Otros gastos")}
                                           << 1;
    QTest::newRow("no such prefix") << "zz" << QStringList() << 2;
}

void TestFrmGastos::gridNarrowsAsTyped()
{
    QFETCH(QString, text);
    QFETCH(QStringList, shown);
    QFETCH(int, length);
    Fixture fx;
    fx.db.exec(QStringLiteral("INSERT INTO Gastos (Descripcion) VALUES ('O''Brien repuestos');"));
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);
    type(f, text);
    QCOMPARE(gridTexts(f), shown);
    QCOMPARE(f.m_Largo, length);
    // Emptying the combo shows the whole catalogue again.
    type(f, QString());
    QCOMPARE(f.DBGrid1->rowCount(), 32);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmGastos::gridPickWorksOnThePickedRow_data()
{
    QTest::addColumn<int>("picked");
    QTest::addColumn<bool>("remove");
    // Two descriptions that differ only in letter case: 9 "Libros" and 32 "libros".
    QTest::newRow("rename 32") << 32 << false;
    QTest::newRow("rename 9") << 9 << false;
    QTest::newRow("delete 32") << 32 << true;
    QTest::newRow("delete 9") << 9 << true;
}

void TestFrmGastos::gridPickWorksOnThePickedRow()
{
    QFETCH(int, picked);
    QFETCH(bool, remove);
    Fixture fx;
    fx.db.exec(QStringLiteral("INSERT INTO Gastos (Codigo, Descripcion) VALUES (32, 'libros');"));
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);
    const QString description = picked == 9 ? QStringLiteral("Libros") : QStringLiteral("libros");
    doubleClickGrid(f, description);
    QCOMPARE(f.cmbServicio->Text(), description);
    QVERIFY(f.m_Encontrado);
    QCOMPARE(f.m_Codigo, picked);
    QCOMPARE(focused(), f.cmdEliminar);

    if (remove) {
        QTest::mouseClick(f.cmdEliminar, Qt::LeftButton);
    } else {
        type(f, QStringLiteral("Libros de texto"));
        QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    }
    QVERIFY(dialogs.calls().isEmpty());
    const QMap<int, QString> rows = fx.rows();
    const int other = picked == 9 ? 32 : 9;
    QCOMPARE(rows.value(other), picked == 9 ? QStringLiteral("libros") : QStringLiteral("Libros"));
    if (remove)
        QVERIFY(!rows.contains(picked));
    else
        QCOMPARE(rows.value(picked), QStringLiteral("Libros de texto"));
    QCOMPARE(f.cmbServicio->Text(), QString());
}

void TestFrmGastos::listPickChoosesThePickedRow()
{
    // After a row has been found, a pick of another row in the list works on the picked row:
    // saving must not give the row found first the picked row's description.
    Fixture fx;
    support::ScriptedDialogs dialogs;
    frmGastos f;
    openForm(f);
    type(f, QStringLiteral("Libros"));
    enter(f);
    QCOMPARE(f.m_Codigo, 9);
    pickInList(f, QStringLiteral("Medicinas"));
    QCOMPARE(f.cmbServicio->Text(), QStringLiteral("Medicinas"));
    QVERIFY(f.m_Encontrado);
    QCOMPARE(f.m_Codigo, 11);
    QCoreApplication::processEvents();
    QCOMPARE(f.focusWidget(), f.cmdEliminar);
    type(f, QStringLiteral("Medicinas y vitaminas"));
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    const QMap<int, QString> rows = fx.rows();
    QCOMPARE(rows.value(9), QStringLiteral("Libros"));
    QCOMPARE(rows.value(11), QStringLiteral("Medicinas y vitaminas"));
    QCOMPARE(rows.size(), 31);
    QVERIFY(dialogs.calls().isEmpty());
}

void TestFrmGastos::menuLocking()
{
    Fixture fx;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    QVERIFY(menu.mn00104->isEnabled());
    auto* f = MDIMenu::loadForm<frmGastos>();
    QVERIFY(f->isLoaded());
    QVERIFY(f->subWindow());
    QCOMPARE(f->subWindow()->mdiArea(), menu.mdiArea);
    QCOMPARE(f->focusWidget(), f->cmbServicio);
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(menu.mn00301->isEnabled());
    QVERIFY(menu.mn00201->isEnabled());
    QVERIFY(menu.mn00203->isEnabled());
    QTest::mouseClick(f->cmdSalir, Qt::LeftButton);
    QVERIFY(!f->isLoaded());
    QVERIFY(menu.mn00104->isEnabled());
    // A new load starts afresh.
    f->Load();
    QVERIFY(!menu.mn00104->isEnabled());
    QCOMPARE(f->DBGrid1->rowCount(), 31);
    QVERIFY(f->Unload());
    QVERIFY(menu.mn00104->isEnabled());
    QVERIFY(dialogs.calls().isEmpty());
}

QTEST_MAIN(TestFrmGastos)
#include "test_frm_gastos.moc"
