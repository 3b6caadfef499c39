// Macros on their two roads: encoding and writing 30 macros to keyboard slots
// against the fixed waits of the slot writes (30 x 330 ms), and filling the
// macro manager's list from 100 stored macros against one bare RegEnumKeyExW
// walk over the same subkeys, both measured in this run.
// Run: build/test-session.sh start; build/wine-run.sh build/bench-bin/macro_bench.exe
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "bench_clock.h"
#include "device/driver_link.h"
#include "device/keyboard_commands.h"
#include "model/macro_image.h"
#include "model/macro_store.h"
#include "pages/macro_manager.h"
#include "skin/skin_files.h"
#include "virtual_keyboard_instance.h"

namespace {

using namespace q730x;

constexpr int kMacros = 30;
constexpr double kSlotFloorMs = 330.0;  // 10 ms after the command, 20 ms before each of 16 chunks
const wchar_t kBenchRoot[] = L"Software\\Q730XBench\\Macro\\";

// A recorded-looking macro: presses, pauses of every size, releases.
MacroRecord SampleMacro(std::uint32_t id, int keys) {
  MacroRecord r;
  r.SetFormat(kMacroFormat);
  r.SetId(id);
  r.SetRepeatCount(1 + id % 7);
  r.SetName(u"Bench");
  for (int k = 0; k < keys; ++k) {
    const std::uint32_t vk = 'A' + std::uint32_t(k % 26);
    r.AppendEvent(MacroEvent::Make(MacroEvent::kPress, vk));
    r.AppendEvent(MacroEvent::Make(MacroEvent::kPause, 30u + 97u * std::uint32_t(k) % 4000u));
    r.AppendEvent(MacroEvent::Make(MacroEvent::kRelease, vk));
  }
  r.SetSize(std::uint32_t(r.bytes().size()));
  return r;
}

bool EncodeAndWrite() {
  test::VirtualKeyboardInstance keyboard;
  if (!keyboard.Start("macro-bench")) {
    std::fprintf(stderr, "cannot start the virtual keyboard\n");
    return false;
  }
  CUSBDriver link;
  link.StartLink(nullptr);
  if (!OpenDriver()) {
    std::fprintf(stderr, "cannot open the virtual device\n");
    return false;
  }
  std::vector<MacroRecord> macros;
  for (int m = 0; m < kMacros; ++m) macros.push_back(SampleMacro(0x100 + std::uint32_t(m), 40 + m * 3));
  bool ok = true;
  const MacroSlotWriter writer = [&](unsigned slot, const std::uint8_t* image) {
    return ok = WriteMacroSlot(slot, image) && ok;
  };
  std::vector<double> encodeOnly, written;
  for (int round = 0; round < 3; ++round) {
    encodeOnly.push_back(bench::Milliseconds([&] {
      MacroImage image;
      for (const MacroRecord& r : macros) EncodeMacroImage(r, image);
    }));
    written.push_back(bench::Milliseconds([&] {
      for (int m = 0; m < kMacros; ++m) EncodeAndSendMacro(unsigned(m), &macros[std::size_t(m)], writer);
    }));
  }
  link.StopLink();
  if (!ok) {
    std::fprintf(stderr, "a slot write failed\n");
    return false;
  }
  const double floor = kMacros * kSlotFloorMs;
  std::printf("encode + write %d macros: floor %.0f ms, median %.1f ms (ratio %.4f, target <= 1.03); "
              "encoding alone %.3f ms\n",
              kMacros, floor, bench::Median(written), bench::Median(written) / floor,
              bench::Median(encodeOnly));
  return true;
}

bool ListHundred() {
  const MacroRoot root{HKEY_CURRENT_USER, kBenchRoot};
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Q730XBench");
  for (std::uint32_t i = 0; i < 100; ++i) {
    const MacroRecord r = SampleMacro(0x1000 + i * 37, 20);
    if (!WriteMacro(root, r)) {
      std::fprintf(stderr, "cannot store the sample macros\n");
      return false;
    }
  }
  // The page the lists belong to, inside a plain parent window.
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 822, 544, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  auto page = MakeWindow<CMacroDlg>(root);
  if (!parent || !page->CreateModeless(parent)) {
    std::fprintf(stderr, "cannot make the macro page\n");
    return false;
  }
  std::vector<double> walk, read, fill;
  int listed = 0;
  for (int round = 0; round < 9; ++round) {
    walk.push_back(bench::Milliseconds([&] {
      HKEY key = nullptr;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, kBenchRoot, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
      wchar_t name[261];
      for (DWORD index = 0;; ++index) {
        DWORD length = 261;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      }
      RegCloseKey(key);
    }));
    read.push_back(bench::Milliseconds([&] {
      std::vector<MacroListEntry> entries;
      ListMacros(root, entries);
    }));
    fill.push_back(bench::Milliseconds([&] { page->RefillMacroList(); }));
    listed = page->macroList().count();
  }
  page.reset();
  DestroyWindow(parent);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Q730XBench");
  std::printf("fill the macro list with %d macros: median %.2f ms (reading the store %.2f ms); "
              "one RegEnumKeyExW walk %.3f ms (ratio %.1f)\n",
              listed, bench::Median(fill), bench::Median(read), bench::Median(walk),
              bench::Median(fill) / bench::Median(walk));
  return listed == 100;
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  GdiplusSession gdiplus;
  const bool listed = ListHundred();
  const bool written = GetEnvironmentVariableW(L"Q730X_BENCH_LIST_ONLY", nullptr, 0) != 0 || EncodeAndWrite();
  return listed && written ? 0 : 1;
}
