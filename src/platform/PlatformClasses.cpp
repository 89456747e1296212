// The published properties of the platform's classes, registered parent before child.
#include "platform/Buttons.h"
#include "platform/DBGrids.h"
#include "platform/DBTables.h"
#include "platform/Grids.h"
#include "platform/StdCtrls.h"
#include "platform/TypInfo.h"

namespace platform {

void RegisterPlatformClasses() {
    TClassBuilder<TComponent>("TComponent", "");

    TClassBuilder<TControl>("TControl", "TComponent", false)
        .Property("Left", IntegerType(), &TControl::GetLeft, &TControl::SetLeft)
        .Property("Top", IntegerType(), &TControl::GetTop, &TControl::SetTop)
        .Property("Width", IntegerType(), &TControl::GetWidth, &TControl::SetWidth)
        .Property("Height", IntegerType(), &TControl::GetHeight, &TControl::SetHeight)
        .Property("Visible", BooleanType(), &TControl::GetVisible, &TControl::SetVisible)
        .Property("Enabled", BooleanType(), &TControl::GetEnabled, &TControl::SetEnabled)
        .Property("Color", IntegerType("TColor"), &TControl::GetColor, &TControl::SetColor)
        .Property("ParentFont", BooleanType(), &TControl::GetParentFont, &TControl::SetParentFont);
    TClassBuilder<TWinControl>("TWinControl", "TControl", false);
    TClassBuilder<TCustomForm>("TCustomForm", "TWinControl", false)
        .Property("Caption", StringType(), &TCustomForm::GetText, &TCustomForm::SetText);
    TClassBuilder<TForm>("TForm", "TCustomForm");

    TClassBuilder<TCustomEdit>("TCustomEdit", "TWinControl", false)
        .Property("Text", StringType(), &TCustomEdit::GetText, &TCustomEdit::SetText);
    TClassBuilder<TEdit>("TEdit", "TCustomEdit");
    TClassBuilder<TCustomComboBox>("TCustomComboBox", "TWinControl", false)
        .Property("DropDownCount", IntegerType(), &TCustomComboBox::GetDropDownCount,
                  &TCustomComboBox::SetDropDownCount)
        .Property("Items", StringsType(), &TCustomComboBox::GetItems, nullptr)
        .Property("Text", StringType(), &TCustomComboBox::GetText, &TCustomComboBox::SetText);
    TClassBuilder<TComboBox>("TComboBox", "TCustomComboBox");
    TClassBuilder<TSpeedButton>("TSpeedButton", "TControl");

    TClassBuilder<TCustomGrid>("TCustomGrid", "TWinControl", false)
        .Property("ColCount", IntegerType(), &TCustomGrid::GetColCount, &TCustomGrid::SetColCount)
        .Property("RowCount", IntegerType(), &TCustomGrid::GetRowCount, &TCustomGrid::SetRowCount)
        .Property("FixedCols", IntegerType(), &TCustomGrid::GetFixedCols, &TCustomGrid::SetFixedCols)
        .Property("FixedRows", IntegerType(), &TCustomGrid::GetFixedRows, &TCustomGrid::SetFixedRows)
        .Property("DefaultColWidth", IntegerType(), &TCustomGrid::GetDefaultColWidth,
                  &TCustomGrid::SetDefaultColWidth)
        .Property("DefaultRowHeight", IntegerType(), &TCustomGrid::GetDefaultRowHeight,
                  &TCustomGrid::SetDefaultRowHeight)
        .Property("Options",
                  SetType("TGridOptions",
                          {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine",
                           "goRangeSelect", "goDrawFocusSelected", "goRowSizing", "goColSizing",
                           "goRowMoving", "goColMoving", "goEditing", "goTabs", "goRowSelect",
                           "goAlwaysShowEditor", "goThumbTracking"}),
                  &TCustomGrid::GetOptions, &TCustomGrid::SetOptions);
    TClassBuilder<TStringGrid>("TStringGrid", "TCustomGrid");
    // A data grid's columns and rows follow its dataset; the form keeps its data source.
    TClassBuilder<TCustomDBGrid>("TCustomDBGrid", "TCustomGrid", false)
        .Property("DataSource", ClassType("TDataSource"), &TCustomDBGrid::GetDataSource,
                  &TCustomDBGrid::SetDataSource);
    TClassBuilder<TDBGrid>("TDBGrid", "TCustomDBGrid");

    TClassBuilder<TDataSource>("TDataSource", "TComponent")
        .Property("DataSet", ClassType("TDataSet"), &TDataSource::GetDataSet,
                  &TDataSource::SetDataSet);
    TClassBuilder<TDataSet>("TDataSet", "TComponent", false)
        .Property("Active", BooleanType(), &TDataSet::GetActive, &TDataSet::SetActive);
    TClassBuilder<TBDEDataSet>("TBDEDataSet", "TDataSet", false);
    TClassBuilder<TDBDataSet>("TDBDataSet", "TBDEDataSet", false)
        .Property("DatabaseName", StringType(), &TDBDataSet::GetDatabaseName,
                  &TDBDataSet::SetDatabaseName);
    TClassBuilder<TTable>("TTable", "TDBDataSet")
        .Property("TableName", StringType(), &TTable::GetTableName, &TTable::SetTableName)
        .Property("IndexFieldNames", StringType(), &TTable::GetIndexFieldNames,
                  &TTable::SetIndexFieldNames)
        .Property("MasterSource", ClassType("TDataSource"), &TTable::GetMasterSource,
                  &TTable::SetMasterSource)
        .Property("MasterFields", StringType(), &TTable::GetMasterFields, &TTable::SetMasterFields);
    TClassBuilder<TQuery>("TQuery", "TDBDataSet")
        .Property("SQL", StringsType(), &TQuery::GetSQL, nullptr);
}

}  // namespace platform
