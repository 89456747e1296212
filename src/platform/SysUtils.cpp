// Byte-rule text routines and assertions.
#include "platform/SysUtils.h"

namespace platform {

String Trim(const String& S) {
    size_t First = 0;
    size_t Last = S.size();
    while (First < Last && static_cast<unsigned char>(S[First]) <= 32)
        ++First;
    while (Last > First && static_cast<unsigned char>(S[Last - 1]) <= 32)
        --Last;
    return S.substr(First, Last - First);
}

String UpperCase(const String& S) {
    String Result = S;
    for (char& C : Result)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return Result;
}

String LowerCase(const String& S) {
    String Result = S;
    for (char& C : Result)
        if (C >= 'A' && C <= 'Z')
            C = static_cast<char>(C - 'A' + 'a');
    return Result;
}

String IntToStr(int64_t Value) {
    return std::to_string(Value);
}

void Assert(bool Condition, const String& Message) {
    if (!Condition)
        throw EAssertionFailed(Message);
}

}  // namespace platform
