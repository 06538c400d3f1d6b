#include "tag_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "components/tagging/web_identify_service.h"
#include "library/library_panel.h"
#include "list_query.h"
#include "row_picker.h"
#include "song_index.h"
#include "tags/file_id3_edit2_dialog.h"
#include "tags/file_id3_edit_dialog.h"
#include "toolkit/check_box.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "util/init.h"

namespace TYX::Host {

namespace {

using Dialog::TYX_Dialog_FileID3Edit;
using Dialog::TYX_Dialog_FileID3Edit2;

struct FieldName {
  TagCommand::Field field;
  const char* name;
};
constexpr FieldName kFieldNames[] = {
    {TagCommand::Field::Title, "title"}, {TagCommand::Field::Artist, "artist"}, {TagCommand::Field::Album, "album"},
    {TagCommand::Field::Genre, "genre"}, {TagCommand::Field::Year, "year"},     {TagCommand::Field::Track, "track"},
    {TagCommand::Field::Comment, "comment"},
};

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// "2024", "2024-05" or "2024-05-01".
bool IsYearText(const std::string& s) {
  if (s.size() != 4 && s.size() != 7 && s.size() != 10) return false;
  if (!AllDigits(s.substr(0, 4))) return false;
  for (std::size_t at = 4; at < s.size(); at += 3)
    if (s[at] != '-' || !AllDigits(s.substr(at + 1, 2))) return false;
  return true;
}

TYX_Dialog_FileID3Edit::Field OneEditorField(TagCommand::Field f) {
  switch (f) {
    case TagCommand::Field::Title: return TYX_Dialog_FileID3Edit::kTitle;
    case TagCommand::Field::Artist: return TYX_Dialog_FileID3Edit::kArtist;
    case TagCommand::Field::Album: return TYX_Dialog_FileID3Edit::kAlbum;
    case TagCommand::Field::Genre: return TYX_Dialog_FileID3Edit::kGenre;
    case TagCommand::Field::Year: return TYX_Dialog_FileID3Edit::kReleaseDate;
    case TagCommand::Field::Track: return TYX_Dialog_FileID3Edit::kTrack;
    case TagCommand::Field::Comment: break;
  }
  return TYX_Dialog_FileID3Edit::kComment;
}

TYX_Dialog_FileID3Edit2::Field BatchField(TagCommand::Field f) {
  switch (f) {
    case TagCommand::Field::Title: return TYX_Dialog_FileID3Edit2::kTitle;
    case TagCommand::Field::Artist: return TYX_Dialog_FileID3Edit2::kArtist;
    case TagCommand::Field::Album: return TYX_Dialog_FileID3Edit2::kAlbum;
    case TagCommand::Field::Genre: return TYX_Dialog_FileID3Edit2::kGenre;
    case TagCommand::Field::Year: return TYX_Dialog_FileID3Edit2::kReleaseDate;
    case TagCommand::Field::Track: return TYX_Dialog_FileID3Edit2::kTrack;
    case TagCommand::Field::Comment: break;
  }
  return TYX_Dialog_FileID3Edit2::kComment;
}

// The library item's value of a field, as the batch editor compares it.
std::string ItemValue(const TYX_LibraryItem& item, TagCommand::Field f) {
  switch (f) {
    case TagCommand::Field::Title: return item.GetTitle();
    case TagCommand::Field::Artist: return item.GetArtist();
    case TagCommand::Field::Album: return item.GetAlbum();
    case TagCommand::Field::Genre: return item.GetGenre();
    case TagCommand::Field::Year: return item.GetYear();
    case TagCommand::Field::Track: return item.GetTrack() == 0 ? std::string() : std::to_string(item.GetTrack());
    case TagCommand::Field::Comment: break;
  }
  return item.GetComment();
}

std::string Quoted(const std::string& name, const std::string& value) { return name + " \"" + value + "\""; }

// The genre as the editor's list spells it (letter case of ASCII ignored); empty when it offers none.
int GenreEntry(const Controls::TYX_ComboBox& combo, const std::string& genre) {
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (int i = 0; i < combo.GetCount(); ++i)
    if (lower(combo.GetLBText(i)) == lower(genre)) return i;
  return -1;
}

// The index keeps a song's title, artist, album and genre with its sound; other fields do not concern it.
bool ConcernsIndex(const std::vector<TagCommand::Setting>& settings) {
  return std::any_of(settings.begin(), settings.end(), [](const TagCommand::Setting& s) {
    return s.field == TagCommand::Field::Title || s.field == TagCommand::Field::Artist ||
           s.field == TagCommand::Field::Album || s.field == TagCommand::Field::Genre;
  });
}

}  // namespace

std::string TagCommand::FieldNames() {
  std::string out;
  for (const FieldName& f : kFieldNames) out += (out.empty() ? "" : ", ") + std::string(f.name);
  return out;
}

std::string TagCommand::ParseSettings(const std::vector<std::string>& sets, std::vector<Setting>& out) {
  out.clear();
  for (const std::string& s : sets) {
    const std::size_t eq = s.find('=');
    if (eq == std::string::npos) return "--set takes FIELD=VALUE, not '" + s + "'";
    const std::string name = s.substr(0, eq);
    // The editors trim what is typed; the value is taken as they will store it.
    const std::size_t first = s.find_first_not_of(" \t", eq + 1);
    const std::string value = first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(" \t") - first + 1);
    const FieldName* known = nullptr;
    for (const FieldName& f : kFieldNames)
      if (name == f.name) known = &f;
    if (known == nullptr) return "no tag field named '" + name + "' (fields: " + FieldNames() + ")";
    for (const Setting& earlier : out)
      if (earlier.field == known->field) return "the field '" + name + "' is set twice";
    if (std::any_of(value.begin(), value.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }))
      return "the value of '" + name + "' holds a control character";
    if (known->field == Field::Track && !value.empty() && (!AllDigits(value) || value.size() > 6 || std::stoul(value) == 0))
      return "track takes a number from 1 (or nothing, to clear it), not '" + value + "'";
    if (known->field == Field::Year && !value.empty() && !IsYearText(value))
      return "year takes YYYY, YYYY-MM or YYYY-MM-DD (or nothing, to clear it), not '" + value + "'";
    out.push_back({known->field, name, value});
  }
  return {};
}

std::string TagCommand::CheckOptions(const Options& options) {
  const int modes = (options.automatic ? 1 : 0) + (options.sets.empty() ? 0 : 1) + (options.remember ? 1 : 0);
  if (modes == 0) return "'tag' needs --auto, --set FIELD=VALUE or --remember";
  if (modes > 1) return "--auto, --set and --remember cannot be used together";
  std::vector<Setting> settings;
  if (std::string e = ParseSettings(options.sets, settings); !e.empty()) return e;
  if (!options.service.empty()) {
    if (!options.automatic) return "--service is for --auto";
    if (options.service.find_first_of(" \t/") != std::string::npos && options.service.rfind("http", 0) != 0)
      return "--service takes HOST[:PORT], not '" + options.service + "'";
  }
  if (options.query.empty()) return "'tag' needs a QUERY naming the songs (use 'sonvar ls QUERY' to try one)";
  return {};
}

bool TagCommand::SelectAlone(HostSession& session, Song& song) {
  Library::TYX_LibraryPanel& panel = session.Frame().Panel();
  Controls::TYX_ListCtrlEx* list = panel.GetCurrentListCtrl();
  if (list == nullptr) return false;
  // A refill after a save may have moved the song; the row it was on is tried first.
  if (song.row < 0 || song.row >= list->GetItemCount() || panel.GetRowMediaLibIndex(song.row) != song.index) {
    song.row = -1;
    for (int row = 0; row < list->GetItemCount() && song.row < 0; ++row)
      if (panel.GetRowMediaLibIndex(row) == song.index) song.row = row;
  }
  if (song.row < 0) return false;
  list->EnsureVisible(song.row);
  return list->ClickRow(song.row, RowPicker::SelectingColumn(*list), 0);
}

TagCommand::Result TagCommand::Run(HostSession& session, TerminalAgent& agent, const Options& options) {
  ListQuery query;
  if (std::string e = query.Parse(options.query); !e.empty()) return {2, e, {}};
  std::vector<Setting> settings;
  if (std::string e = ParseSettings(options.sets, settings); !e.empty()) return {2, e, {}};
  SongIndex::UseIndexBeside(session.Location().LibraryFile());
  if (!options.service.empty() &&
      !Util::TYX_INIT::Instance()->SetAttribute(Tagging::kServiceHostAttribute, options.service))
    return {1, "the identification service cannot be kept in the settings (" + session.Location().SettingsFile() + ")", {}};

  if (std::string e = session.ShowPage(*PageDirectory::Find("library")); !e.empty()) return {1, e, {}};
  const RowPicker::Picked picked = RowPicker::Pick(session, query);
  if (!picked.error.empty()) return {1, picked.error, {}};
  std::vector<Song> songs;
  for (std::size_t i = 0; i < picked.rows.size(); ++i)
    songs.push_back({session.Frame().Panel().GetRowMediaLibIndex(picked.rows[i]), picked.paths[i], picked.rows[i]});

  if (options.remember) return RunRemember(songs, options.progress);
  if (options.automatic) return RunAuto(session, agent, songs, options.progress);
  return RunSet(session, agent, songs, settings, options.progress);
}

TagCommand::Result TagCommand::RunRemember(const std::vector<Song>& songs, bool progress) {
  Result r;
  SongIndex index;
  int remembered = 0;
  for (const Song& song : songs) {
    if (progress) {
      std::fprintf(stderr, "\r\033[Kremembering %d/%zu", static_cast<int>(&song - songs.data()) + 1, songs.size());
      std::fflush(stderr);
    }
    if (std::string e = index.Remember(song.path); !e.empty()) {
      r.report += "failed: " + song.path + ": " + e + "\n";
      r.exitCode = 1;
    } else {
      r.report += "remembered: " + song.path + "\n";
      ++remembered;
    }
  }
  if (progress) std::fprintf(stderr, "\r\033[K");
  r.report += std::to_string(remembered) + " remembered, " + std::to_string(songs.size() - remembered) + " failed\n";
  return r;
}

TagCommand::Result TagCommand::RunSet(HostSession& session, TerminalAgent& agent, const std::vector<Song>& songs,
                                      const std::vector<Setting>& settings, bool progress) {
  // The panel opens the editor of one song for one selected row and the batch editor for several; the
  // rows picked are the selection.
  Result r = songs.size() == 1 ? RunOneEditor(session, agent, songs.front(), settings)
                               : RunBatchEditor(session, agent, songs, settings, progress);
  return r;
}

TagCommand::Result TagCommand::RunOneEditor(HostSession& session, TerminalAgent& agent, const Song& song,
                                            const std::vector<Setting>& settings) {
  enum class Outcome { NotOpened, Changed, Unchanged, Failed } outcome = Outcome::NotOpened;
  std::string detail;
  agent.SetOpener([&](Win::Window& window) {
    auto* dialog = dynamic_cast<TYX_Dialog_FileID3Edit*>(&window);
    if (dialog == nullptr) return;
    const TYX_Dialog_FileID3Edit::Fields before = dialog->GetReadFields();
    for (const Setting& s : settings) {
      bool ok = false;
      if (s.field == Field::Genre) {
        Controls::TYX_ComboBox* combo = dialog->GetGenreCombo();
        const int entry = combo == nullptr || s.value.empty() ? -1 : GenreEntry(*combo, s.value);
        ok = entry >= 0 && combo->SelectItem(entry);
        if (!ok) {
          std::string list;
          for (const std::string& g : TYX_Dialog_FileID3Edit::GenreList()) list += (list.empty() ? "" : ", ") + g;
          detail = s.value.empty() ? "the tag editor of one song cannot clear the genre (its list has no empty entry)"
                                   : "the tag editor offers no genre '" + s.value + "' (its genres: " + list + ")";
        }
      } else {
        Controls::TYX_Edit* edit = dialog->GetFieldEdit(OneEditorField(s.field));
        ok = edit != nullptr && edit->TypeText(s.value);
        if (!ok) detail = "the tag editor did not take the " + s.name;
      }
      if (!ok) {
        outcome = Outcome::Failed;
        RowPicker::ClickButton(window, Win::IDCANCEL);
        return;
      }
    }
    const std::size_t messages = agent.Messages().size();
    RowPicker::ClickButton(window, Win::IDOK);
    if (dialog->GetModalResult() == Win::IDOK) {
      outcome = Outcome::Changed;
      for (const Setting& s : settings) {
        const int f = OneEditorField(s.field);
        if (dialog->GetFields()[f] != before[f]) detail += (detail.empty() ? "" : ", ") + Quoted(s.name, dialog->GetFields()[f]);
      }
    } else if (agent.Messages().size() > messages) {
      // The editor said why and stays open with the edits; the person gives up.
      outcome = Outcome::Failed;
      detail = agent.Messages().back();
      RowPicker::ClickButton(window, Win::IDCANCEL);
    } else {
      outcome = Outcome::Unchanged;
    }
  });
  const long status = session.Frame().Panel().ShowFileID3EditDlg();
  agent.SetOpener(nullptr);

  Result r;
  switch (outcome) {
    case Outcome::NotOpened:
      r.report = "failed: " + song.path + ": the tag editor cannot open it (the file is missing or is no song)\n";
      if (status != Win::S_OK) r.report = "failed: " + song.path + ": the panel did not open the tag editor\n";
      r.exitCode = 1;
      break;
    case Outcome::Changed:
      r.report = "changed: " + song.path + ": " + detail + "\n";
      break;
    case Outcome::Unchanged:
      r.report = "unchanged: " + song.path + ": its tags already say so\n";
      break;
    case Outcome::Failed:
      r.report = "failed: " + song.path + ": " + detail + "\n";
      r.exitCode = 1;
      break;
  }
  if (outcome == Outcome::Changed && ConcernsIndex(settings)) {
    SongIndex index;
    if (TYX_LibraryItem* item = session.Store().GetLibraryItem(song.index); item != nullptr && !item->GetTitle().empty())
      if (std::string e = index.Remember(song.path); !e.empty())
        r.report += "not remembered: " + song.path + ": " + e + "\n";
  }
  const bool changed = outcome == Outcome::Changed;
  r.report += std::string(changed ? "1" : "0") + " changed, " + (outcome == Outcome::Unchanged ? "1" : "0") +
              " unchanged, " + (r.exitCode != 0 ? "1" : "0") + " failed\n";
  return r;
}

TagCommand::Result TagCommand::RunBatchEditor(HostSession& session, TerminalAgent& agent, const std::vector<Song>& songs,
                                              const std::vector<Setting>& settings, bool progress) {
  // What each song held before, to tell the fields the run changed from those it only rewrote.
  std::vector<std::vector<std::string>> before;
  for (const Song& song : songs) {
    std::vector<std::string> values;
    TYX_LibraryItem* item = session.Store().GetLibraryItem(song.index);
    for (const Setting& s : settings) values.push_back(item != nullptr ? ItemValue(*item, s.field) : std::string());
    before.push_back(std::move(values));
  }

  bool opened = false;
  bool nothingTicked = false;
  std::string problem;
  std::vector<TYX_Dialog_FileID3Edit2::Row> rows;
  agent.SetOpener([&](Win::Window& window) {
    auto* dialog = dynamic_cast<TYX_Dialog_FileID3Edit2*>(&window);
    if (dialog == nullptr) return;
    opened = true;
    const TYX_Dialog_FileID3Edit2::Fields shown = dialog->GetFields();
    int ticked = 0;
    for (const Setting& s : settings) {
      const TYX_Dialog_FileID3Edit2::Field f = BatchField(s.field);
      // A field shows a value only when every editable song holds it: nothing to write for it then.
      if (!s.value.empty() && shown[f] == s.value) continue;
      Controls::TYX_CheckBox* box = dialog->GetCheckBox(f);
      Controls::TYX_Edit* edit = dialog->GetFieldEdit(f);
      const bool ok = box != nullptr && edit != nullptr && (box->GetCheck() || box->Click()) && edit->TypeText(s.value);
      if (!ok) {
        problem = "the batch editor did not take the " + s.name;
        RowPicker::ClickButton(window, Win::IDCANCEL);
        return;
      }
      ++ticked;
    }
    rows = dialog->GetRows();
    if (ticked == 0) {
      nothingTicked = true;
      RowPicker::ClickButton(window, Win::IDCANCEL);
      return;
    }
    RowPicker::ClickButton(window, Win::IDOK);
    rows = dialog->GetRows();
  });
  const long status = session.Frame().Panel().ShowFileID3EditDlg();
  agent.SetOpener(nullptr);
  if (!opened) return {1, status == Win::S_OK ? "the batch editor did not open" : "the panel did not open the batch editor", {}};
  if (!problem.empty()) return {1, problem, {}};

  Result r;
  int changed = 0, unchanged = 0, failed = 0;
  std::vector<std::string> toRemember;
  for (std::size_t i = 0; i < songs.size(); ++i) {
    const Song& song = songs[i];
    auto row = std::find_if(rows.begin(), rows.end(), [&](const auto& x) { return x.index == song.index; });
    if (row == rows.end()) {
      r.report += "failed: " + song.path + ": the batch editor did not list it\n";
      ++failed;
      continue;
    }
    if (!row->editable) {
      r.report += "failed: " + song.path + ": not editable together with others (the batch editor writes MP3, WMA and Ogg files only; tag it alone)\n";
      ++failed;
      continue;
    }
    if (row->status == TYX_Dialog_FileID3Edit2::kFailed) {
      r.report += "failed: " + song.path + ": the tags could not be written (" + row->status + ")\n";
      ++failed;
      continue;
    }
    std::string detail;
    for (std::size_t s = 0; s < settings.size(); ++s)
      if (before[i][s] != settings[s].value) detail += (detail.empty() ? "" : ", ") + Quoted(settings[s].name, settings[s].value);
    if (nothingTicked || detail.empty()) {
      r.report += "unchanged: " + song.path + ": its tags already say so\n";
      ++unchanged;
      continue;
    }
    r.report += "changed: " + song.path + ": " + detail + "\n";
    ++changed;
    TYX_LibraryItem* item = session.Store().GetLibraryItem(song.index);
    if (item != nullptr && !item->GetTitle().empty() && ConcernsIndex(settings)) toRemember.push_back(song.path);
  }
  SongIndex index;
  for (std::size_t i = 0; i < toRemember.size(); ++i) {
    if (progress) {
      std::fprintf(stderr, "\r\033[Kremembering %zu/%zu", i + 1, toRemember.size());
      std::fflush(stderr);
    }
    if (std::string e = index.Remember(toRemember[i]); !e.empty())
      r.report += "not remembered: " + toRemember[i] + ": " + e + "\n";
  }
  if (progress && !toRemember.empty()) std::fprintf(stderr, "\r\033[K");
  r.report += std::to_string(changed) + " changed, " + std::to_string(unchanged) + " unchanged, " +
              std::to_string(failed) + " failed\n";
  if (failed != 0) r.exitCode = 1;
  return r;
}

}  // namespace TYX::Host
