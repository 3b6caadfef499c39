// The virtual keyboard as a strict peer: raw requests over its pipe, its
// refusals and their reasons, clients that did not register and set up,
// the pacing of data, events for several clients, the semaphore's limit, the
// HID interface's delay after a plug, and the state it keeps across restarts.
#include <gtest/gtest.h>

#include <functional>

#include "device/device_channel.h"
#include "device/driver_records.h"
#include "device/precise_wait.h"
#include "model/key_code.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

class VirtualKeyboardTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("strict"); }
  void SetUp() override {
    ASSERT_TRUE(keyboard().Admin("factory"));
    ASSERT_TRUE(keyboard().Admin("log clear"));
    channel_ = OpenDeviceChannel();
    ASSERT_NE(channel_, nullptr);
    ASSERT_TRUE(Register(semaphore_.get()));
  }

  bool Send(const DriverRequest& r, DWORD outputLength = 0, DriverRequest* out = nullptr) {
    DriverRequest scratch;
    return channel_->Control(kIoctlRequest, r.bytes.data(), DriverRequest::kSize,
                             out ? out->bytes.data() : scratch.bytes.data(), outputLength, nullptr);
  }
  bool Command(const DeviceCommand& c) { return Send(MakeCommandRequest(c.data(), DIR_TO_KEYBOARD)); }
  // Chunks paced as the keyboard wants them.
  bool Chunks(int count, std::uint8_t fill) {
    std::uint8_t chunk[32];
    std::fill(std::begin(chunk), std::end(chunk), fill);
    for (int i = 0; i < count; ++i) {
      WaitAtLeast(21);
      if (!Send(MakeChunkRequest(chunk))) return false;
    }
    return true;
  }
  // Registers the semaphore and sends the set-up request, as the utility does.
  bool Register(HANDLE semaphore) {
    return Send(MakeRegisterRequest(HandleValue(semaphore))) && Send(MakeSetupRequest());
  }
  static std::uint32_t HandleValue(HANDLE h) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h));
  }
  bool ReadEvent(DeviceChannel& channel, std::uint32_t& word) {
    DeviceEvent e = MakeEventRecord();
    if (!channel.Control(kIoctlReadEvent, e.bytes.data(), DeviceEvent::kSize, e.bytes.data(),
                         DeviceEvent::kSize, nullptr))
      return false;
    word = e.word();
    return true;
  }
  static std::string LastReason() {
    const std::vector<test::LogLine> log = keyboard().LogWith("code=");
    return log.empty() ? std::string() : log.back().Field("reason");
  }

  UniqueHandle semaphore_{CreateSemaphoreW(nullptr, 0, 100, nullptr)};
  std::unique_ptr<DeviceChannel> channel_;
};

DriverRequest With(DriverRequest r, std::size_t offset, std::uint8_t value) {
  r.bytes[offset] = value;
  return r;
}

TEST_F(VirtualKeyboardTest, MalformedRequestsAreRefusedWithTheirReason) {
  const std::uint8_t query[8] = {0x80};
  const DriverRequest command = MakeCommandRequest(query, DIR_TO_KEYBOARD);
  const std::uint8_t chunk[32] = {};
  const DriverRequest data = MakeChunkRequest(chunk);
  struct Case {
    const char* reason;
    std::function<bool()> send;
  };
  const Case cases[] = {
      {"request is 179 bytes, not 180",
       [&] { return channel_->Control(kIoctlRequest, command.bytes.data(), 179, nullptr, 0, nullptr); }},
      {"wrong vendor id 0x3A5D", [&] { return Send(With(command, 116, 0x5D)); }},
      {"wrong product id 0x4007", [&] { return Send(With(command, 118, 0x07)); }},
      {"unknown request kind 4", [&] { return Send(MakeRequest(4)); }},
      {"direction 1 is wrong for kind 256", [&] { return Send(With(data, 26, 1)); }},
      {"output length 180 is wrong (0 expected)", [&] { return Send(command, 180); }},
      {"output length 0 is wrong (180 expected)",
       [&] { return Send(MakeCommandRequest(query, DIR_READ_BACK)); }},
      {"transfer setup 0x20301 is not 0x20300", [&] { return Send(With(command, 28, 0x01)); }},
      {"data length 32 is wrong for kind 8 (8 expected)", [&] { return Send(With(command, 24, 32)); }},
      {"data length 8 is wrong for kind 1 (0 expected)", [&] { return Send(With(MakeRegisterRequest(4), 24, 8)); }},
      {"byte 100 is 0x1 where zero is expected", [&] { return Send(With(command, 100, 1)); }},
      {"byte 40 is 0x1 where zero is expected", [&] { return Send(With(command, 40, 1)); }},
      {"set-up parameters are not 0x20004 and 0", [&] { return Send(With(MakeSetupRequest(), 12, 5)); }},
      {"unknown control code 0x222414",
       [&] { return channel_->Control(0x222414, nullptr, 0, nullptr, 0, nullptr); }},
      {"configure value is not 15",
       [&] {
         DWORD v = 14;
         return channel_->Control(kIoctlConfigure, &v, 4, nullptr, 0, nullptr);
       }},
      {"data chunk without a preceding write command", [&] { return Send(data); }},
      {"macro slot 31 is above 30", [&] { return Command(MakeWriteMacroSlotCommand(31)); }},
      {"unknown command 0x55", [&] { return Command({0x55}); }},
      {"report interval 4 is not 1, 2 or 8", [&] { return Command(MakeSetReportIntervalCommand(4)); }},
      {"no event semaphore", [&] { return Send(MakeRegisterRequest(0)); }},
      // The first goes through and ends the fixture's registration.
      {"unregister without a registration",
       [&] { return Send(MakeUnregisterRequest()) && Send(MakeUnregisterRequest()); }},
      {"event read without a registration",
       [&] {
         std::uint32_t w;
         return ReadEvent(*channel_, w);
       }},
      {"event read takes 60 bytes in and out, got 56 in and 60 out",
       [&] {
         DeviceEvent e = MakeEventRecord();
         return channel_->Control(kIoctlReadEvent, e.bytes.data(), 56, e.bytes.data(), 60, nullptr);
       }},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(c.send()) << c.reason;
    EXPECT_NE(GetLastError(), 0u) << c.reason;
    EXPECT_EQ(LastReason(), c.reason);
  }
  // None of it changed the keyboard.
  const KeyMatrix factory = FactoryMatrix();
  EXPECT_EQ(keyboard().DumpField("matrix"), test::ToHex(factory.bytes(), kKeyMatrixBytes));
}

TEST_F(VirtualKeyboardTest, DataIsTakenOnlyUpToTheAnnouncedLength) {
  ASSERT_TRUE(Command(MakeWriteMacroSlotCommand(4)));
  ASSERT_TRUE(Chunks(16, 0x5A));
  EXPECT_FALSE(Chunks(1, 0x5A));
  EXPECT_EQ(LastReason(), "data chunk beyond the announced length");
  EXPECT_EQ(keyboard().DumpField("slots"), "4");
  const std::vector<std::uint8_t> image(kMacroImageBytes, 0x5A);
  EXPECT_EQ(keyboard().DumpField("slot 4"), test::ToHex(image.data(), image.size()));
  // An unfinished block is dropped when the next command comes.
  ASSERT_TRUE(Command(MakeWriteMacroSlotCommand(5)));
  ASSERT_TRUE(Chunks(3, 0x11));
  ASSERT_TRUE(Command(MakeQueryCommand(CMD_READ_FIRMWARE_VERSION)));
  EXPECT_EQ(keyboard().DumpField("slots"), "4");
}

TEST_F(VirtualKeyboardTest, ReadBackReturnsTheRecordWithTheEchoedReply) {
  ASSERT_TRUE(keyboard().Admin("version 4.9"));
  ASSERT_TRUE(Command(MakeQueryCommand(CMD_READ_FIRMWARE_VERSION)));
  const DriverRequest request = MakeCommandRequest(nullptr, DIR_READ_BACK);
  DriverRequest answer;
  ASSERT_TRUE(Send(request, DriverRequest::kSize, &answer));
  DriverRequest expected = request;
  expected.data()[0] = 0x80;
  expected.data()[1] = 4;
  expected.data()[2] = 9;
  EXPECT_EQ(answer.bytes, expected.bytes);

  ASSERT_TRUE(keyboard().Admin("loader on"));
  EXPECT_FALSE(Command(MakeQueryCommand(CMD_READ_FIRMWARE_VERSION)));
  EXPECT_EQ(LastReason(), "keyboard is in firmware loader mode");
  ASSERT_TRUE(keyboard().Admin("loader off"));
  ASSERT_TRUE(keyboard().Admin("unplug"));
  EXPECT_FALSE(Send(request, DriverRequest::kSize, &answer));
  EXPECT_EQ(LastReason(), "keyboard not attached");
  ASSERT_TRUE(keyboard().Admin("plug"));
}

TEST_F(VirtualKeyboardTest, EveryRegisteredClientGetsEachEventOnce) {
  UniqueHandle first(CreateSemaphoreW(nullptr, 0, 10, nullptr));
  UniqueHandle second(CreateSemaphoreW(nullptr, 0, 10, nullptr));
  std::unique_ptr<DeviceChannel> other = OpenDeviceChannel();
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(Register(first.get()));
  const auto value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(second.get()));
  const DriverRequest registration = MakeRegisterRequest(value);
  ASSERT_TRUE(other->Control(kIoctlRequest, registration.bytes.data(), DriverRequest::kSize,
                             nullptr, 0, nullptr));
  // Registered but not set up: events yes, commands no.
  const DeviceCommand query = MakeQueryCommand(CMD_READ_FIRMWARE_VERSION);
  const DriverRequest command = MakeCommandRequest(query.data(), DIR_TO_KEYBOARD);
  EXPECT_FALSE(other->Control(kIoctlRequest, command.bytes.data(), DriverRequest::kSize, nullptr,
                              0, nullptr));
  EXPECT_EQ(LastReason(), "client has not sent the set-up request");
  EXPECT_EQ(keyboard().DumpField("registered"), "2");

  ASSERT_TRUE(keyboard().Admin("event 0xC70A"));
  std::uint32_t word = 0;
  ASSERT_EQ(WaitForSingleObject(first.get(), 0), WAIT_OBJECT_0);
  ASSERT_EQ(WaitForSingleObject(second.get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(first.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(ReadEvent(*channel_, word));
  EXPECT_EQ(word, 0xC70Au);
  ASSERT_TRUE(ReadEvent(*other, word));
  EXPECT_EQ(word, 0xC70Au);
  EXPECT_FALSE(ReadEvent(*channel_, word));
  EXPECT_EQ(LastReason(), "no event queued");

  // A client that goes away takes its registration along.
  other.reset();
  ASSERT_TRUE(keyboard().WaitForDump("registered", "1"));
  // A handle that is not open in this process cannot be registered.
  EXPECT_FALSE(Send(MakeRegisterRequest(0x7FFFFFF0)));
  EXPECT_NE(LastReason().find("event semaphore unusable"), std::string::npos) << LastReason();
}

TEST_F(VirtualKeyboardTest, EventsBeyondTheSemaphoreLimitAreDroppedTheRestKeepTheirOrder) {
  UniqueHandle semaphore(CreateSemaphoreW(nullptr, 0, 8000, nullptr));
  ASSERT_TRUE(Register(semaphore.get()));
  std::string reply;
  ASSERT_TRUE(keyboard().Admin("event 1 8005", &reply));
  EXPECT_EQ(reply, "queued 8000 events for 1 clients, dropped 5 (semaphore full)");
  for (std::uint32_t expected = 1; expected <= 8000; ++expected) {
    ASSERT_EQ(WaitForSingleObject(semaphore.get(), 0), WAIT_OBJECT_0) << expected;
    std::uint32_t word = 0;
    ASSERT_TRUE(ReadEvent(*channel_, word)) << expected;
    ASSERT_EQ(word, expected);
  }
  EXPECT_EQ(WaitForSingleObject(semaphore.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  std::uint32_t word = 0;
  EXPECT_FALSE(ReadEvent(*channel_, word));
}

TEST_F(VirtualKeyboardTest, PressQueuesOnlySoftwareActionCodes) {
  UniqueHandle semaphore(CreateSemaphoreW(nullptr, 0, 100, nullptr));
  ASSERT_TRUE(Register(semaphore.get()));
  KeyMatrix matrix = FactoryMatrix();
  matrix[42] = MakeActionCode(ACTION_OPEN_WEB, 42);
  ASSERT_TRUE(Command(MakeWriteKeyMatrixCommand()));
  for (std::size_t offset = 0; offset < kKeyMatrixBytes; offset += 32) {
    WaitAtLeast(21);
    ASSERT_TRUE(Send(MakeChunkRequest(matrix.bytes() + offset)));
  }
  std::string reply;
  ASSERT_TRUE(keyboard().Admin("press 41", &reply));
  EXPECT_EQ(reply, "position 41 holds no software action");
  ASSERT_TRUE(keyboard().Admin("press 42", &reply));
  EXPECT_EQ(reply, "queued 1 events for 1 clients");
  std::uint32_t word = 0;
  ASSERT_TRUE(ReadEvent(*channel_, word));
  EXPECT_EQ(word, 0xC82Au);
  ASSERT_TRUE(keyboard().Admin("unplug"));
  EXPECT_FALSE(keyboard().Admin("press 42", &reply));
  EXPECT_EQ(reply, "keyboard not attached");
  EXPECT_FALSE(keyboard().Admin("press 160", &reply));
  ASSERT_TRUE(keyboard().Admin("plug"));
}

TEST_F(VirtualKeyboardTest, ClientsMustRegisterASemaphoreAndSetUpBeforeCommands) {
  std::unique_ptr<DeviceChannel> other = OpenDeviceChannel();
  ASSERT_NE(other, nullptr);
  auto send = [&](const DriverRequest& r) {
    return other->Control(kIoctlRequest, r.bytes.data(), DriverRequest::kSize, nullptr, 0, nullptr);
  };
  const DeviceCommand query = MakeQueryCommand(CMD_READ_FIRMWARE_VERSION);
  EXPECT_FALSE(send(MakeCommandRequest(query.data(), DIR_TO_KEYBOARD)));
  EXPECT_EQ(LastReason(), "client has not registered its event semaphore");
  std::uint8_t chunk[32] = {};
  EXPECT_FALSE(send(MakeChunkRequest(chunk)));
  EXPECT_EQ(LastReason(), "client has not registered its event semaphore");
  EXPECT_FALSE(send(MakeSetupRequest()));
  EXPECT_EQ(LastReason(), "set-up request without a registration");

  UniqueHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  EXPECT_FALSE(send(MakeRegisterRequest(HandleValue(event.get()))));
  EXPECT_EQ(LastReason(), "event semaphore unusable: handle is not a semaphore");

  UniqueHandle semaphore(CreateSemaphoreW(nullptr, 0, 10, nullptr));
  ASSERT_TRUE(send(MakeRegisterRequest(HandleValue(semaphore.get()))));
  ASSERT_TRUE(send(MakeSetupRequest()));
  EXPECT_TRUE(send(MakeCommandRequest(query.data(), DIR_TO_KEYBOARD)));
}

TEST_F(VirtualKeyboardTest, ChunksThatComeTooSoonAreRefusedAndTheTransferGoesOn) {
  std::uint8_t chunk[32];
  std::fill(std::begin(chunk), std::end(chunk), 0x77);
  ASSERT_TRUE(Command(MakeWriteMacroSlotCommand(6)));
  EXPECT_FALSE(Send(MakeChunkRequest(chunk)));
  EXPECT_EQ(LastReason().find("chunk "), 0u) << LastReason();
  EXPECT_NE(LastReason().find("ms after its command (10 ms at least)"), std::string::npos);
  ASSERT_TRUE(Chunks(1, 0x77));
  EXPECT_FALSE(Send(MakeChunkRequest(chunk)));
  EXPECT_NE(LastReason().find("ms after the previous one (20 ms at least)"), std::string::npos);
  ASSERT_TRUE(Chunks(15, 0x77));
  EXPECT_EQ(keyboard().DumpField("slots"), "6");
}

TEST_F(VirtualKeyboardTest, AfterAPlugTheHidInterfaceOpensOnlyAfterItsDelay) {
  ASSERT_TRUE(keyboard().Admin("hid-delay 400"));
  ASSERT_TRUE(keyboard().Admin("hid-open")) << "no plug yet: no delay";
  ASSERT_TRUE(keyboard().Admin("unplug"));
  ASSERT_TRUE(keyboard().Admin("plug"));
  std::string reply;
  EXPECT_FALSE(keyboard().Admin("hid-open", &reply));
  EXPECT_EQ(reply, "HID interface still opening after the plug");
  Sleep(450);
  EXPECT_TRUE(keyboard().Admin("hid-open"));
  EXPECT_FALSE(keyboard().Admin("hid-delay x"));
}

TEST_F(VirtualKeyboardTest, UnplugAfterNLeavesTheBusAsTheCallAfterTheNthComesAndDropsTheTransfer) {
  ASSERT_TRUE(Command(MakeWriteMacroSlotCommand(2)));
  ASSERT_TRUE(keyboard().Admin("unplug after 3"));
  EXPECT_TRUE(Chunks(3, 0x33));
  EXPECT_EQ(keyboard().DumpField("attached"), "1");
  EXPECT_FALSE(Chunks(1, 0x33)) << "the fourth call finds the keyboard gone";
  EXPECT_EQ(LastReason(), "keyboard not attached");
  EXPECT_EQ(keyboard().DumpField("attached"), "0");
  EXPECT_EQ(keyboard().LogWith("unfinished transfer abandoned").size(), 1u);
  ASSERT_TRUE(keyboard().Admin("plug"));
  EXPECT_TRUE(Command(MakeQueryCommand(CMD_READ_FIRMWARE_VERSION))) << "armed once only";
  EXPECT_EQ(keyboard().DumpField("slots"), "") << "the half-sent slot was never written";
  // Factory disarms it.
  ASSERT_TRUE(keyboard().Admin("unplug after 0"));
  ASSERT_TRUE(keyboard().Admin("factory"));
  EXPECT_TRUE(Command(MakeQueryCommand(CMD_READ_FIRMWARE_VERSION)));
  EXPECT_FALSE(keyboard().Admin("unplug after x"));
  EXPECT_FALSE(keyboard().Admin("unplug later 3"));
}

TEST_F(VirtualKeyboardTest, AdminCommandsRejectBadArguments) {
  std::string reply;
  for (const char* bad : {"", "jump", "version 1", "version 1.2.3", "refuse x", "event", "loader maybe",
                          "press 1 0", "event 0x100000000"})
    EXPECT_FALSE(keyboard().Admin(bad, &reply)) << bad;
}

// Its own instance: it is stopped and started again.
TEST(VirtualKeyboardState, SurvivesARestartAndADamagedFileIsKeptAside) {
  test::VirtualKeyboardInstance keyboard;
  ASSERT_TRUE(keyboard.Start("state"));
  ASSERT_TRUE(keyboard.Admin("version 7.3"));
  std::unique_ptr<DeviceChannel> channel = OpenDeviceChannel();
  ASSERT_NE(channel, nullptr);
  auto send = [&](const DriverRequest& r) {
    return channel->Control(kIoctlRequest, r.bytes.data(), DriverRequest::kSize, nullptr, 0, nullptr);
  };
  UniqueHandle semaphore(CreateSemaphoreW(nullptr, 0, 10, nullptr));
  ASSERT_TRUE(send(MakeRegisterRequest(
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(semaphore.get())))));
  ASSERT_TRUE(send(MakeSetupRequest()));
  const DeviceCommand slot = MakeWriteMacroSlotCommand(9);
  ASSERT_TRUE(send(MakeCommandRequest(slot.data(), DIR_TO_KEYBOARD)));
  std::uint8_t chunk[32];
  for (int i = 0; i < 16; ++i) {
    std::fill(std::begin(chunk), std::end(chunk), static_cast<std::uint8_t>(i));
    WaitAtLeast(21);
    ASSERT_TRUE(send(MakeChunkRequest(chunk)));
  }
  // The interval change makes the keyboard leave the bus and come back; it
  // is still attached right after the command, so wait for the return itself.
  const std::size_t rejoins = keyboard.Rejoins();
  const DeviceCommand rate = MakeSetReportIntervalCommand(2);
  ASSERT_TRUE(send(MakeCommandRequest(rate.data(), DIR_TO_KEYBOARD)));
  ASSERT_TRUE(keyboard.WaitForRejoin(rejoins));
  ASSERT_EQ(keyboard.DumpField("attached"), "1");
  channel.reset();
  // The server drops the closed client's registration when it sees the pipe go.
  ASSERT_TRUE(keyboard.WaitForDump("registered", "0"));
  std::string before;
  ASSERT_TRUE(keyboard.Admin("dump", &before));

  keyboard.Stop();
  ASSERT_TRUE(keyboard.Start("state", false));
  std::string after;
  ASSERT_TRUE(keyboard.Admin("dump", &after));
  EXPECT_EQ(after, before);
  EXPECT_EQ(keyboard.DumpField("interval"), "2");
  EXPECT_EQ(keyboard.DumpField("version"), "7.3");

  keyboard.Stop();
  {
    UniqueHandle file(CreateFileW(keyboard.statePath().c_str(), GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    SetFilePointer(file.get(), 100, nullptr, FILE_BEGIN);
    SetEndOfFile(file.get());  // a short file
  }
  ASSERT_TRUE(keyboard.Start("state", false));
  EXPECT_EQ(keyboard.DumpField("version"), "1.2");
  EXPECT_EQ(keyboard.DumpField("slots"), "");
  EXPECT_EQ(keyboard.LogWith("kept as .damaged").size(), 1u);
  const std::wstring kept = keyboard.statePath() + L".damaged";
  EXPECT_NE(GetFileAttributesW(kept.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(kept.c_str());
}

}  // namespace
}  // namespace q730x
