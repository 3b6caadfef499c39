// A burn tool that ends at once without a word to the utility: no progress,
// no 0x70B, no 0x70C, as a tool that crashes or is killed would.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 3; }
