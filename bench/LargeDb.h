// The large table of the benchmarks: an SQLite file with a table "people" of many rows
// of realistic, varied, deterministic data, indexed on Name and on City;Name.
#pragma once

#include <string>

namespace varnbench {

// Creates the database file at Path (replacing it) with the table people:
//   Id INTEGER PRIMARY KEY (1..Rows), Name VARCHAR(30) NOT NULL, FirstName VARCHAR(20),
//   City VARCHAR(30) (about 0.5% NULL), Born DATE, Visits INTEGER, Balance CURRENCY,
//   Member BOOLEAN
// and the indexes people_name ("Name") and people_city_name ("City", "Name").
// The same Rows and Seed give the same file content. Throws std::runtime_error on failure.
void MakeLargeDb(const std::string& Path, int Rows = 1000000, unsigned long long Seed = 1);

}  // namespace varnbench
