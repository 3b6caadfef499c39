#include "utility_process.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include "virtual_keyboard_instance.h"

namespace q730x::test {

Utility::Utility() : Utility(DistFolder() + L"Q730X.exe") {}

Utility::Utility(const std::wstring& exe) {
  // Under Wine a process start now and then fails for no reason of ours
  // (error 1359, an internal error, once in a full suite): it is tried again
  // before the start is reported as failed.
  DWORD error = 0;
  for (int attempt = 0; attempt < 5 && !process_; ++attempt) {
    if (attempt > 0) Sleep(200);
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
      CloseHandle(info.hThread);
      process_.reset(info.hProcess);
    } else {
      error = GetLastError();
    }
  }
  if (!process_) ADD_FAILURE() << "the utility could not be started: error " << error;
  started_ = GetTickCount64();
}

Utility::~Utility() {
  if (process_ && !Ended(0)) TerminateProcess(process_.get(), 1);
}

bool Utility::Ended(DWORD withinMs) const {
  return WaitForSingleObject(process_.get(), withinMs) == WAIT_OBJECT_0;
}

DWORD Utility::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

HWND WaitForWindow(const std::wstring& title, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    if (HWND window = FindWindowW(nullptr, title.c_str())) return window;
    if (GetTickCount64() > end) return nullptr;
    Sleep(10);
  }
}

bool WaitUntil(bool (*done)(HWND), HWND window, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!done(window)) {
    if (GetTickCount64() > end) return false;
    Sleep(10);
  }
  return true;
}

bool QueueHandled(HWND window, int rounds, DWORD ms) {
  for (int round = 0; round < rounds; ++round) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &answer)) return false;
  }
  return true;
}

FileRewrite::FileRewrite(std::wstring path) : path_(std::move(path)) {
  SYSTEMTIME old{};
  old.wYear = 2001;
  old.wMonth = 1;
  old.wDay = 1;
  SystemTimeToFileTime(&old, &before_);
  UniqueHandle file(CreateFileW(path_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  if (file) SetFileTime(file.get(), nullptr, nullptr, &before_);
}

bool FileRewrite::Written() const {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) return false;
  return CompareFileTime(&data.ftLastWriteTime, &before_) > 0;
}

bool FileRewrite::Wait(DWORD ms) const {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    if (Written()) return true;
    if (GetTickCount64() > end) return false;
    Sleep(10);
  }
}

void PressOk(HWND box) {
  HWND ok = nullptr;
  for (int i = 0; i < 100 && (!ok || ok == box); ++i) {
    Sleep(50);
    ok = ChildWindowFromPoint(box, POINT{270, 140});
  }
  ASSERT_TRUE(ok && ok != box);
  PostMessageW(ok, BM_CLICK, 0, 0);
}

bool ProcessRunning(const wchar_t* exeName) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
    if (lstrcmpiW(entry.szExeFile, exeName) == 0) return true;
  return false;
}

}  // namespace q730x::test
