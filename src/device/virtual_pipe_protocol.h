// The framing of the named pipe between the virtual keyboard and its clients
// (the utility's virtual device channel, the HID library stand-in and the
// virtual keyboard's own command line). One message each way per request:
//
//   request:  u32 type, u32 control code, u32 output length, then the input
//             bytes (device control) or the command text in UTF-8 (admin)
//   answer:   u32 status (1 = done, 0 = refused), u32 Win32 error code,
//             then the output bytes (device control) or the answer text
//
// The server greets every connection with one answer whose text is
// kGreeting before it reads requests, so a client knows that its connection
// is being served before it sends anything.
//
// All integers little-endian. Platform-free: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace q730x::vkb {

constexpr const wchar_t* kDefaultPipeName = L"\\\\.\\pipe\\q730x-virtual-keyboard";
constexpr const char* kStateEnvironmentVariable = "Q730X_VKB_STATE";

enum MessageType : std::uint32_t {
  MSG_DEVICE_CONTROL = 1,  // one DeviceIoControl call on the driver device
  MSG_ADMIN = 2,           // a text command of the virtual keyboard's command line
};

constexpr std::size_t kRequestHeaderBytes = 12;
constexpr std::size_t kAnswerHeaderBytes = 8;
constexpr const char* kGreeting = "q730x virtual keyboard";

// Neither side takes a message larger than this; a log dump is the largest.
constexpr std::size_t kMaxMessageBytes = 64u << 20;

struct PipeRequest {
  std::uint32_t type = 0;
  std::uint32_t code = 0;
  std::uint32_t outputLength = 0;
  std::vector<std::uint8_t> payload;
};

struct PipeAnswer {
  bool done = false;
  std::uint32_t error = 0;
  std::vector<std::uint8_t> payload;
};

std::vector<std::uint8_t> EncodeRequest(const PipeRequest& request);
// False when the message is shorter than its header.
bool DecodeRequest(const std::uint8_t* bytes, std::size_t length, PipeRequest& request);
std::vector<std::uint8_t> EncodeAnswer(const PipeAnswer& answer);
bool DecodeAnswer(const std::uint8_t* bytes, std::size_t length, PipeAnswer& answer);

PipeRequest MakeAdminRequest(std::string_view text);
std::string PayloadText(const std::vector<std::uint8_t>& payload);

}  // namespace q730x::vkb
