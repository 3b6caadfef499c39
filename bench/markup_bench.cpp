// Benchmark of the markup reader against two established XML parsers, pugixml
// and expat, on the same generated 10 MB document in the same run. Machines
// are shared and noisy, so each figure is the best of several runs and the
// result that counts is the ratio. Run on demand: scripts/markup-bench.sh.
#include <expat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <pugixml.hpp>

#include "markup/markup_doc.h"
#include "markup/utf8.h"

namespace {

using Clock = std::chrono::steady_clock;

double BestSeconds(int runs, const std::function<void()>& body) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    body();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

// A document shaped like the files the program reads, only much longer:
// sections of keyed texts with attributes, references, comments and CDATA.
std::string GenerateDocument(std::size_t targetBytes) {
  std::string doc = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<language>\n";
  for (int section = 0; doc.size() < targetBytes; ++section) {
    doc += "  <config id=\"" + std::to_string(section) + "\" kind='texts'>\n";
    doc += "    <!-- section " + std::to_string(section) + " -->\n";
    for (int key = 0; key < 40; ++key) {
      std::string name = "str_key_" + std::to_string(key);
      doc += "    <" + name + ">Text number " + std::to_string(key) + " &amp; caf\xC3\xA9 &#x41;</" + name + ">\n";
    }
    doc += "    <str_block><![CDATA[verbatim <text> here]]></str_block>\n";
    doc += "    <group><item a=\"1\"/><item a=\"2\"/><item a=\"3\">x</item></group>\n";
    doc += "  </config>\n";
  }
  doc += "</language>\n";
  return doc;
}

struct ExpatCount {
  long elements = 0;
};

bool ExpatParse(const std::string& bytes, long& elements) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  ExpatCount count;
  XML_SetUserData(parser, &count);
  XML_SetElementHandler(
      parser, [](void* data, const XML_Char*, const XML_Char**) { ++static_cast<ExpatCount*>(data)->elements; },
      [](void*, const XML_Char*) {});
  XML_SetCharacterDataHandler(parser, [](void*, const XML_Char*, int) {});
  bool ok = XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  elements = count.elements;
  return ok;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main() {
  constexpr int kRuns = 7;
  const std::string bytes = GenerateDocument(10u << 20);
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "q730x_markup_bench.xml";
  std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::u16string text;
  q730x::AppendUtf8AsUtf16(bytes, text);

  // Same answer from all three before timing anything.
  q730x::MarkupDoc ours;
  ours.SetText(text);
  bool oursOk = ours.Parse();
  pugi::xml_document pugiDoc;
  bool pugiOk = pugiDoc.load_buffer(bytes.data(), bytes.size());
  long expatElements = 0;
  bool expatOk = ExpatParse(bytes, expatElements);
  std::printf("document: %.1f MB, %u elements (expat: %ld); well-formed: ours %d, pugixml %d, expat %d\n",
              bytes.size() / 1048576.0, ours.ElementCount() - 1, expatElements, oursOk, pugiOk, expatOk);

  std::string scratch;
  double oursParse = BestSeconds(kRuns, [&] { ours.Parse(); });
  double pugiParse = BestSeconds(kRuns, [&] {
    pugi::xml_document d;
    d.load_buffer(bytes.data(), bytes.size());
  });
  double expatParse = BestSeconds(kRuns, [&] { ExpatParse(bytes, expatElements); });
  std::printf("parse in memory:  ours %7.1f ms   pugixml %7.1f ms   expat %7.1f ms\n", oursParse * 1e3,
              pugiParse * 1e3, expatParse * 1e3);
  std::printf("  ratio ours/pugixml %.2f   ours/expat %.2f\n", oursParse / pugiParse, oursParse / expatParse);

  double oursLoad = BestSeconds(kRuns, [&] {
    q730x::MarkupDoc d;
    d.Load(file);
  });
  double pugiLoad = BestSeconds(kRuns, [&] {
    pugi::xml_document d;
    d.load_file(file.c_str());
  });
  double expatLoad = BestSeconds(kRuns, [&] { ExpatParse(ReadFile(file), expatElements); });
  std::printf("load from file:   ours %7.1f ms   pugixml %7.1f ms   expat %7.1f ms\n", oursLoad * 1e3,
              pugiLoad * 1e3, expatLoad * 1e3);
  std::printf("  ratio ours/pugixml %.2f   ours/expat %.2f   (ours reads, detects, converts to UTF-16 and parses)\n",
              oursLoad / pugiLoad, oursLoad / expatLoad);
  std::filesystem::remove(file);

#ifdef Q730X_LANGUAGE_FILE
  const std::filesystem::path language = Q730X_LANGUAGE_FILE;
  if (std::filesystem::exists(language)) {
    double languageLoad = BestSeconds(50, [&] {
      q730x::MarkupDoc d;
      d.Load(language);
    });
    std::printf("language.xml: load and parse %.3f ms (best of 50)\n", languageLoad * 1e3);
  }
#endif
  return 0;
}
