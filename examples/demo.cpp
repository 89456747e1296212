// The demo: a customer browser read from a form file, played through a short scripted
// walk-through with the input layer as a user would (a title click, a Ctrl-click, a typed
// search, a filter written into the filter grid), showing the browser after each step.
//
//   varn-demo [FORMFILE [DATABASE]]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/DBEngine.h"
#include "platform/DBGrids.h"
#include "platform/FormFiles.h"
#include "varn/fieldcombo/DBFieldComboBox.h"
#include "varn/filtergrid/DBFilterGrid.h"
#include "varn/locateedit/DBLocateEdit.h"
#include "varn/sortcombo/DBSortComboBox.h"
#include "varn/titlesort/DBGridTitleSort.h"

namespace {

using namespace platform;
using namespace varn;

String ReadTextFile(const String& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        throw Exception("Cannot read " + Path);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

TForm* ReadForm(const String& Path) {
    std::unique_ptr<TComponent> Root(ReadFormText(ReadTextFile(Path), nullptr));
    auto* Form = dynamic_cast<TForm*>(Root.get());
    if (Form == nullptr)
        throw Exception(Path + " does not hold a form");
    Root.release();
    return Form;
}

// A component of the form by name; the form must have it.
template <typename T>
T* Find(TComponent* Form, const String& Name) {
    auto* Component = dynamic_cast<T*>(Form->FindComponent(Name));
    if (Component == nullptr)
        throw Exception("The form has no " + Name);
    return Component;
}

TPoint CellCentre(const TCustomGrid& Grid, int Col, int Row) {
    TRect Cell = Grid.CellRect(Col, Row);
    return Grid.ClientToForm({(Cell.Left + Cell.Right) / 2, (Cell.Top + Cell.Bottom) / 2});
}

// Text cut or padded to Width columns, with a blank after it.
String Fitted(const String& Text, int Width) {
    String Result = Text.substr(0, static_cast<size_t>(Width - 1));
    return Result + String(static_cast<size_t>(Width) - Result.size(), ' ');
}

// The fields the grid shows, and the width each column is printed in.
struct TShownColumn {
    const char* FieldName;
    int Width;
};
const TShownColumn ShownColumns[] = {
    {"CustNo", 12}, {"Name", 30}, {"City", 16}, {"CreditLimit", 12}};

// The browser's components as the form file names them, and what a user does with them.
class TCustomerBrowser {
  public:
    explicit TCustomerBrowser(TForm* Form)
        : FForm(Form),
          FInput(*Form),
          FCustomers(Find<TTable>(Form, "Customers")),
          FGrid(Find<TDBGrid>(Form, "Grid")),
          FTitleSort(Find<TDBGridTitleSort>(Form, "TitleSort")),
          FSortCombo(Find<TDBSortComboBox>(Form, "SortCombo")),
          FFieldCombo(Find<TDBFieldComboBox>(Form, "FieldCombo")),
          FSearch(Find<TDBLocateEdit>(Form, "Search")),
          FFilter(Find<TDBFilterGrid>(Form, "Filter")) {
        // Events are code, not part of the form: the application sorts on a title click.
        FGrid->OnTitleClick = [this](TColumn* Column) { FTitleSort->Execute(Column); };
        // The grid shows four of the fields, in columns of the application's own; their
        // titles take the title sort's mask.
        for (const TShownColumn& C : ShownColumns)
            FGrid->GetColumns()->Add()->SetFieldName(C.FieldName);
        FTitleSort->UpdateTitle(FGrid);
    }

    void ClickTitle(const String& FieldName, TShiftState Shift = {}) {
        TPoint Centre = CellCentre(*FGrid, DataColumnOf(FieldName) + 1, 0);
        FInput.Click(Centre.X, Centre.Y, Shift);
    }

    // Picks the search field in the field combo box, then types into the search box.
    void SearchFor(const String& FieldName, const String& Text) {
        FInput.OpenList(*FFieldCombo);
        FInput.PickListItem(*FFieldCombo, FFieldCombo->GetItems()->IndexOf(FieldName));
        FInput.ClickOn(*FSearch);
        FInput.TypeText(Text);
    }

    // Writes condition cells through the filter grid's cell editor, from the first field
    // cell on: Return enters a cell's text and moves to the next cell (a link word in the
    // last column adds a row), and Return in the grid opens the editor there.
    void WriteFilter(const std::vector<String>& Cells) {
        TPoint First = CellCentre(*FFilter, FFilter->GetFixedCols(), FFilter->GetFixedRows());
        FInput.Click(First.X, First.Y);
        for (size_t I = 0; I < Cells.size(); ++I) {
            if (I > 0)
                FInput.Press(VK_RETURN);
            FInput.TypeText(Cells[I]);
            FInput.Press(VK_RETURN);
        }
    }

    void Show(const String& Step) {
        String Filter = FFilter->GetFilterExpression();
        std::printf("%s\n", Step.c_str());
        std::printf("  sort order: %-13s sort box: %-13s search box: '%s'\n",
                    ExtractSortFieldNames(FCustomers).c_str(), FSortCombo->GetText().c_str(),
                    FSearch->GetText().c_str());
        std::printf("  filter: %s\n", Filter.empty() ? "(none)" : Filter.c_str());
        ShowRows();
        std::printf("\n");
    }

    // What the application does with the filter: a query of its own on the same database.
    void ShowFilterMatches() {
        std::unique_ptr<TQuery> Query(new TQuery(nullptr));
        Query->SetDatabaseName(FCustomers->GetDatabaseName());
        const String Filter = FFilter->GetFilterExpression();
        Query->GetSQL()->SetText("SELECT \"Name\" FROM customer WHERE " + Filter +
                                 " ORDER BY \"Name\"");
        Query->Open();
        String Names;
        for (; !Query->GetEOF(); Query->Next())
            Names.append(Names.empty() ? "" : ", ").append(Query->Fields(0)->GetAsString());
        std::printf("  the application's query with this filter finds: %s\n", Names.c_str());
    }

  private:
    int DataColumnOf(const String& FieldName) const {
        TDBGridColumns* Columns = FGrid->GetColumns();
        for (int I = 0; I < Columns->Count(); ++I)
            if (Columns->GetColumn(I)->GetFieldName() == FieldName)
                return I;
        throw Exception("The grid has no column " + FieldName);
    }

    // The grid's cells, row by row: the titles, a marked one (sorted on) in brackets, then
    // the visible records, ">" marking the current one.
    void ShowRows() const {
        for (int Row = 0; Row < FGrid->GetRowCount(); ++Row) {
            String Line = String("  ").append(Fitted(FGrid->CellText(0, Row), 2));
            for (int Col = 1; Col < FGrid->GetColCount(); ++Col)
                Line += Fitted(CellText(Col, Row), ShownColumns[Col - 1].Width);
            Line.erase(Line.find_last_not_of(' ') + 1);
            std::printf("%s\n", Line.c_str());
        }
    }

    String CellText(int Col, int Row) const {
        TColumnTitle* Title = FGrid->GetColumns()->GetColumn(Col - 1)->GetTitle();
        bool Marked = Title->GetFont()->GetColor() == FTitleSort->GetClickedTitleFontColor();
        if (Row != 0 || !Marked)
            return FGrid->CellText(Col, Row);
        return String("[").append(Title->GetCaption()).append("]");
    }

    std::unique_ptr<TForm> FForm;
    TInput FInput;
    TTable* FCustomers;
    TDBGrid* FGrid;
    TDBGridTitleSort* FTitleSort;
    TDBSortComboBox* FSortCombo;
    TDBFieldComboBox* FFieldCombo;
    TDBLocateEdit* FSearch;
    TDBFilterGrid* FFilter;
};

void RunWalkThrough(const String& FormPath) {
    TCustomerBrowser Browser(ReadForm(FormPath));
    const String FormName = std::filesystem::path(FormPath).filename().string();
    Browser.Show("Loaded " + FormName + ": the customers in their default order");

    Browser.ClickTitle("City");
    Browser.Show("1. Click on the title City: sorted by City");

    Browser.ClickTitle("Name", {ssCtrl});
    Browser.Show("2. Ctrl+click on the title Name: Name added to the order");

    Browser.SearchFor("Name", "van");
    Browser.Show("3. Pick Name in the field box, type 'van' in the search box: found as typed");

    Browser.WriteFilter({"City", "=", "Riverton", "AND", "CreditLimit", ">=", "2000"});
    Browser.Show("4. Write City = Riverton AND CreditLimit >= 2000 into the filter grid");
    Browser.ShowFilterMatches();
}

}  // namespace

int main(int argc, char** argv) {
    const String FormPath = argc > 1 ? argv[1] : VARN_DEMO_FORM;
    const String DatabasePath = argc > 2 ? argv[2] : VARN_DEMO_DB;
    try {
        if (!std::filesystem::exists(DatabasePath))
            throw Exception("No sample database at " + DatabasePath +
                            " (the build makes it: target demo_db)");
        // The form names its database by this alias.
        RegisterAlias("DEMO", deSQLite, DatabasePath);
        RunWalkThrough(FormPath);
    } catch (const Exception& E) {
        std::fprintf(stderr, "varn-demo: %s\n", E.Message().c_str());
        return 1;
    }
    return 0;
}
