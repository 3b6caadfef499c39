// The backup file: the JSON reader's verdicts, a snapshot surviving the trip
// through its document byte for byte (damaged values included), the readable
// form people see, and a damaged or hostile document refused at its place.
#include <gtest/gtest.h>

#include <cstring>

#include "backup_format.h"
#include "json.h"
#include "model/macro_record.h"

namespace q730x::ctl {
namespace {

// ---- JSON reader and writer -------------------------------------------------

std::string ParseFailure(std::string_view text) {
  json::ParseError error;
  if (json::Parse(text, error)) return "parsed";
  return std::to_string(error.line) + ":" + std::to_string(error.column) + " " + error.message;
}

TEST(JsonReader, NamesTheLineAndColumnOfTheFirstFault) {
  EXPECT_EQ(ParseFailure("{\n  \"a\": 1,\n  \"a\": 2\n}"), "3:3 the member \"a\" appears twice");
  EXPECT_EQ(ParseFailure("[1, 2,]"), "1:7 expected a value");
  EXPECT_EQ(ParseFailure("{\"a\": 1} x"), "1:10 unexpected text after the document");
  EXPECT_EQ(ParseFailure("[1.5]"), "1:3 only whole numbers are used here");
  EXPECT_EQ(ParseFailure("[99999999999999999999]"), "1:2 the number is too large");
  EXPECT_EQ(ParseFailure("[\"a\\x\"]"), "1:4 unknown escape in a text");
  EXPECT_EQ(ParseFailure("[\"\xC3\x28\"]"), "1:3 the text is not valid UTF-8");
  EXPECT_EQ(ParseFailure("[\"\xED\xA0\x80\"]"), "1:3 the text is not valid UTF-8");  // an encoded surrogate
  EXPECT_EQ(ParseFailure("\"open"), "1:6 a text in quotes does not end");
  EXPECT_EQ(ParseFailure(""), "1:1 unexpected end of the file");
  EXPECT_EQ(ParseFailure(std::string(100, '[') + std::string(100, ']')), "1:34 the document nests too deeply");
}

TEST(JsonReader, KeepsEveryUtf16TextThroughWriteAndRead) {
  // A lone surrogate, a pair written as UTF-8, a control character and quotes.
  const std::u16string text = u"a\xD800z \U0001F600 \x01 \"q\" \\ \x7F";
  json::Value doc = json::Value::Array();
  doc.Append(json::Value::String(text));
  const std::string written = json::Write(doc);
  EXPECT_NE(written.find("\\ud800"), std::string::npos);
  EXPECT_NE(written.find("\xF0\x9F\x98\x80"), std::string::npos);
  json::ParseError error;
  const auto back = json::Parse(written, error);
  ASSERT_TRUE(back) << error.message;
  EXPECT_EQ(back->Items().at(0).AsString(), text);
}

// ---- Snapshots --------------------------------------------------------------

std::vector<std::uint8_t> Zeros(std::size_t n) { return std::vector<std::uint8_t>(n); }

void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

void PutText(std::vector<std::uint8_t>& b, std::size_t at, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    b[at + 2 * i] = std::uint8_t(text[i]);
    b[at + 2 * i + 1] = std::uint8_t(text[i] >> 8);
  }
}

MacroSnapshot Macro(std::uint32_t id, std::u16string_view name, std::vector<MacroEvent> events) {
  MacroRecord r;
  r.SetFormat(kMacroFormat);
  r.SetId(id);
  r.SetPlayMode(2);
  r.SetRepeatCount(3);
  r.SetName(name);
  for (MacroEvent e : events) r.AppendEvent(e);
  r.SetSize(std::uint32_t(64 + 4 * events.size()));
  char subkey[9];
  std::snprintf(subkey, sizeof subkey, "%08x", id);
  return {std::wstring(subkey, subkey + 8), StoredValue::Binary(r.bytes())};
}

// A store as a user leaves it: Caps Lock of profile 1 is Ctrl+C, key 5 runs a
// program, key 40 plays a macro, profile 3 is linked to notepad.exe.
StoreSnapshot UsualStore() {
  StoreSnapshot s;
  s.nCurFile = StoredValue::Binary(Zeros(4));
  PutU32(s.nCurFile.bytes, 0, 2);
  s.proCfg = StoredValue::Binary(Zeros(kProCfgBytes));
  PutU32(s.proCfg.bytes, 2 * 524, 1);
  PutText(s.proCfg.bytes, 2 * 524 + 4, u"notepad.exe");
  s.macroUse = StoredValue::Binary(Zeros(kMacroUseBytes));
  PutU32(s.macroUse.bytes, 40 * 4, 0x00ABCDEF);
  for (int n = 0; n < kProfileCount; ++n) {
    ProfileSnapshot& p = s.profiles[n];
    p.keyPresent = true;
    p.matrix = StoredValue::Binary(Zeros(kMatrixBytes));
    p.auxInfo = StoredValue::Binary(Zeros(kAuxInfoBytes));
    p.macroUseCount = StoredValue::Binary(Zeros(n == 1 ? 120 : 3200));
    p.configInfo = StoredValue::Binary(Zeros(kConfigInfoBytes));
    PutU32(p.configInfo.bytes, 0, 1000);
    PutU32(p.matrix.bytes, 0, 0x00290000);  // Esc
  }
  ProfileSnapshot& p = s.profiles[0];
  PutU32(p.matrix.bytes, 17 * 4, 0x00060100);
  PutU32(p.matrix.bytes, 5 * 4, 0xC7050003);
  PutText(p.auxInfo.bytes, 5 * 520, u"C:\\Program Files\\Tool\\tool.exe");
  PutU32(p.matrix.bytes, 40 * 4, 0x00000008);
  PutU32(p.auxInfo.bytes, 40 * 520, 0x00ABCDEF);
  PutU32(p.configInfo.bytes, 0, 125);
  PutText(p.configInfo.bytes, 4, u"Games \x00E9t\x00E9");
  PutU32(p.configInfo.bytes, 524, 199);
  s.macros.push_back(Macro(0x00ABCDEF, u"Hello",
                           {MacroEvent::Make(MacroEvent::kPress, 0x41), MacroEvent::Make(MacroEvent::kPause, 120),
                            MacroEvent::Make(MacroEvent::kRelease, 0x41)}));
  return s;
}

void ExpectSame(const StoreSnapshot& a, const StoreSnapshot& b) {
  EXPECT_EQ(a.nCurFile, b.nCurFile);
  EXPECT_EQ(a.proCfg, b.proCfg);
  EXPECT_EQ(a.macroUse, b.macroUse);
  for (int n = 0; n < kProfileCount; ++n) EXPECT_EQ(a.profiles[n], b.profiles[n]) << "profile " << n + 1;
  EXPECT_EQ(a.macros, b.macros);
}

// Through the written text, as export and import do it.
StoreSnapshot RoundTrip(const StoreSnapshot& s, std::string* text = nullptr) {
  const std::string written = json::Write(SnapshotToJson(s, {}));
  if (text) *text = written;
  json::ParseError parseError;
  const auto doc = json::Parse(written, parseError);
  EXPECT_TRUE(doc) << parseError.message;
  BackupError error;
  const auto back = doc ? SnapshotFromJson(*doc, error) : std::nullopt;
  EXPECT_TRUE(back) << error.place << " " << error.message;
  return back.value_or(StoreSnapshot{});
}

TEST(BackupDocument, AUsualStoreIsWrittenAsWhatItMeansAndComesBackWhole) {
  const StoreSnapshot s = UsualStore();
  std::string text;
  ExpectSame(RoundTrip(s, &text), s);
  for (const char* part :
       {"\"currentProfile\": 3", "{\"profile\": 3, \"enabled\": true, \"program\": \"notepad.exe\"}",
        "\"reportRate\": 125", "\"settings\": [199, 0, 0, 0]", "{\"position\": 17, \"code\": \"00060100\"}",
        "\"text\": \"C:\\\\Program Files\\\\Tool\\\\tool.exe\"",
        "{\"position\": 40, \"code\": \"00000008\", \"macro\": \"00abcdef\", \"macroUse\": \"00abcdef\"}",
        "\"macroUseCount\": 120", "{\"press\": 65}", "{\"pause\": 120}", "\"playMode\": 2", "\"repeatCount\": 3"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  EXPECT_EQ(text.find("\"stored\""), std::string::npos) << "nothing needs its raw form";
}

TEST(BackupDocument, DamagedValuesAreKeptByteForByte) {
  StoreSnapshot s = UsualStore();
  s.nCurFile = StoredValue{};                                   // missing
  s.proCfg.bytes.pop_back();                                    // short
  s.profiles[1].matrix = StoredValue::Binary(Zeros(639));       // short
  s.profiles[2].configInfo.type = 4;                            // another type
  PutU32(s.profiles[3].configInfo.bytes, 0, 7);                 // no such rate
  PutText(s.profiles[0].auxInfo.bytes, 5 * 520 + 300, u"junk");  // bytes after the path's end
  s.profiles[4] = ProfileSnapshot{};                             // the key is gone
  s.profiles[0].macroUseCount.bytes[9] = 1;
  MacroSnapshot lying = Macro(0x12, u"Lies", {MacroEvent::Make(MacroEvent::kPress, 0x41)});
  PutU32(lying.record.bytes, 60, 5000);  // claims 5,000 events
  s.macros.push_back(lying);
  s.macros.push_back({L"NotAnId", StoredValue{true, 1, {0x41, 0, 0, 0}}});
  s.macros.push_back({L"00000077", StoredValue{}});  // a subkey without its value
  std::string text;
  ExpectSame(RoundTrip(s, &text), s);
  EXPECT_NE(text.find("\"nCurFile\": {\"missing\": true}"), std::string::npos);
  EXPECT_NE(text.find("\"subkey\": \"NotAnId\""), std::string::npos);
  EXPECT_NE(text.find("\"absent\": true"), std::string::npos);
  EXPECT_NE(text.find("\"auxBytes\""), std::string::npos);
}

TEST(BackupDocument, MacroUseOfAVanishedProfileIsKeptAsStored) {
  StoreSnapshot s = UsualStore();
  s.profiles[4] = ProfileSnapshot{};
  PutU32(s.macroUse.bytes, (4 * 160 + 3) * 4, 0x12);
  std::string text;
  ExpectSame(RoundTrip(s, &text), s);
  EXPECT_NE(text.find("\"MacroUse\": {"), std::string::npos);
}

// ---- Refusals ---------------------------------------------------------------

// Parses text after replacing one part of a usual store's document.
std::string Refusal(const std::string& from, const std::string& to) {
  std::string text = json::Write(SnapshotToJson(UsualStore(), {}));
  const std::size_t at = text.find(from);
  if (at == std::string::npos) return "the test's text \"" + from + "\" is not in the document";
  text.replace(at, from.size(), to);
  json::ParseError parseError;
  const auto doc = json::Parse(text, parseError);
  if (!doc) return "parse: " + parseError.message;
  BackupError error;
  if (SnapshotFromJson(*doc, error)) return "accepted";
  return error.place + " " + error.message;
}

TEST(BackupDocument, AWrongDocumentIsRefusedAtItsPlace) {
  EXPECT_EQ(Refusal("\"q730x-settings\"", "\"something-else\""),
            "format must be \"q730x-settings\": this is not a settings backup");
  EXPECT_EQ(Refusal("\"version\": 1", "\"version\": 2"),
            "version is 2, made by a newer q730xctl; this one reads version 1");
  EXPECT_EQ(Refusal("\"currentProfile\": 3", "\"currentProfile\": 6"), "currentProfile must be from 1 to 5");
  EXPECT_EQ(Refusal("\"position\": 17", "\"position\": 160"), "profiles[0].keys[2].position must be from 0 to 159");
  EXPECT_EQ(Refusal("\"position\": 17", "\"position\": 5"), "profiles[0].keys[2].position names a position listed before");
  EXPECT_EQ(Refusal("\"00060100\"", "\"0006010G\""), "profiles[0].keys[2].code must be eight hex digits in quotes");
  EXPECT_EQ(Refusal("\"code\": \"00000008\"", "\"code\": \"00000000\""),
            "profiles[0].keys[3].macro belongs only to a key whose code is a macro (type 08)");
  EXPECT_EQ(Refusal("\"reportRate\": 125", "\"reportRate\": 250"), "profiles[0].reportRate must be 125, 500 or 1000");
  EXPECT_EQ(Refusal("\"reportRate\": 125", "\"reportRate\": 125, \"colour\": 1"),
            "profiles[0] unknown member \"colour\"");
  EXPECT_EQ(Refusal("\"text\": \"C:", "\"text\": \"" + std::string(300, 'x') + "C:"),
            "profiles[0].keys[1].text is longer than 259 characters");
  EXPECT_EQ(Refusal("\"text\": \"C:", "\"text\": \"\\u0000C:"), "profiles[0].keys[1].text may not hold a zero character");
  EXPECT_EQ(Refusal("\"profile\": 2,\n", "\"profile\": 1,\n"), "profiles[1].profile names a profile listed before");
  EXPECT_EQ(Refusal("\"playMode\": 2", "\"playMode\": 3"), "macros[0].playMode must be from 0 to 2");
  EXPECT_EQ(Refusal("\"repeatCount\": 3", "\"repeatCount\": 0"), "macros[0].repeatCount must be from 1 to 65533");
  EXPECT_EQ(Refusal("{\"pause\": 120}", "{\"pause\": 16777216}"), "macros[0].steps[1].pause must be from 0 to 16777215");
  EXPECT_EQ(Refusal("{\"pause\": 120}", "{\"pause\": 1, \"press\": 2}"),
            "macros[0].steps[1] must be one of press, release, pause or word");
  EXPECT_EQ(Refusal("\"name\": \"Hello\"", "\"name\": \"Hello, this name is too long\""),
            "macros[0].name is longer than 19 characters");
  EXPECT_EQ(Refusal("\"macros\": [", "\"macros\": [{\"subkey\": \"00ABCDEF\", \"record\": {\"missing\": true}}, "),
            "macros[1] is a macro listed before");
  EXPECT_EQ(Refusal("\"macros\": [", "\"macros\": [{\"subkey\": \"a\\\\b\", \"record\": {\"missing\": true}}, "),
            "macros[0].subkey must be a key name without backslashes");
  EXPECT_EQ(Refusal("\"profiles\": [", "\"stored\": {\"nCurFile\": {\"type\": 3, \"bytes\": \"0\"}}, \"profiles\": ["),
            "stored.nCurFile.bytes must be hex digits in pairs");
}

}  // namespace
}  // namespace q730x::ctl
