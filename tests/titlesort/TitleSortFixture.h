// A form with tables, data sources, data grids and a title sort component on a real
// database (an SQLite file, or a schema of its own on the PostgreSQL test server), and the
// helpers the title sort tests share: clicking titles as a user would and reading the marks.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/DBGrids.h"
#include "support/TempDatabase.h"
#include "varn/titlesort/DBGridTitleSort.h"

namespace titlesort_test {

using namespace platform;
using namespace varn;

// The component with its internal state open to the tests.
class TProbeTitleSort : public TDBGridTitleSort {
  public:
    using TDBGridTitleSort::DataLinks;
    using TDBGridTitleSort::OldTitleStates;
    using TDBGridTitleSort::Sorting;
    using TDBGridTitleSort::TDBGridTitleSort;
};

// A grid class that is a data grid but not a TDBGrid.
class TOtherDBGrid : public TCustomDBGrid {
  public:
    using TCustomDBGrid::TCustomDBGrid;
};

enum TEngine { engSQLite, engPostgreSQL };

inline std::string EngineName(const ::testing::TestParamInfo<TEngine>& Info) {
    return Info.param == engSQLite ? "SQLite" : "PostgreSQL";
}

// Customers (also as "clients", with fewer indexes) and their orders. Names are quoted so
// that both engines keep their case.
inline const char* Schema() {
    return R"(
CREATE TABLE customer ("CustNo" INTEGER PRIMARY KEY, "Name" VARCHAR(30), "City" VARCHAR(30),
  "Zip" VARCHAR(10), "CityZone" VARCHAR(10));
CREATE INDEX customer_name ON customer ("Name");
CREATE INDEX customer_city_name_zip ON customer ("City", "Name", "Zip");
CREATE INDEX customer_city_zip ON customer ("City", "Zip");
CREATE INDEX customer_zone_city ON customer ("CityZone", "City");
INSERT INTO customer VALUES (1, 'Baker', 'Oslo', '0150', 'N'), (2, 'Adams', 'Rome', '00100', 'S'),
  (3, 'Clark', 'Oslo', '0151', 'N'), (4, 'Davis', 'Bern', '3000', 'C');
CREATE TABLE clients ("CustNo" INTEGER PRIMARY KEY, "Name" VARCHAR(30), "City" VARCHAR(30),
  "Zip" VARCHAR(10));
CREATE INDEX clients_name ON clients ("Name");
CREATE INDEX clients_city_name ON clients ("City", "Name");
INSERT INTO clients VALUES (1, 'Baker', 'Oslo', '0150'), (2, 'Adams', 'Rome', '00100'),
  (3, 'Clark', 'Oslo', '0151'), (4, 'Davis', 'Bern', '3000');
CREATE TABLE orders ("OrderNo" INTEGER PRIMARY KEY, "CustNo" INTEGER, "OrderDate" DATE,
  "Amount" REAL);
CREATE INDEX orders_cust ON orders ("CustNo");
CREATE INDEX orders_cust_date ON orders ("CustNo", "OrderDate");
INSERT INTO orders VALUES (10, 1, '2024-03-01', 5), (11, 1, '2024-01-15', 7),
  (12, 2, '2024-02-01', 9), (13, 1, '2024-02-10', 3)
)";
}

// The database of one test, made from Sql and removed afterwards; Name() is what
// DatabaseName takes.
class TTestDatabase {
  public:
    TTestDatabase(TEngine Engine, const std::string& Sql) {
        if (Engine == engSQLite) {
            FFile = std::make_unique<testing_support::TempDatabase>(Sql);
            FName = FFile->Path();
            return;
        }
        const char* ConnInfo = std::getenv("VARN_PG_CONNINFO");
        if (ConnInfo == nullptr)
            throw std::runtime_error(
                "VARN_PG_CONNINFO is not set: these tests need the PostgreSQL test server. "
                "Run them through scripts/with-postgres.sh (make test does).");
        static int Count = 0;
        FSchema = "titlesort_" + std::to_string(getpid()) + "_" + std::to_string(++Count);
        FAdmin = engine::ConnectPostgreSQL(ConnInfo);
        FAdmin->Execute("DROP SCHEMA IF EXISTS " + FSchema + " CASCADE");
        FAdmin->Execute("CREATE SCHEMA " + FSchema);
        FName = "TITLESORT_" + FSchema;
        RegisterAlias(FName, dePostgreSQL,
                      String(ConnInfo) + " options='-c search_path=" + FSchema + "'");
        std::shared_ptr<engine::Connection> Db = ConnectDatabase(FName);
        // One statement at a time: the statements hold no ";" of their own.
        size_t Start = 0;
        while (Start < Sql.size()) {
            size_t End = std::min(Sql.find(';', Start), Sql.size());
            String Statement = Trim(Sql.substr(Start, End - Start));
            if (!Statement.empty())
                Db->Execute(Statement);
            Start = End + 1;
        }
    }
    ~TTestDatabase() {
        if (!FAdmin)
            return;
        UnregisterAlias(FName);
        FAdmin->Execute("DROP SCHEMA IF EXISTS " + FSchema + " CASCADE");
    }
    TTestDatabase(const TTestDatabase&) = delete;
    TTestDatabase& operator=(const TTestDatabase&) = delete;

    const String& Name() const { return FName; }

  private:
    std::unique_ptr<testing_support::TempDatabase> FFile;
    std::shared_ptr<engine::Connection> FAdmin;
    String FSchema;
    String FName;
};

class TitleSortFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        Db = std::make_unique<TTestDatabase>(Engine, Schema());
        Form->SetBounds(0, 0, 1000, 900);
        TitleSort = new TProbeTitleSort(Form.get());
        TitleSort->SetOnSort([this](TObject* Sender, TCustomGrid* Grid, TDataSet* DataSet,
                                    const String& SortFieldNames) {
            EXPECT_EQ(Sender, TitleSort);
            EXPECT_TRUE(TitleSort->Sorting);
            Sorts.push_back(SortFieldNames);
            SortGrid = Grid;
            SortDataSet = DataSet;
        });
    }
    void TearDown() override {
        Form.reset();
        Db.reset();
    }

    // An open table of the form, in the given order.
    TTable* MakeTable(const char* TableName, const char* Order = "") {
        auto* Table = new TTable(Form.get());
        Table->SetDatabaseName(Db->Name());
        Table->SetTableName(TableName);
        Table->SetIndexFieldNames(Order);
        Table->Open();
        return Table;
    }
    TQuery* MakeQuery(const String& Sql) {
        auto* Query = new TQuery(Form.get());
        Query->SetDatabaseName(Db->Name());
        Query->GetSQL()->SetText(Sql);
        Query->Open();
        return Query;
    }
    TDataSource* MakeSource(TDataSet* DataSet) {
        auto* Source = new TDataSource(Form.get());
        Source->SetDataSet(DataSet);
        return Source;
    }
    // A grid on the form, below the ones made before, whose title clicks call Execute. With
    // Fields it has persistent columns for them, else default columns.
    template <typename TGrid = TDBGrid>
    TGrid* MakeGrid(TDataSource* Source, const std::vector<String>& Fields = {},
                    const String& Name = "", TComponent* Owner = nullptr) {
        auto* Grid = new TGrid(Owner != nullptr ? Owner : Form.get());
        Grid->SetName(Name);
        Grid->SetParent(Form.get());
        Grid->SetBounds(10, 10 + 140 * GridCount++, 900, 130);
        Grid->SetDataSource(Source);
        for (const String& Field : Fields)
            Grid->GetColumns()->Add()->SetFieldName(Field);
        Grid->OnTitleClick = [this](TColumn* Column) { Clicked = TitleSort->Execute(Column); };
        return Grid;
    }

    static TColumn* ColumnOf(const TCustomDBGrid* Grid, const String& FieldName) {
        TDBGridColumns* Columns = Grid->GetColumns();
        for (int I = 0; I < Columns->Count(); ++I)
            if (Columns->GetColumn(I)->GetFieldName() == FieldName)
                return Columns->GetColumn(I);
        ADD_FAILURE() << "no column " << FieldName;
        return nullptr;
    }

    // Clicks the title of the column of FieldName with the modifier keys held, as a user
    // would, and gives what Execute gave.
    String ClickTitle(TCustomDBGrid* Grid, const String& FieldName, TShiftState Shift = {}) {
        TColumn* Column = ColumnOf(Grid, FieldName);
        TRect Cell = Grid->CellRect(Column->GetIndex() + 1, 0);
        TPoint Centre =
            Grid->ClientToForm({(Cell.Left + Cell.Right) / 2, (Cell.Top + Cell.Bottom) / 2});
        Clicked = "<no title click>";
        Input.Click(Centre.X, Centre.Y, Shift);
        return Clicked;
    }

    // The marked titles' field names in sort order: titles in the clicked font colour,
    // ordered by the "(n)" that a mask such as "%t (%i)" gave them, else in column order.
    String MarkedOrder(const TCustomDBGrid* Grid) const {
        std::vector<std::pair<int, String>> Marked;
        TDBGridColumns* Columns = Grid->GetColumns();
        for (int I = 0; I < Columns->Count(); ++I) {
            TColumnTitle* Title = Columns->GetColumn(I)->GetTitle();
            if (Title->GetFont()->GetColor() != TitleSort->GetClickedTitleFontColor())
                continue;
            String Caption = Title->GetCaption();
            size_t Open = Caption.rfind(" (");
            int Position = Open == String::npos ? 0 : std::atoi(Caption.c_str() + Open + 2);
            Marked.push_back({Position, Columns->GetColumn(I)->GetFieldName()});
        }
        std::stable_sort(Marked.begin(), Marked.end(),
                         [](const auto& A, const auto& B) { return A.first < B.first; });
        String Order;
        for (const auto& [Position, Name] : Marked)
            Order += (Order.empty() ? "" : ";") + Name;
        return Order;
    }

    TEngine Engine = engSQLite;
    std::unique_ptr<TTestDatabase> Db;
    std::unique_ptr<TForm> Form{new TForm(nullptr)};
    TInput Input{*Form};
    TProbeTitleSort* TitleSort = nullptr;
    int GridCount = 0;
    String Clicked;
    std::vector<String> Sorts;  // what OnSort was given, call by call
    TCustomGrid* SortGrid = nullptr;
    TDataSet* SortDataSet = nullptr;
};

// The same, once per engine.
class TitleSortOnEngines : public TitleSortFixture, public ::testing::WithParamInterface<TEngine> {
  protected:
    void SetUp() override {
        Engine = GetParam();
        TitleSortFixture::SetUp();
    }
};

}  // namespace titlesort_test
