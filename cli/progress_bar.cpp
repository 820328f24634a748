#include "cli/progress_bar.h"

#include <cstdio>

#include "platform/console.h"

namespace qv::cli {
namespace {

constexpr int kBarCells = 30;
constexpr std::size_t kLineCells = 100;
constexpr std::size_t kHeadKept = 40;

bool isContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void writeStderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

std::string progressLine(int percent, const std::string& label) {
  percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  const int filled = percent * kBarCells / 100;
  std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(kBarCells - filled), '.') + "] ";
  const std::string number = std::to_string(percent) + "%";
  line += std::string(4 - number.size(), ' ') + number + "  " + label;
  if (line.size() > kLineCells) {
    // Both cuts fall between characters, so no UTF-8 sequence reaches the terminal in halves.
    std::size_t head = kHeadKept;
    while (head > 0 && isContinuationByte(line[head])) --head;
    std::size_t tail = line.size() - (kLineCells - kHeadKept - 3);
    while (tail < line.size() && isContinuationByte(line[tail])) ++tail;
    line = line.substr(0, head) + "..." + line.substr(tail);
  }
  return line;
}

ProgressBar::ProgressBar() : enabled_(platform::stderrIsTerminal()) {}

void ProgressBar::draw(int percent, const std::string& label) {
  if (!enabled_) return;
  const std::string line = progressLine(percent, label);
  if (line == shown_) return;
  std::string out = "\r" + line;
  if (line.size() < shown_.size()) out += std::string(shown_.size() - line.size(), ' ');
  shown_ = line;
  writeStderr(out);
}

void ProgressBar::clear() {
  if (!enabled_ || shown_.empty()) return;
  writeStderr("\r" + std::string(shown_.size(), ' ') + "\r");
  shown_.clear();
}

}  // namespace qv::cli
