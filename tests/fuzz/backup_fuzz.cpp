// libFuzzer target for q730xctl's backup reader. The input is a backup file;
// whatever it holds, reading it either fails with a place and a message or
// gives a store that writes back to a document that reads as the same store.
// The second half of the input also runs as stored values (a damaged
// registry), which must survive the trip through a document byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "backup_format.h"
#include "json.h"

namespace {

using q730x::ctl::StoreSnapshot;
using q730x::ctl::StoredValue;

bool Same(const StoreSnapshot& a, const StoreSnapshot& b) {
  return a.nCurFile == b.nCurFile && a.proCfg == b.proCfg && a.macroUse == b.macroUse &&
         a.profiles == b.profiles && a.macros == b.macros;
}

std::optional<StoreSnapshot> ReadBack(const StoreSnapshot& s) {
  const std::string text = q730x::json::Write(q730x::ctl::SnapshotToJson(s, {}));
  q730x::json::ParseError parseError;
  const auto doc = q730x::json::Parse(text, parseError);
  if (!doc) std::abort();  // we wrote something we cannot read
  q730x::ctl::BackupError error;
  return q730x::ctl::SnapshotFromJson(*doc, error);
}

// Stored values cut from the input: each value takes a length byte and then
// that many bytes (or, for the large tables, the usual size padded).
StoreSnapshot FromBytes(std::string_view in) {
  std::size_t at = 0;
  const auto next = [&](std::size_t usual) {
    StoredValue v;
    if (at >= in.size()) return v;
    const std::uint8_t how = std::uint8_t(in[at++]);
    if (how == 0) return v;  // missing
    v.present = true;
    v.type = how % 5 == 0 ? 4 : 3;
    std::size_t length = how & 0x80 ? usual : how;
    for (std::size_t i = 0; i < length; ++i) v.bytes.push_back(at < in.size() ? std::uint8_t(in[at++]) : 0);
    return v;
  };
  StoreSnapshot s;
  s.nCurFile = next(4);
  s.proCfg = next(q730x::kProCfgBytes);
  s.macroUse = next(q730x::kMacroUseBytes);
  for (auto& p : s.profiles) {
    p.keyPresent = at < in.size() && in[at++] & 1;
    if (!p.keyPresent) continue;
    p.matrix = next(q730x::kMatrixBytes);
    p.auxInfo = next(q730x::kAuxInfoBytes);
    p.macroUseCount = next(3200);
    p.configInfo = next(q730x::kConfigInfoBytes);
  }
  while (at < in.size() && s.macros.size() < 8) {
    q730x::ctl::MacroSnapshot m;
    m.subkey = L"0000000" + std::wstring(1, wchar_t(L'0' + s.macros.size()));
    m.record = next(64 + 12);
    s.macros.push_back(m);
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  q730x::json::ParseError parseError;
  if (const auto doc = q730x::json::Parse(text, parseError)) {
    q730x::ctl::BackupError error;
    if (const auto s = q730x::ctl::SnapshotFromJson(*doc, error)) {
      const auto back = ReadBack(*s);
      if (!back || !Same(*back, *s)) std::abort();
    } else if (error.place.empty() || error.message.empty()) {
      std::abort();  // a refusal always names its place
    }
  } else if (parseError.line < 1 || parseError.message.empty()) {
    std::abort();
  }
  const StoreSnapshot stored = FromBytes(text);
  const auto back = ReadBack(stored);
  if (!back || !Same(*back, stored)) std::abort();
  return 0;
}
