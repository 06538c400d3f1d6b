#include "rip_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "convert/ripping_dialog.h"
#include "row_picker.h"
#include "library/library_panel.h"
#include "library/panel_commands.h"
#include "toolkit/check_box.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_types.h"
#include "toolkit/skin_button.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Host {

namespace {

using Dialog::TYX_Dialog_Ripping;

int FormatIndex(const std::string& to) {
  static const char* const names[] = {"mp3", "ogg", "wma", "wav", "via"};
  for (int i = 0; i < 5; ++i)
    if (to == names[i]) return i;
  return -1;
}

bool ClickButton(Win::Window& dialog, Win::UINT id) { return RowPicker::ClickButton(dialog, id); }

std::set<std::string> LibraryPaths(HostSession& session) {
  std::set<std::string> paths;
  TYX_Playlist* all = session.Store().GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  if (all == nullptr) return paths;
  for (std::uint32_t i = 0; i < all->CountItem(); ++i)
    if (TYX_LibraryItem* item = all->GetItem_LibraryItem(i)) paths.insert(item->GetPath());
  return paths;
}

}  // namespace

std::string RipCommand::CheckOptions(const Options& options) {
  if (!options.to.empty() && FormatIndex(options.to) < 0)
    return "unknown format '" + options.to + "' for --to (mp3, ogg, wma, wav or via)";
  for (const std::string& t : options.tracks) {
    if (t.empty() || t.size() > 2 || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoi(t) < 1)
      return "'" + t + "' is not a track number";
  }
  if (!options.quality.empty()) {
    if (options.quality.size() != 1 || options.quality[0] < '1' || options.quality[0] > '9')
      return "--quality takes 1 to 9";
    if (!options.to.empty() && options.to != "ogg") return "--quality is for --to ogg";
  }
  if (!options.bitrate.empty() && options.to.empty()) return "--bitrate needs --to";
  if (!options.bitrate.empty()) {
    const auto& entries = TYX_Dialog_Ripping::BitrateEntries(FormatIndex(options.to));
    if (std::find(entries.begin(), entries.end(), options.bitrate + "kbps") == entries.end()) {
      std::string list;
      for (const std::string& e : entries) list += (list.empty() ? "" : ", ") + e.substr(0, e.size() - 4);
      return "no bit rate of " + options.bitrate + " kbps for " + options.to + (list.empty() ? "" : " (choose from " + list + ")");
    }
  }
  return {};
}

RipCommand::Result RipCommand::Run(HostSession& session, TerminalAgent& agent, const Options& options) {
  if (!options.folder.empty()) {
    std::error_code ec;
    if (!std::filesystem::is_directory(options.folder, ec)) return {1, "no such folder: " + options.folder, {}};
  }
  if (std::string e = session.ShowPage(*PageDirectory::Find("cd")); !e.empty()) return {1, e, {}};
  Library::TYX_LibraryPanel& panel = session.Frame().Panel();
  Controls::TYX_ListCtrlEx* list = panel.GetCurrentListCtrl();
  if (list == nullptr || list->GetItemCount() == 0) return {1, "no audio CD in the drive (give one with --cd-image FILE.cue)", {}};

  // The tracks asked for are clicked; with none, the panel is asked for every track.
  const int column = RowPicker::SelectingColumn(*list);
  bool first = true;
  for (const std::string& t : options.tracks) {
    const int row = std::stoi(t) - 1;
    if (row >= list->GetItemCount())
      return {1, "the CD has " + std::to_string(list->GetItemCount()) + " tracks; there is no track " + t, {}};
    if (!list->ClickRow(row, column, first ? 0 : Controls::MK_CONTROL)) return {1, "the list refused a click on track " + t, {}};
    first = false;
  }

  const std::set<std::string> before = LibraryPaths(session);
  std::string dialogProblem;
  std::string targetFolder;
  bool started = false;
  agent.SetOpener([&](Win::Window& window) {
    auto* dialog = dynamic_cast<TYX_Dialog_Ripping*>(&window);
    if (dialog == nullptr) return;
    bool ok = true;
    if (!options.artist.empty()) ok = ok && dialog->ArtistEdit()->TypeText(options.artist);
    if (!options.album.empty()) ok = ok && dialog->AlbumEdit()->TypeText(options.album);
    if (ok && !options.to.empty()) ok = dialog->FormatCombo()->SelectItem(FormatIndex(options.to));
    if (ok && !options.quality.empty()) {
      if (!dialog->VbrCheck()->GetCheck()) ok = dialog->VbrCheck()->Click();
      ok = ok && dialog->QualityCombo()->SelectItemByText("Q" + options.quality);
    } else if (ok && !options.bitrate.empty()) {
      if (options.to == "ogg" && dialog->VbrCheck()->GetCheck()) ok = dialog->VbrCheck()->Click();
      ok = ok && dialog->BitrateCombo()->SelectItemByText(options.bitrate + "kbps");
    }
    if (ok && !options.folder.empty()) {
      agent.QueueFolder(std::filesystem::absolute(options.folder).lexically_normal().string());
      ok = dialog->PathButton()->Click();
    }
    if (!ok) {
      dialogProblem = "the ripping dialog did not take the choices";
      ClickButton(window, Win::IDCANCEL);
      return;
    }
    ClickButton(window, Win::IDOK);
    started = dialog->IsRipping();
    targetFolder = dialog->TargetFolder();
    if (!started) {
      // The dialog said why (a message box the person saw); the run ends here.
      dialogProblem = agent.Messages().empty() ? "the ripping did not start" : agent.Messages().back();
      ClickButton(window, Win::IDCANCEL);
    }
  });
  agent.SetWatcher([&](Win::Window& window) {
    auto* dialog = dynamic_cast<TYX_Dialog_Ripping*>(&window);
    if (dialog == nullptr || !started) return;
    if (dialog->IsRipping()) {
      if (options.progress) {
        std::fprintf(stderr, "\r\033[K%s  %s", dialog->InfoLine().c_str(), dialog->TotalPercentLine().c_str());
        std::fflush(stderr);
      }
      return;
    }
    // The run ended and the dialog stays (some track failed): the person closes it.
    ClickButton(window, Win::IDCANCEL);
  });
  const std::size_t messagesBefore = agent.Messages().size();
  panel.SendMessage(Library::WM_LIBRARY_CD_RIPPING, options.tracks.empty() ? 1 : 0, 0);
  agent.SetOpener(nullptr);
  agent.SetWatcher(nullptr);
  if (options.progress) std::fprintf(stderr, "\r\033[K");
  if (!dialogProblem.empty()) return {1, dialogProblem, {}};
  if (!started) return {1, "the ripping dialog did not open", {}};

  Result r;
  int made = 0;
  for (const std::string& path : LibraryPaths(session))
    if (!before.count(path)) {
      r.report += "ripped: " + path + "\n";
      ++made;
    }
  // The rip log and cue sheet lie beside the tracks; the newest log is this run's.
  std::error_code ec;
  std::string log;
  std::filesystem::file_time_type newest{};
  for (const auto& entry : std::filesystem::directory_iterator(targetFolder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("rip", 0) == 0 && entry.path().extension() == ".log") {
      const auto t = entry.last_write_time(ec);
      if (log.empty() || t > newest) {
        log = entry.path().string();
        newest = t;
      }
    }
  }
  if (!log.empty()) r.report += "rip log: " + log + "\n";
  for (std::size_t i = messagesBefore; i < agent.Messages().size(); ++i)
    if (agent.Messages()[i].find("이전에 리핑한 결과와 다른 트랙") != std::string::npos) {
      std::string names = agent.Messages()[i];
      const std::size_t a = names.find('\n');
      const std::size_t b = a == std::string::npos ? a : names.find('\n', a + 1);
      if (a != std::string::npos) r.report += "differs from the earlier rip: " + names.substr(a + 1, b - a - 1) + "\n";
      r.exitCode = 1;
    }
  r.report += std::to_string(made) + " track" + (made == 1 ? "" : "s") + " ripped\n";
  if (made == 0) {
    r.exitCode = 1;
    r.error = "no track was ripped";
  }
  return r;
}

}  // namespace TYX::Host
