// An update server that answers the check with garbage, a huge body, a
// redirect loop, a trickle or nothing at all: the check ends with "download
// failed" (1) or "unreadable" (2) within its bounds, and leaves no file
// behind. A sound redirect is still followed.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "update/firmware_download.h"
#include "update/update_check.h"
#include "update_server_folder.h"
#include "update_windows.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

using test::ReadWholeFile;

const std::string kDescriptionPath = "/software/Q730X/newver.xml";
const std::string kImagePath = test::kImagePath;

class HostileUpdateServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.available()) << "the test session started no update server (python3?)";
    server_.SetFaults("");
    folder_ = test::TestFolder() + L"hostile-update-server\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    CreateDirectoryW((folder_ + L"FWUpdate").c_str(), nullptr);
    const std::wstring image = server_.Url(kImagePath);
    description_ = "<update><firmware><current>V1.3</current><newfile>" + std::string(image.begin(), image.end()) +
                   "</newfile></firmware></update>\n";
    ASSERT_TRUE(server_.Put(kDescriptionPath, description_));
    ASSERT_TRUE(server_.Put(kImagePath, test::FirmwareImage("1.3")));
  }
  void TearDown() override { server_.SetFaults(""); }

  // One firmware check against the description as the faults say, with the
  // product's limits unless others are given; its time goes to elapsedMs_.
  UpdateOutcome Check(const std::string& faults, const DownloadLimits& limits = kDescriptionLimits) {
    server_.SetFaults(faults);
    server_.ClearRequests();
    UpdateCheckRequest request;
    request.firmwareMajor = 1;
    request.firmwareMinor = 2;
    request.folder = folder_;
    request.url = server_.Url(kDescriptionPath);
    request.limits = limits;
    const ULONGLONG start = GetTickCount64();
    const UpdateOutcome outcome = RunUpdateCheck(request);
    elapsedMs_ = GetTickCount64() - start;
    std::printf("%-55s outcome %d after %llu ms\n", faults.substr(0, faults.size() - 1).c_str(), int(outcome),
                elapsedMs_);
    return outcome;
  }
  bool NothingLeftBehind() const {
    return GetFileAttributesW((folder_ + L"FWUpdate\\newver.xml").c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetFileAttributesW((folder_ + L"FWUpdate\\newver.xml.part").c_str()) == INVALID_FILE_ATTRIBUTES;
  }
  std::size_t RequestsFor(const std::string& path) const {
    const std::string log = server_.Requests();
    std::size_t count = 0;
    for (std::size_t at = log.find(path); at != std::string::npos; at = log.find(path, at + 1)) ++count;
    return count;
  }

  test::UpdateServerFolder server_;
  std::wstring folder_;
  std::string description_;
  ULONGLONG elapsedMs_ = 0;
};

TEST_F(HostileUpdateServerTest, GarbageAHugeBodyAndARedirectLoopFailTheCheckQuickly) {
  const UpdateOutcome garbage = Check(kDescriptionPath + " garbage\n");
  EXPECT_TRUE(garbage == UpdateOutcome::DownloadFailed || garbage == UpdateOutcome::Unreadable) << int(garbage);
  EXPECT_LT(elapsedMs_, 10000u);

  // 50 MB without a length: read up to the description's limit, then given up.
  EXPECT_EQ(Check(kDescriptionPath + " huge 50\n"), UpdateOutcome::DownloadFailed);
  EXPECT_LT(elapsedMs_, 10000u);
  EXPECT_TRUE(NothingLeftBehind());

  EXPECT_EQ(Check(kDescriptionPath + " redirect-loop\n"), UpdateOutcome::DownloadFailed);
  EXPECT_LT(elapsedMs_, 10000u);
  EXPECT_EQ(RequestsFor(kDescriptionPath), 1u + kDescriptionLimits.maxRedirects) << server_.Requests();
  EXPECT_TRUE(NothingLeftBehind());

  // A single sound redirect is followed as before.
  const std::string moved = "/software/Q730X/moved.xml";
  ASSERT_TRUE(server_.Put(moved, description_));
  EXPECT_EQ(Check(kDescriptionPath + " moved " + moved + "\n"), UpdateOutcome::FirmwareNewer);
}

TEST_F(HostileUpdateServerTest, ATrickleAndASilentServerEndAtTheTimeLimit) {
  constexpr unsigned kLimitMs = 3000;
  const DownloadLimits limits{kDescriptionLimits.maxBytes, kLimitMs, kDescriptionLimits.maxRedirects};
  // One byte a second: each byte comes well within any wait, only the whole is too slow.
  EXPECT_EQ(Check(kDescriptionPath + " trickle 1\n", limits), UpdateOutcome::DownloadFailed);
  EXPECT_GE(elapsedMs_, kLimitMs - 100);
  EXPECT_LT(elapsedMs_, 2 * kLimitMs + 2000);
  EXPECT_TRUE(NothingLeftBehind());

  // Headers that never come.
  EXPECT_EQ(Check(kDescriptionPath + " slow 60000\n", limits), UpdateOutcome::DownloadFailed);
  EXPECT_LT(elapsedMs_, 2 * kLimitMs + 2000);
  EXPECT_TRUE(NothingLeftBehind());
}

TEST_F(HostileUpdateServerTest, AFirmwareImageBeyondItsLimitIsRefusedAndNotKept) {
  server_.SetFaults(kImagePath + " huge 50\n");
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), L""}, folder_), FirmwareDownloadResult::Failed);
  std::printf("a 50 MB image against the 32 MB limit: refused after %llu ms\n", GetTickCount64() - start);
  EXPECT_EQ(GetFileAttributesW((folder_ + kFirmwareImageFile).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW((folder_ + kFirmwareImageFile + L".part").c_str()), INVALID_FILE_ATTRIBUTES);
  // Within the limit, a body without a length is whole when the line closes.
  server_.SetFaults(kImagePath + " huge 2\n");
  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), L""}, folder_), FirmwareDownloadResult::Ready);
  EXPECT_EQ(ReadWholeFile(folder_ + kFirmwareImageFile).size(), 2u * 1024 * 1024);
  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), L""}, folder_, {1024 * 1024, 10000, 5}),
            FirmwareDownloadResult::Failed);

  // The same image trickling: the limit given ends it.
  server_.SetFaults(kImagePath + " trickle 1\n");
  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), L""}, folder_, {1024 * 1024, 2000, 5}),
            FirmwareDownloadResult::Failed);
  server_.SetFaults("");
  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), L""}, folder_), FirmwareDownloadResult::Ready);
}

}  // namespace
}  // namespace q730x
