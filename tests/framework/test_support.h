// Shared fixtures of the framework tests: a zip writer for archives of any shape (damaged ones
// included), a text measurer with fixed metrics, a painter that records every call, and a
// window host that records what the window asked of the system.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/painter.h"
#include "framework/window.h"

namespace qv::framework::test {

struct ZipEntrySpec {
  std::string name;
  std::string data;
  bool deflate = true;
};

// A well-formed archive of the entries (no data descriptors, no comment).
std::string makeZip(const std::vector<ZipEntrySpec>& entries);

// Every character is 7 pixels wide at 96 DPI and lines are 16 high, scaled with the DPI, so
// layout figures can be worked out by hand. Images are 200 x 100 unless set in `images`.
class FixedMeasurer : public TextMeasurer {
 public:
  explicit FixedMeasurer(int dpi = 96) : dpi_(dpi) {}
  Size measureText(std::wstring_view text, const TextStyle& style, int maxWidth) override;
  Size imageSize(const std::string& file) override;
  std::vector<int> animationDelays(const std::string& file) override;
  std::map<std::string, Size> images;
  std::map<std::string, std::vector<int>> animations;
  int measureCalls = 0;

 protected:
  int dpi_;
};

struct PaintCall {
  std::string op;  // "fill", "round", "border", "line", "image", "text", "clip", "unclip"
  Rect rect;
  Color color = 0;
  std::wstring text;
  std::string file;
  Rect source;
};

class RecordingPainter : public Painter {
 public:
  explicit RecordingPainter(int dpi = 96) : measurer_(dpi), dpi_(dpi) {}
  void fillRect(const Rect& r, Color c) override { record("fill", r, c); }
  void fillRoundRect(const Rect& r, Color c, int) override { record("round", r, c); }
  void drawBorder(const Rect& r, Color c, int, int) override { record("border", r, c); }
  void drawLine(Point a, Point b, Color c, int) override {
    record("line", Rect{a.x, a.y, b.x, b.y}, c);
  }
  void drawImage(const ImageRef& image, const Rect& r, const Rect& source) override {
    PaintCall& call = record("image", r, 0);
    call.file = image.file;
    call.source = source.empty() ? image.source : source;
  }
  void drawText(const Rect& r, std::wstring_view text, const TextStyle& style) override {
    record("text", r, style.color).text = std::wstring(text);
  }
  void drawAnimationFrame(const std::string& file, int frame, const Rect& r) override {
    PaintCall& call = record("frame", r, 0);
    call.file = file;
    call.source = Rect{frame, 0, frame, 0};
  }
  void pushClip(const Rect& r) override {
    record("clip", r, 0);
    clips_.push_back(clips_.empty() ? r : clips_.back().intersect(r));
  }
  void popClip() override {
    record("unclip", Rect{}, 0);
    if (!clips_.empty()) clips_.pop_back();
  }
  Rect clipRect() const override {
    return clips_.empty() ? Rect{-1000000, -1000000, 1000000, 1000000} : clips_.back();
  }
  int dpi() const override { return dpi_; }
  Size measureText(std::wstring_view text, const TextStyle& style, int maxWidth) override {
    return measurer_.measureText(text, style, maxWidth);
  }
  Size imageSize(const std::string& file) override { return measurer_.imageSize(file); }
  std::vector<int> animationDelays(const std::string& file) override {
    return measurer_.animationDelays(file);
  }
  FixedMeasurer& measurer() { return measurer_; }

  std::vector<PaintCall> calls;
  std::vector<std::wstring> texts() const;
  const PaintCall* findText(std::wstring_view text) const;

 private:
  PaintCall& record(const char* op, const Rect& r, Color c) {
    PaintCall call;
    call.op = op;
    call.rect = r;
    call.color = c;
    calls.push_back(call);
    return calls.back();
  }
  FixedMeasurer measurer_;
  int dpi_;
  std::vector<Rect> clips_;
};

class RecordingHost : public WindowHost {
 public:
  void invalidateRect(const Rect&) override { ++invalidations; }
  void startSystemTimer(TimerTable::Key key, int periodMs) override { running[key] = periodMs; }
  void stopSystemTimer(TimerTable::Key key) override { running.erase(key); }
  void setMouseCapture(bool on) override { captured = on; }
  void wakeForPosted() override { ++wakes; }
  void controlDetached(Control* c) override { detached.push_back(c); }
  void layoutChanged() override { ++layouts; }

  int invalidations = 0;
  std::map<TimerTable::Key, int> running;
  bool captured = false;
  int wakes = 0;
  std::vector<Control*> detached;
  int layouts = 0;
};

// Records every notification it sees as "type:name" and answers handled or not.
class RecordingTarget : public NotifyTarget {
 public:
  explicit RecordingTarget(bool handles = true) : handles_(handles) {}
  bool onNotify(const Notification& n) override;
  std::vector<std::string> seen;

 private:
  bool handles_;
};

}  // namespace qv::framework::test
