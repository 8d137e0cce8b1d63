// Runs every bench section (or those named on the command line) in a temporary folder.
#include "bench.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

namespace {
std::map<std::string, Section>& sections()
{
    static std::map<std::string, Section> all;
    return all;
}

std::vector<int>& sizes()
{
    static std::vector<int> all {100, 1000, 10000, 50000};
    return all;
}

double elapsedMs(const std::function<void()>& fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// A line of /proc/self/status ("VmHWM:   1234 kB") in MB.
double statusMb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}
} // namespace

int registerSection(const char* name, Section run)
{
    sections()[name] = run;
    return 0;
}

double medianMs(int reps, const std::function<void()>& fn)
{
    fn();
    std::vector<double> times;
    times.reserve(reps);
    for (int i = 0; i < reps; ++i)
        times.push_back(elapsedMs(fn));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

Sample sampleMs(int maxReps, double budgetMs, const std::function<void()>& fn)
{
    std::vector<double> times {elapsedMs(fn)};
    if (times.front() < budgetMs) {
        // The first run warmed the caches: it does not count once others follow.
        times.clear();
        double spent = 0;
        while (int(times.size()) < maxReps && (int(times.size()) < 3 || spent < budgetMs)) {
            times.push_back(elapsedMs(fn));
            spent += times.back();
        }
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], int(times.size())};
}

void report(const QString& action, double ms, double floorMs)
{
    const double ratio = floorMs > 0 ? ms / floorMs : 0.0;
    std::printf("%-52s %10.3f ms   floor %10.3f ms   x%.1f\n", action.toUtf8().constData(), ms, floorMs, ratio);
    std::fflush(stdout);
}

void reportAlone(const QString& action, double ms)
{
    std::printf("%-52s %10.3f ms   (no floor)\n", action.toUtf8().constData(), ms);
    std::fflush(stdout);
}

void resetPeakMemory()
{
    // Writing 5 to clear_refs starts the peak over from the present resident size (Linux).
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double peakMemoryMb() { return statusMb("VmHWM:"); }
double residentMemoryMb() { return statusMb("VmRSS:"); }

const std::vector<int>& scalingSizes() { return sizes(); }
void setScalingSizes(std::vector<int> list) { sizes() = std::move(list); }

} // namespace bench

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // The files go to memory (/dev/shm) when the system has it, so that the disk's own moods
    // (inode allocation, write-back) do not drown the differences the bench is after; --dir=PATH
    // puts them elsewhere.
    QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]).rfind("--dir=", 0) == 0)
            base = QString::fromLocal8Bit(argv[i] + 6);
    }
    QTemporaryDir dir(QDir(base).filePath(QStringLiteral("zal-bench-XXXXXX")));
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_worksheet: no temporary folder in %s\n", base.toLocal8Bit().constData());
        return 1;
    }
    std::printf("(files in %s)\n", dir.path().toLocal8Bit().constData());
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--dir=", 0) == 0)
            continue;
        if (arg.rfind("--sizes=", 0) == 0) {
            std::vector<int> list;
            for (const QByteArray& part : QByteArray::fromStdString(arg.substr(8)).split(',')) {
                bool ok = false;
                const int n = part.trimmed().toInt(&ok);
                if (!ok || n <= 0) {
                    std::fprintf(stderr, "bench_worksheet: bad size list %s\n", arg.c_str());
                    return 1;
                }
                list.push_back(n);
            }
            bench::setScalingSizes(std::move(list));
            continue;
        }
        wanted.push_back(arg);
    }
    for (const std::string& name : wanted) {
        bool known = false;
        for (const auto& [section, run] : bench::sections())
            known = known || section == name;
        if (!known) {
            std::fprintf(stderr, "bench_worksheet: no section %s\n", name.c_str());
            return 1;
        }
    }
    for (const auto& [name, run] : bench::sections()) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), name) == wanted.end())
            continue;
        // The scaling section is long: it runs only when asked for by name.
        if (wanted.empty() && name == "scaling")
            continue;
        std::printf("== %s\n", name.c_str());
        run(dir.path());
    }
    return 0;
}
