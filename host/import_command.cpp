#include "import_command.h"

#include <cstdio>
#include <filesystem>

#include "import/add_files_popup.h"
#include "library/libarary_func_set.h"

namespace TYX::Host {

namespace {

void PrintProgress(Win::Window& dialog) {
  auto* popup = dynamic_cast<Library::TYX_Library_AddFilesPopup*>(&dialog);
  if (!popup) return;
  const auto& info = popup->GetInfo();
  std::string name = std::filesystem::path(info.path).filename().string();
  if (name.size() > 40) name = name.substr(0, 37) + "...";
  std::fprintf(stderr, "\r\033[Kimporting %d/%d (%s)  added %d, failed %d  %s", info.processed, info.total,
               Library::TYX_Library_AddFilesPopup::PercentText(info.processed, info.total).c_str(), info.added,
               info.failed, name.c_str());
  std::fflush(stderr);
}

}  // namespace

ImportCommand::Result ImportCommand::Run(HostSession& session, TerminalAgent& agent, const std::vector<std::string>& paths,
                                         bool progress) {
  namespace fs = std::filesystem;
  Result r;
  std::vector<std::string> files, folders;
  for (const std::string& p : paths) {
    std::error_code ec;
    const fs::path abs = fs::absolute(p, ec).lexically_normal();
    const fs::file_status st = fs::status(abs, ec);
    if (ec || !fs::exists(st)) {
      r.exitCode = 1;
      r.error = "no such file or folder: " + p;
      return r;
    }
    (fs::is_directory(st) ? folders : files).push_back(abs.string());
  }
  if (progress) agent.SetWatcher(PrintProgress);

  // Folders are opened the way a person selects every song in them in the file chooser; what cannot be
  // read on the way is reported with the run.
  Library::TYX_ImportSummary total;
  for (const std::string& folder : folders)
    Library::TYX_Libarary_FuncSet::GetFolderFiles(folder, files, Win::TRUE, &total);
  Library::TYX_Libarary_FuncSet functions(&session.Store());
  bool ran = false;
  if (!files.empty()) {
    // New songs join the whole library's list, which the library page shows.
    agent.QueueFiles(files);
    functions.ShowAddFilesDialog(session.Frame().GetSafeHwnd(), {STOCK_PLAYLIST_LIBRARY});
    total.Merge(functions.GetLastSummary());
    ran = true;
  }
  if (progress) std::fprintf(stderr, "\r\033[K");
  agent.SetWatcher(nullptr);
  if (!ran && total.Failed() == 0) {
    r.exitCode = 1;
    r.error = "no music files found in " + (paths.size() == 1 ? paths.front() : std::string("the folders given"));
    return r;
  }
  r.report = total.Text() + "\n";
  for (const auto& f : total.failures)
    r.report += "failed: " + f.path + ": " + Library::ImportFailureText(f.reason) + "\n";
  r.exitCode = total.Failed() > 0 ? 1 : 0;
  return r;
}

}  // namespace TYX::Host
