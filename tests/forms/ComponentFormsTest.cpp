// Forms that hold the five components: writing and reading them back, registering the grids
// of a loaded form, forms read in the designing state, bad forms, and the demo's form, on the
// sample database in SQLite and on the PostgreSQL test server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "platform/DBEngine.h"
#include "platform/DBGrids.h"
#include "platform/FormFiles.h"
#include "support/TempDatabase.h"
#include "varn/fieldcombo/DBFieldComboBox.h"
#include "varn/filtergrid/DBFilterGrid.h"
#include "varn/locateedit/DBLocateEdit.h"
#include "varn/sortcombo/DBSortComboBox.h"
#include "varn/titlesort/DBGridTitleSort.h"

using namespace platform;
using namespace varn;

namespace {

enum TEngine { engSQLite, engPostgreSQL };

std::string EngineName(const ::testing::TestParamInfo<TEngine>& Info) {
    return Info.param == engSQLite ? "SQLite" : "PostgreSQL";
}

std::string ReadFile(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        throw std::runtime_error("cannot read " + Path);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// The sample database under the alias DEMO, as the demo's form names it: a temporary
// SQLite file loaded from data/demo.sql, or the database that the PostgreSQL test server was
// loaded with.
class TSampleDatabase {
  public:
    explicit TSampleDatabase(TEngine Engine) {
        if (Engine == engSQLite) {
            FFile = std::make_unique<testing_support::TempDatabase>(ReadFile(VARN_DEMO_SQL));
            RegisterAlias(Name(), deSQLite, FFile->Path());
            return;
        }
        const char* ConnInfo = std::getenv("VARN_PG_CONNINFO");
        if (ConnInfo == nullptr)
            throw std::runtime_error(
                "VARN_PG_CONNINFO is not set: these tests need the PostgreSQL test server. "
                "Run them through scripts/with-postgres.sh (make test does).");
        RegisterAlias(Name(), dePostgreSQL, ConnInfo);
    }
    ~TSampleDatabase() { UnregisterAlias(Name()); }
    TSampleDatabase(const TSampleDatabase&) = delete;
    TSampleDatabase& operator=(const TSampleDatabase&) = delete;

    String Name() const { return "DEMO"; }

  private:
    std::unique_ptr<testing_support::TempDatabase> FFile;
};

// The components of a customer browser, found by name in a form.
struct TBrowser {
    explicit TBrowser(TComponent* Form)
        : Customers(Find<TTable>(Form, "Customers")),
          Source(Find<TDataSource>(Form, "CustomerSource")),
          Grid(Find<TDBGrid>(Form, "Grid")),
          TitleSort(Find<TDBGridTitleSort>(Form, "TitleSort")),
          SortCombo(Find<TDBSortComboBox>(Form, "SortCombo")),
          Search(Find<TDBLocateEdit>(Form, "Search")),
          FieldCombo(Find<TDBFieldComboBox>(Form, "FieldCombo")),
          Filter(Find<TDBFilterGrid>(Form, "Filter")) {}

    template <typename T>
    static T* Find(TComponent* Form, const String& Name) {
        auto* Component = dynamic_cast<T*>(Form->FindComponent(Name));
        EXPECT_NE(Component, nullptr) << Name;
        return Component;
    }

    TTable* Customers;
    TDataSource* Source;
    TDBGrid* Grid;
    TDBGridTitleSort* TitleSort;
    TDBSortComboBox* SortCombo;
    TDBLocateEdit* Search;
    TDBFieldComboBox* FieldCombo;
    TDBFilterGrid* Filter;
};

// The number of sort-change links that watch a data source.
int SortLinkCount(const TDataSource* Source) {
    int Count = 0;
    for (TDataLink* Link : Source->DataLinks())
        Count += dynamic_cast<TSortDataLink*>(Link) != nullptr ? 1 : 0;
    return Count;
}

// The field names of the grid's columns whose titles carry the clicked font colour.
String MarkedTitles(const TDBGrid* Grid, TColor ClickedFontColor) {
    String Marked;
    for (int I = 0; I < Grid->GetColumns()->Count(); ++I) {
        TColumn* Column = Grid->GetColumns()->GetColumn(I);
        if (Column->GetTitle()->GetFont()->GetColor() == ClickedFontColor)
            Marked += (Marked.empty() ? "" : ";") + Column->GetFieldName();
    }
    return Marked;
}

// The line (from 1) of Text on which Part begins.
int LineOf(const std::string& Text, const std::string& Part) {
    size_t At = Text.find(Part);
    EXPECT_NE(At, std::string::npos) << Part;
    return 1 +
           static_cast<int>(std::count(Text.begin(), Text.begin() + static_cast<long>(At), '\n'));
}

class ComponentForms : public ::testing::TestWithParam<TEngine> {
  protected:
    ComponentForms() : Db(GetParam()) {}

    // A customer browser made in code as a developer would set it up, with settings other
    // than the initial ones wherever loading keeps them.
    TForm* BuildBrowser() {
        auto* Form = new TForm(&Application);
        Form->SetName("CustomerForm");
        Form->SetText("Customers");
        Form->SetBounds(0, 0, 960, 640);

        // First on the form, so that loading registers its grids before the table opens.
        auto* TitleSort = Named(new TDBGridTitleSort(Form), "TitleSort");
        TitleSort->SetClickedTitleColor(clYellow);
        TitleSort->SetClickedTitleFontColor(clBlue);
        TitleSort->SetClickedTitleFontStyle({fsItalic, fsStrikeOut});
        TitleSort->SetClickedTitleMask("%t (%i)");
        TitleSort->SetUseClickedTitleColor(true);
        TitleSort->SetStrictLocalIndexing(false);
        TitleSort->SetStrictServerIndexing(true);
        TitleSort->SetUnSort(false);
        TitleSort->SetMultiColumnSort({mcsShift, mcsCtrl});

        auto* Customers = Named(new TTable(Form), "Customers");
        Customers->SetDatabaseName(Db.Name());
        Customers->SetTableName("customer");
        Customers->SetIndexFieldNames("City");
        Customers->Open();
        auto* Source = Named(new TDataSource(Form), "CustomerSource");
        Source->SetDataSet(Customers);

        auto* Grid = Named(new TDBGrid(Form), "Grid");
        Grid->SetParent(Form);
        Grid->SetBounds(8, 40, 700, 180);
        Grid->SetDataSource(Source);

        auto* SortCombo = Named(new TDBSortComboBox(Form), "SortCombo");
        SortCombo->SetParent(Form);
        SortCombo->SetBounds(8, 8, 160, 21);
        SortCombo->SetDataSource(Source);
        SortCombo->SetReopenAfterError(false);
        SortCombo->SetStrictServerIndexing(true);

        auto* Search = Named(new TDBLocateEdit(Form), "Search");
        Search->SetParent(Form);
        Search->SetBounds(176, 8, 160, 21);
        Search->SetAutoLocate(alReturnKey);
        Search->SetLocateOptions({loPartialKey});
        Search->SetDataSource(Source);
        Search->SetDataField("Name");
        Search->SetAutoUpdate(true);

        auto* FieldCombo = Named(new TDBFieldComboBox(Form), "FieldCombo");
        FieldCombo->SetParent(Form);
        FieldCombo->SetBounds(344, 8, 120, 21);
        FieldCombo->SetFieldKinds({fkData, fkInternalCalc});
        FieldCombo->SetDataSource(Source);
        FieldCombo->SetRelatedComponent(Search);

        auto* Filter = Named(new TDBFilterGrid(Form), "Filter");
        Filter->SetParent(Form);
        Filter->SetBounds(8, 230, Filter->GetWidth(), 120);
        Filter->SetDataSource(Source);
        Filter->SetFilterKind(fkSQL);
        Filter->SetFilterGridOptions({fgoCorrect, fgoExceptions, fgoStrictOperators});
        Filter->SetFilterMaxDropDownCount(9);
        Filter->SetDefaultOperator(foiIsNotNull);
        Filter->SetWildcards("*?\\");
        Filter->SetTargetWildcards("%_\\");
        Filter->SetRowCount(3);

        TitleSort->SetAutoRegister(arForm);
        return Form;
    }

    template <typename T>
    static T* Named(T* Component, const String& Name) {
        Component->SetName(Name);
        return Component;
    }

    // What the browser's form text holds: every property of the components, the stored
    // values of the settings above included.
    String BrowserText() {
        std::unique_ptr<TForm> Form(BuildBrowser());
        return WriteFormText(Form.get());
    }

    TSampleDatabase Db;
    TComponent Application{nullptr};
};

}  // namespace

TEST_P(ComponentForms, RoundTrip_WriteReadWriteGivesTheSameText) {
    String Text = BrowserText();
    // Enumerations and sets by their value names, every published property stored.
    const char* Stored[] = {
        "  object TitleSort: TDBGridTitleSort\n"
        "    AutoRegister = arForm\n"
        "    AutoUpdate = True\n"
        "    ClickedTitleColor = 65535\n"
        "    ClickedTitleFontColor = 16711680\n"
        "    ClickedTitleFontStyle = [fsItalic, fsStrikeOut]\n"
        "    ClickedTitleMask = '%t (%i)'\n"
        "    UseClickedTitleColor = True\n"
        "    UseClickedTitleFontColor = True\n"
        "    UseClickedTitleFontStyle = True\n"
        "    StrictLocalIndexing = False\n"
        "    StrictServerIndexing = True\n"
        "    UnSort = False\n"
        "    MultiColumnSort = [mcsShift, mcsCtrl]\n"
        "  end\n",
        "    Text = 'City'\n"
        "    AutoUpdate = True\n"
        "    DataSource = CustomerSource\n"
        "    ReopenAfterError = False\n"
        "    StrictServerIndexing = True\n",
        "    AutoLocate = alReturnKey\n"
        "    AutoUpdate = True\n"
        "    DataField = 'Name'\n"
        "    DataSource = CustomerSource\n"
        "    LocateOptions = [loPartialKey]\n",
        "      'Notes')\n"
        "    Text = ''\n"
        "    DataSource = CustomerSource\n"
        "    FieldKinds = [fkData, fkInternalCalc]\n"
        "    RelatedComponent = Search\n",
        "    RowCount = 3\n",
        "    DataSource = CustomerSource\n"
        "    FilterKind = fkSQL\n"
        "    FilterMaxDropDownCount = 9\n"
        "    DefaultOperator = foiIsNotNull\n"
        "    Wildcards = '*?\\'\n"
        "    TargetWildcards = '%_\\'\n"
        "    FilterGridOptions = [fgoCorrect, fgoExceptions, fgoStrictOperators]\n"
        "  end\n",
        "  object Grid: TDBGrid\n",
    };
    for (const char* Part : Stored)
        EXPECT_NE(Text.find(Part), String::npos) << Part << "\nin\n" << Text;

    std::unique_ptr<TComponent> Form(ReadFormText(Text, &Application));
    EXPECT_EQ(WriteFormText(Form.get()), Text);

    // The settings came back as they were made, also where binding a table changes them.
    TBrowser B(Form.get());
    EXPECT_EQ(B.Filter->GetFilterKind(), fkSQL);
    EXPECT_EQ(B.Filter->GetFilterGridOptions(),
              (TFilterGridOptions{fgoCorrect, fgoExceptions, fgoStrictOperators}));
    EXPECT_EQ(B.Filter->GetDataSource(), B.Source);
    EXPECT_EQ(B.FieldCombo->GetRelatedComponent(), B.Search);
    EXPECT_EQ(B.Grid->GetDataSource(), B.Source);
    EXPECT_EQ(B.Grid->GetParent(), Form.get());
    EXPECT_EQ(B.Search->GetText(), B.Customers->FieldByName("Name")->GetAsString());
    // Loaded and live: the grid is registered with its sorted title marked, the filter
    // grid has its editor, value query and delete button.
    EXPECT_TRUE(B.TitleSort->IsRegistered(B.Grid));
    EXPECT_EQ(MarkedTitles(B.Grid, clBlue), "City");
    EXPECT_EQ(B.Filter->ComponentCount(), 3);
}

TEST_P(ComponentForms, Designing_FilterGridHasNoEditorQueryButtonOrGlyph) {
    String Text = BrowserText();
    std::unique_ptr<TComponent> Form(ReadFormText(Text, &Application, /*Designing*/ true));
    TBrowser B(Form.get());
    EXPECT_TRUE(B.Filter->GetComponentState().Contains(csDesigning));
    // The editor, the value query and the button (which holds the glyph) are all owned by
    // the grid; the editor would also be a control of the form.
    EXPECT_EQ(B.Filter->ComponentCount(), 0);
    auto* FormControl = dynamic_cast<TWinControl*>(Form.get());
    for (int I = 0; I < FormControl->ControlCount(); ++I)
        EXPECT_EQ(dynamic_cast<TDBFilterGridComboBox*>(FormControl->Controls(I)), nullptr);
    // Nothing is registered or marked in the designer, and saving gives what was read.
    EXPECT_EQ(B.TitleSort->GetRegisteredGridNames(), "");
    EXPECT_EQ(MarkedTitles(B.Grid, clBlue), "");
    EXPECT_EQ(WriteFormText(Form.get()), Text);
}

TEST_P(ComponentForms, AutoRegister_RegistersTheGridsOfTheLoadedFormWithOneLink) {
    // The title sort comes before the table, so its grids are registered while the table
    // is still closed and marked when it opens.
    const String Form =
        "object BrowseForm: TForm\n"
        "  object TitleSort: TDBGridTitleSort\n"
        "    AutoRegister = AUTOREGISTER\n"
        "  end\n"
        "  object Customers: TTable\n"
        "    Active = True\n"
        "    DatabaseName = '" +
        Db.Name() +
        "'\n"
        "    TableName = 'customer'\n"
        "    IndexFieldNames = 'City;Name'\n"
        "  end\n"
        "  object CustomerSource: TDataSource\n"
        "    DataSet = Customers\n"
        "  end\n"
        "  object Grid1: TDBGrid\n"
        "    Height = 200\n"
        "    DataSource = CustomerSource\n"
        "  end\n"
        "  object Grid2: TDBGrid\n"
        "    Height = 120\n"
        "    DataSource = CustomerSource\n"
        "  end\n"
        "end\n";
    struct Case {
        String Method;
        String Registered;
        int Links;
        String Marked;
    } Cases[] = {
        {"arForm", "Grid1;Grid2", 1, "Name;City"},  // marks in column order
        {"arNone", "", 0, ""},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Method);
        String Text = Form;
        Text.replace(Text.find("AUTOREGISTER"), 12, C.Method);
        std::unique_ptr<TComponent> Root(ReadFormText(Text, &Application));
        auto* TitleSort = dynamic_cast<TDBGridTitleSort*>(Root->FindComponent("TitleSort"));
        auto* Source = dynamic_cast<TDataSource*>(Root->FindComponent("CustomerSource"));
        EXPECT_EQ(TitleSort->GetRegisteredGridNames(), C.Registered);
        EXPECT_EQ(SortLinkCount(Source), C.Links);
        for (const char* Name : {"Grid1", "Grid2"})
            EXPECT_EQ(MarkedTitles(dynamic_cast<TDBGrid*>(Root->FindComponent(Name)), clRed),
                      C.Marked)
                << Name;
    }
}

TEST_P(ComponentForms, BadForms_NameTheLineAndLeaveNothingBehind) {
    const String Good = BrowserText();
    struct Case {
        String From;  // replaced in the good form by To
        String To;
        String Message;  // after "Line N: "
        String LineAt;   // the text whose line is reported; empty: where To is
    } Cases[] = {
        {"  object Search: TDBLocateEdit", "  object Search: TDBLocatorEdit",
         "unknown class TDBLocatorEdit of Search", ""},
        {"    FilterKind = fkSQL", "    FilterKnd = fkSQL",
         "Filter.FilterKnd: unknown property of TDBFilterGrid", ""},
        {"    AutoLocate = alReturnKey", "    AutoLocate = 'alReturnKey'",
         "Search.AutoLocate: a value of TAutoLocate expected", ""},
        {"    DefaultOperator = foiIsNotNull", "    DefaultOperator = foiBetween",
         "Filter.DefaultOperator: foiBetween is not a value of TFilterOperatorIndex", ""},
        {"    MultiColumnSort = [mcsShift, mcsCtrl]", "    MultiColumnSort = [mcsShift, mcsMeta]",
         "TitleSort.MultiColumnSort: mcsMeta is not a member of TDBGridMulticolumnSortMethods", ""},
        {"    FieldKinds = [fkData, fkInternalCalc]", "    FieldKinds = fkData",
         "FieldCombo.FieldKinds: a set expected", ""},
        {"    UnSort = False", "    UnSort = 0", "TitleSort.UnSort: True or False expected", ""},
        {"    FilterMaxDropDownCount = 9", "    FilterMaxDropDownCount = nine",
         "Filter.FilterMaxDropDownCount: a number expected", ""},
        {"    RelatedComponent = Search", "    RelatedComponent = Searcher",
         "FieldCombo.RelatedComponent: unknown component Searcher", ""},
        {"    DataField = 'Name'\n    DataSource = CustomerSource",
         "    DataField = 'Name'\n    DataSource = Customers",
         "Search.DataSource: Invalid value for property DataSource: a TTable is not of the "
         "property's class",
         "    DataSource = Customers"},
        {"    FilterGridOptions = [fgoCorrect, fgoExceptions, fgoStrictOperators]\n  end\n",
         "    FilterGridOptions = [fgoCorrect, fgoExceptions, fgoStrictOperators]\n",
         "object CustomerForm has no end", "object CustomerForm"},
        // Loading fails after the title sort has registered the grid and made its link.
        {"    TableName = 'customer'", "    TableName = 'nothing'", "", "  object Customers:"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.To);
        String Text = Good;
        size_t At = Text.find(C.From);
        ASSERT_NE(At, String::npos);
        Text.replace(At, C.From.size(), C.To);
        int Line = LineOf(Text, C.LineAt.empty() ? C.To : C.LineAt);
        try {
            delete ReadFormText(Text, &Application);
            ADD_FAILURE() << "read";
        } catch (const EFormFileError& E) {
            String Expected = "Line " + std::to_string(Line) + ": ";
            if (C.Message.empty())
                EXPECT_EQ(E.Message().rfind(Expected + "Customers: ", 0), 0u) << E.Message();
            else
                EXPECT_EQ(E.Message(), Expected + C.Message);
        }
        EXPECT_EQ(Application.ComponentCount(), 0);
    }
}

TEST_P(ComponentForms, DemoForm_LoadsAsACustomerBrowserAndRoundTrips) {
    auto Form = std::unique_ptr<TComponent>(ReadFormText(ReadFile(VARN_DEMO_FORM), &Application));
    TBrowser B(Form.get());
    EXPECT_TRUE(B.Customers->GetActive());
    EXPECT_EQ(B.Grid->GetDataSource(), B.Source);
    EXPECT_EQ(B.SortCombo->GetDataSource(), B.Source);
    EXPECT_EQ(B.Search->GetDataSource(), B.Source);
    EXPECT_EQ(B.FieldCombo->GetDataSource(), B.Source);
    EXPECT_EQ(B.Filter->GetDataSource(), B.Source);
    EXPECT_EQ(B.FieldCombo->GetRelatedComponent(), B.Search);
    EXPECT_EQ(B.Filter->GetFilterKind(), fkSQL);
    EXPECT_TRUE(B.TitleSort->IsRegistered(B.Grid));
    EXPECT_EQ(B.SortCombo->GetText(), "CustNo");

    String Text = WriteFormText(Form.get());
    Form.reset();
    Form.reset(ReadFormText(Text, &Application));
    EXPECT_EQ(WriteFormText(Form.get()), Text);
}

INSTANTIATE_TEST_SUITE_P(Engines, ComponentForms, ::testing::Values(engSQLite, engPostgreSQL),
                         EngineName);
