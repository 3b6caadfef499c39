#include "app/app_startup.h"

#include <commctrl.h>

#include "app/app_messages.h"
#include "app/main_window.h"
#include "device/key_tap_binding.h"
#include "markup/access_texts.h"
#include "markup/language_table.h"
#include "model/program_folder.h"
#include "pages/message_box.h"
#include "skin/skin_files.h"

namespace q730x {

int RunApplication() {
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
