// A test package that requires testpkg_base and whose third unit fails to initialize.
#include "TestUnits.h"

namespace {

platform::TUnitCounter FirstCounter("FailingFirst");
platform::TUnitCounter FailingCounter("FailingUnit");

const platform::TPackageUnit Units[] = {
    {"BaseShared", &BaseSharedInitialization, &BaseSharedFinalization},
    {"FailingFirst", [] { FirstCounter.Initialize([] { TestUnitEvent("init FailingFirst"); }); },
     [] { FirstCounter.Finalize([] { TestUnitEvent("final FailingFirst"); }); }},
    {"FailingUnit",
     [] {
         FailingCounter.Initialize([] { throw platform::Exception("FailingUnit cannot start"); });
     },
     [] { FailingCounter.Finalize([] { TestUnitEvent("final FailingUnit"); }); }},
};

const platform::TPackageStartup Startup(Units);

const char Info[] = R"(requires testpkg_base
unit FailingFirst
unit FailingUnit
unit testpkg_failing package
)";
const testpkg::TPackageInfoResource InfoResource(Info);

}  // namespace

extern "C" void Initialize() {
    platform::InitializeUnits(Units);
}

extern "C" void Finalize() {
    platform::FinalizeUnits(Units);
}
