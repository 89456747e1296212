// The palette and property-editor registries, and the default property editors.
#include "platform/DesignIntf.h"

#include <algorithm>
#include <sstream>
#include <tuple>

namespace platform {

namespace {

struct TEditorRegistration {
    TTypeKind Kind;
    String TypeName;  // upper-cased
    const TClassInfo* ComponentClass;
    String PropertyName;  // upper-cased; empty for every property of the type
    TPropertyEditorClass EditorClass;
    TModule Module;
};

struct TDesignRegistry {
    std::vector<TPalettePage> Pages;
    std::vector<TEditorRegistration> Editors;
    TModule RegisteringModule = 0;
};

TDesignRegistry& Registry() {
    static TDesignRegistry Instance;
    return Instance;
}

TModule OwnerModule(const void* Caller) {
    TModule Scope = Registry().RegisteringModule;
    return Scope != 0 ? Scope : ModuleOf(Caller);
}

void RemoveFromPalette(const TClassInfo* ComponentClass) {
    for (TPalettePage& Page : Registry().Pages)
        std::erase_if(Page.Entries,
                      [&](const TPaletteEntry& E) { return E.ComponentClass == ComponentClass; });
}

TPropertyEditorClass DefaultEditorClass(TTypeKind Kind) {
    switch (Kind) {
        case tkInteger:
            return &NewPropertyEditor<TIntegerProperty>;
        case tkBoolean:
        case tkEnumeration:
            return &NewPropertyEditor<TEnumProperty>;
        case tkString:
            return &NewPropertyEditor<TStringProperty>;
        case tkSet:
            return &NewPropertyEditor<TSetProperty>;
        case tkClass:
            return &NewPropertyEditor<TComponentProperty>;
        case tkStrings:
            return &NewPropertyEditor<TStringsProperty>;
    }
    return &NewPropertyEditor<TStringProperty>;
}

TPropertyEditorClass EditorClassFor(const TClassInfo* ComponentClass,
                                    const TPropertyInfo& Property) {
    TPropertyEditorClass Registered = FindPropertyEditor(ComponentClass, Property);
    return Registered != nullptr ? Registered : DefaultEditorClass(Property.Type.Kind);
}

[[noreturn]] void InvalidValue(const String& Value, const String& Property) {
    throw EDesignError("Invalid value '" + Value + "' for property " + Property);
}

// The names of a type's values: those of the enumeration, False and True for a boolean.
std::vector<String> ValueNames(const TTypeInfo& Type) {
    return Type.Kind == tkBoolean ? std::vector<String>{"False", "True"} : Type.EnumNames;
}

int OrdinalOf(const std::vector<String>& Names, const String& Name) {
    for (size_t I = 0; I < Names.size(); ++I)
        if (UpperCase(Names[I]) == UpperCase(Trim(Name)))
            return static_cast<int>(I);
    return -1;
}

}  // namespace

// ---- Registrations ----

TRegistrationScope::TRegistrationScope(TModule Module) : FOuter(Registry().RegisteringModule) {
    Registry().RegisteringModule = Module;
}

TRegistrationScope::~TRegistrationScope() {
    Registry().RegisteringModule = FOuter;
}

void UnregisterModuleClasses(TModule Module) {
    TDesignRegistry& R = Registry();
    for (TPalettePage& Page : R.Pages)
        std::erase_if(Page.Entries,
                      [Module](const TPaletteEntry& E) { return E.Module == Module; });
    std::erase_if(R.Pages, [](const TPalettePage& Page) { return Page.Entries.empty(); });
    std::erase_if(R.Editors, [Module](const TEditorRegistration& E) { return E.Module == Module; });
}

// ---- Palette ----

void RegisterComponents(const String& Page, const std::vector<const TClassInfo*>& Classes) {
    TModule Module = OwnerModule(__builtin_extract_return_addr(__builtin_return_address(0)));
    if (std::find(Classes.begin(), Classes.end(), nullptr) != Classes.end())
        throw EDesignError("RegisterComponents() A class for page " + Page + " is not registered");
    TDesignRegistry& R = Registry();
    for (const TClassInfo* ComponentClass : Classes)
        RemoveFromPalette(ComponentClass);
    auto It = std::find_if(R.Pages.begin(), R.Pages.end(),
                           [&](const TPalettePage& P) { return P.Name == Page; });
    if (It == R.Pages.end())
        It = R.Pages.insert(R.Pages.end(), TPalettePage{Page, {}});
    for (const TClassInfo* ComponentClass : Classes)
        It->Entries.push_back({ComponentClass, Module});
    std::erase_if(R.Pages, [](const TPalettePage& P) { return P.Entries.empty(); });
}

std::vector<TPalettePage> PalettePages() {
    return Registry().Pages;
}

void LoadPaletteBitmap(const TPaletteEntry& Entry, TBitmap& Bitmap) {
    Bitmap.LoadFromResourceName(Entry.Module, UpperCase(Entry.ComponentClass->Name()));
}

// ---- Property editor registry ----

void RegisterPropertyEditor(const TTypeInfo& PropertyType, const TClassInfo* ComponentClass,
                            const String& PropertyName, TPropertyEditorClass EditorClass) {
    TModule Module = OwnerModule(__builtin_extract_return_addr(__builtin_return_address(0)));
    Registry().Editors.push_back({PropertyType.Kind, UpperCase(PropertyType.Name), ComponentClass,
                                  UpperCase(PropertyName), EditorClass, Module});
}

TPropertyEditorClass FindPropertyEditor(const TClassInfo* ComponentClass,
                                        const TPropertyInfo& Property) {
    const TEditorRegistration* Best = nullptr;
    auto Rank = [](const TEditorRegistration& E) {
        int Depth = E.ComponentClass == nullptr ? -1 : E.ComponentClass->Depth();
        return std::make_tuple(Depth, !E.PropertyName.empty());
    };
    for (const TEditorRegistration& E : Registry().Editors) {
        bool Fits =
            E.Kind == Property.Type.Kind && E.TypeName == UpperCase(Property.Type.Name) &&
            (E.ComponentClass == nullptr ||
             (ComponentClass != nullptr && ComponentClass->InheritsFrom(E.ComponentClass))) &&
            (E.PropertyName.empty() || E.PropertyName == UpperCase(Property.Name));
        if (Fits && (Best == nullptr || Rank(E) >= Rank(*Best)))
            Best = &E;
    }
    return Best == nullptr ? nullptr : Best->EditorClass;
}

std::unique_ptr<TPropertyEditor> GetPropertyEditor(const std::vector<TComponent*>& Selection,
                                                   const String& PropertyName) {
    if (Selection.empty())
        throw EDesignError("No component is selected");
    // 1. Every selected component must have the property and be edited by one editor class.
    const TPropertyInfo* Property = nullptr;
    TPropertyEditorClass EditorClass = nullptr;
    for (TComponent* Component : Selection) {
        const TClassInfo* Info = ClassInfoOf(Component);
        const TPropertyInfo* Own = Info == nullptr ? nullptr : Info->FindProperty(PropertyName);
        if (Own == nullptr)
            throw EDesignError(Component->GetName() + " has no property " + PropertyName);
        TPropertyEditorClass OwnEditor = EditorClassFor(Info, *Own);
        if (Property == nullptr) {
            Property = Own;
            EditorClass = OwnEditor;
        } else if (OwnEditor != EditorClass || Own->Type.Kind != Property->Type.Kind) {
            throw EDesignError("Property " + PropertyName +
                               " cannot be edited for these components together");
        }
    }
    // 2. The editor, if it allows the selection.
    std::unique_ptr<TPropertyEditor> Editor = EditorClass(*Property, Selection);
    if (Selection.size() > 1 && !Editor->GetAttributes().Contains(paMultiSelect))
        throw EDesignError("Property " + PropertyName +
                           " cannot be edited for several components at once");
    return Editor;
}

// ---- TPropertyEditor ----

TPropertyEditor::TPropertyEditor(const TPropertyInfo& Property, std::vector<TComponent*> Components)
    : FProperty(&Property), FComponents(std::move(Components)) {
    Assert(!FComponents.empty(), "TPropertyEditor() No component to edit");
}

TPropertyAttributes TPropertyEditor::GetAttributes() const {
    return {paRevertable};
}

void TPropertyEditor::GetValues(const TGetStrProc&) const {}

bool TPropertyEditor::AllEqual() const {
    TPropertyValue First = GetPropValue(0);
    for (int I = 1; I < PropCount(); ++I)
        if (GetPropValue(I) != First)
            return false;
    return true;
}

int TPropertyEditor::GetEditLimit() const {
    return 255;
}

TComponent* TPropertyEditor::GetComponent(int Index) const {
    if (Index < 0 || Index >= PropCount())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return FComponents[static_cast<size_t>(Index)];
}

TPropertyValue TPropertyEditor::GetPropValue(int Index) const {
    return FProperty->Get(GetComponent(Index));
}

void TPropertyEditor::SetPropValue(const TPropertyValue& Value) {
    for (TComponent* Component : FComponents)
        FProperty->Set(Component, Value);
}

String TPropertyEditor::GetStrValue() const {
    return ValueAsString(GetPropValue(), GetName());
}

void TPropertyEditor::SetStrValue(const String& Value) {
    SetPropValue(Value);
}

int64_t TPropertyEditor::GetOrdValue() const {
    return ValueAsInteger(GetPropValue(), GetName());
}

void TPropertyEditor::SetOrdValue(int64_t Value) {
    SetPropValue(Value);
}

// ---- Default editors ----

TPropertyAttributes TStringProperty::GetAttributes() const {
    return {paMultiSelect, paRevertable};
}

String TStringProperty::GetValue() const {
    return GetStrValue();
}

void TStringProperty::SetValue(const String& Value) {
    SetStrValue(Value);
}

TPropertyAttributes TIntegerProperty::GetAttributes() const {
    return {paMultiSelect, paRevertable};
}

String TIntegerProperty::GetValue() const {
    return IntToStr(GetOrdValue());
}

void TIntegerProperty::SetValue(const String& Value) {
    String Text = Trim(Value);
    size_t Used = 0;
    int64_t Number = 0;
    try {
        Number = std::stoll(Text, &Used, 10);
    } catch (const std::exception&) {
        InvalidValue(Value, GetName());
    }
    if (Used != Text.size())
        InvalidValue(Value, GetName());
    SetOrdValue(Number);
}

TPropertyAttributes TEnumProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

std::vector<String> TEnumProperty::Names() const {
    return ValueNames(GetPropInfo().Type);
}

String TEnumProperty::GetValue() const {
    TPropertyValue Value = GetPropValue();
    if (const bool* Flag = std::get_if<bool>(&Value))
        return *Flag ? "True" : "False";
    int64_t Ordinal = ValueAsInteger(Value, GetName());
    std::vector<String> All = Names();
    return Ordinal >= 0 && Ordinal < static_cast<int64_t>(All.size())
               ? All[static_cast<size_t>(Ordinal)]
               : IntToStr(Ordinal);
}

void TEnumProperty::SetValue(const String& Value) {
    int Ordinal = OrdinalOf(Names(), Value);
    if (Ordinal < 0)
        InvalidValue(Value, GetName());
    if (GetPropInfo().Type.Kind == tkBoolean)
        SetPropValue(Ordinal == 1);
    else
        SetOrdValue(Ordinal);
}

void TEnumProperty::GetValues(const TGetStrProc& Proc) const {
    for (const String& Name : Names())
        Proc(Name);
}

TPropertyAttributes TSetProperty::GetAttributes() const {
    return {paMultiSelect, paRevertable};
}

String TSetProperty::GetValue() const {
    int64_t Bits = GetOrdValue();
    const std::vector<String>& Members = GetPropInfo().Type.EnumNames;
    String Result;
    for (size_t I = 0; I < Members.size(); ++I)
        if ((Bits >> I & 1) != 0)
            Result += (Result.empty() ? "" : ",") + Members[I];
    return "[" + Result + "]";
}

void TSetProperty::SetValue(const String& Value) {
    String Text = Trim(Value);
    if (Text.size() < 2 || Text.front() != '[' || Text.back() != ']')
        InvalidValue(Value, GetName());
    int64_t Bits = 0;
    String Members = Trim(Text.substr(1, Text.size() - 2));
    std::istringstream In(Members);
    for (String Member; !Members.empty() && std::getline(In, Member, ',');) {
        int Ordinal = OrdinalOf(GetPropInfo().Type.EnumNames, Member);
        if (Ordinal < 0)
            InvalidValue(Value, GetName());
        Bits |= int64_t{1} << Ordinal;
    }
    SetOrdValue(Bits);
}

TPropertyAttributes TComponentProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

std::vector<TComponent*> TComponentProperty::Candidates() const {
    std::vector<TComponent*> Result;
    const TClassInfo* Wanted = FindClassInfo(GetPropInfo().Type.ClassName);
    TComponent* Form = GetComponent(0)->GetOwner();
    if (Wanted == nullptr || Form == nullptr)
        return Result;
    for (int I = 0; I < Form->ComponentCount(); ++I) {
        TComponent* Candidate = Form->Components(I);
        if (!Candidate->GetName().empty() && Wanted->IsInstance(Candidate))
            Result.push_back(Candidate);
    }
    return Result;
}

String TComponentProperty::GetValue() const {
    TComponent* Component = ValueAsComponent(GetPropValue(), GetName());
    return Component == nullptr ? "" : Component->GetName();
}

void TComponentProperty::SetValue(const String& Value) {
    if (Trim(Value).empty()) {
        SetPropValue(static_cast<TComponent*>(nullptr));
        return;
    }
    for (TComponent* Candidate : Candidates())
        if (UpperCase(Candidate->GetName()) == UpperCase(Trim(Value))) {
            SetPropValue(Candidate);
            return;
        }
    InvalidValue(Value, GetName());
}

void TComponentProperty::GetValues(const TGetStrProc& Proc) const {
    for (TComponent* Candidate : Candidates())
        Proc(Candidate->GetName());
}

TPropertyAttributes TStringsProperty::GetAttributes() const {
    return {paDialog, paRevertable};
}

String TStringsProperty::GetValue() const {
    return "(TStrings)";
}

void TStringsProperty::SetValue(const String& Value) {
    TStringList Lines;
    Lines.SetText(Value);
    std::vector<String> Strings;
    for (int I = 0; I < Lines.Count(); ++I)
        Strings.push_back(Lines[I]);
    SetPropValue(Strings);
}

}  // namespace platform
