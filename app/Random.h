// The process's pseudo-random numbers: seeded once at start, drawn by the show.
#pragma once
#include <cstdint>
#include <random>

namespace pictavo {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A number in [0, 1).
  virtual double Next() = 0;
};

class SeededRandom final : public RandomSource {
 public:
  explicit SeededRandom(uint64_t seed = 0) : engine_(seed) {}
  void Seed(uint64_t seed) { engine_.seed(seed); }
  // 53 random bits scaled into [0, 1): never 1.0, unlike some distribution implementations.
  double Next() override { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
  std::mt19937_64& Engine() { return engine_; }

 private:
  std::mt19937_64 engine_;
};

// The generator the running program uses; Windows start-up seeds it from the clock.
SeededRandom& ProcessRandom();

}  // namespace pictavo
