// A test package that requires itself.
#include "TestUnits.h"

namespace {

const platform::TPackageUnit Units[] = {
    {"SelfUnit", [] { TestUnitEvent("init SelfUnit"); }, [] { TestUnitEvent("final SelfUnit"); }},
};

const platform::TPackageStartup Startup(Units);

const char Info[] = R"(requires testpkg_self
unit testpkg_self package
)";
const testpkg::TPackageInfoResource InfoResource(Info);

}  // namespace

extern "C" void Initialize() {
    platform::InitializeUnits(Units);
}

extern "C" void Finalize() {
    platform::FinalizeUnits(Units);
}
