// A filter grid on a form, bound to a real SQLite table, with helpers that reach the grid's
// editor, button and value query as a user would see them and that read and write rows.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/DBTables.h"
#include "support/TempDatabase.h"
#include "varn/filtergrid/DBFilterGrid.h"

namespace filtergrid_test {

using namespace platform;
using namespace varn;

// The rows as the tests write them: field, operator, value, link word.
using TRowTexts = std::array<std::string, 4>;

inline const char* PeopleSchema =
    "CREATE TABLE people (Id INTEGER PRIMARY KEY, Name VARCHAR(30), City VARCHAR(30),"
    " \"First Name\" VARCHAR(30), Amount INTEGER, Born DATE, Notes MEMO, Photo BLOB,"
    " Picture GRAPHIC);"
    "INSERT INTO people VALUES"
    " (1, 'Smith', 'Paris', 'Anna', 120, '1980-02-01', 'n', NULL, NULL),"
    " (2, 'Baker', 'Rome', 'Dan', 40, '1975-07-12', NULL, NULL, NULL),"
    " (3, 'Adams', 'Paris', 'Joan', 100, NULL, NULL, NULL, NULL),"
    " (4, 'smith', 'Oslo', 'Ian', 75, '1990-11-30', NULL, NULL, NULL),"
    " (5, 'Cole', 'rome', 'Eve', NULL, '2001-01-01', NULL, NULL, NULL);";

class FilterGridFixture : public ::testing::Test {
  protected:
    explicit FilterGridFixture(const std::string& Schema = PeopleSchema) : Db(Schema) {
        Form->SetBounds(0, 0, 800, 600);
        Table = MakeTable("people");
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TDBFilterGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(10, 10, Grid->GetWidth(), 300);
    }

    TTable* MakeTable(const std::string& Name) {
        auto* T = new TTable(Form);
        T->SetDatabaseName(Db.Path());
        T->SetTableName(Name);
        return T;
    }

    // Binds the grid to the open table and sets the kind and options the grid is created
    // with, which binding to a table changes.
    void BindForSQL() {
        Table->Open();
        Grid->SetDataSource(Source);
        Grid->SetFilterKind(fkSQL);
        Grid->SetFilterGridOptions({fgoCorrect, fgoNonTableValueList, fgoStrictOperators});
    }

    // Replaces the data rows by Rows (at least one).
    void SetRows(const std::vector<TRowTexts>& Rows) {
        Grid->SetRowCount(Grid->GetFixedRows() + static_cast<int>(Rows.size()));
        for (size_t R = 0; R < Rows.size(); ++R)
            for (int C = 0; C < 4; ++C)
                Grid->SetCells(Grid->GetFixedCols() + C, Grid->GetFixedRows() + static_cast<int>(R),
                               Rows[R][static_cast<size_t>(C)]);
    }

    std::vector<TRowTexts> Rows() const {
        std::vector<TRowTexts> Result;
        for (int R = Grid->GetFixedRows(); R < Grid->GetRowCount(); ++R) {
            TRowTexts Row;
            for (int C = 0; C < 4; ++C)
                Row[static_cast<size_t>(C)] = Grid->GetCells(Grid->GetFixedCols() + C, R);
            Result.push_back(Row);
        }
        return Result;
    }

    // The components the grid owns, as the tests find them.
    template <typename T>
    T* Owned() const {
        for (int I = 0; I < Grid->ComponentCount(); ++I)
            if (auto* P = dynamic_cast<T*>(Grid->Components(I)))
                return P;
        return nullptr;
    }
    TDBFilterGridComboBox* Editor() const { return Owned<TDBFilterGridComboBox>(); }
    TDBFilterGridSpeedButton* Button() const { return Owned<TDBFilterGridSpeedButton>(); }
    TQuery* ValueQuery() const { return Owned<TQuery>(); }

    // The centre of a grid cell in form coordinates.
    TPoint CellCentre(int Col, int Row) const {
        TRect R = Grid->CellRect(Col, Row);
        return Grid->ClientToForm({(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2});
    }
    // A condition cell: column k of data row r (both from 0).
    TPoint ConditionCell(int K, int R) const {
        return CellCentre(Grid->GetFixedCols() + K, Grid->GetFixedRows() + R);
    }
    void MoveTo(TPoint P) { Input.MouseMove(P.X, P.Y); }
    void ClickAt(TPoint P) { Input.Click(P.X, P.Y); }
    // Clicking a title cell gives the grid the focus.
    void FocusGridByClick() { ClickAt(CellCentre(Grid->GetFixedCols(), 0)); }
    // The editor's cell: the one its top-left corner lies in.
    TGridCoord EditorCell() const { return Grid->CurrentComboCell(); }
    std::vector<std::string> Items() const {
        std::vector<std::string> Result;
        for (int I = 0; I < Editor()->GetItems()->Count(); ++I)
            Result.push_back(Editor()->GetItems()->Get(I));
        return Result;
    }

    testing_support::TempDatabase Db;
    TForm* Form = new TForm(nullptr);
    std::unique_ptr<TForm> FormOwner{Form};
    TInput Input{*Form};
    TTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TDBFilterGrid* Grid = nullptr;
};

// The message of the platform::Exception that Action throws; fails the test when none is.
template <typename TAction>
std::string ErrorOf(TAction Action) {
    try {
        Action();
    } catch (const Exception& E) {
        return E.Message();
    }
    ADD_FAILURE() << "no exception was thrown";
    return "";
}

// What Action gives, or "error: " and the message of the platform::Exception it throws.
template <typename TAction>
std::string ResultOrError(TAction Action) {
    try {
        return Action();
    } catch (const Exception& E) {
        return "error: " + E.Message();
    }
}

}  // namespace filtergrid_test
