#pragma once
// The speed bench: each section times the program's own work and prints the median beside a
// floor: the same work (the same reads, the same lines, the same files or pages) done with plain
// SQLite, plain C++ and plain Qt painting. Run by hand (build/tools/bench_worksheet [section ...]
// [--sizes=100,1000,...]); never by the tests.
#include <QString>
#include <functional>
#include <vector>

namespace bench {

// Median wall time of fn in milliseconds over reps runs (one warm-up run first).
double medianMs(int reps, const std::function<void()>& fn);

// A median taken within a time budget: the first run is timed too; when it alone takes more than
// the budget it is the only sample, otherwise the runs go on (at most maxReps, at least 3) until
// the budget is spent.
struct Sample {
    double ms = 0;
    int runs = 0;
};
Sample sampleMs(int maxReps, double budgetMs, const std::function<void()>& fn);

// One output line: action, median, floor median and their ratio.
void report(const QString& action, double ms, double floorMs);
// One output line for work that has no floor of its own.
void reportAlone(const QString& action, double ms);

// A database file at path (made anew) with catalogues of a real office's size and taxpayers ×
// documents detail rows in the current period of the seed (period 3 unless told otherwise).
// Taxpayers: kMinTaxpayers or more; taxpayer k (1-based) has the tax id taxpayerNit(k), which
// passes the check-digit test, and the first `taxpayers` have a worksheet, header number k.
// Suppliers: kSuppliers, tax ids supplierNit(k); document d (0-based) of taxpayer k names
// supplier documentSupplier(k, d), so each worksheet names suppliers all over the catalogue.
inline constexpr int kSuppliers = 5000;
inline constexpr int kMinTaxpayers = 1000;
void makeWorksheetFile(const QString& path, int taxpayers, int documents, int period = 3);
QString taxpayerNit(int k);
QString supplierNit(int k);
int documentSupplier(int taxpayer, int document);

// Peak resident memory of this process since the last resetPeakMemory(), in MB; and the resident
// memory now.
void resetPeakMemory();
double peakMemoryMb();
double residentMemoryMb();

// The worksheet sizes of the scaling section (--sizes=... on the command line).
const std::vector<int>& scalingSizes();
void setScalingSizes(std::vector<int> sizes);

// Sections register themselves at static initialisation time.
using Section = void (*)(const QString& workDir);
int registerSection(const char* name, Section run);

} // namespace bench

#define ZAL_BENCH_SECTION(name, fn) static const int zal_bench_section_##fn = bench::registerSection(name, fn);
