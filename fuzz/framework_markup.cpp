// Any bytes as a layout file: the markup reader must end, stay inside the buffer and respect its
// depth cap; every attribute value then goes through the value, image and markup-text parsers
// the builder would hand it to.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "framework/image_ref.h"
#include "framework/markup.h"
#include "framework/markup_text.h"
#include "framework/values.h"

namespace {

int depthOf(const qv::framework::MarkupElement& e) {
  int deepest = 0;
  for (const auto& c : e.children) {
    int d = depthOf(c);
    if (d > deepest) deepest = d;
  }
  return deepest + 1;
}

void visit(const qv::framework::MarkupElement& e) {
  for (const auto& a : e.attributes) {
    qv::framework::ImageRef image;
    qv::framework::parseImageRef(a.value, &image);
    qv::framework::MarkupText text = qv::framework::parseMarkupText(a.value);
    for (const auto& run : text.runs) {
      if (run.link >= text.linkCount) std::abort();
    }
    qv::framework::Edges edges;
    qv::framework::parseEdges(a.value, &edges);
    qv::framework::Color color;
    qv::framework::parseColor(a.value, &color);
  }
  for (const auto& c : e.children) visit(c);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::framework::MarkupElement root;
  qv::framework::MarkupLimits limits;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (qv::framework::parseMarkup(bytes, &root, nullptr, limits) == 0) {
    if (depthOf(root) > limits.maxDepth) std::abort();
    visit(root);
  } else if (!root.name.empty() || !root.children.empty()) {
    std::abort();  // a failed read hands nothing out
  }
  return 0;
}
