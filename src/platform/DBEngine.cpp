// Values, the alias registry and the sharing of connections.
#include "platform/DBEngine.h"

#include <map>
#include <tuple>

namespace platform {

bool operator==(const TValue& A, const TValue& B) {
    if (A.Kind != B.Kind)
        return false;
    switch (A.Kind) {
        case TValue::vkNull:
            return true;
        case TValue::vkInteger:
            return A.Integer == B.Integer;
        case TValue::vkFloat:
            return A.Float == B.Float;
        default:
            return A.Text == B.Text;
    }
}

bool engine::IsPlainIdentifier(const String& Name) {
    if (Name.empty())
        return false;
    for (size_t I = 0; I < Name.size(); ++I) {
        char C = Name[I];
        bool Letter = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
        if (!Letter && !(I > 0 && C >= '0' && C <= '9'))
            return false;
    }
    return true;
}

String engine::Connection::NameInSql(const String& Name) const {
    return IsPlainIdentifier(Name) ? Name : QuoteIdentifier(Name);
}

engine::Statement& engine::Connection::CachedStatement(const String& Sql) {
    auto It = FStatementCache.find(Sql);
    if (It == FStatementCache.end()) {
        // The shapes of the statements cursors run are few; keep the cache bounded all the same.
        if (FStatementCache.size() >= 128)
            FStatementCache.clear();
        It = FStatementCache.emplace(Sql, Prepare(Sql)).first;
    }
    return *It->second;
}

void engine::Connection::Execute(const String& Sql) {
    std::unique_ptr<Statement> Stmt = Prepare(Sql);
    while (Stmt->Step()) {
    }
}

namespace {

struct TAlias {
    TDatabaseEngine Engine;
    String Target;
};

std::map<String, TAlias>& Aliases() {
    static std::map<String, TAlias> Registry;
    return Registry;
}

// Open connections by engine and target, shared while anyone holds them.
std::map<std::tuple<TDatabaseEngine, String>, std::weak_ptr<engine::Connection>>& Connections() {
    static std::map<std::tuple<TDatabaseEngine, String>, std::weak_ptr<engine::Connection>> Open;
    return Open;
}

TAlias Resolve(const String& DatabaseName) {
    auto It = Aliases().find(UpperCase(DatabaseName));
    if (It != Aliases().end())
        return It->second;
    return {deSQLite, DatabaseName};
}

}  // namespace

void RegisterAlias(const String& Name, TDatabaseEngine Engine, const String& Target) {
    if (Trim(Name).empty())
        throw EDatabaseError("An alias needs a name");
    Aliases()[UpperCase(Name)] = {Engine, Target};
}

void UnregisterAlias(const String& Name) {
    Aliases().erase(UpperCase(Name));
}

bool IsAlias(const String& Name) {
    return Aliases().count(UpperCase(Name)) > 0;
}

TDatabaseEngine EngineOfDatabase(const String& DatabaseName) {
    return Resolve(DatabaseName).Engine;
}

std::shared_ptr<engine::Connection> ConnectDatabase(const String& DatabaseName) {
    if (Trim(DatabaseName).empty())
        throw EDatabaseError("No database name given");
    TAlias Alias = Resolve(DatabaseName);
    auto Key = std::make_tuple(Alias.Engine, Alias.Target);
    if (auto Existing = Connections()[Key].lock(); Existing && !Existing->IsBroken())
        return Existing;
    std::shared_ptr<engine::Connection> Connection;
    switch (Alias.Engine) {
        case deSQLite:
            Connection = engine::ConnectSQLite(Alias.Target);
            break;
        case dePostgreSQL:
            Connection = engine::ConnectPostgreSQL(Alias.Target);
            break;
    }
    Connections()[Key] = Connection;
    return Connection;
}

}  // namespace platform
