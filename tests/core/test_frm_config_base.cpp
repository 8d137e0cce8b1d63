// The database-location dialog: the file dialog, the probe and what it stores, the refusals, the
// repair of a damaged file and the fatal end, the modal use at start-up and the menu's use.
#include "core/biblio.h"
#include "core/frm_config_base.h"
#include "core/mdi_menu.h"
#include "platform/system/end.h"
#include "platform/system/settings.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mouse_pointer.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>
#include <sqlite3.h>

namespace {

const QString kApp = QStringLiteral("ZAL EKO");
const QString kSection = QStringLiteral("Configuracion");
const QString kOldPath = QStringLiteral("/antes/eko.mdb");
const QString kChooseValid = QStringLiteral(" Debe seleccionar una database válida... ");
const QString kFileMissing = QStringLiteral(" Archivo especificado no existe... ");
const QString kNotTheSystemBase = QStringLiteral(" La base seleccionada no es la Base del Sistema, no existe o esta dañada\r"
                                                 "      Consulte con el Administrador del Sistema...");
const QString kRestart = QStringLiteral(" Para que los cambios de esta nueva versión sean aplicados correctamente \r"
                                        " en la base de datos seleccionada, debe reiniciar la aplicación (Planilla del EKO). ");
const QString kDamaged = QStringLiteral("Su base de datos fue totalmente dañada... Imposible iniciar el programa!!!");

// A fresh database; the settings and the shared state name an earlier database.
struct Fixture {
    support::TestDatabase db;
    support::TempSettings settings;
    Fixture()
    {
        sys::saveSetting(kApp, kSection, QStringLiteral("DataBase"), kOldPath);
        Biblio::gBaseDatos = kOldPath;
    }
    QString file(const QString& name) const { return db.dir() + QLatin1Char('/') + name; }
};

QString storedPath()
{
    return sys::getSetting(kApp, kSection, QStringLiteral("DataBase"));
}

// The scripted dialogs, also noting the mouse pointer each message box was shown under.
class Dialogs : public support::ScriptedDialogs {
public:
    int msgBox(const QString& prompt, int style, const QString& title, int helpContext) override
    {
        pointers << ui::mousePointer();
        return ScriptedDialogs::msgBox(prompt, style, title, helpContext);
    }
    // Each message box as "prompt | style | title".
    QStringList messages() const
    {
        QStringList out;
        for (const Call& call : calls()) {
            if (call.kind == Kind::MsgBox)
                out << QStringLiteral("%1 | %2 | %3").arg(call.prompt).arg(call.style).arg(call.title);
        }
        return out;
    }
    QList<int> pointers;
};

QString box(const QString& prompt, int style)
{
    return QStringLiteral("%1 | %2 |  ZAL").arg(prompt).arg(style);
}

// sys::End throws this in the tests.
struct Ended {
    int code;
};

class EndHook {
public:
    EndHook() { sys::setEndHook([](int code) { throw Ended{code}; }); }
    ~EndHook() { sys::setEndHook({}); }
};

int rootPage(const QString& path, const char* table)
{
    int page = 0;
    sqlite3* h = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &h);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT rootpage FROM sqlite_master WHERE name = ?", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, table, -1, SQLITE_STATIC);
    if (sqlite3_step(st) == SQLITE_ROW)
        page = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(h);
    return page;
}

// Overwrites the page that holds a table's rows, as a disk fault would.
bool damageTable(const QString& path, const char* table)
{
    const int page = rootPage(path, table);
    if (page <= 1)
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    f.seek(qint64(page - 1) * 4096);
    f.write(QByteArray(4096, '\xA5'));
    return true;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool showActive(QWidget& w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

} // namespace

class TestFrmConfigBase : public QObject {
    Q_OBJECT
private slots:
    void browseUsesTheDialogsSettingsAndMemory();
    void validFileIsStored();
    void refusedFiles_data();
    void refusedFiles();
    void typedPathCountsOnlyWithEnter_data();
    void typedPathCountsOnlyWithEnter();
    void enterOnEmptyBoxBrowsesThenRefuses_data();
    void enterOnEmptyBoxBrowsesThenRefuses();
    void enterNeverRepairs();
    void damagedFileIsRepairedAndStored();
    void fileTheRepairCannotMendEndsTheProgram();
    void repairedFileStillNotTheSystemsIsRefused();
    void fileThatIsNotDamagedIsNeverRewritten_data();
    void fileThatIsNotDamagedIsNeverRewritten();
    void modalFromStartUp_data();
    void modalFromStartUp();
    void fromTheMenuTheMainWindowWaits();
};

void TestFrmConfigBase::browseUsesTheDialogsSettingsAndMemory()
{
    Fixture fx;
    Dialogs dialogs;
    dialogs.expectOpenFile(fx.db.path()).expectOpenFile(QString());
    frmConfigBase f;
    f.Load();
    QCOMPARE(f.windowTitle(), QStringLiteral("Configuración del Sistema"));
    QCOMPARE(f.cmdBrowse->toolTip(), QStringLiteral("Seleccionar Sub-Directorio"));
    QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    QCOMPARE(f.txtCurrentDir->text(), fx.db.path());
    // The flags are set again before each use.
    f.dlgBrowse.flags = 0;
    // Cancel keeps the file chosen before.
    QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    QCOMPARE(f.txtCurrentDir->text(), fx.db.path());
    QCOMPARE(f.dlgBrowse.fileName, fx.db.path());

    QCOMPARE(dialogs.calls().size(), 2);
    const ui::OpenFileOptions first = dialogs.calls().at(0).openFile;
    QCOMPARE(first.title, QStringLiteral("Directorio de Base de Datos..."));
    QCOMPARE(first.filter, QStringLiteral("Base de Datos |*.mdb"));
    QCOMPARE(first.initialFolder, QDir::homePath());
    QCOMPARE(first.flags, 1028);
    QCOMPARE(first.fileName, QString());
    const ui::OpenFileOptions second = dialogs.calls().at(1).openFile;
    QCOMPARE(second.fileName, fx.db.path());
    QCOMPARE(second.flags, 1028);
}

void TestFrmConfigBase::validFileIsStored()
{
    Fixture fx;
    Dialogs dialogs;
    dialogs.expectOpenFile(fx.db.path()).expectMsgBox(kRestart, ui::vbOK);
    frmConfigBase f;
    f.Load();
    QVERIFY(showActive(f));
    QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(dialogs.messages(), QStringList{box(kRestart, ui::vbInformation)});
    QCOMPARE(dialogs.pointers, QList<int>{ui::vbDefault});
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(storedPath(), fx.db.path());
    QCOMPARE(Biblio::gBaseDatos.toString(), fx.db.path());
    QCOMPARE(f.txtPrebase->text(), fx.db.path());
    QCOMPARE(f.txtCurrentDir->text(), QString());
    // The probe stays open while the dialog is, and closes when it unloads.
    const db::Database probe = f.probeDatabase();
    const db::Recordset suppliers = f.probeRecordset();
    QVERIFY(probe.isOpen());
    QVERIFY(suppliers.isOpen());
    QCOMPARE(suppliers.type(), db::RecordsetType::Dynaset);
    QCOMPARE(suppliers.source(), QStringLiteral("Proveedores"));
    QVERIFY(f.isLoaded());
    QTest::mouseClick(f.cmdSalir, Qt::LeftButton);
    QVERIFY(!f.isLoaded());
    QVERIFY(!probe.isOpen());
    QVERIFY(!suppliers.isOpen());
}

void TestFrmConfigBase::refusedFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("keepsText");
    QTest::newRow("no table Proveedores") << "no suppliers" << kChooseValid << true;
    QTest::newRow("file gone since it was chosen") << "missing" << kFileMissing << false;
    QTest::newRow("nothing chosen") << "none" << kChooseValid << false;
}

void TestFrmConfigBase::refusedFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QFETCH(bool, keepsText);
    Fixture fx;
    Dialogs dialogs;
    EndHook end;
    if (kind == QLatin1String("no suppliers"))
        fx.db.exec(QStringLiteral("DROP TABLE Proveedores;"));
    const QString path = kind == QLatin1String("missing") ? fx.file(QStringLiteral("borrada.mdb")) : fx.db.path();
    if (kind != QLatin1String("none"))
        dialogs.expectOpenFile(path);
    dialogs.expectMsgBox(message, ui::vbOK);
    frmConfigBase f;
    f.Load();
    QVERIFY(showActive(f));
    if (kind != QLatin1String("none"))
        QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(dialogs.messages(), QStringList{box(message, ui::vbInformation)});
    QCOMPARE(dialogs.pointers, QList<int>{ui::vbDefault});
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(f.txtCurrentDir->text(), keepsText ? path : QString());
    QCOMPARE(QApplication::focusWidget(), f.txtCurrentDir);
    QCOMPARE(storedPath(), kOldPath);
    QCOMPARE(Biblio::gBaseDatos.toString(), kOldPath);
    QCOMPARE(f.txtPrebase->text(), kOldPath);
    QVERIFY(f.isLoaded());
    QTest::mouseClick(f.cmdCancelar, Qt::LeftButton);
    QCOMPARE(f.txtCurrentDir->text(), QString());
}

void TestFrmConfigBase::typedPathCountsOnlyWithEnter_data()
{
    // browse: the file chosen in the dialog first ("" none); typed: what is typed afterwards;
    // stored: what Grabar stores ("" nothing, with the message instead).
    QTest::addColumn<QString>("browse");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enter");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("message");
    QTest::newRow("typed, Enter") << "" << "db" << true << "db" << kRestart;
    QTest::newRow("typed, no Enter") << "" << "db" << false << "" << kChooseValid;
    QTest::newRow("dialog, then typed with Enter") << "other" << "db" << true << "db" << kRestart;
    QTest::newRow("dialog, then typed without Enter") << "db" << "other" << false << "db" << kRestart;
    QTest::newRow("relative name, Enter") << "" << "relative" << true << "db" << kRestart;
    QTest::newRow("missing file, Enter is silent") << "" << "missing" << true << "" << kFileMissing;
}

void TestFrmConfigBase::typedPathCountsOnlyWithEnter()
{
    QFETCH(QString, browse);
    QFETCH(QString, typed);
    QFETCH(bool, enter);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    Fixture fx;
    support::TestDatabase other;
    const QString savedCurrent = QDir::currentPath();
    QDir::setCurrent(fx.db.dir());
    const QHash<QString, QString> paths{{QStringLiteral("db"), fx.db.path()},
                                        {QStringLiteral("other"), other.path()},
                                        {QStringLiteral("relative"), QStringLiteral("eko.mdb")},
                                        {QStringLiteral("missing"), fx.file(QStringLiteral("borrada.mdb"))}};
    Dialogs dialogs;
    EndHook end;
    if (!browse.isEmpty())
        dialogs.expectOpenFile(paths.value(browse));
    dialogs.expectMsgBox(message, ui::vbOK);
    frmConfigBase f;
    f.Load();
    QVERIFY(showActive(f));
    if (!browse.isEmpty())
        QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    f.txtCurrentDir->clear();
    f.txtCurrentDir->setFocus();
    QTest::keyClicks(f.txtCurrentDir, paths.value(typed));
    if (enter) {
        QTest::keyClick(f.txtCurrentDir, Qt::Key_Return);
        // Enter only probes, without a message, and stores nothing.
        QVERIFY(dialogs.messages().isEmpty());
        QCOMPARE(storedPath(), kOldPath);
    }
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QDir::setCurrent(savedCurrent);
    QCOMPARE(dialogs.messages(), QStringList{box(message, ui::vbInformation)});
    QCOMPARE(storedPath(), stored.isEmpty() ? kOldPath : paths.value(stored));
}

void TestFrmConfigBase::enterOnEmptyBoxBrowsesThenRefuses_data()
{
    QTest::addColumn<bool>("choose");
    QTest::newRow("a file chosen") << true;
    QTest::newRow("dialog cancelled") << false;
}

void TestFrmConfigBase::enterOnEmptyBoxBrowsesThenRefuses()
{
    QFETCH(bool, choose);
    Fixture fx;
    Dialogs dialogs;
    const QString chosen = choose ? fx.db.path() : QString();
    dialogs.expectOpenFile(chosen).expectMsgBox(kNotTheSystemBase, ui::vbOK);
    frmConfigBase f;
    f.Load();
    QVERIFY(showActive(f));
    f.txtCurrentDir->setText(QStringLiteral("   "));
    f.txtCurrentDir->setFocus();
    QTest::keyClick(f.txtCurrentDir, Qt::Key_Return);
    QCOMPARE(dialogs.calls().size(), 2);
    QCOMPARE(dialogs.calls().at(0).kind, support::ScriptedDialogs::Kind::OpenFile);
    QCOMPARE(dialogs.messages(), QStringList{box(kNotTheSystemBase, ui::vbCritical)});
    QCOMPARE(f.txtCurrentDir->text(), QString());
    // Whatever the dialog chose stays chosen for Grabar.
    QCOMPARE(f.dlgBrowse.fileName, chosen);
    QCOMPARE(storedPath(), kOldPath);
}

void TestFrmConfigBase::enterNeverRepairs()
{
    // Enter probes silently: a damaged file is neither reported nor repaired there.
    Fixture fx;
    QVERIFY(damageTable(fx.db.path(), "Proveedores"));
    const QByteArray damaged = bytesOf(fx.db.path());
    Dialogs dialogs;
    EndHook end;
    frmConfigBase f;
    f.Load();
    QVERIFY(showActive(f));
    f.txtCurrentDir->setFocus();
    QTest::keyClicks(f.txtCurrentDir, fx.db.path());
    QTest::keyClick(f.txtCurrentDir, Qt::Key_Return);
    QVERIFY(dialogs.calls().isEmpty());
    QCOMPARE(bytesOf(fx.db.path()), damaged);
    QVERIFY(!QFile::exists(fx.db.path() + QStringLiteral(".bak")));
    QCOMPARE(f.dlgBrowse.fileName, fx.db.path());
    QCOMPARE(storedPath(), kOldPath);
}

void TestFrmConfigBase::damagedFileIsRepairedAndStored()
{
    Fixture fx;
    fx.db.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('12345', 'Uno');"));
    QVERIFY(damageTable(fx.db.path(), "Proveedores"));
    const QByteArray damaged = bytesOf(fx.db.path());
    Dialogs dialogs;
    EndHook end;
    const QString notice = QStringLiteral("Su base de datos estaba dañada y fue reparada, pero no se pudo recuperar todo:\n"
                                          "  - hasta 1 fila de la tabla Proveedores\n"
                                          "El archivo original, sin cambios, se guardó en:\n")
        + fx.db.path() + QStringLiteral(".bak");
    dialogs.expectOpenFile(fx.db.path()).expectMsgBox(notice, ui::vbOK);
    frmConfigBase f;
    f.Load();
    QVERIFY(showActive(f));
    QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    // The file is stored as it is after the repair; the row the repair could not keep is reported.
    QCOMPARE(dialogs.messages(), QStringList{box(notice, ui::vbExclamation)});
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(storedPath(), fx.db.path());
    QCOMPARE(Biblio::gBaseDatos.toString(), fx.db.path());
    QCOMPARE(f.txtPrebase->text(), fx.db.path());
    QCOMPARE(f.txtCurrentDir->text(), QString());
    QCOMPARE(QApplication::focusWidget(), f.txtCurrentDir);
    QVERIFY(f.probeRecordset().isOpen());
    QCOMPARE(bytesOf(fx.db.path() + QStringLiteral(".bak")), damaged);
    QCOMPARE(db::Database::open(fx.db.path(), Biblio::kConnect).openRecordset(QStringLiteral("Periodos")).recordCount(), 28);
}

void TestFrmConfigBase::fileTheRepairCannotMendEndsTheProgram()
{
    Fixture fx;
    const QString path = fx.file(QStringLiteral("texto.mdb"));
    QFile text(path);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Esto no es una base de datos.\r\n");
    text.close();
    const QByteArray before = bytesOf(path);
    Dialogs dialogs;
    EndHook end;
    dialogs.expectOpenFile(path).expectMsgBox(kDamaged, ui::vbOK);
    frmConfigBase f;
    f.Load();
    QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    QVERIFY_THROWS_EXCEPTION(Ended, f.cmdGrabar_Click());
    QCOMPARE(dialogs.messages(), QStringList{box(kDamaged, ui::vbCritical)});
    QCOMPARE(dialogs.pointers, QList<int>{ui::vbDefault});
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(storedPath(), kOldPath);
    QCOMPARE(bytesOf(path), before);
}

void TestFrmConfigBase::repairedFileStillNotTheSystemsIsRefused()
{
    // A damaged file without the table Proveedores: the repair mends it, but the probe still fails.
    Fixture fx;
    fx.db.exec(QStringLiteral("DROP TABLE Proveedores;"));
    QVERIFY(damageTable(fx.db.path(), "Gastos"));
    Dialogs dialogs;
    EndHook end;
    // The repair could not keep the expense types: that is said before the file is refused.
    const QString notice = QStringLiteral("Su base de datos estaba dañada y fue reparada, pero no se pudo recuperar todo:\n"
                                          "  - hasta 31 filas de la tabla Gastos\n"
                                          "El archivo original, sin cambios, se guardó en:\n")
        + fx.db.path() + QStringLiteral(".bak");
    dialogs.expectOpenFile(fx.db.path()).expectMsgBox(notice, ui::vbOK).expectMsgBox(kNotTheSystemBase, ui::vbOK);
    frmConfigBase f;
    f.Load();
    QVERIFY(showActive(f));
    QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
    QCOMPARE(dialogs.messages(), (QStringList{box(notice, ui::vbExclamation), box(kNotTheSystemBase, ui::vbCritical)}));
    QCOMPARE(dialogs.pointers.last(), ui::vbDefault);
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(storedPath(), kOldPath);
    QCOMPARE(Biblio::gBaseDatos.toString(), kOldPath);
    QCOMPARE(f.txtCurrentDir->text(), QString());
    QCOMPARE(QApplication::focusWidget(), f.txtCurrentDir);
    QVERIFY(!f.probeDatabase().isOpen());
    QVERIFY(f.isLoaded());
}

void TestFrmConfigBase::fileThatIsNotDamagedIsNeverRewritten_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("held");
    QTest::addColumn<QString>("message");
    QTest::newRow("another password") << QStringLiteral("UPDATE zal_sistema SET valor = 'OTRA' WHERE clave = 'clave'") << false << kDamaged;
    QTest::newRow("another format") << QStringLiteral("UPDATE zal_sistema SET valor = 'OTRO' WHERE clave = 'formato'") << false << kDamaged;
    QTest::newRow("held by another program") << QString() << true
                                             << QStringLiteral("Su base de datos está siendo usada por otro programa... Imposible iniciar el programa!!!");
}

void TestFrmConfigBase::fileThatIsNotDamagedIsNeverRewritten()
{
    QFETCH(QString, sql);
    QFETCH(bool, held);
    QFETCH(QString, message);
    Fixture fx;
    if (!sql.isEmpty())
        fx.db.exec(sql);
    const QByteArray before = bytesOf(fx.db.path());
    sqlite3* other = nullptr;
    if (held) {
        sqlite3_open(QFile::encodeName(fx.db.path()).constData(), &other);
        sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    }
    Dialogs dialogs;
    EndHook end;
    dialogs.expectOpenFile(fx.db.path()).expectMsgBox(message, ui::vbOK);
    frmConfigBase f;
    f.Load();
    QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
    QVERIFY_THROWS_EXCEPTION(Ended, f.cmdGrabar_Click());
    sqlite3_close_v2(other);
    QCOMPARE(dialogs.messages(), QStringList{box(message, ui::vbCritical)});
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
    QCOMPARE(storedPath(), kOldPath);
    QCOMPARE(bytesOf(fx.db.path()), before);
    QVERIFY(!QFile::exists(fx.db.path() + QStringLiteral(".bak")));
}

void TestFrmConfigBase::modalFromStartUp_data()
{
    QTest::addColumn<bool>("choose");
    QTest::newRow("a valid file stored") << true;
    QTest::newRow("closed without a choice") << false;
}

void TestFrmConfigBase::modalFromStartUp()
{
    QFETCH(bool, choose);
    Fixture fx;
    Dialogs dialogs;
    if (choose)
        dialogs.expectOpenFile(fx.db.path()).expectMsgBox(kRestart, ui::vbOK);
    QString shown;
    bool wasModal = false;
    support::ScopedModalRunner runner([&](ui::Form& form) {
        auto& f = static_cast<frmConfigBase&>(form);
        wasModal = f.isModal();
        shown = f.txtPrebase->text();
        if (choose) {
            QTest::mouseClick(f.cmdBrowse, Qt::LeftButton);
            QTest::mouseClick(f.cmdGrabar, Qt::LeftButton);
        }
        QTest::mouseClick(f.cmdSalir, Qt::LeftButton);
    });
    frmConfigBase f;
    f.showModal();
    QVERIFY(wasModal);
    QCOMPARE(shown, kOldPath);
    QVERIFY(!f.isLoaded());
    QCOMPARE(storedPath(), choose ? fx.db.path() : kOldPath);
    QCOMPARE(Biblio::gBaseDatos.toString(), choose ? fx.db.path() : kOldPath);
}

void TestFrmConfigBase::fromTheMenuTheMainWindowWaits()
{
    Fixture fx;
    Dialogs dialogs;
    MDIMenu menu;
    menu.show();
    menu.mn00104->trigger();
    auto* f = MDIMenu::findForm<frmConfigBase>();
    QVERIFY(f);
    QVERIFY(f->isLoaded());
    QVERIFY(f->isVisible());
    QVERIFY(!f->isModal());
    QVERIFY(!menu.isEnabled());
    // The dialog itself stays usable while the main window is disabled.
    QVERIFY(f->isEnabled());
    QVERIFY(f->txtCurrentDir->isEnabled());
    QCOMPARE(f->txtPrebase->text(), kOldPath);
    QTRY_COMPARE(QApplication::focusWidget(), f->txtCurrentDir);
    QTest::mouseClick(f->cmdSalir, Qt::LeftButton);
    QVERIFY(!f->isLoaded());
    QVERIFY(menu.isEnabled());
    QCOMPARE(storedPath(), kOldPath);
    QVERIFY(dialogs.calls().isEmpty());
}

QTEST_MAIN(TestFrmConfigBase)
#include "test_frm_config_base.moc"
