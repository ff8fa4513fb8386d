#pragma once
#include "app/OSVersion.h"

namespace pictavo {

// An OSVersion that asks the running Windows (GetVersionExA).
OSVersion QueryOSVersion();

}  // namespace pictavo
