// `sonvar tag --auto`: each song in turn is selected alone and its tag editor opened; the person presses
// the automatic search, waits for the candidates, clicks the best one and presses OK.
#include <cstdio>

#include "library/library_panel.h"
#include "row_picker.h"
#include "song_index.h"
#include "tag_command.h"
#include "tags/file_id3_edit_dialog.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"

namespace TYX::Host {

namespace {

using Dialog::TYX_Dialog_FileID3Edit;

enum class Outcome { NotOpened, Tagged, Unchanged, NotIdentified, Failed };

struct SongRun {
  Outcome outcome = Outcome::NotOpened;
  bool searching = false;
  std::size_t messagesAtOpen = 0;
  TYX_Dialog_FileID3Edit::Fields before;
  std::string detail;
};

struct Shown {
  TYX_Dialog_FileID3Edit::Field field;
  const char* name;
};
constexpr Shown kCandidateFields[] = {{TYX_Dialog_FileID3Edit::kTitle, "title"},
                                      {TYX_Dialog_FileID3Edit::kArtist, "artist"},
                                      {TYX_Dialog_FileID3Edit::kAlbum, "album"},
                                      {TYX_Dialog_FileID3Edit::kGenre, "genre"}};

std::string CandidateCount(std::size_t n) {
  return std::to_string(n) + (n == 1 ? " candidate" : " candidates");
}

std::string Describe(const Dialog::TYX_TagCandidate& c) {
  std::string out = "\"" + c.title + "\"";
  if (!c.artist.empty()) out += " by " + c.artist;
  if (!c.album.empty()) out += " from " + c.album;
  return out;
}

// The best candidate's texts go into the fields with a click on its row; a text the candidate lacks
// would empty the field, so the person types the song's own value back.
bool TakeBestCandidate(TYX_Dialog_FileID3Edit& dialog, const TYX_Dialog_FileID3Edit::Fields& before) {
  Controls::TYX_ListCtrlEx* list = dialog.GetResultList();
  if (list == nullptr || list->GetItemCount() == 0 || !list->ClickRow(0, 0, 0)) return false;
  const Dialog::TYX_TagCandidate& best = dialog.GetCandidates().front();
  const std::string* texts[] = {&best.title, &best.artist, &best.album};
  const TYX_Dialog_FileID3Edit::Field fields[] = {TYX_Dialog_FileID3Edit::kTitle, TYX_Dialog_FileID3Edit::kArtist,
                                                  TYX_Dialog_FileID3Edit::kAlbum};
  for (int i = 0; i < 3; ++i) {
    if (!texts[i]->empty()) continue;
    Controls::TYX_Edit* edit = dialog.GetFieldEdit(fields[i]);
    if (edit == nullptr || !edit->TypeText(before[fields[i]])) return false;
  }
  if (best.genre.empty() && !before[TYX_Dialog_FileID3Edit::kGenre].empty()) {
    Controls::TYX_ComboBox* combo = dialog.GetGenreCombo();
    const int entry = combo == nullptr ? -1 : combo->FindStringExact(before[TYX_Dialog_FileID3Edit::kGenre]);
    if (entry < 0 || !combo->SelectItem(entry)) return false;
  }
  return true;
}

}  // namespace

TagCommand::Result TagCommand::RunAuto(HostSession& session, TerminalAgent& agent, std::vector<Song>& songs,
                                       bool progress) {
  Result r;
  int tagged = 0, unchanged = 0, unknown = 0, failed = 0;
  SongIndex index;
  for (std::size_t i = 0; i < songs.size(); ++i) {
    Song& song = songs[i];
    if (progress) {
      std::fprintf(stderr, "\r\033[Kidentifying %zu/%zu", i + 1, songs.size());
      std::fflush(stderr);
    }
    if (!SelectAlone(session, song)) {
      r.report += "failed: " + song.path + ": it is no longer listed\n";
      ++failed;
      continue;
    }
    SongRun run;
    agent.SetOpener([&](Win::Window& window) {
      auto* dialog = dynamic_cast<TYX_Dialog_FileID3Edit*>(&window);
      if (dialog == nullptr) return;
      run.before = dialog->GetReadFields();
      run.messagesAtOpen = agent.Messages().size();
      if (!RowPicker::ClickButton(window, TYX_Dialog_FileID3Edit::kSearchId) || !dialog->GetSearch().IsRunning()) {
        run.outcome = Outcome::Failed;
        run.detail = "the tag editor's search did not start";
        RowPicker::ClickButton(window, Win::IDCANCEL);
        return;
      }
      run.searching = true;
    });
    agent.SetWatcher([&](Win::Window& window) {
      auto* dialog = dynamic_cast<TYX_Dialog_FileID3Edit*>(&window);
      if (dialog == nullptr || !run.searching || dialog->GetSearch().IsRunning()) return;
      // The search is over once the editor has shown its candidates or said that it found none.
      const bool found = !dialog->GetCandidates().empty();
      if (!found && agent.Messages().size() == run.messagesAtOpen) return;
      run.searching = false;
      if (!found) {
        run.outcome = Outcome::NotIdentified;
        run.detail = dialog->GetSearchError().empty() ? agent.Messages().back() : dialog->GetSearchError();
        RowPicker::ClickButton(window, Win::IDCANCEL);
        return;
      }
      const std::vector<Dialog::TYX_TagCandidate> candidates = dialog->GetCandidates();
      if (!TakeBestCandidate(*dialog, run.before)) {
        run.outcome = Outcome::Failed;
        run.detail = "the tag editor did not take the best candidate";
        RowPicker::ClickButton(window, Win::IDCANCEL);
        return;
      }
      const std::size_t messages = agent.Messages().size();
      RowPicker::ClickButton(window, Win::IDOK);
      if (dialog->GetModalResult() != Win::IDOK) {
        // The editor said why (a failed save) and keeps the edits; the person gives up on this song.
        run.outcome = Outcome::Failed;
        run.detail = agent.Messages().size() > messages ? agent.Messages().back() : "the tag editor did not save";
        RowPicker::ClickButton(window, Win::IDCANCEL);
        return;
      }
      std::string written;
      for (const Shown& s : kCandidateFields)
        if (dialog->GetFields()[s.field] != run.before[s.field])
          written += (written.empty() ? "" : ", ") + std::string(s.name) + " \"" + dialog->GetFields()[s.field] + "\"";
      if (written.empty()) {
        run.outcome = Outcome::Unchanged;
        run.detail = "its tags already name the best of " + CandidateCount(candidates.size()) + ", " +
                     Describe(candidates.front());
      } else {
        run.outcome = Outcome::Tagged;
        run.detail = written + " (the best of " + CandidateCount(candidates.size()) + ")";
      }
    });
    const long status = session.Frame().Panel().ShowFileID3EditDlg();
    agent.SetOpener(nullptr);
    agent.SetWatcher(nullptr);

    switch (run.outcome) {
      case Outcome::NotOpened:
        r.report += "failed: " + song.path + ": " +
                    (status == Win::S_OK ? "the tag editor cannot open it (the file is missing or is no song)"
                                         : "the panel did not open the tag editor") +
                    "\n";
        ++failed;
        break;
      case Outcome::Tagged:
        r.report += "tagged: " + song.path + ": " + run.detail + "\n";
        ++tagged;
        if (std::string e = index.Remember(song.path); !e.empty())
          r.report += "not remembered: " + song.path + ": " + e + "\n";
        break;
      case Outcome::Unchanged:
        r.report += "unchanged: " + song.path + ": " + run.detail + "\n";
        ++unchanged;
        break;
      case Outcome::NotIdentified:
        r.report += "not identified: " + song.path + ": " + run.detail + "\n";
        ++unknown;
        break;
      case Outcome::Failed:
        r.report += "failed: " + song.path + ": " + run.detail + "\n";
        ++failed;
        break;
    }
  }
  if (progress) std::fprintf(stderr, "\r\033[K");
  r.report += std::to_string(tagged) + " tagged, " + std::to_string(unchanged) + " unchanged, " + std::to_string(unknown) +
              " not identified, " + std::to_string(failed) + " failed\n";
  if (unknown != 0 || failed != 0) r.exitCode = 1;
  return r;
}

}  // namespace TYX::Host
