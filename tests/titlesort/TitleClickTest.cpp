// Sorting on title clicks made as a user makes them (through the input layer, modifier keys
// held), with the application's OnTitleClick calling Execute: on tables of both engines, on a
// detail table, and on queries whose order the application's OnSort rewrites.
#include "TitleSortFixture.h"

using namespace titlesort_test;

namespace {

class TitleClick : public TitleSortOnEngines {
  protected:
    void SetUp() override {
        TitleSortOnEngines::SetUp();
        TitleSort->SetClickedTitleMask("%t (%i)");
    }

    // The application's OnSort for a query: its statement ordered by the fields, reopened.
    void RewriteQueryOrder(const String& Select) {
        TitleSort->SetOnSort([this, Select](TObject*, TCustomGrid*, TDataSet* DataSet,
                                            const String& SortFieldNames) {
            Sorts.push_back(SortFieldNames);
            String Order;
            size_t Start = 0;
            while (Start < SortFieldNames.size()) {
                size_t End = std::min(SortFieldNames.find(';', Start), SortFieldNames.size());
                Order += (Order.empty() ? " ORDER BY \"" : ", \"") +
                         SortFieldNames.substr(Start, End - Start) + "\"";
                Start = End + 1;
            }
            auto* Query = static_cast<TQuery*>(DataSet);
            Query->GetSQL()->SetText(Select + Order);
            Query->Open();
        });
    }

    // The texts of one data column in the records shown.
    static std::vector<String> Shown(const TCustomDBGrid* Grid, int DataCol) {
        std::vector<String> Texts;
        for (int Row = 0; Row < Grid->VisibleRecordCount(); ++Row)
            Texts.push_back(Grid->DisplayText(DataCol, Row));
        return Texts;
    }
};

struct TClickCase {
    const char* Old;  // the table's order before the click ("": its default order)
    const char* Column;
    TShiftState Shift;
    bool UnSort;
    TDBGridMulticolumnSortMethods MultiColumnSort;
    const char* New;
};

template <typename TAction>
String MessageOf(TAction Action) {
    try {
        Action();
    } catch (const Exception& E) {
        return E.Message();
    }
    return "<no error>";
}

const String QuerySelect = R"(SELECT "CustNo", "Name", "City" FROM customer)";

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, TitleClick, ::testing::Values(engSQLite, engPostgreSQL),
                         EngineName);

TEST_P(TitleClick, OnATable_TheClickGivesTheNewOrderAndTheTitlesShowIt) {
    TTable* Table = MakeTable("customer");
    TDBGrid* Grid = MakeGrid(MakeSource(Table), {"Name", "City", "Zip", "CityZone", "CustNo"});
    TitleSort->RegisterGrid(Grid);
    // No index check, as on a server table by default.
    TitleSort->SetStrictLocalIndexing(false);
    const TClickCase Cases[] = {
        {"", "City", {}, true, {mcsCtrl}, "City"},
        {"City", "City", {}, true, {mcsCtrl}, ""},
        {"City", "City", {}, false, {mcsCtrl}, "City"},  // set again, OnSort again
        {"City", "Name", {ssCtrl}, true, {mcsCtrl}, "City;Name"},
        {"City;Name;Zip", "Name", {ssCtrl}, true, {mcsCtrl}, "City;Zip"},
        {"City;Name", "City", {ssCtrl}, true, {mcsCtrl}, "Name"},
        {"City", "City", {ssCtrl}, false, {mcsCtrl}, ""},
        {"City", "Name", {ssShift}, true, {mcsCtrl}, "Name"},  // Shift is no modifier here
        {"City", "Name", {ssAlt}, true, {mcsShift, mcsAlt}, "City;Name"},
        {"City", "Name", {ssCtrl}, true, {}, "Name"},
        // Whole names only: the City inside CityZone is not City.
        {"CityZone", "City", {ssCtrl}, true, {mcsCtrl}, "CityZone;City"},
        {"CityZone;City", "City", {ssCtrl}, true, {mcsCtrl}, "CityZone"},
    };
    for (const TClickCase& C : Cases) {
        SCOPED_TRACE(std::string(C.Old) + " + " + C.Column);
        Table->SetIndexFieldNames(C.Old);
        EXPECT_EQ(MarkedOrder(Grid), ExtractSortFieldNames(Table));
        TitleSort->SetUnSort(C.UnSort);
        TitleSort->SetMultiColumnSort(C.MultiColumnSort);
        Sorts.clear();
        EXPECT_EQ(ClickTitle(Grid, C.Column, C.Shift), C.New);
        EXPECT_EQ(Table->GetIndexFieldNames(), C.New);
        EXPECT_EQ(Sorts, std::vector<String>{C.New});
        EXPECT_EQ(SortGrid, Grid);
        EXPECT_EQ(SortDataSet, Table);
        // The empty order is the table's default order, which the titles show as well.
        EXPECT_EQ(MarkedOrder(Grid), ExtractSortFieldNames(Table));
        EXPECT_FALSE(TitleSort->Sorting);
    }
}

TEST_P(TitleClick, OnADetailTable_TheMasterFieldsStayInFront) {
    TTable* Customers = MakeTable("customer");
    auto* Orders = new TTable(Form.get());
    Orders->SetDatabaseName(Db->Name());
    Orders->SetTableName("orders");
    Orders->SetMasterSource(MakeSource(Customers));
    Orders->SetMasterFields("CustNo");
    Orders->SetIndexFieldNames("CustNo");
    Orders->Open();
    TDBGrid* Grid = MakeGrid(MakeSource(Orders), {"OrderNo", "CustNo", "OrderDate"});
    TitleSort->RegisterGrid(Grid);
    struct Case {
        const char* Old;
        const char* Column;
        TShiftState Shift;
        const char* New;
        std::vector<String> OrdersShown;  // customer 1's orders, in the new order
    } Cases[] = {
        {"CustNo", "OrderDate", {}, "CustNo;OrderDate", {"11", "13", "10"}},
        {"CustNo;OrderDate", "OrderDate", {}, "CustNo", {"10", "11", "13"}},
        {"CustNo;OrderDate", "CustNo", {}, "CustNo", {"10", "11", "13"}},
        {"CustNo;OrderDate", "CustNo", {ssCtrl}, "CustNo;OrderDate", {"11", "13", "10"}},
        {"CustNo;OrderDate", "OrderDate", {ssCtrl}, "CustNo", {"10", "11", "13"}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Old) + " + " + C.Column);
        Orders->SetIndexFieldNames(C.Old);
        Sorts.clear();
        EXPECT_EQ(ClickTitle(Grid, C.Column, C.Shift), C.New);
        EXPECT_EQ(Orders->GetIndexFieldNames(), C.New);
        EXPECT_EQ(Sorts, std::vector<String>{C.New});
        EXPECT_EQ(MarkedOrder(Grid), C.New);
        EXPECT_EQ(Shown(Grid, 0), C.OrdersShown);
    }
    // The detail follows its master in the order last chosen.
    Customers->Next();
    EXPECT_EQ(Shown(Grid, 0), std::vector<String>{"12"});
    EXPECT_EQ(MarkedOrder(Grid), "CustNo");
}

TEST_P(TitleClick, IndexCheck_AppliesOnlyAnOrderThatAnIndexBeginsWith) {
    TTable* Clients = MakeTable("clients");
    TDBGrid* Grid = MakeGrid(MakeSource(Clients), {"Name", "City", "Zip", "CustNo"});
    // Local tables are checked by default, server tables when asked.
    TitleSort->SetStrictServerIndexing(true);
    EXPECT_EQ(ClickTitle(Grid, "City"), "City");  // City;Name begins with it
    EXPECT_EQ(ClickTitle(Grid, "Zip"), "");
    EXPECT_EQ(ClickTitle(Grid, "Zip", {ssCtrl}), "");
    EXPECT_EQ(Sorts, std::vector<String>{"City"});
    EXPECT_EQ(Clients->GetIndexFieldNames(), "City");
    EXPECT_EQ(MarkedOrder(Grid), "City");
    EXPECT_FALSE(TitleSort->Sorting);

    EXPECT_EQ(ClickTitle(Grid, "Name", {ssCtrl}), "City;Name");
    EXPECT_EQ(ClickTitle(Grid, "Name"), "Name");
    // The default order needs no index: a second click takes the order away.
    EXPECT_EQ(ClickTitle(Grid, "Name"), "");
    EXPECT_EQ(Sorts, (std::vector<String>{"City", "City;Name", "Name", ""}));
    EXPECT_EQ(Clients->GetIndexFieldNames(), "");
    EXPECT_EQ(MarkedOrder(Grid), "CustNo");
}

TEST_P(TitleClick, WithoutTheIndexCheck_TheDatabaseDecides) {
    TTable* Clients = MakeTable("clients", "City");
    TDBGrid* Grid = MakeGrid(MakeSource(Clients), {"Name", "City", "Zip"});
    TitleSort->RegisterGrid(Grid);
    TitleSort->SetStrictLocalIndexing(false);
    if (Engine == engPostgreSQL) {
        // A server table is ordered on any fields.
        EXPECT_EQ(ClickTitle(Grid, "Zip"), "Zip");
        EXPECT_EQ(MarkedOrder(Grid), "Zip");
        EXPECT_EQ(Shown(Grid, 2), (std::vector<String>{"00100", "0150", "0151", "3000"}));
        return;
    }
    // A local table is not: the error reaches the application, nothing else happens.
    EXPECT_THROW(ClickTitle(Grid, "Zip"), EDatabaseError);
    EXPECT_TRUE(Sorts.empty());
    EXPECT_FALSE(TitleSort->Sorting);
    EXPECT_FALSE(Clients->GetActive());
    EXPECT_EQ(MarkedOrder(Grid), "City");
}

TEST_P(TitleClick, OnAQuery_OnSortRewritesTheOrderAndTheMarksAreTheOrder) {
    TQuery* Query = MakeQuery(QuerySelect);
    TDBGrid* Grid = MakeGrid(MakeSource(Query), {"CustNo", "Name", "City"});
    RewriteQueryOrder(QuerySelect);
    struct Step {
        const char* Column;
        TShiftState Shift;
        const char* New;
        std::vector<String> NamesShown;
    } Steps[] = {
        {"Name", {}, "Name", {"Adams", "Baker", "Clark", "Davis"}},
        {"Name", {}, "", {}},  // unsorted again: the engine's order
        {"City", {}, "City", {}},  // Baker and Clark share a city: their order is open
        {"Name", {ssCtrl}, "City;Name", {"Davis", "Baker", "Clark", "Adams"}},
        {"City", {ssCtrl}, "Name", {"Adams", "Baker", "Clark", "Davis"}},
    };
    for (const Step& S : Steps) {
        SCOPED_TRACE(std::string(S.Column) + " for " + S.New);
        Sorts.clear();
        EXPECT_EQ(ClickTitle(Grid, S.Column, S.Shift), S.New);
        EXPECT_EQ(Sorts, std::vector<String>{S.New});
        EXPECT_EQ(MarkedOrder(Grid), S.New);
        if (!S.NamesShown.empty()) {
            EXPECT_EQ(Shown(Grid, 1), S.NamesShown);
        }
    }
    EXPECT_TRUE(TitleSort->IsRegistered(Grid));
    // Titles of a query show no order of the dataset: a change of looks takes the marks
    // away, and with them the order they kept.
    TitleSort->SetClickedTitleFontStyle({fsItalic});
    EXPECT_EQ(MarkedOrder(Grid), "");
    EXPECT_EQ(ClickTitle(Grid, "City", {ssCtrl}), "City");
}

TEST_P(TitleClick, OnAQueryWithDefaultColumns_MarksGoWithTheColumnsARewriteRemakes) {
    TQuery* Query = MakeQuery(QuerySelect);
    TDBGrid* Grid = MakeGrid(MakeSource(Query));
    RewriteQueryOrder(QuerySelect);
    EXPECT_EQ(ClickTitle(Grid, "Name"), "Name");
    EXPECT_EQ(MarkedOrder(Grid), "");  // reopening the query made new columns
    // The saved looks name columns that are gone: they are skipped.
    EXPECT_EQ(ClickTitle(Grid, "Name"), "Name");
    EXPECT_EQ(ClickTitle(Grid, "City", {ssCtrl}), "City");
    EXPECT_EQ(Sorts, (std::vector<String>{"Name", "Name", "City"}));
}

TEST_P(TitleClick, OnAQueryWithNoLookInEffect_NoOrderIsRemembered) {
    TQuery* Query = MakeQuery(QuerySelect);
    TDBGrid* Grid = MakeGrid(MakeSource(Query), {"CustNo", "Name", "City"});
    RewriteQueryOrder(QuerySelect);
    TitleSort->SetUseClickedTitleFontColor(false);
    TitleSort->SetUseClickedTitleFontStyle(false);
    TitleSort->SetClickedTitleMask("");
    EXPECT_EQ(ClickTitle(Grid, "Name"), "Name");
    EXPECT_EQ(ClickTitle(Grid, "Name"), "Name");
    EXPECT_EQ(ClickTitle(Grid, "City", {ssCtrl}), "City");
}

TEST_F(TitleSortFixture, TitleClick_OnAColumnWithoutADataFieldDoesNothing) {
    auto* Table = new TTable(Form.get());
    Table->SetDatabaseName(Db->Name());
    Table->SetTableName("customer");
    for (auto [Name, Kind] : {std::pair{"Label", fkCalculated}, std::pair{"Shown", fkLookup}}) {
        auto* Field = new TField(Table);
        Field->SetFieldName(Name);
        Field->SetDataType(ftString);
        Field->SetFieldKind(Kind);
        Field->SetDataSet(Table);
    }
    Table->SetIndexFieldNames("Name");
    Table->Open();
    TDBGrid* Grid = MakeGrid(MakeSource(Table), {"Name", "Label", "Shown", "Nickname"});
    TitleSort->RegisterGrid(Grid);
    for (const char* Column : {"Label", "Shown", "Nickname"}) {
        SCOPED_TRACE(Column);
        EXPECT_EQ(ClickTitle(Grid, Column), "");
        EXPECT_FALSE(TitleSort->Sorting);
    }
    EXPECT_TRUE(Sorts.empty());
    EXPECT_EQ(Table->GetIndexFieldNames(), "Name");
    EXPECT_EQ(MarkedOrder(Grid), "Name");
}

TEST_F(TitleSortFixture, Execute_FailsOnAColumnOutsideADataGrid) {
    TDataSource* Source = MakeSource(MakeTable("customer"));
    TDBGridColumns Loose(nullptr);
    TColumn* Alone = Loose.Add();
    Alone->SetFieldName("Name");
    auto* Other = MakeGrid<TOtherDBGrid>(Source, {"Name"});
    struct Case {
        std::function<void()> Action;
        const char* Message;
    } Cases[] = {
        {[&] { TitleSort->Execute(nullptr); },
         "TDBGridTitleSort.Execute() Column is not assigned."},
        {[&] { TitleSort->Execute(Alone); },
         "TDBGridTitleSort.Execute() Column.Grid is not assigned."},
        {[&] { ClickTitle(Other, "Name"); },
         "TDBGridTitleSort.Execute() Column.Grid must be of TDBGrid type."},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Message);
        EXPECT_EQ(MessageOf(C.Action), C.Message);
        EXPECT_FALSE(TitleSort->Sorting);
    }
    EXPECT_TRUE(Sorts.empty());
    EXPECT_TRUE(TitleSort->OldTitleStates.empty());
}

TEST_F(TitleSortFixture, Execute_AnErrorOfOnSortPassesOnWithTheOrderApplied) {
    TTable* Table = MakeTable("customer");
    TDBGrid* Grid = MakeGrid(MakeSource(Table));
    TitleSort->SetOnSort([this](TObject*, TCustomGrid*, TDataSet*, const String&) {
        EXPECT_TRUE(TitleSort->Sorting);
        throw Exception("the application failed");
    });
    EXPECT_EQ(MessageOf([&] { ClickTitle(Grid, "City"); }), "the application failed");
    EXPECT_FALSE(TitleSort->Sorting);
    EXPECT_EQ(Table->GetIndexFieldNames(), "City");
    EXPECT_EQ(MarkedOrder(Grid), "City");
    EXPECT_TRUE(TitleSort->IsRegistered(Grid));
}
