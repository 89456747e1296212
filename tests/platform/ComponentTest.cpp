// Ownership, removal notices and designing state of components.
#include <gtest/gtest.h>

#include <utility>

#include "platform/Classes.h"

using namespace platform;

namespace {

// Records the removal notices it hears and forgets a watched component when told,
// as every component that keeps a pointer must.
class TWatcher : public TComponent {
  public:
    using TComponent::TComponent;
    ~TWatcher() override { Destroying(); }

    void Watch(TComponent* C) {
        Watched = C;
        if (C)
            C->FreeNotification(this);
    }
    TComponent* Watched = nullptr;
    std::vector<TComponent*> Removed;
    std::function<void(TComponent*)> OnRemove;
    bool WasLoaded = false;

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation != opRemove)
            return;
        Removed.push_back(AComponent);
        if (AComponent == Watched)
            Watched = nullptr;
        if (OnRemove)
            OnRemove(AComponent);
    }
    void Loaded() override {
        TComponent::Loaded();
        WasLoaded = true;
    }
};

bool Contains(const std::vector<TComponent*>& List, const TComponent* C) {
    return std::find(List.begin(), List.end(), C) != List.end();
}

}  // namespace

TEST(Component, DestroyingAnOwnedComponentTellsItsSiblings) {
    TComponent Form(nullptr);
    auto* A = new TWatcher(&Form);
    auto* B = new TWatcher(&Form);
    auto* C = new TComponent(&Form);
    A->Watch(C);
    delete C;
    EXPECT_EQ(A->Watched, nullptr);
    EXPECT_TRUE(Contains(B->Removed, C));
    EXPECT_EQ(Form.ComponentCount(), 2);
}

TEST(Component, FreeNotificationWorksAcrossOwners) {
    TComponent FormA(nullptr);
    TComponent FormB(nullptr);
    auto* Watcher = new TWatcher(&FormA);
    auto* Other = new TWatcher(&FormB);
    Watcher->Watch(Other);
    Other->Watch(Watcher);  // both ways at once
    delete Other;
    EXPECT_EQ(Watcher->Watched, nullptr);
    // After the notice nothing refers to the dead component any more.
    auto* Next = new TComponent(&FormB);
    delete Next;
    EXPECT_EQ(Watcher->Removed.size(), 1u);
}

TEST(Component, RemoveFreeNotificationStopsTheNotice) {
    TComponent FormA(nullptr);
    TComponent FormB(nullptr);
    auto* Watcher = new TWatcher(&FormA);
    auto* Other = new TComponent(&FormB);
    Other->FreeNotification(Watcher);
    Other->RemoveFreeNotification(Watcher);
    delete Other;
    EXPECT_TRUE(Watcher->Removed.empty());
}

TEST(Component, OwnerFreesWhatItOwnsAndTellsWatchersElsewhere) {
    auto* Form = new TComponent(nullptr);
    auto* Panel = new TComponent(Form);
    auto* Deep = new TComponent(Panel);
    TComponent Other(nullptr);
    auto* Watcher = new TWatcher(&Other);
    Watcher->Watch(Deep);
    delete Form;  // ASan reports a leak or double free if ownership is wrong
    EXPECT_EQ(Watcher->Watched, nullptr);
}

TEST(Component, ComponentDestroyedWhileBeingNotifiedIsSafe) {
    TComponent Form(nullptr);
    TWatcher* Victim = new TWatcher(&Form);
    auto* Killer = new TWatcher(&Form);
    auto* Bystander = new TWatcher(&Form);
    auto* Trigger = new TComponent(&Form);
    // On hearing of the trigger, the killer destroys a sibling that may not have been told.
    Killer->OnRemove = [&Victim, Trigger](TComponent* C) {
        if (C != Trigger || Victim == nullptr)
            return;
        TWatcher* Doomed = Victim;
        Victim = nullptr;
        delete Doomed;
    };
    delete Trigger;
    EXPECT_EQ(Form.ComponentCount(), 2);
    EXPECT_EQ(Form.Components(0), Killer);
    EXPECT_TRUE(Contains(Bystander->Removed, Trigger));
}

TEST(Component, WatchedComponentDestroyedByAWatcherDuringFreeNotices) {
    TComponent FormA(nullptr);
    TComponent FormB(nullptr);
    auto* Source = new TComponent(&FormA);
    TWatcher* First = new TWatcher(&FormB);
    TWatcher* Second = new TWatcher(&FormB);
    First->Watch(Source);
    Second->Watch(Source);
    // Whoever hears of the source first destroys the other watcher.
    First->OnRemove = [&](TComponent* C) {
        if (C != Source || Second == nullptr)
            return;
        TWatcher* Partner = std::exchange(Second, nullptr);
        delete Partner;
    };
    Second->OnRemove = [&](TComponent* C) {
        if (C != Source || First == nullptr)
            return;
        TWatcher* Partner = std::exchange(First, nullptr);
        delete Partner;
    };
    delete Source;
    EXPECT_EQ(FormB.ComponentCount(), 1);
}

TEST(Component, DesigningIsInheritedFromADesigningOwner) {
    TComponent Form(nullptr);
    Form.SetDesigning(true);
    auto* Child = new TComponent(&Form);
    EXPECT_TRUE(Child->GetComponentState().Contains(csDesigning));
    Form.SetDesigning(false);
    EXPECT_FALSE(Child->GetComponentState().Contains(csDesigning));
    TComponent Loose(nullptr);
    EXPECT_FALSE(Loose.GetComponentState().Contains(csDesigning));
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwner) {
    TComponent Form(nullptr);
    auto* A = new TComponent(&Form);
    auto* B = new TComponent(&Form);
    A->SetName("Grid1");
    EXPECT_EQ(Form.FindComponent("GRID1"), A);
    EXPECT_THROW(B->SetName("grid1"), EComponentError);
    EXPECT_THROW(B->SetName("1Grid"), EComponentError);
    EXPECT_THROW(B->SetName("My Grid"), EComponentError);
    B->SetName("Grid2");
    A->SetName("Grid1");  // its own name again
    EXPECT_EQ(B->GetName(), "Grid2");
}

TEST(Component, LoadingStateEndsWithLoaded) {
    TComponent Form(nullptr);
    auto* W = new TWatcher(&Form);
    W->BeginLoading();
    EXPECT_TRUE(W->GetComponentState().Contains(csLoading));
    W->EndLoading();
    EXPECT_FALSE(W->GetComponentState().Contains(csLoading));
    EXPECT_TRUE(W->WasLoaded);
}

TEST(Component, ClassNameIsTheDynamicClassWithoutNamespace) {
    TComponent Form(nullptr);
    TComponent* W = new TWatcher(&Form);
    EXPECT_EQ(W->ClassName(), "TWatcher");
    EXPECT_EQ(Form.ClassName(), "TComponent");
}
