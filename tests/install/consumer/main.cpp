// A program outside the tree that uses the installed library.
#include <cstdio>

#include "varn/shared/Varn_shared.h"

int main() {
    varn::String Link, Field = "Name", Operator = "=", Value = "sm*", Corrected;
    varn::String Filter = varn::AppendFilter("", Link, Field, Operator, Value, Corrected, true,
                                             false, "*?", "%_", false, true);
    std::printf("%s\n", Filter.c_str());
    return Filter == "UPPER(Name) STARTING WITH 'SM'" ? 0 : 1;
}
