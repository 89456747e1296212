// Package information records: a full record read back, and records that are refused with
// the line that is wrong.
#include <gtest/gtest.h>

#include "platform/Packages.h"

using namespace platform;

namespace {

TEST(PackageInfo, Parse_ReadsFlagsRequiresAndUnitsInOrder) {
    TPackageInfo Info = ParsePackageInfo(
        "# a comment\r\n"
        "\n"
        "flags never-build design-only\n"
        "requires VCL35\n"
        "  requires   mine  \n"
        "unit First\n"
        "unit Second\n"
        "unit pkg package\n"
        "unit Sysinit startup\n"
        "unit Windows weak\n");
    EXPECT_EQ(Info.Flags, (TPackageFlags{pfNeverBuild, pfDesignOnly}));
    EXPECT_EQ(Info.Requires, (std::vector<String>{"VCL35", "mine"}));
    EXPECT_EQ(Info.Units, (std::vector<TPackageUnitInfo>{{"First", ukOwn},
                                                         {"Second", ukOwn},
                                                         {"pkg", ukPackage},
                                                         {"Sysinit", ukStartup},
                                                         {"Windows", ukWeak}}));
    EXPECT_EQ(Info.Name(), "pkg");
    EXPECT_EQ(Info.OwnUnits(), (std::vector<String>{"First", "Second", "pkg"}));
}

TEST(PackageInfo, Parse_RefusesBadRecordsNamingTheLine) {
    struct TCase {
        const char* Text;
        const char* Message;
    };
    const TCase Cases[] = {
        {"flags never-build\nflags fast\nunit p package\n",
         "PACKAGEINFO line 2: unknown flag fast"},
        {"requires\nunit p package\n", "PACKAGEINFO line 1: requires takes one package name"},
        {"requires a b\nunit p package\n", "PACKAGEINFO line 1: requires takes one package name"},
        {"unit p package\nunit q strange\n", "PACKAGEINFO line 2: unknown unit kind strange"},
        {"unit p package extra\n", "PACKAGEINFO line 1: unit takes a name and an optional kind"},
        {"unit Shared\nunit p package\nunit SHARED weak\n",
         "PACKAGEINFO line 3: unit SHARED is listed twice"},
        {"# only\nbogus x\nunit p package\n", "PACKAGEINFO line 2: unknown entry bogus"},
        {"unit a\n", "PACKAGEINFO: a package has exactly one package unit"},
        {"unit a package\nunit b package\n", "PACKAGEINFO: a package has exactly one package unit"},
        {"flags design-only run-only\nunit p package\n",
         "PACKAGEINFO: a package cannot be both design-only and run-only"},
    };
    for (const TCase& Case : Cases) {
        try {
            ParsePackageInfo(Case.Text);
            ADD_FAILURE() << "accepted: " << Case.Text;
        } catch (const EPackageError& E) {
            EXPECT_EQ(E.Message(), Case.Message) << Case.Text;
        }
    }
}

}  // namespace
