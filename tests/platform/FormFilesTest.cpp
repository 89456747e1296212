// Reading and writing form files with the platform's own classes.
#include <gtest/gtest.h>

#include "platform/DBTables.h"
#include "platform/FormFiles.h"
#include "platform/Grids.h"
#include "platform/TypInfo.h"
#include "support/TempDatabase.h"

using namespace platform;
using testing_support::TempDatabase;

namespace {

const char* Form =
    "object CustomerForm: TForm\n"
    "  Left = 10\n"
    "  Top = 20\n"
    "  Width = 640\n"
    "  Height = 480\n"
    "  Visible = True\n"
    "  Enabled = True\n"
    "  Color = -2147483633\n"
    "  ParentFont = True\n"
    "  Caption = 'O''Brien'#232's customers'\n"
    "  object Orders: TTable\n"
    "    Active = True\n"
    "    DatabaseName = 'DBPATH'\n"
    "    TableName = 'orders'\n"
    "    IndexFieldNames = 'CustNo;OrderNo'\n"
    "    MasterSource = CustomerSource\n"
    "    MasterFields = 'CustNo'\n"
    "  end\n"
    "  object Customers: TTable\n"
    "    Active = True\n"
    "    DatabaseName = 'DBPATH'\n"
    "    TableName = 'customer'\n"
    "    IndexFieldNames = ''\n"
    "    MasterSource = nil\n"
    "    MasterFields = ''\n"
    "  end\n"
    "  object CustomerSource: TDataSource\n"
    "    DataSet = Customers\n"
    "  end\n"
    "  object Lookup: TQuery\n"
    "    Active = False\n"
    "    DatabaseName = 'DBPATH'\n"
    "    SQL = (\n"
    "      'SELECT *'\n"
    "      'FROM customer')\n"
    "  end\n"
    "  object Grid: TStringGrid\n"
    "    Left = 8\n"
    "    Top = 8\n"
    "    Width = 300\n"
    "    Height = 200\n"
    "    Visible = True\n"
    "    Enabled = True\n"
    "    Color = -2147483643\n"
    "    ParentFont = True\n"
    "    ColCount = 5\n"
    "    RowCount = 3\n"
    "    FixedCols = 1\n"
    "    FixedRows = 1\n"
    "    DefaultColWidth = 64\n"
    "    DefaultRowHeight = 21\n"
    "    Options = [goFixedVertLine, goFixedHorzLine, goColSizing]\n"
    "    object Search: TEdit\n"
    "      Left = 2\n"
    "      Top = 2\n"
    "      Width = 121\n"
    "      Height = 21\n"
    "      Visible = False\n"
    "      Enabled = True\n"
    "      Color = -2147483643\n"
    "      ParentFont = True\n"
    "      Text = ''\n"
    "    end\n"
    "  end\n"
    "end\n";

std::string WithPath(std::string Text, const std::string& Path) {
    for (size_t At; (At = Text.find("DBPATH")) != std::string::npos;)
        Text.replace(At, 6, Path);
    return Text;
}

class FormFilesTest : public ::testing::Test {
  protected:
    FormFilesTest()
        : Db("CREATE TABLE customer (CustNo INTEGER PRIMARY KEY, Name TEXT);"
             "CREATE TABLE orders (OrderNo INTEGER PRIMARY KEY, CustNo INTEGER);"
             "CREATE INDEX orders_cust ON orders (CustNo, OrderNo);"
             "INSERT INTO customer VALUES (1, 'A'), (2, 'B');"
             "INSERT INTO orders VALUES (10, 1), (11, 2), (12, 2);") {}
    TempDatabase Db;
    TComponent Application{nullptr};
};

}  // namespace

TEST_F(FormFilesTest, RoundTripGivesTheSameText) {
    std::string Text = WithPath(Form, Db.Path());
    TComponent* Root = ReadFormText(Text, &Application);
    EXPECT_EQ(WriteFormText(Root), Text);
    delete Root;
}

TEST_F(FormFilesTest, ReadingMakesLinksOpensAfterLoadingAndNestsControls) {
    auto* Root = dynamic_cast<TForm*>(ReadFormText(WithPath(Form, Db.Path()), &Application));
    ASSERT_NE(Root, nullptr);
    EXPECT_EQ(Root->GetOwner(), &Application);
    EXPECT_EQ(Root->GetText(), "O'Brien\xE8s customers");
    auto* Orders = dynamic_cast<TTable*>(Root->FindComponent("Orders"));
    auto* Source = dynamic_cast<TDataSource*>(Root->FindComponent("CustomerSource"));
    ASSERT_NE(Orders, nullptr);
    // The detail was read before its master source existed, and opened after all loaded.
    EXPECT_EQ(Orders->GetMasterSource(), Source);
    EXPECT_TRUE(Orders->GetActive());
    EXPECT_EQ(Orders->RecordCount(), 1);
    EXPECT_FALSE(Orders->GetComponentState().Contains(csLoading));
    auto* Query = dynamic_cast<TQuery*>(Root->FindComponent("Lookup"));
    EXPECT_EQ(Query->GetSQL()->GetText(), "SELECT *\nFROM customer\n");
    auto* Grid = dynamic_cast<TStringGrid*>(Root->FindComponent("Grid"));
    auto* Search = dynamic_cast<TEdit*>(Root->FindComponent("Search"));
    EXPECT_EQ(Search->GetParent(), Grid);
    EXPECT_EQ(Grid->GetParent(), Root);
    EXPECT_EQ(Grid->GetOptions(), (TGridOptions{goFixedVertLine, goFixedHorzLine, goColSizing}));
    delete Root;
}

TEST_F(FormFilesTest, DesigningFormsAreDesigningThroughout) {
    TComponent* Root = ReadFormText(WithPath(Form, Db.Path()), &Application, true);
    EXPECT_TRUE(Root->GetComponentState().Contains(csDesigning));
    EXPECT_TRUE(Root->FindComponent("Grid")->GetComponentState().Contains(csDesigning));
    delete Root;
}

TEST_F(FormFilesTest, BadFormsNameTheLineAndLeaveNothingBehind) {
    struct Case {
        std::string From;  // replaced in the good form by To
        std::string To;
        std::string Message;
    } Cases[] = {
        {"object Lookup: TQuery", "object Lookup: TNoSuchClass",
         "Line 30: unknown class TNoSuchClass of Lookup"},
        {"    TableName = 'customer'", "    TableNam = 'customer'",
         "Line 22: Customers.TableNam: unknown property of TTable"},
        {"    ColCount = 5", "    ColCount = 'five'", "Line 46: Grid.ColCount: a number expected"},
        {"    Active = True\n    DatabaseName = 'DBPATH'\n    TableName = 'customer'",
         "    Active = Yes\n    DatabaseName = 'DBPATH'\n    TableName = 'customer'",
         "Line 20: Customers.Active: True or False expected"},
        {"    DataSet = Customers", "    DataSet = Clients",
         "Line 28: CustomerSource.DataSet: unknown component Clients"},
        {"    DataSet = Customers", "    DataSet = Grid",
         "Line 28: CustomerSource.DataSet: Invalid value for property DataSet: a TStringGrid is "
         "not of the property's class"},
        {"    Options = [goFixedVertLine, goFixedHorzLine, goColSizing]",
         "    Options = [goFixedVertLine, goSideways]",
         "Line 52: Grid.Options: goSideways is not a member of TGridOptions"},
        {"    FixedCols = 1", "    FixedCols = 7",
         "Line 48: Grid.FixedCols: Fixed column count must be less than column count"},
        {"object Grid: TStringGrid", "object Orders: TStringGrid",
         "Line 37: A component named Orders already exists"},
        {"      Text = ''\n    end\n  end\nend\n", "      Text = ''\n    end\n  end\n",
         "Line 1: object CustomerForm has no end"},
        {"    TableName = 'orders'", "    TableName = 'orders", "Line 14: unterminated string"},
        {"    TableName = 'orders'", "    TableName = 'nothing'",
         "Line 11: Orders: Table 'nothing' does not exist in database 'DBPATH'"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.To);
        std::string Text = WithPath(Form, Db.Path());
        std::string From = WithPath(C.From, Db.Path());
        size_t At = Text.find(From);
        ASSERT_NE(At, std::string::npos);
        Text.replace(At, From.size(), WithPath(C.To, Db.Path()));
        try {
            ReadFormText(Text, &Application);
            ADD_FAILURE() << "read";
        } catch (const EFormFileError& E) {
            EXPECT_EQ(E.Message(), WithPath(C.Message, Db.Path()));
        }
        EXPECT_EQ(Application.ComponentCount(), 0);
    }
}

TEST(ClassRegistry, DescribesPlatformClassesAndTheirDescendants) {
    const TClassInfo* Table = FindClassInfo("ttable");
    ASSERT_NE(Table, nullptr);
    EXPECT_TRUE(Table->InheritsFrom(FindClassInfo("TDataSet")));
    EXPECT_NE(Table->FindProperty("databasename"), nullptr);
    EXPECT_EQ(Table->FindProperty("Nothing"), nullptr);
    class TMyEdit : public TEdit {
      public:
        using TEdit::TEdit;
    };
    TMyEdit Edit(nullptr);
    EXPECT_EQ(ClassInfoOf(&Edit), FindClassInfo("TEdit"));
    EXPECT_FALSE(FindClassInfo("TControl")->CanCreate());
}
