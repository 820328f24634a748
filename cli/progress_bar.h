// The progress bar of the commands that scan and recover: "[#######.............]  35%  label"
// on one line of standard error, drawn only when that is a terminal, so piped output and logs
// stay clean.
#pragma once

#include <string>

namespace qv::cli {

// The bar's line: percent clamped to 0..100; a line longer than a terminal's 100 cells keeps
// its start and its end, so a long path still shows its file name.
std::string progressLine(int percent, const std::string& label);

class ProgressBar {
 public:
  ProgressBar();
  // Draws progressLine when it differs from the line shown.
  void draw(int percent, const std::string& label);
  // Blanks the line, so that what follows starts on a clean one.
  void clear();

 private:
  bool enabled_;
  std::string shown_;
};

}  // namespace qv::cli
