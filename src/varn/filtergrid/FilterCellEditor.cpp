// The filter grid's cell editor, which floats over one condition cell at a time and offers
// fields, operators, values or link words, and the button that deletes a row.
#include <algorithm>

#include "varn/filtergrid/DBFilterGrid.h"

namespace varn {

using namespace platform;

namespace {

// A name in double quotes for SQL, with every double quote inside doubled.
String QuotedName(const String& Name) {
    String Result = "\"";
    for (char C : Name) {
        Result += C;
        if (C == '"')
            Result += '"';
    }
    return Result + "\"";
}

// Back to the record the scan started on, and the controls enabled again, also when
// returning fails.
void RestorePosition(TDataSet* DataSet, const TBookmark& Position) {
    try {
        if (!Position.empty())
            DataSet->SetBookmark(Position);
    } catch (...) {
        DataSet->EnableControls();
        throw;
    }
    DataSet->EnableControls();
}

}  // namespace

// ---- TDBFilterGridComboBox ----

TDBFilterGridComboBox::TDBFilterGridComboBox(TDBFilterGrid* AOwner) : TCustomComboBox(AOwner) {}

TDBFilterGrid* TDBFilterGridComboBox::Grid() const {
    return static_cast<TDBFilterGrid*>(GetOwner());
}

void TDBFilterGridComboBox::FocusGrid() {
    if (Grid()->CanFocus())
        Grid()->SetFocus();
}

bool TDBFilterGridComboBox::CellExists(TGridCoord C) const {
    return Grid()->ValidCellCoordinates(C) && C.X < Grid()->GetColCount() &&
           C.Y < Grid()->GetRowCount();
}

bool TDBFilterGridComboBox::ShowPositioned(TGridCoord C) {
    TDBFilterGrid* G = Grid();
    // 1. Also a cell beyond the grid's cells cannot be covered.
    if (!CellExists(C))
        return false;
    // 2.
    Hide();
    // 3.
    TRect R = G->CellRect(C.X, C.Y);
    // 4.
    GetItems()->Clear();
    SetText(G->GetCells(C.X, C.Y));
    // 5. The editor and the grid share a parent.
    SetBounds(G->GetLeft() + R.Left + 2, G->GetTop() + R.Top + 2, R.Width(), R.Height());
    // 6.
    FCell = C;
    // 7.
    Show();
    return true;
}

void TDBFilterGridComboBox::Show() {
    if (!GetVisible())
        Grid()->FGridWasFocused = Grid()->Focused();
    BringToFront();
    TCustomComboBox::Show();
}

void TDBFilterGridComboBox::Hide() {
    bool WasVisible = GetVisible();
    // A hidden editor shows no list.
    SetDroppedDown(false);
    TCustomComboBox::Hide();
    if (!WasVisible)
        return;
    SetText();
    if (Grid()->FGridWasFocused)
        FocusGrid();
    Grid()->HideEditor();
}

void TDBFilterGridComboBox::SetText() {
    if (!Grid()->ValidCellCoordinates(FCell))
        return;
    // The rows may have shrunk under the editor; a cell that is gone takes no text.
    if (CellExists(FCell))
        Grid()->SetCells(FCell.X, FCell.Y, GetText());
    FCell = {-1, -1};
}

void TDBFilterGridComboBox::Select() {
    if (!CellExists(FCell))
        return;
    Grid()->SetCol(FCell.X);
    Grid()->SetRow(FCell.Y);
}

void TDBFilterGridComboBox::AppendRow() {
    TDBFilterGrid* G = Grid();
    if (FCell.X != G->GetFixedCols() + fciBoolOperator)
        return;
    String Text = GetText();
    if (Text != G->FBoolNames[fbiTrue] && Text != G->FBoolNames[fbiFalse])
        return;
    // The grid's last row decides, whatever row the editor is in.
    if (G->UnexistinqOrEmptyRow(G->GetRowCount() - 1))
        return;
    G->SetRowCount(G->GetRowCount() + 1);
    G->SetRow(G->GetRowCount() - 1);
    G->SetCol(G->GetFixedCols());
}

void TDBFilterGridComboBox::Click() {
    TCustomComboBox::Click();
    // An entry picked with the arrows in the open list is not entered yet.
    if (GetDroppedDown())
        return;
    Select();
    AppendRow();
    Hide();
    FocusGrid();
}

void TDBFilterGridComboBox::KeyDown(Word& Key, TShiftState Shift) {
    // 1. The application may change or cancel the key.
    TCustomComboBox::KeyDown(Key, Shift);
    TDBFilterGrid* G = Grid();
    // 2.
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
        // a.
        if (Key == VK_ESCAPE && CellExists(FCell))
            SetText(G->GetCells(FCell.X, FCell.Y));
        // b.
        Select();
        // c.
        if (Key == VK_RETURN) {
            if (G->GetCol() < G->GetColCount() - 1 && !GetText().empty())
                G->SetCol(G->GetCol() + 1);
            AppendRow();
            G->HideEditor();
            G->FIgnoreMouseMove = true;
            FocusGrid();
        }
        // d.
        Hide();
    } else if (Key == VK_DOWN) {
        // 3.
        SetDroppedDown(true);
    }
}

void TDBFilterGridComboBox::CMMouseLeave() {
    TCustomComboBox::CMMouseLeave();
    if (GetVisible() && !GetDroppedDown() && !Focused())
        Hide();
}

void TDBFilterGridComboBox::DropDown() {
    TDBFilterGrid* G = Grid();
    // 1.
    GetItems()->Clear();
    // 2.
    TGridCoord C = G->CurrentComboCell();
    switch (C.X - G->GetFixedCols()) {
        case fciLeftArg:  // 3.
            AddFieldNames();
            break;
        case fciOperator:  // 4.
            AddOperatorNames(C);
            break;
        case fciRightArg:  // 5.
            AddValues(C);
            break;
        case fciBoolOperator:  // 6.
            GetItems()->Append(G->FBoolNames[fbiFalse]);
            GetItems()->Append(G->FBoolNames[fbiTrue]);
            break;
        default:  // 7.
            break;
    }
    // 8.
    SetDropDownCount(std::min(GetItems()->Count(), G->FFilterMaxDropDownCount));
    // 9.
    TCustomComboBox::DropDown();
}

void TDBFilterGridComboBox::AddFieldNames() {
    TDataSet* Data = Grid()->DataSet();
    if (Data == nullptr || !Data->GetActive())
        return;
    // Data fields only: no calculated or lookup fields, no memos, graphics or other blobs.
    for (int I = 0; I < Data->FieldCount(); ++I) {
        TField* Field = Data->Fields(I);
        if (Field->GetFieldKind() == fkData && !Field->IsBlob())
            GetItems()->Append(Field->GetFieldName());
    }
}

void TDBFilterGridComboBox::AddOperatorNames(TGridCoord C) {
    TDBFilterGrid* G = Grid();
    if (G->DataSet() == nullptr)
        return;
    try {
        TFilterOperatorIndexes Applicable = G->ApplicableOperators(G->GetCells(C.X - 1, C.Y));
        for (size_t I = foiLess; I <= foiIsNotNull; ++I)
            if (Applicable.Contains(static_cast<TFilterOperatorIndex>(I)))
                GetItems()->Append(G->FOperatorNames[I]);
    } catch (const Exception&) {
        if (G->FFilterGridOptions.Contains(fgoExceptions))
            throw;
    }
}

void TDBFilterGridComboBox::AddValues(TGridCoord C) {
    TDBFilterGrid* G = Grid();
    TDataSet* Data = G->DataSet();
    if (Data == nullptr || !Data->GetActive())
        return;
    String N = UnbracketString(G->GetCells(G->GetFixedCols(), C.Y));
    TField* Field = Data->FindField(N);
    if (Field == nullptr) {
        if (G->FFilterGridOptions.Contains(fgoExceptions))
            throw Exception("TDBFilterGridComboBox.DropDown() Unknown field: \"" + N + "\".");
        return;
    }
    if (auto* Table = dynamic_cast<TTable*>(Data))
        AddTableValues(Table, N, Field->GetFieldName());
    else if (G->FFilterGridOptions.Contains(fgoNonTableValueList))
        AddScannedValues(Data, Field);
}

void TDBFilterGridComboBox::AddTableValues(TTable* Table, const String& FieldName,
                                           const String& ServerFieldName) {
    TDBFilterGrid* G = Grid();
    TQuery* Query = G->FValueQuery;
    if (Query == nullptr)  // freed by someone else: no list
        return;
    // A local table's names are quoted; a server's are written as they are, unless the
    // server would read them unquoted as other names (it folds them to small letters), so
    // the field is named as the server named it, not as it was typed.
    String Sql = Table->IsSequenced()
                     ? "SELECT DISTINCT ValueTable." + QuotedName(FieldName) + " ValueField FROM " +
                           QuotedName(Table->GetTableName()) + " ValueTable ORDER BY ValueField"
                     : "SELECT DISTINCT " + Table->SqlName(ServerFieldName) + " FROM " +
                           Table->SqlName(Table->GetTableName()) + " ORDER BY " +
                           Table->SqlName(ServerFieldName);
    Query->GetSQL()->SetText(Sql);
    Query->Open();
    for (Query->First(); !Query->GetEOF(); Query->Next())
        GetItems()->Append(Query->Fields(0)->GetAsString());
}

void TDBFilterGridComboBox::AddScannedValues(TDataSet* DataSet, TField* Field) {
    TStringList Values;
    DataSet->DisableControls();
    TBookmark Position = DataSet->GetBookmark();
    try {
        for (DataSet->First(); !DataSet->GetEOF(); DataSet->Next())
            Values.Add(Field->GetAsString());
    } catch (...) {
        RestorePosition(DataSet, Position);
        throw;
    }
    RestorePosition(DataSet, Position);
    // Each distinct value once: the sorted list, without repeats of the entry added last.
    Values.Sort();
    for (int I = 0; I < Values.Count(); ++I)
        if (I == 0 || Values[I] != GetItems()->Get(GetItems()->Count() - 1))
            GetItems()->Append(Values[I]);
}

// ---- TDBFilterGridSpeedButton ----

TDBFilterGridSpeedButton::TDBFilterGridSpeedButton(TDBFilterGrid* AOwner) : TSpeedButton(AOwner) {}

void TDBFilterGridSpeedButton::Click() {
    TSpeedButton::Click();
    static_cast<TDBFilterGrid*>(GetOwner())->DeleteOrClearRow(FRow);
    Hide();
}

void TDBFilterGridSpeedButton::CMMouseLeave() {
    TSpeedButton::CMMouseLeave();
    Hide();
}

}  // namespace varn
