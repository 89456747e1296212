// The data grid, its columns and their titles.
#include "platform/DBGrids.h"

#include <algorithm>

namespace platform {

namespace {

constexpr int IndicatorWidth = 11;

// The width a column gets by default: room for a typical value of the field's type.
int DefaultColumnWidth(const TField* Field) {
    if (Field == nullptr)
        return 64;
    switch (Field->GetDataType()) {
        case ftString:
            return 120;
        case ftBoolean:
            return 40;
        case ftSmallint:
        case ftWord:
            return 48;
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return 80;
        case ftDate:
        case ftTime:
            return 72;
        case ftDateTime:
            return 128;
        default:
            return 64;
    }
}

}  // namespace

// ---- TColumnTitle ----

TColumnTitle::TColumnTitle(TColumn* Column) : FColumn(Column), FFont(std::make_unique<TFont>()) {
    FFont->OnChange = [this](TObject*) {
        if (!FFollowingGrid)
            FFontAssigned = true;
    };
    TitleFontChanged();
}

TColumnTitle::~TColumnTitle() = default;

String TColumnTitle::GetCaption() const {
    if (FCaptionAssigned)
        return FCaption;
    TField* Field = FColumn->GetField();
    return Field != nullptr ? Field->GetDisplayLabel() : FColumn->GetFieldName();
}

void TColumnTitle::SetCaption(const String& Value) {
    FCaption = Value;
    FCaptionAssigned = true;
}

void TColumnTitle::TitleFontChanged() {
    TCustomDBGrid* Grid = FColumn->GetGrid();
    if (FFontAssigned || Grid == nullptr)
        return;
    TFlagGuard Following(FFollowingGrid);
    FFont->Assign(Grid->GetTitleFont());
}

// ---- TColumn ----

TColumn::TColumn(TCollection* Collection)
    : TCollectionItem(Collection), FTitle(std::make_unique<TColumnTitle>(this)) {}

TColumn::~TColumn() = default;

void TColumn::SetFieldName(const String& Value) {
    FFieldName = Value;
    Changed(false);
}

TField* TColumn::GetField() const {
    TCustomDBGrid* Grid = GetGrid();
    TDataSource* Source = Grid != nullptr ? Grid->GetDataSource() : nullptr;
    TDataSet* DataSet = Source != nullptr ? Source->GetDataSet() : nullptr;
    if (DataSet == nullptr || FFieldName.empty())
        return nullptr;
    return DataSet->FindField(FFieldName);
}

TCustomDBGrid* TColumn::GetGrid() const {
    auto* Columns = dynamic_cast<TDBGridColumns*>(GetCollection());
    return Columns != nullptr ? Columns->GetGrid() : nullptr;
}

int TColumn::GetWidth() const {
    return FWidth >= 0 ? FWidth : DefaultColumnWidth(GetField());
}

void TColumn::SetWidth(int Value) {
    FWidth = std::max(0, Value);
    Changed(false);
}

// ---- TDBGridColumns ----

TDBGridColumns::TDBGridColumns(TCustomDBGrid* Grid)
    : TCollection(
          [](TCollection* Collection) -> TCollectionItem* { return new TColumn(Collection); }),
      FGrid(Grid) {}

TColumn* TDBGridColumns::Add() {
    BeginUpdate();
    if (FState == csDefault) {
        Clear();
        FState = csCustomized;
    }
    TColumn* Column = nullptr;
    try {
        Column = static_cast<TColumn*>(TCollection::Add());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return Column;
}

void TDBGridColumns::SetState(TDBGridColumnsState Value) {
    FState = Value;
    if (Value == csDefault)
        RebuildColumns();
}

void TDBGridColumns::RebuildColumns() {
    if (FState != csDefault)
        return;
    TDataSet* DataSet = FGrid != nullptr ? FGrid->ActiveDataSet() : nullptr;
    BeginUpdate();
    Clear();
    for (int I = 0; DataSet != nullptr && I < DataSet->FieldCount(); ++I) {
        auto* Column = static_cast<TColumn*>(TCollection::Add());
        Column->FFieldName = DataSet->Fields(I)->GetFieldName();
    }
    EndUpdate();
}

void TDBGridColumns::Update(TCollectionItem*) {
    if (FGrid != nullptr)
        FGrid->ColumnsChanged();
}

// ---- TCustomDBGrid ----

// Passes the dataset's notices on to the grid.
class TCustomDBGrid::TGridDataLink : public TDataLink {
  public:
    explicit TGridDataLink(TCustomDBGrid* Grid) : FGrid(Grid) {}

  protected:
    void ActiveChanged() override { FGrid->LinkActive(); }
    void DataSetChanged() override { FGrid->DataChanged(); }
    void DataSetScrolled(int Distance) override { FGrid->Scrolled(Distance); }
    void LayoutChanged() override { FGrid->LayoutChanged(); }

  private:
    TCustomDBGrid* FGrid;
};

TCustomDBGrid::TCustomDBGrid(TComponent* AOwner)
    : TCustomGrid(AOwner),
      FDataLink(std::make_unique<TGridDataLink>(this)),
      FTitleFont(std::make_unique<TFont>()),
      FColumns(std::make_unique<TDBGridColumns>(this)) {
    FTitleFont->OnChange = [this](TObject*) { TitleFontChanged(); };
    ColumnsChanged();
}

TCustomDBGrid::~TCustomDBGrid() {
    Destroying();
    // Leaves the data source without hearing anything more.
    FDataLink.reset();
}

TDataSource* TCustomDBGrid::GetDataSource() const {
    return FDataLink->GetDataSource();
}

void TCustomDBGrid::SetDataSource(TDataSource* Value) {
    TDataSource* Old = GetDataSource();
    if (Value == Old)
        return;
    if (Old != nullptr)
        RemoveFreeNotification(Old);
    bool WasActive = FDataLink->GetActive();
    FDataLink->SetDataSource(Value);
    if (Value != nullptr)
        FreeNotification(Value);
    // The link tells the grid when it became active or inactive; otherwise the grid
    // starts over with the new source itself.
    if (FDataLink->GetActive() == WasActive)
        LinkActive();
}

TDataSet* TCustomDBGrid::ActiveDataSet() const {
    return FDataLink->GetActive() ? FDataLink->GetDataSet() : nullptr;
}

void TCustomDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent != nullptr && AComponent == GetDataSource())
        SetDataSource(nullptr);
}

void TCustomDBGrid::LinkActive() {
    if (IsDestroying())
        return;
    FActiveRecord = 0;
    if (FColumns->GetState() == csDefault)
        FColumns->RebuildColumns();
    else
        ColumnsChanged();
}

void TCustomDBGrid::LayoutChanged() {
    if (IsDestroying())
        return;
    if (FColumns->GetState() == csDefault)
        FColumns->RebuildColumns();
    else
        ColumnsChanged();
}

void TCustomDBGrid::DataChanged() {
    ReadRecords();
}

void TCustomDBGrid::Scrolled(int Distance) {
    FActiveRecord += Distance;
    ReadRecords();
}

void TCustomDBGrid::ColumnsChanged() {
    if (IsDestroying())
        return;
    LayoutColumns();
    ReadRecords();
}

void TCustomDBGrid::LayoutColumns() {
    int Count = FColumns->Count();
    SetColCount(1 + std::max(1, Count));
    SetColWidths(0, IndicatorWidth);
    if (Count == 0)
        SetColWidths(1, GetDefaultColWidth());
    for (int I = 0; I < Count; ++I)
        SetColWidths(I + 1, FColumns->GetColumn(I)->GetWidth());
}

int TCustomDBGrid::RecordCapacity() const {
    int TitleBottom = GetRowHeights(0) + GetGridLineWidth();
    int RowPitch = GetDefaultRowHeight() + GetGridLineWidth();
    return std::max(1, (GetHeight() - TitleBottom + GetGridLineWidth()) / RowPitch);
}

std::vector<String> TCustomDBGrid::CurrentRecordTexts(const std::vector<TField*>& Fields) const {
    std::vector<String> Texts;
    for (const TField* Field : Fields)
        Texts.push_back(Field != nullptr ? Field->GetAsString() : String());
    return Texts;
}

void TCustomDBGrid::ReadRecords() {
    if (IsDestroying())
        return;
    FRecordTexts.clear();
    TDataSet* DataSet = ActiveDataSet();
    if (DataSet == nullptr || DataSet->IsEmpty()) {
        FActiveRecord = 0;
        SetRowCount(2);
        ShowActiveRow();
        return;
    }
    std::vector<TField*> Fields;
    for (int I = 0; I < FColumns->Count(); ++I)
        Fields.push_back(FColumns->GetColumn(I)->GetField());
    int Capacity = RecordCapacity();
    FActiveRecord = std::clamp(FActiveRecord, 0, Capacity - 1);

    // The current record keeps its row where it can: the records before it up to that
    // row, then those after it; near the end of the records, more of those before it.
    std::vector<std::vector<String>> Before, After;
    auto ReadBefore = [&](int Count) {
        Before.clear();
        DataSet->PeekRecords(-Count, [&] { Before.push_back(CurrentRecordTexts(Fields)); });
    };
    ReadBefore(FActiveRecord);
    DataSet->PeekRecords(Capacity - 1 - static_cast<int>(Before.size()),
                         [&] { After.push_back(CurrentRecordTexts(Fields)); });
    int Shown = static_cast<int>(Before.size() + After.size()) + 1;
    if (Shown < Capacity && static_cast<int>(Before.size()) == FActiveRecord)
        ReadBefore(Capacity - 1 - static_cast<int>(After.size()));

    FRecordTexts.assign(Before.rbegin(), Before.rend());
    FRecordTexts.push_back(CurrentRecordTexts(Fields));
    FRecordTexts.insert(FRecordTexts.end(), After.begin(), After.end());
    FActiveRecord = static_cast<int>(Before.size());
    SetRowCount(1 + static_cast<int>(FRecordTexts.size()));
    ShowActiveRow();
}

void TCustomDBGrid::ShowActiveRow() {
    TFlagGuard Following(FFollowingDataSet);
    if (GetRow() != 1 + FActiveRecord)
        SetRow(1 + FActiveRecord);
}

String TCustomDBGrid::DisplayText(int DataCol, int VisibleRow) const {
    if (VisibleRow < 0 || VisibleRow >= VisibleRecordCount())
        return "";
    const std::vector<String>& Texts = FRecordTexts[static_cast<size_t>(VisibleRow)];
    if (DataCol < 0 || DataCol >= static_cast<int>(Texts.size()))
        return "";
    return Texts[static_cast<size_t>(DataCol)];
}

String TCustomDBGrid::CellText(int ACol, int ARow) const {
    if (ARow == 0)
        return ACol >= 1 && ACol <= FColumns->Count()
                   ? FColumns->GetColumn(ACol - 1)->GetTitle()->GetCaption()
                   : String();
    if (ACol == 0)
        return VisibleRecordCount() > 0 && ARow - 1 == FActiveRecord ? ">" : "";
    return DisplayText(ACol - 1, ARow - 1);
}

void TCustomDBGrid::SetBounds(int Left, int Top, int Width, int Height) {
    TCustomGrid::SetBounds(Left, Top, Width, Height);
    // Another height shows another number of records.
    ReadRecords();
}

bool TCustomDBGrid::SelectCell(int, int ARow) {
    if (FFollowingDataSet)
        return true;
    TDataSet* DataSet = ActiveDataSet();
    if (DataSet == nullptr)
        return true;
    // Another row is another record: the dataset moves, and the grid follows it.
    int Distance = ARow - 1 - FActiveRecord;
    if (Distance != 0)
        DataSet->MoveBy(Distance);
    return ARow - 1 == FActiveRecord;
}

void TCustomDBGrid::KeyDown(Word& Key, TShiftState Shift) {
    bool RecordKey = Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT ||
                     ((Key == VK_HOME || Key == VK_END) && Shift.Contains(ssCtrl));
    if (!RecordKey || ActiveDataSet() == nullptr) {
        TCustomGrid::KeyDown(Key, Shift);
        return;
    }
    TWinControl::KeyDown(Key, Shift);  // the application's OnKeyDown first
    MoveByKey(Key, Shift);
}

void TCustomDBGrid::MoveByKey(Word Key, TShiftState Shift) {
    TDataSet* DataSet = ActiveDataSet();
    if (DataSet == nullptr)
        return;
    int Page = RecordCapacity();
    switch (Key) {
        case VK_UP:
            DataSet->MoveBy(-1);
            break;
        case VK_DOWN:
            DataSet->MoveBy(1);
            break;
        case VK_PRIOR:
            DataSet->MoveBy(-Page);
            break;
        case VK_NEXT:
            DataSet->MoveBy(Page);
            break;
        case VK_HOME:
            if (Shift.Contains(ssCtrl))
                DataSet->First();
            break;
        case VK_END:
            if (Shift.Contains(ssCtrl))
                DataSet->Last();
            break;
        default:
            break;
    }
}

void TCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGridCoord Cell = MouseCoord(X, Y);
    bool OnTitle = Button == mbLeft && Cell.Y == 0 && Cell.X >= 1 && Cell.X <= FColumns->Count();
    FPressedTitle = OnTitle ? Cell.X : -1;
    TCustomGrid::MouseDown(Button, Shift, X, Y);
}

void TCustomDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomGrid::MouseUp(Button, Shift, X, Y);
    int Pressed = FPressedTitle;
    FPressedTitle = -1;
    TGridCoord Cell = MouseCoord(X, Y);
    if (Button == mbLeft && Pressed >= 1 && Cell.Y == 0 && Cell.X == Pressed &&
        Pressed <= FColumns->Count())
        TitleClick(FColumns->GetColumn(Pressed - 1));
}

void TCustomDBGrid::TitleClick(TColumn* Column) {
    if (OnTitleClick)
        OnTitleClick(Column);
}

void TCustomDBGrid::TitleFontChanged() {
    for (int I = 0; I < FColumns->Count(); ++I)
        FColumns->GetColumn(I)->GetTitle()->TitleFontChanged();
}

}  // namespace platform
