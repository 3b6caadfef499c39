#include "device/virtual_pipe_client.h"

#include <vector>

namespace q730x::vkb {

std::wstring VirtualPipeName() {
  wchar_t buffer[512];
  DWORD n = GetEnvironmentVariableW(L"Q730X_VKB_PIPE", buffer, 512);
  if (n > 0 && n < 512) return std::wstring(buffer, n);
  return kDefaultPipeName;
}

bool PipeClient::Connect(const std::wstring& pipeName, DWORD waitMs) {
  pipe_.reset();
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  for (;;) {
    HANDLE h = CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      pipe_.reset(h);
      DWORD mode = PIPE_READMODE_MESSAGE;
      if (!SetNamedPipeHandleState(h, &mode, nullptr, nullptr)) {
        pipe_.reset();
        return false;
      }
      return true;
    }
    const DWORD error = GetLastError();
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    if (error == ERROR_PIPE_BUSY) {
      WaitNamedPipeW(pipeName.c_str(), static_cast<DWORD>(deadline - now));
    } else if (error == ERROR_FILE_NOT_FOUND) {
      // No server yet (it may be starting): try again shortly.
      Sleep(20);
    } else {
      return false;
    }
  }
}

bool PipeClient::Transact(const PipeRequest& request, PipeAnswer& answer) {
  if (!pipe_) return false;
  const std::vector<std::uint8_t> message = EncodeRequest(request);
  DWORD written = 0;
  if (!WriteFile(pipe_.get(), message.data(), static_cast<DWORD>(message.size()), &written,
                 nullptr) ||
      written != message.size()) {
    pipe_.reset();
    return false;
  }
  std::vector<std::uint8_t> reply;
  std::uint8_t buffer[4096];
  for (;;) {
    DWORD got = 0;
    const BOOL ok = ReadFile(pipe_.get(), buffer, sizeof buffer, &got, nullptr);
    reply.insert(reply.end(), buffer, buffer + got);
    if (ok) break;
    if (GetLastError() != ERROR_MORE_DATA || reply.size() > kMaxMessageBytes) {
      pipe_.reset();
      return false;
    }
  }
  if (!DecodeAnswer(reply.data(), reply.size(), answer)) {
    pipe_.reset();
    return false;
  }
  return true;
}

bool PipeClient::Admin(const std::string& command, std::string& reply) {
  PipeAnswer answer;
  if (!Transact(MakeAdminRequest(command), answer)) {
    reply = "the virtual keyboard did not answer";
    return false;
  }
  reply = PayloadText(answer.payload);
  return answer.done;
}

}  // namespace q730x::vkb
