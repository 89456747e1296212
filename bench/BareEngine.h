// The bare engines: the large table read through each engine's own C API, the work that
// the data layer is measured against. Each read folds the Name of every record it reads
// into a checksum, as the data layer's side does, so that both can be compared.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace varnbench {

// The table's columns in the table's order, as TTable selects them.
extern const char* const SelectList;

// The byte range that holds every text beginning with Prefix (in any letter case when
// CaseInsensitive): from the prefix in capitals to the prefix in small letters with its
// last byte raised. An index on the column can seek it. REQUIRES: Prefix is non-empty
// and its last byte is below 0xFF.
std::pair<std::string, std::string> PrefixRange(const std::string& Prefix, bool CaseInsensitive);
// Prefix as a LIKE pattern, with backslash escaping the wildcards.
std::string LikePrefixPattern(const std::string& Prefix);

// Finds the first record in Name order (Id breaking ties) whose Name begins with a prefix,
// with a statement prepared once.
class TBareLocator {
  public:
    virtual ~TBareLocator() = default;
    // Folds the found record's Name into Sum; false when no name has the prefix.
    virtual bool Find(const std::string& Prefix, uint64_t& Sum) = 0;
};

// Reads an ordered result on from where it stands, as a table's Next does.
class TBareScroller {
  public:
    virtual ~TBareScroller() = default;
    // Moves on Count rows, folding each row's Name into Sum; false when the end came first.
    virtual bool Next(int Count, uint64_t& Sum) = 0;
};

// One connection of a bare engine.
class TBareConnection {
  public:
    virtual ~TBareConnection() = default;
    // Reads the first Count rows in the order OrderBy (the text after ORDER BY) with a
    // statement made for this read.
    virtual void ReadFirst(const std::string& OrderBy, int Count, uint64_t& Sum) = 0;
    virtual std::unique_ptr<TBareLocator> Locator(bool CaseInsensitive) = 0;
    // A scroller standing before the first row of the order.
    virtual std::unique_ptr<TBareScroller> Scroller(const std::string& OrderBy) = 0;
};

class TBareEngine {
  public:
    virtual ~TBareEngine() = default;
    // The heading of the engine's figures, naming the engine and its API.
    virtual std::string Heading() const = 0;
    // What a dataset's DatabaseName is set to for the large table: a path or an alias.
    virtual std::string DatabaseName() const = 0;
    virtual int64_t Rows() const = 0;
    // A new connection.
    virtual std::unique_ptr<TBareConnection> Connect() const = 0;
    // A connection open for the whole run.
    virtual TBareConnection& Held() = 0;
};

enum TEngineKind { ekSQLite, ekPostgreSQL };

// The bare engine of a kind, made on first use: the SQLite one on the large table's file
// (made then when missing), the PostgreSQL one on the server of VARN_PG_CONNINFO, into
// which it first copies the large table.
TBareEngine& BareEngine(TEngineKind Kind);
// Closes the bare engines made so far.
void ReleaseBareEngines();

// Each kind's engine, defined beside its API.
std::unique_ptr<TBareEngine> MakeBareSQLite();
std::unique_ptr<TBareEngine> MakeBarePostgres();

}  // namespace varnbench
