// The locate edit driven as a user drives it, on real SQLite tables: incremental and
// Return-key searches, the search field, the shown value and when it is refreshed.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/DBTables.h"
#include "support/TempDatabase.h"
#include "varn/locateedit/DBLocateEdit.h"

using namespace platform;
using namespace varn;
using testing_support::TempDatabase;

namespace {

const char* Schema =
    "CREATE TABLE customer (CustNo INTEGER PRIMARY KEY, Name VARCHAR(30), City VARCHAR(30));"
    "CREATE INDEX customer_name ON customer (Name);"
    "CREATE INDEX customer_city_name ON customer (City, Name);"
    "CREATE TABLE orders (OrderNo INTEGER PRIMARY KEY, CustNo INTEGER, Carrier VARCHAR(20));"
    "CREATE INDEX orders_cust_carrier ON orders (CustNo, Carrier);"
    "INSERT INTO customer VALUES (1, 'Adams', 'Oslo'), (2, 'Sanders', 'Rome'),"
    " (3, 'Baker', 'Lima'), (4, 'Smith', 'Rome'), (5, 'Carter', 'Bern');"
    "INSERT INTO orders VALUES (10, 1, 'UPS'), (11, 1, 'FedEx'), (12, 2, 'Fenwick'),"
    " (13, 2, 'DHL'), (14, 1, 'Emery');";

class LocateEditTest : public ::testing::Test {
  protected:
    LocateEditTest() : Db(Schema) {
        Form->SetBounds(0, 0, 400, 300);
        Customers = MakeTable("customer");
        CustomerSource = new TDataSource(Form);
        CustomerSource->SetDataSet(Customers);
        Edit = new TDBLocateEdit(Form);
        Edit->SetName("LocateEdit");
        Edit->SetParent(Form);
        Edit->SetAfterLocate([this](TObject*) { ++AfterLocateCount; });
        Other = new TEdit(Form);
        Other->SetParent(Form);
        Other->SetTop(100);
    }

    TTable* MakeTable(const char* Name, const char* Order = "") {
        auto* Table = new TTable(Form);
        Table->SetDatabaseName(Db.Path());
        Table->SetTableName(Name);
        Table->SetIndexFieldNames(Order);
        return Table;
    }

    // Binds the edit to the customers, opens them and puts the focus in the edit.
    void OpenCustomers(const char* Order = "", const char* DataField = "") {
        Customers->SetIndexFieldNames(Order);
        Customers->Open();
        Edit->SetDataSource(CustomerSource);
        Edit->SetDataField(DataField);
        Input.ClickOn(*Edit);
    }

    String CurrentName() const { return Customers->FieldByName("Name")->GetAsString(); }

    TempDatabase Db;
    TForm* Form = new TForm(nullptr);
    std::unique_ptr<TForm> FormOwner{Form};
    TInput Input{*Form};
    TTable* Customers = nullptr;
    TDataSource* CustomerSource = nullptr;
    TDBLocateEdit* Edit = nullptr;
    TEdit* Other = nullptr;
    int AfterLocateCount = 0;
};

}  // namespace

TEST_F(LocateEditTest, Typing_SearchesIncrementallyIgnoringLetterCase) {
    struct Case {
        const char* StoredName;  // replaces Smith
        bool Found;
    } Cases[] = {{"Smith", true}, {"SMYTHE", true}, {"smalls", true}, {"Simms", false}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.StoredName);
        Customers->Close();
        Db.Execute("UPDATE customer SET Name = '" + String(C.StoredName) + "' WHERE CustNo = 4");
        AfterLocateCount = 0;
        OpenCustomers("", "Name");
        Input.TypeChar('s');
        EXPECT_TRUE(Edit->GetLocateResult());
        EXPECT_EQ(CurrentName(), "Sanders");
        Input.TypeChar('m');
        EXPECT_EQ(Edit->GetLocateResult(), C.Found);
        EXPECT_EQ(CurrentName(), C.Found ? C.StoredName : "Sanders");  // not found: stays put
        EXPECT_EQ(AfterLocateCount, 2);
        EXPECT_EQ(Edit->GetText(), "sm");
        Input.Press(VK_BACK);
        Input.Press(VK_BACK);
        EXPECT_EQ(Edit->GetText(), "");
        EXPECT_EQ(AfterLocateCount, 3);  // the empty text searches nothing
        EXPECT_FALSE(Edit->GetLocateResult());
    }
}

TEST_F(LocateEditTest, EmptyDataField_SearchesTheFirstSortField) {
    OpenCustomers("City;Name");
    Input.TypeText("ro");
    EXPECT_EQ(Customers->FieldByName("City")->GetAsString(), "Rome");
    EXPECT_EQ(CurrentName(), "Sanders");

    // The sort order changes under the edit: the search follows it.
    Customers->SetIndexFieldNames("Name");
    Input.Press(VK_BACK);
    Input.Press(VK_BACK);
    Input.TypeText("ca");
    EXPECT_EQ(CurrentName(), "Carter");
}

TEST_F(LocateEditTest, EmptyDataFieldOnDetailTable_SearchesTheFieldAfterTheMasterFields) {
    TTable* Orders = MakeTable("orders", "CustNo;Carrier");
    Orders->SetMasterSource(CustomerSource);
    Orders->SetMasterFields("CustNo");
    auto* OrderSource = new TDataSource(Form);
    OrderSource->SetDataSet(Orders);
    Customers->Open();  // on customer 1
    Orders->Open();
    Edit->SetDataSource(OrderSource);
    Input.ClickOn(*Edit);
    Input.TypeText("fe");
    EXPECT_EQ(Orders->FieldByName("OrderNo")->GetAsString(), "11");  // FedEx, not customer 2's
    Edit->SetAutoUpdate(true);
    EXPECT_EQ(Edit->GetText(), "FedEx");
}

TEST_F(LocateEditTest, SearchErrors_AreSwallowedAndAfterLocateStillFires) {
    TQuery* Query = new TQuery(Form);
    Query->SetDatabaseName(Db.Path());
    Query->GetSQL()->SetText("SELECT * FROM customer");
    bool FailCalculations = false;
    struct Case {
        const char* Name;
        std::function<void()> Arrange;
    } Cases[] = {
        {"field the table lacks",
         [&] {
             Edit->SetDataSource(CustomerSource);
             Edit->SetDataField("Nope");  // accepted while the table is closed
             Customers->Open();
         }},
        {"closed table",
         [&] {
             Customers->Close();
             Edit->SetDataSource(CustomerSource);
             Edit->SetDataField("Name");
         }},
        {"query without a sort field",
         [&] {
             Customers->Close();
             Edit->SetDataField("");
             CustomerSource->SetDataSet(Query);
             Query->Open();
         }},
        // The search finds Adams, and calculating the found record's fields fails with
        // something that is no exception object.
        {"calculation failing with a thrown value",
         [&] {
             Query->Close();
             CustomerSource->SetDataSet(Customers);
             Customers->OnCalcFields = [&](TDataSet*) {
                 if (FailCalculations)
                     throw 42;
             };
             Customers->Open();
             Edit->SetDataField("Name");
             FailCalculations = true;
         }},
    };
    Input.ClickOn(*Edit);
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        Edit->SetAutoLocate(alNone);
        Edit->SetText("");
        C.Arrange();
        Edit->SetAutoLocate(alOnChange);
        AfterLocateCount = 0;
        EXPECT_NO_THROW(Input.TypeChar('a'));
        EXPECT_FALSE(Edit->GetLocateResult());
        EXPECT_EQ(AfterLocateCount, 1);
    }
}

TEST_F(LocateEditTest, NoDataSet_NeitherSearchesNorFiresAfterLocate) {
    Input.ClickOn(*Edit);
    Input.TypeText("sm");  // no data source
    EXPECT_EQ(AfterLocateCount, 0);
    CustomerSource->SetDataSet(nullptr);
    Edit->SetDataSource(CustomerSource);
    Input.TypeText("sm");  // a data source without a dataset
    EXPECT_FALSE(Edit->Locate());
    EXPECT_EQ(AfterLocateCount, 0);
}

TEST_F(LocateEditTest, AutoUpdate_TextStaysAsTypedUntilReturnShowsTheRecord) {
    Edit->SetAutoUpdate(true);
    OpenCustomers("", "Name");
    EXPECT_EQ(Edit->GetText(), "Adams");  // the current record
    Input.Press(VK_END);
    for (int I = 0; I < 5; ++I)
        Input.Press(VK_BACK);
    Input.TypeText("sm");
    EXPECT_EQ(Edit->GetText(), "sm");
    EXPECT_EQ(CurrentName(), "Smith");
    int Searches = AfterLocateCount;
    Input.Press(VK_RETURN);
    EXPECT_EQ(Edit->GetText(), "Smith");
    EXPECT_EQ(AfterLocateCount, Searches);  // showing the value does not search
    EXPECT_EQ(CurrentName(), "Smith");

    // Records moved elsewhere are shown; with AutoUpdate off they are not.
    Customers->First();
    EXPECT_EQ(Edit->GetText(), "Adams");
    Edit->SetAutoUpdate(false);
    EXPECT_EQ(Edit->GetText(), "Adams");  // switching off leaves the text
    Customers->Next();
    EXPECT_EQ(Edit->GetText(), "Adams");
    Edit->SetAutoUpdate(true);
    EXPECT_EQ(Edit->GetText(), "Sanders");
    Customers->Close();
    EXPECT_EQ(Edit->GetText(), "");  // closing empties it
}

TEST_F(LocateEditTest, ReturnKey_ActsByAutoLocateAndAutoUpdate) {
    struct Case {
        TAutoLocate AutoLocate;
        bool AutoUpdate;
        const char* TextAfterTyping;
        const char* TextAfterReturn;
        const char* RecordAfterReturn;
        int Searches;
    } Cases[] = {
        {alOnChange, false, "sm", "", "Smith", 2},    {alOnChange, true, "sm", "Smith", "Smith", 2},
        {alNone, false, "sm", "", "Adams", 0},        {alNone, true, "sm", "Adams", "Adams", 0},
        {alReturnKey, false, "sm", "sm", "Smith", 1}, {alReturnKey, true, "sm", "sm", "Smith", 1},
    };
    OpenCustomers("", "Name");
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message()
                     << "AutoLocate " << int{C.AutoLocate} << " AutoUpdate " << C.AutoUpdate);
        Edit->SetAutoLocate(alNone);
        Edit->SetAutoUpdate(false);
        Edit->SetText("");
        Customers->First();
        Edit->SetAutoLocate(C.AutoLocate);
        Edit->SetAutoUpdate(C.AutoUpdate);
        Edit->SetText("");
        AfterLocateCount = 0;
        Input.TypeText("sm");
        EXPECT_EQ(Edit->GetText(), C.TextAfterTyping);
        Input.Press(VK_RETURN);
        EXPECT_EQ(Edit->GetText(), C.TextAfterReturn);
        EXPECT_EQ(CurrentName(), C.RecordAfterReturn);
        EXPECT_EQ(AfterLocateCount, C.Searches);
    }
}

TEST_F(LocateEditTest, ReturnCancelledByOnKeyDown_NeitherSearchesNorRefreshes) {
    OpenCustomers("", "Name");
    Edit->OnKeyDown = [](TObject*, Word& Key, TShiftState) {
        if (Key == VK_RETURN)
            Key = 0;
    };
    for (TAutoLocate AutoLocate : {alReturnKey, alOnChange}) {
        SCOPED_TRACE(int{AutoLocate});
        Edit->SetAutoUpdate(true);
        Edit->SetAutoLocate(alNone);
        Edit->SetText("");
        Edit->SetAutoLocate(AutoLocate);
        Input.TypeText("ca");
        int Searches = AfterLocateCount;
        Input.Press(VK_RETURN);
        EXPECT_EQ(Edit->GetText(), "ca");
        EXPECT_EQ(AfterLocateCount, Searches);
    }
}

TEST_F(LocateEditTest, LeavingTheEdit_ShowsTheRecordBeforeOnExit) {
    OpenCustomers("", "Name");
    String TextInOnExit;
    Edit->OnExit = [&](TObject*) { TextInOnExit = Edit->GetText(); };
    Input.TypeText("ba");
    Input.ClickOn(*Other);
    EXPECT_EQ(TextInOnExit, "ba");  // AutoUpdate off: left as typed

    Edit->SetAutoUpdate(true);
    Input.ClickOn(*Edit);
    Input.TypeText("xyz");
    Input.ClickOn(*Other);
    EXPECT_EQ(TextInOnExit, "Baker");
    EXPECT_EQ(Edit->GetText(), "Baker");
}

TEST_F(LocateEditTest, AfterLocateHandler_CannotReplaceTheTypedText) {
    Edit->SetAutoUpdate(true);
    OpenCustomers("", "Name");
    Edit->SetText("");
    Edit->SetAfterLocate([this](TObject*) {
        Edit->UpdateText();  // nothing while the search runs
        Customers->Last();   // nor does a record change the handler makes
    });
    Input.TypeText("s");
    EXPECT_EQ(Edit->GetText(), "s");
    EXPECT_EQ(CurrentName(), "Carter");
}

TEST_F(LocateEditTest, AfterLocateHandlerThatFails_ReachesTheUserAndTheEditRecovers) {
    Edit->SetAutoUpdate(true);
    OpenCustomers("", "Name");
    Edit->SetText("");
    Edit->SetAfterLocate([](TObject*) { throw Exception("the application failed"); });
    try {
        Input.TypeChar('b');
        ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "the application failed");
    }
    EXPECT_EQ(CurrentName(), "Baker");
    // The search is over: Return shows the record found, and moving shows the next.
    Input.Press(VK_RETURN);
    EXPECT_EQ(Edit->GetText(), "Baker");
    Customers->Next();
    EXPECT_EQ(Edit->GetText(), "Smith");
}

TEST_F(LocateEditTest, NoSortFieldToShow_ReturnClearsTheText) {
    auto* Query = new TQuery(Form);
    Query->SetDatabaseName(Db.Path());
    Query->GetSQL()->SetText("SELECT * FROM customer");
    Query->Open();
    CustomerSource->SetDataSet(Query);
    Edit->SetDataSource(CustomerSource);
    Edit->SetAutoUpdate(true);
    Input.ClickOn(*Edit);
    Input.TypeText("ba");
    EXPECT_FALSE(Edit->GetLocateResult());
    Input.Press(VK_RETURN);
    EXPECT_EQ(Edit->GetText(), "");
}

TEST_F(LocateEditTest, WhileLoading_TextIsNeitherSearchedNorRefreshed) {
    Customers->Open();
    Edit->BeginLoading();
    Edit->SetText("Smi");
    Edit->SetDataSource(CustomerSource);
    Edit->SetDataField("Name");
    Edit->SetAutoUpdate(true);
    Customers->Next();
    EXPECT_EQ(Edit->GetText(), "Smi");
    EXPECT_EQ(AfterLocateCount, 0);
    EXPECT_EQ(CurrentName(), "Sanders");
    Edit->EndLoading();
    EXPECT_EQ(Edit->GetText(), "Smi");  // until the next trigger
    Customers->Next();
    EXPECT_EQ(Edit->GetText(), "Baker");
}

TEST_F(LocateEditTest, ClearedAtDesignTime_ShowsItsName) {
    Form->SetDesigning(true);
    Edit->SetText("x");
    Edit->SetDataSource(CustomerSource);
    EXPECT_EQ(Edit->GetText(), "LocateEdit");
}

TEST_F(LocateEditTest, DataSourceRemoved_ClearsDataSourceAndText) {
    for (bool OtherOwner : {false, true}) {
        for (bool AutoUpdate : {false, true}) {
            SCOPED_TRACE(testing::Message() << OtherOwner << AutoUpdate);
            TComponent ForeignOwner(nullptr);
            auto* Source = new TDataSource(OtherOwner ? &ForeignOwner : Form);
            Source->SetDataSet(Customers);
            Customers->Open();
            Edit->SetAutoUpdate(AutoUpdate);
            Edit->SetDataSource(Source);
            Edit->SetDataField("Name");
            Edit->SetAutoLocate(alNone);
            Edit->SetText("typed");
            Edit->SetAutoLocate(alOnChange);
            delete Source;
            EXPECT_EQ(Edit->GetDataSource(), nullptr);
            EXPECT_EQ(Edit->GetText(), "");
            Edit->SetDataField("");
        }
    }
}
