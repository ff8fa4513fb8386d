// The full-screen show: runs until input ends it, then returns.
#pragma once

namespace pictavo {

void RunShow();

}  // namespace pictavo
