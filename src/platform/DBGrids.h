// The data grid: shows a window of a dataset's records around the current one, one column
// per field (default columns) or per persistent column, under titles that can be clicked.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/DB.h"
#include "platform/Grids.h"

namespace platform {

class TCustomDBGrid;
class TColumn;

// The look of a column's title. The caption is the field's display label (the FieldName
// while there is no field) until it is set; the font follows the grid's TitleFont until it
// is changed or assigned.
class TColumnTitle : public TPersistent {
  public:
    explicit TColumnTitle(TColumn* Column);
    ~TColumnTitle() override;
    TColumnTitle(const TColumnTitle&) = delete;
    TColumnTitle& operator=(const TColumnTitle&) = delete;

    TColumn* GetColumn() const { return FColumn; }
    String GetCaption() const;
    void SetCaption(const String& Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TFont* GetFont() const { return FFont.get(); }
    void SetFont(const TFont* Value) { FFont->Assign(Value); }
    // True while the font follows the grid's TitleFont.
    bool GetParentFont() const { return !FFontAssigned; }

  private:
    friend class TCustomDBGrid;
    // Takes the grid's TitleFont while the font has not been changed.
    void TitleFontChanged();

    TColumn* FColumn;
    String FCaption;
    bool FCaptionAssigned = false;
    TColor FColor = clBtnFace;
    std::unique_ptr<TFont> FFont;
    bool FFontAssigned = false;
    bool FFollowingGrid = false;
};

// One column of a data grid: the field it shows (by name), its width and its title.
// Columns are made by their collection (TDBGridColumns::Add).
class TColumn : public TCollectionItem {
  public:
    ~TColumn() override;

    const String& GetFieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    // The field of the grid's dataset named FieldName, or null (no grid, no dataset, no
    // such field).
    TField* GetField() const;
    // The grid whose columns hold this column, or null.
    TCustomDBGrid* GetGrid() const;
    TColumnTitle* GetTitle() const { return FTitle.get(); }
    // The width set, or else the default for the field's type.
    int GetWidth() const;
    void SetWidth(int Value);

  private:
    friend class TDBGridColumns;
    explicit TColumn(TCollection* Collection);

    String FFieldName;
    int FWidth = -1;  // -1: the default width
    std::unique_ptr<TColumnTitle> FTitle;
};

enum TDBGridColumnsState : uint8_t { csDefault, csCustomized };

// The columns of a data grid. In the csDefault state they are made from the dataset's
// fields and remade whenever those change; in the csCustomized state they are the
// persistent columns that the application (or a form) gave.
class TDBGridColumns : public TCollection {
  public:
    // Grid may be null: then the columns belong to no grid.
    explicit TDBGridColumns(TCustomDBGrid* Grid);

    TCustomDBGrid* GetGrid() const { return FGrid; }
    // REQUIRES: 0 <= Index < Count().
    TColumn* GetColumn(int Index) const { return static_cast<TColumn*>(Items(Index)); }
    TColumn* operator[](int Index) const { return GetColumn(Index); }
    // Adds a persistent column. Columns made from the fields give way to it: the state
    // becomes csCustomized.
    TColumn* Add();

    TDBGridColumnsState GetState() const { return FState; }
    // csDefault remakes the columns from the fields; csCustomized keeps the columns there
    // are as persistent ones.
    void SetState(TDBGridColumnsState Value);
    // In the csDefault state: one fresh column per field of the grid's dataset.
    void RebuildColumns();

  protected:
    void Update(TCollectionItem* Item) override;

  private:
    TCustomDBGrid* FGrid;
    TDBGridColumnsState FState = csDefault;
};

using TDBGridClickEvent = std::function<void(TColumn* Column)>;

// A grid over the records of a data source. Row 0 holds the titles, column 0 the record
// indicator; data column k is grid column k + 1. The rows below the titles show as many
// records around the dataset's current one as fit, and the current cell's row is the
// current record: moving the dataset moves the row, and clicking a row (or the keys up,
// down, page up and down, Ctrl+Home and Ctrl+End) moves the dataset.
class TCustomDBGrid : public TCustomGrid {
  public:
    explicit TCustomDBGrid(TComponent* AOwner);
    ~TCustomDBGrid() override;

    TDataSource* GetDataSource() const;
    void SetDataSource(TDataSource* Value);
    TDBGridColumns* GetColumns() const { return FColumns.get(); }
    TFont* GetTitleFont() const { return FTitleFont.get(); }
    void SetTitleFont(const TFont* Value) { FTitleFont->Assign(Value); }

    // The number of records shown, and the row among them (from 0) of the current record.
    int VisibleRecordCount() const { return static_cast<int>(FRecordTexts.size()); }
    int ActiveRecord() const { return FActiveRecord; }
    // The text shown for data column DataCol (from 0) in the record row VisibleRow (from
    // 0); empty outside the records shown.
    String DisplayText(int DataCol, int VisibleRow) const;
    // The text of a grid cell: row 0 the title captions, column 0 ">" at the current
    // record, else the record texts.
    String CellText(int ACol, int ARow) const;

    void SetBounds(int Left, int Top, int Width, int Height) override;

    TDBGridClickEvent OnTitleClick;

  protected:
    // A title was clicked (pressed and released on the same title); fires OnTitleClick.
    virtual void TitleClick(TColumn* Column);
    // The data link's notices: the dataset opened or closed, changed as a whole, moved,
    // or changed its fields.
    virtual void LinkActive();
    virtual void DataChanged();
    virtual void Scrolled(int Distance);
    virtual void LayoutChanged();

    bool SelectCell(int ACol, int ARow) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    class TGridDataLink;
    friend class TDBGridColumns;

    // The dataset while the link is active, else null.
    TDataSet* ActiveDataSet() const;
    // The columns changed: lays them out and reads the records again.
    void ColumnsChanged();
    void LayoutColumns();
    // How many record rows fit below the titles.
    int RecordCapacity() const;
    // Reads the records around the current one and shows the current one's row.
    void ReadRecords();
    std::vector<String> CurrentRecordTexts(const std::vector<TField*>& Fields) const;
    void ShowActiveRow();
    void MoveByKey(Word Key, TShiftState Shift);
    void TitleFontChanged();
    bool IsDestroying() const { return GetComponentState().Contains(csDestroying); }

    std::unique_ptr<TGridDataLink> FDataLink;
    std::unique_ptr<TFont> FTitleFont;
    std::unique_ptr<TDBGridColumns> FColumns;
    std::vector<std::vector<String>> FRecordTexts;  // [visible row][data column]
    int FActiveRecord = 0;
    int FPressedTitle = -1;  // the grid column whose title the mouse went down on
    bool FFollowingDataSet = false;
};

class TDBGrid : public TCustomDBGrid {
  public:
    using TCustomDBGrid::TCustomDBGrid;
};

}  // namespace platform
