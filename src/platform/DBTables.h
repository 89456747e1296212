// Datasets of a database: tables (a cursor over one table, ordered by an index's
// fields, optionally the detail of a master) and queries (the rows of an SQL statement).
#pragma once

#include <memory>
#include <optional>

#include "platform/DB.h"

namespace platform {

// A dataset that may have a current index; its fields are counted here.
class TBDEDataSet : public TDataSet {
  public:
    using TDataSet::TDataSet;
    // The number of fields of the current index; 0 when there is none or it is closed.
    virtual int GetIndexFieldCount() const { return 0; }
    // The field at a 0-based position of the current index.
    virtual TField* GetIndexField(int Index) const;
};

// A dataset of a named database: an alias or an SQLite file path.
class TDBDataSet : public TBDEDataSet {
  public:
    using TBDEDataSet::TBDEDataSet;
    const String& GetDatabaseName() const { return FDatabaseName; }
    // REQUIRES: the dataset is closed.
    void SetDatabaseName(const String& Value);
    // A table or column name as the database's SQL text must give it.
    String SqlName(const String& Name) { return Connection()->NameInSql(Name); }

  protected:
    void CheckInactive() const;
    // The database's connection, opened on first use and held while the dataset is open.
    std::shared_ptr<engine::Connection> Connection();
    void CursorClosed() override { FConnection.reset(); }
    bool ForgetStructure() override;

  private:
    String FDatabaseName;
    std::shared_ptr<engine::Connection> FConnection;
};

// The records of one table. IndexFieldNames ("Name;City") sets the order; the empty text
// orders by the primary key. A local table can be ordered only by the leading fields of
// one of its indexes; a server table by any fields. With MasterSource and MasterFields the
// table shows the records whose leading index fields equal the master's current record.
class TTable : public TDBDataSet {
  public:
    explicit TTable(TComponent* AOwner);
    ~TTable() override;

    const String& GetTableName() const { return FTableName; }
    // REQUIRES: the table is closed.
    void SetTableName(const String& Value);

    const String& GetIndexFieldNames() const { return FIndexFieldNames; }
    // On an open table, reopens the cursor in the new order on the same record; when the
    // order cannot be set, the error passes on and the table is left closed.
    void SetIndexFieldNames(const String& Value);
    TIndexDefs* GetIndexDefs() const { return FIndexDefs.get(); }

    TDataSource* GetMasterSource() const;
    void SetMasterSource(TDataSource* Value);
    const String& GetMasterFields() const { return FMasterFields; }
    void SetMasterFields(const String& Value);

    int GetIndexFieldCount() const override;
    TField* GetIndexField(int Index) const override;
    bool IsSequenced() const override;

  protected:
    std::unique_ptr<TCursor> OpenCursor(bool InitializeFields) override;
    void ReadIndexDefs(TIndexDefs& Defs) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    class TMasterLink;
    friend class TMasterLink;
    // The master values that the detail records must match, or none when the table does
    // not follow an open master.
    std::optional<std::vector<TValue>> MasterValues() const;
    void MasterChanged();
    std::vector<int> ResolveOrder(const std::vector<String>& Names) const;

    String FTableName;
    String FIndexFieldNames;
    String FMasterFields;
    std::unique_ptr<TIndexDefs> FIndexDefs;
    std::unique_ptr<TMasterLink> FMasterLink;
    std::vector<String> FColumns;  // the table's columns, the hidden row id last
    std::vector<bool> FTextColumns;
    std::vector<bool> FNotNullColumns;
    std::vector<int> FIdentityColumns;    // primary key (or row id) columns
    std::vector<int> FIndexFieldIndexes;  // positions in Fields() of the current order's fields
    std::optional<std::vector<TValue>> FAppliedMasterValues;
    std::vector<engine::TIndexInfo> FKnownIndexes;  // of a local table, as last read
};

// The rows of an SQL statement, read in sequence.
class TQuery : public TDBDataSet {
  public:
    explicit TQuery(TComponent* AOwner);
    ~TQuery() override;

    // The statement; changing it closes the query.
    TStrings* GetSQL() const { return FSQL.get(); }
    // True when the database is local (SQLite).
    bool GetLocal() const;
    // Runs the statement without reading rows (for statements that change data).
    void ExecSQL();

  protected:
    std::unique_ptr<TCursor> OpenCursor(bool InitializeFields) override;

  private:
    std::unique_ptr<TStringList> FSQL;
};

}  // namespace platform
