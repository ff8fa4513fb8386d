#include "app/OSVersion_win.h"

#include <windows.h>

namespace pictavo {

static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionRecord), "the record is the ANSI version record");

OSVersion QueryOSVersion() {
  return OSVersion([](OsVersionRecord& record) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = record.size;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL ok = ::GetVersionExA(&info);
#pragma GCC diagnostic pop
    record.major = static_cast<int32_t>(info.dwMajorVersion);
    record.minor = static_cast<int32_t>(info.dwMinorVersion);
    record.build = static_cast<int32_t>(info.dwBuildNumber);
    record.platformId = static_cast<int32_t>(info.dwPlatformId);
    static_assert(sizeof(info.szCSDVersion) == sizeof(record.servicePack));
    for (size_t i = 0; i < record.servicePack.size(); ++i) record.servicePack[i] = info.szCSDVersion[i];
    return ok != 0;
  });
}

}  // namespace pictavo
