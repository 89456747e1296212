// Speed and memory of the data layer on a table of a million rows, on SQLite and, when
// VARN_PG_CONNINFO names a server, on PostgreSQL. Each operation of a TTable is timed
// beside the bare engine's C API doing the same work, the two alternating within the same
// iterations, and reported as both times and their ratio; a summary table follows the
// benchmark output.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "BareEngine.h"
#include "BenchSupport.h"
#include "platform/DBTables.h"

namespace varnbench {

namespace {

using platform::TTable;

std::shared_ptr<platform::engine::Connection> HeldConnection;

// While held, tables share one open connection of the data layer, as in an application
// that keeps its database open; otherwise each table opens its own.
void HoldConnection(const TBareEngine& Engine, bool Hold) {
    HeldConnection = Hold ? platform::ConnectDatabase(Engine.DatabaseName()) : nullptr;
}

std::unique_ptr<TTable> OpenTable(const TBareEngine& Engine, const std::string& Order) {
    auto Table = std::make_unique<TTable>(nullptr);
    Table->SetDatabaseName(Engine.DatabaseName());
    Table->SetTableName("people");
    Table->SetIndexFieldNames(Order);
    Table->Open();
    return Table;
}

// Reads the current record's Name and that of the Count - 1 records after it.
void ReadRecords(TTable& Table, int Count, uint64_t& Checksum) {
    platform::TField* Name = Table.FieldByName("Name");
    for (int I = 0; I < Count && !Table.GetEOF(); ++I) {
        if (I > 0)
            Table.Next();
        Fold(Checksum, Name->GetAsString());
    }
}

const char* const ByCityName = R"("City", "Name", "Id")";

// Peak memory while a table is open and scrolled to its end (and re-sorted and scrolled
// again), beside a new bare connection reading the rows that were shown. Runs first, while
// the process's heap is small; the bare connection is measured before the table.
void BM_MemoryScrolledToEnd(benchmark::State& State, TEngineKind Kind) {
    Guarded(State, [&] {
        TBareEngine& Engine = BareEngine(Kind);
        HoldConnection(Engine, false);
        for (auto _ : State) {
            double VarnGrowth, BareGrowth;
            {
                TMemoryProbe Probe;
                std::unique_ptr<TBareConnection> Bare = Engine.Connect();
                uint64_t Sum = 0;
                Bare->ReadFirst(R"("Id" DESC)", 1000, Sum);
                Bare->ReadFirst(R"("City" DESC, "Name" DESC, "Id" DESC)", 1000, Sum);
                BareGrowth = Probe.GrowthMiB();
            }
            auto Start = Clock::now();
            bool Peak;
            {
                TMemoryProbe Probe;
                std::unique_ptr<TTable> Table = OpenTable(Engine, "");
                Table->Last();
                for (int I = 0; I < 1000; ++I)
                    Table->Prior();
                for (int I = 0; I < 1000; ++I)
                    Table->Next();
                Table->SetIndexFieldNames("City;Name");
                Table->Last();
                for (int I = 0; I < 1000; ++I)
                    Table->Prior();
                benchmark::DoNotOptimize(Table->FieldByName("Name")->GetAsString());
                VarnGrowth = Probe.GrowthMiB();
                Peak = Probe.Peak();
            }
            State.SetIterationTime(std::chrono::duration<double>(Clock::now() - Start).count());
            State.counters["varn_MiB"] = VarnGrowth;
            State.counters["bare_MiB"] = BareGrowth;
            Record({Engine.Heading(),
                    Peak ? "memory: open, Last, 1000 Prior/Next, re-sort (peak RSS growth)"
                         : "memory: open, Last, 1000 Prior/Next, re-sort (RSS growth)",
                    VarnGrowth, BareGrowth, true});
        }
    });
}

// Opening a table and reading its first 30 records (Arg 1: with the connection held by
// the application; Arg 0: each table connects to the database itself).
void BM_OpenRead30(benchmark::State& State, TEngineKind Kind) {
    Guarded(State, [&] {
        TBareEngine& Engine = BareEngine(Kind);
        const bool Held = State.range(0) != 0;
        HoldConnection(Engine, Held);
        TPair Pair(State, Engine.Heading(),
                   Held ? "open + read 30 records (connection held)"
                        : "open + read 30 records (connecting each time)");
        for (auto _ : State) {
            Pair.Run(
                [&](uint64_t& Sum) {
                    std::unique_ptr<TTable> Table = OpenTable(Engine, "");
                    ReadRecords(*Table, 30, Sum);
                },
                [&](uint64_t& Sum) {
                    if (Held) {
                        Engine.Held().ReadFirst(R"("Id")", 30, Sum);
                    } else {
                        std::unique_ptr<TBareConnection> Bare = Engine.Connect();
                        Bare->ReadFirst(R"("Id")", 30, Sum);
                    }
                });
        }
    });
}

// Changing the order of an open table to the two-field index and reading the first 30
// records in it.
void BM_ReorderRead30(benchmark::State& State, TEngineKind Kind) {
    Guarded(State, [&] {
        TBareEngine& Engine = BareEngine(Kind);
        HoldConnection(Engine, true);
        std::unique_ptr<TTable> Table = OpenTable(Engine, "");
        TPair Pair(State, Engine.Heading(), "IndexFieldNames := City;Name, read first 30");
        for (auto _ : State) {
            Table->SetIndexFieldNames("");
            Pair.Run(
                [&](uint64_t& Sum) {
                    Table->SetIndexFieldNames("City;Name");
                    Table->First();
                    ReadRecords(*Table, 30, Sum);
                },
                [&](uint64_t& Sum) { Engine.Held().ReadFirst(ByCityName, 30, Sum); });
        }
    });
}

// Locate on the first field of the order (Name) with a prefix early, midway and late
// in the alphabet, one that no name has, and one case-sensitive.
void BM_LocatePrefix(benchmark::State& State, TEngineKind Kind) {
    struct TCase {
        const char* Prefix;
        bool CaseInsensitive;
        bool Exists;
    };
    static const TCase Cases[] = {{"bel", true, true},
                                  {"mor", true, true},
                                  {"wil", true, true},
                                  {"zzq", true, false},
                                  {"Mor", false, true}};
    const TCase& Case = Cases[State.range(0)];
    Guarded(State, [&] {
        TBareEngine& Engine = BareEngine(Kind);
        HoldConnection(Engine, true);
        std::unique_ptr<TTable> Table = OpenTable(Engine, "Name");
        platform::TLocateOptions Options{platform::loPartialKey};
        if (Case.CaseInsensitive)
            Options.Include(platform::loCaseInsensitive);
        std::unique_ptr<TBareLocator> Bare = Engine.Held().Locator(Case.CaseInsensitive);
        TPair Pair(State, Engine.Heading(),
                   std::string("Locate Name '") + Case.Prefix + "' partial" +
                       (Case.CaseInsensitive ? ", case-insensitive" : ", case-sensitive") +
                       (Case.Exists ? "" : ", absent"));
        for (auto _ : State) {
            Table->First();
            Pair.Run(
                [&](uint64_t& Sum) {
                    if (Table->Locate("Name", Case.Prefix, Options) != Case.Exists)
                        throw std::runtime_error("Locate found what it should not, or not");
                    if (Case.Exists)
                        Fold(Sum, Table->FieldByName("Name")->GetAsString());
                },
                [&](uint64_t& Sum) { Bare->Find(Case.Prefix, Sum); });
        }
    });
}

// Next 1,000 times, reading Name each time, in the primary key's order (Arg 0) or in the
// two-field index's order (Arg 1), beside the bare engine reading on 1,000 rows.
void BM_Next1000(benchmark::State& State, TEngineKind Kind) {
    const bool ByCity = State.range(0) != 0;
    Guarded(State, [&] {
        TBareEngine& Engine = BareEngine(Kind);
        HoldConnection(Engine, true);
        std::unique_ptr<TTable> Table = OpenTable(Engine, ByCity ? "City;Name" : "");
        platform::TField* Name = Table->FieldByName("Name");
        const std::string Order = ByCity ? ByCityName : R"("Id")";
        std::unique_ptr<TBareScroller> Bare;
        // Both stand on the first record; both go back there before reaching the end.
        auto Restart = [&] {
            Table->First();
            Bare.reset();
            Bare = Engine.Held().Scroller(Order);
            uint64_t Ignored = 0;
            Bare->Next(1, Ignored);
        };
        Restart();
        int64_t Position = 1;
        TPair Pair(State, Engine.Heading(),
                   ByCity ? "Next x1000 (City;Name order)" : "Next x1000 (primary key order)");
        for (auto _ : State) {
            if (Position + 1000 > Engine.Rows()) {
                Restart();
                Position = 1;
            }
            Pair.Run(
                [&](uint64_t& Sum) {
                    for (int I = 0; I < 1000; ++I) {
                        Table->Next();
                        Fold(Sum, Name->GetAsString());
                    }
                },
                [&](uint64_t& Sum) { Bare->Next(1000, Sum); });
            Position += 1000;
        }
    });
}

// Reading every record from First to the end, with the peak memory of doing so.
void BM_ScanAll(benchmark::State& State, TEngineKind Kind) {
    Guarded(State, [&] {
        TBareEngine& Engine = BareEngine(Kind);
        HoldConnection(Engine, true);
        TPair Pair(State, Engine.Heading(), "First, then Next through all records");
        for (auto _ : State) {
            double Growth = 0;
            Pair.Run(
                [&](uint64_t& Sum) {
                    TMemoryProbe Probe;
                    std::unique_ptr<TTable> Table = OpenTable(Engine, "");
                    platform::TField* Name = Table->FieldByName("Name");
                    for (Table->First(); !Table->GetEOF(); Table->Next())
                        Fold(Sum, Name->GetAsString());
                    Growth = Probe.GrowthMiB();
                },
                [&](uint64_t& Sum) {
                    std::unique_ptr<TBareScroller> All = Engine.Held().Scroller(R"("Id")");
                    while (All->Next(1000, Sum)) {
                    }
                });
            State.counters["varn_MiB"] = Growth;
        }
    });
}

// The benchmarks of one engine, named after it ("PostgreSQL/BM_Next1000/1"); the
// memory benchmarks of all engines are registered first, while the heap is small.
void RegisterMemoryBenchmark(const std::string& Engine, TEngineKind Kind) {
    benchmark::RegisterBenchmark((Engine + "/BM_MemoryScrolledToEnd").c_str(),
                                 BM_MemoryScrolledToEnd, Kind)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

void RegisterBenchmarks(const std::string& Engine, TEngineKind Kind) {
    auto Register = [&](const char* Name, void (*Function)(benchmark::State&, TEngineKind)) {
        return benchmark::RegisterBenchmark((Engine + "/" + Name).c_str(), Function, Kind)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    };
    Register("BM_OpenRead30", BM_OpenRead30)->Arg(1)->Arg(0);
    Register("BM_ReorderRead30", BM_ReorderRead30);
    Register("BM_LocatePrefix", BM_LocatePrefix)->DenseRange(0, 4);
    Register("BM_Next1000", BM_Next1000)->Arg(0)->Arg(1);
    // A full scan takes seconds on a server: once there.
    Register("BM_ScanAll", BM_ScanAll)
        ->Iterations(Kind == ekSQLite ? 3 : 1)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

}  // namespace varnbench

int main(int argc, char** argv) {
    using namespace varnbench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const bool Postgres = !PostgresConnInfo().empty();
    RegisterMemoryBenchmark("SQLite", ekSQLite);
    if (Postgres)
        RegisterMemoryBenchmark("PostgreSQL", ekPostgreSQL);
    RegisterBenchmarks("SQLite", ekSQLite);
    if (Postgres)
        RegisterBenchmarks("PostgreSQL", ekPostgreSQL);
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary("TTable beside the bare engine, same run");
    benchmark::Shutdown();
    HeldConnection.reset();
    ReleaseBareEngines();
    if (TLargeDbFile::Made())
        TLargeDbFile::Get().Release();
    return 0;
}
