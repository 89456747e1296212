// Registering grids (by hand and when a form is loaded), the sort-change links that keep
// their titles in step with orders set elsewhere, and grids and components that go away.
#include "TitleSortFixture.h"

using namespace titlesort_test;

TEST_F(TitleSortFixture, Loaded_RegistersTheGridsOfTheOwnersTreeSharingOneLink) {
    TTable* Table = MakeTable("customer", "City;Name");
    TDataSource* Source = MakeSource(Table);
    TDBGrid* Grid1 = MakeGrid(Source, {}, "Grid1");
    TDBGrid* Outer = MakeGrid(Source, {}, "Outer");
    TDBGrid* Inner = MakeGrid(Source, {}, "Inner", Outer);

    // Read as from a form file: settings are stored, nothing is registered yet.
    TitleSort->BeginLoading();
    TitleSort->SetClickedTitleFontColor(clBlue);
    TitleSort->SetAutoRegister(arForm);
    TitleSort->UpdateTitle(nullptr);
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "");
    EXPECT_EQ(MarkedOrder(Grid1), "");
    TitleSort->EndLoading();

    // A grid's own grids come before it.
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "Grid1;Inner;Outer");
    EXPECT_EQ(TitleSort->DataLinks.size(), 1u);
    for (TDBGrid* Grid : {Grid1, Inner, Outer}) {
        SCOPED_TRACE(Grid->GetName());
        EXPECT_EQ(MarkedOrder(Grid), "Name;City");  // default columns, in column order
        EXPECT_EQ(ColumnOf(Grid, "City")->GetTitle()->GetFont()->GetColor(), clBlue);
    }
}

TEST_F(TitleSortFixture, AutoRegister_NoneLeavesTheGridsAndDesigningTouchesNoTitle) {
    TTable* Table = MakeTable("customer", "City");
    TDBGrid* Grid = MakeGrid(MakeSource(Table), {}, "Grid1");
    TitleSort->BeginLoading();
    TitleSort->SetAutoRegister(arNone);
    TitleSort->EndLoading();
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "");
    TitleSort->SetAutoRegister(arForm);
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "Grid1");
    EXPECT_EQ(MarkedOrder(Grid), "City");

    // In the designer titles are never changed and nothing registers by itself.
    TitleSort->UnregisterGrid(Grid);
    TitleSort->SetDesigning(true);
    TitleSort->SetAutoRegister(arForm);
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "");
    TitleSort->RegisterGrid(Grid);
    EXPECT_TRUE(TitleSort->IsRegistered(Grid));
    EXPECT_EQ(MarkedOrder(Grid), "");
}

TEST_F(TitleSortFixture, AutoUpdate_OffLeavesTheTitlesAndOnBringsThemUpToDate) {
    TTable* Table = MakeTable("customer", "City");
    TDBGrid* Grid = MakeGrid(MakeSource(Table));
    TitleSort->RegisterGrid(Grid);
    EXPECT_EQ(MarkedOrder(Grid), "City");
    TitleSort->SetAutoUpdate(false);
    EXPECT_EQ(MarkedOrder(Grid), "City");
    Table->SetIndexFieldNames("Name");
    EXPECT_EQ(MarkedOrder(Grid), "City");
    TitleSort->SetClickedTitleFontColor(clBlue);
    EXPECT_EQ(MarkedOrder(Grid), "");  // still marked in red
    TitleSort->SetAutoUpdate(true);
    EXPECT_EQ(MarkedOrder(Grid), "Name");
    EXPECT_EQ(ColumnOf(Grid, "City")->GetTitle()->GetFont()->GetColor(), clWindowText);
}

TEST_F(TitleSortFixture, SortChangesMadeElsewhereReachEveryGridOnThatDataSource) {
    TTable* Customers = MakeTable("customer");
    TDataSource* Source = MakeSource(Customers);
    TDBGrid* Grid1 = MakeGrid(Source);
    TDBGrid* Grid2 = MakeGrid(Source);
    TDBGrid* OnClients = MakeGrid(MakeSource(MakeTable("clients")));
    TitleSort->RegisterGrids({Grid1, Grid2, OnClients});
    EXPECT_EQ(TitleSort->DataLinks.size(), 2u);

    Customers->SetIndexFieldNames("Name");
    EXPECT_EQ(MarkedOrder(Grid1), "Name");
    EXPECT_EQ(MarkedOrder(Grid2), "Name");
    EXPECT_EQ(MarkedOrder(OnClients), "CustNo");

    // A click on one grid shows on the other.
    EXPECT_EQ(ClickTitle(Grid2, "City"), "City");
    EXPECT_EQ(MarkedOrder(Grid1), "City");
    // Without AutoUpdate only the clicked grid shows it.
    TitleSort->SetAutoUpdate(false);
    EXPECT_EQ(ClickTitle(Grid2, "Zip", {ssCtrl}), "City;Zip");
    EXPECT_EQ(MarkedOrder(Grid2), "City;Zip");
    EXPECT_EQ(MarkedOrder(Grid1), "City");
}

TEST_F(TitleSortFixture, AReportWhileTheFirstColumnHasNoFieldIsHeardAgain) {
    TTable* Table = MakeTable("customer");
    TDBGrid* Grid = MakeGrid(MakeSource(Table), {"Nickname", "City"});
    TitleSort->RegisterGrid(Grid);
    Table->SetIndexFieldNames("City");
    EXPECT_EQ(MarkedOrder(Grid), "");
    ColumnOf(Grid, "Nickname")->SetFieldName("Name");
    Table->Refresh();
    EXPECT_EQ(MarkedOrder(Grid), "City");
}

TEST_F(TitleSortFixture, UnregisterGrid_PutsTheTitlesBackAndForgetsTheGrid) {
    TTable* Table = MakeTable("customer", "City");
    TDBGrid* Grid = MakeGrid(MakeSource(Table));
    TitleSort->RegisterGrid(Grid);
    EXPECT_EQ(MarkedOrder(Grid), "City");
    TitleSort->UnregisterGrid(Grid);
    EXPECT_EQ(MarkedOrder(Grid), "");
    EXPECT_FALSE(TitleSort->IsRegistered(Grid));
    EXPECT_TRUE(TitleSort->DataLinks.empty());
    TitleSort->UnregisterGrid(Grid);
    Table->SetIndexFieldNames("Name");
    EXPECT_EQ(MarkedOrder(Grid), "");

    try {
        TitleSort->RegisterGrid(nullptr);
        ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "TDBGridTitleSort.RegisterGrid() DBGrid is nil.");
    }
    EXPECT_TRUE(TitleSort->OldTitleStates.empty());
}

TEST_F(TitleSortFixture, RegisteredGridNamesAreJoinedInTheOrderRegistered) {
    TDataSource* Source = MakeSource(MakeTable("customer"));
    struct Case {
        std::vector<String> Names;
        const char* Expected;
    } Cases[] = {
        {{"Grid1", "Grid2"}, "Grid1;Grid2"},
        {{"Grid2", "Grid1"}, "Grid2;Grid1"},
        {{"", "Grid2"}, "Grid2"},
        {{}, ""},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Expected);
        TComponent Owner(nullptr);
        TDBGridTitleSort Component(&Owner);
        for (const String& Name : C.Names)
            Component.RegisterGrid(MakeGrid(Source, {}, Name, &Owner));
        EXPECT_EQ(Component.GetRegisteredGridNames(), C.Expected);
    }
}

TEST_F(TitleSortFixture, ALinkThatNoGridNeedsIsLetGoWhenItReports) {
    TTable* Customers = MakeTable("customer");
    TTable* Clients = MakeTable("clients");
    TDataSource* ClientSource = MakeSource(Clients);
    TDBGrid* Grid = MakeGrid(MakeSource(Customers));
    TitleSort->RegisterGrid(Grid);
    ASSERT_EQ(TitleSort->DataLinks.size(), 1u);

    Grid->SetDataSource(ClientSource);
    Customers->SetIndexFieldNames("Name");
    EXPECT_TRUE(TitleSort->DataLinks.empty());
    Customers->SetIndexFieldNames("City");

    // Marking the grid again watches its new data source.
    TitleSort->UpdateTitle(Grid);
    EXPECT_EQ(TitleSort->DataLinks.size(), 1u);
    EXPECT_EQ(MarkedOrder(Grid), "CustNo");
    Clients->SetIndexFieldNames("City");
    EXPECT_EQ(MarkedOrder(Grid), "City");
}

TEST_F(TitleSortFixture, DestroyedGridsAreForgottenWhoeverOwnsThem) {
    TTable* Customers = MakeTable("customer", "City");
    TDataSource* CustomerSource = MakeSource(Customers);
    TDataSource* ClientSource = MakeSource(MakeTable("clients"));
    TDBGrid* Grid1 = MakeGrid(CustomerSource, {}, "Grid1");
    TDBGrid* Grid2 = MakeGrid(CustomerSource, {}, "Grid2");
    auto OtherForm = std::make_unique<TForm>(nullptr);
    TDBGrid* Grid3 = MakeGrid(ClientSource, {}, "Grid3", OtherForm.get());
    TitleSort->RegisterGrids({Grid1, Grid2, Grid3});
    EXPECT_EQ(TitleSort->DataLinks.size(), 2u);

    delete Grid1;
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "Grid2;Grid3");
    EXPECT_EQ(TitleSort->DataLinks.size(), 2u);
    delete Grid2;
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "Grid3");
    EXPECT_EQ(TitleSort->DataLinks.size(), 1u);
    OtherForm.reset();
    EXPECT_EQ(TitleSort->GetRegisteredGridNames(), "");
    EXPECT_TRUE(TitleSort->DataLinks.empty());
    Customers->SetIndexFieldNames("Name");
}

TEST_F(TitleSortFixture, TheComponentMayGoBeforeOrAfterItsGrids) {
    TTable* Table = MakeTable("customer", "City");
    TDataSource* Source = MakeSource(Table);
    TDBGrid* Grid = MakeGrid(Source);
    TitleSort->RegisterGrid(Grid);

    // Gone first: its marks stay as they were and nothing calls back.
    delete TitleSort;
    TitleSort = nullptr;
    Table->SetIndexFieldNames("Name");
    EXPECT_EQ(ColumnOf(Grid, "City")->GetTitle()->GetFont()->GetColor(), clRed);

    // Gone last: a component of another owner outlives the whole form.
    auto Outliving = std::make_unique<TProbeTitleSort>(nullptr);
    Outliving->RegisterGrids({Grid, MakeGrid(Source)});
    EXPECT_EQ(Outliving->DataLinks.size(), 1u);
    Form.reset();
    EXPECT_TRUE(Outliving->OldTitleStates.empty());
    EXPECT_TRUE(Outliving->DataLinks.empty());
}
