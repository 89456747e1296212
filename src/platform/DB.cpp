// Fields, datasets, data sources and data links.
#include "platform/DB.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/DBCursor.h"

namespace platform {

namespace {

template <typename T>
bool ContainsItem(const std::vector<T*>& List, const T* Item) {
    return std::find(List.begin(), List.end(), Item) != List.end();
}

template <typename T>
void EraseItem(std::vector<T*>& List, const T* Item) {
    auto It = std::find(List.begin(), List.end(), Item);
    if (It != List.end())
        List.erase(It);
}

}  // namespace

namespace {

bool IsNumberField(const TField* Field) {
    switch (Field->GetDataType()) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftAutoInc:
            return true;
        default:
            return false;
    }
}

String FloatText(double Value) {
    char Buffer[40];
    std::snprintf(Buffer, sizeof Buffer, "%.15g", Value);
    return Buffer;
}

bool IsNumberText(const String& Text) {
    String Trimmed = Trim(Text);
    if (Trimmed.empty())
        return false;
    char* End = nullptr;
    std::strtod(Trimmed.c_str(), &End);
    return End == Trimmed.c_str() + Trimmed.size();
}

}  // namespace

std::vector<String> SplitFieldNames(const String& Names) {
    std::vector<String> Result;
    size_t Start = 0;
    while (Start <= Names.size()) {
        size_t End = Names.find(';', Start);
        if (End == String::npos)
            End = Names.size();
        String Name = Trim(Names.substr(Start, End - Start));
        if (!Name.empty())
            Result.push_back(Name);
        Start = End + 1;
    }
    return Result;
}

// ---- Field types ----

TFieldType FieldTypeOfDeclaration(const String& DeclaredType, bool AutoIncrement) {
    if (AutoIncrement)
        return ftAutoInc;
    // The type's name without a size, e.g. "VARCHAR" of "varchar(40)".
    String Name = UpperCase(Trim(DeclaredType.substr(0, DeclaredType.find('('))));
    static const std::pair<const char*, TFieldType> Types[] = {
        {"INTEGER", ftInteger},
        {"INT", ftInteger},
        {"BIGINT", ftInteger},
        {"SMALLINT", ftSmallint},
        {"WORD", ftWord},
        {"BOOLEAN", ftBoolean},
        {"BOOL", ftBoolean},
        {"REAL", ftFloat},
        {"FLOAT", ftFloat},
        {"DOUBLE", ftFloat},
        {"DOUBLE PRECISION", ftFloat},
        {"CURRENCY", ftCurrency},
        {"MONEY", ftCurrency},
        {"NUMERIC", ftBCD},
        {"DECIMAL", ftBCD},
        {"DATE", ftDate},
        {"TIME", ftTime},
        {"DATETIME", ftDateTime},
        {"TIMESTAMP", ftDateTime},
        {"VARCHAR", ftString},
        {"CHAR", ftString},
        {"CHARACTER", ftString},
        {"CHARACTER VARYING", ftString},
        {"TEXT", ftString},
        {"TIMESTAMP WITHOUT TIME ZONE", ftDateTime},
        {"TIMESTAMP WITH TIME ZONE", ftDateTime},
        {"TIME WITHOUT TIME ZONE", ftTime},
        {"TIME WITH TIME ZONE", ftTime},
        {"BPCHAR", ftString},
        {"INT2", ftSmallint},
        {"INT4", ftInteger},
        {"INT8", ftInteger},
        {"FLOAT4", ftFloat},
        {"FLOAT8", ftFloat},
        {"BYTEA", ftBlob},
        {"MEMO", ftMemo},
        {"CLOB", ftMemo},
        {"BLOB", ftBlob},
        {"GRAPHIC", ftGraphic},
        {"BYTES", ftBytes},
        {"VARBYTES", ftVarBytes},
    };
    for (const auto& [Declared, Type] : Types)
        if (Name == Declared)
            return Type;
    return ftUnknown;
}

// ---- TField ----

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
    Destroying();
    if (FDataSet != nullptr) {
        TDataSet* DataSet = FDataSet;
        EraseItem(DataSet->FFields, this);
        FDataSet = nullptr;
        if (DataSet->GetActive())
            DataSet->NotifyLayoutChanged();
    }
}

void TField::SetLookupDataSet(TDataSet* Value) {
    if (FLookupDataSet != nullptr)
        RemoveFreeNotification(FLookupDataSet);
    FLookupDataSet = Value;
    if (Value != nullptr)
        FreeNotification(Value);
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLookupDataSet)
        FLookupDataSet = nullptr;
}

void TField::SetFieldName(const String& Value) {
    if (FDataSet != nullptr && FDataSet->GetActive())
        throw EDatabaseError(FDataSet->NamedMessage("Cannot rename a field of an open dataset"));
    FFieldName = Value;
}

void TField::SetDataType(TFieldType Value) {
    FDataType = Value;
}

void TField::SetFieldKind(TFieldKind Value) {
    FFieldKind = Value;
}

bool TField::IsBlob() const {
    switch (FDataType) {
        case ftBlob:
        case ftMemo:
        case ftGraphic:
            return true;
        default:
            return false;
    }
}

int TField::GetIndex() const {
    if (FDataSet == nullptr)
        return -1;
    auto& Fields = FDataSet->FFields;
    auto It = std::find(Fields.begin(), Fields.end(), this);
    return It == Fields.end() ? -1 : static_cast<int>(It - Fields.begin());
}

void TField::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet)
        return;
    if ((FDataSet && FDataSet->GetActive()) || (Value && Value->GetActive()))
        throw EDatabaseError("Cannot add or remove a field of an open dataset");
    if (FDataSet)
        EraseItem(FDataSet->FFields, this);
    FDataSet = Value;
    if (Value)
        Value->FFields.push_back(this);
}

TValue TField::GetValue() const {
    if (FDataSet == nullptr)
        return TValue::Null();
    switch (FFieldKind) {
        case fkData: {
            const TRow* Row = FDataSet->CurrentRow();
            if (Row == nullptr || FColumn < 0)
                return TValue::Null();
            return (*Row)[static_cast<size_t>(FColumn)];
        }
        case fkCalculated:
        case fkInternalCalc: {
            int Index = GetIndex();
            auto& Values = FDataSet->FCalcValues;
            return Index >= 0 && static_cast<size_t>(Index) < Values.size()
                       ? Values[static_cast<size_t>(Index)]
                       : TValue::Null();
        }
        case fkLookup:
            return FDataSet->LookupValue(this);
    }
    return TValue::Null();
}

String TField::GetAsString() const {
    TValue V = GetValue();
    switch (V.Kind) {
        case TValue::vkNull:
            return "";
        case TValue::vkInteger:
            if (FDataType == ftBoolean)
                return V.Integer != 0 ? "True" : "False";
            return std::to_string(V.Integer);
        case TValue::vkFloat:
            return FloatText(V.Float);
        default:
            if (FDataType == ftBoolean) {
                String Upper = UpperCase(V.Text);
                return (Upper == "T" || Upper == "TRUE" || Upper == "1") ? "True" : "False";
            }
            // A decimal that an engine gives as text ("12.2500") reads as the number it is.
            if (FDataType == ftFloat || FDataType == ftCurrency || FDataType == ftBCD)
                if (IsNumberText(V.Text))
                    return FloatText(std::strtod(V.Text.c_str(), nullptr));
            return V.Text;
    }
}

int64_t TField::GetAsInteger() const {
    TValue V = GetValue();
    switch (V.Kind) {
        case TValue::vkInteger:
            return V.Integer;
        case TValue::vkFloat:
            return static_cast<int64_t>(V.Float);
        case TValue::vkNull:
            return 0;
        default:
            try {
                return std::stoll(V.Text);
            } catch (const std::exception&) {
                throw EDatabaseError("'" + V.Text + "' is not a valid integer value for field '" +
                                     FFieldName + "'");
            }
    }
}

double TField::GetAsFloat() const {
    TValue V = GetValue();
    switch (V.Kind) {
        case TValue::vkInteger:
            return static_cast<double>(V.Integer);
        case TValue::vkFloat:
            return V.Float;
        case TValue::vkNull:
            return 0;
        default:
            try {
                return std::stod(V.Text);
            } catch (const std::exception&) {
                throw EDatabaseError("'" + V.Text +
                                     "' is not a valid floating point value for field '" +
                                     FFieldName + "'");
            }
    }
}

bool TField::GetAsBoolean() const {
    return GetAsString() == "True";
}

void TField::SetValue(const TValue& Value) {
    if (FDataSet == nullptr || !FDataSet->FCalculating ||
        (FFieldKind != fkCalculated && FFieldKind != fkInternalCalc))
        throw EDatabaseError("Field '" + FFieldName + "' cannot be modified");
    int Index = GetIndex();
    FDataSet->FCalcValues[static_cast<size_t>(Index)] = Value;
}

// ---- TIndexDefs ----

TIndexDefs::TIndexDefs(TDataSet* DataSet)
    : TCollection([](TCollection* C) { return new TIndexDef(C); }), FDataSet(DataSet) {}

void TIndexDefs::Update() {
    BeginUpdate();
    try {
        Clear();
        FDataSet->ReadIndexDefs(*this);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- TDataSet ----

namespace {
std::atomic<uint64_t> NextDataSetSerial{1};
}

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner), FSerial(NextDataSetSerial++) {}

TDataSet::~TDataSet() {
    Destroying();
    // Subclasses close in their own destructors; this only lets go of what is left.
    FCursor.reset();
    FreeDefaultFields();
    while (!FDataSources.empty())
        FDataSources.back()->SetDataSet(nullptr);
    for (TField* Field : FFields)
        Field->FDataSet = nullptr;
    FFields.clear();
}

String TDataSet::NamedMessage(const String& Message) const {
    return GetName().empty() ? Message : GetName() + ": " + Message;
}

void TDataSet::SetActive(bool Value) {
    if (GetComponentState().Contains(csLoading)) {
        FStreamedActive = Value;
        return;
    }
    if (Value)
        Open();
    else
        Close();
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (FStreamedActive)
        Open();
}

void TDataSet::Open() {
    if (GetActive())
        return;
    for (bool FirstAttempt = true;; FirstAttempt = false) {
        try {
            FCursor = OpenCursor(true);
            FBOF = true;
            FEOF = !FCursor->First();
            break;
        } catch (const EDatabaseError&) {
            FCursor.reset();
            FreeDefaultFields();
            CursorClosed();
            // A structure remembered from before may be out of date: read it again once.
            if (FirstAttempt && ForgetStructure())
                continue;
            throw;
        } catch (...) {
            FCursor.reset();
            FreeDefaultFields();
            CursorClosed();
            throw;
        }
    }
    CalculateFields();
    NotifyActiveChanged();
    NotifyDataSetChanged();
}

void TDataSet::Close() {
    if (!GetActive())
        return;
    FCursor.reset();
    FreeDefaultFields();
    for (TField* Field : FFields)
        Field->FColumn = -1;
    FCalcValues.clear();
    FBOF = FEOF = true;
    CursorClosed();
    NotifyActiveChanged();
}

void TDataSet::FreeDefaultFields() {
    std::vector<TField*> Defaults;
    for (TField* Field : FFields)
        if (Field->FDefault)
            Defaults.push_back(Field);
    for (TField* Field : Defaults) {
        EraseItem(FFields, Field);
        Field->FDataSet = nullptr;
        delete Field;
    }
}

void TDataSet::BindFields(const std::vector<String>& Columns,
                          const std::vector<TFieldType>& Types) {
    auto ColumnOf = [&](const String& Name) -> int {
        for (size_t I = 0; I < Types.size(); ++I)
            if (UpperCase(Columns[I]) == UpperCase(Name))
                return static_cast<int>(I);
        return -1;
    };
    bool HasDataFields = std::any_of(FFields.begin(), FFields.end(),
                                     [](TField* F) { return F->FFieldKind == fkData; });
    if (HasDataFields) {
        for (TField* Field : FFields) {
            if (Field->FFieldKind != fkData)
                continue;
            Field->FColumn = ColumnOf(Field->FFieldName);
            if (Field->FColumn < 0)
                throw EDatabaseError(NamedMessage("Field '" + Field->FFieldName + "' not found"));
        }
        return;
    }
    std::vector<TField*> Defaults;
    for (size_t I = 0; I < Types.size(); ++I) {
        auto* Field = new TField(this);
        Field->FFieldName = Columns[I];
        Field->FDataType = Types[I];
        Field->FDataSet = this;
        Field->FColumn = static_cast<int>(I);
        Field->FDefault = true;
        Defaults.push_back(Field);
    }
    FFields.insert(FFields.begin(), Defaults.begin(), Defaults.end());
}

void TDataSet::ReopenCursor(bool KeepPosition) {
    CheckActive();
    String Identity = KeepPosition && !IsEmpty() ? FCursor->Identity() : String();
    std::unique_ptr<TCursor> Cursor;
    try {
        Cursor = OpenCursor(false);
    } catch (...) {
        Close();
        throw;
    }
    FCursor = std::move(Cursor);
    // The new cursor reads nothing until it is placed: a failure there would leave it
    // without a record while the flags still promise one.
    try {
        bool Found = !Identity.empty() && FCursor->GotoIdentity(Identity);
        if (Found) {
            FBOF = FEOF = false;
        } else {
            FBOF = true;
            FEOF = !FCursor->First();
        }
    } catch (...) {
        Close();
        throw;
    }
    CalculateFields();
    NotifyDataSetChanged();
}

void TDataSet::ReadIndexDefs(TIndexDefs&) {}

TField* TDataSet::Fields(int Index) const {
    if (Index < 0 || Index >= FieldCount())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return FFields[static_cast<size_t>(Index)];
}

TField* TDataSet::FindField(const String& Name) const {
    String Key = UpperCase(Name);
    for (TField* Field : FFields)
        if (UpperCase(Field->FFieldName) == Key)
            return Field;
    return nullptr;
}

TField* TDataSet::FieldByName(const String& Name) const {
    TField* Field = FindField(Name);
    if (Field == nullptr)
        throw EDatabaseError(NamedMessage("Field '" + Name + "' not found"));
    return Field;
}

void TDataSet::CheckActive() const {
    if (!GetActive())
        throw EDatabaseError(NamedMessage("Cannot perform this operation on a closed dataset"));
}

const TRow* TDataSet::CurrentRow() const {
    if (!GetActive() || IsEmpty())
        return nullptr;
    return &FCursor->Current();
}

void TDataSet::AfterMove(int Distance) {
    CalculateFields();
    NotifyScrolled(Distance);
}

bool TDataSet::CursorMove(bool (TCursor::*Move)()) {
    // A database that fails while the records are walked (a table dropped elsewhere, a
    // connection lost) leaves nothing to walk: the dataset closes and the error passes on.
    try {
        return (FCursor.get()->*Move)();
    } catch (const EDatabaseError&) {
        Close();
        throw;
    }
}

void TDataSet::First() {
    CheckActive();
    FBOF = true;
    FEOF = !CursorMove(&TCursor::First);
    CalculateFields();
    NotifyDataSetChanged();
}

void TDataSet::Last() {
    CheckActive();
    FEOF = true;
    FBOF = !CursorMove(&TCursor::Last);
    CalculateFields();
    NotifyDataSetChanged();
}

void TDataSet::Next() {
    CheckActive();
    if (FEOF)
        return;
    if (CursorMove(&TCursor::Next)) {
        FBOF = false;
        AfterMove(1);
    } else {
        FEOF = true;
    }
}

void TDataSet::Prior() {
    CheckActive();
    if (FBOF)
        return;
    if (CursorMove(&TCursor::Prior)) {
        FEOF = false;
        AfterMove(-1);
    } else {
        FBOF = true;
    }
}

int TDataSet::MoveBy(int Distance) {
    CheckActive();
    int Moved = 0;
    DisableControls();
    try {
        while (Distance > 0 && !FEOF) {
            Next();
            if (!FEOF)
                ++Moved, --Distance;
        }
        while (Distance < 0 && !FBOF) {
            Prior();
            if (!FBOF)
                --Moved, ++Distance;
        }
    } catch (...) {
        // The links hear what the failure did: the dataset may have moved or closed.
        EnableControls();
        throw;
    }
    // Moving is not a change of the dataset: the links hear one scroll.
    --FDisableCount;
    if (Moved != 0)
        NotifyScrolled(Moved);
    return Moved;
}

int TDataSet::PeekRecords(int Count, const std::function<void()>& Visit) {
    CheckActive();
    if (IsEmpty())
        return 0;
    bool Forward = Count > 0;
    int Moved = 0;
    auto Step = [&](bool Ahead) { return CursorMove(Ahead ? &TCursor::Next : &TCursor::Prior); };
    // The cursor's own moves, undone in reverse, leave the dataset's flags as they were
    // (unless the database failed and the dataset closed).
    auto ReturnToCurrent = [&] {
        if (Moved == 0 || !GetActive())
            return;
        for (int I = 0; I < Moved; ++I)
            Step(!Forward);
        CalculateFields();
    };
    try {
        for (int Left = std::abs(Count); Left > 0; --Left) {
            if (!Step(Forward))
                break;
            ++Moved;
            CalculateFields();
            Visit();
        }
    } catch (...) {
        ReturnToCurrent();
        throw;
    }
    ReturnToCurrent();
    return Moved;
}

int64_t TDataSet::RecordCount() {
    CheckActive();
    try {
        return FCursor->RecordCount();
    } catch (const EDatabaseError&) {
        Close();
        throw;
    }
}

TBookmark TDataSet::GetBookmark() const {
    if (!GetActive() || IsEmpty())
        return "";
    return std::to_string(FSerial) + ":" + FCursor->Identity();
}

void TDataSet::SetBookmark(const TBookmark& Value) {
    CheckActive();
    size_t Colon = Value.find(':');
    if (Colon == String::npos || Value.substr(0, Colon) != std::to_string(FSerial))
        throw EDatabaseError(NamedMessage("The bookmark does not belong to this dataset"));
    if (!FCursor->GotoIdentity(Value.substr(Colon + 1)))
        throw EDatabaseError(NamedMessage("The bookmarked record no longer exists"));
    FBOF = FEOF = false;
    CalculateFields();
    NotifyDataSetChanged();
}

bool TDataSet::Locate(const String& KeyFields, const std::vector<String>& Values,
                      TLocateOptions Options) {
    CheckActive();
    std::vector<String> Names = SplitFieldNames(KeyFields);
    if (Names.empty())
        throw EDatabaseError(NamedMessage("No fields given to search"));
    if (Names.size() != Values.size())
        throw EDatabaseError(NamedMessage("The number of search values differs from the fields '" +
                                          KeyFields + "'"));
    std::vector<TField*> Fields;
    std::vector<int> Columns;
    bool AllData = true;
    for (const String& Name : Names) {
        TField* Field = FieldByName(Name);
        Fields.push_back(Field);
        Columns.push_back(Field->FColumn);
        if (Field->FFieldKind != fkData)
            AllData = false;
    }
    // A number field never equals a text that is no number; asking the engine would
    // only fail on one and find nothing on another.
    if (!Options.Contains(loPartialKey))
        for (size_t I = 0; I < Fields.size(); ++I)
            if (IsNumberField(Fields[I]) && !IsNumberText(Values[I]))
                return false;
    if (AllData) {
        std::optional<bool> Found = FCursor->Locate(
            Columns, Values, Options.Contains(loCaseInsensitive), Options.Contains(loPartialKey));
        if (Found.has_value()) {
            if (*Found) {
                FBOF = FEOF = false;
                CalculateFields();
                NotifyDataSetChanged();
            }
            return *Found;
        }
    }
    return LocateByScanning(Fields, Values, Options);
}

bool TDataSet::LocateByScanning(const std::vector<TField*>& Fields,
                                const std::vector<String>& Values, TLocateOptions Options) {
    auto Matches = [&](const String& FieldText, String Wanted) {
        String Text = FieldText;
        if (Options.Contains(loCaseInsensitive)) {
            Text = UpperCase(Text);
            Wanted = UpperCase(Wanted);
        }
        if (Options.Contains(loPartialKey))
            return Text.compare(0, Wanted.size(), Wanted) == 0;
        return Text == Wanted;
    };
    TBookmark Start = GetBookmark();
    bool Found = false;
    DisableControls();
    try {
        FBOF = true;
        FEOF = !FCursor->First();
        CalculateFields();
        while (!FEOF && !Found) {
            Found = true;
            for (size_t I = 0; I < Fields.size() && Found; ++I)
                Found = Matches(Fields[I]->GetAsString(), Values[I]);
            if (!Found)
                Next();
        }
        if (!Found && !Start.empty())
            SetBookmark(Start);
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
    return Found;
}

std::vector<TValue> TDataSet::Lookup(const String& KeyFields, const std::vector<TValue>& KeyValues,
                                     const String& ResultFields) {
    CheckActive();
    std::vector<String> Keys = SplitFieldNames(KeyFields);
    std::vector<String> Results = SplitFieldNames(ResultFields);
    if (Keys.size() != KeyValues.size())
        throw EDatabaseError(NamedMessage("The number of lookup values differs from the fields '" +
                                          KeyFields + "'"));
    std::vector<int> KeyColumns, ResultColumns;
    bool AllData = true;
    for (const String& Name : Keys) {
        TField* Field = FieldByName(Name);
        KeyColumns.push_back(Field->FColumn);
        AllData = AllData && Field->FFieldKind == fkData;
    }
    for (const String& Name : Results) {
        TField* Field = FieldByName(Name);
        ResultColumns.push_back(Field->FColumn);
        AllData = AllData && Field->FFieldKind == fkData;
    }
    if (AllData) {
        auto Found = FCursor->Lookup(KeyColumns, KeyValues, ResultColumns);
        if (Found.has_value())
            return Found->has_value() ? **Found : std::vector<TValue>();
    }
    // Scan a copy of the position, without telling anyone.
    TBookmark Start = GetBookmark();
    std::vector<TValue> Result;
    DisableControls();
    int DisabledAt = FDisableCount;
    try {
        for (First(); !FEOF && Result.empty(); Next()) {
            bool Match = true;
            for (size_t I = 0; I < Keys.size() && Match; ++I)
                Match = FieldByName(Keys[I])->GetValue() == KeyValues[I];
            if (Match)
                for (const String& Name : Results)
                    Result.push_back(FieldByName(Name)->GetValue());
        }
        if (!Start.empty())
            SetBookmark(Start);
    } catch (...) {
        // The links hear what the failure did: the dataset may have moved or closed.
        FDisableCount = DisabledAt;
        EnableControls();
        throw;
    }
    // Nothing moved as far as the links can tell: leave without a change notice.
    FDisableCount = DisabledAt - 1;
    return Result;
}

TValue TDataSet::LookupValue(const TField* Field) const {
    TDataSet* Other = Field->FLookupDataSet;
    if (Other == nullptr || !Other->GetActive() || IsEmpty())
        return TValue::Null();
    std::vector<TValue> Keys;
    for (const String& Name : SplitFieldNames(Field->KeyFields)) {
        TField* Key = FindField(Name);
        if (Key == nullptr)
            return TValue::Null();
        Keys.push_back(Key->GetValue());
    }
    std::vector<TValue> Found =
        Other->Lookup(Field->LookupKeyFields, Keys, Field->LookupResultField);
    return Found.empty() ? TValue::Null() : Found[0];
}

void TDataSet::Refresh() {
    CheckActive();
    ReopenCursor(true);
}

void TDataSet::CalculateFields() {
    FCalcValues.assign(FFields.size(), TValue::Null());
    if (!OnCalcFields || IsEmpty())
        return;
    FCalculating = true;
    try {
        OnCalcFields(this);
    } catch (...) {
        FCalculating = false;
        throw;
    }
    FCalculating = false;
}

void TDataSet::DisableControls() {
    if (FDisableCount++ == 0)
        FActiveWhenDisabled = GetActive();
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0 || --FDisableCount > 0)
        return;
    if (GetActive() != FActiveWhenDisabled)
        NotifyActiveChanged();
    if (GetActive())
        NotifyDataSetChanged();
}

void TDataSet::ForEachLink(const std::function<void(TDataLink*)>& Action) {
    if (ControlsDisabled())
        return;
    // Handlers may detach links or sources: tell only those still attached.
    std::vector<TDataSource*> Sources = FDataSources;
    for (TDataSource* Source : Sources) {
        if (!ContainsItem(FDataSources, Source))
            continue;
        std::vector<TDataLink*> Links = Source->FDataLinks;
        for (TDataLink* Link : Links)
            if (ContainsItem(FDataSources, Source) && ContainsItem(Source->FDataLinks, Link))
                Action(Link);
    }
}

void TDataSet::NotifyActiveChanged() {
    ForEachLink([](TDataLink* Link) { Link->UpdateActive(); });
}

void TDataSet::NotifyDataSetChanged() {
    ForEachLink([](TDataLink* Link) {
        Link->UpdateActive();
        if (Link->GetActive())
            Link->DataSetChanged();
    });
}

void TDataSet::NotifyScrolled(int Distance) {
    ForEachLink([Distance](TDataLink* Link) {
        if (Link->GetActive())
            Link->DataSetScrolled(Distance);
    });
}

void TDataSet::NotifyLayoutChanged() {
    ForEachLink([](TDataLink* Link) {
        if (Link->GetActive())
            Link->LayoutChanged();
    });
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    for (TField* Field : FFields)
        if (Field->FLookupDataSet == AComponent)
            Field->FLookupDataSet = nullptr;
}

// ---- TDataSource ----

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    Destroying();
    SetDataSet(nullptr);
    while (!FDataLinks.empty())
        FDataLinks.back()->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet)
        return;
    if (FDataSet != nullptr) {
        EraseItem(FDataSet->FDataSources, this);
        RemoveFreeNotification(FDataSet);
        FDataSet = nullptr;
        for (TDataLink* Link : std::vector<TDataLink*>(FDataLinks))
            if (ContainsItem(FDataLinks, Link))
                Link->UpdateActive();
    }
    if (Value != nullptr) {
        FDataSet = Value;
        Value->FDataSources.push_back(this);
        FreeNotification(Value);
        for (TDataLink* Link : std::vector<TDataLink*>(FDataLinks))
            if (ContainsItem(FDataLinks, Link))
                Link->UpdateActive();
    }
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet)
        SetDataSet(nullptr);
}

// ---- TDataLink ----

TDataLink::~TDataLink() {
    if (FDataSource != nullptr)
        EraseItem(FDataSource->FDataLinks, this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource)
        return;
    if (FDataSource != nullptr) {
        EraseItem(FDataSource->FDataLinks, this);
        FDataSource = nullptr;
        UpdateActive();
    }
    if (Value != nullptr) {
        FDataSource = Value;
        Value->FDataLinks.push_back(this);
        UpdateActive();
    }
}

TDataSet* TDataLink::GetDataSet() const {
    return FDataSource != nullptr ? FDataSource->GetDataSet() : nullptr;
}

void TDataLink::UpdateActive() {
    TDataSet* DataSet = GetDataSet();
    bool Active = DataSet != nullptr && DataSet->GetActive();
    if (Active == FActive)
        return;
    FActive = Active;
    ActiveChanged();
}

void TDataLink::DataSetScrolled(int) {
    RecordChanged(nullptr);
}

void TDataLink::RecordChanged(TField*) {}

// ---- TFieldDataLink ----

void TFieldDataLink::SetFieldName(const String& Value) {
    TDataSet* DataSet = GetDataSet();
    if (GetActive() && !Trim(Value).empty() && DataSet->FindField(Value) == nullptr)
        throw EDatabaseError(DataSet->NamedMessage("Field '" + Value + "' not found"));
    FFieldName = Value;
    if (GetActive() && OnDataChange)
        OnDataChange(this);
}

TField* TFieldDataLink::GetField() const {
    TDataSet* DataSet = GetDataSet();
    if (!GetActive() || DataSet == nullptr || FFieldName.empty())
        return nullptr;
    return DataSet->FindField(FFieldName);
}

void TFieldDataLink::ActiveChanged() {
    if (OnActiveChange)
        OnActiveChange(this);
}

void TFieldDataLink::RecordChanged(TField* Field) {
    if (Field != nullptr && Field != GetField())
        return;
    if (OnDataChange)
        OnDataChange(this);
}

}  // namespace platform
