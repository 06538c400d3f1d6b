// `sonvar devices` and `sonvar send`: phones are folders with a model profile, found through --phone or
// the devices folder beside the library; songs a query picks reach the phone through the panel's
// transfer and are reported as the report dialog reads; --plan sends nothing, --report writes the
// failures grouped by reason, --retry-failed sends only what failed last time; the pictures of the
// transfer dialog and its report.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kFormatRefused[] = "전송할 수 없는 파일 형식 입니다.";

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteText(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// The width and height a PNG file's header gives; 0 x 0 when it is no PNG.
std::pair<int, int> PngSize(const std::string& path) {
  const std::string bytes = ReadText(path);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  auto word = [&](std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
  };
  return {static_cast<int>(word(16)), static_cast<int>(word(20))};
}

// Lines of a text that start with a prefix.
std::vector<std::string> LinesStarting(const std::string& text, const std::string& prefix) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  return out;
}

class SonvarSendTest : public SonvarTest {
 protected:
  void SetUp() override {
    mp3_ = MakeSong({"neon/morning.mp3", "Morning", "Neon Coast", "Midnight", "Electronic"});
    ballad_ = MakeSong({"sky/봄날.mp3", "봄날", "하늘빛", "사계절", "Ballad"});
    ogg_ = MakeSong({"neon/night.ogg", "Night Drive", "Neon Coast", "Midnight", "Electronic"});
    SeedLibrary({mp3_, ballad_, ogg_});
  }

  // A folder phone: a profile and an empty music folder. Returns its root.
  std::string MakePhone(const std::string& root, const std::string& model = "SPH-M4650", int maxBitrate = 320) {
    fs::create_directories(root + "/MUSIC");
    WriteText(root + "/tyx_device.ini", "Model=" + model + "\nKind=2\nType=1\nFolder=\\MUSIC\nMaxFileName=36\nMaxBitrate=" +
                                            std::to_string(maxBitrate) + "\n");
    return root;
  }
  std::string PhoneFile(const std::string& root, const std::string& name) const { return root + "/MUSIC/" + name; }
  std::string LastReport() const { return Data() + "/last_transfer.csv"; }

  std::string mp3_, ballad_, ogg_;
};

// ---- devices ------------------------------------------------------------------------------------

TEST_F(SonvarSendTest, DevicesListsThePhonesOfTheDevicesFolderWithTheLastByNameCurrent) {
  MakePhone(Data() + "/devices/a-phone", "SPH-M4650");
  fs::create_directories(Data() + "/devices/b-player/MUSIC");
  WriteText(Data() + "/devices/b-player/tyx_device.ini", "Model=YP-T9\nKind=7\nType=2\nFolder=\\MUSIC\n");
  const ProgramRun run = SonvarData({"devices"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto current = LinesStarting(run.out, "*");
  ASSERT_EQ(current.size(), 1u) << run.out;
  EXPECT_THAT(current[0], HasSubstr("YP-T9"));
  EXPECT_THAT(current[0], HasSubstr("player"));
  EXPECT_THAT(current[0], HasSubstr("storage"));
  EXPECT_THAT(run.out, HasSubstr("SPH-M4650"));
  EXPECT_THAT(run.out, HasSubstr("\\MUSIC"));
  EXPECT_THAT(run.out, HasSubstr(fs::canonical(Data() + "/devices/a-phone").string()));
  EXPECT_THAT(run.err, HasSubstr("2 devices"));
}

TEST_F(SonvarSendTest, DevicesNamesAFolderThatIsNoPhoneListsTheOthersAndFails) {
  MakePhone(Data() + "/devices/phone");
  fs::create_directories(Data() + "/devices/stick");
  const ProgramRun run = SonvarData({"devices"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("/devices/stick is no phone"));
  EXPECT_THAT(run.out, HasSubstr("SPH-M4650"));

  // A phone given on the command line must be one.
  const ProgramRun given = SonvarData({"devices", "--phone", Data() + "/devices/stick"});
  EXPECT_EQ(given.exitCode, 1);
  EXPECT_THAT(given.err, HasSubstr("no phone at " + Data() + "/devices/stick"));
  EXPECT_EQ(given.out, "");
}

TEST_F(SonvarSendTest, DevicesWithoutAPhoneSaysHowToConnectOne) {
  const ProgramRun run = SonvarData({"devices"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_THAT(run.err, HasSubstr("no phone connected"));
  EXPECT_THAT(run.err, HasSubstr("--phone DIR"));
  EXPECT_THAT(run.err, HasSubstr(Data() + "/devices"));
  EXPECT_EQ(SonvarData({"devices", "extra"}).exitCode, 2);
}

// ---- send ---------------------------------------------------------------------------------------

TEST_F(SonvarSendTest, PickedSongsReachThePhoneAndTheReportIsPrinted) {
  const std::string phone = MakePhone(Root() + "/phone");
  const ProgramRun run = SonvarData({"send", "봄날", "--phone", phone});
  ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
  EXPECT_THAT(run.out, HasSubstr("sent: " + ballad_ + " -> \\MUSIC\\봄날.mp3"));
  EXPECT_THAT(run.out, HasSubstr("전송 완료 곡 수 : 1곡 / 총 1곡"));
  EXPECT_THAT(run.out, HasSubstr("선택한 파일이 기기로 모두 전송되었습니다."));
  EXPECT_THAT(run.out, HasSubstr("1 sent, 0 failed"));
  EXPECT_EQ(ReadText(PhoneFile(phone, "봄날.mp3")), ReadText(ballad_));
  // Only the picked song went.
  EXPECT_FALSE(fs::exists(PhoneFile(phone, "morning.mp3")));
  // The automatic-tagging question was answered no, and the person's settings kept as they were.
  EXPECT_THAT(run.err, HasSubstr("(answered: no)"));
  EXPECT_THAT(ReadText(Data() + "/settings.ini"), Not(HasSubstr("AUTOTAGGING-TRANS=TRUE")));
  // The report of a transfer without failures is kept, empty, for --retry-failed.
  EXPECT_EQ(ReadText(LastReport()), "reason,folder,file\n");
}

TEST_F(SonvarSendTest, RefusedSongsAreReportedWrittenAsCsvByReasonAndTheRunFails) {
  const std::string phone = MakePhone(Root() + "/phone", "SPH-M4650", 96);
  const std::string csv = Root() + "/failed.csv";
  const ProgramRun run = SonvarData({"-q", "send", "artist:neon", "봄날", "--phone", phone, "--report", csv});
  // "봄날" and "artist:neon" together pick nothing: the terms must all match.
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("no song matches"));

  const ProgramRun all = SonvarData({"-q", "send", "path:" + Music(), "--phone", phone, "--report", csv});
  EXPECT_EQ(all.exitCode, 1) << all.err;
  // The phone takes MP3 only, and none above 96 kbps: every song failed, each with its reason.
  EXPECT_THAT(all.out, HasSubstr("failed: " + ogg_ + ": " + kFormatRefused));
  EXPECT_THAT(all.out, HasSubstr("failed: " + mp3_ + ": 96kbps를 초과한 파일은 전송할 수 없습니다."));
  EXPECT_THAT(all.out, HasSubstr("전송 완료 곡 수 : 0곡 / 총 3곡"));
  EXPECT_THAT(all.out, HasSubstr("전송 실패 곡 수 : 3곡"));
  EXPECT_THAT(all.out, HasSubstr("night.ogg  " + std::string(kFormatRefused)));
  EXPECT_THAT(all.out, HasSubstr("0 sent, 3 failed"));
  EXPECT_FALSE(fs::exists(PhoneFile(phone, "night.ogg")));
  EXPECT_FALSE(fs::exists(PhoneFile(phone, "morning.mp3")));

  // The CSV groups the files of one reason together, and is the last report as well.
  const std::string text = ReadText(csv);
  const std::vector<std::string> lines = LinesStarting(text, "");
  ASSERT_EQ(lines.size(), 4u) << text;
  EXPECT_EQ(lines[0], "reason,folder,file");
  auto bitrate = [&](int i) { return lines[static_cast<std::size_t>(i)].find("kbps") != std::string::npos; };
  EXPECT_TRUE((bitrate(1) && bitrate(2) && !bitrate(3)) || (!bitrate(1) && bitrate(2) && bitrate(3))) << text;
  EXPECT_THAT(text, HasSubstr(std::string(kFormatRefused) + "," + Music() + "/neon/,night.ogg"));
  EXPECT_EQ(ReadText(LastReport()), text);

  // Alone, --report writes the last transfer's report again.
  const std::string copy = Root() + "/copy.csv";
  const ProgramRun again = SonvarData({"send", "--report", copy});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_THAT(again.err, HasSubstr("3 failed in the last transfer"));
  EXPECT_EQ(ReadText(copy), text);
}

TEST_F(SonvarSendTest, RetryFailedSendsOnlyWhatFailedLastTime) {
  const std::string phone = MakePhone(Root() + "/phone");
  // Room for one of the two MP3 songs (the profile counts as used).
  const auto biggest = std::max(fs::file_size(mp3_), fs::file_size(ballad_));
  const auto capacity = biggest + fs::file_size(phone + "/tyx_device.ini") + 4096;
  WriteText(phone + "/tyx_device.ini", ReadText(phone + "/tyx_device.ini") + "Capacity=" + std::to_string(capacity) + "\n");

  const ProgramRun none = SonvarData({"send", "--retry-failed", "--phone", phone});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_THAT(none.err, HasSubstr("no transfer has been made with this library yet"));

  const ProgramRun first = SonvarData({"-q", "send", "path:.mp3", "--phone", phone});
  EXPECT_EQ(first.exitCode, 1) << first.err;
  const auto sent = LinesStarting(first.out, "sent: ");
  const auto failed = LinesStarting(first.out, "failed: ");
  ASSERT_EQ(sent.size(), 1u) << first.out;
  ASSERT_EQ(failed.size(), 1u) << first.out;
  const std::string failedPath = failed[0].substr(8, failed[0].find(": ", 8) - 8);
  ASSERT_TRUE(failedPath == mp3_ || failedPath == ballad_) << failed[0];

  // The phone gets room, and only the song that failed is sent again.
  WriteText(phone + "/tyx_device.ini", "Model=SPH-M4650\nKind=2\nType=1\nFolder=\\MUSIC\n");
  const ProgramRun plan = SonvarData({"send", "--retry-failed", "--plan", "--phone", phone});
  ASSERT_EQ(plan.exitCode, 0) << plan.err;
  EXPECT_EQ(LinesStarting(plan.out, "send: ").size(), 1u) << plan.out;
  EXPECT_THAT(plan.out, HasSubstr("send: " + failedPath));

  const ProgramRun retry = SonvarData({"-q", "send", "--retry-failed", "--phone", phone});
  ASSERT_EQ(retry.exitCode, 0) << retry.err << retry.out;
  const auto resent = LinesStarting(retry.out, "sent: ");
  ASSERT_EQ(resent.size(), 1u) << retry.out;
  EXPECT_THAT(resent[0], HasSubstr("sent: " + failedPath + " -> "));
  EXPECT_TRUE(fs::exists(PhoneFile(phone, "morning.mp3")));
  EXPECT_TRUE(fs::exists(PhoneFile(phone, "봄날.mp3")));

  const ProgramRun nothing = SonvarData({"send", "--retry-failed", "--phone", phone});
  EXPECT_EQ(nothing.exitCode, 0);
  EXPECT_THAT(nothing.out, HasSubstr("nothing failed in the last transfer"));
}

TEST_F(SonvarSendTest, RetryFailedNamesFilesGoneFromTheLibraryAndRefusesADamagedReport) {
  const std::string phone = MakePhone(Root() + "/phone");
  WriteText(LastReport(), "reason,folder,file\nx," + Music() + "/sky/,봄날.mp3\nx," + Music() + "/,gone.mp3\n");
  const ProgramRun run = SonvarData({"send", "--retry-failed", "--phone", phone});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("not in the library any more: " + Music() + "/gone.mp3"));
  EXPECT_THAT(run.out, HasSubstr("sent: " + ballad_));
  EXPECT_TRUE(fs::exists(PhoneFile(phone, "봄날.mp3")));

  WriteText(LastReport(), "reason,folder,file\n\"unended,x,y\n");
  const ProgramRun damaged = SonvarData({"send", "--retry-failed", "--phone", phone});
  EXPECT_EQ(damaged.exitCode, 1);
  EXPECT_THAT(damaged.err, HasSubstr("is damaged"));
}

TEST_F(SonvarSendTest, PlanChecksEverySongAgainstThePhoneAndSendsNothing) {
  const std::string phone = MakePhone(Root() + "/phone");
  fs::copy_file(mp3_, PhoneFile(phone, "morning.mp3"));
  const ProgramRun run = SonvarData({"send", "path:" + Music(), "--plan", "--phone", phone});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("already on the phone: " + mp3_ + " -> \\MUSIC\\morning.mp3"));
  EXPECT_THAT(run.out, HasSubstr("refused (format): " + ogg_ + ": " + kFormatRefused));
  EXPECT_THAT(run.out, HasSubstr("send: " + ballad_ + " -> \\MUSIC\\봄날.mp3"));
  EXPECT_THAT(run.out, HasSubstr("1 to send"));
  EXPECT_THAT(run.out, HasSubstr("1 already on the phone, 1 refused"));
  EXPECT_THAT(run.out, HasSubstr("free on SPH-M4650"));
  EXPECT_FALSE(fs::exists(PhoneFile(phone, "봄날.mp3")));
  EXPECT_FALSE(fs::exists(LastReport()));
}

TEST_F(SonvarSendTest, WithoutAPhoneOrWithAPhoneInRingToneModeNothingIsSent) {
  const ProgramRun none = SonvarData({"send", "봄날"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_THAT(none.err, HasSubstr("nothing was sent: no phone is connected"));
  EXPECT_THAT(none.err, HasSubstr("--phone DIR"));
  EXPECT_EQ(SonvarData({"send", "봄날", "--plan"}).exitCode, 1);

  const std::string phone = MakePhone(Data() + "/devices/phone");
  WriteText(phone + "/tyx_device.ini", "Model=SPH-M4650\nKind=2\nType=4\nFolder=\\MUSIC\n");
  const ProgramRun ringtone = SonvarData({"send", "봄날"});
  EXPECT_EQ(ringtone.exitCode, 1);
  EXPECT_THAT(ringtone.err, HasSubstr("nothing was sent: 벨소리 연결모드에서는 전송할 수 없습니다."));
  EXPECT_FALSE(fs::exists(PhoneFile(phone, "봄날.mp3")));
  EXPECT_FALSE(fs::exists(LastReport()));
}

TEST_F(SonvarSendTest, UsageProblemsAreRefusedBeforeAnythingIsSent) {
  const std::string phone = MakePhone(Root() + "/phone");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"send"},
           {"send", "봄날", "--plan", "--report", Root() + "/x.csv"},
           {"send", "봄날", "--retry-failed"},
           {"send", "봄날", "--plan=yes"},
           {"send", "colour:blue"},
           {"send", "봄날", "--format", "title"}}) {
    const ProgramRun run = SonvarData(args);
    EXPECT_EQ(run.exitCode, 2) << args.back() << ": " << run.err;
    EXPECT_THAT(run.err, HasSubstr("sonvar send --help")) << args.back();
  }
  EXPECT_FALSE(fs::exists(PhoneFile(phone, "봄날.mp3")));
  const ProgramRun noReport = SonvarData({"send", "--report", Root() + "/x.csv"});
  EXPECT_EQ(noReport.exitCode, 1);
  EXPECT_FALSE(fs::exists(Root() + "/x.csv"));
  const ProgramRun help = SonvarData({"send", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.out, HasSubstr("--retry-failed"));
}

// ---- pictures -----------------------------------------------------------------------------------

TEST_F(SonvarSendTest, ShotDrawsTheTransferDialogAndTheReportOfARealSend) {
  const std::string phone = MakePhone(Root() + "/phone");
  const std::string dialog = Root() + "/transfer.png";
  const ProgramRun run = SonvarData({"shot", "transfer", "path:.mp3", "--png", dialog, "--phone", phone});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(PngSize(dialog), std::make_pair(494, 250));
  EXPECT_THAT(run.err, HasSubstr("wrote " + dialog + " (494 x 250)"));
  // Every skin image of the frame and its buttons was there.
  EXPECT_THAT(run.err, Not(HasSubstr("missing")));
  EXPECT_TRUE(fs::exists(PhoneFile(phone, "morning.mp3")));

  // A report with a failed song keeps its list: the window is 300 high.
  const std::string report = Root() + "/report.png";
  const ProgramRun failed = SonvarData({"shot", "report", "artist:neon", "--png", report, "--phone", phone});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(PngSize(report), std::make_pair(494, 300));
  EXPECT_THAT(failed.out, HasSubstr("failed: " + ogg_));
  EXPECT_THAT(failed.out + failed.err, HasSubstr("wrote " + report));
  EXPECT_THAT(failed.out + failed.err, Not(HasSubstr("missing")));

  EXPECT_EQ(SonvarData({"shot", "report", "--png", report, "--phone", phone}).exitCode, 2);
  EXPECT_EQ(SonvarData({"shot", "library", "--png", report, "--phone", phone}).exitCode, 2);
}

}  // namespace
}  // namespace TYX::Test
