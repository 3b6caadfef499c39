// The keyboard page's RefreshKeys over its 144 key buttons, on a profile with
// 30 changed keys (10 of them macros, whose store entries the refresh checks),
// against repainting the same page in the same run.
//   steady:    the edited profile, nothing changed since the last refresh
//   switching: from the edited profile to the factory one, so 30 marks and
//              tooltips change; timed with the repaint of the keys it
//              invalidated
//   reference: a bare InvalidateRect + UpdateWindow of the page, and a full
//              redraw of the page with all its buttons
// Run: build/test-session.sh start; build/wine-run.sh build/bench-bin/keyboard_page_bench.exe
// It rewrites HKLM\Software\KAVEX\Q730X of the build's own Wine prefix.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_clock.h"
#include "bench_macros.h"
#include "markup/language_table.h"
#include "model/key_code.h"
#include "model/key_layout_table.h"
#include "model/macro_record.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "model/program_folder.h"
#include "model/key_caption.h"
#include "pages/key_edit.h"
#include "pages/keyboard_page.h"
#include "skin/skin_files.h"
#include "skin/window.h"
#include "virtual_keyboard_instance.h"

namespace {

using namespace q730x;
using bench::Median;
using bench::Milliseconds;

constexpr int kRuns = 201;

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Profile 1 with 30 keys changed: 20 combinations and 10 macros.
void PrepareStore() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KAVEX\\Q730X");
  BuildDefaultMatrix();
  CreateMissingProfiles();
  LoadProfile(0);
  for (int entry = 0; entry < 30; ++entry) {
    const int p = KeyLayoutTable[std::size_t(entry)].position;
    if (entry < 10) {
      const std::uint32_t id = 0x6100 + std::uint32_t(entry);
      bench::GiveStoredMacro(p, id);
      buffers::MacroUse[std::size_t(p)] = id;
    } else {
      buffers::KeyMatrix[p] = KeyCode::FromValue(0x00060100);
    }
  }
  SaveProfile(0);
}

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

void Report(const char* name, const std::vector<double>& times, double reference) {
  std::printf("%-44s median %7.3f ms  best %7.3f  (ratio to the bare page repaint %.2f)\n", name,
              Median(times), *std::min_element(times.begin(), times.end()), Median(times) / reference);
}

}  // namespace

int main() {
  test::VirtualKeyboardInstance keyboard;
  if (!keyboard.Start("page-bench")) return std::fprintf(stderr, "no virtual keyboard\n"), 1;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  GdiplusSession gdiplus;
  SetProgramFolder(test::DistFolder());
  LoadLanguage((test::DistFolder() + L"language.xml").c_str());
  PrepareStore();

  WNDCLASSW host{};
  host.lpfnWndProc = HostProcedure;
  host.hInstance = GetModuleHandleW(nullptr);
  host.lpszClassName = L"PageBenchHost";
  RegisterClassW(&host);
  HWND parent = CreateWindowExW(0, L"PageBenchHost", L"page bench", WS_POPUP | WS_VISIBLE, 0, 0, 822, 560,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  KeyboardSession session;
  session.Start(parent);
  WindowPtr<CKeyboardDlg> page = MakeWindow<CKeyboardDlg>(session);
  if (!page->CreateModeless(parent)) return std::fprintf(stderr, "no page\n"), 1;
  SetWindowPos(page->hwnd(), nullptr, 0, 96, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(page->hwnd(), SW_SHOW);
  for (int i = 0; i < 20; ++i, Sleep(20)) Pump();

  const KeyMatrix edited = buffers::KeyMatrix;
  std::vector<double> steady, switching, bare, full;
  for (int run = 0; run < kRuns; ++run) {
    // Steady: the edited profile again, as it was shown by the refresh before.
    buffers::KeyMatrix = edited;
    page->RefreshKeys();
    Pump();
    steady.push_back(Milliseconds([&] { page->RefreshKeys(); }));
    // Switching: the factory profile, so the 30 marks and tooltips go.
    buffers::KeyMatrix = DefaultMatrix;
    switching.push_back(Milliseconds([&] {
      page->RefreshKeys();
      RedrawWindow(page->hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }));
    bare.push_back(Milliseconds([&] {
      InvalidateRect(page->hwnd(), nullptr, FALSE);
      UpdateWindow(page->hwnd());
    }));
    full.push_back(Milliseconds([&] {
      RedrawWindow(page->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }));
    Pump();
  }
  // Where a steady refresh goes, part by part, with the profile as edited.
  buffers::KeyMatrix = edited;
  page->RefreshKeys();
  std::vector<int> changedEntries;
  for (int entry = 0; entry < CKeyboardDlg::kKeyButtons; ++entry) {
    const int p = KeyLayoutTable[std::size_t(entry)].position;
    if (!(buffers::KeyMatrix[p] == DefaultMatrix[p])) changedEntries.push_back(entry);
  }
  std::vector<double> macroChecks, captions, tooltips, field;
  for (int run = 0; run < kRuns; ++run) {
    macroChecks.push_back(Milliseconds([&] {
      for (const KeyLayoutEntry& key : KeyLayoutTable) DropMissingMacro(key.position, 0);
    }));
    std::vector<std::wstring> texts;
    captions.push_back(Milliseconds([&] {
      for (int entry : changedEntries) texts.push_back(KeyCaption(KeyLayoutTable[std::size_t(entry)].position));
    }));
    tooltips.push_back(Milliseconds([&] {
      for (std::size_t i = 0; i < changedEntries.size(); ++i) page->keyButton(changedEntries[i]).SetTooltip(texts[i]);
    }));
    field.push_back(Milliseconds([&] { SetDlgItemTextW(page->hwnd(), CKeyboardDlg::kTextFieldId, L""); }));
    Pump();
  }

  const double reference = Median(bare);
  std::printf("%d runs, 144 key buttons, 30 changed keys (target: RefreshKeys within 5 ms)\n", kRuns);
  Report("RefreshKeys, steady", steady, reference);
  Report("RefreshKeys, 30 marks changing, + their paint", switching, reference);
  Report("bare InvalidateRect + UpdateWindow of the page", bare, reference);
  Report("full redraw of the page and its 150 buttons", full, reference);
  std::printf("where a steady refresh goes (%zu changed keys):\n", changedEntries.size());
  Report("  macro checks of the 144 keys", macroChecks, reference);
  Report("  captions of the changed keys", captions, reference);
  Report("  their tooltips, same texts", tooltips, reference);
  Report("  the text field", field, reference);
  page.reset();
  DestroyWindow(parent);
  return 0;
}
