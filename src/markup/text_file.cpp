#include "markup/text_file.h"

#include <algorithm>
#include <vector>

#include "markup/code_page.h"
#include "markup/encoding_names.h"
#include "markup/markup_platform.h"
#include "markup/markup_text.h"
#include "markup/markup_tokenizer.h"
#include "markup/utf8.h"

namespace q730x {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

// The value of attribute `name` inside a tag's attribute part, as written
// (quoted with " or ', or unquoted up to white space or '>'); false if absent.
bool FindAttribute(std::u16string_view attributes, std::u16string_view name, std::u16string_view& value) {
  std::size_t i = 0;
  const std::size_t size = attributes.size();
  while (i < size) {
    while (i < size && (IsMarkupSpace(attributes[i]) || attributes[i] == u'/' || attributes[i] == u'?')) ++i;
    std::size_t nameStart = i;
    while (i < size && !IsMarkupSpace(attributes[i]) && attributes[i] != u'=' && attributes[i] != u'>' &&
           attributes[i] != u'/' && attributes[i] != u'?') {
      ++i;
    }
    std::u16string_view attribute = attributes.substr(nameStart, i - nameStart);
    while (i < size && IsMarkupSpace(attributes[i])) ++i;
    std::u16string_view found;
    if (i < size && attributes[i] == u'=') {
      ++i;
      while (i < size && IsMarkupSpace(attributes[i])) ++i;
      if (i < size && (attributes[i] == u'"' || attributes[i] == u'\'')) {
        std::size_t close = attributes.find(attributes[i], i + 1);
        if (close == npos) close = size;
        found = attributes.substr(i + 1, close - i - 1);
        i = close + 1;
      } else {
        std::size_t valueStart = i;
        while (i < size && !IsMarkupSpace(attributes[i]) && attributes[i] != u'>') ++i;
        found = attributes.substr(valueStart, i - valueStart);
      }
    }
    if (!attribute.empty() && EqualsIgnoringAsciiCase(attribute, name)) {
      value = found;
      return true;
    }
    if (attribute.empty() && i == nameStart) ++i;  // a stray '=' or '>': step over it
  }
  return false;
}

// The word after "charset" and "=" in a content value such as
// "text/html; charset=gb2312".
std::u16string CharsetFromContent(std::u16string_view content) {
  std::vector<std::u16string_view> words;
  std::size_t i = 0;
  while (i < content.size()) {
    char16_t c = content[i];
    if (IsMarkupSpace(c) || c == u';' || c == u',') {
      ++i;
    } else if (c == u'=') {
      words.push_back(content.substr(i, 1));
      ++i;
    } else {
      std::size_t start = i;
      while (i < content.size() && !IsMarkupSpace(content[i]) && content[i] != u';' && content[i] != u',' &&
             content[i] != u'=') {
        ++i;
      }
      words.push_back(content.substr(start, i - start));
    }
  }
  for (std::size_t w = 0; w + 2 < words.size(); ++w) {
    if (EqualsIgnoringAsciiCase(words[w], u"charset") && words[w + 1] == u"=") {
      return std::u16string(words[w + 2]);
    }
  }
  return {};
}

bool IsWideCodePage(std::uint32_t codePage) {
  return codePage == kCodePageUtf16LE || codePage == kCodePageUtf16BE || codePage == kCodePageUtf32LE ||
         codePage == kCodePageUtf32BE || codePage == 12000 || codePage == 12001;
}

template <typename Unit>
std::size_t RemoveZeros(std::basic_string<Unit>& units) {
  auto firstZero = std::find(units.begin(), units.end(), Unit{0});
  if (firstZero == units.end()) return 0;
  auto end = std::remove(firstZero, units.end(), Unit{0});
  std::size_t removed = static_cast<std::size_t>(units.end() - end);
  units.erase(end, units.end());
  return removed;
}

void AppendCount(std::u16string& report, const char* before, std::size_t count, const char* after) {
  report += Utf16FromAscii(before);
  AppendNumber(report, count);
  report += Utf16FromAscii(after);
}

// How the file's text units are laid out.
enum class UnitLayout { kBytes, kUtf16, kUtf32 };

}  // namespace

std::u16string DetectDeclaredEncoding(std::u16string_view text) {
  MarkupNode node;
  bool sawTag = false, sawStartTag = false, sawInstruction = false;
  std::size_t pos = 0;
  for (;;) {
    NextMarkupNode(text, pos, node);
    if (node.kind == NODE_MALFORMED || node.kind == NODE_END_OF_DOCUMENT) return {};
    std::u16string_view name = text.substr(node.nameStart, node.nameLength);
    // What follows the name, without the closing '>' or '?>'.
    auto attributes = [&] {
      std::size_t from = node.nameStart + node.nameLength;
      return text.substr(from, node.start + node.length - from);
    };
    if (node.kind == NODE_PROCESSING_INSTRUCTION) {
      if (!sawTag && !sawInstruction) {
        sawInstruction = true;
        if (EqualsIgnoringAsciiCase(name, u"xml")) {
          std::u16string_view value;
          return FindAttribute(attributes(), u"encoding", value) ? std::u16string(value) : std::u16string();
        }
      }
    } else if (node.kind == NODE_END_TAG) {
      sawTag = true;
      if (EqualsIgnoringAsciiCase(name, u"head")) return {};
    } else if (node.kind == NODE_ELEMENT) {
      sawTag = true;
      if (!sawStartTag) {
        sawStartTag = true;
        if (!EqualsIgnoringAsciiCase(name, u"html")) return {};
      } else if (EqualsIgnoringAsciiCase(name, u"meta")) {
        std::u16string_view equiv, content;
        if (FindAttribute(attributes(), u"http-equiv", equiv) && EqualsIgnoringAsciiCase(equiv, u"Content-Type")) {
          if (FindAttribute(attributes(), u"content", content)) return CharsetFromContent(content);
          return {};
        }
      }
    }
    pos = node.start + node.length;
  }
}

void DecodeTextBytes(std::string_view bytes, std::u16string& text, std::u16string& report,
                     std::uint32_t& flags) {
  text.clear();
  report.clear();
  std::uint32_t markFlag = 0;
  std::u16string encoding;
  bool mark = false;
  UnitLayout layout = UnitLayout::kBytes;
  bool bigEndian = false;
  std::size_t skip = 0;

  // Opening: byte order marks, then the null pattern of a 16- or 32-bit file
  // without a mark (its first character is '<'), then a declared encoding.
  if (!bytes.empty()) {
    std::string_view head = bytes.substr(0, kEncodingScanBytes);
    auto startsWith = [&](std::string_view m) { return head.substr(0, m.size()) == m; };
    auto at = [&](std::size_t i) { return i < head.size() ? static_cast<unsigned char>(head[i]) : 0x100u; };
    if (startsWith("\xEF\xBB\xBF")) {
      encoding = u"UTF-8", markFlag = MDF_UTF8PREAMBLE, skip = 3, mark = true;
    } else if (startsWith("\xFF\xFE")) {
      encoding = u"UTF-16LE", markFlag = MDF_UTF16LEFILE, skip = 2, mark = true, layout = UnitLayout::kUtf16;
    } else if (startsWith("\xFE\xFF")) {
      encoding = u"UTF-16BE", markFlag = MDF_UTF16BEFILE, skip = 2, mark = true, layout = UnitLayout::kUtf16;
      bigEndian = true;
    } else if (at(0) == '<' && at(1) == 0 && at(2) == 0 && at(3) == 0) {
      encoding = u"UTF-32LE", layout = UnitLayout::kUtf32;
    } else if (at(0) == 0 && at(1) == 0 && at(2) == 0 && at(3) == '<') {
      encoding = u"UTF-32BE", layout = UnitLayout::kUtf32, bigEndian = true;
    } else if (at(0) == '<' && at(1) == 0 && at(2) != 0 && at(2) < 0x100 && at(3) == 0) {
      encoding = u"UTF-16LE", markFlag = MDF_UTF16LEFILE, layout = UnitLayout::kUtf16;
    } else if (at(0) == 0 && at(1) == '<' && at(2) == 0 && at(3) != 0 && at(3) < 0x100) {
      encoding = u"UTF-16BE", markFlag = MDF_UTF16BEFILE, layout = UnitLayout::kUtf16, bigEndian = true;
    } else {
      std::u16string prefix;
      AppendUtf8AsUtf16(head, prefix);
      std::u16string declared = DetectDeclaredEncoding(prefix);
      // A byte file cannot be UTF-16 or UTF-32, whatever it declares; such a
      // declaration is ignored and the bytes decide.
      if (!declared.empty() && !IsWideCodePage(CodePageForEncoding(declared))) {
        encoding = declared;
      } else if (bytes[0] == '<') {
        encoding = u"UTF-8";
      }
    }
  }
  std::u16string opening;
  if (!encoding.empty()) {
    opening = encoding;
    if (mark) opening += u" BOM +";
    opening += u" ";
  }

  // Reading and converting.
  std::string_view body = bytes.substr(skip);
  std::u16string reading;
  if (body.empty()) {
    reading = u"0 length ";
  } else if (layout == UnitLayout::kUtf16) {
    text.resize(body.size() / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
      auto lo = static_cast<unsigned char>(body[2 * i]), hi = static_cast<unsigned char>(body[2 * i + 1]);
      text[i] = static_cast<char16_t>(bigEndian ? (lo << 8 | hi) : (hi << 8 | lo));
    }
    AppendCount(reading, "length ", text.size(), " ");
    if (std::size_t removed = RemoveZeros(text)) AppendCount(reading, "(", removed, " nulls removed) ");
    if (bigEndian) reading += u"endian swap ";
  } else if (layout == UnitLayout::kUtf32) {
    std::string units;
    units.reserve(body.size());
    std::size_t removed = 0;
    AppendCount(reading, "length ", body.size() / 4, " ");
    for (std::size_t i = 0; i + 4 <= body.size(); i += 4) {
      if (body.compare(i, 4, std::string_view("\0\0\0\0", 4)) == 0) {
        ++removed;
      } else {
        units.append(body, i, 4);
      }
    }
    if (removed) AppendCount(reading, "(", removed, " nulls removed) ");
    ConvertToUtf16(bigEndian ? kCodePageUtf32BE : kCodePageUtf32LE, units, text);
    AppendCount(reading, "to ", text.size(), " wide chars ");
  } else {
    // Bytes are copied only when there are zero bytes to take out.
    std::string_view units = body;
    std::string withoutZeros;
    AppendCount(reading, "length ", body.size(), " ");
    if (body.find('\0') != std::string_view::npos) {
      withoutZeros.assign(body);
      AppendCount(reading, "(", RemoveZeros(withoutZeros), " nulls removed) ");
      units = withoutZeros;
    }
    if (encoding.empty()) {
      if (PassesUtf8Test(units)) encoding = u"UTF-8";
      reading += u"(used UTF-8 detection) ";
    }
    const std::uint32_t codePage = CodePageForEncoding(encoding);
    ConvertToUtf16(codePage, units, text);
    AppendCount(reading, "to ", text.size(), " wide chars ");
  }

  if (!opening.empty()) {
    report = opening;
  } else {
    report = encoding.empty() ? std::u16string(u"ANSI ") : encoding + u" ";
  }
  report += reading;
  flags = (flags & ~(MDF_UTF16LEFILE | MDF_UTF8PREAMBLE | MDF_UTF16BEFILE | MDF_READFILE | MDF_WRITEFILE |
                     MDF_APPENDFILE)) |
          markFlag;
}

bool ReadTextFile(const std::filesystem::path& path, std::u16string& text, std::u16string& report,
                  std::uint32_t& flags) {
  std::string bytes;
  flags |= MDF_READFILE;
  if (!ReadFileBytes(path, bytes, report)) {
    text.clear();
    flags &= ~(MDF_READFILE | MDF_WRITEFILE | MDF_APPENDFILE);
    return false;
  }
  DecodeTextBytes(bytes, text, report, flags);
  return true;
}

}  // namespace q730x
