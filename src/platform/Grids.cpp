// Grid layout, the current cell, scrolling, the in-place editor and string cells.
#include "platform/Grids.h"

#include <algorithm>

namespace platform {

namespace {
const char* OutOfRange = "Grid index out of range";
}

// ---- TInplaceEdit ----

TInplaceEdit::TInplaceEdit(TCustomGrid* Grid) : TCustomEdit(Grid), FGrid(Grid) {
    SetVisible(false);
    SetParent(Grid);
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    TCustomEdit::KeyDown(Key, Shift);
    // Return and Escape end editing; the arrows up and down leave the cell.
    if (Key == VK_ESCAPE) {
        SetText(FGrid->GetEditText(FGrid->FEditCell.X, FGrid->FEditCell.Y));
        FGrid->HideEditor();
        Key = 0;
    } else if (Key == VK_RETURN || Key == VK_UP || Key == VK_DOWN) {
        FGrid->HideEditor();
        if (Key == VK_RETURN)
            Key = 0;
        else
            FGrid->KeyDown(Key, Shift);
    }
}

// ---- TCustomGrid ----

TCustomGrid::TCustomGrid(TComponent* AOwner) : TWinControl(AOwner) {
    FOptions = {goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    FColWidths.assign(5, FDefaultColWidth);
    FRowHeights.assign(5, FDefaultRowHeight);
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() {
    Destroying();
    FInplaceEdit = nullptr;  // a child: freed with the grid's controls
}

void TCustomGrid::SetColCount(int Value) {
    if (Value < 1)
        throw EInvalidGridOperation(OutOfRange);
    int Old = GetColCount();
    if (Value == Old)
        return;
    HideEditor();
    if (FFixedCols >= Value)
        FFixedCols = Value - 1;
    FColWidths.resize(static_cast<size_t>(Value), FDefaultColWidth);
    SizeChanged(Old, GetRowCount());
    FCurrent.X = std::clamp(FCurrent.X, std::min(FFixedCols, Value - 1), Value - 1);
    FTopLeft.X = std::clamp(FTopLeft.X, std::min(FFixedCols, Value - 1), Value - 1);
}

void TCustomGrid::SetRowCount(int Value) {
    if (Value < 1)
        throw EInvalidGridOperation(OutOfRange);
    int Old = GetRowCount();
    if (Value == Old)
        return;
    HideEditor();
    if (FFixedRows >= Value)
        FFixedRows = Value - 1;
    FRowHeights.resize(static_cast<size_t>(Value), FDefaultRowHeight);
    SizeChanged(GetColCount(), Old);
    FCurrent.Y = std::clamp(FCurrent.Y, std::min(FFixedRows, Value - 1), Value - 1);
    FTopLeft.Y = std::clamp(FTopLeft.Y, std::min(FFixedRows, Value - 1), Value - 1);
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value < 0 || Value >= GetColCount())
        throw EInvalidGridOperation("Fixed column count must be less than column count");
    FFixedCols = Value;
    FCurrent.X = std::max(FCurrent.X, Value);
    FTopLeft.X = std::max(FTopLeft.X, Value);
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value < 0 || Value >= GetRowCount())
        throw EInvalidGridOperation("Fixed row count must be less than row count");
    FFixedRows = Value;
    FCurrent.Y = std::max(FCurrent.Y, Value);
    FTopLeft.Y = std::max(FTopLeft.Y, Value);
}

void TCustomGrid::SetDefaultColWidth(int Value) {
    FDefaultColWidth = Value;
    std::fill(FColWidths.begin(), FColWidths.end(), Value);
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    FDefaultRowHeight = Value;
    std::fill(FRowHeights.begin(), FRowHeights.end(), Value);
}

int TCustomGrid::GetColWidths(int Index) const {
    if (Index < 0 || Index >= GetColCount())
        throw EInvalidGridOperation(OutOfRange);
    return FColWidths[static_cast<size_t>(Index)];
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= GetColCount())
        throw EInvalidGridOperation(OutOfRange);
    FColWidths[static_cast<size_t>(Index)] = std::max(0, Value);
}

int TCustomGrid::GetRowHeights(int Index) const {
    if (Index < 0 || Index >= GetRowCount())
        throw EInvalidGridOperation(OutOfRange);
    return FRowHeights[static_cast<size_t>(Index)];
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= GetRowCount())
        throw EInvalidGridOperation(OutOfRange);
    FRowHeights[static_cast<size_t>(Index)] = std::max(0, Value);
}

void TCustomGrid::SetOptions(TGridOptions Value) {
    FOptions = Value;
    if (!Value.Contains(goEditing))
        HideEditor();
}

void TCustomGrid::CheckCoord(int ACol, int ARow) const {
    if (ACol < FFixedCols || ACol >= GetColCount() || ARow < FFixedRows || ARow >= GetRowCount())
        throw EInvalidGridOperation(OutOfRange);
}

void TCustomGrid::SetCol(int Value) {
    CheckCoord(Value, FCurrent.Y);
    MoveCurrent(Value, FCurrent.Y);
}

void TCustomGrid::SetRow(int Value) {
    CheckCoord(FCurrent.X, Value);
    MoveCurrent(FCurrent.X, Value);
}

void TCustomGrid::MoveCurrent(int ACol, int ARow) {
    if (ACol == FCurrent.X && ARow == FCurrent.Y)
        return;
    if (!SelectCell(ACol, ARow))
        return;
    HideEditor();
    FCurrent = {ACol, ARow};
    ScrollIntoView();
}

void TCustomGrid::SetLeftCol(int Value) {
    Value = std::clamp(Value, FFixedCols, std::max(FFixedCols, GetColCount() - 1));
    if (Value == FTopLeft.X)
        return;
    FTopLeft.X = Value;
    TopLeftChanged();
}

void TCustomGrid::SetTopRow(int Value) {
    Value = std::clamp(Value, FFixedRows, std::max(FFixedRows, GetRowCount() - 1));
    if (Value == FTopLeft.Y)
        return;
    FTopLeft.Y = Value;
    TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

int TCustomGrid::VisibleRowCount() const {
    int Y = 0;
    for (int R = 0; R < FFixedRows; ++R)
        Y += FRowHeights[static_cast<size_t>(R)] + FGridLineWidth;
    int Count = 0;
    for (int R = FTopLeft.Y; R < GetRowCount(); ++R) {
        Y += FRowHeights[static_cast<size_t>(R)];
        if (Y > GetHeight())
            break;
        Y += FGridLineWidth;
        ++Count;
    }
    return Count;
}

int TCustomGrid::VisibleColCount() const {
    int X = 0;
    for (int C = 0; C < FFixedCols; ++C)
        X += FColWidths[static_cast<size_t>(C)] + FGridLineWidth;
    int Count = 0;
    for (int C = FTopLeft.X; C < GetColCount(); ++C) {
        X += FColWidths[static_cast<size_t>(C)];
        if (X > GetWidth())
            break;
        X += FGridLineWidth;
        ++Count;
    }
    return Count;
}

void TCustomGrid::ScrollIntoView() {
    TGridCoord Old = FTopLeft;
    if (FCurrent.Y >= FFixedRows) {
        if (FCurrent.Y < FTopLeft.Y)
            FTopLeft.Y = FCurrent.Y;
        while (FTopLeft.Y < FCurrent.Y && FCurrent.Y >= FTopLeft.Y + std::max(1, VisibleRowCount()))
            ++FTopLeft.Y;
    }
    if (FCurrent.X >= FFixedCols) {
        if (FCurrent.X < FTopLeft.X)
            FTopLeft.X = FCurrent.X;
        while (FTopLeft.X < FCurrent.X && FCurrent.X >= FTopLeft.X + std::max(1, VisibleColCount()))
            ++FTopLeft.X;
    }
    if (!(Old == FTopLeft))
        TopLeftChanged();
}

int TCustomGrid::ColLeft(int ACol) const {
    if (ACol < 0 || ACol >= GetColCount())
        return -1;
    int X = 0;
    if (ACol < FFixedCols) {
        for (int C = 0; C < ACol; ++C)
            X += FColWidths[static_cast<size_t>(C)] + FGridLineWidth;
        return X;
    }
    if (ACol < FTopLeft.X)
        return -1;
    for (int C = 0; C < FFixedCols; ++C)
        X += FColWidths[static_cast<size_t>(C)] + FGridLineWidth;
    for (int C = FTopLeft.X; C < ACol; ++C)
        X += FColWidths[static_cast<size_t>(C)] + FGridLineWidth;
    return X < GetWidth() ? X : -1;
}

int TCustomGrid::RowTop(int ARow) const {
    if (ARow < 0 || ARow >= GetRowCount())
        return -1;
    int Y = 0;
    if (ARow < FFixedRows) {
        for (int R = 0; R < ARow; ++R)
            Y += FRowHeights[static_cast<size_t>(R)] + FGridLineWidth;
        return Y;
    }
    if (ARow < FTopLeft.Y)
        return -1;
    for (int R = 0; R < FFixedRows; ++R)
        Y += FRowHeights[static_cast<size_t>(R)] + FGridLineWidth;
    for (int R = FTopLeft.Y; R < ARow; ++R)
        Y += FRowHeights[static_cast<size_t>(R)] + FGridLineWidth;
    return Y < GetHeight() ? Y : -1;
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
    int X = ColLeft(ACol);
    int Y = RowTop(ARow);
    if (X < 0 || Y < 0)
        return {};
    return {X, Y, X + FColWidths[static_cast<size_t>(ACol)],
            Y + FRowHeights[static_cast<size_t>(ARow)]};
}

int TCustomGrid::ColumnAt(int X) const {
    for (int C = 0; C < GetColCount(); ++C) {
        if (C == FFixedCols)
            C = std::max(C, FTopLeft.X);
        int Left = ColLeft(C);
        if (Left < 0)
            continue;
        if (X >= Left && X < Left + FColWidths[static_cast<size_t>(C)] + FGridLineWidth)
            return C;
    }
    return -1;
}

int TCustomGrid::RowAt(int Y) const {
    for (int R = 0; R < GetRowCount(); ++R) {
        if (R == FFixedRows)
            R = std::max(R, FTopLeft.Y);
        int Top = RowTop(R);
        if (Top < 0)
            continue;
        if (Y >= Top && Y < Top + FRowHeights[static_cast<size_t>(R)] + FGridLineWidth)
            return R;
    }
    return -1;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= GetWidth() || Y >= GetHeight())
        return {-1, -1};
    TGridCoord Coord{ColumnAt(X), RowAt(Y)};
    if (Coord.X < 0 || Coord.Y < 0)
        return {-1, -1};
    return Coord;
}

bool TCustomGrid::GetEditorMode() const {
    return FInplaceEdit != nullptr && FInplaceEdit->GetVisible();
}

void TCustomGrid::SetEditorMode(bool Value) {
    if (Value)
        ShowEditor();
    else
        HideEditor();
}

void TCustomGrid::ShowEditor() {
    if (!FOptions.Contains(goEditing) || FCurrent.X < FFixedCols || FCurrent.Y < FFixedRows)
        return;
    if (GetEditorMode() && FEditCell == FCurrent)
        return;
    HideEditor();
    ScrollIntoView();
    if (FInplaceEdit == nullptr)
        FInplaceEdit = new TInplaceEdit(this);
    TRect R = CellRect(FCurrent.X, FCurrent.Y);
    FInplaceEdit->SetBounds(R.Left, R.Top, R.Width(), R.Height());
    FEditCell = FCurrent;
    FInplaceEdit->SetText(GetEditText(FCurrent.X, FCurrent.Y));
    FInplaceEdit->Show();
    if (CanFocus() && GetParentForm(this) != nullptr)
        FInplaceEdit->SetFocus();
}

void TCustomGrid::HideEditor() {
    if (!GetEditorMode())
        return;
    bool HadFocus = FInplaceEdit->Focused();
    TGridCoord Cell = FEditCell;
    FEditCell = {-1, -1};
    if (Cell.X >= 0 && Cell.X < GetColCount() && Cell.Y >= 0 && Cell.Y < GetRowCount())
        SetEditText(Cell.X, Cell.Y, FInplaceEdit->GetText());
    FInplaceEdit->Hide();
    if (HadFocus && CanFocus())
        SetFocus();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex < 0 || FromIndex >= GetRowCount() || ToIndex < 0 || ToIndex >= GetRowCount())
        throw EInvalidGridOperation(OutOfRange);
    if (FromIndex == ToIndex)
        return;
    HideEditor();
    int Height = FRowHeights[static_cast<size_t>(FromIndex)];
    FRowHeights.erase(FRowHeights.begin() + FromIndex);
    FRowHeights.insert(FRowHeights.begin() + ToIndex, Height);
    RowMoved(FromIndex, ToIndex);
}

void TCustomGrid::DeleteRow(int ARow) {
    if (ARow < 0 || ARow >= GetRowCount())
        throw EInvalidGridOperation(OutOfRange);
    MoveRow(ARow, GetRowCount() - 1);
    SetRowCount(GetRowCount() - 1);
}

String TCustomGrid::GetEditText(int, int) const {
    return "";
}

void TCustomGrid::SetEditText(int, int, const String&) {}

bool TCustomGrid::SelectCell(int, int) {
    return true;
}

void TCustomGrid::SizeChanged(int, int) {}

void TCustomGrid::RowMoved(int, int) {}

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);
    int Col = FCurrent.X;
    int Row = FCurrent.Y;
    int Page = std::max(1, VisibleRowCount());
    switch (Key) {
        case VK_UP:
            --Row;
            break;
        case VK_DOWN:
            ++Row;
            break;
        case VK_LEFT:
            --Col;
            break;
        case VK_RIGHT:
            ++Col;
            break;
        case VK_PRIOR:
            Row -= Page;
            break;
        case VK_NEXT:
            Row += Page;
            break;
        case VK_HOME:
            Shift.Contains(ssCtrl) ? Row = FFixedRows : Col = FFixedCols;
            break;
        case VK_END:
            Shift.Contains(ssCtrl) ? Row = GetRowCount() - 1 : Col = GetColCount() - 1;
            break;
        case VK_TAB:
            if (!FOptions.Contains(goTabs))
                return;
            Col += Shift.Contains(ssShift) ? -1 : 1;
            break;
        case VK_F2:
        case VK_RETURN:
            if (FOptions.Contains(goEditing))
                ShowEditor();
            return;
        default:
            return;
    }
    Col = std::clamp(Col, FFixedCols, GetColCount() - 1);
    Row = std::clamp(Row, FFixedRows, GetRowCount() - 1);
    if (Col >= FFixedCols && Row >= FFixedRows)
        MoveCurrent(Col, Row);
}

void TCustomGrid::KeyPress(char& Key) {
    TWinControl::KeyPress(Key);
    // Typing into a grid that may be edited starts the editor with that character.
    if (Key == 0 || static_cast<unsigned char>(Key) < 32 || !FOptions.Contains(goEditing))
        return;
    ShowEditor();
    if (GetEditorMode()) {
        FInplaceEdit->SetText("");
        char Typed = Key;
        FInplaceEdit->DefaultKeyPress(Typed);
        Key = 0;
    }
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TWinControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    TGridCoord Cell = MouseCoord(X, Y);
    if (Cell.X >= FFixedCols && Cell.Y >= FFixedRows)
        MoveCurrent(Cell.X, Cell.Y);
}

// ---- TStringGrid ----

int TStringGridRow::Count() const {
    return FGrid->GetColCount();
}

String TStringGridRow::Get(int Index) const {
    return FGrid->GetCells(Index, FRow);
}

void TStringGridRow::Put(int Index, const String& S) {
    FGrid->SetCells(Index, FRow, S);
}

void TStringGridRow::Insert(int, const String&) {
    throw EInvalidGridOperation("A grid row has one string per column");
}

void TStringGridRow::Delete(int) {
    throw EInvalidGridOperation("A grid row has one string per column");
}

void TStringGridRow::Clear() {
    for (int C = 0; C < FGrid->GetColCount(); ++C)
        FGrid->SetCells(C, FRow, "");
    Changed();
}

TStringGrid::TStringGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
    FCells.assign(static_cast<size_t>(GetRowCount()),
                  std::vector<String>(static_cast<size_t>(GetColCount())));
}

TStringGrid::~TStringGrid() {
    Destroying();
}

const String& TStringGrid::GetCells(int ACol, int ARow) const {
    if (ACol < 0 || ACol >= GetColCount() || ARow < 0 || ARow >= GetRowCount())
        throw EInvalidGridOperation(OutOfRange);
    return FCells[static_cast<size_t>(ARow)][static_cast<size_t>(ACol)];
}

void TStringGrid::SetCells(int ACol, int ARow, const String& Value) {
    if (ACol < 0 || ACol >= GetColCount() || ARow < 0 || ARow >= GetRowCount())
        throw EInvalidGridOperation(OutOfRange);
    FCells[static_cast<size_t>(ARow)][static_cast<size_t>(ACol)] = Value;
}

TStrings* TStringGrid::Rows(int ARow) {
    if (ARow < 0 || ARow >= GetRowCount())
        throw EInvalidGridOperation(OutOfRange);
    auto& View = FRowViews[ARow];
    if (!View)
        View = std::make_unique<TStringGridRow>(this, ARow);
    return View.get();
}

String TStringGrid::GetEditText(int ACol, int ARow) const {
    return GetCells(ACol, ARow);
}

void TStringGrid::SetEditText(int ACol, int ARow, const String& Value) {
    SetCells(ACol, ARow, Value);
}

void TStringGrid::SizeChanged(int, int) {
    FCells.resize(static_cast<size_t>(GetRowCount()));
    for (auto& Row : FCells)
        Row.resize(static_cast<size_t>(GetColCount()));
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
    std::vector<String> Row = std::move(FCells[static_cast<size_t>(FromIndex)]);
    FCells.erase(FCells.begin() + FromIndex);
    FCells.insert(FCells.begin() + ToIndex, std::move(Row));
}

}  // namespace platform
