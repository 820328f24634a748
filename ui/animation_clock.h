// The frame clock of an animated button: which frame shows and when the next one is due, each
// frame kept on screen for its own delay. The control's timer only marks the next frame due;
// painting advances it, and asks for the timer to be restarted when the new frame's delay
// differs from the period the timer runs at.
#pragma once

#include <vector>

namespace qv::ui {

class AnimationClock {
 public:
  // Delays in milliseconds, one per frame. A delay under 20 ms is shown for 100 ms, as the
  // common viewers do for GIFs that ask for "as fast as possible".
  void setFrames(std::vector<int> delaysMs);
  bool hasAnimation() const { return !delays_.empty(); }
  int frameCount() const { return static_cast<int>(delays_.size()); }
  int delayOf(int frame) const;

  // Starts animating from the current frame; returns the timer period to start (0 when there
  // is nothing to animate).
  int start();
  // Stops animating; the frame shown stays.
  void stop();
  bool animating() const { return animating_; }

  // The timer fired: the next frame is due at the next paint.
  void tick();
  struct PaintStep {
    int frame = 0;
    int restartPeriod = 0;  // non-zero: restart the timer with this period
  };
  PaintStep paint();
  int currentFrame() const { return frame_; }
  int timerPeriod() const { return period_; }

 private:
  std::vector<int> delays_;
  int frame_ = 0;
  int period_ = 0;
  bool animating_ = false;
  bool due_ = false;
};

}  // namespace qv::ui
