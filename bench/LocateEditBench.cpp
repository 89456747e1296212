// Incremental search as a user types: six-letter names typed letter by letter into a
// TDBLocateEdit bound to the large table (its indexed Name, default options), on SQLite
// and, when VARN_PG_CONNINFO names a server, on PostgreSQL. Each keystroke is timed beside
// the bare engine's query that finds the same record for the prefix typed so far.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "BareEngine.h"
#include "BenchSupport.h"
#include "platform/Controls.h"
#include "platform/DBTables.h"
#include "varn/locateedit/DBLocateEdit.h"

namespace varnbench {

namespace {

// A form with a locate edit bound to the large table in Name order, the focus in the
// edit, typed into through the input layer.
class TSearchForm {
  public:
    explicit TSearchForm(const TBareEngine& Engine) {
        FForm->SetBounds(0, 0, 400, 300);
        FTable = new platform::TTable(FForm.get());
        FTable->SetDatabaseName(Engine.DatabaseName());
        FTable->SetTableName("people");
        FTable->SetIndexFieldNames("Name");
        FTable->Open();
        auto* Source = new platform::TDataSource(FForm.get());
        Source->SetDataSet(FTable);
        FEdit = new varn::TDBLocateEdit(FForm.get());
        FEdit->SetParent(FForm.get());
        FEdit->SetBounds(8, 8, 200, 24);
        FEdit->SetDataSource(Source);
        FEdit->SetDataField("Name");
        FInput.ClickOn(*FEdit);
    }
    TSearchForm(const TSearchForm&) = delete;
    TSearchForm& operator=(const TSearchForm&) = delete;

    // Types one character; gives the Name of the record the search moved to.
    std::string Type(char C) {
        FInput.TypeChar(C);
        if (!FEdit->GetLocateResult())
            throw std::runtime_error("The locate edit found no record for '" + FEdit->GetText() +
                                     "'");
        return FTable->FieldByName("Name")->GetAsString();
    }
    // Empties the edit for the next name.
    void Clear() { FEdit->SetText(""); }

  private:
    std::unique_ptr<platform::TForm> FForm = std::make_unique<platform::TForm>(nullptr);
    platform::TInput FInput{*FForm};
    platform::TTable* FTable = nullptr;
    varn::TDBLocateEdit* FEdit = nullptr;
};

// Types Name from an empty edit in each iteration, beside the bare engine finding the
// first record that begins with each prefix of Name in turn; the times are per keystroke.
void BM_TypeName(benchmark::State& State, TEngineKind Kind, const std::string& Name) {
    Guarded(State, [&] {
        TBareEngine& Engine = BareEngine(Kind);
        TSearchForm Form(Engine);
        std::unique_ptr<TBareLocator> Bare = Engine.Held().Locator(true);
        TPair Pair(State, Engine.Heading(), "type '" + Name + "' letter by letter (per keystroke)",
                   static_cast<int>(Name.size()));
        for (auto _ : State) {
            Form.Clear();
            Pair.Run(
                [&](uint64_t& Sum) {
                    for (char C : Name)
                        Fold(Sum, Form.Type(C));
                },
                [&](uint64_t& Sum) {
                    for (size_t Typed = 1; Typed <= Name.size(); ++Typed)
                        if (!Bare->Find(Name.substr(0, Typed), Sum))
                            throw std::runtime_error("No name begins with " +
                                                     Name.substr(0, Typed));
                });
        }
    });
}

void RegisterBenchmarks(const std::string& Engine, TEngineKind Kind) {
    // Early, midway and late in the alphabet. A fixed count of names typed, so that the
    // median stands on several even where one name takes a second.
    for (const char* Name : {"Benson", "Morley", "Wilton"})
        benchmark::RegisterBenchmark((Engine + "/BM_TypeName/" + Name).c_str(), BM_TypeName, Kind,
                                     std::string(Name))
            ->Iterations(Kind == ekSQLite ? 100 : 10)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
}

}  // namespace

}  // namespace varnbench

int main(int argc, char** argv) {
    using namespace varnbench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RegisterBenchmarks("SQLite", ekSQLite);
    if (!PostgresConnInfo().empty())
        RegisterBenchmarks("PostgreSQL", ekPostgreSQL);
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary("TDBLocateEdit typing beside the bare engine's search, same run");
    benchmark::Shutdown();
    ReleaseBareEngines();
    if (TLargeDbFile::Made())
        TLargeDbFile::Get().Release();
    return 0;
}
