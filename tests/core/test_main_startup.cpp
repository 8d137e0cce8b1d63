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
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct ProgramEnded {};

const QString kInfoConfigure = QStringLiteral("La Configuración de Bases de Datos no es válida o no existe, se debe configurar...  ");
const QString kAskConfigure = QStringLiteral("La Configuración de Bases de Datos no es válida o no existe, desea configurar ?... ");
const QString kRefusal = QStringLiteral("Imposible iniciar sesión del Sistema de Ingresos debe configurar una base de datos válida...  ");
const QString kDamaged = QStringLiteral("Su base de datos fue totalmente dañada... Imposible iniciar el programa!!!");

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
    void storedPeriodLoadsWithoutTheDialog();
    void secondStartEndsSilently();
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
    sys::SingleInstance running(name);
    QVERIFY(running.tryBecomePrimary());
    Biblio::setSingleInstanceName(name);
    support::ScriptedDialogs dialogs;   // no message at all
    QVERIFY(runMain());
    QVERIFY(!MDIMenu::instance());
    Biblio::setSingleInstanceName(QStringLiteral("zal-test-main-%1").arg(QCoreApplication::applicationPid()));
}

QTEST_MAIN(TestMainStartup)
#include "test_main_startup.moc"
