// The data grid on a real SQLite table: default and persistent columns, titles, the window
// of records it shows, and clicks through the input layer; and the dataset's record peeking
// that the grid reads its rows with.
#include <gtest/gtest.h>

#include <functional>

#include "platform/DBGrids.h"
#include "platform/DBTables.h"
#include "support/TempDatabase.h"

using namespace platform;
using testing_support::TempDatabase;

namespace {

// Ten people; the names run against the ids, so ordering by name reverses the records.
const char* Schema =
    "CREATE TABLE people (Id INTEGER PRIMARY KEY, Name VARCHAR(20), Born DATE, Score REAL);"
    "CREATE INDEX people_name ON people (Name);"
    "INSERT INTO people VALUES (1, 'P10', '2001-01-01', 1.5), (2, 'P09', '2002-01-01', 2.5),"
    " (3, 'P08', NULL, 3.5), (4, 'P07', NULL, 4.5), (5, 'P06', NULL, 5.5),"
    " (6, 'P05', NULL, 6.5), (7, 'P04', NULL, 7.5), (8, 'P03', NULL, 8.5),"
    " (9, 'P02', NULL, 9.5), (10, 'P01', NULL, 10.5);";

// A title row of 24 pixels and four record rows of 24, each with its grid line.
constexpr int FourRecordsHigh = 25 + 4 * 25 - 1;

// Counts every notice that reaches a data link.
class TCountingLink : public TDataLink {
  public:
    int Notices = 0;

  protected:
    void ActiveChanged() override { ++Notices; }
    void DataSetChanged() override { ++Notices; }
    void DataSetScrolled(int) override { ++Notices; }
    void LayoutChanged() override { ++Notices; }
};

class DBGridTest : public ::testing::Test {
  protected:
    DBGridTest() : Db(Schema) {
        Form->SetBounds(0, 0, 800, 600);
        Table = new TTable(Form.get());
        Table->SetDatabaseName(Db.Path());
        Table->SetTableName("people");
        Source = new TDataSource(Form.get());
        Source->SetDataSet(Table);
        Grid = new TDBGrid(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetBounds(10, 10, 600, FourRecordsHigh);
        Grid->SetDataSource(Source);
    }

    // The ids of the records shown, from the top.
    std::vector<int> ShownIds() const {
        std::vector<int> Ids;
        for (int Row = 0; Row < Grid->VisibleRecordCount(); ++Row)
            Ids.push_back(std::stoi(Grid->DisplayText(0, Row)));
        return Ids;
    }

    TPoint CellCentre(int ACol, int ARow) const {
        TRect R = Grid->CellRect(ACol, ARow);
        return Grid->ClientToForm({(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2});
    }

    TempDatabase Db;
    std::unique_ptr<TForm> Form{new TForm(nullptr)};
    TInput Input{*Form};
    TTable* Table;
    TDataSource* Source;
    TDBGrid* Grid;
};

}  // namespace

TEST_F(DBGridTest, PeekRecords_VisitsNeighboursNearestFirstWithoutMovingOrTelling) {
    auto* Twice = new TField(Table);
    Twice->SetFieldName("Twice");
    Twice->SetDataType(ftInteger);
    Twice->SetFieldKind(fkCalculated);
    Twice->SetDataSet(Table);
    Table->OnCalcFields = [](TDataSet* DataSet) {
        DataSet->FieldByName("Twice")->SetValue(
            TValue::FromInteger(DataSet->FieldByName("Id")->GetAsInteger() * 2));
    };
    Table->Open();
    Table->MoveBy(4);
    TCountingLink Link;
    Link.SetDataSource(Source);
    Link.Notices = 0;

    struct Case {
        int Count;
        std::vector<String> Visited;  // Id:Twice of each record visited
    } Cases[] = {
        {3, {"6:12", "7:14", "8:16"}},
        {-10, {"4:8", "3:6", "2:4", "1:2"}},
        {0, {}},
        {6, {"6:12", "7:14", "8:16", "9:18", "10:20"}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Count);
        std::vector<String> Visited;
        int Moved = Table->PeekRecords(C.Count, [&] {
            Visited.push_back(Table->FieldByName("Id")->GetAsString() + ":" + Twice->GetAsString());
        });
        EXPECT_EQ(Visited, C.Visited);
        EXPECT_EQ(Moved, static_cast<int>(C.Visited.size()));
        EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "5");
        EXPECT_EQ(Twice->GetAsString(), "10");
        EXPECT_FALSE(Table->GetBOF());
        EXPECT_FALSE(Table->GetEOF());
    }
    EXPECT_EQ(Link.Notices, 0);

    // A failing visitor leaves the dataset on its record too.
    EXPECT_THROW(Table->PeekRecords(-2, [] { throw EDatabaseError("stop"); }), EDatabaseError);
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "5");
    Table->Next();
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "6");

    Table->Last();
    EXPECT_EQ(Table->PeekRecords(2, [] {}), 0);
    Table->Close();
    EXPECT_THROW(Table->PeekRecords(1, [] {}), EDatabaseError);
}

TEST_F(DBGridTest, DefaultColumns_AreMadeFromTheFieldsWheneverTheyChange) {
    TDBGridColumns* Columns = Grid->GetColumns();
    EXPECT_EQ(Columns->GetState(), csDefault);
    EXPECT_EQ(Columns->Count(), 0);
    EXPECT_EQ(Grid->GetColCount(), 2);  // the indicator and one empty column

    Table->Open();
    struct Case {
        const char* FieldName;
        int Width;  // from the field's type
    } Cases[] = {{"Id", 64}, {"Name", 120}, {"Born", 72}, {"Score", 80}};
    ASSERT_EQ(Columns->Count(), 4);
    EXPECT_EQ(Grid->GetColCount(), 5);
    for (int I = 0; I < 4; ++I) {
        SCOPED_TRACE(Cases[I].FieldName);
        TColumn* Column = Columns->GetColumn(I);
        EXPECT_EQ(Column->GetFieldName(), Cases[I].FieldName);
        EXPECT_EQ(Column->GetField(), Table->FieldByName(Cases[I].FieldName));
        EXPECT_EQ(Column->GetGrid(), Grid);
        EXPECT_EQ(Column->GetWidth(), Cases[I].Width);
        EXPECT_EQ(Grid->GetColWidths(I + 1), Cases[I].Width);
    }

    // Closing takes the columns away; opening again makes fresh ones.
    int FirstID = Columns->GetColumn(0)->GetID();
    Table->Close();
    EXPECT_EQ(Columns->Count(), 0);
    EXPECT_EQ(Grid->VisibleRecordCount(), 0);
    Table->Open();
    ASSERT_EQ(Columns->Count(), 4);
    EXPECT_EQ(Columns->FindItemID(FirstID), nullptr);

    // A sort change keeps them.
    int NameID = Columns->GetColumn(1)->GetID();
    Table->SetIndexFieldNames("Name");
    EXPECT_EQ(Columns->GetColumn(1)->GetID(), NameID);
}

TEST_F(DBGridTest, PersistentColumns_ReplaceTheDefaultOnesAndOutliveTheDataset) {
    Table->Open();
    TDBGridColumns* Columns = Grid->GetColumns();
    ASSERT_EQ(Columns->Count(), 4);
    TColumn* Name = Columns->Add();
    EXPECT_EQ(Columns->GetState(), csCustomized);
    EXPECT_EQ(Columns->Count(), 1);
    Name->SetFieldName("Name");
    TColumn* Missing = Columns->Add();
    Missing->SetFieldName("Nickname");
    TColumn* Id = Columns->Add();
    Id->SetFieldName("Id");
    ASSERT_EQ(Columns->Count(), 3);
    EXPECT_EQ(Name->GetField(), Table->FieldByName("Name"));
    EXPECT_EQ(Missing->GetField(), nullptr);
    EXPECT_EQ(Grid->DisplayText(0, 0), "P10");
    EXPECT_EQ(Grid->DisplayText(1, 0), "");
    EXPECT_EQ(Grid->DisplayText(2, 0), "1");

    Id->SetWidth(30);
    EXPECT_EQ(Grid->GetColWidths(3), 30);

    Table->Close();
    EXPECT_EQ(Columns->Count(), 3);
    EXPECT_EQ(Name->GetField(), nullptr);  // the table's fields went with it
    Table->Open();
    EXPECT_EQ(Columns->GetColumn(0), Name);
    EXPECT_EQ(Name->GetField(), Table->FieldByName("Name"));

    Columns->SetState(csDefault);
    EXPECT_EQ(Columns->Count(), 4);
    EXPECT_EQ(Columns->GetColumn(1)->GetFieldName(), "Name");

    // Columns of no grid have no field.
    TDBGridColumns Loose(nullptr);
    TColumn* Alone = Loose.Add();
    Alone->SetFieldName("Name");
    EXPECT_EQ(Alone->GetGrid(), nullptr);
    EXPECT_EQ(Alone->GetField(), nullptr);
}

TEST_F(DBGridTest, Titles_DefaultToTheFieldAndFollowTheTitleFontUntilChanged) {
    Table->Open();
    TDBGridColumns* Columns = Grid->GetColumns();
    TColumnTitle* Name = Columns->GetColumn(1)->GetTitle();
    TColumnTitle* Born = Columns->GetColumn(2)->GetTitle();
    EXPECT_EQ(Name->GetCaption(), "Name");
    Table->FieldByName("Name")->SetDisplayLabel("Full name");
    EXPECT_EQ(Name->GetCaption(), "Full name");
    EXPECT_EQ(Grid->CellText(2, 0), "Full name");
    Name->SetCaption("Who");
    Table->FieldByName("Name")->SetDisplayLabel("Person");
    EXPECT_EQ(Name->GetCaption(), "Who");
    EXPECT_EQ(Name->GetColor(), clBtnFace);

    Grid->GetTitleFont()->SetColor(clBlue);
    EXPECT_EQ(Name->GetFont()->GetColor(), clBlue);
    EXPECT_EQ(Born->GetFont()->GetColor(), clBlue);
    EXPECT_TRUE(Born->GetParentFont());
    Born->GetFont()->SetStyle({fsItalic});
    EXPECT_FALSE(Born->GetParentFont());
    Grid->GetTitleFont()->SetSize(12);
    EXPECT_EQ(Name->GetFont()->GetSize(), 12);
    EXPECT_EQ(Born->GetFont()->GetSize(), 8);
    EXPECT_EQ(Born->GetFont()->GetColor(), clBlue);
    EXPECT_EQ(Born->GetFont()->GetStyle(), TFontStyles({fsItalic}));

    // A column without a field is titled with its field name; a new one takes the title font.
    TColumn* Missing = Columns->Add();
    Missing->SetFieldName("Nickname");
    EXPECT_EQ(Missing->GetTitle()->GetCaption(), "Nickname");
    EXPECT_EQ(Missing->GetTitle()->GetFont()->GetSize(), 12);
}

TEST_F(DBGridTest, Cells_ShowAWindowOfRecordsThatFollowsTheDataset) {
    Table->Open();
    ASSERT_EQ(Grid->VisibleRecordCount(), 4);
    struct Step {
        const char* What;
        std::function<void()> Action;
        std::vector<int> Shown;
        int Active;
    } Steps[] = {
        {"open", [] {}, {1, 2, 3, 4}, 0},
        {"three on", [&] { Table->MoveBy(3); }, {1, 2, 3, 4}, 3},
        {"next scrolls", [&] { Table->Next(); }, {2, 3, 4, 5}, 3},
        {"three back", [&] { Table->MoveBy(-3); }, {2, 3, 4, 5}, 0},
        {"prior scrolls", [&] { Table->Prior(); }, {1, 2, 3, 4}, 0},
        {"last", [&] { Table->Last(); }, {7, 8, 9, 10}, 3},
        {"first", [&] { Table->First(); }, {1, 2, 3, 4}, 0},
        {"locate", [&] { Table->Locate("Id", "6", {}); }, {6, 7, 8, 9}, 0},
        {"three on", [&] { Table->MoveBy(3); }, {6, 7, 8, 9}, 3},
        // Id 9 is second by name: the window fills in behind it.
        {"by name", [&] { Table->SetIndexFieldNames("Name"); }, {10, 9, 8, 7}, 1},
        {"taller", [&] { Grid->SetHeight(FourRecordsHigh + 50); }, {10, 9, 8, 7, 6, 5}, 1},
        // Near the end, the window fills up with the records before the current one.
        {"back by id", [&] { Table->SetIndexFieldNames(""); }, {5, 6, 7, 8, 9, 10}, 4},
    };
    for (const Step& S : Steps) {
        SCOPED_TRACE(S.What);
        S.Action();
        EXPECT_EQ(ShownIds(), S.Shown);
        EXPECT_EQ(Grid->ActiveRecord(), S.Active);
        EXPECT_EQ(Grid->GetRow(), S.Active + 1);
        EXPECT_EQ(Grid->CellText(0, S.Active + 1), ">");
        EXPECT_EQ(Grid->CellText(1, S.Active + 1), Table->FieldByName("Id")->GetAsString());
    }
    EXPECT_EQ(Grid->CellText(2, 0), "Name");
    EXPECT_EQ(Grid->CellText(2, 1), "P06");
    EXPECT_EQ(Grid->DisplayText(0, 9), "");

    Table->Close();
    EXPECT_EQ(Grid->VisibleRecordCount(), 0);
    auto* Empty = new TQuery(Form.get());
    Empty->SetDatabaseName(Db.Path());
    Empty->GetSQL()->SetText("SELECT * FROM people WHERE Id > 100");
    Source->SetDataSet(Empty);
    Empty->Open();
    EXPECT_EQ(Grid->GetColumns()->Count(), 4);
    EXPECT_EQ(Grid->VisibleRecordCount(), 0);
}

TEST_F(DBGridTest, UserMovesTheDatasetWithClicksAndKeys) {
    Table->Open();
    Input.Click(CellCentre(2, 3).X, CellCentre(2, 3).Y);
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "3");
    EXPECT_EQ(Grid->GetRow(), 3);
    EXPECT_EQ(Grid->GetCol(), 2);
    EXPECT_TRUE(Grid->Focused());

    struct Case {
        Word Key;
        TShiftState Shift;
        const char* Current;
        std::vector<int> Shown;
    } Cases[] = {
        {VK_DOWN, {}, "4", {1, 2, 3, 4}},       {VK_DOWN, {}, "5", {2, 3, 4, 5}},
        {VK_NEXT, {}, "9", {6, 7, 8, 9}},       {VK_END, {ssCtrl}, "10", {7, 8, 9, 10}},
        {VK_UP, {}, "9", {7, 8, 9, 10}},        {VK_PRIOR, {}, "5", {5, 6, 7, 8}},
        {VK_HOME, {ssCtrl}, "1", {1, 2, 3, 4}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Current);
        Input.Press(C.Key, C.Shift);
        EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), C.Current);
        EXPECT_EQ(ShownIds(), C.Shown);
    }
    // The application's OnKeyDown comes first and may cancel the key.
    Grid->OnKeyDown = [](TObject*, Word& Key, TShiftState) { Key = 0; };
    Input.Press(VK_DOWN);
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "1");
}

TEST_F(DBGridTest, TitleClick_FiresForAPressAndReleaseOnOneTitle) {
    Table->Open();
    std::vector<String> Clicked;
    bool CtrlHeld = false;
    Grid->OnTitleClick = [&](TColumn* Column) {
        Clicked.push_back(Column->GetFieldName());
        CtrlHeld = GetKeyState(VK_CONTROL) < 0;
    };
    TPoint Name = CellCentre(2, 0);
    TPoint Born = CellCentre(3, 0);
    Input.Click(Name.X, Name.Y);
    EXPECT_EQ(Clicked, std::vector<String>{"Name"});
    EXPECT_FALSE(CtrlHeld);
    Input.Click(Born.X, Born.Y, {ssCtrl});
    EXPECT_EQ(Clicked, (std::vector<String>{"Name", "Born"}));
    EXPECT_TRUE(CtrlHeld);

    // Released elsewhere, on the indicator's title or on a record: no title click.
    Input.MouseDown(Name.X, Name.Y);
    Input.MouseUp(Born.X, Born.Y);
    TPoint Corner = CellCentre(0, 0);
    Input.Click(Corner.X, Corner.Y);
    TPoint Record = CellCentre(2, 2);
    Input.Click(Record.X, Record.Y);
    EXPECT_EQ(Clicked.size(), 2u);
    EXPECT_EQ(Table->FieldByName("Id")->GetAsString(), "2");
}

TEST_F(DBGridTest, DataSourceThatGoesAwayIsLetGo) {
    Table->Open();
    ASSERT_EQ(Grid->GetColumns()->Count(), 4);
    delete Source;
    EXPECT_EQ(Grid->GetDataSource(), nullptr);
    EXPECT_EQ(Grid->GetColumns()->Count(), 0);
    EXPECT_EQ(Grid->VisibleRecordCount(), 0);

    // A data source of another owner, and a dataset destroyed under its source.
    auto Other = std::make_unique<TComponent>(nullptr);
    auto* OtherSource = new TDataSource(Other.get());
    OtherSource->SetDataSet(Table);
    Grid->SetDataSource(OtherSource);
    EXPECT_EQ(Grid->GetColumns()->Count(), 4);
    delete Table;
    EXPECT_EQ(Grid->GetColumns()->Count(), 0);
    Other.reset();
    EXPECT_EQ(Grid->GetDataSource(), nullptr);
}
