// The filter grid control: layout, properties, the binding to a dataset, the keys and mouse
// moves that carry the cell editor and the delete button, and the row operations.
#include "varn/filtergrid/DBFilterGrid.h"

#include "platform/DesignIntf.h"

namespace varn {

using namespace platform;

namespace {

// An object of libvarnrt.so, whose address tells the library's module.
const char ModuleAnchor = 0;

constexpr int RowHeight = 21;
constexpr int ConditionColWidths[] = {120, 100, 120, 40};

}  // namespace

TModule RuntimeModule() {
    return ModuleOf(&ModuleAnchor);
}

TDBFilterGrid::TDBFilterGrid(TComponent* AOwner)
    // 1., 2.
    : TStringGrid(AOwner), FDataLink(std::make_unique<TFieldDataLink>()) {
    // 3. The form designer gets neither editor nor value query, button or glyph.
    if (!GetComponentState().Contains(csDesigning)) {
        FEditor = new TDBFilterGridComboBox(this);
        FEditor->SetParent(this);
        FEditor->SetParentFont(true);
        FEditor->Hide();
        FValueQuery = new TQuery(this);
        FDeleteButton = new TDBFilterGridSpeedButton(this);
        FDeleteButton->SetParent(this);
        FDeleteButton->Hide();
        FDeleteGlyph = std::make_unique<TBitmap>();
        FDeleteGlyph->LoadFromResourceName(RuntimeModule(), "DELETEFILTERROW");
        FDeleteButton->SetGlyph(FDeleteGlyph.get());
    }
    // 4.
    SetDefaultRowHeight(RowHeight);
    FFilterMaxDropDownCount = 15;
    FDataLink->OnActiveChange = [this](TObject* Sender) { ActiveChange(Sender); };
    FFilterKind = fkSQL;
    // 5.
    SetFixedCols(1);
    SetColCount(GetFixedCols() + 4);
    SetRowCount(2);
    SetFixedRows(1);
    // 6.
    TGridOptions Options = GetOptions();
    SetOptions(Options.Include(goColSizing).Include(goThumbTracking));
    // 7. A square fixed column for the button.
    SetColWidths(0, GetDefaultRowHeight());
    SetWidth(GetColWidths(0) + 404);
    for (int K = 0; K < 4; ++K)
        SetColWidths(GetFixedCols() + K, ConditionColWidths[K]);
    // 8.
    FColumnNames = fcnEnglish;
    FOperatorNames = fonComputer;
    FBoolNames = fbnComputer;
    FDefaultOperator = foiEqual;
    // 9.
    for (int K = 0; K < 4; ++K)
        SetCells(GetFixedCols() + K, 0, FColumnNames[static_cast<size_t>(K)]);
    // 10.
    FIgnoreMouseMove = false;
    FWildcards = "*?";
    FTargetWildcards = "%_";
    FFilterGridOptions = {fgoCorrect, fgoNonTableValueList, fgoStrictOperators};
}

TDBFilterGrid::~TDBFilterGrid() {
    Destroying();
    FDataLink.reset();
    if (FDeleteButton != nullptr)
        FDeleteButton->SetGlyph(nullptr);
    FDeleteGlyph.reset();
    // The owned editor, query and button go now, while their removal notices still reach
    // this grid's Notification, which forgets them.
    delete FEditor;
    delete FValueQuery;
    delete FDeleteButton;
}

// ---- Properties and binding ----

TDataSource* TDBFilterGrid::GetDataSource() const {
    return FDataLink->GetDataSource();
}

void TDBFilterGrid::SetDataSource(TDataSource* Value) {
    if (TDataSource* Old = FDataLink->GetDataSource())
        RemoveFreeNotification(Old);
    FDataLink->SetDataSource(Value);
    if (Value == nullptr)
        return;
    FreeNotification(Value);
    // A form being read brings the kind and options it was saved with.
    if (GetComponentState().Contains(csLoading))
        return;
    TDataSet* Data = Value->GetDataSet();
    if (dynamic_cast<TTable*>(Data) != nullptr) {
        FFilterKind = fkSimple;
        FFilterGridOptions.Include(fgoCaseSensitive);
    } else if (auto* Query = dynamic_cast<TQuery*>(Data); Query != nullptr && Query->GetLocal()) {
        FFilterKind = fkSimple;
    }
}

void TDBFilterGrid::SetFilterKind(TFilterKind Value) {
    FFilterKind = Value;
}

void TDBFilterGrid::SetFilterMaxDropDownCount(int Value) {
    FFilterMaxDropDownCount = Value;
}

TDataSet* TDBFilterGrid::DataSet() const {
    return FDataLink ? FDataLink->GetDataSet() : nullptr;
}

void TDBFilterGrid::ActiveChange(TObject*) {
    if (FValueQuery == nullptr)
        return;
    // The query is closed first: its database can only change while it is closed.
    FValueQuery->Close();
    auto* Table = dynamic_cast<TTable*>(DataSet());
    if (Table != nullptr && Table->GetActive())
        FValueQuery->SetDatabaseName(Table->GetDatabaseName());
}

void TDBFilterGrid::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove) {
        if (FDataLink && AComponent == GetDataSource())
            SetDataSource(nullptr);
        if (AComponent == FEditor)
            FEditor = nullptr;
        if (AComponent == FValueQuery)
            FValueQuery = nullptr;
        if (AComponent == FDeleteButton)
            FDeleteButton = nullptr;
    }
    TStringGrid::Notification(AComponent, Operation);
}

void TDBFilterGrid::SetParent(TWinControl* AParent) {
    TStringGrid::SetParent(AParent);
    if (!GetComponentState().Contains(csDestroying) && FEditor != nullptr)
        FEditor->SetParent(AParent);
}

// ---- Keys and mouse ----

void TDBFilterGrid::HideCellEditor() {
    if (FEditor != nullptr)
        FEditor->Hide();
}

void TDBFilterGrid::KeyDown(Word& Key, TShiftState Shift) {
    // 1.
    HideCellEditor();
    // 2. The Down arrow on a last row that holds text adds a row, which step 4 moves into.
    // (The grid always has a data row: it keeps more rows than fixed ones.)
    if (Key == VK_DOWN && GetRow() == GetRowCount() - 1 && !UnexistinqOrEmptyRow(GetRow()))
        SetRowCount(GetRowCount() + 1);
    // 3.
    if (Key == VK_LEFT || Key == VK_UP || Key == VK_RIGHT || Key == VK_DOWN) {
        FIgnoreMouseMove = true;
        HideCellEditor();
    }
    // 4.
    TStringGrid::KeyDown(Key, Shift);
    // 5.
    if (Key == VK_RETURN && FEditor != nullptr) {
        HideEditor();
        FEditor->ShowPositioned({GetCol(), GetRow()});
        FEditor->SetFocus();
    } else if (Key == VK_DELETE && Shift.Contains(ssCtrl)) {
        DeleteOrClearRow(GetRow());
    }
}

void TDBFilterGrid::MouseMove(TShiftState Shift, int X, int Y) {
    // 1.
    TStringGrid::MouseMove(Shift, X, Y);
    // 2.
    if (FEditor == nullptr || FEditor->Focused())
        return;
    // 3.
    if (FIgnoreMouseMove) {
        FIgnoreMouseMove = false;
        return;
    }
    // 4.
    TGridCoord C = MouseCoord(X, Y);
    if (FEditor->ShowPositioned(C))
        return;
    // 5.
    FEditor->Hide();
    if (FDeleteButton != nullptr && C.X == GetFixedCols() - 1 && C.Y >= GetFixedRows())
        ShowDeleteButton(C);
}

void TDBFilterGrid::ShowDeleteButton(TGridCoord C) {
    FDeleteButton->FRow = C.Y;
    TRect R = CellRect(C.X, C.Y);
    FDeleteButton->SetBounds(R.Left, R.Top, R.Width(), R.Height());
    FDeleteButton->Show();
}

// ---- Rows and cells ----

bool TDBFilterGrid::ValidCellCoordinates(TGridCoord C) const {
    return C.X >= GetFixedCols() && C.Y >= GetFixedRows();
}

TGridCoord TDBFilterGrid::CurrentComboCell() const {
    if (FEditor == nullptr)
        return {-1, -1};
    return MouseCoord(FEditor->GetLeft() - GetLeft(), FEditor->GetTop() - GetTop());
}

bool TDBFilterGrid::UnexistinqOrEmptyRow(int R) const {
    if (R < GetFixedRows() || R >= GetRowCount())
        return true;
    for (int Col = GetFixedCols(); Col < GetColCount(); ++Col)
        if (!GetCells(Col, R).empty())
            return false;
    return true;
}

bool TDBFilterGrid::DeleteOrClearRow(int R) {
    if (R < GetFixedRows() || R >= GetRowCount())
        return false;
    // The editor's text goes into its cell before the rows below move up.
    HideCellEditor();
    Rows(R)->Clear();
    if (GetRowCount() - GetFixedRows() <= 1)
        return false;
    DeleteRow(R);
    return true;
}

void TDBFilterGrid::Clear() {
    for (int R = GetRowCount() - 1; R >= GetFixedRows(); --R)
        DeleteOrClearRow(R);
}

// ---- Registration ----

void DBFilterGrid::Register() {
    RegisterComponents("Varn", {FindClassInfo("TDBFilterGrid")});
}

}  // namespace varn
