#include "app/OSVersion.h"

namespace pictavo {

OSVersion::OSVersion(const Query& query) { QueryVersion(query); }

void OSVersion::QueryVersion(const Query& query) {
  record_ = OsVersionRecord{};
  record_.size = sizeof(OsVersionRecord);
  initialized_ = query && query(record_);
}

int32_t OSVersion::Platform() const { return initialized_ ? record_.platformId : -1; }

std::string OSVersion::sPlatform() const {
  if (!initialized_) return {};
  switch (record_.platformId) {
    case VER_PLATFORM_WIN32s: return "Win32s";
    case VER_PLATFORM_WIN32_WINDOWS: return "Windows 95";
    case VER_PLATFORM_WIN32_NT: return "Windows NT";
    default: return {};
  }
}

int32_t OSVersion::OSVersionMajor() const { return initialized_ ? record_.major : -1; }
int32_t OSVersion::OSVersionMinor() const { return initialized_ ? record_.minor : -1; }

std::string OSVersion::sVersion() const {
  if (!initialized_) return {};
  return std::to_string(record_.major) + "." + std::to_string(record_.minor);
}

int32_t OSVersion::BuildNumber() const {
  return initialized_ ? static_cast<int32_t>(static_cast<uint32_t>(record_.build) & 0xFFFFu) : -1;
}

std::string OSVersion::sBuildNumber() const { return initialized_ ? std::to_string(BuildNumber()) : std::string{}; }

}  // namespace pictavo
