// Whole-file reads and writes for the stores' fixed-size files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace q730x {

enum class FileRead {
  kOk,        // exactly size bytes were read
  kMissing,   // the file does not exist
  kShort,     // the file opened but held fewer than size bytes
  kFailed,    // it could not be opened or read for another reason
};

// Reads the first size bytes of a file into out.
FileRead ReadFileStart(const std::wstring& path, std::uint8_t* out, std::size_t size);

// The size of a file in bytes; 0 when it cannot be asked.
std::uint64_t FileBytes(const std::wstring& path);

// Writes a whole file so that an interrupted write never leaves a short or
// mixed file: the bytes go to a temporary file in the same folder, which then
// replaces the old one. On failure the old file is left as it was.
// error receives the Win32 error of the failed step.
bool WriteFileReplacing(const std::wstring& path, const std::uint8_t* data, std::size_t size,
                        unsigned long* error = nullptr);

// Creates a folder; an existing folder counts as success.
bool EnsureFolder(const std::wstring& path, unsigned long* error = nullptr);

// Writes one line to the debugger output: the only diagnostic the stores give.
void ReportToDebugger(const std::wstring& text);

// The same, but a text already reported in this run is not repeated: for
// damage that is met again each time the store is read.
void ReportOnceToDebugger(const std::wstring& text);

// Where reports also go (tests listen here); an empty function stops it.
// A new listener hears again what ReportOnceToDebugger said before.
void SetReportListener(std::function<void(const std::wstring&)> listener);

}  // namespace q730x
