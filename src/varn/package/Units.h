// The start-up routines of the units of libvarnrt.so: the entries of its unit table, which
// libvarndt.so imports for the units that it lists again.
#pragma once

namespace varn {

namespace Varn_shared {
void Initialization();
void Finalization();
}  // namespace Varn_shared

namespace DBLocateEdit {
void Initialization();
void Finalization();
}  // namespace DBLocateEdit

namespace DBFieldComboBox {
void Initialization();
void Finalization();
}  // namespace DBFieldComboBox

namespace DBSortComboBox {
void Initialization();
void Finalization();
}  // namespace DBSortComboBox

namespace DBGridTitleSort {
void Initialization();
void Finalization();
}  // namespace DBGridTitleSort

namespace DBFilterGrid {
void Initialization();
void Finalization();
}  // namespace DBFilterGrid

namespace varnrt {
void Initialization();
void Finalization();
}  // namespace varnrt

}  // namespace varn
