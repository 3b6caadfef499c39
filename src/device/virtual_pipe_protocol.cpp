#include "device/virtual_pipe_protocol.h"

#include <algorithm>

#include "device/driver_records.h"

namespace q730x::vkb {

std::vector<std::uint8_t> EncodeRequest(const PipeRequest& request) {
  std::vector<std::uint8_t> out(kRequestHeaderBytes + request.payload.size());
  WriteLE32(&out[0], request.type);
  WriteLE32(&out[4], request.code);
  WriteLE32(&out[8], request.outputLength);
  std::copy(request.payload.begin(), request.payload.end(), out.begin() + kRequestHeaderBytes);
  return out;
}

bool DecodeRequest(const std::uint8_t* bytes, std::size_t length, PipeRequest& request) {
  if (length < kRequestHeaderBytes) return false;
  request.type = ReadLE32(bytes);
  request.code = ReadLE32(bytes + 4);
  request.outputLength = ReadLE32(bytes + 8);
  request.payload.assign(bytes + kRequestHeaderBytes, bytes + length);
  return true;
}

std::vector<std::uint8_t> EncodeAnswer(const PipeAnswer& answer) {
  std::vector<std::uint8_t> out(kAnswerHeaderBytes + answer.payload.size());
  WriteLE32(&out[0], answer.done ? 1 : 0);
  WriteLE32(&out[4], answer.error);
  std::copy(answer.payload.begin(), answer.payload.end(), out.begin() + kAnswerHeaderBytes);
  return out;
}

bool DecodeAnswer(const std::uint8_t* bytes, std::size_t length, PipeAnswer& answer) {
  if (length < kAnswerHeaderBytes) return false;
  answer.done = ReadLE32(bytes) == 1;
  answer.error = ReadLE32(bytes + 4);
  answer.payload.assign(bytes + kAnswerHeaderBytes, bytes + length);
  return true;
}

PipeRequest MakeAdminRequest(std::string_view text) {
  PipeRequest r;
  r.type = MSG_ADMIN;
  r.payload.assign(text.begin(), text.end());
  return r;
}

std::string PayloadText(const std::vector<std::uint8_t>& payload) {
  return std::string(payload.begin(), payload.end());
}

}  // namespace q730x::vkb
