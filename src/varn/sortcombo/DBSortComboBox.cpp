// The sort combo box: the offered sort orders, applying one, and following the table's order.
#include "varn/sortcombo/DBSortComboBox.h"

#include "platform/DesignIntf.h"

namespace varn {

using namespace platform;

namespace {

// The part of a sort field list before its first ";" (all of it when it has none).
String FirstListItem(const String& SortFieldNames) {
    return SortFieldNames.substr(0, SortFieldNames.find(';'));
}

// The list is MasterFields itself or begins with it followed by ";".
bool BeginsWithMasterFields(const String& SortFieldNames, const String& MasterFields) {
    return SortFieldNames == MasterFields || SortFieldNames.rfind(MasterFields + ";", 0) == 0;
}

// The table's master field list when it follows a master, else empty.
String ActiveMasterFields(const TTable* Table) {
    return Table->GetMasterSource() != nullptr ? Table->GetMasterFields() : String();
}

// Fields that can serve as a sort order: data fields that are not BLOBs.
bool IsSortableField(const TField* Field) {
    return Field->GetFieldKind() == fkData && !Field->IsBlob();
}

}  // namespace

TDBSortComboBox::TDBSortComboBox(TComponent* AOwner)
    : TComboBox(AOwner), FDataLink(std::make_unique<TSortDataLink>()) {
    FDataLink->OnSortChange = [this](TObject* Sender, const String& OldFields,
                                     const String& NewFields, bool& Done) {
        DoAfterSortChange(Sender, OldFields, NewFields, Done);
    };
}

TDBSortComboBox::~TDBSortComboBox() {
    Destroying();
    FDataLink.reset();
}

void TDBSortComboBox::Refresh() {
    TComboBox::Refresh();
    if (IsValidTableDataSource())
        SetText(ExtractSortFieldNames(FDataLink->GetDataSet()));
}

void TDBSortComboBox::SetAutoUpdate(bool Value) {
    FAutoUpdate = Value;
    if (Value)
        Refresh();
}

TDataSource* TDBSortComboBox::GetDataSource() const {
    return FDataLink->GetDataSource();
}

void TDBSortComboBox::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
    WatchDataSource(Value);
    Refresh();
}

void TDBSortComboBox::DropDown() {
    TDataSet* DataSet = FDataLink->GetDataSet();
    if (DataSet != nullptr) {
        // Built aside, so that a failure to read the indexes leaves the list as it was.
        TStringList Orders;
        auto* Table = dynamic_cast<TTable*>(DataSet);
        if (Table != nullptr && (Table->IsSequenced() || FStrictServerIndexing))
            OfferIndexes(Orders, Table, ActiveMasterFields(Table));
        else
            OfferFields(Orders, DataSet, Table != nullptr ? ActiveMasterFields(Table) : String());
        GetItems()->Assign(&Orders);
    }
    TComboBox::DropDown();
}

void TDBSortComboBox::OfferIndexes(TStrings& Orders, TTable* Table, const String& MasterFields) {
    TIndexDefs* Defs = Table->GetIndexDefs();
    Defs->Update();
    for (int I = 0; I < Defs->Count(); ++I) {
        const String& Fields = Defs->GetIndexDef(I)->GetFields();
        if (MasterFields.empty() || BeginsWithMasterFields(Fields, MasterFields))
            Orders.Append(Fields);
    }
}

void TDBSortComboBox::OfferFields(TStrings& Orders, TDataSet* DataSet, const String& MasterFields) {
    for (int I = 0; I < DataSet->FieldCount(); ++I) {
        const TField* Field = DataSet->Fields(I);
        if (!IsSortableField(Field))
            continue;
        const String& Name = Field->GetFieldName();
        if (!MasterFields.empty() && MasterFields != Name)
            Orders.Append(MasterFields + ";" + Name);
        else
            Orders.Append(Name);
    }
}

void TDBSortComboBox::Click() {
    TComboBox::Click();
    Sort();
}

void TDBSortComboBox::KeyDown(Word& Key, TShiftState Shift) {
    TComboBox::KeyDown(Key, Shift);
    if (Key == VK_RETURN)
        Sort();
}

void TDBSortComboBox::Sort() {
    // 1. A table is sorted by the component itself.
    if (IsValidTableDataSource())
        ApplyToTable(static_cast<TTable*>(FDataLink->GetDataSet()));
    // 2. The application hears of every sort, even with no dataset behind the data source;
    // without a data source there is nobody to tell.
    if (GetDataSource() != nullptr)
        DoOnSort(FDataLink->GetDataSet(), GetText());
}

void TDBSortComboBox::ApplyToTable(TTable* Table) {
    try {
        // A detail table is sorted with its master fields in front, and the text says so.
        String MasterFields = ActiveMasterFields(Table);
        String Text = GetText();
        if (!MasterFields.empty() && !BeginsWithMasterFields(Text, MasterFields))
            SetText(Text.empty() ? MasterFields : MasterFields + ";" + Text);

        // Apply the order; a failing one is undone.
        String Old = Table->GetIndexFieldNames();
        try {
            Table->SetIndexFieldNames(GetText());
        } catch (...) {
            Table->SetIndexFieldNames(Old);
            throw;
        }
    } catch (const Exception&) {
        // The table may have closed on the failure; reopen it in the restored order.
        TDataSet* DataSet = FDataLink->GetDataSet();
        if (FReopenAfterError && DataSet != nullptr && !DataSet->GetActive())
            DataSet->Open();
        throw;
    }
}

bool TDBSortComboBox::IsValidTableDataSource() const {
    return dynamic_cast<TTable*>(FDataLink->GetDataSet()) != nullptr;
}

void TDBSortComboBox::DoAfterSortChange(TObject* Sender, const String&, const String& NewFields,
                                        bool&) {
    if (!FAutoUpdate || !IsValidTableDataSource())
        return;

    // The entry equal to the new order wins; else the last entry equal to its first field.
    String First = FirstListItem(NewFields);
    TStrings* Items = GetItems();
    int Chosen = -1;
    for (int I = 0; I < Items->Count(); ++I) {
        if (Items->Get(I) == NewFields) {
            Chosen = I;
            break;
        }
        if (Items->Get(I) == First)
            Chosen = I;
    }
    if (Chosen >= 0)
        SetItemIndex(Chosen);
    SetText(NewFields);

    if (FAfterSortChange) {
        auto* Link = dynamic_cast<TDataLink*>(Sender);
        FAfterSortChange(Link != nullptr ? Link->GetDataSet() : FDataLink->GetDataSet());
    }
}

void TDBSortComboBox::DoOnSort(TDataSet* DataSet, const String& SortFieldNames) {
    if (FOnSort)
        FOnSort(this, DataSet, SortFieldNames);
}

void TDBSortComboBox::Notification(TComponent* AComponent, TOperation Operation) {
    TComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent != nullptr && AComponent == FWatchedDataSource)
        SetDataSource(nullptr);
}

void TDBSortComboBox::WatchDataSource(TDataSource* Value) {
    if (Value == FWatchedDataSource)
        return;
    if (FWatchedDataSource != nullptr)
        RemoveFreeNotification(FWatchedDataSource);
    FWatchedDataSource = Value;
    if (Value != nullptr)
        FreeNotification(Value);
}

// ---- Registration ----

void DBSortComboBox::Register() {
    RegisterComponents("Varn", {FindClassInfo("TDBSortComboBox")});
}

}  // namespace varn
