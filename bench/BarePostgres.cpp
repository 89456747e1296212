// The bare PostgreSQL engine: the large table on the server of VARN_PG_CONNINFO read
// through libpq, each read in one round trip with the whole result at once.
#include <stdexcept>

#include "BareEngine.h"
#include "BenchSupport.h"
#include "LargePgDb.h"
#include "PgConnection.h"
#include "platform/DBEngine.h"

namespace varnbench {

namespace {

constexpr int NameColumn = 1;
// The alias through which the data layer opens the same database.
const char* const AliasName = "VarnBenchPostgres";

// Reads every column of a row, as the data layer's cursor does, and gives the Name
// column as a string, as reading a field's AsString does.
std::string ReadRow(const PGresult* Result, int Row) {
    int64_t Sink = 0;
    for (int C = 0; C < PQnfields(Result); ++C)
        if (!PQgetisnull(Result, Row, C))
            Sink += *PQgetvalue(Result, Row, C) + PQgetlength(Result, Row, C);
    benchmark::DoNotOptimize(Sink);
    return std::string(PQgetvalue(Result, Row, NameColumn),
                       static_cast<size_t>(PQgetlength(Result, Row, NameColumn)));
}

void FoldRows(const PGresult* Result, uint64_t& Sum) {
    for (int Row = 0; Row < PQntuples(Result); ++Row)
        Fold(Sum, ReadRow(Result, Row));
}

// Names of server-side statements and cursors, unique within the process.
std::string UniqueName(const char* Stem) {
    static int Count = 0;
    return Stem + std::to_string(++Count);
}

class TLocator : public TBareLocator {
  public:
    // The smallest matching Name is read from the Name index alone, then that name's first
    // record by Id. Asked in one go with ORDER BY "Name", "Id", the server sorts each run of
    // equal names by Id and, to know where the first run ends, reads on to the next row
    // that passes the test: to the end of the range when few names do.
    TLocator(TPgConnection& Db, bool CaseInsensitive)
        : FDb(Db), FCaseInsensitive(CaseInsensitive), FName(UniqueName("bare_locate_")) {
        // Within the range a case-sensitive prefix needs no further test.
        FDb.Prepare(FName, std::string("SELECT ") + SelectList +
                               R"( FROM people WHERE "Name" = (SELECT "Name" FROM people)" +
                               R"( WHERE "Name" >= $1 AND "Name" < $2)" +
                               (CaseInsensitive ? R"( AND "Name" ILIKE $3)" : "") +
                               R"( ORDER BY "Name" LIMIT 1) ORDER BY "Id" LIMIT 1)");
    }
    ~TLocator() override { PQclear(PQexec(FDb.Handle(), ("DEALLOCATE " + FName).c_str())); }
    TLocator(const TLocator&) = delete;
    TLocator& operator=(const TLocator&) = delete;

    bool Find(const std::string& Prefix, uint64_t& Sum) override {
        auto [Low, High] = PrefixRange(Prefix, FCaseInsensitive);
        std::vector<std::string> Params{Low, High};
        if (FCaseInsensitive)
            Params.push_back(LikePrefixPattern(Prefix));
        TPgResult Result = FDb.RunPrepared(FName, Params);
        FoldRows(Result.get(), Sum);
        return PQntuples(Result.get()) > 0;
    }

  private:
    TPgConnection& FDb;
    bool FCaseInsensitive;
    std::string FName;
};

// A server-side cursor over the ordered result, fetched from in portions: the way a
// libpq program reads on through a result too large to take whole.
class TScroller : public TBareScroller {
  public:
    TScroller(TPgConnection& Db, const std::string& OrderBy)
        : FDb(Db), FName(UniqueName("bare_scroll_")) {
        FDb.Execute("BEGIN");
        FDb.Execute("DECLARE " + FName + " NO SCROLL CURSOR FOR SELECT " + SelectList +
                    " FROM people ORDER BY " + OrderBy);
    }
    ~TScroller() override {
        PQclear(PQexec(FDb.Handle(), ("CLOSE " + FName + "; COMMIT").c_str()));
    }
    TScroller(const TScroller&) = delete;
    TScroller& operator=(const TScroller&) = delete;

    bool Next(int Count, uint64_t& Sum) override {
        TPgResult Rows = FDb.Query("FETCH FORWARD " + std::to_string(Count) + " FROM " + FName);
        FoldRows(Rows.get(), Sum);
        return PQntuples(Rows.get()) == Count;
    }

  private:
    TPgConnection& FDb;
    std::string FName;
};

class TConnection : public TBareConnection {
  public:
    explicit TConnection(const std::string& ConnInfo) : FDb(ConnInfo) {}

    void ReadFirst(const std::string& OrderBy, int Count, uint64_t& Sum) override {
        TPgResult Rows = FDb.Query(std::string("SELECT ") + SelectList + " FROM people ORDER BY " +
                                   OrderBy + " LIMIT " + std::to_string(Count));
        FoldRows(Rows.get(), Sum);
    }
    std::unique_ptr<TBareLocator> Locator(bool CaseInsensitive) override {
        return std::make_unique<TLocator>(FDb, CaseInsensitive);
    }
    std::unique_ptr<TBareScroller> Scroller(const std::string& OrderBy) override {
        return std::make_unique<TScroller>(FDb, OrderBy);
    }
    int64_t Count() {
        TPgResult Count = FDb.Query("SELECT COUNT(*) FROM people");
        return std::stoll(PQgetvalue(Count.get(), 0, 0));
    }

  private:
    TPgConnection FDb;
};

std::string RequiredConnInfo() {
    std::string ConnInfo = PostgresConnInfo();
    if (ConnInfo.empty())
        throw std::runtime_error("VARN_PG_CONNINFO is not set");
    return ConnInfo;
}

class TEngine : public TBareEngine {
  public:
    TEngine() : FConnInfo(RequiredConnInfo()) {
        CopyLargeDbToPostgres(TLargeDbFile::Get().Path(), FConnInfo);
        platform::RegisterAlias(AliasName, platform::dePostgreSQL, FConnInfo);
        FHeld = std::make_unique<TConnection>(FConnInfo);
        FRows = FHeld->Count();
    }

    std::string Heading() const override {
        return "PostgreSQL, " + std::to_string(FRows) + " rows; bare: libpq";
    }
    std::string DatabaseName() const override { return AliasName; }
    int64_t Rows() const override { return FRows; }
    std::unique_ptr<TBareConnection> Connect() const override {
        return std::make_unique<TConnection>(FConnInfo);
    }
    TBareConnection& Held() override { return *FHeld; }

  private:
    std::string FConnInfo;
    std::unique_ptr<TConnection> FHeld;
    int64_t FRows = 0;
};

}  // namespace

std::unique_ptr<TBareEngine> MakeBarePostgres() {
    return std::make_unique<TEngine>();
}

}  // namespace varnbench
