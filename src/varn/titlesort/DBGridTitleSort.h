// TDBGridTitleSort: sorts a grid's dataset when the user clicks a column title, marks the
// titles of the sorted columns, and keeps the titles of its registered grids in step with
// sort orders set elsewhere.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/DBGrids.h"
#include "varn/shared/Varn_shared.h"

namespace varn {

enum TDBGridAutoRegisterMethod : uint8_t { arNone, arForm };
enum TDBGridMulticolumnSortMethod : uint8_t { mcsShift, mcsAlt, mcsCtrl };
using TDBGridMulticolumnSortMethods = platform::TSet<TDBGridMulticolumnSortMethod, uint8_t>;
using TDBGridSortEvent =
    std::function<void(platform::TObject* Sender, platform::TCustomGrid* Grid,
                       platform::TDataSet* DataSet, const String& SortFieldNames)>;

// The look of one column title before the component marked it. Only the looks whose
// ...Saved flag is set were changed, and only those are put back.
class TOldColumnState : public platform::TObject {
  public:
    int ColumnID = 0;  // the column's ID in its grid's columns
    platform::TColor OldColor = 0;
    bool ColorSaved = false;
    platform::TColor OldFontColor = 0;
    bool FontColorSaved = false;
    platform::TFontStyles OldFontStyle;
    bool FontStyleSaved = false;
    String OldCaption;
    bool CaptionSaved = false;
};

// The saved title looks of one grid, in the order the columns were marked (the sort
// order), at most one per column. It never touches the grid.
class TOldDBGridTitleState : public platform::TObject {
  public:
    TOldDBGridTitleState() = default;
    ~TOldDBGridTitleState() override;
    TOldDBGridTitleState(const TOldDBGridTitleState&) = delete;
    TOldDBGridTitleState& operator=(const TOldDBGridTitleState&) = delete;

    platform::TDBGrid* GetGrid() const { return FGrid; }
    void SetGrid(platform::TDBGrid* Value);
    // Whether this is the state of that component. Compares identities only, so it may be
    // asked while the component is being destroyed.
    bool IsStateOf(const platform::TComponent* Component) const;
    void ClearColumnStates();

    std::vector<std::unique_ptr<TOldColumnState>> ColumnStates;

  private:
    platform::TDBGrid* FGrid = nullptr;
    const platform::TComponent* FGridComponent = nullptr;
};

// Serves the grids registered with it. The application calls Execute from a grid's
// OnTitleClick: the clicked column becomes the sort order (with a modifier key of
// MultiColumnSort held, it is added to the order or taken out of it), which is applied to
// a table, or handed to OnSort for any other dataset; the sorted columns' titles are
// marked with the ClickedTitle... looks. Sort orders set elsewhere reach the titles of
// every registered grid on that data source.
class TDBGridTitleSort : public platform::TComponent {
  public:
    explicit TDBGridTitleSort(platform::TComponent* AOwner);
    ~TDBGridTitleSort() override;

    // ---- Title looks ----

    // The index of the grid's entry in OldTitleStates, or -1.
    int FindOldTitleState(const platform::TCustomDBGrid* DBGrid) const;
    // The caption that Mask gives a title: "%t" the title, "%s", "%s1" the position in
    // the sort order from 1 ("%s0" from 0), empty when Index is -1 (one column sorted);
    // "%i", "%i1", "%i0" the same but always a number; "%%" a "%". Any other "%" is
    // dropped. REQUIRES: Mask is not empty.
    static String ParseTitleMask(const String& Mask, const String& Title, int Index);
    // Marks the titles of the first ColumnCount columns (all when negative), which are in
    // sort order, and saves their looks in the grid's entry, which replaces the one there
    // was; nothing is put back first. Columns of another grid than the first column's fail
    // with Exception before anything changes.
    void HighlightTitles(const std::vector<platform::TColumn*>& Columns, int ColumnCount = -1);
    // HighlightTitles for the columns of a list. REQUIRES: at most 256 columns.
    void HighlightTitlesList(const platform::TList<platform::TColumn>& List);
    // Puts back every saved look of the grid; the grid stays registered.
    void RestoreTitles(platform::TDBGrid* DBGrid);

    // ---- Registration ----

    // Registers the grid (fails with Exception for null) and, unless a title click is being
    // handled, shows its sort order in its titles.
    void RegisterGrid(platform::TDBGrid* DBGrid);
    void RegisterGrids(const std::vector<platform::TDBGrid*>& DBGrids);
    // Registers every grid in the ownership tree of Component (null: none), the grids a
    // component owns before the component itself.
    void RegisterOwnedGrids(platform::TComponent* Component);
    // Puts the grid's titles back and forgets it.
    void UnregisterGrid(platform::TDBGrid* DBGrid);
    bool IsRegistered(const platform::TDBGrid* DBGrid) const;
    // The names of the registered grids joined by ";".
    String GetRegisteredGridNames() const;
    // Puts back and marks again the titles of the grid (null: of every registered grid)
    // from its table's current sort order. Does nothing while loading or designing.
    void UpdateTitle(platform::TDBGrid* DBGrid);

    // ---- Sorting ----

    // Sorts on a click on Column's title (see the class comment); gives the new sort field
    // list, or empty when nothing was done. Fails with Exception when Column or its grid is
    // missing or the grid is not a TDBGrid; errors of the dataset and of OnSort pass on.
    String Execute(platform::TColumn* Column);

    // ---- Published properties ----

    TDBGridAutoRegisterMethod GetAutoRegister() const { return FAutoRegister; }
    void SetAutoRegister(TDBGridAutoRegisterMethod Value);
    bool GetAutoUpdate() const { return FAutoUpdate; }
    void SetAutoUpdate(bool Value);
    platform::TColor GetClickedTitleColor() const { return FClickedTitleColor; }
    void SetClickedTitleColor(platform::TColor Value);
    platform::TColor GetClickedTitleFontColor() const { return FClickedTitleFontColor; }
    void SetClickedTitleFontColor(platform::TColor Value);
    platform::TFontStyles GetClickedTitleFontStyle() const { return FClickedTitleFontStyle; }
    void SetClickedTitleFontStyle(platform::TFontStyles Value);
    const String& GetClickedTitleMask() const { return FClickedTitleMask; }
    void SetClickedTitleMask(const String& Value);
    bool GetUseClickedTitleColor() const { return FUseClickedTitleColor; }
    void SetUseClickedTitleColor(bool Value);
    bool GetUseClickedTitleFontColor() const { return FUseClickedTitleFontColor; }
    void SetUseClickedTitleFontColor(bool Value);
    bool GetUseClickedTitleFontStyle() const { return FUseClickedTitleFontStyle; }
    void SetUseClickedTitleFontStyle(bool Value);
    bool GetStrictLocalIndexing() const { return FStrictLocalIndexing; }
    void SetStrictLocalIndexing(bool Value) { FStrictLocalIndexing = Value; }
    bool GetStrictServerIndexing() const { return FStrictServerIndexing; }
    void SetStrictServerIndexing(bool Value) { FStrictServerIndexing = Value; }
    bool GetUnSort() const { return FUnSort; }
    void SetUnSort(bool Value) { FUnSort = Value; }
    TDBGridMulticolumnSortMethods GetMultiColumnSort() const { return FMultiColumnSort; }
    void SetMultiColumnSort(TDBGridMulticolumnSortMethods Value) { FMultiColumnSort = Value; }
    const TDBGridSortEvent& GetOnSort() const { return FOnSort; }
    void SetOnSort(const TDBGridSortEvent& Value) { FOnSort = Value; }

  protected:
    void Loaded() override;
    // Forgets a registered grid that is destroyed, of whatever owner.
    void Notification(platform::TComponent* AComponent, platform::TOperation Operation) override;

    // Drops the grid's entry without putting anything back, then packs the links.
    void RemoveOldTitleState(platform::TCustomDBGrid* DBGrid);
    // Makes sure a link watches the grid's data source.
    void AddDataLinkForGrid(platform::TDBGrid* DBGrid);
    // Lets go of the links that no registered grid (not being destroyed) needs.
    void PackDataLinks();
    // Registers the owner's grids when AutoRegister is arForm (not while loading or
    // designing).
    void DoAutoregister();
    // A link's report of a changed sort order.
    void DoAfterSortChange(platform::TObject* Sender, const String& OldFields,
                           const String& NewFields, bool& Done);
    void DoOnSort(platform::TCustomGrid* Grid, platform::TDataSet* DataSet,
                  const String& SortFieldNames);

    // True while Execute runs: the component's own sort change is not reported back.
    bool Sorting = false;
    // The registered grids with their saved title looks, in the order registered.
    std::vector<std::unique_ptr<TOldDBGridTitleState>> OldTitleStates;
    // One sort-change link per data source of the registered grids.
    std::vector<std::unique_ptr<TSortDataLink>> DataLinks;

  private:
    void UpdateGridTitles(platform::TDBGrid* Grid);
    void RegisterGridsOwnedBy(platform::TComponent* Component);
    // Looks were changed: shows them on every registered grid when AutoUpdate is set.
    void LooksChanged();
    // The grid of the first N columns, or null when the first has no TDBGrid; fails when
    // another column belongs to another grid.
    static platform::TDBGrid* GridOfColumns(const std::vector<platform::TColumn*>& Columns, int N);
    bool MarksTitles(bool MaskApplies) const;
    void MarkTitle(TOldDBGridTitleState& State, platform::TColumn* Column, bool MaskApplies,
                   int Index);
    void InstallOldTitleState(std::unique_ptr<TOldDBGridTitleState> State);
    // Detaches a link at once; it is freed once no link is reporting.
    void RetireLink(size_t Index);
    void FreeRetiredLinks();
    // Execute's two ways: any dataset but a table, and a table.
    String SortOtherDataSet(platform::TDBGrid* Grid, platform::TColumn* Column,
                            platform::TDataSet* DataSet, bool Multi);
    String SortTable(platform::TDBGrid* Grid, platform::TTable* Table, const String& Name,
                     bool Multi);
    bool MultiColumnKeyHeld() const;
    bool PassesIndexCheck(platform::TTable* Table, const String& NewFields) const;

    TDBGridAutoRegisterMethod FAutoRegister = arForm;
    bool FAutoUpdate = true;
    platform::TColor FClickedTitleColor = platform::cl3DLight;
    platform::TColor FClickedTitleFontColor = platform::clRed;
    platform::TFontStyles FClickedTitleFontStyle{platform::fsBold};
    String FClickedTitleMask;
    bool FUseClickedTitleColor = false;
    bool FUseClickedTitleFontColor = true;
    bool FUseClickedTitleFontStyle = true;
    bool FStrictLocalIndexing = true;
    bool FStrictServerIndexing = false;
    bool FUnSort = true;
    TDBGridMulticolumnSortMethods FMultiColumnSort{mcsCtrl};
    TDBGridSortEvent FOnSort;
    std::vector<std::unique_ptr<TSortDataLink>> FRetiredLinks;
    bool FReporting = false;  // a link's report is being handled
};

namespace DBGridTitleSort {
// Puts TDBGridTitleSort on the component palette page "Varn"; the designer calls it.
void Register();
}  // namespace DBGridTitleSort

}  // namespace varn
