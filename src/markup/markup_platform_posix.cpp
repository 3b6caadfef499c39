// Native (Linux) side of the markup reader, used by the fuzzing target and the
// benchmarks: files through stdio, code pages through iconv.
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "markup/markup_platform.h"
#include "markup/markup_text.h"

namespace q730x {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// iconv's name for a code page number.
std::string IconvName(std::uint32_t codePage) {
  switch (codePage) {
    case 0: return "CP1252";  // what a Western Windows system uses as its default
    case 20127: return "ASCII";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 50220: case 50221: case 50222: return "ISO-2022-JP";
    case 50225: return "ISO-2022-KR";
    case 51932: return "EUC-JP";
    case 51936: return "GBK";
    case 51949: return "EUC-KR";
    case 65000: return "UTF-7";
    case 10000: return "MACINTOSH";
    default: break;
  }
  if (codePage >= 28591 && codePage <= 28605) return "ISO-8859-" + std::to_string(codePage - 28590);
  return "CP" + std::to_string(codePage);
}

}  // namespace

bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::u16string& errorText) {
  bytes.clear();
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    errorText = Utf16FromAscii(std::strerror(errno));
    return false;
  }
  // One read of the whole file, sized by seeking to its end.
  if (std::fseek(file.get(), 0, SEEK_END) != 0) {
    errorText = Utf16FromAscii(std::strerror(errno));
    return false;
  }
  long size = std::ftell(file.get());
  std::rewind(file.get());
  if (size < 0) {
    errorText = Utf16FromAscii(std::strerror(errno));
    return false;
  }
  if (static_cast<std::uintmax_t>(size) > kMaxMarkupFileBytes) {
    errorText = u"File too large";
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size));
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
  if (std::ferror(file.get())) {
    errorText = Utf16FromAscii(std::strerror(errno));
    bytes.clear();
    return false;
  }
  return true;
}

bool PlatformConvertCodePage(std::uint32_t codePage, std::string_view bytes, std::u16string& out) {
  out.clear();
  iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string wide(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* outPtr = wide.data();
  std::size_t outLeft = wide.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) break;  // cannot happen: 4 output bytes per input byte suffice
    // An invalid or incomplete sequence: one replacement character, skip a byte.
    if (outLeft < 2) break;
    outPtr[0] = static_cast<char>(0xFD);
    outPtr[1] = static_cast<char>(0xFF);
    outPtr += 2;
    outLeft -= 2;
    ++in;
    --inLeft;
  }
  iconv_close(cd);
  std::size_t produced = (wide.size() - outLeft) / 2;
  out.resize(produced);
  for (std::size_t i = 0; i < produced; ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(wide[2 * i]) |
                                   static_cast<unsigned char>(wide[2 * i + 1]) << 8);
  }
  return true;
}

}  // namespace q730x
