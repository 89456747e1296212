// Helpers that the components share: text routines, the filter-condition writer
// AppendFilter, and (with the data layer) the sort-order and master-detail readers.
#pragma once

#include "platform/SysUtils.h"

namespace varn {

using platform::String;

// True if S is not empty and its first character is C.
bool BeginsWith(const String& S, char C);
// True if S is not empty and its last character is C.
bool EndsWith(const String& S, char C);
// S trimmed and enclosed in brackets, unless it already begins with "[" and ends with "]":
// "" gives "[]", "[" gives "[[]", "[Last Name]" stays.
String BracketString(const String& S);
// S trimmed, with one enclosing pair of brackets removed: " [Last Name] " gives "Last Name",
// "[[a]]" gives "[a]", "[" stays.
String UnbracketString(const String& S);

// Writes one condition (field, operator, value) and returns Filter (trimmed) with the
// condition appended, joined by Link. Three shapes:
//  - null test: Operator "IS NULL" or "IS NOT NULL" (after trimming and upper-casing); Value
//    is not looked at;
//  - plain (Quoted false): Value written as passed; it must be one number, name or bracketed
//    name, blanks around it allowed;
//  - quoted: Value written as a literal in apostrophes. With Wildcards ("*?" or "*?\\": many,
//    one, escape; backslash by default) unescaped wildcards choose LIKE, STARTING WITH or
//    CONTAINING and are translated into TargetWildcards (same layout). Unless CaseSensitive
//    (or the operator is a CONTAINING that ignores case by itself, CaseSensitiveContaining
//    false), field and value are compared upper-cased.
// On return Link is upper-cased (AND when empty) if Filter was not empty, else left as
// passed; FieldName is trimmed and bracketed if it holds a blank; Operator is trimmed,
// upper-cased and possibly the one the wildcards chose; Value is the value that went into the
// condition, before quoting; CorrectedValue is the value in the caller's notation once the
// operator is chosen, empty when no value was processed.
// An empty operator, an empty plain value or a plain value that is not one token leaves the
// condition and its link word out, or with Exceptions fails. Failures throw platform::Exception
// (an empty FieldName always; a wrong Wildcards length for a quoted value; a wrong
// TargetWildcards length once the value holds a wildcard), and the in/out arguments keep what
// was made of them before the failure.
String AppendFilter(const String& Filter, String& Link, String& FieldName, String& Operator,
                    String& Value, String& CorrectedValue, bool Quoted, bool CaseSensitive,
                    const String& Wildcards, const String& TargetWildcards,
                    bool CaseSensitiveContaining, bool Exceptions);

}  // namespace varn
