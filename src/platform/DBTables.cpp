// Tables and queries on the database engines.
#include "platform/DBTables.h"

#include <algorithm>

#include "platform/DBCursor.h"

namespace platform {

namespace {

bool SameName(const String& A, const String& B) {
    return UpperCase(A) == UpperCase(B);
}

TFieldType TypeOfValue(const TValue& Value) {
    switch (Value.Kind) {
        case TValue::vkInteger:
            return ftInteger;
        case TValue::vkFloat:
            return ftFloat;
        case TValue::vkText:
            return ftString;
        case TValue::vkBlob:
            return ftBlob;
        default:
            return ftUnknown;
    }
}

}  // namespace

// ---- TBDEDataSet, TDBDataSet ----

TField* TBDEDataSet::GetIndexField(int Index) const {
    throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
}

void TDBDataSet::SetDatabaseName(const String& Value) {
    CheckInactive();
    FDatabaseName = Value;
    FConnection.reset();
}

void TDBDataSet::CheckInactive() const {
    if (GetActive())
        throw EDatabaseError(NamedMessage("Cannot perform this operation on an open dataset"));
}

bool TDBDataSet::ForgetStructure() {
    auto* Table = dynamic_cast<TTable*>(this);
    return Table != nullptr && Connection()->ForgetTable(Table->GetTableName());
}

std::shared_ptr<engine::Connection> TDBDataSet::Connection() {
    if (!FConnection)
        FConnection = ConnectDatabase(FDatabaseName);
    return FConnection;
}

// ---- TTable ----

// Follows the master dataset: any change of it may change the detail's records.
class TTable::TMasterLink : public TDataLink {
  public:
    explicit TMasterLink(TTable* Table) : FTable(Table) {}

  protected:
    void ActiveChanged() override { FTable->MasterChanged(); }
    void DataSetChanged() override { FTable->MasterChanged(); }
    void RecordChanged(TField*) override { FTable->MasterChanged(); }

  private:
    TTable* FTable;
};

TTable::TTable(TComponent* AOwner)
    : TDBDataSet(AOwner),
      FIndexDefs(std::make_unique<TIndexDefs>(this)),
      FMasterLink(std::make_unique<TMasterLink>(this)) {}

TTable::~TTable() {
    Destroying();
    Close();
    FMasterLink.reset();
}

void TTable::SetTableName(const String& Value) {
    CheckInactive();
    FTableName = Value;
}

void TTable::SetIndexFieldNames(const String& Value) {
    FIndexFieldNames = Value;
    if (GetActive())
        ReopenCursor(true);
}

TDataSource* TTable::GetMasterSource() const {
    return FMasterLink->GetDataSource();
}

void TTable::SetMasterSource(TDataSource* Value) {
    if (Value != nullptr && Value->GetDataSet() == this)
        throw EDatabaseError(NamedMessage("A table cannot be its own master"));
    if (TDataSource* Old = GetMasterSource())
        RemoveFreeNotification(Old);
    if (Value != nullptr)
        FreeNotification(Value);
    FMasterLink->SetDataSource(Value);
    MasterChanged();
}

void TTable::SetMasterFields(const String& Value) {
    FMasterFields = Value;
    MasterChanged();
}

void TTable::Notification(TComponent* AComponent, TOperation Operation) {
    TDBDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && FMasterLink && AComponent == FMasterLink->GetDataSource())
        FMasterLink->SetDataSource(nullptr);
}

int TTable::GetIndexFieldCount() const {
    return GetActive() ? static_cast<int>(FIndexFieldIndexes.size()) : 0;
}

TField* TTable::GetIndexField(int Index) const {
    if (Index < 0 || Index >= GetIndexFieldCount())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return Fields(FIndexFieldIndexes[static_cast<size_t>(Index)]);
}

bool TTable::IsSequenced() const {
    return EngineOfDatabase(GetDatabaseName()) == deSQLite;
}

void TTable::ReadIndexDefs(TIndexDefs& Defs) {
    if (Trim(FTableName).empty())
        throw EDatabaseError(NamedMessage("No table name given"));
    for (const engine::TIndexInfo& Info : Connection()->TableIndexes(FTableName)) {
        auto* Def = static_cast<TIndexDef*>(Defs.Add());
        Def->Name = Info.Name;
        Def->Primary = Info.Primary;
        Def->Unique = Info.Unique;
        for (size_t I = 0; I < Info.Fields.size(); ++I)
            Def->Fields += (I == 0 ? "" : ";") + Info.Fields[I];
    }
    if (!GetActive())
        CursorClosed();
}

std::optional<std::vector<TValue>> TTable::MasterValues() const {
    TDataSource* Source = GetMasterSource();
    TDataSet* Master = Source ? Source->GetDataSet() : nullptr;
    std::vector<String> Names = SplitFieldNames(FMasterFields);
    if (Master == nullptr || !Master->GetActive() || Names.empty())
        return std::nullopt;
    std::vector<TValue> Values;
    for (const String& Name : Names)
        Values.push_back(Master->FieldByName(Name)->GetValue());
    return Values;
}

void TTable::MasterChanged() {
    if (!GetActive())
        return;
    if (MasterValues() == FAppliedMasterValues)
        return;
    ReopenCursor(false);
}

std::vector<int> TTable::ResolveOrder(const std::vector<String>& Names) const {
    std::vector<int> Columns;
    for (const String& Name : Names) {
        auto It = std::find_if(FColumns.begin(), FColumns.end(),
                               [&](const String& C) { return SameName(C, Name); });
        if (It == FColumns.end())
            throw EDatabaseError(NamedMessage("Field '" + Name + "' not found"));
        Columns.push_back(static_cast<int>(It - FColumns.begin()));
    }
    return Columns;
}

std::unique_ptr<TCursor> TTable::OpenCursor(bool InitializeFields) {
    if (Trim(FTableName).empty())
        throw EDatabaseError(NamedMessage("No table name given"));
    std::shared_ptr<engine::Connection> Db = Connection();

    if (InitializeFields) {
        // The structure: the columns, their field types and the record's identity.
        std::vector<engine::TColumnInfo> Info = Db->TableColumns(FTableName);
        FColumns.clear();
        FTextColumns.clear();
        FNotNullColumns.clear();
        std::vector<TFieldType> Types;
        std::vector<std::pair<int, int>> Key;  // position in key, column
        for (size_t I = 0; I < Info.size(); ++I) {
            FColumns.push_back(Info[I].Name);
            Types.push_back(FieldTypeOfDeclaration(Info[I].DeclaredType, Info[I].AutoIncrement));
            FTextColumns.push_back(Types.back() == ftString || Types.back() == ftMemo);
            FNotNullColumns.push_back(Info[I].NotNull);
            if (Info[I].PrimaryKeyPosition > 0)
                Key.push_back({Info[I].PrimaryKeyPosition, static_cast<int>(I)});
        }
        std::sort(Key.begin(), Key.end());
        FIdentityColumns.clear();
        for (auto [Position, Column] : Key)
            FIdentityColumns.push_back(Column);
        if (FIdentityColumns.empty()) {
            if (Db->RowIdColumn().empty())
                throw EDatabaseError(NamedMessage("Table '" + FTableName + "' has no primary key"));
            FColumns.push_back(Db->RowIdColumn());
            FTextColumns.push_back(false);
            FNotNullColumns.push_back(true);
            FIdentityColumns.push_back(static_cast<int>(FColumns.size()) - 1);
        }
        BindFields(FColumns, Types);
    }

    // The order: the named fields, or the primary key; a local table needs an index
    // whose leading fields they are.
    std::vector<String> Names = SplitFieldNames(FIndexFieldNames);
    std::vector<int> IndexColumns = ResolveOrder(Names);
    if (!Names.empty() && Db->IsLocal()) {
        // The indexes read at Open serve the check; only an order they do not serve makes
        // the table read them again, in case an index was made since.
        auto Served = [&] {
            for (const engine::TIndexInfo& Index : FKnownIndexes)
                if (Index.Fields.size() >= Names.size() &&
                    std::equal(Names.begin(), Names.end(), Index.Fields.begin(), SameName))
                    return true;
            return false;
        };
        if (InitializeFields || !Served())
            FKnownIndexes = Db->TableIndexes(FTableName);
        if (!Served())
            throw EDatabaseError(NamedMessage(
                "Table '" + FTableName + "' has no index for fields '" + FIndexFieldNames + "'"));
    }
    bool HasPrimaryKey =
        !(FIdentityColumns.size() == 1 &&
          FColumns[static_cast<size_t>(FIdentityColumns[0])] == Db->RowIdColumn() &&
          FIdentityColumns[0] == static_cast<int>(FColumns.size()) - 1);
    if (Names.empty() && HasPrimaryKey)
        IndexColumns = FIdentityColumns;

    TTableCursorSetup Setup;
    Setup.Connection = Db;
    Setup.Table = FTableName;
    Setup.Columns = FColumns;
    Setup.OrderColumns = IndexColumns;
    for (int Column : FIdentityColumns)
        if (std::find(IndexColumns.begin(), IndexColumns.end(), Column) == IndexColumns.end())
            Setup.OrderColumns.push_back(Column);
    Setup.IdentityColumns = FIdentityColumns;
    Setup.TextColumns = FTextColumns;
    Setup.NotNullColumns = FNotNullColumns;

    // A detail table keeps the records whose leading index fields equal the master's.
    std::optional<std::vector<TValue>> Master = MasterValues();
    if (Master) {
        if (Master->size() > IndexColumns.size())
            throw EDatabaseError(NamedMessage("The order '" + FIndexFieldNames +
                                              "' has fewer fields than the master fields '" +
                                              FMasterFields + "'"));
        Setup.FilterColumns.assign(IndexColumns.begin(),
                                   IndexColumns.begin() + static_cast<long>(Master->size()));
        Setup.FilterValues = *Master;
    }

    auto Cursor = std::make_unique<TTableCursor>(std::move(Setup));
    FAppliedMasterValues = Master;
    FIndexFieldIndexes.clear();
    for (int Column : IndexColumns) {
        TField* Field = FindField(FColumns[static_cast<size_t>(Column)]);
        if (Field != nullptr)
            FIndexFieldIndexes.push_back(Field->GetIndex());
    }
    return Cursor;
}

// ---- TQuery ----

TQuery::TQuery(TComponent* AOwner) : TDBDataSet(AOwner), FSQL(std::make_unique<TStringList>()) {
    FSQL->OnChange = [this](TObject*) { Close(); };
}

TQuery::~TQuery() {
    Destroying();
    Close();
    FSQL->OnChange = nullptr;
}

bool TQuery::GetLocal() const {
    return EngineOfDatabase(GetDatabaseName()) == deSQLite;
}

void TQuery::ExecSQL() {
    Connection()->Execute(FSQL->GetText());
}

std::unique_ptr<TCursor> TQuery::OpenCursor(bool InitializeFields) {
    if (Trim(FSQL->GetText()).empty())
        throw EDatabaseError(NamedMessage("No SQL statement given"));
    auto Cursor = std::make_unique<TQueryCursor>(Connection(), FSQL->GetText());
    if (InitializeFields) {
        // Columns of expressions have no declared type: the first row's values tell.
        std::vector<TFieldType> Types;
        bool HasRow = Cursor->First();
        for (size_t I = 0; I < Cursor->ColumnNames().size(); ++I) {
            const String& Declared = Cursor->ColumnTypes()[I];
            if (!Declared.empty() || !HasRow)
                Types.push_back(FieldTypeOfDeclaration(Declared, false));
            else
                Types.push_back(TypeOfValue(Cursor->Current()[I]));
        }
        BindFields(Cursor->ColumnNames(), Types);
    }
    return Cursor;
}

}  // namespace platform
