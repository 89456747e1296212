// package-probe: loads packages into a fresh process, which links the platform only, and
// prints the initialized units after loading them and again after unloading them:
//   package-probe [--dir DIR] PACKAGE...
// On a package error it prints "error: " and the message, and exits with 1.
#include <iostream>
#include <vector>

#include "platform/Packages.h"

namespace {

void PrintUnits(const char* When) {
    std::cout << When << ":";
    for (const platform::String& Unit : platform::InitializedUnits())
        std::cout << " " << Unit;
    std::cout << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<platform::String> Args(argv + 1, argv + argc);
    size_t At = 0;
    if (Args.size() >= 2 && Args[0] == "--dir") {
        platform::AddPackageDirectory(Args[1]);
        At = 2;
    }
    std::vector<platform::TModule> Loaded;
    try {
        for (; At < Args.size(); ++At)
            Loaded.push_back(platform::LoadPackage(Args[At]));
        PrintUnits("loaded");
        for (auto It = Loaded.rbegin(); It != Loaded.rend(); ++It)
            platform::UnloadPackage(*It);
        PrintUnits("unloaded");
    } catch (const platform::EPackageError& E) {
        std::cout << "error: " << E.Message() << "\n";
        return 1;
    }
    return 0;
}
