#include "update_server_folder.h"

#include <windows.h>
#include <bcrypt.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "virtual_keyboard_instance.h"

namespace q730x::test {

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  return bool(out);
}

}  // namespace

std::string ReadWholeFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? text.str() : std::string();
}

UpdateServerFolder::UpdateServerFolder() {
  const std::wstring slot = SlotFolder();
  root_ = slot + L"update-server\\";
  port_ = unsigned(std::atoi(ReadWholeFile(slot + L"update-server.port").c_str()));
}

std::wstring UpdateServerFolder::Address() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }

std::wstring UpdateServerFolder::Url(const std::string& path) const { return Address() + Wide(path); }

bool UpdateServerFolder::Put(const std::string& path, const std::string& bytes) const {
  std::wstring local = root_;
  for (char c : path.substr(1)) {
    if (c == '/') {
      CreateDirectoryW(local.c_str(), nullptr);
      local += L'\\';
    } else {
      local += wchar_t(c);
    }
  }
  return WriteWholeFile(local, bytes);
}

bool UpdateServerFolder::PutDescription(const std::string& firmware, const std::string& driver) const {
  std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<update>\n";
  if (!firmware.empty()) text += "<firmware>" + firmware + "</firmware>\n";
  if (!driver.empty()) text += "<driver>" + driver + "</driver>\n";
  return Put("/software/Q730X/newver.xml", text + "</update>\n");
}

std::string UpdateServerFolder::FirmwarePart(const std::string& current, const std::string& path,
                                             const std::string& sha256) const {
  const std::wstring url = Url(path);
  return "<current>" + current + "</current><newfile>" + std::string(url.begin(), url.end()) + "</newfile>" +
         (sha256.empty() ? "" : "<sha256>" + sha256 + "</sha256>");
}

bool UpdateServerFolder::SetFaults(const std::string& lines) const {
  return WriteWholeFile(root_ + L"faults", lines);
}

void UpdateServerFolder::ClearRequests() const { DeleteFileW((root_ + L"requests.log").c_str()); }

std::string UpdateServerFolder::Requests() const { return ReadWholeFile(root_ + L"requests.log"); }

std::string FirmwareImage(const std::string& version) {
  std::string image = "Q730X firmware " + version + "\n";
  for (int i = 0; i < 4096; ++i) image += char(i * 7 + 3);
  return image;
}

std::string Sha256Hex(const std::string& bytes) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  UCHAR digest[32] = {};
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return "";
  if (BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0) {
    BCryptHashData(hash, PUCHAR(bytes.data()), ULONG(bytes.size()), 0);
    BCryptFinishHash(hash, digest, 32, 0);
    BCryptDestroyHash(hash);
  }
  BCryptCloseAlgorithmProvider(algorithm, 0);
  std::string hex = ToHex(digest, 32);
  for (char& c : hex) c = char(std::tolower(c));
  return hex;
}

}  // namespace q730x::test
