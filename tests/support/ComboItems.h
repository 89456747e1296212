// The entries of a combo box's list, for comparing with what a test expects.
#pragma once

#include <vector>

#include "platform/StdCtrls.h"

namespace testing_support {

inline std::vector<platform::String> ItemsOf(const platform::TCustomComboBox& Box) {
    std::vector<platform::String> Items;
    for (int I = 0; I < Box.GetItems()->Count(); ++I)
        Items.push_back(Box.GetItems()->Get(I));
    return Items;
}

}  // namespace testing_support
