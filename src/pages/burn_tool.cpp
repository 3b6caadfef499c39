#include "pages/burn_tool.h"

#include <shellapi.h>

#include "device/detached_thread.h"
#include "model/win_handles.h"

namespace q730x {

bool StartWatchedBurnTool(const std::wstring& tool, HWND mainWindow) {
  SHELLEXECUTEINFOW start{};
  start.cbSize = sizeof start;
  start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  start.lpVerb = L"open";
  start.lpFile = tool.c_str();
  start.lpParameters = L"-KAVEX";
  start.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&start)) return false;
  if (!start.hProcess) {
    OutputDebugStringW(L"Q730X: the burn tool started without a process to watch\n");
    return true;
  }
  // The process's end is signalled only after everything it posted has
  // reached the window's queue, so its last word is always handled first.
  auto process = std::make_shared<UniqueHandle>(start.hProcess);
  const bool watching = StartDetachedThread([process, mainWindow] {
    WaitForSingleObject(process->get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process->get(), &code);
    PostMessageW(mainWindow, WM_BURN_TOOL_ENDED, 0, LPARAM(code));
  });
  if (!watching) OutputDebugStringW(L"Q730X: the burn tool's process cannot be watched\n");
  return true;
}

}  // namespace q730x
