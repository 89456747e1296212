// Grids: a table of cells with fixed (title) rows and columns, a current cell, scrolling
// and an in-place editor; the string grid keeps a text per cell.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/StdCtrls.h"

namespace platform {

enum TGridOption : uint8_t {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
using TGridOptions = TSet<TGridOption, uint16_t>;

struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

class EInvalidGridOperation : public Exception {
  public:
    using Exception::Exception;
};

class TCustomGrid;

// The editor a grid shows over its current cell when goEditing is set.
class TInplaceEdit : public TCustomEdit {
  public:
    explicit TInplaceEdit(TCustomGrid* Grid);

  protected:
    friend class TCustomGrid;
    void KeyDown(Word& Key, TShiftState Shift) override;

  private:
    TCustomGrid* FGrid;
};

// A grid of ColCount x RowCount cells; the first FixedCols columns and FixedRows rows are
// fixed (titles) and do not scroll. Cells are laid out from the left and top of the client
// area, each followed by a grid line of GridLineWidth pixels.
class TCustomGrid : public TWinControl {
  public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    int GetColCount() const { return static_cast<int>(FColWidths.size()); }
    void SetColCount(int Value);
    int GetRowCount() const { return static_cast<int>(FRowHeights.size()); }
    void SetRowCount(int Value);
    int GetFixedCols() const { return FFixedCols; }
    // Fails with EInvalidGridOperation unless fewer than the columns.
    void SetFixedCols(int Value);
    int GetFixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int GetDefaultColWidth() const { return FDefaultColWidth; }
    // Sets every column to the width.
    void SetDefaultColWidth(int Value);
    int GetDefaultRowHeight() const { return FDefaultRowHeight; }
    // Sets every row to the height.
    void SetDefaultRowHeight(int Value);
    int GetColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int GetRowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    int GetGridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value) { FGridLineWidth = Value; }
    TGridOptions GetOptions() const { return FOptions; }
    void SetOptions(TGridOptions Value);

    // The current cell; it is never a fixed cell while there are others.
    int GetCol() const { return FCurrent.X; }
    void SetCol(int Value);
    int GetRow() const { return FCurrent.Y; }
    void SetRow(int Value);
    // The first scrolled column and row shown after the fixed ones.
    int GetLeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int Value);
    int GetTopRow() const { return FTopLeft.Y; }
    void SetTopRow(int Value);
    // Scrolled rows (columns) wholly shown from TopRow (LeftCol) on.
    int VisibleRowCount() const;
    int VisibleColCount() const;

    // The cell's rectangle in client coordinates; empty for a cell out of view.
    TRect CellRect(int ACol, int ARow) const;
    // The cell under a client point, or (-1, -1) outside all cells.
    TGridCoord MouseCoord(int X, int Y) const;

    bool GetEditorMode() const;
    void SetEditorMode(bool Value);
    // Shows the in-place editor over the current cell (only with goEditing).
    void ShowEditor();
    // Writes the in-place editor's text into its cell and hides it.
    void HideEditor();
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }

    // Removes a row; the rows below move up.
    virtual void DeleteRow(int ARow);
    // Moves a row to another index; the rows between shift by one.
    void MoveRow(int FromIndex, int ToIndex);

    TNotifyEvent OnTopLeftChanged;

  protected:
    friend class TInplaceEdit;
    // The text the in-place editor starts with, and where it writes back.
    virtual String GetEditText(int ACol, int ARow) const;
    virtual void SetEditText(int ACol, int ARow, const String& Value);
    // Whether a cell may become the current cell.
    virtual bool SelectCell(int ACol, int ARow);
    // The number of columns or rows changed.
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    virtual void RowMoved(int FromIndex, int ToIndex);
    virtual void TopLeftChanged();
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  private:
    void MoveCurrent(int ACol, int ARow);
    void ScrollIntoView();
    void CheckCoord(int ACol, int ARow) const;
    int ColumnAt(int X) const;
    int RowAt(int Y) const;
    int ColLeft(int ACol) const;  // -1 when out of view
    int RowTop(int ARow) const;

    std::vector<int> FColWidths;
    std::vector<int> FRowHeights;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    int FGridLineWidth = 1;
    TGridOptions FOptions;
    TGridCoord FCurrent{1, 1};
    TGridCoord FTopLeft{1, 1};
    TInplaceEdit* FInplaceEdit = nullptr;  // a child of the grid, made when first needed
    TGridCoord FEditCell{-1, -1};
};

class TStringGrid;

// One row of a string grid, as a list of strings (one per column).
class TStringGridRow : public TStrings {
  public:
    TStringGridRow(TStringGrid* Grid, int Row) : FGrid(Grid), FRow(Row) {}
    int Count() const override;
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    // A row has one string per column: inserting and deleting are not possible.
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    // Empties every cell of the row.
    void Clear() override;

  private:
    TStringGrid* FGrid;
    int FRow;
};

class TStringGrid : public TCustomGrid {
  public:
    explicit TStringGrid(TComponent* AOwner);
    ~TStringGrid() override;

    // Fails with EInvalidGridOperation outside the grid.
    const String& GetCells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const String& Value);
    TStrings* Rows(int ARow);

  protected:
    String GetEditText(int ACol, int ARow) const override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    void SizeChanged(int OldColCount, int OldRowCount) override;
    void RowMoved(int FromIndex, int ToIndex) override;

  private:
    std::vector<std::vector<String>> FCells;  // [row][col]
    std::map<int, std::unique_ptr<TStringGridRow>> FRowViews;
};

}  // namespace platform
