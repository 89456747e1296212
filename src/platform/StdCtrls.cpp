// Edit boxes, combo boxes and their list input.
#include "platform/StdCtrls.h"

#include <algorithm>

namespace platform {

namespace {

// Typing: a printable character inserts at the caret, backspace deletes before it.
bool EditText(String& Text, int& Caret, char Key) {
    Caret = std::clamp(Caret, 0, static_cast<int>(Text.size()));
    if (Key == static_cast<char>(VK_BACK)) {
        if (Caret == 0)
            return false;
        Text.erase(static_cast<size_t>(Caret - 1), 1);
        --Caret;
        return true;
    }
    if (static_cast<unsigned char>(Key) < 32)
        return false;
    Text.insert(static_cast<size_t>(Caret), 1, Key);
    ++Caret;
    return true;
}

}  // namespace

// ---- TCustomEdit ----

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::SetText(const String& Value) {
    if (Value == GetText())
        return;
    TWinControl::SetText(Value);
    FSelStart = static_cast<int>(Value.size());
    Change();
}

void TCustomEdit::SetSelStart(int Value) {
    FSelStart = std::clamp(Value, 0, static_cast<int>(GetText().size()));
}

void TCustomEdit::Change() {
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::DefaultKeyDown(Word& Key, TShiftState) {
    int Length = static_cast<int>(GetText().size());
    switch (Key) {
        case VK_LEFT:
            FSelStart = std::max(0, FSelStart - 1);
            break;
        case VK_RIGHT:
            FSelStart = std::min(Length, FSelStart + 1);
            break;
        case VK_HOME:
            FSelStart = 0;
            break;
        case VK_END:
            FSelStart = Length;
            break;
        case VK_DELETE:
            if (FSelStart < Length) {
                String Text = GetText();
                Text.erase(static_cast<size_t>(FSelStart), 1);
                int Caret = FSelStart;
                SetText(Text);
                FSelStart = Caret;
            }
            break;
        default:
            break;
    }
}

void TCustomEdit::DefaultKeyPress(char& Key) {
    String Text = GetText();
    int Caret = FSelStart;
    if (!EditText(Text, Caret, Key))
        return;
    SetText(Text);
    FSelStart = Caret;
}

// ---- TCustomComboBox ----

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TStringList>()) {
    ControlStyle = {csCaptureMouse};  // Click means a picked entry, not a mouse click
    SetBounds(0, 0, 145, 21);
    FItems->OnChange = [this](TObject*) {
        if (FItemIndex >= FItems->Count())
            FItemIndex = -1;
    };
}

TCustomComboBox::~TCustomComboBox() {
    Destroying();
    FItems->OnChange = nullptr;
}

void TCustomComboBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItems->Count())
        throw EListError("List index out of bounds (" + IntToStr(Value) + ")");
    FItemIndex = Value;
    SetText(Value >= 0 ? FItems->Get(Value) : String());
}

void TCustomComboBox::SetText(const String& Value) {
    TWinControl::SetText(Value);
    FSelStart = static_cast<int>(Value.size());
}

void TCustomComboBox::SetDroppedDown(bool Value) {
    if (Value == FDroppedDown)
        return;
    if (Value)
        DropDown();
    FDroppedDown = Value;
}

void TCustomComboBox::DropDown() {
    if (OnDropDown)
        OnDropDown(this);
}

void TCustomComboBox::Change() {
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::SelectByUser(int Index) {
    FItemIndex = Index;
    SetText(FItems->Get(Index));
    Click();
}

void TCustomComboBox::DefaultKeyDown(Word& Key, TShiftState Shift) {
    int Count = FItems->Count();
    switch (Key) {
        case VK_DOWN:
        case VK_UP:
            if (Shift.Contains(ssAlt)) {
                SetDroppedDown(!FDroppedDown);
            } else if (Count > 0) {
                // The arrows move through the list, open or not, and pick as they go.
                int Index = FItemIndex < 0 ? (Key == VK_DOWN ? 0 : Count - 1)
                                           : FItemIndex + (Key == VK_DOWN ? 1 : -1);
                if (Index >= 0 && Index < Count && Index != FItemIndex)
                    SelectByUser(Index);
            }
            break;
        case VK_RETURN:
        case VK_ESCAPE:
            SetDroppedDown(false);
            break;
        default:
            break;
    }
}

void TCustomComboBox::DefaultKeyPress(char& Key) {
    String Text = GetText();
    int Caret = FSelStart;
    if (!EditText(Text, Caret, Key))
        return;
    SetText(Text);
    FSelStart = Caret;
    Change();
}

void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TWinControl::MouseDown(Button, Shift, X, Y);
    // The button at the right end opens and closes the list.
    if (Button == mbLeft && X >= GetWidth() - 17)
        SetDroppedDown(!FDroppedDown);
}

// ---- The input layer's list operations ----

void TInput::OpenList(TCustomComboBox& ComboBox) {
    Deliver({}, [&] { ComboBox.SetDroppedDown(true); });
}

void TInput::PickListItem(TCustomComboBox& ComboBox, int Index) {
    Deliver({}, [&] {
        if (!ComboBox.GetDroppedDown())
            throw EInvalidOperation("The list of " + ComboBox.GetName() + " is not open");
        if (Index < 0 || Index >= ComboBox.GetItems()->Count())
            throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
        ComboBox.FDroppedDown = false;
        ComboBox.SelectByUser(Index);
    });
}

}  // namespace platform
