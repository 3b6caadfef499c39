// Q730X.exe: the keyboard utility.
#include <windows.h>

#include "app/app_startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return q730x::RunApplication(); }
