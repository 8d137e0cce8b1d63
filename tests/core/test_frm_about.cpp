// The about box: version and rights line, the main window disabled while it is open, the licence
// link, and the system-information tool found through the registry.
#include "core/frm_about.h"
#include "core/frm_reporte.h"
#include "core/mdi_menu.h"
#include "platform/system/app_info.h"
#include "platform/system/registry.h"
#include "platform/system/shell.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mouse_pointer.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

struct ShellCall {
    QString program;
    int style;
};

} // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsVersionAndRights_data();
    void showsVersionAndRights();
    void mainWindowDisabledWhileOpen();
    void licenceLinkClosesTheBoxFirst();
    void licenceLinkWithoutFile();
    void linkColourFollowsTheMouse();
    void getKeyValue_data();
    void getKeyValue();
    void startSysInfo_data();
    void startSysInfo();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QList<ShellCall> shellCalls_;
    bool shellResult_ = true;
};

void TestFrmAbout::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    sys::setAppPath(dir_->path());
    sys::clearRegistry();
    shellCalls_.clear();
    shellResult_ = true;
    sys::setShellHook([this](const QString& program, int style) {
        shellCalls_ << ShellCall{program, style};
        return shellResult_;
    });
}

void TestFrmAbout::cleanup()
{
    sys::setShellHook({});
    sys::clearRegistry();
    sys::resetAppVersion();
    sys::setAppPath(QString());
    dir_.reset();
}

void TestFrmAbout::showsVersionAndRights_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("version");
    QTest::newRow("built") << -1 << 0 << 0 << "Versión 1.2.4";
    QTest::newRow("1.2.7") << 1 << 2 << 7 << "Versión 1.2.7";
    QTest::newRow("no leading zeros") << 10 << 0 << 12 << "Versión 10.0.12";
}

void TestFrmAbout::showsVersionAndRights()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, version);
    if (major >= 0)
        sys::setAppVersion({major, minor, revision});
    support::FixedClock clock(QDateTime(QDate(2031, 3, 9), QTime(10, 0)));

    frmAbout about;
    about.Load();
    QCOMPARE(about.windowTitle(), QStringLiteral("Acerca de ZAL"));
    QCOMPARE(about.lblVersion->text(), version);
    QCOMPARE(about.lblShadow->text(), version);
    QVERIFY(about.Label3->text().contains(QStringLiteral("2031")));
    QVERIFY(about.Label3->text().endsWith(QStringLiteral(".    Tolvania")));
    QVERIFY(!about.Image1->pixmap().isNull());
    QCOMPARE(about.lblLicense->text(), QStringLiteral("Licencia..."));
    QCOMPARE(about.cmdOk->text(), QStringLiteral("&OK"));
    QCOMPARE(about.cmdSysInfo->text(), QStringLiteral("&Sistema ..."));
    QVERIFY(about.isVisible());
    QVERIFY(!about.isModal());
    about.Unload();
}

void TestFrmAbout::mainWindowDisabledWhileOpen()
{
    MDIMenu w;
    w.show();
    w.mn00902->trigger();
    frmAbout* about = MDIMenu::findForm<frmAbout>();
    QVERIFY(about);
    QVERIFY(about->isLoaded());
    QVERIFY(about->isVisible());
    QVERIFY(!w.isEnabled());
    QVERIFY(about->isEnabled());   // the box itself stays usable

    QTest::mouseClick(about->cmdOk, Qt::LeftButton);
    QVERIFY(!about->isLoaded());
    QVERIFY(w.isEnabled());

    // Its close box does the same; the next time, the box opens again as designed.
    w.mn00902->trigger();
    about = MDIMenu::findForm<frmAbout>();
    QVERIFY(about->isLoaded());
    QVERIFY(!w.isEnabled());
    QVERIFY(about->close());
    QVERIFY(!about->isLoaded());
    QVERIFY(w.isEnabled());
}

void TestFrmAbout::licenceLinkClosesTheBoxFirst()
{
    QFile licence(dir_->filePath(QStringLiteral("licencia.txt")));
    QVERIFY(licence.open(QIODevice::WriteOnly));
    licence.write("uno\r\ndos\r\n");
    licence.close();

    support::ScriptedDialogs dialogs;
    MDIMenu w;
    w.show();
    frmAbout* about = MDIMenu::loadForm<frmAbout>();
    QVERIFY(!w.isEnabled());

    int viewers = 0;
    support::ScopedModalRunner runner([&](ui::Form& form) {
        ++viewers;
        auto* viewer = qobject_cast<frmReporte*>(&form);
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), QStringLiteral(" Licencia(EULA) Planilla EKO(ZAL)..."));
        QCOMPARE(viewer->Lista->count(), 2);
        // The about box is gone before the viewer shows, and the main window is enabled again.
        QVERIFY(!about->isLoaded());
        QVERIFY(!about->isVisible());
        QVERIFY(w.isEnabled());
        viewer->cmdOk->click();
    });
    QTest::mouseClick(about->lblLicense, Qt::LeftButton);
    QCOMPARE(viewers, 1);
    QVERIFY(!about->isLoaded());
    QVERIFY(w.isEnabled());
}

void TestFrmAbout::licenceLinkWithoutFile()
{
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(QStringLiteral(" Archivo de licencia no encontrado..."), ui::vbOK);
    MDIMenu w;
    w.show();
    frmAbout* about = MDIMenu::loadForm<frmAbout>();
    int viewers = 0;
    support::ScopedModalRunner runner([&viewers](ui::Form&) { ++viewers; });
    about->lblLicense_Click();
    QCOMPARE(viewers, 0);
    QCOMPARE(dialogs.calls().first().style, ui::vbInformation);
    QCOMPARE(dialogs.calls().first().title, QStringLiteral(" ZAL..."));
    // The box stays open and the main window stays disabled.
    QVERIFY(about->isLoaded());
    QVERIFY(!w.isEnabled());
}

void TestFrmAbout::linkColourFollowsTheMouse()
{
    frmAbout about;
    about.Load();
    auto linkColour = [&about] { return about.lblLicense->palette().color(QPalette::WindowText); };
    QCOMPARE(linkColour(), frmAbout::kLinkCool);

    QTest::mouseMove(about.lblLicense, about.lblLicense->rect().center());
    QTRY_COMPARE(linkColour(), frmAbout::kLinkHot);
    QCOMPARE(about.mousePointer(), ui::vbCustom);

    QTest::mouseMove(about.Image1, about.Image1->rect().center());
    QTRY_COMPARE(linkColour(), frmAbout::kLinkCool);
    QCOMPARE(about.mousePointer(), ui::vbDefault);
    about.Unload();
}

void TestFrmAbout::getKeyValue_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("result");

    const QByteArray full(1024, 'a');
    QTest::newRow("text with its terminator") << sys::REG_SZ << QByteArray("/opt/info/msinfo", 17) << true << "/opt/info/msinfo";
    QTest::newRow("text without terminator") << sys::REG_SZ << QByteArray("/opt/info") << true << "/opt/info";
    QTest::newRow("empty text") << sys::REG_SZ << QByteArray("", 1) << true << "";
    QTest::newRow("1024 bytes, no terminator") << sys::REG_SZ << full << true << QString(1024, QLatin1Char('a'));
    QTest::newRow("1024 bytes with terminator")
        << sys::REG_SZ << QByteArray(1023, 'b').append('\0') << true << QString(1023, QLatin1Char('b'));
    QTest::newRow("too long for the buffer") << sys::REG_SZ << QByteArray(1025, 'c') << false << "";
    QTest::newRow("UTF-8 text") << sys::REG_SZ << QByteArray("Informaci\xC3\xB3n", 13) << true << "Información";
    QTest::newRow("number") << sys::REG_DWORD << QByteArray("\x78\x56\x34\x12", 4) << true << "305419896";
    QTest::newRow("number with small bytes") << sys::REG_DWORD << QByteArray("\x05\x00\x00\x01", 4) << true << "16777221";
    QTest::newRow("number one") << sys::REG_DWORD << QByteArray("\x01\x00\x00\x00", 4) << true << "1";
    QTest::newRow("number zero") << sys::REG_DWORD << QByteArray(4, '\0') << true << "0";
    QTest::newRow("largest number") << sys::REG_DWORD << QByteArray(4, '\xFF') << true << "4294967295";
    QTest::newRow("other type keeps the text") << quint32(3) << QByteArray("\x01\x02", 2) << true << "as passed";
}

void TestFrmAbout::getKeyValue()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, read);
    QFETCH(QString, result);
    sys::setRegistryValue(sys::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Test"), QStringLiteral("Value"), type, bytes);
    QString value = QStringLiteral("as passed");
    QCOMPARE(frmAbout::GetKeyValue(sys::HKEY_LOCAL_MACHINE, QStringLiteral("software\\test"), QStringLiteral("VALUE"), value), read);
    QCOMPARE(value, result);

    // A missing value or key reads nothing and empties the result.
    value = QStringLiteral("as passed");
    QVERIFY(!frmAbout::GetKeyValue(sys::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Test"), QStringLiteral("Other"), value));
    QCOMPARE(value, QString());
    value = QStringLiteral("as passed");
    QVERIFY(!frmAbout::GetKeyValue(sys::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Nothing"), QStringLiteral("Value"), value));
    QCOMPARE(value, QString());
}

void TestFrmAbout::startSysInfo_data()
{
    QTest::addColumn<QString>("path");        // value "PATH" of the tool's key; empty: none
    QTest::addColumn<QString>("folder");      // value "MSINFO" of the location key; empty: none
    QTest::addColumn<bool>("toolFile");       // MSINFO32.EXE exists in that folder
    QTest::addColumn<bool>("starts");         // whether starting the program succeeds
    QTest::addColumn<QString>("started");     // what was started; empty: nothing
    QTest::addColumn<bool>("unavailable");

    QTest::newRow("nothing registered") << "" << "" << false << true << "" << true;
    QTest::newRow("tool path") << "/opt/tools/msinfo" << "" << false << true << "/opt/tools/msinfo" << false;
    QTest::newRow("tool path wins over the folder") << "/opt/tools/msinfo" << "@" << true << true << "/opt/tools/msinfo" << false;
    QTest::newRow("tool path fails to start") << "/opt/tools/msinfo" << "" << false << false << "/opt/tools/msinfo" << true;
    QTest::newRow("folder with the tool") << "" << "@" << true << true << "@/MSINFO32.EXE" << false;
    QTest::newRow("folder without the tool") << "" << "@" << false << true << "" << true;
}

void TestFrmAbout::startSysInfo()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(bool, toolFile);
    QFETCH(bool, starts);
    QFETCH(QString, started);
    QFETCH(bool, unavailable);

    // "@" stands for a real folder of the test.
    const QString toolDir = dir_->filePath(QStringLiteral("tools"));
    QVERIFY(QDir().mkpath(toolDir));
    folder.replace(QLatin1Char('@'), toolDir);
    started.replace(QLatin1Char('@'), toolDir);
    if (toolFile) {
        QFile tool(toolDir + QStringLiteral("/MSINFO32.EXE"));
        QVERIFY(tool.open(QIODevice::WriteOnly));
    }
    if (!path.isEmpty())
        sys::setRegistryText(sys::HKEY_LOCAL_MACHINE, kInfoKey, QStringLiteral("PATH"), path);
    if (!folder.isEmpty())
        sys::setRegistryText(sys::HKEY_LOCAL_MACHINE, kLocationKey, QStringLiteral("MSINFO"), folder);
    shellResult_ = starts;

    support::ScriptedDialogs dialogs;
    if (unavailable)
        dialogs.expectMsgBox(kUnavailable, ui::vbOK);
    frmAbout about;
    about.Load();
    QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);

    if (started.isEmpty()) {
        QVERIFY(shellCalls_.isEmpty());
    } else {
        QCOMPARE(shellCalls_.size(), 1);
        QCOMPARE(shellCalls_.first().program, started);
        QCOMPARE(shellCalls_.first().style, sys::vbNormalFocus);
    }
    if (unavailable) {
        QCOMPARE(dialogs.calls().size(), 1);
        QCOMPARE(dialogs.calls().first().style, ui::vbOKOnly);
        QCOMPARE(dialogs.calls().first().title, QString());   // the application's title shows
    }
    about.Unload();
}

QTEST_MAIN(TestFrmAbout)
#include "test_frm_about.moc"
