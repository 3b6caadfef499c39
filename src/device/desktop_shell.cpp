#include "device/desktop_shell.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <vector>

#include "model/win_handles.h"

namespace q730x {

namespace {

using Microsoft::WRL::ComPtr;

// A VARIANT that frees what it holds.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(const std::wstring& text) : Variant() {
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
  }
  explicit Variant(long number) : Variant() {
    value_.vt = VT_I4;
    value_.lVal = number;
  }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT& get() { return value_; }

 private:
  VARIANT value_;
};

// The desktop window's shell automation object: the shell windows' desktop
// entry, its top-level browser, the view on the desktop, that view's
// background object and its Application (Microsoft's documented way for an
// elevated program to start one unelevated).
ComPtr<IShellDispatch2> DesktopShellDispatch() {
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&windows))))
    return nullptr;
  Variant location(long(CSIDL_DESKTOP)), root;
  long desktopWindow = 0;
  ComPtr<IDispatch> desktop;
  // S_FALSE: there is no desktop window.
  if (windows->FindWindowSW(&location.get(), &root.get(), SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH,
                            &desktop) != S_OK || !desktop)
    return nullptr;
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(desktop.As(&services)) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser))) ||
      FAILED(browser->QueryActiveShellView(&view)) || !view ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background))) || !background ||
      FAILED(background.As(&folderView)) || FAILED(folderView->get_Application(&application)) ||
      !application || FAILED(application.As(&shell)))
    return nullptr;
  return shell;
}

}  // namespace

bool OpenThroughDesktopShell(const std::wstring& file, const std::wstring& parameters) {
  const ComPtr<IShellDispatch2> shell = DesktopShellDispatch();
  if (!shell) return false;
  BSTR name = SysAllocStringLen(file.data(), UINT(file.size()));
  if (!name) return false;
  Variant arguments(parameters), folder, operation(std::wstring(L"open")), show(long(SW_SHOWNORMAL));
  const HRESULT result = shell->ShellExecute(name, arguments.get(), folder.get(), operation.get(), show.get());
  SysFreeString(name);
  return SUCCEEDED(result);
}

bool StartAsDesktopUser(const std::wstring& program, const std::wstring& arguments) {
  HWND shellWindow = GetShellWindow();
  DWORD shellProcessId = 0;
  if (!shellWindow || !GetWindowThreadProcessId(shellWindow, &shellProcessId) || !shellProcessId) return false;
  UniqueHandle shellProcess(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId));
  if (!shellProcess) return false;
  HANDLE token = nullptr;
  if (!OpenProcessToken(shellProcess.get(), TOKEN_DUPLICATE, &token)) return false;
  UniqueHandle shellToken(token);
  const DWORD access =
      TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
  HANDLE primary = nullptr;
  if (!DuplicateTokenEx(shellToken.get(), access, nullptr, SecurityImpersonation, TokenPrimary, &primary))
    return false;
  UniqueHandle userToken(primary);
  std::wstring line = L"\"" + program + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  std::vector<wchar_t> writable(line.begin(), line.end());
  writable.push_back(L'\0');  // the call may write into its command line
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (!CreateProcessWithTokenW(userToken.get(), 0, program.c_str(), writable.data(), 0, nullptr, nullptr,
                               &startup, &started))
    return false;
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  return true;
}

}  // namespace q730x
