// Edit boxes and combo boxes.
#pragma once

#include <memory>

#include "platform/Controls.h"

namespace platform {

// A single-line edit box. Typing inserts at the caret (at the end unless moved); every
// change of the text, typed or set, calls Change.
class TCustomEdit : public TWinControl {
  public:
    explicit TCustomEdit(TComponent* AOwner);
    void SetText(const String& Value) override;
    int GetSelStart() const { return FSelStart; }
    void SetSelStart(int Value);

    TNotifyEvent OnChange;

  protected:
    // The text changed; the inherited one fires OnChange.
    virtual void Change();
    void DefaultKeyDown(Word& Key, TShiftState Shift) override;
    void DefaultKeyPress(char& Key) override;

  private:
    int FSelStart = 0;
};

class TEdit : public TCustomEdit {
  public:
    using TCustomEdit::TCustomEdit;
};

// A combo box with an edit part and a drop-down list (Items). Picking an entry, with the
// mouse or with the arrow keys, shows it in the edit part and calls Click; typing into the
// edit part calls Change (setting the text from code does not).
class TCustomComboBox : public TWinControl {
  public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TStrings* GetItems() const { return FItems.get(); }
    int GetItemIndex() const { return FItemIndex; }
    // Selects an entry (-1: none) and shows its text; no Click.
    void SetItemIndex(int Value);
    void SetText(const String& Value) override;
    int GetSelStart() const { return FSelStart; }

    bool GetDroppedDown() const { return FDroppedDown; }
    // Opening the list calls DropDown first, as the user's opening does.
    void SetDroppedDown(bool Value);
    // The number of lines the open list shows at most.
    int GetDropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;

  protected:
    friend class TInput;
    // The list is about to open; the inherited one fires OnDropDown.
    virtual void DropDown();
    virtual void Change();
    void DefaultKeyDown(Word& Key, TShiftState Shift) override;
    void DefaultKeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  private:
    void SelectByUser(int Index);
    std::unique_ptr<TStringList> FItems;
    int FItemIndex = -1;
    int FSelStart = 0;
    bool FDroppedDown = false;
    int FDropDownCount = 8;
};

class TComboBox : public TCustomComboBox {
  public:
    using TCustomComboBox::TCustomComboBox;
};

}  // namespace platform
