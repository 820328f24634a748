#include "ui/animation_clock.h"

namespace qv::ui {

void AnimationClock::setFrames(std::vector<int> delaysMs) {
  delays_ = std::move(delaysMs);
  frame_ = 0;
  period_ = 0;
  animating_ = false;
  due_ = false;
}

int AnimationClock::delayOf(int frame) const {
  if (frame < 0 || frame >= frameCount()) return 0;
  int d = delays_[static_cast<std::size_t>(frame)];
  return d < 20 ? 100 : d;
}

int AnimationClock::start() {
  if (!hasAnimation()) return 0;
  animating_ = true;
  period_ = delayOf(frame_);
  return period_;
}

void AnimationClock::stop() {
  animating_ = false;
  due_ = false;
  period_ = 0;
}

void AnimationClock::tick() {
  if (animating_) due_ = true;
}

AnimationClock::PaintStep AnimationClock::paint() {
  PaintStep step;
  if (due_ && animating_ && hasAnimation()) {
    due_ = false;
    frame_ = (frame_ + 1) % frameCount();
    int delay = delayOf(frame_);
    if (delay != period_) {
      period_ = delay;
      step.restartPeriod = delay;
    }
  }
  step.frame = frame_;
  return step;
}

}  // namespace qv::ui
