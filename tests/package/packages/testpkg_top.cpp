// A test package that requires testpkg_base and lists its unit BaseShared again.
#include "TestUnits.h"

namespace {

platform::TUnitCounter UnitCounter("TopUnit");
platform::TUnitCounter PackageCounter("testpkg_top");

const platform::TPackageUnit Units[] = {
    {"BaseShared", &BaseSharedInitialization, &BaseSharedFinalization},
    {"TopUnit", [] { UnitCounter.Initialize([] { TestUnitEvent("init TopUnit"); }); },
     [] { UnitCounter.Finalize([] { TestUnitEvent("final TopUnit"); }); }},
    {"testpkg_top", [] { PackageCounter.Initialize([] { TestUnitEvent("init testpkg_top"); }); },
     [] { PackageCounter.Finalize([] { TestUnitEvent("final testpkg_top"); }); }},
};

const platform::TPackageStartup Startup(Units);

const char Info[] = R"(flags never-build design-only
requires VCL35
requires testpkg_base
unit TopUnit
unit testpkg_top package
)";
const testpkg::TPackageInfoResource InfoResource(Info);

}  // namespace

extern "C" void Initialize() {
    platform::InitializeUnits(Units);
}

extern "C" void Finalize() {
    platform::FinalizeUnits(Units);
}
