// The property tables of the five components: every published property with its type, getter
// and setter, so that form files and the designer can store and set them. The tables are
// registered when libvarnrt.so is loaded and taken out again when it is unloaded.
#include <typeindex>

#include "platform/TypInfo.h"
#include "varn/fieldcombo/DBFieldComboBox.h"
#include "varn/filtergrid/DBFilterGrid.h"
#include "varn/locateedit/DBLocateEdit.h"
#include "varn/sortcombo/DBSortComboBox.h"
#include "varn/titlesort/DBGridTitleSort.h"

namespace varn {

namespace {

using platform::BooleanType;
using platform::ClassType;
using platform::EnumType;
using platform::IntegerType;
using platform::SetType;
using platform::StringType;
using platform::TClassBuilder;

// Value names in ordinal order.

platform::TTypeInfo FilterKindType() {
    return EnumType("TFilterKind", {"fkSimple", "fkSQL"});
}

platform::TTypeInfo FilterOperatorIndexType() {
    return EnumType(
        "TFilterOperatorIndex",
        {"foiLess", "foiLessOrEqual", "foiEqual", "foiLargerOrEqual", "foiLarger", "foiNotEqual",
         "foiStartingWith", "foiContaining", "foiLike", "foiIsNull", "foiIsNotNull"});
}

platform::TTypeInfo FilterGridOptionsType() {
    return SetType("TFilterGridOptions",
                   {"fgoCaseSensitive", "fgoCaseSensitiveContaining", "fgoCorrect",
                    "fgoCorrectTranslateWildcards", "fgoExceptions", "fgoNonTableValueList",
                    "fgoStrictOperators"});
}

platform::TTypeInfo ColorType() {
    return IntegerType("TColor");
}

platform::TTypeInfo FontStylesType() {
    return SetType("TFontStyles", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
}

platform::TTypeInfo AutoRegisterMethodType() {
    return EnumType("TDBGridAutoRegisterMethod", {"arNone", "arForm"});
}

platform::TTypeInfo MulticolumnSortMethodsType() {
    return SetType("TDBGridMulticolumnSortMethods", {"mcsShift", "mcsAlt", "mcsCtrl"});
}

platform::TTypeInfo AutoLocateType() {
    return EnumType("TAutoLocate", {"alNone", "alReturnKey", "alOnChange"});
}

platform::TTypeInfo LocateOptionsType() {
    return SetType("TLocateOptions", {"loCaseInsensitive", "loPartialKey"});
}

platform::TTypeInfo FieldKindsType() {
    return SetType("TFieldKinds", {"fkData", "fkCalculated", "fkLookup", "fkInternalCalc"});
}

void RegisterFilterGrid() {
    using T = TDBFilterGrid;
    TClassBuilder<T>("TDBFilterGrid", "TStringGrid")
        .Property("DataSource", ClassType("TDataSource"), &T::GetDataSource, &T::SetDataSource)
        .Property("FilterKind", FilterKindType(), &T::GetFilterKind, &T::SetFilterKind)
        .Property("FilterMaxDropDownCount", IntegerType(), &T::GetFilterMaxDropDownCount,
                  &T::SetFilterMaxDropDownCount)
        .Property("DefaultOperator", FilterOperatorIndexType(), &T::GetDefaultOperator,
                  &T::SetDefaultOperator)
        .Property("Wildcards", StringType(), &T::GetWildcards, &T::SetWildcards)
        .Property("TargetWildcards", StringType(), &T::GetTargetWildcards, &T::SetTargetWildcards)
        .Property("FilterGridOptions", FilterGridOptionsType(), &T::GetFilterGridOptions,
                  &T::SetFilterGridOptions);
}

// In the order the properties are published.
void RegisterTitleSort() {
    using T = TDBGridTitleSort;
    TClassBuilder<T>("TDBGridTitleSort", "TComponent")
        .Property("AutoRegister", AutoRegisterMethodType(), &T::GetAutoRegister,
                  &T::SetAutoRegister)
        .Property("AutoUpdate", BooleanType(), &T::GetAutoUpdate, &T::SetAutoUpdate)
        .Property("ClickedTitleColor", ColorType(), &T::GetClickedTitleColor,
                  &T::SetClickedTitleColor)
        .Property("ClickedTitleFontColor", ColorType(), &T::GetClickedTitleFontColor,
                  &T::SetClickedTitleFontColor)
        .Property("ClickedTitleFontStyle", FontStylesType(), &T::GetClickedTitleFontStyle,
                  &T::SetClickedTitleFontStyle)
        .Property("ClickedTitleMask", StringType(), &T::GetClickedTitleMask,
                  &T::SetClickedTitleMask)
        .Property("UseClickedTitleColor", BooleanType(), &T::GetUseClickedTitleColor,
                  &T::SetUseClickedTitleColor)
        .Property("UseClickedTitleFontColor", BooleanType(), &T::GetUseClickedTitleFontColor,
                  &T::SetUseClickedTitleFontColor)
        .Property("UseClickedTitleFontStyle", BooleanType(), &T::GetUseClickedTitleFontStyle,
                  &T::SetUseClickedTitleFontStyle)
        .Property("StrictLocalIndexing", BooleanType(), &T::GetStrictLocalIndexing,
                  &T::SetStrictLocalIndexing)
        .Property("StrictServerIndexing", BooleanType(), &T::GetStrictServerIndexing,
                  &T::SetStrictServerIndexing)
        .Property("UnSort", BooleanType(), &T::GetUnSort, &T::SetUnSort)
        .Property("MultiColumnSort", MulticolumnSortMethodsType(), &T::GetMultiColumnSort,
                  &T::SetMultiColumnSort);
}

void RegisterSortComboBox() {
    using T = TDBSortComboBox;
    TClassBuilder<T>("TDBSortComboBox", "TComboBox")
        .Property("AutoUpdate", BooleanType(), &T::GetAutoUpdate, &T::SetAutoUpdate)
        .Property("DataSource", ClassType("TDataSource"), &T::GetDataSource, &T::SetDataSource)
        .Property("ReopenAfterError", BooleanType(), &T::GetReopenAfterError,
                  &T::SetReopenAfterError)
        .Property("StrictServerIndexing", BooleanType(), &T::GetStrictServerIndexing,
                  &T::SetStrictServerIndexing);
}

void RegisterLocateEdit() {
    using T = TDBLocateEdit;
    TClassBuilder<T>("TDBLocateEdit", "TEdit")
        .Property("AutoLocate", AutoLocateType(), &T::GetAutoLocate, &T::SetAutoLocate)
        .Property("AutoUpdate", BooleanType(), &T::GetAutoUpdate, &T::SetAutoUpdate)
        .Property("DataField", StringType(), &T::GetDataField, &T::SetDataField)
        .Property("DataSource", ClassType("TDataSource"), &T::GetDataSource, &T::SetDataSource)
        .Property("LocateOptions", LocateOptionsType(), &T::GetLocateOptions, &T::SetLocateOptions);
}

void RegisterFieldComboBox() {
    using T = TDBFieldComboBox;
    TClassBuilder<T>("TDBFieldComboBox", "TComboBox")
        .Property("DataSource", ClassType("TDataSource"), &T::GetDataSource, &T::SetDataSource)
        .Property("FieldKinds", FieldKindsType(), &T::GetFieldKinds, &T::SetFieldKinds)
        .Property("RelatedComponent", ClassType("TComponent"), &T::GetRelatedComponent,
                  &T::SetRelatedComponent);
}

// Registers the tables for as long as the library is loaded. Events are code, not settings:
// they have no place in a table.
class TPublishedProperties {
  public:
    TPublishedProperties() {
        RegisterFilterGrid();
        RegisterTitleSort();
        RegisterSortComboBox();
        RegisterLocateEdit();
        RegisterFieldComboBox();
    }
    ~TPublishedProperties() {
        platform::UnregisterClassInfo(typeid(TDBFieldComboBox));
        platform::UnregisterClassInfo(typeid(TDBLocateEdit));
        platform::UnregisterClassInfo(typeid(TDBSortComboBox));
        platform::UnregisterClassInfo(typeid(TDBGridTitleSort));
        platform::UnregisterClassInfo(typeid(TDBFilterGrid));
    }
    TPublishedProperties(const TPublishedProperties&) = delete;
    TPublishedProperties& operator=(const TPublishedProperties&) = delete;
};

const TPublishedProperties PublishedProperties;

}  // namespace

}  // namespace varn
