#include "show/Slideshow_win.h"

namespace pictavo {

void RunShow() {}

}  // namespace pictavo
