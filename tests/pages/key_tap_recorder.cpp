// A stand-in hook library that records every call with its arguments, so a
// test can read the order in which the key setting dialog calls it.
// IsHooked answers whether InstallHook has been called.
#include <windows.h>

extern "C" {
struct RecordedCall {
  char name[16];
  int first, second;
};
__declspec(dllexport) RecordedCall RecordedCalls[256];
__declspec(dllexport) int RecordedCount = 0;
}

namespace {
bool installed = false;
void Record(const char* name, int first = 0, int second = 0) {
  if (RecordedCount >= 256) return;
  RecordedCall& call = RecordedCalls[RecordedCount++];
  lstrcpynA(call.name, name, sizeof call.name);
  call.first = first;
  call.second = second;
}
}  // namespace

extern "C" {
__declspec(dllexport) int InstallHook(int a, int b) {
  Record("InstallHook", a, b);
  installed = true;
  return 1;
}
__declspec(dllexport) int RemoveHook() {
  Record("RemoveHook");
  installed = false;
  return 1;
}
__declspec(dllexport) int SetHookStatus(int a, int b) { return Record("SetHookStatus", a, b), 1; }
__declspec(dllexport) int SetFilterKey(int a) { return Record("SetFilterKey", a), 1; }
__declspec(dllexport) int SetParentWindow(int window) { return Record("SetParentWindow", window), 1; }
__declspec(dllexport) int IsHooked() {
  Record("IsHooked");
  return installed ? 1 : 0;
}
}
