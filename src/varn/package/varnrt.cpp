// The package unit of libvarnrt.so: the unit table and the package entry points, the exported
// Register procedures of the component units, and the package's own resources (its palette
// bitmaps and icon are made from the pictures beside this file).
#include <bit>

#include "platform/Packages.h"
#include "varn/fieldcombo/DBFieldComboBox.h"
#include "varn/filtergrid/DBFilterGrid.h"
#include "varn/locateedit/DBLocateEdit.h"
#include "varn/package/Units.h"
#include "varn/sortcombo/DBSortComboBox.h"
#include "varn/titlesort/DBGridTitleSort.h"

namespace {

using namespace varn;

// In initialization order; finalization runs backwards.
const platform::TPackageUnit Units[] = {
    {"Varn_shared", &Varn_shared::Initialization, &Varn_shared::Finalization},
    {"DBLocateEdit", &DBLocateEdit::Initialization, &DBLocateEdit::Finalization},
    {"DBFieldComboBox", &DBFieldComboBox::Initialization, &DBFieldComboBox::Finalization},
    {"DBSortComboBox", &DBSortComboBox::Initialization, &DBSortComboBox::Finalization},
    {"DBGridTitleSort", &DBGridTitleSort::Initialization, &DBGridTitleSort::Finalization},
    {"DBFilterGrid", &DBFilterGrid::Initialization, &DBFilterGrid::Finalization},
    {"varnrt", &varnrt::Initialization, &varnrt::Finalization},
};

const platform::TPackageStartup Startup(Units);

// ---- Resources ----

const char PackageInfo[] =
    R"(# varnrt: the components and their shared unit, for the designer and for applications.
flags never-build
requires VCL35
requires VCLDB35
unit Varn_shared
unit DBLocateEdit
unit DBFieldComboBox
unit DBSortComboBox
unit DBGridTitleSort
unit DBFilterGrid
unit varnrt package
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
const char16_t Description[] = u"Varn - Database Components";

const char VersionInfo[] = R"(FileVersion 1.0.0.2
ProductVersion 1.0.0.0
Translation 1033 1252
FileDescription Varn - Database Components
InternalName varnrt
OriginalFilename libvarnrt.so
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

void DBLocateEdit_Register() {
    varn::DBLocateEdit::Register();
}

void DBFieldComboBox_Register() {
    varn::DBFieldComboBox::Register();
}

void DBSortComboBox_Register() {
    varn::DBSortComboBox::Register();
}

void DBGridTitleSort_Register() {
    varn::DBGridTitleSort::Register();
}

void DBFilterGrid_Register() {
    varn::DBFilterGrid::Register();
}

}  // extern "C"
