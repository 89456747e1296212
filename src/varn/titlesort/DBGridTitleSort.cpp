// The title sort component: its settings, grid registration, the sort-change links that
// keep the titles in step, and sorting on a title click.
#include "varn/titlesort/DBGridTitleSort.h"

#include <algorithm>

#include "platform/DesignIntf.h"

using namespace platform;

namespace varn {

namespace {

// The entries of a sort field list; none for the empty text.
std::vector<String> SplitFieldList(const String& List) {
    std::vector<String> Names;
    if (List.empty())
        return Names;
    size_t Start = 0;
    for (;;) {
        size_t End = List.find(';', Start);
        Names.push_back(List.substr(Start, End == String::npos ? String::npos : End - Start));
        if (End == String::npos)
            return Names;
        Start = End + 1;
    }
}

String JoinFieldList(const std::vector<String>& Names) {
    String List;
    for (const String& Name : Names)
        List += (List.empty() ? "" : ";") + Name;
    return List;
}

// The first column of the grid, in column order, whose field is named Name; or null.
TColumn* ColumnOfField(const TDBGrid* Grid, const String& Name) {
    TDBGridColumns* Columns = Grid->GetColumns();
    for (int I = 0; I < Columns->Count(); ++I) {
        TField* Field = Columns->GetColumn(I)->GetField();
        if (Field != nullptr && Field->GetFieldName() == Name)
            return Columns->GetColumn(I);
    }
    return nullptr;
}

// The order after a click with a modifier key: Name appended, or taken out; the first
// master field of a detail table stays. Entries are matched whole.
String MultiColumnOrder(const TTable* Table, const String& OldFields, const String& Name) {
    std::vector<String> Fields = SplitFieldList(OldFields);
    auto At = std::find(Fields.begin(), Fields.end(), Name);
    if (At == Fields.end()) {
        Fields.push_back(Name);
        return JoinFieldList(Fields);
    }
    if (GetMasterSource(Table) != nullptr) {
        std::vector<String> Master = SplitFieldList(GetMasterFields(Table));
        if (!Master.empty() && Master.front() == Name)
            return OldFields;
    }
    Fields.erase(At);
    return JoinFieldList(Fields);
}

// The order after a plain click: Name alone, behind the master fields of a detail table;
// with UnSort, a click on the order there is takes it back to the master fields (or none).
String SingleColumnOrder(const TTable* Table, const String& OldFields, const String& Name,
                         bool UnSort) {
    String Master = GetMasterSource(Table) != nullptr ? GetMasterFields(Table) : String();
    if (!Master.empty()) {
        String NewFields = Master == Name ? Name : Master + ";" + Name;
        return UnSort && OldFields == NewFields ? Master : NewFields;
    }
    return UnSort && OldFields == Name ? String() : Name;
}

}  // namespace

// ---- Construction, settings ----

TDBGridTitleSort::TDBGridTitleSort(TComponent* AOwner) : TComponent(AOwner) {}

TDBGridTitleSort::~TDBGridTitleSort() {
    Destroying();
    // Titles are not put back: the grids may be going too.
    DataLinks.clear();
    FRetiredLinks.clear();
    OldTitleStates.clear();
}

void TDBGridTitleSort::SetAutoRegister(TDBGridAutoRegisterMethod Value) {
    FAutoRegister = Value;
    DoAutoregister();
    if (FAutoUpdate)
        UpdateTitle(nullptr);
}

void TDBGridTitleSort::SetAutoUpdate(bool Value) {
    FAutoUpdate = Value;
    if (Value)
        UpdateTitle(nullptr);
}

void TDBGridTitleSort::SetClickedTitleColor(TColor Value) {
    FClickedTitleColor = Value;
    LooksChanged();
}

void TDBGridTitleSort::SetClickedTitleFontColor(TColor Value) {
    FClickedTitleFontColor = Value;
    LooksChanged();
}

void TDBGridTitleSort::SetClickedTitleFontStyle(TFontStyles Value) {
    FClickedTitleFontStyle = Value;
    LooksChanged();
}

void TDBGridTitleSort::SetClickedTitleMask(const String& Value) {
    FClickedTitleMask = Value;
    LooksChanged();
}

void TDBGridTitleSort::SetUseClickedTitleColor(bool Value) {
    FUseClickedTitleColor = Value;
    LooksChanged();
}

void TDBGridTitleSort::SetUseClickedTitleFontColor(bool Value) {
    FUseClickedTitleFontColor = Value;
    LooksChanged();
}

void TDBGridTitleSort::SetUseClickedTitleFontStyle(bool Value) {
    FUseClickedTitleFontStyle = Value;
    LooksChanged();
}

void TDBGridTitleSort::LooksChanged() {
    if (FAutoUpdate)
        UpdateTitle(nullptr);
}

// ---- Registration ----

void TDBGridTitleSort::RegisterGrid(TDBGrid* DBGrid) {
    if (DBGrid == nullptr)
        throw Exception("TDBGridTitleSort.RegisterGrid() DBGrid is nil.");
    if (FindOldTitleState(DBGrid) < 0) {
        auto State = std::make_unique<TOldDBGridTitleState>();
        State->SetGrid(DBGrid);
        InstallOldTitleState(std::move(State));
        AddDataLinkForGrid(DBGrid);
    }
    // During a title click, Execute shows the titles itself.
    if (!Sorting)
        UpdateTitle(DBGrid);
}

void TDBGridTitleSort::RegisterGrids(const std::vector<TDBGrid*>& DBGrids) {
    for (TDBGrid* Grid : DBGrids)
        RegisterGrid(Grid);
}

void TDBGridTitleSort::RegisterOwnedGrids(TComponent* Component) {
    if (Component != nullptr)
        RegisterGridsOwnedBy(Component);
}

void TDBGridTitleSort::RegisterGridsOwnedBy(TComponent* Component) {
    for (int I = 0; I < Component->ComponentCount(); ++I) {
        TComponent* Owned = Component->Components(I);
        RegisterGridsOwnedBy(Owned);
        if (auto* Grid = dynamic_cast<TDBGrid*>(Owned))
            RegisterGrid(Grid);
    }
}

void TDBGridTitleSort::UnregisterGrid(TDBGrid* DBGrid) {
    RestoreTitles(DBGrid);
    RemoveOldTitleState(DBGrid);
}

bool TDBGridTitleSort::IsRegistered(const TDBGrid* DBGrid) const {
    return FindOldTitleState(DBGrid) >= 0;
}

String TDBGridTitleSort::GetRegisteredGridNames() const {
    String Names;
    for (const auto& State : OldTitleStates) {
        if (!Names.empty())
            Names += ";";
        Names += State->GetGrid()->GetName();
    }
    return Names;
}

void TDBGridTitleSort::RemoveOldTitleState(TCustomDBGrid* DBGrid) {
    int Index = FindOldTitleState(DBGrid);
    if (Index < 0)
        return;
    RemoveFreeNotification(DBGrid);
    OldTitleStates.erase(OldTitleStates.begin() + Index);
    PackDataLinks();
}

void TDBGridTitleSort::DoAutoregister() {
    TComponentState State = GetComponentState();
    if (!State.Contains(csDesigning) && !State.Contains(csLoading) && FAutoRegister == arForm)
        RegisterOwnedGrids(GetOwner());
}

void TDBGridTitleSort::Loaded() {
    TComponent::Loaded();
    DoAutoregister();
}

void TDBGridTitleSort::Notification(TComponent* AComponent, TOperation Operation) {
    // The grid is known by identity alone: its own part of the object may be gone already.
    if (Operation == opRemove) {
        auto It = std::find_if(OldTitleStates.begin(), OldTitleStates.end(),
                               [&](const auto& State) { return State->IsStateOf(AComponent); });
        if (It != OldTitleStates.end()) {
            OldTitleStates.erase(It);
            if (!GetComponentState().Contains(csDestroying))
                PackDataLinks();
        }
    }
    TComponent::Notification(AComponent, Operation);
}

// ---- Sort-change links ----

void TDBGridTitleSort::AddDataLinkForGrid(TDBGrid* DBGrid) {
    TDataSource* Source = DBGrid->GetDataSource();
    for (const auto& Link : DataLinks)
        if (Link->GetDataSource() == Source)
            return;
    auto Link = std::make_unique<TSortDataLink>();
    Link->SetDataSource(Source);
    Link->OnSortChange = [this](TObject* Sender, const String& OldFields, const String& NewFields,
                                bool& Done) {
        DoAfterSortChange(Sender, OldFields, NewFields, Done);
    };
    DataLinks.push_back(std::move(Link));
}

void TDBGridTitleSort::PackDataLinks() {
    FreeRetiredLinks();
    auto Needed = [&](const TSortDataLink& Link) {
        TDataSource* Source = Link.GetDataSource();
        if (Source == nullptr)
            return false;
        for (const auto& State : OldTitleStates) {
            TDBGrid* Grid = State->GetGrid();
            Assert(Grid != nullptr, "TDBGridTitleSort.PackDataLinks() Grid is nil.");
            if (!Grid->GetComponentState().Contains(csDestroying) &&
                Grid->GetDataSource() == Source)
                return true;
        }
        return false;
    };
    for (size_t I = 0; I < DataLinks.size();) {
        Assert(DataLinks[I] != nullptr, "TDBGridTitleSort.PackDataLinks() DataLink is nil.");
        if (Needed(*DataLinks[I]))
            ++I;
        else
            RetireLink(I);
    }
}

void TDBGridTitleSort::RetireLink(size_t Index) {
    std::unique_ptr<TSortDataLink> Link = std::move(DataLinks[Index]);
    DataLinks.erase(DataLinks.begin() + static_cast<long>(Index));
    // Detached, it hears nothing more; it may be the link whose report is running, which
    // still uses it after the handler returns, so it is freed later.
    Link->SetDataSource(nullptr);
    FRetiredLinks.push_back(std::move(Link));
    FreeRetiredLinks();
}

void TDBGridTitleSort::FreeRetiredLinks() {
    if (!FReporting)
        FRetiredLinks.clear();
}

void TDBGridTitleSort::DoAfterSortChange(TObject* Sender, const String&, const String&,
                                         bool& Done) {
    // 1. The component's own sort change is taken as current.
    if (Sorting)
        return;
    TFlagGuard Reporting(FReporting);
    auto* Link = dynamic_cast<TSortDataLink*>(Sender);
    TDataSource* Source = Link != nullptr ? Link->GetDataSource() : nullptr;
    // 2. The registered grids on the link's data source.
    bool Used = false;
    for (size_t I = 0; I < OldTitleStates.size(); ++I) {
        TDBGrid* Grid = OldTitleStates[I]->GetGrid();
        if (Grid->GetDataSource() != Source)
            continue;
        Used = true;
        // A grid whose columns show no field yet is not ready: the link reports again.
        TDBGridColumns* Columns = Grid->GetColumns();
        if (Columns->Count() == 0 || Columns->GetColumn(0)->GetField() == nullptr) {
            Done = false;
            return;
        }
        if (FAutoUpdate)
            UpdateTitle(Grid);
    }
    // 3. A link that no registered grid needs any more.
    auto It = std::find_if(DataLinks.begin(), DataLinks.end(),
                           [&](const auto& Own) { return Own.get() == Link; });
    if (!Used && It != DataLinks.end())
        RetireLink(static_cast<size_t>(It - DataLinks.begin()));
}

// ---- Titles from the sort order ----

void TDBGridTitleSort::UpdateTitle(TDBGrid* DBGrid) {
    TComponentState State = GetComponentState();
    if (State.Contains(csDesigning) || State.Contains(csLoading))
        return;
    if (DBGrid != nullptr) {
        UpdateGridTitles(DBGrid);
        return;
    }
    size_t Count = OldTitleStates.size();
    for (size_t I = 0; I < Count && I < OldTitleStates.size(); ++I)
        UpdateGridTitles(OldTitleStates[I]->GetGrid());
}

void TDBGridTitleSort::UpdateGridTitles(TDBGrid* Grid) {
    // 1.
    RestoreTitles(Grid);
    // 2. A table's sort order: the first column of each sort field, in sort order.
    TDataSource* Source = Grid->GetDataSource();
    TDataSet* DataSet = Source != nullptr ? Source->GetDataSet() : nullptr;
    if (dynamic_cast<TTable*>(DataSet) == nullptr)
        return;
    TList<TColumn> Sorted;
    for (const String& Name : SplitFieldList(ExtractSortFieldNames(DataSet)))
        if (TColumn* Column = ColumnOfField(Grid, Name))
            Sorted.Add(Column);
    HighlightTitlesList(Sorted);
}

// ---- Sorting on a title click ----

String TDBGridTitleSort::Execute(TColumn* Column) {
    // 1. The component's own sort change is not reported back, however Execute ends.
    TFlagGuard SortingNow(Sorting);
    // 2. The column of a data grid.
    if (Column == nullptr)
        throw Exception("TDBGridTitleSort.Execute() Column is not assigned.");
    if (Column->GetGrid() == nullptr)
        throw Exception("TDBGridTitleSort.Execute() Column.Grid is not assigned.");
    auto* Grid = dynamic_cast<TDBGrid*>(Column->GetGrid());
    if (Grid == nullptr)
        throw Exception("TDBGridTitleSort.Execute() Column.Grid must be of TDBGrid type.");
    // 3. Only a data field of a dataset sorts.
    TField* Field = Column->GetField();
    if (Field == nullptr || Field->GetDataSet() == nullptr || Field->GetFieldKind() != fkData)
        return "";
    // 4, 5.
    bool Multi = MultiColumnKeyHeld();
    if (auto* Table = dynamic_cast<TTable*>(Field->GetDataSet()))
        return SortTable(Grid, Table, Field->GetFieldName(), Multi);
    return SortOtherDataSet(Grid, Column, Field->GetDataSet(), Multi);
}

bool TDBGridTitleSort::MultiColumnKeyHeld() const {
    const std::pair<TDBGridMulticolumnSortMethod, int> Keys[] = {
        {mcsShift, VK_SHIFT}, {mcsAlt, VK_MENU}, {mcsCtrl, VK_CONTROL}};
    return std::any_of(std::begin(Keys), std::end(Keys), [&](const auto& Key) {
        return FMultiColumnSort.Contains(Key.first) && GetKeyState(Key.second) < 0;
    });
}

String TDBGridTitleSort::SortOtherDataSet(TDBGrid* Grid, TColumn* Column, TDataSet* DataSet,
                                          bool Multi) {
    // 6.1 The marked titles are the order so far.
    int Index = FindOldTitleState(Grid);
    const TOldDBGridTitleState* State =
        Index >= 0 ? OldTitleStates[static_cast<size_t>(Index)].get() : nullptr;
    TList<TColumn> Sorted;
    if (Multi) {
        for (size_t I = 0; State != nullptr && I < State->ColumnStates.size(); ++I) {
            // A column gone since it was marked is skipped.
            TCollectionItem* Marked =
                Grid->GetColumns()->FindItemID(State->ColumnStates[I]->ColumnID);
            if (Marked != nullptr)
                Sorted.Add(static_cast<TColumn*>(Marked));
        }
        bool TookOut = false;
        for (int I = Sorted.Count() - 1; I >= 0; --I) {
            if (Sorted[I]->GetFieldName() == Column->GetFieldName()) {
                Sorted.Delete(I);
                TookOut = true;
            }
        }
        if (!TookOut)
            Sorted.Add(Column);
    } else {
        bool Unsorting = State != nullptr && FUnSort && State->ColumnStates.size() == 1 &&
                         State->ColumnStates[0]->ColumnID == Column->GetID();
        if (!Unsorting)
            Sorted.Add(Column);
    }
    // 6.2
    RestoreTitles(Grid);
    HighlightTitlesList(Sorted);
    // 6.3, 6.4
    std::vector<String> Names;
    for (TColumn* Sort : Sorted)
        Names.push_back(Sort->GetFieldName());
    String NewFields = JoinFieldList(Names);
    DoOnSort(Grid, DataSet, NewFields);
    return NewFields;
}

String TDBGridTitleSort::SortTable(TDBGrid* Grid, TTable* Table, const String& Name, bool Multi) {
    // 7 to 9.
    String OldFields = ExtractSortFieldNames(Table);
    String NewFields = Multi ? MultiColumnOrder(Table, OldFields, Name)
                             : SingleColumnOrder(Table, OldFields, Name, FUnSort);
    // 10.
    if (!PassesIndexCheck(Table, NewFields))
        return "";
    // 11.
    Table->SetIndexFieldNames(NewFields);
    // 12, 13. Every grid on the table shows the new order when AutoUpdate is set.
    RegisterGrid(Grid);
    UpdateTitle(FAutoUpdate ? nullptr : Grid);
    // 14.
    DoOnSort(Grid, Table, NewFields);
    return NewFields;
}

bool TDBGridTitleSort::PassesIndexCheck(TTable* Table, const String& NewFields) const {
    // The empty order is the table's default order, which needs no index.
    if (NewFields.empty())
        return true;
    bool Strict = Table->IsSequenced() ? FStrictLocalIndexing : FStrictServerIndexing;
    if (!Strict)
        return true;
    TIndexDefs* Defs = Table->GetIndexDefs();
    Defs->Update();
    // An index on the order's fields, or one that begins with them.
    for (int I = 0; I < Defs->Count(); ++I) {
        const String& Fields = Defs->GetIndexDef(I)->GetFields();
        if (Fields == NewFields || (Fields.size() > NewFields.size() &&
                                    Fields.compare(0, NewFields.size() + 1, NewFields + ";") == 0))
            return true;
    }
    return false;
}

void TDBGridTitleSort::DoOnSort(TCustomGrid* Grid, TDataSet* DataSet,
                                const String& SortFieldNames) {
    if (FOnSort)
        FOnSort(this, Grid, DataSet, SortFieldNames);
}

// ---- Registration ----

void DBGridTitleSort::Register() {
    RegisterComponents("Varn", {FindClassInfo("TDBGridTitleSort")});
}

}  // namespace varn
