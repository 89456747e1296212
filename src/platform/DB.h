// Datasets, fields, data sources and data links: the data layer that data-aware
// components bind to. A dataset is a cursor over ordered records; data links hear of
// its changes through a data source.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Classes.h"
#include "platform/DBEngine.h"

namespace platform {

enum TFieldType : uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic
};

enum TFieldKind : uint8_t { fkData, fkCalculated, fkLookup, fkInternalCalc };

enum TLocateOption : uint8_t { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption, uint8_t>;

using TBookmark = String;

// Field names joined by ";" ("Name;City") as a list; blanks around names are dropped,
// and so are empty names.
std::vector<String> SplitFieldNames(const String& Names);

// The field type of a column declared with DeclaredType ("VARCHAR(40)", "INTEGER", ...).
TFieldType FieldTypeOfDeclaration(const String& DeclaredType, bool AutoIncrement);

class TDataSet;
class TDataSource;
class TDataLink;
class TCursor;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;

// One column of a dataset. Data fields read the current record; a calculated field holds
// what the dataset's OnCalcFields wrote for the current record; a lookup field shows a
// field of the record of another dataset whose key fields match this record's.
class TField : public TComponent {
  public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    const String& GetFieldName() const { return FFieldName; }
    // REQUIRES: the field is not bound to an open dataset.
    void SetFieldName(const String& Value);
    // The label for the user; the field name unless set.
    String GetDisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const String& Value) { FDisplayLabel = Value; }
    TFieldType GetDataType() const { return FDataType; }
    void SetDataType(TFieldType Value);
    TFieldKind GetFieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind Value);
    bool IsBlob() const;
    // The 0-based position in the dataset's fields, or -1.
    int GetIndex() const;

    TDataSet* GetDataSet() const { return FDataSet; }
    // Adds the field to Value's fields (after the fields it has), or removes it with null.
    // REQUIRES: the dataset is closed.
    void SetDataSet(TDataSet* Value);

    // The value of the current record. Null when the dataset has no current record.
    TValue GetValue() const;
    bool IsNull() const { return GetValue().IsNull(); }
    // The value as text: numbers in decimal, booleans "True"/"False", dates and times
    // as the database stores them (ISO 8601), null as the empty text.
    String GetAsString() const;
    int64_t GetAsInteger() const;
    double GetAsFloat() const;
    bool GetAsBoolean() const;
    // Writes a calculated field; only allowed while the dataset calculates fields.
    void SetValue(const TValue& Value);
    void SetAsString(const String& Value) { SetValue(TValue::FromText(Value)); }

    // Lookup fields: the record of the lookup dataset whose LookupKeyFields equal this
    // dataset's KeyFields gives the value of its LookupResultField.
    TDataSet* GetLookupDataSet() const { return FLookupDataSet; }
    // Watched: a lookup dataset that is destroyed is forgotten.
    void SetLookupDataSet(TDataSet* Value);
    String KeyFields;
    String LookupKeyFields;
    String LookupResultField;

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    friend class TDataSet;
    TDataSet* FLookupDataSet = nullptr;
    String FFieldName;
    String FDisplayLabel;
    TFieldType FDataType = ftUnknown;
    TFieldKind FFieldKind = fkData;
    TDataSet* FDataSet = nullptr;
    int FColumn = -1;       // position of a data field in the record's values
    bool FDefault = false;  // made by the dataset when it opened; freed when it closes
};

// The index definitions of a table, as the database declares them.
class TIndexDef : public TCollectionItem {
  public:
    using TCollectionItem::TCollectionItem;
    String Name;
    // The index's field names joined by ";".
    String Fields;
    bool Primary = false;
    bool Unique = false;
    const String& GetFields() const { return Fields; }
};

class TIndexDefs : public TCollection {
  public:
    explicit TIndexDefs(TDataSet* DataSet);
    // Re-reads the definitions from the database.
    void Update();
    TIndexDef* GetIndexDef(int Index) const { return static_cast<TIndexDef*>(Items(Index)); }
    TIndexDef* operator[](int Index) const { return GetIndexDef(Index); }

  private:
    TDataSet* FDataSet;
};

// A source of records. The records are reached through a cursor that subclasses make;
// the dataset keeps the current record, the fields and the data sources that show it.
class TDataSet : public TComponent {
  public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    void Open();
    void Close();
    bool GetActive() const { return FCursor != nullptr; }
    // While the dataset is being loaded from a form, opening waits for Loaded.
    void SetActive(bool Value);

    int FieldCount() const { return static_cast<int>(FFields.size()); }
    // REQUIRES: 0 <= Index < FieldCount().
    TField* Fields(int Index) const;
    // The field named Name (letter case ignored), or null.
    TField* FindField(const String& Name) const;
    // Fails with EDatabaseError "Field 'Name' not found" when there is none.
    TField* FieldByName(const String& Name) const;

    // Navigation. Each fails with EDatabaseError on a closed dataset.
    void First();
    void Last();
    void Next();
    void Prior();
    // Moves Distance records forward (negative: back); gives the number moved.
    int MoveBy(int Distance);
    // Makes each of up to |Count| records after (Count > 0) or before (Count < 0) the
    // current one current in turn, nearest first, calls Visit, and returns to the current
    // record; data links hear nothing of it. Gives the number of records visited.
    int PeekRecords(int Count, const std::function<void()>& Visit);
    bool GetEOF() const { return FEOF; }
    bool GetBOF() const { return FBOF; }
    bool IsEmpty() const { return FEOF && FBOF; }
    // Counts the records; this asks the database each time.
    int64_t RecordCount();

    // Identifies the current record of this dataset; empty when there is none.
    TBookmark GetBookmark() const;
    // Returns to the record of a bookmark of this dataset. Fails with EDatabaseError
    // for a bookmark of another dataset or a record that no longer exists.
    void SetBookmark(const TBookmark& Value);

    // Moves to the first record, in the current order, whose fields KeyFields (joined by
    // ";") match Values; gives false and stays put when none does. loCaseInsensitive folds
    // the letters a to z; loPartialKey matches values that begin with the given text.
    bool Locate(const String& KeyFields, const std::vector<String>& Values, TLocateOptions Options);
    bool Locate(const String& KeyFields, const String& Value, TLocateOptions Options) {
        return Locate(KeyFields, std::vector<String>{Value}, Options);
    }
    // The ResultFields of the first record whose KeyFields equal KeyValues, without moving;
    // an empty vector when none matches.
    std::vector<TValue> Lookup(const String& KeyFields, const std::vector<TValue>& KeyValues,
                               const String& ResultFields);

    // Re-reads the records from the database, staying on the current record if it exists.
    void Refresh();

    // While controls are disabled, data links hear nothing; the last EnableControls
    // tells them that the dataset changed. Calls nest.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    // Prefixes a message with the dataset's name, for errors.
    String NamedMessage(const String& Message) const;

    // True when records have a fixed sequence (a local table); false for server data.
    virtual bool IsSequenced() const { return false; }

    // Called for each record that becomes current, to fill the calculated fields.
    TDataSetNotifyEvent OnCalcFields;

    // The data sources that show this dataset.
    const std::vector<TDataSource*>& DataSources() const { return FDataSources; }

  protected:
    void Loaded() override;
    // Makes the cursor over the records. At Open (InitializeFields true) it first reads
    // the structure and binds the fields with BindFields; when the cursor is remade for a
    // new order or filter, the fields stay as they are.
    virtual std::unique_ptr<TCursor> OpenCursor(bool InitializeFields) = 0;
    // Forgets what is remembered of the records' structure (a table's columns), so that
    // the next open reads it anew; true when there was something to forget.
    virtual bool ForgetStructure() { return false; }
    // Called when the cursor is gone (closed, or failed to open), to let go of resources.
    virtual void CursorClosed() {}
    // Re-reads the index definitions into Defs (datasets without indexes: none).
    virtual void ReadIndexDefs(TIndexDefs& Defs);
    // Replaces the open cursor by another (a new order or filter) and tells the links,
    // staying on the current record when KeepPosition and it is still there, else on the
    // first. When making the new cursor fails, the dataset closes and the error passes on.
    void ReopenCursor(bool KeepPosition);

    TCursor* GetCursor() const { return FCursor.get(); }
    // Binds the data fields to the record's columns: the application's data fields by
    // name, or else one default field per column (in front of the application's
    // calculated and lookup fields). Columns beyond Types.size() are hidden.
    void BindFields(const std::vector<String>& Columns, const std::vector<TFieldType>& Types);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Notices to the data links.
    void NotifyActiveChanged();
    void NotifyDataSetChanged();
    void NotifyScrolled(int Distance);
    void NotifyLayoutChanged();
    // The current record's values, or null when there is none.
    const TRow* CurrentRow() const;

  private:
    friend class TField;
    friend class TDataSource;
    friend class TIndexDefs;
    void CheckActive() const;
    bool CursorMove(bool (TCursor::*Move)());
    void AfterMove(int Distance);
    void CalculateFields();
    void FreeDefaultFields();
    void ForEachLink(const std::function<void(TDataLink*)>& Action);
    bool LocateByScanning(const std::vector<TField*>& Fields, const std::vector<String>& Values,
                          TLocateOptions Options);
    TValue LookupValue(const TField* Field) const;

    std::unique_ptr<TCursor> FCursor;
    std::vector<TField*> FFields;
    std::vector<TValue> FCalcValues;
    std::vector<TDataSource*> FDataSources;
    bool FBOF = true;
    bool FEOF = true;
    bool FCalculating = false;
    bool FStreamedActive = false;
    int FDisableCount = 0;
    bool FActiveWhenDisabled = false;
    uint64_t FSerial;
};

// Connects data links to a dataset.
class TDataSource : public TComponent {
  public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;
    TDataSet* GetDataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    const std::vector<TDataLink*>& DataLinks() const { return FDataLinks; }

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    friend class TDataLink;
    friend class TDataSet;
    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FDataLinks;
};

// Hears of a dataset's changes through a data source. Subclasses override the notices.
class TDataLink : public TPersistent {
  public:
    TDataLink() = default;
    ~TDataLink() override;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* GetDataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    // The data source's dataset, or null.
    TDataSet* GetDataSet() const;
    // The link has a dataset and it is open.
    bool GetActive() const { return FActive; }

  protected:
    friend class TDataSet;
    friend class TDataSource;
    // The dataset was opened or closed, or the link was attached to another source.
    virtual void ActiveChanged() {}
    // The dataset changed as a whole: opened, re-sorted, refreshed, re-filtered.
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // The current record moved by Distance records.
    virtual void DataSetScrolled(int Distance);
    // The current record (or, with a field, one of its fields) changed.
    virtual void RecordChanged(TField* Field);
    // The dataset's fields were added, removed or rebound.
    virtual void LayoutChanged() { DataSetChanged(); }

  private:
    void UpdateActive();
    TDataSource* FDataSource = nullptr;
    bool FActive = false;
};

// A data link for one field of the dataset, as a data-aware control uses it.
class TFieldDataLink : public TDataLink {
  public:
    const String& GetFieldName() const { return FFieldName; }
    // Fails with EDatabaseError when the open dataset has no such field.
    void SetFieldName(const String& Value);
    // The field, while the dataset is open and has it; else null.
    TField* GetField() const;

    TNotifyEvent OnDataChange;
    TNotifyEvent OnActiveChange;

  protected:
    void ActiveChanged() override;
    void RecordChanged(TField* Field) override;

  private:
    String FFieldName;
};

}  // namespace platform
