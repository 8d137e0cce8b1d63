// Runs every bench section (or those named on the command line) in a temporary folder.
#include "bench.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>
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
    for (int i = 0; i < reps; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const QString& action, double ms, double floorMs)
{
    const double ratio = floorMs > 0 ? ms / floorMs : 0.0;
    std::printf("%-52s %10.3f ms   floor %10.3f ms   x%.1f\n", action.toUtf8().constData(), ms, floorMs, ratio);
    std::fflush(stdout);
}

} // namespace bench

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_worksheet: no temporary folder\n");
        return 1;
    }
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i)
        wanted.emplace_back(argv[i]);
    for (const auto& [name, run] : bench::sections()) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), name) == wanted.end())
            continue;
        std::printf("== %s\n", name.c_str());
        run(dir.path());
    }
    return 0;
}
