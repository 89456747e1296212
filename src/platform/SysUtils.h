// Text routines, the error classes and assertions that the whole platform shares.
// Text is bytes, one per character; no routine here looks at a locale.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace platform {

using String = std::string;

// Removes every leading and trailing character whose code is 0 to 32.
String Trim(const String& S);
// Maps the letters a to z to A to Z; every other byte stays as it is.
String UpperCase(const String& S);
// Maps the letters A to Z to a to z; every other byte stays as it is.
String LowerCase(const String& S);
// The number in decimal, with a leading '-' when negative.
String IntToStr(int64_t Value);

// The general error of the platform. Message() is the text exactly as given.
class Exception : public std::exception {
  public:
    explicit Exception(String Message) : FMessage(std::move(Message)) {}
    const String& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

  private:
    String FMessage;
};

// A failed internal consistency check (see Assert).
class EAssertionFailed : public Exception {
  public:
    using Exception::Exception;
};

// An index or argument out of range in a list or collection.
class EListError : public Exception {
  public:
    using Exception::Exception;
};

// A component's name or ownership was misused.
class EComponentError : public Exception {
  public:
    using Exception::Exception;
};

// An object could not be assigned to another of an unrelated class.
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// Sets a flag for as long as it lives, then gives the flag back its old value, however
// the scope is left. Guards against re-entry through one's own notifications.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& Flag) : FFlag(Flag), FOld(Flag) { FFlag = true; }
    ~TFlagGuard() { FFlag = FOld; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

// Throws EAssertionFailed with Message when Condition is false. Never aborts.
void Assert(bool Condition, const String& Message = "Assertion failed");

}  // namespace platform
