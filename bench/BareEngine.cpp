// The bare engines' shared parts: prefix ranges and patterns, and the engines of a run.
#include "BareEngine.h"

#include <stdexcept>

namespace varnbench {

const char* const SelectList =
    R"("Id", "Name", "FirstName", "City", "Born", "Visits", "Balance", "Member")";

std::pair<std::string, std::string> PrefixRange(const std::string& Prefix, bool CaseInsensitive) {
    if (Prefix.empty() || static_cast<unsigned char>(Prefix.back()) == 0xFF)
        throw std::invalid_argument("PrefixRange: a non-empty prefix not ending in 0xFF");
    std::string Low = Prefix, High = Prefix;
    if (CaseInsensitive)
        for (size_t I = 0; I < Prefix.size(); ++I) {
            unsigned char C = static_cast<unsigned char>(Prefix[I]);
            Low[I] = static_cast<char>(C >= 'a' && C <= 'z' ? C - 'a' + 'A' : C);
            High[I] = static_cast<char>(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C);
        }
    High.back() = static_cast<char>(High.back() + 1);
    return {Low, High};
}

std::string LikePrefixPattern(const std::string& Prefix) {
    std::string Pattern;
    for (char C : Prefix) {
        if (C == '%' || C == '_' || C == '\\')
            Pattern += '\\';
        Pattern += C;
    }
    return Pattern + "%";
}

namespace {

std::unique_ptr<TBareEngine>& Slot(TEngineKind Kind) {
    static std::unique_ptr<TBareEngine> Engines[2];
    return Engines[Kind];
}

}  // namespace

TBareEngine& BareEngine(TEngineKind Kind) {
    std::unique_ptr<TBareEngine>& Engine = Slot(Kind);
    if (!Engine)
        Engine = Kind == ekSQLite ? MakeBareSQLite() : MakeBarePostgres();
    return *Engine;
}

void ReleaseBareEngines() {
    Slot(ekSQLite).reset();
    Slot(ekPostgreSQL).reset();
}

}  // namespace varnbench
