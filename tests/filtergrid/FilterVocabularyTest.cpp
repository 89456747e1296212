// The filter vocabulary: name tables, operator sets, the quoting rule per field type and the
// translations between operator names, indexes and SQL texts.
#include "FilterGridFixture.h"

using namespace filtergrid_test;

namespace {

class FilterVocabularyTest : public FilterGridFixture {};

// A table with one column of every declared type the engines map.
const char* TypesSchema =
    "CREATE TABLE types (Auto INTEGER PRIMARY KEY AUTOINCREMENT, Small SMALLINT, Int INTEGER,"
    " W WORD, B BOOLEAN, F FLOAT, Cur CURRENCY, Num NUMERIC(8,2), S VARCHAR(10), T TEXT,"
    " D DATE, Tm TIME, Dt DATETIME, By BYTES, VBy VARBYTES, Bl BLOB, M MEMO, G GRAPHIC,"
    " U GEOMETRY);";

}  // namespace

TEST(FilterNameTables, HoldTheTextsOfEachVocabulary) {
    EXPECT_EQ(fcnEnglish, (TFilterColumnNames{"Field", "Operator", "Value", "Bool"}));
    EXPECT_EQ(fcnSerbian, (TFilterColumnNames{"Polje", "Operator", "Vrednost", "Veznik"}));
    EXPECT_EQ(fonComputer, (TFilterOperatorNames{"<", "<=", "=", ">=", ">", "<>", "STARTING WITH",
                                                 "CONTAINING", "LIKE", "IS NULL", "IS NOT NULL"}));
    EXPECT_EQ(fonEnglish, (TFilterOperatorNames{"less", "less or equal", "equal", "larger or equal",
                                                "larger", "not equal", "begins with", "contains",
                                                "like", "is null", "is not null"}));
    EXPECT_EQ(fbnComputer, (TFilterBoolNames{"AND", "OR"}));
    EXPECT_EQ(fbnEnglish, (TFilterBoolNames{"and", "or"}));
    EXPECT_EQ(fbnSerbian, (TFilterBoolNames{"i", "ili"}));
}

TEST(FilterNameTables, SerbianOperatorsAreWindows1250Bytes) {
    // c with acute is $E6, c with caron $E8, z with caron $9E: one byte each.
    const std::string Expected[] = {"manje",
                                    "manje ili jednako",
                                    "jednako",
                                    std::string("ve") + '\xE6' + "e ili jednako",
                                    std::string("ve") + '\xE6' + "e",
                                    "nije jednako",
                                    std::string("po") + '\xE8' + "inje sa",
                                    std::string("sadr") + '\x9E' + "i",
                                    std::string("sli") + '\xE8' + "no",
                                    "nema vrednost",
                                    "ima vrednost"};
    for (size_t I = 0; I < fonSerbian.size(); ++I)
        EXPECT_EQ(fonSerbian[I], Expected[I]) << I;
    EXPECT_EQ(fonSerbian[foiLarger].size(), 4u);
}

TEST(FilterOperatorSets, AreTheDocumentedBitMasks) {
    EXPECT_EQ(AllFilterOperatorIndexes.Bits(), 0x07FF);
    EXPECT_EQ(SimpleFilterOperatorIndexes.Bits(), 0x003F);
    EXPECT_EQ(UnquotedFilterOperatorIndexes.Bits(), 0x063F);
    EXPECT_EQ(UnquotedFilterOperatorIndexes,
              (SimpleFilterOperatorIndexes | TFilterOperatorIndexes{foiIsNull, foiIsNotNull}));
    EXPECT_EQ(sizeof(TFilterOperatorIndexes), 2u);
    EXPECT_EQ(sizeof(TFilterGridOptions), 1u);
    EXPECT_EQ(TFilterGridOptions{fgoStrictOperators}.Bits(), 0x40);
}

TEST_F(FilterVocabularyTest, QuotedTypeIsFalseOnlyForNumbersBooleansAndAutoIncrement) {
    Db.Execute(TypesSchema);
    TTable* Types = MakeTable("types");
    Source->SetDataSet(Types);
    Grid->SetDataSource(Source);
    Types->Open();
    struct Case {
        const char* Field;
        TFieldType Type;
        bool Quoted;
    } Cases[] = {
        {"Auto", ftAutoInc, false}, {"Small", ftSmallint, false}, {"Int", ftInteger, false},
        {"W", ftWord, false},       {"B", ftBoolean, false},      {"F", ftFloat, false},
        {"Cur", ftCurrency, false}, {"Num", ftBCD, false},        {"S", ftString, true},
        {"T", ftString, true},      {"D", ftDate, true},          {"Tm", ftTime, true},
        {"Dt", ftDateTime, true},   {"By", ftBytes, true},        {"VBy", ftVarBytes, true},
        {"Bl", ftBlob, true},       {"M", ftMemo, true},          {"G", ftGraphic, true},
        {"U", ftUnknown, true},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Field);
        ASSERT_EQ(Types->FieldByName(C.Field)->GetDataType(), C.Type);
        EXPECT_EQ(Grid->QuotedType(C.Field), C.Quoted);
    }
    // Brackets and blanks around the name do not belong to it.
    EXPECT_FALSE(Grid->QuotedType(" [Int] "));
    EXPECT_TRUE(Grid->QuotedType("  d"));
}

TEST_F(FilterVocabularyTest, QuotedTypeNeedsAnOpenDataSetThatHasTheField) {
    EXPECT_EQ(ErrorOf([&] { Grid->QuotedType("Name"); }),
              "TDBFilterGrid.QuotedType() DataSet is not assigned.");
    auto* Empty = new TDataSource(Form);
    Grid->SetDataSource(Empty);
    EXPECT_EQ(ErrorOf([&] { Grid->QuotedType("Name"); }),
              "TDBFilterGrid.QuotedType() DataSet is not assigned.");
    Grid->SetDataSource(Source);
    EXPECT_EQ(ErrorOf([&] { Grid->QuotedType("Name"); }),
              "TDBFilterGrid.QuotedType() DataSet is not active.");
    Table->Open();
    EXPECT_EQ(ErrorOf([&] { Grid->QuotedType("Nope"); }), "Field 'Nope' not found");
    EXPECT_THROW(Grid->QuotedType("Nope"), EDatabaseError);
    // "[Last Name]" names the field Last Name, so the bracketed name is not looked up.
    EXPECT_EQ(ErrorOf([&] { Grid->QuotedType("[Na me]"); }), "Field 'Na me' not found");
}

TEST_F(FilterVocabularyTest, OperatorNameToIndexMatchesWholeNamesOnly) {
    struct Case {
        const char* Name;
        int Index;  // -1: unknown
    } Cases[] = {
        {"<", foiLess},
        {" <= ", foiLessOrEqual},
        {"=", foiEqual},
        {">=", foiLargerOrEqual},
        {">", foiLarger},
        {"<>", foiNotEqual},
        {"starting with", foiStartingWith},
        {"Containing", foiContaining},
        {"like", foiLike},
        {" is null ", foiIsNull},
        {"Is Not Null", foiIsNotNull},
        {"IS  NULL", -1},  // two blanks
        {"starting", -1},  // a name's beginning is not completed
        {"<==", -1},
        {"", -1},
        {"!=", -1},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        if (C.Index >= 0)
            EXPECT_EQ(Grid->OperatorNameToIndex(C.Name), C.Index);
        else
            EXPECT_EQ(ErrorOf([&] { Grid->OperatorNameToIndex(C.Name); }),
                      std::string("TDBFilterGrid.OperatorNameToIndex() Unknown operator name: '") +
                          C.Name + "'.");
    }
}

TEST_F(FilterVocabularyTest, OperatorNameToIndexStrictTestsTheOperatorAgainstTheField) {
    BindForSQL();
    auto NotApplicable = [](const std::string& Name, const std::string& Field) {
        return "TDBFilterGrid.OperatorNameToIndexStrict() Operator \"" + Name +
               "\" not applicable to field \"" + Field + "\".";
    };
    // SQL: a string field takes all eleven, an integer field not the three text operators.
    for (const String& Name : fonComputer)
        EXPECT_EQ(fonComputer[Grid->OperatorNameToIndexStrict(Name, "Name")], Name);
    EXPECT_EQ(Grid->OperatorNameToIndexStrict("IS NULL", "Amount"), foiIsNull);
    EXPECT_EQ(Grid->OperatorNameToIndexStrict(">=", " [Amount] "), foiLargerOrEqual);
    EXPECT_EQ(ErrorOf([&] { Grid->OperatorNameToIndexStrict("LIKE", "Amount"); }),
              NotApplicable("LIKE", "Amount"));
    EXPECT_EQ(ErrorOf([&] { Grid->OperatorNameToIndexStrict(" like", " Amount"); }),
              NotApplicable(" like", " Amount"));  // both texts exactly as passed

    // Simple filters: only the six comparisons, for every field.
    Grid->SetFilterKind(fkSimple);
    for (const char* Field : {"Name", "Amount", "Born"}) {
        for (const char* Name : {"IS NULL", "LIKE", "STARTING WITH", "CONTAINING"})
            EXPECT_EQ(ErrorOf([&] { Grid->OperatorNameToIndexStrict(Name, Field); }),
                      NotApplicable(Name, Field));
        for (int I = foiLess; I <= foiNotEqual; ++I)
            EXPECT_EQ(Grid->OperatorNameToIndexStrict(fonComputer[static_cast<size_t>(I)], Field),
                      I);
    }

    // The field is looked up before the name, and an unknown name fails as such.
    EXPECT_EQ(ErrorOf([&] { Grid->OperatorNameToIndexStrict("bogus", "Nope"); }),
              "Field 'Nope' not found");
    EXPECT_EQ(ErrorOf([&] { Grid->OperatorNameToIndexStrict("bogus", "Name"); }),
              "TDBFilterGrid.OperatorNameToIndex() Unknown operator name: 'bogus'.");
    Table->Close();
    EXPECT_EQ(ErrorOf([&] { Grid->OperatorNameToIndexStrict("=", "Name"); }),
              "TDBFilterGrid.QuotedType() DataSet is not active.");
}

TEST_F(FilterVocabularyTest, ApplicableOperatorsByKindAndQuoting) {
    BindForSQL();
    EXPECT_EQ(Grid->ApplicableOperators("Name"), AllFilterOperatorIndexes);
    EXPECT_EQ(Grid->ApplicableOperators("Born"), AllFilterOperatorIndexes);
    EXPECT_EQ(Grid->ApplicableOperators("Amount"), UnquotedFilterOperatorIndexes);
    Grid->SetFilterKind(fkSimple);
    EXPECT_EQ(Grid->ApplicableOperators("Name"), SimpleFilterOperatorIndexes);
    EXPECT_EQ(Grid->ApplicableOperators("Amount"), SimpleFilterOperatorIndexes);
}

TEST_F(FilterVocabularyTest, OperatorIndexToSQLOperatorGivesTheSQLText) {
    for (int I = foiLess; I <= foiIsNotNull; ++I)
        EXPECT_EQ(Grid->OperatorIndexTOSQLOperator(static_cast<TFilterOperatorIndex>(I)),
                  fonComputer[static_cast<size_t>(I)]);
    for (int Bad : {11, 12, 255})
        EXPECT_EQ(ErrorOf([&] {
                      Grid->OperatorIndexTOSQLOperator(static_cast<TFilterOperatorIndex>(Bad));
                  }),
                  "TDBFilterGrid.OperatorIndexTOSQLOperator() Unknown operator index.");
}
