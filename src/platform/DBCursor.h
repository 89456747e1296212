// Cursors: how a dataset walks the records of a database. A table cursor is a window
// over the engine's ordered result, moved by seeking on the order's key; a query cursor
// reads its statement's rows in sequence.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/DBEngine.h"

namespace platform {

class TCursor {
  public:
    virtual ~TCursor() = default;
    // Each move gives false when there is no record to move to; the cursor then stays
    // where it was (First and Last: the dataset is empty).
    virtual bool First() = 0;
    virtual bool Last() = 0;
    virtual bool Next() = 0;
    virtual bool Prior() = 0;
    // REQUIRES: the cursor is on a record.
    virtual const TRow& Current() const = 0;
    // A text that identifies the current record within this cursor's data.
    virtual String Identity() const = 0;
    // Moves to the record of an identity; false when it is no longer there.
    virtual bool GotoIdentity(const String& Identity) = 0;
    virtual int64_t RecordCount() = 0;
    // The first record in the cursor's order whose Columns match Values; the cursor
    // moves there and gives true, or stays and gives false. Empty when the cursor cannot
    // search by itself and the dataset has to scan.
    virtual std::optional<bool> Locate(const std::vector<int>& Columns,
                                       const std::vector<String>& Values, bool CaseInsensitive,
                                       bool PartialKey);
    // The values of ResultColumns of the first record whose KeyColumns equal KeyValues,
    // without moving; empty when the cursor cannot look up by itself.
    virtual std::optional<std::optional<TRow>> Lookup(const std::vector<int>& KeyColumns,
                                                      const std::vector<TValue>& KeyValues,
                                                      const std::vector<int>& ResultColumns);
};

// What a table cursor reads: the columns of one table, a filter of equalities, and the
// order. OrderColumns must identify a record (end with the primary key or row id).
struct TTableCursorSetup {
    std::shared_ptr<engine::Connection> Connection;
    String Table;
    std::vector<String> Columns;       // selected, in field order
    std::vector<int> OrderColumns;     // positions in Columns, most significant first
    std::vector<int> IdentityColumns;  // positions in Columns of the primary key or row id
    std::vector<int> FilterColumns;    // positions in Columns that must equal FilterValues
    std::vector<TValue> FilterValues;
    std::vector<bool> TextColumns;     // per column: holds text (ordered byte by byte)
    std::vector<bool> NotNullColumns;  // per column: declared NOT NULL (or a key)
    // The first read takes FirstWindow rows; reading on in the same direction doubles the
    // window up to MaxWindow, so that long scans need few statements.
    int FirstWindow = 32;
    int MaxWindow = 512;
};

class TTableCursor : public TCursor {
  public:
    explicit TTableCursor(TTableCursorSetup Setup);
    bool First() override;
    bool Last() override;
    bool Next() override;
    bool Prior() override;
    const TRow& Current() const override;
    String Identity() const override;
    bool GotoIdentity(const String& Identity) override;
    int64_t RecordCount() override;
    std::optional<bool> Locate(const std::vector<int>& Columns, const std::vector<String>& Values,
                               bool CaseInsensitive, bool PartialKey) override;
    std::optional<std::optional<TRow>> Lookup(const std::vector<int>& KeyColumns,
                                              const std::vector<TValue>& KeyValues,
                                              const std::vector<int>& ResultColumns) override;

  private:
    enum TDirection { dForward, dBackward };
    struct TCondition {
        String Sql;
        std::vector<TValue> Params;
    };
    using TConditions = std::vector<TCondition>;

    // Reads up to a window of rows in the given direction: from the start or end when
    // Key is null, else those after (before) Key, or from Key on when Inclusive.
    std::vector<TRow> Fetch(TDirection Direction, const TRow* Key, bool Inclusive);
    // Whether one row-value comparison "(o1, ..., on) > (k1, ..., kn)" selects exactly the
    // rows beyond Key: SQL's NULL logic excludes every row that is null where it differs.
    bool RowValueSeekIsExact(TDirection Direction, const TRow& Key) const;
    int NextWindowSize(TDirection Direction);
    // Locate's searches: the first matching record in the order, in one statement or, for a
    // search on the column the order leads with, through that column's smallest match.
    bool SearchesFirstFreeOrderColumn(const std::vector<int>& Columns) const;
    std::vector<TRow> RunFirst(const TConditions& Conditions);
    std::vector<TRow> RunFirstByLeadingValue(int Column, const TConditions& Conditions);
    bool IsTextColumn(int Column) const;
    // The conditions, one per union term, that select the rows beyond Key.
    std::vector<TConditions> SeekTerms(TDirection Direction, const TRow& Key, bool Inclusive) const;
    String SelectSql(const TConditions& Conditions, TDirection Direction, int& ParamNo) const;
    String WhereClause(const TConditions& Conditions, int& ParamNo) const;
    String OrderBy(TDirection Direction, const String& Prefix) const;
    TConditions FilterConditions() const;
    std::vector<TRow> Run(const String& Sql, const std::vector<TValue>& Params);
    TRow KeyOf(const TRow& Row) const;
    bool ShowWindow(std::vector<TRow> Rows, size_t Position);

    TTableCursorSetup FSetup;
    std::vector<String> FQuoted;  // quoted column names
    String FSelectList;
    std::vector<TRow> FWindow;
    size_t FPosition = 0;
    TDirection FLastDirection = dForward;
    int FWindowSize = 0;
};

// Reads the rows of a statement in order, keeping a window of recent rows; moving back
// beyond the window runs the statement again. Record identity is the row's position.
class TQueryCursor : public TCursor {
  public:
    TQueryCursor(std::shared_ptr<engine::Connection> Connection, const String& Sql);
    // The result's column names and declared types.
    const std::vector<String>& ColumnNames() const { return FNames; }
    const std::vector<String>& ColumnTypes() const { return FTypes; }

    bool First() override;
    bool Last() override;
    bool Next() override;
    bool Prior() override;
    const TRow& Current() const override;
    String Identity() const override;
    bool GotoIdentity(const String& Identity) override;
    int64_t RecordCount() override;

  private:
    bool GotoPosition(int64_t Position);
    bool ReadNext();
    void Restart();

    std::shared_ptr<engine::Connection> FConnection;
    String FSql;
    std::unique_ptr<engine::Statement> FStatement;
    std::vector<String> FNames;
    std::vector<String> FTypes;
    std::vector<TRow> FWindow;  // rows FWindowStart .. FWindowStart + size - 1
    int64_t FWindowStart = 0;
    int64_t FNextRow = 0;    // position of the row the statement gives next
    int64_t FPosition = -1;  // current row
    bool FExhausted = false;
    int64_t FKnownCount = -1;
    static constexpr size_t WindowSize = 256;
};

// Turns a list of values into text and back, for bookmarks.
String EncodeValues(const std::vector<TValue>& Values);
std::vector<TValue> DecodeValues(const String& Text);

}  // namespace platform
