// The request and event records byte by byte, and the pipe framing.
#include <gtest/gtest.h>

#include <map>

#include "device/driver_records.h"
#include "device/virtual_pipe_protocol.h"

namespace q730x {
namespace {

// The non-zero bytes of a request, by offset.
std::map<std::size_t, int> Set(const DriverRequest& r) {
  std::map<std::size_t, int> out;
  for (std::size_t i = 0; i < r.bytes.size(); ++i)
    if (r.bytes[i]) out[i] = r.bytes[i];
  return out;
}

using Bytes = std::map<std::size_t, int>;
const Bytes kIds = {{116, 0x5C}, {117, 0x3A}, {118, 0x06}, {119, 0x40}};

Bytes Plus(Bytes a, const Bytes& b) {
  a.insert(b.begin(), b.end());
  return a;
}

TEST(DriverRecords, RequestsCarryExactlyTheirFieldsAndZeroElsewhere) {
  EXPECT_EQ(Set(MakeRegisterRequest(0x12345678)),
            Plus(kIds, {{0, 1}, {172, 0x78}, {173, 0x56}, {174, 0x34}, {175, 0x12}}));
  EXPECT_EQ(Set(MakeUnregisterRequest()), Plus(kIds, {{0, 2}}));
  EXPECT_EQ(Set(MakeSetupRequest()), Plus(kIds, {{0, 32}, {12, 0x04}, {14, 0x02}}));

  const DeviceCommand matrix = MakeWriteKeyMatrixCommand();
  EXPECT_EQ(Set(MakeCommandRequest(matrix.data(), DIR_TO_KEYBOARD)),
            Plus(kIds, {{0, 8}, {24, 8}, {29, 0x03}, {30, 0x02}, {32, 0x12}, {33, 0x01},
                        {34, 0x02}, {35, 0x80}}));
  // A read back sends direction 1 and no data, whatever command is passed.
  EXPECT_EQ(Set(MakeCommandRequest(matrix.data(), DIR_READ_BACK)),
            Plus(kIds, {{0, 8}, {24, 8}, {26, 1}, {29, 0x03}, {30, 0x02}}));

  std::uint8_t chunk[32] = {};
  chunk[0] = 0xAA;
  chunk[31] = 0xBB;
  EXPECT_EQ(Set(MakeChunkRequest(chunk)),
            Plus(kIds, {{1, 0x01}, {24, 32}, {32, 0xAA}, {63, 0xBB}}));
  const DriverRequest c = MakeChunkRequest(chunk);
  EXPECT_EQ(c.kind(), 256u);
  EXPECT_EQ(c.dataLength(), 32u);
  EXPECT_EQ(c.direction(), 0u);
  EXPECT_EQ(c.data()[0], 0xAA);
  EXPECT_EQ(c.data()[31], 0xBB);
}

TEST(DriverRecords, CommandsAndTheEventRecord) {
  EXPECT_EQ(MakeWriteMacroSlotCommand(30), (DeviceCommand{0x13, 0x01, 30, 0x02, 0x00, 0, 0, 0}));
  EXPECT_EQ(MakeSetReportIntervalCommand(8), (DeviceCommand{0x01, 8, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(MakeQueryCommand(0x81), (DeviceCommand{0x81, 0, 0, 0, 0, 0, 0, 0}));

  const DeviceEvent e = MakeEventRecord();
  std::array<std::uint8_t, 60> expected{};
  expected[4] = 0x5C;
  expected[5] = 0x3A;
  expected[6] = 0x06;
  expected[7] = 0x40;
  EXPECT_EQ(e.bytes, expected);
  EXPECT_EQ(e.word(), 0u);
}

TEST(PipeProtocol, MessagesRoundTripAndShortOnesAreRejected) {
  vkb::PipeRequest request;
  request.type = vkb::MSG_DEVICE_CONTROL;
  request.code = kIoctlRequest;
  request.outputLength = 180;
  request.payload = {1, 2, 3};
  const std::vector<std::uint8_t> bytes = vkb::EncodeRequest(request);
  ASSERT_EQ(bytes.size(), 15u);
  EXPECT_EQ(bytes[4], 0x0C);
  vkb::PipeRequest decoded;
  ASSERT_TRUE(vkb::DecodeRequest(bytes.data(), bytes.size(), decoded));
  EXPECT_EQ(decoded.code, kIoctlRequest);
  EXPECT_EQ(decoded.outputLength, 180u);
  EXPECT_EQ(decoded.payload, request.payload);
  EXPECT_FALSE(vkb::DecodeRequest(bytes.data(), 11, decoded));

  vkb::PipeAnswer answer{true, 0, {9}};
  const std::vector<std::uint8_t> a = vkb::EncodeAnswer(answer);
  vkb::PipeAnswer back;
  ASSERT_TRUE(vkb::DecodeAnswer(a.data(), a.size(), back));
  EXPECT_TRUE(back.done);
  EXPECT_EQ(back.payload, answer.payload);
  EXPECT_FALSE(vkb::DecodeAnswer(a.data(), 7, back));
}

}  // namespace
}  // namespace q730x
