// Reader of binary property lists (bplist00), bounds-checked for hostile input.
//
// Layout (all integers big-endian):
//   offset 0, 8 bytes     "bplist00"
//   offset 8 ...          the objects, each starting with a marker byte (high nibble = type,
//                         low nibble = size or 0xF followed by an integer object with the size)
//   offsetTableOffset     numObjects offsets of offsetIntSize bytes each; entry i is where object
//                         i starts
//   last 32 bytes         trailer: 6 unused bytes, offsetIntSize (1, 2, 4 or 8), objectRefSize
//                         (1, 2, 4 or 8), numObjects (8), topObject (8), offsetTableOffset (8)
// Arrays and dicts hold object references (indexes, objectRefSize bytes each); a dict holds all
// its key references, then all its value references.
//
// Invariants checked: the trailer fits; the offset table lies between the header and the
// trailer and holds numObjects entries; every offset points into the object area; every
// reference is below numObjects; no object contains itself; nesting stays within
// kPlistMaxDepth and the tree within kPlistMaxValues values (shared references could
// otherwise multiply it).
#pragma once

#include <string_view>

#include "backup/plist_value.h"

namespace qv::plist {

// True when bytes start with the binary-plist magic.
bool looksLikeBinaryPlist(std::string_view bytes);

// Builds the tree of the top object. 0, or kInvalid for a damaged plist (*out is then null).
int readBinaryPlist(std::string_view bytes, PlistValue* out);

}  // namespace qv::plist
