#include "app/app_startup.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/app_messages.h"
#include "app/main_window.h"
#include "device/key_tap_binding.h"
#include "markup/access_texts.h"
#include "markup/language_table.h"
#include "model/program_folder.h"
#include "pages/message_box.h"
#include "skin/skin_files.h"

namespace q730x {

namespace {
class ComApartment {
 public:
  ComApartment() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (started_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool started_;
};
}  // namespace

int RunApplication() {
  // The shell calls that start the user's programs and the folder browser
  // need COM on this, the user-interface thread, in a single-threaded apartment.
  const ComApartment com;
  INITCOMMONCONTROLSEX controls{8, 0xFF};
  InitCommonControlsEx(&controls);
  GdiplusSession gdiplus;

  if (!ComputeProgramFolder()) return 0;
  LoadLanguage(ProgramFolder() + L"language.xml");
  LoadAccessTexts(ProgramFolder() + L"language.xml");

  // Another copy runs: it shows its window, as after a double click on its
  // tray icon. It is found by our own window class, and by its title only
  // when there is one: without a language file the title is empty, and an
  // empty title would name any untitled window of any program.
  HWND running = FindWindowW(kMainWindowClass, nullptr);
  if (!running && !Language.str_title.empty()) running = FindWindowW(nullptr, Language.str_title.c_str());
  if (running) {
    // Only a program that has the foreground (this one, just started by the
    // user) may hand it on; the running copy would otherwise only flash.
    DWORD runningProcess = 0;
    if (GetWindowThreadProcessId(running, &runningProcess)) AllowSetForegroundWindow(runningProcess);
    PostMessageW(running, WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK);
    return 0;
  }

  if (!BindKeyTap()) {
    ShowMessageBox(L"Load KeyTap.dll failed");
    return 0;
  }

  // The close sequence ends the process itself once nothing outside it is
  // left to stop; GDI+ is shut down first.
  CKavexQ460KbConfigDlg mainWindow([&gdiplus] {
    gdiplus.Shutdown();
    ExitProcess(0);
  });
  mainWindow.RunAsMainWindow();
  return 0;
}

}  // namespace q730x
