// Copies the large table into PostgreSQL with COPY: the rows go in one stream into a table
// made in the same transaction (so they are stored frozen, with nothing left for later
// reads to settle), and the key and indexes are built after them by sorting.
#include "LargePgDb.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "PgConnection.h"

namespace varnbench {

namespace {

class TSqliteRows {
  public:
    explicit TSqliteRows(const std::string& Path) {
        if (sqlite3_open_v2(Path.c_str(), &FDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(FDb);
            throw std::runtime_error("Cannot open " + Path);
        }
    }
    ~TSqliteRows() {
        sqlite3_finalize(FStmt);
        sqlite3_close(FDb);
    }
    TSqliteRows(const TSqliteRows&) = delete;
    TSqliteRows& operator=(const TSqliteRows&) = delete;

    void Run(const char* Sql) {
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        if (sqlite3_prepare_v2(FDb, Sql, -1, &FStmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(Sql) + ": " + sqlite3_errmsg(FDb));
    }
    bool Step() {
        int Rc = sqlite3_step(FStmt);
        if (Rc != SQLITE_ROW && Rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(FDb));
        return Rc == SQLITE_ROW;
    }
    int Columns() const { return sqlite3_column_count(FStmt); }
    bool IsNull(int Column) const { return sqlite3_column_type(FStmt, Column) == SQLITE_NULL; }
    std::string Text(int Column) const {
        auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, Column));
        return std::string(Text, static_cast<size_t>(sqlite3_column_bytes(FStmt, Column)));
    }

  private:
    sqlite3* FDb = nullptr;
    sqlite3_stmt* FStmt = nullptr;
};

int64_t SqliteRowCount(TSqliteRows& Rows) {
    Rows.Run("SELECT COUNT(*) FROM people");
    Rows.Step();
    return std::stoll(Rows.Text(0));
}

bool HasTable(TPgConnection& Db, int64_t Rows) {
    TPgResult Exists = Db.Query("SELECT to_regclass('people') IS NOT NULL");
    if (std::string(PQgetvalue(Exists.get(), 0, 0)) != "t")
        return false;
    TPgResult Count = Db.Query("SELECT COUNT(*) FROM people");
    return std::stoll(PQgetvalue(Count.get(), 0, 0)) == Rows;
}

// A value in COPY's text format: backslash, tab and line breaks escaped.
void AppendCopyValue(std::string& Line, const std::string& Value) {
    for (char C : Value) {
        switch (C) {
            case '\\':
                Line += "\\\\";
                break;
            case '\t':
                Line += "\\t";
                break;
            case '\n':
                Line += "\\n";
                break;
            case '\r':
                Line += "\\r";
                break;
            default:
                Line += C;
        }
    }
}

void SendCopyData(TPgConnection& Db, const std::string& Data) {
    if (PQputCopyData(Db.Handle(), Data.data(), static_cast<int>(Data.size())) != 1)
        throw std::runtime_error(std::string("COPY: ") + PQerrorMessage(Db.Handle()));
}

void CopyRows(TSqliteRows& Rows, TPgConnection& Db) {
    Db.Execute("COPY people FROM STDIN (FREEZE)");
    Rows.Run("SELECT * FROM people ORDER BY \"Id\"");
    std::string Buffer;
    while (Rows.Step()) {
        for (int C = 0; C < Rows.Columns(); ++C) {
            if (C > 0)
                Buffer += '\t';
            if (Rows.IsNull(C))
                Buffer += "\\N";
            else
                AppendCopyValue(Buffer, Rows.Text(C));
        }
        Buffer += '\n';
        if (Buffer.size() >= (1 << 20)) {
            SendCopyData(Db, Buffer);
            Buffer.clear();
        }
    }
    SendCopyData(Db, Buffer);
    if (PQputCopyEnd(Db.Handle(), nullptr) != 1)
        throw std::runtime_error(std::string("COPY: ") + PQerrorMessage(Db.Handle()));
    TPgResult Result(PQgetResult(Db.Handle()));
    if (PQresultStatus(Result.get()) != PGRES_COMMAND_OK)
        throw std::runtime_error(std::string("COPY: ") + PQerrorMessage(Db.Handle()));
    while (TPgResult Rest{PQgetResult(Db.Handle())}) {
    }
}

}  // namespace

void CopyLargeDbToPostgres(const std::string& SqlitePath, const std::string& ConnInfo) {
    TSqliteRows Rows(SqlitePath);
    TPgConnection Db(ConnInfo);
    const int64_t Count = SqliteRowCount(Rows);
    if (HasTable(Db, Count))
        return;
    std::fprintf(stderr, "Copying the table people into PostgreSQL ...\n");
    auto Start = std::chrono::steady_clock::now();
    // 1. The table, made in the transaction that fills it.
    Db.Execute("BEGIN");
    Db.Execute("DROP TABLE IF EXISTS people");
    Db.Execute(
        "DO $$ BEGIN IF to_regtype('currency') IS NULL THEN "
        "CREATE DOMAIN currency AS NUMERIC(19,4); END IF; END $$");
    Db.Execute(
        "CREATE TABLE people ("
        " \"Id\" INTEGER NOT NULL,"
        " \"Name\" VARCHAR(30) NOT NULL,"
        " \"FirstName\" VARCHAR(20),"
        " \"City\" VARCHAR(30),"
        " \"Born\" DATE,"
        " \"Visits\" INTEGER,"
        " \"Balance\" CURRENCY,"
        " \"Member\" BOOLEAN)");
    // 2. The rows.
    CopyRows(Rows, Db);
    Db.Execute("COMMIT");
    // 3. The key and the indexes, then the planner's statistics.
    Db.Execute("SET maintenance_work_mem = '256MB'");
    Db.Execute("ALTER TABLE people ADD PRIMARY KEY (\"Id\")");
    Db.Execute("CREATE INDEX people_name ON people (\"Name\")");
    Db.Execute("CREATE INDEX people_city_name ON people (\"City\", \"Name\")");
    Db.Execute("VACUUM ANALYZE people");
    std::chrono::duration<double> Took = std::chrono::steady_clock::now() - Start;
    std::fprintf(stderr, "... copied in %.1f s\n", Took.count());
}

}  // namespace varnbench
