// The class registry and property values.
#include "platform/TypInfo.h"

namespace platform {

void RegisterPlatformClasses();  // PlatformClasses.cpp

namespace {

struct TRegistry {
    std::map<String, std::unique_ptr<const TClassInfo>> ByName;  // upper-cased names
    std::map<std::type_index, const TClassInfo*> ByType;
};

TRegistry& Registry() {
    static TRegistry Instance;
    return Instance;
}

// The platform's own classes come first, whoever asks first. Registering them asks for
// their parents again, which must not start over.
void EnsurePlatformClasses() {
    static bool Started = false;
    if (Started)
        return;
    Started = true;
    RegisterPlatformClasses();
}

const char* KindName(const TPropertyValue& Value) {
    switch (Value.index()) {
        case 0:
            return "nothing";
        case 1:
            return "a number";
        case 2:
            return "a boolean";
        case 3:
            return "a string";
        case 4:
            return "a component";
        default:
            return "a list of strings";
    }
}

EConvertError WrongKind(const TPropertyValue& Value, const String& Property, const char* Wanted) {
    return EConvertError("Invalid value for property " + Property + ": " + KindName(Value) +
                         " where " + Wanted + " is expected");
}

}  // namespace

TComponent* TClassInfo::Create(TComponent* Owner) const {
    if (!FCreate)
        throw EConvertError("Class " + FName + " cannot be created");
    return FCreate(Owner);
}

bool TClassInfo::InheritsFrom(const TClassInfo* Other) const {
    for (const TClassInfo* C = this; C != nullptr; C = C->FParent)
        if (C == Other)
            return true;
    return false;
}

std::vector<const TPropertyInfo*> TClassInfo::Properties() const {
    std::vector<const TPropertyInfo*> Result;
    if (FParent != nullptr)
        Result = FParent->Properties();
    for (const TPropertyInfo& P : FProperties)
        Result.push_back(&P);
    return Result;
}

const TPropertyInfo* TClassInfo::FindProperty(const String& Name) const {
    String Key = UpperCase(Name);
    for (const TClassInfo* C = this; C != nullptr; C = C->FParent)
        for (const TPropertyInfo& P : C->FProperties)
            if (UpperCase(P.Name) == Key)
                return &P;
    return nullptr;
}

void RegisterClassInfo(const TClassInfo* Info, std::type_index Type) {
    EnsurePlatformClasses();
    TRegistry& R = Registry();
    R.ByName[UpperCase(Info->Name())].reset(Info);
    R.ByType[Type] = Info;
}

void UnregisterClassInfo(std::type_index Type) {
    TRegistry& R = Registry();
    auto It = R.ByType.find(Type);
    if (It == R.ByType.end())
        return;
    String Key = UpperCase(It->second->Name());
    R.ByType.erase(It);
    R.ByName.erase(Key);
}

const TClassInfo* FindClassInfo(const String& Name) {
    EnsurePlatformClasses();
    auto It = Registry().ByName.find(UpperCase(Name));
    return It == Registry().ByName.end() ? nullptr : It->second.get();
}

const TClassInfo* ClassInfoOf(const TObject* Object) {
    EnsurePlatformClasses();
    if (Object == nullptr)
        return nullptr;
    auto It = Registry().ByType.find(std::type_index(typeid(*Object)));
    if (It != Registry().ByType.end())
        return It->second;
    // A class of the application's own, derived from a registered one, is described as
    // its nearest registered ancestor: try the registered classes from the most derived.
    const TClassInfo* Best = nullptr;
    for (const auto& Entry : Registry().ByType) {
        const TClassInfo* Info = Entry.second;
        if (Info->IsInstance(Object) && (Best == nullptr || Info->Depth() > Best->Depth()))
            Best = Info;
    }
    return Best;
}

TTypeInfo IntegerType(const String& Name) {
    return {tkInteger, Name, {}, {}};
}
TTypeInfo BooleanType() {
    return {tkBoolean, "Boolean", {}, {}};
}
TTypeInfo StringType() {
    return {tkString, "String", {}, {}};
}
TTypeInfo StringsType() {
    return {tkStrings, "TStrings", {}, {}};
}
TTypeInfo EnumType(const String& Name, std::vector<String> Names) {
    return {tkEnumeration, Name, std::move(Names), {}};
}
TTypeInfo SetType(const String& Name, std::vector<String> ElementNames) {
    return {tkSet, Name, std::move(ElementNames), {}};
}
TTypeInfo ClassType(const String& ClassName) {
    return {tkClass, ClassName, {}, ClassName};
}

int64_t ValueAsInteger(const TPropertyValue& Value, const String& Property) {
    if (auto* V = std::get_if<int64_t>(&Value))
        return *V;
    throw WrongKind(Value, Property, "a number");
}

bool ValueAsBoolean(const TPropertyValue& Value, const String& Property) {
    if (auto* V = std::get_if<bool>(&Value))
        return *V;
    throw WrongKind(Value, Property, "a boolean");
}

String ValueAsString(const TPropertyValue& Value, const String& Property) {
    if (auto* V = std::get_if<String>(&Value))
        return *V;
    throw WrongKind(Value, Property, "a string");
}

TComponent* ValueAsComponent(const TPropertyValue& Value, const String& Property) {
    if (auto* V = std::get_if<TComponent*>(&Value))
        return *V;
    if (std::holds_alternative<std::monostate>(Value))
        return nullptr;
    throw WrongKind(Value, Property, "a component");
}

std::vector<String> ValueAsStrings(const TPropertyValue& Value, const String& Property) {
    if (auto* V = std::get_if<std::vector<String>>(&Value))
        return *V;
    throw WrongKind(Value, Property, "a list of strings");
}

}  // namespace platform
