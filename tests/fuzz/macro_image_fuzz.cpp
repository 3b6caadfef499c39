// libFuzzer target for stored macro records and the keyboard's macro image:
// the input is the bytes of a registry value, however short, long or lying.
// Every reader of the record runs, the image is encoded, and the image must
// never use more than its 256 pairs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/macro_image.h"
#include "model/macro_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::optional<q730x::MacroRecord> record =
      q730x::MacroRecord::FromBytes(std::vector<std::uint8_t>(data, data + size));
  if (!record) return 0;
  (void)record->name();
  (void)record->IsListable();
  (void)record->IsWritable();
  for (std::size_t i = 0; i < record->EventCount(); ++i) (void)record->Event(i);
  q730x::MacroImage image{};
  const unsigned pairs = q730x::EncodeMacroImage(*record, image);
  if (pairs < 1) std::abort();  // the header pair is always there
  return 0;
}
