// A throwaway database for a test on either engine, made from SQL text: an SQLite file in a
// temporary folder, or a schema of its own on the PostgreSQL test server (whose connection
// string scripts/with-postgres.sh puts in VARN_PG_CONNINFO). Datasets reach it through
// DatabaseName(); Execute and Column use a connection of their own, as another program would.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DBEngine.h"
#include "support/TempDatabase.h"

namespace testing_support {

enum TTestEngine { teSQLite, tePostgreSQL };

inline const char* EngineName(TTestEngine Engine) {
    return Engine == teSQLite ? "SQLite" : "PostgreSQL";
}

class TTestDatabase {
  public:
    virtual ~TTestDatabase() = default;
    // The name a dataset's DatabaseName takes: a file path or an alias.
    virtual std::string DatabaseName() const = 0;
    // Runs statements separated by ";".
    virtual void Execute(const std::string& Sql) = 0;
    // The first column of every row of a query, as text ("NULL" for null).
    virtual std::vector<std::string> Column(const std::string& Sql) = 0;

    static std::unique_ptr<TTestDatabase> Make(TTestEngine Engine, const std::string& Sql);
};

class TSQLiteTestDatabase : public TTestDatabase {
  public:
    explicit TSQLiteTestDatabase(const std::string& Sql) : FFile(Sql) {}
    std::string DatabaseName() const override { return FFile.Path(); }
    void Execute(const std::string& Sql) override { FFile.Execute(Sql); }
    std::vector<std::string> Column(const std::string& Sql) override { return FFile.Column(Sql); }

  private:
    TempDatabase FFile;
};

// The statements of a script: split at ";" outside quotes.
inline std::vector<std::string> SplitStatements(const std::string& Sql) {
    std::vector<std::string> Statements;
    std::string Current;
    char Quote = 0;
    for (char C : Sql) {
        if (Quote != 0) {
            if (C == Quote)
                Quote = 0;
        } else if (C == '\'' || C == '"') {
            Quote = C;
        } else if (C == ';') {
            if (Current.find_first_not_of(" \t\r\n") != std::string::npos)
                Statements.push_back(Current);
            Current.clear();
            continue;
        }
        Current += C;
    }
    if (Current.find_first_not_of(" \t\r\n") != std::string::npos)
        Statements.push_back(Current);
    return Statements;
}

class TPostgresTestDatabase : public TTestDatabase {
  public:
    explicit TPostgresTestDatabase(const std::string& Sql) {
        const char* ConnInfo = std::getenv("VARN_PG_CONNINFO");
        if (ConnInfo == nullptr)
            throw std::runtime_error(
                "VARN_PG_CONNINFO is not set: run the tests through scripts/with-postgres.sh "
                "(make test does)");
        static std::atomic<int> Counter{0};
        std::string Suffix = std::to_string(getpid()) + "_" + std::to_string(Counter++);
        FSchema = "t" + Suffix;
        FAlias = "TESTPG" + Suffix;
        // The schema first, then a connection that finds its tables (and the domains of the
        // sample database in public) without qualification.
        platform::engine::ConnectPostgreSQL(ConnInfo)->Execute("CREATE SCHEMA " + FSchema);
        std::string InSchema =
            std::string(ConnInfo) + " options='-c search_path=" + FSchema + ",public'";
        FAdmin = platform::engine::ConnectPostgreSQL(InSchema);
        // The datasets' sessions carry the alias as their name, so a test can end them.
        platform::RegisterAlias(FAlias, platform::dePostgreSQL,
                                InSchema + " application_name=" + FAlias);
        Execute(Sql);
    }
    ~TPostgresTestDatabase() override {
        platform::UnregisterAlias(FAlias);
        try {
            FAdmin->Execute("DROP SCHEMA " + FSchema + " CASCADE");
        } catch (const std::exception&) {
            // The server may be gone after a test that ended the connection.
        }
    }

    std::string DatabaseName() const override { return FAlias; }
    // Ends, from the server's side, every session that the datasets opened.
    void EndDataSetSessions() {
        Execute(
            "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = '" +
            FAlias + "'");
    }
    void Execute(const std::string& Sql) override {
        for (const std::string& Statement : SplitStatements(Sql))
            FAdmin->Execute(Statement);
    }
    std::vector<std::string> Column(const std::string& Sql) override {
        std::vector<std::string> Values;
        auto Statement = FAdmin->Prepare(Sql);
        while (Statement->Step()) {
            platform::TValue V = Statement->Column(0);
            switch (V.Kind) {
                case platform::TValue::vkNull:
                    Values.push_back("NULL");
                    break;
                case platform::TValue::vkInteger:
                    Values.push_back(std::to_string(V.Integer));
                    break;
                default:
                    Values.push_back(V.Text);
                    break;
            }
        }
        return Values;
    }

  private:
    std::string FSchema;
    std::string FAlias;
    std::shared_ptr<platform::engine::Connection> FAdmin;
};

inline std::unique_ptr<TTestDatabase> TTestDatabase::Make(TTestEngine Engine,
                                                          const std::string& Sql) {
    if (Engine == teSQLite)
        return std::make_unique<TSQLiteTestDatabase>(Sql);
    return std::make_unique<TPostgresTestDatabase>(Sql);
}

}  // namespace testing_support
