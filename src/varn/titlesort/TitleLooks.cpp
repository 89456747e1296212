// Title looks: title masks, marking the titles of sorted columns with the saved looks
// kept per grid, and putting those looks back.
#include "varn/titlesort/DBGridTitleSort.h"

#include <algorithm>
#include <cstring>

using namespace platform;

namespace varn {

namespace {

constexpr int MaxListColumns = 256;

}  // namespace

// ---- TOldDBGridTitleState ----

TOldDBGridTitleState::~TOldDBGridTitleState() {
    ClearColumnStates();
}

void TOldDBGridTitleState::SetGrid(TDBGrid* Value) {
    FGrid = Value;
    FGridComponent = Value;
}

bool TOldDBGridTitleState::IsStateOf(const TComponent* Component) const {
    return Component != nullptr && Component == FGridComponent;
}

void TOldDBGridTitleState::ClearColumnStates() {
    ColumnStates.clear();
}

// ---- Finding, masks ----

int TDBGridTitleSort::FindOldTitleState(const TCustomDBGrid* DBGrid) const {
    for (size_t I = 0; I < OldTitleStates.size(); ++I)
        if (OldTitleStates[I]->GetGrid() == DBGrid)
            return static_cast<int>(I);
    return -1;
}

String TDBGridTitleSort::ParseTitleMask(const String& Mask, const String& Title, int Index) {
    Assert(!Mask.empty(), "TDBGridTitleSort.ParseTitleMask() Mask is empty.");
    // The "%s" forms stay empty when one column is sorted; the "%i" forms count it first.
    const String Position0 = Index >= 0 ? IntToStr(Index) : "";
    const String Position1 = Index >= 0 ? IntToStr(Index + 1) : "";
    const String Number0 = IntToStr(std::max(Index, 0));
    const String Number1 = IntToStr(std::max(Index, 0) + 1);
    const String Percent = "%";
    // Tried in this order at each "%"; the first that matches is replaced.
    const std::pair<const char*, const String*> Tokens[] = {
        {"%t", &Title},    {"%s0", &Position0}, {"%s1", &Position1}, {"%s", &Position1},
        {"%i0", &Number0}, {"%i1", &Number1},   {"%i", &Number1},    {"%%", &Percent},
    };
    String Result;
    size_t At = 0;
    while (At < Mask.size()) {
        if (Mask[At] != '%') {
            Result += Mask[At++];
            continue;
        }
        auto Token = std::find_if(std::begin(Tokens), std::end(Tokens), [&](const auto& T) {
            return Mask.compare(At, std::strlen(T.first), T.first) == 0;
        });
        if (Token != std::end(Tokens)) {
            Result += *Token->second;
            At += std::strlen(Token->first);
            continue;
        }
        // Not a token: the "%" is dropped and the character after it kept.
        if (++At < Mask.size())
            Result += Mask[At++];
    }
    return Result;
}

// ---- Marking ----

void TDBGridTitleSort::HighlightTitles(const std::vector<TColumn*>& Columns, int ColumnCount) {
    int Given = static_cast<int>(Columns.size());
    Assert(ColumnCount <= Given,
           "TDBGridTitleSort.HighlightTitles() ColumnCount exceeds the columns given.");
    int N = ColumnCount >= 0 ? ColumnCount : Given;
    // 1. The grid, from the first column; every column is checked before anything changes.
    TDBGrid* Grid = GridOfColumns(Columns, N);
    // 3. No columns, or none of a data grid: nothing changes.
    if (Grid == nullptr)
        return;
    // 2. Each title in sort order, its look saved before it is changed.
    auto State = std::make_unique<TOldDBGridTitleState>();
    bool MaskApplies = !FClickedTitleMask.empty() && Grid->GetColumns()->GetState() == csCustomized;
    if (MarksTitles(MaskApplies))
        for (int I = 0; I < N; ++I)
            MarkTitle(*State, Columns[static_cast<size_t>(I)], MaskApplies, N > 1 ? I : -1);
    // 4. The new state takes the place of the grid's old one, which is not put back.
    State->SetGrid(Grid);
    InstallOldTitleState(std::move(State));
    AddDataLinkForGrid(Grid);
}

void TDBGridTitleSort::HighlightTitlesList(const TList<TColumn>& List) {
    Assert(List.Count() <= MaxListColumns,
           "TDBGridTitleSort.HighlightTitlesList() List holds more than 256 columns.");
    std::vector<TColumn*> Columns(List.begin(), List.end());
    HighlightTitles(Columns, List.Count());
}

TDBGrid* TDBGridTitleSort::GridOfColumns(const std::vector<TColumn*>& Columns, int N) {
    if (N <= 0)
        return nullptr;
    auto GridOf = [](const TColumn* Column) {
        return Column != nullptr ? Column->GetGrid() : nullptr;
    };
    TCustomDBGrid* First = GridOf(Columns[0]);
    for (int I = 1; I < N; ++I)
        if (GridOf(Columns[static_cast<size_t>(I)]) != First)
            throw Exception(
                "TDBGridTitleSort.HighlightTitles() Columns must belong to the same grid.");
    return dynamic_cast<TDBGrid*>(First);
}

bool TDBGridTitleSort::MarksTitles(bool MaskApplies) const {
    return FUseClickedTitleColor || FUseClickedTitleFontColor || FUseClickedTitleFontStyle ||
           MaskApplies;
}

void TDBGridTitleSort::MarkTitle(TOldDBGridTitleState& State, TColumn* Column, bool MaskApplies,
                                 int Index) {
    try {
        auto Record = std::make_unique<TOldColumnState>();
        Record->ColumnID = Column->GetID();
        TColumnTitle* Title = Column->GetTitle();
        Record->ColorSaved = FUseClickedTitleColor;
        if (Record->ColorSaved) {
            Record->OldColor = Title->GetColor();
            Title->SetColor(FClickedTitleColor);
        }
        Record->FontColorSaved = FUseClickedTitleFontColor;
        if (Record->FontColorSaved) {
            Record->OldFontColor = Title->GetFont()->GetColor();
            Title->GetFont()->SetColor(FClickedTitleFontColor);
        }
        Record->FontStyleSaved = FUseClickedTitleFontStyle;
        if (Record->FontStyleSaved) {
            Record->OldFontStyle = Title->GetFont()->GetStyle();
            Title->GetFont()->SetStyle(FClickedTitleFontStyle);
        }
        Record->CaptionSaved = MaskApplies;
        if (Record->CaptionSaved) {
            Record->OldCaption = Title->GetCaption();
            Title->SetCaption(ParseTitleMask(FClickedTitleMask, Record->OldCaption, Index));
        }
        // One record per column: a column given again keeps the record of its last marking.
        std::erase_if(State.ColumnStates,
                      [&](const auto& Other) { return Other->ColumnID == Record->ColumnID; });
        State.ColumnStates.push_back(std::move(Record));
    } catch (const Exception&) {
        // An error ends the marking of this column only; what it changed stays.
    }
}

void TDBGridTitleSort::InstallOldTitleState(std::unique_ptr<TOldDBGridTitleState> State) {
    int Index = FindOldTitleState(State->GetGrid());
    if (Index >= 0) {
        OldTitleStates[static_cast<size_t>(Index)] = std::move(State);
        return;
    }
    // A registered grid is forgotten when it is destroyed, whoever owns it.
    FreeNotification(State->GetGrid());
    OldTitleStates.push_back(std::move(State));
}

// ---- Restoring ----

void TDBGridTitleSort::RestoreTitles(TDBGrid* DBGrid) {
    int Index = FindOldTitleState(DBGrid);
    if (Index < 0)
        return;
    TOldDBGridTitleState& State = *OldTitleStates[static_cast<size_t>(Index)];
    for (const auto& Record : State.ColumnStates) {
        // A column deleted since it was marked has nothing to put back.
        auto* Column = static_cast<TColumn*>(DBGrid->GetColumns()->FindItemID(Record->ColumnID));
        if (Column == nullptr)
            continue;
        TColumnTitle* Title = Column->GetTitle();
        if (Record->ColorSaved)
            Title->SetColor(Record->OldColor);
        // Font colour and style go back in one assignment.
        TFont Font;
        Font.Assign(Title->GetFont());
        if (Record->FontColorSaved)
            Font.SetColor(Record->OldFontColor);
        if (Record->FontStyleSaved)
            Font.SetStyle(Record->OldFontStyle);
        Title->SetFont(&Font);
        if (Record->CaptionSaved)
            Title->SetCaption(Record->OldCaption);
    }
    State.ClearColumnStates();
}

}  // namespace varn
