// Ownership, removal notices, string lists and collections.
#include "platform/Classes.h"

#include <cxxabi.h>
#include <algorithm>
#include <memory>
#include <typeinfo>

namespace platform {

// ---- TObject, TPersistent ----

String TObject::ClassName() const {
    int Status = 0;
    std::unique_ptr<char, void (*)(void*)> Demangled(
        abi::__cxa_demangle(typeid(*this).name(), nullptr, nullptr, &Status), std::free);
    String Name = (Status == 0 && Demangled) ? String(Demangled.get()) : typeid(*this).name();
    size_t Colon = Name.rfind("::");
    return Colon == String::npos ? Name : Name.substr(Colon + 2);
}

void TPersistent::Assign(const TPersistent* Source) {
    if (Source == nullptr)
        throw EConvertError("Cannot assign a nil to a " + ClassName());
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) const {
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + Dest->ClassName());
}

// ---- TComponent ----

namespace {

bool IsValidIdent(const String& S) {
    if (S.empty())
        return false;
    auto IsAlpha = [](char C) {
        return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
    };
    if (!IsAlpha(S[0]))
        return false;
    return std::all_of(S.begin() + 1, S.end(),
                       [&](char C) { return IsAlpha(C) || (C >= '0' && C <= '9'); });
}

void EraseFirst(std::vector<TComponent*>& List, const TComponent* Item) {
    auto It = std::find(List.begin(), List.end(), Item);
    if (It != List.end())
        List.erase(It);
}

}  // namespace

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner == nullptr)
        return;
    if (AOwner->FComponentState.Contains(csDesigning))
        FComponentState.Include(csDesigning);
    AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Tell every component that watches this one. Each is taken off both lists before it
    // is told, so a handler that destroys further components finds the lists consistent.
    while (!FFreeNotifies.empty()) {
        TComponent* Watcher = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        EraseFirst(Watcher->FFreeNotifies, this);
        Watcher->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner != nullptr)
        FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return FComponents[static_cast<size_t>(Index)];
}

TComponent* TComponent::FindComponent(const String& AName) const {
    if (AName.empty())
        return nullptr;
    String Key = UpperCase(AName);
    for (TComponent* C : FComponents)
        if (UpperCase(C->FName) == Key)
            return C;
    return nullptr;
}

void TComponent::SetName(const String& NewName) {
    if (NewName == FName)
        return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name");
    if (FOwner != nullptr && !NewName.empty()) {
        TComponent* Other = FOwner->FindComponent(NewName);
        if (Other != nullptr && Other != this)
            throw EComponentError("A component named " + NewName + " already exists");
    }
    FName = NewName;
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (AComponent == nullptr || AComponent == this)
        return;
    // Components of one owner hear of each other through the owner anyway.
    if (FOwner != nullptr && AComponent->FOwner == FOwner)
        return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) != FFreeNotifies.end())
        return;
    FFreeNotifies.push_back(AComponent);
    AComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (AComponent == nullptr)
        return;
    EraseFirst(FFreeNotifies, AComponent);
    EraseFirst(AComponent->FFreeNotifies, this);
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying))
        return;
    FComponentState.Include(csDestroying);
    for (TComponent* C : FComponents)
        C->Destroying();
}

void TComponent::SetDesigning(bool Value) {
    if (Value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    for (TComponent* C : FComponents)
        C->SetDesigning(Value);
}

void TComponent::BeginLoading() {
    FComponentState.Include(csLoading);
}

void TComponent::EndLoading() {
    Loaded();
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent != nullptr)
        RemoveFreeNotification(AComponent);
    // A handler may destroy components of this owner: tell only those still owned.
    std::vector<TComponent*> Snapshot = FComponents;
    for (auto It = Snapshot.rbegin(); It != Snapshot.rend(); ++It)
        if (Owns(*It))
            (*It)->Notification(AComponent, Operation);
}

void TComponent::InsertComponent(TComponent* AComponent) {
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    Notification(AComponent, opRemove);
    EraseFirst(FComponents, AComponent);
    AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    // Each owned component leaves this list in its own destructor, telling the others.
    while (!FComponents.empty())
        delete FComponents.back();
}

bool TComponent::Owns(const TComponent* AComponent) const {
    return std::find(FComponents.begin(), FComponents.end(), AComponent) != FComponents.end();
}

// ---- TStrings, TStringList ----

int TStrings::Add(const String& S) {
    int Index = Count();
    Insert(Index, S);
    return Index;
}

void TStrings::AddStrings(const TStrings& Strings) {
    BeginUpdate();
    for (int I = 0; I < Strings.Count(); ++I)
        Add(Strings.Get(I));
    EndUpdate();
}

int TStrings::IndexOf(const String& S) const {
    for (int I = 0; I < Count(); ++I)
        if (Get(I) == S)
            return I;
    return -1;
}

String TStrings::GetText() const {
    String Result;
    for (int I = 0; I < Count(); ++I)
        Result += Get(I) + "\n";
    return Result;
}

void TStrings::SetText(const String& Text) {
    BeginUpdate();
    Clear();
    size_t Start = 0;
    while (Start < Text.size()) {
        size_t End = Text.find('\n', Start);
        if (End == String::npos)
            End = Text.size();
        String Line = Text.substr(Start, End - Start);
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        Add(Line);
        Start = End + 1;
    }
    EndUpdate();
}

void TStrings::Assign(const TPersistent* Source) {
    if (auto* Strings = dynamic_cast<const TStrings*>(Source)) {
        if (Strings == this)
            return;
        BeginUpdate();
        Clear();
        AddStrings(*Strings);
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

void TStrings::BeginUpdate() {
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedWhileUpdating) {
        FChangedWhileUpdating = false;
        if (OnChange)
            OnChange(this);
    }
}

void TStrings::Changed() {
    if (FUpdateCount > 0) {
        FChangedWhileUpdating = true;
        return;
    }
    if (OnChange)
        OnChange(this);
}

TStringList::TStringList(std::initializer_list<String> Strings) : FStrings(Strings) {}

void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
}

String TStringList::Get(int Index) const {
    CheckIndex(Index);
    return FStrings[static_cast<size_t>(Index)];
}

void TStringList::Put(int Index, const String& S) {
    CheckIndex(Index);
    FStrings[static_cast<size_t>(Index)] = S;
    Changed();
}

void TStringList::Insert(int Index, const String& S) {
    if (Index != Count())
        CheckIndex(Index);
    FStrings.insert(FStrings.begin() + Index, S);
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    FStrings.erase(FStrings.begin() + Index);
    Changed();
}

void TStringList::Clear() {
    if (FStrings.empty())
        return;
    FStrings.clear();
    Changed();
}

void TStringList::Sort() {
    auto Less = [](const String& A, const String& B) {
        String FoldedA = UpperCase(A), FoldedB = UpperCase(B);
        if (FoldedA != FoldedB)
            return FoldedA < FoldedB;
        return A < B;
    };
    std::sort(FStrings.begin(), FStrings.end(), Less);
    Changed();
}

// ---- TCollectionItem, TCollection ----

TCollectionItem::TCollectionItem(TCollection* Collection) {
    if (Collection != nullptr)
        Collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection != nullptr)
        FCollection->RemoveItem(this);
}

int TCollectionItem::GetIndex() const {
    if (FCollection == nullptr)
        return -1;
    auto& Items = FCollection->FItems;
    auto It = std::find(Items.begin(), Items.end(), this);
    return It == Items.end() ? -1 : static_cast<int>(It - Items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int Current = GetIndex();
    if (Current < 0 || Value == Current)
        return;
    auto& Items = FCollection->FItems;
    if (Value < 0 || Value >= static_cast<int>(Items.size()))
        throw EListError("List index out of bounds (" + IntToStr(Value) + ")");
    Items.erase(Items.begin() + Current);
    Items.insert(Items.begin() + Value, this);
    Changed(true);
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection != nullptr)
        FCollection->ItemChanged(AllItems ? nullptr : this);
}

TCollection::TCollection(TItemFactory ItemFactory) : FItemFactory(std::move(ItemFactory)) {}

TCollection::~TCollection() {
    FUpdateCount = 1;  // nothing to tell while the collection goes away
    Clear();
}

TCollectionItem* TCollection::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return FItems[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::Add() {
    // Held back until the item is fully made, so Update never sees a half-built item.
    BeginUpdate();
    TCollectionItem* Item = nullptr;
    try {
        Item = FItemFactory(this);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return Item;
}

void TCollection::Delete(int Index) {
    delete Items(Index);
}

void TCollection::Clear() {
    if (FItems.empty())
        return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* Item : FItems)
        if (Item->FID == ID)
            return Item;
    return nullptr;
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed() {
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
    Item->FCollection = this;
    Item->FID = FNextID++;
    FItems.push_back(Item);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    if (It != FItems.end())
        FItems.erase(It);
    Item->FCollection = nullptr;
    Changed();
}

void TCollection::ItemChanged(TCollectionItem* Item) {
    if (FUpdateCount == 0)
        Update(Item);
}

}  // namespace platform
