// Tables, queries, fields and data links on real databases: what does not depend on the
// engine runs on SQLite and on PostgreSQL alike.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <regex>

#include "platform/DBTables.h"
#include "support/TestDatabase.h"

using namespace platform;
using testing_support::EngineName;
using testing_support::TempDatabase;
using testing_support::tePostgreSQL;
using testing_support::teSQLite;
using testing_support::TTestDatabase;
using testing_support::TTestEngine;

namespace {

// 200 people: names repeat (ties are broken by Id), every seventh city is null, so that
// walking any order crosses many windows, nulls and duplicates.
std::string PeopleSql() {
    std::string Sql =
        "CREATE TABLE people (\"Id\" INTEGER PRIMARY KEY, \"Name\" VARCHAR(30),"
        " \"City\" VARCHAR(30), \"Amount\" INTEGER);"
        "CREATE INDEX people_name ON people (\"Name\");"
        "CREATE INDEX people_city_name ON people (\"City\", \"Name\");";
    const char* Names[] = {"Smith", "smithers", "SMYTHE", "Jones", "O'Brien",   "de la Cruz",
                           "Adams", "Baker",    "baker",  "Zed",   "Smallwood", "Miller"};
    const char* Cities[] = {"Paris", "Oslo", "Rome", "Bern", "Lima"};
    Sql += "INSERT INTO people VALUES ";
    for (int I = 1; I <= 200; ++I) {
        std::string Name = Names[(I * 7) % 12];
        std::string Quoted;
        for (char C : Name)
            Quoted += C == '\'' ? std::string("''") : std::string(1, C);
        std::string City = I % 7 == 0 ? "NULL" : "'" + std::string(Cities[(I * 3) % 5]) + "'";
        Sql += (I > 1 ? "," : "") + std::string("(") + std::to_string(I) + ",'" + Quoted + "'," +
               City + "," + std::to_string((I * 37) % 101) + ")";
    }
    return Sql + ";";
}

// SQL text for the test tables, whose columns are named with capitals: the names are quoted
// (outside string literals), so that a server that folds unquoted names finds them.
std::string QuoteColumns(const std::string& Sql) {
    static const std::regex Column(
        "\\b(Id|Name|City|Amount|CustNo|Discount|OrderNo|SaleDate|Total)\\b");
    std::string Result;
    size_t Start = 0;
    bool InLiteral = false;
    for (size_t I = 0; I <= Sql.size(); ++I) {
        if (I < Sql.size() && Sql[I] != '\'')
            continue;
        std::string Part = Sql.substr(Start, I - Start);
        Result += InLiteral ? Part : std::regex_replace(Part, Column, "\"$1\"");
        if (I < Sql.size())
            Result += '\'';
        InLiteral = !InLiteral;
        Start = I + 1;
    }
    return Result;
}

// A test that runs on each engine.
class EngineTest : public ::testing::TestWithParam<TTestEngine> {
  protected:
    bool Local() const { return GetParam() == teSQLite; }
};

std::string EngineOf(const ::testing::TestParamInfo<TTestEngine>& Info) {
    return EngineName(Info.param);
}

class TableTest : public EngineTest {
  protected:
    TableTest() : Db(TTestDatabase::Make(GetParam(), PeopleSql())) {
        Table = new TTable(&Owner);
        Table->SetName("People");
        Table->SetDatabaseName(Db->DatabaseName());
        Table->SetTableName("people");
    }

    // The Ids of all records, walking forward from First.
    std::vector<std::string> WalkForward() {
        std::vector<std::string> Ids;
        for (Table->First(); !Table->GetEOF(); Table->Next())
            Ids.push_back(Table->FieldByName("Id")->GetAsString());
        return Ids;
    }
    std::vector<std::string> WalkBackward() {
        std::vector<std::string> Ids;
        for (Table->Last(); !Table->GetBOF(); Table->Prior())
            Ids.insert(Ids.begin(), Table->FieldByName("Id")->GetAsString());
        return Ids;
    }

    // The first column of a query on the database, the test tables' names quoted.
    std::vector<std::string> Ground(const std::string& Sql) {
        return Db->Column(QuoteColumns(Sql));
    }
    void Execute(const std::string& Sql) { Db->Execute(QuoteColumns(Sql)); }

    std::unique_ptr<TTestDatabase> Db;
    TComponent Owner{nullptr};
    TTable* Table;
};

}  // namespace

TEST_P(TableTest, WalksEveryOrderExactlyAsTheEngineOrdersIt) {
    struct Case {
        const char* IndexFieldNames;
        const char* OrderBy;
    } Cases[] = {
        {"", "\"Id\""},
        {"Name", "\"Name\", \"Id\""},
        {"City;Name", "\"City\", \"Name\", \"Id\""},
        {"City", "\"City\", \"Id\""},
    };
    Table->Open();
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.IndexFieldNames);
        Table->SetIndexFieldNames(C.IndexFieldNames);
        std::vector<std::string> Expected =
            Db->Column("SELECT \"Id\" FROM people ORDER BY " + std::string(C.OrderBy));
        EXPECT_EQ(WalkForward(), Expected);
        EXPECT_EQ(WalkBackward(), Expected);
    }
}

TEST_P(TableTest, LocalTableOrdersOnlyOnLeadingIndexFieldsAServerTableOnAny) {
    struct Case {
        const char* Order;
        bool Allowed;
    } Cases[] = {
        {"Name", true},    {"City", true},       {"City;Name", true},
        {"name", true},    {"Id", true},  // the primary key
        {"Amount", false}, {"Name;City", false}, {"City;Name;Amount", false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Order);
        Table->SetIndexFieldNames(C.Order);
        if (C.Allowed || !Local()) {
            EXPECT_NO_THROW(Table->Open());
        } else {
            try {
                Table->Open();
                ADD_FAILURE() << "opened";
            } catch (const EDatabaseError& E) {
                EXPECT_EQ(E.Message(), "People: Table 'people' has no index for fields '" +
                                           std::string(C.Order) + "'");
            }
            EXPECT_FALSE(Table->GetActive());
            EXPECT_EQ(Table->FieldCount(), 0);  // nothing half-open
        }
        Table->Close();
    }
}

TEST_P(TableTest, ChangingTheOrderKeepsTheCurrentRecordAndALocalFailureClosesTheTable) {
    Table->Open();
    ASSERT_TRUE(Table->Locate("Id", "123", {}));
    Table->SetIndexFieldNames("City;Name");
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "123");
    EXPECT_EQ(Table->GetIndexFieldCount(), 2);
    EXPECT_EQ(Table->GetIndexField(1)->GetFieldName(), "Name");
    // The next record is the next one in the new order.
    std::vector<std::string> Order =
        Db->Column("SELECT \"Id\" FROM people ORDER BY \"City\", \"Name\", \"Id\"");
    auto At = std::find(Order.begin(), Order.end(), "123");
    Table->Next();
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), *(At + 1));

    if (!Local()) {
        // A server orders on any fields.
        Table->SetIndexFieldNames("Amount");
        EXPECT_TRUE(Table->GetActive());
        EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), *(At + 1));
        return;
    }
    EXPECT_THROW(Table->SetIndexFieldNames("Amount"), EDatabaseError);
    EXPECT_FALSE(Table->GetActive());
    EXPECT_EQ(Table->GetIndexFieldCount(), 0);
    Table->SetIndexFieldNames("Name");
    Table->Open();
    EXPECT_EQ(Table->GetIndexField(0)->GetFieldName(), "Name");
}

TEST_P(TableTest, FieldsAndTheirErrors) {
    Table->Open();
    ASSERT_EQ(Table->FieldCount(), 4);
    EXPECT_EQ(Table->Fields(1)->GetFieldName(), "Name");
    EXPECT_EQ(Table->Fields(1)->GetDisplayLabel(), "Name");
    EXPECT_EQ(Table->Fields(1)->GetDataSet(), Table);
    EXPECT_EQ(Table->FindField("city"), Table->Fields(2));
    EXPECT_EQ(Table->FindField("Nope"), nullptr);
    try {
        Table->FieldByName("Nope");
        ADD_FAILURE();
    } catch (const EDatabaseError& E) {
        EXPECT_EQ(E.Message(), "People: Field 'Nope' not found");
    }
    Table->Close();
    EXPECT_EQ(Table->FieldCount(), 0);  // default fields go with the cursor
}

TEST(FieldTypes, ComeFromTheDeclaredColumnTypes) {
    TempDatabase Db(
        "CREATE TABLE t (Id INTEGER PRIMARY KEY AUTOINCREMENT, S VARCHAR(10), C CHAR(2),"
        " Tx TEXT, Sm SMALLINT, W WORD, B BOOLEAN, F FLOAT, R REAL, D DOUBLE, Cu CURRENCY,"
        " Mo MONEY, N NUMERIC(10,2), De DECIMAL, Da DATE, Ti TIME, Dt DATETIME, Ts TIMESTAMP,"
        " Me MEMO, Cl CLOB, Bl BLOB, G GRAPHIC, By BYTES, I INTEGER, Odd GEOMETRY, Nt);");
    TTable Table(nullptr);
    Table.SetDatabaseName(Db.Path());
    Table.SetTableName("t");
    Table.Open();
    TFieldType Expected[] = {ftAutoInc, ftString, ftString, ftString,  ftSmallint, ftWord,
                             ftBoolean, ftFloat,  ftFloat,  ftFloat,   ftCurrency, ftCurrency,
                             ftBCD,     ftBCD,    ftDate,   ftTime,    ftDateTime, ftDateTime,
                             ftMemo,    ftMemo,   ftBlob,   ftGraphic, ftBytes,    ftInteger,
                             ftUnknown, ftUnknown};
    ASSERT_EQ(Table.FieldCount(), static_cast<int>(std::size(Expected)));
    for (int I = 0; I < Table.FieldCount(); ++I)
        EXPECT_EQ(Table.Fields(I)->GetDataType(), Expected[I]) << Table.Fields(I)->GetFieldName();
    EXPECT_TRUE(Table.FieldByName("Me")->IsBlob());
    EXPECT_TRUE(Table.FieldByName("G")->IsBlob());
    EXPECT_FALSE(Table.FieldByName("S")->IsBlob());
}

TEST_P(EngineTest, Locate_NumberFieldAndTextThatIsNoNumberFindNothing) {
    auto Db =
        TTestDatabase::Make(GetParam(),
                            "CREATE TABLE t (Id INTEGER PRIMARY KEY, \"Qty?\" INTEGER, Name TEXT);"
                            "CREATE INDEX t_qty ON t (\"Qty?\");"
                            "INSERT INTO t VALUES (1, 5, '5'), (2, 7, 'abc'), (3, NULL, 'x?');");
    TTable Table(nullptr);
    Table.SetDatabaseName(Db->DatabaseName());
    Table.SetTableName("t");
    // A name holding the parameter mark of SQL text still orders and seeks.
    Table.SetIndexFieldNames("Qty?");
    Table.Open();
    std::vector<std::string> Ids;
    for (Table.First(); !Table.GetEOF(); Table.Next())
        Ids.push_back(Table.FieldByName("Id")->GetAsString());
    // Null sorts first on one engine and last on the other.
    EXPECT_EQ(Ids, Local() ? (std::vector<std::string>{"3", "1", "2"})
                           : (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_FALSE(Table.Locate("Qty?", "abc", {}));
    EXPECT_TRUE(Table.Locate("Qty?", " 7 ", {}));
    EXPECT_EQ(Table.FieldByName("Id")->GetAsString(), "2");
    EXPECT_TRUE(Table.Locate("Name", "x?", {loPartialKey}));
    EXPECT_EQ(Table.FieldByName("Id")->GetAsString(), "3");
}

TEST_P(EngineTest, FieldValues_AsTextAndNull) {
    auto Db = TTestDatabase::Make(
        GetParam(),
        "CREATE TABLE v (Id INTEGER PRIMARY KEY, B BOOLEAN, F FLOAT, Cu CURRENCY, Da DATE, S TEXT);"
        "INSERT INTO v VALUES (1, TRUE, 2.5, 12.25, '2024-03-15', 'x'), (2, FALSE, NULL, 3, NULL, "
        "'');");
    TTable Table(nullptr);
    Table.SetDatabaseName(Db->DatabaseName());
    Table.SetTableName("v");
    Table.Open();
    EXPECT_EQ(Table.FieldByName("B")->GetAsString(), "True");
    EXPECT_TRUE(Table.FieldByName("B")->GetAsBoolean());
    EXPECT_EQ(Table.FieldByName("F")->GetAsString(), "2.5");
    EXPECT_EQ(Table.FieldByName("Cu")->GetAsString(), "12.25");
    EXPECT_EQ(Table.FieldByName("Da")->GetAsString(), "2024-03-15");
    Table.Next();
    EXPECT_EQ(Table.FieldByName("B")->GetAsString(), "False");
    EXPECT_TRUE(Table.FieldByName("F")->IsNull());
    EXPECT_EQ(Table.FieldByName("F")->GetAsString(), "");
    EXPECT_FALSE(Table.FieldByName("S")->IsNull());
    EXPECT_EQ(Table.FieldByName("Cu")->GetAsInteger(), 3);
}

TEST_P(TableTest, NavigationFlagsAndEmptyTables) {
    Table->Open();
    EXPECT_TRUE(Table->GetBOF());
    EXPECT_FALSE(Table->GetEOF());
    Table->Prior();
    EXPECT_TRUE(Table->GetBOF());
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "1");
    Table->Last();
    EXPECT_TRUE(Table->GetEOF());
    Table->Next();
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "200");  // stays on the last record
    EXPECT_EQ(Table->MoveBy(-150), -150);
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "50");
    EXPECT_EQ(Table->MoveBy(-100), -49);
    EXPECT_EQ(Table->RecordCount(), 200);

    Execute("DELETE FROM people;");
    Table->Refresh();
    EXPECT_TRUE(Table->IsEmpty());
    EXPECT_TRUE(Table->GetBOF() && Table->GetEOF());
    EXPECT_TRUE(Table->FieldByName("Name")->IsNull());
    EXPECT_EQ(Table->GetBookmark(), "");
    EXPECT_EQ(Table->RecordCount(), 0);
}

TEST_P(TableTest, BookmarksReturnToTheirRecordOnly) {
    Table->Open();
    Table->SetIndexFieldNames("Name");
    Table->MoveBy(117);
    TBookmark Mark = Table->GetBookmark();
    std::string Id = Table->FieldByName("Id")->GetAsString();
    Table->First();
    Table->SetBookmark(Mark);
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), Id);
    Table->Next();  // the neighbours are those of the order
    Table->Prior();
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), Id);

    TTable Other(nullptr);
    Other.SetDatabaseName(Db->DatabaseName());
    Other.SetTableName("people");
    Other.Open();
    EXPECT_THROW(Other.SetBookmark(Mark), EDatabaseError);
    EXPECT_THROW(Other.SetBookmark("garbage"), EDatabaseError);

    Execute("DELETE FROM people WHERE Id = " + Id + ";");
    try {
        Table->SetBookmark(Mark);
        ADD_FAILURE();
    } catch (const EDatabaseError& E) {
        EXPECT_EQ(E.Message(), "People: The bookmarked record no longer exists");
    }
}

TEST_P(TableTest, LocateFindsTheFirstMatchInTheCurrentOrder) {
    Table->SetIndexFieldNames("City;Name");
    Table->Open();
    struct Case {
        const char* Fields;
        std::vector<std::string> Values;
        TLocateOptions Options;
        const char* ExpectedSql;  // the first match, as the engine orders it; null: none
    } Cases[] = {
        {"Name",
         {"sm"},
         {loCaseInsensitive, loPartialKey},
         "SELECT Id FROM people WHERE upper(substr(Name,1,2)) = 'SM' ORDER BY City, Name, Id LIMIT "
         "1"},
        {"Name",
         {"SM"},
         {loPartialKey},
         "SELECT Id FROM people WHERE substr(Name,1,2) = 'SM' ORDER BY City, Name, Id LIMIT 1"},
        {"Name",
         {"baker"},
         {},
         "SELECT Id FROM people WHERE Name = 'baker' ORDER BY City, Name, Id LIMIT 1"},
        {"Name",
         {"BAKER"},
         {loCaseInsensitive},
         "SELECT Id FROM people WHERE upper(Name) = 'BAKER' ORDER BY City, Name, Id LIMIT 1"},
        {"Name",
         {"o'b"},
         {loCaseInsensitive, loPartialKey},
         "SELECT Id FROM people WHERE Name = 'O''Brien' ORDER BY City, Name, Id LIMIT 1"},
        {"City;Name",
         {"Rome", "Zed"},
         {},
         "SELECT Id FROM people WHERE City = 'Rome' AND Name = 'Zed' ORDER BY City, Name, Id LIMIT "
         "1"},
        {"Amount",
         {"42"},
         {},
         "SELECT Id FROM people WHERE Amount = 42 ORDER BY City, Name, Id LIMIT 1"},
        {"Name", {"%"}, {loCaseInsensitive, loPartialKey}, nullptr},  // wildcards are plain text
        {"Name", {"*"}, {loPartialKey}, nullptr},
        {"Name",
         {"smi"},
         {loPartialKey},
         "SELECT Id FROM people WHERE Name = 'smithers' ORDER BY City, Name, Id LIMIT 1"},
        {"Name", {"Nobody"}, {loCaseInsensitive}, nullptr},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Fields) + " " + C.Values[0]);
        Table->Last();
        bool Found = Table->Locate(C.Fields, C.Values, C.Options);
        if (C.ExpectedSql == nullptr) {
            EXPECT_FALSE(Found);
            EXPECT_EQ(
                Table->FieldByName("Id")->GetAsString(),
                Ground("SELECT Id FROM people ORDER BY City DESC, Name DESC, Id DESC LIMIT 1")[0]);
            continue;
        }
        std::vector<std::string> Expected = Ground(C.ExpectedSql);
        ASSERT_EQ(Expected.size(), 1u);
        EXPECT_TRUE(Found);
        EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), Expected[0]);
        Table->Next();  // walking on from the found record follows the order
        EXPECT_FALSE(Table->GetBOF());
    }
    EXPECT_THROW(Table->Locate("Nope", "x", {}), EDatabaseError);
}

namespace {

// Records the notices a link hears, in order.
class TRecordingLink : public TDataLink {
  public:
    std::vector<std::string> Heard;

  protected:
    void ActiveChanged() override { Heard.push_back(GetActive() ? "active" : "inactive"); }
    void DataSetChanged() override { Heard.push_back("changed"); }
    void DataSetScrolled(int Distance) override {
        Heard.push_back("scrolled " + std::to_string(Distance));
    }
};

}  // namespace

TEST_P(TableTest, DataLinksHearOpeningOrderingScrollingAndClosing) {
    auto* Source = new TDataSource(&Owner);
    Source->SetDataSet(Table);
    TRecordingLink Link;
    Link.SetDataSource(Source);
    Table->Open();
    Table->Next();
    Table->Prior();
    Table->SetIndexFieldNames("Name");
    Table->Refresh();
    Table->Locate("Name", "Zed", {});
    Table->Close();
    std::vector<std::string> Expected{"active",  "changed", "scrolled 1", "scrolled -1",
                                      "changed", "changed", "changed",    "inactive"};
    EXPECT_EQ(Link.Heard, Expected);
}

TEST_P(TableTest, DisabledControlsHearOneChangeWhenTheLastEnableComes) {
    auto* Source = new TDataSource(&Owner);
    Source->SetDataSet(Table);
    TRecordingLink Link;
    Link.SetDataSource(Source);
    Table->DisableControls();
    Table->Open();
    Table->DisableControls();
    Table->Next();
    Table->EnableControls();
    EXPECT_TRUE(Link.Heard.empty());
    EXPECT_TRUE(Table->ControlsDisabled());
    Table->EnableControls();
    EXPECT_EQ(Link.Heard, (std::vector<std::string>{"active", "changed"}));
    EXPECT_FALSE(Table->ControlsDisabled());
    Table->EnableControls();  // an extra call does nothing
    EXPECT_EQ(Link.Heard.size(), 2u);
}

TEST_P(TableTest, FieldDataLinkFollowsTheRecordAndRejectsUnknownFields) {
    auto* Source = new TDataSource(&Owner);
    Source->SetDataSet(Table);
    TFieldDataLink Link;
    std::vector<std::string> Seen;
    int ActiveChanges = 0;
    Link.OnDataChange = [&](TObject*) {
        Seen.push_back(Link.GetField() ? Link.GetField()->GetAsString() : "(none)");
    };
    Link.OnActiveChange = [&](TObject*) { ++ActiveChanges; };
    Link.SetFieldName("Id");
    Link.SetDataSource(Source);
    EXPECT_EQ(Link.GetField(), nullptr);
    Table->Open();
    Table->Next();
    EXPECT_EQ(Seen, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(ActiveChanges, 1);
    EXPECT_THROW(Link.SetFieldName("Nope"), EDatabaseError);
    EXPECT_EQ(Link.GetFieldName(), "Id");
    Table->Close();
    EXPECT_EQ(ActiveChanges, 2);
    Link.SetFieldName("Nope");  // allowed while closed
    Table->Open();
    EXPECT_EQ(Link.GetField(), nullptr);
}

TEST_P(TableTest, DestroyingSourcesDatasetsAndLinksInAnyOrderIsSafe) {
    auto* Source = new TDataSource(&Owner);
    Source->SetDataSet(Table);
    auto Link = std::make_unique<TRecordingLink>();
    Link->SetDataSource(Source);
    Table->Open();
    delete Table;  // the source forgets it, the link hears it go
    EXPECT_EQ(Source->GetDataSet(), nullptr);
    EXPECT_EQ(Link->Heard.back(), "inactive");
    delete Source;
    EXPECT_EQ(Link->GetDataSource(), nullptr);

    // A link whose handler destroys the source while it is being told.
    auto* Table2 = new TTable(&Owner);
    Table2->SetDatabaseName(Db->DatabaseName());
    Table2->SetTableName("people");
    auto* Source2 = new TDataSource(&Owner);
    Source2->SetDataSet(Table2);
    struct TDestroyingLink : TDataLink {
        TDataSource* Victim;
        void ActiveChanged() override {
            if (Victim)
                delete std::exchange(Victim, nullptr);
        }
    };
    TDestroyingLink First, Second;
    First.Victim = Source2;
    Second.Victim = nullptr;
    First.SetDataSource(Source2);
    Second.SetDataSource(Source2);
    Table2->Open();
    EXPECT_EQ(First.GetDataSource(), nullptr);
    EXPECT_EQ(Second.GetDataSource(), nullptr);
}

TEST(DataSetErrors, NameWhatIsMissingAndLeaveNothingOpen) {
    TempDatabase Db("CREATE TABLE t (Id INTEGER PRIMARY KEY);");
    struct Case {
        std::string Database;
        std::string Table;
        std::string Message;
    } Cases[] = {
        {Db.Directory() + "/missing.db", "t",
         "Cannot open database '" + Db.Directory() + "/missing.db': unable to open database file"},
        {Db.Path(), "nothing", "Table 'nothing' does not exist in database '" + Db.Path() + "'"},
        {Db.Path(), "", "T1: No table name given"},
        {"", "t", "No database name given"},
    };
    for (const Case& C : Cases) {
        TTable Table(nullptr);
        Table.SetName("T1");
        Table.SetDatabaseName(C.Database);
        Table.SetTableName(C.Table);
        try {
            Table.Open();
            ADD_FAILURE() << C.Message;
        } catch (const EDatabaseError& E) {
            EXPECT_EQ(E.Message(), C.Message);
        }
        EXPECT_FALSE(Table.GetActive());
        EXPECT_EQ(Table.FieldCount(), 0);
    }
    TTable Closed(nullptr);
    Closed.SetName("T2");
    for (auto Navigate : {&TDataSet::First, &TDataSet::Next, &TDataSet::Prior, &TDataSet::Last}) {
        try {
            (Closed.*Navigate)();
            ADD_FAILURE();
        } catch (const EDatabaseError& E) {
            EXPECT_EQ(E.Message(), "T2: Cannot perform this operation on a closed dataset");
        }
    }
    EXPECT_THROW(Closed.RecordCount(), EDatabaseError);
    EXPECT_THROW(Closed.Locate("Id", "1", {}), EDatabaseError);
}

TEST(ServerFaults, TableDroppedOrSessionEndedClosesTheTableAndOpenWorksAgain) {
    testing_support::TPostgresTestDatabase Db(PeopleSql());
    TTable Table(nullptr);
    Table.SetName("People");
    Table.SetDatabaseName(Db.DatabaseName());
    Table.SetTableName("people");
    auto ExpectFailureThatCloses = [&](const std::function<void()>& Walk, const char* Server) {
        try {
            Walk();
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& E) {
            EXPECT_NE(E.Message().find(Server), std::string::npos) << E.Message();
        }
        EXPECT_FALSE(Table.GetActive());
        EXPECT_EQ(Table.FieldCount(), 0);
    };

    // A table dropped by another connection while it is open.
    Table.Open();
    Db.Execute("DROP TABLE people");
    ExpectFailureThatCloses([&] { Table.Last(); }, "relation \"people\" does not exist");
    Db.Execute(PeopleSql());
    Table.Open();
    EXPECT_EQ(Table.RecordCount(), 200);

    // The session ended by the server in the middle of scrolling.
    Table.MoveBy(40);
    Db.EndDataSetSessions();
    ExpectFailureThatCloses(
        [&] {
            for (int I = 0; I < 200; ++I)
                Table.Next();
        },
        "terminating connection");
    Table.Open();
    EXPECT_EQ(Table.RecordCount(), 200);

    // A column dropped elsewhere while the connection remembers the table's columns: the
    // next open reads them again.
    TTable Holder(nullptr);  // keeps the connection, and with it what it remembers
    Holder.SetDatabaseName(Db.DatabaseName());
    Holder.SetTableName("people");
    Holder.Open();
    Table.Close();
    Db.Execute("ALTER TABLE people DROP COLUMN \"Amount\"");
    Table.Open();
    EXPECT_EQ(Table.FieldCount(), 3);
    EXPECT_EQ(Table.FindField("Amount"), nullptr);

    // A database that does not exist.
    RegisterAlias("NOSUCHDB", dePostgreSQL, "host=/nonexistent/socket/dir dbname=nothing");
    TTable Nowhere(nullptr);
    Nowhere.SetDatabaseName("NOSUCHDB");
    Nowhere.SetTableName("people");
    EXPECT_THROW(Nowhere.Open(), EDatabaseError);
    EXPECT_FALSE(Nowhere.GetActive());
    UnregisterAlias("NOSUCHDB");
}

// A failure part-way through a re-read or a multi-record move closes the table as any
// other failure does, and the data links hear that it closed.
TEST(ServerFaults, TableDroppedDuringRefreshMoveByOrLookupClosesAndTellsTheLinks) {
    testing_support::TPostgresTestDatabase Db(PeopleSql());
    TComponent Owner(nullptr);
    auto* Table = new TTable(&Owner);
    Table->SetDatabaseName(Db.DatabaseName());
    Table->SetTableName("people");
    // A calculated key makes Lookup walk the records itself.
    auto* Twice = new TField(&Owner);
    Twice->SetFieldName("Twice");
    Twice->SetFieldKind(fkCalculated);
    Twice->SetDataType(ftInteger);
    Twice->SetDataSet(Table);
    Table->OnCalcFields = [&](TDataSet* DataSet) {
        Twice->SetValue(TValue::FromInteger(DataSet->FieldByName("Id")->GetAsInteger() * 2));
    };
    auto* Source = new TDataSource(&Owner);
    Source->SetDataSet(Table);
    TRecordingLink Link;
    Link.SetDataSource(Source);
    struct Case {
        const char* Name;
        std::function<void()> Act;
    } Cases[] = {
        {"Refresh", [&] { Table->Refresh(); }},
        {"MoveBy", [&] { Table->MoveBy(100); }},
        {"Lookup", [&] { Table->Lookup("Twice", {TValue::FromInteger(-1)}, "Id"); }},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        Table->Open();
        Table->Next();
        Db.Execute("DROP TABLE people");
        EXPECT_THROW(C.Act(), EDatabaseError);
        EXPECT_FALSE(Table->GetActive());
        EXPECT_FALSE(Link.GetActive());
        EXPECT_EQ(Link.Heard.back(), "inactive");
        EXPECT_FALSE(Table->ControlsDisabled());
        Db.Execute(PeopleSql());
    }
}

TEST(LookupFields, ALookupDatasetOfAnotherOwnerIsForgottenWhenDestroyed) {
    TComponent Form(nullptr);
    auto* Field = new TField(&Form);
    auto* Other = new TTable(nullptr);
    Field->SetLookupDataSet(Other);
    delete Other;
    EXPECT_EQ(Field->GetLookupDataSet(), nullptr);
    EXPECT_TRUE(Field->IsNull());
}

TEST(Aliases, NameADatabase) {
    TempDatabase Db("CREATE TABLE t (Id INTEGER PRIMARY KEY); INSERT INTO t VALUES (7);");
    RegisterAlias("TESTDB", deSQLite, Db.Path());
    TTable Table(nullptr);
    Table.SetDatabaseName("testdb");
    Table.SetTableName("t");
    Table.Open();
    EXPECT_EQ(Table.FieldByName("Id")->GetAsString(), "7");
    EXPECT_TRUE(Table.IsSequenced());
    Table.Close();
    UnregisterAlias("TestDB");
    EXPECT_FALSE(IsAlias("TESTDB"));
    EXPECT_THROW(Table.Open(), EDatabaseError);  // now taken as a file name that does not exist
}

TEST_P(TableTest, IndexDefsListTheRealIndexes) {
    Execute(
        "CREATE UNIQUE INDEX people_amount_id ON people (Amount, Id);"
        "CREATE INDEX people_expr ON people (lower(Name));");
    TIndexDefs* Defs = Table->GetIndexDefs();
    Defs->Update();  // works on a closed table
    ASSERT_EQ(Defs->Count(), 4);
    EXPECT_TRUE(Defs->GetIndexDef(0)->Primary);
    EXPECT_EQ(Defs->GetIndexDef(0)->GetFields(), "Id");
    EXPECT_EQ((*Defs)[1]->GetFields(), "Name");
    EXPECT_EQ((*Defs)[2]->GetFields(), "City;Name");
    EXPECT_EQ((*Defs)[3]->GetFields(), "Amount;Id");
    EXPECT_TRUE((*Defs)[3]->Unique);
    // The new index serves an order.
    Table->SetIndexFieldNames("Amount");
    EXPECT_NO_THROW(Table->Open());
}

namespace {

const char* OrdersSql =
    "CREATE TABLE customer (CustNo INTEGER PRIMARY KEY, Name VARCHAR(30), Discount FLOAT);"
    "CREATE TABLE orders (OrderNo INTEGER PRIMARY KEY, CustNo INTEGER, SaleDate DATE, Total "
    "CURRENCY);"
    "CREATE INDEX orders_cust ON orders (CustNo, OrderNo);"
    "CREATE INDEX orders_cust_date ON orders (CustNo, SaleDate);"
    "INSERT INTO customer VALUES (1, 'Adams', 0.1), (2, 'Baker', 0), (3, 'Cole', NULL);"
    "INSERT INTO orders VALUES (10, 1, '2024-02-01', 100), (11, 2, '2024-01-05', 50),"
    " (12, 1, '2024-01-01', 70), (13, 2, '2024-03-01', 20), (14, 1, '2024-01-15', 5);";

class MasterDetailTest : public EngineTest {
  protected:
    MasterDetailTest() : Db(TTestDatabase::Make(GetParam(), OrdersSql)) {
        Customers = new TTable(&Owner);
        Customers->SetDatabaseName(Db->DatabaseName());
        Customers->SetTableName("customer");
        CustomerSource = new TDataSource(&Owner);
        CustomerSource->SetDataSet(Customers);
        Orders = new TTable(&Owner);
        Orders->SetDatabaseName(Db->DatabaseName());
        Orders->SetTableName("orders");
        Orders->SetIndexFieldNames("CustNo;SaleDate");
        Orders->SetMasterSource(CustomerSource);
        Orders->SetMasterFields("CustNo");
    }
    std::vector<std::string> OrderNumbers() {
        std::vector<std::string> Numbers;
        for (Orders->First(); !Orders->GetEOF(); Orders->Next())
            Numbers.push_back(Orders->FieldByName("OrderNo")->GetAsString());
        return Numbers;
    }

    std::unique_ptr<TTestDatabase> Db;
    TComponent Owner{nullptr};
    TTable* Customers;
    TDataSource* CustomerSource;
    TTable* Orders;
};

}  // namespace

TEST_P(MasterDetailTest, DetailFollowsTheMastersCurrentRecord) {
    Customers->Open();
    Orders->Open();
    EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{"12", "14", "10"}));
    TRecordingLink Link;
    auto* OrderSource = new TDataSource(&Owner);
    OrderSource->SetDataSet(Orders);
    Link.SetDataSource(OrderSource);
    Customers->Next();
    EXPECT_EQ(Link.Heard, (std::vector<std::string>{"active", "changed"}));
    EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{"11", "13"}));
    EXPECT_EQ(Orders->RecordCount(), 2);
    Customers->Next();
    EXPECT_TRUE(Orders->IsEmpty());
    // Another order keeps the master fields in front.
    Customers->First();
    Orders->SetIndexFieldNames("CustNo;OrderNo");
    EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{"10", "12", "14"}));
}

TEST_P(MasterDetailTest, DetailOfAClosedMasterShowsEveryRecord) {
    Orders->Open();
    EXPECT_EQ(Orders->RecordCount(), 5);
    Customers->Open();
    EXPECT_EQ(Orders->RecordCount(), 3);
    Customers->Close();
    EXPECT_EQ(Orders->RecordCount(), 5);
    // The master's data source removed: the detail stands alone.
    Customers->Open();
    delete CustomerSource;
    EXPECT_EQ(Orders->GetMasterSource(), nullptr);
    Orders->Refresh();
    EXPECT_EQ(Orders->RecordCount(), 5);
}

TEST_P(MasterDetailTest, MasterFieldsNeedAsManyOrderFields) {
    Customers->Open();
    Orders->SetMasterFields("CustNo;Name");
    Orders->SetIndexFieldNames("CustNo");
    EXPECT_THROW(Orders->Open(), EDatabaseError);
    EXPECT_FALSE(Orders->GetActive());
}

TEST_P(MasterDetailTest, CalculatedAndLookupFields) {
    // Persistent fields: the data fields the application wants, a calculated and a lookup.
    auto MakeField = [&](const char* Name, TFieldKind Kind, TFieldType Type) {
        auto* Field = new TField(&Owner);
        Field->SetFieldName(Name);
        Field->SetFieldKind(Kind);
        Field->SetDataType(Type);
        Field->SetDataSet(Orders);
        return Field;
    };
    MakeField("OrderNo", fkData, ftInteger);
    TField* Customer = MakeField("Customer", fkLookup, ftString);
    MakeField("CustNo", fkData, ftInteger);
    TField* Net = MakeField("Net", fkCalculated, ftFloat);
    Customer->SetLookupDataSet(Customers);
    Customer->KeyFields = "CustNo";
    Customer->LookupKeyFields = "CustNo";
    Customer->LookupResultField = "Name";
    Orders->SetMasterSource(nullptr);
    Orders->SetIndexFieldNames("");
    Orders->OnCalcFields = [&](TDataSet* DataSet) {
        Net->SetValue(TValue::FromFloat(DataSet->FieldByName("OrderNo")->GetAsFloat() * 2));
    };
    Customers->Open();
    Orders->Open();
    ASSERT_EQ(Orders->FieldCount(), 4);
    EXPECT_EQ(Orders->Fields(1), Customer);  // in the order the application gave
    EXPECT_EQ(Customer->GetAsString(), "Adams");
    EXPECT_EQ(Net->GetAsString(), "20");
    Orders->Next();
    EXPECT_EQ(Customer->GetAsString(), "Baker");
    EXPECT_EQ(Net->GetAsString(), "22");
    EXPECT_THROW(Net->SetValue(TValue::FromInteger(1)), EDatabaseError);  // not while browsing
    EXPECT_EQ(Orders->FindField("Total"), nullptr);  // only the fields asked for
    // Searching a calculated or lookup field scans the records.
    EXPECT_TRUE(Orders->Locate("Net", "26", {}));
    EXPECT_EQ(Orders->FieldByName("OrderNo")->GetAsString(), "13");
    EXPECT_TRUE(Orders->Locate("Customer", "ada", {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(Orders->FieldByName("OrderNo")->GetAsString(), "10");
    Orders->Last();
    EXPECT_FALSE(Orders->Locate("Customer", "Cole", {}));
    EXPECT_EQ(Orders->FieldByName("OrderNo")->GetAsString(), "14");  // stays put
    Customers->Close();
    EXPECT_TRUE(Customer->IsNull());
    Orders->Close();
    EXPECT_EQ(Orders->FieldCount(), 4);  // persistent fields stay
}

TEST_P(EngineTest, Query_ReadsItsStatementInSequence) {
    std::string Sql = "CREATE TABLE n (V INTEGER PRIMARY KEY, T TEXT); INSERT INTO n VALUES ";
    for (int I = 1; I <= 700; ++I)
        Sql += (I > 1 ? "," : "") + std::string("(") + std::to_string(I) + ",'t" +
               std::to_string(I) + "')";
    auto Db = TTestDatabase::Make(GetParam(), Sql + ";");
    TQuery Query(nullptr);
    Query.SetName("Q");
    Query.SetDatabaseName(Db->DatabaseName());
    Query.GetSQL()->SetText(
        "SELECT V, T, V * 2 AS Twice, 'x' || T AS Label FROM n ORDER BY V DESC");
    EXPECT_EQ(Query.GetLocal(), Local());
    Query.Open();
    EXPECT_EQ(Query.FieldByName("V")->GetDataType(), ftInteger);
    EXPECT_EQ(Query.FieldByName("Twice")->GetDataType(), ftInteger);  // from the first row
    EXPECT_EQ(Query.FieldByName("Label")->GetDataType(), ftString);
    EXPECT_EQ(Query.GetIndexFieldCount(), 0);
    EXPECT_FALSE(Query.IsSequenced());
    EXPECT_EQ(Query.RecordCount(), 700);
    int Count = 0;
    int Previous = 701;
    for (Query.First(); !Query.GetEOF(); Query.Next(), ++Count) {
        int V = static_cast<int>(Query.FieldByName("V")->GetAsInteger());
        EXPECT_EQ(V, Previous - 1);
        Previous = V;
    }
    EXPECT_EQ(Count, 700);
    // Back across more rows than it keeps.
    for (int I = 0; I < 650; ++I)
        Query.Prior();
    EXPECT_EQ(Query.FieldByName("V")->GetAsString(), "651");
    TBookmark Mark = Query.GetBookmark();
    Query.Last();
    EXPECT_EQ(Query.FieldByName("V")->GetAsString(), "1");
    Query.SetBookmark(Mark);
    EXPECT_EQ(Query.FieldByName("T")->GetAsString(), "t651");
    EXPECT_TRUE(Query.Locate("T", "T65", {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(Query.FieldByName("V")->GetAsString(), "659");
    // Changing the statement closes the query.
    Query.GetSQL()->SetText("SELECT V FROM n WHERE V <= 3 -- the first three");
    Query.Open();
    EXPECT_EQ(Query.RecordCount(), 3);
    Query.GetSQL()->SetText("SELECT COUNT(*) AS C FROM n");
    EXPECT_FALSE(Query.GetActive());
    Query.Open();
    EXPECT_EQ(Query.Fields(0)->GetAsString(), "700");
    Query.Close();
    Query.GetSQL()->SetText("DELETE FROM n WHERE V > 10");
    Query.ExecSQL();
    EXPECT_EQ(Db->Column("SELECT COUNT(*) FROM n")[0], "10");
    Query.GetSQL()->SetText("SELECT nonsense FROM");
    EXPECT_THROW(Query.Open(), EDatabaseError);
    EXPECT_FALSE(Query.GetActive());
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest, ::testing::Values(teSQLite, tePostgreSQL), EngineOf);
INSTANTIATE_TEST_SUITE_P(Engines, TableTest, ::testing::Values(teSQLite, tePostgreSQL), EngineOf);
INSTANTIATE_TEST_SUITE_P(Engines, MasterDetailTest, ::testing::Values(teSQLite, tePostgreSQL),
                         EngineOf);
