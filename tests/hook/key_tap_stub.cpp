// Stand-in hook libraries for the binding tests, built in two shapes: one
// without the optional SetHookMove and SetDebug, one that also lacks the
// required SetParentWindow. Each export only counts its calls.
#include <windows.h>

extern "C" {
__declspec(dllexport) int StubCalls = 0;
__declspec(dllexport) int InstallHook(int, int) { return ++StubCalls; }
__declspec(dllexport) int RemoveHook() { return ++StubCalls; }
__declspec(dllexport) int SetHookStatus(int, int) { return ++StubCalls; }
__declspec(dllexport) int SetFilterKey(int) { return ++StubCalls; }
__declspec(dllexport) int IsHooked() { return 0; }
#ifndef STUB_WITHOUT_PARENT
__declspec(dllexport) int SetParentWindow(int) { return ++StubCalls; }
#endif
}
