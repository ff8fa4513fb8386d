#include "ui/ClickGuard.h"

#include <cstdlib>

namespace pictavo {

bool ClickGuard::Drop(bool press, const Event& event, const DoubleClick& limits) {
  if (armed_) {
    const bool nearby = std::abs(event.x - up_.x) <= limits.width && std::abs(event.y - up_.y) <= limits.height;
    if (nearby && event.time - up_.time <= limits.time) {
      if (!press) armed_ = false;  // its release ends it
      return true;
    }
    armed_ = false;
  }
  if (!press) {
    up_ = event;
    upSeen_ = true;
  }
  return false;
}

}  // namespace pictavo
