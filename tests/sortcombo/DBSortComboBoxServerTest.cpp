// The sort combo box on PostgreSQL tables (scripts/with-postgres.sh starts the server):
// server tables are offered their fields, or with StrictServerIndexing their indexes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/DBTables.h"
#include "support/ComboItems.h"
#include "support/TestDatabase.h"
#include "varn/sortcombo/DBSortComboBox.h"

using namespace platform;
using namespace varn;

using testing_support::ItemsOf;

namespace {

// Each test works in a database of its own on the server, reached through an alias.
class SortComboBoxServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Db = std::make_unique<testing_support::TPostgresTestDatabase>(
            "CREATE TABLE customer (\"CustNo\" INTEGER PRIMARY KEY, \"Name\" VARCHAR(30),"
            " \"City\" VARCHAR(30), \"Notes\" memo);"
            "CREATE INDEX customer_name ON customer (\"Name\");"
            "CREATE INDEX customer_city_name ON customer (\"City\", \"Name\");"
            "CREATE TABLE orders (\"OrderNo\" INTEGER PRIMARY KEY, \"CustNo\" INTEGER,"
            " \"SaleDate\" DATE);"
            "CREATE INDEX orders_cust_order ON orders (\"CustNo\", \"OrderNo\");"
            "INSERT INTO customer VALUES (1, 'Carter', 'Rome', NULL), (2, 'Adams', 'Oslo', NULL),"
            " (3, 'Baker', 'Lima', NULL);"
            "INSERT INTO orders VALUES (10, 1, '2024-03-01'), (11, 1, '2024-01-05'),"
            " (12, 2, '2024-02-02')");

        Form->SetBounds(0, 0, 400, 300);
        Customers = MakeTable("customer");
        CustomerSource = new TDataSource(Form);
        CustomerSource->SetDataSet(Customers);
        Combo = new TDBSortComboBox(Form);
        Combo->SetParent(Form);
        Combo->SetOnSort([this](TObject*, TDataSet*, const String& Fields) {
            Log.push_back("OnSort " + Fields);
        });
        Combo->SetAfterSortChange(
            [this](TDataSet*) { Log.push_back("AfterSortChange " + Combo->GetText()); });
    }

    void TearDown() override {
        FormOwner.reset();
        Db.reset();
    }

    TTable* MakeTable(const char* Name) {
        auto* Table = new TTable(Form);
        Table->SetDatabaseName(Db->DatabaseName());
        Table->SetTableName(Name);
        return Table;
    }

    void Retype(const String& Text) {
        Input.ClickOn(*Combo);
        for (size_t I = Combo->GetText().size(); I > 0; --I)
            Input.Press(VK_BACK);
        Input.TypeText(Text);
    }

    String Names() {
        String Result;
        for (Customers->First(); !Customers->GetEOF(); Customers->Next())
            Result += Customers->FieldByName("Name")->GetAsString() + " ";
        return Result;
    }

    std::unique_ptr<testing_support::TPostgresTestDatabase> Db;
    TForm* Form = new TForm(nullptr);
    std::unique_ptr<TForm> FormOwner{Form};
    TInput Input{*Form};
    TTable* Customers = nullptr;
    TDataSource* CustomerSource = nullptr;
    TDBSortComboBox* Combo = nullptr;
    std::vector<String> Log;
};

}  // namespace

TEST_F(SortComboBoxServerTest, ServerTable_OffersItsDataFieldsAndSortsByAnyOfThem) {
    Customers->Open();
    Combo->SetDataSource(CustomerSource);
    Input.OpenList(*Combo);
    EXPECT_EQ(ItemsOf(*Combo), (std::vector<String>{"CustNo", "Name", "City"}));  // no memo
    Input.PickListItem(*Combo, 2);
    EXPECT_EQ(Customers->GetIndexFieldNames(), "City");
    EXPECT_EQ(Names(), "Baker Adams Carter ");
    EXPECT_EQ(Log, (std::vector<String>{"AfterSortChange City", "OnSort City"}));

    // Any typed list of fields is applied, index or not.
    Retype("City;CustNo");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Customers->GetIndexFieldNames(), "City;CustNo");
    EXPECT_EQ(Combo->GetText(), "City;CustNo");
}

TEST_F(SortComboBoxServerTest, StrictServerIndexing_OffersOnlyTheIndexes) {
    Customers->Open();
    Combo->SetStrictServerIndexing(true);
    Combo->SetDataSource(CustomerSource);
    Input.OpenList(*Combo);
    EXPECT_EQ(ItemsOf(*Combo), (std::vector<String>{"CustNo", "Name", "City;Name"}));
    Input.PickListItem(*Combo, 1);
    EXPECT_EQ(Names(), "Adams Baker Carter ");
}

TEST_F(SortComboBoxServerTest, ServerDetailTable_OffersEachFieldAfterTheMasterFields) {
    TTable* Orders = MakeTable("orders");
    Orders->SetIndexFieldNames("CustNo");
    Orders->SetMasterSource(CustomerSource);
    Orders->SetMasterFields("CustNo");
    auto* OrderSource = new TDataSource(Form);
    OrderSource->SetDataSet(Orders);
    Customers->Open();
    Orders->Open();
    Combo->SetDataSource(OrderSource);
    Input.OpenList(*Combo);
    EXPECT_EQ(ItemsOf(*Combo),
              (std::vector<String>{"CustNo;OrderNo", "CustNo", "CustNo;SaleDate"}));
    Input.PickListItem(*Combo, 2);
    EXPECT_EQ(Orders->GetIndexFieldNames(), "CustNo;SaleDate");
    Orders->First();
    EXPECT_EQ(Orders->FieldByName("OrderNo")->GetAsString(), "11");  // the earlier sale
    Retype("OrderNo");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Orders->GetIndexFieldNames(), "CustNo;OrderNo");
    EXPECT_EQ(Combo->GetText(), "CustNo;OrderNo");
}
