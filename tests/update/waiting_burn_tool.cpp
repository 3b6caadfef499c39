// A burn tool that says nothing and keeps running while the utility does
// (at most half a minute): an update that stays active, to which a test
// sends the tool's words itself.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const ULONGLONG end = GetTickCount64() + 30000;
  while (FindWindowW(L"Q730XMainWindow", nullptr) && GetTickCount64() < end) Sleep(100);
  return 0;
}
