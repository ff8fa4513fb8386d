// Holds Wine's desktop open for the length of a test run, so that each test process
// does not pay for the desktop process starting again.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ::GetDesktopWindow();
  ::Sleep(INFINITE);
  return 0;
}
