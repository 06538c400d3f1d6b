#include "convert_command.h"

#include <cstdio>
#include <filesystem>
#include <set>

#include "convert/media_converting_option_dlg.h"
#include "convert/media_converting_progress_dlg.h"
#include "library/library_panel.h"
#include "library/panel_commands.h"
#include "row_picker.h"
#include "toolkit/combo_box.h"
#include "toolkit/radio_button.h"
#include "toolkit/skin_button.h"

namespace TYX::Host {

namespace {

using Dialog::TYX_MediaConverting_OptionDlg;
using Dialog::TYX_MediaConverting_ProgressDlg;

int FormatIndex(const std::string& to) {
  if (to == "mp3") return TYX_MediaConverting_OptionDlg::OUTPUT_MP3;
  if (to == "via") return TYX_MediaConverting_OptionDlg::OUTPUT_VIA;
  return -1;
}

int ChannelIndex(const std::string& channels) {
  if (channels == "mono") return TYX_MediaConverting_OptionDlg::CHANNEL_MONO;
  if (channels == "keep") return TYX_MediaConverting_OptionDlg::CHANNEL_KEEP;
  if (channels == "stereo") return TYX_MediaConverting_OptionDlg::CHANNEL_STEREO;
  return -1;
}

bool ClickButton(Win::Window& dialog, Win::UINT id) { return RowPicker::ClickButton(dialog, id); }

template <class Control>
Control* ControlOf(Win::Window& dialog, Win::UINT id) {
  return dynamic_cast<Control*>(Win::Window::FromHandle(dialog.GetDlgItem(id)));
}

std::set<std::string> ShownPaths(HostSession& session) {
  std::set<std::string> paths;
  Library::TYX_LibraryPanel& panel = session.Frame().Panel();
  Controls::TYX_ListCtrlEx* list = panel.GetCurrentListCtrl();
  if (list == nullptr) return paths;
  for (int row = 0; row < list->GetItemCount(); ++row) {
    const std::uint32_t index = panel.GetRowMediaLibIndex(row);
    if (TYX_LibraryItem* item = index == kNoLibraryIndex ? nullptr : session.Store().GetLibraryItem(index))
      paths.insert(item->GetPath());
  }
  return paths;
}

}  // namespace

std::string ConvertCommand::CheckOptions(const Options& options) {
  if (options.to.empty()) return "'convert' needs --to mp3|via";
  if (FormatIndex(options.to) < 0) return "unknown format '" + options.to + "' for --to (mp3 or via)";
  if (!options.channels.empty() && ChannelIndex(options.channels) < 0)
    return "unknown channel choice '" + options.channels + "' for --channels (mono, stereo or keep)";
  if (!options.bitrate.empty()) {
    bool found = false;
    for (const std::string& text : TYX_MediaConverting_OptionDlg::BitrateTexts())
      found = found || text == options.bitrate + " kbps";
    if (!found) {
      std::string list;
      for (const std::string& text : TYX_MediaConverting_OptionDlg::BitrateTexts())
        list += (list.empty() ? "" : ", ") + std::to_string(TYX_MediaConverting_OptionDlg::BitrateOfText(text));
      return "no bit rate of " + options.bitrate + " kbps (choose from " + list + ")";
    }
  }
  if (options.query.empty()) return "'convert' needs a QUERY naming the songs (use 'sonvar ls QUERY' to try one)";
  return {};
}

ConvertCommand::Result ConvertCommand::Run(HostSession& session, TerminalAgent& agent, const Options& options) {
  Result r;
  ListQuery query;
  if (std::string e = query.Parse(options.query); !e.empty()) return {2, e, {}};
  if (!options.folder.empty()) {
    std::error_code ec;
    if (!std::filesystem::is_directory(options.folder, ec)) return {1, "no such folder: " + options.folder, {}};
  }
  if (std::string e = session.ShowPage(*PageDirectory::Find("library")); !e.empty()) return {1, e, {}};
  const std::set<std::string> before = ShownPaths(session);
  const RowPicker::Picked picked = RowPicker::Pick(session, query);
  if (!picked.error.empty()) return {1, picked.error, {}};

  std::string dialogProblem;
  std::vector<std::string> failures;  // "path: status" of songs that did not convert
  agent.SetOpener([&](Win::Window& dialog) {
    if (dynamic_cast<TYX_MediaConverting_OptionDlg*>(&dialog) != nullptr) {
      auto* format = ControlOf<Controls::TYX_ComboBox>(dialog, TYX_MediaConverting_OptionDlg::kFormatComboId);
      auto* bitrate = ControlOf<Controls::TYX_ComboBox>(dialog, TYX_MediaConverting_OptionDlg::kBitrateComboId);
      auto* channels = ControlOf<Controls::TYX_ComboBox>(dialog, TYX_MediaConverting_OptionDlg::kChannelComboId);
      bool ok = format != nullptr && format->SelectItem(FormatIndex(options.to));
      if (ok && !options.bitrate.empty()) ok = bitrate != nullptr && bitrate->SelectItemByText(options.bitrate + " kbps");
      if (ok && !options.channels.empty()) ok = channels != nullptr && channels->SelectItem(ChannelIndex(options.channels));
      if (ok && !options.folder.empty()) {
        auto* radio = ControlOf<Controls::TYX_RadioButton>(dialog, TYX_MediaConverting_OptionDlg::kUserFolderRadioId);
        agent.QueueFolder(std::filesystem::absolute(options.folder).string());
        ok = radio != nullptr && radio->Click() && ClickButton(dialog, TYX_MediaConverting_OptionDlg::kChangeButtonId);
      }
      if (!ok) {
        dialogProblem = "the conversion dialog did not take the choices";
        ClickButton(dialog, Win::IDCANCEL);
        return;
      }
      ClickButton(dialog, Win::IDOK);
    }
  });
  agent.SetWatcher([&](Win::Window& dialog) {
    auto* progress = dynamic_cast<TYX_MediaConverting_ProgressDlg*>(&dialog);
    if (progress == nullptr) return;
    if (progress->IsConverting()) {
      if (options.progress) {
        std::fprintf(stderr, "\r\033[Kconverting %d/%zu", progress->CurrentIndex() + 1, picked.rows.size());
        std::fflush(stderr);
      }
      return;
    }
    // The run ended with problems and the dialog stays: read the statuses, then close it.
    failures.clear();
    for (std::size_t i = 0; i < picked.paths.size(); ++i) {
      const std::string status = progress->StatusOf(static_cast<int>(i));
      if (status != "완료") failures.push_back(picked.paths[i] + ": " + (status.empty() ? "not converted" : status));
    }
    ClickButton(dialog, Win::IDCANCEL);
  });

  Library::TYX_LibraryPanel& panel = session.Frame().Panel();
  panel.SendMessage(Library::WM_LIBRARY_MEDIA_CONVERTING, static_cast<Win::WPARAM>(FormatIndex(options.to)), 1);
  agent.SetOpener(nullptr);
  agent.SetWatcher(nullptr);
  if (options.progress) std::fprintf(stderr, "\r\033[K");
  if (!dialogProblem.empty()) return {1, dialogProblem, {}};

  const std::set<std::string> after = ShownPaths(session);
  int made = 0;
  for (const std::string& path : after)
    if (!before.count(path)) {
      r.report += "converted: " + path + "\n";
      ++made;
    }
  for (const std::string& f : failures) r.report += "failed: " + f + "\n";
  r.report += std::to_string(made) + " converted, " + std::to_string(failures.size()) + " failed\n";
  if (made == 0 && failures.empty()) {
    r.exitCode = 1;
    r.error = "nothing was converted (the songs may already be in that format; see the messages above)";
  } else if (!failures.empty()) {
    r.exitCode = 1;
  }
  return r;
}

}  // namespace TYX::Host
