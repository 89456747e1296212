// Title masks, and marking and restoring the titles of data grids.
#include "TitleSortFixture.h"

using namespace titlesort_test;

namespace {

struct TLook {
    TColor Color;
    TColor FontColor;
    TFontStyles FontStyle;
    String Caption;
    friend bool operator==(const TLook&, const TLook&) = default;
    friend std::ostream& operator<<(std::ostream& Out, const TLook& L) {
        return Out << "{" << L.Color << ", " << L.FontColor << ", " << int(L.FontStyle.Bits())
                   << ", \"" << L.Caption << "\"}";
    }
};

TLook LookOf(const TColumn* Column) {
    const TColumnTitle* Title = Column->GetTitle();
    return {Title->GetColor(), Title->GetFont()->GetColor(), Title->GetFont()->GetStyle(),
            Title->GetCaption()};
}

void SetLook(TColumn* Column, const TLook& Look) {
    TColumnTitle* Title = Column->GetTitle();
    Title->SetColor(Look.Color);
    Title->GetFont()->SetColor(Look.FontColor);
    Title->GetFont()->SetStyle(Look.FontStyle);
    Title->SetCaption(Look.Caption);
}

class TitleLooks : public TitleSortFixture {
  protected:
    void SetUp() override {
        TitleSortFixture::SetUp();
        Table = MakeTable("customer");
        Source = MakeSource(Table);
        Grid = MakeGrid(Source, {"Name", "City", "Zip"}, "Grid1");
        Name = ColumnOf(Grid, "Name");
        City = ColumnOf(Grid, "City");
        Zip = ColumnOf(Grid, "Zip");
    }

    // Every look on, in colours no title has by itself.
    void UseAllLooks(const String& Mask) {
        TitleSort->SetClickedTitleColor(clAqua);
        TitleSort->SetClickedTitleFontColor(clRed);
        TitleSort->SetClickedTitleFontStyle({fsBold, fsUnderline});
        TitleSort->SetUseClickedTitleColor(true);
        TitleSort->SetClickedTitleMask(Mask);
    }

    const TOldDBGridTitleState* StateOf(const TDBGrid* G) const {
        int Index = TitleSort->FindOldTitleState(G);
        return Index < 0 ? nullptr : TitleSort->OldTitleStates[static_cast<size_t>(Index)].get();
    }

    TTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TDBGrid* Grid = nullptr;
    TColumn* Name = nullptr;
    TColumn* City = nullptr;
    TColumn* Zip = nullptr;
};

}  // namespace

TEST(TitleMask, EveryTokenForOneAndForSeveralSortedColumns) {
    struct Case {
        const char* Mask;
        int Index;
        const char* Expected;
    } Cases[] = {
        {"%t (sorted)", -1, "Name (sorted)"},
        {"%t (sorted)", 3, "Name (sorted)"},
        {"%t %s", -1, "Name "},
        {"%t %s", 1, "Name 2"},
        {"%t (%i)", -1, "Name (1)"},
        {"%t (%i)", 2, "Name (3)"},
        {"%i: %t", -1, "1: Name"},
        {"%s0/%i0", -1, "/0"},
        {"%s0/%i0", 4, "4/4"},
        {"%s1/%i1", -1, "/1"},
        {"%s1/%i1", 4, "5/5"},
        {"%%t", -1, "%t"},
        {"%x", -1, "x"},
        {"50%", -1, "50"},
        {"%t0", -1, "Name0"},
        {"%s10", 0, "10"},
        {"%T", 0, "T"},  // tokens are matched with case
        {"%%%", 0, "%"},
        {"plain", 5, "plain"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Mask) + " at " + std::to_string(C.Index));
        EXPECT_EQ(TDBGridTitleSort::ParseTitleMask(C.Mask, "Name", C.Index), C.Expected);
    }
    EXPECT_THROW(TDBGridTitleSort::ParseTitleMask("", "Name", 0), EAssertionFailed);
}

TEST_F(TitleLooks, HighlightThenRestore_PutsBackExactlyTheLooksThereWere) {
    const TLook NameLook{clYellow, clGreen, {fsItalic}, "Who"};
    SetLook(Name, NameLook);
    const TLook CityLook = LookOf(City);
    const TLook ZipLook = LookOf(Zip);
    UseAllLooks("%t (%s)");

    TitleSort->HighlightTitles({Name, City});
    EXPECT_EQ(LookOf(Name), (TLook{clAqua, clRed, {fsBold, fsUnderline}, "Who (1)"}));
    EXPECT_EQ(LookOf(City), (TLook{clAqua, clRed, {fsBold, fsUnderline}, "City (2)"}));
    EXPECT_EQ(LookOf(Zip), ZipLook);
    ASSERT_NE(StateOf(Grid), nullptr);
    EXPECT_EQ(StateOf(Grid)->ColumnStates.size(), 2u);
    EXPECT_EQ(TitleSort->DataLinks.size(), 1u);

    TitleSort->RestoreTitles(Grid);
    EXPECT_EQ(LookOf(Name), NameLook);
    EXPECT_EQ(LookOf(City), CityLook);
    EXPECT_TRUE(TitleSort->IsRegistered(Grid));
    EXPECT_TRUE(StateOf(Grid)->ColumnStates.empty());

    // One column alone has no position for "%s".
    TitleSort->HighlightTitles({City, Zip}, 1);
    EXPECT_EQ(City->GetTitle()->GetCaption(), "City ()");
    EXPECT_EQ(LookOf(Zip), ZipLook);
}

TEST_F(TitleLooks, AnyOneLookInEffectMarksTheTitle) {
    const TLook Before = LookOf(City);
    struct Case {
        const char* What;
        bool Color, FontColor, FontStyle;
        const char* Mask;
        TLook Marked;
        size_t Records;
    } Cases[] = {
        {"colour", true, false, false, "", {clAqua, Before.FontColor, Before.FontStyle, "City"}, 1},
        {"font colour", false, true, false, "", {Before.Color, clRed, Before.FontStyle, "City"}, 1},
        {"font style",
         false,
         false,
         true,
         "",
         {Before.Color, Before.FontColor, {fsBold}, "City"},
         1},
        {"mask",
         false,
         false,
         false,
         "[%t]",
         {Before.Color, Before.FontColor, Before.FontStyle, "[City]"},
         1},
        {"none", false, false, false, "", Before, 0},
    };
    TitleSort->SetAutoUpdate(false);
    TitleSort->SetClickedTitleColor(clAqua);
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        TitleSort->SetUseClickedTitleColor(C.Color);
        TitleSort->SetUseClickedTitleFontColor(C.FontColor);
        TitleSort->SetUseClickedTitleFontStyle(C.FontStyle);
        TitleSort->SetClickedTitleMask(C.Mask);
        TitleSort->HighlightTitles({City});
        EXPECT_EQ(LookOf(City), C.Marked);
        ASSERT_NE(StateOf(Grid), nullptr);
        EXPECT_EQ(StateOf(Grid)->ColumnStates.size(), C.Records);
        TitleSort->RestoreTitles(Grid);
        EXPECT_EQ(LookOf(City), Before);
    }
}

TEST_F(TitleLooks, DefaultColumnsGetTheColoursButNoMaskedCaption) {
    TDBGrid* Plain = MakeGrid(Source);
    ASSERT_EQ(Plain->GetColumns()->GetState(), csDefault);
    TColumn* PlainCity = ColumnOf(Plain, "City");
    UseAllLooks("%t (%i)");
    TitleSort->HighlightTitles({PlainCity});
    EXPECT_EQ(LookOf(PlainCity), (TLook{clAqua, clRed, {fsBold, fsUnderline}, "City"}));
    TitleSort->RestoreTitles(Plain);
    EXPECT_EQ(LookOf(PlainCity), (TLook{clBtnFace, clWindowText, {}, "City"}));
}

TEST_F(TitleLooks, RestoreSkipsAMarkedColumnDeletedSince) {
    UseAllLooks("%t (%i)");
    const TLook CityLook = LookOf(City);
    TitleSort->HighlightTitles({Name, City});
    Grid->GetColumns()->Delete(Name->GetIndex());
    TitleSort->RestoreTitles(Grid);
    EXPECT_EQ(LookOf(City), CityLook);
    EXPECT_TRUE(StateOf(Grid)->ColumnStates.empty());
}

TEST_F(TitleLooks, AColumnGivenTwiceKeepsTheRecordOfItsLastMarking) {
    UseAllLooks("%t (%i)");
    TitleSort->HighlightTitles({City, City});
    const TLook Twice{clAqua, clRed, {fsBold, fsUnderline}, "City (1) (2)"};
    EXPECT_EQ(LookOf(City), Twice);
    ASSERT_EQ(StateOf(Grid)->ColumnStates.size(), 1u);
    // The record holds the look after the first marking, so that is what comes back.
    TitleSort->RestoreTitles(Grid);
    EXPECT_EQ(LookOf(City), (TLook{clAqua, clRed, {fsBold, fsUnderline}, "City (1)"}));
}

TEST_F(TitleLooks, NoColumnsChangeNothing) {
    TitleSort->HighlightTitles({});
    EXPECT_FALSE(TitleSort->IsRegistered(Grid));
    TitleSort->RestoreTitles(Grid);
    EXPECT_FALSE(TitleSort->IsRegistered(Grid));
    EXPECT_TRUE(TitleSort->DataLinks.empty());

    TitleSort->SetAutoUpdate(false);
    TitleSort->HighlightTitles({City});
    const TOldDBGridTitleState* State = StateOf(Grid);
    TitleSort->HighlightTitles({City}, 0);
    EXPECT_EQ(StateOf(Grid), State);
    EXPECT_EQ(State->ColumnStates.size(), 1u);
}

TEST_F(TitleLooks, ColumnsOfTwoGridsFailBeforeAnythingChanges) {
    TDBGrid* Other = MakeGrid(Source, {"Name", "City"});
    const TLook NameLook = LookOf(Name);
    try {
        TitleSort->HighlightTitles({Name, ColumnOf(Other, "City")});
        ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(),
                  "TDBGridTitleSort.HighlightTitles() Columns must belong to the same grid.");
    }
    EXPECT_EQ(LookOf(Name), NameLook);
    EXPECT_FALSE(TitleSort->IsRegistered(Grid));
    EXPECT_FALSE(TitleSort->IsRegistered(Other));

    // A column of a grid that is no TDBGrid marks nothing, and says nothing.
    auto* NotDBGrid = MakeGrid<TOtherDBGrid>(Source, {"City"});
    TColumn* Foreign = ColumnOf(NotDBGrid, "City");
    TitleSort->HighlightTitles({Foreign});
    EXPECT_EQ(TitleSort->OldTitleStates.size(), 0u);
    EXPECT_THROW(TitleSort->HighlightTitles({City}, 2), EAssertionFailed);
}

TEST_F(TitleLooks, ListOfMoreThan256ColumnsFailsBeforeAnythingChanges) {
    TList<TColumn> List;
    for (int I = 0; I < 257; ++I)
        List.Add(City);
    const TLook CityLook = LookOf(City);
    EXPECT_THROW(TitleSort->HighlightTitlesList(List), EAssertionFailed);
    EXPECT_EQ(LookOf(City), CityLook);
    EXPECT_FALSE(TitleSort->IsRegistered(Grid));
    List.Delete(0);
    TitleSort->HighlightTitlesList(List);
    EXPECT_EQ(StateOf(Grid)->ColumnStates.size(), 1u);
}

TEST_F(TitleLooks, UpdateTitle_MarksTheSortFieldsThatHaveColumnsInSortOrder) {
    TitleSort->SetClickedTitleMask("%t (%i)");
    // No column for Name: City and Zip are the first and second marked.
    Table->SetIndexFieldNames("City;Name;Zip");
    TDBGrid* NoName = MakeGrid(Source, {"Zip", "City"});
    TitleSort->UpdateTitle(NoName);
    EXPECT_TRUE(TitleSort->IsRegistered(NoName));
    EXPECT_EQ(ColumnOf(NoName, "City")->GetTitle()->GetCaption(), "City (1)");
    EXPECT_EQ(ColumnOf(NoName, "Zip")->GetTitle()->GetCaption(), "Zip (2)");

    // A grid with no column of the order stays unregistered; so does one on a query.
    TDBGrid* NoneSorted = MakeGrid(Source, {"CityZone"});
    TitleSort->UpdateTitle(NoneSorted);
    EXPECT_FALSE(TitleSort->IsRegistered(NoneSorted));
    TDBGrid* OnQuery = MakeGrid(MakeSource(MakeQuery("SELECT * FROM customer")), {"City"});
    TitleSort->UpdateTitle(OnQuery);
    EXPECT_FALSE(TitleSort->IsRegistered(OnQuery));

    // Marking a registered grid again keeps its place among the registered grids.
    TitleSort->RegisterGrid(Grid);
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "Grid1");  // the first has no name
    NoName->SetName("NoName");
    TitleSort->HighlightTitles({ColumnOf(NoName, "Zip")});
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "NoName;Grid1");
}
