// The SQLite engine: local database files.
#include <sqlite3.h>

#include <algorithm>
#include <map>

#include "platform/DBEngine.h"

namespace platform::engine {

namespace {

class SQLiteStatement : public Statement {
  public:
    SQLiteStatement(sqlite3* Db, sqlite3_stmt* Stmt) : FDb(Db), FStmt(Stmt) {}
    ~SQLiteStatement() override { sqlite3_finalize(FStmt); }

    void Bind(int Index, const TValue& Value) override {
        int Rc = SQLITE_OK;
        switch (Value.Kind) {
            case TValue::vkNull:
                Rc = sqlite3_bind_null(FStmt, Index);
                break;
            case TValue::vkInteger:
                Rc = sqlite3_bind_int64(FStmt, Index, Value.Integer);
                break;
            case TValue::vkFloat:
                Rc = sqlite3_bind_double(FStmt, Index, Value.Float);
                break;
            case TValue::vkText:
                Rc = sqlite3_bind_text(FStmt, Index, Value.Text.data(),
                                       static_cast<int>(Value.Text.size()), SQLITE_TRANSIENT);
                break;
            case TValue::vkBlob:
                Rc = sqlite3_bind_blob(FStmt, Index, Value.Text.data(),
                                       static_cast<int>(Value.Text.size()), SQLITE_TRANSIENT);
                break;
        }
        if (Rc != SQLITE_OK)
            throw EDatabaseError(sqlite3_errmsg(FDb));
    }

    bool Step() override {
        int Rc = sqlite3_step(FStmt);
        if (Rc == SQLITE_ROW)
            return true;
        if (Rc == SQLITE_DONE)
            return false;
        String Message = sqlite3_errmsg(FDb);
        sqlite3_reset(FStmt);
        throw EDatabaseError(Message);
    }

    int ColumnCount() const override { return sqlite3_column_count(FStmt); }
    String ColumnName(int Index) const override {
        const char* Name = sqlite3_column_name(FStmt, Index);
        return Name ? Name : "";
    }
    String ColumnDeclaredType(int Index) const override {
        const char* Type = sqlite3_column_decltype(FStmt, Index);
        return Type ? Type : "";
    }

    TValue Column(int Index) const override {
        switch (sqlite3_column_type(FStmt, Index)) {
            case SQLITE_INTEGER:
                return TValue::FromInteger(sqlite3_column_int64(FStmt, Index));
            case SQLITE_FLOAT:
                return TValue::FromFloat(sqlite3_column_double(FStmt, Index));
            case SQLITE_TEXT: {
                auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, Index));
                return TValue::FromText(
                    String(Text, static_cast<size_t>(sqlite3_column_bytes(FStmt, Index))));
            }
            case SQLITE_BLOB: {
                auto* Bytes = static_cast<const char*>(sqlite3_column_blob(FStmt, Index));
                size_t Size = static_cast<size_t>(sqlite3_column_bytes(FStmt, Index));
                return TValue::FromBlob(Bytes ? String(Bytes, Size) : String());
            }
            default:
                return TValue::Null();
        }
    }

    void Reset() override {
        sqlite3_reset(FStmt);
        sqlite3_clear_bindings(FStmt);
    }

  private:
    sqlite3* FDb;
    sqlite3_stmt* FStmt;
};

class SQLiteConnection : public Connection {
  public:
    explicit SQLiteConnection(const String& Path) : FPath(Path) {
        int Rc = sqlite3_open_v2(Path.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
        if (Rc != SQLITE_OK) {
            String Message = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(Rc);
            sqlite3_close(FDb);
            throw EDatabaseError("Cannot open database '" + Path + "': " + Message);
        }
        sqlite3_busy_timeout(FDb, 5000);
    }
    ~SQLiteConnection() override { sqlite3_close_v2(FDb); }

    std::unique_ptr<Statement> Prepare(const String& Sql) override {
        sqlite3_stmt* Stmt = nullptr;
        int Rc = sqlite3_prepare_v3(FDb, Sql.c_str(), static_cast<int>(Sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &Stmt, nullptr);
        if (Rc != SQLITE_OK)
            throw EDatabaseError(sqlite3_errmsg(FDb));
        if (Stmt == nullptr)
            throw EDatabaseError("Empty SQL statement");
        return std::make_unique<SQLiteStatement>(FDb, Stmt);
    }

    std::vector<TColumnInfo> TableColumns(const String& Table) override {
        // The columns, and the table's SQL to tell whether its key is AUTOINCREMENT.
        Statement& Info =
            Cached(FColumnsStatement,
                   "SELECT p.name, p.type, p.pk, p.\"notnull\", "
                   "(SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1) "
                   "FROM pragma_table_info(?1) AS p");
        Info.Bind(1, TValue::FromText(Table));
        std::vector<TColumnInfo> Columns;
        bool Declared = false;
        while (Info.Step()) {
            TColumnInfo C;
            C.Name = Info.Column(0).Text;
            C.DeclaredType = Info.Column(1).Text;
            C.PrimaryKeyPosition = static_cast<int>(Info.Column(2).Integer);
            C.NotNull = Info.Column(3).Integer != 0;
            Declared = UpperCase(Info.Column(4).Text).find("AUTOINCREMENT") != String::npos;
            Columns.push_back(C);
        }
        Info.Reset();
        if (Columns.empty())
            throw EDatabaseError("Table '" + Table + "' does not exist in database '" + FPath +
                                 "'");
        // Only an INTEGER PRIMARY KEY declared AUTOINCREMENT counts as an auto-increment key.
        for (TColumnInfo& C : Columns)
            C.AutoIncrement =
                Declared && C.PrimaryKeyPosition == 1 && UpperCase(C.DeclaredType) == "INTEGER";
        return Columns;
    }

    std::vector<TIndexInfo> TableIndexes(const String& Table) override {
        std::vector<TColumnInfo> Columns = TableColumns(Table);
        // Every index with its fields, in the order in which the indexes were made.
        Statement& List = Cached(
            FIndexesStatement,
            "SELECT m.name, il.\"unique\", il.origin, ii.name FROM sqlite_master AS m "
            "JOIN pragma_index_list(m.tbl_name) AS il ON il.name = m.name "
            "JOIN pragma_index_info(m.name) AS ii "
            "WHERE m.type = 'index' AND m.tbl_name = ? COLLATE NOCASE ORDER BY m.rowid, ii.seqno");
        List.Bind(1, TValue::FromText(Table));
        std::vector<TIndexInfo> Listed;
        std::vector<bool> OnExpression;
        while (List.Step()) {
            String Name = List.Column(0).Text;
            if (Listed.empty() || Listed.back().Name != Name) {
                Listed.push_back(
                    {Name, {}, List.Column(2).Text == "pk", List.Column(1).Integer != 0});
                OnExpression.push_back(false);
            }
            TValue Field = List.Column(3);
            if (Field.IsNull())
                OnExpression.back() = true;
            Listed.back().Fields.push_back(Field.Text);
        }
        List.Reset();

        // The primary key first: an INTEGER PRIMARY KEY is the row id and has no index of
        // its own, so it is described from the columns. An expression is no order of fields.
        std::vector<TIndexInfo> Indexes;
        bool HasPrimaryIndex = std::any_of(Listed.begin(), Listed.end(),
                                           [](const TIndexInfo& I) { return I.Primary; });
        std::vector<TColumnInfo> Key;
        for (const TColumnInfo& C : Columns)
            if (C.PrimaryKeyPosition > 0)
                Key.push_back(C);
        std::sort(Key.begin(), Key.end(), [](const TColumnInfo& A, const TColumnInfo& B) {
            return A.PrimaryKeyPosition < B.PrimaryKeyPosition;
        });
        if (!HasPrimaryIndex && !Key.empty()) {
            TIndexInfo Primary{"", {}, true, true};
            for (const TColumnInfo& C : Key)
                Primary.Fields.push_back(C.Name);
            Indexes.push_back(Primary);
        }
        for (size_t I = 0; I < Listed.size(); ++I)
            if (Listed[I].Primary && !OnExpression[I])
                Indexes.push_back(Listed[I]);
        for (size_t I = 0; I < Listed.size(); ++I)
            if (!Listed[I].Primary && !OnExpression[I])
                Indexes.push_back(Listed[I]);
        return Indexes;
    }

    bool IsLocal() const override { return true; }

    String QuoteIdentifier(const String& Name) const override {
        String Result = "\"";
        for (char C : Name) {
            if (C == '"')
                Result += '"';
            Result += C;
        }
        return Result + "\"";
    }

    String Placeholder(int) const override { return "?"; }
    bool NullsSortFirst() const override { return true; }
    String RowIdColumn() const override { return "rowid"; }

    String PrefixCondition(const String& Column, const String& Param,
                           bool CaseInsensitive) const override {
        // LIKE folds exactly the letters a to z; GLOB compares bytes and can use an index.
        if (CaseInsensitive)
            return Column + " LIKE " + Param + " ESCAPE '\\'";
        return Column + " GLOB " + Param;
    }

    String PrefixPattern(const String& Prefix, bool CaseInsensitive) const override {
        String Pattern;
        for (char C : Prefix) {
            if (CaseInsensitive) {
                if (C == '%' || C == '_' || C == '\\')
                    Pattern += '\\';
                Pattern += C;
            } else if (C == '*' || C == '?' || C == '[') {
                Pattern += String("[") + C + "]";
            } else {
                Pattern += C;
            }
        }
        return Pattern + (CaseInsensitive ? "%" : "*");
    }

    String EqualsIgnoringCaseCondition(const String& Column, const String& Param) const override {
        return Column + " = " + Param + " COLLATE NOCASE";
    }

  private:
    // A catalogue statement, prepared on first use and kept.
    Statement& Cached(std::unique_ptr<Statement>& Slot, const char* Sql) {
        if (!Slot)
            Slot = Prepare(Sql);
        return *Slot;
    }

    String FPath;
    sqlite3* FDb = nullptr;
    std::unique_ptr<Statement> FColumnsStatement;
    std::unique_ptr<Statement> FIndexesStatement;
};

}  // namespace

std::shared_ptr<Connection> ConnectSQLite(const String& Path) {
    return std::make_shared<SQLiteConnection>(Path);
}

}  // namespace platform::engine
