// The client end of the virtual keyboard's named pipe: connect, then one
// request and its answer at a time.
#pragma once

#include <windows.h>

#include <string>

#include "model/win_handles.h"
#include "device/virtual_pipe_protocol.h"

namespace q730x::vkb {

// The pipe named by the VirtualKeyboardPipe switch (model/admin_overrides.h),
// or the default name.
std::wstring VirtualPipeName();

class PipeClient {
 public:
  // Waits up to waitMs for a free pipe instance, then for the server's
  // greeting; false when the virtual keyboard is not running.
  bool Connect(const std::wstring& pipeName, DWORD waitMs = 2000);
  bool connected() const { return pipe_.valid(); }
  void Disconnect() { pipe_.reset(); }
  // Hands the open pipe over (the HID stand-in returns it as its handle).
  HANDLE ReleaseHandle() { return pipe_.release(); }

  // Sends one request and reads its answer. False when the pipe broke or the
  // answer was malformed; a refusal is a successful transaction with done=false.
  bool Transact(const PipeRequest& request, PipeAnswer& answer);
  // An admin command; answer text in reply. True when the command was done.
  bool Admin(const std::string& command, std::string& reply);

 private:
  bool OpenInstance(const std::wstring& pipeName, ULONGLONG deadline);
  bool AwaitGreeting(DWORD timeoutMs);
  // One overlapped read or write, waited for up to timeoutMs (or without limit).
  bool Read(std::vector<std::uint8_t>& message, DWORD timeoutMs);
  bool Write(const std::vector<std::uint8_t>& message);

  UniqueHandle pipe_;
  UniqueHandle event_;
};

}  // namespace q730x::vkb
