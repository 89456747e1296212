// Text helpers and the filter-condition writer.
#include "varn/shared/Varn_shared.h"

#include <cstddef>
#include <cstdint>

namespace varn {

using namespace platform;

// ---------------------------------------------------------------------------------------------
// Text helpers

bool BeginsWith(const String& S, char C) {
    return !S.empty() && S.front() == C;
}

bool EndsWith(const String& S, char C) {
    return !S.empty() && S.back() == C;
}

String BracketString(const String& S) {
    String T = Trim(S);
    if (BeginsWith(T, '[') && EndsWith(T, ']'))
        return T;
    return "[" + T + "]";
}

String UnbracketString(const String& S) {
    String T = Trim(S);
    if (BeginsWith(T, '[') && EndsWith(T, ']'))
        return T.substr(1, T.size() - 2);
    return T;
}

// ---------------------------------------------------------------------------------------------
// Filter conditions

namespace {

constexpr char Blank = ' ';
constexpr char Apostrophe = '\'';
constexpr char Backslash = '\\';
constexpr std::size_t NotFound = String::npos;

bool ContainsChar(const String& S, char C) {
    return S.find(C) != NotFound;
}

bool EndsWithSpace(const String& S) {
    return EndsWith(S, Blank);
}

void AddSeparator(String& S) {
    if (!S.empty() && !EndsWithSpace(S))
        S += Blank;
}

// Appends Word to S, separated from what is already there by one blank.
void AppendWord(String& S, const String& Word) {
    AddSeparator(S);
    S += Word;
}

// Position of the first character at or after From that is in Set and not escaped, or
// NotFound. An E is stepped over together with the character after it.
std::size_t FindUnescapedChar(const String& S, const String& Set, std::size_t From, char E) {
    for (std::size_t I = From; I < S.size(); ++I) {
        if (S[I] == E)
            ++I;
        else if (ContainsChar(Set, S[I]))
            return I;
    }
    return NotFound;
}

int CountUnescaped(const String& S, char C, char E) {
    const String Set(1, C);
    int Count = 0;
    for (std::size_t I = FindUnescapedChar(S, Set, 0, E); I != NotFound;
         I = FindUnescapedChar(S, Set, I + 1, E))
        ++Count;
    return Count;
}

// Looks at the second-to-last character only, so "ab\\*" (an escaped E, then C) is rejected.
bool EndsWithUnescaped(const String& S, char C, char E) {
    return EndsWith(S, C) && (S.size() == 1 || S[S.size() - 2] != E);
}

// True if S ends with an E that has no character after it to escape.
bool EndsWithDanglingEscape(const String& S, char E) {
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] != E)
            continue;
        if (I + 1 == S.size())
            return true;
        ++I;
    }
    return false;
}

// A copy of S with an E put in front of every unescaped character of Set.
String EscapeChars(const String& S, const String& Set, char E) {
    String Result;
    std::size_t Copied = 0;
    for (std::size_t I = FindUnescapedChar(S, Set, 0, E); I != NotFound;
         I = FindUnescapedChar(S, Set, I + 1, E)) {
        Result.append(S, Copied, I - Copied);
        Result += E;
        Copied = I;
    }
    Result.append(S, Copied);
    return Result;
}

// A copy of literal text S with an E put in front of every character of Set.
String EscapeLiteral(const String& S, const String& Set, char E) {
    String Result;
    for (char C : S) {
        if (ContainsChar(Set, C))
            Result += E;
        Result += C;
    }
    return Result;
}

// A copy of S with each E dropped and the character after it kept as it is.
String RemoveEscapes(const String& S, char E) {
    String Result;
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == E) {
            ++I;
            if (I == S.size())
                break;  // an E at the very end is dropped
        }
        Result += S[I];
    }
    return Result;
}

// A copy of S in the target notation: M becomes TM, O becomes TO, and an E becomes TE with the
// character after it copied unchanged.
String TranslateWildcards(const String& S, char M, char O, char E, char TM, char TO, char TE) {
    String Result;
    for (std::size_t I = 0; I < S.size(); ++I) {
        const char C = S[I];
        if (C == E) {
            Result += TE;
            if (++I < S.size())
                Result += S[I];
        } else if (C == M) {
            Result += TM;
        } else if (C == O) {
            Result += TO;
        } else {
            Result += C;
        }
    }
    return Result;
}

// S as a literal enclosed in Q. S is taken as already enclosed only when its first unescaped Q
// after the opening one is its last character; otherwise every unescaped Q is escaped and an E
// dangling at the end is escaped too, so that the literal always ends at the closing Q.
String QuoteValue(const String& S, char Q, char E) {
    if (S.size() >= 2 && BeginsWith(S, Q) &&
        FindUnescapedChar(S, String(1, Q), 1, E) == S.size() - 1)
        return S;
    String Body = EscapeChars(S, String(1, Q), E);
    if (EndsWithDanglingEscape(Body, E))
        Body += E;
    return Q + Body + Q;
}

// CONTAINING of a language whose CONTAINING ignores case by itself: field and value are then
// written as they are.
bool IsCaseInsensitiveContaining(const String& Operator, bool CaseSensitiveContaining) {
    return Operator == "CONTAINING" && !CaseSensitiveContaining;
}

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

bool IsNameStart(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}

std::size_t SkipDigits(const String& S, std::size_t From) {
    while (From < S.size() && IsDigit(S[From]))
        ++From;
    return From;
}

// [+-]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][+-]?[0-9]+)?
bool IsNumber(const String& S) {
    std::size_t I = 0;
    if (I < S.size() && (S[I] == '+' || S[I] == '-'))
        ++I;
    const std::size_t IntegerStart = I;
    I = SkipDigits(S, I);
    bool HasDigits = I > IntegerStart;
    if (I < S.size() && S[I] == '.') {
        const std::size_t FractionStart = ++I;
        I = SkipDigits(S, I);
        HasDigits = HasDigits || I > FractionStart;
    }
    if (!HasDigits)
        return false;
    if (I < S.size() && (S[I] == 'e' || S[I] == 'E')) {
        ++I;
        if (I < S.size() && (S[I] == '+' || S[I] == '-'))
            ++I;
        const std::size_t ExponentStart = I;
        I = SkipDigits(S, I);
        if (I == ExponentStart)
            return false;
    }
    return I == S.size();
}

// [A-Za-z_][A-Za-z0-9_]*
bool IsName(const String& S) {
    if (S.empty() || !IsNameStart(S[0]))
        return false;
    for (char C : S)
        if (!IsNameStart(C) && !IsDigit(C))
            return false;
    return true;
}

// \[[^\]]*\]
bool IsBracketedName(const String& S) {
    return S.size() >= 2 && BeginsWith(S, '[') && S.find(']') == S.size() - 1;
}

// An unquoted value is written as it is, so it has to be one token: a number, a name or a
// bracketed name. Blanks around the token are allowed (they only separate it); any other
// character around it, control characters included, is not.
bool IsSingleValue(const String& Value) {
    const std::size_t First = Value.find_first_not_of(Blank);
    if (First == NotFound)
        return false;
    const String Token = Value.substr(First, Value.find_last_not_of(Blank) - First + 1);
    return IsNumber(Token) || IsName(Token) || IsBracketedName(Token);
}

// The target's escape character: its third wildcard character, else the source's.
char TargetEscape(const String& TargetWildcards, char E) {
    return TargetWildcards.size() == 3 ? TargetWildcards[2] : E;
}

String WrongLengthMessage(const char* ArgumentName, std::size_t Length) {
    return String("AppendFilter() Wrong '") + ArgumentName +
           "' length: " + IntToStr(static_cast<int64_t>(Length)) + ". Must be 0, 2 or 3.";
}

// Lets the caller's wildcards in a quoted value choose the operator, translates them into the
// target notation and drops the escapes the target does not need. Returns the escape character
// of the call.
char ApplyWildcards(String& Operator, String& Value, String& CorrectedValue, bool CaseSensitive,
                    const String& Wildcards, const String& TargetWildcards,
                    bool CaseSensitiveContaining) {
    char E = Backslash;
    const std::size_t L = Wildcards.size();
    if (L == 0)
        return E;

    // a. The notation is checked even when the value holds no wildcard.
    if (L == 1 || L > 3)
        throw Exception(WrongLengthMessage("Wildcards", L));

    // b. Many-character wildcard, one-character wildcard and escape character.
    const char M = Wildcards[0];
    const char O = Wildcards[1];
    if (L == 3)
        E = Wildcards[2];

    // c. Any unescaped wildcard replaces the operator the caller gave. N stays the last count
    // made: that of O when above 0, else that of M.
    int N = CountUnescaped(Value, O, E);
    if (N > 0) {
        Operator = "LIKE";
    } else {
        N = CountUnescaped(Value, M, E);
        if (N == 1 && EndsWithUnescaped(Value, M, E)) {
            Operator = "STARTING WITH";
            Value.pop_back();
        } else if (N == 2 && BeginsWith(Value, M) && EndsWithUnescaped(Value, M, E) &&
                   !CaseSensitive && !CaseSensitiveContaining) {
            Operator = "CONTAINING";
            Value = Value.substr(1, Value.size() - 2);
        } else if (N > 0) {
            Operator = "LIKE";
        }
    }

    // d. The value in the caller's own notation, now that the operator is chosen.
    CorrectedValue = Value;

    // e. The target notation is checked only when there is something to translate.
    if (N > 0) {
        const std::size_t T = TargetWildcards.size();
        if (T == 1 || T > 3)
            throw Exception(WrongLengthMessage("TargetWildcards", T));
        if (T > 0) {
            const char TM = TargetWildcards[0];
            const char TO = TargetWildcards[1];
            const char TE = TargetEscape(TargetWildcards, E);
            // Target wildcard characters typed literally stay literal in a pattern.
            if (Operator == "LIKE") {
                Value = EscapeChars(Value, String(1, TM), E);
                Value = EscapeChars(Value, String(1, TO), E);
            }
            Value = TranslateWildcards(Value, M, O, E, TM, TO, TE);
        }
    }

    // f. Only a pattern needs its escapes.
    if (Operator != "LIKE")
        Value = RemoveEscapes(Value, E);

    // g. A CONTAINING that ignores case cannot serve a case-sensitive comparison. No wildcard
    // chose it, so the value is literal text here: in the LIKE that takes its place the
    // pattern's own characters are escaped, and the caller gets the same search back in its
    // notation, so that a corrected row tests the same when it is read again.
    if (Operator == "CONTAINING" && CaseSensitive && !CaseSensitiveContaining) {
        Operator = "LIKE";
        CorrectedValue = M + EscapeLiteral(Value, String{E, M, O}, E) + M;
        const char TE = TargetEscape(TargetWildcards, E);
        Value = String("%").append(EscapeLiteral(Value, String{TE, '%', '_'}, TE)).append("%");
    }
    return E;
}

}  // namespace

String AppendFilter(const String& Filter, String& Link, String& FieldName, String& Operator,
                    String& Value, String& CorrectedValue, bool Quoted, bool CaseSensitive,
                    const String& Wildcards, const String& TargetWildcards,
                    bool CaseSensitiveContaining, bool Exceptions) {
    // 1.
    CorrectedValue.clear();

    // 2.
    FieldName = Trim(FieldName);
    if (FieldName.empty())
        throw Exception("AppendFilter() FieldName is empty.");

    // 3. A condition that is left out leaves this text as the result.
    const String TrimmedFilter = Trim(Filter);
    String R = TrimmedFilter;

    // 4. Link is normalised only when there is something to join to.
    if (!R.empty()) {
        Link = UpperCase(Trim(Link));
        if (Link.empty())
            Link = "AND";
        AppendWord(R, Link);
    }

    // 5.
    if (ContainsChar(FieldName, Blank))
        FieldName = BracketString(FieldName);

    // 6.
    Operator = UpperCase(Trim(Operator));

    // 7.
    if (Operator == "IS NULL" || Operator == "IS NOT NULL") {
        AppendWord(R, FieldName);
        AppendWord(R, Operator);
        return R;
    }

    // 8.
    if (Operator.empty()) {
        if (Exceptions)
            throw Exception("AppendFilter() Operator can't be empty.");
        return TrimmedFilter;
    }

    // 9. From here on a value is processed.
    CorrectedValue = Value;

    // 10. The plain shape writes the value as passed, so it must be one token.
    if (!Quoted) {
        if (Value.empty()) {
            if (Exceptions)
                throw Exception("AppendFilter() Value must be set.");
            return TrimmedFilter;
        }
        if (!IsSingleValue(Value)) {
            if (Exceptions)
                throw Exception("AppendFilter() Value is not a single value: '" + Value + "'.");
            return TrimmedFilter;
        }
        AppendWord(R, FieldName);
        AppendWord(R, Operator);
        AppendWord(R, Value);
        return R;
    }

    // 11.
    const char E = ApplyWildcards(Operator, Value, CorrectedValue, CaseSensitive, Wildcards,
                                  TargetWildcards, CaseSensitiveContaining);

    // 12. Unless the comparison keeps case, field and value are compared upper-cased.
    const bool WrittenAsIs =
        CaseSensitive || IsCaseInsensitiveContaining(Operator, CaseSensitiveContaining);
    AppendWord(R, WrittenAsIs ? FieldName : "UPPER(" + FieldName + ")");
    AppendWord(R, Operator);
    if (!WrittenAsIs)
        Value = UpperCase(Value);
    AppendWord(R, QuoteValue(Value, Apostrophe, E));
    return R;
}

// ---------------------------------------------------------------------------------------------
// Sort orders and master-detail links

namespace {

const TTable* AsTable(const TDataSet* DataSet) {
    return dynamic_cast<const TTable*>(DataSet);
}

// The number of fields of a sort field list: the positions that hold ";" or are the last
// one (a last ";" counts once), so "A;B;" gives 2 and "A;;B" gives 3.
int CountSortFields(const String& List) {
    int Count = 0;
    for (std::size_t I = 0; I < List.size(); ++I)
        if (List[I] == ';' || I + 1 == List.size())
            ++Count;
    return Count;
}

}  // namespace

String ExtractSortFieldNames(const TDataSet* DataSet) {
    const TTable* Table = AsTable(DataSet);
    if (Table == nullptr)
        return "";
    String Result;
    for (int I = 0; I < Table->GetIndexFieldCount(); ++I) {
        if (I > 0)
            Result += ";";
        Result += Table->GetIndexField(I)->GetFieldName();
    }
    return Result;
}

String ExtractFirstSortFieldName(const TDataSet* DataSet) {
    // 1. Only an open table has a first sort field.
    const TTable* Table = AsTable(DataSet);
    if (Table == nullptr || !Table->GetActive())
        return "";
    // 2. The leading fields that an open master fixes.
    int Fixed = 0;
    TDataSource* Master = Table->GetMasterSource();
    if (Master != nullptr && Master->GetDataSet() != nullptr && Master->GetDataSet()->GetActive())
        Fixed = CountSortFields(Table->GetMasterFields());
    // 3. The index field after them.
    if (Table->GetIndexFieldCount() <= Fixed)
        return "";
    return Table->GetIndexField(Fixed)->GetFieldName();
}

TDataSource* GetMasterSource(const TDataSet* DataSet) {
    const TTable* Table = AsTable(DataSet);
    if (Table == nullptr)
        throw Exception("GetMasterSource() Unknown DataSet type.");
    return Table->GetMasterSource();
}

String GetMasterFields(const TDataSet* DataSet) {
    const TTable* Table = AsTable(DataSet);
    if (Table == nullptr)
        throw Exception("GetMasterFields() Unknown DataSet type.");
    return Table->GetMasterFields();
}

void TSortDataLink::DataSetChanged() {
    // 1, 2. Only a table's order is watched.
    const TDataSet* DataSet = GetDataSet();
    if (DataSet == nullptr || AsTable(DataSet) == nullptr)
        return;
    // 3, 4. Nothing to report while the order is the one taken last.
    String New = ExtractSortFieldNames(DataSet);
    if (New == SortFieldNames)
        return;
    // 5, 6. The handler may ask to hear of the same change again.
    bool Done = true;
    if (OnSortChange)
        OnSortChange(this, SortFieldNames, New, Done);
    if (Done)
        SortFieldNames = New;
}

}  // namespace varn
