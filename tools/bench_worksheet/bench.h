#pragma once
// The speed bench: each section times the program's own work over many repetitions and prints
// the median beside the same work done with plain SQLite or plain file calls (the floor).
// Run by hand (build/tools/bench_worksheet [section ...]); never by CI.
#include <QString>
#include <functional>

namespace bench {

// Median wall time of fn in milliseconds over reps runs (one warm-up run first).
double medianMs(int reps, const std::function<void()>& fn);

// One output line: action, median, floor median and their ratio.
void report(const QString& action, double ms, double floorMs);

// A database file at path (made anew) with taxpayers × documents detail rows in the current
// period of the seed (period 3 unless told otherwise). Taxpayer k (1-based) has the tax id
// taxpayerNit(k), which passes the check-digit test. Suppliers: 50, tax ids supplierNit(k).
void makeWorksheetFile(const QString& path, int taxpayers, int documents, int period = 3);
QString taxpayerNit(int k);
QString supplierNit(int k);

// Sections register themselves at static initialisation time.
using Section = void (*)(const QString& workDir);
int registerSection(const char* name, Section run);

} // namespace bench

#define ZAL_BENCH_SECTION(name, fn) static const int zal_bench_section_##fn = bench::registerSection(name, fn);
