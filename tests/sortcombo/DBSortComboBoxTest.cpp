// The sort combo box driven as a user drives it, on real SQLite tables and queries: the
// offered orders, applying a picked or typed order, failures, and following the table.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/DBTables.h"
#include "support/ComboItems.h"
#include "support/TempDatabase.h"
#include "varn/sortcombo/DBSortComboBox.h"

using namespace platform;
using namespace varn;
using testing_support::TempDatabase;

using testing_support::ItemsOf;

namespace {

const char* Schema =
    "CREATE TABLE customer (CustNo INTEGER PRIMARY KEY, Name VARCHAR(30), City VARCHAR(30),"
    " Photo BLOB);"
    "CREATE INDEX customer_name ON customer (Name);"
    "CREATE INDEX customer_city_name ON customer (City, Name);"
    "CREATE INDEX customer_name_city ON customer (Name, City, CustNo);"
    "CREATE INDEX customer_name_again ON customer (Name);"
    "CREATE TABLE orders (OrderNo INTEGER PRIMARY KEY, CustNo INTEGER, SaleDate DATE);"
    "CREATE INDEX orders_cust_order ON orders (CustNo, OrderNo);"
    "CREATE INDEX orders_saledate ON orders (SaleDate);"
    "CREATE INDEX orders_cust_date ON orders (CustNo, SaleDate);"
    "INSERT INTO customer VALUES (1, 'Adams', 'Oslo', NULL), (2, 'Baker', 'Rome', NULL),"
    " (3, 'Carter', 'Lima', NULL);"
    "INSERT INTO orders VALUES (10, 1, '2024-03-01'), (11, 1, '2024-01-05'),"
    " (12, 2, '2024-02-02');";

class SortComboBoxTest : public ::testing::Test {
  protected:
    SortComboBoxTest() : Db(Schema) {
        Form->SetBounds(0, 0, 400, 300);
        Customers = MakeTable("customer");
        CustomerSource = new TDataSource(Form);
        CustomerSource->SetDataSet(Customers);
        Combo = new TDBSortComboBox(Form);
        Combo->SetName("SortCombo");
        Combo->SetParent(Form);
        Combo->SetOnSort([this](TObject* Sender, TDataSet* DataSet, const String& Fields) {
            EXPECT_EQ(Sender, Combo);
            Log.push_back("OnSort " + (DataSet != nullptr ? DataSet->GetName() : "(none)") + " " +
                          Fields);
        });
        Combo->SetAfterSortChange([this](TDataSet* DataSet) {
            Log.push_back("AfterSortChange " + DataSet->GetName() + " " + Combo->GetText());
        });
    }

    TTable* MakeTable(const char* Name, const char* Order = "") {
        auto* Table = new TTable(Form);
        Table->SetName(Name);
        Table->SetDatabaseName(Db.Path());
        Table->SetTableName(Name);
        Table->SetIndexFieldNames(Order);
        return Table;
    }

    // Replaces the combo box's text by typing, as a user would.
    void Retype(const String& Text) {
        Input.ClickOn(*Combo);
        for (size_t I = Combo->GetText().size(); I > 0; --I)
            Input.Press(VK_BACK);
        Input.TypeText(Text);
    }

    TempDatabase Db;
    TForm* Form = new TForm(nullptr);
    std::unique_ptr<TForm> FormOwner{Form};
    TInput Input{*Form};
    TTable* Customers = nullptr;
    TDataSource* CustomerSource = nullptr;
    TDBSortComboBox* Combo = nullptr;
    std::vector<String> Log;
};

}  // namespace

TEST_F(SortComboBoxTest, LocalTable_OffersItsIndexesWhenTheListOpens) {
    Customers->Open();
    Combo->SetDataSource(CustomerSource);
    EXPECT_EQ(Combo->GetText(), "CustNo");  // the current order is shown at once
    std::vector<String> SeenInOnDropDown;
    Combo->OnDropDown = [&](TObject*) { SeenInOnDropDown = ItemsOf(*Combo); };
    Input.OpenList(*Combo);
    std::vector<String> Expected{"CustNo", "Name", "City;Name", "Name;City;CustNo", "Name"};
    EXPECT_EQ(ItemsOf(*Combo), Expected);
    EXPECT_EQ(SeenInOnDropDown, Expected);
}

TEST_F(SortComboBoxTest, NoDataSet_ListKeepsItsEntries) {
    Combo->GetItems()->Append("kept");
    Input.OpenList(*Combo);  // no data source
    Input.PickListItem(*Combo, 0);
    EXPECT_TRUE(Log.empty());  // nobody to tell: no OnSort
    Input.OpenList(*Combo);
    CustomerSource->SetDataSet(nullptr);
    Combo->SetDataSource(CustomerSource);  // a data source without a dataset
    Input.PickListItem(*Combo, 0);
    Input.OpenList(*Combo);
    EXPECT_EQ(ItemsOf(*Combo), std::vector<String>{"kept"});
    // The application still hears of the choice, with no dataset to apply it to.
    Log.clear();
    Input.PickListItem(*Combo, 0);
    EXPECT_EQ(Log, std::vector<String>{"OnSort (none) kept"});
}

TEST_F(SortComboBoxTest, IndexesUnreadable_ListKeepsItsEntriesAndTheErrorReachesTheUser) {
    Combo->SetDataSource(CustomerSource);
    Input.OpenList(*Combo);  // a closed table offers its indexes too
    Combo->SetDroppedDown(false);
    Customers->SetTableName("missing");
    EXPECT_THROW(Input.OpenList(*Combo), EDatabaseError);
    EXPECT_EQ(Combo->GetItems()->Count(), 5);
    Customers->SetTableName("orders");
    Input.OpenList(*Combo);
    EXPECT_EQ(ItemsOf(*Combo),
              (std::vector<String>{"OrderNo", "CustNo;OrderNo", "SaleDate", "CustNo;SaleDate"}));
}

TEST_F(SortComboBoxTest, PickingAnEntry_SortsTheTableThenFiresOnSort) {
    Customers->Open();
    Combo->SetDataSource(CustomerSource);
    Input.ClickOn(*Combo);
    Input.OpenList(*Combo);
    Input.PickListItem(*Combo, 2);
    EXPECT_EQ(Customers->GetIndexFieldNames(), "City;Name");
    EXPECT_EQ(Combo->GetText(), "City;Name");
    std::vector<String> Expected{"AfterSortChange customer City;Name", "OnSort customer City;Name"};
    EXPECT_EQ(Log, Expected);

    // The arrow keys pick the next entry and sort by it too.
    Log.clear();
    Input.Press(VK_DOWN);
    EXPECT_EQ(Customers->GetIndexFieldNames(), "Name;City;CustNo");
    EXPECT_EQ(Combo->GetItemIndex(), 3);
    Expected = {"AfterSortChange customer Name;City;CustNo", "OnSort customer Name;City;CustNo"};
    EXPECT_EQ(Log, Expected);
}

TEST_F(SortComboBoxTest, TypedOrderAndReturn_SortsAndOnSortSeesTheOrderAsReported) {
    Customers->Open();
    Combo->SetDataSource(CustomerSource);
    Retype("name");
    EXPECT_TRUE(Log.empty());  // typing alone does not sort
    Input.Press(VK_RETURN);
    EXPECT_EQ(Customers->GetIndexFieldNames(), "name");
    EXPECT_EQ(Combo->GetText(), "Name");  // as the table spells it
    std::vector<String> Expected{"AfterSortChange customer Name", "OnSort customer Name"};
    EXPECT_EQ(Log, Expected);

    // An application that cancels Return stops the sort.
    Combo->OnKeyDown = [](TObject*, Word& Key, TShiftState) {
        if (Key == VK_RETURN)
            Key = 0;
    };
    Log.clear();
    Retype("City");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Customers->GetIndexFieldNames(), "name");
    EXPECT_TRUE(Log.empty());
}

TEST_F(SortComboBoxTest, EmptyTextWithoutMaster_SortsByTheDefaultOrder) {
    Customers->SetIndexFieldNames("Name");
    Customers->Open();
    Combo->SetDataSource(CustomerSource);
    Retype("");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Customers->GetIndexFieldNames(), "");
    EXPECT_EQ(Combo->GetText(), "CustNo");  // the primary key, as reported
}

TEST_F(SortComboBoxTest, DetailTable_KeepsTheMasterFieldsInFront) {
    TTable* Orders = MakeTable("orders", "CustNo;OrderNo");
    Orders->SetMasterSource(CustomerSource);
    Orders->SetMasterFields("CustNo");
    auto* OrderSource = new TDataSource(Form);
    OrderSource->SetDataSet(Orders);
    Customers->Open();
    Orders->Open();
    Combo->SetDataSource(OrderSource);
    Input.OpenList(*Combo);
    EXPECT_EQ(ItemsOf(*Combo), (std::vector<String>{"CustNo;OrderNo", "CustNo;SaleDate"}));
    Input.PickListItem(*Combo, 1);
    EXPECT_EQ(Orders->GetIndexFieldNames(), "CustNo;SaleDate");

    struct Case {
        const char* Typed;
        const char* Applied;
    } Cases[] = {
        {"OrderNo", "CustNo;OrderNo"},
        {"", "CustNo"},
        {"CustNo;SaleDate", "CustNo;SaleDate"},
        {"CustNo", "CustNo"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Typed);
        Log.clear();
        Retype(C.Typed);
        Input.Press(VK_RETURN);
        EXPECT_EQ(Orders->GetIndexFieldNames(), C.Applied);
        EXPECT_EQ(Combo->GetText(), C.Applied);
        EXPECT_EQ(Log.back(), "OnSort orders " + String(C.Applied));
    }
}

TEST_F(SortComboBoxTest, Query_OffersDataFieldsAndOnlyFiresOnSort) {
    auto* Query = new TQuery(Form);
    Query->SetName("query");
    Query->SetDatabaseName(Db.Path());
    Query->GetSQL()->SetText("SELECT Name, CustNo, Photo FROM customer");
    auto* Calculated = new TField(Form);
    Calculated->SetFieldName("Label");
    Calculated->SetFieldKind(fkCalculated);
    Calculated->SetDataType(ftString);
    Calculated->SetDataSet(Query);
    Query->Open();
    CustomerSource->SetDataSet(Query);
    Combo->SetText("unchanged");
    Combo->SetDataSource(CustomerSource);
    EXPECT_EQ(Combo->GetText(), "unchanged");
    Input.OpenList(*Combo);
    EXPECT_EQ(ItemsOf(*Combo), (std::vector<String>{"Name", "CustNo"}));
    Input.PickListItem(*Combo, 1);
    EXPECT_EQ(Log, std::vector<String>{"OnSort query CustNo"});
    Query->Close();
    Query->Open();
    EXPECT_EQ(Log.size(), 1u);  // no AfterSortChange for a query
}

TEST_F(SortComboBoxTest, FailingOrder_IsUndoneAndReachesTheUser) {
    for (bool Reopen : {true, false}) {
        SCOPED_TRACE(Reopen);
        Customers->SetIndexFieldNames("City;Name");
        Combo->SetDataSource(CustomerSource);
        Customers->Open();  // the combo box learns the order
        Combo->SetReopenAfterError(Reopen);
        Log.clear();
        Retype("City;CustNo");  // no index begins with these fields
        EXPECT_THROW(Input.Press(VK_RETURN), EDatabaseError);
        EXPECT_EQ(Customers->GetIndexFieldNames(), "City;Name");
        EXPECT_EQ(Customers->GetActive(), Reopen);
        EXPECT_EQ(Combo->GetText(), "City;CustNo");  // not set back
        EXPECT_TRUE(Log.empty());                    // no OnSort
        Customers->Close();
    }
}

TEST_F(SortComboBoxTest, OrderChangedElsewhere_SelectsTheBestEntryAndShowsTheOrder) {
    Customers->Open();
    Combo->SetDataSource(CustomerSource);
    Input.OpenList(*Combo);  // CustNo, Name, City;Name, Name;City;CustNo, Name
    Combo->SetDroppedDown(false);
    struct Case {
        const char* Order;
        int ItemIndex;
    } Cases[] = {
        {"Name", 1},              // the equal entry; the scan stops there
        {"Name;City", 4},         // not listed: the last entry equal to its first field
        {"City;Name", 2},         //
        {"Name;City;CustNo", 3},  // the equal entry wins over an earlier first field
        {"City", 3},              // nothing fits: the selection stays
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Order);
        Log.clear();
        Customers->SetIndexFieldNames(C.Order);
        EXPECT_EQ(Combo->GetItemIndex(), C.ItemIndex);
        EXPECT_EQ(Combo->GetText(), C.Order);
        EXPECT_EQ(Log, std::vector<String>{"AfterSortChange customer " + String(C.Order)});
    }

    // Without AutoUpdate the combo box does not follow; switching it on shows the order.
    Combo->SetAutoUpdate(false);
    Log.clear();
    Customers->SetIndexFieldNames("Name");
    EXPECT_EQ(Combo->GetText(), "City");
    EXPECT_EQ(Combo->GetItemIndex(), 3);
    EXPECT_TRUE(Log.empty());
    Combo->SetAutoUpdate(true);
    EXPECT_EQ(Combo->GetText(), "Name");
}

TEST_F(SortComboBoxTest, DataSourceRemoved_IsForgotten) {
    for (bool OtherOwner : {false, true}) {
        SCOPED_TRACE(OtherOwner);
        TComponent ForeignOwner(nullptr);
        auto* Source = new TDataSource(OtherOwner ? &ForeignOwner : Form);
        Source->SetDataSet(Customers);
        Combo->SetDataSource(Source);
        delete Source;
        EXPECT_EQ(Combo->GetDataSource(), nullptr);
        Combo->GetItems()->Clear();
        Input.OpenList(*Combo);
        EXPECT_EQ(Combo->GetItems()->Count(), 0);
        Combo->SetDroppedDown(false);
    }
}
