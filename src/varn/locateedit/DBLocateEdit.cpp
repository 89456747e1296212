// The locate edit: searching, showing the current record's value, and the triggers of both.
#include "varn/locateedit/DBLocateEdit.h"

#include "platform/DesignIntf.h"
#include "varn/shared/Varn_shared.h"

namespace varn {

using namespace platform;

TDBLocateEdit::TDBLocateEdit(TComponent* AOwner)
    : TEdit(AOwner), FDataLink(std::make_unique<TFieldDataLink>()) {
    FDataLink->OnDataChange = [this](TObject* Sender) { DataChange(Sender); };
    FDataLink->OnActiveChange = [this](TObject* Sender) { DataChange(Sender); };
}

TDBLocateEdit::~TDBLocateEdit() {
    Destroying();
    FDataLink.reset();
}

bool TDBLocateEdit::Locate() {
    Assert(FDataLink != nullptr, "TDBLocateEdit.Locate() The data link is missing.");
    if (FUpdating)
        return false;
    TFlagGuard Locating(FLocating);
    FLocateResult = false;
    TDataSet* DataSet = FDataLink->GetDataSet();
    if (GetText().empty() || DataSet == nullptr)
        return FLocateResult;
    // Any failure of the search, whatever a dataset handler throws included, is "not found".
    try {
        FLocateResult = DataSet->Locate(GetLocateField(), GetText(), FLocateOptions);
    } catch (...) {
        FLocateResult = false;
    }
    DoAfterLocate();
    return FLocateResult;
}

void TDBLocateEdit::UpdateText() {
    if (FLocating)
        return;
    TFlagGuard Updating(FUpdating);
    Assert(FDataLink != nullptr, "TDBLocateEdit.UpdateText() The data link is missing.");
    TDataSet* DataSet = FDataLink->GetDataSet();
    String FieldName = DataSet != nullptr ? GetLocateField() : String();
    TField* Field = FieldName.empty() ? nullptr : DataSet->FindField(FieldName);
    if (Field != nullptr)
        SetText(Field->GetAsString());
    else
        ClearText();
}

void TDBLocateEdit::SetAutoUpdate(bool Value) {
    FAutoUpdate = Value;
    if (Value && !IsLoading())
        UpdateText();
}

String TDBLocateEdit::GetDataField() const {
    return FDataLink->GetFieldName();
}

void TDBLocateEdit::SetDataField(const String& Value) {
    FDataLink->SetFieldName(Value);
    InternalUpdateText();
}

TDataSource* TDBLocateEdit::GetDataSource() const {
    return FDataLink->GetDataSource();
}

void TDBLocateEdit::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
    WatchDataSource(Value);
    InternalUpdateText();
}

String TDBLocateEdit::GetLocateField() const {
    String Result = GetDataField();
    if (Result.empty())
        Result = ExtractFirstSortFieldName(FDataLink->GetDataSet());
    return Result;
}

void TDBLocateEdit::InternalUpdateText() {
    if (IsLoading())
        return;
    if (FAutoUpdate)
        UpdateText();
    else
        ClearText();
}

void TDBLocateEdit::ClearText() {
    if (GetComponentState().Contains(csDesigning))
        SetText(GetName());
    else
        SetText(String());
}

void TDBLocateEdit::DataChange(TObject*) {
    if (FAutoUpdate)
        InternalUpdateText();
}

void TDBLocateEdit::DoAfterLocate() {
    if (FAfterLocate)
        FAfterLocate(this);
}

void TDBLocateEdit::Change() {
    TEdit::Change();
    if (FAutoLocate == alOnChange && !IsLoading())
        Locate();
}

void TDBLocateEdit::KeyDown(Word& Key, TShiftState Shift) {
    TEdit::KeyDown(Key, Shift);
    if (Key != VK_RETURN)
        return;
    if (FAutoLocate == alReturnKey)
        Locate();
    else
        InternalUpdateText();
}

void TDBLocateEdit::DoExit() {
    if (FAutoUpdate)
        InternalUpdateText();
    TEdit::DoExit();
}

void TDBLocateEdit::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent != nullptr && AComponent == FWatchedDataSource)
        SetDataSource(nullptr);
    TEdit::Notification(AComponent, Operation);
}

void TDBLocateEdit::WatchDataSource(TDataSource* Value) {
    if (Value == FWatchedDataSource)
        return;
    if (FWatchedDataSource != nullptr)
        RemoveFreeNotification(FWatchedDataSource);
    FWatchedDataSource = Value;
    if (Value != nullptr)
        FreeNotification(Value);
}

bool TDBLocateEdit::IsLoading() const {
    return GetComponentState().Contains(csLoading);
}

// ---- Registration ----

void DBLocateEdit::Register() {
    RegisterComponents("Varn", {FindClassInfo("TDBLocateEdit")});
}

}  // namespace varn
