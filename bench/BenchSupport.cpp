// Timing pairs, figures, memory probes and the large table's file of the benchmarks.
#include "BenchSupport.h"

#include <malloc.h>
#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <vector>

#include "LargeDb.h"

namespace varnbench {

void Fold(uint64_t& Checksum, const std::string& Name) {
    Checksum = Checksum * 1000003u + std::hash<std::string>{}(Name);
}

// ---- Memory ----

namespace {

// A field of /proc/self/status in bytes: "VmRSS" (resident now) or "VmHWM" (its peak).
double StatusBytes(const std::string& Key) {
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line))
        if (Line.compare(0, Key.size() + 1, Key + ":") == 0)
            return std::stod(Line.substr(Key.size() + 1)) * 1024;
    return 0;
}

// Sets the peak of the resident set back to the present; false where the kernel won't.
bool ResetPeak() {
    std::ofstream ClearRefs("/proc/self/clear_refs");
    ClearRefs << "5";
    ClearRefs.flush();
    return static_cast<bool>(ClearRefs);
}

}  // namespace

// Memory that earlier work freed goes back to the system first, so that what the measured
// work allocates shows as growth even where it reuses that memory.
TMemoryProbe::TMemoryProbe() {
    malloc_trim(0);
    FPeakReset = ResetPeak();
    FBefore = StatusBytes("VmRSS");
}

double TMemoryProbe::GrowthMiB() const {
    double Now = StatusBytes(FPeakReset ? "VmHWM" : "VmRSS");
    return (Now - FBefore) / (1024 * 1024);
}

// ---- Figures and the summary ----

namespace {

std::vector<TFigure>& Figures() {
    static std::vector<TFigure> List;
    return List;
}

std::string FormatTime(double Seconds) {
    char Buffer[32];
    if (Seconds >= 1)
        std::snprintf(Buffer, sizeof Buffer, "%.2f s", Seconds);
    else if (Seconds >= 1e-3)
        std::snprintf(Buffer, sizeof Buffer, "%.2f ms", Seconds * 1e3);
    else
        std::snprintf(Buffer, sizeof Buffer, "%.1f us", Seconds * 1e6);
    return Buffer;
}

std::string FormatMiB(double MiB) {
    char Buffer[32];
    std::snprintf(Buffer, sizeof Buffer, "%.1f MiB", MiB);
    return Buffer;
}

void PrintFigure(const TFigure& F) {
    if (F.Memory)
        std::printf("%-62s %12s %12s\n", F.Operation.c_str(), FormatMiB(F.Varn).c_str(),
                    FormatMiB(F.Bare).c_str());
    else
        std::printf("%-62s %12s %12s %7.2f\n", F.Operation.c_str(), FormatTime(F.Varn).c_str(),
                    FormatTime(F.Bare).c_str(), F.Varn / F.Bare);
}

double Median(std::vector<double> Values) {
    auto Middle = Values.begin() + static_cast<long>(Values.size() / 2);
    std::nth_element(Values.begin(), Middle, Values.end());
    if (Values.size() % 2 == 1)
        return *Middle;
    return (*Middle + *std::max_element(Values.begin(), Middle)) / 2;
}

}  // namespace

void Record(const TFigure& Figure) {
    for (TFigure& F : Figures())
        if (F.Engine == Figure.Engine && F.Operation == Figure.Operation) {
            F = Figure;
            return;
        }
    Figures().push_back(Figure);
}

void PrintSummary(const std::string& Title) {
    if (Figures().empty())
        return;
    std::printf("\n%s\n", Title.c_str());
    // Engines in the order their first figure came.
    std::vector<std::string> Engines;
    for (const TFigure& F : Figures())
        if (std::find(Engines.begin(), Engines.end(), F.Engine) == Engines.end())
            Engines.push_back(F.Engine);
    for (const std::string& Engine : Engines) {
        std::printf("\n%s\n%-62s %12s %12s %7s\n", Engine.c_str(), "operation", "Varn", "bare",
                    "ratio");
        for (const TFigure& F : Figures())
            if (F.Engine == Engine)
                PrintFigure(F);
    }
}

TPair::TPair(benchmark::State& State, std::string Engine, std::string Operation, int Repeats)
    : FState(State),
      FEngine(std::move(Engine)),
      FOperation(std::move(Operation)),
      FRepeats(Repeats) {}

void TPair::Add(double VarnSeconds, double BareSeconds, bool Same) {
    if (!Same && FMismatches++ == 0)
        std::fprintf(stderr, "%s, %s: the data layer and the bare engine read different records\n",
                     FEngine.c_str(), FOperation.c_str());
    FVarn.push_back(VarnSeconds);
    FBare.push_back(BareSeconds);
    FState.SetIterationTime(VarnSeconds);
}

TPair::~TPair() {
    // A benchmark that an error ended reports nothing.
    if (FVarn.empty() || std::uncaught_exceptions() > 0)
        return;
    double Varn = Median(FVarn) / FRepeats;
    double Bare = Median(FBare) / FRepeats;
    FState.counters["bare_us"] = Bare * 1e6;
    FState.counters["varn_us"] = Varn * 1e6;
    FState.counters["ratio"] = Varn / Bare;
    if (FMismatches > 0) {
        FState.SkipWithError("The data layer and the bare engine read different records");
        return;
    }
    Record({FEngine, FOperation, Varn, Bare, false});
}

// ---- The large table ----

TLargeDbFile& TLargeDbFile::Get() {
    static TLargeDbFile File;
    return File;
}

TLargeDbFile::TLargeDbFile() {
    const char* Given = std::getenv("VARN_LARGE_DB");
    if (Given != nullptr && *Given != '\0') {
        FPath = Given;
    } else {
        std::string Template =
            (std::filesystem::temp_directory_path() / "varn-bench-XXXXXX").string();
        if (mkdtemp(Template.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        FDirectory = Template;
        FPath = FDirectory + "/people.db";
    }
    if (!std::filesystem::exists(FPath)) {
        std::fprintf(stderr, "Making the table people of 1,000,000 rows in %s ...\n",
                     FPath.c_str());
        auto Start = Clock::now();
        try {
            MakeLargeDb(FPath);
        } catch (...) {
            Release();
            throw;
        }
        std::chrono::duration<double> Took = Clock::now() - Start;
        std::fprintf(stderr, "... made in %.1f s\n", Took.count());
    }
    FMade = true;
}

void TLargeDbFile::Release() {
    std::error_code Ignored;
    if (!FDirectory.empty())
        std::filesystem::remove_all(FDirectory, Ignored);
    FDirectory.clear();
}

std::string PostgresConnInfo() {
    const char* ConnInfo = std::getenv("VARN_PG_CONNINFO");
    return ConnInfo != nullptr ? ConnInfo : "";
}

}  // namespace varnbench
