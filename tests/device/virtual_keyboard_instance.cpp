#include "virtual_keyboard_instance.h"

#include <sstream>

#include "device/companion_library.h"
#include "model/program_folder.h"
#include "device/virtual_pipe_client.h"

namespace q730x::test {

std::string LogLine::Field(const std::string& name) const {
  const std::string key = " " + name + "=";
  std::size_t at = (" " + text).find(key);
  if (at == std::string::npos) return std::string();
  at += key.size() - 1;  // position in text after "name="
  if (at < text.size() && text[at] == '"') {
    const std::size_t end = text.find('"', at + 1);
    return text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
  }
  const std::size_t end = text.find(' ', at);
  return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

VirtualKeyboardInstance* VirtualKeyboardSuite::instance_ = nullptr;

void VirtualKeyboardSuite::StartKeyboard(const std::string& tag) {
  instance_ = new VirtualKeyboardInstance;
  ASSERT_TRUE(instance_->Start(tag)) << "the virtual keyboard did not start";
}

void VirtualKeyboardSuite::TearDownTestSuite() {
  delete instance_;
  instance_ = nullptr;
}

std::wstring TestFolder() { return ProgramFolder(); }

namespace {
// A folder named by an environment variable, with a trailing backslash, or fallback.
std::wstring FolderFromEnvironment(const wchar_t* name, const std::wstring& fallback) {
  wchar_t named[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(name, named, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return fallback;
  std::wstring folder(named, length);
  if (folder.back() != L'\\') folder += L'\\';
  return folder;
}
}  // namespace

std::wstring DistFolder() { return FolderFromEnvironment(L"Q730X_TEST_DIST", TestFolder() + L"..\\dist\\"); }

std::wstring SlotFolder() {
  return FolderFromEnvironment(L"Q730X_TEST_SLOT", TestFolder() + L"..\\test-session\\");
}

std::string ToHex(const std::uint8_t* bytes, std::size_t count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

std::vector<std::uint8_t> FromHex(const std::string& hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

bool VirtualKeyboardInstance::Start(const std::string& tag, bool freshState) {
  Stop();
  const std::wstring name = std::wstring(tag.begin(), tag.end()) + L"-" +
                            std::to_wstring(GetCurrentProcessId());
  pipe_ = L"\\\\.\\pipe\\q730x-test-" + name;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  state_ = std::wstring(temp) + L"q730x-test-" + name + L".state";
  if (freshState) DeleteFileW(state_.c_str());

  if (!SetOverride(kDeviceOverride, L"virtual") || !SetOverride(kPipeOverride, pipe_.c_str())) return false;

  const std::wstring exe = DistFolder() + L"Q730XVirtualKeyboard.exe";
  std::wstring commandLine = L"\"" + exe + L"\" --pipe " + pipe_ + L" serve --state \"" + state_ +
                             L"\" --exit-with " + std::to_wstring(GetCurrentProcessId());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_.reset(info.hProcess);
  for (int i = 0; i < 200; ++i) {
    if (Admin("ping")) return true;
    if (WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0) return false;
  }
  return false;
}

void VirtualKeyboardInstance::Stop() {
  if (!process_) return;
  Admin("stop");
  if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0)
    TerminateProcess(process_.get(), 1);
  process_.reset();
}

bool VirtualKeyboardInstance::Admin(const std::string& command, std::string* reply) {
  vkb::PipeClient client;
  if (!client.Connect(pipe_, 2000)) return false;
  std::string text;
  const bool ok = client.Admin(command, text);
  if (reply) *reply = text;
  return ok;
}

std::string VirtualKeyboardInstance::DumpField(const std::string& name) {
  std::string dump;
  if (!Admin("dump", &dump)) return std::string();
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(name, 0) == 0 && (line.size() == name.size() || line[name.size()] == ' '))
      return line.size() > name.size() ? line.substr(name.size() + 1) : std::string();
  }
  return std::string();
}

std::vector<LogLine> VirtualKeyboardInstance::Log() {
  std::string text;
  std::vector<LogLine> out;
  if (!Admin("log", &text)) {
    ADD_FAILURE() << "the virtual keyboard gave no log: " << text;
    return out;
  }
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    LogLine entry;
    entry.text = line;
    const std::string t = entry.Field("t");
    if (t.empty()) {
      ADD_FAILURE() << "log line without a time: " << line;
      continue;
    }
    entry.t = std::stod(t);
    out.push_back(entry);
  }
  return out;
}

std::vector<LogLine> VirtualKeyboardInstance::LogWith(const std::string& fragment) {
  std::vector<LogLine> out;
  for (const LogLine& line : Log())
    if (line.Has(fragment)) out.push_back(line);
  return out;
}

bool VirtualKeyboardInstance::WaitForDump(const std::string& name, const std::string& value,
                                          DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < deadline) {
    if (DumpField(name) == value) return true;
    Sleep(20);
  }
  return false;
}

bool VirtualKeyboardInstance::WaitForLogCount(const std::string& fragment, std::size_t count,
                                              DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (LogWith(fragment).size() >= count) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
}

bool VirtualKeyboardInstance::WaitForLogAfter(const std::string& after, const std::string& then,
                                              DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    const std::vector<LogLine> log = Log();
    bool seen = false, followed = false;
    for (const LogLine& line : log) {
      if (line.Has(after)) seen = true, followed = false;
      else if (seen && line.Has(then)) followed = true;
    }
    if (followed) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
}

}  // namespace q730x::test
