// Serves a VirtualDevice on a named pipe: one thread per connected client,
// one request at a time per client, any number of clients at once.
#pragma once

#include <windows.h>

#include <string>

#include "virtual_device.h"

namespace q730x::vkb {

class PipeServer {
 public:
  PipeServer(std::wstring pipeName, VirtualDevice& device)
      : pipeName_(std::move(pipeName)), device_(device) {}

  // Creates the first pipe instance; false when the name is taken (another
  // virtual keyboard serves it) or cannot be created.
  bool Listen();
  // Accepts clients until a client asks the server to stop; then returns.
  void Run();

 private:
  HANDLE CreateInstance(bool first);
  void Serve(HANDLE pipe, unsigned client);

  std::wstring pipeName_;
  VirtualDevice& device_;
  HANDLE listening_ = INVALID_HANDLE_VALUE;
};

}  // namespace q730x::vkb
