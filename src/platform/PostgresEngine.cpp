// The PostgreSQL engine: server databases through libpq. Statements are prepared on the
// server and read row by row (single-row mode), so a large result is never held whole.
//
// A statement that is being read keeps its server session busy until its last row or its
// reset. So that other statements can run meanwhile (a query is read as far as a grid
// shows it while tables of other datasets scroll), a connection is a small pool of
// sessions: a statement runs on the first free one, opening another only when all are
// busy, and is prepared in a session the first time it runs there. Each statement
// commits by itself; one that needs a lock against a table being read by another
// statement of the same connection (a change of its structure) waits for that reading
// to end.
#include <libpq-fe.h>
#include <poll.h>

#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "platform/DBEngine.h"

namespace platform::engine {

namespace {

// The built-in types whose values are not read as text.
constexpr Oid BoolType = 16;
constexpr Oid ByteaType = 17;
constexpr Oid Int8Type = 20;
constexpr Oid Int2Type = 21;
constexpr Oid Int4Type = 23;
constexpr Oid OidType = 26;
constexpr Oid Float4Type = 700;
constexpr Oid Float8Type = 701;

struct TResultDeleter {
    void operator()(PGresult* Result) const { PQclear(Result); }
};
using TResult = std::unique_ptr<PGresult, TResultDeleter>;

String Trimmed(const char* Message) {
    return Trim(Message ? Message : "");
}

// The server's message of a failed result (its text and detail), else libpq's, which
// gathers what went wrong in the last command (the server's last words when it ended
// the session, then the loss of the connection).
String ErrorOf(const PGresult* Result, PGconn* Conn) {
    const char* Primary = Result ? PQresultErrorField(Result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (Primary == nullptr) {
        String Message = Trimmed(PQerrorMessage(Conn));
        if (Message.empty() && Result)
            Message = Trimmed(PQresultErrorMessage(Result));
        return Message.empty() ? "The database server gave no reason" : Message;
    }
    String Message = Primary;
    if (const char* Detail = PQresultErrorField(Result, PG_DIAG_MESSAGE_DETAIL))
        Message.append("\n").append(Detail);
    return Message;
}

void CheckCommand(const PGresult* Result, PGconn* Conn) {
    if (PQresultStatus(Result) != PGRES_COMMAND_OK)
        throw EDatabaseError(ErrorOf(Result, Conn));
}

// One server session: a libpq connection and the statements prepared in it.
struct TSession {
    PGconn* Conn = nullptr;
    std::set<String> Prepared;
    std::vector<String> ToDeallocate;  // statements freed while the session was busy
    bool Busy = false;                 // a statement is reading its rows here

    TSession() = default;
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;
    ~TSession() { PQfinish(Conn); }
};

// Reads and drops what remains of a session's current statement.
void Drain(TSession& Session) {
    while (TResult Result{PQgetResult(Session.Conn)}) {
        switch (PQresultStatus(Result.get())) {
            case PGRES_COPY_IN:
                PQputCopyEnd(Session.Conn, "COPY is not supported");
                break;
            case PGRES_COPY_OUT: {
                char* Buffer = nullptr;
                while (PQgetCopyData(Session.Conn, &Buffer, 0) > 0)
                    PQfreemem(Buffer);
                break;
            }
            default:
                break;
        }
    }
}

// The sessions of one connection; the first is the connection's own, made at once.
class TSessions {
  public:
    explicit TSessions(String ConnectionString) : FConnectionString(std::move(ConnectionString)) {
        FSessions.push_back(Open());
    }

    // A session where no statement is reading rows: the first when it is free, else
    // another, opened when all are busy. Fails when the first session is lost.
    TSession& Free() {
        if (PQstatus(Primary().Conn) == CONNECTION_BAD)
            throw EDatabaseError(LostMessage());
        for (size_t I = 0; I < FSessions.size();) {
            TSession& Session = *FSessions[I];
            if (!Session.Busy && I > 0 && PQstatus(Session.Conn) == CONNECTION_BAD) {
                FSessions.erase(FSessions.begin() + static_cast<long>(I));
                continue;
            }
            if (!Session.Busy)
                return Session;
            ++I;
        }
        FSessions.push_back(Open());
        return *FSessions.back();
    }

    // Frees a session that a statement has finished reading.
    void Release(TSession& Session) {
        Session.Busy = false;
        if (Session.ToDeallocate.empty())
            return;
        String Sql;
        for (const String& Name : Session.ToDeallocate)
            Sql += "DEALLOCATE " + Name + ";";
        Session.ToDeallocate.clear();
        if (PQstatus(Session.Conn) == CONNECTION_OK)
            PQclear(PQexec(Session.Conn, Sql.c_str()));
    }

    // Removes a statement from every session it was prepared in.
    void Deallocate(const String& Name) {
        for (auto& Session : FSessions) {
            if (Session->Prepared.erase(Name) == 0)
                continue;
            if (Session->Busy)
                Session->ToDeallocate.push_back(Name);
            else if (PQstatus(Session->Conn) == CONNECTION_OK)
                PQclear(PQexec(Session->Conn, ("DEALLOCATE " + Name).c_str()));
        }
    }

    String NewStatementName() { return "varn_" + std::to_string(++FStatementCount); }

    // True when the connection's own session has ended. A server that ended the session
    // has closed its socket: that is noticed here without waiting.
    bool Lost() const {
        TSession& Session = *FSessions.front();
        if (!Session.Busy) {
            pollfd Socket{PQsocket(Session.Conn), POLLIN, 0};
            for (int I = 0; I < 8 && PQstatus(Session.Conn) == CONNECTION_OK; ++I)
                if (poll(&Socket, 1, 0) <= 0 || !PQconsumeInput(Session.Conn))
                    break;
        }
        return PQstatus(Session.Conn) == CONNECTION_BAD;
    }

    String DatabaseName() const { return Trimmed(PQdb(FSessions.front()->Conn)); }

    // The declared type of each column of a statement's description: a table column's
    // type as the table declares it (a domain by its name), else the result's type.
    std::vector<String> DeclaredTypes(TSession& Session, const PGresult* Description) {
        const int Count = PQnfields(Description);
        std::vector<String> Types(static_cast<size_t>(Count));
        std::vector<int> Missing;
        String Tables = "{", Columns = "{", TypeOids = "{", Modifiers = "{";
        for (int I = 0; I < Count; ++I) {
            TTypeKey Key{PQftable(Description, I), PQftablecol(Description, I),
                         PQftype(Description, I), PQfmod(Description, I)};
            auto Known = FTypeNames.find(Key);
            if (Known != FTypeNames.end()) {
                Types[static_cast<size_t>(I)] = Known->second;
                continue;
            }
            const char* Comma = Missing.empty() ? "" : ",";
            Tables.append(Comma).append(std::to_string(std::get<0>(Key)));
            Columns.append(Comma).append(std::to_string(std::get<1>(Key)));
            TypeOids.append(Comma).append(std::to_string(std::get<2>(Key)));
            Modifiers.append(Comma).append(std::to_string(std::get<3>(Key)));
            Missing.push_back(I);
        }
        if (Missing.empty())
            return Types;
        Tables += "}", Columns += "}", TypeOids += "}", Modifiers += "}";
        const char* Values[] = {Tables.c_str(), Columns.c_str(), TypeOids.c_str(),
                                Modifiers.c_str()};
        TResult Names(PQexecParams(
            Session.Conn,
            "SELECT COALESCE((SELECT pg_catalog.format_type(a.atttypid, a.atttypmod) "
            "FROM pg_catalog.pg_attribute a WHERE a.attrelid = k.tab AND a.attnum = k.col "
            "AND k.col > 0), pg_catalog.format_type(k.typ, k.modifier)) "
            "FROM unnest($1::oid[], $2::int2[], $3::oid[], $4::int4[]) WITH ORDINALITY "
            "AS k(tab, col, typ, modifier, n) ORDER BY k.n",
            4, nullptr, Values, nullptr, nullptr, 0));
        if (PQresultStatus(Names.get()) != PGRES_TUPLES_OK ||
            PQntuples(Names.get()) != static_cast<int>(Missing.size()))
            throw EDatabaseError(ErrorOf(Names.get(), Session.Conn));
        for (size_t Row = 0; Row < Missing.size(); ++Row) {
            int I = Missing[Row];
            String Name = PQgetvalue(Names.get(), static_cast<int>(Row), 0);
            FTypeNames[{PQftable(Description, I), PQftablecol(Description, I),
                        PQftype(Description, I), PQfmod(Description, I)}] = Name;
            Types[static_cast<size_t>(I)] = Name;
        }
        return Types;
    }

  private:
    using TTypeKey = std::tuple<Oid, int, Oid, int>;  // table, column, type, modifier

    TSession& Primary() const { return *FSessions.front(); }

    std::unique_ptr<TSession> Open() const {
        auto Session = std::make_unique<TSession>();
        Session->Conn = PQconnectdb(FConnectionString.c_str());
        if (Session->Conn == nullptr)
            throw EDatabaseError("Out of memory");
        if (PQstatus(Session->Conn) != CONNECTION_OK)
            throw EDatabaseError(Trimmed(PQerrorMessage(Session->Conn)));
        // A library writes nothing to the console: notices are dropped.
        PQsetNoticeProcessor(
            Session->Conn, [](void*, const char*) {}, nullptr);
        // Dates and times as ISO 8601; floating-point numbers written exactly.
        TResult Settings(PQexec(Session->Conn, "SET DateStyle = ISO; SET extra_float_digits = 3"));
        CheckCommand(Settings.get(), Session->Conn);
        return Session;
    }

    String LostMessage() const {
        String Reason = Trimmed(PQerrorMessage(Primary().Conn));
        return "The connection to the database server was lost" +
               (Reason.empty() ? String() : ": " + Reason);
    }

    String FConnectionString;
    std::vector<std::unique_ptr<TSession>> FSessions;
    uint64_t FStatementCount = 0;
    std::map<TTypeKey, String> FTypeNames;
};

class PostgresStatement : public Statement {
  public:
    PostgresStatement(std::shared_ptr<TSessions> Sessions, const String& Sql)
        : FSessions(std::move(Sessions)), FSql(Sql), FName(FSessions->NewStatementName()) {
        TSession& Session = FSessions->Free();
        PrepareIn(Session);
        try {
            TResult Description(PQdescribePrepared(Session.Conn, FName.c_str()));
            CheckCommand(Description.get(), Session.Conn);
            FParams.resize(static_cast<size_t>(PQnparams(Description.get())));
            FFormats.assign(FParams.size(), 0);
            for (int I = 0; I < PQnfields(Description.get()); ++I)
                FNames.push_back(PQfname(Description.get(), I));
            FTypes = FSessions->DeclaredTypes(Session, Description.get());
        } catch (...) {
            FSessions->Deallocate(FName);
            throw;
        }
    }

    ~PostgresStatement() override {
        if (FRunning != nullptr)
            Abandon();
        FSessions->Deallocate(FName);
    }

    void Bind(int Index, const TValue& Value) override {
        if (Index < 1 || Index > static_cast<int>(FParams.size()))
            throw EDatabaseError("Parameter index " + IntToStr(Index) + " is out of range");
        size_t I = static_cast<size_t>(Index - 1);
        FFormats[I] = 0;
        switch (Value.Kind) {
            case TValue::vkNull:
                FParams[I].reset();
                break;
            case TValue::vkInteger:
                FParams[I] = std::to_string(Value.Integer);
                break;
            case TValue::vkFloat: {
                char Buffer[32];
                auto End = std::to_chars(Buffer, Buffer + sizeof Buffer, Value.Float).ptr;
                FParams[I] = String(Buffer, End);
                break;
            }
            case TValue::vkText:
                FParams[I] = Value.Text;
                break;
            case TValue::vkBlob:
                // Bytes go in binary form, exactly as they are.
                FParams[I] = Value.Text;
                FFormats[I] = 1;
                break;
        }
    }

    bool Step() override {
        if (FDone)
            return false;
        if (FRunning == nullptr)
            Start();
        FRow.reset();
        TResult Result(PQgetResult(FRunning->Conn));
        switch (PQresultStatus(Result.get())) {
            case PGRES_SINGLE_TUPLE:
                FRow = std::move(Result);
                return true;
            case PGRES_TUPLES_OK:
            case PGRES_COMMAND_OK:
            case PGRES_EMPTY_QUERY:
                Finish();
                FDone = true;
                return false;
            default: {
                String Message = ErrorOf(Result.get(), FRunning->Conn);
                Result.reset();
                Finish();
                throw EDatabaseError(Message);
            }
        }
    }

    int ColumnCount() const override { return static_cast<int>(FNames.size()); }
    String ColumnName(int Index) const override { return Described(FNames, Index); }
    String ColumnDeclaredType(int Index) const override { return Described(FTypes, Index); }

    TValue Column(int Index) const override {
        if (!FRow || Index < 0 || Index >= PQnfields(FRow.get()) ||
            PQgetisnull(FRow.get(), 0, Index))
            return TValue::Null();
        const char* Text = PQgetvalue(FRow.get(), 0, Index);
        const char* End = Text + PQgetlength(FRow.get(), 0, Index);
        switch (PQftype(FRow.get(), Index)) {
            case Int2Type:
            case Int4Type:
            case Int8Type:
            case OidType: {
                int64_t Value = 0;
                std::from_chars(Text, End, Value);
                return TValue::FromInteger(Value);
            }
            case Float4Type:
            case Float8Type: {
                double Value = 0;
                std::from_chars(Text, End, Value);
                return TValue::FromFloat(Value);
            }
            case BoolType:
                return TValue::FromInteger(*Text == 't' ? 1 : 0);
            case ByteaType: {
                size_t Size = 0;
                unsigned char* Bytes =
                    PQunescapeBytea(reinterpret_cast<const unsigned char*>(Text), &Size);
                if (Bytes == nullptr)
                    throw EDatabaseError("Out of memory");
                String Value(reinterpret_cast<const char*>(Bytes), Size);
                PQfreemem(Bytes);
                return TValue::FromBlob(std::move(Value));
            }
            default:
                return TValue::FromText(String(Text, End));
        }
    }

    void Reset() override {
        if (FRunning != nullptr)
            Abandon();
        FDone = false;
        for (auto& Param : FParams)
            Param.reset();
        FFormats.assign(FParams.size(), 0);
    }

  private:
    static String Described(const std::vector<String>& Values, int Index) {
        return Index >= 0 && Index < static_cast<int>(Values.size())
                   ? Values[static_cast<size_t>(Index)]
                   : String();
    }

    void PrepareIn(TSession& Session) {
        TResult Result(PQprepare(Session.Conn, FName.c_str(), FSql.c_str(), 0, nullptr));
        CheckCommand(Result.get(), Session.Conn);
        Session.Prepared.insert(FName);
    }

    // Sends the statement with its parameters to a free session; rows come one by one.
    void Start() {
        TSession& Session = FSessions->Free();
        if (Session.Prepared.count(FName) == 0)
            PrepareIn(Session);
        std::vector<const char*> Values;
        std::vector<int> Lengths;
        for (const auto& Param : FParams) {
            Values.push_back(Param ? Param->c_str() : nullptr);
            Lengths.push_back(Param ? static_cast<int>(Param->size()) : 0);
        }
        if (!PQsendQueryPrepared(Session.Conn, FName.c_str(), static_cast<int>(Values.size()),
                                 Values.data(), Lengths.data(), FFormats.data(), 0))
            throw EDatabaseError(Trimmed(PQerrorMessage(Session.Conn)));
        PQsetSingleRowMode(Session.Conn);
        Session.Busy = true;
        FRunning = &Session;
    }

    // Reads what remains of the run and frees its session.
    void Finish() {
        FRow.reset();
        Drain(*FRunning);
        FSessions->Release(*FRunning);
        FRunning = nullptr;
    }

    // Ends a run before its last row. A short result has usually arrived whole; one
    // still coming is cancelled rather than read to its end.
    void Abandon() {
        PGconn* Conn = FRunning->Conn;
        FRow.reset();
        bool Ended = false;
        PQconsumeInput(Conn);
        while (!Ended && !PQisBusy(Conn)) {
            TResult Result(PQgetResult(Conn));
            ExecStatusType Status = PQresultStatus(Result.get());
            if (!Result || Status == PGRES_COPY_IN || Status == PGRES_COPY_OUT)
                Ended = true;
        }
        if (!Ended) {
            if (PGcancel* Cancel = PQgetCancel(Conn)) {
                char Error[256];
                PQcancel(Cancel, Error, sizeof Error);
                PQfreeCancel(Cancel);
            }
        }
        Finish();
    }

    std::shared_ptr<TSessions> FSessions;
    String FSql;
    String FName;
    std::vector<String> FNames;
    std::vector<String> FTypes;
    std::vector<std::optional<String>> FParams;
    std::vector<int> FFormats;
    TSession* FRunning = nullptr;  // the session the current run reads from
    TResult FRow;                  // the current row
    bool FDone = false;            // the run has given its last row
};

class PostgresConnection : public Connection {
  public:
    explicit PostgresConnection(const String& ConnectionString)
        : FSessions(std::make_shared<TSessions>(ConnectionString)) {}

    std::unique_ptr<Statement> Prepare(const String& Sql) override {
        if (Trim(Sql).empty())
            throw EDatabaseError("Empty SQL statement");
        return std::make_unique<PostgresStatement>(FSessions, Sql);
    }

    // The columns of a table are read once per connection: reading the catalogue costs a
    // server several times what opening a table otherwise costs. A dataset that fails to
    // open with remembered columns forgets them and reads them again.
    std::vector<TColumnInfo> TableColumns(const String& Table) override {
        auto Known = FKnownColumns.find(Table);
        if (Known != FKnownColumns.end())
            return Known->second;
        return FKnownColumns[Table] = ReadTableColumns(Table);
    }

    bool ForgetTable(const String& Table) override { return FKnownColumns.erase(Table) > 0; }

    std::vector<TColumnInfo> ReadTableColumns(const String& Table) {
        // The primary key's position comes from its index; serial and identity columns
        // are the auto-increment ones.
        std::vector<TRow> Rows = CatalogueRows(
            FColumnsQuery,
            "SELECT a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod), "
            "COALESCE((SELECT k.n FROM pg_catalog.pg_index i, unnest(i.indkey) WITH ORDINALITY "
            "AS k(attnum, n) WHERE i.indrelid = a.attrelid AND i.indisprimary "
            "AND k.attnum = a.attnum), 0), "
            "a.attnotnull, a.attidentity <> '' OR COALESCE(pg_catalog.pg_get_expr(d.adbin, "
            "d.adrelid) LIKE 'nextval(%', false) "
            "FROM pg_catalog.pg_attribute a "
            "JOIN pg_catalog.pg_class c ON c.oid = a.attrelid "
            "LEFT JOIN pg_catalog.pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
            "WHERE a.attrelid = to_regclass(quote_ident($1)) AND c.relkind IN ('r', 'p', 'v', "
            "'m', 'f') AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
            Table);
        if (Rows.empty())
            throw EDatabaseError("Table '" + Table + "' does not exist in database '" +
                                 FSessions->DatabaseName() + "'");
        std::vector<TColumnInfo> Columns;
        for (const TRow& Row : Rows) {
            TColumnInfo Column;
            Column.Name = Row[0].Text;
            Column.DeclaredType = Row[1].Text;
            Column.PrimaryKeyPosition = static_cast<int>(Row[2].Integer);
            Column.NotNull = Row[3].Integer != 0;
            Column.AutoIncrement = Row[4].Integer != 0;
            Columns.push_back(Column);
        }
        return Columns;
    }

    std::vector<TIndexInfo> TableIndexes(const String& Table) override {
        TableColumns(Table);  // fails for a table that does not exist
        // One row per field of each index: the primary key's first, then the others in
        // the order they were made; a field of an expression has no column name.
        std::vector<TRow> Rows = CatalogueRows(
            FIndexesQuery,
            "SELECT c.relname, i.indisprimary, i.indisunique, a.attname, i.indexrelid "
            "FROM pg_catalog.pg_index i "
            "JOIN pg_catalog.pg_class c ON c.oid = i.indexrelid "
            "CROSS JOIN LATERAL unnest(i.indkey) WITH ORDINALITY AS k(attnum, n) "
            "LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = i.indrelid "
            "AND a.attnum = k.attnum AND k.attnum > 0 "
            "WHERE i.indrelid = to_regclass(quote_ident($1)) AND k.n <= i.indnkeyatts "
            "ORDER BY i.indisprimary DESC, i.indexrelid, k.n",
            Table);
        std::vector<TIndexInfo> Indexes;
        int64_t Current = -1;
        bool OnExpression = false;
        for (const TRow& Row : Rows) {
            if (Row[4].Integer != Current) {
                if (OnExpression)
                    Indexes.pop_back();
                Current = Row[4].Integer;
                OnExpression = false;
                Indexes.push_back({Row[0].Text, {}, Row[1].Integer != 0, Row[2].Integer != 0});
            }
            if (Row[3].IsNull())
                OnExpression = true;  // an expression is no order of fields
            Indexes.back().Fields.push_back(Row[3].Text);
        }
        if (OnExpression)
            Indexes.pop_back();
        return Indexes;
    }

    bool IsLocal() const override { return false; }

    // Unquoted names are folded to small letters: a name with capitals needs its quotes.
    String NameInSql(const String& Name) const override {
        return IsPlainIdentifier(Name) && Name == LowerCase(Name) ? Name : QuoteIdentifier(Name);
    }

    String QuoteIdentifier(const String& Name) const override {
        String Result = "\"";
        for (char C : Name) {
            if (C == '"')
                Result += '"';
            Result += C;
        }
        return Result + "\"";
    }

    String Placeholder(int Index) const override {
        return String("$").append(std::to_string(Index));
    }
    bool NullsSortFirst() const override { return false; }
    String RowIdColumn() const override { return ""; }

    // LIKE compares bytes, with backslash as its escape; under the "C" collation upper()
    // folds exactly the letters a to z. The cast to text lets any column be compared.
    String PrefixCondition(const String& Column, const String& Param,
                           bool CaseInsensitive) const override {
        // Under the "C" collation ILIKE folds exactly the letters a to z, and faster than
        // folding both sides.
        if (CaseInsensitive)
            return Column + "::text COLLATE \"C\" ILIKE " + Param + "::text";
        return Column + "::text LIKE " + Param + "::text";
    }

    String PrefixPattern(const String& Prefix, bool) const override {
        String Pattern;
        for (char C : Prefix) {
            if (C == '%' || C == '_' || C == '\\')
                Pattern += '\\';
            Pattern += C;
        }
        return Pattern + "%";
    }

    String EqualsIgnoringCaseCondition(const String& Column, const String& Param) const override {
        return FoldedText(Column) + " = " + FoldedText(Param);
    }

    bool IsBroken() const override { return FSessions->Lost(); }

  private:
    std::map<String, std::vector<TColumnInfo>> FKnownColumns;

    static String FoldedText(const String& Expression) {
        return "upper(" + Expression + "::text COLLATE \"C\")";
    }

    // The rows of a catalogue query about one table; the query is prepared on first use.
    std::vector<TRow> CatalogueRows(std::unique_ptr<Statement>& Query, const char* Sql,
                                    const String& Table) {
        if (!Query)
            Query = Prepare(Sql);
        Query->Reset();
        Query->Bind(1, TValue::FromText(Table));
        std::vector<TRow> Rows;
        while (Query->Step()) {
            TRow Row;
            for (int C = 0; C < Query->ColumnCount(); ++C)
                Row.push_back(Query->Column(C));
            Rows.push_back(std::move(Row));
        }
        return Rows;
    }

    std::shared_ptr<TSessions> FSessions;
    std::unique_ptr<Statement> FColumnsQuery;
    std::unique_ptr<Statement> FIndexesQuery;
};

}  // namespace

std::shared_ptr<Connection> ConnectPostgreSQL(const String& ConnectionString) {
    return std::make_shared<PostgresConnection>(ConnectionString);
}

}  // namespace platform::engine
