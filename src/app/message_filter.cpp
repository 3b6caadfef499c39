#include "app/message_filter.h"

#include "app/app_messages.h"

namespace q730x {

bool AllowMessagesFromOtherPrograms(HWND window, UINT taskbarCreated) {
  const UINT allowed[] = {WM_TRAY_CALLBACK, taskbarCreated};
  bool all = true;
  for (UINT message : allowed) {
    if (message == 0) continue;  // a registration that failed
    CHANGEFILTERSTRUCT result{sizeof result, 0};
    if (!ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, &result)) {
      OutputDebugStringW(L"Q730X: a message could not be let through UIPI\n");
      all = false;
    }
  }
  return all;
}

}  // namespace q730x
