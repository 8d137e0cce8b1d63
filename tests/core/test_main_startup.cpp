// Start-up: every road from a fresh machine to the main window, and the fatal ones.
#include "core/biblio.h"
#include "core/frm_config_base.h"
#include "core/frm_config_p.h"
#include "core/main_startup.h"
#include "core/mdi_menu.h"
#include "platform/db/database.h"
#include "platform/system/app_info.h"
#include "platform/system/end.h"
#include "platform/system/settings.h"
#include "platform/system/single_instance.h"
#include "support/damage_corpus.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <atomic>
#include <mutex>
#include <sqlite3.h>
#include <thread>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct ProgramEnded {};

const QString kInfoConfigure = QStringLiteral("La Configuración de Bases de Datos no es válida o no existe, se debe configurar...  ");
const QString kAskConfigure = QStringLiteral("La Configuración de Bases de Datos no es válida o no existe, desea configurar ?... ");
const QString kRefusal = QStringLiteral("Imposible iniciar sesión del Sistema de Ingresos debe configurar una base de datos válida...  ");
const QString kDamaged = QStringLiteral("Su base de datos fue totalmente dañada... Imposible iniciar el programa!!!");
const QString kBusy = QStringLiteral("Su base de datos está siendo usada por otro programa... Imposible iniciar el programa!!!");
const QString kRunning =
    QStringLiteral(" ZAL ya se está ejecutando, pero su ventana no responde... Imposible iniciar otra copia del programa!!!");

// The running copy of the program, on a thread of its own so that it answers while Main waits.
class RunningCopy {
public:
    explicit RunningCopy(const QString& name) : copy_(new sys::SingleInstance(name))
    {
        copy_->moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(copy_, [this] {
            primary_ = copy_->tryBecomePrimary();
            QObject::connect(copy_, &sys::SingleInstance::restoreRequested, copy_, [this] { ++requests_; });
        }, Qt::BlockingQueuedConnection);
    }
    ~RunningCopy()
    {
        QMetaObject::invokeMethod(copy_, [this] { delete copy_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    bool primary() const { return primary_; }
    int requests() const { return requests_; }

private:
    QThread thread_;
    sys::SingleInstance* copy_;
    bool primary_ = false;
    std::atomic<int> requests_{0};
};

// Overwrites the first page of each table or index.
void damageTable(const QString& path, const QStringList& tables)
{
    db::Database d = db::Database::open(path, Biblio::kConnect);
    QList<int> pages;
    for (const QString& table : tables)
        pages << d.openRecordset(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = '%1'").arg(table)).field(0).toInt();
    d.close();
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    for (const int page : pages) {
        f.seek(qint64(page - 1) * 4096);
        f.write(QByteArray(4096, '\x5A'));
    }
}

void damageTable(const QString& path, const QString& table)
{
    damageTable(path, QStringList{table});
}

// Another program holding the file: an exclusive lock on a connection of its own, released when
// release() is called or the object goes.
class LockHolder {
public:
    explicit LockHolder(const QString& path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &h_, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(h_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    }
    ~LockHolder() { release(); }
    void release()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (h_) {
            sqlite3_exec(h_, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close_v2(h_);
            h_ = nullptr;
        }
    }
private:
    std::mutex mutex_;
    sqlite3* h_ = nullptr;
};

QString setting(const QString& key)
{
    return sys::getSetting(QStringLiteral("ZAL EKO"), QStringLiteral("Configuracion"), key);
}

void store(const QString& key, const QString& value)
{
    sys::saveSetting(QStringLiteral("ZAL EKO"), QStringLiteral("Configuracion"), key, value);
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

class TestMainStartup : public QObject {
    Q_OBJECT
private:
    QTemporaryDir appDir_;
    std::unique_ptr<support::TempSettings> settings_;
    int modalShows_ = 0;

    // Runs Main; true when it ended the program.
    bool runMain()
    {
        try {
            Biblio::Main();
        } catch (const ProgramEnded&) {
            return true;
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        sys::setEndHook([](int) { throw ProgramEnded{}; });
        Biblio::setSingleInstanceName(QStringLiteral("zal-test-main-%1").arg(QCoreApplication::applicationPid()));
    }
    void init()
    {
        settings_ = std::make_unique<support::TempSettings>();
        sys::setAppPath(appDir_.path());
        QFile::remove(appDir_.filePath(QStringLiteral("eko.mdb")));
        Biblio::gPeriodo.clear();
        modalShows_ = 0;
    }
    void cleanup()
    {
        if (MDIMenu* menu = MDIMenu::instance()) {
            menu->Unload();
            delete menu;
        }
        settings_.reset();
    }
    void cleanupTestCase() { sys::setEndHook({}); }

    void defaultFileFoundWithoutAnyDialog();
    void noPathClosingTheDialogThenCancel();
    void noPathClosingTheDialogTwice();
    void storedFileGoneThenChosenInTheDialog();
    void damagedFileMendedSilently();
    void fileTheRepairCannotSave();
    void repairThatLostRowsSaysSoAfterStartUp_data();
    void repairThatLostRowsSaysSoAfterStartUp();
    void pageOfAnotherTableWhereTheMarksWereIsMended_data();
    void pageOfAnotherTableWhereTheMarksWereIsMended();
    void leftoversOfAnInterruptedRepairAreRemoved_data();
    void leftoversOfAnInterruptedRepairAreRemoved();
    void fileThatIsNotDamagedIsNeverRewritten_data();
    void fileThatIsNotDamagedIsNeverRewritten();
    void busyFileIsWaitedFor();
    void fileHeldThroughoutIsReportedBusy();
    void storedPeriodLoadsWithoutTheDialog();
    void secondStartEndsSilently();
    void secondStartSaysSoWhenTheRunningCopyDoesNotAnswer();
};

void TestMainStartup::defaultFileFoundWithoutAnyDialog()
{
    support::TestDatabase t;
    QVERIFY(QFile::copy(t.path(), appDir_.filePath(QStringLiteral("eko.mdb"))));
    support::ScriptedDialogs dialogs;   // nothing may be asked
    QVERIFY(!runMain());
    QCOMPARE(setting(QStringLiteral("DataBase")), appDir_.filePath(QStringLiteral("eko.mdb")));
    QCOMPARE(Biblio::gBaseDatos.toString(), appDir_.filePath(QStringLiteral("eko.mdb")));
    QVERIFY(MDIMenu::instance() && MDIMenu::instance()->isVisible());
    // Without a stored period the period dialog opens inside the main window.
    auto* period = MDIMenu::findForm<frmConfigP>();
    QVERIFY(period && period->isLoaded());
    QCOMPARE(period->mdiArea(), MDIMenu::instance()->mdiArea);
}

void TestMainStartup::noPathClosingTheDialogThenCancel()
{
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kInfoConfigure, ui::vbOK).expectMsgBox(kAskConfigure, ui::vbCancel).expectMsgBox(kRefusal, ui::vbOK);
    support::ScopedModalRunner runner([this](ui::Form& f) {
        ++modalShows_;
        f.Unload();
    });
    QVERIFY(runMain());
    QCOMPARE(modalShows_, 1);
    QCOMPARE(dialogs.calls().at(0).style, ui::vbInformation);
    QCOMPARE(dialogs.calls().at(1).style, ui::vbCritical | ui::vbOKCancel);
    QCOMPARE(dialogs.calls().at(2).style, ui::vbCritical);
    QCOMPARE(dialogs.calls().at(2).title, QStringLiteral(" ZAL"));
    QVERIFY(!MDIMenu::instance());
}

void TestMainStartup::noPathClosingTheDialogTwice()
{
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kInfoConfigure, ui::vbOK).expectMsgBox(kAskConfigure, ui::vbOK).expectMsgBox(kRefusal, ui::vbOK);
    support::ScopedModalRunner runner([this](ui::Form& f) {
        ++modalShows_;
        f.Unload();
    });
    QVERIFY(runMain());
    QCOMPARE(modalShows_, 2);
}

void TestMainStartup::storedFileGoneThenChosenInTheDialog()
{
    support::TestDatabase t;
    store(QStringLiteral("DataBase"), t.dir() + QStringLiteral("/borrada.mdb"));
    store(QStringLiteral("DefaultPer"), QStringLiteral("3"));
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kAskConfigure, ui::vbOK);
    dialogs.expectOpenFile(t.path());
    dialogs.expectMsgBox(ui::vbOK);   // the restart notice of the dialog
    support::ScopedModalRunner runner([this](ui::Form& f) {
        ++modalShows_;
        auto& dialog = static_cast<frmConfigBase&>(f);
        dialog.cmdBrowse_Click();
        dialog.cmdGrabar_Click();
        f.Unload();
    });
    QVERIFY(!runMain());
    QCOMPARE(modalShows_, 1);
    QCOMPARE(Biblio::gBaseDatos.toString(), t.path());
    QCOMPARE(setting(QStringLiteral("DataBase")), t.path());
    QVERIFY(MDIMenu::instance());
    QCOMPARE(Biblio::gPeriodoDel, QStringLiteral("01/07/2001"));
}

void TestMainStartup::damagedFileMendedSilently()
{
    support::TestDatabase t;
    t.exec(QStringLiteral("UPDATE Periodos SET Coeficiente = 0.09 WHERE \"No\" = 4"));
    // Damage the page of the suppliers (empty here): the file no longer passes its check.
    {
        db::Database d = db::Database::open(t.path(), Biblio::kConnect);
        const int page = d.openRecordset(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'Proveedores'")).field(0).toInt();
        d.close();
        QFile f(t.path());
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(qint64(page - 1) * 4096);
        f.write(QByteArray(4096, '\x5A'));
    }
    store(QStringLiteral("DataBase"), t.path());
    store(QStringLiteral("DefaultPer"), QStringLiteral("4"));
    support::ScriptedDialogs dialogs;
    QVERIFY(!runMain());
    QVERIFY(QFile::exists(t.path() + QStringLiteral(".bak")));
    QCOMPARE(Biblio::gCoeficiente, 0.107142);   // the upgrade ran on the mended file
    QVERIFY(db::Database::open(t.path(), Biblio::kConnect).isOpen());
}

void TestMainStartup::fileTheRepairCannotSave()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eko.mdb"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Este archivo no es una base de datos.\r\n");
    }
    const QByteArray before = bytesOf(path);
    store(QStringLiteral("DataBase"), path);
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kDamaged, ui::vbOK);
    QVERIFY(runMain());
    QCOMPARE(dialogs.calls().first().style, ui::vbCritical);
    QCOMPARE(bytesOf(path), before);   // what could not be repaired is left as it was
    QVERIFY(!MDIMenu::instance());
}

void TestMainStartup::storedPeriodLoadsWithoutTheDialog()
{
    support::TestDatabase t;
    store(QStringLiteral("DataBase"), t.path());
    store(QStringLiteral("DefaultPer"), QStringLiteral("5"));
    support::ScriptedDialogs dialogs;
    QVERIFY(!runMain());
    QCOMPARE(Biblio::gPeriodo, QStringLiteral("5"));
    QCOMPARE(int(Biblio::gPeriodoNo), 5);
    QCOMPARE(Biblio::gPeriodoAl, QStringLiteral("30/06/2004"));
    auto* period = MDIMenu::findForm<frmConfigP>();
    QVERIFY(!period || !period->isLoaded());
    QCOMPARE(MDIMenu::instance()->windowTitle(), QStringLiteral(" ZAL - Planilla del EKO..."));
}

void TestMainStartup::secondStartEndsSilently()
{
    const QString name = QStringLiteral("zal-test-second-%1").arg(QCoreApplication::applicationPid());
    RunningCopy running(name);
    QVERIFY(running.primary());
    Biblio::setSingleInstanceName(name);
    support::ScriptedDialogs dialogs;   // no message at all: the running copy shows its window
    QVERIFY(runMain());
    QVERIFY(!MDIMenu::instance());
    QCOMPARE(running.requests(), 1);
    Biblio::setSingleInstanceName(QStringLiteral("zal-test-main-%1").arg(QCoreApplication::applicationPid()));
}

// A running copy that holds the lock but does not answer (hung, or busy for longer than the
// second start waits) will not show its window: the second start says why nothing opens.
void TestMainStartup::secondStartSaysSoWhenTheRunningCopyDoesNotAnswer()
{
    const QString name = QStringLiteral("zal-test-silent-%1").arg(QCoreApplication::applicationPid());
    sys::SingleInstance running(name);   // on this thread: it cannot answer while Main waits
    QVERIFY(running.tryBecomePrimary());
    Biblio::setSingleInstanceName(name);
    {
        support::ScriptedDialogs dialogs;
        dialogs.expectMsgBox(kRunning, ui::vbOK);
        QVERIFY(runMain());
        QCOMPARE(dialogs.calls().size(), 1);
        QCOMPARE(dialogs.calls().first().style, ui::vbExclamation);
        QCOMPARE(dialogs.calls().first().title, QStringLiteral(" ZAL"));
    }
    QVERIFY(!MDIMenu::instance());
    Biblio::setSingleInstanceName(QStringLiteral("zal-test-main-%1").arg(QCoreApplication::applicationPid()));
}

void TestMainStartup::repairThatLostRowsSaysSoAfterStartUp_data()
{
    QTest::addColumn<QString>("fill");
    QTest::addColumn<QStringList>("damaged");
    QTest::addColumn<QString>("line");
    QTest::newRow("rows counted") << QString() << QStringList{QStringLiteral("Gastos")}
                                  << QStringLiteral("  - hasta 31 filas de la tabla Gastos");
    // The suppliers' rows and every index of theirs are gone, and the suppliers have no counter:
    // nothing tells how many there were, so the notice says what was kept.
    QTest::newRow("rows that cannot be counted")
        << QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('12345-6', 'Uno'), ('23456-7', 'Dos'), ('34567-8', 'Tres')")
        << QStringList{QStringLiteral("Proveedores"), QStringLiteral("sqlite_autoindex_Proveedores_1"),
                       QStringLiteral("Proveedores_Nit"), QStringLiteral("Proveedores_Nit_unicode")}
        << QStringLiteral("  - de la tabla Proveedores se recuperaron 0 filas, pero no se sabe cuántas había");
}

void TestMainStartup::repairThatLostRowsSaysSoAfterStartUp()
{
    QFETCH(QString, fill);
    QFETCH(QStringList, damaged);
    QFETCH(QString, line);
    support::TestDatabase t;
    if (!fill.isEmpty())
        t.exec(fill);
    damageTable(t.path(), damaged);
    store(QStringLiteral("DataBase"), t.path());
    store(QStringLiteral("DefaultPer"), QStringLiteral("4"));
    support::ScriptedDialogs dialogs;
    const QString notice = QStringLiteral("Su base de datos estaba dañada y fue reparada, pero no se pudo recuperar todo:\n") + line
        + QStringLiteral("\nEl archivo original, sin cambios, se guardó en:\n") + t.path() + QStringLiteral(".bak");
    dialogs.expectMsgBox(notice, ui::vbOK);
    QVERIFY(!runMain());
    QCOMPARE(dialogs.calls().size(), 1);   // said once
    QCOMPARE(dialogs.calls().first().style, ui::vbExclamation);
    QVERIFY(MDIMenu::instance() && MDIMenu::instance()->isVisible());
    QCOMPARE(Biblio::gPeriodo, QStringLiteral("4"));   // start-up went on to the end
    QVERIFY(QFile::exists(t.path() + QStringLiteral(".bak")));
}

void TestMainStartup::pageOfAnotherTableWhereTheMarksWereIsMended_data()
{
    QTest::addColumn<QString>("other");   // the page swapped with the marks' page, as the page statistics tell it
    QTest::newRow("a worksheet page") << QStringLiteral("name = 'Planilla_Det' AND pagetype = 'leaf'");
    QTest::newRow("the taxpayers' first page") << QStringLiteral("name = 'Contribuyentes' AND path = '/'");
}

// The marks' page and a page of another table changed places: the rows read as marks are no
// marks. The file is repaired, start-up goes on with it, and the notice names what was left out.
void TestMainStartup::pageOfAnotherTableWhereTheMarksWereIsMended()
{
    QFETCH(QString, other);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eko.mdb"));
    support::corpus::buildWorksheetFile(path, 30, 30, 7u);
    const QList<qint64> pages = support::corpus::pagesOf(path, other);
    QVERIFY(!pages.isEmpty());
    support::corpus::swapPages(path, support::corpus::pagesOf(path, QStringLiteral("name = 'zal_sistema'")).value(0),
                               pages.at(pages.size() / 2));
    const QString readAsMarks = support::plainQuery(path, QStringLiteral("SELECT count(*) FROM zal_sistema NOT INDEXED"));
    store(QStringLiteral("DataBase"), path);
    store(QStringLiteral("DefaultPer"), QStringLiteral("5"));
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(QStringLiteral("Su base de datos estaba dañada y fue reparada, pero no se pudo recuperar todo:\n"
                                        "  - hasta %1 filas de la tabla zal_sistema\n"
                                        "El archivo original, sin cambios, se guardó en:\n%2.bak")
                             .arg(readAsMarks, path),
                         ui::vbOK);
    QVERIFY(!runMain());
    QCOMPARE(dialogs.calls().size(), 1);
    QVERIFY(MDIMenu::instance() && MDIMenu::instance()->isVisible());
    QCOMPARE(Biblio::gPeriodo, QStringLiteral("5"));
    // The next start opens the mended file as it is, without a word.
    MDIMenu::instance()->Unload();
    delete MDIMenu::instance();
    support::ScriptedDialogs quiet;
    QVERIFY(!runMain());
    QVERIFY(quiet.calls().isEmpty());
    QVERIFY(MDIMenu::instance() && MDIMenu::instance()->isVisible());
    QCOMPARE(support::plainQuery(path, QStringLiteral("SELECT clave, valor FROM zal_sistema ORDER BY clave")),
             QStringLiteral("clave|MIRVOSK\nformato|ZAL EKO"));
}

void TestMainStartup::leftoversOfAnInterruptedRepairAreRemoved_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::newRow("file sound") << false;
    QTest::newRow("file still damaged") << true;
}

// A repair killed half-way leaves its half-built copy and that copy's journal beside the file; the
// next start removes them, whether the file needs a repair or not.
void TestMainStartup::leftoversOfAnInterruptedRepairAreRemoved()
{
    QFETCH(bool, damaged);
    support::TestDatabase t;
    if (damaged)
        damageTable(t.path(), QStringLiteral("Proveedores"));
    const QByteArray before = bytesOf(t.path());
    for (const QString& leftover : {QStringLiteral(".reparando"), QStringLiteral(".reparando-journal")}) {
        QFile f(t.path() + leftover);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(before.left(3 * 4096));
    }
    store(QStringLiteral("DataBase"), t.path());
    store(QStringLiteral("DefaultPer"), QStringLiteral("4"));
    support::ScriptedDialogs dialogs;
    QVERIFY(!runMain());
    QVERIFY(!QFile::exists(t.path() + QStringLiteral(".reparando")));
    QVERIFY(!QFile::exists(t.path() + QStringLiteral(".reparando-journal")));
    QCOMPARE(QFile::exists(t.path() + QStringLiteral(".bak")), damaged);
    if (!damaged)
        QCOMPARE(bytesOf(t.path()), before);
}

void TestMainStartup::fileThatIsNotDamagedIsNeverRewritten_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("another password") << QStringLiteral("UPDATE zal_sistema SET valor = 'OTRA' WHERE clave = 'clave'");
    QTest::newRow("another format") << QStringLiteral("UPDATE zal_sistema SET valor = 'OTRO' WHERE clave = 'formato'");
    QTest::newRow("not this program's file") << QStringLiteral("DROP TABLE zal_sistema");
}

void TestMainStartup::fileThatIsNotDamagedIsNeverRewritten()
{
    QFETCH(QString, sql);
    support::TestDatabase t;
    t.exec(sql);
    const QByteArray before = bytesOf(t.path());
    store(QStringLiteral("DataBase"), t.path());
    // Refused the same way at every start, and never touched.
    for (int start = 0; start < 2; ++start) {
        support::ScriptedDialogs dialogs;
        dialogs.expectMsgBox(kDamaged, ui::vbOK);
        QVERIFY(runMain());
        QCOMPARE(dialogs.calls().size(), 1);
        QCOMPARE(dialogs.calls().first().style, ui::vbCritical);
        QCOMPARE(bytesOf(t.path()), before);
        QCOMPARE(QDir(t.dir()).entryList(QDir::Files), QStringList{QStringLiteral("eko.mdb")});
        QVERIFY(!MDIMenu::instance());
    }
}

void TestMainStartup::busyFileIsWaitedFor()
{
    support::TestDatabase t;
    store(QStringLiteral("DataBase"), t.path());
    store(QStringLiteral("DefaultPer"), QStringLiteral("5"));
    const QByteArray before = bytesOf(t.path());
    LockHolder other(t.path());
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));   // longer than one lock wait
        other.release();
    });
    support::ScriptedDialogs dialogs;   // no message at all
    const bool ended = runMain();
    releaser.join();
    QVERIFY(!ended);
    QVERIFY(MDIMenu::instance());
    QCOMPARE(QDir(t.dir()).entryList(QDir::Files), QStringList{QStringLiteral("eko.mdb")});
    QCOMPARE(bytesOf(t.path()).size(), before.size());
}

void TestMainStartup::fileHeldThroughoutIsReportedBusy()
{
    support::TestDatabase t;
    store(QStringLiteral("DataBase"), t.path());
    const QByteArray before = bytesOf(t.path());
    LockHolder other(t.path());
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(kBusy, ui::vbOK);
    QVERIFY(runMain());
    QCOMPARE(dialogs.calls().size(), 1);
    QCOMPARE(dialogs.calls().first().style, ui::vbCritical);
    other.release();
    QCOMPARE(bytesOf(t.path()), before);
    QCOMPARE(QDir(t.dir()).entryList(QDir::Files), QStringList{QStringLiteral("eko.mdb")});
}

QTEST_MAIN(TestMainStartup)
#include "test_main_startup.moc"
