// A temporary SQLite database file for a test, made from SQL text and removed afterwards.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

class TempDatabase {
  public:
    // Creates the file and runs Sql (several statements) in it.
    explicit TempDatabase(const std::string& Sql) {
        std::string Template =
            (std::filesystem::temp_directory_path() / "varn-test-XXXXXX").string();
        if (mkdtemp(Template.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        FDirectory = Template;
        FPath = FDirectory + "/test.db";
        Execute(Sql);
    }
    ~TempDatabase() {
        std::error_code Ignored;
        std::filesystem::remove_all(FDirectory, Ignored);
    }
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const std::string& Path() const { return FPath; }
    const std::string& Directory() const { return FDirectory; }

    // Runs SQL on a connection of its own, as another program would.
    void Execute(const std::string& Sql) const {
        sqlite3* Db = Open();
        char* Error = nullptr;
        int Rc = sqlite3_exec(Db, Sql.c_str(), nullptr, nullptr, &Error);
        std::string Message = Error ? Error : "";
        sqlite3_free(Error);
        sqlite3_close(Db);
        if (Rc != SQLITE_OK)
            throw std::runtime_error("SQL failed: " + Message);
    }

    // The first column of every row of a query, as text ("NULL" for null).
    std::vector<std::string> Column(const std::string& Sql) const {
        sqlite3* Db = Open();
        sqlite3_stmt* Stmt = nullptr;
        std::vector<std::string> Values;
        if (sqlite3_prepare_v2(Db, Sql.c_str(), -1, &Stmt, nullptr) != SQLITE_OK) {
            std::string Message = sqlite3_errmsg(Db);
            sqlite3_close(Db);
            throw std::runtime_error("SQL failed: " + Message);
        }
        while (sqlite3_step(Stmt) == SQLITE_ROW) {
            auto* Text = sqlite3_column_text(Stmt, 0);
            Values.push_back(Text ? reinterpret_cast<const char*>(Text) : "NULL");
        }
        sqlite3_finalize(Stmt);
        sqlite3_close(Db);
        return Values;
    }

  private:
    sqlite3* Open() const {
        sqlite3* Db = nullptr;
        if (sqlite3_open(FPath.c_str(), &Db) != SQLITE_OK) {
            sqlite3_close(Db);
            throw std::runtime_error("cannot open " + FPath);
        }
        return Db;
    }
    std::string FDirectory;
    std::string FPath;
};

}  // namespace testing_support
