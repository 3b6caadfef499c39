#include "virtual_device.h"

#include <cstdio>
#include <sstream>

#include "macro_playback.h"

namespace q730x::vkb {
namespace {

void DescribeRequest(const DriverRequest& r, std::string& line);

std::string Hex32(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(v));
  return text;
}

ControlResult Refuse(std::uint32_t error, const std::string& reason, std::string& line) {
  line += " result=refused reason=\"" + reason + "\"";
  return ControlResult{false, error, {}};
}

ControlResult Accept(std::string& line, std::vector<std::uint8_t> output = {}) {
  line += " result=ok";
  return ControlResult{true, 0, std::move(output)};
}

// The first byte of the request that should be zero and is not, or -1.
// Which bytes may be set depends on the kind; everything not listed is zero.
int StrayByte(const DriverRequest& r) {
  const std::uint32_t kind = r.kind();
  auto mayBeSet = [&](std::size_t i) {
    if (i < 4) return true;                                              // kind
    if (i >= 12 && i < 20) return kind == REQ_SETUP;                     // parameters
    if (i >= 24 && i < 26) return true;                                  // data length
    if (i >= 26 && i < 32) return kind == REQ_COMMAND;                   // direction, setup
    if (i >= 32 && i < 64) return i - 32 < r.dataLength();               // data
    if (i >= 116 && i < 120) return true;                                // ids
    if (i >= 172 && i < 176) return kind == REQ_REGISTER;                // semaphore
    return false;
  };
  for (std::size_t i = 0; i < DriverRequest::kSize; ++i)
    if (r.bytes[i] != 0 && !mayBeSet(i)) return static_cast<int>(i);
  return -1;
}

bool Zero(const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i]) return false;
  return true;
}

bool ParseUnsigned(const std::string& text, unsigned long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoull(text.c_str(), &end, 0);
  return end && *end == '\0';
}

// The request's fields as the log shows them.
void DescribeRequest(const DriverRequest& r, std::string& line) {
  line += " kind=" + std::to_string(r.kind()) + " dir=" + std::to_string(r.direction()) +
          " len=" + std::to_string(r.dataLength());
  if (r.dataLength() > 0 && r.dataLength() <= DriverRequest::kDataCapacity)
    line += " data=" + HexBytes(r.data(), r.dataLength());
}

}  // namespace

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

VirtualDevice::VirtualDevice(KeyboardState initial, Hooks hooks)
    : state_(std::move(initial)), hooks_(std::move(hooks)), presence_(state_) {}

double VirtualDevice::Now() const { return hooks_.nowMs ? hooks_.nowMs() : 0.0; }

void VirtualDevice::Log(const std::string& text) { LogAt(Now(), text); }

void VirtualDevice::LogAt(double timeMs, const std::string& text) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "t=%.3f ", timeMs);
  log_.push_back(stamp + text);
  if (log_.size() > kMaxLogLines) log_.pop_front();
}

void VirtualDevice::Note(const std::string& text) {
  std::lock_guard lock(mutex_);
  Log("note=\"" + text + "\"");
}

void VirtualDevice::Changed() {
  presence_.Update(state_);
  if (hooks_.stateChanged) hooks_.stateChanged(state_);
}

std::string VirtualDevice::KeyboardUnavailable() const {
  if (!state_.attached) return "keyboard not attached";
  if (state_.loaderMode) return "keyboard is in firmware loader mode";
  return std::string();
}

void VirtualDevice::AbandonTransfer() {
  if (transfer_.target != Target::None) {
    Log("note=\"unfinished transfer abandoned after " + std::to_string(transfer_.received.size()) +
        " of " + std::to_string(transfer_.expected) + " bytes\"");
  }
  transfer_ = Transfer{};
}

void VirtualDevice::Unplug() {
  ++plugGeneration_;
  state_.attached = false;
  AbandonTransfer();
  Log("note=\"unplugged\"");
  Changed();
}

ControlResult VirtualDevice::Control(unsigned client, SignalOpener& opener, std::uint32_t code,
                                     const std::uint8_t* input, std::size_t inputLength,
                                     std::uint32_t outputLength) {
  std::lock_guard lock(mutex_);
  // Stamped on arrival, so that pacing seen in the log is the sender's.
  const double arrival = Now();
  arrival_ = arrival;
  std::string line = "client=" + std::to_string(client) + " code=" + Hex32(code);
  if (unplugArmed_) {
    // The keyboard leaves the bus just as this call comes in: it finds it gone.
    if (servedBeforeUnplug_ == 0) {
      unplugArmed_ = false;
      Unplug();
    } else {
      --servedBeforeUnplug_;
    }
  }
  ControlResult result;
  if (acceptBeforeRefusing_ > 0) {
    --acceptBeforeRefusing_;
    result = Dispatch(client, opener, code, input, inputLength, outputLength, line);
  } else if (refuseNext_ > 0) {
    --refuseNext_;
    if (code == kIoctlRequest && inputLength == DriverRequest::kSize) {
      DriverRequest r;
      std::copy_n(input, DriverRequest::kSize, r.bytes.begin());
      DescribeRequest(r, line);
    }
    result = Refuse(ERR_GEN_FAILURE, "injected fault", line);
  } else {
    result = Dispatch(client, opener, code, input, inputLength, outputLength, line);
  }
  LogAt(arrival, line);
  return result;
}

ControlResult VirtualDevice::Dispatch(unsigned client, SignalOpener& opener, std::uint32_t code,
                                      const std::uint8_t* input, std::size_t inputLength,
                                      std::uint32_t outputLength, std::string& line) {
  ControlResult result;
  if (code == kIoctlRequest) {
    result = Request(client, opener, input, inputLength, outputLength, line);
  } else if (code == kIoctlReadEvent) {
    result = ReadEvent(client, input, inputLength, outputLength, line);
  } else if (code == kIoctlConfigure) {
    if (inputLength != 4 || outputLength != 0) {
      result = Refuse(ERR_INVALID_PARAMETER,
                      "configure takes 4 bytes in and none out, got " + std::to_string(inputLength) +
                          " in and " + std::to_string(outputLength) + " out",
                      line);
    } else {
      const std::uint32_t value = ReadLE32(input);
      line += " value=" + std::to_string(value);
      result = value == kConfigureValue
                   ? Accept(line)
                   : Refuse(ERR_INVALID_PARAMETER, "configure value is not 15", line);
    }
  } else {
    result = Refuse(ERR_INVALID_FUNCTION, "unknown control code " + Hex32(code), line);
  }
  return result;
}

ControlResult VirtualDevice::Request(unsigned client, SignalOpener& opener,
                                     const std::uint8_t* input, std::size_t inputLength,
                                     std::uint32_t outputLength, std::string& line) {
  if (inputLength != DriverRequest::kSize)
    return Refuse(ERR_INVALID_PARAMETER,
                  "request is " + std::to_string(inputLength) + " bytes, not 180", line);
  DriverRequest r;
  std::copy_n(input, DriverRequest::kSize, r.bytes.begin());
  const std::uint32_t kind = r.kind();
  DescribeRequest(r, line);

  if (r.vendorId() != kKeyboardVendorId)
    return Refuse(ERR_INVALID_PARAMETER, "wrong vendor id " + Hex32(r.vendorId()), line);
  if (r.productId() != kKeyboardProductId)
    return Refuse(ERR_INVALID_PARAMETER, "wrong product id " + Hex32(r.productId()), line);
  if (kind != REQ_REGISTER && kind != REQ_UNREGISTER && kind != REQ_COMMAND && kind != REQ_SETUP &&
      kind != REQ_CHUNK)
    return Refuse(ERR_INVALID_PARAMETER, "unknown request kind " + std::to_string(kind), line);

  const std::uint16_t wantLength =
      kind == REQ_COMMAND ? kCommandBytes : kind == REQ_CHUNK ? kChunkBytes : 0;
  if (r.dataLength() != wantLength)
    return Refuse(ERR_INVALID_PARAMETER,
                  "data length " + std::to_string(r.dataLength()) + " is wrong for kind " +
                      std::to_string(kind) + " (" + std::to_string(wantLength) + " expected)",
                  line);
  const bool readBack = kind == REQ_COMMAND && r.direction() == DIR_READ_BACK;
  if (r.direction() != DIR_TO_KEYBOARD && !readBack)
    return Refuse(ERR_INVALID_PARAMETER,
                  "direction " + std::to_string(r.direction()) + " is wrong for kind " +
                      std::to_string(kind),
                  line);
  const std::uint32_t wantOutput = readBack ? DriverRequest::kSize : 0;
  if (outputLength != wantOutput)
    return Refuse(ERR_INVALID_PARAMETER,
                  "output length " + std::to_string(outputLength) + " is wrong (" +
                      std::to_string(wantOutput) + " expected)",
                  line);
  if (kind == REQ_COMMAND && r.transferSetup() != kTransferSetup)
    return Refuse(ERR_INVALID_PARAMETER, "transfer setup " + Hex32(r.transferSetup()) +
                                             " is not 0x20300", line);
  if (kind == REQ_SETUP &&
      (r.parameter1() != kSetupParameter1 || r.parameter2() != kSetupParameter2))
    return Refuse(ERR_INVALID_PARAMETER, "set-up parameters are not 0x20004 and 0", line);
  if (const int stray = StrayByte(r); stray >= 0)
    return Refuse(ERR_INVALID_PARAMETER,
                  "byte " + std::to_string(stray) + " is " + Hex32(r.bytes[stray]) +
                      " where zero is expected",
                  line);

  switch (kind) {
    case REQ_REGISTER: {
      line += " semaphore=" + Hex32(r.semaphore());
      if (r.semaphore() == 0) return Refuse(ERR_INVALID_PARAMETER, "no event semaphore", line);
      if (refuseOpens_ > 0) {
        --refuseOpens_;
        return Refuse(ERR_GEN_FAILURE, "injected fault: the driver does not open", line);
      }
      std::string reason;
      std::unique_ptr<EventSignal> signal = opener.Open(r.semaphore(), reason);
      if (!signal)
        return Refuse(ERR_INVALID_PARAMETER, "event semaphore unusable: " + reason, line);
      registrations_[client] = Registration{std::move(signal), {}, false};
      return Accept(line);
    }
    case REQ_UNREGISTER:
      if (registrations_.erase(client) == 0)
        return Refuse(ERR_GEN_FAILURE, "unregister without a registration", line);
      return Accept(line);
    case REQ_SETUP: {
      auto it = registrations_.find(client);
      if (it == registrations_.end())
        return Refuse(ERR_GEN_FAILURE, "set-up request without a registration", line);
      it->second.setUp = true;
      return Accept(line);
    }
    case REQ_COMMAND: {
      if (const std::string why = NotSetUp(client); !why.empty())
        return Refuse(ERR_GEN_FAILURE, why, line);
      if (const std::string why = KeyboardUnavailable(); !why.empty())
        return Refuse(ERR_DEVICE_NOT_CONNECTED, why, line);
      if (!readBack) return Command(r.data(), line);
      if (!Zero(r.data(), kCommandBytes))
        return Refuse(ERR_INVALID_PARAMETER, "read back with data that is not zero", line);
      DriverRequest answer = r;
      std::copy(reply_.begin(), reply_.end(), answer.data());
      line += " reply=" + HexBytes(reply_.data(), reply_.size());
      return Accept(line, std::vector<std::uint8_t>(answer.bytes.begin(), answer.bytes.end()));
    }
    default: {  // REQ_CHUNK
      if (const std::string why = NotSetUp(client); !why.empty())
        return Refuse(ERR_GEN_FAILURE, why, line);
      if (const std::string why = KeyboardUnavailable(); !why.empty())
        return Refuse(ERR_DEVICE_NOT_CONNECTED, why, line);
      return Chunk(r.data(), line);
    }
  }
}

std::string VirtualDevice::NotSetUp(unsigned client) const {
  auto it = registrations_.find(client);
  if (it == registrations_.end()) return "client has not registered its event semaphore";
  if (!it->second.setUp) return "client has not sent the set-up request";
  return std::string();
}

std::string VirtualDevice::TooSoon() const {
  char text[96];
  if (transfer_.lastChunkAt < 0) {
    const double gap = arrival_ - transfer_.commandAt;
    if (gap >= kCommandToChunkMs) return std::string();
    std::snprintf(text, sizeof text, "chunk %.1f ms after its command (%.0f ms at least)", gap,
                  kCommandToChunkMs);
  } else {
    const double gap = arrival_ - transfer_.lastChunkAt;
    if (gap >= kChunkGapMs) return std::string();
    std::snprintf(text, sizeof text, "chunk %.1f ms after the previous one (%.0f ms at least)", gap,
                  kChunkGapMs);
  }
  return text;
}

ControlResult VirtualDevice::Command(const std::uint8_t* c, std::string& line) {
  switch (c[0]) {
    case CMD_SET_REPORT_INTERVAL: {
      if (c[1] != 1 && c[1] != 2 && c[1] != 8)
        return Refuse(ERR_INVALID_PARAMETER,
                      "report interval " + std::to_string(c[1]) + " is not 1, 2 or 8", line);
      if (!Zero(c + 2, 6)) return Refuse(ERR_INVALID_PARAMETER, "command 0x01 has stray bytes", line);
      AbandonTransfer();
      state_.intervalMs = c[1];
      Changed();
      if (hooks_.rejoinRequested) hooks_.rejoinRequested(++plugGeneration_);
      return Accept(line);
    }
    case CMD_READ_FIRMWARE_VERSION:
    case CMD_READ_REPORT_INTERVAL: {
      if (!Zero(c + 1, 7))
        return Refuse(ERR_INVALID_PARAMETER, "query command has stray bytes", line);
      AbandonTransfer();
      if (dropReplies_ > 0) {
        --dropReplies_;
        line += " note=\"reply withheld\"";
        return Accept(line);
      }
      reply_ = {};
      reply_[0] = c[0];
      if (c[0] == CMD_READ_FIRMWARE_VERSION) {
        reply_[1] = state_.versionMajor;
        reply_[2] = state_.versionMinor;
      } else {
        reply_[1] = state_.intervalMs;
      }
      return Accept(line);
    }
    case CMD_WRITE_KEY_MATRIX: {
      if (!std::equal(c, c + 8, MakeWriteKeyMatrixCommand().begin()))
        return Refuse(ERR_INVALID_PARAMETER, "write key matrix command is not 12 01 02 80", line);
      AbandonTransfer();
      transfer_.target = Target::Matrix;
      transfer_.expected = kKeyMatrixBytes;
      transfer_.commandAt = arrival_;
      return Accept(line);
    }
    case CMD_WRITE_MACRO_SLOT: {
      if (c[2] > kHighestMacroSlot)
        return Refuse(ERR_INVALID_PARAMETER,
                      "macro slot " + std::to_string(c[2]) + " is above 30", line);
      if (!std::equal(c, c + 8, MakeWriteMacroSlotCommand(c[2]).begin()))
        return Refuse(ERR_INVALID_PARAMETER, "write macro slot command is not 13 01 s 02 00", line);
      AbandonTransfer();
      transfer_.target = Target::MacroSlot;
      transfer_.slot = c[2];
      transfer_.expected = kMacroImageBytes;
      transfer_.commandAt = arrival_;
      return Accept(line);
    }
    default:
      return Refuse(ERR_INVALID_PARAMETER, "unknown command " + Hex32(c[0]), line);
  }
}

ControlResult VirtualDevice::Chunk(const std::uint8_t* data, std::string& line) {
  if (transfer_.target == Target::None) {
    return Refuse(ERR_INVALID_PARAMETER,
                  transfer_.justCompleted ? "data chunk beyond the announced length"
                                          : "data chunk without a preceding write command",
                  line);
  }
  // A refused chunk leaves the transfer as it was: the sender may send it again.
  if (const std::string why = TooSoon(); !why.empty())
    return Refuse(ERR_INVALID_PARAMETER, why, line);
  transfer_.lastChunkAt = arrival_;
  transfer_.received.insert(transfer_.received.end(), data, data + kChunkBytes);
  if (transfer_.received.size() < transfer_.expected) return Accept(line);

  // The whole block arrived: only now does it replace what the keyboard held.
  if (transfer_.target == Target::Matrix) {
    std::copy_n(transfer_.received.begin(), kKeyMatrixBytes, state_.matrix.bytes());
    line += " note=\"key matrix written\"";
  } else {
    std::copy_n(transfer_.received.begin(), kMacroImageBytes, state_.slots[transfer_.slot].begin());
    state_.slotsWritten |= 1u << transfer_.slot;
    line += " note=\"macro slot " + std::to_string(transfer_.slot) + " written\"";
  }
  transfer_ = Transfer{};
  transfer_.justCompleted = true;
  Changed();
  return Accept(line);
}

ControlResult VirtualDevice::ReadEvent(unsigned client, const std::uint8_t* input,
                                       std::size_t inputLength, std::uint32_t outputLength,
                                       std::string& line) {
  if (inputLength != DeviceEvent::kSize || outputLength != DeviceEvent::kSize)
    return Refuse(ERR_INVALID_PARAMETER,
                  "event read takes 60 bytes in and out, got " + std::to_string(inputLength) +
                      " in and " + std::to_string(outputLength) + " out",
                  line);
  DeviceEvent e;
  std::copy_n(input, DeviceEvent::kSize, e.bytes.begin());
  if (e.vendorId() != kKeyboardVendorId || e.productId() != kKeyboardProductId)
    return Refuse(ERR_INVALID_PARAMETER, "event record without the keyboard's ids", line);
  auto it = registrations_.find(client);
  if (it == registrations_.end())
    return Refuse(ERR_GEN_FAILURE, "event read without a registration", line);
  if (it->second.events.empty()) return Refuse(ERR_NO_MORE_ITEMS, "no event queued", line);
  const std::uint32_t word = it->second.events.front();
  it->second.events.pop_front();
  WriteLE32(&e.bytes[DeviceEvent::kWord], word);
  line += " word=" + Hex32(word);
  return Accept(line, std::vector<std::uint8_t>(e.bytes.begin(), e.bytes.end()));
}

std::string VirtualDevice::QueueEvents(std::uint32_t first, unsigned count, bool step) {
  unsigned queued = 0, dropped = 0;
  for (unsigned n = 0; n < count; ++n) {
    const std::uint32_t word = step ? first + n : first;
    for (auto& [client, registration] : registrations_) {
      // Queue first, then signal: the signalled client always finds the event.
      registration.events.push_back(word);
      if (registration.signal->Release()) {
        ++queued;
      } else {
        registration.events.pop_back();
        ++dropped;
      }
    }
  }
  std::string text = "queued " + std::to_string(queued) + " events for " +
                     std::to_string(registrations_.size()) + " clients";
  if (dropped) text += ", dropped " + std::to_string(dropped) + " (semaphore full)";
  Log("note=\"" + text + "\"");
  return text;
}

void VirtualDevice::ClientGone(unsigned client) {
  std::lock_guard lock(mutex_);
  registrations_.erase(client);
}

void VirtualDevice::RejoinLeave(unsigned generation) {
  std::lock_guard lock(mutex_);
  if (generation != plugGeneration_ || !state_.attached) return;
  state_.attached = false;
  AbandonTransfer();
  Log("note=\"left the bus after a report interval change\"");
  Changed();
}

void VirtualDevice::RejoinReturn(unsigned generation) {
  std::lock_guard lock(mutex_);
  if (generation != plugGeneration_ || state_.attached) return;
  state_.attached = true;
  hidReadyAt_ = Now() + hidDelayMs_;
  Log("note=\"rejoined the bus\"");
  Changed();
}

KeyboardState VirtualDevice::Snapshot() const {
  std::lock_guard lock(mutex_);
  return state_;
}

bool VirtualDevice::HidReady() const {
  std::lock_guard lock(mutex_);
  return state_.attached && !state_.loaderMode && state_.hidReady;
}

bool VirtualDevice::StopRequested() const {
  std::lock_guard lock(mutex_);
  return stopRequested_;
}

std::string VirtualDevice::Dump() const {
  std::ostringstream out;
  out << "attached " << state_.attached << "\n"
      << "loader " << state_.loaderMode << "\n"
      << "hid " << state_.hidReady << "\n"
      << "interval " << unsigned{state_.intervalMs} << "\n"
      << "version " << unsigned{state_.versionMajor} << "." << unsigned{state_.versionMinor} << "\n"
      << "registered " << registrations_.size() << "\n"
      << "matrix " << HexBytes(state_.matrix.bytes(), kKeyMatrixBytes) << "\n"
      << "slots";
  for (unsigned s = 0; s < kMacroSlots; ++s)
    if (state_.slotsWritten >> s & 1) out << " " << s;
  out << "\n";
  for (unsigned s = 0; s < kMacroSlots; ++s)
    if (state_.slotsWritten >> s & 1)
      out << "slot " << s << " " << HexBytes(state_.slots[s].data(), kMacroImageBytes) << "\n"
          << "play " << s << " " << PlaybackText(DecodeMacroImage(state_.slots[s])) << "\n";
  return out.str();
}

std::string VirtualDevice::LogText() const {
  std::string out;
  for (const std::string& line : log_) out += line + "\n";
  return out;
}

bool VirtualDevice::Admin(const std::string& commandLine, std::string& reply) {
  std::istringstream in(commandLine);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  std::lock_guard lock(mutex_);
  auto fail = [&](const std::string& why) {
    reply = why;
    return false;
  };
  if (words.empty()) return fail("empty command");
  const std::string& verb = words[0];
  unsigned long long a = 0, b = 1;

  if (verb == "ping") {
    reply = "ok";
  } else if (verb == "hid-open") {
    if (!(state_.attached && !state_.loaderMode && state_.hidReady))
      return fail("HID interface not ready");
    if (Now() < hidReadyAt_) return fail("HID interface still opening after the plug");
    reply = "ok";
  } else if (verb == "hid-delay") {
    if (words.size() != 2 || !ParseUnsigned(words[1], a) || a > 600000)
      return fail("usage: hid-delay <ms>");
    hidDelayMs_ = static_cast<unsigned>(a);
    reply = "ok";
  } else if (verb == "press" || verb == "event") {
    if (words.size() < 2 || words.size() > 3 || !ParseUnsigned(words[1], a) ||
        (words.size() == 3 && !ParseUnsigned(words[2], b)) || b == 0 || b > 1000000)
      return fail("usage: " + verb + (verb == "press" ? " <position>" : " <word>") + " [count]");
    if (verb == "event") {
      if (a > 0xFFFFFFFFull) return fail("event word is more than 32 bits");
      // Consecutive words, so that a burst shows its order at the receiver.
      reply = QueueEvents(static_cast<std::uint32_t>(a), static_cast<unsigned>(b), true);
    } else {
      if (a >= static_cast<unsigned>(kMatrixPositions)) return fail("position is above 159");
      if (const std::string why = KeyboardUnavailable(); !why.empty()) return fail(why);
      const KeyCode code = state_.matrix[a];
      if (code.type != KT_ACTION) {
        reply = "position " + std::to_string(a) + " holds no software action";
        Log("note=\"" + reply + "\"");
      } else {
        reply = QueueEvents(EventWord(code), static_cast<unsigned>(b), false);
      }
    }
  } else if (verb == "unplug" && words.size() == 1) {
    unplugArmed_ = false;
    Unplug();
    reply = "ok";
  } else if (verb == "unplug" && words.size() == 3 && words[1] == "after") {
    if (!ParseUnsigned(words[2], a) || a > 1000000) return fail("usage: unplug after <count>");
    unplugArmed_ = true;
    servedBeforeUnplug_ = static_cast<unsigned>(a);
    reply = "ok";
  } else if (verb == "plug") {
    ++plugGeneration_;
    state_.attached = true;
    hidReadyAt_ = Now() + hidDelayMs_;
    Log("note=\"plugged in\"");
    Changed();
    reply = "ok";
  } else if ((verb == "loader" || verb == "hid") && words.size() == 2 &&
             (words[1] == "on" || words[1] == "off")) {
    (verb == "loader" ? state_.loaderMode : state_.hidReady) = words[1] == "on";
    Log("note=\"" + verb + " " + words[1] + "\"");
    Changed();
    reply = "ok";
  } else if (verb == "interval") {
    // Any value, also one the keyboard would never report, to see how the utility copes.
    if (words.size() != 2 || !ParseUnsigned(words[1], a) || a > 255) return fail("usage: interval <ms>");
    state_.intervalMs = static_cast<std::uint8_t>(a);
    Changed();
    reply = "ok";
  } else if (verb == "version") {
    unsigned major = 0, minor = 0;
    char extra = 0;
    if (words.size() != 2 ||
        std::sscanf(words[1].c_str(), "%u.%u%c", &major, &minor, &extra) != 2 || major > 255 ||
        minor > 255)
      return fail("usage: version <major>.<minor>");
    state_.versionMajor = static_cast<std::uint8_t>(major);
    state_.versionMinor = static_cast<std::uint8_t>(minor);
    Changed();
    reply = "ok";
  } else if (verb == "refuse") {
    unsigned long long after = 0;
    const bool withAfter = words.size() == 4 && words[2] == "after" && ParseUnsigned(words[3], after);
    if ((words.size() != 2 && !withAfter) || !ParseUnsigned(words[1], a) || a > 1000000 ||
        after > 1000000)
      return fail("usage: refuse <count> [after <count>]");
    refuseNext_ = static_cast<unsigned>(a);
    acceptBeforeRefusing_ = static_cast<unsigned>(after);
    reply = "ok";
  } else if (verb == "refuse-opens") {
    // Only registrations, so that a driver that opens late can be played
    // whatever else the client asks meanwhile.
    if (words.size() != 2 || !ParseUnsigned(words[1], a) || a > 1000000)
      return fail("usage: refuse-opens <count>");
    refuseOpens_ = static_cast<unsigned>(a);
    reply = "ok";
  } else if (verb == "drop-replies") {
    if (words.size() != 2 || !ParseUnsigned(words[1], a) || a > 1000000)
      return fail("usage: drop-replies <count>");
    dropReplies_ = static_cast<unsigned>(a);
    reply = "ok";
  } else if (verb == "factory") {
    state_ = FactoryState();
    transfer_ = Transfer{};
    hidDelayMs_ = 0;
    hidReadyAt_ = 0;
    refuseOpens_ = 0;
    unplugArmed_ = false;
    Changed();
    reply = "ok";
  } else if (verb == "presence") {
    if (words.size() > 2 || (words.size() == 2 && !ParseUnsigned(words[1], a)))
      return fail("usage: presence [since generation]");
    reply = presence_.Report(words.size() == 2 ? a : 0);
  } else if (verb == "dump") {
    reply = Dump();
  } else if (verb == "log") {
    if (words.size() == 2 && words[1] == "clear") {
      log_.clear();
      reply = "ok";
    } else {
      reply = LogText();
    }
  } else if (verb == "stop") {
    stopRequested_ = true;
    reply = "ok";
  } else {
    return fail("unknown command \"" + verb + "\"");
  }
  return true;
}

}  // namespace q730x::vkb
