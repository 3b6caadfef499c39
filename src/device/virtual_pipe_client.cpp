#include "device/virtual_pipe_client.h"

#include <vector>

#include "model/admin_overrides.h"

namespace q730x::vkb {

std::wstring VirtualPipeName() {
  return ReadOverride(kPipeOverride).value_or(kDefaultPipeName);
}

// A connection that is not greeted within this time is given up and made
// again; nothing has been sent on it, so nothing can be done twice.
constexpr DWORD kGreetingTimeoutMs = 1000;
constexpr int kConnectAttempts = 4;

bool PipeClient::OpenInstance(const std::wstring& pipeName, ULONGLONG deadline) {
  for (;;) {
    HANDLE h = CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      pipe_.reset(h);
      DWORD mode = PIPE_READMODE_MESSAGE;
      if (SetNamedPipeHandleState(h, &mode, nullptr, nullptr)) return true;
      pipe_.reset();
      return false;
    }
    const DWORD error = GetLastError();
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    if (error == ERROR_PIPE_BUSY) {
      WaitNamedPipeW(pipeName.c_str(), static_cast<DWORD>(deadline - now));
    } else if (error == ERROR_FILE_NOT_FOUND) {
      Sleep(20);  // no server yet (it may be starting): try again shortly
    } else {
      return false;
    }
  }
}

bool PipeClient::AwaitGreeting(DWORD timeoutMs) {
  std::vector<std::uint8_t> message;
  PipeAnswer greeting;
  return Read(message, timeoutMs) && DecodeAnswer(message.data(), message.size(), greeting) &&
         greeting.done && PayloadText(greeting.payload) == kGreeting;
}

bool PipeClient::Connect(const std::wstring& pipeName, DWORD waitMs) {
  pipe_.reset();
  if (!event_) event_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event_) return false;
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    if (!OpenInstance(pipeName, deadline)) return false;
    if (AwaitGreeting(kGreetingTimeoutMs)) return true;
    pipe_.reset();
  }
  return false;
}

bool PipeClient::Read(std::vector<std::uint8_t>& message, DWORD timeoutMs) {
  message.clear();
  std::uint8_t buffer[4096];
  for (;;) {
    OVERLAPPED io{};
    io.hEvent = event_.get();
    DWORD got = 0;
    // On an overlapped handle the count comes from the overlapped result, also
    // when the read finished at once (with ERROR_MORE_DATA, say).
    if (!ReadFile(pipe_.get(), buffer, sizeof buffer, nullptr, &io)) {
      const DWORD error = GetLastError();
      if (error == ERROR_IO_PENDING) {
        if (WaitForSingleObject(io.hEvent, timeoutMs) != WAIT_OBJECT_0) {
          CancelIo(pipe_.get());
          GetOverlappedResult(pipe_.get(), &io, &got, TRUE);
          return false;
        }
      } else if (error != ERROR_MORE_DATA) {
        return false;
      }
    }
    BOOL ok = GetOverlappedResult(pipe_.get(), &io, &got, FALSE);
    message.insert(message.end(), buffer, buffer + got);
    if (ok) return true;
    if (GetLastError() != ERROR_MORE_DATA || message.size() > kMaxMessageBytes) return false;
  }
}

bool PipeClient::Write(const std::vector<std::uint8_t>& message) {
  OVERLAPPED io{};
  io.hEvent = event_.get();
  DWORD written = 0;
  BOOL ok = WriteFile(pipe_.get(), message.data(), static_cast<DWORD>(message.size()), &written, &io);
  if (!ok && GetLastError() == ERROR_IO_PENDING) ok = GetOverlappedResult(pipe_.get(), &io, &written, TRUE);
  return ok && written == message.size();
}

bool PipeClient::Transact(const PipeRequest& request, PipeAnswer& answer) {
  if (!pipe_) return false;
  std::vector<std::uint8_t> reply;
  if (!Write(EncodeRequest(request)) || !Read(reply, INFINITE) ||
      !DecodeAnswer(reply.data(), reply.size(), answer)) {
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
