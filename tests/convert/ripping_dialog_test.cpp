// The ripping dialog driven as a person would, over the real extraction worker, real cue/bin images,
// a SQLite library and TagLib tags: options and their registry values, folders, names on a second rip,
// cancel, failed tracks, and the verification of rips against earlier rips of the same disc.
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <cinttypes>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

#include "contracts/media.h"
#include "convert/ripping_dialog.h"
#include "convert/ripping_request.h"
#include "ripping_test_support.h"
#include "toolkit/check_box.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/progress_bar.h"
#include "toolkit/skin_button.h"

namespace TYX::Convert::Test {
namespace {

using Dlg = Dialog::TYX_Dialog_Ripping;
using TYX::Test::ScopedUserAgent;
using namespace TYX::Win;

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> out;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") out.push_back(n);
    }
    ::closedir(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

unsigned RegInt(const char* name, unsigned fallback = 12345) {
  return Util::TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, Dlg::SettingsKey(), name, fallback);
}

std::vector<Dlg::TYX_Rip_Info> AllTracks(const Disc& d) {
  std::vector<Dlg::TYX_Rip_Info> out;
  for (std::size_t t = 0; t < d.tracks.size(); ++t) {
    out.push_back({0, static_cast<std::int32_t>(t), static_cast<std::int32_t>(d.trackBytes[t] / 176400)});
  }
  return out;
}

std::string Hex(std::uint32_t v) {
  char s[16];
  std::snprintf(s, sizeof s, "%08" PRIX32, v);
  return s;
}

// The nominal bit rate in an Ogg Vorbis file's identification header.
std::int32_t OggNominalBitrate(const std::string& path) {
  const std::string bytes = TYX::Test::ReadFileBytes(path);
  const std::size_t at = bytes.find("\x01vorbis");
  if (at == std::string::npos || at + 24 > bytes.size()) return -1;
  return static_cast<std::int32_t>(Synth::Get32(bytes, at + 7 + 4 + 1 + 4 + 4));
}

// A person types the album details and presses OK.
void TypeAndRip(Dlg& d, const std::string& artist, const std::string& album) {
  EXPECT_TRUE(d.ArtistEdit()->TypeText(artist));
  EXPECT_TRUE(d.AlbumEdit()->TypeText(album));
  EXPECT_TRUE(d.ClickButton(IDOK));
}

class RippingDialogTest : public ::testing::Test {
 protected:
  // Opens the dialog over the tracks; `act` runs when it opens. Returns the modal result.
  int Run(Dlg& dlg, const std::vector<Dlg::TYX_Rip_Info>& tracks, std::function<void(Dlg&)> act) {
    dlg.SetFileList(tracks);
    dlg.SetLibrary(world.store.get());
    dlg.SetRipHistoryFolder(world.History());
    agent->OnNextModal([act](Window& w) { act(static_cast<Dlg&>(w)); });
    const int result = dlg.DoModal();
    EXPECT_FALSE(watchdog.Fired());
    return result;
  }

  RipWorld world;
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
};

TEST_F(RippingDialogTest, FirstUseOffersOggAt128WithTheMusicFolderAndEveryTrackWaiting) {
  const Disc disc = MakeDisc(world.dir, "d", 2, 0.3);
  world.InsertDisc(disc);
  Dlg dlg;
  int result = Run(dlg, AllTracks(disc), [&](Dlg& d) {
    EXPECT_EQ(d.FormatCombo()->GetCurSel(), 1);
    EXPECT_EQ(d.FormatCombo()->GetSelectedText(), "OGG");
    EXPECT_EQ(d.BitrateCombo()->GetCount(), 11);
    EXPECT_EQ(d.BitrateCombo()->GetCurSel(), 5);
    EXPECT_EQ(d.BitrateCombo()->GetSelectedText(), "128kbps");
    EXPECT_TRUE(d.BitrateCombo()->IsWindowVisible());
    EXPECT_FALSE(d.VbrCheck()->GetCheck());
    EXPECT_TRUE(d.VbrCheck()->IsWindowEnabled());
    EXPECT_FALSE(d.QualityCombo()->IsWindowVisible());
    EXPECT_EQ(d.QualityCombo()->GetSelectedText(), "Q5");
    EXPECT_EQ(d.PathEdit()->GetText(), world.SaveRoot());
    ASSERT_EQ(d.TrackList()->GetItemCount(), 2);
    EXPECT_EQ(d.TrackList()->GetCellText(0, 0), "Track01.cda");
    EXPECT_EQ(d.TrackList()->GetCellText(1, 0), "Track02.cda");
    EXPECT_EQ(d.TrackList()->GetCellText(1, 1), "대기중");
    EXPECT_EQ(d.GetWindowRect().Width(), 400);
    EXPECT_EQ(d.GetWindowRect().Height(), 430);
    EXPECT_TRUE(d.ClickButton(IDCANCEL));
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(agent->Prompts().empty());
  // Nothing was ripped, so nothing was written.
  EXPECT_EQ(RegInt("Format"), 12345u);
  EXPECT_FALSE(Exists(world.SaveRoot()));
}

TEST_F(RippingDialogTest, TheFormatChoosesTheBitRateListAndOnlyOggOffersVariableBitRate) {
  const Disc disc = MakeDisc(world.dir, "d", 1, 0.3);
  world.InsertDisc(disc);
  Dlg dlg;
  Run(dlg, AllTracks(disc), [&](Dlg& d) {
    ASSERT_TRUE(d.VbrCheck()->Click());
    EXPECT_TRUE(d.QualityCombo()->IsWindowVisible());
    EXPECT_FALSE(d.BitrateCombo()->IsWindowVisible());
    // MP3: the box is cleared and disabled, the MP3 list is back at 128kbps.
    ASSERT_TRUE(d.FormatCombo()->SelectItem(0));
    EXPECT_FALSE(d.VbrCheck()->GetCheck());
    EXPECT_FALSE(d.VbrCheck()->IsWindowEnabled());
    EXPECT_FALSE(d.QualityCombo()->IsWindowVisible());
    EXPECT_TRUE(d.BitrateCombo()->IsWindowVisible());
    EXPECT_EQ(d.BitrateCombo()->GetCount(), 13);
    EXPECT_EQ(d.BitrateCombo()->GetSelectedText(), "128kbps");
    ASSERT_TRUE(d.FormatCombo()->SelectItem(2));
    EXPECT_EQ(d.BitrateCombo()->GetCount(), 9);
    EXPECT_EQ(d.BitrateCombo()->GetCurSel(), 4);
    EXPECT_EQ(d.BitrateCombo()->GetSelectedText(), "128kbps");
    ASSERT_TRUE(d.FormatCombo()->SelectItem(3));
    EXPECT_FALSE(d.BitrateCombo()->IsWindowVisible());
    EXPECT_EQ(d.BitrateCombo()->GetCurSel(), -1);
    EXPECT_FALSE(d.VbrCheck()->IsWindowEnabled());
    ASSERT_TRUE(d.FormatCombo()->SelectItem(4));
    EXPECT_EQ(d.BitrateCombo()->GetSelectedText(), "128kbps");
    ASSERT_TRUE(d.FormatCombo()->SelectItem(1));
    EXPECT_TRUE(d.VbrCheck()->IsWindowEnabled());
    EXPECT_TRUE(d.BitrateCombo()->IsWindowVisible());
    ASSERT_TRUE(d.VbrCheck()->Click());
    ASSERT_TRUE(d.VbrCheck()->Click());
    EXPECT_FALSE(d.QualityCombo()->IsWindowVisible());
    EXPECT_TRUE(d.BitrateCombo()->IsWindowVisible());
    EXPECT_TRUE(d.ClickButton(IDCANCEL));
  });
}

TEST_F(RippingDialogTest, MissingArtistAlbumOrFolderKeepsTheDialogOpenUnchanged) {
  const Disc disc = MakeDisc(world.dir, "d", 1, 0.3);
  world.InsertDisc(disc);
  // A stored empty folder is what the person sees; the chooser's answer replaces it.
  Util::TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, Dlg::SettingsKey(), "SavePath", "");
  for (int i = 0; i < 3; ++i) agent->ExpectMessageBox(IDOK);
  agent->ExpectFolder(std::nullopt);
  Dlg dlg;
  Run(dlg, AllTracks(disc), [&](Dlg& d) {
    EXPECT_TRUE(d.ClickButton(IDOK));
    d.ArtistEdit()->TypeText("A");
    EXPECT_TRUE(d.ClickButton(IDOK));
    d.AlbumEdit()->TypeText("B");
    EXPECT_TRUE(d.ClickButton(IDOK));
    EXPECT_FALSE(d.IsRipping());
    EXPECT_TRUE(d.ArtistEdit()->IsWindowEnabled());
    EXPECT_EQ(d.TrackList()->GetCellText(0, 1), "대기중");
    // A cancelled chooser changes nothing.
    d.PathButton()->Click();
    EXPECT_EQ(d.PathEdit()->GetText(), "");
    EXPECT_TRUE(d.ClickButton(IDCANCEL));
  });
  ASSERT_EQ(agent->Prompts().size(), 4u);
  EXPECT_EQ(agent->Prompts()[0].text, "아티스트명이 입력되지 않았습니다.");
  EXPECT_EQ(agent->Prompts()[0].caption, "오류");
  EXPECT_EQ(agent->Prompts()[1].text, "앨범명이 입력되지 않았습니다.");
  EXPECT_EQ(agent->Prompts()[2].text, "경로가 선택되지 않았습니다.");
  EXPECT_EQ(agent->Prompts()[3].text, "저장 폴더를 선택하세요");
  EXPECT_EQ(RegInt("Format"), 12345u);
}

TEST_F(RippingDialogTest, RipsTagsAndAddsEveryTrackThenVerifiesEachRipAgainstTheOneBefore) {
  const Disc disc = MakeDisc(world.dir, "d", 3, 0.6);
  world.InsertDisc(disc);
  const std::string chosen = world.dir.File("music") + "/Rips";
  agent->ExpectFolder(chosen + "//");
  Dlg first;
  const int result = Run(first, AllTracks(disc), [&](Dlg& d) {
    EXPECT_TRUE(d.PathButton()->Click());
    EXPECT_EQ(d.PathEdit()->GetText(), chosen + "/");
    ASSERT_TRUE(d.VbrCheck()->Click());
    TypeAndRip(d, "Artist A", "Album B");
    EXPECT_TRUE(d.IsRipping());
    EXPECT_EQ(d.StatusLine(), "CD 리핑중입니다.");
    EXPECT_FALSE(d.FormatCombo()->IsWindowEnabled());
    EXPECT_EQ(d.TrackList()->GetCellText(0, 1), "처리중");
    EXPECT_EQ(d.InfoLine(), "전체: 1 of 3");
    EXPECT_EQ(d.CurrentFileLine(), "현재파일 : Track01.cda");
  });
  // No problem: the dialog closed itself after the last track.
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(first.ProblemCount(), 0);
  EXPECT_EQ(first.StatusLine(), "CD 리핑을 완료하였습니다");
  EXPECT_EQ(first.InfoLine(), "전체: 3 of 3");
  const std::string folder = chosen + "/artist a/album b/";
  EXPECT_EQ(first.TargetFolder(), folder);
  EXPECT_EQ(Entries(folder), (std::vector<std::string>{"Track01.ogg", "Track02.ogg", "Track03.ogg", "rip.cue", "rip.log"}));
  // Registry: the options as ripped, the chosen folder.
  EXPECT_EQ(RegInt("Format"), 1u);
  EXPECT_EQ(RegInt("Bitrate"), 5u);
  EXPECT_EQ(RegInt("VBRYN"), 1u);
  EXPECT_EQ(RegInt("VBR_Quality"), 4u);
  EXPECT_EQ(Util::TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, Dlg::SettingsKey(), "SavePath", ""), chosen + "/");
  // Q5 is Vorbis quality 0.5: the header carries the nominal rate libvorbis gives that quality.
  vorbis_info vi;
  vorbis_info_init(&vi);
  ASSERT_EQ(vorbis_encode_init_vbr(&vi, 2, 44100, 0.5f), 0);
  const long nominal = vi.bitrate_nominal;
  vorbis_info_clear(&vi);
  EXPECT_EQ(OggNominalBitrate(folder + "Track01.ogg"), nominal);
  EXPECT_NE(nominal, 128000);
  // The sound is the disc's, each file tagged and in the library.
  const auto paths = world.LibraryPaths();
  for (int t = 0; t < 3; ++t) {
    char name[32];
    std::snprintf(name, sizeof name, "Track%02d", t + 1);
    const std::string file = folder + name + ".ogg";
    const auto decoded = Synth::DecodeFile(file);
    ASSERT_TRUE(decoded.ok) << file;
    EXPECT_GT(Synth::Correlate(disc.tracks[static_cast<std::size_t>(t)].Channel(1), decoded.pcm.Channel(1), 3000).correlation, 0.9);
    auto media = TYX_Media::Instance(file);
    ASSERT_TRUE(media && media->IsValid());
    EXPECT_EQ(media->GetTitle(), name);
    EXPECT_EQ(media->GetArtist(), "Artist A");
    EXPECT_EQ(media->GetAlbum(), "Album B");
    EXPECT_NE(std::find(paths.begin(), paths.end(), file), paths.end()) << file;
  }
  // The log carries each track's CRC32 as reckoned here over the image's bytes.
  const std::string log = TYX::Test::ReadFileBytes(folder + "rip.log");
  for (std::size_t t = 0; t < 3; ++t) {
    EXPECT_NE(log.find("CRC32:           " + Hex(BitwiseCrc32(disc.TrackPcm(t)))), std::string::npos) << t;
    EXPECT_EQ(first.RipLog().tracks[t].sums.crc32, BitwiseCrc32(disc.TrackPcm(t)));
  }
  EXPECT_NE(log.find("Drive:    " + disc.cue), std::string::npos);
  EXPECT_NE(log.find("first verified rip"), std::string::npos);
  const std::string cue = TYX::Test::ReadFileBytes(folder + "rip.cue");
  EXPECT_NE(cue.find("FILE \"Track03.ogg\" WAVE\n  TRACK 03 AUDIO"), std::string::npos);
  EXPECT_TRUE(agent->Prompts().size() == 1u);  // the folder chooser only

  // The same disc again into the same album: new names beside the old ones, and nothing differs.
  Dlg second;
  EXPECT_EQ(Run(second, AllTracks(disc), [&](Dlg& d) {
              EXPECT_TRUE(d.VbrCheck()->GetCheck());
              EXPECT_TRUE(d.QualityCombo()->IsWindowVisible());
              EXPECT_EQ(d.PathEdit()->GetText(), chosen + "/");
              TypeAndRip(d, "Artist A", "Album B");
            }),
            IDOK);
  EXPECT_EQ(second.CurrentTarget(), folder + "Track03[1].ogg");
  EXPECT_TRUE(Exists(folder + "Track01[1].ogg"));
  EXPECT_TRUE(Exists(folder + "Track02[1].ogg"));
  EXPECT_EQ(second.RipLogPath(), folder + "rip[1].log");
  EXPECT_EQ(second.RipLog().DifferingTracks(), std::vector<int>{});
  const std::string log2 = TYX::Test::ReadFileBytes(folder + "rip[1].log");
  EXPECT_NE(log2.find("No track differs from an earlier rip."), std::string::npos);
  EXPECT_NE(log2.find("same checksums as the rip of"), std::string::npos);
  EXPECT_NE(TYX::Test::ReadFileBytes(folder + "rip[1].cue").find("FILE \"Track02[1].ogg\""), std::string::npos);
  EXPECT_TRUE(agent->Prompts().size() == 1u);

  // A copy of the disc with one sample changed in track 2: exactly that track is named.
  const Disc copy = MakeDisc(world.dir, "copy", 3, 0.6, 1, 20001);
  ASSERT_EQ(copy.trackBytes, disc.trackBytes);
  world.InsertDisc(copy);
  agent->ExpectMessageBox(IDOK);
  Dlg third;
  EXPECT_EQ(Run(third, AllTracks(copy), [&](Dlg& d) { TypeAndRip(d, "Artist A", "Album B"); }), IDOK);
  EXPECT_EQ(third.RipLog().DifferingTracks(), std::vector<int>{1});
  ASSERT_EQ(agent->Prompts().size(), 2u);
  const TYX::Test::Prompt& warning = agent->Prompts()[1];
  EXPECT_EQ(warning.caption, "CD 리핑 검증");
  EXPECT_NE(warning.text.find("Track02.cda"), std::string::npos);
  EXPECT_EQ(warning.text.find("Track01.cda"), std::string::npos);
  EXPECT_EQ(warning.text.find("Track03.cda"), std::string::npos);
  const std::string log3 = TYX::Test::ReadFileBytes(folder + "rip[2].log");
  EXPECT_NE(log3.find("Tracks that differ from an earlier rip: 02\n"), std::string::npos);
  EXPECT_NE(log3.find("DIFFERS from the rip of"), std::string::npos);
  EXPECT_NE(log3.find("Track02[1].ogg: CRC32 " + Hex(BitwiseCrc32(disc.TrackPcm(1)))), std::string::npos);
  EXPECT_EQ(third.RipLog().tracks[1].sums.crc32, BitwiseCrc32(copy.TrackPcm(1)));
}

TEST_F(RippingDialogTest, AWavRipStoresNoBitRateAndTheNextOpeningKeepsTheListHidden) {
  const Disc disc = MakeDisc(world.dir, "d", 2, 0.3);
  world.InsertDisc(disc);
  Dlg dlg;
  EXPECT_EQ(Run(dlg, {AllTracks(disc)[1]}, [&](Dlg& d) {
              ASSERT_TRUE(d.FormatCombo()->SelectItem(3));
              TypeAndRip(d, "A", "B");
            }),
            IDOK);
  EXPECT_EQ(RegInt("Format"), 3u);
  EXPECT_EQ(static_cast<int>(RegInt("Bitrate")), -1);
  const std::string file = world.SaveRoot() + "a/b/Track02.wav";
  const auto decoded = Synth::DecodeFile(file);
  ASSERT_TRUE(decoded.ok);
  // WAV keeps every sample of the track.
  EXPECT_EQ(decoded.pcm.samples.size() * 2, disc.trackBytes[1]);
  Dlg again;
  Run(again, AllTracks(disc), [&](Dlg& d) {
    EXPECT_EQ(d.FormatCombo()->GetSelectedText(), "WAV");
    EXPECT_FALSE(d.BitrateCombo()->IsWindowVisible());
    EXPECT_FALSE(d.VbrCheck()->IsWindowEnabled());
    EXPECT_TRUE(d.ClickButton(IDCANCEL));
  });
}

TEST_F(RippingDialogTest, TypedNamesStayInsideTheSaveFolderAndTheFoldersMadeAreTheTarget) {
  const Disc disc = MakeDisc(world.dir, "d", 1, 0.3);
  world.InsertDisc(disc);
  Dlg dlg;
  EXPECT_EQ(Run(dlg, AllTracks(disc), [&](Dlg& d) { TypeAndRip(d, "../../..", "하늘빛/ÄLBUM: Live"); }), IDOK);
  const std::string folder = world.SaveRoot() + ".._.._/하늘빛_Älbum_ live/";
  EXPECT_EQ(dlg.TargetFolder(), folder);
  EXPECT_TRUE(Exists(folder + "Track01.ogg"));
  // Nothing was made beside or above the save folder, and no folder but the target below it.
  EXPECT_EQ(Entries(world.dir.File("music")), std::vector<std::string>{"SonvarMusic"});
  EXPECT_EQ(Entries(world.SaveRoot()), std::vector<std::string>{".._.._"});
  EXPECT_EQ(Entries(world.SaveRoot() + ".._.._"), std::vector<std::string>{"하늘빛_Älbum_ live"});
  auto media = TYX_Media::Instance(folder + "Track01.ogg");
  ASSERT_TRUE(media && media->IsValid());
  EXPECT_EQ(media->GetArtist(), "../../..");
  EXPECT_EQ(media->GetAlbum(), "하늘빛/ÄLBUM: Live");
}

TEST_F(RippingDialogTest, AnArtistFolderThatCannotBeMadeIsReportedAndNothingIsRipped) {
  const Disc disc = MakeDisc(world.dir, "d", 1, 0.3);
  world.InsertDisc(disc);
  world.dir.Write("music/SonvarMusic/artist", "a file in the way");
  agent->ExpectMessageBox(IDOK);
  Dlg dlg;
  EXPECT_EQ(Run(dlg, AllTracks(disc), [&](Dlg& d) {
              TypeAndRip(d, "Artist", "Album");
              EXPECT_FALSE(d.IsRipping());
              EXPECT_TRUE(d.FormatCombo()->IsWindowEnabled());
              EXPECT_EQ(d.TrackList()->GetCellText(0, 1), "대기중");
              EXPECT_TRUE(d.ClickButton(IDCANCEL));
            }),
            IDCANCEL);
  ASSERT_EQ(agent->Prompts().size(), 1u);
  EXPECT_EQ(agent->Prompts()[0].text, "[" + world.SaveRoot() + "artist/] 저장 경로 에러입니다.");
  EXPECT_EQ(agent->Prompts()[0].caption, "저장 경로 오류");
  EXPECT_TRUE(world.LibraryPaths().empty());
}

TEST_F(RippingDialogTest, ATrackThatCannotBeReadIsMarkedAndTheDialogStaysOpenToShowIt) {
  const Disc disc = MakeDisc(world.dir, "d", 2, 0.3);
  world.InsertDisc(disc);
  std::vector<Dlg::TYX_Rip_Info> tracks = {AllTracks(disc)[0], {0, 7, 1}, AllTracks(disc)[1]};
  Dlg dlg;
  bool closed = false;
  agent->SetIdleAction([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    if (closed || d.IsRipping() || d.StatusLine() != "CD 리핑을 완료하였습니다") return;
    closed = true;
    EXPECT_EQ(d.TrackList()->GetCellText(0, 1), "완료");
    EXPECT_EQ(d.TrackList()->GetCellText(1, 1), "변환오류");
    EXPECT_EQ(d.TrackList()->GetCellText(2, 1), "완료");
    EXPECT_EQ(d.GetFrameButton(IDCANCEL)->GetCaption(), "닫기");
    EXPECT_TRUE(d.FormatCombo()->IsWindowEnabled());
    EXPECT_EQ(d.TotalBar()->GetPos(), 100);
    EXPECT_TRUE(d.ClickButton(IDCANCEL));
  });
  EXPECT_EQ(Run(dlg, tracks, [&](Dlg& d) { TypeAndRip(d, "A", "B"); }), IDOK);
  EXPECT_TRUE(closed);
  EXPECT_EQ(dlg.ProblemCount(), 1);
  EXPECT_EQ(world.LibraryPaths().size(), 2u);
  const std::string log = TYX::Test::ReadFileBytes(dlg.RipLogPath());
  EXPECT_NE(log.find("Track 08\n"), std::string::npos);
  EXPECT_NE(log.find("rip failed: CD를 읽을 수 없습니다 (1)"), std::string::npos);
}

TEST_F(RippingDialogTest, CancelAsksFirstAndKeepsOnlyTheSongsRippedToTheEnd) {
  const Disc disc = MakeDisc(world.dir, "d", 3, 0.6);
  auto held = std::make_shared<HeldDrive>(Audio::CreateCdioAudioCD({disc.cue}, false), 1, 2352 * 10,
                                          GetCurrentThreadId());
  Audio::SetAudioCD(held);
  agent->ExpectMessageBox(IDCANCEL, false, "음악 파일 변환을 취소하시겠습니까?");
  agent->ExpectMessageBox(IDOK, false, "음악 파일 변환을 취소하시겠습니까?");
  int step = 0;
  agent->SetIdleAction([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    if (!held->reached || step >= 2) return;
    ++step;
    if (step == 1) {
      // Track 2 of 3 half done: the track line shows 50 %, the overall line trunc(16 + 33.3 + 1).
      EXPECT_EQ(d.InfoLine(), "전체: 2 of 3");
      d.OnExtractorProgress(EXTRACTOR_TOTAL, 1000);
      d.OnExtractorProgress(EXTRACTOR_POSITION, 500);
      EXPECT_EQ(d.TrackPercentLine(), "50 %");
      EXPECT_EQ(d.TrackBar()->GetPos(), 50);
      EXPECT_EQ(d.TotalPercentLine(), "50 %");
      EXPECT_EQ(d.TotalBar()->GetPos(), 50);
    }
    // The first answer goes on ripping; the second ends the dialog.
    EXPECT_TRUE(d.ClickButton(IDCANCEL));
    if (step == 1) {
      EXPECT_TRUE(d.IsRipping());
      // The loop would sleep with the drive held; a wake-up brings the next idle pass.
      PostThreadMessage(GetCurrentThreadId(), WM_NULL, 0, 0);
    }
  });
  Dlg dlg;
  EXPECT_EQ(Run(dlg, AllTracks(disc), [&](Dlg& d) { TypeAndRip(d, "A", "B"); }), IDCANCEL);
  EXPECT_EQ(step, 2);
  const std::string folder = world.SaveRoot() + "a/b/";
  EXPECT_TRUE(Exists(folder + "Track01.ogg"));
  EXPECT_FALSE(Exists(folder + "Track02.ogg"));
  EXPECT_FALSE(Exists(folder + "Track03.ogg"));
  EXPECT_EQ(world.LibraryPaths(), std::vector<std::string>{folder + "Track01.ogg"});
  EXPECT_EQ(agent->Prompts()[0].caption, "음악 파일 변환 취소");
  const std::string log = TYX::Test::ReadFileBytes(folder + "rip.log");
  EXPECT_NE(log.find("Track 02\n  Length:"), std::string::npos);
  EXPECT_NE(log.find("Result:          cancelled"), std::string::npos);
  EXPECT_NE(log.find("Tracks ripped: 1 of 3"), std::string::npos);
  // The worker was left idle for the next dialog.
  ASSERT_NE(GetExtractorThread(), nullptr);
  EXPECT_FALSE(GetExtractorThread()->IsJobRunning());
}

TEST_F(RippingDialogTest, ThePanelsRequestRipsTheCdRowsItNames) {
  const Disc disc = MakeDisc(world.dir, "d", 3, 0.3);
  world.InsertDisc(disc);
  TYX_Playlist* cd = world.store->GetStockPlaylist(STOCK_PLAYLIST_CDTRACK);
  for (int t = 1; t <= 3; ++t) {
    char name[32];
    std::snprintf(name, sizeof name, "D:\\Track%02d.cda", t);
    ASSERT_NE(cd->InsertItem(name, 0, 2), kNoPosition);
  }
  Dlg::TYX_Rip_Info info;
  ASSERT_TRUE(Dialog::MakeRipInfo("D:\\Track02.cda", info));
  EXPECT_EQ(info.drive, 0);
  EXPECT_EQ(info.track, 1);
  EXPECT_EQ(info.length, static_cast<std::int32_t>(disc.trackBytes[1] / 176400));
  EXPECT_FALSE(Dialog::MakeRipInfo("/music/song.mp3", info));
  EXPECT_EQ(Dialog::RipCDTracks(nullptr, nullptr, {0}), E_FAIL);
  EXPECT_EQ(Dialog::RipCDTracks(nullptr, world.store.get(), {7, 9}), E_INVALIDARG);
  std::vector<std::string> rows;
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    for (int r = 0; r < d.TrackList()->GetItemCount(); ++r) rows.push_back(d.TrackList()->GetCellText(r, 0));
    d.ClickButton(IDCANCEL);
  });
  int result = 0;
  EXPECT_EQ(Dialog::RipCDTracks(nullptr, world.store.get(), {2, 0}, &result), S_OK);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(rows, (std::vector<std::string>{"Track03.cda", "Track01.cda"}));
}

}  // namespace
}  // namespace TYX::Convert::Test
