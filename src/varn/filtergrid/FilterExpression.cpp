// The filter grid's expression builder: reads the condition rows, hands each row that names
// a field to AppendFilter, and with fgoCorrect writes the normalised rows back.
#include "varn/filtergrid/DBFilterGrid.h"

namespace varn {

using namespace platform;

namespace {

// True for an empty link (which joins with "AND") and for the grid's link words, in any case.
bool IsLinkWord(const String& Link, const TFilterBoolNames& BoolNames) {
    if (Link.empty())
        return true;
    for (const String& Word : BoolNames)
        if (UpperCase(Trim(Word)) == UpperCase(Link))
            return true;
    return false;
}

}  // namespace

String TDBFilterGrid::GetFilterExpression() {
    // 1. Text being edited goes into its cell first.
    HideCellEditor();
    // 2.
    String R;
    // 3.
    TDataSet* Data = DataSet();
    if (Data == nullptr || !Data->GetActive()) {
        if (FFilterGridOptions.Contains(fgoCorrect))
            Clear();
        return "";
    }
    // 4.
    String Link;
    // 5.
    const bool Correct = FFilterGridOptions.Contains(fgoCorrect);
    const bool InSQL = FFilterKind == fkSQL;
    for (int Row = GetFixedRows(); Row < GetRowCount(); ++Row) {
        // a.
        String FieldName = GetCell(fciLeftArg, Row);
        String Operator = GetOpCell(fciOperator, Row, FieldName);
        String Value = GetCell(fciRightArg, Row);
        // b.
        if (!FieldName.empty()) {
            // c.
            if (Trim(Operator).empty())
                Operator = Value.empty() && InSQL ? OperatorIndexTOSQLOperator(foiIsNull)
                                                  : OperatorIndexTOSQLOperator(FDefaultOperator);
            // d.
            String CorrectedValue;
            bool Quoted = QuotedType(FieldName);
            // The link cell is written into the expression, so it has to hold a link word;
            // other text joins with the default word, or fails with fgoExceptions.
            if (!R.empty() && !IsLinkWord(Link, FBoolNames)) {
                if (FFilterGridOptions.Contains(fgoExceptions))
                    throw Exception("TDBFilterGrid.GetFilterExpression() Unknown link word: '" +
                                    Link + "'.");
                Link.clear();
            }
            R = AppendFilter(R, Link, FieldName, Operator, Value, CorrectedValue, Quoted,
                             FFilterGridOptions.Contains(fgoCaseSensitive),
                             InSQL ? FWildcards : String(), InSQL ? FTargetWildcards : String(),
                             FFilterGridOptions.Contains(fgoCaseSensitiveContaining),
                             FFilterGridOptions.Contains(fgoExceptions));
            // e.
            if (Correct) {
                if (Row > GetFixedRows())
                    SetCell(fciBoolOperator, Row - 1, Link);
                SetCell(fciLeftArg, Row, FieldName);
                SetCell(fciOperator, Row, Operator);
                SetCell(fciRightArg, Row,
                        FFilterGridOptions.Contains(fgoCorrectTranslateWildcards) ? Value
                                                                                  : CorrectedValue);
            }
        }
        // f. Every row passes its link cell on, also one without a condition.
        Link = GetCell(fciBoolOperator, Row);
    }
    // 6.
    return R;
}

String TDBFilterGrid::GetCell(TFilterColumnIndex Column, int Row) const {
    return Trim(GetCells(GetFixedCols() + Column, Row));
}

void TDBFilterGrid::SetCell(TFilterColumnIndex Column, int Row, const String& Text) {
    SetCells(GetFixedCols() + Column, Row, Text);
}

String TDBFilterGrid::GetOpCell(TFilterColumnIndex Column, int Row, const String& FieldName) const {
    // 1.
    String S = GetCell(Column, Row);
    if (S.empty())
        return "";
    // 2. Without strict operators a name that matches no operator is taken as typed.
    if (!FFilterGridOptions.Contains(fgoStrictOperators)) {
        try {
            return OperatorIndexTOSQLOperator(OperatorNameToIndex(S));
        } catch (const Exception&) {
            return S;
        }
    }
    // 3.
    if (FFilterGridOptions.Contains(fgoCorrect)) {
        String N = CorrectOperatorName(S);
        if (!N.empty())
            return N;
        if (FFilterGridOptions.Contains(fgoExceptions))
            throw Exception("GetOpCell() Bad operator.");
        return OperatorIndexTOSQLOperator(FDefaultOperator);
    }
    // 4.
    return OperatorIndexTOSQLOperator(OperatorNameToIndexStrict(S, FieldName));
}

String TDBFilterGrid::CorrectOperatorName(const String& S) const {
    // 1.
    size_t BestLength = 0;
    const String* Chosen = nullptr;
    // 2., 3.
    const String Key = UpperCase(S);
    for (const String& Name : FOperatorNames) {
        const String UpperName = UpperCase(Name);
        size_t P = 0;
        while (P < UpperName.size() && P < Key.size() && UpperName[P] == Key[P])
            ++P;
        bool Longer = P > BestLength;
        bool ShorterName = P == BestLength && P > 0 && Name.size() < Chosen->size();
        if (Longer || ShorterName) {
            Chosen = &Name;
            BestLength = P;
        }
    }
    // 4.
    return Chosen != nullptr ? *Chosen : String();
}

}  // namespace varn
