// The reader of layout markup: the XML subset the skin's layout files are written in.
//
// Accepted input, as read here:
//   optional byte-order mark   EF BB BF (UTF-8), FF FE (UTF-16LE) or FE FF (UTF-16BE); without
//                              one the bytes are UTF-8 (malformed sequences become U+FFFD)
//   prolog                     "<?xml ...?>" declarations, comments "<!-- -->", "<!DOCTYPE ...>"
//   one root element           <name attr="value" attr='value' ...> children </name> or <name .../>
//   attribute values           entities &lt; &gt; &amp; &quot; &apos; &#N; &#xN; are decoded;
//                              a value may hold a raw "<" (layouts write markup text in them)
//   character data, CDATA      skipped: layouts carry everything in attributes
// Names are ASCII letters, digits and "_-.:"; element names keep their case, and so do
// attribute names (the builder compares them without case).
//
// The input is untrusted (a skin can be replaced): the reader is bounded in input size, element
// count, attributes per element and nesting depth, never recurses deeper than the depth cap, and
// reports the first fault with its line instead of guessing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv::framework {

struct MarkupAttribute {
  std::string name;
  std::wstring value;
};

struct MarkupElement {
  std::string name;
  std::vector<MarkupAttribute> attributes;  // document order; a repeated name is a fault
  std::vector<MarkupElement> children;
  int line = 0;

  // The value of the attribute with this name (ASCII case ignored), or null.
  const std::wstring* attribute(std::string_view name) const;
};

struct MarkupLimits {
  std::size_t maxBytes = 4u << 20;
  std::size_t maxElements = 200000;
  std::size_t maxAttributes = 256;  // per element
  int maxDepth = 64;
};

struct MarkupError {
  int line = 0;
  std::string what;
};

// Parses a whole document. 0 and the root element, or 87 (kInvalid) with the first fault's line
// and description in *error (when given). *root is cleared first.
int parseMarkup(std::string_view bytes, MarkupElement* root, MarkupError* error = nullptr,
                const MarkupLimits& limits = MarkupLimits{});

// The bytes as UTF-8 without a byte-order mark: UTF-16 input is converted, unpaired
// surrogates and malformed UTF-8 become U+FFFD.
std::string markupToUtf8(std::string_view bytes);

}  // namespace qv::framework
