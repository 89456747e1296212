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
        auto Info = Prepare("SELECT name, type, pk, \"notnull\" FROM pragma_table_info(?)");
        Info->Bind(1, TValue::FromText(Table));
        std::vector<TColumnInfo> Columns;
        while (Info->Step()) {
            TColumnInfo C;
            C.Name = Info->Column(0).Text;
            C.DeclaredType = Info->Column(1).Text;
            C.PrimaryKeyPosition = static_cast<int>(Info->Column(2).Integer);
            C.NotNull = Info->Column(3).Integer != 0;
            Columns.push_back(C);
        }
        if (Columns.empty())
            throw EDatabaseError("Table '" + Table + "' does not exist in database '" + FPath +
                                 "'");
        // Only an INTEGER PRIMARY KEY declared AUTOINCREMENT counts as an auto-increment key.
        auto Sql = Prepare("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?");
        Sql->Bind(1, TValue::FromText(Table));
        bool Declared =
            Sql->Step() && UpperCase(Sql->Column(0).Text).find("AUTOINCREMENT") != String::npos;
        for (TColumnInfo& C : Columns)
            C.AutoIncrement =
                Declared && C.PrimaryKeyPosition == 1 && UpperCase(C.DeclaredType) == "INTEGER";
        return Columns;
    }

    std::vector<TIndexInfo> TableIndexes(const String& Table) override {
        std::vector<TColumnInfo> Columns = TableColumns(Table);
        std::map<String, std::pair<bool, String>> Listed;  // name -> unique, origin
        auto List = Prepare("SELECT name, \"unique\", origin FROM pragma_index_list(?)");
        List->Bind(1, TValue::FromText(Table));
        while (List->Step())
            Listed[List->Column(0).Text] = {List->Column(1).Integer != 0, List->Column(2).Text};

        std::vector<TIndexInfo> Indexes;
        // An INTEGER PRIMARY KEY is the table's row id and has no index of its own.
        bool HasPrimaryIndex = std::any_of(Listed.begin(), Listed.end(),
                                           [](const auto& L) { return L.second.second == "pk"; });
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
        // In the order in which they were made, the primary key's index first.
        auto Names = Prepare(
            "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ? COLLATE NOCASE "
            "ORDER BY rowid");
        Names->Bind(1, TValue::FromText(Table));
        std::vector<TIndexInfo> Others;
        while (Names->Step()) {
            String Name = Names->Column(0).Text;
            auto L = Listed.find(Name);
            if (L == Listed.end())
                continue;
            TIndexInfo Index{Name, {}, L->second.second == "pk", L->second.first};
            auto Info = Prepare("SELECT name FROM pragma_index_info(?) ORDER BY seqno");
            Info->Bind(1, TValue::FromText(Name));
            bool OnExpression = false;
            while (Info->Step()) {
                TValue Field = Info->Column(0);
                if (Field.IsNull())
                    OnExpression = true;
                Index.Fields.push_back(Field.Text);
            }
            if (OnExpression)
                continue;  // an expression is no order of fields
            (Index.Primary ? Indexes : Others).push_back(Index);
        }
        Indexes.insert(Indexes.end(), Others.begin(), Others.end());
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
    String FPath;
    sqlite3* FDb = nullptr;
};

}  // namespace

std::shared_ptr<Connection> ConnectSQLite(const String& Path) {
    return std::make_shared<SQLiteConnection>(Path);
}

}  // namespace platform::engine
