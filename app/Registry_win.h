// The settings store on Windows: REG_SZ texts under HKCU\Software\Pictavo\Options.
#pragma once
#include <string>

#include "app/Settings.h"

namespace pictavo {

inline constexpr wchar_t kSettingsKey[] = L"Software\\Pictavo\\Options";

class RegistryStore final : public SettingsStore {
 public:
  std::string Read(std::string_view key) const override;
  bool Write(std::string_view key, std::string_view value) override;
};

// Upper case as Windows maps it (all scripts, not only ASCII).
std::string WindowsUpper(std::string_view text);

// The process-wide settings from and to the registry.
void LoadSettings();
SettingsWrite SaveSettings();

}  // namespace pictavo
