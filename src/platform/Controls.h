// Controls and the input layer. Controls work headless: they keep position, size,
// visibility, parent, z-order, focus and text, and take keys and mouse events from the
// input layer (TInput), which a test or a window backend drives as a user would.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"

namespace platform {

// Virtual-key codes.
using Word = uint16_t;
constexpr Word VK_BACK = 8;
constexpr Word VK_TAB = 9;
constexpr Word VK_RETURN = 13;
constexpr Word VK_SHIFT = 16;
constexpr Word VK_CONTROL = 17;
constexpr Word VK_MENU = 18;
constexpr Word VK_ESCAPE = 27;
constexpr Word VK_PRIOR = 33;
constexpr Word VK_NEXT = 34;
constexpr Word VK_END = 35;
constexpr Word VK_HOME = 36;
constexpr Word VK_LEFT = 37;
constexpr Word VK_UP = 38;
constexpr Word VK_RIGHT = 39;
constexpr Word VK_DOWN = 40;
constexpr Word VK_DELETE = 46;
constexpr Word VK_F2 = 113;

enum TShiftStateFlag : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag, uint8_t>;

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// The state of a key as it was when the input event being handled was made: negative
// (high bit set) when it was down. Knows Shift, Ctrl and Alt (VK_SHIFT, VK_CONTROL,
// VK_MENU).
int16_t GetKeyState(int VirtualKey);

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(TPoint P) const {
        return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom;
    }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Fails when an operation is not possible in the control's present state.
class EInvalidOperation : public Exception {
  public:
    using Exception::Exception;
};

enum TControlStyleFlag : uint8_t { csClickEvents, csCaptureMouse };
using TControlStyle = TSet<TControlStyleFlag, uint8_t>;

using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

class TWinControl;
class TCustomForm;
class TCustomComboBox;
class TInput;

// A control: a component with a place on its parent. Left and Top are in the parent's
// client coordinates; the client area starts at (0, 0).
class TControl : public TComponent {
  public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* GetParent() const { return FParent; }
    // Moves the control into Value's children, on top of them.
    virtual void SetParent(TWinControl* Value);

    int GetLeft() const { return FLeft; }
    int GetTop() const { return FTop; }
    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int Left, int Top, int Width, int Height);
    TRect BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    // The client point P as a point of the form (the control tree's root).
    TPoint ClientToForm(TPoint P) const;

    bool GetVisible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so are all its parents.
    bool IsShowing() const;
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }

    virtual String GetText() const { return FText; }
    virtual void SetText(const String& Value);

    TFont* GetFont() const { return FFont.get(); }
    // Follows the parent's font while ParentFont is set; changing Font clears it.
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }

    TControlStyle ControlStyle;

    // Brings the control to the top of its siblings, or sends it to the bottom.
    void BringToFront();
    void SendToBack();
    // Redraws the control (the window backend's concern; nothing to do headless).
    virtual void Refresh() {}

    TNotifyEvent OnClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

  protected:
    friend class TInput;
    friend class TWinControl;
    // Handlers the input layer calls; the inherited ones fire the events.
    virtual void Click();
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    // The mouse left the control.
    virtual void CMMouseLeave() {}
    virtual void ParentFontChanged();

  private:
    void FontChanged();
    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    String FText;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    bool FSettingParentFont = false;
    TColor FColor = clWindow;
};

// A control that holds other controls and can have the focus.
class TWinControl : public TControl {
  public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    // Children from the bottom of the z-order to the top.
    TControl* Controls(int Index) const;

    // The control has the focus of its form.
    bool Focused() const;
    // The control and its parents are visible and enabled.
    bool CanFocus() const;
    // Fails with EInvalidOperation for a control that cannot take the focus.
    virtual void SetFocus();

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

  protected:
    friend class TInput;
    friend class TCustomForm;
    // Key handlers: the inherited ones fire the events, where the application may change
    // or cancel (zero) the key. Whatever key is left then gets the control's own default
    // handling (DefaultKeyDown, DefaultKeyPress).
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void DefaultKeyDown(Word& Key, TShiftState Shift);
    virtual void DefaultKeyPress(char& Key);
    // The control got or lost the focus; the inherited ones fire OnEnter and OnExit.
    virtual void DoEnter();
    virtual void DoExit();
    void ParentFontChanged() override;

  private:
    friend class TControl;
    std::vector<TControl*> FControls;
};

// A top-level window: the root of a control tree, which keeps the focused control.
class TCustomForm : public TWinControl {
  public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // The control that has the focus, or null when the form itself has it.
    TWinControl* GetActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Control);

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    friend class TControl;
    friend class TInput;
    void ControlGone(TControl* Control);
    void ControlHidden(TControl* Control);
    TWinControl* FActiveControl = nullptr;
    TControl* FMouseControl = nullptr;    // the control under the mouse
    TControl* FPressedControl = nullptr;  // where the mouse button went down
};

class TForm : public TCustomForm {
  public:
    using TCustomForm::TCustomForm;
};

// The form that holds Control, or null.
TCustomForm* GetParentForm(const TControl* Control);

// The input layer: delivers keys to the focused control and mouse events to the control
// under the point, as the window system would. Points are in the form's client
// coordinates.
class TInput {
  public:
    explicit TInput(TCustomForm& Form) : FForm(Form) {}

    void KeyDown(Word Key, TShiftState Shift = {});
    void KeyUp(Word Key, TShiftState Shift = {});
    // Key down, the character, key up: what typing one character does.
    void TypeChar(char C, TShiftState Shift = {});
    void TypeText(const String& Text);
    // Down, up and (where the control takes clicks) Click.
    void Press(Word Key, TShiftState Shift = {});

    void MouseMove(int X, int Y, TShiftState Shift = {});
    void MouseDown(int X, int Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
    void MouseUp(int X, int Y, TMouseButton Button = mbLeft, TShiftState Shift = {});
    // Moves there, presses and releases the button.
    void Click(int X, int Y, TShiftState Shift = {});
    // Moves the mouse to the centre of a control.
    void MoveTo(const TControl& Control, TShiftState Shift = {});
    void ClickOn(const TControl& Control, TShiftState Shift = {});
    // The topmost showing control at a point of the form (the form itself if none).
    TControl* ControlAt(int X, int Y) const;

    // A combo box's list: opening it (the box's DropDown, then the list shows), and
    // picking an entry with the mouse (the list closes, then Click).
    void OpenList(TCustomComboBox& ComboBox);
    void PickListItem(TCustomComboBox& ComboBox, int Index);

  private:
    friend class TCustomComboBox;
    void Deliver(TShiftState Shift, const std::function<void()>& Event);
    TWinControl* KeyTarget() const;
    TCustomForm& FForm;
};

}  // namespace platform
