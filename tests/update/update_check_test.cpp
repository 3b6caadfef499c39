// The update check and the firmware image download against the session's
// local update server: each outcome of the check, what it keeps for the
// firmware download, fresh downloads although the address stays the same,
// and the integrity check of the image. Also the burn tool's image format.
#include <gtest/gtest.h>

#include <windows.h>

#include "firmware_image.h"
#include "update/firmware_download.h"
#include "update/update_address.h"
#include "update/update_check.h"
#include "update/web_download.h"
#include "update_server_folder.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

using test::FirmwareImage;
using test::ReadWholeFile;

const std::string kImagePath = "/software/Q730X/KavexGameDevice.MTP";

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.available()) << "the test session started no update server (python3?)";
    server_.SetFaults("");
    folder_ = test::TestFolder() + L"update-check\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    CreateDirectoryW((folder_ + L"FWUpdate").c_str(), nullptr);
    SetNewFirmwareLocation({});
  }
  void TearDown() override { server_.SetFaults(""); }

  UpdateOutcome Check(UpdateKind kind, unsigned major, unsigned minor, std::wstring version = L"Version V1.9") {
    UpdateCheckRequest request;
    request.kind = kind;
    request.firmwareMajor = major;
    request.firmwareMinor = minor;
    request.programVersion = std::move(version);
    request.folder = folder_;
    request.url = server_.Url("/software/Q730X/newver.xml");
    return RunUpdateCheck(request);
  }
  std::string Firmware(const std::string& current, const std::string& extra = "") {
    return "<current>" + current + "</current><newfile>" + ImageUrl() + "</newfile>" + extra;
  }
  std::string ImageUrl() {
    const std::wstring url = server_.Url(kImagePath);
    return std::string(url.begin(), url.end());
  }

  test::UpdateServerFolder server_;
  std::wstring folder_;
};

// Only the administrators' switch names another server: a program of the
// user can set the environment of the elevated utility, not that key.
TEST(UpdateAddress, TheMakersServerOverHttpsUnlessTheAdministratorsSwitchNamesAnother) {
  test::SetOverride(kUpdateServerOverride, nullptr);
  SetEnvironmentVariableW(L"Q730X_UPDATE_SERVER", L"http://127.0.0.1:8666");
  EXPECT_EQ(UpdateDescriptionUrl(), L"https://www.kavex.com/software/Q730X/newver.xml");
  SetEnvironmentVariableW(L"Q730X_UPDATE_SERVER", nullptr);
  test::SetOverride(kUpdateServerOverride, L"http://127.0.0.1:8123/");
  EXPECT_EQ(UpdateDescriptionUrl(), L"http://127.0.0.1:8123/software/Q730X/newver.xml");
  test::SetOverride(kUpdateServerOverride, nullptr);
}

TEST(VersionValues, TwoDigitsFromFixedPlacesAnythingElseCountsZero) {
  EXPECT_EQ(DescriptionVersionValue(u"V1.3"), 13);
  EXPECT_EQ(DescriptionVersionValue(u"Vx.3"), 3);
  EXPECT_EQ(ProgramVersionValue(L"Version V1.9"), 19);
  EXPECT_EQ(ProgramVersionValue(L"V1"), 0);
  EXPECT_EQ(VersionDigit(L'a'), 0);
}

TEST_F(UpdateCheckTest, FirmwareOutcomesFollowTheTwoDigitValues) {
  ASSERT_TRUE(server_.PutDescription(Firmware("V1.3", "<sha256>AB12</sha256>"), ""));
  EXPECT_EQ(Check(UpdateKind::Firmware, 1, 2), UpdateOutcome::FirmwareNewer);
  const FirmwareOffer offer = NewFirmwareLocation();
  EXPECT_EQ(offer.location, server_.Url(kImagePath));
  EXPECT_EQ(offer.sha256, L"AB12");
  EXPECT_EQ(Check(UpdateKind::Firmware, 1, 3), UpdateOutcome::FirmwareNotOlder);
  EXPECT_EQ(Check(UpdateKind::Firmware, 1, 10), UpdateOutcome::FirmwareNotOlder) << "1.10 has the value 20";
  EXPECT_NE(ReadWholeFile(folder_ + L"FWUpdate\\newver.xml").find("V1.3"), std::string::npos)
      << "the description stays in FWUpdate";

  // The same address with new content: the new content counts.
  ASSERT_TRUE(server_.PutDescription(Firmware("V1.30"), ""));
  EXPECT_EQ(Check(UpdateKind::Firmware, 1, 2), UpdateOutcome::None) << "5 characters: no message";

  // No firmware version known: no message and no request at all.
  server_.ClearRequests();
  EXPECT_EQ(Check(UpdateKind::Firmware, 0, 0), UpdateOutcome::None);
  EXPECT_EQ(Check(UpdateKind::Driver, 0, 0), UpdateOutcome::None);
  EXPECT_EQ(server_.Requests(), "");
}

TEST_F(UpdateCheckTest, DriverOutcomesCompareWithTheProgramsVersionText) {
  const std::string driver = "<current>V2.0</current><newfile>http://example.test/setup.exe</newfile>";
  ASSERT_TRUE(server_.PutDescription("", driver));
  EXPECT_EQ(Check(UpdateKind::Driver, 1, 2, L"Version V1.9"), UpdateOutcome::DriverNewer);
  EXPECT_EQ(NewDriverLocation(), L"http://example.test/setup.exe");
  EXPECT_EQ(Check(UpdateKind::Driver, 1, 2, L"Version V2.0"), UpdateOutcome::DriverNotOlder);
  EXPECT_EQ(Check(UpdateKind::Firmware, 1, 2), UpdateOutcome::Unreadable) << "no firmware part";

  // An empty driver location spoils a driver check only.
  ASSERT_TRUE(server_.PutDescription(Firmware("V1.3"), "<current>V2.0</current><newfile></newfile>"));
  EXPECT_EQ(Check(UpdateKind::Driver, 1, 2), UpdateOutcome::Unreadable);
  EXPECT_EQ(Check(UpdateKind::Firmware, 1, 2), UpdateOutcome::FirmwareNewer);
}

TEST_F(UpdateCheckTest, FailuresOfTheServerAndOfTheDescription) {
  ASSERT_TRUE(server_.PutDescription(Firmware("V1.3"), ""));
  server_.SetFaults("/software/Q730X/newver.xml 404\n");
  EXPECT_EQ(Check(UpdateKind::Firmware, 1, 2), UpdateOutcome::DownloadFailed);
  EXPECT_EQ(ReadWholeFile(folder_ + L"FWUpdate\\newver.xml"), "") << "no stale copy is left";
  server_.SetFaults("");

  ASSERT_TRUE(server_.Put("/software/Q730X/newver.xml", "<update><firmware><current>V1.3</current>"));
  EXPECT_EQ(Check(UpdateKind::Firmware, 1, 2), UpdateOutcome::Unreadable);

  // A body cut off half-way is a failed download.
  ASSERT_TRUE(server_.PutDescription(Firmware("V1.3"), ""));
  server_.SetFaults("/software/Q730X/newver.xml cut\n");
  EXPECT_EQ(Check(UpdateKind::Firmware, 1, 2), UpdateOutcome::DownloadFailed);
  server_.SetFaults("");

  // Nothing listens: the download fails.
  UpdateCheckRequest request;
  request.firmwareMajor = 1;
  request.folder = folder_;
  request.url = L"http://127.0.0.1:1/software/Q730X/newver.xml";
  EXPECT_EQ(RunUpdateCheck(request), UpdateOutcome::DownloadFailed);

  // The check does not make the FWUpdate folder.
  const std::wstring bare = folder_ + L"without-fwupdate\\";
  CreateDirectoryW(bare.c_str(), nullptr);
  request.folder = bare;
  request.url = server_.Url("/software/Q730X/newver.xml");
  EXPECT_EQ(RunUpdateCheck(request), UpdateOutcome::DownloadFailed);
  EXPECT_EQ(GetFileAttributesW((bare + L"FWUpdate").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UpdateCheckTest, TheImageArrivesByteForByteAndMustMatchItsDigest) {
  const std::string image = FirmwareImage("1.3");
  ASSERT_TRUE(server_.Put(kImagePath, image));
  const std::wstring path = folder_ + kFirmwareImageFile;

  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), L""}, folder_), FirmwareDownloadResult::Ready);
  EXPECT_EQ(ReadWholeFile(path), image);

  const std::string digest = test::Sha256Hex(image);
  std::wstring upper(digest.begin(), digest.end());
  for (wchar_t& c : upper) c = wchar_t(towupper(c));
  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), upper}, folder_), FirmwareDownloadResult::Ready);
  EXPECT_EQ(ReadWholeFile(path), image);

  std::wstring wrong = upper;
  wrong[0] = wrong[0] == L'0' ? L'1' : L'0';
  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), wrong}, folder_), FirmwareDownloadResult::Rejected);
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "a rejected image is deleted";

  server_.SetFaults(kImagePath + " cut\n");
  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), L""}, folder_), FirmwareDownloadResult::Failed)
      << "half an image never passes, with or without a digest";
  server_.SetFaults(kImagePath + " 404\n");
  EXPECT_EQ(DownloadFirmwareImage({server_.Url(kImagePath), L""}, folder_), FirmwareDownloadResult::Failed);
}

TEST(FileSha256, KnownDigest) {
  const std::wstring path = test::TestFolder() + L"sha256-abc.txt";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "abc", 3, &written, nullptr);
  CloseHandle(file);
  EXPECT_EQ(FileSha256(path), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(FileSha256(path + L".missing"), L"");
}

TEST(BurnImage, TheFirstLineCarriesTheVersionAnythingElseIsDamaged) {
  const auto good = burn::ReadFirmwareImage("Q730X firmware 1.3\r\n\x01\x02");
  ASSERT_TRUE(good);
  EXPECT_EQ(good->major, 1);
  EXPECT_EQ(good->minor, 3);
  EXPECT_TRUE(burn::ReadFirmwareImage("Q730X firmware 2.10"));
  for (const char* damaged : {"", "Q730X firmware", "Q730X firmware 1.", "Q730X firmware 0.4\n",
                              "Q730X firmware 1.256\n", "Q730X firmware 1.3x\n", "q730x firmware 1.3\n",
                              "XX\nQ730X firmware 1.3\n"})
    EXPECT_FALSE(burn::ReadFirmwareImage(damaged)) << damaged;
}

}  // namespace
}  // namespace q730x
