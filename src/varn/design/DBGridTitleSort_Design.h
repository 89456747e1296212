// The title-mask property editor: in the designer, ClickedTitleMask of a TDBGridTitleSort
// offers four ready-made title masks; any other typed mask is kept as it is.
#pragma once

#include "platform/DesignIntf.h"

namespace varn {

// The String editor of ClickedTitleMask with a value list; reading, writing and the
// comparison of several selected components are those of TStringProperty.
class TDBGridTitleSortMaskProperty : public platform::TStringProperty {
  public:
    using TStringProperty::TStringProperty;
    // {paValueList, paMultiSelect, paRevertable}: the list is shown in the order given.
    platform::TPropertyAttributes GetAttributes() const override;
    // "%t (sorted)", "%t %s", "%t (%i)", "%i: %t", in this order.
    void GetValues(const platform::TGetStrProc& Proc) const override;
};

namespace DBGridTitleSort_Design {
// Registers the editor for ClickedTitleMask of TDBGridTitleSort and its derived classes.
void Register();
void Initialization();
void Finalization();
}  // namespace DBGridTitleSort_Design

}  // namespace varn
