// The package loader on small test packages: required packages first, units initialized in
// table order and finalized in reverse, each unit's body once however many packages list it,
// loads counted, failures that leave nothing behind, and packages that start themselves
// when they are opened by other means than the loader.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DesignHost.h"
#include "platform/Packages.h"

using namespace platform;

using TEvents = std::vector<std::string>;

namespace {

TEvents& Events() {
    static TEvents Instance;
    return Instance;
}

}  // namespace

// The test packages report here (this program exports the function).
extern "C" void TestUnitEvent(const char* Event) {
    Events().push_back(Event);
}

namespace {

const TEvents BaseStarts = {"init BaseShared", "init BaseUnit", "init testpkg_base"};
const TEvents BaseEnds = {"final testpkg_base", "final BaseUnit", "final BaseShared"};

TEvents Join(std::initializer_list<TEvents> Parts) {
    TEvents Result;
    for (const TEvents& Part : Parts)
        Result.insert(Result.end(), Part.begin(), Part.end());
    return Result;
}

std::string PackagePath(const std::string& Name) {
    return std::string(TEST_PACKAGE_DIR) + "/lib" + Name + ".so";
}

class PackageLoaderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { AddPackageDirectory(TEST_PACKAGE_DIR); }
    void SetUp() override {
        Events().clear();
        UnitsBefore = InitializedUnits();
    }
    void TearDown() override { EXPECT_EQ(InitializedUnits(), UnitsBefore); }

    std::vector<String> UnitsBefore;
};

TEST_F(PackageLoaderTest, Load_RequiredPackageFirstAndSharedUnitOnce) {
    TModule Top = LoadPackage("testpkg_top");
    EXPECT_EQ(Events(), Join({BaseStarts, {"init TopUnit", "init testpkg_top"}}));
    std::vector<String> Units = InitializedUnits();
    EXPECT_EQ(std::count(Units.begin(), Units.end(), "BaseShared"), 1);

    Events().clear();
    UnloadPackage(Top);
    EXPECT_EQ(Events(), Join({{"final testpkg_top", "final TopUnit"}, BaseEnds}));
}

TEST_F(PackageLoaderTest, Load_AgainCountsALoadAndSharesTheModule) {
    TModule First = LoadPackage("testpkg_base");
    TModule Second = LoadPackage(PackagePath("testpkg_base"));
    EXPECT_EQ(First, Second);
    EXPECT_EQ(Events(), BaseStarts);

    Events().clear();
    UnloadPackage(Second);
    EXPECT_TRUE(Events().empty());
    UnloadPackage(First);
    EXPECT_EQ(Events(), BaseEnds);
}

TEST_F(PackageLoaderTest, Load_FailureLeavesNothingLoadedOrInitialized) {
    struct TCase {
        std::string Package;
        std::string Message;  // the beginning of the error's message
        TEvents Events;
    };
    const TCase Cases[] = {
        // A unit fails: the units before it end in reverse, then the required package goes.
        {"testpkg_failing", "FailingUnit cannot start",
         Join({BaseStarts, {"init FailingFirst", "final FailingFirst"}, BaseEnds})},
        // A required package is missing: those loaded before it go again.
        {"testpkg_orphan", "Cannot load package testpkg_nowhere: ", Join({BaseStarts, BaseEnds})},
        {"testpkg_self", "Package testpkg_self requires itself", {}},
        {"testpkg_absent", "Cannot load package testpkg_absent: ", {}},
        {PackagePath("testpkg_absent"), "Cannot load package " + PackagePath("testpkg_absent"), {}},
    };
    for (const TCase& Case : Cases) {
        Events().clear();
        try {
            LoadPackage(Case.Package);
            ADD_FAILURE() << Case.Package << " loaded";
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message().substr(0, Case.Message.size()), Case.Message) << E.Message();
        }
        EXPECT_EQ(Events(), Case.Events) << Case.Package;
        EXPECT_EQ(InitializedUnits(), UnitsBefore) << Case.Package;
    }
}

TEST_F(PackageLoaderTest, Load_LibraryWithoutEntryPointsIsNoPackage) {
    Dl_info Info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&LoadPackage), &Info), 0);
    try {
        LoadPackage(Info.dli_fname);
        ADD_FAILURE() << "the platform's library loaded as a package";
    } catch (const EPackageError& E) {
        EXPECT_NE(E.Message().find("it exports no Initialize and Finalize"), std::string::npos)
            << E.Message();
    }
}

TEST_F(PackageLoaderTest, PlatformPackages_AreThePlatformLibrary) {
    EXPECT_EQ(LoadPackage("VCL35"), PlatformModule());
    EXPECT_EQ(LoadPackage("VCLDB35"), PlatformModule());
    EXPECT_EQ(PlatformModule(), ModuleOf(reinterpret_cast<void*>(&LoadPackage)));
    UnloadPackage(PlatformModule());
    UnloadPackage(PlatformModule());
}

TEST_F(PackageLoaderTest, Unload_UnknownModuleFails) {
    EXPECT_THROW(UnloadPackage(ModuleOf(reinterpret_cast<void*>(&Events))), EPackageError);
}

TEST_F(PackageLoaderTest, FindPackageSymbol_OnlyThePackagesOwn) {
    TModule Top = LoadPackage("testpkg_top");
    TModule Base = LoadPackage("testpkg_base");
    void* TopInitialize = FindPackageSymbol(Top, "Initialize");
    EXPECT_NE(TopInitialize, nullptr);
    EXPECT_EQ(ModuleOf(TopInitialize), Top);
    EXPECT_NE(FindPackageSymbol(Base, "Initialize"), TopInitialize);
    // The base's unit routines are reachable from the top package's library, but are not its own.
    EXPECT_EQ(FindPackageSymbol(Top, "BaseSharedInitialization"), nullptr);
    EXPECT_NE(FindPackageSymbol(Base, "BaseSharedInitialization"), nullptr);
    UnloadPackage(Base);
    UnloadPackage(Top);
}

// Opened by the dynamic linker's own means, as for a program that links it, a package
// starts its units when it comes and ends them when it goes; the loader's Initialize and
// Finalize meanwhile only move the counters.
TEST_F(PackageLoaderTest, Startup_PackageOpenedDirectlyStartsItself) {
    void* Handle = dlopen(PackagePath("testpkg_base").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(Handle, nullptr) << dlerror();
    EXPECT_EQ(Events(), BaseStarts);

    Events().clear();
    UnloadPackage(LoadPackage("testpkg_base"));
    EXPECT_TRUE(Events().empty());

    dlclose(Handle);
    EXPECT_EQ(Events(), BaseEnds);
}

TEST_F(PackageLoaderTest, DesignHost_RefusesARunOnlyPackageAndUnloadsIt) {
    TDesignHost Host;
    try {
        Host.InstallPackage("testpkg_base");
        ADD_FAILURE() << "a run-only package was installed";
    } catch (const EDesignError& E) {
        EXPECT_EQ(E.Message(), "Package testpkg_base is run-only and cannot be installed");
    }
    EXPECT_EQ(Events(), Join({BaseStarts, BaseEnds}));
    EXPECT_TRUE(Host.Packages().empty());
}

TEST(UnitCounter, BodiesRunOnFirstInitializationAndLastFinalization) {
    static int Starts = 0, Ends = 0;
    TUnitCounter Counter("CountedUnit");
    auto Start = [] { ++Starts; };
    auto End = [] { ++Ends; };
    Counter.Finalize(End);  // without an initialization: nothing
    EXPECT_EQ(Counter.Value(), 0);
    Counter.Initialize(Start);
    Counter.Initialize(Start);
    EXPECT_EQ(Counter.Value(), -2);
    EXPECT_EQ(Starts, 1);
    Counter.Finalize(End);
    EXPECT_EQ(Ends, 0);
    Counter.Finalize(End);
    EXPECT_EQ(Ends, 1);
    EXPECT_EQ(Counter.Value(), 0);
}

TEST(UnitCounter, FailedBodyLeavesTheUnitUninitialized) {
    static bool Fail = true;
    TUnitCounter Counter("FragileUnit");
    auto Body = [] {
        if (Fail)
            throw Exception("not yet");
    };
    EXPECT_THROW(Counter.Initialize(Body), Exception);
    EXPECT_EQ(Counter.Value(), 0);
    std::vector<String> Units = InitializedUnits();
    EXPECT_EQ(std::count(Units.begin(), Units.end(), "FragileUnit"), 0);

    Fail = false;
    Counter.Initialize(Body);
    Units = InitializedUnits();
    EXPECT_EQ(std::count(Units.begin(), Units.end(), "FragileUnit"), 1);
    Counter.Finalize();
    Units = InitializedUnits();
    EXPECT_EQ(std::count(Units.begin(), Units.end(), "FragileUnit"), 0);
}

}  // namespace
