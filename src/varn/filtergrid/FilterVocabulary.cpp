// The filter grid's vocabulary: the name tables, and the translations between operator
// names, operator indexes and SQL texts, with the quoting rule of a field's values.
#include <optional>

#include "varn/filtergrid/DBFilterGrid.h"

namespace varn {

using namespace platform;

namespace {

struct TNameTables {
    TFilterColumnNames ColumnEnglish = {"Field", "Operator", "Value", "Bool"};
    TFilterColumnNames ColumnSerbian = {"Polje", "Operator", "Vrednost", "Veznik"};
    TFilterOperatorNames OperatorComputer = {
        "<",          "<=",   "=",       ">=",         ">", "<>", "STARTING WITH",
        "CONTAINING", "LIKE", "IS NULL", "IS NOT NULL"};
    TFilterOperatorNames OperatorEnglish = {
        "less",        "less or equal", "equal", "larger or equal", "larger",     "not equal",
        "begins with", "contains",      "like",  "is null",         "is not null"};
    // Windows-1250 bytes, in octal: \346 is c with acute, \350 c with caron, \236 z with caron.
    TFilterOperatorNames OperatorSerbian = {
        "manje",     "manje ili jednako", "jednako",       "ve\346e ili jednako",
        "ve\346e",   "nije jednako",      "po\350inje sa", "sadr\236i",
        "sli\350no", "nema vrednost",     "ima vrednost"};
    TFilterBoolNames BoolComputer = {"AND", "OR"};
    TFilterBoolNames BoolEnglish = {"and", "or"};
    TFilterBoolNames BoolSerbian = {"i", "ili"};
};

// The tables stay at one place, so the names below always refer to them, whether made or
// released.
std::optional<TNameTables>& NameTableStorage() {
    static std::optional<TNameTables> Storage;
    return Storage;
}

const TNameTables& NameTables() {
    MakeFilterNameTables();
    return *NameTableStorage();
}

}  // namespace

void MakeFilterNameTables() {
    if (!NameTableStorage())
        NameTableStorage().emplace();
}

void ReleaseFilterNameTables() {
    NameTableStorage().reset();
}

const TFilterColumnNames& fcnEnglish = NameTables().ColumnEnglish;
const TFilterColumnNames& fcnSerbian = NameTables().ColumnSerbian;
const TFilterOperatorNames& fonComputer = NameTables().OperatorComputer;
const TFilterOperatorNames& fonEnglish = NameTables().OperatorEnglish;
const TFilterOperatorNames& fonSerbian = NameTables().OperatorSerbian;
const TFilterBoolNames& fbnComputer = NameTables().BoolComputer;
const TFilterBoolNames& fbnEnglish = NameTables().BoolEnglish;
const TFilterBoolNames& fbnSerbian = NameTables().BoolSerbian;

bool TDBFilterGrid::QuotedType(const String& FieldName) const {
    TDataSet* Data = DataSet();
    // 1., 2.
    if (Data == nullptr)
        throw Exception("TDBFilterGrid.QuotedType() DataSet is not assigned.");
    if (!Data->GetActive())
        throw Exception("TDBFilterGrid.QuotedType() DataSet is not active.");
    // 3.
    TField* Field = Data->FieldByName(UnbracketString(FieldName));
    // 4.
    switch (Field->GetDataType()) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftBoolean:
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftAutoInc:
            return false;
        default:
            return true;
    }
}

TFilterOperatorIndex TDBFilterGrid::OperatorNameToIndex(const String& Name) const {
    String Key = UpperCase(Trim(Name));
    for (int I = foiLess; I <= foiIsNotNull; ++I)
        if (UpperCase(Trim(FOperatorNames[static_cast<size_t>(I)])) == Key)
            return static_cast<TFilterOperatorIndex>(I);
    throw Exception("TDBFilterGrid.OperatorNameToIndex() Unknown operator name: '" + Name + "'.");
}

TFilterOperatorIndex TDBFilterGrid::OperatorNameToIndexStrict(const String& Name,
                                                              const String& FieldName) const {
    // 1. The field is looked up before the name.
    TFilterOperatorIndexes Applicable = ApplicableOperators(FieldName);
    // 2.
    TFilterOperatorIndex Index = OperatorNameToIndex(Name);
    // 3.
    if (!Applicable.Contains(Index))
        throw Exception("TDBFilterGrid.OperatorNameToIndexStrict() Operator \"" + Name +
                        "\" not applicable to field \"" + FieldName + "\".");
    return Index;
}

String TDBFilterGrid::OperatorIndexTOSQLOperator(TFilterOperatorIndex Index) const {
    if (Index > foiIsNotNull)
        throw Exception("TDBFilterGrid.OperatorIndexTOSQLOperator() Unknown operator index.");
    return fonComputer[Index];
}

TFilterOperatorIndexes TDBFilterGrid::ApplicableOperators(const String& FieldName) const {
    TFilterOperatorIndexes Result =
        QuotedType(FieldName) ? AllFilterOperatorIndexes : UnquotedFilterOperatorIndexes;
    if (FFilterKind == fkSimple)
        Result = Result & SimpleFilterOperatorIndexes;
    return Result;
}

}  // namespace varn
