// What only separate processes show: copies started at the same moment (exactly one runs, the
// others reach it), a copy that died (its lock is taken over), and ending the program after the
// help window was opened (the process ends cleanly, with the code it was given).
#include "platform/system/end.h"
#include "platform/system/help.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

struct Ended {
    int code;
};

QString uniqueName()
{
    return QStringLiteral("zal-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

std::unique_ptr<QProcess> startProbe(const QStringList& args, const QString& tempDir = QString())
{
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!tempDir.isEmpty())
        env.insert(QStringLiteral("TMPDIR"), tempDir);
    p->setProcessEnvironment(env);
    p->start(QStringLiteral(ZAL_PROCESS_PROBE), args);
    return p;
}

// The first line the probe prints (it is flushed at once).
QString firstLine(QProcess& p)
{
    while (!p.canReadLine() && p.state() != QProcess::NotRunning)
        p.waitForReadyRead(30000);
    return QString::fromLatin1(p.readLine()).trimmed();
}

} // namespace

class TestProcesses : public QObject {
    Q_OBJECT
private slots:
    void copiesStartedTogetherLeaveOneRunning_data();
    void copiesStartedTogetherLeaveOneRunning();
    void lockOfADeadCopyIsTakenOver();
    void withoutATemporaryFolderTheProgramStillRuns();
    void endAfterHelpWindowEndsCleanly();
    void endRunsEachCleanupOnceLatestFirst();
};

void TestProcesses::copiesStartedTogetherLeaveOneRunning_data()
{
    QTest::addColumn<int>("copies");
    // The race is a matter of moments: it is run several times.
    for (int round = 1; round <= 5; ++round) {
        QTest::addRow("2 copies, round %d", round) << 2;
        QTest::addRow("8 copies, round %d", round) << 8;
    }
}

void TestProcesses::copiesStartedTogetherLeaveOneRunning()
{
    QFETCH(int, copies);
    const QString name = uniqueName();
    std::vector<std::unique_ptr<QProcess>> probes;
    for (int i = 0; i < copies; ++i)
        probes.push_back(startProbe({QStringLiteral("instance"), name}));
    for (auto& p : probes)
        QCOMPARE(firstLine(*p), QStringLiteral("ready"));
    for (auto& p : probes)
        p->write("go\n");

    QProcess* primary = nullptr;
    int primaries = 0;
    for (auto& p : probes) {
        const QString line = firstLine(*p);
        if (line == QLatin1String("primary")) {
            ++primaries;
            primary = p.get();
        } else {
            QCOMPARE(line, QStringLiteral("secondary"));
        }
    }
    QCOMPARE(primaries, 1);
    // Every other copy ended on its own, after asking the running one to restore its window.
    for (auto& p : probes) {
        if (p.get() == primary)
            continue;
        QVERIFY(p->waitForFinished(30000));
        QCOMPARE(p->exitCode(), 0);
    }
    primary->write("fin\n");
    primary->closeWriteChannel();
    QVERIFY(primary->waitForFinished(30000));
    QCOMPARE(QString::fromLatin1(primary->readAllStandardOutput()).trimmed(),
             QStringLiteral("requests %1").arg(copies - 1));
}

void TestProcesses::lockOfADeadCopyIsTakenOver()
{
    const QString name = uniqueName();
    auto dead = startProbe({QStringLiteral("instance"), name});
    dead->write("go\n");
    QCOMPARE(firstLine(*dead), QStringLiteral("ready"));
    QCOMPARE(firstLine(*dead), QStringLiteral("primary"));
    dead->kill();   // no chance to release its lock or its socket
    QVERIFY(dead->waitForFinished(30000));

    auto next = startProbe({QStringLiteral("instance"), name});
    next->write("go\n");
    QCOMPARE(firstLine(*next), QStringLiteral("ready"));
    QCOMPARE(firstLine(*next), QStringLiteral("primary"));
    auto later = startProbe({QStringLiteral("instance"), name});
    later->write("go\n");
    QCOMPARE(firstLine(*later), QStringLiteral("ready"));
    QCOMPARE(firstLine(*later), QStringLiteral("secondary"));
    QVERIFY(later->waitForFinished(30000));
    next->closeWriteChannel();
    QVERIFY(next->waitForFinished(30000));
    QCOMPARE(QString::fromLatin1(next->readAllStandardOutput()).trimmed(), QStringLiteral("requests 1"));
}

void TestProcesses::withoutATemporaryFolderTheProgramStillRuns()
{
    QTemporaryDir dir;
    auto p = startProbe({QStringLiteral("instance"), uniqueName()}, dir.filePath(QStringLiteral("no-existe")));
    p->write("go\n");
    QCOMPARE(firstLine(*p), QStringLiteral("ready"));
    QCOMPARE(firstLine(*p), QStringLiteral("primary"));
    p->closeWriteChannel();
    QVERIFY(p->waitForFinished(30000));
}

void TestProcesses::endAfterHelpWindowEndsCleanly()
{
    auto p = startProbe({QStringLiteral("help-end"), QFINDTESTDATA("../../resources/ZAL.HLP")});
    QVERIFY(p->waitForFinished(60000));
    QCOMPARE(p->exitStatus(), QProcess::NormalExit);
    QCOMPARE(p->exitCode(), 3);
}

void TestProcesses::endRunsEachCleanupOnceLatestFirst()
{
    sys::setEndHook([](int code) { throw Ended{code}; });
    QStringList ran;
    sys::onEnd([&] { ran << QStringLiteral("first"); });
    sys::onEnd([&] { ran << QStringLiteral("second"); });
    auto end = [](int code) {
        try {
            sys::End(code);
        } catch (const Ended& e) {
            return e.code;
        }
        return -1;
    };
    QCOMPARE(end(5), 5);
    QCOMPARE(ran, (QStringList{QStringLiteral("second"), QStringLiteral("first")}));
    QCOMPARE(end(0), 0);
    QCOMPARE(ran.size(), 2);   // each ran once

    // The help window is released by the end, while the application still runs.
    sys::HelpViewer::instance().setHelpFile(QFINDTESTDATA("../../resources/ZAL.HLP"));
    sys::HelpViewer::instance().showContents();
    QPointer<QWidget> window = sys::HelpViewer::instance().window();
    QVERIFY(window);
    end(0);
    QVERIFY(!window);
    // Opened again afterwards, it works as before.
    QVERIFY(sys::HelpViewer::instance().showContents());
    QVERIFY(sys::HelpViewer::instance().isOpen());
    sys::HelpViewer::instance().close();
    sys::setEndHook({});
}

QTEST_MAIN(TestProcesses)
#include "test_processes.moc"
