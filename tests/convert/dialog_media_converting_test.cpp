// The single-window conversion dialog driven as a person would: it opens on the stored choices and
// converts nothing until the button is pressed; the button stores the choices and converts with them;
// a user folder must be given; the VIA bit rate decides the channel count.
#include "convert/dialog_media_converting.h"
#include "convert/media_converting_test_support.h"
#include "convert/via_decode_reader.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/radio_button.h"

namespace TYX::Dialog::Test {
namespace {

using namespace TYX::Win;
using Dlg = TYX_Dialog_MediaConverting;
using Option = TYX_MediaConverting_OptionDlg;
using TYX::Test::ScopedUserAgent;

class SingleWindowConverting : public ConvertingTest {
 protected:
  unsigned StoredInt(const char* name) {
    return TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, Option::SettingsKey(), name, 999);
  }
};

TEST_F(SingleWindowConverting, TheButtonStoresTheChoicesAndConvertsWithThem) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, Option::SettingsKey(), "Bitrate", 4);  // "64 kbps"
  const std::string ogg = Encoded("a.ogg", "libvorbis", 0.6);
  Tag(ogg, "Alpha", "Band");
  const std::uint32_t songsBefore = 1;
  Dlg dlg;
  dlg.SetFileList({Entry(ogg)});
  dlg.SetLibrary(store_.get());
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    EXPECT_EQ(d.FormatCombo()->GetSelectedText(), "MP3");
    EXPECT_EQ(d.BitrateCombo()->GetSelectedText(), "64 kbps");
    EXPECT_EQ(d.BitrateCombo()->GetCount(), 13);
    // Nothing runs before the button.
    PumpMessages();
    EXPECT_FALSE(d.IsConverting());
    EXPECT_EQ(d.StatusOf(0), "");
    EXPECT_TRUE(d.BitrateCombo()->SelectItemByText("160 kbps"));
    EXPECT_TRUE(d.ClickButton(IDOK));
    EXPECT_TRUE(d.IsConverting());
    EXPECT_FALSE(d.FormatCombo()->IsWindowEnabled());
  });
  // One clean song: the dialog closes by itself.
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(dlg.StatusOf(0), "완료");
  EXPECT_EQ(StoredInt("Format"), 0u);
  EXPECT_EQ(StoredInt("Bitrate"), 8u);
  ASSERT_EQ(dlg.Targets()[0], dir_.File("a.mp3"));
  const auto decoded = Synth::DecodeFile(dir_.File("a.mp3"));
  ASSERT_TRUE(decoded.ok);
  EXPECT_NEAR(decoded.pcm.Seconds(), 0.6, 0.1);
  TYX_MediaPtr made = TYX_Media::Instance(dir_.File("a.mp3"));
  ASSERT_TRUE(made && made->IsValid());
  EXPECT_EQ(made->GetTitle(), "Alpha");
  EXPECT_EQ(made->GetBitRate() / 1000, 160u);
  EXPECT_EQ(LiveSongs(), songsBefore + 1);
}

TEST_F(SingleWindowConverting, AUserFolderMustBeGivenAndTheChosenOneIsUsed) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string wav = Wav("a.wav");
  {
    Dlg dlg;
    dlg.SetFileList({Entry(wav)});
    dlg.SetLibrary(store_.get());
    agent->ExpectMessageBox(IDOK, false, "경로가 선택되지 않았습니다.");
    agent->OnNextModal([&](Window& w) {
      auto& d = static_cast<Dlg&>(w);
      EXPECT_FALSE(d.PathEdit()->IsWindowEnabled());
      EXPECT_TRUE(d.UserFolderRadio()->Click());
      EXPECT_TRUE(d.PathEdit()->IsWindowEnabled());
      EXPECT_TRUE(d.ClickButton(IDOK));
      EXPECT_FALSE(d.IsConverting());
      EXPECT_TRUE(d.FormatCombo()->IsWindowEnabled());
      EXPECT_TRUE(d.ClickButton(IDCANCEL));
    });
    // Cancelled before the start: nothing made, nothing stored.
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(agent->Prompts().size(), 1u);
    EXPECT_EQ(agent->Prompts()[0].caption, "오류");
    EXPECT_EQ(StoredInt("Format"), 999u);
    EXPECT_FALSE(Synth::DecodeFile(dir_.File("a.mp3")).ok);
    EXPECT_EQ(LiveSongs(), 1u);
  }
  dir_.Write("out/keep", "");
  Dlg dlg;
  dlg.SetFileList({Entry(wav)});
  dlg.SetLibrary(store_.get());
  agent->ExpectFolder(dir_.File("out"));
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    EXPECT_TRUE(d.UserFolderRadio()->Click());
    EXPECT_TRUE(d.ClickButton(Dlg::kChangeButtonId));
    EXPECT_EQ(d.PathEdit()->GetText(), dir_.File("out/"));
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, Option::SettingsKey(), "SavePath", ""), dir_.File("out/"));
  ASSERT_EQ(dlg.StatusOf(0), "완료");
  EXPECT_EQ(dlg.Targets()[0], dir_.File("out/a.mp3"));
  EXPECT_TRUE(Synth::DecodeFile(dir_.File("out/a.mp3")).ok);
  EXPECT_TRUE(agent->AllAnswersUsed());
}

TEST_F(SingleWindowConverting, TheViaBitRateDecidesTheChannelCount) {
  EXPECT_EQ(Dlg::ChannelOptionFor(Option::OUTPUT_VIA, 40), Option::CHANNEL_MONO);
  EXPECT_EQ(Dlg::ChannelOptionFor(Option::OUTPUT_VIA, 48), Option::CHANNEL_KEEP);
  EXPECT_EQ(Dlg::ChannelOptionFor(Option::OUTPUT_VIA, 224), Option::CHANNEL_KEEP);
  EXPECT_EQ(Dlg::ChannelOptionFor(Option::OUTPUT_VIA, 256), Option::CHANNEL_STEREO);
  EXPECT_EQ(Dlg::ChannelOptionFor(Option::OUTPUT_MP3, 40), Option::CHANNEL_KEEP);

  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  Dlg dlg;
  dlg.SetFileList({Entry(Wav("stereo.wav", 0.5, 2))});
  dlg.SetLibrary(store_.get());
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    EXPECT_TRUE(d.FormatCombo()->SelectItemByText("VIA"));
    EXPECT_TRUE(d.BitrateCombo()->SelectItemByText("40 kbps"));
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  ASSERT_EQ(dlg.StatusOf(0), "완료");
  ASSERT_EQ(dlg.Targets()[0], dir_.File("stereo.via"));
  Convert::ViaDecodeReader reader;
  ASSERT_TRUE(reader.Open(dlg.Targets()[0]));
  EXPECT_EQ(reader.Channels(), 1);
  reader.Stop();
}

}  // namespace
}  // namespace TYX::Dialog::Test
