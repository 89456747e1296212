// make-large-db PATH [ROWS]: writes the benchmarks' large table (1,000,000 rows unless
// ROWS is given) to the SQLite file PATH, replacing it.
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "LargeDb.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s PATH [ROWS]\n", argv[0]);
        return 2;
    }
    int Rows = argc == 3 ? std::stoi(argv[2]) : 1000000;
    auto Start = std::chrono::steady_clock::now();
    try {
        varnbench::MakeLargeDb(argv[1], Rows);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "make-large-db: %s\n", E.what());
        return 1;
    }
    std::chrono::duration<double> Took = std::chrono::steady_clock::now() - Start;
    std::printf("%s: %d rows in %.1f s\n", argv[1], Rows, Took.count());
    return 0;
}
