// The database engines behind the datasets: connections, prepared statements, the
// catalogue (columns and indexes of a table) and the alias registry that maps a
// database name to an engine and its target.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/SysUtils.h"

namespace platform {

// An error of a database, a dataset or a field; the message names what failed.
class EDatabaseError : public Exception {
  public:
    using Exception::Exception;
};

// A value as it comes from or goes to an engine.
struct TValue {
    enum TKind : uint8_t { vkNull, vkInteger, vkFloat, vkText, vkBlob };
    TKind Kind = vkNull;
    int64_t Integer = 0;
    double Float = 0;
    String Text;  // text, or the bytes of a blob

    static TValue Null() { return {}; }
    static TValue FromInteger(int64_t V) { return {vkInteger, V, 0, {}}; }
    static TValue FromFloat(double V) { return {vkFloat, 0, V, {}}; }
    static TValue FromText(String V) { return {vkText, 0, 0, std::move(V)}; }
    static TValue FromBlob(String V) { return {vkBlob, 0, 0, std::move(V)}; }
    bool IsNull() const { return Kind == vkNull; }
    friend bool operator==(const TValue& A, const TValue& B);
};

using TRow = std::vector<TValue>;

namespace engine {

// A column of a table as the catalogue declares it.
struct TColumnInfo {
    String Name;
    String DeclaredType;         // as written in the schema, e.g. "VARCHAR(40)"
    int PrimaryKeyPosition = 0;  // 1-based position in the primary key, 0 when not part of it
    bool AutoIncrement = false;
    bool NotNull = false;
};

// An index of a table; Fields are the column names in index order.
struct TIndexInfo {
    String Name;
    std::vector<String> Fields;
    bool Primary = false;
    bool Unique = false;
};

// A prepared statement. Parameters are numbered from 1.
class Statement {
  public:
    virtual ~Statement() = default;
    virtual void Bind(int Index, const TValue& Value) = 0;
    // Runs the statement on first call; moves to the next result row. False when done.
    virtual bool Step() = 0;
    virtual int ColumnCount() const = 0;
    virtual String ColumnName(int Index) const = 0;
    // The declared type of a result column that comes straight from a table column,
    // else empty.
    virtual String ColumnDeclaredType(int Index) const = 0;
    virtual TValue Column(int Index) const = 0;
    // Ends the current run and clears the bindings, so the statement can run again.
    virtual void Reset() = 0;
};

// A connection to one database. Errors are thrown as EDatabaseError with the engine's
// own message.
class Connection {
  public:
    virtual ~Connection() = default;
    virtual std::unique_ptr<Statement> Prepare(const String& Sql) = 0;
    // A statement prepared once for this connection and kept for the next caller with the
    // same SQL. REQUIRES: every run of it is read to its end (or fails) before the next.
    Statement& CachedStatement(const String& Sql);
    // Drops a cached statement, e.g. after a run of it failed.
    void ForgetStatement(const String& Sql) { FStatementCache.erase(Sql); }
    // Runs a statement that returns no rows.
    void Execute(const String& Sql);
    // Forgets what the connection remembers of a table's structure; true when it
    // remembered something.
    virtual bool ForgetTable(const String& Table) {
        (void)Table;
        return false;
    }
    // Fails with EDatabaseError naming the table when it does not exist.
    virtual std::vector<TColumnInfo> TableColumns(const String& Table) = 0;
    virtual std::vector<TIndexInfo> TableIndexes(const String& Table) = 0;
    // True for a local, file-based database (its tables are sequenced).
    virtual bool IsLocal() const = 0;
    // The identifier enclosed in the engine's quotes, inner quotes doubled.
    virtual String QuoteIdentifier(const String& Name) const = 0;
    // A name as SQL text must give it: unchanged where the engine reads it unquoted as
    // the same name, else quoted.
    virtual String NameInSql(const String& Name) const;
    // The placeholder of parameter Index (1-based) in SQL text.
    virtual String Placeholder(int Index) const = 0;
    // Whether NULL sorts before every other value in an ascending ORDER BY.
    virtual bool NullsSortFirst() const = 0;
    // A row id that breaks ties in tables without a primary key, or empty.
    virtual String RowIdColumn() const = 0;
    // An SQL condition that Column begins with the text of parameter Param, letters a to
    // z folded when CaseInsensitive. Wildcards of the engine in the value are escaped by
    // PrefixPattern.
    virtual String PrefixCondition(const String& Column, const String& Param,
                                   bool CaseInsensitive) const = 0;
    virtual String PrefixPattern(const String& Prefix, bool CaseInsensitive) const = 0;
    // An SQL condition that Column equals parameter Param with letters a to z folded.
    virtual String EqualsIgnoringCaseCondition(const String& Column, const String& Param) const = 0;
    // True when the connection is known to be lost (its server ended it); such a
    // connection is not shared any more.
    virtual bool IsBroken() const { return false; }

  private:
    std::map<String, std::unique_ptr<Statement>> FStatementCache;
};

// A name of letters, digits and "_" that does not begin with a digit.
bool IsPlainIdentifier(const String& Name);

// Opens an SQLite database file, which must exist.
std::shared_ptr<Connection> ConnectSQLite(const String& Path);
// Connects to a PostgreSQL server with a libpq connection string.
std::shared_ptr<Connection> ConnectPostgreSQL(const String& ConnectionString);

}  // namespace engine

enum TDatabaseEngine : uint8_t { deSQLite, dePostgreSQL };

// Registers (or replaces) an alias: a name that stands for a database. For SQLite the
// target is a file path, for PostgreSQL a connection string.
void RegisterAlias(const String& Name, TDatabaseEngine Engine, const String& Target);
void UnregisterAlias(const String& Name);
bool IsAlias(const String& Name);

// The engine of a database name: the alias's engine, or SQLite for a file path.
TDatabaseEngine EngineOfDatabase(const String& DatabaseName);

// The connection for a database name: an alias (letter case ignored), or else the path
// of an SQLite file, which must exist. Datasets of one database share one connection
// for as long as any of them holds it.
std::shared_ptr<engine::Connection> ConnectDatabase(const String& DatabaseName);

}  // namespace platform
