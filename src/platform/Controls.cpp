// Controls, focus and the input layer.
#include "platform/Controls.h"

#include <algorithm>

namespace platform {

namespace {

// The modifier keys of the input event being handled (and, after it, of the last one).
TShiftState CurrentShift;

}  // namespace

int16_t GetKeyState(int VirtualKey) {
    auto Down = [](TShiftStateFlag Flag) -> int16_t {
        return CurrentShift.Contains(Flag) ? static_cast<int16_t>(0x8000) : 0;
    };
    switch (VirtualKey) {
        case VK_SHIFT:
            return Down(ssShift);
        case VK_CONTROL:
            return Down(ssCtrl);
        case VK_MENU:
            return Down(ssAlt);
        default:
            return 0;
    }
}

TCustomForm* GetParentForm(const TControl* Control) {
    while (Control != nullptr && Control->GetParent() != nullptr)
        Control = Control->GetParent();
    return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(Control));
}

// ---- TControl ----

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
    ControlStyle = {csClickEvents, csCaptureMouse};
    FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
    Destroying();
    if (TCustomForm* Form = GetParentForm(this))
        Form->ControlGone(this);
    if (FParent != nullptr) {
        auto& Siblings = FParent->FControls;
        Siblings.erase(std::remove(Siblings.begin(), Siblings.end(), this), Siblings.end());
        FParent = nullptr;
    }
    FFont->OnChange = nullptr;
}

void TControl::SetParent(TWinControl* Value) {
    if (Value == FParent)
        return;
    for (TWinControl* P = Value; P != nullptr; P = P->GetParent())
        if (P == this)
            throw EInvalidOperation("A control cannot be its own parent");
    if (FParent != nullptr) {
        if (TCustomForm* Form = GetParentForm(this))
            Form->ControlGone(this);
        auto& Siblings = FParent->FControls;
        Siblings.erase(std::remove(Siblings.begin(), Siblings.end(), this), Siblings.end());
    }
    FParent = Value;
    if (Value != nullptr) {
        Value->FControls.push_back(this);
        if (FParentFont)
            ParentFontChanged();
    }
}

void TControl::SetBounds(int Left, int Top, int Width, int Height) {
    FLeft = Left;
    FTop = Top;
    FWidth = std::max(0, Width);
    FHeight = std::max(0, Height);
}

TPoint TControl::ClientToForm(TPoint P) const {
    for (const TControl* C = this; C != nullptr && C->FParent != nullptr; C = C->FParent) {
        P.X += C->FLeft;
        P.Y += C->FTop;
    }
    return P;
}

void TControl::SetVisible(bool Value) {
    if (Value == FVisible)
        return;
    FVisible = Value;
    if (!Value)
        if (TCustomForm* Form = GetParentForm(this))
            Form->ControlHidden(this);
}

bool TControl::IsShowing() const {
    for (const TControl* C = this; C != nullptr; C = C->FParent)
        if (!C->FVisible)
            return false;
    return true;
}

void TControl::SetText(const String& Value) {
    FText = Value;
}

void TControl::SetParentFont(bool Value) {
    FParentFont = Value;
    if (Value)
        ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!FParentFont || FParent == nullptr)
        return;
    FSettingParentFont = true;
    FFont->Assign(FParent->GetFont());
    FSettingParentFont = false;
}

void TControl::FontChanged() {
    if (!FSettingParentFont)
        FParentFont = false;
    if (auto* Win = dynamic_cast<TWinControl*>(this))
        for (int I = 0; I < Win->ControlCount(); ++I)
            Win->Controls(I)->ParentFontChanged();
}

void TControl::BringToFront() {
    if (FParent == nullptr)
        return;
    auto& Siblings = FParent->FControls;
    Siblings.erase(std::remove(Siblings.begin(), Siblings.end(), this), Siblings.end());
    Siblings.push_back(this);
}

void TControl::SendToBack() {
    if (FParent == nullptr)
        return;
    auto& Siblings = FParent->FControls;
    Siblings.erase(std::remove(Siblings.begin(), Siblings.end(), this), Siblings.end());
    Siblings.insert(Siblings.begin(), this);
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
    Destroying();
    // Children go with their parent; each leaves its owner's list as it goes.
    while (!FControls.empty())
        delete FControls.back();
}

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= ControlCount())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return FControls[static_cast<size_t>(Index)];
}

bool TWinControl::Focused() const {
    TCustomForm* Form = GetParentForm(this);
    return Form != nullptr && Form->GetActiveControl() == this;
}

bool TWinControl::CanFocus() const {
    for (const TControl* C = this; C != nullptr; C = C->GetParent())
        if (!C->GetVisible() || !C->GetEnabled())
            return false;
    return GetParentForm(this) != nullptr;
}

void TWinControl::SetFocus() {
    TCustomForm* Form = GetParentForm(this);
    if (Form == this) {
        Form->SetActiveControl(nullptr);
        return;
    }
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    Form->SetActiveControl(this);
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TWinControl::DefaultKeyDown(Word&, TShiftState) {}

void TWinControl::DefaultKeyPress(char&) {}

void TWinControl::DoEnter() {
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit)
        OnExit(this);
}

void TWinControl::ParentFontChanged() {
    TControl::ParentFontChanged();
}

// ---- TCustomForm ----

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
    SetColor(clBtnFace);
}

TCustomForm::~TCustomForm() {
    Destroying();
    FActiveControl = nullptr;
    FMouseControl = nullptr;
    FPressedControl = nullptr;
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (Control == FActiveControl)
        return;
    if (Control != nullptr && (GetParentForm(Control) != this || !Control->CanFocus()))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    TWinControl* Old = FActiveControl;
    FActiveControl = Control;
    if (Old != nullptr)
        Old->DoExit();
    // An exit handler may have moved the focus on; enter only where it still is.
    if (Control != nullptr && FActiveControl == Control)
        Control->DoEnter();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
}

void TCustomForm::ControlGone(TControl* Control) {
    auto Within = [Control](const TControl* C) {
        for (; C != nullptr; C = C->GetParent())
            if (C == Control)
                return true;
        return false;
    };
    if (Within(FActiveControl))
        FActiveControl = nullptr;
    if (Within(FMouseControl))
        FMouseControl = nullptr;
    if (Within(FPressedControl))
        FPressedControl = nullptr;
}

void TCustomForm::ControlHidden(TControl* Control) {
    for (const TControl* C = FActiveControl; C != nullptr; C = C->GetParent()) {
        if (C == Control) {
            SetActiveControl(nullptr);
            break;
        }
    }
    if (FMouseControl != nullptr && !FMouseControl->IsShowing())
        FMouseControl = nullptr;
}

// ---- TInput ----

void TInput::Deliver(TShiftState Shift, const std::function<void()>& Event) {
    CurrentShift = Shift;
    Event();
}

TWinControl* TInput::KeyTarget() const {
    return FForm.FActiveControl != nullptr ? FForm.FActiveControl : &FForm;
}

void TInput::KeyDown(Word Key, TShiftState Shift) {
    Deliver(Shift, [&] {
        TWinControl* Target = KeyTarget();
        Target->KeyDown(Key, Shift);
        // The handler may have destroyed Target: the form forgets a control that goes, so
        // asking the form comes before touching Target again.
        if (Key != 0 && FForm.FActiveControl == Target && GetParentForm(Target) == &FForm)
            Target->DefaultKeyDown(Key, Shift);
        else if (Key != 0 && Target == &FForm)
            Target->DefaultKeyDown(Key, Shift);
    });
}

void TInput::KeyUp(Word Key, TShiftState Shift) {
    Deliver(Shift, [&] { KeyTarget()->KeyUp(Key, Shift); });
}

namespace {

// The key that types a character on a US keyboard layout, and whether Shift is held for
// it: letters and digits are their own keys; punctuation has keys of its own, never one
// of the navigation keys that share its byte value.
std::pair<Word, bool> KeyOfChar(char C) {
    if (C >= 'a' && C <= 'z')
        return {static_cast<Word>(C - 'a' + 'A'), false};
    if ((C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == ' ')
        return {static_cast<Word>(C), C >= 'A' && C <= 'Z'};
    static const char Shifted[] = ")!@#$%^&*(";
    for (int Digit = 0; Digit < 10; ++Digit)
        if (C == Shifted[Digit])
            return {static_cast<Word>('0' + Digit), true};
    static const struct {
        char Plain, Shifted;
        Word Key;
    } Punctuation[] = {{';', ':', 186},  {'=', '+', 187}, {',', '<', 188}, {'-', '_', 189},
                       {'.', '>', 190},  {'/', '?', 191}, {'`', '~', 192}, {'[', '{', 219},
                       {'\\', '|', 220}, {']', '}', 221}, {'\'', '"', 222}};
    for (const auto& P : Punctuation) {
        if (C == P.Plain)
            return {P.Key, false};
        if (C == P.Shifted)
            return {P.Key, true};
    }
    return {223, false};  // any other byte: a key of its own
}

}  // namespace

void TInput::TypeChar(char C, TShiftState Shift) {
    auto [Key, NeedsShift] = KeyOfChar(C);
    if (NeedsShift)
        Shift.Include(ssShift);
    KeyDown(Key, Shift);
    Deliver(Shift, [&] {
        TWinControl* Target = KeyTarget();
        char Char = C;
        Target->KeyPress(Char);
        if (Char != 0 && KeyTarget() == Target)
            Target->DefaultKeyPress(Char);
    });
    KeyUp(Key, Shift);
}

void TInput::TypeText(const String& Text) {
    for (char C : Text)
        TypeChar(C);
}

void TInput::Press(Word Key, TShiftState Shift) {
    KeyDown(Key, Shift);
    if (Key == VK_BACK || Key == VK_RETURN || Key == VK_ESCAPE) {
        Deliver(Shift, [&] {
            TWinControl* Target = KeyTarget();
            char Char = static_cast<char>(Key);
            Target->KeyPress(Char);
            if (Char != 0 && KeyTarget() == Target)
                Target->DefaultKeyPress(Char);
        });
    }
    KeyUp(Key, Shift);
}

TControl* TInput::ControlAt(int X, int Y) const {
    // Depth first from the top of the z-order: the last child drawn is hit first.
    std::function<TControl*(TWinControl*, TPoint)> Find = [&](TWinControl* Parent,
                                                              TPoint P) -> TControl* {
        for (int I = Parent->ControlCount() - 1; I >= 0; --I) {
            TControl* Child = Parent->Controls(I);
            if (!Child->GetVisible() || !Child->BoundsRect().Contains(P))
                continue;
            TPoint Inner{P.X - Child->GetLeft(), P.Y - Child->GetTop()};
            if (auto* Win = dynamic_cast<TWinControl*>(Child))
                if (TControl* Deeper = Find(Win, Inner))
                    return Deeper;
            return Child;
        }
        return nullptr;
    };
    TControl* Hit = Find(&FForm, {X, Y});
    return Hit != nullptr ? Hit : &FForm;
}

void TInput::MouseMove(int X, int Y, TShiftState Shift) {
    Deliver(Shift, [&] {
        // While a button is held, the control where it went down keeps the mouse.
        TControl* Target =
            FForm.FPressedControl != nullptr ? FForm.FPressedControl : ControlAt(X, Y);
        if (FForm.FMouseControl != Target) {
            TControl* Left = FForm.FMouseControl;
            FForm.FMouseControl = Target;
            if (Left != nullptr)
                Left->CMMouseLeave();
        }
        if (FForm.FMouseControl != Target)
            return;  // a handler moved things around
        TPoint Origin = Target->ClientToForm({0, 0});
        Target->MouseMove(Shift, X - Origin.X, Y - Origin.Y);
    });
}

void TInput::MouseDown(int X, int Y, TMouseButton Button, TShiftState Shift) {
    MouseMove(X, Y, Shift);
    Deliver(Shift, [&] {
        TControl* Target = ControlAt(X, Y);
        if (auto* Win = dynamic_cast<TWinControl*>(Target))
            if (Win != &FForm && Win->CanFocus()) {
                Win->SetFocus();
                // Exit and enter handlers may have destroyed or moved the target.
                if (ControlAt(X, Y) != Target)
                    return;
            }
        if (GetParentForm(Target) != &FForm && Target != &FForm)
            return;
        FForm.FPressedControl = Target;
        TPoint Origin = Target->ClientToForm({0, 0});
        Target->MouseDown(Button, Shift, X - Origin.X, Y - Origin.Y);
    });
}

void TInput::MouseUp(int X, int Y, TMouseButton Button, TShiftState Shift) {
    Deliver(Shift, [&] {
        TControl* Target = FForm.FPressedControl;
        FForm.FPressedControl = nullptr;
        if (Target == nullptr)
            return;
        TPoint Origin = Target->ClientToForm({0, 0});
        TPoint Local{X - Origin.X, Y - Origin.Y};
        Target->MouseUp(Button, Shift, Local.X, Local.Y);
        // A click is a press and release on the same control.
        if (FForm.FMouseControl == Target && Button == mbLeft &&
            Target->ControlStyle.Contains(csClickEvents) &&
            TRect{0, 0, Target->GetWidth(), Target->GetHeight()}.Contains(Local))
            Target->Click();
    });
}

void TInput::Click(int X, int Y, TShiftState Shift) {
    MouseDown(X, Y, mbLeft, Shift);
    MouseUp(X, Y, mbLeft, Shift);
}

void TInput::MoveTo(const TControl& Control, TShiftState Shift) {
    TPoint Centre = Control.ClientToForm({Control.GetWidth() / 2, Control.GetHeight() / 2});
    MouseMove(Centre.X, Centre.Y, Shift);
}

void TInput::ClickOn(const TControl& Control, TShiftState Shift) {
    TPoint Centre = Control.ClientToForm({Control.GetWidth() / 2, Control.GetHeight() / 2});
    Click(Centre.X, Centre.Y, Shift);
}

}  // namespace platform
