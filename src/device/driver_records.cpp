#include "device/driver_records.h"

#include <algorithm>

namespace q730x {

DriverRequest MakeRequest(std::uint32_t kind) {
  DriverRequest r;
  WriteLE32(&r.bytes[DriverRequest::kKind], kind);
  WriteLE16(&r.bytes[DriverRequest::kVendorId], kKeyboardVendorId);
  WriteLE16(&r.bytes[DriverRequest::kProductId], kKeyboardProductId);
  return r;
}

DriverRequest MakeRegisterRequest(std::uint32_t semaphoreHandle) {
  DriverRequest r = MakeRequest(REQ_REGISTER);
  WriteLE32(&r.bytes[DriverRequest::kSemaphore], semaphoreHandle);
  return r;
}

DriverRequest MakeUnregisterRequest() { return MakeRequest(REQ_UNREGISTER); }

DriverRequest MakeSetupRequest() {
  DriverRequest r = MakeRequest(REQ_SETUP);
  WriteLE32(&r.bytes[DriverRequest::kParameter1], kSetupParameter1);
  WriteLE32(&r.bytes[DriverRequest::kParameter2], kSetupParameter2);
  return r;
}

DriverRequest MakeCommandRequest(const std::uint8_t* command8, std::uint16_t direction) {
  DriverRequest r = MakeRequest(REQ_COMMAND);
  WriteLE16(&r.bytes[DriverRequest::kDataLength], kCommandBytes);
  WriteLE16(&r.bytes[DriverRequest::kDirection], direction);
  WriteLE32(&r.bytes[DriverRequest::kTransfer], kTransferSetup);
  if (direction == DIR_TO_KEYBOARD) std::copy_n(command8, kCommandBytes, r.data());
  return r;
}

DriverRequest MakeChunkRequest(const std::uint8_t* chunk32) {
  DriverRequest r = MakeRequest(REQ_CHUNK);
  WriteLE16(&r.bytes[DriverRequest::kDataLength], kChunkBytes);
  std::copy_n(chunk32, kChunkBytes, r.data());
  return r;
}

DeviceEvent MakeEventRecord() {
  DeviceEvent e;
  WriteLE16(&e.bytes[DeviceEvent::kVendorId], kKeyboardVendorId);
  WriteLE16(&e.bytes[DeviceEvent::kProductId], kKeyboardProductId);
  return e;
}

}  // namespace q730x
