// Which Windows platform and version the program runs on. The query is made once, when the
// object is created; the properties only read the record it filled.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace pictavo {

// The version record in its 148-byte ANSI form, field for field as the platform fills it.
struct OsVersionRecord {
  uint32_t size = 0;
  int32_t major = 0;
  int32_t minor = 0;
  int32_t build = 0;
  int32_t platformId = 0;
  std::array<char, 128> servicePack{};
};
static_assert(sizeof(OsVersionRecord) == 148, "the record must match the platform's layout");

// windows.h defines the three platform names as macros; the class keeps them as its own
// constants, so they are hidden while the class is declared. In a file that includes
// windows.h, compare Platform() with the bare names (same values) or call IsWindowsNt().
#pragma push_macro("VER_PLATFORM_WIN32_NT")
#pragma push_macro("VER_PLATFORM_WIN32_WINDOWS")
#pragma push_macro("VER_PLATFORM_WIN32s")
#undef VER_PLATFORM_WIN32_NT
#undef VER_PLATFORM_WIN32_WINDOWS
#undef VER_PLATFORM_WIN32s

class OSVersion {
 public:
  // The platform query: fills the record (its size field set) and answers whether it succeeded.
  using Query = std::function<bool(OsVersionRecord&)>;

  explicit OSVersion(const Query& query);

  int32_t Platform() const;
  std::string sPlatform() const;
  int32_t OSVersionMajor() const;
  int32_t OSVersionMinor() const;
  std::string sVersion() const;
  static constexpr int32_t VER_PLATFORM_WIN32_NT = 2;
  static constexpr int32_t VER_PLATFORM_WIN32_WINDOWS = 1;
  static constexpr int32_t VER_PLATFORM_WIN32s = 0;
  int32_t BuildNumber() const;
  std::string sBuildNumber() const;
  bool Initialized() const { return initialized_; }
  // The query succeeded and the platform is Windows NT.
  bool IsWindowsNt() const { return initialized_ && Platform() == VER_PLATFORM_WIN32_NT; }

 private:
  void QueryVersion(const Query& query);

  OsVersionRecord record_{};
  bool initialized_ = false;
};

#pragma pop_macro("VER_PLATFORM_WIN32s")
#pragma pop_macro("VER_PLATFORM_WIN32_WINDOWS")
#pragma pop_macro("VER_PLATFORM_WIN32_NT")

}  // namespace pictavo
