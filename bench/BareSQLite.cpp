// The bare SQLite engine: the large table's file read through the SQLite C API.
#include <sqlite3.h>

#include <stdexcept>

#include "BareEngine.h"
#include "BenchSupport.h"

namespace varnbench {

namespace {

constexpr int NameColumn = 1;

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

    bool Step() {
        int Rc = sqlite3_step(FStmt);
        if (Rc == SQLITE_ROW)
            return true;
        if (Rc == SQLITE_DONE)
            return false;
        throw std::runtime_error(sqlite3_errmsg(FDb));
    }
    void Reset() { sqlite3_reset(FStmt); }
    int64_t Integer(int Column) const { return sqlite3_column_int64(FStmt, Column); }
    void BindText(int Index, const std::string& Text) {
        sqlite3_bind_text(FStmt, Index, Text.data(), static_cast<int>(Text.size()),
                          SQLITE_TRANSIENT);
    }
    // Reads every column of the current row, as the data layer's cursor does, and gives
    // the Name column as a string, as reading a field's AsString does.
    std::string ReadRow() const {
        int64_t Sink = 0;
        for (int C = 0; C < sqlite3_column_count(FStmt); ++C) {
            switch (sqlite3_column_type(FStmt, C)) {
                case SQLITE_INTEGER:
                    Sink += sqlite3_column_int64(FStmt, C);
                    break;
                case SQLITE_FLOAT:
                    Sink += static_cast<int64_t>(sqlite3_column_double(FStmt, C));
                    break;
                case SQLITE_TEXT:
                    Sink += *sqlite3_column_text(FStmt, C) + sqlite3_column_bytes(FStmt, C);
                    break;
                default:
                    break;
            }
        }
        benchmark::DoNotOptimize(Sink);
        auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, NameColumn));
        return std::string(Text, static_cast<size_t>(sqlite3_column_bytes(FStmt, NameColumn)));
    }

  private:
    sqlite3* FDb;
    sqlite3_stmt* FStmt = nullptr;
};

class TLocator : public TBareLocator {
  public:
    TLocator(sqlite3* Db, bool CaseInsensitive)
        : FCaseInsensitive(CaseInsensitive),
          // Within the range a case-sensitive prefix needs no further test.
          FStatement(Db, std::string("SELECT ") + SelectList +
                             R"( FROM people WHERE "Name" >= ?1 AND "Name" < ?2)" +
                             (CaseInsensitive ? R"( AND "Name" LIKE ?3 ESCAPE '\')" : "") +
                             R"( ORDER BY "Name", "Id" LIMIT 1)") {}

    bool Find(const std::string& Prefix, uint64_t& Sum) override {
        auto [Low, High] = PrefixRange(Prefix, FCaseInsensitive);
        FStatement.BindText(1, Low);
        FStatement.BindText(2, High);
        if (FCaseInsensitive)
            FStatement.BindText(3, LikePrefixPattern(Prefix));
        bool Found = FStatement.Step();
        if (Found)
            Fold(Sum, FStatement.ReadRow());
        FStatement.Reset();
        return Found;
    }

  private:
    bool FCaseInsensitive;
    TStatement FStatement;
};

class TScroller : public TBareScroller {
  public:
    TScroller(sqlite3* Db, const std::string& OrderBy)
        : FStatement(Db, std::string("SELECT ") + SelectList + " FROM people ORDER BY " + OrderBy) {
    }

    bool Next(int Count, uint64_t& Sum) override {
        for (int I = 0; I < Count; ++I) {
            if (!FStatement.Step())
                return false;
            Fold(Sum, FStatement.ReadRow());
        }
        return true;
    }

  private:
    TStatement FStatement;
};

class TConnection : public TBareConnection {
  public:
    explicit TConnection(const std::string& Path) {
        // The same flags as the data layer's connections.
        if (sqlite3_open_v2(Path.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            sqlite3_close(FDb);
            throw std::runtime_error("Cannot open " + Path);
        }
    }
    ~TConnection() override { sqlite3_close(FDb); }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    void ReadFirst(const std::string& OrderBy, int Count, uint64_t& Sum) override {
        TStatement First(FDb, std::string("SELECT ") + SelectList + " FROM people ORDER BY " +
                                  OrderBy + " LIMIT " + std::to_string(Count));
        while (First.Step())
            Fold(Sum, First.ReadRow());
    }
    std::unique_ptr<TBareLocator> Locator(bool CaseInsensitive) override {
        return std::make_unique<TLocator>(FDb, CaseInsensitive);
    }
    std::unique_ptr<TBareScroller> Scroller(const std::string& OrderBy) override {
        return std::make_unique<TScroller>(FDb, OrderBy);
    }
    int64_t Count() {
        TStatement Count(FDb, "SELECT COUNT(*) FROM people");
        Count.Step();
        return Count.Integer(0);
    }

  private:
    sqlite3* FDb = nullptr;
};

class TEngine : public TBareEngine {
  public:
    TEngine() : FPath(TLargeDbFile::Get().Path()), FHeld(FPath), FRows(FHeld.Count()) {}

    std::string Heading() const override {
        return "SQLite, " + std::to_string(FRows) + " rows; bare: the SQLite C API";
    }
    std::string DatabaseName() const override { return FPath; }
    int64_t Rows() const override { return FRows; }
    std::unique_ptr<TBareConnection> Connect() const override {
        return std::make_unique<TConnection>(FPath);
    }
    TBareConnection& Held() override { return FHeld; }

  private:
    std::string FPath;
    TConnection FHeld;
    int64_t FRows;
};

}  // namespace

std::unique_ptr<TBareEngine> MakeBareSQLite() {
    return std::make_unique<TEngine>();
}

}  // namespace varnbench
