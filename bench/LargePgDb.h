// The large table on a PostgreSQL server: the rows of the SQLite file copied into a table
// "people" of the same columns and indexes.
#pragma once

#include <string>

namespace varnbench {

// Copies the table people of the SQLite file at SqlitePath into the database of ConnInfo,
// replacing a table people there, unless one with as many rows is there already. Throws
// std::runtime_error on failure.
void CopyLargeDbToPostgres(const std::string& SqlitePath, const std::string& ConnInfo);

}  // namespace varnbench
