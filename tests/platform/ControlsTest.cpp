// Controls driven through the input layer as a user would drive them.
#include <gtest/gtest.h>

#include "platform/Buttons.h"
#include "platform/Grids.h"
#include "platform/StdCtrls.h"

using namespace platform;

namespace {

struct FormFixture : ::testing::Test {
    FormFixture() { Form->SetBounds(0, 0, 640, 480); }
    TForm* Form = new TForm(nullptr);
    std::unique_ptr<TForm> FormOwner{Form};
    TInput Input{*Form};
};

// An edit that records what reaches it and in which order.
class TRecordingEdit : public TEdit {
  public:
    using TEdit::TEdit;
    std::vector<std::string> Log;

  protected:
    void KeyDown(Word& Key, TShiftState Shift) override {
        TEdit::KeyDown(Key, Shift);  // the application's OnKeyDown runs inside
        Log.push_back("key " + std::to_string(Key));
    }
    void DoEnter() override {
        Log.push_back("enter");
        TEdit::DoEnter();
    }
    void DoExit() override {
        Log.push_back("exit");
        TEdit::DoExit();
    }
    void CMMouseLeave() override { Log.push_back("leave"); }
};

}  // namespace

TEST_F(FormFixture, KeysGoToTheFocusedControlAndTheApplicationMayCancelThem) {
    auto* Edit = new TRecordingEdit(Form);
    Edit->SetParent(Form);
    auto* Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetTop(40);
    Edit->SetFocus();
    EXPECT_TRUE(Edit->Focused());
    Input.TypeText("sm");
    EXPECT_EQ(Edit->GetText(), "sm");
    Edit->OnKeyDown = [](TObject*, Word& Key, TShiftState) {
        if (Key == VK_RETURN)
            Key = 0;
    };
    Input.Press(VK_RETURN);
    Input.Press(VK_BACK);
    EXPECT_EQ(Edit->GetText(), "s");
    std::vector<std::string> Expected{"enter", "key 83", "key 77", "key 0", "key 8"};
    EXPECT_EQ(Edit->Log, Expected);
    Other->SetFocus();
    EXPECT_EQ(Edit->Log.back(), "exit");
    EXPECT_FALSE(Edit->Focused());
    Edit->Hide();
    EXPECT_THROW(Edit->SetFocus(), EInvalidOperation);
}

TEST_F(FormFixture, TypingPunctuationNeverActsAsANavigationKey) {
    // Bytes such as '(' and '.' share their values with the arrow and Delete keys.
    auto* Edit = new TRecordingEdit(Form);
    Edit->SetParent(Form);
    Edit->SetFocus();
    Input.TypeText("a(b).'&%$#\xE8");
    EXPECT_EQ(Edit->GetText(), "a(b).'&%$#\xE8");
    for (const std::string& Entry : Edit->Log)
        for (int Navigation : {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_DELETE, VK_HOME, VK_END})
            EXPECT_NE(Entry, "key " + std::to_string(Navigation));
}

TEST_F(FormFixture, EditChangesFireForTypedAndSetText) {
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    std::vector<std::string> Changes;
    Edit->OnChange = [&](TObject*) { Changes.push_back(Edit->GetText()); };
    Edit->SetFocus();
    Input.TypeText("ab");
    Edit->SetText("xyz");
    Edit->SetText("xyz");  // no change, no notice
    Input.Press(VK_HOME);
    Input.Press(VK_DELETE);
    EXPECT_EQ(Changes, (std::vector<std::string>{"a", "ab", "xyz", "yz"}));
}

TEST_F(FormFixture, MouseHitsTheTopmostControlAndTellsTheOneItLeft) {
    auto* Grid = new TStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(10, 10, 300, 200);
    auto* Floating = new TRecordingEdit(Form);
    Floating->SetParent(Form);  // later, so above the grid
    Floating->SetBounds(50, 50, 40, 20);
    EXPECT_EQ(Input.ControlAt(60, 55), Floating);
    EXPECT_EQ(Input.ControlAt(20, 20), Grid);
    EXPECT_EQ(Input.ControlAt(400, 400), Form);
    Floating->Hide();
    EXPECT_EQ(Input.ControlAt(60, 55), Grid);
    Floating->Show();

    std::vector<TPoint> Moves;
    Grid->OnMouseMove = [&](TObject*, TShiftState, int X, int Y) { Moves.push_back({X, Y}); };
    Input.MouseMove(60, 55);
    Input.MouseMove(20, 30);  // leaves the floating edit for the grid
    EXPECT_EQ(Floating->Log, (std::vector<std::string>{"leave"}));
    EXPECT_EQ(Moves, (std::vector<TPoint>{{10, 20}}));  // in the grid's client coordinates
    Floating->SendToBack();
    EXPECT_EQ(Input.ControlAt(60, 55), Grid);
}

TEST_F(FormFixture, ModifierKeysAreThoseOfTheEventBeingHandled) {
    auto* Button = new TSpeedButton(Form);
    Button->SetParent(Form);
    Button->SetBounds(0, 0, 20, 20);
    std::vector<int> Seen;
    Button->OnClick = [&](TObject*) {
        Seen.push_back((GetKeyState(VK_CONTROL) < 0) * 1 + (GetKeyState(VK_SHIFT) < 0) * 2 +
                       (GetKeyState(VK_MENU) < 0) * 4);
    };
    Input.ClickOn(*Button);
    Input.ClickOn(*Button, {ssCtrl});
    Input.ClickOn(*Button, {ssShift, ssAlt});
    Input.Click(100, 100);  // elsewhere: no click on the button
    EXPECT_EQ(Seen, (std::vector<int>{0, 1, 6}));
    EXPECT_EQ(GetKeyState('A'), 0);
}

TEST_F(FormFixture, ComboListsOpenPickAndMoveWithTheArrows) {
    auto* Combo = new TComboBox(Form);
    Combo->SetParent(Form);
    Combo->GetItems()->SetText("AND\nOR\nNOT\n");
    std::vector<std::string> Log;
    Combo->OnDropDown = [&](TObject*) {
        Log.push_back(std::string("dropdown ") + (Combo->GetDroppedDown() ? "open" : "closed"));
    };
    Combo->OnClick = [&](TObject*) {
        Log.push_back("click " + Combo->GetText() +
                      (Combo->GetDroppedDown() ? " open" : " closed"));
    };
    Combo->SetFocus();
    Input.OpenList(*Combo);
    Input.Press(VK_DOWN);
    Input.Press(VK_DOWN);
    Input.PickListItem(*Combo, 2);
    std::vector<std::string> Expected{"dropdown closed", "click AND open", "click OR open",
                                      "click NOT closed"};
    EXPECT_EQ(Log, Expected);
    EXPECT_EQ(Combo->GetItemIndex(), 2);
    EXPECT_FALSE(Combo->GetDroppedDown());
    EXPECT_THROW(Input.PickListItem(*Combo, 0), EInvalidOperation);  // the list is closed
    Input.Press(VK_DOWN, {ssAlt});
    EXPECT_TRUE(Combo->GetDroppedDown());
    Input.Press(VK_ESCAPE);
    EXPECT_FALSE(Combo->GetDroppedDown());
    // A click on the edit part is no pick.
    Log.clear();
    Input.Click(Combo->GetLeft() + 5, Combo->GetTop() + 5);
    EXPECT_TRUE(Log.empty());
    Combo->GetItems()->Clear();
    EXPECT_EQ(Combo->GetItemIndex(), -1);
}

TEST_F(FormFixture, GridLayoutCellRectAndMouseCoord) {
    auto* Grid = new TStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 200, 100);
    Grid->SetDefaultRowHeight(20);
    Grid->SetColWidths(0, 20);
    // Columns: 0..19 | 21..84 | 86..149 | ...; rows: 0..19 | 21..40 | ...
    EXPECT_EQ(Grid->CellRect(0, 0), (TRect{0, 0, 20, 20}));
    EXPECT_EQ(Grid->CellRect(2, 1), (TRect{86, 21, 150, 41}));
    EXPECT_EQ(Grid->CellRect(4, 1), TRect{});  // beyond the right edge
    struct Case {
        int X, Y;
        TGridCoord Cell;
    } Cases[] = {{0, 0, {0, 0}},    {20, 20, {0, 0}},    {21, 21, {1, 1}}, {150, 45, {2, 2}},
                 {199, 99, {3, 4}}, {200, 50, {-1, -1}}, {-1, 5, {-1, -1}}};
    for (const Case& C : Cases)
        EXPECT_EQ(Grid->MouseCoord(C.X, C.Y), C.Cell) << C.X << "," << C.Y;
    Grid->SetRowCount(3);
    EXPECT_EQ(Grid->MouseCoord(50, 90), (TGridCoord{-1, -1}));  // below the last row
}

TEST_F(FormFixture, GridArrowsMoveTheCurrentCellAndScroll) {
    auto* Grid = new TStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 300, 100);  // room for three rows below the title
    Grid->SetDefaultRowHeight(24);
    Grid->SetRowCount(10);
    Grid->SetFocus();
    EXPECT_EQ(Grid->GetRow(), 1);
    Input.Press(VK_UP);
    EXPECT_EQ(Grid->GetRow(), 1);  // never onto the fixed row
    for (int I = 0; I < 4; ++I)
        Input.Press(VK_DOWN);
    EXPECT_EQ(Grid->GetRow(), 5);
    EXPECT_EQ(Grid->GetTopRow(), 3);
    EXPECT_NE(Grid->CellRect(1, 5), TRect{});
    EXPECT_EQ(Grid->CellRect(1, 2), TRect{});  // scrolled away
    Input.Press(VK_RIGHT);
    EXPECT_EQ(Grid->GetCol(), 2);
    Input.Press(VK_END, {ssCtrl});
    EXPECT_EQ(Grid->GetRow(), 9);
    Input.Press(VK_DOWN);
    EXPECT_EQ(Grid->GetRow(), 9);
    EXPECT_THROW(Grid->SetCol(0), EInvalidGridOperation);
    // Clicking a cell makes it current.
    TRect R = Grid->CellRect(3, 8);
    Input.Click(R.Left + 2, R.Top + 2);
    EXPECT_EQ(Grid->GetCol(), 3);
    EXPECT_EQ(Grid->GetRow(), 8);
}

TEST_F(FormFixture, StringGridRowsDeleteAndClear) {
    auto* Grid = new TStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetColCount(3);
    Grid->SetRowCount(4);
    for (int R = 0; R < 4; ++R)
        for (int C = 0; C < 3; ++C)
            Grid->SetCells(C, R, std::to_string(R) + std::to_string(C));
    Grid->DeleteRow(1);
    EXPECT_EQ(Grid->GetRowCount(), 3);
    EXPECT_EQ(Grid->GetCells(0, 1), "20");
    EXPECT_EQ(Grid->GetCells(2, 2), "32");
    Grid->Rows(2)->Clear();
    EXPECT_EQ(Grid->GetCells(1, 2), "");
    EXPECT_EQ(Grid->Rows(1)->Get(2), "22");
    Grid->SetRowCount(5);
    EXPECT_EQ(Grid->GetCells(1, 4), "");
    EXPECT_THROW(Grid->GetCells(3, 0), EInvalidGridOperation);
    EXPECT_THROW(Grid->SetCells(0, 5, "x"), EInvalidGridOperation);
    EXPECT_THROW(Grid->SetFixedRows(5), EInvalidGridOperation);
}

TEST_F(FormFixture, InplaceEditorWritesBackWhenHidden) {
    auto* Grid = new TStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetFocus();
    Input.TypeChar('x');
    EXPECT_FALSE(Grid->GetEditorMode());  // not without goEditing
    TGridOptions Options = Grid->GetOptions();
    Options.Include(goEditing);
    Grid->SetOptions(Options);
    Input.TypeText("hi");
    EXPECT_TRUE(Grid->GetEditorMode());
    EXPECT_TRUE(Grid->InplaceEditor()->Focused());
    Grid->HideEditor();
    EXPECT_EQ(Grid->GetCells(1, 1), "hi");
    EXPECT_TRUE(Grid->Focused());
    Input.Press(VK_F2);
    Input.TypeText("!");
    Input.Press(VK_ESCAPE);
    EXPECT_EQ(Grid->GetCells(1, 1), "hi");
}

TEST_F(FormFixture, FontsFollowTheParentUntilChanged) {
    Form->GetFont()->SetSize(12);
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    EXPECT_EQ(Edit->GetFont()->GetSize(), 12);
    Form->GetFont()->SetColor(clRed);
    EXPECT_EQ(Edit->GetFont()->GetColor(), clRed);
    Edit->GetFont()->SetStyle({fsBold});
    EXPECT_FALSE(Edit->GetParentFont());
    Form->GetFont()->SetSize(9);
    EXPECT_EQ(Edit->GetFont()->GetSize(), 12);
}

TEST_F(FormFixture, DestroyingFocusedAndHoveredControlsLeavesNothingDangling) {
    auto* Grid = new TStringGrid(Form);
    Grid->SetParent(Form);
    Grid->SetBounds(0, 0, 200, 100);
    auto* Edit = new TEdit(Grid);  // owned and parented by the grid
    Edit->SetParent(Grid);
    Edit->SetBounds(10, 10, 50, 20);
    Edit->SetFocus();
    Input.MouseMove(15, 15);
    Input.MouseDown(15, 15);
    delete Grid;
    EXPECT_EQ(Form->GetActiveControl(), nullptr);
    Input.MouseUp(15, 15);
    Input.MouseMove(5, 5);
    Input.KeyDown(VK_DOWN);
    EXPECT_EQ(Form->ControlCount(), 0);
}

// Handlers that run while the input layer delivers an event may destroy the control the
// event is for; the rest of the event must not reach it.
TEST_F(FormFixture, HandlersThatDestroyTheTargetEndTheEvent) {
    auto* Focused = new TEdit(Form);
    Focused->SetParent(Form);
    auto* Clicked = new TEdit(Form);
    Clicked->SetParent(Form);
    Clicked->SetTop(40);
    Focused->SetFocus();
    Focused->OnExit = [&](TObject*) { delete std::exchange(Clicked, nullptr); };
    TPoint Centre = Clicked->ClientToForm({Clicked->GetWidth() / 2, Clicked->GetHeight() / 2});
    Input.Click(Centre.X, Centre.Y);
    EXPECT_EQ(Clicked, nullptr);
    EXPECT_EQ(Form->GetActiveControl(), nullptr);

    auto* Typed = new TEdit(Form);
    Typed->SetParent(Form);
    Typed->SetFocus();
    Typed->OnKeyDown = [&](TObject*, Word&, TShiftState) { delete std::exchange(Typed, nullptr); };
    Input.Press(VK_END);
    EXPECT_EQ(Typed, nullptr);
    EXPECT_EQ(Form->GetActiveControl(), nullptr);
    EXPECT_EQ(Form->ControlCount(), 1);
}
