// The records the utility exchanges with the keyboard's driver: the 180-byte
// request, the 60-byte event and the 8-byte keyboard command, with the control
// codes and ids that go with them. Every field sits at a fixed offset and is
// read and written explicitly in little-endian order, so the same code serves
// the utility and the virtual keyboard that checks what the utility sends.
// Platform-free: no <windows.h>.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace q730x {

// ---- Ids and control codes -------------------------------------------------

constexpr std::uint16_t kKeyboardVendorId = 0x3A5C;
constexpr std::uint16_t kKeyboardProductId = 0x4006;

constexpr std::uint32_t kIoctlReadEvent = 0x222408;     // DeviceEvent in and out
constexpr std::uint32_t kIoctlRequest = 0x22240C;       // DriverRequest in, optional read back
constexpr std::uint32_t kIoctlConfigure = 0x222410;     // one 32-bit value in
constexpr std::uint32_t kConfigureValue = 15;

// ---- Little-endian access to byte buffers ----------------------------------

constexpr std::uint16_t ReadLE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
constexpr std::uint32_t ReadLE32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}
constexpr void WriteLE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void WriteLE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// ---- DriverRequest ---------------------------------------------------------

enum RequestKind : std::uint32_t {
  REQ_REGISTER = 1,     // hand the driver the event semaphore
  REQ_UNREGISTER = 2,
  REQ_COMMAND = 8,      // one 8-byte command, sent or read back
  REQ_SETUP = 32,       // set-up request sent once after opening
  REQ_CHUNK = 256,      // one 32-byte data chunk
};

enum RequestDirection : std::uint16_t {
  DIR_TO_KEYBOARD = 0,
  DIR_READ_BACK = 1,
};

constexpr std::uint32_t kSetupParameter1 = 0x00020004;
constexpr std::uint32_t kSetupParameter2 = 0;
constexpr std::uint32_t kTransferSetup = 0x00020300;  // 16-bit values 0x0300, 0x0002
constexpr std::uint16_t kCommandBytes = 8;
constexpr std::uint16_t kChunkBytes = 32;

struct DriverRequest {
  static constexpr std::size_t kSize = 180;
  static constexpr std::size_t kKind = 0;
  static constexpr std::size_t kParameter1 = 12;
  static constexpr std::size_t kParameter2 = 16;
  static constexpr std::size_t kDataLength = 24;
  static constexpr std::size_t kDirection = 26;
  static constexpr std::size_t kTransfer = 28;
  static constexpr std::size_t kData = 32;
  static constexpr std::size_t kDataCapacity = 32;
  static constexpr std::size_t kVendorId = 116;
  static constexpr std::size_t kProductId = 118;
  static constexpr std::size_t kSemaphore = 172;

  std::array<std::uint8_t, kSize> bytes{};

  std::uint32_t kind() const { return ReadLE32(&bytes[kKind]); }
  std::uint32_t parameter1() const { return ReadLE32(&bytes[kParameter1]); }
  std::uint32_t parameter2() const { return ReadLE32(&bytes[kParameter2]); }
  std::uint16_t dataLength() const { return ReadLE16(&bytes[kDataLength]); }
  std::uint16_t direction() const { return ReadLE16(&bytes[kDirection]); }
  std::uint32_t transferSetup() const { return ReadLE32(&bytes[kTransfer]); }
  std::uint16_t vendorId() const { return ReadLE16(&bytes[kVendorId]); }
  std::uint16_t productId() const { return ReadLE16(&bytes[kProductId]); }
  std::uint32_t semaphore() const { return ReadLE32(&bytes[kSemaphore]); }
  const std::uint8_t* data() const { return &bytes[kData]; }
  std::uint8_t* data() { return &bytes[kData]; }
};
static_assert(sizeof(DriverRequest) == DriverRequest::kSize);
static_assert(DriverRequest::kData + DriverRequest::kDataCapacity == 64);

// A request of the given kind with the keyboard's ids and nothing else.
DriverRequest MakeRequest(std::uint32_t kind);
// Kind 1: registers the event semaphore, whose handle value goes at offset 172.
DriverRequest MakeRegisterRequest(std::uint32_t semaphoreHandle);
DriverRequest MakeUnregisterRequest();
DriverRequest MakeSetupRequest();
// Kind 8: an 8-byte command to the keyboard (direction 0), or the read back of
// its reply (direction 1, all-zero data).
DriverRequest MakeCommandRequest(const std::uint8_t* command8, std::uint16_t direction);
// Kind 256: one 32-byte data chunk.
DriverRequest MakeChunkRequest(const std::uint8_t* chunk32);

// ---- DeviceEvent -----------------------------------------------------------

struct DeviceEvent {
  static constexpr std::size_t kSize = 60;
  static constexpr std::size_t kWord = 0;
  static constexpr std::size_t kVendorId = 4;
  static constexpr std::size_t kProductId = 6;

  std::array<std::uint8_t, kSize> bytes{};

  std::uint32_t word() const { return ReadLE32(&bytes[kWord]); }
  std::uint16_t vendorId() const { return ReadLE16(&bytes[kVendorId]); }
  std::uint16_t productId() const { return ReadLE16(&bytes[kProductId]); }
};
static_assert(sizeof(DeviceEvent) == DeviceEvent::kSize);

// The record the event thread passes in before its first read: zero, with the
// keyboard's ids at offsets 4 and 6.
DeviceEvent MakeEventRecord();

// ---- DeviceCommand ---------------------------------------------------------

// Byte 0 is the command code; the other bytes depend on it, unused ones are 0.
using DeviceCommand = std::array<std::uint8_t, 8>;

enum CommandCode : std::uint8_t {
  CMD_SET_REPORT_INTERVAL = 0x01,
  CMD_WRITE_KEY_MATRIX = 0x12,
  CMD_WRITE_MACRO_SLOT = 0x13,
  CMD_READ_FIRMWARE_VERSION = 0x80,
  CMD_READ_REPORT_INTERVAL = 0x81,
};

constexpr std::size_t kKeyMatrixBytes = 640;
constexpr std::size_t kMacroImageBytes = 512;
constexpr unsigned kHighestMacroSlot = 30;

constexpr DeviceCommand MakeSetReportIntervalCommand(std::uint8_t intervalMs) {
  return {CMD_SET_REPORT_INTERVAL, intervalMs, 0, 0, 0, 0, 0, 0};
}
constexpr DeviceCommand MakeQueryCommand(std::uint8_t code) { return {code, 0, 0, 0, 0, 0, 0, 0}; }
// Bytes 2 and 3 hold the data length 640, high byte first.
constexpr DeviceCommand MakeWriteKeyMatrixCommand() {
  return {CMD_WRITE_KEY_MATRIX, 0x01, 0x02, 0x80, 0, 0, 0, 0};
}
// Bytes 3 and 4 hold the data length 512, high byte first.
constexpr DeviceCommand MakeWriteMacroSlotCommand(std::uint8_t slot) {
  return {CMD_WRITE_MACRO_SLOT, 0x01, slot, 0x02, 0x00, 0, 0, 0};
}

}  // namespace q730x
