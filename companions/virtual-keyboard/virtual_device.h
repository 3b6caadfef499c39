// The virtual keyboard and its driver as one strict peer: it answers the
// control calls of the driver interface exactly as the driver and keyboard
// would, refuses (and logs, with the reason) everything else, holds the
// keyboard's state and queues key events for every registered client.
// The pipe server feeds it; tests can drive it directly.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "keyboard_state.h"
#include "usb_presence.h"

namespace q730x::vkb {

// Win32 error codes a driver gives for a failed request.
enum DriverError : std::uint32_t {
  ERR_INVALID_FUNCTION = 1,
  ERR_GEN_FAILURE = 31,
  ERR_INVALID_PARAMETER = 87,
  ERR_NO_MORE_ITEMS = 259,
  ERR_DEVICE_NOT_CONNECTED = 1167,
};

// A registered client's event semaphore, as the driver holds it.
class EventSignal {
 public:
  virtual ~EventSignal() = default;
  // Releases the semaphore once; false when it is at its maximum or gone.
  virtual bool Release() = 0;
};

// Turns a semaphore handle value of the calling process into an EventSignal.
class SignalOpener {
 public:
  virtual ~SignalOpener() = default;
  virtual std::unique_ptr<EventSignal> Open(std::uint32_t handleValue, std::string& reason) = 0;
};

struct ControlResult {
  bool done = false;
  std::uint32_t error = 0;
  std::vector<std::uint8_t> output;
};

class VirtualDevice {
 public:
  struct Hooks {
    std::function<double()> nowMs;                             // log time stamps
    std::function<void(const KeyboardState&)> stateChanged;    // persist
    std::function<void(unsigned generation)> rejoinRequested;  // leave and rejoin the bus
  };

  VirtualDevice(KeyboardState initial, Hooks hooks);

  ControlResult Control(unsigned client, SignalOpener& opener, std::uint32_t code,
                        const std::uint8_t* input, std::size_t inputLength,
                        std::uint32_t outputLength);
  // One command line of the admin interface; reply is its answer text.
  bool Admin(const std::string& line, std::string& reply);
  // A client disconnected: its registration and queued events go.
  void ClientGone(unsigned client);
  void Note(const std::string& text);

  // The two halves of a rejoin after a report interval change; each is
  // skipped when the keyboard was plugged or unplugged by hand meanwhile.
  void RejoinLeave(unsigned generation);
  void RejoinReturn(unsigned generation);

  KeyboardState Snapshot() const;
  bool HidReady() const;
  bool StopRequested() const;

  static constexpr std::size_t kMaxLogLines = 200000;
  // The keyboard's pacing: a chunk comes at least this long after its write
  // command, and at least kChunkGapMs after the previous chunk.
  static constexpr double kCommandToChunkMs = 10;
  static constexpr double kChunkGapMs = 20;

 private:
  struct Registration {
    std::unique_ptr<EventSignal> signal;
    std::deque<std::uint32_t> events;
    bool setUp = false;  // the set-up request (kind 32) came after the registration
  };
  enum class Target { None, Matrix, MacroSlot };
  struct Transfer {
    Target target = Target::None;
    unsigned slot = 0;
    std::size_t expected = 0;
    std::vector<std::uint8_t> received;
    bool justCompleted = false;  // a chunk now is beyond the announced length
    double commandAt = 0;        // arrival of the write command
    double lastChunkAt = -1;     // arrival of the last accepted chunk, -1: none yet
  };

  ControlResult Dispatch(unsigned client, SignalOpener& opener, std::uint32_t code,
                         const std::uint8_t* input, std::size_t inputLength,
                         std::uint32_t outputLength, std::string& line);
  ControlResult Request(unsigned client, SignalOpener& opener, const std::uint8_t* input,
                        std::size_t inputLength, std::uint32_t outputLength, std::string& line);
  ControlResult Command(const std::uint8_t* command, std::string& line);
  ControlResult Chunk(const std::uint8_t* data, std::string& line);
  // Why a client may not send commands or data yet, or "".
  std::string NotSetUp(unsigned client) const;
  // Why a chunk arriving now comes too soon, or "".
  std::string TooSoon() const;
  ControlResult ReadEvent(unsigned client, const std::uint8_t* input, std::size_t inputLength,
                          std::uint32_t outputLength, std::string& line);
  std::string KeyboardUnavailable() const;
  void AbandonTransfer();
  void Unplug();  // leaves the bus, as a pulled cable does
  void Changed();
  double Now() const;
  void Log(const std::string& text);
  void LogAt(double timeMs, const std::string& text);
  std::string QueueEvents(std::uint32_t first, unsigned count, bool step);
  std::string Dump() const;
  std::string LogText() const;

  mutable std::mutex mutex_;
  KeyboardState state_;
  Hooks hooks_;
  UsbPresence presence_;
  std::map<unsigned, Registration> registrations_;
  Transfer transfer_;
  std::array<std::uint8_t, 8> reply_{};
  unsigned refuseNext_ = 0;
  unsigned acceptBeforeRefusing_ = 0;  // requests still served before refuseNext_ applies
  unsigned refuseOpens_ = 0;           // registrations still to refuse (a driver that opens late)
  unsigned dropReplies_ = 0;
  bool unplugArmed_ = false;         // "unplug after": leave the bus after more driver calls
  unsigned servedBeforeUnplug_ = 0;  // driver calls still served before it leaves
  unsigned plugGeneration_ = 0;
  double arrival_ = 0;          // of the control call being served
  unsigned hidDelayMs_ = 0;     // how long the HID interface takes to open after a plug
  double hidReadyAt_ = 0;       // when it opens after the last plug
  bool stopRequested_ = false;
  std::deque<std::string> log_;
};

// Hexadecimal digits of bytes, two per byte, upper case, no separators.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count);

}  // namespace q730x::vkb
