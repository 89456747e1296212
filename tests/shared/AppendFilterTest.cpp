// The text helpers of the shared unit and the conditions that AppendFilter writes: results,
// what comes back in the in/out arguments, and the failures.
#include <gtest/gtest.h>

#include <vector>

#include "varn/shared/Varn_shared.h"

using platform::String;
using namespace varn;

namespace {

// The arguments of one AppendFilter call. The defaults are those the filter grid passes, with a
// field Name, the operator "=" and no expression before.
struct TCall {
    String Filter = "";
    String Link = "";
    String FieldName = "Name";
    String Operator = "=";
    String Value = "";
    bool Quoted = true;
    bool CaseSensitive = false;
    String Wildcards = "*?";
    String TargetWildcards = "%_";
    bool CaseSensitiveContaining = false;
    bool Exceptions = true;
};

// What a call gives back: the result or the failure message, and the in/out arguments.
struct TOutcome {
    String Result;
    String Link;
    String FieldName;
    String Operator;
    String Value;
    String CorrectedValue;
    String Error = "";
};

struct TCase {
    TCall Call;
    TOutcome Expected;
};

TOutcome AppendOne(const TCall& Call) {
    // CorrectedValue starts stale, to show that every call sets it.
    TOutcome Out{"", Call.Link, Call.FieldName, Call.Operator, Call.Value, "stale"};
    try {
        Out.Result =
            AppendFilter(Call.Filter, Out.Link, Out.FieldName, Out.Operator, Out.Value,
                         Out.CorrectedValue, Call.Quoted, Call.CaseSensitive, Call.Wildcards,
                         Call.TargetWildcards, Call.CaseSensitiveContaining, Call.Exceptions);
    } catch (const platform::Exception& Error) {
        Out.Error = Error.Message();
    }
    return Out;
}

String Describe(const TCall& Call) {
    using ::testing::PrintToString;
    return "Filter=" + PrintToString(Call.Filter) + " Link=" + PrintToString(Call.Link) +
           " FieldName=" + PrintToString(Call.FieldName) +
           " Operator=" + PrintToString(Call.Operator) + " Value=" + PrintToString(Call.Value) +
           " Quoted=" + PrintToString(Call.Quoted) +
           " CaseSensitive=" + PrintToString(Call.CaseSensitive) +
           " Wildcards=" + PrintToString(Call.Wildcards) +
           " TargetWildcards=" + PrintToString(Call.TargetWildcards) +
           " CaseSensitiveContaining=" + PrintToString(Call.CaseSensitiveContaining) +
           " Exceptions=" + PrintToString(Call.Exceptions);
}

void ExpectCases(const std::vector<TCase>& Cases) {
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Describe(Case.Call));
        const TOutcome Actual = AppendOne(Case.Call);
        EXPECT_EQ(Actual.Error, Case.Expected.Error);
        EXPECT_EQ(Actual.Result, Case.Expected.Result);
        EXPECT_EQ(Actual.Link, Case.Expected.Link);
        EXPECT_EQ(Actual.FieldName, Case.Expected.FieldName);
        EXPECT_EQ(Actual.Operator, Case.Expected.Operator);
        EXPECT_EQ(Actual.Value, Case.Expected.Value);
        EXPECT_EQ(Actual.CorrectedValue, Case.Expected.CorrectedValue);
    }
}

}  // namespace

TEST(TextHelpers, BeginsWithAndEndsWithLookAtOneEndOfNonEmptyText) {
    struct {
        String S;
        char C;
        bool Begins;
        bool Ends;
    } const Cases[] = {
        {"", 'a', false, false},    {"", '\0', false, false}, {"a", 'a', true, true},
        {"ab", 'a', true, false},   {"ba", 'a', false, true}, {"aba", 'a', true, true},
        {" a ", 'a', false, false},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Case.S) + " " + ::testing::PrintToString(Case.C));
        EXPECT_EQ(BeginsWith(Case.S, Case.C), Case.Begins);
        EXPECT_EQ(EndsWith(Case.S, Case.C), Case.Ends);
    }
}

TEST(TextHelpers, BracketsAreAddedOrRemovedAroundTrimmedText) {
    struct {
        String S;
        String Bracketed;
        String Unbracketed;
    } const Cases[] = {
        {"", "[]", ""},
        {"   ", "[]", ""},
        {"[", "[[]", "["},
        {"]", "[]]", "]"},
        {"[]", "[]", ""},
        {"[Last Name]", "[Last Name]", "Last Name"},
        {" [Last Name] ", "[Last Name]", "Last Name"},
        {" Last Name ", "[Last Name]", "Last Name"},
        {"\t[a]\n", "[a]", "a"},
        {"[[a]]", "[[a]]", "[a]"},
        {"[a", "[[a]", "[a"},
        {"a]", "[a]]", "a]"},
        {"[a] [b]", "[a] [b]", "a] [b"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Case.S));
        EXPECT_EQ(BracketString(Case.S), Case.Bracketed);
        EXPECT_EQ(UnbracketString(Case.S), Case.Unbracketed);
    }
}

// Expected columns: Result, Link, FieldName, Operator, Value, CorrectedValue.
TEST(AppendFilter, WritesTheDocumentedConditions) {
    ExpectCases({
        {{.Value = "smith"}, {"UPPER(Name) = 'SMITH'", "", "Name", "=", "SMITH", "smith"}},
        {{.Value = "smith", .CaseSensitive = true},
         {"Name = 'smith'", "", "Name", "=", "smith", "smith"}},
        {{.Filter = "UPPER(Name) = 'SMITH'", .Link = "or", .FieldName = "City", .Value = "Paris"},
         {"UPPER(Name) = 'SMITH' OR UPPER(City) = 'PARIS'", "OR", "City", "=", "PARIS", "Paris"}},
        {{.Value = "sm*"},
         {"UPPER(Name) STARTING WITH 'SM'", "", "Name", "STARTING WITH", "SM", "sm"}},
        {{.Operator = "<>", .Value = "a*"},
         {"UPPER(Name) STARTING WITH 'A'", "", "Name", "STARTING WITH", "A", "a"}},
        {{.Value = "*mit*"}, {"Name CONTAINING 'mit'", "", "Name", "CONTAINING", "mit", "mit"}},
        {{.Value = "*mit*", .CaseSensitive = true},
         {"Name LIKE '%mit%'", "", "Name", "LIKE", "%mit%", "*mit*"}},
        {{.Value = "*mit*", .CaseSensitiveContaining = true},
         {"UPPER(Name) LIKE '%MIT%'", "", "Name", "LIKE", "%MIT%", "*mit*"}},
        {{.Operator = "containing", .Value = "mit"},
         {"Name CONTAINING 'mit'", "", "Name", "CONTAINING", "mit", "mit"}},
        // The value comes back as the pattern in the caller's notation, so that the row
        // tests the same when it is read again.
        {{.Operator = "containing", .Value = "mit", .CaseSensitive = true},
         {"Name LIKE '%mit%'", "", "Name", "LIKE", "%mit%", "*mit*"}},
        {{.Operator = "containing", .Value = "mit", .CaseSensitiveContaining = true},
         {"UPPER(Name) CONTAINING 'MIT'", "", "Name", "CONTAINING", "MIT", "mit"}},
        {{.Value = "S?ith"}, {"UPPER(Name) LIKE 'S_ITH'", "", "Name", "LIKE", "S_ITH", "S?ith"}},
        {{.Value = "*b"}, {"UPPER(Name) LIKE '%B'", "", "Name", "LIKE", "%B", "*b"}},
        {{.Value = "50%*"},
         {"UPPER(Name) STARTING WITH '50%'", "", "Name", "STARTING WITH", "50%", "50%"}},
        {{.Value = "50%?"},
         {R"(UPPER(Name) LIKE '50\%_')", "", "Name", "LIKE", R"(50\%_)", "50%?"}},
        {{.Value = R"(a\*)"}, {"UPPER(Name) = 'A*'", "", "Name", "=", "A*", R"(a\*)"}},
        {{.Value = "O'Brien"},
         {R"(UPPER(Name) = 'O\'BRIEN')", "", "Name", "=", "O'BRIEN", "O'Brien"}},
        {{.Value = "'x'", .CaseSensitive = true}, {"Name = 'x'", "", "Name", "=", "'x'", "'x'"}},
        {{.Value = "sm*", .Wildcards = ""}, {"UPPER(Name) = 'SM*'", "", "Name", "=", "SM*", "sm*"}},
        {{.Value = "sm*", .TargetWildcards = ""},
         {"UPPER(Name) STARTING WITH 'SM'", "", "Name", "STARTING WITH", "SM", "sm"}},
        {{.Value = "a*b", .TargetWildcards = ""},
         {"UPPER(Name) LIKE 'A*B'", "", "Name", "LIKE", "A*B", "a*b"}},
        {{.Value = "a?b%", .TargetWildcards = "%_!"},
         {"UPPER(Name) LIKE 'A_B!%'", "", "Name", "LIKE", "A_B!%", "a?b%"}},
        {{.FieldName = "Last Name", .Operator = "is null", .Value = "any value"},
         {"[Last Name] IS NULL", "", "[Last Name]", "IS NULL", "any value", ""}},
        {{.Filter = "Qty > 5", .FieldName = "Qty", .Operator = "<", .Value = "10", .Quoted = false},
         {"Qty > 5 AND Qty < 10", "AND", "Qty", "<", "10", "10"}},
    });
}

// The in/out arguments keep what the steps before the failure made of them.
TEST(AppendFilter, FailuresGiveExactMessagesAndKeepEarlierNormalisation) {
    ExpectCases({
        // The field is checked first, before the link word and whatever Exceptions says.
        {{.Filter = "A = 1",
          .Link = " or ",
          .FieldName = " \t ",
          .Operator = " like ",
          .Value = "x",
          .Exceptions = false},
         {"", " or ", "", " like ", "x", "", "AppendFilter() FieldName is empty."}},
        {{.Filter = " A = 1 ", .FieldName = " Last Name ", .Operator = "  ", .Value = "x"},
         {"", "AND", "[Last Name]", "", "x", "", "AppendFilter() Operator can't be empty."}},
        {{.Link = "or", .FieldName = "Qty", .Operator = " >= ", .Value = "", .Quoted = false},
         {"", "or", "Qty", ">=", "", "", "AppendFilter() Value must be set."}},
        {{.FieldName = "Qty", .Value = "1 OR 1=1", .Quoted = false},
         {"", "", "Qty", "=", "1 OR 1=1", "1 OR 1=1",
          "AppendFilter() Value is not a single value: '1 OR 1=1'."}},
        // A wrong source notation fails even without a wildcard in the value, and whatever
        // Exceptions says.
        {{.Operator = " like ", .Value = "abc", .Wildcards = "*", .Exceptions = false},
         {"", "", "Name", "LIKE", "abc", "abc",
          "AppendFilter() Wrong 'Wildcards' length: 1. Must be 0, 2 or 3."}},
        {{.Value = "a*", .Wildcards = R"(*?\x)"},
         {"", "", "Name", "=", "a*", "a*",
          "AppendFilter() Wrong 'Wildcards' length: 4. Must be 0, 2 or 3."}},
        // A wrong target notation fails once the wildcards have chosen the operator.
        {{.Value = "sm*", .TargetWildcards = "%", .Exceptions = false},
         {"", "", "Name", "STARTING WITH", "sm", "sm",
          "AppendFilter() Wrong 'TargetWildcards' length: 1. Must be 0, 2 or 3."}},
        {{.Value = "a?b", .TargetWildcards = "%_!x"},
         {"", "", "Name", "LIKE", "a?b", "a?b",
          "AppendFilter() Wrong 'TargetWildcards' length: 4. Must be 0, 2 or 3."}},
    });
}

TEST(AppendFilter, ExceptionsOffLeavesConditionOutWithItsLinkWord) {
    ExpectCases({
        {{.Filter = "  A = 1 ", .Link = " or ", .Operator = " ", .Value = "x", .Exceptions = false},
         {"A = 1", "OR", "Name", "", "x", ""}},
        {{.Filter = "A = 1",
          .FieldName = "Qty",
          .Operator = "<",
          .Value = "",
          .Quoted = false,
          .Exceptions = false},
         {"A = 1", "AND", "Qty", "<", "", ""}},
        {{.Filter = "A = 1",
          .Link = "or",
          .FieldName = "Qty",
          .Value = "1 OR 1=1",
          .Quoted = false,
          .Exceptions = false},
         {"A = 1", "OR", "Qty", "=", "1 OR 1=1", "1 OR 1=1"}},
        {{.Link = " or ", .Operator = "", .Exceptions = false}, {"", " or ", "Name", "", "", ""}},
    });
}

TEST(AppendFilter, LinkWordJoinsOnlyANonEmptyFilter) {
    ExpectCases({
        {{.Link = " or ", .Value = "a"}, {"UPPER(Name) = 'A'", " or ", "Name", "=", "A", "a"}},
        {{.Filter = " \t ", .Link = " or ", .Value = "a"},
         {"UPPER(Name) = 'A'", " or ", "Name", "=", "A", "a"}},
        {{.Filter = "A = 1", .Link = "", .Value = "a"},
         {"A = 1 AND UPPER(Name) = 'A'", "AND", "Name", "=", "A", "a"}},
        {{.Filter = "  A = 1 ", .Link = " or ", .Value = "a"},
         {"A = 1 OR UPPER(Name) = 'A'", "OR", "Name", "=", "A", "a"}},
        {{.Filter = "A = 1", .Link = "\tand not\n", .Value = "a"},
         {"A = 1 AND NOT UPPER(Name) = 'A'", "AND NOT", "Name", "=", "A", "a"}},
    });
}

TEST(AppendFilter, FieldNameTrimmedAndBracketedOnlyWhenItHoldsABlank) {
    ExpectCases({
        {{.FieldName = " Last Name ", .Value = "a"},
         {"UPPER([Last Name]) = 'A'", "", "[Last Name]", "=", "A", "a"}},
        {{.FieldName = "[Last Name]", .Value = "a"},
         {"UPPER([Last Name]) = 'A'", "", "[Last Name]", "=", "A", "a"}},
        {{.FieldName = "[Name]", .Value = "a"},
         {"UPPER([Name]) = 'A'", "", "[Name]", "=", "A", "a"}},
        {{.FieldName = "\tName\n", .Operator = " like ", .Value = "a"},
         {"UPPER(Name) LIKE 'A'", "", "Name", "LIKE", "A", "a"}},
        // Only the blank (code 32) asks for brackets.
        {{.FieldName = "Last\tName", .Value = "a"},
         {"UPPER(Last\tName) = 'A'", "", "Last\tName", "=", "A", "a"}},
    });
}

TEST(AppendFilter, NullTestsIgnoreTheValue) {
    ExpectCases({
        {{.Operator = " Is Not Null ", .Value = "x*", .Wildcards = "*"},
         {"Name IS NOT NULL", "", "Name", "IS NOT NULL", "x*", ""}},
        {{.Filter = "A = 1", .Operator = "is null", .Value = "", .Quoted = false},
         {"A = 1 AND Name IS NULL", "AND", "Name", "IS NULL", "", ""}},
        {{.Operator = "IS NULL", .Value = "1 OR 1=1", .Quoted = false},
         {"Name IS NULL", "", "Name", "IS NULL", "1 OR 1=1", ""}},
        // Two blanks make an ordinary operator, which takes a value.
        {{.Operator = "is  null", .Value = "x"},
         {"UPPER(Name) IS  NULL 'X'", "", "Name", "IS  NULL", "X", "x"}},
    });
}

TEST(AppendFilter, WildcardsChooseTheOperator) {
    ExpectCases({
        {{.Value = "*"}, {"UPPER(Name) STARTING WITH ''", "", "Name", "STARTING WITH", "", ""}},
        {{.Value = "**"}, {"Name CONTAINING ''", "", "Name", "CONTAINING", "", ""}},
        {{.Value = "**", .CaseSensitive = true},
         {"Name LIKE '%%'", "", "Name", "LIKE", "%%", "**"}},
        {{.Value = "**", .CaseSensitiveContaining = true},
         {"UPPER(Name) LIKE '%%'", "", "Name", "LIKE", "%%", "**"}},
        {{.Value = "*a*b*"}, {"UPPER(Name) LIKE '%A%B%'", "", "Name", "LIKE", "%A%B%", "*a*b*"}},
        {{.Operator = "containing", .Value = "a?c"},
         {"UPPER(Name) LIKE 'A_C'", "", "Name", "LIKE", "A_C", "a?c"}},
        // The final M counts, but follows an escaped escape character: not a prefix.
        {{.Value = R"(ab\\*)"},
         {R"(UPPER(Name) LIKE 'AB\\%')", "", "Name", "LIKE", R"(AB\\%)", R"(ab\\*)"}},
        // An escaped O counts for nothing; its escape goes once the operator is not LIKE.
        {{.Value = R"(a\?*)"},
         {"UPPER(Name) STARTING WITH 'A?'", "", "Name", "STARTING WITH", "A?", R"(a\?)"}},
        // A target wildcard typed literally stays literal in a pattern.
        {{.Value = "a_?"}, {R"(UPPER(Name) LIKE 'A\__')", "", "Name", "LIKE", R"(A\__)", "a_?"}},
        {{.Value = "a!*", .Wildcards = "*?!"},
         {"UPPER(Name) = 'A*'", "", "Name", "=", "A*", "a!*"}},
        // Without wildcards the value keeps its escapes and CONTAINING stays.
        {{.Operator = "containing", .Value = R"(m\it*)", .CaseSensitive = true, .Wildcards = ""},
         {R"(Name CONTAINING 'm\it*')", "", "Name", "CONTAINING", R"(m\it*)", R"(m\it*)"}},
    });
}

// A case-sensitive CONTAINING becomes a LIKE that finds the value as it stands: the pattern's
// own special characters in the value are escaped, and CorrectedValue is the same search in
// the caller's notation.
TEST(AppendFilter, CaseSensitiveContainingFindsTheValueLiterally) {
    ExpectCases({
        {{.Operator = "containing", .Value = "50%", .CaseSensitive = true},
         {R"(Name LIKE '%50\%%')", "", "Name", "LIKE", R"(%50\%%)", "*50%*"}},
        {{.Operator = "containing", .Value = "a_b", .CaseSensitive = true},
         {R"(Name LIKE '%a\_b%')", "", "Name", "LIKE", R"(%a\_b%)", "*a_b*"}},
        // An escaped escape character is a literal backslash.
        {{.Operator = "containing", .Value = R"(a\\b)", .CaseSensitive = true},
         {R"(Name LIKE '%a\\b%')", "", "Name", "LIKE", R"(%a\\b%)", R"(*a\\b*)"}},
        // Escaped source wildcards are literal, and stay escaped in the caller's notation.
        {{.Operator = "containing", .Value = R"(a\*b\?)", .CaseSensitive = true},
         {"Name LIKE '%a*b?%'", "", "Name", "LIKE", "%a*b?%", R"(*a\*b\?*)"}},
        {{.Operator = "containing", .Value = R"(a\)", .CaseSensitive = true},
         {"Name LIKE '%a%'", "", "Name", "LIKE", "%a%", "*a*"}},
        {{.Operator = "containing", .Value = "it's", .CaseSensitive = true},
         {R"(Name LIKE '%it\'s%')", "", "Name", "LIKE", "%it's%", "*it's*"}},
        {{.Operator = "containing",
          .Value = "a#b!*%",
          .CaseSensitive = true,
          .Wildcards = "*?!",
          .TargetWildcards = "%_#"},
         {"Name LIKE '%a##b*#%%'", "", "Name", "LIKE", "%a##b*#%%", "*a#b!*%*"}},
    });
    // The corrected operator and value, passed again, give the same condition.
    for (const char* Value : {"mit", "50%", "a_b", R"(a\\b)", "it's"}) {
        SCOPED_TRACE(Value);
        const TOutcome First =
            AppendOne({.Operator = "containing", .Value = Value, .CaseSensitive = true});
        const TOutcome Again = AppendOne(
            {.Operator = First.Operator, .Value = First.CorrectedValue, .CaseSensitive = true});
        EXPECT_EQ(Again.Result, First.Result);
        EXPECT_EQ(Again.CorrectedValue, First.CorrectedValue);
    }
}

TEST(AppendFilter, TargetWildcardsLengthUnnoticedWithoutWildcards) {
    ExpectCases({
        {{.Value = R"(a\*)", .TargetWildcards = "%"},
         {"UPPER(Name) = 'A*'", "", "Name", "=", "A*", R"(a\*)"}},
        {{.Operator = "containing", .Value = "abc", .TargetWildcards = "%_!x"},
         {"Name CONTAINING 'abc'", "", "Name", "CONTAINING", "abc", "abc"}},
    });
}

// With Wildcards "*?!" and TargetWildcards "%_#" each escape becomes the target's, in every
// operator the wildcards choose; without wildcards the escapes are removed.
TEST(AppendFilter, TargetEscapeReplacesSourceEscapeOnceWildcardsChooseTheOperator) {
    ExpectCases({
        {{.Value = "a!*b*", .Wildcards = "*?!", .TargetWildcards = "%_#"},
         {"UPPER(Name) STARTING WITH 'A#*B'", "", "Name", "STARTING WITH", "A#*B", "a!*b"}},
        {{.Value = "*a!*b*", .Wildcards = "*?!", .TargetWildcards = "%_#"},
         {"Name CONTAINING 'a#*b'", "", "Name", "CONTAINING", "a#*b", "a!*b"}},
        {{.Value = "a!?b?", .Wildcards = "*?!", .TargetWildcards = "%_#"},
         {"UPPER(Name) LIKE 'A#?B_'", "", "Name", "LIKE", "A#?B_", "a!?b?"}},
        {{.Value = "a!*b", .Wildcards = "*?!", .TargetWildcards = "%_#"},
         {"UPPER(Name) = 'A*B'", "", "Name", "=", "A*B", "a!*b"}},
    });
}

// A value passes unchanged only when it is one enclosed literal already; anything else is
// enclosed with its apostrophes escaped and a trailing lone escape character escaped too.
TEST(AppendFilter, QuotedValueAlwaysEndsItsLiteral) {
    ExpectCases({
        {{.Value = ""}, {"UPPER(Name) = ''", "", "Name", "=", "", ""}},
        {{.Value = "''"}, {"UPPER(Name) = ''", "", "Name", "=", "''", "''"}},
        {{.Value = R"('it\'s')", .CaseSensitive = true, .Wildcards = ""},
         {R"(Name = 'it\'s')", "", "Name", "=", R"('it\'s')", R"('it\'s')"}},
        {{.Value = "'a' OR 'b'", .CaseSensitive = true},
         {R"(Name = '\'a\' OR \'b\'')", "", "Name", "=", "'a' OR 'b'", "'a' OR 'b'"}},
        {{.Value = "'"}, {R"(UPPER(Name) = '\'')", "", "Name", "=", "'", "'"}},
        {{.Value = "'abc"}, {R"(UPPER(Name) = '\'ABC')", "", "Name", "=", "'ABC", "'abc"}},
        {{.Value = "abc'"}, {R"(UPPER(Name) = 'ABC\'')", "", "Name", "=", "ABC'", "abc'"}},
        // The last apostrophe is escaped, so it cannot close the literal.
        {{.Value = R"('abc\')", .Wildcards = ""},
         {R"(UPPER(Name) = '\'ABC\'')", "", "Name", "=", R"('ABC\')", R"('abc\')"}},
        {{.Value = R"(O\'Brien)", .Wildcards = ""},
         {R"(UPPER(Name) = 'O\'BRIEN')", "", "Name", "=", R"(O\'BRIEN)", R"(O\'Brien)"}},
        {{.Value = R"(abc\)", .Wildcards = ""},
         {R"(UPPER(Name) = 'ABC\\')", "", "Name", "=", R"(ABC\)", R"(abc\)"}},
        {{.Value = R"(ab\\)", .Wildcards = ""},
         {R"(UPPER(Name) = 'AB\\')", "", "Name", "=", R"(AB\\)", R"(ab\\)"}},
        {{.Value = R"('a'\)", .CaseSensitive = true, .Wildcards = ""},
         {R"(Name = '\'a\'\\')", "", "Name", "=", R"('a'\)", R"('a'\)"}},
        // Outside a pattern a lone escape at the end is simply removed.
        {{.Value = R"(abc\)"}, {"UPPER(Name) = 'ABC'", "", "Name", "=", "ABC", R"(abc\)"}},
        {{.Value = R"(a?\)"},
         {R"(UPPER(Name) LIKE 'A_\\')", "", "Name", "LIKE", R"(A_\)", R"(a?\)"}},
        {{.Value = "a?!", .Wildcards = "*?!"},
         {"UPPER(Name) LIKE 'A_!!'", "", "Name", "LIKE", "A_!", "a?!"}},
    });
}

// A plain value is written as passed, so it has to be one number, name or bracketed name;
// blanks around it are allowed and kept.
TEST(AppendFilter, PlainValueMustBeASingleToken) {
    const String Accepted[] = {"10",   "-1.5e3", "+.5",          "5.", "1E+10", "007",
                               "True", "_x1",    "[Unit Price]", "[]", " 10 ",  "  Cost"};
    for (const String& Value : Accepted) {
        SCOPED_TRACE(::testing::PrintToString(Value));
        const TOutcome Out = AppendOne({.FieldName = "Qty", .Value = Value, .Quoted = false});
        EXPECT_EQ(Out.Error, "");
        EXPECT_EQ(Out.Result, "Qty = " + Value);
        EXPECT_EQ(Out.Value, Value);
    }

    const String Rejected[] = {
        "1 OR 1=1", "10;",  ".",   "-",   "1e",   "1e+",  "1.2.3",
        "--1",      "2abc", "a b", "a.b", "'x'",  "(1)",  "1,5",
        "[a]b",     "[a]]", "[a",  "a]",  "\t10", "10\n", String("10\0", 3),
        "   ",
    };
    for (const String& Value : Rejected) {
        SCOPED_TRACE(::testing::PrintToString(Value));
        const TOutcome Failed = AppendOne({.FieldName = "Qty", .Value = Value, .Quoted = false});
        EXPECT_EQ(Failed.Error, "AppendFilter() Value is not a single value: '" + Value + "'.");
        const TOutcome LeftOut = AppendOne({.Filter = "A = 1",
                                            .FieldName = "Qty",
                                            .Value = Value,
                                            .Quoted = false,
                                            .Exceptions = false});
        EXPECT_EQ(LeftOut.Error, "");
        EXPECT_EQ(LeftOut.Result, "A = 1");
    }
}
