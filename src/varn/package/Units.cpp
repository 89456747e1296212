// The start-up routines of the units of libvarnrt.so, each guarded by its unit's counter.
// Only the filter grid unit has work: its name tables.
#include "varn/package/Units.h"

#include "platform/Packages.h"
#include "varn/filtergrid/DBFilterGrid.h"

namespace varn {

namespace {

platform::TUnitCounter Varn_sharedCounter("Varn_shared");
platform::TUnitCounter DBLocateEditCounter("DBLocateEdit");
platform::TUnitCounter DBFieldComboBoxCounter("DBFieldComboBox");
platform::TUnitCounter DBSortComboBoxCounter("DBSortComboBox");
platform::TUnitCounter DBGridTitleSortCounter("DBGridTitleSort");
platform::TUnitCounter DBFilterGridCounter("DBFilterGrid");
platform::TUnitCounter varnrtCounter("varnrt");

}  // namespace

void Varn_shared::Initialization() {
    Varn_sharedCounter.Initialize();
}

void Varn_shared::Finalization() {
    Varn_sharedCounter.Finalize();
}

void DBLocateEdit::Initialization() {
    DBLocateEditCounter.Initialize();
}

void DBLocateEdit::Finalization() {
    DBLocateEditCounter.Finalize();
}

void DBFieldComboBox::Initialization() {
    DBFieldComboBoxCounter.Initialize();
}

void DBFieldComboBox::Finalization() {
    DBFieldComboBoxCounter.Finalize();
}

void DBSortComboBox::Initialization() {
    DBSortComboBoxCounter.Initialize();
}

void DBSortComboBox::Finalization() {
    DBSortComboBoxCounter.Finalize();
}

void DBGridTitleSort::Initialization() {
    DBGridTitleSortCounter.Initialize();
}

void DBGridTitleSort::Finalization() {
    DBGridTitleSortCounter.Finalize();
}

void DBFilterGrid::Initialization() {
    DBFilterGridCounter.Initialize(&MakeFilterNameTables);
}

void DBFilterGrid::Finalization() {
    DBFilterGridCounter.Finalize(&ReleaseFilterNameTables);
}

void varnrt::Initialization() {
    varnrtCounter.Initialize();
}

void varnrt::Finalization() {
    varnrtCounter.Finalize();
}

}  // namespace varn
