#include "tests/framework/test_support.h"

#include <zlib.h>

#include "framework/control.h"
#include "platform/text.h"

namespace qv::framework::test {

namespace {

void put16(std::string& s, std::uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}
void put32(std::string& s, std::uint32_t v) {
  put16(s, static_cast<std::uint16_t>(v & 0xFFFF));
  put16(s, static_cast<std::uint16_t>(v >> 16));
}

std::string rawDeflate(const std::string& in) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(in.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace

std::string makeZip(const std::vector<ZipEntrySpec>& entries) {
  std::string out;
  std::string dir;
  for (const ZipEntrySpec& e : entries) {
    std::string data = e.deflate ? rawDeflate(e.data) : e.data;
    auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
    auto offset = static_cast<std::uint32_t>(out.size());
    std::uint16_t method = e.deflate ? 8 : 0;
    put32(out, 0x04034b50);
    put16(out, 20);
    put16(out, 0);
    put16(out, method);
    put32(out, 0);
    put32(out, crc);
    put32(out, static_cast<std::uint32_t>(data.size()));
    put32(out, static_cast<std::uint32_t>(e.data.size()));
    put16(out, static_cast<std::uint16_t>(e.name.size()));
    put16(out, 0);
    out += e.name;
    out += data;

    put32(dir, 0x02014b50);
    put16(dir, 20);
    put16(dir, 20);
    put16(dir, 0);
    put16(dir, method);
    put32(dir, 0);
    put32(dir, crc);
    put32(dir, static_cast<std::uint32_t>(data.size()));
    put32(dir, static_cast<std::uint32_t>(e.data.size()));
    put16(dir, static_cast<std::uint16_t>(e.name.size()));
    put16(dir, 0);
    put16(dir, 0);
    put16(dir, 0);
    put16(dir, 0);
    put32(dir, 0);
    put32(dir, offset);
    dir += e.name;
  }
  auto dirOffset = static_cast<std::uint32_t>(out.size());
  out += dir;
  put32(out, 0x06054b50);
  put16(out, 0);
  put16(out, 0);
  put16(out, static_cast<std::uint16_t>(entries.size()));
  put16(out, static_cast<std::uint16_t>(entries.size()));
  put32(out, static_cast<std::uint32_t>(dir.size()));
  put32(out, dirOffset);
  put16(out, 0);
  return out;
}

Size FixedMeasurer::measureText(std::wstring_view text, const TextStyle& style, int maxWidth) {
  ++measureCalls;
  int charW = (7 * dpi_ + 48) / 96;
  int lineH = (16 * dpi_ + 48) / 96;
  int width = static_cast<int>(text.size()) * charW;
  if (style.singleLine || maxWidth <= 0 || width <= maxWidth) return Size{width, lineH};
  int lines = (width + maxWidth - 1) / maxWidth;
  return Size{maxWidth, lines * lineH};
}

Size FixedMeasurer::imageSize(const std::string& file) {
  auto it = images.find(file);
  return it == images.end() ? Size{200, 100} : it->second;
}

std::vector<int> FixedMeasurer::animationDelays(const std::string& file) {
  auto it = animations.find(file);
  return it == animations.end() ? std::vector<int>{} : it->second;
}

std::vector<std::wstring> RecordingPainter::texts() const {
  std::vector<std::wstring> out;
  for (const PaintCall& c : calls) {
    if (c.op == "text") out.push_back(c.text);
  }
  return out;
}

const PaintCall* RecordingPainter::findText(std::wstring_view text) const {
  for (const PaintCall& c : calls) {
    if (c.op == "text" && c.text == text) return &c;
  }
  return nullptr;
}

bool RecordingTarget::onNotify(const Notification& n) {
  std::string name = n.sender ? platform::toUtf8(n.sender->name()) : std::string();
  seen.push_back(std::string(typeName(n.type)) + ":" + name);
  return handles_;
}

}  // namespace qv::framework::test
