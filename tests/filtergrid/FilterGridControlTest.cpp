// The grid control: layout and properties as created, binding to data sources, the row
// operations, and the keys and mouse moves of a user driven through the input layer.
#include "FilterGridFixture.h"

using namespace filtergrid_test;

namespace {

class FilterGridControlTest : public FilterGridFixture {};

}  // namespace

TEST_F(FilterGridControlTest, NewGridHasFourTitledConditionColumnsAndOneDataRow) {
    EXPECT_EQ(Grid->GetColCount(), 5);
    EXPECT_EQ(Grid->GetRowCount(), 2);
    EXPECT_EQ(Grid->GetFixedCols(), 1);
    EXPECT_EQ(Grid->GetFixedRows(), 1);
    EXPECT_EQ(Grid->GetDefaultRowHeight(), 21);
    EXPECT_EQ(Grid->GetWidth(), 425);
    const int Widths[] = {21, 120, 100, 120, 40};
    const char* Titles[] = {"", "Field", "Operator", "Value", "Bool"};
    for (int C = 0; C < 5; ++C) {
        EXPECT_EQ(Grid->GetColWidths(C), Widths[C]);
        EXPECT_EQ(Grid->GetCells(C, 0), Titles[C]);
        EXPECT_EQ(Grid->GetCells(C, 1), "");
    }
    EXPECT_TRUE(Grid->GetOptions().Contains(goColSizing));
    EXPECT_TRUE(Grid->GetOptions().Contains(goThumbTracking));
    EXPECT_TRUE(Grid->GetOptions().Contains(goFixedVertLine));  // the inherited ones stay
    EXPECT_FALSE(Grid->GetOptions().Contains(goEditing));

    EXPECT_EQ(Grid->GetDataSource(), nullptr);
    EXPECT_EQ(Grid->GetFilterKind(), fkSQL);
    EXPECT_EQ(Grid->GetFilterMaxDropDownCount(), 15);
    EXPECT_EQ(Grid->GetDefaultOperator(), foiEqual);
    EXPECT_EQ(Grid->GetWildcards(), "*?");
    EXPECT_EQ(Grid->GetTargetWildcards(), "%_");
    EXPECT_EQ(Grid->GetFilterGridOptions(),
              (TFilterGridOptions{fgoCorrect, fgoNonTableValueList, fgoStrictOperators}));

    // The editor floats beside the grid on its parent; the button lies on the grid.
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->GetParent(), Form);
    EXPECT_FALSE(Editor()->GetVisible());
    EXPECT_TRUE(Editor()->GetParentFont());
    ASSERT_NE(Button(), nullptr);
    EXPECT_EQ(Button()->GetParent(), Grid);
    EXPECT_FALSE(Button()->GetVisible());
    ASSERT_NE(ValueQuery(), nullptr);
    EXPECT_FALSE(ValueQuery()->GetActive());
}

TEST_F(FilterGridControlTest, EditorFollowsTheGridToEveryParent) {
    auto* Panel = new TForm(Form);  // any control that holds others
    Panel->SetParent(Form);
    Grid->SetParent(Panel);
    EXPECT_EQ(Editor()->GetParent(), Panel);
    Grid->SetParent(nullptr);
    EXPECT_EQ(Editor()->GetParent(), nullptr);
}

TEST_F(FilterGridControlTest, BindingSwitchesTheSyntaxForTablesAndLocalQueries) {
    // A table: the simple syntax, with case.
    Grid->SetFilterGridOptions({fgoStrictOperators});
    Grid->SetDataSource(Source);
    EXPECT_EQ(Grid->GetDataSource(), Source);
    EXPECT_EQ(Grid->GetFilterKind(), fkSimple);
    EXPECT_EQ(Grid->GetFilterGridOptions(),
              (TFilterGridOptions{fgoStrictOperators, fgoCaseSensitive}));
    // Set afterwards, kind and options hold.
    Grid->SetFilterKind(fkSQL);
    Grid->SetFilterGridOptions({});
    EXPECT_EQ(Grid->GetFilterKind(), fkSQL);

    // A local query: the simple syntax, options unchanged.
    auto* Query = new TQuery(Form);
    Query->SetDatabaseName(Db.Path());
    auto* QuerySource = new TDataSource(Form);
    QuerySource->SetDataSet(Query);
    Grid->SetDataSource(QuerySource);
    EXPECT_EQ(Grid->GetFilterKind(), fkSimple);
    EXPECT_EQ(Grid->GetFilterGridOptions(), TFilterGridOptions{});

    // A server query, or a source without dataset, changes nothing.
    RegisterAlias("FILTERGRID_SERVER", dePostgreSQL, "host=/nonexistent");
    Query->SetDatabaseName("FILTERGRID_SERVER");
    Grid->SetFilterKind(fkSQL);
    Grid->SetDataSource(QuerySource);
    EXPECT_EQ(Grid->GetFilterKind(), fkSQL);
    UnregisterAlias("FILTERGRID_SERVER");
    auto* Empty = new TDataSource(Form);
    Grid->SetDataSource(Empty);
    EXPECT_EQ(Grid->GetFilterKind(), fkSQL);
    EXPECT_EQ(Grid->GetFilterGridOptions(), TFilterGridOptions{});
    Grid->SetDataSource(nullptr);
    EXPECT_EQ(Grid->GetDataSource(), nullptr);
}

TEST_F(FilterGridControlTest, DestroyedDataSourceIsDropped) {
    Grid->SetDataSource(Source);
    delete Source;
    EXPECT_EQ(Grid->GetDataSource(), nullptr);
    // A source of another owner is watched as well.
    {
        TDataSource Foreign(nullptr);
        Foreign.SetDataSet(Table);
        Grid->SetDataSource(&Foreign);
        EXPECT_EQ(Grid->GetDataSource(), &Foreign);
    }
    EXPECT_EQ(Grid->GetDataSource(), nullptr);
    EXPECT_EQ(Grid->GetFilterExpression(), "");
}

TEST_F(FilterGridControlTest, GridDestroyedBeforeItsForeignSourceLeavesNothingBehind) {
    TDataSource Foreign(nullptr);
    Foreign.SetDataSet(Table);
    Grid->SetDataSource(&Foreign);
    delete Grid;
    Grid = nullptr;
    EXPECT_TRUE(Foreign.DataLinks().empty());
    Table->Open();
    Table->Close();
}

TEST_F(FilterGridControlTest, ValueQueryFollowsTheTablesOpenState) {
    Grid->SetDataSource(Source);
    EXPECT_EQ(ValueQuery()->GetDatabaseName(), "");
    Table->Open();
    EXPECT_EQ(ValueQuery()->GetDatabaseName(), Db.Path());
    SetRows({{"City", "", "", ""}});
    MoveTo(ConditionCell(fciRightArg, 0));
    Input.OpenList(*Editor());
    EXPECT_TRUE(ValueQuery()->GetActive());
    Table->Close();
    EXPECT_FALSE(ValueQuery()->GetActive());
    EXPECT_EQ(ValueQuery()->GetDatabaseName(), Db.Path());
    // Opened again, then replaced by a closed table: the query is closed.
    Table->Open();
    MoveTo(CellCentre(1, 0));
    MoveTo(ConditionCell(fciRightArg, 0));
    Input.OpenList(*Editor());
    EXPECT_TRUE(ValueQuery()->GetActive());
    Source->SetDataSet(MakeTable("people"));
    EXPECT_FALSE(ValueQuery()->GetActive());
}

TEST_F(FilterGridControlTest, ValueListFollowsASourceThatTurnsToAnotherOpenTable) {
    testing_support::TempDatabase Other(
        "CREATE TABLE people (Id INTEGER PRIMARY KEY, City VARCHAR(30));"
        "INSERT INTO people VALUES (1, 'Lima'), (2, 'Quito');");
    auto* OtherTable = new TTable(Form);
    OtherTable->SetDatabaseName(Other.Path());
    OtherTable->SetTableName("people");
    OtherTable->Open();
    Table->Open();
    Grid->SetDataSource(Source);
    Source->SetDataSet(OtherTable);
    SetRows({{"City", "", "", ""}});
    MoveTo(ConditionCell(fciRightArg, 0));
    Input.OpenList(*Editor());
    EXPECT_EQ(Items(), (std::vector<std::string>{"Lima", "Quito"}));
    EXPECT_EQ(ValueQuery()->GetDatabaseName(), Other.Path());
}

TEST_F(FilterGridControlTest, RowsAreEmptiedOrDeleted) {
    SetRows({{"a", "", "", ""}, {"", " ", "", ""}, {"", "", "", ""}, {"d", "", "", "x"}});
    Grid->SetCells(0, 2, "fixed");
    EXPECT_FALSE(Grid->UnexistinqOrEmptyRow(1));
    EXPECT_FALSE(Grid->UnexistinqOrEmptyRow(2));  // a blank counts as text
    EXPECT_TRUE(Grid->UnexistinqOrEmptyRow(3));
    EXPECT_TRUE(Grid->UnexistinqOrEmptyRow(0));
    EXPECT_TRUE(Grid->UnexistinqOrEmptyRow(5));
    EXPECT_TRUE(Grid->UnexistinqOrEmptyRow(-1));

    EXPECT_FALSE(Grid->DeleteOrClearRow(0));  // the title row stays
    EXPECT_EQ(Grid->GetCells(1, 0), "Field");
    EXPECT_FALSE(Grid->DeleteOrClearRow(5));  // beyond the last row: nothing
    EXPECT_EQ(Grid->GetRowCount(), 5);
    EXPECT_TRUE(Grid->DeleteOrClearRow(2));
    EXPECT_EQ(Rows(),
              (std::vector<TRowTexts>{{"a", "", "", ""}, {"", "", "", ""}, {"d", "", "", "x"}}));
    EXPECT_EQ(Grid->GetCells(0, 2), "");  // the fixed cell went with its row

    Grid->Clear();
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"", "", "", ""}}));
    SetRows({{"a", "b", "c", "d"}});
    Grid->SetCells(0, 1, "fixed");
    EXPECT_FALSE(Grid->DeleteOrClearRow(1));  // the only row is emptied, not deleted
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"", "", "", ""}}));
    EXPECT_EQ(Grid->GetCells(0, 1), "");
    Grid->Clear();
    EXPECT_EQ(Grid->GetRowCount(), 2);
}

TEST_F(FilterGridControlTest, CellCoordinatesAreValidOutsideTheFixedOnes) {
    struct Case {
        TGridCoord C;
        bool Valid;
    } Cases[] = {{{1, 1}, true},  {{4, 7}, true},    {{0, 1}, false},
                 {{1, 0}, false}, {{-1, -1}, false}, {{99, 99}, true}};
    for (const Case& C : Cases)
        EXPECT_EQ(Grid->ValidCellCoordinates(C.C), C.Valid) << C.C.X << "," << C.C.Y;
}

TEST_F(FilterGridControlTest, DownArrowOnAFilledLastRowAddsARow) {
    FocusGridByClick();
    ASSERT_TRUE(Grid->Focused());
    Input.Press(VK_DOWN);  // the only row is empty: nothing added
    EXPECT_EQ(Grid->GetRowCount(), 2);
    EXPECT_EQ(Grid->GetRow(), 1);
    Grid->SetCells(3, 1, " ");  // a single blank is text
    Input.Press(VK_DOWN);
    EXPECT_EQ(Grid->GetRowCount(), 3);
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_TRUE(Grid->UnexistinqOrEmptyRow(2));
    Input.Press(VK_DOWN);
    EXPECT_EQ(Grid->GetRowCount(), 3);
    Input.Press(VK_UP);
    Input.Press(VK_DOWN);  // not on the last row
    EXPECT_EQ(Grid->GetRowCount(), 3);
    EXPECT_EQ(Grid->GetRow(), 2);
}

TEST_F(FilterGridControlTest, CtrlDeleteDeletesTheCurrentRowOrEmptiesTheOnlyOne) {
    SetRows({{"a", "", "", ""}, {"b", "", "", ""}});
    FocusGridByClick();
    Input.Press(VK_DOWN);
    ASSERT_EQ(Grid->GetRow(), 2);
    Input.Press(VK_DELETE);  // without Ctrl: nothing of the grid's own
    EXPECT_EQ(Grid->GetRowCount(), 3);
    Input.Press(VK_DELETE, {ssCtrl});
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"a", "", "", ""}}));
    Input.Press(VK_DELETE, {ssCtrl});
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"", "", "", ""}}));
    EXPECT_EQ(Grid->GetRowCount(), 2);
}

TEST_F(FilterGridControlTest, ApplicationMayCancelAKeyOfTheGrid) {
    SetRows({{"a", "", "", ""}, {"b", "", "", ""}});
    Grid->OnKeyDown = [](TObject*, Word& Key, TShiftState) {
        if (Key == VK_DELETE)
            Key = 0;
    };
    FocusGridByClick();
    Input.Press(VK_DELETE, {ssCtrl});
    EXPECT_EQ(Grid->GetRowCount(), 3);
}

TEST_F(FilterGridControlTest, ReturnInTheGridPutsTheFocusedEditorOverTheCurrentCell) {
    SetRows({{"Name", "=", "x", ""}});
    FocusGridByClick();
    Input.Press(VK_RIGHT);
    Input.Press(VK_RETURN);
    EXPECT_TRUE(Editor()->GetVisible());
    EXPECT_TRUE(Editor()->Focused());
    EXPECT_EQ(EditorCell(), (TGridCoord{2, 1}));
    EXPECT_EQ(Editor()->GetText(), "=");
    Input.TypeText(">");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Grid->GetCells(2, 1), "=>");
    EXPECT_TRUE(Grid->Focused());
    EXPECT_FALSE(Editor()->GetVisible());
    EXPECT_EQ(Grid->GetCol(), 3);  // moved on to the value
}

TEST_F(FilterGridControlTest, MouseCarriesTheEditorFromCellToCellWritingEachTextBack) {
    BindForSQL();
    SetRows({{"", "", "Paris", ""}});
    // Over the field cell: the editor shows its text; a picked field goes into the cell.
    MoveTo(ConditionCell(fciLeftArg, 0));
    ASSERT_TRUE(Editor()->GetVisible());
    EXPECT_EQ(EditorCell(), (TGridCoord{1, 1}));
    Input.OpenList(*Editor());
    Input.PickListItem(*Editor(), 2);  // City
    EXPECT_EQ(Grid->GetCells(1, 1), "City");
    EXPECT_FALSE(Editor()->GetVisible());
    EXPECT_TRUE(Grid->Focused());
    // On to the operator cell, where an operator is picked.
    MoveTo(ConditionCell(fciOperator, 0));
    EXPECT_EQ(EditorCell(), (TGridCoord{2, 1}));
    Input.OpenList(*Editor());
    Input.PickListItem(*Editor(), 6);  // STARTING WITH
    EXPECT_EQ(Grid->GetCells(2, 1), "STARTING WITH");
    // Moving on writes the shown text back and takes the next cell's.
    MoveTo(ConditionCell(fciRightArg, 0));
    EXPECT_EQ(Editor()->GetText(), "Paris");
    Editor()->SetText("Par");  // as a program sets it
    MoveTo(ConditionCell(fciBoolOperator, 0));
    EXPECT_EQ(Grid->GetCells(3, 1), "Par");
    EXPECT_EQ(EditorCell(), (TGridCoord{4, 1}));
    // The title row and the space beside the cells only hide the editor.
    Editor()->SetText("or");
    MoveTo(CellCentre(2, 0));
    EXPECT_FALSE(Editor()->GetVisible());
    EXPECT_EQ(Grid->GetCells(4, 1), "or");
    EXPECT_EQ(Grid->GetFilterExpression(), "UPPER(City) STARTING WITH 'PAR'");
}

TEST_F(FilterGridControlTest, FirstMouseMoveAfterArrowKeysIsIgnored) {
    FocusGridByClick();
    Input.Press(VK_RIGHT);
    MoveTo(ConditionCell(fciRightArg, 0));
    EXPECT_FALSE(Editor()->GetVisible());
    MoveTo(ConditionCell(fciRightArg, 0));
    EXPECT_TRUE(Editor()->GetVisible());
}

TEST_F(FilterGridControlTest, DeleteButtonOverTheFixedCellDeletesOrEmptiesItsRow) {
    SetRows({{"a", "=", "1", "or"}, {"b", "=", "2", "and"}});
    MoveTo(CellCentre(0, 2));
    ASSERT_TRUE(Button()->GetVisible());
    EXPECT_EQ(Button()->BoundsRect(), Grid->CellRect(0, 2));
    EXPECT_FALSE(Editor()->GetVisible());
    // Leaving the button hides it.
    MoveTo(CellCentre(0, 2));
    EXPECT_EQ(Input.ControlAt(CellCentre(0, 2).X, CellCentre(0, 2).Y), Button());
    MoveTo(CellCentre(0, 0));
    EXPECT_FALSE(Button()->GetVisible());
    // Clicking it deletes its row, and it hides itself.
    MoveTo(CellCentre(0, 2));
    ClickAt(CellCentre(0, 2));
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"a", "=", "1", "or"}}));
    EXPECT_FALSE(Button()->GetVisible());
    // On the only row it empties the row, link cell included.
    MoveTo(CellCentre(0, 1));
    ClickAt(CellCentre(0, 1));
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"", "", "", ""}}));
    // The title's fixed cell shows no button.
    MoveTo(CellCentre(0, 0));
    EXPECT_FALSE(Button()->GetVisible());
}

TEST_F(FilterGridControlTest, DeletingARowFirstWritesTheEditorsTextIntoItsOwnRow) {
    SetRows({{"a", "", "", ""}, {"b", "", "", ""}, {"c", "", "", ""}});
    FocusGridByClick();
    Input.Press(VK_DOWN);
    Input.Press(VK_DOWN);
    // The button of row 1 shows under the mouse (the first move after the keys is ignored).
    MoveTo(CellCentre(0, 1));
    MoveTo(CellCentre(0, 1));
    ASSERT_TRUE(Button()->GetVisible());
    // Return puts the focused editor over row 3, and the user types into it.
    Input.Press(VK_RETURN);
    ASSERT_TRUE(Editor()->Focused());
    ASSERT_EQ(EditorCell(), (TGridCoord{1, 3}));
    Input.TypeText("2");
    ClickAt(CellCentre(0, 1));
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"b", "", "", ""}, {"c2", "", "", ""}}));
    EXPECT_FALSE(Editor()->GetVisible());
}

TEST_F(FilterGridControlTest, EditorCoversOnlyCellsThatExist) {
    SetRows({{"a", "", "", ""}, {"b", "", "", ""}});
    EXPECT_FALSE(Editor()->ShowPositioned({1, 9}));
    EXPECT_FALSE(Editor()->ShowPositioned({0, 1}));
    EXPECT_FALSE(Editor()->GetVisible());
    ASSERT_TRUE(Editor()->ShowPositioned({1, 2}));
    EXPECT_EQ(Editor()->GetText(), "b");
    // The application drops the row under the editor: its text has no cell to go to.
    Editor()->SetText("b2");
    Grid->SetRowCount(2);
    MoveTo(CellCentre(1, 0));
    EXPECT_FALSE(Editor()->GetVisible());
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"a", "", "", ""}}));
}

// The button and the value query belong to the grid, but the grid gets on without them when
// something frees them.
TEST_F(FilterGridControlTest, GridGetsOnWithoutAFreedButtonOrValueQuery) {
    BindForSQL();
    SetRows({{"City", "", "", ""}});
    delete Button();
    delete ValueQuery();
    ASSERT_EQ(Button(), nullptr);
    ASSERT_EQ(ValueQuery(), nullptr);
    MoveTo(CellCentre(0, 1));
    EXPECT_FALSE(Editor()->GetVisible());
    MoveTo(ConditionCell(fciRightArg, 0));
    Input.OpenList(*Editor());
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(Grid->GetFilterExpression(), "City IS NULL");
}
