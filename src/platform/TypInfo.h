// Published properties: each component class lists its published properties in a class
// description (name, type, getter, setter), which form files and the designer use to read
// and write them. Classes are registered by name so that form files can make them.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <typeindex>
#include <variant>
#include <vector>

#include "platform/Classes.h"

namespace platform {

enum TTypeKind : uint8_t {
    tkInteger,
    tkBoolean,
    tkString,
    tkEnumeration,  // Value: the ordinal
    tkSet,          // Value: the bits, bit n for ordinal n
    tkClass,        // Value: a component, referred to by name in form files
    tkStrings       // Value: a list of strings
};

struct TTypeInfo {
    TTypeKind Kind;
    String Name;                    // "Integer", "TFilterKind", "TDataSource", ...
    std::vector<String> EnumNames;  // the values of an enumeration, or of a set's elements
    String ClassName;               // tkClass: the class a referenced component must be
};

// A property's value: nothing, an integer (also enumerations and sets), a boolean, a text,
// a component (or null) or a list of strings.
using TPropertyValue =
    std::variant<std::monostate, int64_t, bool, String, TComponent*, std::vector<String>>;

class TClassInfo;

struct TPropertyInfo {
    String Name;
    TTypeInfo Type;
    std::function<TPropertyValue(const TObject*)> Get;
    std::function<void(TObject*, const TPropertyValue&)> Set;
};

// A component class: its name, its parent class, how to make one, its own properties.
class TClassInfo {
public:
    TClassInfo(String Name, const TClassInfo* Parent,
               std::function<TComponent*(TComponent* Owner)> Create)
        : FName(std::move(Name)), FParent(Parent), FCreate(std::move(Create)) {}

    const String& Name() const { return FName; }
    const TClassInfo* Parent() const { return FParent; }
    bool CanCreate() const { return static_cast<bool>(FCreate); }
    TComponent* Create(TComponent* Owner) const;
    bool InheritsFrom(const TClassInfo* Other) const;
    // Every published property, the parent class's first.
    std::vector<const TPropertyInfo*> Properties() const;
    // The property named Name (letter case ignored), or null.
    const TPropertyInfo* FindProperty(const String& Name) const;
    void AddProperty(TPropertyInfo Info) { FProperties.push_back(std::move(Info)); }
    // Whether an object is of this class or of one derived from it.
    std::function<bool(const TObject*)> IsInstance;
    int Depth() const { return FParent == nullptr ? 0 : FParent->Depth() + 1; }

private:
    String FName;
    const TClassInfo* FParent;
    std::function<TComponent*(TComponent*)> FCreate;
    std::vector<TPropertyInfo> FProperties;
};

// The registry of classes, by name and by C++ type.
void RegisterClassInfo(const TClassInfo* Info, std::type_index Type);
const TClassInfo* FindClassInfo(const String& Name);
// Takes the class of a C++ type out of the registry: a library whose classes it registered
// does so when it is unloaded, so that no description refers to code that is gone.
// REQUIRES: no registered class derives from it.
void UnregisterClassInfo(std::type_index Type);
// The description of an object's class, or of its nearest registered ancestor's.
const TClassInfo* ClassInfoOf(const TObject* Object);

// Type descriptions for property tables.
TTypeInfo IntegerType(const String& Name = "Integer");
TTypeInfo BooleanType();
TTypeInfo StringType();
TTypeInfo StringsType();
TTypeInfo EnumType(const String& Name, std::vector<String> Names);
TTypeInfo SetType(const String& Name, std::vector<String> ElementNames);
TTypeInfo ClassType(const String& ClassName);

// Builds the description of class T, derived from the registered class of Base:
//   TClassBuilder<TTable>("TTable", "TDBDataSet")
//       .Property("TableName", StringType(), &TTable::GetTableName, &TTable::SetTableName);
// Getters and setters may use enumerations, TSet, integers, bool, String, TStrings* and
// pointers to components.
template <typename T>
class TClassBuilder {
public:
    TClassBuilder(const String& Name, const String& Parent, bool Creatable = true);
    ~TClassBuilder();

    template <typename Getter, typename Setter>
    TClassBuilder& Property(const String& Name, TTypeInfo Type, Getter Get, Setter Set);

private:
    std::unique_ptr<TClassInfo> FInfo;
};

// A value of a property in the form the property takes it; fails with EConvertError when
// the value is of another kind.
int64_t ValueAsInteger(const TPropertyValue& Value, const String& Property);
bool ValueAsBoolean(const TPropertyValue& Value, const String& Property);
String ValueAsString(const TPropertyValue& Value, const String& Property);
TComponent* ValueAsComponent(const TPropertyValue& Value, const String& Property);
std::vector<String> ValueAsStrings(const TPropertyValue& Value, const String& Property);

namespace detail {

template <typename V>
TPropertyValue ToPropertyValue(const V& Value) {
    using D = std::decay_t<V>;
    if constexpr (std::is_same_v<D, bool>) {
        return Value;
    } else if constexpr (std::is_same_v<D, String>) {
        return Value;
    } else if constexpr (std::is_enum_v<D> || std::is_integral_v<D>) {
        return static_cast<int64_t>(Value);
    } else if constexpr (std::is_pointer_v<D> &&
                         std::is_base_of_v<TStrings, std::remove_pointer_t<D>>) {
        std::vector<String> Lines;
        if (Value)
            for (int I = 0; I < Value->Count(); ++I) Lines.push_back(Value->Get(I));
        return Lines;
    } else if constexpr (std::is_pointer_v<D>) {
        return static_cast<TComponent*>(Value);
    } else {
        return static_cast<int64_t>(Value.Bits());  // a TSet
    }
}

template <typename T, typename C, typename V>
void SetFromPropertyValue(T* Object, void (C::*Setter)(V), const TPropertyValue& Value,
                          const String& Name) {
    using D = std::decay_t<V>;
    if constexpr (std::is_same_v<D, bool>) {
        (Object->*Setter)(ValueAsBoolean(Value, Name));
    } else if constexpr (std::is_same_v<D, String>) {
        (Object->*Setter)(ValueAsString(Value, Name));
    } else if constexpr (std::is_enum_v<D> || std::is_integral_v<D>) {
        (Object->*Setter)(static_cast<D>(ValueAsInteger(Value, Name)));
    } else if constexpr (std::is_pointer_v<D>) {
        using Target = std::remove_const_t<std::remove_pointer_t<D>>;
        TComponent* Component = ValueAsComponent(Value, Name);
        auto* Typed = dynamic_cast<Target*>(Component);
        if (Component != nullptr && Typed == nullptr)
            throw EConvertError("Invalid value for property " + Name + ": a " +
                                Component->ClassName() + " is not of the property's class");
        (Object->*Setter)(Typed);
    } else {
        using Storage = decltype(D().Bits());
        (Object->*Setter)(D::FromBits(static_cast<Storage>(ValueAsInteger(Value, Name))));
    }
}

}  // namespace detail

template <typename T>
TClassBuilder<T>::TClassBuilder(const String& Name, const String& Parent, bool Creatable) {
    const TClassInfo* ParentInfo = Parent.empty() ? nullptr : FindClassInfo(Parent);
    if (!Parent.empty() && ParentInfo == nullptr)
        throw EAssertionFailed("Class " + Name + " registered before its parent " + Parent);
    std::function<TComponent*(TComponent*)> Create;
    if constexpr (std::is_constructible_v<T, TComponent*>)
        if (Creatable) Create = [](TComponent* Owner) -> TComponent* { return new T(Owner); };
    FInfo = std::make_unique<TClassInfo>(Name, ParentInfo, Create);
    FInfo->IsInstance = [](const TObject* Object) {
        return dynamic_cast<const T*>(Object) != nullptr;
    };
}

template <typename T>
TClassBuilder<T>::~TClassBuilder() {
    RegisterClassInfo(FInfo.release(), std::type_index(typeid(T)));
}

template <typename T>
template <typename Getter, typename Setter>
TClassBuilder<T>& TClassBuilder<T>::Property(const String& Name, TTypeInfo Type, Getter Get,
                                             Setter Set) {
    TPropertyInfo Info{Name, std::move(Type), nullptr, nullptr};
    Info.Get = [Get](const TObject* Object) {
        return detail::ToPropertyValue((static_cast<const T*>(Object)->*Get)());
    };
    if constexpr (std::is_same_v<Setter, std::nullptr_t>) {
        // A list of strings is set through the list the getter gives.
        Info.Set = [Get, Name](TObject* Object, const TPropertyValue& Value) {
            TStrings* Lines = (static_cast<T*>(Object)->*Get)();
            Lines->BeginUpdate();
            Lines->Clear();
            for (const String& Line : ValueAsStrings(Value, Name)) Lines->Add(Line);
            Lines->EndUpdate();
        };
    } else {
        Info.Set = [Set, Name](TObject* Object, const TPropertyValue& Value) {
            detail::SetFromPropertyValue(static_cast<T*>(Object), Set, Value, Name);
        };
    }
    FInfo->AddProperty(std::move(Info));
    return *this;
}

}  // namespace platform
