// A libpq connection and result owned by the benchmarks' bare side; every failure is
// thrown as std::runtime_error with the server's message.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace varnbench {

struct TPgResultDeleter {
    void operator()(PGresult* Result) const { PQclear(Result); }
};
using TPgResult = std::unique_ptr<PGresult, TPgResultDeleter>;

class TPgConnection {
  public:
    explicit TPgConnection(const std::string& ConnInfo) : FConn(PQconnectdb(ConnInfo.c_str())) {
        if (PQstatus(FConn) != CONNECTION_OK) {
            std::string Message = PQerrorMessage(FConn);
            PQfinish(FConn);
            throw std::runtime_error("Cannot connect to PostgreSQL: " + Message);
        }
    }
    ~TPgConnection() { PQfinish(FConn); }
    TPgConnection(const TPgConnection&) = delete;
    TPgConnection& operator=(const TPgConnection&) = delete;

    PGconn* Handle() const { return FConn; }

    // Runs SQL (one or more statements without parameters) that returns no rows.
    void Execute(const std::string& Sql) { Check(TPgResult(PQexec(FConn, Sql.c_str())), Sql); }
    // Runs one statement with text parameters and gives its rows.
    TPgResult Query(const std::string& Sql, const std::vector<std::string>& Params = {}) {
        std::vector<const char*> Values = ValuesOf(Params);
        return Check(TPgResult(PQexecParams(FConn, Sql.c_str(), static_cast<int>(Values.size()),
                                            nullptr, Values.data(), nullptr, nullptr, 0)),
                     Sql);
    }
    void Prepare(const std::string& Name, const std::string& Sql) {
        Check(TPgResult(PQprepare(FConn, Name.c_str(), Sql.c_str(), 0, nullptr)), Sql);
    }
    TPgResult RunPrepared(const std::string& Name, const std::vector<std::string>& Params) {
        std::vector<const char*> Values = ValuesOf(Params);
        return Check(TPgResult(PQexecPrepared(FConn, Name.c_str(), static_cast<int>(Values.size()),
                                              Values.data(), nullptr, nullptr, 0)),
                     Name);
    }

  private:
    static std::vector<const char*> ValuesOf(const std::vector<std::string>& Params) {
        std::vector<const char*> Values;
        for (const std::string& Param : Params)
            Values.push_back(Param.c_str());
        return Values;
    }
    TPgResult Check(TPgResult Result, const std::string& What) {
        ExecStatusType Status = PQresultStatus(Result.get());
        if (Status != PGRES_COMMAND_OK && Status != PGRES_TUPLES_OK && Status != PGRES_COPY_IN)
            throw std::runtime_error(What + ": " + PQerrorMessage(FConn));
        return Result;
    }

    PGconn* FConn;
};

}  // namespace varnbench
