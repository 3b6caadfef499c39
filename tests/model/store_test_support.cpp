#include "store_test_support.h"

#include <filesystem>
#include <fstream>

#include "model/key_code.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "model/program_folder.h"

namespace q730x::test {

RawValue ReadRaw(const std::wstring& keyPath, const wchar_t* name) {
  RawValue v;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return v;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
    v.bytes.resize(size);
    v.exists = RegQueryValueExW(key, name, nullptr, &v.type, size ? v.bytes.data() : nullptr,
                                &size) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return v;
}

void WriteRaw(const std::wstring& keyPath, const wchar_t* name, DWORD type,
              const std::vector<std::uint8_t>& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void DeleteRaw(const std::wstring& keyPath, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return;
  RegDeleteValueW(key, name);
  RegCloseKey(key);
}

bool KeyExists(const std::wstring& keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good());
}

bool FileExists(const std::wstring& path) { return std::filesystem::exists(path); }

void StoreTest::SetUp() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
  ASSERT_FALSE(KeyExists(kStoreRootPath));
  wchar_t temp[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(info->test_suite_name()) + "." + info->name();
  folder_ = std::wstring(temp) + L"q730x-" + std::wstring(name.begin(), name.end()) + L"\\";
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
  ASSERT_TRUE(std::filesystem::create_directories(folder_));
  SetProgramFolder(folder_);
  buffers::ClearAll();
  BuildDefaultMatrix();
}

void StoreTest::TearDown() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace q730x::test
