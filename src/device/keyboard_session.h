// The keyboard session: the one owner of the keyboard's state while the
// program runs. It holds the driver link and its event thread, the profile
// being edited (the process-wide profile buffers, used on the window thread
// only), what the keyboard holds, the edits kept for profiles not shown, the
// downloads, the program-link switching and the key-event actions. The main
// window owns it; the keyboard page shows and edits through it. It works
// whether or not the page exists: its messages go to a window of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "device/configuration_download.h"
#include "device/driver_link.h"
#include "device/presence_tracker.h"
#include "device/session_profiles.h"

namespace q730x {

constexpr UINT_PTR kProgramLinkTimer = 18;
constexpr UINT kProgramLinkPeriodMs = 1300;
constexpr UINT_PTR kDriverOpenTimer = 19;
constexpr UINT kDriverOpenPeriodMs = 500;
// Failed driver opens after which the program gives up.
constexpr int kMaxDriverOpenRetries = 5;
// A report rate change makes the keyboard leave and rejoin the bus; a
// keyboard that has not rejoined by then is taken as gone for good.
constexpr UINT_PTR kRateRejoinTimer = 21;
constexpr UINT kRateRejoinWaitMs = 20000;

// What the session asks of the program around it.
struct SessionHooks {
  // The edited profile was replaced or changed: show it again.
  std::function<void()> profileChanged;
  std::function<void(const std::wstring&)> showMessage;
  // The outcome of something the user did not start (a program-link
  // switch): told without a modal box, which would wait behind the program
  // in front and hold up further switching.
  std::function<void(const std::wstring&)> tellInBackground;
  // A modal dialog or picker is open: program-link switches wait for its end.
  std::function<bool()> modalOpen;
  // The profile, other than current, linked to the program in the foreground.
  std::function<std::optional<int>(int current)> linkedProfileInFront;
  // A key's launch was refused: it could not be started with the desktop
  // user's rights (action_platform.h).
  std::function<void()> launchRefused;
};

// From the desktop-shell worker to the session's window.
constexpr UINT WM_LAUNCH_REFUSED = WM_APP + 0x26;

class KeyboardSession {
 public:
  KeyboardSession();
  ~KeyboardSession();
  KeyboardSession(const KeyboardSession&) = delete;
  KeyboardSession& operator=(const KeyboardSession&) = delete;

  void SetHooks(SessionHooks hooks) { hooks_ = std::move(hooks); }
  // Loads the program links, the current index and its profile (which the
  // keyboard holds), opens the driver link and starts the link timer. owner
  // is closed when the driver cannot be opened. False without a window.
  bool Start(HWND owner);
  // Stops all that reaches outside the process: download workers, timers,
  // the driver link and its event thread.
  void Stop();

  PresenceFlags& Presence() { return share_->presence; }
  bool OpenHid() { return link_ && link_->OpenHid(); }
  // A report rate command was sent: the keyboard's leaving is expected for a while.
  void RateChangeSent();

  int currentProfile() const { return currentProfile_; }
  // The shown profile differs from what is stored for it.
  bool HasUnappliedEdits() const;
  // The profile has edits not applied: the shown one's, or those kept for it.
  bool HasPendingEdits(int profile) const;

  // Shows profile, with the edits kept for it; the unapplied edits of the
  // shown profile are dropped (the page asks the user first).
  void ShowProfile(int profile);
  // The shown profile back to factory keys and settings, its link cleared
  // (stored with the next link change); a download is to follow.
  void RestoreDefaults();
  // Downloads a copy of the shown profile; progress to progressWindow (may
  // be null), which is closed at the end. False when no worker started.
  bool StartDownload(HWND progressWindow);
  bool downloadRunning() const { return downloadsRunning_ > 0; }

  // While the program's session is not the one at the console (locked, or
  // switched away from with fast user switching), the keyboard serves
  // whoever is there: no program-link switch of ours may change its keys.
  // A switch due meanwhile comes at the first tick after the pause.
  void PauseLinkSwitching(bool paused) { linksPaused_ = paused; }

  // What the keyboard holds: set by each successful download and at start.
  const ProfileSnapshot& held() const { return held_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void StartDriverLink();
  void LoadShown(int profile);
  enum class DownloadKind { User, LinkSwitch, PutBack };
  bool Download(const ProfileSnapshot& snapshot, HWND progressWindow, DownloadKind kind = DownloadKind::User);
  void LinkSwitchFailed(const DownloadJob& job);
  void Tell(const DownloadJob& job, const std::wstring& text);
  void OnDownloadResult();
  bool Stored(const DownloadJob& job);
  void PutBack(const DownloadJob& job);
  void OnLinkTimer();
  void OnDriverOpenTimer();
  void OnRateRejoinTimer();
  void OnKeyEvent(WPARAM eventWord);
  void ProfileChanged();

  HWND owner_ = nullptr;
  HWND window_ = nullptr;
  SessionHooks hooks_;
  std::unique_ptr<CUSBDriver> link_;
  std::shared_ptr<DownloadShare> share_ = std::make_shared<DownloadShare>();
  int currentProfile_ = 0;
  ProfileSnapshot stored_;  // the shown profile as stored (or as last written)
  ProfileSnapshot held_;
  PendingEdits pending_;
  int downloadsRunning_ = 0;
  std::uint64_t nextJob_ = 1;
  int driverOpenRetries_ = 0;
  bool linksPaused_ = false;
  // The profile whose link switch failed: not tried again until another
  // program (or none) is in front.
  int failedLinkProfile_ = -1;
};

}  // namespace q730x
