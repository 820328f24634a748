// Reader of XML property lists, enough of XML for what property-list writers produce.
//
// Shape:  [<?xml ...?>] [<!DOCTYPE ...>] <plist version="1.0"> VALUE </plist>
//   VALUE: <dict> (<key>TEXT</key> VALUE)* </dict> | <array> VALUE* </array>
//          | <string>TEXT</string> | <integer>TEXT</integer> | <real>TEXT</real>
//          | <date>TEXT</date> | <data>BASE64</data> | <true/> | <false/>
//   and the empty forms <dict/>, <array/>, <string/>, ...
// TEXT may hold the entities &amp; &lt; &gt; &quot; &apos; &#N; &#xN; and CDATA sections.
// BASE64 may be broken by spaces, tabs and line ends, which are skipped. Comments and
// processing instructions between elements are skipped.
//
// Invariants checked: every element is closed by its own name; nesting stays within
// kPlistMaxDepth; integers fit 64 bits; base64 holds only its alphabet and '=' at the end.
#pragma once

#include <string_view>

#include "backup/plist_value.h"

namespace qv::decrypt {

// Builds the tree of the plist's one top value. 0, or kInvalid (*out is then null).
int readXmlPlist(std::string_view text, plist::PlistValue* out);

// Either form, told apart by the bplist00 magic.
int readAnyPlist(std::string_view bytes, plist::PlistValue* out);

}  // namespace qv::decrypt
