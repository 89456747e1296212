// TDBFieldComboBox: a combo box that lists a dataset's fields of chosen kinds and hands the
// chosen name to a related component (by default a locate edit on the same data source).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/DB.h"
#include "platform/StdCtrls.h"

namespace varn {

using platform::String;

// The field kinds a combo box lists, one bit per kind.
using TFieldKinds = platform::TSet<platform::TFieldKind, uint8_t>;

// Asks the application to relate the chosen field to RelateTarget (possibly null);
// setting DefaultRelating false suppresses the default relating.
using TRelateEvent = std::function<void(platform::TComponent* Sender,
                                        platform::TComponent* RelateTarget, bool& DefaultRelating)>;

class TDBFieldComboBox : public platform::TComboBox {
  public:
    explicit TDBFieldComboBox(platform::TComponent* AOwner);
    ~TDBFieldComboBox() override;

    platform::TDataSource* GetDataSource() const;
    // Refills the list from the new dataset (when it is open) and empties the text.
    void SetDataSource(platform::TDataSource* Value);
    TFieldKinds GetFieldKinds() const { return FFieldKinds; }
    void SetFieldKinds(TFieldKinds Value) { FFieldKinds = Value; }
    // The component that receives the chosen name; cleared when it is destroyed.
    platform::TComponent* GetRelatedComponent() const { return FRelatedComponent; }
    void SetRelatedComponent(platform::TComponent* Value);
    const TRelateEvent& GetOnRelate() const { return FOnRelate; }
    void SetOnRelate(const TRelateEvent& Value) { FOnRelate = Value; }

  protected:
    // Lists the names of the open dataset's fields whose kind is in FieldKinds, in field
    // order. Without an open dataset the list stays as it is.
    void FillItems();
    // Fires OnRelate; unless it declines, a related locate edit on the same data source
    // gets the text as its DataField.
    virtual void Relate();

    void Click() override;
    void DropDown() override;
    void KeyDown(platform::Word& Key, platform::TShiftState Shift) override;
    void Notification(platform::TComponent* AComponent, platform::TOperation Operation) override;

  private:
    // Asks for the removal notice of a component this one refers to, and stops asking
    // when it no longer refers to it.
    void Watch(platform::TComponent* Component);
    void Unwatch(platform::TComponent* Component);

    std::unique_ptr<platform::TDataLink> FDataLink;
    TFieldKinds FFieldKinds{platform::fkData};
    platform::TComponent* FRelatedComponent = nullptr;
    TRelateEvent FOnRelate;
    // The data source last given. A data source lets go of its links before its removal
    // notice goes out, so that notice is recognised by this pointer, not by the link's.
    platform::TDataSource* FWatchedDataSource = nullptr;
};

namespace DBFieldComboBox {
// Puts TDBFieldComboBox on the component palette page "Varn"; the designer calls it.
void Register();
}  // namespace DBFieldComboBox

}  // namespace varn
