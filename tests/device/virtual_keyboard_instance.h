// A private virtual keyboard for one test executable: its own pipe and state
// file, so tests run in any order. Starting it points the programs of the
// test (the Device and VirtualKeyboardPipe switches) at it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/admin_overrides.h"
#include "model/win_handles.h"
#include "override_switches.h"

namespace q730x::test {

// One line of the virtual keyboard's request log.
struct LogLine {
  double t = 0;
  std::string text;
  bool Has(const std::string& fragment) const { return text.find(fragment) != std::string::npos; }
  // The value of name=value (quotes removed), or "".
  std::string Field(const std::string& name) const;
};

class VirtualKeyboardInstance {
 public:
  ~VirtualKeyboardInstance() { Stop(); }

  // Starts the server; with freshState the state file is deleted first.
  bool Start(const std::string& tag, bool freshState = true);
  // Asks the server to stop and waits for it to end.
  void Stop();

  // Runs an admin command; reply (if given) receives the answer text.
  bool Admin(const std::string& command, std::string* reply = nullptr);
  // The value of one line of "dump" ("attached", "matrix", "slot 3", ...).
  std::string DumpField(const std::string& name);
  std::vector<LogLine> Log();
  // Log lines that contain fragment.
  std::vector<LogLine> LogWith(const std::string& fragment);
  // Waits (up to timeoutMs) until the dump line name has value.
  bool WaitForDump(const std::string& name, const std::string& value, DWORD timeoutMs = 10000);
  // Waits (up to timeoutMs) until at least count log lines contain fragment.
  // Count the lines before the action and wait for one more, so that a line
  // an earlier action left cannot answer for this one.
  bool WaitForLogCount(const std::string& fragment, std::size_t count, DWORD timeoutMs = 10000);
  // After a report interval change the keyboard leaves the bus and comes back;
  // the number of returns so far, and a wait for the one after them.
  std::size_t Rejoins() { return LogWith(kRejoined).size(); }
  bool WaitForRejoin(std::size_t rejoinsBefore, DWORD timeoutMs = 10000) {
    return WaitForLogCount(kRejoined, rejoinsBefore + 1, timeoutMs);
  }
  static constexpr const char* kRejoined = "rejoined the bus";
  // Waits (up to timeoutMs) until a log line containing then follows the last
  // line containing after (for example the utility's first read after a rejoin).
  bool WaitForLogAfter(const std::string& after, const std::string& then, DWORD timeoutMs = 10000);

  const std::wstring& pipe() const { return pipe_; }
  const std::wstring& statePath() const { return state_; }

 private:
  std::wstring pipe_;
  std::wstring state_;
  UniqueHandle process_;
};

// A test suite whose tests share one virtual keyboard, started for the suite:
// its SetUpTestSuite calls StartKeyboard with a tag naming its pipe.
class VirtualKeyboardSuite : public ::testing::Test {
 protected:
  static void StartKeyboard(const std::string& tag);
  static void TearDownTestSuite();
  static VirtualKeyboardInstance& keyboard() { return *instance_; }

 private:
  static VirtualKeyboardInstance* instance_;
};

// The folder of the test executable, with a trailing backslash.
std::wstring TestFolder();
// The deployable folder (programs and companions) the test uses: its test
// slot's copy or an installed copy, named by Q730X_TEST_DIST, else the build's.
std::wstring DistFolder();
// The folder of the test's slot, named by Q730X_TEST_SLOT (its update
// server's root and port file), else the build's test-session folder.
std::wstring SlotFolder();
// Hex digits of bytes, as the virtual keyboard prints them ({0x0A, 0x1B} -> "0A1B").
std::string ToHex(const std::uint8_t* bytes, std::size_t count);
// Bytes from hex digits ("0A1B" -> {0x0A, 0x1B}).
std::vector<std::uint8_t> FromHex(const std::string& hex);

}  // namespace q730x::test
