// The conversion option dialog driven as a person would: first-use defaults and stored choices, the VIA
// channel rule, the same-format confirmation, unsupported kinds, and the save folder.
#include "convert/media_converting_test_support.h"
#include "platform/os_services.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/radio_button.h"
#include "toolkit/skin_button.h"

namespace TYX::Dialog::Test {
namespace {

using namespace TYX::Win;
using Controls::TYX_ComboBox;
using Controls::TYX_Edit;
using Controls::TYX_ListCtrlEx;
using Controls::TYX_RadioButton;
using Controls::TYX_SkinButton;
using Dlg = TYX_MediaConverting_OptionDlg;
using TYX::Test::ScopedUserAgent;

TYX_ComboBox* Combo(Window& w, UINT id) { return static_cast<Dlg&>(w).GetControl<TYX_ComboBox>(id); }

class OptionDialog : public ConvertingTest {
 protected:
  std::string Key() const { return Dlg::SettingsKey(); }
  unsigned StoredInt(const char* name, unsigned fallback = 999) {
    return TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, Key(), name, fallback);
  }
};

TEST_F(OptionDialog, FirstUseShowsTheDefaultsAndOkStoresTheChoices) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  Dlg dlg;
  dlg.SetFileList({Entry(Wav("a.wav"))});
  agent->OnNextModal([&](Window& w) {
    EXPECT_EQ(Combo(w, Dlg::kFormatComboId)->GetSelectedText(), "MP3");
    EXPECT_EQ(Combo(w, Dlg::kBitrateComboId)->GetCurSel(), 7);
    EXPECT_EQ(Combo(w, Dlg::kBitrateComboId)->GetSelectedText(), "128 kbps");
    EXPECT_EQ(Combo(w, Dlg::kBitrateComboId)->GetCount(), 13);
    EXPECT_EQ(Combo(w, Dlg::kBitrateComboId)->FindStringExact("96 kbps"), -1);
    EXPECT_EQ(Combo(w, Dlg::kChannelComboId)->GetSelectedText(), "변환없음");
    auto& d = static_cast<Dlg&>(w);
    EXPECT_TRUE(d.GetControl<TYX_RadioButton>(Dlg::kSourceFolderRadioId)->GetCheck());
    EXPECT_FALSE(d.GetControl<TYX_RadioButton>(Dlg::kUserFolderRadioId)->GetCheck());
    EXPECT_EQ(d.GetControl<TYX_Edit>(Dlg::kPathEditId)->GetText(), "");
    EXPECT_FALSE(d.GetControl<TYX_Edit>(Dlg::kPathEditId)->IsWindowEnabled());
    EXPECT_EQ(d.GetControl<TYX_ListCtrlEx>(Dlg::kFileListId)->GetItemCount(), 1);
    EXPECT_TRUE(Combo(w, Dlg::kBitrateComboId)->SelectItemByText("192 kbps"));
    EXPECT_TRUE(Combo(w, Dlg::kFormatComboId)->SelectItemByText("VIA"));
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  ASSERT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(dlg.GetOutputType(), Dlg::OUTPUT_VIA);
  EXPECT_EQ(dlg.GetBitrate(), 192);
  EXPECT_TRUE(dlg.GetSaveToSource());
  EXPECT_EQ(StoredInt("Format"), 1u);
  EXPECT_EQ(StoredInt("Bitrate"), 9u);

  // The next dialog opens on the stored choices, whatever the caller's preset.
  Dlg again;
  again.SetFileList({Entry(Wav("b.wav"))});
  again.SetConvertOption(0, 1);
  agent->OnNextModal([&](Window& w) {
    EXPECT_EQ(Combo(w, Dlg::kFormatComboId)->GetSelectedText(), "VIA");
    EXPECT_EQ(Combo(w, Dlg::kBitrateComboId)->GetSelectedText(), "192 kbps");
    static_cast<Dlg&>(w).EndDialog(IDCANCEL);
  });
  EXPECT_EQ(again.DoModal(), IDCANCEL);
}

TEST_F(OptionDialog, ThePresetFormatIsTheDefaultUntilOneIsStoredAndFourChangesNothing) {
  ScopedUserAgent agent;
  for (const auto& [preset, expected] : std::vector<std::pair<int, std::string>>{{1, "VIA"}, {4, "MP3"}, {0, "MP3"}}) {
    SCOPED_TRACE(preset);
    Dlg dlg;
    dlg.SetFileList({Entry(Wav("a.wav"))});
    dlg.SetConvertOption(preset, 1);
    std::string shown;
    agent->OnNextModal([&](Window& w) {
      shown = Combo(w, Dlg::kFormatComboId)->GetSelectedText();
      static_cast<Dlg&>(w).EndDialog(IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_EQ(shown, expected);
  }
  EXPECT_EQ(StoredInt("Format"), 999u) << "cancelling stores nothing";
}

TEST_F(OptionDialog, ViaForcesMonoBelow45AndStereoAbove224) {
  ScopedUserAgent agent;
  Dlg dlg;
  dlg.SetFileList({Entry(Wav("a.wav"))});
  agent->OnNextModal([&](Window& w) {
    TYX_ComboBox* format = Combo(w, Dlg::kFormatComboId);
    TYX_ComboBox* rate = Combo(w, Dlg::kBitrateComboId);
    TYX_ComboBox* channels = Combo(w, Dlg::kChannelComboId);
    // MP3 knows no such rule.
    EXPECT_TRUE(rate->SelectItemByText("40 kbps"));
    EXPECT_EQ(channels->GetSelectedText(), "변환없음");
    EXPECT_TRUE(format->SelectItemByText("VIA"));
    EXPECT_EQ(channels->GetSelectedText(), "Mono");
    EXPECT_TRUE(channels->IsWindowEnabled());
    // The person cannot have stereo at 40 kbps.
    EXPECT_TRUE(channels->SelectItemByText("Stereo"));
    EXPECT_EQ(channels->GetSelectedText(), "Mono");
    EXPECT_TRUE(rate->SelectItemByText("256 kbps"));
    EXPECT_EQ(channels->GetSelectedText(), "Stereo");
    EXPECT_TRUE(channels->SelectItemByText("Mono"));
    EXPECT_EQ(channels->GetSelectedText(), "Stereo");
    // In between the choice is the person's; choosing the format again sets "변환없음".
    EXPECT_TRUE(rate->SelectItemByText("128 kbps"));
    EXPECT_TRUE(channels->SelectItemByText("Mono"));
    EXPECT_EQ(channels->GetSelectedText(), "Mono");
    EXPECT_TRUE(format->SelectItemByText("MP3"));
    EXPECT_TRUE(format->SelectItemByText("VIA"));
    EXPECT_EQ(channels->GetSelectedText(), "변환없음");
    EXPECT_TRUE(rate->SelectItemByText("48 kbps"));
    EXPECT_TRUE(channels->SelectItemByText("Mono"));
    EXPECT_TRUE(static_cast<Dlg&>(w).ClickButton(IDOK));
  });
  ASSERT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.GetChannelOption(), Dlg::CHANNEL_MONO);
  EXPECT_EQ(dlg.GetBitrate(), 48);
}

TEST_F(OptionDialog, FilesAlreadyInTheFormatAreConfirmedOnceAndUnsupportedOnesNoticedOnce) {
  ScopedUserAgent agent;
  const FileEntry mp3a = Entry(Encoded("a.mp3", "libmp3lame"));
  const FileEntry wav = Entry(Wav("b.wav"));
  const FileEntry mp3c = Entry(Encoded("c.mp3", "libmp3lame"));
  FileEntry m4a = wav;
  m4a.path = dir_.File("d.m4a");
  m4a.fileType = FileType::M4A;
  FileEntry dcf = wav;
  dcf.path = dir_.File("e.dcf");
  dcf.fileType = FileType::DCF;
  Dlg dlg;
  dlg.SetFileList({m4a, mp3a, wav, dcf, mp3c});
  // The first OK is declined: the dialog stays and shows what is left.
  agent->ExpectMessageBox(IDOK, false, "지원되지 않는 포맷");
  agent->ExpectMessageBox(IDCANCEL, false, "선택 파일포멧과 변환 파일포멧이 같은 파일이 존재합니다.");
  agent->ExpectMessageBox(IDOK, false, "선택 파일포멧과 변환 파일포멧이 같은 파일이 존재합니다.");
  agent->ExpectMessageBox(IDOK, false, "지원되지 않는 포맷");
  int rowsAfterDecline = -1;
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    EXPECT_TRUE(d.ClickButton(IDOK));
    EXPECT_TRUE(IsWindow(w.GetSafeHwnd()));
    rowsAfterDecline = d.GetControl<TYX_ListCtrlEx>(Dlg::kFileListId)->GetItemCount();
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  ASSERT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(agent->AllAnswersUsed());
  // The unsupported file ahead of the question was gone already; the rest stayed.
  EXPECT_EQ(rowsAfterDecline, 4);
  ASSERT_EQ(dlg.GetFileList().size(), 1u);
  EXPECT_EQ(dlg.GetFileList()[0].path, wav.path);
  ASSERT_EQ(agent->Prompts().size(), 4u);
  for (const auto& p : agent->Prompts()) EXPECT_EQ(p.caption, "미디어 파일변환");
  EXPECT_EQ(agent->Prompts()[1].type & 0xF, MB_OKCANCEL);
  EXPECT_EQ(agent->Prompts()[1].text,
            "선택 파일포멧과 변환 파일포멧이 같은 파일이 존재합니다.\n해당 파일을 변환 리스트에서 삭제하고 계속 "
            "하시겠습니까?");
}

TEST_F(OptionDialog, OnlyMp3FilesToMp3LeaveNothingAndNoProgressDialogOpens) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::vector<std::uint32_t> songs = {Add(Encoded("a.mp3", "libmp3lame")), Add(Encoded("b.mp3", "libmp3lame"))};
  agent->ExpectMessageBox(IDOK, false, "선택 파일포멧과 변환 파일포멧이 같은 파일이 존재합니다.");
  agent->ExpectMessageBox(IDOK, false, "변환할 미디어 파일이 없습니다.");
  agent->OnNextModal([&](Window& w) { EXPECT_TRUE(static_cast<Dlg&>(w).ClickButton(IDOK)); });
  const TYX_MediaConvertingOutcome outcome = RunMediaConverting(nullptr, store_.get(), songs, 0, 0);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_FALSE(outcome.converted);
  EXPECT_EQ(agent->ModalCount(), 1);
  ASSERT_EQ(agent->Prompts().size(), 2u);
  EXPECT_EQ(agent->Prompts()[1].text,
            "변환할 미디어 파일이 없습니다.\n변환할 미디어 파일 리스트를 확인 하시고 다시 시도하여 주십시오.");
  EXPECT_EQ(LiveSongs(), 2u);
}

// Records where the folder chooser was asked to start.
class FolderAgent : public TYX::Test::ScriptedUserAgent {
 public:
  std::optional<std::string> ChooseFolder(const FolderRequest& request) override {
    initialFolders.push_back(request.initialFolder);
    return ScriptedUserAgent::ChooseFolder(request);
  }
  std::vector<std::string> initialFolders;
};

TEST_F(OptionDialog, AUserFolderMustBeGivenAndAChosenOneIsStoredWithItsSeparator) {
  auto agent = std::make_shared<FolderAgent>();
  SetUserAgent(agent);
  Dlg dlg;
  dlg.SetFileList({Entry(Wav("a.wav"))});
  agent->ExpectMessageBox(IDOK, false, "경로가 선택되지 않았습니다.");
  agent->ExpectFolder(dir_.File("out"));
  agent->ExpectFolder(std::nullopt);
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    EXPECT_TRUE(d.GetControl<TYX_RadioButton>(Dlg::kUserFolderRadioId)->Click());
    EXPECT_TRUE(d.GetControl<TYX_Edit>(Dlg::kPathEditId)->IsWindowEnabled());
    EXPECT_TRUE(d.ClickButton(IDOK));
    EXPECT_TRUE(IsWindow(w.GetSafeHwnd())) << "no folder: the dialog stays";
    EXPECT_TRUE(d.GetControl<TYX_SkinButton>(Dlg::kChangeButtonId)->Click());
    EXPECT_EQ(d.GetControl<TYX_Edit>(Dlg::kPathEditId)->GetText(), dir_.File("out/"));
    // A chooser that was cancelled changes nothing.
    EXPECT_TRUE(d.GetControl<TYX_SkinButton>(Dlg::kChangeButtonId)->Click());
    EXPECT_EQ(d.GetControl<TYX_Edit>(Dlg::kPathEditId)->GetText(), dir_.File("out/"));
    EXPECT_TRUE(d.GetControl<TYX_RadioButton>(Dlg::kSourceFolderRadioId)->Click());
    EXPECT_FALSE(d.GetControl<TYX_Edit>(Dlg::kPathEditId)->IsWindowEnabled());
    EXPECT_TRUE(d.GetControl<TYX_RadioButton>(Dlg::kUserFolderRadioId)->Click());
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  ASSERT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(agent->AllAnswersUsed());
  EXPECT_FALSE(dlg.GetSaveToSource());
  EXPECT_EQ(dlg.GetUserFolder(), dir_.File("out/"));
  EXPECT_EQ(TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, Key(), "SavePath", "?"), dir_.File("out/"));
  ASSERT_GE(agent->Prompts().size(), 2u);
  EXPECT_EQ(agent->Prompts()[0].caption, "오류");
  EXPECT_EQ(agent->Prompts()[1].kind, TYX::Test::Prompt::Kind::Folder);
  EXPECT_EQ(agent->Prompts()[1].text, "저장 폴더를 선택하세요");
  ASSERT_EQ(agent->initialFolders.size(), 2u);
  EXPECT_EQ(agent->initialFolders[0], Os::GetDocumentsFolder() + "/Sonvar PC Manager/뮤직");
  EXPECT_EQ(Dlg::NormalizeChosenFolder("/a//b/"), "/a/b/");
  // The stored folder is shown the next time.
  Dlg again;
  again.SetFileList({Entry(Wav("b.wav"))});
  std::string shown;
  agent->OnNextModal([&](Window& w) {
    shown = static_cast<Dlg&>(w).GetControl<TYX_Edit>(Dlg::kPathEditId)->GetText();
    static_cast<Dlg&>(w).EndDialog(IDCANCEL);
  });
  again.DoModal();
  EXPECT_EQ(shown, dir_.File("out/"));
}

}  // namespace
}  // namespace TYX::Dialog::Test
