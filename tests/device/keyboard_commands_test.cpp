// The keyboard command set against the virtual keyboard: the exact requests
// the keyboard sees, the echo rule, refusals, chunk counts and pacing.
#include <gtest/gtest.h>

#include <numeric>

#include "device/driver_link.h"
#include "device/keyboard_commands.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

using test::LogLine;

class KeyboardCommandsTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("commands"); }
  void SetUp() override {
    ASSERT_TRUE(keyboard().Admin("factory"));
    ASSERT_TRUE(keyboard().Admin("refuse 0"));
    ASSERT_TRUE(keyboard().Admin("drop-replies 0"));
    link_.StartLink(nullptr);
    ASSERT_TRUE(OpenDriver());
    ASSERT_TRUE(keyboard().Admin("log clear"));
  }
  void TearDown() override { link_.StopLink(); }

  // Log lines of driver requests (kind 8 and 256) since the last clear.
  static std::vector<LogLine> Requests() { return keyboard().LogWith(" kind="); }

  CUSBDriver link_;
};

KeyMatrix NumberedMatrix() {
  KeyMatrix m;
  for (int i = 0; i < kMatrixPositions; ++i) m[i] = KeyCode::FromValue(0x01000000u * (i % 7) + i * 3);
  return m;
}

TEST_F(KeyboardCommandsTest, OpeningConfiguresRegistersAndSetsUpAndClosingUnregisters) {
  link_.StopLink();
  ASSERT_TRUE(keyboard().Admin("log clear"));
  link_.StartLink(nullptr);
  ASSERT_TRUE(OpenDriver());
  CloseDriver();
  const std::vector<LogLine> log = keyboard().LogWith("code=");
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].Field("code"), "0x222410");
  EXPECT_EQ(log[0].Field("value"), "15");
  EXPECT_EQ(log[1].Field("kind"), "1");
  EXPECT_EQ(log[1].Field("semaphore"),
            [] {
              char text[16];
              std::snprintf(text, sizeof text, "0x%X",
                            static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(EventSemaphore())));
              return std::string(text);
            }());
  EXPECT_EQ(log[2].Field("kind"), "32");
  EXPECT_EQ(log[3].Field("kind"), "2");
  for (const LogLine& line : log) EXPECT_EQ(line.Field("result"), "ok") << line.text;
  EXPECT_FALSE(DriverOpen());
}

TEST_F(KeyboardCommandsTest, QueriesSendTheCommandThenReadTheEchoedReply) {
  ASSERT_TRUE(keyboard().Admin("version 3.7"));
  FirmwareMajor = 0;
  FirmwareMinor = 0;
  ASSERT_TRUE(ReadFirmwareVersion());
  EXPECT_EQ(FirmwareMajor, 3u);
  EXPECT_EQ(FirmwareMinor, 7u);
  std::uint32_t interval = 99;
  ASSERT_TRUE(ReadReportInterval(interval));
  EXPECT_EQ(interval, 1u);

  const std::vector<LogLine> log = Requests();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].Field("dir"), "0");
  EXPECT_EQ(log[0].Field("data"), "8000000000000000");
  EXPECT_EQ(log[1].Field("dir"), "1");
  EXPECT_EQ(log[1].Field("data"), "0000000000000000");
  EXPECT_EQ(log[1].Field("reply"), "8003070000000000");
  EXPECT_GE(log[1].t - log[0].t, 10.0 - 0.01);
  EXPECT_EQ(log[2].Field("data"), "8100000000000000");
  EXPECT_EQ(log[3].Field("reply"), "8101000000000000");
}

TEST_F(KeyboardCommandsTest, AReplyThatDoesNotEchoTheCommandIsAFailure) {
  std::uint32_t interval = 0;
  ASSERT_TRUE(ReadReportInterval(interval));  // the keyboard now holds the 0x81 reply
  FirmwareMajor = 5;
  FirmwareMinor = 6;
  ASSERT_TRUE(keyboard().Admin("drop-replies 1"));
  EXPECT_FALSE(ReadFirmwareVersion());
  EXPECT_EQ(FirmwareMajor, 5u);
  EXPECT_EQ(FirmwareMinor, 6u);

  // A refused read back keeps the caller's value too.
  interval = 42;
  ASSERT_TRUE(keyboard().Admin("refuse 1 after 1"));
  EXPECT_FALSE(ReadReportInterval(interval));
  EXPECT_EQ(interval, 42u);
}

TEST_F(KeyboardCommandsTest, SetReportIntervalMakesTheKeyboardRejoinWithTheNewInterval) {
  const std::size_t rejoins = keyboard().Rejoins();
  ASSERT_TRUE(SetReportInterval(8));
  const std::vector<LogLine> log = Requests();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Field("data"), "0108000000000000");
  // It leaves the bus and comes back (logged only after a leave): wait for
  // the return rather than for "attached 1", which holds before the leave.
  ASSERT_TRUE(keyboard().WaitForRejoin(rejoins));
  ASSERT_EQ(keyboard().DumpField("attached"), "1");
  std::uint32_t interval = 0;
  ASSERT_TRUE(ReadReportInterval(interval));
  EXPECT_EQ(interval, 8u);
  EXPECT_FALSE(SetReportInterval(3));  // the keyboard knows only 1, 2 and 8
}

TEST_F(KeyboardCommandsTest, KeyMatrixGoesAsOneCommandAndTwentyPacedChunks) {
  const KeyMatrix matrix = NumberedMatrix();
  ASSERT_TRUE(WriteKeyMatrix(matrix));

  const std::vector<LogLine> log = Requests();
  ASSERT_EQ(log.size(), 21u);
  EXPECT_EQ(log[0].Field("kind"), "8");
  EXPECT_EQ(log[0].Field("data"), "1201028000000000");
  std::string data;
  for (std::size_t i = 1; i < log.size(); ++i) {
    EXPECT_EQ(log[i].Field("kind"), "256");
    EXPECT_EQ(log[i].Field("len"), "32");
    EXPECT_EQ(log[i].Field("result"), "ok");
    data += log[i].Field("data");
    // 10 ms after the command and 20 ms before every chunk are minimums.
    EXPECT_GE(log[i].t - log[i - 1].t, (i == 1 ? 30.0 : 20.0) - 0.01) << "chunk " << i;
  }
  EXPECT_EQ(test::FromHex(data),
            std::vector<std::uint8_t>(matrix.bytes(), matrix.bytes() + kKeyMatrixBytes));
  EXPECT_EQ(keyboard().DumpField("matrix"), data);
}

TEST_F(KeyboardCommandsTest, MacroSlotGoesAsOneCommandAndSixteenChunks) {
  std::vector<std::uint8_t> image(kMacroImageBytes);
  std::iota(image.begin(), image.end(), std::uint8_t{7});
  ASSERT_TRUE(WriteMacroSlot(30, image.data()));
  const std::vector<LogLine> log = Requests();
  ASSERT_EQ(log.size(), 17u);
  EXPECT_EQ(log[0].Field("data"), "13011E0200000000");
  EXPECT_EQ(keyboard().DumpField("slots"), "30");
  EXPECT_EQ(test::FromHex(keyboard().DumpField("slot 30")), image);

  ASSERT_TRUE(keyboard().Admin("log clear"));
  EXPECT_FALSE(WriteMacroSlot(31, image.data()));
  EXPECT_FALSE(WriteMacroSlot(0, nullptr));
  EXPECT_TRUE(Requests().empty());
}

TEST_F(KeyboardCommandsTest, WriteChunksChecksItsInputAndWaitsBeforeEachChunk) {
  const std::vector<std::uint8_t> data(64, 0xAB);
  EXPECT_FALSE(WriteChunks(data.data(), 33));
  EXPECT_FALSE(WriteChunks(nullptr, 32));
  EXPECT_TRUE(WriteChunks(data.data(), 0));
  EXPECT_TRUE(Requests().empty());

  ASSERT_TRUE(SendCommand(MakeWriteMacroSlotCommand(2)));
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  ASSERT_TRUE(WriteChunks(data.data(), 32));
  QueryPerformanceCounter(&b);
  EXPECT_GE((b.QuadPart - a.QuadPart) * 1000.0 / f.QuadPart, 20.0);
  EXPECT_EQ(Requests().size(), 2u);
}

TEST_F(KeyboardCommandsTest, ARefusedRequestStopsTheTransferAndChangesNothing) {
  const std::string factory = keyboard().DumpField("matrix");
  ASSERT_TRUE(keyboard().Admin("refuse 1"));
  EXPECT_FALSE(WriteKeyMatrix(NumberedMatrix()));
  EXPECT_EQ(Requests().size(), 1u);  // the refused command, no chunks

  ASSERT_TRUE(keyboard().Admin("log clear"));
  ASSERT_TRUE(keyboard().Admin("refuse 1 after 3"));  // command and two chunks pass
  EXPECT_FALSE(WriteKeyMatrix(NumberedMatrix()));
  const std::vector<LogLine> log = Requests();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[3].Field("result"), "refused");
  EXPECT_EQ(log[3].Field("reason"), "injected fault");
  EXPECT_EQ(keyboard().DumpField("matrix"), factory);

  // A chunk with no write command before it is refused by the keyboard.
  std::vector<std::uint8_t> chunk(32, 1);
  ASSERT_TRUE(SendCommand(MakeQueryCommand(CMD_READ_REPORT_INTERVAL)));
  EXPECT_FALSE(WriteChunks(chunk.data(), 32));
}

TEST_F(KeyboardCommandsTest, AnUnpluggedKeyboardRefusesCommands) {
  ASSERT_TRUE(keyboard().Admin("unplug"));
  EXPECT_FALSE(ReadFirmwareVersion());
  EXPECT_FALSE(WriteKeyMatrix(NumberedMatrix()));
  ASSERT_TRUE(keyboard().Admin("plug"));
  EXPECT_TRUE(ReadFirmwareVersion());
}

TEST_F(KeyboardCommandsTest, EveryCommandFailsAtOnceWhenTheDeviceIsClosed) {
  CloseDriver();
  ASSERT_TRUE(keyboard().Admin("log clear"));
  std::vector<std::uint8_t> image(kMacroImageBytes);
  std::uint32_t interval = 5;
  DeviceCommand reply{};
  EXPECT_FALSE(SendCommand(MakeQueryCommand(CMD_READ_FIRMWARE_VERSION)));
  EXPECT_FALSE(ReadCommand(reply));
  EXPECT_FALSE(WriteChunks(image.data(), 0));
  EXPECT_FALSE(SetReportInterval(1));
  EXPECT_FALSE(ReadFirmwareVersion());
  EXPECT_FALSE(ReadReportInterval(interval));
  EXPECT_FALSE(WriteKeyMatrix(NumberedMatrix()));
  EXPECT_FALSE(WriteMacroSlot(0, image.data()));
  EXPECT_EQ(interval, 5u);
  EXPECT_TRUE(keyboard().LogWith("code=").empty());
}

// Without the Device switch the real driver is used; it is not installed here.
TEST_F(KeyboardCommandsTest, TheRealDriverPathFailsCleanlyWhenTheDriverIsMissing) {
  link_.StopLink();
  test::SetOverride(kDeviceOverride, nullptr);
  CUSBDriver real;
  real.StartLink(nullptr);
  EXPECT_FALSE(OpenDriver());
  EXPECT_FALSE(DriverOpen());
  std::uint32_t interval = 0;
  EXPECT_FALSE(ReadFirmwareVersion());
  EXPECT_FALSE(ReadReportInterval(interval));
  EXPECT_FALSE(WriteKeyMatrix(NumberedMatrix()));
  EXPECT_TRUE(CloseDriver());
  real.StopLink();
  test::SetOverride(kDeviceOverride, L"virtual");
}

}  // namespace
}  // namespace q730x
