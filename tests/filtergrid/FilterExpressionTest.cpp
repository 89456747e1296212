// The expression builder on a real SQLite table: the worked examples with the rows as they
// read afterwards, how operator cells are read under each option set, the edge cases and
// failures, and text a user may type into any cell.
#include "FilterGridFixture.h"

using namespace filtergrid_test;

namespace {

class FilterExpressionTest : public FilterGridFixture {};

const TFilterGridOptions CreatedOptions{fgoCorrect, fgoNonTableValueList, fgoStrictOperators};

}  // namespace

TEST_F(FilterExpressionTest, SqlExampleJoinsByTheLinkCellOfTheRowAbove) {
    BindForSQL();
    SetRows({
        {"Name", "", "Sm*", "and"},
        {"City", "=", "Paris", ""},
        {"Amount", ">=", "100", "or"},
        {"", "", "", ""},
        {"City", "", "", ""},
    });
    EXPECT_EQ(Grid->GetFilterExpression(),
              "UPPER(Name) STARTING WITH 'SM' AND UPPER(City) = 'PARIS' AND Amount >= 100 AND "
              "City IS NULL");
    std::vector<TRowTexts> Expected{
        {"Name", "STARTING WITH", "Sm", "AND"},
        {"City", "=", "Paris", "AND"},
        {"Amount", ">=", "100", "or"},  // row 4 gave no condition, so its own link joined
        {"", "", "", "AND"},
        {"City", "IS NULL", "", ""},
    };
    EXPECT_EQ(Rows(), Expected);
}

TEST_F(FilterExpressionTest, CorrectTranslateWildcardsWritesTheValueAsItWentIn) {
    BindForSQL();
    Grid->SetFilterGridOptions(CreatedOptions | TFilterGridOptions{fgoCorrectTranslateWildcards});
    SetRows({
        {"Name", "", "Sm*", "and"},
        {"City", "=", "Paris", ""},
        {"Amount", ">=", "100", "or"},
        {"", "", "", ""},
        {"City", "", "", ""},
    });
    Grid->GetFilterExpression();
    EXPECT_EQ(Rows()[0][2], "SM");
    EXPECT_EQ(Rows()[1][2], "PARIS");
    EXPECT_EQ(Rows()[2][2], "100");
}

TEST_F(FilterExpressionTest, TableExampleUsesTheSimpleSyntaxWithCase) {
    Table->Open();
    Grid->SetDataSource(Source);
    ASSERT_EQ(Grid->GetFilterKind(), fkSimple);
    SetRows({{"Name", "", "Smith", "or"}, {"Amount", "<", "50", ""}});
    EXPECT_EQ(Grid->GetFilterExpression(), "Name = 'Smith' OR Amount < 50");
    EXPECT_EQ(Rows()[0], (TRowTexts{"Name", "=", "Smith", "OR"}));
    // No wildcards in the simple syntax.
    SetRows({{"Name", "", "Sm*", ""}});
    EXPECT_EQ(Grid->GetFilterExpression(), "Name = 'Sm*'");
}

TEST_F(FilterExpressionTest, ContainingExampleBracketsAFieldNameWithABlank) {
    BindForSQL();
    SetRows({{"First Name", "c", "*an*", "or"}, {"Born", "is no", "", ""}});
    EXPECT_EQ(Grid->GetFilterExpression(), "[First Name] CONTAINING 'an' OR Born IS NOT NULL");
    EXPECT_EQ(Rows()[0], (TRowTexts{"[First Name]", "CONTAINING", "an", "OR"}));
    EXPECT_EQ(Rows()[1], (TRowTexts{"Born", "IS NOT NULL", "", ""}));
}

TEST_F(FilterExpressionTest, CorrectOperatorNamePrefersTheLongestThenTheShortestName) {
    struct Case {
        const char* S;
        const char* Expected;
    } Cases[] = {
        {"<", "<"},
        {"<=", "<="},
        {"<>", "<>"},
        {">", ">"},
        {"=>", "="},
        {"<=>", "<="},
        {"s", "STARTING WITH"},
        {"Starting", "STARTING WITH"},
        {"c", "CONTAINING"},
        {"l", "LIKE"},
        {"likewise", "LIKE"},
        {"i", "IS NULL"},
        {"is", "IS NULL"},
        {"is n", "IS NULL"},
        {"isnull", "IS NULL"},
        {"is no", "IS NOT NULL"},
        {"!=", ""},
        {"", ""},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Grid->CorrectOperatorName(C.S), C.Expected) << C.S;
}

TEST_F(FilterExpressionTest, OperatorCellsAreReadAsTheOptionsSay) {
    BindForSQL();
    const TFilterGridOptions StrictAndCorrect{fgoStrictOperators, fgoCorrect};
    const TFilterGridOptions StrictAlone{fgoStrictOperators};
    const TFilterGridOptions Neither{};
    auto Unknown = [](const std::string& Name) {
        return "error: TDBFilterGrid.OperatorNameToIndex() Unknown operator name: '" + Name + "'.";
    };
    struct Case {
        const char* Cell;
        const char* Field;
        TFilterGridOptions Options;
        std::string Expected;  // "error: " and the failure's message, or the operator text
    } Cases[] = {
        {"<>", "Name", StrictAndCorrect, "<>"},
        {"<>", "Name", StrictAlone, "<>"},
        {"<>", "Name", Neither, "<>"},
        {"starting", "Name", StrictAndCorrect, "STARTING WITH"},
        {"starting", "Name", StrictAlone, Unknown("starting")},
        {"starting", "Name", Neither, "starting"},
        {"is no", "Name", StrictAndCorrect, "IS NOT NULL"},
        {"is no", "Name", StrictAlone, Unknown("is no")},
        {"is no", "Name", Neither, "is no"},
        {"!=", "Name", StrictAndCorrect, "="},
        {"!=", "Name", StrictAndCorrect | TFilterGridOptions{fgoExceptions},
         "error: GetOpCell() Bad operator."},
        {"!=", "Name", StrictAlone, Unknown("!=")},
        {"!=", "Name", Neither, "!="},
        {"LIKE", "Amount", StrictAndCorrect, "LIKE"},
        {"LIKE", "Amount", StrictAlone,
         "error: TDBFilterGrid.OperatorNameToIndexStrict() Operator \"LIKE\" not applicable to "
         "field "
         "\"Amount\"."},
        {"LIKE", "Amount", Neither, "LIKE"},
        {" like ", "Name", Neither, "LIKE"},  // a known name becomes its SQL text
        {"", "Name", StrictAlone, ""},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Cell) + " / " + C.Field + " / " +
                     std::to_string(C.Options.Bits()));
        Grid->SetFilterGridOptions(C.Options);
        SetRows({{C.Field, C.Cell, "1", ""}});
        EXPECT_EQ(ResultOrError([&] { return Grid->GetOpCell(fciOperator, 1, C.Field); }),
                  C.Expected);
    }
    // A text taken as typed is upper-cased into the condition and otherwise left alone.
    Grid->SetFilterGridOptions(Neither);
    SetRows({{"Name", "starting", "x", ""}});
    EXPECT_EQ(Grid->GetFilterExpression(), "UPPER(Name) STARTING 'X'");
}

TEST_F(FilterExpressionTest, NoOpenDataSetGivesNothingAndEmptiesTheRowsWhenCorrecting) {
    const std::vector<TRowTexts> Filled{{"Name", "=", "x", "or"}, {"City", "=", "y", ""}};
    SetRows(Filled);
    Grid->SetFilterGridOptions({});
    EXPECT_EQ(Grid->GetFilterExpression(), "");  // no data source
    EXPECT_EQ(Rows(), Filled);
    Grid->SetDataSource(Source);  // closed
    EXPECT_EQ(Grid->GetFilterExpression(), "");
    EXPECT_EQ(Rows(), Filled);
    Grid->SetFilterGridOptions({fgoCorrect});
    EXPECT_EQ(Grid->GetFilterExpression(), "");
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"", "", "", ""}}));
}

TEST_F(FilterExpressionTest, EdgeCasesOfRowsOperatorsAndLinks) {
    BindForSQL();
    struct Case {
        const char* What;
        TFilterKind Kind;
        TFilterOperatorIndex DefaultOperator;
        std::vector<TRowTexts> Rows;
        const char* Expected;
    } Cases[] = {
        {"rows without field names",
         fkSQL,
         foiEqual,
         {{"", "=", "x", "or"}, {" ", "LIKE", "y", ""}},
         ""},
        {"empty operator and value in SQL",
         fkSQL,
         foiEqual,
         {{"Name", "", "", ""}},
         "Name IS NULL"},
        {"empty operator and value, simple",
         fkSimple,
         foiEqual,
         {{"Name", "", "", ""}},
         "UPPER(Name) = ''"},
        {"numeric field without value, simple",
         fkSimple,
         foiEqual,
         {{"Name", "", "Sm*", "or"}, {"Amount", "", "", ""}},
         "UPPER(Name) = 'SM*'"},
        {"the last row's link has no effect",
         fkSQL,
         foiEqual,
         {{"Name", "=", "x", "or"}},
         "UPPER(Name) = 'X'"},
        {"default operator", fkSQL, foiLike, {{"Name", "", "abc", ""}}, "UPPER(Name) LIKE 'ABC'"},
        {"blank link means AND",
         fkSQL,
         foiEqual,
         {{"Name", "=", "x", " "}, {"City", "=", "y", ""}},
         "UPPER(Name) = 'X' AND UPPER(City) = 'Y'"},
        {"a field cell with blanks around it",
         fkSQL,
         foiEqual,
         {{"  City ", "=", "y", ""}},
         "UPPER(City) = 'Y'"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        Grid->SetFilterKind(C.Kind);
        Grid->SetDefaultOperator(C.DefaultOperator);
        SetRows(C.Rows);
        EXPECT_EQ(Grid->GetFilterExpression(), C.Expected);
    }
}

TEST_F(FilterExpressionTest, CorrectionRewritesLinksAsAppendFilterLeftThem) {
    BindForSQL();
    // The link above the first condition is not normalised; the last row's is not touched.
    SetRows({{"", "", "", " or "}, {"Name", "=", "x", " or "}, {"City", "=", "y", " and "}});
    EXPECT_EQ(Grid->GetFilterExpression(), "UPPER(Name) = 'X' OR UPPER(City) = 'Y'");
    EXPECT_EQ(Rows()[0][3], "or");
    EXPECT_EQ(Rows()[1][3], "OR");
    EXPECT_EQ(Rows()[2][3], " and ");
    // Without fgoCorrect nothing is written back.
    Grid->SetFilterGridOptions({fgoStrictOperators});
    SetRows({{"Name", "", "Sm*", "or"}, {"City", "", "", ""}});
    Grid->GetFilterExpression();
    EXPECT_EQ(Rows(), (std::vector<TRowTexts>{{"Name", "", "Sm*", "or"}, {"City", "", "", ""}}));
}

TEST_F(FilterExpressionTest, CorrectedRowsGiveTheSameExpressionAgain) {
    BindForSQL();
    SetRows({{"Name", "", "Sm*", "or"}, {"City", "c", "ari", ""}, {"Amount", "<", "7", ""}});
    std::string First = Grid->GetFilterExpression();
    EXPECT_EQ(First, "UPPER(Name) STARTING WITH 'SM' OR City CONTAINING 'ari' AND Amount < 7");
    std::vector<TRowTexts> Corrected = Rows();
    EXPECT_EQ(Grid->GetFilterExpression(), First);
    EXPECT_EQ(Rows(), Corrected);
}

// A case-sensitive CONTAINING is written as a LIKE; the corrected rows say the same, so
// reading them again gives the same expression.
TEST_F(FilterExpressionTest, CaseSensitiveContainingRowsGiveTheSameExpressionAgain) {
    BindForSQL();
    for (const TFilterGridOptions Extra :
         {TFilterGridOptions{}, TFilterGridOptions{fgoCorrectTranslateWildcards}}) {
        SCOPED_TRACE(std::to_string(Extra.Bits()));
        Grid->SetFilterGridOptions(CreatedOptions | Extra | TFilterGridOptions{fgoCaseSensitive});
        SetRows({{"Name", "CONTAINING", "mit", ""}, {"City", "c", "50%", ""}});
        const std::string Expected = R"(Name LIKE '%mit%' AND City LIKE '%50\%%')";
        EXPECT_EQ(Grid->GetFilterExpression(), Expected);
        EXPECT_EQ(Rows()[0][1], "LIKE");
        EXPECT_EQ(Grid->GetFilterExpression(), Expected);
    }
}

// Only the link words join conditions: any other text in a link cell joins with "AND" (and is
// corrected to it), or fails with fgoExceptions; it never goes into the expression.
TEST_F(FilterExpressionTest, LinkCellsJoinOnlyWithTheLinkWords) {
    BindForSQL();
    struct Case {
        const char* Link;
        TFilterGridOptions Options;
        std::string Expected;  // the expression, or "error: " and the failure's message
        const char* LinkAfter;
    } Cases[] = {
        {" or ", CreatedOptions, "UPPER(Name) = 'X' OR UPPER(City) = 'Y'", "OR"},
        {"And", CreatedOptions, "UPPER(Name) = 'X' AND UPPER(City) = 'Y'", "AND"},
        {"", CreatedOptions, "UPPER(Name) = 'X' AND UPPER(City) = 'Y'", "AND"},
        {"xyz", CreatedOptions, "UPPER(Name) = 'X' AND UPPER(City) = 'Y'", "AND"},
        {"OR 1=1 OR", CreatedOptions, "UPPER(Name) = 'X' AND UPPER(City) = 'Y'", "AND"},
        {"or not", CreatedOptions, "UPPER(Name) = 'X' AND UPPER(City) = 'Y'", "AND"},
        {"xyz", {fgoStrictOperators}, "UPPER(Name) = 'X' AND UPPER(City) = 'Y'", "xyz"},
        {"OR 1=1 OR", CreatedOptions | TFilterGridOptions{fgoExceptions},
         "error: TDBFilterGrid.GetFilterExpression() Unknown link word: 'OR 1=1 OR'.", "OR 1=1 OR"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Link);
        Grid->SetFilterGridOptions(C.Options);
        SetRows({{"Name", "=", "x", C.Link}, {"City", "=", "y", ""}});
        EXPECT_EQ(ResultOrError([&] { return Grid->GetFilterExpression(); }), C.Expected);
        EXPECT_EQ(Rows()[0][3], C.LinkAfter);
    }
    // A link cell that joins nothing is not read: above the first condition, or in the last row.
    Grid->SetFilterGridOptions(CreatedOptions | TFilterGridOptions{fgoExceptions});
    SetRows({{"", "", "", " xyz "}, {"Name", "=", "x", "xyz"}});
    EXPECT_EQ(Grid->GetFilterExpression(), "UPPER(Name) = 'X'");
    EXPECT_EQ(Rows()[0][3], "xyz");
    EXPECT_EQ(Rows()[1][3], "xyz");
}

TEST_F(FilterExpressionTest, FailuresReachTheCallerAndLeaveTheFailingRowAsItWas) {
    BindForSQL();
    struct Case {
        const char* What;
        TFilterGridOptions Options;
        std::vector<TRowTexts> Rows;
        const char* Message;
    } Cases[] = {
        {"unknown field",
         CreatedOptions,
         {{"Name", "", "Sm*", "or"}, {"Nope", "=", "y", ""}},
         "Field 'Nope' not found"},
        {"bad operator, also in a row without field",
         CreatedOptions | TFilterGridOptions{fgoExceptions},
         {{"Name", "", "Sm*", "or"}, {"", "!=", "", ""}},
         "GetOpCell() Bad operator."},
        {"strict without correction looks the empty field up",
         {fgoStrictOperators},
         {{"Name", "", "Sm*", "or"}, {"", "=", "", ""}},
         "Field '' not found"},
        {"numeric field without value",
         CreatedOptions | TFilterGridOptions{fgoExceptions},
         {{"Name", "", "Sm*", "or"}, {"Amount", "<", "", ""}},
         "AppendFilter() Value must be set."},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        Grid->SetFilterGridOptions(C.Options);
        SetRows(C.Rows);
        EXPECT_EQ(ErrorOf([&] { Grid->GetFilterExpression(); }), C.Message);
        bool Correcting = C.Options.Contains(fgoCorrect);
        EXPECT_EQ(Rows()[0], (Correcting ? TRowTexts{"Name", "STARTING WITH", "Sm", "or"}
                                         : TRowTexts{"Name", "", "Sm*", "or"}));
        EXPECT_EQ(Rows()[1], C.Rows[1]);
    }
    // Wrong target wildcards go unnoticed until a value holds a wildcard.
    Grid->SetFilterGridOptions(CreatedOptions);
    Grid->SetTargetWildcards("%_!!");
    SetRows({{"Name", "", "Smith", "or"}, {"City", "=", "P?", ""}});
    EXPECT_EQ(ErrorOf([&] { Grid->GetFilterExpression(); }),
              "AppendFilter() Wrong 'TargetWildcards' length: 4. Must be 0, 2 or 3.");
    EXPECT_EQ(Rows()[0], (TRowTexts{"Name", "=", "Smith", "or"}));
}

// Whatever a user types gives a condition that tests exactly that text, or an error; the
// cells keep what was typed.
TEST_F(FilterExpressionTest, TypedTextIsTestedExactlyOrRefused) {
    BindForSQL();
    const std::string Long(5000, 'q');
    struct Case {
        TRowTexts Row;
        std::string Expected;  // the expression, or "error: " and the failure's message
        std::string ValueAfter;
    } Cases[] = {
        {{"Name", "=", "O'Brien", ""}, "UPPER(Name) = 'O\\'BRIEN'", "O'Brien"},
        {{"Name", "=", "'x", ""}, "UPPER(Name) = '\\'X'", "'x"},
        {{"Name", "=", "x'", ""}, "UPPER(Name) = 'X\\''", "x'"},
        {{"Name", "=", "'a' OR 'b'", ""}, "UPPER(Name) = '\\'A\\' OR \\'B\\''", "'a' OR 'b'"},
        {{"Name", "=", "'a' OR Name = 'b'", ""},
         "UPPER(Name) = '\\'A\\' OR NAME = \\'B\\''",
         "'a' OR Name = 'b'"},
        {{"Name", "=", "a\\", ""}, "UPPER(Name) = 'A'", "a\\"},  // a lone escape escapes nothing
        {{"Name", "=", "a\\'", ""}, "UPPER(Name) = 'A\\''", "a\\'"},
        {{"Name", "=", "50%", ""}, "UPPER(Name) = '50%'", "50%"},
        {{"Name", "=", "a_b?", ""}, "UPPER(Name) LIKE 'A\\_B_'", "a_b?"},
        {{"Name", "=", "a\\*", ""}, "UPPER(Name) = 'A*'", "a\\*"},
        {{"Name", "=", Long, ""}, "UPPER(Name) = '" + std::string(5000, 'Q') + "'", Long},
        {{"Amount", "=", "1 OR 1=1", ""}, "", "1 OR 1=1"},  // not one value: left out
        {{"Amount", "=", "'1'", ""}, "", "'1'"},
        {{"Amount", "=", "-1.5e3", ""}, "Amount = -1.5e3", "-1.5e3"},
        {{"Nope", "=", "x", ""}, "error: Field 'Nope' not found", "x"},
        {{"Name) OR (1=1", "=", "x", ""}, "error: Field 'Name) OR (1=1' not found", "x"},
        {{"Name", "<> OR 1=1", "x", ""}, "UPPER(Name) <> 'X'", "x"},  // the nearest operator
        {{"Name", "'", "x", ""}, "UPPER(Name) = 'X'", "x"},           // none: the default
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Row[0] + " " + C.Row[1] + " " + C.Row[2].substr(0, 20));
        SetRows({C.Row});
        EXPECT_EQ(ResultOrError([&] { return Grid->GetFilterExpression(); }), C.Expected);
        EXPECT_EQ(Rows()[0][2], C.ValueAfter);
    }
    // With fgoExceptions a value that is not one token is refused, not left out.
    Grid->SetFilterGridOptions(CreatedOptions | TFilterGridOptions{fgoExceptions});
    SetRows({{"Amount", "=", "1 OR 1=1", ""}});
    EXPECT_EQ(ErrorOf([&] { Grid->GetFilterExpression(); }),
              "AppendFilter() Value is not a single value: '1 OR 1=1'.");
}

TEST_F(FilterExpressionTest, CellsAreReadTrimmedAndWrittenAsGiven) {
    SetRows({{"  Name ", "", "", ""}});
    EXPECT_EQ(Grid->GetCell(fciLeftArg, 1), "Name");
    Grid->SetCell(fciBoolOperator, 1, " or ");
    EXPECT_EQ(Grid->GetCells(Grid->GetFixedCols() + 3, 1), " or ");
}
