// The keyboard session's profile copies with a download worker running while
// the user edits, switches profiles and keeps edits: every download writes
// exactly the profile it was started for, never the edits made after its
// start, and hands its result back through the mailbox. Run natively under
// ThreadSanitizer (scripts/race.sh), which fails on any data race.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

#include "device/session_profiles.h"
#include "model/key_layout_table.h"
#include "model/profile_buffers.h"

namespace q730x {
namespace {

constexpr int kDownloads = 40;
constexpr int kMarkPosition = 17;  // Caps Lock carries the number of the download

KeyCode Mark(int download) { return MakeKeyCode(std::uint8_t(0x04 + download % 26), std::uint8_t(download / 26)); }

MacroRecord Record(std::uint32_t id) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x41), MakeStep(STEP_RELEASE, 0x41)};
  MacroBuildInput in;
  in.id = id;
  in.name = u"m";
  MacroRecord record = *BuildMacroRecord(steps, in);
  record.SetPlayMode(1);
  return record;
}

// A keyboard that takes a little time per write; the odd downloads' matrix is refused.
DownloadSteps Keyboard(bool refuseMatrix, const MacroRecord& record) {
  DownloadSteps steps;
  steps.loadMacro = [record](std::uint32_t) { return std::optional<MacroRecord>(record); };
  steps.writeSlot = [](unsigned, const std::uint8_t*) {
    std::this_thread::sleep_for(std::chrono::microseconds(50));
    return true;
  };
  steps.writeMatrix = [refuseMatrix](const KeyMatrix&) { return !refuseMatrix; };
  steps.progress = [](int) {};
  steps.wait = [](unsigned) {};
  return steps;
}

class SessionRaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildDefaultMatrix();
    buffers::ClearAll();
    buffers::KeyMatrix = DefaultMatrix;
    for (int k = 0; k < 5; ++k) {  // five macro keys
      const int p = KeyLayoutTable[std::size_t(k)].position;
      buffers::KeyMatrix[p] = MakeMacroCode();
      buffers::AuxInfo[p].SetMacroId(0x100 + std::uint32_t(k));
      buffers::MacroUse[std::size_t(p)] = 0x100 + std::uint32_t(k);
    }
  }
};

TEST_F(SessionRaceTest, AWorkerWritesItsOwnCopyWhileTheUserEditsSwitchesAndKeepsEdits) {
  const MacroRecord record = Record(0x100);
  DownloadMailbox mailbox;
  std::mutex handOver;
  std::condition_variable started;
  std::shared_ptr<DownloadJob> next;
  std::atomic<bool> done{false};

  // The worker takes each job as the session's StartDownload hands it over.
  std::thread worker([&] {
    for (int n = 0; n < kDownloads; ++n) {
      std::shared_ptr<DownloadJob> job;
      {
        std::unique_lock hold(handOver);
        started.wait(hold, [&] { return next != nullptr; });
        job.swap(next);
      }
      MacroSlots slots;
      job->written = WriteSnapshot(job->snapshot, slots, Keyboard(n % 2 == 1, record));
      mailbox.Post(job);
    }
    done = true;
  });

  PendingEdits pending;
  ProfileSnapshot stored = SnapshotOfBuffers(0);
  int finished = 0;
  for (int n = 0; n < kDownloads; ++n) {
    buffers::KeyMatrix[kMarkPosition] = Mark(n);
    auto job = std::make_shared<DownloadJob>();
    job->snapshot = SnapshotOfBuffers(0);
    job->started = job->snapshot;
    job->id = std::uint64_t(n);
    {
      std::lock_guard hold(handOver);
      next = job;
    }
    started.notify_one();
    // The user goes on editing while the worker writes: keys, texts, the
    // profile's text field, and a profile switch that keeps the edits.
    std::shared_ptr<DownloadJob> result;
    for (int edit = 0; !result; ++edit, result = mailbox.Take()) {
      buffers::KeyMatrix[kMarkPosition] = Mark(n + 1 + edit % 7);
      buffers::AuxInfo[30].SetText(edit % 2 ? u"C:\\a.exe" : u"C:\\b.exe");
      buffers::ConfigInfo.text[0] = char16_t(u'a' + edit % 26);
      if (edit % 50 == 0) {
        pending.Keep(SnapshotOfBuffers(0));
        PutIntoBuffers(*pending.Take(0));
      }
      std::this_thread::yield();
    }
    ++finished;
    ASSERT_EQ(result->id, std::uint64_t(n));
    // Written: exactly the copy it was started with, macro keys pointed at their slots.
    EXPECT_EQ(result->snapshot.matrix[kMarkPosition], Mark(n)) << n;
    for (int k = 0; k < 5; ++k)
      EXPECT_EQ(result->snapshot.matrix[KeyLayoutTable[std::size_t(k)].position], MakeKeyboardMacroCode(1, std::uint8_t(k))) << n;
    // The edited profile is never touched by the worker.
    EXPECT_EQ(buffers::KeyMatrix[KeyLayoutTable[0].position], MakeMacroCode()) << n;
    ProfileSnapshot edited = SnapshotOfBuffers(0);
    if (result->written) {
      TakeWrittenKeys(edited.matrix, result->started.matrix, result->snapshot.matrix);
      EXPECT_EQ(edited.matrix[KeyLayoutTable[0].position], MakeKeyboardMacroCode(1, 0));
      EXPECT_NE(edited.matrix[kMarkPosition], Mark(n)) << "the edit made meanwhile stays";
      stored = result->snapshot;
    } else {
      PutBackUnchanged(edited, result->started, stored);
      EXPECT_NE(edited.matrix[kMarkPosition], Mark(n)) << "the edit made meanwhile stays";
      EXPECT_EQ(edited.matrix[KeyLayoutTable[0].position], stored.matrix[KeyLayoutTable[0].position]);
    }
  }
  worker.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(finished, kDownloads);
  EXPECT_EQ(mailbox.Take(), nullptr);
}

// A failed download puts back all it was going to replace: Restore's
// emptied text, rate 125, cleared link and zeroed macro use.
TEST_F(SessionRaceTest, AFailedRestorePutsBackTextRateLinkAndMacroUse) {
  buffers::ConfigInfo.reportRate = 1000;
  buffers::ConfigInfo.text[0] = u'x';
  buffers::ProCfg[0].enabled = 1;
  buffers::ProCfg[0].program[0] = u'g';
  const ProfileSnapshot stored = SnapshotOfBuffers(0);
  buffers::KeyMatrix = DefaultMatrix;
  buffers::ConfigInfo = ConfigInfo{};
  buffers::ConfigInfo.reportRate = 125;
  buffers::ProCfg[0] = ProgramLink{};
  std::fill(buffers::MacroUse.begin(), buffers::MacroUse.begin() + kMatrixPositions, 0u);
  const ProfileSnapshot started = SnapshotOfBuffers(0);
  ProfileSnapshot edited = started;
  PutBackUnchanged(edited, started, stored);
  PutIntoBuffers(edited);
  EXPECT_TRUE(SnapshotOfBuffers(0).SameEdits(stored));
  EXPECT_EQ(buffers::ConfigInfo.reportRate, 1000u);
  EXPECT_EQ(buffers::ConfigInfo.text[0], u'x');
  EXPECT_EQ(buffers::ProCfg[0].enabled, 1u);
  EXPECT_EQ(buffers::MacroUse[std::size_t(KeyLayoutTable[0].position)], 0x100u);
}

}  // namespace
}  // namespace q730x
