// A test package that requires testpkg_base and a package that does not exist.
#include "TestUnits.h"

namespace {

platform::TUnitCounter UnitCounter("OrphanUnit");

const platform::TPackageUnit Units[] = {
    {"OrphanUnit", [] { UnitCounter.Initialize([] { TestUnitEvent("init OrphanUnit"); }); },
     [] { UnitCounter.Finalize([] { TestUnitEvent("final OrphanUnit"); }); }},
};

const platform::TPackageStartup Startup(Units);

const char Info[] = R"(requires testpkg_base
requires testpkg_nowhere
unit OrphanUnit
unit testpkg_orphan package
)";
const testpkg::TPackageInfoResource InfoResource(Info);

}  // namespace

extern "C" void Initialize() {
    platform::InitializeUnits(Units);
}

extern "C" void Finalize() {
    platform::FinalizeUnits(Units);
}
