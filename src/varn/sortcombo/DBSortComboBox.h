// TDBSortComboBox: a combo box that shows a table's sort order, offers the orders that the
// table's indexes (or fields) allow, applies the chosen one and follows changes made elsewhere.
#pragma once

#include <functional>
#include <memory>

#include "platform/StdCtrls.h"
#include "varn/shared/Varn_shared.h"

namespace varn {

// A sort the component made (or, for a dataset that is not a table, asks the application
// to make), as a sort field list.
using TDBSortEvent = std::function<void(platform::TObject* Sender, platform::TDataSet* DataSet,
                                        const String& SortFieldNames)>;

class TDBSortComboBox : public platform::TComboBox {
  public:
    explicit TDBSortComboBox(platform::TComponent* AOwner);
    ~TDBSortComboBox() override;

    // Shows the table's current sort order; other datasets leave the text as it is.
    void Refresh() override;

    bool GetAutoUpdate() const { return FAutoUpdate; }
    // Switching it on shows the current order at once.
    void SetAutoUpdate(bool Value);
    platform::TDataSource* GetDataSource() const;
    void SetDataSource(platform::TDataSource* Value);
    bool GetReopenAfterError() const { return FReopenAfterError; }
    void SetReopenAfterError(bool Value) { FReopenAfterError = Value; }
    bool GetStrictServerIndexing() const { return FStrictServerIndexing; }
    void SetStrictServerIndexing(bool Value) { FStrictServerIndexing = Value; }
    const platform::TDataSetNotifyEvent& GetAfterSortChange() const { return FAfterSortChange; }
    void SetAfterSortChange(const platform::TDataSetNotifyEvent& Value) {
        FAfterSortChange = Value;
    }
    const TDBSortEvent& GetOnSort() const { return FOnSort; }
    void SetOnSort(const TDBSortEvent& Value) { FOnSort = Value; }

  protected:
    // Fills the list with the offered sort orders before it opens.
    void DropDown() override;
    // A picked entry is applied.
    void Click() override;
    // Return applies the text, unless the application's OnKeyDown cancelled it.
    void KeyDown(platform::Word& Key, platform::TShiftState Shift) override;
    // Makes the text the table's sort order, with a detail table's master fields in front,
    // and fires OnSort. A failing order is undone (the dataset reopened when ReopenAfterError
    // and the failure closed it) and the error passes on without OnSort. Other datasets
    // only fire OnSort (with a null dataset when the data source has none); without a data
    // source nothing happens.
    virtual void Sort();
    // The data source has a dataset and it is a table.
    bool IsValidTableDataSource() const;
    // The link's report of a changed sort order: selects and shows it, fires AfterSortChange.
    void DoAfterSortChange(platform::TObject* Sender, const String& OldFields,
                           const String& NewFields, bool& Done);
    void DoOnSort(platform::TDataSet* DataSet, const String& SortFieldNames);
    void Notification(platform::TComponent* AComponent, platform::TOperation Operation) override;

  private:
    // The sort orders a table's indexes allow (a detail table's: those with its master
    // fields in front), and the orders of single data fields.
    void OfferIndexes(platform::TStrings& Orders, platform::TTable* Table,
                      const String& MasterFields);
    void OfferFields(platform::TStrings& Orders, platform::TDataSet* DataSet,
                     const String& MasterFields);
    void ApplyToTable(platform::TTable* Table);
    void WatchDataSource(platform::TDataSource* Value);

    bool FAutoUpdate = true;
    std::unique_ptr<TSortDataLink> FDataLink;
    bool FReopenAfterError = true;
    bool FStrictServerIndexing = false;
    platform::TDataSetNotifyEvent FAfterSortChange;
    TDBSortEvent FOnSort;
    // The data source last given. A data source lets go of its links before its removal
    // notice goes out, so that notice is recognised by this pointer, not by the link's.
    platform::TDataSource* FWatchedDataSource = nullptr;
};

namespace DBSortComboBox {
// Puts TDBSortComboBox on the component palette page "Varn"; the designer calls it.
void Register();
}  // namespace DBSortComboBox

}  // namespace varn
