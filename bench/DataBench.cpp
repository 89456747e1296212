// Speed and memory of the data layer on a table of a million rows. Each operation of a
// TTable is timed beside the bare SQLite C API doing the same work, the two alternating
// within the same iterations, and reported as both times and their ratio; a summary
// table follows the benchmark output. The table comes from VARN_LARGE_DB (made there when
// the file does not exist) or is made in a temporary folder for the run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "LargeDb.h"
#include "platform/DBTables.h"

namespace {

using platform::TTable;
using Clock = std::chrono::steady_clock;

// The bare statements select the table's columns in the table's order, as TTable does.
const std::string SelectList =
    R"("Id", "Name", "FirstName", "City", "Born", "Visits", "Balance", "Member")";
constexpr int NameColumn = 1;

// ---- The bare engine ----

class TStatement {
  public:
    TStatement(sqlite3* Db, const std::string& Sql) : FDb(Db) {
        if (sqlite3_prepare_v2(Db, Sql.c_str(), static_cast<int>(Sql.size()), &FStmt, nullptr) !=
            SQLITE_OK)
            throw std::runtime_error(Sql + ": " + sqlite3_errmsg(Db));
    }
    ~TStatement() { sqlite3_finalize(FStmt); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    sqlite3_stmt* Handle() const { return FStmt; }
    bool Step() {
        int Rc = sqlite3_step(FStmt);
        if (Rc == SQLITE_ROW)
            return true;
        if (Rc == SQLITE_DONE)
            return false;
        throw std::runtime_error(sqlite3_errmsg(FDb));
    }
    void Reset() { sqlite3_reset(FStmt); }
    void BindText(int Index, const std::string& Text) {
        sqlite3_bind_text(FStmt, Index, Text.data(), static_cast<int>(Text.size()),
                          SQLITE_TRANSIENT);
    }

  private:
    sqlite3* FDb;
    sqlite3_stmt* FStmt = nullptr;
};

sqlite3* OpenBare(const std::string& Path) {
    sqlite3* Db = nullptr;
    // The same flags as the data layer's connections.
    if (sqlite3_open_v2(Path.c_str(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(Db);
        throw std::runtime_error("Cannot open " + Path);
    }
    return Db;
}

// Reads every column of the current row, as the data layer's cursor does, and gives the
// Name column as a string, as reading a field's AsString does.
std::string ReadBareRow(const TStatement& Statement) {
    sqlite3_stmt* Stmt = Statement.Handle();
    int64_t Sink = 0;
    for (int C = 0; C < sqlite3_column_count(Stmt); ++C) {
        switch (sqlite3_column_type(Stmt, C)) {
            case SQLITE_INTEGER:
                Sink += sqlite3_column_int64(Stmt, C);
                break;
            case SQLITE_FLOAT:
                Sink += static_cast<int64_t>(sqlite3_column_double(Stmt, C));
                break;
            case SQLITE_TEXT:
                Sink += *sqlite3_column_text(Stmt, C) + sqlite3_column_bytes(Stmt, C);
                break;
            default:
                break;
        }
    }
    benchmark::DoNotOptimize(Sink);
    auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(Stmt, NameColumn));
    return std::string(Text, static_cast<size_t>(sqlite3_column_bytes(Stmt, NameColumn)));
}

// Folds a record's name into a checksum, so the two sides can be compared afterwards.
void Fold(uint64_t& Checksum, const std::string& Name) {
    Checksum = Checksum * 1000003u + std::hash<std::string>{}(Name);
}

// ---- The large table ----

class TLargeDatabase {
  public:
    static TLargeDatabase& Get() {
        static TLargeDatabase Database;
        return Database;
    }
    // Whether Get() has made or found the database in this run.
    static bool Made() { return FMade; }
    const std::string& Path() const { return FPath; }
    int64_t Rows() const { return FRows; }
    // A bare connection, open for the whole run.
    sqlite3* Bare() const { return FBare; }
    // While held, tables share one open connection of the data layer, as in an
    // application that keeps its database open; otherwise each table opens its own.
    void HoldConnection(bool Hold) { FHeld = Hold ? platform::ConnectDatabase(FPath) : nullptr; }
    // Closes the connections and removes a temporary database.
    void Release() {
        FHeld.reset();
        sqlite3_close(FBare);
        FBare = nullptr;
        std::error_code Ignored;
        if (!FDirectory.empty())
            std::filesystem::remove_all(FDirectory, Ignored);
    }

  private:
    TLargeDatabase() {
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
        try {
            if (!std::filesystem::exists(FPath))
                Make();
            FBare = OpenBare(FPath);
            TStatement Count(FBare, "SELECT COUNT(*) FROM people");
            Count.Step();
            FRows = sqlite3_column_int64(Count.Handle(), 0);
        } catch (...) {
            Release();
            throw;
        }
        FMade = true;
    }
    void Make() {
        std::fprintf(stderr, "Making the table people of 1,000,000 rows in %s ...\n",
                     FPath.c_str());
        auto Start = Clock::now();
        varnbench::MakeLargeDb(FPath);
        std::chrono::duration<double> Took = Clock::now() - Start;
        std::fprintf(stderr, "... made in %.1f s\n", Took.count());
    }

    std::string FDirectory;
    std::string FPath;
    int64_t FRows = 0;
    sqlite3* FBare = nullptr;
    std::shared_ptr<platform::engine::Connection> FHeld;
    static inline bool FMade = false;
};

std::unique_ptr<TTable> OpenTable(const std::string& Order) {
    auto Table = std::make_unique<TTable>(nullptr);
    Table->SetDatabaseName(TLargeDatabase::Get().Path());
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

// ---- Memory ----

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

// Measures the growth of the resident set while Work runs: its peak where it can be
// reset, else the growth when Work reports its state.
class TMemoryProbe {
  public:
    TMemoryProbe() : FPeakReset(ResetPeak()), FBefore(StatusBytes("VmRSS")) {}
    // Call while the measured state is still there.
    double GrowthMiB() const {
        double Now = StatusBytes(FPeakReset ? "VmHWM" : "VmRSS");
        return (Now - FBefore) / (1024 * 1024);
    }
    bool Peak() const { return FPeakReset; }

  private:
    bool FPeakReset;
    double FBefore;
};

// ---- Figures and the summary ----

struct TFigure {
    std::string Operation;
    double Varn = 0;  // seconds per operation, or MiB for memory
    double Bare = 0;
    bool Memory = false;
};

std::vector<TFigure>& Figures() {
    static std::vector<TFigure> List;
    return List;
}

// Keeps the figure of an operation; a later run of the same operation replaces it.
void Record(const TFigure& Figure) {
    for (TFigure& F : Figures())
        if (F.Operation == Figure.Operation) {
            F = Figure;
            return;
        }
    Figures().push_back(Figure);
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

void PrintSummary() {
    if (Figures().empty())
        return;
    std::printf("\nTTable beside the bare SQLite C API, %lld rows, same run\n",
                static_cast<long long>(TLargeDatabase::Get().Rows()));
    std::printf("%-58s %12s %12s %7s\n", "operation", "Varn", "bare", "ratio");
    for (const TFigure& F : Figures()) {
        std::string Varn, Bare;
        if (F.Memory) {
            char Buffer[32];
            std::snprintf(Buffer, sizeof Buffer, "%.1f MiB", F.Varn);
            Varn = Buffer;
            std::snprintf(Buffer, sizeof Buffer, "%.1f MiB", F.Bare);
            Bare = Buffer;
            std::printf("%-58s %12s %12s %7s\n", F.Operation.c_str(), Varn.c_str(), Bare.c_str(),
                        "");
        } else {
            std::printf("%-58s %12s %12s %7.2f\n", F.Operation.c_str(), FormatTime(F.Varn).c_str(),
                        FormatTime(F.Bare).c_str(), F.Varn / F.Bare);
        }
    }
}

// Times the data layer's work and the bare work alternately (which goes first changes
// each iteration, so neither always meets the cache the other warmed), checks that both
// read the same records and reports both times and their ratio.
class TPair {
  public:
    TPair(benchmark::State& State, std::string Operation)
        : FState(State), FOperation(std::move(Operation)) {}

    template <class TVarnWork, class TBareWork>
    void Run(TVarnWork&& VarnWork, TBareWork&& BareWork) {
        uint64_t VarnSum = 0, BareSum = 0;
        double VarnSeconds, BareSeconds;
        if (FCount % 2 == 0) {
            VarnSeconds = Time([&] { VarnWork(VarnSum); });
            BareSeconds = Time([&] { BareWork(BareSum); });
        } else {
            BareSeconds = Time([&] { BareWork(BareSum); });
            VarnSeconds = Time([&] { VarnWork(VarnSum); });
        }
        if (VarnSum != BareSum && FMismatches++ == 0)
            std::fprintf(stderr, "%s: TTable and the bare statement read different records\n",
                         FOperation.c_str());
        FVarn += VarnSeconds;
        FBare += BareSeconds;
        ++FCount;
        FState.SetIterationTime(VarnSeconds);
    }

    ~TPair() {
        // A benchmark that an error ended reports nothing.
        if (FCount == 0 || std::uncaught_exceptions() > 0)
            return;
        double Varn = FVarn / static_cast<double>(FCount);
        double Bare = FBare / static_cast<double>(FCount);
        FState.counters["bare_us"] = Bare * 1e6;
        FState.counters["varn_us"] = Varn * 1e6;
        FState.counters["ratio"] = Varn / Bare;
        if (FMismatches > 0) {
            FState.SkipWithError("TTable and the bare statement read different records");
            return;
        }
        Record({FOperation, Varn, Bare, false});
    }

  private:
    template <class TWork>
    static double Time(TWork&& Work) {
        auto Start = Clock::now();
        Work();
        return std::chrono::duration<double>(Clock::now() - Start).count();
    }

    benchmark::State& FState;
    std::string FOperation;
    double FVarn = 0;
    double FBare = 0;
    int64_t FCount = 0;
    int64_t FMismatches = 0;
};

// Runs a benchmark body; an error of the data layer ends the benchmark with its message.
template <class TBody>
void Guarded(benchmark::State& State, TBody&& Body) {
    try {
        Body();
    } catch (const std::exception& E) {
        State.SkipWithError(E.what());
    }
}

// ---- The benchmarks ----

// Peak memory while a table is open and scrolled to its end (and re-sorted and scrolled
// again), beside a bare connection reading the rows that were shown. Runs first, while
// the process's heap is small; the bare connection is measured before the table.
void BM_MemoryScrolledToEnd(benchmark::State& State) {
    Guarded(State, [&] {
        TLargeDatabase& Db = TLargeDatabase::Get();
        Db.HoldConnection(false);
        for (auto _ : State) {
            double VarnGrowth, BareGrowth;
            {
                TMemoryProbe Probe;
                sqlite3* Bare = OpenBare(Db.Path());
                {
                    TStatement Desc(Bare, "SELECT " + SelectList +
                                              R"( FROM people ORDER BY "Id" DESC LIMIT 1000)");
                    while (Desc.Step())
                        benchmark::DoNotOptimize(ReadBareRow(Desc));
                    TStatement CityName(Bare, "SELECT " + SelectList +
                                                  R"( FROM people ORDER BY "City" DESC, )"
                                                  R"("Name" DESC, "Id" DESC LIMIT 1000)");
                    while (CityName.Step())
                        benchmark::DoNotOptimize(ReadBareRow(CityName));
                    BareGrowth = Probe.GrowthMiB();
                }
                sqlite3_close(Bare);
            }
            auto Start = Clock::now();
            bool Peak;
            {
                TMemoryProbe Probe;
                std::unique_ptr<TTable> Table = OpenTable("");
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
            Record({Peak ? "memory: open, Last, 1000 Prior/Next, re-sort (peak RSS growth)"
                         : "memory: open, Last, 1000 Prior/Next, re-sort (RSS growth)",
                    VarnGrowth, BareGrowth, true});
        }
    });
}
BENCHMARK(BM_MemoryScrolledToEnd)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Opening a table and reading its first 30 records (Arg 1: with the connection held by
// the application; Arg 0: each table opens the database file itself).
void BM_OpenRead30(benchmark::State& State) {
    Guarded(State, [&] {
        TLargeDatabase& Db = TLargeDatabase::Get();
        const bool Held = State.range(0) != 0;
        Db.HoldConnection(Held);
        const std::string Sql = "SELECT " + SelectList + R"( FROM people ORDER BY "Id" LIMIT 30)";
        TPair Pair(State, Held ? "open + read 30 records (connection held)"
                               : "open + read 30 records (connecting each time)");
        for (auto _ : State) {
            Pair.Run(
                [&](uint64_t& Sum) {
                    std::unique_ptr<TTable> Table = OpenTable("");
                    ReadRecords(*Table, 30, Sum);
                },
                [&](uint64_t& Sum) {
                    sqlite3* Connection = Held ? Db.Bare() : OpenBare(Db.Path());
                    {
                        TStatement First(Connection, Sql);
                        while (First.Step())
                            Fold(Sum, ReadBareRow(First));
                    }
                    if (!Held)
                        sqlite3_close(Connection);
                });
        }
    });
}
BENCHMARK(BM_OpenRead30)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Changing the order of an open table to the two-field index and reading the first 30
// records in it.
void BM_ReorderRead30(benchmark::State& State) {
    Guarded(State, [&] {
        TLargeDatabase& Db = TLargeDatabase::Get();
        Db.HoldConnection(true);
        const std::string Sql =
            "SELECT " + SelectList + R"( FROM people ORDER BY "City", "Name", "Id" LIMIT 30)";
        std::unique_ptr<TTable> Table = OpenTable("");
        TPair Pair(State, "IndexFieldNames := City;Name, read first 30");
        for (auto _ : State) {
            Table->SetIndexFieldNames("");
            Pair.Run(
                [&](uint64_t& Sum) {
                    Table->SetIndexFieldNames("City;Name");
                    Table->First();
                    ReadRecords(*Table, 30, Sum);
                },
                [&](uint64_t& Sum) {
                    TStatement First(Db.Bare(), Sql);
                    while (First.Step())
                        Fold(Sum, ReadBareRow(First));
                });
        }
    });
}
BENCHMARK(BM_ReorderRead30)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Locate on the first field of the order (Name) with a prefix early, midway and late
// in the alphabet, one that no name has, and one case-sensitive.
void BM_LocatePrefix(benchmark::State& State) {
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
        TLargeDatabase& Db = TLargeDatabase::Get();
        Db.HoldConnection(true);
        std::unique_ptr<TTable> Table = OpenTable("Name");
        platform::TLocateOptions Options{platform::loPartialKey};
        if (Case.CaseInsensitive)
            Options.Include(platform::loCaseInsensitive);
        // The same statement as the data layer's, prepared once and run again.
        TStatement Bare(Db.Bare(), "SELECT " + SelectList + " FROM people WHERE " +
                                       (Case.CaseInsensitive ? R"("Name" LIKE ?1 ESCAPE '\')"
                                                             : R"("Name" GLOB ?1)") +
                                       R"( ORDER BY "Name", "Id" LIMIT 1)");
        const std::string Pattern = std::string(Case.Prefix) + (Case.CaseInsensitive ? "%" : "*");
        TPair Pair(State, std::string("Locate Name '") + Case.Prefix + "' partial" +
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
                [&](uint64_t& Sum) {
                    Bare.BindText(1, Pattern);
                    if (Bare.Step())
                        Fold(Sum, ReadBareRow(Bare));
                    Bare.Reset();
                });
        }
    });
}
BENCHMARK(BM_LocatePrefix)->DenseRange(0, 4)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Next 1,000 times, reading Name each time, in the primary key's order (Arg 0) or in the
// two-field index's order (Arg 1), beside stepping the ordered statement 1,000 rows.
void BM_Next1000(benchmark::State& State) {
    const bool ByCity = State.range(0) != 0;
    Guarded(State, [&] {
        TLargeDatabase& Db = TLargeDatabase::Get();
        Db.HoldConnection(true);
        std::unique_ptr<TTable> Table = OpenTable(ByCity ? "City;Name" : "");
        platform::TField* Name = Table->FieldByName("Name");
        TStatement Ordered(Db.Bare(), "SELECT " + SelectList + " FROM people ORDER BY " +
                                          (ByCity ? R"("City", "Name", "Id")" : R"("Id")"));
        // Both stand on the first record; both go back there before reaching the end.
        Ordered.Step();
        int64_t Position = 1;
        TPair Pair(State,
                   ByCity ? "Next x1000 (City;Name order)" : "Next x1000 (primary key order)");
        for (auto _ : State) {
            if (Position + 1000 > Db.Rows()) {
                Table->First();
                Ordered.Reset();
                Ordered.Step();
                Position = 1;
            }
            Pair.Run(
                [&](uint64_t& Sum) {
                    for (int I = 0; I < 1000; ++I) {
                        Table->Next();
                        Fold(Sum, Name->GetAsString());
                    }
                },
                [&](uint64_t& Sum) {
                    for (int I = 0; I < 1000; ++I) {
                        Ordered.Step();
                        Fold(Sum, ReadBareRow(Ordered));
                    }
                });
            Position += 1000;
        }
    });
}
BENCHMARK(BM_Next1000)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Reading every record from First to the end, with the peak memory of doing so.
void BM_ScanAll(benchmark::State& State) {
    Guarded(State, [&] {
        TLargeDatabase& Db = TLargeDatabase::Get();
        Db.HoldConnection(true);
        TPair Pair(State, "First, then Next through all records");
        for (auto _ : State) {
            double Growth = 0;
            Pair.Run(
                [&](uint64_t& Sum) {
                    TMemoryProbe Probe;
                    std::unique_ptr<TTable> Table = OpenTable("");
                    platform::TField* Name = Table->FieldByName("Name");
                    for (Table->First(); !Table->GetEOF(); Table->Next())
                        Fold(Sum, Name->GetAsString());
                    Growth = Probe.GrowthMiB();
                },
                [&](uint64_t& Sum) {
                    TStatement All(Db.Bare(),
                                   "SELECT " + SelectList + R"( FROM people ORDER BY "Id")");
                    while (All.Step())
                        Fold(Sum, ReadBareRow(All));
                });
            State.counters["varn_MiB"] = Growth;
        }
    });
}
BENCHMARK(BM_ScanAll)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary();
    benchmark::Shutdown();
    if (TLargeDatabase::Made())
        TLargeDatabase::Get().Release();
    return 0;
}
