// Packages: shared libraries that describe themselves in a "PACKAGEINFO" resource and export
// the entry points Initialize and Finalize, which run their units' start-up code. The loader
// loads a package after the packages it requires and unloads it before them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/Resources.h"
#include "platform/Set.h"
#include "platform/SysUtils.h"

namespace platform {

// A package could not be loaded or unloaded, or its package information is not valid.
class EPackageError : public Exception {
  public:
    using Exception::Exception;
};

// ---- Package information ----
//
// The "PACKAGEINFO" resource is text, one entry per line; blank lines and lines starting with
// '#' are ignored:
//
//   flags never-build                   words: never-build, design-only, run-only
//   requires VCL35                      a required package, by name, in loading order
//   unit Varn_shared                    a unit of the package's own, in initialization order
//   unit varnrt package                 the package unit (exactly one); names the package
//   unit Sysinit startup                a start-up unit of the platform contained in it
//   unit Windows weak                   a weakly packaged unit of the platform
//
// Neither design-only nor run-only: the package serves the designer and applications alike.

enum TPackageFlag : uint8_t { pfNeverBuild, pfDesignOnly, pfRunOnly };
using TPackageFlags = TSet<TPackageFlag, uint8_t>;

enum TPackageUnitKind : uint8_t { ukOwn, ukPackage, ukStartup, ukWeak };

struct TPackageUnitInfo {
    String Name;
    TPackageUnitKind Kind = ukOwn;
    bool operator==(const TPackageUnitInfo&) const = default;
};

struct TPackageInfo {
    TPackageFlags Flags;
    std::vector<String> Requires;
    std::vector<TPackageUnitInfo> Units;  // in the order of the resource

    // The name of the package unit, which is the package's name.
    String Name() const;
    // The units of the package's own (the package unit last among them), in order.
    std::vector<String> OwnUnits() const;
};

// Reads package information text; fails with EPackageError naming the line.
TPackageInfo ParsePackageInfo(const String& Text);
// The package information of a loaded module; EPackageError when it has none.
TPackageInfo GetPackageInfo(TModule Module);
// The "DESCRIPTION" resource of a module (UTF-16 with a terminating zero) as single-byte
// text, a character outside the byte range as '?'; empty when there is none.
String GetPackageDescription(TModule Module);

// The "VERSIONINFO" resource: text lines "Key Value", where FileVersion and ProductVersion
// are four numbers joined by dots and Translation is a language and a code page in decimal;
// any other key is a text of the version information (CompanyName, FileDescription, ...).
struct TVersionInfo {
    uint16_t FileVersion[4] = {0, 0, 0, 0};
    uint16_t ProductVersion[4] = {0, 0, 0, 0};
    uint16_t Language = 0;
    uint16_t CodePage = 0;
    std::vector<std::pair<String, String>> Texts;
};

// The version information of a loaded module; EPackageError when it has none or it is not
// valid.
TVersionInfo GetVersionInfo(TModule Module);

// ---- Unit start-up ----

using TUnitProcedure = void (*)();

// The start-up counter of one unit. Initialization counts it down and finalization up; the
// unit's body runs only on the first initialization (0 to -1) and on the last finalization
// (-1 to 0), so a unit that several packages list starts once and ends once per process.
class TUnitCounter {
  public:
    constexpr explicit TUnitCounter(const char* UnitName) : FName(UnitName) {}
    TUnitCounter(const TUnitCounter&) = delete;
    TUnitCounter& operator=(const TUnitCounter&) = delete;

    void Initialize(TUnitProcedure Body = nullptr);
    // A finalization without a matching initialization does nothing.
    void Finalize(TUnitProcedure Body = nullptr);
    int Value() const { return FCount; }

  private:
    const char* FName;
    int FCount = 0;
};

// An entry of a package's unit table: a unit's initialization and finalization routines.
struct TPackageUnit {
    const char* Name;
    TUnitProcedure Initialization;
    TUnitProcedure Finalization;
};

// Runs the initializations of Units in order. When one fails, the units initialized so far
// are finalized in reverse order and the error passes on.
void InitializeUnits(std::span<const TPackageUnit> Units);
// Runs the finalizations of Units in reverse order.
void FinalizeUnits(std::span<const TPackageUnit> Units);
// The units whose initialization body has run and whose finalization body has not, in the
// order they were initialized.
std::vector<String> InitializedUnits();

// A package initializes itself through one static TPackageStartup: when the library comes
// with a program that links it (or is opened by other means than the loader), its units are
// initialized when it is loaded and finalized when it is unloaded, as the package loader
// would. A package that the loader loads is left to the loader's Initialize and Finalize.
class TPackageStartup {
  public:
    explicit TPackageStartup(std::span<const TPackageUnit> Units);
    ~TPackageStartup();
    TPackageStartup(const TPackageStartup&) = delete;
    TPackageStartup& operator=(const TPackageStartup&) = delete;

  private:
    std::span<const TPackageUnit> FUnits;
    bool FInitialized = false;
};

// ---- Loading ----
//
// A package library lib<name>.so exports the C functions Initialize and Finalize. A package
// given by name is looked for in the package directories, then where the system looks for
// libraries; a required package first in the directory of the package that requires it. The names
// "VCL35" and "VCLDB35" are the platform's own packages: they stand for the platform's library,
// which is loaded already.

// Adds a directory in which packages given by name are looked for, after those added before.
// The directory of the platform's library is always searched last among them.
void AddPackageDirectory(const String& Directory);

// Loads a package (a name or a path to its library): opens the library, loads the packages
// it requires, then calls its Initialize. Loading a package again counts another load.
// Fails with EPackageError, leaving nothing loaded or initialized by this call.
TModule LoadPackage(const String& NameOrPath);
// Undoes one LoadPackage: calls the package's Finalize, closes its library, then unloads the
// packages it required, in reverse order. REQUIRES: Module was given by LoadPackage.
void UnloadPackage(TModule Module);
// The address of a symbol exported by the package Module itself (not by a library it
// needs), or null. REQUIRES: Module was given by LoadPackage.
void* FindPackageSymbol(TModule Module, const String& Name);
// Whether the loader is opening a library at the moment (TPackageStartup asks).
bool IsLoadingPackage();
// The module of the platform's library.
TModule PlatformModule();

}  // namespace platform
