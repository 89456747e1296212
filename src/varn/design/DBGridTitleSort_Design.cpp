// The title-mask property editor and its registration.
#include "varn/design/DBGridTitleSort_Design.h"

#include "platform/Packages.h"

namespace varn {

using namespace platform;

namespace {

TUnitCounter UnitCounter("DBGridTitleSort_Design");

}  // namespace

TPropertyAttributes TDBGridTitleSortMaskProperty::GetAttributes() const {
    return TStringProperty::GetAttributes().Include(paValueList);
}

void TDBGridTitleSortMaskProperty::GetValues(const TGetStrProc& Proc) const {
    Proc("%t (sorted)");
    Proc("%t %s");
    Proc("%t (%i)");
    Proc("%i: %t");
}

void DBGridTitleSort_Design::Register() {
    RegisterPropertyEditor(StringType(), FindClassInfo("TDBGridTitleSort"), "ClickedTitleMask",
                           &NewPropertyEditor<TDBGridTitleSortMaskProperty>);
}

void DBGridTitleSort_Design::Initialization() {
    UnitCounter.Initialize();
}

void DBGridTitleSort_Design::Finalization() {
    UnitCounter.Finalize();
}

}  // namespace varn
