#include "backup_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "model/macro_record.h"

namespace q730x::ctl {

using json::Value;

namespace {

// ---- Small conversions --------------------------------------------------------

std::u16string U16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
Value Str(std::string_view ascii) { return Value::String(json::FromAscii(ascii)); }

std::string Hex8(std::uint32_t v) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", v);
  return text;
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | bytes[offset + i];
  return v;
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = std::uint8_t(v >> (8 * i));
}

// A text field of units UTF-16LE units at offset: the text when the field
// holds exactly that text and zeros after it, otherwise none.
std::optional<std::u16string> CleanText(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                                        std::size_t units) {
  std::u16string text;
  std::size_t i = 0;
  for (; i < units; ++i) {
    const char16_t c = char16_t(bytes[offset + 2 * i] | bytes[offset + 2 * i + 1] << 8);
    if (c == 0) break;
    text += c;
  }
  if (i == units) return std::nullopt;  // no terminator
  for (; i < units; ++i)
    if (bytes[offset + 2 * i] || bytes[offset + 2 * i + 1]) return std::nullopt;
  return text;
}

void PutText(std::vector<std::uint8_t>& bytes, std::size_t offset, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[offset + 2 * i] = std::uint8_t(text[i]);
    bytes[offset + 2 * i + 1] = std::uint8_t(text[i] >> 8);
  }
}

bool AllZero(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t length) {
  return std::all_of(bytes.begin() + offset, bytes.begin() + offset + length, [](auto b) { return b == 0; });
}

// A value as it is stored, for values not in their usual form.
Value StoredForm(const StoredValue& v) {
  Value o = Value::Object();
  if (!v.present) {
    o.Set("missing", Value::Bool(true));
    return o;
  }
  o.Set("type", Value::Number(v.type));
  o.Set("bytes", Str(HexBytes(v.bytes)));
  return o;
}

// ---- Writing ----------------------------------------------------------------

bool MatrixIsUsual(const StoredValue& v) { return v.IsBinaryOfSize(kMatrixBytes); }
bool AuxIsUsual(const StoredValue& v) { return v.IsBinaryOfSize(kAuxInfoBytes); }
bool MacroUseIsUsual(const StoredValue& v) { return v.IsBinaryOfSize(kMacroUseBytes); }
bool MacroUseCountIsUsual(const StoredValue& v) {
  return v.present && v.type == kBinaryType && AllZero(v.bytes, 0, v.bytes.size());
}

bool ReportRateIsUsual(std::uint32_t rate) { return rate == 125 || rate == 500 || rate == 1000; }

bool ConfigIsUsual(const StoredValue& v) {
  return v.IsBinaryOfSize(kConfigInfoBytes) && ReportRateIsUsual(ReadU32(v.bytes, 0)) &&
         CleanText(v.bytes, offsetof(ConfigInfo, text), kAuxTextUnits);
}

bool CurrentIndexIsUsual(const StoredValue& v) { return v.IsBinaryOfSize(4) && ReadU32(v.bytes, 0) < 5; }

bool LinksAreUsual(const StoredValue& v) {
  if (!v.IsBinaryOfSize(kProCfgBytes)) return false;
  for (int n = 0; n < kProfileCount; ++n) {
    const std::size_t at = n * sizeof(ProgramLink);
    if (ReadU32(v.bytes, at) > 1 || !CleanText(v.bytes, at + offsetof(ProgramLink, program), kAuxTextUnits))
      return false;
  }
  return true;
}

// A profile all of whose stored macro uses can be shown on its keys.
bool MacroUseFitsProfiles(const StoreSnapshot& s) {
  if (!MacroUseIsUsual(s.macroUse)) return false;
  for (int n = 0; n < kProfileCount; ++n)
    if (!s.profiles[n].keyPresent && !AllZero(s.macroUse.bytes, n * 640, 640)) return false;
  return true;
}

Value KeyEntry(int position, const StoreSnapshot& s, int n, const BackupNames& names, bool& any) {
  const ProfileSnapshot& p = s.profiles[n];
  Value key = Value::Object();
  key.Set("position", Value::Number(position));
  const bool matrix = MatrixIsUsual(p.matrix), aux = AuxIsUsual(p.auxInfo);
  KeyCode code{};
  if (matrix) code = KeyCode::FromValue(ReadU32(p.matrix.bytes, position * 4));
  AuxRecord record;
  if (aux) std::memcpy(&record, p.auxInfo.bytes.data() + position * sizeof(AuxRecord), sizeof record);
  const std::uint32_t use = MacroUseFitsProfiles(s) ? ReadU32(s.macroUse.bytes, (n * 160 + position) * 4) : 0;
  const bool auxEmpty = !aux || AllZero(p.auxInfo.bytes, position * sizeof(AuxRecord), sizeof(AuxRecord));
  any = (matrix && !IsNoFunction(code)) || !auxEmpty || use != 0;
  if (!any) return key;

  if (names.key) {
    const std::wstring name = names.key(position);
    if (!name.empty()) key.Set("key", Value::String(U16(name)));
  }
  if (matrix) {
    key.Set("code", Str(Hex8(code.Value())));
    if (names.function) {
      const std::wstring function = names.function(code, record);
      if (!function.empty()) key.Set("function", Value::String(U16(function)));
    }
  }
  if (!auxEmpty) {
    AuxRecord macro;
    macro.SetMacroId(record.MacroId());
    AuxRecord text;
    text.SetText(record.Text());
    if (matrix && code.type == KT_MACRO && std::memcmp(&macro, &record, sizeof record) == 0)
      key.Set("macro", Str(Hex8(record.MacroId())));
    else if (std::memcmp(&text, &record, sizeof record) == 0)
      key.Set("text", Value::String(std::u16string(record.Text())));
    else {
      std::vector<std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(&record),
                                      reinterpret_cast<const std::uint8_t*>(&record) + sizeof record);
      while (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
      key.Set("auxBytes", Str(HexBytes(bytes)));
    }
  }
  if (use) key.Set("macroUse", Str(Hex8(use)));
  return key;
}

Value ProfileToJson(const StoreSnapshot& s, int n, const BackupNames& names) {
  const ProfileSnapshot& p = s.profiles[n];
  Value o = Value::Object();
  o.Set("profile", Value::Number(n + 1));
  if (!p.keyPresent) {
    o.Set("absent", Value::Bool(true));
    return o;
  }
  if (ConfigIsUsual(p.configInfo)) {
    const auto& b = p.configInfo.bytes;
    o.Set("reportRate", Value::Number(ReadU32(b, 0)));
    o.Set("text", Value::String(*CleanText(b, offsetof(ConfigInfo, text), kAuxTextUnits)));
    Value settings = Value::Array();
    for (std::size_t at = offsetof(ConfigInfo, valueA); at < kConfigInfoBytes; at += 4)
      settings.Append(Value::Number(ReadU32(b, at)));
    o.Set("settings", std::move(settings));
  }
  if (MacroUseCountIsUsual(p.macroUseCount))
    o.Set("macroUseCount", Value::Number(std::int64_t(p.macroUseCount.bytes.size())));
  if (MatrixIsUsual(p.matrix) || AuxIsUsual(p.auxInfo) || MacroUseFitsProfiles(s)) {
    Value keys = Value::Array();
    for (int position = 0; position < kMatrixPositions; ++position) {
      bool any = false;
      Value key = KeyEntry(position, s, n, names, any);
      if (any) keys.Append(std::move(key));
    }
    o.Set("keys", std::move(keys));
  }
  Value stored = Value::Object();
  if (!MatrixIsUsual(p.matrix)) stored.Set("Matrix", StoredForm(p.matrix));
  if (!AuxIsUsual(p.auxInfo)) stored.Set("AuxInfo", StoredForm(p.auxInfo));
  if (!MacroUseCountIsUsual(p.macroUseCount)) stored.Set("MacroUseCount", StoredForm(p.macroUseCount));
  if (!ConfigIsUsual(p.configInfo)) stored.Set("ConfigInfo", StoredForm(p.configInfo));
  if (!stored.Members().empty()) o.Set("stored", std::move(stored));
  return o;
}

// The usual form of a macro record: exactly the header and its events, the
// recognised format, the id of its subkey, a valid mode and repeat count, and
// a clean name.
bool MacroIsUsual(const MacroSnapshot& m) {
  const StoredValue& v = m.record;
  if (!v.present || v.type != kBinaryType || v.bytes.size() < kMacroHeaderBytes) return false;
  const auto& b = v.bytes;
  const std::uint32_t id = ReadU32(b, 8), mode = ReadU32(b, 12), repeat = ReadU32(b, 16);
  const std::uint32_t count = ReadU32(b, 60);
  return ReadU32(b, 0) == b.size() && b.size() == kMacroHeaderBytes + 4ull * count &&
         ReadU32(b, 4) == kMacroFormat && m.subkey == Wide(json::FromAscii(Hex8(id))) &&
         mode <= 2 && repeat >= 1 && repeat <= 0xFFFD &&
         CleanText(b, offsetof(MacroRecordHeader, name), kMacroNameUnits);
}

Value MacroToJson(const MacroSnapshot& m, const BackupNames& names) {
  Value o = Value::Object();
  if (!MacroIsUsual(m)) {
    o.Set("subkey", Value::String(U16(m.subkey)));
    o.Set("record", StoredForm(m.record));
    return o;
  }
  const auto& b = m.record.bytes;
  o.Set("id", Str(Hex8(ReadU32(b, 8))));
  o.Set("name", Value::String(*CleanText(b, offsetof(MacroRecordHeader, name), kMacroNameUnits)));
  o.Set("playMode", Value::Number(ReadU32(b, 12)));
  o.Set("repeatCount", Value::Number(ReadU32(b, 16)));
  Value steps = Value::Array();
  for (std::size_t at = kMacroHeaderBytes; at < b.size(); at += 4) {
    const MacroEvent e{ReadU32(b, at)};
    Value step = Value::Object();
    const char* kind = e.kind() == MacroEvent::kPress     ? "press"
                       : e.kind() == MacroEvent::kRelease ? "release"
                       : e.kind() == MacroEvent::kPause   ? "pause"
                                                          : nullptr;
    if (!kind) {
      step.Set("word", Str(Hex8(e.word)));
    } else {
      step.Set(kind, Value::Number(e.value()));
      if (e.kind() != MacroEvent::kPause && names.stepKey) {
        const std::wstring name = names.stepKey(e.value());
        if (!name.empty()) step.Set("key", Value::String(U16(name)));
      }
    }
    steps.Append(std::move(step));
  }
  o.Set("steps", std::move(steps));
  return o;
}

}  // namespace

Value SnapshotToJson(const StoreSnapshot& s, const BackupNames& names) {
  Value doc = Value::Object();
  doc.Set("format", Str(kBackupFormat));
  doc.Set("version", Value::Number(kBackupVersion));
  if (CurrentIndexIsUsual(s.nCurFile)) doc.Set("currentProfile", Value::Number(ReadU32(s.nCurFile.bytes, 0) + 1));
  if (LinksAreUsual(s.proCfg)) {
    Value links = Value::Array();
    for (int n = 0; n < kProfileCount; ++n) {
      const std::size_t at = n * sizeof(ProgramLink);
      Value link = Value::Object();
      link.Set("profile", Value::Number(n + 1));
      link.Set("enabled", Value::Bool(ReadU32(s.proCfg.bytes, at) == 1));
      link.Set("program", Value::String(*CleanText(s.proCfg.bytes, at + 4, kAuxTextUnits)));
      links.Append(std::move(link));
    }
    doc.Set("programLinks", std::move(links));
  }
  Value stored = Value::Object();
  if (!CurrentIndexIsUsual(s.nCurFile)) stored.Set("nCurFile", StoredForm(s.nCurFile));
  if (!LinksAreUsual(s.proCfg)) stored.Set("ProCfg", StoredForm(s.proCfg));
  if (!MacroUseFitsProfiles(s)) stored.Set("MacroUse", StoredForm(s.macroUse));
  if (!stored.Members().empty()) doc.Set("stored", std::move(stored));
  Value profiles = Value::Array();
  for (int n = 0; n < kProfileCount; ++n) profiles.Append(ProfileToJson(s, n, names));
  doc.Set("profiles", std::move(profiles));
  Value macros = Value::Array();
  for (const MacroSnapshot& m : s.macros) macros.Append(MacroToJson(m, names));
  doc.Set("macros", std::move(macros));
  return doc;
}

// ---- Reading ----------------------------------------------------------------

namespace {

// Reads one document; the first failure is kept in error with its place.
class Checker {
 public:
  explicit Checker(BackupError& error) : error_(error) {}

  bool failed() const { return failed_; }

  bool Fail(const std::string& place, const std::string& message) {
    if (!failed_) error_ = {place, message};
    failed_ = true;
    return false;
  }

  // Every member of o is one of the allowed names.
  bool OnlyMembers(const Value& o, const std::string& place, std::initializer_list<const char*> allowed) {
    for (const auto& [name, value] : o.Members()) {
      bool known = false;
      for (const char* a : allowed) known = known || name == a;
      if (!known) return Fail(place, "unknown member \"" + name + "\"");
    }
    return true;
  }

  const Value* Object(const Value* v, const std::string& place) {
    if (!v) return Fail(place, "is missing"), nullptr;
    if (!v->IsObject()) return Fail(place, "must be an object"), nullptr;
    return v;
  }

  const Value* Array(const Value* v, const std::string& place) {
    if (!v) return Fail(place, "is missing"), nullptr;
    if (!v->IsArray()) return Fail(place, "must be a list"), nullptr;
    return v;
  }

  std::optional<std::int64_t> Number(const Value* v, const std::string& place, std::int64_t low,
                                     std::int64_t high) {
    if (!v) return Fail(place, "is missing"), std::nullopt;
    if (!v->IsNumber()) return Fail(place, "must be a number"), std::nullopt;
    if (v->AsNumber() < low || v->AsNumber() > high)
      return Fail(place, "must be from " + std::to_string(low) + " to " + std::to_string(high)), std::nullopt;
    return v->AsNumber();
  }

  std::optional<bool> Bool(const Value* v, const std::string& place) {
    if (!v) return Fail(place, "is missing"), std::nullopt;
    if (!v->IsBool()) return Fail(place, "must be true or false"), std::nullopt;
    return v->AsBool();
  }

  // A text of at most maxUnits units with no zero unit in it.
  std::optional<std::u16string> Text(const Value* v, const std::string& place, std::size_t maxUnits) {
    if (!v) return Fail(place, "is missing"), std::nullopt;
    if (!v->IsString()) return Fail(place, "must be a text in quotes"), std::nullopt;
    const std::u16string& s = v->AsString();
    if (s.size() > maxUnits)
      return Fail(place, "is longer than " + std::to_string(maxUnits) + " characters"), std::nullopt;
    if (s.find(u'\0') != std::u16string::npos) return Fail(place, "may not hold a zero character"), std::nullopt;
    return s;
  }

  // Eight hex digits.
  std::optional<std::uint32_t> Hex32(const Value* v, const std::string& place) {
    if (!v) return Fail(place, "is missing"), std::nullopt;
    if (!v->IsString() || v->AsString().size() != 8)
      return Fail(place, "must be eight hex digits in quotes"), std::nullopt;
    std::uint32_t n = 0;
    for (char16_t c : v->AsString()) {
      const int d = HexDigit(c);
      if (d < 0) return Fail(place, "must be eight hex digits in quotes"), std::nullopt;
      n = n << 4 | unsigned(d);
    }
    return n;
  }

  std::optional<std::vector<std::uint8_t>> HexData(const Value* v, const std::string& place,
                                                   std::size_t maxBytes) {
    if (!v) return Fail(place, "is missing"), std::nullopt;
    if (!v->IsString() || v->AsString().size() % 2)
      return Fail(place, "must be hex digits in pairs"), std::nullopt;
    if (v->AsString().size() / 2 > maxBytes)
      return Fail(place, "holds more than " + std::to_string(maxBytes) + " bytes"), std::nullopt;
    std::vector<std::uint8_t> bytes;
    const std::u16string& s = v->AsString();
    for (std::size_t i = 0; i < s.size(); i += 2) {
      const int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
      if (hi < 0 || lo < 0) return Fail(place, "must be hex digits in pairs"), std::nullopt;
      bytes.push_back(std::uint8_t(hi << 4 | lo));
    }
    return bytes;
  }

  // A value kept as stored: {"missing": true} or {"type": N, "bytes": "..."}.
  std::optional<StoredValue> Stored(const Value* v, const std::string& place, std::size_t maxBytes) {
    const Value* o = Object(v, place);
    if (!o || !OnlyMembers(*o, place, {"missing", "type", "bytes"})) return std::nullopt;
    if (o->Find("missing")) {
      const std::optional<bool> missing = Bool(o->Find("missing"), place + ".missing");
      if (!missing) return std::nullopt;
      if (!*missing || o->Members().size() != 1)
        return Fail(place, "\"missing\" must be true and stand alone"), std::nullopt;
      return StoredValue{};
    }
    const auto type = Number(o->Find("type"), place + ".type", 0, 11);  // the registry's value types
    if (!type) return std::nullopt;
    auto bytes = HexData(o->Find("bytes"), place + ".bytes", maxBytes);
    if (!bytes) return std::nullopt;
    return StoredValue{true, std::uint32_t(*type), std::move(*bytes)};
  }

  // Informational members: texts when present.
  bool OptionalText(const Value& o, const char* name, const std::string& place) {
    const Value* v = o.Find(name);
    return !v || Text(v, place + "." + name, 4096);
  }

 private:
  static int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  }

  BackupError& error_;
  bool failed_ = false;
};

constexpr std::size_t kMaxStoredBytes = 1u << 20;

std::string At(const std::string& list, std::size_t i) { return list + "[" + std::to_string(i) + "]"; }

bool ReadKeys(Checker& c, const Value& keys, const std::string& place, int n, bool wantCodes, bool wantAux,
              bool wantUse, ProfileSnapshot& p, std::vector<std::uint8_t>& macroUse) {
  std::set<std::int64_t> seen;
  for (std::size_t i = 0; i < keys.Items().size(); ++i) {
    const std::string at = At(place, i);
    const Value* key = c.Object(&keys.Items()[i], at);
    if (!key || !c.OnlyMembers(*key, at, {"position", "key", "code", "function", "macro", "text", "auxBytes",
                                          "macroUse"}))
      return false;
    const auto position = c.Number(key->Find("position"), at + ".position", 0, kMatrixPositions - 1);
    if (!position) return false;
    if (!seen.insert(*position).second) return c.Fail(at + ".position", "names a position listed before");
    if (!c.OptionalText(*key, "key", at) || !c.OptionalText(*key, "function", at)) return false;

    std::optional<std::uint32_t> code;
    if (key->Find("code")) {
      if (!wantCodes) return c.Fail(at + ".code", "is given while the matrix is kept as stored");
      if (!(code = c.Hex32(key->Find("code"), at + ".code"))) return false;
      PutU32(p.matrix.bytes, std::size_t(*position) * 4, *code);
    }
    const int auxKinds = !!key->Find("macro") + !!key->Find("text") + !!key->Find("auxBytes");
    if (auxKinds > 1) return c.Fail(at, "may hold only one of \"macro\", \"text\" and \"auxBytes\"");
    if (auxKinds && !wantAux) return c.Fail(at, "has key data while AuxInfo is kept as stored");
    const std::size_t auxAt = std::size_t(*position) * sizeof(AuxRecord);
    if (key->Find("macro")) {
      if (!code || KeyCode::FromValue(*code).type != KT_MACRO)
        return c.Fail(at + ".macro", "belongs only to a key whose code is a macro (type 08)");
      const auto id = c.Hex32(key->Find("macro"), at + ".macro");
      if (!id) return false;
      PutU32(p.auxInfo.bytes, auxAt, *id);
    } else if (key->Find("text")) {
      const auto text = c.Text(key->Find("text"), at + ".text", kAuxTextUnits - 1);
      if (!text) return false;
      PutText(p.auxInfo.bytes, auxAt, *text);
    } else if (key->Find("auxBytes")) {
      const auto bytes = c.HexData(key->Find("auxBytes"), at + ".auxBytes", sizeof(AuxRecord));
      if (!bytes) return false;
      std::copy(bytes->begin(), bytes->end(), p.auxInfo.bytes.begin() + auxAt);
    }
    if (key->Find("macroUse")) {
      if (!wantUse) return c.Fail(at + ".macroUse", "is given while MacroUse is kept as stored");
      const auto id = c.Hex32(key->Find("macroUse"), at + ".macroUse");
      if (!id) return false;
      PutU32(macroUse, (std::size_t(n) * kMatrixPositions + std::size_t(*position)) * 4, *id);
    }
  }
  return true;
}

bool ReadProfile(Checker& c, const Value& o, const std::string& place, int n, bool wantUse, ProfileSnapshot& p,
                 std::vector<std::uint8_t>& macroUse) {
  if (!c.OnlyMembers(o, place, {"profile", "absent", "reportRate", "text", "settings", "macroUseCount", "keys",
                                "stored"}))
    return false;
  if (o.Find("absent")) {
    const auto absent = c.Bool(o.Find("absent"), place + ".absent");
    if (!absent) return false;
    if (!*absent || o.Members().size() != 2) return c.Fail(place, "\"absent\" must be true and stand alone");
    p = ProfileSnapshot{};
    return true;
  }
  p.keyPresent = true;
  const Value* stored = o.Find("stored");
  if (stored && (!c.Object(stored, place + ".stored") ||
                 !c.OnlyMembers(*stored, place + ".stored", {"Matrix", "AuxInfo", "MacroUseCount", "ConfigInfo"})))
    return false;
  const auto keptValue = [&](const char* name, StoredValue& out) -> std::optional<bool> {
    const Value* v = stored ? stored->Find(name) : nullptr;
    if (!v) return false;
    auto value = c.Stored(v, place + ".stored." + name, kMaxStoredBytes);
    if (!value) return std::nullopt;
    out = std::move(*value);
    return true;
  };
  const auto matrixKept = keptValue("Matrix", p.matrix);
  const auto auxKept = keptValue("AuxInfo", p.auxInfo);
  const auto countKept = keptValue("MacroUseCount", p.macroUseCount);
  const auto configKept = keptValue("ConfigInfo", p.configInfo);
  if (!matrixKept || !auxKept || !countKept || !configKept) return false;

  if (!*configKept) {
    const auto rate = c.Number(o.Find("reportRate"), place + ".reportRate", 125, 1000);
    if (!rate) return false;
    if (!ReportRateIsUsual(std::uint32_t(*rate))) return c.Fail(place + ".reportRate", "must be 125, 500 or 1000");
    const auto text = c.Text(o.Find("text"), place + ".text", kAuxTextUnits - 1);
    const Value* settings = c.Array(o.Find("settings"), place + ".settings");
    if (!text || !settings) return false;
    if (settings->Items().size() != 4) return c.Fail(place + ".settings", "must hold four numbers");
    p.configInfo = StoredValue::Binary(std::vector<std::uint8_t>(kConfigInfoBytes));
    PutU32(p.configInfo.bytes, 0, std::uint32_t(*rate));
    PutText(p.configInfo.bytes, offsetof(ConfigInfo, text), *text);
    for (std::size_t i = 0; i < 4; ++i) {
      const auto v = c.Number(&settings->Items()[i], At(place + ".settings", i), 0, 0xFFFFFFFF);
      if (!v) return false;
      PutU32(p.configInfo.bytes, offsetof(ConfigInfo, valueA) + 4 * i, std::uint32_t(*v));
    }
  } else if (o.Find("reportRate") || o.Find("text") || o.Find("settings")) {
    return c.Fail(place, "gives settings while ConfigInfo is kept as stored");
  }

  if (!*countKept) {
    const auto count = c.Number(o.Find("macroUseCount"), place + ".macroUseCount", 0, kMaxStoredBytes);
    if (!count) return false;
    p.macroUseCount = StoredValue::Binary(std::vector<std::uint8_t>(std::size_t(*count)));
  } else if (o.Find("macroUseCount")) {
    return c.Fail(place + ".macroUseCount", "is given while MacroUseCount is kept as stored");
  }

  if (!*matrixKept) p.matrix = StoredValue::Binary(std::vector<std::uint8_t>(kMatrixBytes));
  if (!*auxKept) p.auxInfo = StoredValue::Binary(std::vector<std::uint8_t>(kAuxInfoBytes));
  const Value* keys = o.Find("keys");
  if (!keys) {
    if (!*matrixKept || !*auxKept || wantUse) return c.Fail(place + ".keys", "is missing");
    return true;
  }
  if (!c.Array(keys, place + ".keys")) return false;
  return ReadKeys(c, *keys, place + ".keys", n, !*matrixKept, !*auxKept, wantUse, p, macroUse);
}

bool ReadMacro(Checker& c, const Value& o, const std::string& place, MacroSnapshot& m) {
  if (o.Find("record")) {
    if (!c.OnlyMembers(o, place, {"subkey", "record"})) return false;
    const auto subkey = c.Text(o.Find("subkey"), place + ".subkey", 255);
    if (!subkey) return false;
    if (subkey->empty() || subkey->find(u'\\') != std::u16string::npos)
      return c.Fail(place + ".subkey", "must be a key name without backslashes");
    auto record = c.Stored(o.Find("record"), place + ".record", kMaxStoredBytes);
    if (!record) return false;
    m = {Wide(*subkey), std::move(*record)};
    return true;
  }
  if (!c.OnlyMembers(o, place, {"id", "name", "playMode", "repeatCount", "steps"})) return false;
  const auto id = c.Hex32(o.Find("id"), place + ".id");
  const auto name = c.Text(o.Find("name"), place + ".name", kMacroNameUnits - 1);
  const auto mode = c.Number(o.Find("playMode"), place + ".playMode", 0, 2);
  const auto repeat = c.Number(o.Find("repeatCount"), place + ".repeatCount", 1, 0xFFFD);
  const Value* steps = c.Array(o.Find("steps"), place + ".steps");
  if (!id || !name || !mode || !repeat || !steps) return false;
  MacroRecord record;
  record.SetFormat(kMacroFormat);
  record.SetId(*id);
  record.SetPlayMode(std::uint32_t(*mode));
  record.SetRepeatCount(std::uint32_t(*repeat));
  record.SetName(*name);
  for (std::size_t i = 0; i < steps->Items().size(); ++i) {
    const std::string at = At(place + ".steps", i);
    const Value* step = c.Object(&steps->Items()[i], at);
    if (!step || !c.OnlyMembers(*step, at, {"press", "release", "pause", "word", "key"})) return false;
    if (!c.OptionalText(*step, "key", at)) return false;
    const int kinds = !!step->Find("press") + !!step->Find("release") + !!step->Find("pause") + !!step->Find("word");
    if (kinds != 1) return c.Fail(at, "must be one of press, release, pause or word");
    MacroEvent e;
    if (step->Find("word")) {
      const auto word = c.Hex32(step->Find("word"), at + ".word");
      if (!word) return false;
      e.word = *word;
    } else {
      const char* kind = step->Find("press") ? "press" : step->Find("release") ? "release" : "pause";
      const auto value = c.Number(step->Find(kind), at + "." + kind, 0, 0xFFFFFF);
      if (!value) return false;
      const std::uint8_t k = step->Find("press")     ? MacroEvent::kPress
                             : step->Find("release") ? MacroEvent::kRelease
                                                     : MacroEvent::kPause;
      e = MacroEvent::Make(k, std::uint32_t(*value));
    }
    record.AppendEvent(e);
  }
  record.SetSize(std::uint32_t(kMacroHeaderBytes + 4 * record.EventCount()));
  m = {Wide(json::FromAscii(Hex8(*id))), StoredValue::Binary(record.bytes())};
  return true;
}

std::wstring Lower(std::wstring s) {
  for (wchar_t& ch : s)
    if (ch >= L'A' && ch <= L'Z') ch = wchar_t(ch - L'A' + L'a');
  return s;
}

}  // namespace

std::optional<StoreSnapshot> SnapshotFromJson(const Value& doc, BackupError& error) {
  Checker c(error);
  if (!c.Object(&doc, "the document")) return std::nullopt;
  if (!c.OnlyMembers(doc, "the document",
                     {"format", "version", "currentProfile", "programLinks", "stored", "profiles", "macros"}))
    return std::nullopt;
  const Value* format = doc.Find("format");
  if (!format || !format->IsString() || format->AsString() != json::FromAscii(kBackupFormat)) {
    c.Fail("format", std::string("must be \"") + kBackupFormat + "\": this is not a settings backup");
    return std::nullopt;
  }
  const auto version = c.Number(doc.Find("version"), "version", 1, 1000000);
  if (!version) return std::nullopt;
  if (*version > kBackupVersion) {
    c.Fail("version", "is " + std::to_string(*version) + ", made by a newer q730xctl; this one reads version " +
                          std::to_string(kBackupVersion));
    return std::nullopt;
  }

  StoreSnapshot s;
  const Value* stored = doc.Find("stored");
  if (stored && (!c.Object(stored, "stored") || !c.OnlyMembers(*stored, "stored", {"nCurFile", "ProCfg", "MacroUse"})))
    return std::nullopt;
  const auto kept = [&](const char* name, StoredValue& out) -> std::optional<bool> {
    const Value* v = stored ? stored->Find(name) : nullptr;
    if (!v) return false;
    auto value = c.Stored(v, std::string("stored.") + name, kMaxStoredBytes);
    if (!value) return std::nullopt;
    out = std::move(*value);
    return true;
  };
  const auto indexKept = kept("nCurFile", s.nCurFile);
  const auto linksKept = kept("ProCfg", s.proCfg);
  const auto useKept = kept("MacroUse", s.macroUse);
  if (!indexKept || !linksKept || !useKept) return std::nullopt;

  if (!*indexKept) {
    const auto current = c.Number(doc.Find("currentProfile"), "currentProfile", 1, kProfileCount);
    if (!current) return std::nullopt;
    s.nCurFile = StoredValue::Binary(std::vector<std::uint8_t>(4));
    PutU32(s.nCurFile.bytes, 0, std::uint32_t(*current - 1));
  } else if (doc.Find("currentProfile")) {
    c.Fail("currentProfile", "is given while nCurFile is kept as stored");
    return std::nullopt;
  }

  if (!*linksKept) {
    const Value* links = c.Array(doc.Find("programLinks"), "programLinks");
    if (!links) return std::nullopt;
    if (links->Items().size() != kProfileCount) {
      c.Fail("programLinks", "must hold five links, one per profile");
      return std::nullopt;
    }
    s.proCfg = StoredValue::Binary(std::vector<std::uint8_t>(kProCfgBytes));
    std::set<std::int64_t> seen;
    for (std::size_t i = 0; i < links->Items().size(); ++i) {
      const std::string at = At("programLinks", i);
      const Value* link = c.Object(&links->Items()[i], at);
      if (!link || !c.OnlyMembers(*link, at, {"profile", "enabled", "program"})) return std::nullopt;
      const auto profile = c.Number(link->Find("profile"), at + ".profile", 1, kProfileCount);
      const auto enabled = c.Bool(link->Find("enabled"), at + ".enabled");
      const auto program = c.Text(link->Find("program"), at + ".program", kAuxTextUnits - 1);
      if (!profile || !enabled || !program) return std::nullopt;
      if (!seen.insert(*profile).second) {
        c.Fail(at + ".profile", "names a profile listed before");
        return std::nullopt;
      }
      const std::size_t offset = std::size_t(*profile - 1) * sizeof(ProgramLink);
      PutU32(s.proCfg.bytes, offset, *enabled ? 1 : 0);
      PutText(s.proCfg.bytes, offset + 4, *program);
    }
  } else if (doc.Find("programLinks")) {
    c.Fail("programLinks", "is given while ProCfg is kept as stored");
    return std::nullopt;
  }

  std::vector<std::uint8_t> macroUse(kMacroUseBytes);
  const Value* profiles = c.Array(doc.Find("profiles"), "profiles");
  if (!profiles) return std::nullopt;
  if (profiles->Items().size() != kProfileCount) {
    c.Fail("profiles", "must hold five profiles");
    return std::nullopt;
  }
  std::set<std::int64_t> seen;
  for (std::size_t i = 0; i < profiles->Items().size(); ++i) {
    const std::string at = At("profiles", i);
    const Value* profile = c.Object(&profiles->Items()[i], at);
    if (!profile) return std::nullopt;
    const auto number = c.Number(profile->Find("profile"), at + ".profile", 1, kProfileCount);
    if (!number) return std::nullopt;
    if (!seen.insert(*number).second) {
      c.Fail(at + ".profile", "names a profile listed before");
      return std::nullopt;
    }
    const int n = int(*number - 1);
    if (!ReadProfile(c, *profile, at, n, !*useKept, s.profiles[n], macroUse)) return std::nullopt;
  }
  if (!*useKept) s.macroUse = StoredValue::Binary(std::move(macroUse));

  const Value* macros = c.Array(doc.Find("macros"), "macros");
  if (!macros) return std::nullopt;
  std::set<std::wstring> subkeys;
  for (std::size_t i = 0; i < macros->Items().size(); ++i) {
    const std::string at = At("macros", i);
    const Value* macro = c.Object(&macros->Items()[i], at);
    MacroSnapshot m;
    if (!macro || !ReadMacro(c, *macro, at, m)) return std::nullopt;
    // Registry key names ignore the letter case.
    if (!subkeys.insert(Lower(m.subkey)).second) {
      c.Fail(at, "is a macro listed before");
      return std::nullopt;
    }
    s.macros.push_back(std::move(m));
  }
  return s;
}

}  // namespace q730x::ctl
