// The title-mask editor of ClickedTitleMask: its four masks in order whatever the value, its
// attributes, typed masks kept as typed, several components set at once, and the property
// and classes it serves.
#include <gtest/gtest.h>

#include "platform/DesignHost.h"
#include "varn/design/DBGridTitleSort_Design.h"
#include "varn/titlesort/DBGridTitleSort.h"

using namespace platform;
using namespace varn;

namespace {

const std::vector<String> Masks = {"%t (sorted)", "%t %s", "%t (%i)", "%i: %t"};

// A title sort component of an application's own.
class TAppTitleSort : public TDBGridTitleSort {
  public:
    using TDBGridTitleSort::TDBGridTitleSort;
};

// A component of another kind with a String property of the same name.
class TMaskHolder : public TComponent {
  public:
    using TComponent::TComponent;
    String GetClickedTitleMask() const { return FMask; }
    void SetClickedTitleMask(const String& Value) { FMask = Value; }

  private:
    String FMask;
};

class TitleMaskEditorTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        AddPackageDirectory(VARN_PACKAGE_DIR);
        TClassBuilder<TAppTitleSort>("TAppTitleSort", "TDBGridTitleSort");
        TClassBuilder<TMaskHolder>("TMaskHolder", "TComponent")
            .Property("ClickedTitleMask", StringType(), &TMaskHolder::GetClickedTitleMask,
                      &TMaskHolder::SetClickedTitleMask);
    }
    static void TearDownTestSuite() {
        UnregisterClassInfo(typeid(TMaskHolder));
        UnregisterClassInfo(typeid(TAppTitleSort));
    }
    void SetUp() override {
        Host.InstallPackage("varnrt");
        Host.InstallPackage("varndt");
        Host.NewForm();
    }
    TDBGridTitleSort* NewTitleSort() {
        return static_cast<TDBGridTitleSort*>(Host.CreateComponent("TDBGridTitleSort"));
    }

    TDesignHost Host;
};

TEST_F(TitleMaskEditorTest, Values_TheFourMasksInOrderWhateverTheValue) {
    TDBGridTitleSort* TitleSort = NewTitleSort();
    for (const String& Value :
         {String(""), String("%t (sorted)"), String("%i: %t"), String("Custom %t")}) {
        TitleSort->SetClickedTitleMask(Value);
        EXPECT_EQ(Host.GetPropertyValues({TitleSort}, "ClickedTitleMask"), Masks) << Value;
    }
}

TEST_F(TitleMaskEditorTest, Attributes_ValueListMultiSelectRevertableAndUnsorted) {
    std::unique_ptr<TPropertyEditor> Editor =
        GetPropertyEditor({NewTitleSort()}, "ClickedTitleMask");
    ASSERT_NE(dynamic_cast<TDBGridTitleSortMaskProperty*>(Editor.get()), nullptr);
    EXPECT_EQ(Editor->GetAttributes(),
              (TPropertyAttributes{paValueList, paMultiSelect, paRevertable}));
    std::vector<String> Given;
    Editor->GetValues([&Given](const String& Value) { Given.push_back(Value); });
    EXPECT_EQ(Given, Masks);
}

TEST_F(TitleMaskEditorTest, TypedMask_StoredUnchanged) {
    TDBGridTitleSort* TitleSort = NewTitleSort();
    for (const String& Typed : {String("[%i] %t"), String("  %t  "), String("%%t %s1"), String(""),
                                String("%t (sorted)")}) {
        Host.SetPropertyValue({TitleSort}, "ClickedTitleMask", Typed);
        EXPECT_EQ(TitleSort->GetClickedTitleMask(), Typed);
        EXPECT_EQ(Host.GetPropertyValue({TitleSort}, "ClickedTitleMask"), Typed);
    }
}

TEST_F(TitleMaskEditorTest, SeveralSelected_ShownWhenCommonAndSetAtOnce) {
    std::vector<TComponent*> Selection;
    for (const char* Mask : {"%t %s", "%i: %t", "%t %s"}) {
        TDBGridTitleSort* TitleSort = NewTitleSort();
        TitleSort->SetClickedTitleMask(Mask);
        Selection.push_back(TitleSort);
    }
    EXPECT_EQ(Host.GetPropertyValue(Selection, "ClickedTitleMask"), "");
    EXPECT_EQ(Host.GetPropertyValues(Selection, "ClickedTitleMask"), Masks);

    Host.SetPropertyValue(Selection, "ClickedTitleMask", "%t (%i)");
    for (TComponent* Component : Selection)
        EXPECT_EQ(static_cast<TDBGridTitleSort*>(Component)->GetClickedTitleMask(), "%t (%i)");
    EXPECT_EQ(Host.GetPropertyValue(Selection, "ClickedTitleMask"), "%t (%i)");
}

TEST_F(TitleMaskEditorTest, Editor_ServesThatPropertyOfThatClassAndItsDerivedClasses) {
    struct TCase {
        const char* ClassName;
        const char* Property;
        bool MaskEditor;
    };
    const TCase Cases[] = {
        {"TDBGridTitleSort", "ClickedTitleMask", true},
        {"TDBGridTitleSort", "clickedtitlemask", true},
        {"TAppTitleSort", "ClickedTitleMask", true},
        {"TMaskHolder", "ClickedTitleMask", false},
        {"TDBLocateEdit", "DataField", false},
    };
    for (const TCase& Case : Cases) {
        TComponent* Component = Host.CreateComponent(Case.ClassName);
        std::unique_ptr<TPropertyEditor> Editor = GetPropertyEditor({Component}, Case.Property);
        EXPECT_EQ(dynamic_cast<TDBGridTitleSortMaskProperty*>(Editor.get()) != nullptr,
                  Case.MaskEditor)
            << Case.ClassName << "." << Case.Property;
        EXPECT_NE(dynamic_cast<TStringProperty*>(Editor.get()), nullptr);
    }
    // Other properties of the class keep their default editors.
    std::unique_ptr<TPropertyEditor> Editor = GetPropertyEditor({NewTitleSort()}, "AutoRegister");
    EXPECT_NE(dynamic_cast<TEnumProperty*>(Editor.get()), nullptr);
}

TEST_F(TitleMaskEditorTest, Selection_WithAnotherClassOfThePropertyIsRefused) {
    TComponent* Holder = Host.CreateComponent("TMaskHolder");
    EXPECT_THROW(Host.GetPropertyValue({NewTitleSort(), Holder}, "ClickedTitleMask"), EDesignError);
}

}  // namespace
