#include "app/Random.h"

namespace pictavo {

SeededRandom& ProcessRandom() {
  static SeededRandom random;
  return random;
}

}  // namespace pictavo
