#include "device/keyboard_commands.h"

#include "device/driver_link.h"

#include <algorithm>
#include <mutex>

#include "device/precise_wait.h"

namespace q730x {

std::atomic<std::uint32_t> FirmwareMajor{0};
std::atomic<std::uint32_t> FirmwareMinor{0};

namespace {

// Held for one whole exchange with the keyboard: a query with its read back,
// a write command with all its chunks, a set-interval command. The keyboard
// drops a data transfer when another command comes in before its last chunk,
// and keeps one reply for whoever reads it back, so a firmware or interval
// query from the interface thread waits for the block the download has in
// flight (at most one matrix write, about 0.4 s) instead of breaking it.
std::mutex g_exchangeLock;

// Sends a query command and reads its reply; the reply counts only when it
// echoes the command byte (another command may have come in between).
bool Query(std::uint8_t code, DeviceCommand& reply) {
  if (!DriverOpen()) return false;
  std::lock_guard exchange(g_exchangeLock);
  TimerResolutionScope resolution;
  if (!SendCommand(MakeQueryCommand(code))) return false;
  WaitAtLeast(kWaitAfterCommandMs);
  if (!DriverOpen()) return false;
  DeviceCommand answer{};
  if (!ReadCommand(answer)) return false;
  if (answer[0] != code) return false;
  reply = answer;
  return true;
}

// A write command followed by its data.
bool WriteBlock(const DeviceCommand& command, const std::uint8_t* data, std::size_t length) {
  if (!DriverOpen()) return false;
  std::lock_guard exchange(g_exchangeLock);
  TimerResolutionScope resolution;
  if (!SendCommand(command)) return false;
  WaitAtLeast(kWaitAfterCommandMs);
  return WriteChunks(data, length);
}

}  // namespace

bool SendCommand(const DeviceCommand& command) {
  if (!DriverOpen()) return false;
  return SendRequest(MakeCommandRequest(command.data(), DIR_TO_KEYBOARD));
}

bool ReadCommand(DeviceCommand& reply) {
  if (!DriverOpen()) return false;
  DriverRequest request = MakeCommandRequest(nullptr, DIR_READ_BACK);
  if (!SendReadBackRequest(request)) return false;
  std::copy_n(request.data(), reply.size(), reply.begin());
  return true;
}

bool WriteChunks(const std::uint8_t* data, std::size_t length) {
  if (!DriverOpen()) return false;
  if (!data || length % kChunkBytes != 0) return false;
  TimerResolutionScope resolution;
  for (std::size_t offset = 0; offset < length; offset += kChunkBytes) {
    WaitAtLeast(kWaitBeforeChunkMs);
    if (!SendRequest(MakeChunkRequest(data + offset))) return false;
  }
  return true;
}

bool SetReportInterval(std::uint8_t intervalMs) {
  std::lock_guard exchange(g_exchangeLock);
  return SendCommand(MakeSetReportIntervalCommand(intervalMs));
}

bool ReadFirmwareVersion() {
  DeviceCommand reply{};
  if (!Query(CMD_READ_FIRMWARE_VERSION, reply)) return false;
  FirmwareMajor = reply[1];
  FirmwareMinor = reply[2];
  return true;
}

bool ReadReportInterval(std::uint32_t& intervalMs) {
  DeviceCommand reply{};
  if (!Query(CMD_READ_REPORT_INTERVAL, reply)) return false;
  intervalMs = reply[1];
  return true;
}

bool WriteKeyMatrix(const KeyMatrix& matrix) {
  return WriteBlock(MakeWriteKeyMatrixCommand(), matrix.bytes(), kKeyMatrixBytes);
}

bool WriteMacroSlot(unsigned slot, const std::uint8_t* image) {
  if (!image || slot > kHighestMacroSlot) return false;
  return WriteBlock(MakeWriteMacroSlotCommand(static_cast<std::uint8_t>(slot)), image,
                    kMacroImageBytes);
}

}  // namespace q730x
