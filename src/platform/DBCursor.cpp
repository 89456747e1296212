// Table and query cursors.
#include "platform/DBCursor.h"

#include <algorithm>
#include <cstdio>

namespace platform {

namespace {

// Marks a parameter in a condition's SQL until the engine's placeholder replaces it.
const String ParamMark(1, '\x01');

}  // namespace

// ---- TCursor defaults ----

std::optional<bool> TCursor::Locate(const std::vector<int>&, const std::vector<String>&, bool,
                                    bool) {
    return std::nullopt;
}

std::optional<std::optional<TRow>> TCursor::Lookup(const std::vector<int>&,
                                                   const std::vector<TValue>&,
                                                   const std::vector<int>&) {
    return std::nullopt;
}

// ---- Bookmark text ----

String EncodeValues(const std::vector<TValue>& Values) {
    String Result;
    for (const TValue& V : Values) {
        String Payload;
        switch (V.Kind) {
            case TValue::vkNull:
                break;
            case TValue::vkInteger:
                Payload = std::to_string(V.Integer);
                break;
            case TValue::vkFloat: {
                char Buffer[40];
                std::snprintf(Buffer, sizeof Buffer, "%.17g", V.Float);
                Payload = Buffer;
                break;
            }
            case TValue::vkText:
            case TValue::vkBlob:
                Payload = V.Text;
                break;
        }
        Result += static_cast<char>('0' + V.Kind);
        Result += std::to_string(Payload.size()) + ":" + Payload;
    }
    return Result;
}

std::vector<TValue> DecodeValues(const String& Text) {
    std::vector<TValue> Values;
    size_t At = 0;
    auto Fail = [] { return EDatabaseError("Invalid bookmark"); };
    while (At < Text.size()) {
        int Kind = Text[At++] - '0';
        if (Kind < TValue::vkNull || Kind > TValue::vkBlob)
            throw Fail();
        size_t Colon = Text.find(':', At);
        if (Colon == String::npos || Colon == At)
            throw Fail();
        size_t Length = 0;
        for (size_t I = At; I < Colon; ++I) {
            if (Text[I] < '0' || Text[I] > '9')
                throw Fail();
            Length = Length * 10 + static_cast<size_t>(Text[I] - '0');
        }
        if (Colon + 1 + Length > Text.size())
            throw Fail();
        String Payload = Text.substr(Colon + 1, Length);
        At = Colon + 1 + Length;
        switch (Kind) {
            case TValue::vkNull:
                Values.push_back(TValue::Null());
                break;
            case TValue::vkInteger:
                Values.push_back(TValue::FromInteger(std::stoll(Payload)));
                break;
            case TValue::vkFloat:
                Values.push_back(TValue::FromFloat(std::stod(Payload)));
                break;
            case TValue::vkText:
                Values.push_back(TValue::FromText(Payload));
                break;
            default:
                Values.push_back(TValue::FromBlob(Payload));
                break;
        }
    }
    return Values;
}

// ---- TTableCursor ----

TTableCursor::TTableCursor(TTableCursorSetup Setup) : FSetup(std::move(Setup)) {
    for (size_t I = 0; I < FSetup.Columns.size(); ++I) {
        FQuoted.push_back(FSetup.Connection->QuoteIdentifier(FSetup.Columns[I]));
        if (I > 0)
            FSelectList += ", ";
        // Every column gets a plain alias, so that an outer query can order a union by it.
        FSelectList += FQuoted[I] + " AS c" + std::to_string(I);
    }
}

bool TTableCursor::IsTextColumn(int Column) const {
    return static_cast<size_t>(Column) < FSetup.TextColumns.size() &&
           FSetup.TextColumns[static_cast<size_t>(Column)];
}

const TRow& TTableCursor::Current() const {
    return FWindow[FPosition];
}

TRow TTableCursor::KeyOf(const TRow& Row) const {
    TRow Key;
    for (int C : FSetup.OrderColumns)
        Key.push_back(Row[static_cast<size_t>(C)]);
    return Key;
}

bool TTableCursor::ShowWindow(std::vector<TRow> Rows, size_t Position) {
    if (Rows.empty())
        return false;
    FWindow = std::move(Rows);
    FPosition = Position;
    return true;
}

bool TTableCursor::First() {
    return ShowWindow(Fetch(dForward, nullptr, false), 0);
}

bool TTableCursor::Last() {
    std::vector<TRow> Rows = Fetch(dBackward, nullptr, false);
    size_t Position = Rows.empty() ? 0 : Rows.size() - 1;
    return ShowWindow(std::move(Rows), Position);
}

bool TTableCursor::Next() {
    if (FPosition + 1 < FWindow.size()) {
        ++FPosition;
        return true;
    }
    TRow Key = KeyOf(Current());
    return ShowWindow(Fetch(dForward, &Key, false), 0);
}

bool TTableCursor::Prior() {
    if (FPosition > 0) {
        --FPosition;
        return true;
    }
    TRow Key = KeyOf(Current());
    std::vector<TRow> Rows = Fetch(dBackward, &Key, false);
    size_t Position = Rows.empty() ? 0 : Rows.size() - 1;
    return ShowWindow(std::move(Rows), Position);
}

String TTableCursor::Identity() const {
    std::vector<TValue> Values;
    for (int C : FSetup.IdentityColumns)
        Values.push_back(Current()[static_cast<size_t>(C)]);
    return EncodeValues(Values);
}

bool TTableCursor::GotoIdentity(const String& Identity) {
    std::vector<TValue> Values = DecodeValues(Identity);
    if (Values.size() != FSetup.IdentityColumns.size())
        throw EDatabaseError("Invalid bookmark");
    TConditions Conditions = FilterConditions();
    for (size_t I = 0; I < Values.size(); ++I) {
        const String& Column = FQuoted[static_cast<size_t>(FSetup.IdentityColumns[I])];
        if (Values[I].IsNull())
            Conditions.push_back({Column + " IS NULL", {}});
        else
            Conditions.push_back({Column + " = " + ParamMark, {Values[I]}});
    }
    int ParamNo = 1;
    std::vector<TValue> Params;
    for (const TCondition& C : Conditions)
        Params.insert(Params.end(), C.Params.begin(), C.Params.end());
    String Sql = SelectSql(Conditions, dForward, ParamNo);
    std::vector<TRow> Rows = Run(Sql + " LIMIT 1", Params);
    return ShowWindow(std::move(Rows), 0);
}

int64_t TTableCursor::RecordCount() {
    TConditions Conditions = FilterConditions();
    int ParamNo = 1;
    String Sql = "SELECT COUNT(*) FROM " + FSetup.Connection->QuoteIdentifier(FSetup.Table) +
                 WhereClause(Conditions, ParamNo);
    std::vector<TValue> Params;
    for (const TCondition& C : Conditions)
        Params.insert(Params.end(), C.Params.begin(), C.Params.end());
    std::vector<TRow> Rows = Run(Sql, Params);
    return Rows.empty() || Rows[0].empty() ? 0 : Rows[0][0].Integer;
}

std::optional<bool> TTableCursor::Locate(const std::vector<int>& Columns,
                                         const std::vector<String>& Values, bool CaseInsensitive,
                                         bool PartialKey) {
    const engine::Connection& Db = *FSetup.Connection;
    TConditions Conditions = FilterConditions();
    for (size_t I = 0; I < Columns.size(); ++I) {
        const String& Column = FQuoted[static_cast<size_t>(Columns[I])];
        const String& Value = Values[I];
        bool RangeIsExact = false;
        if (PartialKey && IsTextColumn(Columns[I]) && !Value.empty()) {
            // Text that begins with the value, in any letter case, lies between the value
            // in capitals and the value in small letters with its last byte raised: a
            // range the engine can seek in its byte-ordered index before testing the rest.
            // With letter case kept, the range holds exactly the texts that begin so.
            String Low = CaseInsensitive ? UpperCase(Value) : Value;
            String High = CaseInsensitive ? LowerCase(Value) : Value;
            Conditions.push_back({Column + " >= " + ParamMark, {TValue::FromText(Low)}});
            // The bound is raised only on a plain ASCII byte, so that it stays valid text
            // for an engine that checks its encoding.
            if (static_cast<unsigned char>(High.back()) < 0x7F) {
                High.back() = static_cast<char>(High.back() + 1);
                Conditions.push_back({Column + " < " + ParamMark, {TValue::FromText(High)}});
                RangeIsExact = !CaseInsensitive;
            }
        }
        if (PartialKey && !RangeIsExact)
            Conditions.push_back({Db.PrefixCondition(Column, ParamMark, CaseInsensitive),
                                  {TValue::FromText(Db.PrefixPattern(Value, CaseInsensitive))}});
        else if (!PartialKey && CaseInsensitive)
            Conditions.push_back(
                {Db.EqualsIgnoringCaseCondition(Column, ParamMark), {TValue::FromText(Value)}});
        else if (!PartialKey)
            Conditions.push_back({Column + " = " + ParamMark, {TValue::FromText(Value)}});
    }
    std::vector<TRow> Rows = SearchesFirstFreeOrderColumn(Columns)
                                 ? RunFirstByLeadingValue(Columns[0], Conditions)
                                 : RunFirst(Conditions);
    if (Rows.empty())
        return false;
    return ShowWindow(std::move(Rows), 0);
}

bool TTableCursor::SearchesFirstFreeOrderColumn(const std::vector<int>& Columns) const {
    size_t Fixed = FSetup.FilterColumns.size();
    return Columns.size() == 1 && Fixed < FSetup.OrderColumns.size() &&
           Columns[0] == FSetup.OrderColumns[Fixed];
}

std::vector<TRow> TTableCursor::RunFirst(const TConditions& Conditions) {
    int ParamNo = 1;
    std::vector<TValue> Params;
    for (const TCondition& C : Conditions)
        Params.insert(Params.end(), C.Params.begin(), C.Params.end());
    return Run(SelectSql(Conditions, dForward, ParamNo) + " LIMIT 1", Params);
}

std::vector<TRow> TTableCursor::RunFirstByLeadingValue(int Column, const TConditions& Conditions) {
    // The first matching record in the order is the first record with the smallest matching
    // value of the column the order leads with: that value is read from the index alone,
    // so the engine never walks past matches looking for the next one.
    const String& Name = FQuoted[static_cast<size_t>(Column)];
    const String Table = FSetup.Connection->QuoteIdentifier(FSetup.Table);
    TConditions Filter = FilterConditions();
    int ParamNo = 1;
    String FilterWhere = WhereClause(Filter, ParamNo);
    String Smallest = "SELECT " + Name + " FROM " + Table + WhereClause(Conditions, ParamNo) +
                      " ORDER BY " + Name + " LIMIT 1";
    String Sql = "SELECT " + FSelectList + " FROM " + Table + FilterWhere +
                 (Filter.empty() ? " WHERE " : " AND ") + Name + " = (" + Smallest + ")" +
                 OrderBy(dForward, "") + " LIMIT 1";
    std::vector<TValue> Params;
    for (const TCondition& C : Filter)
        Params.insert(Params.end(), C.Params.begin(), C.Params.end());
    for (const TCondition& C : Conditions)
        Params.insert(Params.end(), C.Params.begin(), C.Params.end());
    return Run(Sql, Params);
}

std::optional<std::optional<TRow>> TTableCursor::Lookup(const std::vector<int>& KeyColumns,
                                                        const std::vector<TValue>& KeyValues,
                                                        const std::vector<int>& ResultColumns) {
    TConditions Conditions = FilterConditions();
    for (size_t I = 0; I < KeyColumns.size(); ++I) {
        const String& Column = FQuoted[static_cast<size_t>(KeyColumns[I])];
        if (KeyValues[I].IsNull())
            Conditions.push_back({Column + " IS NULL", {}});
        else
            Conditions.push_back({Column + " = " + ParamMark, {KeyValues[I]}});
    }
    int ParamNo = 1;
    std::vector<TValue> Params;
    for (const TCondition& C : Conditions)
        Params.insert(Params.end(), C.Params.begin(), C.Params.end());
    std::vector<TRow> Rows = Run(SelectSql(Conditions, dForward, ParamNo) + " LIMIT 1", Params);
    if (Rows.empty())
        return std::optional<TRow>();
    TRow Result;
    for (int C : ResultColumns)
        Result.push_back(Rows[0][static_cast<size_t>(C)]);
    return std::optional<TRow>(std::move(Result));
}

TTableCursor::TConditions TTableCursor::FilterConditions() const {
    TConditions Conditions;
    for (size_t I = 0; I < FSetup.FilterColumns.size(); ++I) {
        const String& Column = FQuoted[static_cast<size_t>(FSetup.FilterColumns[I])];
        // A null master value matches nothing, as in SQL.
        Conditions.push_back({Column + " = " + ParamMark, {FSetup.FilterValues[I]}});
    }
    return Conditions;
}

String TTableCursor::OrderBy(TDirection Direction, const String& Prefix) const {
    String Sql;
    for (size_t I = 0; I < FSetup.OrderColumns.size(); ++I) {
        size_t Column = static_cast<size_t>(FSetup.OrderColumns[I]);
        Sql += (I == 0 ? " ORDER BY " : ", ");
        Sql += Prefix.empty() ? FQuoted[Column] : Prefix + std::to_string(Column);
        if (Direction == dBackward)
            Sql += " DESC";
    }
    return Sql;
}

String TTableCursor::WhereClause(const TConditions& Conditions, int& ParamNo) const {
    // Conditions mark their parameters with ParamMark, which no quoted name can hold;
    // the engine numbers its placeholders in the order they appear.
    String Sql;
    for (size_t I = 0; I < Conditions.size(); ++I) {
        Sql += (I == 0 ? " WHERE " : " AND ");
        for (char Ch : Conditions[I].Sql) {
            if (Ch == ParamMark[0])
                Sql += FSetup.Connection->Placeholder(ParamNo++);
            else
                Sql += Ch;
        }
    }
    return Sql;
}

String TTableCursor::SelectSql(const TConditions& Conditions, TDirection Direction,
                               int& ParamNo) const {
    return "SELECT " + FSelectList + " FROM " + FSetup.Connection->QuoteIdentifier(FSetup.Table) +
           WhereClause(Conditions, ParamNo) + OrderBy(Direction, "");
}

std::vector<TTableCursor::TConditions> TTableCursor::SeekTerms(TDirection Direction,
                                                               const TRow& Key,
                                                               bool Inclusive) const {
    // The rows beyond Key in the order (o1, ..., on) are the union, over each position i,
    // of the rows equal to Key on o1..o(i-1) and beyond it on oi. Where nulls sort decides
    // what "beyond a null" is, so each term is a plain seek the engine can serve by index.
    const bool NullsFirst = FSetup.Connection->NullsSortFirst();
    const bool NullsAreBeyond = (Direction == dForward) != NullsFirst;
    auto Equal = [&](size_t I) -> TCondition {
        const String& Column = FQuoted[static_cast<size_t>(FSetup.OrderColumns[I])];
        if (Key[I].IsNull())
            return {Column + " IS NULL", {}};
        return {Column + " = " + ParamMark, {Key[I]}};
    };
    std::vector<TConditions> Terms;
    if (Inclusive) {
        TConditions Term;
        for (size_t I = 0; I < Key.size(); ++I)
            Term.push_back(Equal(I));
        Terms.push_back(Term);
    }
    for (size_t I = Key.size(); I-- > 0;) {
        TConditions Prefix;
        for (size_t J = 0; J < I; ++J)
            Prefix.push_back(Equal(J));
        const String& Column = FQuoted[static_cast<size_t>(FSetup.OrderColumns[I])];
        std::vector<TCondition> Beyond;
        if (Key[I].IsNull()) {
            if (!NullsAreBeyond)
                Beyond.push_back({Column + " IS NOT NULL", {}});
        } else {
            Beyond.push_back(
                {Column + (Direction == dForward ? " > " : " < ") + ParamMark, {Key[I]}});
            if (NullsAreBeyond)
                Beyond.push_back({Column + " IS NULL", {}});
        }
        for (const TCondition& B : Beyond) {
            TConditions Term = Prefix;
            Term.push_back(B);
            Terms.push_back(Term);
        }
    }
    return Terms;
}

bool TTableCursor::RowValueSeekIsExact(TDirection Direction, const TRow& Key) const {
    for (const TValue& Value : Key)
        if (Value.IsNull())
            return false;
    // Rows null where they differ from Key are excluded; that is right when nulls lie
    // behind us, or when no order column can be null.
    if ((Direction == dForward) == FSetup.Connection->NullsSortFirst())
        return true;
    for (int Column : FSetup.OrderColumns)
        if (FSetup.NotNullColumns.empty() || !FSetup.NotNullColumns[static_cast<size_t>(Column)])
            return false;
    return true;
}

int TTableCursor::NextWindowSize(TDirection Direction) {
    if (FWindowSize == 0 || Direction != FLastDirection)
        FWindowSize = FSetup.FirstWindow;
    else
        FWindowSize = std::min(FWindowSize * 2, FSetup.MaxWindow);
    FLastDirection = Direction;
    return FWindowSize;
}

std::vector<TRow> TTableCursor::Fetch(TDirection Direction, const TRow* Key, bool Inclusive) {
    if (Key == nullptr)
        FWindowSize = 0;  // a read from either end starts small
    const String Limit = " LIMIT " + std::to_string(NextWindowSize(Direction));
    const TConditions Filter = FilterConditions();
    std::vector<TConditions> Terms;
    if (Key == nullptr) {
        Terms.push_back({});
    } else if (!Inclusive && RowValueSeekIsExact(Direction, *Key)) {
        // One seek on the whole key, which the engine serves from the order's index.
        String Columns, Marks;
        for (size_t I = 0; I < Key->size(); ++I) {
            Columns += (I == 0 ? "" : ", ") + FQuoted[static_cast<size_t>(FSetup.OrderColumns[I])];
            Marks += (I == 0 ? "" : ", ") + ParamMark;
        }
        String Op = Direction == dForward ? " > " : " < ";
        Terms.push_back({{"(" + Columns + ")" + Op + "(" + Marks + ")", *Key}});
    } else {
        Terms = SeekTerms(Direction, *Key, Inclusive);
    }

    int ParamNo = 1;
    std::vector<TValue> Params;
    std::vector<String> Selects;
    for (TConditions& Term : Terms) {
        TConditions Conditions = Filter;
        Conditions.insert(Conditions.end(), Term.begin(), Term.end());
        for (const TCondition& C : Conditions)
            Params.insert(Params.end(), C.Params.begin(), C.Params.end());
        Selects.push_back(SelectSql(Conditions, Direction, ParamNo) + Limit);
    }
    String Sql;
    if (Selects.empty())
        return {};
    if (Selects.size() == 1) {
        Sql = Selects[0];
    } else {
        Sql = "SELECT * FROM (";
        for (size_t I = 0; I < Selects.size(); ++I) {
            if (I > 0)
                Sql += " UNION ALL ";
            Sql += "SELECT * FROM (" + Selects[I] + ") AS t" + std::to_string(I);
        }
        Sql += ") AS u" + OrderBy(Direction, "c") + Limit;
    }
    std::vector<TRow> Rows = Run(Sql, Params);
    if (Direction == dBackward)
        std::reverse(Rows.begin(), Rows.end());
    return Rows;
}

std::vector<TRow> TTableCursor::Run(const String& Sql, const std::vector<TValue>& Params) {
    // Cursors of one connection share its prepared statements: a new cursor (a new order, a
    // refresh) finds its statements ready.
    engine::Statement& Stmt = FSetup.Connection->CachedStatement(Sql);
    std::vector<TRow> Rows;
    try {
        for (size_t I = 0; I < Params.size(); ++I)
            Stmt.Bind(static_cast<int>(I) + 1, Params[I]);
        while (Stmt.Step()) {
            TRow Row;
            Row.reserve(static_cast<size_t>(Stmt.ColumnCount()));
            for (int C = 0; C < Stmt.ColumnCount(); ++C)
                Row.push_back(Stmt.Column(C));
            Rows.push_back(std::move(Row));
        }
        Stmt.Reset();
    } catch (...) {
        FSetup.Connection->ForgetStatement(Sql);
        throw;
    }
    return Rows;
}

// ---- TQueryCursor ----

TQueryCursor::TQueryCursor(std::shared_ptr<engine::Connection> Connection, const String& Sql)
    : FConnection(std::move(Connection)), FSql(Sql), FStatement(FConnection->Prepare(Sql)) {
    for (int I = 0; I < FStatement->ColumnCount(); ++I) {
        FNames.push_back(FStatement->ColumnName(I));
        FTypes.push_back(FStatement->ColumnDeclaredType(I));
    }
}

const TRow& TQueryCursor::Current() const {
    return FWindow[static_cast<size_t>(FPosition - FWindowStart)];
}

void TQueryCursor::Restart() {
    FStatement->Reset();
    FWindow.clear();
    FWindowStart = 0;
    FNextRow = 0;
    FExhausted = false;
}

bool TQueryCursor::ReadNext() {
    if (FExhausted)
        return false;
    if (!FStatement->Step()) {
        FExhausted = true;
        FKnownCount = FNextRow;
        FStatement->Reset();
        return false;
    }
    TRow Row;
    for (int C = 0; C < FStatement->ColumnCount(); ++C)
        Row.push_back(FStatement->Column(C));
    FWindow.push_back(std::move(Row));
    if (FWindow.size() > WindowSize) {
        FWindow.erase(FWindow.begin());
        ++FWindowStart;
    }
    ++FNextRow;
    return true;
}

bool TQueryCursor::GotoPosition(int64_t Position) {
    if (Position < 0)
        return false;
    if (Position < FWindowStart)
        Restart();
    while (Position >= FNextRow)
        if (!ReadNext())
            break;
    if (Position >= FNextRow || Position < FWindowStart) {
        // Not there: return to the current row, which the reading may have passed.
        if (FPosition >= 0 && (FPosition < FWindowStart || FPosition >= FNextRow)) {
            int64_t Current = FPosition;
            FPosition = -1;
            GotoPosition(Current);
        }
        return false;
    }
    FPosition = Position;
    return true;
}

bool TQueryCursor::First() {
    return GotoPosition(0);
}

bool TQueryCursor::Last() {
    while (ReadNext()) {
    }
    return FKnownCount > 0 && GotoPosition(FKnownCount - 1);
}

bool TQueryCursor::Next() {
    return GotoPosition(FPosition + 1);
}

bool TQueryCursor::Prior() {
    return FPosition > 0 && GotoPosition(FPosition - 1);
}

String TQueryCursor::Identity() const {
    return EncodeValues({TValue::FromInteger(FPosition)});
}

bool TQueryCursor::GotoIdentity(const String& Identity) {
    std::vector<TValue> Values = DecodeValues(Identity);
    if (Values.size() != 1 || Values[0].Kind != TValue::vkInteger)
        throw EDatabaseError("Invalid bookmark");
    return GotoPosition(Values[0].Integer);
}

int64_t TQueryCursor::RecordCount() {
    if (FKnownCount >= 0)
        return FKnownCount;
    // Count with a second statement, leaving this one where it is.
    String Sql = FSql;
    while (!Sql.empty() && (Sql.back() == ';' || static_cast<unsigned char>(Sql.back()) <= 32))
        Sql.pop_back();
    std::unique_ptr<engine::Statement> Counter =
        FConnection->Prepare("SELECT COUNT(*) FROM (" + Sql + "\n) AS q");
    return Counter->Step() ? Counter->Column(0).Integer : 0;
}

}  // namespace platform
