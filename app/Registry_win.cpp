#include "app/Registry_win.h"

#include <windows.h>

#include "platform/Owned_win.h"
#include "platform/Text_win.h"

namespace pictavo {

std::string RegistryStore::Read(std::string_view key) const {
  UniqueKey hkey;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, hkey.put()) != ERROR_SUCCESS) return {};
  const std::wstring name = Widen(key);
  DWORD bytes = 0;
  // RRF_RT_REG_SZ: a value of another type reads as missing.
  if (::RegGetValueW(hkey.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
    return {};
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (::RegGetValueW(hkey.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &bytes) != ERROR_SUCCESS)
    return {};
  text.resize(wcsnlen(text.c_str(), text.size()));
  return Narrow(text);
}

bool RegistryStore::Write(std::string_view key, std::string_view value) {
  UniqueKey hkey;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, hkey.put(),
                        nullptr) != ERROR_SUCCESS)
    return false;
  const std::wstring name = Widen(key);
  const std::wstring text = Widen(value);
  return ::RegSetValueExW(hkey.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::string WindowsUpper(std::string_view text) {
  std::wstring wide = Widen(text);
  if (!wide.empty()) ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

void LoadSettings() { LoadSettings(RegistryStore{}, WindowsUpper); }

SettingsWrite SaveSettings() {
  RegistryStore store;
  return SaveSettings(store);
}

}  // namespace pictavo
