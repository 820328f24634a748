#include "framework/image_ref.h"

#include "framework/values.h"
#include "platform/text.h"

namespace qv::framework {

namespace {

bool isBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

}  // namespace

bool parseImageRef(std::wstring_view text, ImageRef* out) {
  *out = ImageRef{};
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  if (i == text.size()) return true;
  if (text.find(L'=') == std::wstring_view::npos) {
    std::wstring_view name = text.substr(i);
    while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
    out->file = platform::toUtf8(name);
    return true;
  }
  ImageRef r;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i == text.size()) break;
    std::size_t eq = text.find(L'=', i);
    if (eq == std::wstring_view::npos) return false;
    std::wstring_view key = text.substr(i, eq - i);
    while (!key.empty() && isBlank(key.back())) key.remove_suffix(1);
    i = eq + 1;
    while (i < text.size() && isBlank(text[i])) ++i;
    std::wstring_view value;
    if (i < text.size() && (text[i] == L'\'' || text[i] == L'"')) {
      wchar_t q = text[i];
      std::size_t close = text.find(q, i + 1);
      if (close == std::wstring_view::npos) return false;
      value = text.substr(i + 1, close - i - 1);
      i = close + 1;
    } else {
      std::size_t stop = i;
      while (stop < text.size() && !isBlank(text[stop])) ++stop;
      value = text.substr(i, stop - i);
      i = stop;
    }
    if (key == L"file" || key == L"res") {
      r.file = platform::toUtf8(value);
    } else if (key == L"source") {
      if (!parseRect(value, &r.source)) return false;
      r.hasSource = true;
    } else if (key == L"dest") {
      if (!parseRect(value, &r.dest)) return false;
      r.hasDest = true;
    } else if (key == L"corner") {
      if (!parseEdges(value, &r.corner)) return false;
    } else if (key == L"fade") {
      if (!parseInt(value, &r.fade) || r.fade < 0 || r.fade > 255) return false;
    }
  }
  if (r.file.empty()) return false;
  *out = std::move(r);
  return true;
}

std::string scaledImageName(std::string_view file, int sheetScale) {
  if (sheetScale <= 1) return std::string(file);
  std::size_t slash = file.find_last_of("/\\");
  std::size_t dot = file.rfind('.');
  std::string suffix = "@" + std::to_string(sheetScale) + "x";
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
    return std::string(file) + suffix;
  }
  return std::string(file.substr(0, dot)) + suffix + std::string(file.substr(dot));
}

Rect imagePart(int sheetWidth, int sheetHeight, int count, int index) {
  if (count < 1 || index < 0 || index >= count || sheetWidth <= 0) return Rect{};
  int w = sheetWidth / count;
  return Rect{w * index, 0, w * (index + 1), sheetHeight};
}

}  // namespace qv::framework
