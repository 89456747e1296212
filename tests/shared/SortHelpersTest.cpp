// Sort field lists, first sort fields, master-detail readers and the sort-change link,
// on real SQLite tables.
#include <gtest/gtest.h>

#include "support/TempDatabase.h"
#include "varn/shared/Varn_shared.h"

using namespace platform;
using namespace varn;
using testing_support::TempDatabase;

namespace {

const char* Schema =
    "CREATE TABLE customer (CustNo INTEGER PRIMARY KEY, Name VARCHAR(30), City VARCHAR(30));"
    "CREATE INDEX customer_name ON customer (Name);"
    "CREATE INDEX customer_city_name ON customer (City, Name);"
    "CREATE TABLE items (OrderNo INTEGER, ItemNo INTEGER, PartNo INTEGER, Qty INTEGER,"
    " PRIMARY KEY (OrderNo, ItemNo));"
    "CREATE INDEX items_order_part ON items (OrderNo, ItemNo, PartNo);"
    "CREATE TABLE notes (Body TEXT);"
    "CREATE TABLE people (Id INTEGER PRIMARY KEY, name VARCHAR(30));"
    "CREATE INDEX people_name ON people (name);"
    "INSERT INTO customer VALUES (1, 'Adams', 'Oslo'), (2, 'Baker', 'Rome');"
    "INSERT INTO items VALUES (1, 1, 7, 1), (1, 2, 8, 2), (2, 1, 7, 3);"
    "INSERT INTO notes VALUES ('x');";

class SortHelpersTest : public ::testing::Test {
  protected:
    SortHelpersTest() : Db(Schema) {}

    TTable* MakeTable(const char* Name, const char* Order = "") {
        auto* Table = new TTable(&Owner);
        Table->SetDatabaseName(Db.Path());
        Table->SetTableName(Name);
        Table->SetIndexFieldNames(Order);
        return Table;
    }

    TempDatabase Db;
    TComponent Owner{nullptr};
};

}  // namespace

TEST_F(SortHelpersTest, SortFieldNamesAreTheCurrentIndexFields) {
    struct Case {
        const char* Table;
        const char* Order;
        const char* Expected;
    } Cases[] = {
        {"customer", "", "CustNo"},    // the primary key is the default order
        {"customer", "name", "Name"},  // names as the fields spell them
        {"customer", "City;Name", "City;Name"},
        {"customer", "City", "City"},
        {"items", "", "OrderNo;ItemNo"},
        {"items", "OrderNo;ItemNo;PartNo", "OrderNo;ItemNo;PartNo"},
        {"notes", "", ""},  // no index: no order
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Table) + " " + C.Order);
        TTable* Table = MakeTable(C.Table, C.Order);
        EXPECT_EQ(ExtractSortFieldNames(Table), "");  // closed: no current index
        Table->Open();
        EXPECT_EQ(ExtractSortFieldNames(Table), C.Expected);
    }
    EXPECT_EQ(ExtractSortFieldNames(nullptr), "");
    TQuery Query(nullptr);
    Query.SetDatabaseName(Db.Path());
    Query.GetSQL()->SetText("SELECT * FROM customer ORDER BY Name");
    Query.Open();
    EXPECT_EQ(ExtractSortFieldNames(&Query), "");
    EXPECT_EQ(ExtractFirstSortFieldName(&Query), "");
}

TEST_F(SortHelpersTest, FirstSortFieldSkipsTheFieldsAnOpenMasterFixes) {
    TTable* Orders = MakeTable("customer");
    auto* OrderSource = new TDataSource(&Owner);
    OrderSource->SetDataSet(Orders);
    TTable* Items = MakeTable("items", "OrderNo;ItemNo;PartNo");
    EXPECT_EQ(ExtractFirstSortFieldName(Items), "");  // closed
    Items->Open();
    EXPECT_EQ(ExtractFirstSortFieldName(Items), "OrderNo");

    Items->Close();
    Items->SetMasterSource(OrderSource);
    struct Case {
        const char* MasterFields;
        const char* Expected;
    } Cases[] = {
        {"CustNo", "ItemNo"},
        {"CustNo;", "ItemNo"},  // a trailing ";" counts once
        {"CustNo;Name", "PartNo"},
        {"CustNo;Name;City", ""},
    };
    // A closed master fixes nothing.
    Items->SetMasterFields("CustNo;Name");
    Items->Open();
    EXPECT_EQ(ExtractFirstSortFieldName(Items), "OrderNo");
    Orders->Open();
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.MasterFields);
        Items->SetMasterFields(C.MasterFields);
        EXPECT_EQ(ExtractFirstSortFieldName(Items), C.Expected);
    }
    EXPECT_EQ(ExtractFirstSortFieldName(nullptr), "");
}

TEST_F(SortHelpersTest, MasterReadersAcceptOnlyTables) {
    TTable* Master = MakeTable("customer");
    auto* Source = new TDataSource(&Owner);
    Source->SetDataSet(Master);
    TTable* Detail = MakeTable("items");
    EXPECT_EQ(GetMasterSource(Detail), nullptr);
    EXPECT_EQ(GetMasterFields(Detail), "");
    Detail->SetMasterSource(Source);
    Detail->SetMasterFields("CustNo");
    EXPECT_EQ(GetMasterSource(Detail), Source);
    EXPECT_EQ(GetMasterFields(Detail), "CustNo");

    TQuery Query(nullptr);
    for (const TDataSet* DataSet :
         {static_cast<const TDataSet*>(nullptr), static_cast<const TDataSet*>(&Query)}) {
        try {
            GetMasterSource(DataSet);
            ADD_FAILURE();
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), "GetMasterSource() Unknown DataSet type.");
        }
        try {
            GetMasterFields(DataSet);
            ADD_FAILURE();
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), "GetMasterFields() Unknown DataSet type.");
        }
    }
}

namespace {
struct TReport {
    TObject* Sender;
    String OldFields;
    String NewFields;
};
}  // namespace

TEST_F(SortHelpersTest, SortLinkReportsEachChangeOfOrder) {
    TTable* Table = MakeTable("customer", "Name");
    auto* Source = new TDataSource(&Owner);
    Source->SetDataSet(Table);
    TSortDataLink Link;
    std::vector<TReport> Reports;
    bool Accept = true;
    Link.OnSortChange = [&](TObject* Sender, const String& Old, const String& New, bool& Done) {
        EXPECT_TRUE(Done);
        Reports.push_back({Sender, Old, New});
        Done = Accept;
    };
    Link.SetDataSource(Source);
    Table->Open();  // the first change is from the empty list
    Table->Next();  // moving is no change of order
    Table->Refresh();
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Sender, &Link);
    EXPECT_EQ(Reports[0].OldFields, "");
    EXPECT_EQ(Reports[0].NewFields, "Name");
    EXPECT_EQ(Link.SortFieldNames, "Name");

    // A handler that is not ready hears the same change again.
    Accept = false;
    Table->SetIndexFieldNames("City;Name");
    Table->Refresh();
    ASSERT_EQ(Reports.size(), 3u);
    EXPECT_EQ(Reports[2].OldFields, "Name");
    EXPECT_EQ(Reports[2].NewFields, "City;Name");
    EXPECT_EQ(Link.SortFieldNames, "Name");
    Accept = true;
    Table->Refresh();
    EXPECT_EQ(Link.SortFieldNames, "City;Name");

    // Closing and reopening keeps the remembered list.
    Table->Close();
    Table->Open();
    EXPECT_EQ(Reports.size(), 4u);
    // Back to the default order, the primary key.
    Table->SetIndexFieldNames("");
    EXPECT_EQ(Reports.back().OldFields, "City;Name");
    EXPECT_EQ(Reports.back().NewFields, "CustNo");
}

TEST_F(SortHelpersTest, SortLinkComparesWithCaseAndKeepsItsListWhenTheHandlerFails) {
    TTable* People = MakeTable("people", "name");
    TTable* Customers = MakeTable("customer", "Name");
    auto* Source = new TDataSource(&Owner);
    Source->SetDataSet(People);
    TSortDataLink Link;
    std::vector<TReport> Reports;
    bool Fail = false;
    Link.OnSortChange = [&](TObject* Sender, const String& Old, const String& New, bool&) {
        Reports.push_back({Sender, Old, New});
        if (Fail)
            throw Exception("the handler failed");
    };
    Link.SetDataSource(Source);
    People->Open();
    EXPECT_EQ(Link.SortFieldNames, "name");

    // Another table whose index spells the field otherwise: a change all the same.
    Source->SetDataSet(Customers);
    Fail = true;
    try {
        Customers->Open();
        ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "the handler failed");
    }
    ASSERT_EQ(Reports.size(), 2u);
    EXPECT_EQ(Reports[1].OldFields, "name");
    EXPECT_EQ(Reports[1].NewFields, "Name");
    EXPECT_EQ(Link.SortFieldNames, "name");  // the failed report took nothing

    // So the same change is reported again.
    Fail = false;
    Customers->Refresh();
    ASSERT_EQ(Reports.size(), 3u);
    EXPECT_EQ(Reports[2].OldFields, "name");
    EXPECT_EQ(Reports[2].NewFields, "Name");
    EXPECT_EQ(Link.SortFieldNames, "Name");
}

TEST_F(SortHelpersTest, SortLinkOfAQueryNeverReports) {
    TQuery Query(nullptr);
    Query.SetDatabaseName(Db.Path());
    Query.GetSQL()->SetText("SELECT * FROM customer ORDER BY Name");
    auto* Source = new TDataSource(&Owner);
    Source->SetDataSet(&Query);
    TSortDataLink Link;
    int Calls = 0;
    Link.OnSortChange = [&](TObject*, const String&, const String&, bool&) { ++Calls; };
    Link.SetDataSource(Source);
    Query.Open();
    Query.Refresh();
    EXPECT_EQ(Calls, 0);
    Link.SetDataSource(nullptr);
}
