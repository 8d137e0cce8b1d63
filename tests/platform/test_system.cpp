// The system layer: regional settings store, single-instance guard, help viewer, registry lookups,
// program starts and application information.
#include "platform/basic/basic.h"
#include "platform/system/app_info.h"
#include "platform/system/help.h"
#include "platform/system/registry.h"
#include "platform/system/regional.h"
#include "platform/system/shell.h"
#include "platform/system/single_instance.h"

#include <QFile>
#include <QLocalSocket>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QThread>
#include <QUuid>
#include <QtTest>

#include <atomic>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace sys;

namespace {

QString uniqueSocketName()
{
    return QStringLiteral("zal-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

QString helpFilePath()
{
    return QFINDTESTDATA("../../resources/ZAL.HLP");
}

bool documentHasAnchor(const QTextDocument& document, const QString& name)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(name))
                return true;
        }
    }
    return false;
}

// The text of the first line shown at the top of the help window.
QString topLineText(QTextBrowser* browser)
{
    return browser->cursorForPosition(QPoint(4, 4)).block().text();
}

} // namespace

class TestSystem : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    // Regional settings
    void localeInitialValues_data();
    void localeInitialValues();
    void localeLengthSemantics();
    void localeRefusals();
    void localeWritesReachRuntime();
    void monetaryValuesLeaveRuntime();
    void broadcastAndReset();

    // Single instance
    void secondCopyAsksFirstToRestore();
    void restoreRequestOnTheWire();
    void secondCopyOfACopyThatDoesNotAnswer();
    void staleSocketIsTakenOver();
    void nameIsPerUserWhateverTheEnvironment_data();
    void nameIsPerUserWhateverTheEnvironment();
    void restoreWindowShowsMinimized();

    // Help viewer
    void helpFileLinksResolve();
    void helpContexts_data();
    void helpContexts();
    void helpContentsAndClose();
    void helpUnknownContextAndMissingFile();
    void helpWindowOpensCentredThenStays();

    // Registry and shell
    void registryEmptyFindsNothing();
    void registryValues_data();
    void registryValues();
    void registryKeysAndHandles();
    void shellHookAndFailures();

    // Application information
    void appInfo();
    void appPathOverride_data();
    void appPathOverride();
    void existenceTests();
};

void TestSystem::cleanup()
{
    resetRegionalSettings();
    clearRegistry();
    setShellHook({});
    setAppPath(QString());
    resetAppVersion();
    HelpViewer::instance().close();
}

// --- Regional settings ---------------------------------------------------------------------------

void TestSystem::localeInitialValues_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("value");
    QTest::newRow("short date") << LOCALE_SSHORTDATE << "dd/MM/yyyy";
    QTest::newRow("currency") << LOCALE_SCURRENCY << "Q";
    QTest::newRow("money decimal") << LOCALE_SMONDECIMALSEP << ".";
    QTest::newRow("money thousands") << LOCALE_SMONTHOUSANDSEP << ",";
    QTest::newRow("money grouping") << LOCALE_SMONGROUPING << "3;0";
    QTest::newRow("decimal") << LOCALE_SDECIMAL << ".";
    QTest::newRow("thousands") << LOCALE_STHOUSAND << ",";
    QTest::newRow("grouping") << LOCALE_SGROUPING << "3;0";
}

void TestSystem::localeInitialValues()
{
    QFETCH(int, type);
    QFETCH(QString, value);
    // Read the way the start-up does: ask for the length, then fill a buffer of blanks and keep
    // everything before the NUL.
    const int lcid = GetSystemDefaultLCID();
    const int needed = GetLocaleInfo(lcid, type, nullptr, 0);
    QCOMPARE(needed, value.size() + 1);
    QString buffer(needed, QLatin1Char(' '));
    const int n = GetLocaleInfo(lcid, type, &buffer, needed);
    QCOMPARE(n, needed);
    QCOMPARE(buffer.left(n - 1), value);
}

void TestSystem::localeLengthSemantics()
{
    const int lcid = GetSystemDefaultLCID();
    QCOMPARE(GetSystemDefaultLCID(), lcid);   // a fixed id

    // A longer buffer keeps what follows the NUL.
    QString buffer(15, QLatin1Char('x'));
    QCOMPARE(GetLocaleInfo(lcid, LOCALE_SSHORTDATE, &buffer, 15), 11);
    QCOMPARE(buffer.size(), 15);
    QCOMPARE(buffer.left(10), QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(buffer.at(10), QChar(0));
    QCOMPARE(buffer.mid(11), QStringLiteral("xxxx"));

    // A size one short of the NUL fails and leaves the buffer alone.
    QString tooSmall(10, QLatin1Char(' '));
    QCOMPARE(GetLocaleInfo(lcid, LOCALE_SSHORTDATE, &tooSmall, 10), 0);
    QCOMPARE(tooSmall, QString(10, QLatin1Char(' ')));

    // The common locale aliases name the same store.
    QString alias(2, QLatin1Char(' '));
    QCOMPARE(GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SCURRENCY, &alias, 2), 2);
    QCOMPARE(alias.left(1), QStringLiteral("Q"));
    QCOMPARE(GetLocaleInfo(LOCALE_SYSTEM_DEFAULT, LOCALE_SCURRENCY, nullptr, 0), 2);
}

void TestSystem::localeRefusals()
{
    const int lcid = GetSystemDefaultLCID();
    QString buffer(20, QLatin1Char(' '));
    QCOMPARE(GetLocaleInfo(lcid, 9999, &buffer, 20), 0);
    QCOMPARE(GetLocaleInfo(lcid, 9999, nullptr, 0), 0);
    QCOMPARE(GetLocaleInfo(lcid + 1, LOCALE_SDECIMAL, &buffer, 20), 0);
    QCOMPARE(GetLocaleInfo(lcid, LOCALE_SDECIMAL, nullptr, 20), 0);

    QVERIFY(!SetLocaleInfo(lcid, 9999, QStringLiteral("x")));
    QVERIFY(!SetLocaleInfo(lcid + 1, LOCALE_SDECIMAL, QStringLiteral(",")));
    QCOMPARE(basic::regional().decimalSeparator, QStringLiteral("."));
}

void TestSystem::localeWritesReachRuntime()
{
    const QString desktopLocale = QLocale().name();
    const int lcid = GetSystemDefaultLCID();

    QVERIFY(SetLocaleInfo(lcid, LOCALE_SSHORTDATE, QStringLiteral("MM/dd/yyyy")));
    QCOMPARE(basic::dateToText(QDate(2002, 3, 5)), QStringLiteral("03/05/2002"));
    QVERIFY(SetLocaleInfo(lcid, LOCALE_SSHORTDATE, QStringLiteral("dd/MM/yyyy")));
    QCOMPARE(basic::dateToText(QDate(2002, 3, 5)), QStringLiteral("05/03/2002"));

    QVERIFY(SetLocaleInfo(lcid, LOCALE_SDECIMAL, QStringLiteral(",")));
    QVERIFY(SetLocaleInfo(lcid, LOCALE_STHOUSAND, QStringLiteral(".")));
    QCOMPARE(basic::CDbl(QStringLiteral("1.234,5")), 1234.5);

    QVERIFY(SetLocaleInfo(lcid, LOCALE_SCURRENCY, QStringLiteral("$")));
    QCOMPARE(basic::regional().currencySymbol, QStringLiteral("$"));
    QVERIFY(SetLocaleInfo(lcid, LOCALE_SGROUPING, QStringLiteral("3;2;0")));
    QCOMPARE(basic::regional().grouping, QStringLiteral("3;2;0"));

    // What was written reads back.
    QString buffer(4, QLatin1Char(' '));
    QCOMPARE(GetLocaleInfo(lcid, LOCALE_SDECIMAL, &buffer, 4), 2);
    QCOMPARE(buffer.left(1), QStringLiteral(","));

    QCOMPARE(QLocale().name(), desktopLocale);
}

void TestSystem::monetaryValuesLeaveRuntime()
{
    const int lcid = GetSystemDefaultLCID();
    QVERIFY(SetLocaleInfo(lcid, LOCALE_SMONDECIMALSEP, QStringLiteral(",")));
    QVERIFY(SetLocaleInfo(lcid, LOCALE_SMONTHOUSANDSEP, QStringLiteral(".")));
    QVERIFY(SetLocaleInfo(lcid, LOCALE_SMONGROUPING, QStringLiteral("3")));
    QCOMPARE(basic::regional().decimalSeparator, QStringLiteral("."));
    QCOMPARE(basic::regional().thousandSeparator, QStringLiteral(","));
    QCOMPARE(basic::regional().grouping, QStringLiteral("3;0"));
    QString buffer(4, QLatin1Char(' '));
    QCOMPARE(GetLocaleInfo(lcid, LOCALE_SMONDECIMALSEP, &buffer, 4), 2);
    QCOMPARE(buffer.left(1), QStringLiteral(","));
}

void TestSystem::broadcastAndReset()
{
    QSignalSpy spy(RegionalSettings::instance(), &RegionalSettings::settingsChanged);
    const int lcid = GetSystemDefaultLCID();
    QVERIFY(SetLocaleInfo(lcid, LOCALE_SDECIMAL, QStringLiteral(",")));
    QCOMPARE(spy.count(), 0);   // writing alone announces nothing
    broadcastSettingChange();
    QCOMPARE(spy.count(), 1);

    // A reset with a value of the test's own: the rest returns to the initial values, and the
    // runtime follows.
    resetRegionalSettings({{LOCALE_SSHORTDATE, QStringLiteral("M/d/yyyy")}});
    QString buffer(20, QLatin1Char(' '));
    QCOMPARE(GetLocaleInfo(lcid, LOCALE_SSHORTDATE, &buffer, 20), 9);
    QCOMPARE(buffer.left(8), QStringLiteral("M/d/yyyy"));
    QCOMPARE(basic::regional().shortDate, QStringLiteral("M/d/yyyy"));
    QCOMPARE(basic::regional().decimalSeparator, QStringLiteral("."));

    resetRegionalSettings();
    QCOMPARE(basic::regional().shortDate, QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(spy.count(), 1);
}

// --- Single instance -----------------------------------------------------------------------------

void TestSystem::secondCopyAsksFirstToRestore()
{
    const QString name = uniqueSocketName();
    SingleInstance first(name);
    QVERIFY(first.tryBecomePrimary());
    QVERIFY(first.isPrimary());
    QVERIFY(first.tryBecomePrimary());   // asking again changes nothing
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);
    std::atomic<bool> restored{false};
    connect(&first, &SingleInstance::restoreRequested, this, [&] {
        QThread::msleep(200);   // a slow restore: the second copy must still wait for it
        restored = true;
    });

    // The second copy blocks until the first has taken its request, so it runs on a thread of its
    // own while this thread serves the first.
    std::atomic<int> secondResult{-1};
    std::atomic<bool> restoredBeforeEnd{false};
    std::atomic<bool> secondTaken{false};
    std::atomic<qint64> secondMs{-1};
    std::unique_ptr<QThread> thread(QThread::create([&] {
        QElapsedTimer timer;
        timer.start();
        SingleInstance second(name);
        secondResult = second.tryBecomePrimary() ? 1 : 0;
        restoredBeforeEnd = restored.load();
        secondTaken = second.restoreTaken();
        secondMs = timer.elapsed();
    }));
    thread->start();
    QTRY_COMPARE(restore.count(), 1);
    QTRY_VERIFY(thread->isFinished());
    QCOMPARE(secondResult.load(), 0);
    QVERIFY(restoredBeforeEnd.load());
    QVERIFY(secondTaken.load());
    // It ended on the first copy's answer, not on its waiting limit.
    QVERIFY2(secondMs.load() < 2500, qPrintable(QString::number(secondMs.load())));
    QVERIFY(first.isPrimary());
}

void TestSystem::restoreRequestOnTheWire()
{
    const QString name = uniqueSocketName();
    SingleInstance first(name);
    QVERIFY(first.tryBecomePrimary());
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);

    // Anything else is not a restore request.
    QLocalSocket other;
    other.connectToServer(name);
    QVERIFY(other.waitForConnected(2000));
    other.write("hola");
    other.flush();
    QTest::qWait(100);
    QCOMPARE(restore.count(), 0);
    other.disconnectFromServer();

    // The request may arrive in pieces.
    QLocalSocket client;
    client.connectToServer(name);
    QVERIFY(client.waitForConnected(2000));
    client.write("% ");
    client.flush();
    QTest::qWait(50);
    QCOMPARE(restore.count(), 0);
    client.write("R");
    client.flush();
    QTRY_COMPARE(restore.count(), 1);
    QTRY_VERIFY(client.bytesAvailable() > 0 || client.state() == QLocalSocket::UnconnectedState);
}

// A running copy that holds the lock but does not serve its socket (hung, or busy for longer
// than the second copy waits): the second copy does not run, and knows its request was not taken.
void TestSystem::secondCopyOfACopyThatDoesNotAnswer()
{
    const QString name = uniqueSocketName();
    SingleInstance first(name);
    QVERIFY(first.tryBecomePrimary());
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);
    SingleInstance second(name);   // on this thread: the first cannot answer while it waits
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(!second.isPrimary());
    QVERIFY(!second.restoreTaken());
    QCOMPARE(restore.count(), 0);
}

void TestSystem::staleSocketIsTakenOver()
{
    const QString name = uniqueSocketName();
    // A socket left behind by a copy that did not end normally: the name exists, nobody answers.
    QFile leftOver(QDir::tempPath() + QLatin1Char('/') + name);
    QVERIFY(leftOver.open(QIODevice::WriteOnly));
    leftOver.close();

    {
        SingleInstance first(name);
        QVERIFY(first.tryBecomePrimary());
        QVERIFY(first.isPrimary());
    }
    // Once the first copy is gone, the next start is the only copy again.
    SingleInstance next(name);
    QVERIFY(next.tryBecomePrimary());
    QVERIFY(next.isPrimary());

    QVERIFY(SingleInstance::defaultName().startsWith(QStringLiteral("zal-eko-")));
    QVERIFY(!SingleInstance::defaultName().contains(QLatin1Char('/')));
}

void TestSystem::nameIsPerUserWhateverTheEnvironment_data()
{
    QTest::addColumn<QStringList>("environment");   // NAME=value, the others unset
    QTest::newRow("no login name at all") << QStringList{};
    QTest::newRow("USER") << QStringList{QStringLiteral("USER=ana")};
    QTest::newRow("another USER") << QStringList{QStringLiteral("USER=bruno"), QStringLiteral("LOGNAME=bruno")};
    QTest::newRow("LOGNAME only") << QStringList{QStringLiteral("LOGNAME=carla")};
    QTest::newRow("USERNAME only") << QStringList{QStringLiteral("USERNAME=dora")};
}

// The guard's name is the user's, whatever the environment says: a copy started without USER or
// with another name in it meets the user's running copy, and a name shared by every user (which
// would let another user's copy keep this one from starting) never comes up.
void TestSystem::nameIsPerUserWhateverTheEnvironment()
{
    QFETCH(QStringList, environment);
    const char* const variables[] = {"USER", "USERNAME", "LOGNAME"};
    QHash<QByteArray, std::optional<QByteArray>> saved;
    for (const char* v : variables) {
        saved.insert(v, qEnvironmentVariableIsSet(v) ? std::optional<QByteArray>(qgetenv(v)) : std::nullopt);
        qunsetenv(v);
    }
    const QString withoutNames = SingleInstance::defaultName();
    for (const QString& setting : environment)
        qputenv(setting.section(QLatin1Char('='), 0, 0).toLatin1(), setting.section(QLatin1Char('='), 1).toUtf8());
    const QString name = SingleInstance::defaultName();
    for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
        if (it.value())
            qputenv(it.key().constData(), *it.value());
        else
            qunsetenv(it.key().constData());
    }
    QCOMPARE(name, withoutNames);
    QVERIFY2(name.endsWith(QLatin1Char('-') + QString::number(::getuid())), qPrintable(name));
    QVERIFY(!name.contains(QLatin1Char('/')));
}

void TestSystem::restoreWindowShowsMinimized()
{
    QWidget window;
    window.showMinimized();
    QVERIFY(window.windowState() & Qt::WindowMinimized);
    SingleInstance::restoreWindow(&window);
    QVERIFY(!(window.windowState() & Qt::WindowMinimized));
    QVERIFY(window.isVisible());
    SingleInstance::restoreWindow(nullptr);
}

// --- Help viewer ---------------------------------------------------------------------------------

void TestSystem::helpFileLinksResolve()
{
    const QString path = helpFilePath();
    QVERIFY2(!path.isEmpty(), "help file not found");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QTextDocument document;
    document.setHtml(html);

    // Every link of the contents leads to an anchor of the file.
    const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
    int links = 0;
    for (const auto& match : link.globalMatch(html)) {
        ++links;
        QVERIFY2(documentHasAnchor(document, match.captured(1)), qPrintable(match.captured(1)));
    }
    QVERIFY(links > 0);
    QVERIFY(documentHasAnchor(document, QStringLiteral("1080")));
    QVERIFY(documentHasAnchor(document, QStringLiteral("2520")));
}

void TestSystem::helpContexts_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("heading");
    QTest::newRow("EKO Dcto. 39-99") << 1080 << "EKO Dcto. 39-99";
    QTest::newRow("Formularios") << 2520 << "Formularios 203, 208 y 711";
}

void TestSystem::helpContexts()
{
    QFETCH(int, context);
    QFETCH(QString, heading);
    HelpViewer viewer;
    viewer.setHelpFile(helpFilePath());
    QVERIFY(viewer.showContents());
    viewer.window()->resize(500, 300);
    QVERIFY(viewer.showContext(context));
    QVERIFY(viewer.isOpen());
    // The window opens at the section of that context.
    QVERIFY(viewer.browser()->verticalScrollBar()->value() > 0);
    QTRY_VERIFY2(topLineText(viewer.browser()).contains(heading), qPrintable(topLineText(viewer.browser())));
}

void TestSystem::helpContentsAndClose()
{
    HelpViewer& viewer = HelpViewer::instance();
    viewer.setHelpFile(helpFilePath());
    QCOMPARE(viewer.helpFile(), helpFilePath());
    QVERIFY(viewer.showContents());
    QVERIFY(viewer.isOpen());
    QWidget* window = viewer.window();
    window->resize(500, 300);
    QCOMPARE(window->windowTitle(), QStringLiteral("Ayuda de ZAL - Planilla del EKO"));
    QVERIFY(viewer.browser()->toPlainText().contains(QStringLiteral("Ingreso de Facturas")));
    QCOMPARE(viewer.browser()->verticalScrollBar()->value(), 0);

    // From a context back to the contents, in the same window.
    QVERIFY(viewer.showContext(2520));
    QVERIFY(viewer.browser()->verticalScrollBar()->value() > 0);
    QVERIFY(viewer.showContents());
    QCOMPARE(viewer.browser()->verticalScrollBar()->value(), 0);
    QCOMPARE(viewer.window(), window);

    viewer.close();
    QVERIFY(!viewer.isOpen());
    viewer.close();   // closing a closed window is harmless
    QVERIFY(viewer.showContents());
    QCOMPARE(viewer.window(), window);
    // The help window alone does not keep the program running.
    QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
    viewer.close();
}

void TestSystem::helpUnknownContextAndMissingFile()
{
    HelpViewer viewer;
    viewer.setHelpFile(helpFilePath());
    QVERIFY(viewer.showContents());
    viewer.window()->resize(500, 300);
    QVERIFY(!viewer.showContext(9999));
    QVERIFY(viewer.isOpen());
    QCOMPARE(viewer.browser()->verticalScrollBar()->value(), 0);

    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ZAL.HLP"));
    viewer.setHelpFile(missing);
    QVERIFY(!viewer.showContents());
    QVERIFY(viewer.isOpen());
    QVERIFY(viewer.browser()->toPlainText().contains(missing));
    QVERIFY(!viewer.showContext(1080));

    // A file that appears later is read on the next use.
    QVERIFY(QFile::copy(helpFilePath(), missing));
    QVERIFY(viewer.showContext(1080));
}

void TestSystem::helpWindowOpensCentredThenStays()
{
    HelpViewer viewer;
    viewer.setHelpFile(helpFilePath());
    QVERIFY(viewer.showContents());
    QWidget* window = viewer.window();
    const QRect free = window->screen()->availableGeometry();
    QVERIFY(free.contains(window->geometry()));
    // Centred on the screen's free area: as much room left as right, above as below.
    const QPoint centred = free.topLeft()
                           + QPoint((free.width() - window->width()) / 2, (free.height() - window->height()) / 2);
    QCOMPARE(window->pos(), centred);

    // Moved by the user, closed and opened again: it comes back where the user left it.
    const QPoint moved = window->pos() + QPoint(-40, -30);
    window->move(moved);
    viewer.close();
    QVERIFY(viewer.showContext(1080));
    QCOMPARE(window->pos(), moved);
}

// --- Registry and shell --------------------------------------------------------------------------

void TestSystem::registryEmptyFindsNothing()
{
    HKEY key = 0;
    QCOMPARE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), 0,
                          0x2003F, &key),
             ERROR_FILE_NOT_FOUND);
    QCOMPARE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), 0,
                          0x2003F, &key),
             ERROR_FILE_NOT_FOUND);
}

void TestSystem::registryValues_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<quint32>("type");

    QTest::newRow("text with terminator") << QByteArray("C:\\Tools\\info.exe", 18) << REG_SZ;
    QTest::newRow("text without terminator") << QByteArray("C:\\Tools") << REG_SZ;
    QTest::newRow("text filling 1024 bytes") << QByteArray(1024, 'a') << REG_SZ;
    QTest::newRow("dword") << QByteArray("\x78\x56\x34\x12", 4) << REG_DWORD;
    QTest::newRow("empty text") << QByteArray() << REG_SZ;
}

void TestSystem::registryValues()
{
    QFETCH(QByteArray, stored);
    QFETCH(quint32, type);
    setRegistryValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Test"), QStringLiteral("Valor"), type, stored);

    HKEY key = 0;
    QCOMPARE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Test"), 0, 0x2003F, &key), ERROR_SUCCESS);
    QByteArray buffer(1024, '\0');
    quint32 size = 1024;
    quint32 gotType = 0;
    QCOMPARE(RegQueryValueEx(key, QStringLiteral("Valor"), &gotType, &buffer, &size), ERROR_SUCCESS);
    QCOMPARE(gotType, type);
    QCOMPARE(size, quint32(stored.size()));
    QCOMPARE(buffer.size(), 1024);
    QCOMPARE(buffer.left(stored.size()), stored);
    QVERIFY(buffer.mid(stored.size()).count('\0') == buffer.size() - stored.size());
    QCOMPARE(RegCloseKey(key), ERROR_SUCCESS);
}

void TestSystem::registryKeysAndHandles()
{
    setRegistryText(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), QStringLiteral("/opt/info"));
    setRegistryDword(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Numeros"), QStringLiteral("Uno"), 0x01020304u);

    // Key and value names ignore letter case; the keys above a value exist.
    HKEY key = 0;
    QCOMPARE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("software\\microsoft\\SHARED TOOLS\\msinfo"), 0,
                          0x2003F, &key),
             ERROR_SUCCESS);
    HKEY parent = 0;
    QCOMPARE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft"), 0, 0x2003F, &parent),
             ERROR_SUCCESS);
    QVERIFY(parent != key);
    // Other roots are separate.
    HKEY other = 0;
    QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\Microsoft"), 0, 0x2003F, &other),
             ERROR_FILE_NOT_FOUND);
    // An open key serves as root.
    HKEY child = 0;
    QCOMPARE(RegOpenKeyEx(parent, QStringLiteral("Shared Tools\\MSINFO"), 0, 0x2003F, &child), ERROR_SUCCESS);

    quint32 type = 0;
    quint32 size = 4;
    QByteArray small(4, '\0');
    QCOMPARE(RegQueryValueEx(child, QStringLiteral("path"), &type, &small, &size), ERROR_MORE_DATA);
    QCOMPARE(size, quint32(10));   // "/opt/info" and its terminating zero
    QCOMPARE(RegQueryValueEx(child, QStringLiteral("NOPE"), &type, &small, &size), ERROR_FILE_NOT_FOUND);

    HKEY numbers = 0;
    QCOMPARE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Numeros"), 0, 0x2003F, &numbers),
             ERROR_SUCCESS);
    QByteArray dword(1024, '\0');
    size = 1024;
    QCOMPARE(RegQueryValueEx(numbers, QStringLiteral("Uno"), &type, &dword, &size), ERROR_SUCCESS);
    QCOMPARE(type, REG_DWORD);
    QCOMPARE(dword.left(int(size)), QByteArray("\x04\x03\x02\x01", 4));

    QCOMPARE(RegCloseKey(key), ERROR_SUCCESS);
    QCOMPARE(RegCloseKey(key), ERROR_INVALID_HANDLE);
    size = 1024;
    QCOMPARE(RegQueryValueEx(key, QStringLiteral("PATH"), &type, &dword, &size), ERROR_INVALID_HANDLE);

    clearRegistry();
    QCOMPARE(RegQueryValueEx(child, QStringLiteral("PATH"), &type, &dword, &size), ERROR_INVALID_HANDLE);
    QCOMPARE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft"), 0, 0x2003F, &parent),
             ERROR_FILE_NOT_FOUND);
}

void TestSystem::shellHookAndFailures()
{
    QStringList started;
    setShellHook([&](const QString& program, int style) {
        started << QStringLiteral("%1|%2").arg(program).arg(style);
        return program != QStringLiteral("falla");
    });
    QVERIFY(Shell(QStringLiteral("/opt/info/msinfo32"), vbNormalFocus));
    QVERIFY(!Shell(QStringLiteral("falla"), vbNormalFocus));
    QCOMPARE(started, (QStringList{QStringLiteral("/opt/info/msinfo32|1"), QStringLiteral("falla|1")}));

    // Without the hook: nothing to start, or a program that does not exist, fails.
    setShellHook({});
    QVERIFY(!Shell(QString(), vbNormalFocus));
    QVERIFY(!Shell(QStringLiteral("   "), vbNormalFocus));
    QTemporaryDir dir;
    QVERIFY(!Shell(dir.filePath(QStringLiteral("no-existe")), vbNormalFocus));
}

// --- Application information ---------------------------------------------------------------------

void TestSystem::appInfo()
{
    QCOMPARE(appTitle(), QStringLiteral("ZAL"));
    const AppVersion built = appVersion();
    QCOMPARE(QStringLiteral("%1.%2.%3").arg(built.majorVersion).arg(built.minorVersion).arg(built.revision),
             QStringLiteral(ZAL_VERSION));
    setAppVersion({1, 2, 7});
    QCOMPARE(appVersion().revision, 7);
    resetAppVersion();
    QCOMPARE(appVersion().revision, built.revision);

    QCOMPARE(appPath(), QCoreApplication::applicationDirPath());
    QVERIFY(!appPath().endsWith(QLatin1Char('/')));
}

void TestSystem::appPathOverride_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "/opt/zal" << "/opt/zal";
    QTest::newRow("trailing separator") << "/opt/zal/" << "/opt/zal";
    QTest::newRow("root") << "/" << "/";
}

void TestSystem::appPathOverride()
{
    QFETCH(QString, given);
    QFETCH(QString, expected);
    setAppPath(given);
    QCOMPARE(appPath(), expected);
    setAppPath(QString());
    QCOMPARE(appPath(), QCoreApplication::applicationDirPath());
}

void TestSystem::existenceTests()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("eko.mdb"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();

    QVERIFY(fileExists(file));
    QVERIFY(!dirExists(file));
    QVERIFY(dirExists(dir.path()));
    QVERIFY(!fileExists(dir.path()));
    QVERIFY(!fileExists(dir.filePath(QStringLiteral("otro.mdb"))));
    QVERIFY(!dirExists(dir.filePath(QStringLiteral("otra"))));
    QVERIFY(!fileExists(QString()));
    QVERIFY(!dirExists(QString()));
}

QTEST_MAIN(TestSystem)
#include "test_system.moc"
