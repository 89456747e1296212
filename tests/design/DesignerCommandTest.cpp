// The varn-designer command, run as a user runs it: the palette, a property's value list, a
// bitmap written out, and a form file checked, good or bad.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/Resources.h"
#include "support/TempDatabase.h"
#include "varn/filtergrid/DBFilterGrid.h"

using namespace platform;

namespace {

struct TRun {
    int ExitCode;
    std::string Output;  // standard output and standard error
};

TRun Designer(const std::string& Arguments) {
    std::string Command =
        std::string(VARN_DESIGNER) + " --package-dir " VARN_PACKAGE_DIR " " + Arguments + " 2>&1";
    FILE* Pipe = popen(Command.c_str(), "r");
    if (Pipe == nullptr)
        return {-1, "cannot run " + Command};
    std::string Output;
    char Buffer[512];
    while (size_t N = fread(Buffer, 1, sizeof Buffer, Pipe))
        Output.append(Buffer, N);
    int Status = pclose(Pipe);
    return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, Output};
}

std::string ReadFile(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

void WriteFile(const std::string& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
}

class DesignerCommandTest : public ::testing::Test {
  protected:
    testing_support::TempDatabase Database{
        "CREATE TABLE customer (id INTEGER PRIMARY KEY, name TEXT, city TEXT);"
        "INSERT INTO customer VALUES (1, 'Smith', 'Oslo');"};
    std::string File(const char* Name) const { return Database.Directory() + "/" + Name; }
};

TEST_F(DesignerCommandTest, Palette_ShowsThePackagesAndTheFiveComponents) {
    TRun Run = Designer("palette");
    EXPECT_EQ(Run.ExitCode, 0);
    const char* Bitmap = ", bitmap 24x24, 4 bits per pixel\n";
    EXPECT_EQ(Run.Output,
              "package varnrt: Varn - Database Components, version 1.0.0.2\n"
              "package varndt: Varn - Database Components Design, version 1.0.0.2\n"
              "page Varn\n"
              "  TDBLocateEdit" +
                  std::string(Bitmap) + "  TDBFieldComboBox" + Bitmap + "  TDBSortComboBox" +
                  Bitmap + "  TDBGridTitleSort" + Bitmap + "  TDBFilterGrid" + Bitmap);
}

TEST_F(DesignerCommandTest, Values_ListsThroughThePropertysEditor) {
    struct TCase {
        const char* Arguments;
        int ExitCode;
        const char* Output;
    };
    const TCase Cases[] = {
        {"values TDBGridTitleSort ClickedTitleMask", 0, "%t (sorted)\n%t %s\n%t (%i)\n%i: %t\n"},
        {"values TDBLocateEdit AutoLocate", 0, "alNone\nalOnChange\nalReturnKey\n"},
        {"values TDBGridTitleSort UnSort", 0, "False\nTrue\n"},
        {"values TDBGridTitleSort ClickedTitleColor", 1,
         "varn-designer: Property ClickedTitleColor has no value list\n"},
        {"values TDBGridTitleSort Nothing", 1,
         "varn-designer: DBGridTitleSort1 has no property Nothing\n"},
        {"values TNoSuchClass Name", 1, "varn-designer: Class TNoSuchClass cannot be made\n"},
    };
    for (const TCase& Case : Cases) {
        TRun Run = Designer(Case.Arguments);
        EXPECT_EQ(Run.ExitCode, Case.ExitCode) << Case.Arguments;
        EXPECT_EQ(Run.Output, Case.Output) << Case.Arguments;
    }
}

TEST_F(DesignerCommandTest, Bitmap_WritesTheResourceAsItIs) {
    TRun Run = Designer("bitmap TDBFILTERGRID " + File("grid.bmp"));
    EXPECT_EQ(Run.ExitCode, 0) << Run.Output;
    TResource Resource = FindResource(varn::RuntimeModule(), "TDBFILTERGRID");
    ASSERT_TRUE(Resource.Found());
    EXPECT_EQ(ReadFile(File("grid.bmp")),
              std::string(reinterpret_cast<const char*>(Resource.Data), Resource.Size));

    Run = Designer("bitmap MAINICON " + File("icon.bmp"));
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_EQ(Run.Output, "varn-designer: Resource MAINICON is not a bitmap\n");
    Run = Designer("bitmap NOSUCHBITMAP " + File("none.bmp"));
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_EQ(Run.Output, "varn-designer: No package has a resource NOSUCHBITMAP\n");
}

TEST_F(DesignerCommandTest, Check_ReportsTheComponentsOfAForm) {
    WriteFile(File("good.form"),
              "object Browser: TForm\n"
              "  Caption = 'Customers'\n"
              "  object Customers: TTable\n"
              "    DatabaseName = '" +
                  Database.Path() +
                  "'\n"
                  "    TableName = 'customer'\n"
                  "    Active = True\n"
                  "  end\n"
                  "  object Source: TDataSource\n"
                  "    DataSet = Customers\n"
                  "  end\n"
                  "  object TitleSort: TDBGridTitleSort\n"
                  "    ClickedTitleMask = '%t (%i)'\n"
                  "    ClickedTitleFontStyle = [fsBold, fsUnderline]\n"
                  "  end\n"
                  "  object Search: TDBLocateEdit\n"
                  "    DataSource = Source\n"
                  "  end\n"
                  "end\n");
    TRun Run = Designer("check " + File("good.form"));
    EXPECT_EQ(Run.ExitCode, 0) << Run.Output;
    for (const char* Line :
         {"Browser: TForm\n", "  Caption = Customers\n", "Customers: TTable\n",
          "  TableName = customer\n", "  Active = True\n", "Source: TDataSource\n",
          "  DataSet = Customers\n", "TitleSort: TDBGridTitleSort\n",
          "  ClickedTitleMask = %t (%i)\n", "  ClickedTitleFontStyle = [fsBold,fsUnderline]\n",
          "Search: TDBLocateEdit\n", "  DataSource = Source\n"})
        EXPECT_NE(Run.Output.find(Line), std::string::npos) << Line << "in:\n" << Run.Output;
}

TEST_F(DesignerCommandTest, Check_BadFormFailsWithTheLine) {
    struct TCase {
        const char* Text;
        const char* Error;
    };
    const TCase Cases[] = {
        {"object F: TForm\n  object X: TNoSuch\n  end\nend\n",
         "Line 2: unknown class TNoSuch of X"},
        {"object F: TForm\n  object T: TDBGridTitleSort\n    ClickedTitleMask = 12\n  end\nend\n",
         "Line 3: T.ClickedTitleMask: a string expected"},
        {"object F: TForm\n  object T: TDBGridTitleSort\n", "Line 2: object T has no end"},
    };
    for (const TCase& Case : Cases) {
        WriteFile(File("bad.form"), Case.Text);
        TRun Run = Designer("check " + File("bad.form"));
        EXPECT_EQ(Run.ExitCode, 1) << Case.Text;
        EXPECT_EQ(Run.Output, "varn-designer: " + File("bad.form") + ": " + Case.Error + "\n");
    }
    TRun Run = Designer("check " + File("missing.form"));
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_EQ(Run.Output, "varn-designer: Cannot read " + File("missing.form") + "\n");
}

TEST_F(DesignerCommandTest, Usage_WrongCommandsExitWithTwo) {
    for (const char* Arguments :
         {"", "paint", "palette extra", "values TDBGridTitleSort", "check"}) {
        TRun Run = Designer(Arguments);
        EXPECT_EQ(Run.ExitCode, 2) << Arguments;
        EXPECT_EQ(Run.Output.rfind("usage: varn-designer", 0), 0u) << Arguments;
    }
}

}  // namespace
