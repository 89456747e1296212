// The field combo box driven as a user drives it, on real SQLite tables: listing fields by
// kind, and handing the chosen field to a related locate edit.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/DBTables.h"
#include "support/ComboItems.h"
#include "support/TempDatabase.h"
#include "varn/fieldcombo/DBFieldComboBox.h"
#include "varn/locateedit/DBLocateEdit.h"

using namespace platform;
using namespace varn;
using testing_support::TempDatabase;

using testing_support::ItemsOf;

namespace {

const char* Schema =
    "CREATE TABLE customer (CustNo INTEGER PRIMARY KEY, Name VARCHAR(30));"
    "CREATE TABLE orders (OrderNo INTEGER PRIMARY KEY, CustNo INTEGER, Carrier VARCHAR(20));"
    "INSERT INTO customer VALUES (1, 'Adams'), (2, 'Baker');"
    "INSERT INTO orders VALUES (10, 2, 'UPS'), (11, 1, 'FedEx');";

class FieldComboBoxTest : public ::testing::Test {
  protected:
    FieldComboBoxTest() : Db(Schema) {
        Form->SetBounds(0, 0, 400, 300);
        Customers = MakeTable("customer");
        Orders = MakeTable("orders");
        // A lookup field and a calculated field after the data fields.
        TField* Customer = MakeField("Customer", fkLookup);
        Customer->SetLookupDataSet(Customers);
        Customer->KeyFields = "CustNo";
        Customer->LookupKeyFields = "CustNo";
        Customer->LookupResultField = "Name";
        MakeField("Label", fkCalculated);
        OrderSource = new TDataSource(Form);
        OrderSource->SetDataSet(Orders);
        Combo = new TDBFieldComboBox(Form);
        Combo->SetParent(Form);
        Edit = new TDBLocateEdit(Form);
        Edit->SetParent(Form);
        Edit->SetTop(100);
    }

    TTable* MakeTable(const char* Name) {
        auto* Table = new TTable(Form);
        Table->SetDatabaseName(Db.Path());
        Table->SetTableName(Name);
        return Table;
    }

    TField* MakeField(const char* Name, TFieldKind Kind) {
        auto* Field = new TField(Form);
        Field->SetFieldName(Name);
        Field->SetFieldKind(Kind);
        Field->SetDataType(ftString);
        Field->SetDataSet(Orders);
        return Field;
    }

    // Opens the tables and binds the combo box and the locate edit to the orders.
    void OpenOrders() {
        Customers->Open();
        Orders->Open();
        Combo->SetDataSource(OrderSource);
        Edit->SetDataSource(OrderSource);
        Combo->SetRelatedComponent(Edit);
    }

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
    TTable* Orders = nullptr;
    TDataSource* OrderSource = nullptr;
    TDBFieldComboBox* Combo = nullptr;
    TDBLocateEdit* Edit = nullptr;
};

}  // namespace

TEST_F(FieldComboBoxTest, OpeningTheList_ListsTheFieldsOfTheChosenKinds) {
    struct Case {
        TFieldKinds Kinds;
        std::vector<String> Expected;
    } Cases[] = {
        {{fkData}, {"OrderNo", "CustNo", "Carrier"}},
        {{fkData, fkCalculated}, {"OrderNo", "CustNo", "Carrier", "Label"}},
        {{fkData, fkLookup}, {"OrderNo", "CustNo", "Carrier", "Customer"}},
        {{fkLookup, fkCalculated}, {"Customer", "Label"}},
        {{}, {}},
    };
    OpenOrders();
    EXPECT_EQ(Combo->GetFieldKinds(), TFieldKinds{fkData});
    EXPECT_EQ(sizeof(TFieldKinds), 1u);
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Kinds.Bits());
        Combo->SetFieldKinds(C.Kinds);
        std::vector<String> SeenInOnDropDown;
        Combo->OnDropDown = [&](TObject*) { SeenInOnDropDown = ItemsOf(*Combo); };
        Input.OpenList(*Combo);
        EXPECT_EQ(ItemsOf(*Combo), C.Expected);
        EXPECT_EQ(SeenInOnDropDown, C.Expected);
        Combo->SetDroppedDown(false);
    }
}

TEST_F(FieldComboBoxTest, WithoutAnOpenDataSet_TheListStaysAsItWas) {
    Combo->SetDataSource(OrderSource);  // closed: nothing listed yet
    EXPECT_TRUE(ItemsOf(*Combo).empty());
    Orders->Open();
    Input.OpenList(*Combo);
    Input.PickListItem(*Combo, 2);
    EXPECT_EQ(Combo->GetText(), "Carrier");
    Orders->Close();
    Input.OpenList(*Combo);
    EXPECT_EQ(ItemsOf(*Combo), (std::vector<String>{"OrderNo", "CustNo", "Carrier"}));
    Combo->SetDataSource(nullptr);
    EXPECT_EQ(Combo->GetText(), "");
    EXPECT_EQ(ItemsOf(*Combo).size(), 3u);
}

TEST_F(FieldComboBoxTest, PickingAField_BecomesTheLocateEditsSearchField) {
    OpenOrders();
    Edit->SetAutoUpdate(true);
    int Relates = 0;
    Combo->SetOnRelate([&](TComponent* Sender, TComponent* Target, bool& DefaultRelating) {
        EXPECT_EQ(Sender, Combo);
        EXPECT_EQ(Target, Edit);
        EXPECT_TRUE(DefaultRelating);
        ++Relates;
    });
    Input.OpenList(*Combo);
    Input.PickListItem(*Combo, 2);
    EXPECT_EQ(Edit->GetDataField(), "Carrier");
    EXPECT_EQ(Edit->GetText(), "UPS");
    Input.ClickOn(*Edit);
    Edit->SetText("");
    Input.TypeText("fe");
    EXPECT_EQ(Orders->FieldByName("OrderNo")->GetAsString(), "11");

    // Return relates the text again, also a typed one.
    Input.ClickOn(*Combo);
    Input.Press(VK_RETURN);
    EXPECT_EQ(Relates, 2);
    Retype("CustNo");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Edit->GetDataField(), "CustNo");
    Retype("");
    Input.Press(VK_RETURN);
    EXPECT_EQ(Edit->GetDataField(), "");  // falls back to the first sort field
    EXPECT_EQ(Edit->GetText(), "11");
    EXPECT_EQ(Relates, 4);
}

TEST_F(FieldComboBoxTest, DefaultRelating_OnlyForALocateEditOnTheSameDataSource) {
    OpenOrders();
    auto* OtherSource = new TDataSource(Form);
    OtherSource->SetDataSet(Orders);
    auto* PlainEdit = new TEdit(Form);
    struct Case {
        const char* Name;
        std::function<void()> Arrange;
    } Cases[] = {
        {"handler declines",
         [&] {
             Combo->SetOnRelate(
                 [](TComponent*, TComponent*, bool& DefaultRelating) { DefaultRelating = false; });
         }},
        {"another data source for the same dataset", [&] { Edit->SetDataSource(OtherSource); }},
        {"no locate edit", [&] { Combo->SetRelatedComponent(PlainEdit); }},
        {"nothing related", [&] { Combo->SetRelatedComponent(nullptr); }},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        Edit->SetDataSource(OrderSource);
        Edit->SetDataField("OrderNo");
        Combo->SetRelatedComponent(Edit);
        Combo->SetOnRelate(nullptr);
        C.Arrange();
        Input.OpenList(*Combo);
        Input.PickListItem(*Combo, 2);
        EXPECT_EQ(Edit->GetDataField(), "OrderNo");
    }
}

TEST_F(FieldComboBoxTest, UnknownFieldName_FailsOutOfTheKeyPress) {
    OpenOrders();
    Edit->SetDataField("OrderNo");
    Retype("Nope");
    EXPECT_THROW(Input.Press(VK_RETURN), EDatabaseError);
    EXPECT_EQ(Edit->GetDataField(), "OrderNo");
}

TEST_F(FieldComboBoxTest, RelatedComponentDestroyed_IsForgotten) {
    for (bool OtherOwner : {false, true}) {
        SCOPED_TRACE(OtherOwner);
        TComponent ForeignOwner(nullptr);
        auto* Related = new TDBLocateEdit(OtherOwner ? &ForeignOwner : Form);
        Related->SetDataSource(OrderSource);
        OpenOrders();
        Combo->SetRelatedComponent(Related);
        delete Related;
        EXPECT_EQ(Combo->GetRelatedComponent(), nullptr);
        Input.OpenList(*Combo);
        Input.PickListItem(*Combo, 1);  // relates to nothing
        Orders->Close();
    }
}

TEST_F(FieldComboBoxTest, DataSourceRemoved_EmptiesTheTextAndKeepsTheList) {
    for (bool OtherOwner : {false, true}) {
        SCOPED_TRACE(OtherOwner);
        TComponent ForeignOwner(nullptr);
        auto* Source = new TDataSource(OtherOwner ? &ForeignOwner : Form);
        Source->SetDataSet(Orders);
        Orders->Open();
        Combo->SetDataSource(Source);
        Combo->SetRelatedComponent(Source);   // watched for two reasons,
        Combo->SetRelatedComponent(nullptr);  // then still for one
        Input.OpenList(*Combo);
        Input.PickListItem(*Combo, 0);
        delete Source;
        EXPECT_EQ(Combo->GetDataSource(), nullptr);
        EXPECT_EQ(Combo->GetText(), "");
        EXPECT_EQ(ItemsOf(*Combo).size(), 3u);
        Orders->Close();
    }
}
