// The PostgreSQL engine on a running server (scripts/with-postgres.sh starts one): the
// catalogue, prepared parameters and values, ordering and case rules, errors, lost
// sessions and the streaming of large results; and the cursors on top of it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ostream>

#include "platform/DBCursor.h"
#include "platform/DBEngine.h"

namespace platform {
void PrintTo(const TValue& Value, std::ostream* Out) {
    static const char* Kinds[] = {"null", "integer", "float", "text", "blob"};
    *Out << Kinds[Value.Kind];
    if (Value.Kind == TValue::vkInteger)
        *Out << " " << Value.Integer;
    if (Value.Kind == TValue::vkFloat)
        *Out << " " << Value.Float;
    if (Value.Kind >= TValue::vkText)
        *Out << " \"" << Value.Text << "\"";
}
}  // namespace platform

using namespace platform;

namespace {

std::vector<TRow> Rows(engine::Connection& Db, const String& Sql,
                       const std::vector<TValue>& Params = {}) {
    std::unique_ptr<engine::Statement> Statement = Db.Prepare(Sql);
    for (size_t I = 0; I < Params.size(); ++I)
        Statement->Bind(static_cast<int>(I) + 1, Params[I]);
    std::vector<TRow> Result;
    while (Statement->Step()) {
        TRow Row;
        for (int C = 0; C < Statement->ColumnCount(); ++C)
            Row.push_back(Statement->Column(C));
        Result.push_back(Row);
    }
    return Result;
}

// The first column of every row, as integers.
std::vector<int64_t> Ids(engine::Connection& Db, const String& Sql,
                         const std::vector<TValue>& Params = {}) {
    std::vector<int64_t> Result;
    for (const TRow& Row : Rows(Db, Sql, Params))
        Result.push_back(Row[0].Integer);
    return Result;
}

// The message of the EDatabaseError that Action throws; fails the test when none is thrown.
template <typename TAction>
String ErrorOf(TAction Action) {
    try {
        Action();
    } catch (const EDatabaseError& E) {
        return E.Message();
    }
    ADD_FAILURE() << "no EDatabaseError was thrown";
    return "";
}

TValue Int(int64_t V) {
    return TValue::FromInteger(V);
}
TValue Text(const String& V) {
    return TValue::FromText(V);
}

// Each test works in a schema of its own (tests run in parallel on one server), reached
// through the alias PGTEST; Admin is a second connection to the same database.
class PostgresEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* ConnInfo = std::getenv("VARN_PG_CONNINFO");
        ASSERT_NE(ConnInfo, nullptr)
            << "VARN_PG_CONNINFO is not set: these tests need the PostgreSQL test server. "
               "Run them through scripts/with-postgres.sh (make test does).";
        BaseConnInfo = ConnInfo;
        static int Count = 0;
        Schema = "test_" + std::to_string(getpid()) + "_" + std::to_string(++Count);
        Admin = engine::ConnectPostgreSQL(BaseConnInfo);
        Admin->Execute("DROP SCHEMA IF EXISTS " + Schema + " CASCADE");
        Admin->Execute("CREATE SCHEMA " + Schema);
        RegisterAlias("PGTEST", dePostgreSQL,
                      BaseConnInfo + " options='-c search_path=" + Schema + ",public'");
        Db = ConnectDatabase("PGTEST");
    }

    void TearDown() override {
        Db.reset();
        if (Admin)
            Admin->Execute("DROP SCHEMA IF EXISTS " + Schema + " CASCADE");
        UnregisterAlias("PGTEST");
    }

    String Qualified(const String& Table) const { return Schema + "." + Table; }

    String BaseConnInfo;
    String Schema;
    std::shared_ptr<engine::Connection> Admin;
    std::shared_ptr<engine::Connection> Db;
};

TEST_F(PostgresEngine, TableColumns_NamesTypesKeysInColumnOrder) {
    Db->Execute(
        "CREATE TABLE \"Order Lines\" (note memo, line smallint NOT NULL, "
        "order_no integer NOT NULL, id serial, price currency, qty numeric(10,2), "
        "name character varying(40) NOT NULL, due date, stamp timestamp, paid boolean, "
        "big bigint, ratio double precision, picture bytea, code char(3), "
        "seq integer GENERATED ALWAYS AS IDENTITY, PRIMARY KEY (order_no, line))");
    struct TExpected {
        const char* Name;
        const char* DeclaredType;
        int PrimaryKeyPosition;
        bool NotNull;
        bool AutoIncrement;
    } Expected[] = {
        {"note", "memo", 0, false, false},
        {"line", "smallint", 2, true, false},
        {"order_no", "integer", 1, true, false},
        {"id", "integer", 0, true, true},
        {"price", "currency", 0, false, false},
        {"qty", "numeric(10,2)", 0, false, false},
        {"name", "character varying(40)", 0, true, false},
        {"due", "date", 0, false, false},
        {"stamp", "timestamp without time zone", 0, false, false},
        {"paid", "boolean", 0, false, false},
        {"big", "bigint", 0, false, false},
        {"ratio", "double precision", 0, false, false},
        {"picture", "bytea", 0, false, false},
        {"code", "character(3)", 0, false, false},
        {"seq", "integer", 0, true, true},
    };
    std::vector<engine::TColumnInfo> Columns = Db->TableColumns("Order Lines");
    ASSERT_EQ(Columns.size(), std::size(Expected));
    for (size_t I = 0; I < Columns.size(); ++I) {
        SCOPED_TRACE(Expected[I].Name);
        EXPECT_EQ(Columns[I].Name, Expected[I].Name);
        EXPECT_EQ(Columns[I].DeclaredType, Expected[I].DeclaredType);
        EXPECT_EQ(Columns[I].PrimaryKeyPosition, Expected[I].PrimaryKeyPosition);
        EXPECT_EQ(Columns[I].NotNull, Expected[I].NotNull);
        EXPECT_EQ(Columns[I].AutoIncrement, Expected[I].AutoIncrement);
    }
}

TEST_F(PostgresEngine, TableIndexes_PrimaryFirstThenInOrderMade) {
    Db->Execute("CREATE TABLE parts (a integer NOT NULL, b integer NOT NULL, c text, d text)");
    Db->Execute("CREATE INDEX parts_d ON parts (d)");
    Db->Execute("CREATE INDEX parts_lower_c ON parts (lower(c))");
    Db->Execute("CREATE UNIQUE INDEX parts_c_a ON parts (c, a)");
    Db->Execute("CREATE INDEX parts_b_with_c ON parts (b) INCLUDE (c)");
    // Made last, listed first.
    Db->Execute("ALTER TABLE parts ADD CONSTRAINT parts_key PRIMARY KEY (b, a)");
    struct TExpected {
        const char* Name;
        std::vector<String> Fields;
        bool Primary, Unique;
    } Expected[] = {
        {"parts_key", {"b", "a"}, true, true},
        {"parts_d", {"d"}, false, false},
        {"parts_c_a", {"c", "a"}, false, true},
        {"parts_b_with_c", {"b"}, false, false},
    };
    std::vector<engine::TIndexInfo> Indexes = Db->TableIndexes("parts");
    ASSERT_EQ(Indexes.size(), std::size(Expected));
    for (size_t I = 0; I < Indexes.size(); ++I) {
        EXPECT_EQ(Indexes[I].Name, Expected[I].Name);
        EXPECT_EQ(Indexes[I].Fields, Expected[I].Fields) << Expected[I].Name;
        EXPECT_EQ(Indexes[I].Primary, Expected[I].Primary) << Expected[I].Name;
        EXPECT_EQ(Indexes[I].Unique, Expected[I].Unique) << Expected[I].Name;
    }
}

TEST_F(PostgresEngine, Catalogue_NamesAreExactAndMissingTablesFail) {
    Db->Execute("CREATE TABLE \"Mixed\" (id integer PRIMARY KEY)");
    Db->Execute("CREATE SEQUENCE counter");
    EXPECT_EQ(Db->TableColumns("Mixed").size(), 1u);
    for (const char* Name : {"mixed", "MIXED", "counter", "nope", "Mixed\"; DROP TABLE x; --"}) {
        SCOPED_TRACE(Name);
        String Expected = String("Table '") + Name + "' does not exist in database 'varn_test'";
        EXPECT_EQ(ErrorOf([&] { Db->TableColumns(Name); }), Expected);
        EXPECT_EQ(ErrorOf([&] { Db->TableIndexes(Name); }), Expected);
    }
}

TEST_F(PostgresEngine, SampleDatabase_IsLoadedWithItsDomains) {
    std::vector<engine::TColumnInfo> Columns = Db->TableColumns("customer");
    ASSERT_GE(Columns.size(), 13u);
    EXPECT_EQ(Columns[0].Name, "CustNo");
    EXPECT_EQ(Columns[0].PrimaryKeyPosition, 1);
    std::map<String, String> Declared;
    for (const auto& C : Columns)
        Declared[C.Name] = C.DeclaredType;
    EXPECT_EQ(Declared["Name"], "character varying(40)");
    EXPECT_EQ(Declared["CreditLimit"], "currency");
    EXPECT_EQ(Declared["Notes"], "memo");
    EXPECT_EQ(Declared["TaxExempt"], "boolean");
    std::vector<String> Names;
    for (const auto& I : Db->TableIndexes("customer"))
        Names.push_back(I.Name);
    EXPECT_EQ(Names, (std::vector<String>{"customer_pkey", "customer_name", "customer_city_name"}));
    EXPECT_GT(Rows(*Db, "SELECT COUNT(*) FROM customer")[0][0].Integer, 0);
}

TEST_F(PostgresEngine, Statement_ColumnsAreDescribedBeforeItRuns) {
    Db->Execute("CREATE TABLE t (id integer PRIMARY KEY, name varchar(40), price currency)");
    auto Statement =
        Db->Prepare("SELECT id, name AS label, price, price * 2 AS twice, COUNT(*) OVER () FROM t");
    std::vector<std::pair<String, String>> Expected{{"id", "integer"},
                                                    {"label", "character varying(40)"},
                                                    {"price", "currency"},
                                                    {"twice", "numeric"},
                                                    {"count", "bigint"}};
    ASSERT_EQ(Statement->ColumnCount(), static_cast<int>(Expected.size()));
    for (int I = 0; I < Statement->ColumnCount(); ++I) {
        EXPECT_EQ(Statement->ColumnName(I), Expected[static_cast<size_t>(I)].first);
        EXPECT_EQ(Statement->ColumnDeclaredType(I), Expected[static_cast<size_t>(I)].second);
    }
    EXPECT_FALSE(Statement->Step());
    EXPECT_EQ(Db->Prepare("INSERT INTO t (id) VALUES ($1)")->ColumnCount(), 0);
}

TEST_F(PostgresEngine, Parameters_RoundTripByColumnType) {
    // Parameters carry no type: the server takes it from the column they are compared to.
    struct TCase {
        const char* Type;
        TValue Bound;
        TValue Read;
    } Cases[] = {
        {"integer", Int(-42), Int(-42)},
        {"bigint", Int(INT64_MIN), Int(INT64_MIN)},
        {"smallint", Text("7"), Int(7)},
        {"double precision", TValue::FromFloat(0.1), TValue::FromFloat(0.1)},
        {"real", TValue::FromFloat(1.5), TValue::FromFloat(1.5)},
        {"boolean", Int(1), Int(1)},
        {"boolean", Text("false"), Int(0)},
        {"numeric(10,4)", TValue::FromFloat(12.34), Text("12.3400")},
        {"currency", Text("-0.5"), Text("-0.5000")},
        {"date", Text("2024-02-29"), Text("2024-02-29")},
        {"timestamp", Text("2024-02-29 13:14:15"), Text("2024-02-29 13:14:15")},
        {"text", Text("it's \"quoted\"; DROP TABLE v; --"),
         Text("it's \"quoted\"; DROP TABLE v; --")},
        {"varchar(10)", Text("\xE8\x9A\xFF"), Text("\xE8\x9A\xFF")},
        {"memo", Text(""), Text("")},
        {"bytea", TValue::FromBlob(String("\0\xFF\\x'", 5)),
         TValue::FromBlob(String("\0\xFF\\x'", 5))},
        {"integer", TValue::Null(), TValue::Null()},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Type);
        Db->Execute("DROP TABLE IF EXISTS v");
        Db->Execute(String("CREATE TABLE v (id integer PRIMARY KEY, x ") + Case.Type + ")");
        auto Insert = Db->Prepare("INSERT INTO v VALUES ($1, $2)");
        Insert->Bind(1, Int(1));
        Insert->Bind(2, Case.Bound);
        EXPECT_FALSE(Insert->Step());
        EXPECT_EQ(Rows(*Db, "SELECT x FROM v WHERE id = $1", {Text("1")}),
                  (std::vector<TRow>{{Case.Read}}));
        if (!Case.Read.IsNull()) {
            EXPECT_EQ(Ids(*Db, "SELECT id FROM v WHERE x = $1", {Case.Bound}),
                      std::vector<int64_t>{1});
        }
    }
}

TEST_F(PostgresEngine, Parameters_ResetClearsThemAndIndexesAreChecked) {
    auto Statement = Db->Prepare("SELECT $1::integer IS NULL, $2::text");
    Statement->Bind(1, Int(5));
    Statement->Bind(2, Text("x"));
    ASSERT_TRUE(Statement->Step());
    EXPECT_EQ(Statement->Column(0), Int(0));
    Statement->Reset();
    ASSERT_TRUE(Statement->Step());
    EXPECT_EQ(Statement->Column(0), Int(1));
    EXPECT_EQ(Statement->Column(1), TValue::Null());
    EXPECT_FALSE(Statement->Step());
    EXPECT_FALSE(Statement->Step());
    EXPECT_THROW(Statement->Bind(3, Int(1)), EDatabaseError);
    EXPECT_THROW(Statement->Bind(0, Int(1)), EDatabaseError);
}

TEST_F(PostgresEngine, Ordering_NullsLastAscendingAndTextByBytes) {
    EXPECT_FALSE(Db->NullsSortFirst());
    EXPECT_FALSE(Db->IsLocal());
    EXPECT_EQ(Db->RowIdColumn(), "");
    EXPECT_EQ(Db->Placeholder(3), "$3");
    EXPECT_EQ(Db->QuoteIdentifier("a\"b"), "\"a\"\"b\"");
    Db->Execute("CREATE TABLE o (id integer PRIMARY KEY, v integer, s varchar(10))");
    Db->Execute(
        "INSERT INTO o VALUES (1, 2, 'b'), (2, NULL, 'B'), (3, 1, 'a'), (4, 3, E'\\xE8'), "
        "(5, 0, 'Z'), (6, NULL, '_')");
    EXPECT_EQ(Ids(*Db, "SELECT id FROM o ORDER BY v, id"),
              (std::vector<int64_t>{5, 3, 1, 4, 2, 6}));
    EXPECT_EQ(Ids(*Db, "SELECT id FROM o ORDER BY v DESC, id DESC"),
              (std::vector<int64_t>{6, 2, 4, 1, 3, 5}));
    EXPECT_EQ(Ids(*Db, "SELECT id FROM o ORDER BY s"), (std::vector<int64_t>{2, 5, 6, 3, 1, 4}));
}

TEST_F(PostgresEngine, PrefixAndCaseConditions_FoldOnlyAToZAndTakeWildcardsLiterally) {
    Db->Execute("CREATE TABLE w (id integer PRIMARY KEY, name varchar(40), code integer)");
    Db->Execute(
        "INSERT INTO w VALUES (1, 'Smith', 12), (2, 'smithers', 123), (3, 'SMYTH', 312), "
        "(4, '50% off', NULL), (5, '50 percent', NULL), (6, 'a_b', NULL), (7, 'axb', NULL), "
        "(8, E'back\\\\slash', NULL), (9, E'\\xE8ern\\xE1', NULL), (10, E'\\xC8ERN\\xC1', NULL), "
        "(11, NULL, NULL)");
    struct TCase {
        const char* Column;
        String Prefix;
        bool CaseInsensitive;
        std::vector<int64_t> Expected;
    } Prefixes[] = {
        {"name", "smi", true, {1, 2}},
        {"name", "smi", false, {2}},
        {"name", "sm", true, {1, 2, 3}},
        {"name", "SM", false, {3}},
        {"name", "50%", false, {4}},
        {"name", "50%", true, {4}},
        {"name", "a_", true, {6}},
        {"name", "back\\", false, {8}},
        {"name", "\xE8", true, {9}},
        {"name",
         "\xE8"
         "ERN",
         true,
         {9}},
        {"name", "", true, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"code", "12", false, {1, 2}},
        {"code", "3", true, {3}},
    };
    for (const TCase& Case : Prefixes) {
        SCOPED_TRACE(String(Case.Column) + " '" + Case.Prefix + "'" +
                     (Case.CaseInsensitive ? " ci" : ""));
        String Sql =
            "SELECT id FROM w WHERE " +
            Db->PrefixCondition(Db->QuoteIdentifier(Case.Column), "$1", Case.CaseInsensitive) +
            " ORDER BY id";
        EXPECT_EQ(Ids(*Db, Sql, {Text(Db->PrefixPattern(Case.Prefix, Case.CaseInsensitive))}),
                  Case.Expected);
    }
    struct TEqualCase {
        const char* Column;
        String Value;
        std::vector<int64_t> Expected;
    } Equals[] = {
        {"name", "SMITH", {1}},
        {"name", "smith", {1}},
        {"name",
         "\xC8"
         "ERN\xC1",
         {10}},
        {"name", "50_off", {}},
        {"code", "12", {1}},
    };
    for (const TEqualCase& Case : Equals) {
        SCOPED_TRACE(String(Case.Column) + " = '" + Case.Value + "'");
        String Sql = "SELECT id FROM w WHERE " +
                     Db->EqualsIgnoringCaseCondition(Db->QuoteIdentifier(Case.Column), "$1") +
                     " ORDER BY id";
        EXPECT_EQ(Ids(*Db, Sql, {Text(Case.Value)}), Case.Expected);
    }
}

TEST_F(PostgresEngine, Errors_CarryTheServersMessage) {
    Db->Execute("CREATE TABLE u (id integer PRIMARY KEY)");
    Db->Execute("INSERT INTO u VALUES (1)");
    struct TCase {
        const char* Sql;
        const char* Message;
    } Cases[] = {
        {"SELECT * FROM nope", "relation \"nope\" does not exist"},
        {"SELEKT 1", "syntax error at or near \"SELEKT\""},
        {"INSERT INTO u VALUES (1)",
         "duplicate key value violates unique constraint \"u_pkey\"\nKey (id)=(1) already exists."},
        {"SELECT 1 / (id - 1) FROM u", "division by zero"},
        {"SELECT 1; SELECT 2", "cannot insert multiple commands into a prepared statement"},
        {"  ", "Empty SQL statement"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(ErrorOf([&] { Rows(*Db, Case.Sql); }), Case.Message) << Case.Sql;
    // The connection goes on after the errors.
    EXPECT_EQ(Ids(*Db, "SELECT id FROM u"), std::vector<int64_t>{1});
}

TEST_F(PostgresEngine, Errors_ConnectingNameTheCause) {
    String Host = BaseConnInfo.substr(0, BaseConnInfo.find(' '));  // host=DIR
    String Port = BaseConnInfo.substr(BaseConnInfo.find("port="));
    Port = Port.substr(0, Port.find(' '));
    struct TCase {
        String ConnInfo;
        const char* Message;
    } Cases[] = {
        {BaseConnInfo + " dbname=no_such_db", "database \"no_such_db\" does not exist"},
        {BaseConnInfo + " user=no_such_role", "role \"no_such_role\" does not exist"},
        {"host=/no/such/folder " + Port + " dbname=varn_test", "No such file or directory"},
        {Host + " port=1 dbname=varn_test", "No such file or directory"},
        {"dbname=varn_test nonsense=1", "invalid connection option \"nonsense\""},
    };
    for (const TCase& Case : Cases) {
        String Message = ErrorOf([&] { engine::ConnectPostgreSQL(Case.ConnInfo); });
        EXPECT_NE(Message.find(Case.Message), String::npos) << Case.ConnInfo << ": " << Message;
    }
    RegisterAlias("PGNOWHERE", dePostgreSQL, Cases[0].ConnInfo);
    EXPECT_NE(ErrorOf([] { ConnectDatabase("PGNOWHERE"); }).find("no_such_db"), String::npos);
    UnregisterAlias("PGNOWHERE");
}

TEST_F(PostgresEngine, TableDroppedElsewhere_FailsCleanly) {
    Db->Execute("CREATE TABLE gone (id integer PRIMARY KEY)");
    Db->Execute("INSERT INTO gone VALUES (1), (2)");
    auto Select = Db->Prepare("SELECT id FROM gone ORDER BY id");
    ASSERT_TRUE(Select->Step());
    Select->Reset();
    Admin->Execute("DROP TABLE " + Qualified("gone"));
    EXPECT_EQ(ErrorOf([&] { Select->Step(); }), "relation \"gone\" does not exist");
    EXPECT_EQ(ErrorOf([&] { Db->TableColumns("gone"); }),
              "Table 'gone' does not exist in database 'varn_test'");
    EXPECT_EQ(Ids(*Db, "SELECT 3"), std::vector<int64_t>{3});
}

TEST_F(PostgresEngine, SessionEndedByServer_FailsCleanlyThenReconnects) {
    auto Prepared = Db->Prepare("SELECT 1");
    int64_t Pid = Rows(*Db, "SELECT pg_backend_pid()")[0][0].Integer;
    // Waits until the session has ended.
    ASSERT_EQ(Rows(*Admin, "SELECT pg_terminate_backend($1, 60000)", {Int(Pid)})[0][0], Int(1));

    String Message = ErrorOf([&] { Rows(*Db, "SELECT 2"); });
    EXPECT_NE(Message.find("terminating connection due to administrator command"), String::npos)
        << Message;
    EXPECT_TRUE(Db->IsBroken());
    EXPECT_NE(ErrorOf([&] { Prepared->Step(); }), "");
    EXPECT_NE(ErrorOf([&] {
                  Db->Prepare("SELECT 3");
              }).find("connection to the database server was lost"),
              String::npos);
    EXPECT_THROW(Db->TableColumns("customer"), EDatabaseError);

    std::shared_ptr<engine::Connection> Again = ConnectDatabase("pgtest");
    EXPECT_NE(Again, Db);
    EXPECT_FALSE(Again->IsBroken());
    EXPECT_EQ(Ids(*Again, "SELECT 4"), std::vector<int64_t>{4});
    EXPECT_EQ(ConnectDatabase("PGTEST"), Again);
}

TEST_F(PostgresEngine, LargeResult_IsStreamedWhileOtherStatementsRun) {
    // 200000 rows of over 100 bytes: far more than the socket holds, so the server is
    // still sending while the client reads.
    const int64_t Total = 200000;
    auto Stream = Db->Prepare(
        "SELECT n, pg_backend_pid(), repeat('x', 100) FROM generate_series(1, $1) AS n");
    Stream->Bind(1, Int(Total));
    for (int64_t N = 1; N <= 10; ++N) {
        ASSERT_TRUE(Stream->Step());
        ASSERT_EQ(Stream->Column(0), Int(N));
    }
    TValue Pid = Stream->Column(1);
    auto StateOfStream = [&] {
        return Rows(*Admin, "SELECT state FROM pg_stat_activity WHERE pid = $1", {Pid})[0][0];
    };
    // The statement has not ended: the rows were not read ahead into memory.
    EXPECT_EQ(StateOfStream(), Text("active"));

    // The same connection serves other statements meanwhile, a second stream included.
    Db->Execute("CREATE TABLE side (id integer PRIMARY KEY)");
    auto Other = Db->Prepare("SELECT n FROM generate_series(1, 100000) AS n");
    ASSERT_TRUE(Other->Step());
    int64_t N = 10;
    while (Stream->Step()) {
        ASSERT_EQ(Stream->Column(0).Integer, ++N);
        if (N % 50000 == 0) {
            Db->Execute("INSERT INTO side VALUES (" + std::to_string(N) + ")");
            ASSERT_TRUE(Other->Step());
            EXPECT_EQ(Db->TableColumns("side").size(), 1u);
        }
    }
    EXPECT_EQ(N, Total);
    EXPECT_EQ(Stream->Column(0), TValue::Null());
    EXPECT_EQ(StateOfStream(), Text("idle"));
    EXPECT_EQ(Ids(*Db, "SELECT id FROM side ORDER BY id"),
              (std::vector<int64_t>{50000, 100000, 150000, 200000}));
    EXPECT_EQ(Other->Column(0), Int(5));
}

TEST_F(PostgresEngine, LargeResult_LeftEarlyRunsAgainAndLeavesTheSessionClean) {
    auto Stream = Db->Prepare("SELECT n FROM generate_series(1, 1000000) AS n");
    for (int Round = 0; Round < 3; ++Round) {
        for (int64_t N = 1; N <= 5; ++N) {
            ASSERT_TRUE(Stream->Step());
            EXPECT_EQ(Stream->Column(0), Int(N));
        }
        Stream->Reset();
        // A cancelled run must not reach the next statement of its session.
        EXPECT_EQ(Ids(*Db, "SELECT 7"), std::vector<int64_t>{7});
    }
    ASSERT_TRUE(Stream->Step());
    Stream.reset();  // freed while reading
    EXPECT_EQ(Ids(*Db, "SELECT COUNT(*) FROM generate_series(1, 10)"), std::vector<int64_t>{10});
}

TEST_F(PostgresEngine, TableCursor_WalksServerOrderAcrossWindows) {
    Db->Execute("CREATE TABLE people (id serial PRIMARY KEY, name varchar(20), city varchar(20))");
    Db->Execute(
        "INSERT INTO people (name, city) VALUES ('Ann', 'Oslo'), ('bob', NULL), "
        "('Cid', 'Bern'), ('dan', 'Oslo'), ('Eve', NULL), ('fay', 'Bern'), ('Gus', 'Athens'), "
        "('hal', 'Oslo'), ('Ivy', NULL)");
    TTableCursorSetup Setup;
    Setup.Connection = Db;
    Setup.Table = "people";
    Setup.Columns = {"id", "name", "city"};
    Setup.OrderColumns = {2, 0};  // city, then id
    Setup.IdentityColumns = {0};
    Setup.FirstWindow = 2;
    Setup.MaxWindow = 2;
    TTableCursor Cursor(Setup);
    std::vector<int64_t> Expected = Ids(*Db, "SELECT id FROM people ORDER BY city, id");

    std::vector<int64_t> Forward, Backward;
    for (bool On = Cursor.First(); On; On = Cursor.Next())
        Forward.push_back(Cursor.Current()[0].Integer);
    for (bool On = Cursor.Last(); On; On = Cursor.Prior())
        Backward.push_back(Cursor.Current()[0].Integer);
    EXPECT_EQ(Forward, Expected);
    EXPECT_EQ(Backward, std::vector<int64_t>(Expected.rbegin(), Expected.rend()));
    EXPECT_EQ(Cursor.RecordCount(), 9);

    ASSERT_EQ(Cursor.Locate({1}, {"EV"}, true, true), std::optional<bool>(true));
    EXPECT_EQ(Cursor.Current()[1], Text("Eve"));
    String Eve = Cursor.Identity();
    ASSERT_TRUE(Cursor.Next());
    EXPECT_EQ(Cursor.Current()[1], Text("Ivy"));
    ASSERT_EQ(Cursor.Locate({1}, {"HAL"}, true, false), std::optional<bool>(true));
    EXPECT_EQ(Cursor.Current()[1], Text("hal"));
    EXPECT_EQ(Cursor.Locate({1}, {"h%"}, false, true), std::optional<bool>(false));
    ASSERT_TRUE(Cursor.GotoIdentity(Eve));
    ASSERT_TRUE(Cursor.Prior());
    EXPECT_EQ(Cursor.Current()[1], Text("bob"));

    Setup.FilterColumns = {2};
    Setup.FilterValues = {Text("Oslo")};
    TTableCursor Oslo(Setup);
    std::vector<int64_t> InOslo;
    for (bool On = Oslo.Last(); On; On = Oslo.Prior())
        InOslo.push_back(Oslo.Current()[0].Integer);
    EXPECT_EQ(InOslo, (std::vector<int64_t>{8, 4, 1}));
    EXPECT_EQ(Oslo.RecordCount(), 3);
}

TEST_F(PostgresEngine, QueryCursor_CountsAndMovesBackWhileStreaming) {
    TQueryCursor Cursor(Db,
                        "SELECT n, n * 2 AS twice FROM generate_series(1, 1000) AS n ORDER BY n;");
    EXPECT_EQ(Cursor.ColumnNames(), (std::vector<String>{"n", "twice"}));
    EXPECT_EQ(Cursor.ColumnTypes(), (std::vector<String>{"integer", "integer"}));
    ASSERT_TRUE(Cursor.First());
    EXPECT_EQ(Cursor.RecordCount(), 1000);  // counted while the statement is being read
    String Third;
    for (int I = 0; I < 600; ++I) {
        if (I == 2)
            Third = Cursor.Identity();
        ASSERT_TRUE(Cursor.Next());
    }
    EXPECT_EQ(Cursor.Current()[0], Int(601));
    ASSERT_TRUE(Cursor.GotoIdentity(Third));  // behind the window: read again
    EXPECT_EQ(Cursor.Current()[1], Int(6));
    ASSERT_TRUE(Cursor.Last());
    EXPECT_EQ(Cursor.Current()[0], Int(1000));
    EXPECT_FALSE(Cursor.Next());
}

}  // namespace
