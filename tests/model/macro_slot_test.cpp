// A macro encoded and written to a slot of the virtual keyboard arrives there
// as its 512 image bytes.
#include <gtest/gtest.h>

#include "device/driver_link.h"
#include "device/keyboard_commands.h"
#include "model/macro_image.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

class MacroSlotTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("macro-slot"); }
  void SetUp() override {
    ASSERT_TRUE(keyboard().Admin("factory"));
    link_.StartLink(nullptr);
    ASSERT_TRUE(OpenDriver());
  }
  void TearDown() override { link_.StopLink(); }
  CUSBDriver link_;
};

TEST_F(MacroSlotTest, TheEncodedImageLandsInTheSlot) {
  MacroRecord r;
  r.SetFormat(kMacroFormat);
  r.SetRepeatCount(1);
  r.AppendEvent(MacroEvent::Make(MacroEvent::kPress, 0x41));
  r.AppendEvent(MacroEvent::Make(MacroEvent::kPause, 1000));
  r.AppendEvent(MacroEvent::Make(MacroEvent::kRelease, 0x41));
  r.SetSize(static_cast<std::uint32_t>(r.bytes().size()));
  EXPECT_EQ(EncodeAndSendMacro(4, &r, WriteMacroSlot), 3u);

  std::vector<std::uint8_t> expected(kMacroImageSize, 0);
  const std::uint8_t head[] = {0x00, 0x01, 0x64, 0x04, 0x80, 0x04};
  std::copy(std::begin(head), std::end(head), expected.begin());
  EXPECT_EQ(test::FromHex(keyboard().DumpField("slot 4")), expected);
}

}  // namespace
}  // namespace q730x
