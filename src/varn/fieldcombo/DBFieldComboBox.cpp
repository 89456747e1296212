// The field combo box: listing fields by kind and relating the chosen one.
#include "varn/fieldcombo/DBFieldComboBox.h"

#include "platform/DesignIntf.h"
#include "varn/locateedit/DBLocateEdit.h"

namespace varn {

using namespace platform;

TDBFieldComboBox::TDBFieldComboBox(TComponent* AOwner)
    : TComboBox(AOwner), FDataLink(std::make_unique<TDataLink>()) {}

TDBFieldComboBox::~TDBFieldComboBox() {
    Destroying();
    FDataLink.reset();
}

TDataSource* TDBFieldComboBox::GetDataSource() const {
    return FDataLink->GetDataSource();
}

void TDBFieldComboBox::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
    if (Value != FWatchedDataSource) {
        TDataSource* Old = FWatchedDataSource;
        FWatchedDataSource = Value;
        Unwatch(Old);
        Watch(Value);
    }
    FillItems();
    SetText(String());
}

void TDBFieldComboBox::SetRelatedComponent(TComponent* Value) {
    if (Value == FRelatedComponent)
        return;
    TComponent* Old = FRelatedComponent;
    FRelatedComponent = Value;
    Unwatch(Old);
    Watch(Value);
}

void TDBFieldComboBox::FillItems() {
    TDataSet* DataSet = FDataLink->GetDataSet();
    if (DataSet == nullptr || !DataSet->GetActive())
        return;
    TStrings* Items = GetItems();
    Items->BeginUpdate();
    Items->Clear();
    for (int I = 0; I < DataSet->FieldCount(); ++I) {
        const TField* Field = DataSet->Fields(I);
        if (FFieldKinds.Contains(Field->GetFieldKind()))
            Items->Append(Field->GetFieldName());
    }
    Items->EndUpdate();
}

void TDBFieldComboBox::Relate() {
    bool DefaultRelating = true;
    if (FOnRelate)
        FOnRelate(this, FRelatedComponent, DefaultRelating);
    if (!DefaultRelating)
        return;
    auto* LocateEdit = dynamic_cast<TDBLocateEdit*>(FRelatedComponent);
    if (LocateEdit != nullptr && LocateEdit->GetDataSource() == GetDataSource())
        LocateEdit->SetDataField(GetText());
}

void TDBFieldComboBox::Click() {
    TComboBox::Click();
    Relate();
}

void TDBFieldComboBox::DropDown() {
    FillItems();
    TComboBox::DropDown();
}

void TDBFieldComboBox::KeyDown(Word& Key, TShiftState Shift) {
    TComboBox::KeyDown(Key, Shift);
    if (Key == VK_RETURN)
        Relate();
}

void TDBFieldComboBox::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent != nullptr) {
        if (AComponent == FWatchedDataSource)
            SetDataSource(nullptr);
        if (AComponent == FRelatedComponent)
            SetRelatedComponent(nullptr);
    }
    TComboBox::Notification(AComponent, Operation);
}

void TDBFieldComboBox::Watch(TComponent* Component) {
    if (Component != nullptr)
        FreeNotification(Component);
}

void TDBFieldComboBox::Unwatch(TComponent* Component) {
    // One notice list serves both references: keep it while the other still needs it.
    if (Component != nullptr && Component != FWatchedDataSource && Component != FRelatedComponent)
        RemoveFreeNotification(Component);
}

// ---- Registration ----

void DBFieldComboBox::Register() {
    RegisterComponents("Varn", {FindClassInfo("TDBFieldComboBox")});
}

}  // namespace varn
