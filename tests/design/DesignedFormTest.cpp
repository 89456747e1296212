// A form on a live database read into the designer host, on SQLite and on the PostgreSQL
// test server: everything designing, properties shown and set through their editors.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "platform/DBEngine.h"
#include "platform/DBTables.h"
#include "platform/DesignHost.h"
#include "support/TempDatabase.h"

using namespace platform;

namespace {

enum TEngine { engSQLite, engPostgreSQL };

const char FormText[] =
    "object Browser: TForm\n"
    "  object Customers: TTable\n"
    "    DatabaseName = 'DESIGNDB'\n"
    "    TableName = 'customer'\n"
    "    Active = True\n"
    "  end\n"
    "  object CustomerSource: TDataSource\n"
    "    DataSet = Customers\n"
    "  end\n"
    "  object SortCombo: TDBSortComboBox\n"
    "    DataSource = CustomerSource\n"
    "  end\n"
    "  object TitleSort: TDBGridTitleSort\n"
    "    ClickedTitleMask = '%t %s'\n"
    "  end\n"
    "end\n";

std::string ReadFile(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// The sample database under the alias DESIGNDB, in a temporary SQLite file or on the
// PostgreSQL test server.
class DesignedFormTest : public ::testing::TestWithParam<TEngine> {
  protected:
    static void SetUpTestSuite() { AddPackageDirectory(VARN_PACKAGE_DIR); }
    void SetUp() override {
        if (GetParam() == engSQLite) {
            File = std::make_unique<testing_support::TempDatabase>(ReadFile(VARN_DEMO_SQL));
            RegisterAlias("DESIGNDB", deSQLite, File->Path());
        } else {
            const char* ConnInfo = std::getenv("VARN_PG_CONNINFO");
            ASSERT_NE(ConnInfo, nullptr) << "VARN_PG_CONNINFO is not set: run the tests through "
                                            "scripts/with-postgres.sh (make test does)";
            RegisterAlias("DESIGNDB", dePostgreSQL, ConnInfo);
        }
        Host = std::make_unique<TDesignHost>();
        Host->InstallPackage("varnrt");
        Host->InstallPackage("varndt");
    }
    void TearDown() override {
        Host.reset();
        UnregisterAlias("DESIGNDB");
    }
    TComponent* Find(const char* Name) const { return Host->GetForm()->FindComponent(Name); }

    std::unique_ptr<testing_support::TempDatabase> File;
    std::unique_ptr<TDesignHost> Host;
};

TEST_P(DesignedFormTest, LoadForm_DesigningAndEditedThroughTheEditors) {
    TComponent* Form = Host->LoadForm(FormText);
    EXPECT_TRUE(Form->GetComponentState().Contains(csDesigning));
    for (int I = 0; I < Form->ComponentCount(); ++I)
        EXPECT_TRUE(Form->Components(I)->GetComponentState().Contains(csDesigning))
            << Form->Components(I)->GetName();

    auto* Customers = dynamic_cast<TTable*>(Find("Customers"));
    ASSERT_NE(Customers, nullptr);
    EXPECT_TRUE(Customers->GetActive());
    EXPECT_EQ(Host->GetPropertyValue({Customers}, "Active"), "True");
    EXPECT_EQ(Host->GetPropertyValues({Find("SortCombo")}, "DataSource"),
              std::vector<String>{"CustomerSource"});
    EXPECT_EQ(Host->GetPropertyValue({Find("TitleSort")}, "ClickedTitleMask"), "%t %s");
    EXPECT_EQ(Host->GetPropertyValues({Find("TitleSort")}, "ClickedTitleMask").size(), 4u);

    Host->SetPropertyValue({Customers}, "Active", "False");
    EXPECT_FALSE(Customers->GetActive());
    Host->SetPropertyValue({Find("SortCombo")}, "DataSource", "");
    EXPECT_EQ(Host->GetPropertyValue({Find("SortCombo")}, "DataSource"), "");
}

TEST_P(DesignedFormTest, LoadForm_BadFormKeepsTheFormBeingDesigned) {
    TComponent* Form = Host->LoadForm(FormText);
    String Bad = FormText;
    Bad.replace(Bad.find("TDBGridTitleSort"), 16, "TNoSuchComponent");
    EXPECT_THROW(Host->LoadForm(Bad), Exception);
    EXPECT_EQ(Host->GetForm(), Form);
    EXPECT_NE(Find("TitleSort"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Engines, DesignedFormTest, ::testing::Values(engSQLite, engPostgreSQL),
                         [](const ::testing::TestParamInfo<TEngine>& Info) {
                             return Info.param == engSQLite ? "SQLite" : "PostgreSQL";
                         });

}  // namespace
