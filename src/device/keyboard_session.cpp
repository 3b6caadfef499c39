#include "device/keyboard_session.h"

#include <algorithm>

#include "device/action_platform.h"
#include "device/key_event_actions.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"

namespace q730x {

namespace {

constexpr wchar_t kWindowClass[] = L"Q730XKeyboardSession";

}  // namespace

KeyboardSession::KeyboardSession() = default;

KeyboardSession::~KeyboardSession() {
  Stop();
  if (window_) DestroyWindow(window_);
}

bool KeyboardSession::Start(HWND owner) {
  owner_ = owner;
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = WindowProc;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = kWindowClass;
  RegisterClassExW(&type);  // fails harmlessly once registered
  // A message-only window: results, key events and timers reach the session
  // whether or not any page exists.
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance, this);
  if (!window_) return false;
  {
    std::lock_guard hold(share_->lock);
    share_->pageGone = false;
  }
  LoadProgramLinks();
  LoadCurrentIndex();
  LoadShown(buffers::nCurFile);
  held_ = stored_;  // what the keyboard was last given
  StartDriverLink();
  SetTimer(window_, kProgramLinkTimer, kProgramLinkPeriodMs, nullptr);
  TellLaunchRefusalsTo(window_, WM_LAUNCH_REFUSED);
  return true;
}

void KeyboardSession::StartDriverLink() {
  link_ = std::make_unique<CUSBDriver>();
  link_->StartLink(window_);
  link_->OpenHid();
  if (OpenDriver()) SendSetupRequest();
  else SetTimer(window_, kDriverOpenTimer, kDriverOpenPeriodMs, nullptr);
}

void KeyboardSession::Stop() {
  // A download worker inside its run finishes first; a later one ends
  // without posting to the window that is going.
  share_->MarkPageGone();
  TellLaunchRefusalsTo(nullptr, 0);
  if (window_) {
    KillTimer(window_, kProgramLinkTimer);
    KillTimer(window_, kDriverOpenTimer);
    KillTimer(window_, kRateRejoinTimer);
  }
  if (link_) link_->StopLink();
  link_.reset();
}

void KeyboardSession::RateChangeSent() {
  if (window_) SetTimer(window_, kRateRejoinTimer, kRateRejoinWaitMs, nullptr);
}

bool KeyboardSession::HasUnappliedEdits() const {
  return !SnapshotOfBuffers(currentProfile_).SameEdits(stored_);
}

bool KeyboardSession::HasPendingEdits(int profile) const {
  if (profile < 0 || profile >= kProfileCount) return false;
  return profile == currentProfile_ ? HasUnappliedEdits() : pending_.Has(profile);
}

// Loads profile from the store as what is stored for it, then lays the edits
// kept for it over the buffers.
void KeyboardSession::LoadShown(int profile) {
  currentProfile_ = profile;
  LoadProfile(profile);
  buffers::LastAppliedMatrix = buffers::KeyMatrix;
  stored_ = SnapshotOfBuffers(profile);
  if (std::optional<ProfileSnapshot> kept = pending_.Take(profile)) PutIntoBuffers(*kept);
}

void KeyboardSession::ShowProfile(int profile) {
  if (profile == currentProfile_ || profile < 0 || profile >= kProfileCount) return;
  LoadShown(profile);
}

void KeyboardSession::RestoreDefaults() {
  stored_.link = buffers::ProCfg[std::size_t(currentProfile_)];  // the link as stored now
  buffers::KeyMatrix = DefaultMatrix;
  ConfigInfo& config = buffers::ConfigInfo;
  config.reportRate = 125;
  config.valueA = 199, config.valueB = 47, config.valueC = 229, config.valueD = 2;
  std::fill(std::begin(config.text), std::end(config.text), u'\0');
  buffers::ProCfg[std::size_t(currentProfile_)] = ProgramLink{};  // saved with the next link change
  std::uint32_t* use = &buffers::MacroUse[std::size_t(currentProfile_) * kMatrixPositions];
  std::fill(use, use + kMatrixPositions, 0u);
}

bool KeyboardSession::StartDownload(HWND progressWindow) {
  return Download(SnapshotOfBuffers(currentProfile_), progressWindow);
}

bool KeyboardSession::Download(const ProfileSnapshot& snapshot, HWND progressWindow, DownloadKind kind) {
  auto job = std::make_shared<DownloadJob>();
  job->snapshot = snapshot;
  job->started = snapshot;
  job->id = nextJob_++;
  job->background = kind != DownloadKind::User;
  job->putBack = kind == DownloadKind::PutBack;
  if (!window_ || !StartDownloadThread({window_, share_, job}, progressWindow)) return false;
  ++downloadsRunning_;
  return true;
}

void KeyboardSession::OnDownloadResult() {
  const std::shared_ptr<DownloadJob> job = share_->finished.Take();
  if (!job) return;  // a result message that no worker sent
  downloadsRunning_ = std::max(0, downloadsRunning_ - 1);
  const bool kept = job->written && Stored(*job);
  if (!job->written) PutBack(*job);
  share_->ResultTaken(job->id);
  if (!job->written && job->background && !job->putBack) LinkSwitchFailed(*job);
  ProfileChanged();
  if (!kept) Tell(*job, L"Setting Error");
  OnLinkTimer();  // a link switch that waited for this download comes now
}

void KeyboardSession::Tell(const DownloadJob& job, const std::wstring& text) {
  if (job.background) {
    if (hooks_.tellInBackground) hooks_.tellInBackground(text);
  } else if (hooks_.showMessage) {
    hooks_.showMessage(text);
  }
}

// A link switch whose download failed showed the new profile while the
// keyboard kept the old one, and may have overwritten slots the old
// profile's macro keys point at. The profile the keyboard held comes back:
// shown again, current again, and downloaded again, so that page, keyboard
// and store agree. The failed switch is not tried again while the same
// program stays in front (a keyboard that refuses would otherwise be asked
// every tick).
void KeyboardSession::LinkSwitchFailed(const DownloadJob& job) {
  failedLinkProfile_ = job.snapshot.profile;
  const int heldProfile = held_.profile;
  OutputDebugStringW((L"Q730X: the switch to profile " + std::to_wstring(job.snapshot.profile + 1) +
                      L" failed; profile " + std::to_wstring(heldProfile + 1) + L" is put back\n").c_str());
  if (currentProfile_ != heldProfile) {
    if (HasUnappliedEdits()) pending_.Keep(SnapshotOfBuffers(currentProfile_));
    LoadShown(heldProfile);
  }
  Download(stored_, nullptr, DownloadKind::PutBack);
}

// A written profile is stored exactly as the keyboard got it, with its macro
// keys pointing at their slots, and becomes current. What the page shows
// stays as it is, apart from the keys the download rewrote. When the store
// refuses it, the keyboard still holds it, but the page keeps it as edits not
// yet applied, so that nothing is taken for saved that was not; false then.
bool KeyboardSession::Stored(const DownloadJob& job) {
  const ProfileSnapshot& written = job.snapshot;
  const int profile = written.profile;
  const ProfileSnapshot edited = SnapshotOfBuffers(currentProfile_);
  const MacroUseTable editedUse = buffers::MacroUse;
  const ProgramLinks links = buffers::ProCfg;
  // Only the written profile's own data is stored: the shown profile's
  // unapplied macro use stays out of the stored table.
  std::copy(stored_.macroUse.begin(), stored_.macroUse.end(),
            buffers::MacroUse.begin() + std::ptrdiff_t(currentProfile_) * kMatrixPositions);
  PutIntoBuffers(written);
  buffers::ProCfg = links;
  buffers::nCurFile = profile;
  SaveCurrentIndex();
  const bool saved = SaveProfile(profile);
  ExportProfileFiles(profile);
  // The edited profile back, as it was.
  buffers::MacroUse = editedUse;
  PutIntoBuffers(edited);
  held_ = written;
  if (!saved)
    OutputDebugStringW((L"Q730X: the keyboard took profile " + std::to_wstring(profile + 1) +
                        L" but the store refused it; it stays unapplied\n").c_str());
  if (profile != currentProfile_) return saved;
  TakeWrittenKeys(buffers::KeyMatrix, job.started.matrix, written.matrix);
  buffers::LastAppliedMatrix = written.matrix;
  if (!saved) return false;
  stored_ = written;
  stored_.link = buffers::ProCfg[std::size_t(profile)];
  return true;
}

// A failed download changes nothing: all it was going to replace comes back.
void KeyboardSession::PutBack(const DownloadJob& job) {
  if (job.snapshot.profile == currentProfile_) {
    ProfileSnapshot edited = SnapshotOfBuffers(currentProfile_);
    PutBackUnchanged(edited, job.started, stored_);
    PutIntoBuffers(edited);
    buffers::LastAppliedMatrix = stored_.matrix;
  }
  ExportProfileFiles(-1);
}

// Timer 18. A switch waits while a download runs or a modal dialog or picker
// is open, and comes at the next tick after. The shown profile's unapplied
// edits are kept for it.
void KeyboardSession::OnLinkTimer() {
  if (share_->presence.deviceAbsent || linksPaused_ || !hooks_.linkedProfileInFront) return;
  if (downloadsRunning_ > 0 || (hooks_.modalOpen && hooks_.modalOpen())) return;
  const std::optional<int> profile = hooks_.linkedProfileInFront(currentProfile_);
  const bool linked = profile && *profile >= 0 && *profile < kProfileCount;
  if (!linked || *profile != failedLinkProfile_) failedLinkProfile_ = -1;
  if (!linked || *profile == failedLinkProfile_) return;
  if (HasUnappliedEdits()) pending_.Keep(SnapshotOfBuffers(currentProfile_));
  LoadShown(*profile);
  // What is stored for it, not the edits kept for it.
  Download(stored_, nullptr, DownloadKind::LinkSwitch);
  ProfileChanged();
}

void KeyboardSession::OnDriverOpenTimer() {
  if (OpenDriver()) {
    driverOpenRetries_ = 0;
    KillTimer(window_, kDriverOpenTimer);
    SendSetupRequest();
    return;
  }
  if (++driverOpenRetries_ <= kMaxDriverOpenRetries) return;
  KillTimer(window_, kDriverOpenTimer);
  if (hooks_.showMessage) hooks_.showMessage(L"Program initialize driver error!");
  if (owner_) PostMessageW(owner_, WM_CLOSE, 0, 0);
}

void KeyboardSession::OnRateRejoinTimer() {
  KillTimer(window_, kRateRejoinTimer);
  PresenceFlags& presence = share_->presence;
  if (!presence.rateChangePending) return;
  // Without this, a keyboard that never came back would leave the flag set,
  // and its later unplugging would no longer end the program.
  presence.rateChangePending = false;
  OutputDebugStringW(L"Q730X: the keyboard did not rejoin after the report rate change; its removal ends the program again\n");
}

// Software actions use the texts of the profile the keyboard holds, not of
// the one shown: from the moment a download's matrix was written, its
// profile's, though its result has not come yet.
void KeyboardSession::OnKeyEvent(WPARAM eventWord) {
  const std::shared_ptr<const DownloadJob> sent = share_->MatrixSent();
  const AuxInfoTable& texts = sent ? sent->snapshot.aux : held_.aux;
  RunKeyEvent(std::uint32_t(eventWord), [&texts](unsigned key) -> const char16_t* { return texts[key].text; },
              SystemActionPlatform());
}

void KeyboardSession::ProfileChanged() {
  if (hooks_.profileChanged) hooks_.profileChanged();
}

LRESULT KeyboardSession::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kProgramLinkTimer) OnLinkTimer();
      else if (wParam == kDriverOpenTimer) OnDriverOpenTimer();
      else if (wParam == kRateRejoinTimer) OnRateRejoinTimer();
      return 0;
    case WM_KEY_EVENT:
      OnKeyEvent(wParam);
      return 1;
    case WM_LAUNCH_REFUSED:
      if (hooks_.launchRefused) hooks_.launchRefused();
      return 0;
    case WM_DOWNLOAD_DONE:
    case WM_DOWNLOAD_FAILED:
      OnDownloadResult();
      return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK KeyboardSession::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
  }
  auto* session = reinterpret_cast<KeyboardSession*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!session || message == WM_NCCREATE || message == WM_NCDESTROY) {
    if (message == WM_NCDESTROY && session) session->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  if (!session->window_) session->window_ = window;
  return session->HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
