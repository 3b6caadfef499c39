// The keyboard's command set: 8-byte commands sent (or read back) as kind 8
// requests, and bulk data in 32-byte chunks sent as kind 256 requests.
// Safe to call from any thread. The exchanges (queries, block writes, the
// set-interval command) take one lock each, so that they never interleave on
// the keyboard; SendCommand, ReadCommand and WriteChunks are the bare
// requests they are made of. All functions fail at once when the driver
// device is not open.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "device/driver_records.h"
#include "model/key_code.h"

namespace q730x {

constexpr unsigned kWaitAfterCommandMs = 10;
constexpr unsigned kWaitBeforeChunkMs = 20;

// Firmware version of the keyboard, 0.0 until the first successful read.
extern std::atomic<std::uint32_t> FirmwareMajor;
extern std::atomic<std::uint32_t> FirmwareMinor;

bool SendCommand(const DeviceCommand& command);
// Reads the keyboard's 8 reply bytes into reply (left alone on failure).
bool ReadCommand(DeviceCommand& reply);
// Sends length bytes as 32-byte chunks, each after a 20 ms wait. Fails when
// data is missing or length is not a multiple of 32, and at the first
// refused chunk; 0 bytes succeed without sending anything.
bool WriteChunks(const std::uint8_t* data, std::size_t length);

// intervalMs: 1, 2 or 8. The keyboard leaves and rejoins the bus afterwards.
bool SetReportInterval(std::uint8_t intervalMs);
// Updates FirmwareMajor and FirmwareMinor on success.
bool ReadFirmwareVersion();
// The interval in milliseconds goes to intervalMs only on success; it may be
// 0 if the keyboard says so, so callers must not divide by it unchecked.
bool ReadReportInterval(std::uint32_t& intervalMs);
// Command 0x12, 10 ms, then the 640 bytes of matrix in 20 chunks.
bool WriteKeyMatrix(const KeyMatrix& matrix);
// Command 0x13 for slot 0..30, 10 ms, then the 512-byte image in 16 chunks.
bool WriteMacroSlot(unsigned slot, const std::uint8_t* image);

}  // namespace q730x
