// Start-up: one instance per user session, the switch, and the hand-over to the show,
// the settings dialog or the password notice.
#include <windows.h>

#include <cstdint>

#include "app/Registry_win.h"
#include "app/Random.h"
#include "app/Settings.h"
#include "app/StartMode.h"
#include "collections/CollectionInfo.h"
#include "collections/Collections_win.h"
#include "platform/Owned_win.h"
#include "platform/Text_win.h"
#include "setup/Setup_win.h"
#include "show/Slideshow_win.h"
#include "ui/MessageDialog_win.h"

namespace pictavo {
namespace {

constexpr wchar_t kInstanceMutex[] = L"Local\\Pictavo.Instance";
constexpr wchar_t kNoCollectionsText[] =
    L"There are no collections defined. Run the Setup portion of this screen saver, then try again.";
constexpr wchar_t kNoCollectionsTitle[] = L"Just Saying...";

uint64_t ClockSeed() {
  LARGE_INTEGER counter{};
  ::QueryPerformanceCounter(&counter);
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  return (static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime) ^
         static_cast<uint64_t>(counter.QuadPart);
}

int FormLoad() {
  // An empty card reader or DVD drive is a directory that cannot be read, never a box from Windows.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // A second copy, whatever its switch, ends here without reading anything.
  UniqueHandle instance(::CreateMutexW(nullptr, FALSE, kInstanceMutex));
  if (!instance || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  ProcessRandom().Seed(ClockSeed());

  const std::string commandLine = Narrow(::GetCommandLineW());
  switch (ModeFromArguments(ArgumentsOf(commandLine))) {
    case StartMode::Show:
      LoadSettings();
      if (!LoadCollections()) {
        ::MessageBoxW(nullptr, kNoCollectionsText, kNoCollectionsTitle, MB_OK | MB_SETFOREGROUND);
        return 0;
      }
      RunShow();
      return 0;
    case StartMode::Configure:
      ::ShowCursor(TRUE);
      ShowSetup(nullptr);
      ::ShowCursor(FALSE);
      return 0;
    case StartMode::Password:
      ShowMessage(-103, nullptr);
      return 0;
    case StartMode::None:
      return 0;
  }
  return 0;
}

}  // namespace
}  // namespace pictavo

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return pictavo::FormLoad(); }
