// The object model every component stands on: objects, persistent objects, components
// with ownership and removal notices, typed pointer lists, string lists and collections.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Set.h"
#include "platform/SysUtils.h"

namespace platform {

// The root of the class tree. ClassName() gives the name of the dynamic class
// without its namespace ("TTable").
class TObject {
  public:
    TObject() = default;
    virtual ~TObject() = default;
    String ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// An object whose state can be copied from another with Assign.
class TPersistent : public TObject {
  public:
    // Copies Source's state into this object. REQUIRES: Source is of a class this one
    // knows how to copy; otherwise EConvertError.
    virtual void Assign(const TPersistent* Source);

  protected:
    virtual void AssignTo(TPersistent* Dest) const;
};

enum TComponentStateFlag : uint8_t {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups
};
using TComponentState = TSet<TComponentStateFlag, uint16_t>;

enum TOperation : uint8_t { opInsert, opRemove };

// A component is owned by another (or by nobody) and owns the components created with it
// as owner; destroying a component destroys what it owns. Every component that keeps a
// pointer to another hears of that one's destruction through Notification(opRemove):
// an owner and everything it owns hear of each owned component, and FreeNotification
// extends this to components of other owners.
class TComponent : public TPersistent {
  public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* GetOwner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    // REQUIRES: 0 <= Index < ComponentCount().
    TComponent* Components(int Index) const;
    // The owned component with this name (letter case ignored), or null.
    TComponent* FindComponent(const String& AName) const;

    const String& GetName() const { return FName; }
    // Fails with EComponentError for a name that is not an identifier or that another
    // component of the same owner already has.
    void SetName(const String& NewName);

    TComponentState GetComponentState() const { return FComponentState; }

    // Asks to be told (Notification with opRemove) when AComponent is destroyed; it is
    // told the same of this one. Needed only for components of another owner.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Marks this component and everything it owns as being destroyed.
    void Destroying();
    // Marks this component and everything it owns as designing (or not).
    void SetDesigning(bool Value);
    // Loading from a form file: BeginLoading sets csLoading; EndLoading clears it and
    // calls Loaded.
    void BeginLoading();
    void EndLoading();

  protected:
    // Called once loading has finished; clears csLoading.
    virtual void Loaded();
    // Called when AComponent is inserted into or removed from this component's owner tree,
    // or, for opRemove, when a component this one watches is destroyed. The inherited
    // handling passes the notice on to every owned component.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

  private:
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();
    bool Owns(const TComponent* AComponent) const;

    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    String FName;
    TComponentState FComponentState;
};

// A list of pointers that owns nothing.
template <typename T>
class TList {
  public:
    int Count() const { return static_cast<int>(FItems.size()); }
    T* Items(int Index) const {
        CheckIndex(Index);
        return FItems[static_cast<size_t>(Index)];
    }
    T* operator[](int Index) const { return Items(Index); }
    int Add(T* Item) {
        FItems.push_back(Item);
        return Count() - 1;
    }
    void Insert(int Index, T* Item) {
        if (Index < 0 || Index > Count())
            CheckIndex(Index);
        FItems.insert(FItems.begin() + Index, Item);
    }
    void Delete(int Index) {
        CheckIndex(Index);
        FItems.erase(FItems.begin() + Index);
    }
    int IndexOf(const T* Item) const {
        for (int I = 0; I < Count(); ++I)
            if (FItems[static_cast<size_t>(I)] == Item)
                return I;
        return -1;
    }
    // Removes the first occurrence of Item; gives its former index or -1.
    int Remove(const T* Item) {
        int I = IndexOf(Item);
        if (I >= 0)
            Delete(I);
        return I;
    }
    void Clear() { FItems.clear(); }
    typename std::vector<T*>::const_iterator begin() const { return FItems.begin(); }
    typename std::vector<T*>::const_iterator end() const { return FItems.end(); }

  private:
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= Count())
            throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    }
    std::vector<T*> FItems;
};

// An abstract list of strings; TStringList holds them.
class TStrings : public TPersistent {
  public:
    virtual int Count() const = 0;
    virtual String Get(int Index) const = 0;
    virtual void Put(int Index, const String& S) = 0;
    virtual void Insert(int Index, const String& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    String operator[](int Index) const { return Get(Index); }
    int Add(const String& S);
    void Append(const String& S) { Add(S); }
    void AddStrings(const TStrings& Strings);
    // The index of the first string equal to S (exact comparison), or -1.
    int IndexOf(const String& S) const;
    // All strings, each followed by a line break.
    String GetText() const;
    // Replaces the strings by the lines of Text (line breaks "\n" or "\r\n").
    void SetText(const String& Text);
    void Assign(const TPersistent* Source) override;

    // Between BeginUpdate and the matching EndUpdate, OnChange is held back; the last
    // EndUpdate fires it once if anything changed.
    void BeginUpdate();
    void EndUpdate();
    TNotifyEvent OnChange;

  protected:
    void Changed();

  private:
    int FUpdateCount = 0;
    bool FChangedWhileUpdating = false;
};

class TStringList : public TStrings {
  public:
    TStringList() = default;
    TStringList(std::initializer_list<String> Strings);

    int Count() const override { return static_cast<int>(FStrings.size()); }
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    void Clear() override;
    // Sorts with the letters a to z folded to upper case; strings equal under folding are
    // ordered by their bytes, so the order never depends on the original order.
    void Sort();

  private:
    void CheckIndex(int Index) const;
    std::vector<String> FStrings;
};

class TCollection;

// An item of a collection. It belongs to its collection, which frees it; an item
// destroyed on its own leaves its collection.
class TCollectionItem : public TPersistent {
  public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    TCollection* GetCollection() const { return FCollection; }
    // Unique within the collection for as long as it exists; never reused.
    int GetID() const { return FID; }
    int GetIndex() const;
    // Moves the item to another position of its collection.
    void SetIndex(int Value);

  protected:
    // Tells the collection that this item (or, with AllItems, every item) changed.
    void Changed(bool AllItems);

  private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// An owning, ordered collection of items made by one factory.
class TCollection : public TPersistent {
  public:
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;

    explicit TCollection(TItemFactory ItemFactory);
    ~TCollection() override;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // REQUIRES: 0 <= Index < Count().
    TCollectionItem* Items(int Index) const;
    // Makes a new item with the factory and appends it.
    TCollectionItem* Add();
    void Delete(int Index);
    void Clear();
    // The item whose ID is ID, or null.
    TCollectionItem* FindItemID(int ID) const;

    void BeginUpdate();
    void EndUpdate();

  protected:
    // Called after an item (Item non-null) or the whole collection (Item null) changed,
    // and after items were added or removed, unless updates are held back.
    virtual void Update(TCollectionItem* Item);
    void Changed();

  private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    void ItemChanged(TCollectionItem* Item);

    TItemFactory FItemFactory;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};

}  // namespace platform
