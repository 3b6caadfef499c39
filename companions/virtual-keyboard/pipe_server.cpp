#include "pipe_server.h"

#include "device/detached_thread.h"


#include "model/win_handles.h"
#include "device/virtual_pipe_protocol.h"

namespace q730x::vkb {
namespace {

constexpr DWORD kPipeBuffer = 64 * 1024;

// A client's semaphore, duplicated into this process as a driver would take
// its own reference on registration.
class SemaphoreSignal final : public EventSignal {
 public:
  explicit SemaphoreSignal(HANDLE semaphore) : semaphore_(semaphore) {}
  bool Release() override { return ReleaseSemaphore(semaphore_.get(), 1, nullptr) != FALSE; }

 private:
  UniqueHandle semaphore_;
};

class ClientSignalOpener final : public SignalOpener {
 public:
  explicit ClientSignalOpener(HANDLE pipe) : pipe_(pipe) {}

  std::unique_ptr<EventSignal> Open(std::uint32_t handleValue, std::string& reason) override {
    ULONG pid = 0;
    if (!GetNamedPipeClientProcessId(pipe_, &pid)) {
      reason = "client process unknown";
      return nullptr;
    }
    UniqueHandle process(OpenProcess(PROCESS_DUP_HANDLE, FALSE, pid));
    if (!process) {
      reason = "client process cannot be opened";
      return nullptr;
    }
    // Handle values are 32-bit numbers that are sign-extended on 64-bit systems.
    const auto source = reinterpret_cast<HANDLE>(
        static_cast<std::intptr_t>(static_cast<std::int32_t>(handleValue)));
    HANDLE own = nullptr;
    if (!DuplicateHandle(process.get(), source, GetCurrentProcess(), &own, SEMAPHORE_MODIFY_STATE,
                         FALSE, 0)) {
      reason = "handle is not open in the client (error " + std::to_string(GetLastError()) + ")";
      return nullptr;
    }
    return std::make_unique<SemaphoreSignal>(own);
  }

 private:
  HANDLE pipe_;
};

bool ReadMessage(HANDLE pipe, std::vector<std::uint8_t>& message) {
  message.clear();
  std::uint8_t buffer[4096];
  for (;;) {
    DWORD got = 0;
    const BOOL ok = ReadFile(pipe, buffer, sizeof buffer, &got, nullptr);
    message.insert(message.end(), buffer, buffer + got);
    if (ok) return true;
    if (GetLastError() != ERROR_MORE_DATA || message.size() > kMaxMessageBytes) return false;
  }
}

bool WriteMessage(HANDLE pipe, const std::vector<std::uint8_t>& message) {
  DWORD written = 0;
  return WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), &written, nullptr) &&
         written == message.size();
}

}  // namespace

HANDLE PipeServer::CreateInstance(bool first) {
  return CreateNamedPipeW(pipeName_.c_str(),
                          PIPE_ACCESS_DUPLEX | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                          PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT |
                              PIPE_REJECT_REMOTE_CLIENTS,
                          PIPE_UNLIMITED_INSTANCES, kPipeBuffer, kPipeBuffer, 0, nullptr);
}

bool PipeServer::Listen() {
  listening_ = CreateInstance(true);
  return listening_ != INVALID_HANDLE_VALUE;
}

void PipeServer::Run() {
  unsigned nextClient = 1;
  for (;;) {
    HANDLE pipe = listening_;
    const bool connected =
        ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
    // The next instance exists before this one is handed over, so that a
    // client arriving meanwhile waits instead of finding no pipe at all.
    listening_ = CreateInstance(false);
    if (connected) {
      const unsigned client = nextClient++;
      if (!StartDetachedThread([this, pipe, client] { Serve(pipe, client); })) CloseHandle(pipe);
    } else {
      CloseHandle(pipe);
    }
    if (listening_ == INVALID_HANDLE_VALUE) {
      Sleep(50);
      listening_ = CreateInstance(false);
    }
  }
}

void PipeServer::Serve(HANDLE pipe, unsigned client) {
  ClientSignalOpener opener(pipe);
  PipeAnswer greeting;
  greeting.done = true;
  greeting.payload.assign(kGreeting, kGreeting + std::char_traits<char>::length(kGreeting));
  std::vector<std::uint8_t> message;
  bool greeted = WriteMessage(pipe, EncodeAnswer(greeting));
  while (greeted && ReadMessage(pipe, message)) {
    PipeRequest request;
    PipeAnswer answer;
    if (!DecodeRequest(message.data(), message.size(), request)) {
      device_.Note("client " + std::to_string(client) + " sent a message shorter than its header");
      answer.error = 87;
    } else if (request.type == MSG_DEVICE_CONTROL) {
      ControlResult result = device_.Control(client, opener, request.code, request.payload.data(),
                                             request.payload.size(), request.outputLength);
      answer.done = result.done;
      answer.error = result.error;
      answer.payload = std::move(result.output);
    } else if (request.type == MSG_ADMIN) {
      std::string reply;
      answer.done = device_.Admin(PayloadText(request.payload), reply);
      answer.payload.assign(reply.begin(), reply.end());
    } else {
      device_.Note("client " + std::to_string(client) + " sent message type " +
                   std::to_string(request.type));
      answer.error = 1;
    }
    if (!WriteMessage(pipe, EncodeAnswer(answer))) break;
    if (device_.StopRequested()) {
      FlushFileBuffers(pipe);
      ExitProcess(0);
    }
  }
  device_.ClientGone(client);
  DisconnectNamedPipe(pipe);
  CloseHandle(pipe);
}

}  // namespace q730x::vkb
