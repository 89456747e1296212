// The designer host on the installed packages: the palette with its bitmaps, what each
// package registers and takes out again, components made in the designing state, and the
// default property editors.
#include <gtest/gtest.h>

#include "platform/DBTables.h"
#include "platform/DesignHost.h"
#include "varn/filtergrid/DBFilterGrid.h"
#include "varn/locateedit/DBLocateEdit.h"
#include "varn/sortcombo/DBSortComboBox.h"
#include "varn/titlesort/DBGridTitleSort.h"

using namespace platform;
using namespace varn;

namespace {

const std::vector<String> VarnComponents = {"TDBLocateEdit", "TDBFieldComboBox", "TDBSortComboBox",
                                            "TDBGridTitleSort", "TDBFilterGrid"};

// A host with the runtime package installed, and the design package when asked, and an
// empty form.
class DesignerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { AddPackageDirectory(VARN_PACKAGE_DIR); }
    void SetUp() override {
        Runtime = Host.InstallPackage("varnrt");
        Host.NewForm();
    }
    void InstallDesignPackage() { Design = Host.InstallPackage("varndt"); }

    TDesignHost Host;
    TModule Runtime = 0;
    TModule Design = 0;
};

TEST_F(DesignerTest, Palette_HoldsExactlyTheFiveComponentsWithTheirBitmaps) {
    InstallDesignPackage();
    std::vector<TPalettePage> Pages = PalettePages();
    ASSERT_EQ(Pages.size(), 1u);
    EXPECT_EQ(Pages[0].Name, "Varn");
    std::vector<String> Names;
    for (const TPaletteEntry& Entry : Pages[0].Entries) {
        Names.push_back(Entry.ComponentClass->Name());
        EXPECT_EQ(Entry.Module, RuntimeModule());
        TBitmap Bitmap;
        LoadPaletteBitmap(Entry, Bitmap);
        EXPECT_EQ(Bitmap.GetWidth(), 24) << Names.back();
        EXPECT_EQ(Bitmap.GetHeight(), 24) << Names.back();
        EXPECT_EQ(Bitmap.GetBitsPerPixel(), 4) << Names.back();
        EXPECT_EQ(Bitmap.TransparentColor(), clFuchsia) << Names.back();
    }
    EXPECT_EQ(Names, VarnComponents);
}

TEST_F(DesignerTest, Registration_OnlyTheDesignPackageRegistersAnEditor) {
    auto RegisteredEditors = [] {
        std::vector<String> Found;
        for (const String& Name : VarnComponents) {
            const TClassInfo* Info = FindClassInfo(Name);
            for (const TPropertyInfo* Property : Info->Properties())
                if (FindPropertyEditor(Info, *Property) != nullptr)
                    Found.push_back(Name + "." + Property->Name);
        }
        return Found;
    };
    EXPECT_TRUE(RegisteredEditors().empty());
    EXPECT_THROW(Host.InstallPackage("varnrt"), EDesignError);  // installed already
    EXPECT_EQ(PalettePages().at(0).Entries.size(), VarnComponents.size());
    InstallDesignPackage();
    EXPECT_EQ(RegisteredEditors(), std::vector<String>{"TDBGridTitleSort.ClickedTitleMask"});

    Host.UninstallPackage(Design);
    EXPECT_TRUE(RegisteredEditors().empty());
    EXPECT_EQ(PalettePages().size(), 1u);
    Host.UninstallPackage(Runtime);
    EXPECT_TRUE(PalettePages().empty());
}

TEST_F(DesignerTest, CreateComponent_DesigningFromItsConstructorOnAndNamedAfterItsClass) {
    auto* First = dynamic_cast<TDBFilterGrid*>(Host.CreateComponent("TDBFilterGrid"));
    ASSERT_NE(First, nullptr);
    TComponent* Second = Host.CreateComponent("TDBFilterGrid");
    EXPECT_EQ(First->GetName(), "DBFilterGrid1");
    EXPECT_EQ(Second->GetName(), "DBFilterGrid2");
    EXPECT_TRUE(Host.GetForm()->GetComponentState().Contains(csDesigning));
    EXPECT_TRUE(First->GetComponentState().Contains(csDesigning));
    // A grid made for the designer makes no cell editor, value query or delete button.
    EXPECT_EQ(First->ComponentCount(), 0);
    EXPECT_EQ(First->GetParent(), Host.GetForm());
    EXPECT_THROW(Host.CreateComponent("TNoSuchComponent"), EDesignError);
    EXPECT_THROW(Host.CreateComponent("TDataSet"), EDesignError);  // cannot be made
}

TEST_F(DesignerTest, DefaultEditors_ShowAndSetValuesAsText) {
    auto* TitleSort = static_cast<TDBGridTitleSort*>(Host.CreateComponent("TDBGridTitleSort"));
    TComponent* Combo = Host.CreateComponent("TDBSortComboBox");
    TComponent* Edit = Host.CreateComponent("TDBLocateEdit");
    Host.CreateComponent("TDataSource");
    Host.CreateComponent("TDataSource");
    struct TCase {
        TComponent* Component;
        const char* Property;
        const char* Typed;
        const char* Shown;
    };
    const TCase Cases[] = {
        {TitleSort, "AutoRegister", "arnone", "arNone"},
        {TitleSort, "UnSort", "False", "False"},
        {TitleSort, "ClickedTitleFontStyle", "[ fsItalic , fsBold ]", "[fsBold,fsItalic]"},
        {TitleSort, "ClickedTitleFontStyle", "[]", "[]"},
        {TitleSort, "ClickedTitleColor", " 255 ", "255"},
        {Edit, "DataField", " Name ", " Name "},
        {Combo, "DataSource", "datasource2", "DataSource2"},
        {Combo, "DataSource", "", ""},
    };
    for (const TCase& Case : Cases) {
        Host.SetPropertyValue({Case.Component}, Case.Property, Case.Typed);
        EXPECT_EQ(Host.GetPropertyValue({Case.Component}, Case.Property), Case.Shown)
            << Case.Property << " = " << Case.Typed;
    }
    EXPECT_FALSE(TitleSort->GetUnSort());
}

TEST_F(DesignerTest, DefaultEditors_RefuseInvalidTextAndKeepTheValue) {
    TComponent* TitleSort = Host.CreateComponent("TDBGridTitleSort");
    TComponent* Combo = Host.CreateComponent("TDBSortComboBox");
    Host.CreateComponent("TDBLocateEdit");
    struct TCase {
        TComponent* Component;
        const char* Property;
        String Typed;
    };
    const TCase Cases[] = {
        {TitleSort, "AutoRegister", "arSometimes"},
        {TitleSort, "UnSort", "Maybe"},
        {TitleSort, "ClickedTitleColor", "red"},
        {TitleSort, "ClickedTitleColor", "12x"},
        {TitleSort, "ClickedTitleFontStyle", "[fsHuge]"},
        {TitleSort, "ClickedTitleFontStyle", "fsBold"},
        {Combo, "DataSource", "DBLocateEdit1"},  // not a data source
        {Combo, "DataSource", "Nowhere"},
        {TitleSort, "ClickedTitleMask", String(256, 'x')},
    };
    for (const TCase& Case : Cases) {
        String Before = Host.GetPropertyValue({Case.Component}, Case.Property);
        EXPECT_THROW(Host.SetPropertyValue({Case.Component}, Case.Property, Case.Typed),
                     EDesignError)
            << Case.Property << " = " << Case.Typed;
        EXPECT_EQ(Host.GetPropertyValue({Case.Component}, Case.Property), Before);
    }
    EXPECT_THROW(Host.SetPropertyValue({TitleSort}, "NoSuchProperty", "1"), EDesignError);
}

TEST_F(DesignerTest, ValueLists_SortedWhenTheEditorAsks) {
    TComponent* TitleSort = Host.CreateComponent("TDBGridTitleSort");
    TComponent* Combo = Host.CreateComponent("TDBSortComboBox");
    Host.CreateComponent("TDataSource");
    Host.CreateComponent("TTable");
    Host.GetForm()->Components(2)->SetName("Zeta");
    Host.CreateComponent("TDataSource");
    EXPECT_EQ(Host.GetPropertyValues({TitleSort}, "AutoRegister"),
              (std::vector<String>{"arForm", "arNone"}));
    EXPECT_EQ(Host.GetPropertyValues({TitleSort}, "UnSort"),
              (std::vector<String>{"False", "True"}));
    // Only the form's data sources, by name.
    EXPECT_EQ(Host.GetPropertyValues({Combo}, "DataSource"),
              (std::vector<String>{"DataSource1", "Zeta"}));
    EXPECT_THROW(Host.GetPropertyValues({TitleSort}, "ClickedTitleColor"), EDesignError);
}

TEST_F(DesignerTest, Selection_OfDifferentClassesSharesTheCommonProperty) {
    TComponent* Combo = Host.CreateComponent("TDBSortComboBox");
    TComponent* Edit = Host.CreateComponent("TDBLocateEdit");
    TComponent* TitleSort = Host.CreateComponent("TDBGridTitleSort");
    Host.SetPropertyValue({Combo, Edit}, "Left", "40");
    EXPECT_EQ(Host.GetPropertyValue({Combo}, "Left"), "40");
    EXPECT_EQ(Host.GetPropertyValue({Combo, Edit}, "Left"), "40");
    Host.SetPropertyValue({Edit}, "Left", "41");
    EXPECT_EQ(Host.GetPropertyValue({Combo, Edit}, "Left"), "");
    EXPECT_THROW(Host.GetPropertyValue({Combo, TitleSort}, "Left"), EDesignError);
    EXPECT_THROW(Host.GetPropertyValue({}, "Left"), EDesignError);
}

}  // namespace
