// The cell editor: its drop-down lists (fields, operators, values, link words), its keys,
// picking entries, and leaving it with the mouse, driven through the input layer.
#include "FilterGridFixture.h"

using namespace filtergrid_test;

namespace {

class FilterCellEditorTest : public FilterGridFixture {
  protected:
    // Puts the editor over a condition cell and opens its list.
    void OpenListAt(int K, int R) {
        MoveTo(ConditionCell(K, R));
        ASSERT_TRUE(Editor()->GetVisible());
        Input.OpenList(*Editor());
    }
    // Clicks into a condition cell, which gives the editor over it the focus.
    void ClickInto(int K, int R) {
        ClickAt(ConditionCell(K, R));
        ASSERT_TRUE(Editor()->Focused());
    }
    // A point inside the editor, so that the mouse is over it.
    void MoveOntoEditor() {
        MoveTo(Editor()->ClientToForm({4, 4}));
        ASSERT_EQ(
            Input.ControlAt(Editor()->ClientToForm({4, 4}).X, Editor()->ClientToForm({4, 4}).Y),
            Editor());
    }
    void MoveOffTheGrid() { MoveTo({700, 500}); }

    using TItems = std::vector<std::string>;
};

}  // namespace

TEST_F(FilterCellEditorTest, FieldListOffersDataFieldsOnlyInFieldOrder) {
    // A calculated and a lookup field next to the table's own columns.
    auto* Names = MakeTable("people");
    auto* Calculated = new TField(Form);
    Calculated->SetFieldName("Twice");
    Calculated->SetFieldKind(fkCalculated);
    Calculated->SetDataType(ftInteger);
    Calculated->SetDataSet(Table);
    auto* Lookup = new TField(Form);
    Lookup->SetFieldName("Friend");
    Lookup->SetFieldKind(fkLookup);
    Lookup->SetDataType(ftString);
    Lookup->SetLookupDataSet(Names);
    Lookup->KeyFields = "Id";
    Lookup->LookupKeyFields = "Id";
    Lookup->LookupResultField = "Name";
    Lookup->SetDataSet(Table);
    Names->Open();
    BindForSQL();
    OpenListAt(fciLeftArg, 0);
    EXPECT_EQ(Items(), (TItems{"Id", "Name", "City", "First Name", "Amount", "Born"}));
    EXPECT_EQ(Editor()->GetDropDownCount(), 6);
    // A closed dataset offers nothing.
    Table->Close();
    MoveTo(CellCentre(1, 0));
    OpenListAt(fciLeftArg, 0);
    EXPECT_EQ(Items(), TItems{});
    EXPECT_EQ(Editor()->GetDropDownCount(), 0);
}

TEST_F(FilterCellEditorTest, OperatorListOffersWhatTheRowsFieldTakes) {
    BindForSQL();
    const TItems All(fonComputer.begin(), fonComputer.end());
    const TItems Comparisons(fonComputer.begin(), fonComputer.begin() + 6);
    TItems Unquoted = Comparisons;
    Unquoted.insert(Unquoted.end(), {"IS NULL", "IS NOT NULL"});
    struct Case {
        const char* Field;
        TFilterKind Kind;
        TItems Expected;
    } Cases[] = {
        {"Name", fkSQL, All},
        {"[First Name]", fkSQL, All},
        {"Amount", fkSQL, Unquoted},
        {"Name", fkSimple, Comparisons},
        {"Amount", fkSimple, Comparisons},
        {"", fkSQL, {}},
        {"Nope", fkSQL, {}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Field) + (C.Kind == fkSQL ? " SQL" : " simple"));
        Grid->SetFilterKind(C.Kind);
        SetRows({{C.Field, "", "", ""}});
        MoveTo(CellCentre(1, 0));
        OpenListAt(fciOperator, 0);
        EXPECT_EQ(Items(), C.Expected);
        EXPECT_EQ(Editor()->GetDropDownCount(), static_cast<int>(C.Expected.size()));
    }
    // With fgoExceptions the failure passes on; without a dataset the list stays empty.
    Grid->SetFilterGridOptions({fgoExceptions});
    SetRows({{"Nope", "", "", ""}});
    MoveTo(CellCentre(1, 0));
    MoveTo(ConditionCell(fciOperator, 0));
    EXPECT_EQ(ErrorOf([&] { Input.OpenList(*Editor()); }), "Field 'Nope' not found");
    EXPECT_FALSE(Editor()->GetDroppedDown());
    Table->Close();
    EXPECT_EQ(ErrorOf([&] { Input.OpenList(*Editor()); }),
              "TDBFilterGrid.QuotedType() DataSet is not active.");
    Grid->SetDataSource(nullptr);
    Input.OpenList(*Editor());
    EXPECT_EQ(Items(), TItems{});
}

TEST_F(FilterCellEditorTest, LinkListOffersTheTwoWords) {
    OpenListAt(fciBoolOperator, 0);
    EXPECT_EQ(Items(), (TItems{"AND", "OR"}));
    EXPECT_EQ(Editor()->GetDropDownCount(), 2);
}

TEST_F(FilterCellEditorTest, ValueListOfALocalTableComesFromTheQuotedValueQuery) {
    BindForSQL();
    struct Case {
        const char* FieldCell;
        std::string Sql;
        TItems Values;
    } Cases[] = {
        {"City",
         "SELECT DISTINCT ValueTable.\"City\" ValueField FROM \"people\" ValueTable ORDER BY "
         "ValueField",
         {"Oslo", "Paris", "Rome", "rome"}},
        {" [First Name] ",
         "SELECT DISTINCT ValueTable.\"First Name\" ValueField FROM \"people\" ValueTable ORDER "
         "BY ValueField",
         {"Anna", "Dan", "Eve", "Ian", "Joan"}},
        {"amount",  // the name as the cell spells it
         "SELECT DISTINCT ValueTable.\"amount\" ValueField FROM \"people\" ValueTable ORDER BY "
         "ValueField",
         {"", "40", "75", "100", "120"}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.FieldCell);
        SetRows({{C.FieldCell, "", "", ""}});
        MoveTo(CellCentre(1, 0));
        OpenListAt(fciRightArg, 0);
        EXPECT_EQ(ValueQuery()->GetSQL()->Count(), 1);
        EXPECT_EQ(ValueQuery()->GetSQL()->Get(0), C.Sql);
        EXPECT_EQ(Items(), C.Values);
        EXPECT_TRUE(ValueQuery()->GetActive());  // it stays open
    }
}

TEST_F(FilterCellEditorTest, ValueListSqlDoublesDoubleQuotesInNames) {
    Db.Execute(
        "CREATE TABLE \"we\"\"ird\" (Id INTEGER PRIMARY KEY, \"Odd\"\"Name\" TEXT);"
        "INSERT INTO \"we\"\"ird\" VALUES (1, 'b'), (2, 'a'), (3, 'b');");
    TTable* Weird = MakeTable("we\"ird");
    Source->SetDataSet(Weird);
    Weird->Open();
    Grid->SetDataSource(Source);
    SetRows({{"Odd\"Name", "", "", ""}});
    OpenListAt(fciRightArg, 0);
    EXPECT_EQ(ValueQuery()->GetSQL()->Get(0),
              "SELECT DISTINCT ValueTable.\"Odd\"\"Name\" ValueField FROM \"we\"\"ird\" ValueTable "
              "ORDER BY ValueField");
    EXPECT_EQ(Items(), (TItems{"a", "b"}));
}

TEST_F(FilterCellEditorTest, ValueListOfAnUnknownFieldIsEmptyOrFails) {
    BindForSQL();
    SetRows({{"[Nope]", "", "", ""}});
    OpenListAt(fciRightArg, 0);
    EXPECT_EQ(Items(), TItems{});
    EXPECT_EQ(Editor()->GetDropDownCount(), 0);
    Grid->SetFilterGridOptions({fgoExceptions});
    MoveTo(CellCentre(1, 0));
    MoveTo(ConditionCell(fciRightArg, 0));
    EXPECT_EQ(ErrorOf([&] { Input.OpenList(*Editor()); }),
              "TDBFilterGridComboBox.DropDown() Unknown field: \"Nope\".");
    // A closed dataset gives an empty list, even with fgoExceptions.
    Table->Close();
    Input.OpenList(*Editor());
    EXPECT_EQ(Items(), TItems{});
}

TEST_F(FilterCellEditorTest, ValueListOfAQueryScansItAndKeepsItsPosition) {
    auto* Query = new TQuery(Form);
    Query->SetDatabaseName(Db.Path());
    Query->GetSQL()->SetText("SELECT Id, Name, City FROM people ORDER BY Id");
    Source->SetDataSet(Query);
    Query->Open();
    Query->Next();
    Grid->SetDataSource(Source);
    int DataChanges = 0;
    TFieldDataLink Watcher;
    Watcher.SetDataSource(Source);
    Watcher.OnDataChange = [&](TObject*) { ++DataChanges; };

    SetRows({{"City", "", "", ""}});
    OpenListAt(fciRightArg, 0);
    // Sorted with letters folded, each distinct value once.
    EXPECT_EQ(Items(), (TItems{"Oslo", "Paris", "Rome", "rome"}));
    EXPECT_EQ(Query->FieldByName("Id")->GetAsString(), "2");
    EXPECT_FALSE(Query->ControlsDisabled());
    EXPECT_LE(DataChanges, 1);                // the scan itself was not shown record by record
    EXPECT_FALSE(ValueQuery()->GetActive());  // queries are scanned, not asked

    // Without fgoNonTableValueList there is no list.
    Grid->SetFilterGridOptions({});
    MoveTo(CellCentre(1, 0));
    OpenListAt(fciRightArg, 0);
    EXPECT_EQ(Items(), TItems{});
}

TEST_F(FilterCellEditorTest, FailedScanStillRestoresPositionAndControls) {
    auto* Query = new TQuery(Form);
    Query->SetDatabaseName(Db.Path());
    Query->GetSQL()->SetText("SELECT Id, Name FROM people ORDER BY Id");
    auto* Twice = new TField(Form);
    Twice->SetFieldName("Twice");
    Twice->SetFieldKind(fkCalculated);
    Twice->SetDataType(ftInteger);
    Twice->SetDataSet(Query);
    Query->OnCalcFields = [Twice](TDataSet* DataSet) {
        int64_t Id = DataSet->FieldByName("Id")->GetAsInteger();
        if (Id == 4)
            throw Exception("record 4 cannot be read");
        Twice->SetValue(TValue::FromInteger(2 * Id));
    };
    Source->SetDataSet(Query);
    Query->Open();
    Query->Next();
    Grid->SetDataSource(Source);
    SetRows({{"Twice", "", "", ""}});
    MoveTo(ConditionCell(fciRightArg, 0));
    EXPECT_EQ(ErrorOf([&] { Input.OpenList(*Editor()); }), "record 4 cannot be read");
    EXPECT_EQ(Query->FieldByName("Id")->GetAsString(), "2");
    EXPECT_FALSE(Query->ControlsDisabled());
    EXPECT_FALSE(Editor()->GetDroppedDown());
}

TEST_F(FilterCellEditorTest, DropDownCountIsCappedByFilterMaxDropDownCount) {
    Db.Execute(
        "CREATE TABLE many (Id INTEGER PRIMARY KEY, V TEXT);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40)"
        " INSERT INTO many SELECT i, printf('v%02d', i) FROM n;");
    TTable* Many = MakeTable("many");
    Source->SetDataSet(Many);
    Many->Open();
    Grid->SetDataSource(Source);
    SetRows({{"V", "", "", ""}});
    int Reported = 0;
    Editor()->OnDropDown = [&](TObject*) { ++Reported; };
    OpenListAt(fciRightArg, 0);
    EXPECT_EQ(Items().size(), 40u);
    EXPECT_EQ(Editor()->GetDropDownCount(), 15);
    EXPECT_EQ(Reported, 1);  // the application hears of it
    Grid->SetFilterMaxDropDownCount(50);
    MoveTo(CellCentre(1, 0));
    OpenListAt(fciRightArg, 0);
    EXPECT_EQ(Editor()->GetDropDownCount(), 40);
}

TEST_F(FilterCellEditorTest, ReturnEntersTheTextAndMovesOnWhenThereIsSome) {
    SetRows({{"", "", "", ""}});
    ClickInto(fciLeftArg, 0);
    Input.TypeText("City");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Grid->GetCells(1, 1), "City");
    EXPECT_FALSE(Editor()->GetVisible());
    EXPECT_TRUE(Grid->Focused());
    EXPECT_EQ(Grid->GetCol(), 2);
    EXPECT_EQ(Grid->GetRow(), 1);
    // The next mouse move is ignored, the one after it shows the editor again.
    MoveTo(ConditionCell(fciRightArg, 0));
    EXPECT_FALSE(Editor()->GetVisible());
    MoveTo(ConditionCell(fciRightArg, 0));
    EXPECT_TRUE(Editor()->GetVisible());

    // An empty text stays where it is.
    ClickInto(fciRightArg, 0);
    Input.Press(VK_RETURN);
    EXPECT_EQ(Grid->GetCol(), 3);
    // So does Return in the last column; an unknown word adds no row.
    MoveTo(ConditionCell(fciBoolOperator, 0));
    ClickInto(fciBoolOperator, 0);
    Input.TypeText("and");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Grid->GetCells(4, 1), "and");
    EXPECT_EQ(Grid->GetCol(), 4);
    EXPECT_EQ(Grid->GetRowCount(), 2);
}

TEST_F(FilterCellEditorTest, ReturnOnALinkWordInAFilledLastRowAddsARow) {
    SetRows({{"City", "=", "Paris", ""}});
    ClickInto(fciBoolOperator, 0);
    Input.TypeText("OR");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Grid->GetRowCount(), 3);
    EXPECT_EQ(Grid->GetCells(4, 1), "OR");
    EXPECT_EQ(Grid->GetCol(), 1);  // the new row's field cell
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_TRUE(Grid->Focused());
    // In the empty new row the word adds nothing: the grid's last row is what counts.
    MoveTo(ConditionCell(fciBoolOperator, 1));
    ClickInto(fciBoolOperator, 1);
    Input.TypeText("AND");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Grid->GetRowCount(), 3);
    EXPECT_EQ(Grid->GetCol(), 4);
    EXPECT_EQ(Grid->GetRow(), 2);
}

TEST_F(FilterCellEditorTest, EscapeDropsWhatWasTyped) {
    SetRows({{"City", "", "", ""}});
    FocusGridByClick();
    MoveTo(ConditionCell(fciLeftArg, 0));
    ClickInto(fciLeftArg, 0);
    Input.TypeText("xyz");
    Input.Press(VK_ESCAPE);
    EXPECT_EQ(Grid->GetCells(1, 1), "City");
    EXPECT_FALSE(Editor()->GetVisible());
    EXPECT_EQ(Grid->GetCol(), 1);
    EXPECT_TRUE(Grid->Focused());  // it had the focus when the editor was shown
    // Shown while the grid did not have the focus, Escape leaves the focus to nobody.
    Form->SetActiveControl(nullptr);
    MoveTo(CellCentre(1, 0));
    ClickInto(fciRightArg, 0);
    Input.TypeText("q");
    Input.Press(VK_ESCAPE);
    EXPECT_EQ(Grid->GetCells(3, 1), "");
    EXPECT_EQ(Grid->GetCol(), 3);
    EXPECT_FALSE(Grid->Focused());
}

TEST_F(FilterCellEditorTest, ApplicationMayCancelReturnInTheEditor) {
    SetRows({{"", "", "", ""}});
    Editor()->OnKeyDown = [](TObject*, Word& Key, TShiftState) {
        if (Key == VK_RETURN)
            Key = 0;
    };
    ClickInto(fciLeftArg, 0);
    Input.TypeText("Name");
    Input.Press(VK_RETURN);
    EXPECT_TRUE(Editor()->GetVisible());
    EXPECT_TRUE(Editor()->Focused());
    EXPECT_EQ(Grid->GetCells(1, 1), "");
}

TEST_F(FilterCellEditorTest, TypedTextGoesIntoTheCellExactly) {
    BindForSQL();
    const std::string Typed = "  O'Brien \\ %_*? \"x\" " + std::string(3000, 'z') + " ";
    SetRows({{"Name", "=", "", ""}});
    ClickInto(fciRightArg, 0);
    Input.TypeText(Typed);
    Input.Press(VK_RETURN);
    EXPECT_EQ(Grid->GetCells(3, 1), Typed);
    EXPECT_EQ(Grid->GetFilterExpression(),
              "UPPER(Name) LIKE 'O\\'BRIEN \\ \\%\\_%_ \"X\" " + std::string(3000, 'Z') + "'");
    // The typed text stays in the cell, in the grid's own notation.
    EXPECT_EQ(Grid->GetCells(3, 1), Trim(Typed));
    EXPECT_EQ(Grid->GetCells(2, 1), "LIKE");
}

TEST_F(FilterCellEditorTest, DownArrowOpensTheList) {
    BindForSQL();
    SetRows({{"", "", "", ""}});
    ClickInto(fciLeftArg, 0);
    Input.Press(VK_DOWN);
    EXPECT_TRUE(Editor()->GetDroppedDown());
    EXPECT_EQ(Items().size(), 6u);
    // Moving through the open list picks without entering; Return enters.
    EXPECT_EQ(Editor()->GetText(), "Id");
    Input.Press(VK_DOWN);
    EXPECT_EQ(Editor()->GetText(), "Name");
    EXPECT_TRUE(Editor()->GetVisible());
    EXPECT_EQ(Grid->GetCells(1, 1), "");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Grid->GetCells(1, 1), "Name");
    EXPECT_FALSE(Editor()->GetDroppedDown());
    EXPECT_EQ(Grid->GetCol(), 2);
}

TEST_F(FilterCellEditorTest, PickingALinkWordInTheLastRowAddsARow) {
    SetRows({{"City", "", "", ""}});
    OpenListAt(fciBoolOperator, 0);
    Input.PickListItem(*Editor(), 0);
    EXPECT_EQ(Grid->GetCells(4, 1), "AND");
    EXPECT_EQ(Grid->GetRowCount(), 3);
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_EQ(Grid->GetCol(), 1);
    EXPECT_TRUE(Grid->Focused());
    // In an otherwise empty last row nothing is added.
    MoveTo(ConditionCell(fciBoolOperator, 1));
    Input.OpenList(*Editor());
    Input.PickListItem(*Editor(), 1);
    EXPECT_EQ(Grid->GetCells(4, 2), "OR");
    EXPECT_EQ(Grid->GetRowCount(), 3);
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_EQ(Grid->GetCol(), 4);
    // In an earlier row the grid's last row decides: a filled last row gets a new one.
    Grid->SetCells(1, 2, "Name");
    MoveTo(ConditionCell(fciBoolOperator, 0));
    Input.OpenList(*Editor());
    Input.PickListItem(*Editor(), 1);
    EXPECT_EQ(Grid->GetCells(4, 1), "OR");
    EXPECT_EQ(Grid->GetRowCount(), 4);
    EXPECT_EQ(Grid->GetRow(), 3);
}

TEST_F(FilterCellEditorTest, LeavingTheEditorWritesBackUnlessItsListIsOpenOrItHasTheFocus) {
    BindForSQL();
    SetRows({{"City", "", "", ""}});
    // Neither: the editor goes, and its text is in the cell.
    MoveTo(ConditionCell(fciLeftArg, 0));
    MoveOntoEditor();
    Editor()->SetText("Name");
    MoveOffTheGrid();
    EXPECT_FALSE(Editor()->GetVisible());
    EXPECT_EQ(Grid->GetCells(1, 1), "Name");
    // The list open: it stays, and so does its list.
    MoveTo(ConditionCell(fciLeftArg, 0));
    MoveOntoEditor();
    Input.OpenList(*Editor());
    MoveOffTheGrid();
    EXPECT_TRUE(Editor()->GetVisible());
    EXPECT_TRUE(Editor()->GetDroppedDown());
    Input.PickListItem(*Editor(), 2);
    EXPECT_EQ(Grid->GetCells(1, 1), "City");
    // The focus: it stays, also while the mouse crosses other cells.
    MoveTo(ConditionCell(fciRightArg, 0));
    ClickInto(fciRightArg, 0);
    Input.TypeText("Oslo");
    MoveOffTheGrid();
    MoveTo(ConditionCell(fciLeftArg, 0));
    EXPECT_TRUE(Editor()->GetVisible());
    EXPECT_EQ(EditorCell(), (TGridCoord{3, 1}));
    EXPECT_EQ(Grid->GetCells(3, 1), "");
    // Anything that reads the rows writes the text back first.
    EXPECT_EQ(Grid->GetFilterExpression(), "UPPER(City) = 'OSLO'");
    EXPECT_FALSE(Editor()->GetVisible());
}

TEST_F(FilterCellEditorTest, AnyKeyInTheGridWritesBackAndHidesTheEditor) {
    SetRows({{"", "", "", ""}});
    FocusGridByClick();
    MoveTo(ConditionCell(fciLeftArg, 0));
    Editor()->SetText("Name");
    Input.Press(VK_F2);
    EXPECT_FALSE(Editor()->GetVisible());
    EXPECT_EQ(Grid->GetCells(1, 1), "Name");
    EXPECT_TRUE(Grid->Focused());
}
