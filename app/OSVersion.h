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

 private:
  void QueryVersion(const Query& query);

  OsVersionRecord record_{};
  bool initialized_ = false;
};

}  // namespace pictavo
