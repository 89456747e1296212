// The filter grid on server data: a PostgreSQL table (scripts/with-postgres.sh starts the
// server) gets its value list from the unquoted query, a server query is scanned, and the
// expression of a server table's rows is the same as of a local one's.
#include <memory>

#include "FilterGridFixture.h"
#include "support/TestDatabase.h"

using namespace filtergrid_test;

namespace {

// Each test works in a database of its own on the server, reached through an alias.
class FilterGridPostgresTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Db = std::make_unique<testing_support::TPostgresTestDatabase>(
            "CREATE TABLE towns (id integer PRIMARY KEY, city varchar(30), amount integer);"
            "INSERT INTO towns VALUES (1, 'Paris', 10), (2, 'Rome', 20), (3, 'Paris', 30),"
            " (4, 'Oslo', NULL), (5, NULL, 50);"
            "CREATE TABLE \"Places\" (\"Id\" integer PRIMARY KEY, \"Town Name\" varchar(30));"
            "INSERT INTO \"Places\" VALUES (1, 'Lyon'), (2, 'Bern'), (3, 'Lyon')");
        Alias = Db->DatabaseName();
        Form->SetBounds(0, 0, 800, 600);
        Grid = new TDBFilterGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(10, 10, Grid->GetWidth(), 200);
        Source = new TDataSource(Form);
    }

    void TearDown() override {
        FormOwner.reset();
        Db.reset();
    }

    TQuery* ValueQuery() const {
        for (int I = 0; I < Grid->ComponentCount(); ++I)
            if (auto* Query = dynamic_cast<TQuery*>(Grid->Components(I)))
                return Query;
        return nullptr;
    }
    TDBFilterGridComboBox* Editor() const {
        for (int I = 0; I < Grid->ComponentCount(); ++I)
            if (auto* E = dynamic_cast<TDBFilterGridComboBox*>(Grid->Components(I)))
                return E;
        return nullptr;
    }
    // Opens the value list of the first row, whose field cell holds FieldCell.
    std::vector<std::string> ValueList(const std::string& FieldCell) {
        Grid->SetCells(1, 1, FieldCell);
        auto MoveToCell = [&](int Col, int Row) {
            TRect R = Grid->CellRect(Col, Row);
            TPoint P = Grid->ClientToForm({(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2});
            Input.MouseMove(P.X, P.Y);
        };
        MoveToCell(3, 0);  // the title row hides the editor, and with it its list
        MoveToCell(3, 1);
        Input.OpenList(*Editor());
        std::vector<std::string> Items;
        for (int I = 0; I < Editor()->GetItems()->Count(); ++I)
            Items.push_back(Editor()->GetItems()->Get(I));
        return Items;
    }

    std::unique_ptr<testing_support::TPostgresTestDatabase> Db;
    std::string Alias;
    TForm* Form = new TForm(nullptr);
    std::unique_ptr<TForm> FormOwner{Form};
    TInput Input{*Form};
    TDBFilterGrid* Grid = nullptr;
    TDataSource* Source = nullptr;
};

}  // namespace

TEST_F(FilterGridPostgresTest, ServerTableValuesComeFromTheUnquotedQuery) {
    auto* Towns = new TTable(Form);
    Towns->SetDatabaseName(Alias);
    Towns->SetTableName("towns");
    Source->SetDataSet(Towns);
    Towns->Open();
    ASSERT_FALSE(Towns->IsSequenced());
    Grid->SetDataSource(Source);
    EXPECT_EQ(Grid->GetFilterKind(), fkSimple);
    EXPECT_EQ(ValueQuery()->GetDatabaseName(), Alias);

    EXPECT_EQ(ValueList("City"), (std::vector<std::string>{"Oslo", "Paris", "Rome", ""}));
    // The field as the server names it: unquoted, the server folds names to small letters.
    EXPECT_EQ(ValueQuery()->GetSQL()->Get(0), "SELECT DISTINCT city FROM towns ORDER BY city");
    EXPECT_FALSE(ValueQuery()->GetLocal());
    EXPECT_EQ(ValueList("[amount]"), (std::vector<std::string>{"10", "20", "30", "50", ""}));
    EXPECT_EQ(ValueQuery()->GetSQL()->Get(0), "SELECT DISTINCT amount FROM towns ORDER BY amount");

    Towns->Close();
    EXPECT_FALSE(ValueQuery()->GetActive());
}

TEST_F(FilterGridPostgresTest, ServerNamesWithCapitalsOrBlanksAreQuoted) {
    auto* Places = new TTable(Form);
    Places->SetDatabaseName(Alias);
    Places->SetTableName("Places");
    Source->SetDataSet(Places);
    Places->Open();
    Grid->SetDataSource(Source);
    EXPECT_EQ(ValueList("[town name]"), (std::vector<std::string>{"Bern", "Lyon"}));
    EXPECT_EQ(ValueQuery()->GetSQL()->Get(0),
              "SELECT DISTINCT \"Town Name\" FROM \"Places\" ORDER BY \"Town Name\"");
}

TEST_F(FilterGridPostgresTest, ServerRowsGiveTheSameExpression) {
    auto* Towns = new TTable(Form);
    Towns->SetDatabaseName(Alias);
    Towns->SetTableName("towns");
    Source->SetDataSet(Towns);
    Towns->Open();
    Grid->SetDataSource(Source);
    Grid->SetFilterKind(fkSQL);
    Grid->SetFilterGridOptions({fgoCorrect, fgoNonTableValueList, fgoStrictOperators});
    Grid->SetRowCount(3);
    const char* Rows[2][4] = {{"city", "", "Par*", "or"}, {"amount", ">=", "30", ""}};
    for (int R = 0; R < 2; ++R)
        for (int C = 0; C < 4; ++C)
            Grid->SetCells(1 + C, 1 + R, Rows[R][C]);
    EXPECT_EQ(Grid->GetFilterExpression(), "UPPER(city) STARTING WITH 'PAR' OR amount >= 30");
}

TEST_F(FilterGridPostgresTest, ServerQueryIsScannedAndKeepsItsPosition) {
    auto* Query = new TQuery(Form);
    Query->SetDatabaseName(Alias);
    Query->GetSQL()->SetText("SELECT id, city FROM towns ORDER BY id");
    Source->SetDataSet(Query);
    Query->Open();
    Query->Next();
    Query->Next();
    Grid->SetDataSource(Source);
    EXPECT_EQ(Grid->GetFilterKind(), fkSQL);  // not a local query
    EXPECT_EQ(ValueList("city"), (std::vector<std::string>{"", "Oslo", "Paris", "Rome"}));
    EXPECT_EQ(Query->FieldByName("id")->GetAsString(), "3");
    EXPECT_FALSE(Query->ControlsDisabled());
    EXPECT_FALSE(ValueQuery()->GetActive());
}
