#include "shot_command.h"

#include <filesystem>

#include "convert/media_converting_option_dlg.h"
#include "convert/ripping_dialog.h"
#include "library/library_panel.h"
#include "library/panel_commands.h"
#include "list_query.h"
#include "platform/dialog.h"
#include "render/screen_renderer.h"
#include "row_picker.h"
#include "tags/file_id3_edit2_dialog.h"
#include "tags/file_id3_edit_dialog.h"
#include "tags/file_property_dialog.h"
#include "toolkit/list_ctrl_ex.h"

namespace TYX::Host {

namespace {

Render::RenderResult Draw(Win::Window& root, const std::string& pngPath) {
  Render::RenderResult out;
  {
    Render::TYX_ScreenRenderer renderer(Render::TYX_ScreenRenderer::DefaultSkinFolder());
    out = renderer.RenderWindowToPng(root, pngPath);
  }
  Render::TYX_ScreenRenderer::ReleaseFontCaches();
  return out;
}

void Summarise(ShotCommand::Result& r, const Render::RenderResult& out, const std::string& pngPath) {
  if (!out.error.empty()) {
    r.error = out.error;
    return;
  }
  r.summary = "wrote " + pngPath + " (" + std::to_string(out.size.cx) + " x " + std::to_string(out.size.cy) + ")";
  if (out.missingImages) r.summary += "; " + std::to_string(out.missingImages) + " skin images missing";
  if (out.missingGlyphs) r.summary += "; " + std::to_string(out.missingGlyphs) + " characters without a glyph";
}

// Whether a modal dialog is the one the screen shows.
bool IsScreenDialog(const std::string& screen, Win::Window& window) {
  if (screen == "tag-editor") return dynamic_cast<Dialog::TYX_Dialog_FileID3Edit*>(&window) != nullptr;
  if (screen == "batch-editor") return dynamic_cast<Dialog::TYX_Dialog_FileID3Edit2*>(&window) != nullptr;
  if (screen == "song-info") return dynamic_cast<Dialog::TYX_Dialog_FileProperty*>(&window) != nullptr;
  if (screen == "convert-dialog") return dynamic_cast<Dialog::TYX_MediaConverting_OptionDlg*>(&window) != nullptr;
  if (screen == "rip-dialog") return dynamic_cast<Dialog::TYX_Dialog_Ripping*>(&window) != nullptr;
  return false;
}

}  // namespace

const std::vector<ShotCommand::DialogScreen>& ShotCommand::DialogScreens() {
  static const std::vector<DialogScreen> screens = {
      {"tag-editor", "the tag editor of the first song QUERY picks"},
      {"batch-editor", "the batch tag editor of the songs QUERY picks (two or more)"},
      {"song-info", "the song information of the first song QUERY picks"},
      {"convert-dialog", "the conversion options for the songs QUERY picks"},
      {"rip-dialog", "the ripping dialog for every track of the CD"},
  };
  return screens;
}

bool ShotCommand::IsScreen(const std::string& name) {
  if (name == "sidebar" || PageDirectory::Find(name)) return true;
  for (const DialogScreen& d : DialogScreens())
    if (d.name == name) return true;
  return false;
}

std::string ShotCommand::ScreenList() {
  std::string out = "sidebar, " + PageDirectory::NameList();
  for (const DialogScreen& d : DialogScreens()) out += ", " + d.name;
  return out;
}

std::string ShotCommand::DialogHelp() {
  std::string out;
  for (const DialogScreen& d : DialogScreens()) out += "  " + d.name + std::string(16 - d.name.size(), ' ') + d.what + "\n";
  return out;
}

ShotCommand::Result ShotCommand::Run(HostSession& session, TerminalAgent& agent, const std::string& screen,
                                     const std::vector<std::string>& query, const std::string& pngPath) {
  Result r;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path parent = fs::absolute(pngPath, ec).parent_path();
  if (!fs::is_directory(parent, ec)) {
    r.error = "cannot write " + pngPath + ": no folder " + parent.string();
    return r;
  }
  const bool sidebar = screen == "sidebar";
  const std::optional<PageEntry> page = PageDirectory::Find(sidebar ? "library" : screen);
  if (!page) return RunDialog(session, agent, screen, query, pngPath);
  if (!query.empty()) {
    r.error = "the screen '" + screen + "' takes no QUERY";
    return r;
  }
  if (std::string e = session.ShowPage(*page); !e.empty()) {
    r.error = e;
    return r;
  }
  Win::Window& root = sidebar ? static_cast<Win::Window&>(session.Frame().Band()) : session.Frame();
  Summarise(r, Draw(root, pngPath), pngPath);
  return r;
}

ShotCommand::Result ShotCommand::RunDialog(HostSession& session, TerminalAgent& agent, const std::string& screen,
                                           const std::vector<std::string>& query, const std::string& pngPath) {
  Result r;
  bool known = false;
  for (const DialogScreen& d : DialogScreens()) known = known || d.name == screen;
  if (!known) {
    r.error = "no screen named '" + screen + "'";
    return r;
  }
  Library::TYX_LibraryPanel& panel = session.Frame().Panel();
  const bool rip = screen == "rip-dialog";
  if (rip && !query.empty()) {
    r.error = "the screen 'rip-dialog' takes no QUERY (it shows every track of the CD)";
    return r;
  }
  if (std::string e = session.ShowPage(*PageDirectory::Find(rip ? "cd" : "library")); !e.empty()) {
    r.error = e;
    return r;
  }
  if (rip) {
    Controls::TYX_ListCtrlEx* list = panel.GetCurrentListCtrl();
    if (list == nullptr || list->GetItemCount() == 0) {
      r.error = "no audio CD in the drive (give one with --cd-image FILE.cue)";
      return r;
    }
  } else {
    ListQuery parsed;
    if (std::string e = parsed.Parse(query); !e.empty()) {
      r.error = e;
      return r;
    }
    RowPicker::Picked picked = RowPicker::Pick(session, parsed);
    if (!picked.error.empty()) {
      r.error = picked.error;
      return r;
    }
    const bool several = screen == "batch-editor" || screen == "convert-dialog";
    if (screen == "batch-editor" && picked.rows.size() < 2) {
      r.error = "the batch editor opens on two songs or more; '" + parsed.Text() + "' picks one";
      return r;
    }
    // A dialog of one song opens on the first song picked, alone.
    if (!several && picked.rows.size() > 1) {
      Controls::TYX_ListCtrlEx* list = panel.GetCurrentListCtrl();
      if (!list->ClickRow(picked.rows.front(), RowPicker::SelectingColumn(*list), 0)) {
        r.error = "the list refused a click on row " + std::to_string(picked.rows.front() + 1);
        return r;
      }
    }
  }

  bool drawn = false;
  agent.SetOpener([&](Win::Window& dialog) {
    if (!IsScreenDialog(screen, dialog)) return;
    drawn = true;
    Summarise(r, Draw(dialog, pngPath), pngPath);
    // The picture is all the person wanted: the dialog is closed without doing anything.
    bool closed = RowPicker::ClickButton(dialog, Win::IDCANCEL);
    // The information dialog only informs: its OK closes it.
    if (!closed && screen == "song-info") closed = RowPicker::ClickButton(dialog, Win::IDOK);
    if (!closed) {
      if (auto* modal = dynamic_cast<Win::Dialog*>(&dialog)) modal->EndDialog(Win::IDCANCEL);  // the close box
    }
  });
  if (screen == "tag-editor" || screen == "batch-editor") {
    panel.ShowFileID3EditDlg();
  } else if (screen == "song-info") {
    panel.ShowFilePropertyDlg();
  } else if (screen == "convert-dialog") {
    panel.SendMessage(Library::WM_LIBRARY_MEDIA_CONVERTING, 0, 0);
  } else {
    panel.SendMessage(Library::WM_LIBRARY_CD_RIPPING, 1, 0);
  }
  agent.SetOpener(nullptr);
  if (!drawn && r.error.empty()) r.error = "the " + screen + " did not open (the song may be missing or no song)";
  return r;
}

}  // namespace TYX::Host
