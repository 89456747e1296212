// Reading and writing form files.
#include "platform/FormFiles.h"

#include <memory>
#include <sstream>

#include "platform/Controls.h"
#include "platform/TypInfo.h"

namespace platform {

namespace {

// ---- Writing ----

String QuoteText(const String& Text) {
    if (Text.empty())
        return "''";
    String Result;
    bool InQuotes = false;
    for (char C : Text) {
        auto Byte = static_cast<unsigned char>(C);
        if (Byte >= 32 && Byte <= 126) {
            if (!InQuotes)
                Result += '\'';
            InQuotes = true;
            if (C == '\'')
                Result += "''";
            else
                Result += C;
        } else {
            if (InQuotes)
                Result += '\'';
            InQuotes = false;
            Result += '#';
            Result += std::to_string(Byte);
        }
    }
    if (InQuotes)
        Result += '\'';
    return Result;
}

// The block a component is written in: its parent's, for a control whose parent is
// another component of the form; else the root's.
const TComponent* Container(const TComponent* Root, const TComponent* Component) {
    if (auto* Control = dynamic_cast<const TControl*>(Component)) {
        const TWinControl* Parent = Control->GetParent();
        if (Parent != nullptr && Parent != Root && Parent->GetOwner() == Root)
            return Parent;
    }
    return Root;
}

String ValueText(const TPropertyInfo& Property, const TPropertyValue& Value, const String& Indent) {
    switch (Property.Type.Kind) {
        case tkInteger:
            return std::to_string(ValueAsInteger(Value, Property.Name));
        case tkBoolean:
            return ValueAsBoolean(Value, Property.Name) ? "True" : "False";
        case tkString:
            return QuoteText(ValueAsString(Value, Property.Name));
        case tkEnumeration: {
            int64_t Ordinal = ValueAsInteger(Value, Property.Name);
            const auto& Names = Property.Type.EnumNames;
            return Ordinal >= 0 && Ordinal < static_cast<int64_t>(Names.size())
                       ? Names[static_cast<size_t>(Ordinal)]
                       : std::to_string(Ordinal);
        }
        case tkSet: {
            int64_t Bits = ValueAsInteger(Value, Property.Name);
            String Result = "[";
            for (size_t I = 0; I < Property.Type.EnumNames.size(); ++I) {
                if ((Bits >> I & 1) == 0)
                    continue;
                if (Result.size() > 1)
                    Result += ", ";
                Result += Property.Type.EnumNames[I];
            }
            return Result + "]";
        }
        case tkClass: {
            TComponent* Component = ValueAsComponent(Value, Property.Name);
            return Component == nullptr || Component->GetName().empty() ? "nil"
                                                                        : Component->GetName();
        }
        case tkStrings: {
            std::vector<String> Lines = ValueAsStrings(Value, Property.Name);
            String Result = "(";
            for (const String& Line : Lines)
                Result += "\n" + Indent + "  " + QuoteText(Line);
            return Result + ")";
        }
    }
    return "";
}

void WriteObject(std::ostringstream& Out, const TComponent* Root, const TComponent* Component,
                 const String& Indent) {
    const TClassInfo* Info = ClassInfoOf(Component);
    if (Info == nullptr)
        throw EFormFileError("Class " + Component->ClassName() + " is not registered");
    Out << Indent << "object " << Component->GetName() << ": " << Info->Name() << "\n";
    for (const TPropertyInfo* Property : Info->Properties())
        Out << Indent << "  " << Property->Name << " = "
            << ValueText(*Property, Property->Get(Component), Indent + "  ") << "\n";
    for (int I = 0; I < Root->ComponentCount(); ++I) {
        const TComponent* Child = Root->Components(I);
        if (Child != Component && Container(Root, Child) == Component)
            WriteObject(Out, Root, Child, Indent + "  ");
    }
    Out << Indent << "end\n";
}

// ---- Reading ----

enum TTokenKind { tkEnd, tkIdent, tkString, tkNumber, tkSymbol };

struct TToken {
    TTokenKind Kind = tkEnd;
    String Text;  // the identifier, the string's bytes, the number, the symbol
    int Line = 0;
};

class TLexer {
  public:
    explicit TLexer(const String& Text) : FText(Text) {}

    TToken Next() {
        SkipBlanks();
        TToken Token;
        Token.Line = FLine;
        if (FAt >= FText.size())
            return Token;
        char C = FText[FAt];
        if (IsIdentStart(C)) {
            size_t Start = FAt;
            while (FAt < FText.size() &&
                   (IsIdentStart(FText[FAt]) || IsDigit(FText[FAt]) || FText[FAt] == '.'))
                ++FAt;
            Token.Kind = tkIdent;
            Token.Text = FText.substr(Start, FAt - Start);
        } else if (C == '\'' || C == '#') {
            Token.Kind = tkString;
            Token.Text = ReadString(Token.Line);
        } else if (IsDigit(C) || C == '-' || C == '$') {
            size_t Start = FAt++;
            while (FAt < FText.size() && (IsDigit(FText[FAt]) || IsHex(FText[FAt])))
                ++FAt;
            Token.Kind = tkNumber;
            Token.Text = FText.substr(Start, FAt - Start);
        } else {
            Token.Kind = tkSymbol;
            Token.Text = String(1, C);
            ++FAt;
        }
        return Token;
    }

  private:
    static bool IsIdentStart(char C) {
        return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
    }
    static bool IsDigit(char C) { return C >= '0' && C <= '9'; }
    static bool IsHex(char C) { return (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f'); }

    void SkipBlanks() {
        while (FAt < FText.size() && static_cast<unsigned char>(FText[FAt]) <= 32) {
            if (FText[FAt] == '\n')
                ++FLine;
            ++FAt;
        }
    }

    // Quoted parts and #nnn bytes, side by side, make one string.
    String ReadString(int Line) {
        String Result;
        while (FAt < FText.size() && (FText[FAt] == '\'' || FText[FAt] == '#')) {
            if (FText[FAt] == '#') {
                size_t Start = ++FAt;
                while (FAt < FText.size() && IsDigit(FText[FAt]))
                    ++FAt;
                int Code = FAt > Start && FAt - Start <= 3
                               ? std::stoi(FText.substr(Start, FAt - Start))
                               : 256;
                if (Code > 255)
                    throw EFormFileError("Line " + std::to_string(Line) +
                                         ": invalid character code");
                Result += static_cast<char>(Code);
                continue;
            }
            ++FAt;
            for (;;) {
                if (FAt >= FText.size() || FText[FAt] == '\n')
                    throw EFormFileError("Line " + std::to_string(Line) + ": unterminated string");
                if (FText[FAt] == '\'') {
                    if (FAt + 1 < FText.size() && FText[FAt + 1] == '\'') {
                        Result += '\'';
                        FAt += 2;
                        continue;
                    }
                    ++FAt;
                    break;
                }
                Result += FText[FAt++];
            }
        }
        return Result;
    }

    const String& FText;
    size_t FAt = 0;
    int FLine = 1;
};

// A value as written, before it is known what the property takes.
struct TRawValue {
    enum { rvIdent, rvString, rvNumber, rvSet, rvList } Kind;
    String Text;
    std::vector<String> Items;  // set members, list strings
};

struct TObjectNode {
    String Name;
    String ClassName;
    int Line = 0;
    std::vector<std::tuple<String, TRawValue, int>> Properties;  // name, value, line
    std::vector<std::unique_ptr<TObjectNode>> Children;
};

class TParser {
  public:
    explicit TParser(const String& Text) : FLexer(Text) { Advance(); }

    std::unique_ptr<TObjectNode> ParseForm() {
        auto Root = ParseObject();
        if (FToken.Kind != tkEnd)
            Fail("text after the end of the form");
        return Root;
    }

  private:
    [[noreturn]] void Fail(const String& What) const {
        throw EFormFileError("Line " + std::to_string(FToken.Line) + ": " + What);
    }
    void Advance() { FToken = FLexer.Next(); }
    bool IsWord(const char* Word) const {
        return FToken.Kind == tkIdent && UpperCase(FToken.Text) == UpperCase(Word);
    }
    void Expect(const char* Symbol) {
        if (FToken.Kind != tkSymbol || FToken.Text != Symbol)
            Fail(String("'") + Symbol + "' expected");
        Advance();
    }

    std::unique_ptr<TObjectNode> ParseObject() {
        if (!IsWord("object"))
            Fail("'object' expected");
        auto Node = std::make_unique<TObjectNode>();
        Node->Line = FToken.Line;
        Advance();
        if (FToken.Kind != tkIdent)
            Fail("a component name expected");
        Node->Name = FToken.Text;
        Advance();
        Expect(":");
        if (FToken.Kind != tkIdent)
            Fail("a class name expected");
        Node->ClassName = FToken.Text;
        Advance();
        for (;;) {
            if (FToken.Kind == tkEnd)
                throw EFormFileError("Line " + std::to_string(Node->Line) + ": object " +
                                     Node->Name + " has no end");
            if (IsWord("end")) {
                Advance();
                return Node;
            }
            if (IsWord("object")) {
                Node->Children.push_back(ParseObject());
                continue;
            }
            if (FToken.Kind != tkIdent)
                Fail("a property name expected");
            String Name = FToken.Text;
            int Line = FToken.Line;
            Advance();
            Expect("=");
            Node->Properties.emplace_back(Name, ParseValue(), Line);
        }
    }

    TRawValue ParseValue() {
        TRawValue Value{};
        switch (FToken.Kind) {
            case tkIdent:
                Value = {TRawValue::rvIdent, FToken.Text, {}};
                break;
            case tkString:
                Value = {TRawValue::rvString, FToken.Text, {}};
                break;
            case tkNumber:
                Value = {TRawValue::rvNumber, FToken.Text, {}};
                break;
            case tkSymbol:
                if (FToken.Text == "[")
                    return ParseSet();
                if (FToken.Text == "(")
                    return ParseList();
                Fail("a value expected");
            case tkEnd:
                Fail("a value expected");
        }
        Advance();
        return Value;
    }

    TRawValue ParseSet() {
        TRawValue Value{TRawValue::rvSet, "", {}};
        Advance();
        while (!(FToken.Kind == tkSymbol && FToken.Text == "]")) {
            if (FToken.Kind != tkIdent)
                Fail("a set member expected");
            Value.Items.push_back(FToken.Text);
            Advance();
            if (FToken.Kind == tkSymbol && FToken.Text == ",")
                Advance();
            else if (!(FToken.Kind == tkSymbol && FToken.Text == "]"))
                Fail("']' expected");
        }
        Advance();
        return Value;
    }

    TRawValue ParseList() {
        TRawValue Value{TRawValue::rvList, "", {}};
        Advance();
        while (!(FToken.Kind == tkSymbol && FToken.Text == ")")) {
            if (FToken.Kind != tkString)
                Fail("a string expected in the list");
            Value.Items.push_back(FToken.Text);
            Advance();
        }
        Advance();
        return Value;
    }

    TLexer FLexer;
    TToken FToken;
};

struct TFixup {
    TComponent* Component;
    const TPropertyInfo* Property;
    String Target;
    int Line;
};

class TFormReader {
  public:
    TComponent* Read(const TObjectNode& Root, TComponent* Owner, bool Designing) {
        // Whatever fails, the root goes, and with it everything made for the form.
        try {
            Create(Root, Owner, nullptr, Designing);
            ResolveReferences(FRoot);
            for (size_t I = 0; I < FLoaded.size(); ++I) {
                FLine = FLoadedLines[I];
                FWhat = FLoaded[I]->GetName() + ": ";
                FLoaded[I]->EndLoading();
            }
        } catch (const EFormFileError&) {
            delete FRoot;
            throw;
        } catch (const Exception& E) {
            delete FRoot;
            throw EFormFileError("Line " + std::to_string(FLine) + ": " + FWhat + E.Message());
        }
        return FRoot;
    }

  private:
    [[noreturn]] void Fail(int Line, const String& What) {
        throw EFormFileError("Line " + std::to_string(Line) + ": " + What);
    }

    void Create(const TObjectNode& Node, TComponent* Owner, TComponent* Enclosing, bool Designing) {
        FLine = Node.Line;
        const TClassInfo* Info = FindClassInfo(Node.ClassName);
        if (Info == nullptr)
            Fail(Node.Line, "unknown class " + Node.ClassName + " of " + Node.Name);
        if (!Info->CanCreate())
            Fail(Node.Line, "class " + Node.ClassName + " cannot be created");
        TComponent* Component = nullptr;
        if (FRoot == nullptr) {
            // The root is designing before anything is made for it.
            Component = FRoot = Info->Create(Owner);
            if (Designing)
                FRoot->SetDesigning(true);
        } else {
            Component = Info->Create(FRoot);
        }
        FLoaded.push_back(Component);
        FLoadedLines.push_back(Node.Line);
        Component->BeginLoading();
        try {
            Component->SetName(Node.Name);
        } catch (const Exception& E) {
            Fail(Node.Line, E.Message());
        }
        auto* Control = dynamic_cast<TControl*>(Component);
        auto* Parent = dynamic_cast<TWinControl*>(Enclosing);
        if (Control != nullptr && Parent != nullptr)
            Control->SetParent(Parent);
        for (const auto& [Name, Value, Line] : Node.Properties)
            SetProperty(Component, *Info, Name, Value, Line);
        for (const auto& Child : Node.Children)
            Create(*Child, Owner, Component, Designing);
    }

    void SetProperty(TComponent* Component, const TClassInfo& Info, const String& Name,
                     const TRawValue& Raw, int Line) {
        FLine = Line;
        const TPropertyInfo* Property = Info.FindProperty(Name);
        String Where = Component->GetName() + "." + Name;
        if (Property == nullptr)
            Fail(Line, Where + ": unknown property of " + Info.Name());
        auto Wrong = [&](const String& Wanted) { Fail(Line, Where + ": " + Wanted + " expected"); };
        TPropertyValue Value;
        const TTypeInfo& Type = Property->Type;
        switch (Type.Kind) {
            case tkInteger:
                if (Raw.Kind != TRawValue::rvNumber)
                    Wrong("a number");
                Value = ParseNumber(Raw.Text, Line, Where);
                break;
            case tkBoolean:
                if (Raw.Kind != TRawValue::rvIdent ||
                    (UpperCase(Raw.Text) != "TRUE" && UpperCase(Raw.Text) != "FALSE"))
                    Wrong("True or False");
                Value = UpperCase(Raw.Text) == "TRUE";
                break;
            case tkString:
                if (Raw.Kind != TRawValue::rvString)
                    Wrong("a string");
                Value = Raw.Text;
                break;
            case tkEnumeration: {
                if (Raw.Kind != TRawValue::rvIdent)
                    Wrong("a value of " + Type.Name);
                int Ordinal = OrdinalOf(Type, Raw.Text);
                if (Ordinal < 0)
                    Fail(Line, Where + ": " + Raw.Text + " is not a value of " + Type.Name);
                Value = static_cast<int64_t>(Ordinal);
                break;
            }
            case tkSet: {
                if (Raw.Kind != TRawValue::rvSet)
                    Wrong("a set");
                int64_t Bits = 0;
                for (const String& Member : Raw.Items) {
                    int Ordinal = OrdinalOf(Type, Member);
                    if (Ordinal < 0)
                        Fail(Line, Where + ": " + Member + " is not a member of " + Type.Name);
                    Bits |= int64_t{1} << Ordinal;
                }
                Value = Bits;
                break;
            }
            case tkClass:
                if (Raw.Kind != TRawValue::rvIdent)
                    Wrong("a component name");
                if (UpperCase(Raw.Text) != "NIL") {
                    FFixups.push_back({Component, Property, Raw.Text, Line});
                    return;
                }
                Value = static_cast<TComponent*>(nullptr);
                break;
            case tkStrings:
                if (Raw.Kind != TRawValue::rvList)
                    Wrong("a list of strings");
                Value = Raw.Items;
                break;
        }
        Apply(Component, *Property, Value, Line, Where);
    }

    void Apply(TComponent* Component, const TPropertyInfo& Property, const TPropertyValue& Value,
               int Line, const String& Where) {
        try {
            Property.Set(Component, Value);
        } catch (const Exception& E) {
            Fail(Line, Where + ": " + E.Message());
        }
    }

    static int OrdinalOf(const TTypeInfo& Type, const String& Name) {
        for (size_t I = 0; I < Type.EnumNames.size(); ++I)
            if (UpperCase(Type.EnumNames[I]) == UpperCase(Name))
                return static_cast<int>(I);
        return -1;
    }

    int64_t ParseNumber(const String& Text, int Line, const String& Where) {
        try {
            size_t Used = 0;
            int64_t Number = Text[0] == '$' ? std::stoll(Text.substr(1), &Used, 16)
                                            : std::stoll(Text, &Used, 10);
            if (Used != Text.size() - (Text[0] == '$' ? 1 : 0))
                throw std::invalid_argument(Text);
            return Number;
        } catch (const std::exception&) {
            Fail(Line, Where + ": " + Text + " is not a number");
        }
    }

    void ResolveReferences(TComponent* Root) {
        for (const TFixup& Fixup : FFixups) {
            FLine = Fixup.Line;
            TComponent* Target = UpperCase(Root->GetName()) == UpperCase(Fixup.Target)
                                     ? Root
                                     : Root->FindComponent(Fixup.Target);
            String Where = Fixup.Component->GetName() + "." + Fixup.Property->Name;
            if (Target == nullptr)
                Fail(Fixup.Line, Where + ": unknown component " + Fixup.Target);
            Apply(Fixup.Component, *Fixup.Property, Target, Fixup.Line, Where);
        }
    }

    TComponent* FRoot = nullptr;
    std::vector<TComponent*> FLoaded;
    std::vector<int> FLoadedLines;
    std::vector<TFixup> FFixups;
    int FLine = 0;
    String FWhat;  // the component being loaded, for errors of its own
};

}  // namespace

String WriteFormText(const TComponent* Root) {
    std::ostringstream Out;
    WriteObject(Out, Root, Root, "");
    return Out.str();
}

TComponent* ReadFormText(const String& Text, TComponent* Owner, bool Designing) {
    std::unique_ptr<TObjectNode> Root = TParser(Text).ParseForm();
    return TFormReader().Read(*Root, Owner, Designing);
}

}  // namespace platform
