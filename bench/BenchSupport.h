// What every benchmark here shares: timing the data layer beside the bare engine in the
// same iterations, the figures and their summary table, memory probes, and the large
// table's SQLite file.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace varnbench {

using Clock = std::chrono::steady_clock;

// Folds a record's name into a checksum, so the two sides can be compared afterwards.
void Fold(uint64_t& Checksum, const std::string& Name);

// ---- Memory ----

// Measures the growth of the resident set while some work runs: its peak where the
// kernel lets the peak be reset, else the growth at the moment GrowthMiB is asked.
class TMemoryProbe {
  public:
    TMemoryProbe();
    // Call while the measured state is still there.
    double GrowthMiB() const;
    bool Peak() const { return FPeakReset; }

  private:
    bool FPeakReset = false;
    double FBefore = 0;
};

// ---- Figures and the summary ----

struct TFigure {
    std::string Engine;  // the heading the figure is listed under
    std::string Operation;
    double Varn = 0;  // seconds per operation, or MiB for memory
    double Bare = 0;
    bool Memory = false;
};

// Keeps the figure of an operation; a later run of the same operation replaces it.
void Record(const TFigure& Figure);
// Prints the figures kept, one table per engine heading, under Title.
void PrintSummary(const std::string& Title);

// Times the data layer's work and the bare work alternately (which goes first changes
// each iteration, so neither always meets the cache the other warmed), checks that both
// read the same records and reports both times and their ratio. One Run per iteration.
// The times reported are the medians of the iterations: on a shared machine a burst of
// other work lands on a few iterations of one side, and would sway a mean. An iteration
// may do the operation Repeats times; the times are then given per operation.
class TPair {
  public:
    TPair(benchmark::State& State, std::string Engine, std::string Operation, int Repeats = 1);
    ~TPair();
    TPair(const TPair&) = delete;
    TPair& operator=(const TPair&) = delete;

    // Each work takes the checksum to fold the records it read into.
    template <class TVarnWork, class TBareWork>
    void Run(TVarnWork&& VarnWork, TBareWork&& BareWork) {
        uint64_t VarnSum = 0, BareSum = 0;
        double VarnSeconds, BareSeconds;
        if (FVarn.size() % 2 == 0) {
            VarnSeconds = Time([&] { VarnWork(VarnSum); });
            BareSeconds = Time([&] { BareWork(BareSum); });
        } else {
            BareSeconds = Time([&] { BareWork(BareSum); });
            VarnSeconds = Time([&] { VarnWork(VarnSum); });
        }
        Add(VarnSeconds, BareSeconds, VarnSum == BareSum);
    }

  private:
    template <class TWork>
    static double Time(TWork&& Work) {
        auto Start = Clock::now();
        Work();
        return std::chrono::duration<double>(Clock::now() - Start).count();
    }
    void Add(double VarnSeconds, double BareSeconds, bool Same);

    benchmark::State& FState;
    std::string FEngine;
    std::string FOperation;
    int FRepeats;
    std::vector<double> FVarn;  // seconds of each iteration
    std::vector<double> FBare;
    int64_t FMismatches = 0;
};

// Runs a benchmark body; an error ends the benchmark with its message.
template <class TBody>
void Guarded(benchmark::State& State, TBody&& Body) {
    try {
        Body();
    } catch (const std::exception& E) {
        State.SkipWithError(E.what());
    }
}

// ---- The large table ----

// The SQLite file of the large table: VARN_LARGE_DB (made there when missing), or a file
// made in a temporary folder for this run and removed by Release.
class TLargeDbFile {
  public:
    static TLargeDbFile& Get();
    // Whether Get() has made or found the file in this run.
    static bool Made() { return FMade; }
    const std::string& Path() const { return FPath; }
    void Release();

  private:
    TLargeDbFile();
    static inline bool FMade = false;
    std::string FDirectory;
    std::string FPath;
};

// The PostgreSQL server's connection string from VARN_PG_CONNINFO, or empty.
std::string PostgresConnInfo();

}  // namespace varnbench
