// Helpers for tests that run the stores against the real registry and real
// files: a clean tree and a private program folder for each test, and raw
// access to values so that tests can damage them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace q730x::test {

// A stored registry value as it is: its type and bytes.
struct RawValue {
  bool exists = false;
  DWORD type = 0;
  std::vector<std::uint8_t> bytes;
};

// Under HKEY_LOCAL_MACHINE.
RawValue ReadRaw(const std::wstring& keyPath, const wchar_t* name);
void WriteRaw(const std::wstring& keyPath, const wchar_t* name, DWORD type,
              const std::vector<std::uint8_t>& bytes);
void DeleteRaw(const std::wstring& keyPath, const wchar_t* name);
bool KeyExists(const std::wstring& keyPath);

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
bool FileExists(const std::wstring& path);

// Deletes HKLM\Software\KAVEX\Q730X, points ProgramFolder at an empty folder
// of this test, clears the process-wide buffers and builds DefaultMatrix.
class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::wstring folder_;
};

}  // namespace q730x::test
