#include "elevation.h"

#include <windows.h>

#include "console.h"
#include "model/win_handles.h"

namespace q730x::ctl {

bool ProcessIsElevated() {
  wchar_t value[4];
  const DWORD n = GetEnvironmentVariableW(L"Q730XCTL_ACT_UNELEVATED", value, 4);
  if (n == 1 && value[0] == L'1') return false;
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive())) {
    token.release();
    return false;
  }
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

bool MayWriteSettings() {
  if (ProcessIsElevated()) return true;
  PrintError("this command changes the utility's settings, which only administrators may do: "
             "run this from an administrator prompt");
  return false;
}

}  // namespace q730x::ctl
