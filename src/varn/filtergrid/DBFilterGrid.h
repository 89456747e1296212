// The filter grid: a string grid in which the user writes filter conditions row by row
// (field, operator, value, link word) through a floating combo-box editor, and which turns
// the rows into one filter expression for the application to apply.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/Buttons.h"
#include "platform/DBTables.h"
#include "platform/Grids.h"
#include "platform/Resources.h"
#include "platform/StdCtrls.h"
#include "varn/shared/Varn_shared.h"

namespace varn {

// ---- Vocabulary ----

// The four condition columns of a row: field, operator, value, link word to the next row.
enum TFilterColumnIndex : uint8_t { fciLeftArg, fciOperator, fciRightArg, fciBoolOperator };

enum TFilterOperatorIndex : uint8_t {
    foiLess,
    foiLessOrEqual,
    foiEqual,
    foiLargerOrEqual,
    foiLarger,
    foiNotEqual,
    foiStartingWith,
    foiContaining,
    foiLike,
    foiIsNull,
    foiIsNotNull
};

// The two link words: fbiFalse is the "and" word, fbiTrue the "or" word.
enum TFilterBoolIndex : uint8_t { fbiFalse, fbiTrue };

// The syntax of the expression the grid builds: the dataset's simple filter syntax, or SQL.
enum TFilterKind : uint8_t { fkSimple, fkSQL };

enum TFilterGridOption : uint8_t {
    fgoCaseSensitive,
    fgoCaseSensitiveContaining,
    fgoCorrect,
    fgoCorrectTranslateWildcards,
    fgoExceptions,
    fgoNonTableValueList,
    fgoStrictOperators
};

using TFilterOperatorIndexes = platform::TSet<TFilterOperatorIndex, uint16_t>;
using TFilterGridOptions = platform::TSet<TFilterGridOption, uint8_t>;

using TFilterColumnNames = std::array<String, 4>;     // by TFilterColumnIndex
using TFilterOperatorNames = std::array<String, 11>;  // by TFilterOperatorIndex
using TFilterBoolNames = std::array<String, 2>;       // by TFilterBoolIndex

// The name tables. The Serbian texts are Windows-1250 bytes. The tables are made when the
// library is loaded and released by the unit's finalization when it goes.
extern const TFilterColumnNames& fcnEnglish;
extern const TFilterColumnNames& fcnSerbian;
// The operators as they go into expressions: "<", "<=", ..., "IS NOT NULL".
extern const TFilterOperatorNames& fonComputer;
extern const TFilterOperatorNames& fonEnglish;
extern const TFilterOperatorNames& fonSerbian;
// The link words as they go into expressions: "AND", "OR".
extern const TFilterBoolNames& fbnComputer;
extern const TFilterBoolNames& fbnEnglish;
extern const TFilterBoolNames& fbnSerbian;

// The unit's start-up work: its initialization makes the name tables again if a
// finalization released them while the library stayed loaded; its finalization releases
// them.
void MakeFilterNameTables();
void ReleaseFilterNameTables();

constexpr TFilterOperatorIndexes AllFilterOperatorIndexes =
    TFilterOperatorIndexes::FromBits(0x07FF);
// The six comparisons.
constexpr TFilterOperatorIndexes SimpleFilterOperatorIndexes =
    TFilterOperatorIndexes::FromBits(0x003F);
// The six comparisons and the two null tests.
constexpr TFilterOperatorIndexes UnquotedFilterOperatorIndexes =
    TFilterOperatorIndexes::FromBits(0x063F);

// The module of libvarnrt.so, which holds the components' bitmap resources.
platform::TModule RuntimeModule();

class TDBFilterGrid;

// ---- Cell editor and delete button ----

// The combo box that the grid lays over one condition cell at a time. It shows the cell's
// text, offers a list that depends on the column (fields, operators, values, link words),
// and writes its text back into the cell whenever it is hidden. Owned by its grid; its
// parent is the grid's parent, so it floats above the grid's cells.
class TDBFilterGridComboBox : public platform::TCustomComboBox {
  public:
    explicit TDBFilterGridComboBox(TDBFilterGrid* AOwner);

    // Writes back the cell edited so far and covers cell C with its text. False, and no
    // change, for a fixed cell or one beyond the grid's cells.
    bool ShowPositioned(platform::TGridCoord C);
    // Makes the editor visible, noting first whether the grid has the focus.
    void Show();
    // Makes the editor invisible; if it was visible, writes its text into its cell and
    // gives the focus back to the grid if the grid had it when the editor was shown.
    void Hide();
    using TCustomComboBox::SetText;
    // Writes the editor's text, untrimmed, into its cell, once.
    void SetText();
    // Makes the editor's cell the grid's current cell.
    void Select();
    // When a link word is entered in the link column and the grid's last row is not
    // empty, adds a row and moves to its field cell.
    void AppendRow();

  protected:
    // Fills the list for the column of the editor's cell.
    void DropDown() override;
    // An entry was picked: with the list closed, it is entered as with Return, without
    // moving on.
    void Click() override;
    // Return enters the text, Escape drops it, the Down arrow opens the list.
    void KeyDown(platform::Word& Key, platform::TShiftState Shift) override;
    void CMMouseLeave() override;

  private:
    TDBFilterGrid* Grid() const;
    void FocusGrid();
    bool CellExists(platform::TGridCoord C) const;
    void AddFieldNames();
    void AddOperatorNames(platform::TGridCoord C);
    void AddValues(platform::TGridCoord C);
    void AddTableValues(platform::TTable* Table, const String& FieldName,
                        const String& ServerFieldName);
    void AddScannedValues(platform::TDataSet* DataSet, platform::TField* Field);

    // The cell whose text the editor holds; (-1, -1) once the text has been written back.
    platform::TGridCoord FCell{-1, -1};
};

// The button that the grid lays over the fixed cell of a data row: a click deletes that
// row, or empties it when it is the only one.
class TDBFilterGridSpeedButton : public platform::TSpeedButton {
  public:
    explicit TDBFilterGridSpeedButton(TDBFilterGrid* AOwner);

  protected:
    void Click() override;
    void CMMouseLeave() override;

  private:
    friend class TDBFilterGrid;
    // The row the button deletes; set by the grid each time it shows the button.
    int FRow = 0;
};

// ---- The grid ----

// A string grid with one fixed title row, a narrow fixed column for the delete button and
// four condition columns. The application reads the rows as one expression with
// GetFilterExpression and applies it itself; the grid never filters a dataset.
class TDBFilterGrid : public platform::TStringGrid {
  public:
    explicit TDBFilterGrid(platform::TComponent* AOwner);
    ~TDBFilterGrid() override;

    // Published properties.
    platform::TDataSource* GetDataSource() const;
    // Binds the grid; a table's source switches to fkSimple with fgoCaseSensitive, a local
    // query's source to fkSimple (not while the grid is read from a form, which brings the
    // kind and options it was saved with).
    void SetDataSource(platform::TDataSource* Value);
    TFilterKind GetFilterKind() const { return FFilterKind; }
    void SetFilterKind(TFilterKind Value);
    // The largest number of lines a drop-down list shows.
    int GetFilterMaxDropDownCount() const { return FFilterMaxDropDownCount; }
    void SetFilterMaxDropDownCount(int Value);
    // The operator of a row whose operator cell is empty.
    TFilterOperatorIndex GetDefaultOperator() const { return FDefaultOperator; }
    void SetDefaultOperator(TFilterOperatorIndex Value) { FDefaultOperator = Value; }
    // The wildcards (many, one, optional escape) the user types, and those of the
    // expression; both are used in fkSQL only.
    const String& GetWildcards() const { return FWildcards; }
    void SetWildcards(const String& Value) { FWildcards = Value; }
    const String& GetTargetWildcards() const { return FTargetWildcards; }
    void SetTargetWildcards(const String& Value) { FTargetWildcards = Value; }
    TFilterGridOptions GetFilterGridOptions() const { return FFilterGridOptions; }
    void SetFilterGridOptions(TFilterGridOptions Value) { FFilterGridOptions = Value; }

    // ---- Vocabulary ----

    // True if values of the field are written as quoted literals: false for the numeric,
    // boolean and auto-increment types. FieldName may be bracketed or padded. Fails when
    // the grid has no dataset, it is closed, or it has no such field.
    bool QuotedType(const String& FieldName) const;
    // The operator whose name equals Name, trimmed, letter case ignored; fails for none.
    TFilterOperatorIndex OperatorNameToIndex(const String& Name) const;
    // As OperatorNameToIndex, and the operator must be applicable to the field.
    TFilterOperatorIndex OperatorNameToIndexStrict(const String& Name,
                                                   const String& FieldName) const;
    // The operator's SQL text; fails for a value outside the eleven.
    String OperatorIndexTOSQLOperator(TFilterOperatorIndex Index) const;
    // The operators the grid offers and, in strict mode, accepts for the field.
    TFilterOperatorIndexes ApplicableOperators(const String& FieldName) const;

    // ---- Expression ----

    // Writes back the editor's text, then joins the conditions of every row that names a
    // field into one expression; with fgoCorrect, writes the normalised rows back.
    String GetFilterExpression();
    // The trimmed text of a condition cell.
    String GetCell(TFilterColumnIndex Column, int Row) const;
    void SetCell(TFilterColumnIndex Column, int Row, const String& Text);
    // The operator text of a row as the options read it, or empty.
    String GetOpCell(TFilterColumnIndex Column, int Row, const String& FieldName) const;
    // The operator name that shares the longest beginning with S (the shortest such name
    // on ties), or empty when none shares even the first character.
    String CorrectOperatorName(const String& S) const;

    // ---- Rows and cells ----

    // Leaves exactly one data row, empty.
    void Clear();
    // Empties row R and deletes it unless it is the only data row; true if deleted. False,
    // and no change, for a row that is not a data row.
    bool DeleteOrClearRow(int R);
    // True for a row that is not a data row, and for a data row whose condition cells are
    // all empty (a blank counts as text).
    bool UnexistinqOrEmptyRow(int R) const;
    // True for a non-fixed cell.
    bool ValidCellCoordinates(platform::TGridCoord C) const;
    // The cell under the editor's top-left corner.
    platform::TGridCoord CurrentComboCell() const;

    // Moves the editor along to the grid's new parent.
    void SetParent(platform::TWinControl* AParent) override;

  protected:
    // Follows the bound table's open state with the value query.
    void ActiveChange(platform::TObject* Sender);
    void Notification(platform::TComponent* AComponent, platform::TOperation Operation) override;
    void KeyDown(platform::Word& Key, platform::TShiftState Shift) override;
    void MouseMove(platform::TShiftState Shift, int X, int Y) override;

  private:
    friend class TDBFilterGridComboBox;
    friend class TDBFilterGridSpeedButton;
    platform::TDataSet* DataSet() const;
    void HideCellEditor();
    void ShowDeleteButton(platform::TGridCoord C);

    std::unique_ptr<platform::TFieldDataLink> FDataLink;
    TDBFilterGridComboBox* FEditor = nullptr;  // none in the form designer
    bool FGridWasFocused = false;
    bool FIgnoreMouseMove = false;
    platform::TQuery* FValueQuery = nullptr;  // none in the form designer
    std::unique_ptr<platform::TBitmap> FDeleteGlyph;
    TDBFilterGridSpeedButton* FDeleteButton = nullptr;  // none in the form designer
    TFilterColumnNames FColumnNames;
    TFilterOperatorNames FOperatorNames;
    TFilterBoolNames FBoolNames;

    TFilterKind FFilterKind = fkSQL;
    int FFilterMaxDropDownCount = 15;
    TFilterOperatorIndex FDefaultOperator = foiEqual;
    String FWildcards;
    String FTargetWildcards;
    TFilterGridOptions FFilterGridOptions;
};

namespace DBFilterGrid {
// Puts TDBFilterGrid on the component palette page "Varn"; the designer calls it.
void Register();
}  // namespace DBFilterGrid

}  // namespace varn
