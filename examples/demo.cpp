// Prints the filter conditions that AppendFilter writes for a few typical rows of a filter
// grid, with the grid's wildcard notation ("*?" typed, "%_" written).
#include <cstdio>

#include "varn/shared/Varn_shared.h"

namespace {

using platform::String;

// One row of a filter grid: link word, field, operator, value, and whether the value is
// written as a quoted literal.
struct TRow {
    String Link;
    String FieldName;
    String Operator;
    String Value;
    bool Quoted;
    bool CaseSensitive;
};

String Show(const TRow& Row) {
    String Text = Row.Link.empty() ? String() : Row.Link + " ";
    Text += Row.FieldName + " " + Row.Operator + " " + Row.Value;
    if (Row.CaseSensitive)
        Text += "  (case-sensitive)";
    return Text;
}

// Appends Row to Filter as the grid does, printing the row and what came of it.
String AppendRow(const String& Filter, TRow Row) {
    const String Shown = Show(Row);
    String CorrectedValue;
    try {
        const String Result = varn::AppendFilter(Filter, Row.Link, Row.FieldName, Row.Operator,
                                                 Row.Value, CorrectedValue, Row.Quoted,
                                                 Row.CaseSensitive, "*?", "%_", false, true);
        std::printf("  %-36s ->  %s\n", Shown.c_str(), Result.c_str());
        return Result;
    } catch (const platform::Exception& Error) {
        std::printf("  %-36s ->  refused: %s\n", Shown.c_str(), Error.Message().c_str());
        return Filter;
    }
}

}  // namespace

int main() {
    const TRow Rows[] = {
        {"", "Name", "=", "smith", true, false},
        {"", "Name", "=", "smith", true, true},
        {"", "Amount", ">=", "100", false, false},
        {"", "Name", "=", "sm*", true, false},
        {"", "Name", "=", "*mit*", true, false},
        {"", "Name", "=", "S?ith", true, false},
        {"", "Name", "=", "O'Brien", true, false},
        {"", "Last Name", "is null", "", true, false},
        {"", "Amount", "=", "1 OR 1=1", false, false},
    };
    std::printf("Single conditions:\n");
    for (const TRow& Row : Rows)
        AppendRow("", Row);

    std::printf("\nOne filter built row by row:\n");
    String Filter = AppendRow("", {"", "Name", "=", "sm*", true, false});
    Filter = AppendRow(Filter, {"and", "Amount", ">=", "100", false, false});
    Filter = AppendRow(Filter, {"or", "City", "containing", "par", true, false});
    std::printf("\nFilter: %s\n", Filter.c_str());
    return 0;
}
