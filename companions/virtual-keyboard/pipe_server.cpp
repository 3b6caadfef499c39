#include "pipe_server.h"

#include "device/detached_thread.h"


#include "model/win_handles.h"
#include "device/virtual_pipe_protocol.h"

namespace q730x::vkb {
namespace {

constexpr DWORD kPipeBuffer = 64 * 1024;

// The kernel object type of a handle ("Semaphore", "Event", ...), or "" when
// it cannot be told. ntdll's object query is bound at run time.
std::wstring ObjectTypeName(HANDLE handle) {
  struct TypeInformation {
    USHORT length;
    USHORT maximumLength;
    PWSTR buffer;
  };
  using QueryObject = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<QueryObject>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  if (!query) return std::wstring();
  alignas(8) std::uint8_t buffer[1024] = {};
  constexpr int kObjectTypeInformation = 2;
  if (query(handle, kObjectTypeInformation, buffer, sizeof buffer, nullptr) < 0) return std::wstring();
  const auto* info = reinterpret_cast<const TypeInformation*>(buffer);
  if (!info->buffer || info->length / 2 > 256) return std::wstring();
  return std::wstring(info->buffer, info->length / 2);
}

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
    auto signal = std::make_unique<SemaphoreSignal>(own);
    if (ObjectTypeName(own) != L"Semaphore") {
      reason = "handle is not a semaphore";
      return nullptr;
    }
    return signal;
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
