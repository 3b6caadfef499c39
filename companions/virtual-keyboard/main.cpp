// The virtual keyboard: plays the Q730X keyboard and its driver for the
// utility, its tools and its tests. "serve" runs it; every other command
// talks to a running one.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/win_handles.h"
#include "device/virtual_pipe_client.h"
#include "keyboard_state.h"
#include "device/detached_thread.h"
#include "pipe_server.h"
#include "virtual_device.h"

namespace {

using namespace q730x;
using namespace q730x::vkb;

const char kUsage[] =
    "usage: Q730XVirtualKeyboard [--pipe NAME] <command>\n"
    "  serve [--state FILE] [--exit-with PID]   run the virtual keyboard\n"
    "  press <position> [count]   press a key; a software-action key queues its event\n"
    "  event <word> [count]       queue raw event words (word, word+1, ...)\n"
    "  unplug | plug              leave or join the bus\n"
    "  unplug after <n>           leave the bus when the driver call after the next n comes\n"
    "  loader on|off              firmware loader mode\n"
    "  hid on|off                 whether the HID interface opens\n"
    "  hid-delay <ms>             how long the HID interface takes to open after a plug\n"
    "  version <major>.<minor>    set the firmware version\n"
    "  interval <ms>              set the report interval it answers with (any value)\n"
    "  refuse <n> [after <m>]     refuse the next n driver requests (after m more)\n"
    "  refuse-opens <n>           refuse the next n registrations: the driver opens late\n"
    "  drop-replies <n>           accept the next n queries without a new reply\n"
    "  dump                       print the state (with what each macro slot plays)\n"
    "  presence [since]           present USB ids and arrivals/removals after a generation\n"
    "  log [clear]                print (or clear) the request log\n"
    "  factory                    back to the factory state\n"
    "  ping | stop\n"
    "The pipe defaults to the VirtualKeyboardPipe value under\n"
    "HKEY_LOCAL_MACHINE\\Software\\KAVEX\\Q730X-Overrides or \\\\.\\pipe\\q730x-virtual-keyboard;\n"
    "the state file to Q730X_VKB_STATE or %LOCALAPPDATA%\\Q730X\\virtual-keyboard.state.\n";

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring EnvironmentOr(const wchar_t* name, const std::wstring& fallback) {
  wchar_t value[1024];
  const DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? std::wstring(value, n) : fallback;
}

double MillisecondsSinceStart() {
  static LARGE_INTEGER frequency, start;
  static const bool init = (QueryPerformanceFrequency(&frequency), QueryPerformanceCounter(&start), true);
  (void)init;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

int Serve(const std::wstring& pipeName, const std::wstring& statePath, DWORD exitWith) {
  MillisecondsSinceStart();
  std::string note;
  KeyboardState initial = LoadStateFile(statePath, note);

  VirtualDevice* devicePointer = nullptr;
  VirtualDevice::Hooks hooks;
  hooks.nowMs = MillisecondsSinceStart;
  hooks.stateChanged = [statePath](const KeyboardState& state) {
    if (!SaveStateFile(statePath, state))
      std::fprintf(stderr, "virtual keyboard: cannot write the state file\n");
  };
  // After a report interval change the keyboard resets: it leaves the bus
  // shortly after the command and comes back half a second later.
  hooks.rejoinRequested = [&devicePointer](unsigned generation) {
    VirtualDevice* device = devicePointer;
    StartDetachedThread([device, generation] {
      Sleep(50);
      device->RejoinLeave(generation);
      Sleep(500);
      device->RejoinReturn(generation);
    });
  };
  VirtualDevice device(initial, hooks);
  devicePointer = &device;
  device.Note(note);
  SaveStateFile(statePath, initial);

  PipeServer server(pipeName, device);
  if (!server.Listen()) {
    std::fprintf(stderr, "virtual keyboard: cannot serve %s (already running?)\n",
                 ToUtf8(pipeName).c_str());
    return 1;
  }
  if (exitWith) {
    // Tests pass their own process id, so a test that dies takes its keyboard along.
    HANDLE owner = OpenProcess(SYNCHRONIZE, FALSE, exitWith);
    if (!owner) return 1;
    StartDetachedThread([owner] {
      WaitForSingleObject(owner, INFINITE);
      ExitProcess(0);
    });
  }
  server.Run();
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argvW = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argvW + 1, argvW + argc);
  LocalFree(argvW);

  std::wstring pipeName = VirtualPipeName();
  std::wstring statePath = EnvironmentOr(L"Q730X_VKB_STATE", L"");
  DWORD exitWith = 0;
  std::vector<std::wstring> command;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--pipe" && i + 1 < args.size()) {
      pipeName = args[++i];
    } else if (args[i] == L"--state" && i + 1 < args.size()) {
      statePath = args[++i];
    } else if (args[i] == L"--exit-with" && i + 1 < args.size()) {
      exitWith = static_cast<DWORD>(std::wcstoul(args[++i].c_str(), nullptr, 10));
    } else if (args[i] == L"--help" || args[i] == L"-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      command.push_back(args[i]);
    }
  }
  if (command.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (command[0] == L"serve") {
    if (statePath.empty()) statePath = DefaultStatePath();
    return Serve(pipeName, statePath, exitWith);
  }

  std::string text;
  for (const std::wstring& word : command) text += (text.empty() ? "" : " ") + ToUtf8(word);
  PipeClient client;
  if (!client.Connect(pipeName, 2000)) {
    std::fprintf(stderr, "no virtual keyboard serves %s\n", ToUtf8(pipeName).c_str());
    return 1;
  }
  std::string reply;
  const bool ok = client.Admin(text, reply);
  std::fputs(reply.c_str(), ok ? stdout : stderr);
  if (!reply.empty() && reply.back() != '\n') std::fputc('\n', ok ? stdout : stderr);
  return ok ? 0 : 1;
}
