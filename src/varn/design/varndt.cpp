// The package unit of libvarndt.so, the design-time package: its unit table (with the units
// of libvarnrt.so that it uses, whose counters keep them from starting twice), its entry
// points, the exported Register procedure of its unit, and its resources.
#include <bit>

#include "platform/Packages.h"
#include "varn/design/DBGridTitleSort_Design.h"
#include "varn/package/Units.h"

namespace varn::varndt {

namespace {

platform::TUnitCounter UnitCounter("varndt");

}  // namespace

void Initialization() {
    UnitCounter.Initialize();
}

void Finalization() {
    UnitCounter.Finalize();
}

}  // namespace varn::varndt

namespace {

using namespace varn;

// In initialization order; finalization runs backwards.
const platform::TPackageUnit Units[] = {
    {"Varn_shared", &Varn_shared::Initialization, &Varn_shared::Finalization},
    {"DBGridTitleSort", &DBGridTitleSort::Initialization, &DBGridTitleSort::Finalization},
    {"DBGridTitleSort_Design", &DBGridTitleSort_Design::Initialization,
     &DBGridTitleSort_Design::Finalization},
    {"varndt", &varndt::Initialization, &varndt::Finalization},
};

const platform::TPackageStartup Startup(Units);

// ---- Resources ----

const char PackageInfo[] = R"(# varndt: the title-mask property editor, for the designer only.
flags never-build design-only
requires VCL35
requires VCLDB35
requires varnrt
unit DBGridTitleSort_Design
unit varndt package
unit Sysinit startup
unit Windows weak
unit Messages weak
unit Commctrl weak
unit Commdlg weak
unit Dlgs weak
unit Imm weak
unit Richedit weak
unit Winspool weak
)";

// UTF-16 little-endian, the terminating zero included.
static_assert(std::endian::native == std::endian::little);
const char16_t Description[] = u"Varn - Database Components Design";

const char VersionInfo[] = R"(FileVersion 1.0.0.2
ProductVersion 1.0.0.0
Translation 1033 1252
FileDescription Varn - Database Components Design
InternalName varndt
OriginalFilename libvarndt.so
ProductName Varn
)";

// The tool chain's package options: the 32-bit value 0x30, little-endian.
const unsigned char PackageOptions[] = {0x30, 0x00, 0x00, 0x00};

template <typename T, size_t N>
const unsigned char* Bytes(const T (&Data)[N]) {
    return reinterpret_cast<const unsigned char*>(Data);
}

const platform::TResourceRegistrar PackageInfoResource("PACKAGEINFO", Bytes(PackageInfo),
                                                       sizeof PackageInfo - 1);
const platform::TResourceRegistrar DescriptionResource("DESCRIPTION", Bytes(Description),
                                                       sizeof Description);
const platform::TResourceRegistrar VersionInfoResource("VERSIONINFO", Bytes(VersionInfo),
                                                       sizeof VersionInfo - 1);
const platform::TResourceRegistrar PackageOptionsResource("PACKAGEOPTIONS", Bytes(PackageOptions),
                                                          sizeof PackageOptions);

}  // namespace

// ---- Exports ----

extern "C" {

void Initialize() {
    platform::InitializeUnits(Units);
}

void Finalize() {
    platform::FinalizeUnits(Units);
}

void DBGridTitleSort_Design_Register() {
    varn::DBGridTitleSort_Design::Register();
}

}  // extern "C"
