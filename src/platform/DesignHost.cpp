// The designer host: package installation, the designed form and property editing.
#include "platform/DesignHost.h"

#include <algorithm>
#include <utility>

#include "platform/Controls.h"
#include "platform/FormFiles.h"

namespace platform {

TDesignHost::TDesignHost() : FDesigner(std::make_unique<TComponent>(nullptr)) {
    FDesigner->SetDesigning(true);
}

TDesignHost::~TDesignHost() {
    FreeForm();
    while (!FPackages.empty())
        UninstallPackage(FPackages.back());
}

// ---- Packages ----

TModule TDesignHost::InstallPackage(const String& NameOrPath) {
    TModule Module = LoadPackage(NameOrPath);
    if (std::find(FPackages.begin(), FPackages.end(), Module) != FPackages.end()) {
        UnloadPackage(Module);
        throw EDesignError("Package " + NameOrPath + " is installed already");
    }
    try {
        TPackageInfo Info = GetPackageInfo(Module);
        if (Info.Flags.Contains(pfRunOnly))
            throw EDesignError("Package " + Info.Name() + " is run-only and cannot be installed");
        TRegistrationScope Scope(Module);
        for (const String& Unit : Info.OwnUnits())
            if (void* Register = FindPackageSymbol(Module, Unit + "_Register"))
                reinterpret_cast<void (*)()>(Register)();
    } catch (...) {
        UnregisterModuleClasses(Module);
        UnloadPackage(Module);
        throw;
    }
    FPackages.push_back(Module);
    return Module;
}

void TDesignHost::UninstallPackage(TModule Module) {
    FreeForm();
    UnregisterModuleClasses(Module);
    UnloadPackage(Module);
    std::erase(FPackages, Module);
}

TResource TDesignHost::FindPackageResource(const String& Name) const {
    for (TModule Module : FPackages)
        if (TResource Resource = FindResource(Module, Name); Resource.Found())
            return Resource;
    return {};
}

// ---- The form ----

void TDesignHost::FreeForm() {
    delete std::exchange(FForm, nullptr);
}

TComponent* TDesignHost::NewForm(const String& FormClass) {
    const TClassInfo* Info = FindClassInfo(FormClass);
    if (Info == nullptr || !Info->CanCreate())
        throw EDesignError("Class " + FormClass + " cannot be made");
    FreeForm();
    FForm = Info->Create(FDesigner.get());
    FForm->SetName("Form1");
    return FForm;
}

TComponent* TDesignHost::LoadForm(const String& Text) {
    TComponent* Form = ReadFormText(Text, FDesigner.get(), true);
    FreeForm();
    FForm = Form;
    return FForm;
}

String TDesignHost::NewComponentName(const TClassInfo& Info) const {
    String Base = Info.Name();
    if (Base.size() > 1 && (Base[0] == 'T' || Base[0] == 't'))
        Base.erase(0, 1);
    for (int Number = 1;; ++Number) {
        String Name = Base + IntToStr(Number);
        if (FForm->FindComponent(Name) == nullptr && UpperCase(FForm->GetName()) != UpperCase(Name))
            return Name;
    }
}

TComponent* TDesignHost::CreateComponent(const String& ClassName) {
    if (FForm == nullptr)
        throw EDesignError("There is no form to put a " + ClassName + " on");
    const TClassInfo* Info = FindClassInfo(ClassName);
    if (Info == nullptr || !Info->CanCreate())
        throw EDesignError("Class " + ClassName + " cannot be made");
    TComponent* Component = Info->Create(FForm);
    Component->SetName(NewComponentName(*Info));
    auto* Control = dynamic_cast<TControl*>(Component);
    auto* Parent = dynamic_cast<TWinControl*>(FForm);
    if (Control != nullptr && Parent != nullptr)
        Control->SetParent(Parent);
    return Component;
}

// ---- Properties ----

String TDesignHost::GetPropertyValue(const std::vector<TComponent*>& Selection,
                                     const String& Property) const {
    std::unique_ptr<TPropertyEditor> Editor = GetPropertyEditor(Selection, Property);
    return Editor->AllEqual() ? Editor->GetValue() : String();
}

void TDesignHost::SetPropertyValue(const std::vector<TComponent*>& Selection,
                                   const String& Property, const String& Value) {
    std::unique_ptr<TPropertyEditor> Editor = GetPropertyEditor(Selection, Property);
    if (Editor->GetAttributes().Contains(paReadOnly))
        throw EDesignError("Property " + Property + " is read-only");
    if (static_cast<int64_t>(Value.size()) > Editor->GetEditLimit())
        throw EDesignError("The value of " + Property + " is longer than " +
                           IntToStr(Editor->GetEditLimit()) + " characters");
    Editor->SetValue(Value);
}

std::vector<String> TDesignHost::GetPropertyValues(const std::vector<TComponent*>& Selection,
                                                   const String& Property) const {
    std::unique_ptr<TPropertyEditor> Editor = GetPropertyEditor(Selection, Property);
    TPropertyAttributes Attributes = Editor->GetAttributes();
    if (!Attributes.Contains(paValueList))
        throw EDesignError("Property " + Property + " has no value list");
    TStringList Values;
    Editor->GetValues([&Values](const String& Value) { Values.Add(Value); });
    if (Attributes.Contains(paSortList))
        Values.Sort();
    std::vector<String> Result;
    for (int I = 0; I < Values.Count(); ++I)
        Result.push_back(Values[I]);
    return Result;
}

}  // namespace platform
