// Reading a text file of unknown encoding into UTF-16: byte order marks, the
// declared encoding, the HTML meta charset and UTF-8 detection decide how the
// bytes are converted. The report says what was found and done.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace q730x {

// Document flags.
enum MarkupFlag : std::uint32_t {
  MDF_UTF16LEFILE = 0x1,     // the file was UTF-16 little-endian
  MDF_UTF8PREAMBLE = 0x4,    // the file began with the UTF-8 byte order mark
  MDF_IGNORECASE = 0x8,      // compare names without regard to ASCII letter case
  MDF_READFILE = 0x10,       // a file is open for reading
  MDF_WRITEFILE = 0x20,      // a file is open for writing
  MDF_APPENDFILE = 0x40,     // a file is open for appending
  MDF_UTF16BEFILE = 0x80,    // the file was UTF-16 big-endian
};

// Only this many bytes at the start of a file are examined for a byte order
// mark or a declared encoding.
constexpr std::size_t kEncodingScanBytes = 1024;

// The encoding an XML declaration (<?xml ... encoding="..."?>) or an HTML
// meta tag (<meta http-equiv="Content-Type" content="...; charset=...">) of
// the text names; empty when it names none.
std::u16string DetectDeclaredEncoding(std::u16string_view text);

// Converts the bytes of a file to UTF-16 text and describes what it did in
// report. flags: in, the caller's flags; out, with the flag of the byte order
// mark found and the file-open flags cleared.
void DecodeTextBytes(std::string_view bytes, std::u16string& text, std::u16string& report,
                     std::uint32_t& flags);

// Reads a file and converts it with DecodeTextBytes. When the file cannot be
// read, returns false with an empty text and the platform's error message as
// the report.
bool ReadTextFile(const std::filesystem::path& path, std::u16string& text, std::u16string& report,
                  std::uint32_t& flags);

}  // namespace q730x
