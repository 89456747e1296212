// Form files: a text form of a component and the components it owns, with every
// published property. Reading makes the components, sets their properties in the loading
// state, resolves references by name once all exist, then calls Loaded on each.
//
//   object CustomerForm: TForm
//     Caption = 'Customers'
//     object Customers: TTable
//       DatabaseName = 'DEMO'
//       TableName = 'customer'
//     end
//   end
//
// Values: 'strings' (a quote doubled inside; #nnn for a byte outside 32..126), numbers,
// True/False, enumeration names, [set, members], ('lists' 'of' 'strings'), and names of
// components of the same form (nil for none).
#pragma once

#include "platform/Classes.h"

namespace platform {

// A form file could not be read; the message begins with the line number.
class EFormFileError : public Exception {
public:
    using Exception::Exception;
};

// The form text of Root and of every component it owns (controls nested in their
// parents' blocks), with every published property.
String WriteFormText(const TComponent* Root);

// Makes the components of a form text: the root with Owner as its owner (designing when
// Designing is set, so that everything made for it is designing from its constructor on),
// every other component owned by the root. On any error nothing that was made is left:
// the error is an EFormFileError naming the line and what was wrong.
TComponent* ReadFormText(const String& Text, TComponent* Owner, bool Designing = false);

}  // namespace platform
