// A run-only test package with two units of its own, the first of which other packages list
// again.
#include "TestUnits.h"

namespace {

platform::TUnitCounter SharedCounter("BaseShared");
platform::TUnitCounter UnitCounter("BaseUnit");
platform::TUnitCounter PackageCounter("testpkg_base");

const platform::TPackageUnit Units[] = {
    {"BaseShared", &BaseSharedInitialization, &BaseSharedFinalization},
    {"BaseUnit", [] { UnitCounter.Initialize([] { TestUnitEvent("init BaseUnit"); }); },
     [] { UnitCounter.Finalize([] { TestUnitEvent("final BaseUnit"); }); }},
    {"testpkg_base", [] { PackageCounter.Initialize([] { TestUnitEvent("init testpkg_base"); }); },
     [] { PackageCounter.Finalize([] { TestUnitEvent("final testpkg_base"); }); }},
};

const platform::TPackageStartup Startup(Units);

const char Info[] = R"(flags never-build run-only
requires VCL35
unit BaseShared
unit BaseUnit
unit testpkg_base package
unit Sysinit startup
)";
const testpkg::TPackageInfoResource InfoResource(Info);

}  // namespace

extern "C" void BaseSharedInitialization() {
    SharedCounter.Initialize([] { TestUnitEvent("init BaseShared"); });
}

extern "C" void BaseSharedFinalization() {
    SharedCounter.Finalize([] { TestUnitEvent("final BaseShared"); });
}

extern "C" void Initialize() {
    platform::InitializeUnits(Units);
}

extern "C" void Finalize() {
    platform::FinalizeUnits(Units);
}
