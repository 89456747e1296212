// What the test packages share: the report of their units' start-up events, which the test
// program that loads them exports, and the units of testpkg_base that other test packages
// list again.
#pragma once

#include "platform/Packages.h"

extern "C" {
// Called with "init <unit>" and "final <unit>" when a unit's body runs.
void TestUnitEvent(const char* Event);
// The unit BaseShared of testpkg_base.
void BaseSharedInitialization();
void BaseSharedFinalization();
}

namespace testpkg {

// Registers Text as the PACKAGEINFO resource of the module that holds it.
class TPackageInfoResource {
  public:
    template <size_t N>
    explicit TPackageInfoResource(const char (&Text)[N])
        : FRegistrar("PACKAGEINFO", reinterpret_cast<const unsigned char*>(Text), N - 1) {}

  private:
    platform::TResourceRegistrar FRegistrar;
};

}  // namespace testpkg
