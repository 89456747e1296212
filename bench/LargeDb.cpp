// Writes the benchmarks' large table through one prepared INSERT in one transaction, with
// the indexes made after the rows (a sort is much faster than a million index inserts).
#include "LargeDb.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <stdexcept>

namespace varnbench {

namespace {

// splitmix64: a tiny generator whose sequence depends on nothing but the seed.
class TRandom {
  public:
    explicit TRandom(uint64_t Seed) : FState(Seed) {}
    uint64_t Next() {
        uint64_t Z = (FState += 0x9E3779B97F4A7C15ull);
        Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
        Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
        return Z ^ (Z >> 31);
    }
    // A number in 0 .. N-1.
    size_t Below(size_t N) { return static_cast<size_t>(Next() % N); }
    // A number in 0 .. N-1 where small numbers are more frequent, as with town sizes.
    size_t Skewed(size_t N) {
        double U = static_cast<double>(Next() >> 11) / static_cast<double>(1ull << 53);
        return static_cast<size_t>(U * U * static_cast<double>(N));
    }
    template <size_t N>
    const char* Pick(const char* const (&Items)[N]) {
        return Items[Below(N)];
    }

  private:
    uint64_t FState;
};

// Family names are a stem, sometimes a linking syllable, and an ending: about 100,000
// different names of 2 to 16 letters, a fifth of them six letters long.
const char* const Stems[] = {
    "Abb",  "Ack",  "Ad",   "Alder", "An",    "Ander", "Ar",   "Ash",  "Bad",   "Bal",  "Bar",
    "Bax",  "Bel",  "Ben",  "Ber",   "Black", "Bol",   "Bran", "Bren", "Brook", "Bur",  "Cal",
    "Car",  "Chal", "Ches", "Cla",   "Col",   "Cor",   "Cran", "Cum",  "Dal",   "Dan",  "Dar",
    "Den",  "Dor",  "Drum", "Dun",   "Ed",    "El",    "Ell",  "Em",   "Er",    "Ev",   "Fair",
    "Far",  "Fen",  "Fin",  "Fitz",  "Ford",  "Gal",   "Gar",  "Gil",  "Gold",  "Gra",  "Green",
    "Gul",  "Hal",  "Ham",  "Har",   "Hart",  "Hay",   "Hel",  "Her",  "Hol",   "Horn", "Hun",
    "Ing",  "Ire",  "Jan",  "Jen",   "Jor",   "Kal",   "Kel",  "Ken",  "Kim",   "Kir",  "Lam",
    "Lan",  "Lang", "Lar",  "Law",   "Ler",   "Lind",  "Lock", "Lor",  "Lund",  "Mac",  "Mal",
    "Man",  "Mar",  "Mat",  "Mel",   "Mer",   "Mil",   "Mor",  "Mur",  "Nash",  "Nel",  "New",
    "Nor",  "Oak",  "Ol",   "Or",    "Os",    "Pal",   "Par",  "Pem",  "Pen",   "Per",  "Pol",
    "Pres", "Quin", "Rad",  "Ram",   "Ran",   "Ray",   "Red",  "Ren",  "Rich",  "Rob",  "Ros",
    "Row",  "Rud",  "Sal",  "Sand",  "Sax",   "Sel",   "Shaw", "Shel", "Sher",  "Sim",  "Smal",
    "Sol",  "Stan", "Stav", "Stein", "Strat", "Sut",   "Tal",  "Tam",  "Tan",   "Tay",  "Ther",
    "Thor", "Tol",  "Tor",  "Trev",  "Tul",   "Val",   "Van",  "Ver",  "Vik",   "Wal",  "War",
    "Wat",  "Wel",  "Wen",  "Whit",  "Wil",   "Win",   "Wolf", "Wood", "Yar",   "Yor",  "Zan",
    "Zel",  "Zim",  "Quar", "Ux",    "Ov"};
const char* const Links[] = {"",  "",  "",   "",   "",   "",   "a",  "e",
                             "i", "o", "an", "en", "er", "in", "el", "ar"};
const char* const Endings[] = {
    "",      "s",    "son",  "sen", "ton", "ley",  "man", "mann", "berg",  "ford",  "wood",
    "er",    "ez",   "ini",  "ova", "ski", "well", "by",  "ham",  "stead", "dal",   "rick",
    "ing",   "ard",  "ett",  "ow",  "e",   "a",    "o",   "i",    "ack",   "ridge", "field",
    "hurst", "more", "kins", "ers", "ens", "ek",   "ic",  "ner",  "ling",  "ton",   "ley"};
const char* const FirstNames[] = {
    "Ada",   "Alan",  "Alice", "Amir",   "Anna",  "Arjun", "Beatrix", "Ben",    "Carla",
    "Chen",  "Clara", "Dan",   "Dora",   "Elena", "Emeka", "Erik",    "Fatima", "Felix",
    "Grace", "Hana",  "Hugo",  "Ines",   "Ivan",  "Jack",  "Jana",    "Joao",   "Julia",
    "Kai",   "Karin", "Leila", "Liam",   "Lucia", "Mara",  "Mateo",   "Mei",    "Nadia",
    "Nils",  "Noor",  "Olga",  "Omar",   "Paula", "Pavel", "Priya",   "Quinn",  "Rafael",
    "Rosa",  "Sam",   "Sara",  "Sofia",  "Tariq", "Tess",  "Theo",    "Uma",    "Victor",
    "Vera",  "Wanda", "Wei",   "Xavier", "Yara",  "Yusuf", "Zoe",     "Zoltan"};
const char* const Cities[] = {
    "Aldbury",      "Ashcombe",   "Barrowfield", "Belmont",      "Birchwood",    "Bramley",
    "Brightwater",  "Carlton",    "Castlemere",  "Cedar Falls",  "Clearwater",   "Coldbrook",
    "Dalton",       "Deepdale",   "Dunmore",     "East Harbour", "Elmstead",     "Fairport",
    "Fenwick",      "Foxley",     "Glenrock",    "Greenhill",    "Hallam",       "Harwood",
    "Highcliff",    "Holloway",   "Ironbridge",  "Kelso",        "Kingsmere",    "Lakeview",
    "Langley",      "Lindale",    "Longford",    "Marlow",       "Meadowbank",   "Millbrook",
    "Moorside",     "Newhaven",   "Northgate",   "Oakridge",     "Old Mill",     "Pembury",
    "Port Ellis",   "Queensbury", "Redcliffe",   "Riverton",     "Rosedale",     "Saltcombe",
    "Sandford",     "Silverlake", "South Bay",   "Stanmore",     "Stillwater",   "Stonehaven",
    "Summerfield",  "Thornton",   "Upton",       "Westbrook",    "Whitby Cross", "Willowdale",
    "Winterbourne", "Woodbridge", "Yarrow",      "St. Anne's",   "Zellby"};

// A family name: mostly capitalised; a few with a particle ("van ", "de ", "O'"), a few
// written in capitals, as such names come in real address lists.
std::string FamilyName(TRandom& Random) {
    // One draw per statement, so the sequence does not depend on the compiler's order
    // of evaluating operands.
    std::string Name = Random.Pick(Stems);
    Name += Random.Pick(Links);
    Name += Random.Pick(Endings);
    for (size_t I = 1; I < Name.size(); ++I)
        if (Name[I] >= 'A' && Name[I] <= 'Z')
            Name[I] = static_cast<char>(Name[I] - 'A' + 'a');
    switch (Random.Below(200)) {
        case 0:
            return "van " + Name;
        case 1:
            return "de " + Name;
        case 2:
        case 3:
            return "O'" + Name;
        case 4:
            for (char& C : Name)
                if (C >= 'a' && C <= 'z')
                    C = static_cast<char>(C - 'a' + 'A');
            return Name;
        default:
            return Name;
    }
}

class TDatabase {
  public:
    explicit TDatabase(const std::string& Path) {
        if (sqlite3_open(Path.c_str(), &FDb) != SQLITE_OK)
            Fail("Cannot open " + Path);
    }
    ~TDatabase() { sqlite3_close(FDb); }
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    void Execute(const char* Sql) {
        if (sqlite3_exec(FDb, Sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            Fail(Sql);
    }
    sqlite3_stmt* Prepare(const char* Sql) {
        sqlite3_stmt* Stmt = nullptr;
        if (sqlite3_prepare_v2(FDb, Sql, -1, &Stmt, nullptr) != SQLITE_OK)
            Fail(Sql);
        return Stmt;
    }
    [[noreturn]] void Fail(const std::string& What) {
        throw std::runtime_error(What + ": " + sqlite3_errmsg(FDb));
    }

  private:
    sqlite3* FDb = nullptr;
};

void BindText(sqlite3_stmt* Stmt, int Index, const std::string& Text) {
    sqlite3_bind_text(Stmt, Index, Text.data(), static_cast<int>(Text.size()), SQLITE_TRANSIENT);
}

}  // namespace

void MakeLargeDb(const std::string& Path, int Rows, unsigned long long Seed) {
    std::remove(Path.c_str());
    TDatabase Db(Path);
    // The file is made in one go: no journal, no syncing until the end.
    Db.Execute("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -65536");
    Db.Execute(
        "CREATE TABLE people ("
        " \"Id\" INTEGER NOT NULL PRIMARY KEY,"
        " \"Name\" VARCHAR(30) NOT NULL,"
        " \"FirstName\" VARCHAR(20),"
        " \"City\" VARCHAR(30),"
        " \"Born\" DATE,"
        " \"Visits\" INTEGER,"
        " \"Balance\" CURRENCY,"
        " \"Member\" BOOLEAN)");
    Db.Execute("BEGIN");
    sqlite3_stmt* Insert = Db.Prepare("INSERT INTO people VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    TRandom Random(Seed);
    char Date[16];
    for (int Id = 1; Id <= Rows; ++Id) {
        sqlite3_bind_int(Insert, 1, Id);
        BindText(Insert, 2, FamilyName(Random));
        if (Random.Below(50) == 0)
            sqlite3_bind_null(Insert, 3);
        else
            BindText(Insert, 3, Random.Pick(FirstNames));
        if (Random.Below(200) == 0)
            sqlite3_bind_null(Insert, 4);
        else
            BindText(Insert, 4, Cities[Random.Skewed(std::size(Cities))]);
        int Year = 1930 + static_cast<int>(Random.Below(76));
        int Month = 1 + static_cast<int>(Random.Below(12));
        int Day = 1 + static_cast<int>(Random.Below(28));
        std::snprintf(Date, sizeof Date, "%04d-%02d-%02d", Year, Month, Day);
        BindText(Insert, 5, Date);
        sqlite3_bind_int(Insert, 6, static_cast<int>(Random.Below(500)));
        // Money in cents, stored as the decimal amount.
        sqlite3_bind_double(Insert, 7, (static_cast<double>(Random.Below(600000)) - 50000) / 100);
        sqlite3_bind_int(Insert, 8, Random.Below(3) == 0 ? 1 : 0);
        if (sqlite3_step(Insert) != SQLITE_DONE) {
            sqlite3_finalize(Insert);
            Db.Fail("Inserting into people");
        }
        sqlite3_reset(Insert);
    }
    sqlite3_finalize(Insert);
    Db.Execute("COMMIT");
    Db.Execute("CREATE INDEX people_name ON people (\"Name\")");
    Db.Execute("CREATE INDEX people_city_name ON people (\"City\", \"Name\")");
}

}  // namespace varnbench
