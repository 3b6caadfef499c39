// Planted by the capture test as ScreenClip.exe in the current folder and on
// PATH: when started it leaves "decoy-ran" in the current folder, and nothing else.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  HANDLE mark = CreateFileW(L"decoy-ran", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
  return 0;
}
