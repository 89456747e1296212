// Helpers that the components share: text routines, the filter-condition writer
// AppendFilter, and (with the data layer) the sort-order and master-detail readers.
#pragma once

#include <functional>

#include "platform/DBTables.h"
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

// ---- Sort orders and master-detail links ----
//
// A sort field list names fields in sort order joined by ";" ("Name;City"); the empty
// text means no order. Only a platform::TTable (or a subclass) has an order here.

// The fields of the dataset's current index as a sort field list; empty for null and for
// every dataset that is not a table.
String ExtractSortFieldNames(const platform::TDataSet* DataSet);
// The first field of the current index that the master link does not fix, or empty.
// Empty as well for a null, closed or non-table dataset.
String ExtractFirstSortFieldName(const platform::TDataSet* DataSet);
// The table's master data source (null when it has none). Fails with platform::Exception
// "GetMasterSource() Unknown DataSet type." for anything but a table.
platform::TDataSource* GetMasterSource(const platform::TDataSet* DataSet);
// The table's MasterFields. Fails with "GetMasterFields() Unknown DataSet type." for
// anything but a table.
String GetMasterFields(const platform::TDataSet* DataSet);

// The report of a changed sort order: Done comes in true; a handler that sets it false
// has the same change reported again at the next data-set change.
using TSortChangeEvent = std::function<void(platform::TObject* Sender, const String& OldFields,
                                            const String& NewFields, bool& Done)>;

// Watches a table and reports each change of its sort order through OnSortChange.
class TSortDataLink : public platform::TDataLink {
  public:
    TSortDataLink() = default;

    TSortChangeEvent OnSortChange;
    // The last sort field list that was taken as current.
    String SortFieldNames;

  protected:
    void DataSetChanged() override;
};

}  // namespace varn
