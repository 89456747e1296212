// One title click followed from end to end: a grid, a title sort, a sort combo box and a
// locate edit on one local table; the click re-sorts the table, and every component on the
// data source follows.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/DBGrids.h"
#include "platform/DBTables.h"
#include "support/TempDatabase.h"
#include "varn/locateedit/DBLocateEdit.h"
#include "varn/sortcombo/DBSortComboBox.h"
#include "varn/titlesort/DBGridTitleSort.h"

using namespace platform;
using namespace varn;
using testing_support::TempDatabase;

namespace {

const char* Schema =
    "CREATE TABLE customer (CustNo INTEGER PRIMARY KEY, Name VARCHAR(30), City VARCHAR(30));"
    "CREATE INDEX customer_name_city ON customer (Name, City);"
    "CREATE INDEX customer_city ON customer (City);"
    "INSERT INTO customer VALUES (1, 'Adams', 'Rome'), (2, 'Baker', 'Oslo'),"
    " (3, 'Romero', 'Lima'), (4, 'Carter', 'Bern');";

// Lets the test see whether a title click is being handled.
class TProbedTitleSort : public TDBGridTitleSort {
  public:
    using TDBGridTitleSort::TDBGridTitleSort;
    bool IsSorting() const { return Sorting; }
};

// The form of the scenario, as a form file would make it: the components are created, then
// loading ends and the title sort registers the form's grid.
struct TitleClickForm {
    explicit TitleClickForm(const String& DatabasePath) {
        Form->SetBounds(0, 0, 640, 480);
        Table = new TTable(Form);
        Table->SetName("Customers");
        Table->SetDatabaseName(DatabasePath);
        Table->SetTableName("customer");
        Table->SetIndexFieldNames("Name");
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 400, 200);
        Grid->SetDataSource(Source);
        TitleSort = new TProbedTitleSort(Form);
        Combo = new TDBSortComboBox(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(0, 220, 150, 21);
        Combo->SetDataSource(Source);
        Edit = new TDBLocateEdit(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(0, 260, 150, 21);
        Edit->SetDataSource(Source);
        Edit->SetAutoUpdate(true);
        TitleSort->BeginLoading();
        Table->Open();
        TitleSort->EndLoading();
        Table->Next();  // on Baker
    }

    TFont* TitleFont(int DataColumn) const {
        return Grid->GetColumns()->GetColumn(DataColumn)->GetTitle()->GetFont();
    }
    bool Marked(int DataColumn) const {
        return TitleFont(DataColumn)->GetColor() == clRed &&
               TitleFont(DataColumn)->GetStyle().Contains(fsBold);
    }
    // Clicks the title of a data column with the mouse.
    void ClickTitle(int DataColumn, TShiftState Shift) {
        TRect Cell = Grid->CellRect(DataColumn + 1, 0);
        TPoint P = Grid->ClientToForm({Cell.Left + 3, Cell.Top + 3});
        Input.Click(P.X, P.Y, Shift);
    }
    // Replaces the locate edit's text by typing.
    void TypeIntoEdit(const String& Text) {
        Input.ClickOn(*Edit);
        for (size_t I = Edit->GetText().size(); I > 0; --I)
            Input.Press(VK_BACK);
        Input.TypeText(Text);
    }
    String CurrentName() const { return Table->FieldByName("Name")->GetAsString(); }

    TForm* Form = new TForm(nullptr);
    std::unique_ptr<TForm> FormOwner{Form};
    TInput Input{*Form};
    TTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TDBGrid* Grid = nullptr;
    TProbedTitleSort* TitleSort = nullptr;
    TDBSortComboBox* Combo = nullptr;
    TDBLocateEdit* Edit = nullptr;
};

enum : int { CustNoColumn, NameColumn, CityColumn };

}  // namespace

TEST(TitleClickRoad, ClickOnCityTitle_EveryComponentOnTheSourceFollows) {
    TempDatabase Db(Schema);
    struct Case {
        TShiftState Shift;
        const char* NewOrder;
        bool NameMarked;
        const char* EditShows;  // the current record's value of the first sort field
        const char* FoundByRo;  // the record that typing "ro" finds
    } Cases[] = {
        {{}, "City", false, "Oslo", "Adams"},              // City Rome
        {{ssCtrl}, "Name;City", true, "Baker", "Romero"},  // Name Romero
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.NewOrder);
        TitleClickForm F(Db.Path());
        ASSERT_TRUE(F.TitleSort->IsRegistered(F.Grid));
        ASSERT_TRUE(F.Marked(NameColumn));
        ASSERT_FALSE(F.Marked(CityColumn));
        ASSERT_EQ(F.Combo->GetText(), "Name");
        ASSERT_EQ(F.Edit->GetText(), "Baker");
        TColor PlainTitleColor = F.TitleFont(CityColumn)->GetColor();

        std::vector<String> Log;
        String Returned;
        // 1. The application's title-click handler calls Execute with the clicked column.
        F.Grid->OnTitleClick = [&](TColumn* Column) {
            Log.push_back("click " + Column->GetFieldName());
            Returned = F.TitleSort->Execute(Column);
            Log.push_back("returned");
        };
        // 4. The combo box follows while the title sort is still sorting.
        F.Combo->SetAfterSortChange([&](TDataSet* DataSet) {
            EXPECT_EQ(DataSet, F.Table);
            EXPECT_TRUE(F.TitleSort->IsSorting());
            Log.push_back("combo " + F.Combo->GetText());
        });
        // 6. OnSort comes last, with the titles already marked.
        F.TitleSort->SetOnSort(
            [&](TObject* Sender, TCustomGrid* Grid, TDataSet* DataSet, const String& Fields) {
                EXPECT_EQ(Sender, F.TitleSort);
                EXPECT_EQ(Grid, F.Grid);
                EXPECT_EQ(DataSet, F.Table);
                EXPECT_TRUE(F.TitleSort->IsSorting());
                EXPECT_TRUE(F.Marked(CityColumn));
                Log.push_back("OnSort " + Fields);
            });

        F.ClickTitle(CityColumn, C.Shift);

        // 2, 3. The new order, checked against the indexes, is the table's order.
        EXPECT_EQ(F.Table->GetIndexFieldNames(), C.NewOrder);
        EXPECT_EQ(ExtractSortFieldNames(F.Table), C.NewOrder);
        EXPECT_EQ(F.CurrentName(), "Baker");  // the current record stays
        std::vector<String> Expected{"click City", "combo " + String(C.NewOrder),
                                     "OnSort " + String(C.NewOrder), "returned"};
        EXPECT_EQ(Log, Expected);
        // 4. The combo box shows the order; the locate edit shows and searches the first
        // sort field.
        EXPECT_EQ(F.Combo->GetText(), C.NewOrder);
        EXPECT_EQ(F.Edit->GetText(), C.EditShows);
        F.TypeIntoEdit("ro");
        EXPECT_EQ(F.CurrentName(), C.FoundByRo);
        // 5. The grid stays registered; its titles show the new order only.
        EXPECT_TRUE(F.TitleSort->IsRegistered(F.Grid));
        EXPECT_TRUE(F.Marked(CityColumn));
        EXPECT_EQ(F.Marked(NameColumn), C.NameMarked);
        if (!C.NameMarked) {
            EXPECT_EQ(F.TitleFont(NameColumn)->GetColor(), PlainTitleColor);  // put back
        }
        EXPECT_FALSE(F.Marked(CustNoColumn));
        // 6. Execute gave the order and is done.
        EXPECT_EQ(Returned, C.NewOrder);
        EXPECT_FALSE(F.TitleSort->IsSorting());
    }
}
