// The working memory a decode holds beyond the pixels it fills (libjpeg's coefficients, a whole file read
// at once, a whole decoded frame), asked for before it is taken, so that decodes running at the same time
// stay within one budget together. Plain C++.
#pragma once
#include <cstdint>

namespace pictavo {

class WorkingMemory {
 public:
  virtual ~WorkingMemory() = default;
  // Waits until `bytes` can be had; false when the decode is to give up instead.
  virtual bool Take(uint64_t bytes) noexcept = 0;
  virtual void Give(uint64_t bytes) noexcept = 0;
};

}  // namespace pictavo
