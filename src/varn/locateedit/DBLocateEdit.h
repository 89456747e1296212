// TDBLocateEdit: an edit box that moves a dataset to the first record whose search field
// matches the typed text, on Return or while typing, and can show the current record's value.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/DB.h"
#include "platform/StdCtrls.h"

namespace varn {

using platform::String;

// When the edit searches by itself.
enum TAutoLocate : uint8_t {
    alNone,       // never; Return only refreshes the text
    alReturnKey,  // on Return
    alOnChange    // on every change of the text (incremental search)
};

class TDBLocateEdit : public platform::TEdit {
  public:
    explicit TDBLocateEdit(platform::TComponent* AOwner);
    ~TDBLocateEdit() override;

    // Searches the search field for the text with LocateOptions and fires AfterLocate.
    // Gives false without searching (and without AfterLocate) for an empty text, without a
    // dataset, or while UpdateText writes the text. Errors of the search are discarded and
    // give false.
    bool Locate();
    // Shows the search field's value of the current record, or clears the text when there
    // is no such field. Does nothing while Locate runs, so the typed text stays.
    void UpdateText();
    // The result of the most recent search.
    bool GetLocateResult() const { return FLocateResult; }

    const platform::TNotifyEvent& GetAfterLocate() const { return FAfterLocate; }
    void SetAfterLocate(const platform::TNotifyEvent& Value) { FAfterLocate = Value; }
    TAutoLocate GetAutoLocate() const { return FAutoLocate; }
    void SetAutoLocate(TAutoLocate Value) { FAutoLocate = Value; }
    bool GetAutoUpdate() const { return FAutoUpdate; }
    // Switching it on shows the current record's value at once (not while loading).
    void SetAutoUpdate(bool Value);
    // The search field; empty searches the first sort field of the dataset that the master
    // link does not fix.
    String GetDataField() const;
    void SetDataField(const String& Value);
    platform::TDataSource* GetDataSource() const;
    void SetDataSource(platform::TDataSource* Value);
    platform::TLocateOptions GetLocateOptions() const { return FLocateOptions; }
    void SetLocateOptions(platform::TLocateOptions Value) { FLocateOptions = Value; }

  protected:
    // The field that is searched and shown.
    String GetLocateField() const;
    // UpdateText with AutoUpdate, else ClearText; nothing while loading.
    void InternalUpdateText();
    // Empties the text; at design time the edit shows its own name instead.
    void ClearText();
    // The data link's notice of a moved record or an opened or closed dataset.
    void DataChange(platform::TObject* Sender);
    virtual void DoAfterLocate();

    void Change() override;
    void KeyDown(platform::Word& Key, platform::TShiftState Shift) override;
    void DoExit() override;
    void Notification(platform::TComponent* AComponent, platform::TOperation Operation) override;

  private:
    void WatchDataSource(platform::TDataSource* Value);
    bool IsLoading() const;

    bool FLocating = false;
    bool FUpdating = false;
    platform::TNotifyEvent FAfterLocate;
    TAutoLocate FAutoLocate = alOnChange;
    std::unique_ptr<platform::TFieldDataLink> FDataLink;
    platform::TLocateOptions FLocateOptions{platform::loCaseInsensitive, platform::loPartialKey};
    bool FLocateResult = false;
    bool FAutoUpdate = false;
    // The data source last given. A data source lets go of its links before its removal
    // notice goes out, so that notice is recognised by this pointer, not by the link's.
    platform::TDataSource* FWatchedDataSource = nullptr;
};

namespace DBLocateEdit {
// Puts TDBLocateEdit on the component palette page "Varn"; the designer calls it.
void Register();
}  // namespace DBLocateEdit

}  // namespace varn
