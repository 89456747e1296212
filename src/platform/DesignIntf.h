// The designer interface: the component palette that packages fill with RegisterComponents,
// the property editors they add with RegisterPropertyEditor, and the editors through which
// the designer reads and sets the published properties of the selected components.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/Graphics.h"
#include "platform/Resources.h"
#include "platform/TypInfo.h"

namespace platform {

// A design-time action that cannot be done: an unknown property, an invalid value, ...
class EDesignError : public Exception {
  public:
    using Exception::Exception;
};

// ---- Registrations ----
//
// Every registration belongs to a module: the package whose units are being registered (see
// TRegistrationScope), else the module whose code made the call. Uninstalling a package
// takes out what it registered.

// Registrations made while a scope lives belong to Module.
class TRegistrationScope {
  public:
    explicit TRegistrationScope(TModule Module);
    ~TRegistrationScope();
    TRegistrationScope(const TRegistrationScope&) = delete;
    TRegistrationScope& operator=(const TRegistrationScope&) = delete;

  private:
    TModule FOuter;
};

// Takes out every palette entry and property editor that Module registered.
void UnregisterModuleClasses(TModule Module);

// ---- Palette ----

struct TPaletteEntry {
    const TClassInfo* ComponentClass = nullptr;
    TModule Module = 0;  // the package that registered the class, which holds its bitmap
};

struct TPalettePage {
    String Name;
    std::vector<TPaletteEntry> Entries;
};

// Puts each class on the palette page Page, made when it is new; a class registered again
// moves to the end of Page. Fails with EDesignError for a class that is not registered
// (null), before anything is put on the palette.
void RegisterComponents(const String& Page, const std::vector<const TClassInfo*>& Classes);
// The pages that hold components, in the order they were made.
std::vector<TPalettePage> PalettePages();
// Loads an entry's palette bitmap: the bitmap resource named after its class in capitals,
// of the package that registered it. Fails as TBitmap::LoadFromResourceName does.
void LoadPaletteBitmap(const TPaletteEntry& Entry, TBitmap& Bitmap);

// ---- Property editors ----

enum TPropertyAttribute : uint8_t {
    paValueList,    // offers a list of values (GetValues)
    paDialog,       // edited in a dialog of its own
    paMultiSelect,  // can be edited for several selected components at once
    paSortList,     // the designer sorts the value list
    paReadOnly,     // its text cannot be set
    paRevertable    // the designer may offer to set it back to its original value
};
using TPropertyAttributes = TSet<TPropertyAttribute, uint8_t>;

// The designer's callback for one value of a value list.
using TGetStrProc = std::function<void(const String&)>;

// Edits one published property of one or more selected components. The value is shown and
// set as text. REQUIRES: the components outlive the editor.
class TPropertyEditor : public TObject {
  public:
    // REQUIRES: Components is not empty and each has Property.
    TPropertyEditor(const TPropertyInfo& Property, std::vector<TComponent*> Components);
    TPropertyEditor(const TPropertyEditor&) = delete;
    TPropertyEditor& operator=(const TPropertyEditor&) = delete;

    virtual TPropertyAttributes GetAttributes() const;
    // The value of the first component, as text.
    virtual String GetValue() const = 0;
    // Sets the value, given as text, on every component; EDesignError when it is not valid.
    virtual void SetValue(const String& Value) = 0;
    // Calls Proc once per value of the value list, in the list's order.
    virtual void GetValues(const TGetStrProc& Proc) const;
    // Whether every component has the same value.
    virtual bool AllEqual() const;
    // The longest text the value may be set to.
    virtual int GetEditLimit() const;

    const String& GetName() const { return FProperty->Name; }
    const TPropertyInfo& GetPropInfo() const { return *FProperty; }
    int PropCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* GetComponent(int Index) const;

  protected:
    TPropertyValue GetPropValue(int Index = 0) const;
    // Sets Value on every component.
    void SetPropValue(const TPropertyValue& Value);
    String GetStrValue() const;
    void SetStrValue(const String& Value);
    int64_t GetOrdValue() const;
    void SetOrdValue(int64_t Value);

  private:
    const TPropertyInfo* FProperty;
    std::vector<TComponent*> FComponents;
};

// The default editor of String properties: the text is stored as typed.
class TStringProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    String GetValue() const override;
    void SetValue(const String& Value) override;
};

// The default editor of integer properties (and colours): decimal text.
class TIntegerProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    String GetValue() const override;
    void SetValue(const String& Value) override;
};

// The default editor of enumerations and booleans: the value's name, from a sorted list.
class TEnumProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    String GetValue() const override;
    void SetValue(const String& Value) override;
    void GetValues(const TGetStrProc& Proc) const override;

  private:
    std::vector<String> Names() const;
};

// The default editor of sets: the members' names in brackets, "[fsBold,fsItalic]".
class TSetProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    String GetValue() const override;
    void SetValue(const String& Value) override;
};

// The default editor of references to components: the name of a component of the same form
// that is of the property's class, from a sorted list; the empty text for none.
class TComponentProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    String GetValue() const override;
    void SetValue(const String& Value) override;
    void GetValues(const TGetStrProc& Proc) const override;

  private:
    std::vector<TComponent*> Candidates() const;
};

// The default editor of lists of strings: shown as "(TStrings)", set from text whose lines
// become the list's strings.
class TStringsProperty : public TPropertyEditor {
  public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override;
    String GetValue() const override;
    void SetValue(const String& Value) override;
};

// A property editor class: makes an editor of its kind.
using TPropertyEditorClass = std::unique_ptr<TPropertyEditor> (*)(const TPropertyInfo& Property,
                                                                  std::vector<TComponent*>);

template <typename T>
std::unique_ptr<TPropertyEditor> NewPropertyEditor(const TPropertyInfo& Property,
                                                   std::vector<TComponent*> Components) {
    return std::make_unique<T>(Property, std::move(Components));
}

// Registers EditorClass for properties of type PropertyType (same kind and type name). With
// a ComponentClass, only for that class and the classes derived from it; with a
// PropertyName, only for the property of that name.
void RegisterPropertyEditor(const TTypeInfo& PropertyType, const TClassInfo* ComponentClass,
                            const String& PropertyName, TPropertyEditorClass EditorClass);
// The editor class registered for Property of ComponentClass, or null. Of several that fit,
// the one for the most derived class wins, then one for the property by name, then the one
// registered last.
TPropertyEditorClass FindPropertyEditor(const TClassInfo* ComponentClass,
                                        const TPropertyInfo& Property);
// An editor of the property PropertyName of every component of Selection: the registered
// editor, else the default editor of the property's kind. Fails with EDesignError when the
// selection is empty, when a component has no such property, when the components would be
// edited by different editors, or when several are selected and the editor does not allow
// that (paMultiSelect).
std::unique_ptr<TPropertyEditor> GetPropertyEditor(const std::vector<TComponent*>& Selection,
                                                   const String& PropertyName);

}  // namespace platform
