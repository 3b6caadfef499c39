// The test session's local update server (scripts/update-server.py, started
// with the session): the folder it serves, its port, its faults file and its
// request log, seen from a test under Wine.
#pragma once

#include <string>

namespace q730x::test {

class UpdateServerFolder {
 public:
  UpdateServerFolder();
  // False when the session started no server (python3 missing).
  bool available() const { return port_ != 0; }
  // "http://127.0.0.1:<port>"
  std::wstring Address() const;
  std::wstring Url(const std::string& path) const;

  // A file of the served folder by its URL path ("/software/Q730X/newver.xml").
  bool Put(const std::string& path, const std::string& bytes) const;
  // The description with these firmware and driver parts (empty: left out).
  bool PutDescription(const std::string& firmware, const std::string& driver) const;
  // The firmware part of a description: its current version, the image at
  // path on this server, and the image's digest unless sha256 is empty.
  std::string FirmwarePart(const std::string& current, const std::string& path,
                           const std::string& sha256) const;
  // One line per fault ("<path> 404|cut|slow [ms]"), or none.
  bool SetFaults(const std::string& lines) const;
  // Forgets the logged requests; Requests() answers those made since.
  void ClearRequests() const;
  std::string Requests() const;

 private:
  std::wstring root_;
  unsigned port_ = 0;
};

// A firmware image of the stand-in format with some binary bytes after the first line.
std::string FirmwareImage(const std::string& version);
// Lower-case hex SHA-256 of bytes.
std::string Sha256Hex(const std::string& bytes);
// The text of a file, or "" when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);

}  // namespace q730x::test
