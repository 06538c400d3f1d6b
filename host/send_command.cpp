#include "send_command.h"

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "contracts/device_mgr_client.h"
#include "devices_command.h"
#include "device/device_report_csv.h"
#include "device/device_trans_control.h"
#include "library/device_trans_dlg.h"
#include "library/library_panel.h"
#include "list_query.h"
#include "page_directory.h"
#include "platform/messaging.h"
#include "render/screen_renderer.h"
#include "render/window_snapshot.h"
#include "row_picker.h"
#include "toolkit/skin_button.h"

namespace TYX::Host {

namespace {

namespace fs = std::filesystem;
using Dialog::TYX_Dialog_Error_Report;
using Device::TYX_DeviceTransControl;

// The panel's toolbar button that sends the selection to the phone (command 1014).
constexpr int kSendButton = 1;

// Ctrl-C during a transfer presses the dialog's cancel button: the file being copied is abandoned on
// the phone side, the others are marked cancelled, and the report is kept, so --retry-failed sends them
// later. A second Ctrl-C ends the program at once.
std::atomic<bool> interrupted{false};  // set by the signal handler, read by the program's thread
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnInterrupt(int) { interrupted.store(true); }

class InterruptScope {
 public:
  InterruptScope() {
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    installed_ = sigaction(SIGINT, &action, &previous_) == 0;
  }
  ~InterruptScope() {
    if (installed_) sigaction(SIGINT, &previous_, nullptr);
  }
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  struct sigaction previous_ {};
  bool installed_ = false;
};

std::string PhoneFolder(unsigned device) {
  std::string folder = dmGetCurrentDirectory(device);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

// Selects the rows of the shown list whose songs are these files, as a person picks them: a click on
// the first, a Ctrl-click on each further one. Files no row shows are named in `missing`.
RowPicker::Picked PickFiles(HostSession& session, const std::vector<std::string>& files, std::vector<std::string>& missing) {
  RowPicker::Picked picked;
  Library::TYX_LibraryPanel& panel = session.Frame().Panel();
  Controls::TYX_ListCtrlEx* list = panel.GetCurrentListCtrl();
  if (list == nullptr) {
    picked.error = "the panel shows no list";
    return picked;
  }
  const std::set<std::string> wanted(files.begin(), files.end());
  std::set<std::string> found;
  for (int row = 0; row < list->GetItemCount(); ++row) {
    const std::uint32_t index = panel.GetRowMediaLibIndex(row);
    TYX_LibraryItem* item = index == kNoLibraryIndex ? nullptr : session.Store().GetLibraryItem(index);
    if (item == nullptr || !wanted.count(item->GetPath())) continue;
    picked.rows.push_back(row);
    picked.paths.push_back(item->GetPath());
    found.insert(item->GetPath());
  }
  for (const std::string& f : files)
    if (!found.count(f)) missing.push_back(f);
  if (picked.rows.empty()) {
    picked.error = "none of the files that failed last time is in the library any more";
    return picked;
  }
  const int column = RowPicker::SelectingColumn(*list);
  for (std::size_t i = 0; i < picked.rows.size(); ++i) {
    list->EnsureVisible(picked.rows[i]);
    if (!list->ClickRow(picked.rows[i], column, i == 0 ? 0 : Controls::MK_CONTROL)) {
      picked.error = "the list refused a click on row " + std::to_string(picked.rows[i] + 1);
      return picked;
    }
  }
  return picked;
}

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return !in.bad();
}

// The last report of this library: false with the reason when there is none or it cannot be read.
bool ReadLastReport(const std::string& file, std::vector<SendCommand::FailedFile>& out, std::string& error) {
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    error = "no transfer has been made with this library yet (its report would be " + file + ")";
    return false;
  }
  std::string text;
  if (!ReadFile(file, text)) {
    error = "the last report " + file + " cannot be read";
    return false;
  }
  std::string why;
  if (!SendCommand::ParseReport(text, out, why)) {
    error = "the last report " + file + " is damaged: " + why;
    return false;
  }
  return true;
}

std::string Picture(const Render::TYX_WindowSnapshot& shot, const std::string& png, std::string& error) {
  Render::RenderResult out;
  {
    Render::TYX_ScreenRenderer renderer(Render::TYX_ScreenRenderer::DefaultSkinFolder());
    out = renderer.RenderToPng(shot, png);
  }
  if (!out.error.empty()) {
    error = out.error;
    return {};
  }
  std::string summary = "wrote " + png + " (" + std::to_string(out.size.cx) + " x " + std::to_string(out.size.cy) + ")";
  if (out.missingImages) summary += "; " + std::to_string(out.missingImages) + " skin images missing";
  if (out.missingGlyphs) summary += "; " + std::to_string(out.missingGlyphs) + " characters without a glyph";
  return summary;
}

// What the report says, read off the dialog as a person reads it: its title and texts, and the rows of
// its list of failed files when the list shows.
std::string ReadReportDialog(TYX_Dialog_Error_Report& report) {
  std::string out;
  const std::vector<std::string> texts = report.GetDrawInfo().Texts();
  out += report.GetWindowText();
  for (std::size_t i = 0; i < texts.size(); ++i) out += (i == 0 ? ": " : "\n  ") + texts[i];
  out += "\n";
  Controls::TYX_ListCtrlEx* list = report.GetErrorList();
  if (list != nullptr && list->IsWindowVisible()) {
    for (int row = 0; row < list->GetItemCount(); ++row) {
      out += "  " + list->GetCellText(row, 0) + "  " + list->GetCellText(row, 1) + "  " + list->GetCellText(row, 2) + "\n";
    }
  }
  return out;
}

struct Outcome {
  std::string lines;  // one per file
  int sent = 0;
  int failed = 0;
  int cancelled = 0;
};

Outcome ReadOutcome(const TYX_DeviceTransControl& controller, const std::string& phoneFolder) {
  Outcome o;
  for (const std::string& path : controller.GetFiles()) {
    const TYX_DeviceTransControl::TransferRecord record = controller.GetRecord(path);
    switch (record.state) {
      case TYX_DeviceTransControl::ess_complete:
        o.lines += "sent: " + path + " -> " + phoneFolder + record.deviceName + "\n";
        ++o.sent;
        break;
      case TYX_DeviceTransControl::ess_cancelled:
        o.lines += "cancelled: " + path + "\n";
        ++o.cancelled;
        break;
      default:
        o.lines += "failed: " + path + ": " + (record.message.empty() ? "not sent" : record.message) + "\n";
        ++o.failed;
        break;
    }
  }
  return o;
}

SendCommand::Result Plan(const RowPicker::Picked& picked, const SendCommand::Options& options) {
  SendCommand::Result r;
  const unsigned device = dmGetCurrentDevice(0);
  if (device == DM_NO_DEVICE) return {1, "no phone is connected; " + options.howToConnect, {}, {}};
  // The controller checks the files as its job would, and changes nothing on the phone.
  const TYX_DeviceTransControl controller;
  const std::vector<Device::TransferPlanEntry> plan = controller.GetTransferPlan(device, picked.paths);
  const std::string folder = PhoneFolder(device);
  int toSend = 0, there = 0, refused = 0;
  std::int64_t bytes = 0;
  for (const Device::TransferPlanEntry& e : plan) {
    switch (e.check) {
      case Device::TransferCheck::None:
        r.report += "send: " + e.path + " -> " + folder + e.deviceName + " (" + DevicesCommand::SizeText(static_cast<unsigned long long>(e.size)) + ")\n";
        ++toSend;
        bytes += e.size;
        break;
      case Device::TransferCheck::AlreadyThere:
        r.report += "already on the phone: " + e.path + " -> " + folder + e.deviceName + "\n";
        ++there;
        break;
      default:
        r.report += std::string("refused (") + Device::TransferCheckName(e.check) + "): " + e.path + ": " + e.message + "\n";
        ++refused;
        break;
    }
  }
  r.report += std::to_string(toSend) + " to send (" + DevicesCommand::SizeText(static_cast<unsigned long long>(bytes)) +
              "), " + std::to_string(there) + " already on the phone, " + std::to_string(refused) + " refused; " +
              DevicesCommand::SizeText(dmGetDeviceFreeSpace(device, 0)) + " free on " + dmGetDeviceName(device) + "\n";
  return r;
}

SendCommand::Result Send(HostSession& session, TransferAgent& agent, const RowPicker::Picked& picked,
                         const SendCommand::Options& options) {
  SendCommand::Result r;
  Library::TYX_LibraryPanel& panel = session.Frame().Panel();
  auto* sendButton = dynamic_cast<Controls::TYX_SkinButton*>(panel.GetToolbarButton(kSendButton));
  const std::size_t shownBefore = agent.Shown().size();

  Library::TYX_DeviceTransDlg* transfer = nullptr;  // lives until the report is closed
  bool reportSeen = false;
  std::string reportText;
  Outcome outcome;
  std::string lastState;
  std::optional<Render::TYX_WindowSnapshot> dialogShot;
  int dialogShotPercent = -1;
  bool cancelPressed = false;

  agent.SetOpener([&](Win::Window& dialog) {
    if (auto* t = dynamic_cast<Library::TYX_DeviceTransDlg*>(&dialog)) {
      transfer = t;
      return;
    }
    auto* report = dynamic_cast<TYX_Dialog_Error_Report*>(&dialog);
    if (report == nullptr) return;
    reportSeen = true;
    reportText = ReadReportDialog(*report);
    const TYX_DeviceTransControl* controller = transfer != nullptr ? transfer->GetController() : nullptr;
    if (controller != nullptr) {
      outcome = ReadOutcome(*controller, PhoneFolder(dmGetCurrentDevice(0)));
      // Kept for --retry-failed; a send that cannot keep it still sent its files.
      if (std::string e = controller->WriteErrorReportCsv(options.lastReportFile); !e.empty())
        r.notes += "the report could not be kept for --retry-failed: " + e + "\n";
      if (!options.reportFile.empty()) {
        if (std::string e = controller->WriteErrorReportCsv(options.reportFile); !e.empty()) r.error = e;
        else r.notes += "wrote " + options.reportFile + "\n";
      }
    }
    if (!options.reportPng.empty()) {
      std::string error;
      const std::string said = Picture(Render::TYX_WindowSnapshot::Take(*report), options.reportPng, error);
      if (!error.empty()) r.error = error;
      else r.notes += said + "\n";
    }
    report->ClickButton(Win::IDCANCEL);
  });
  agent.SetWatcher([&](Win::Window& dialog) {
    auto* t = dynamic_cast<Library::TYX_DeviceTransDlg*>(&dialog);
    if (t == nullptr || !t->WasStarted()) return;
    if (interrupted.load() && !cancelPressed && t->GetCancelButton() != nullptr) {
      cancelPressed = true;
      t->GetCancelButton()->Click();
    }
    const std::string state = t->GetOverallText() + " " + t->GetFileText();
    if (state == lastState) return;
    lastState = state;
    if (options.progress) {
      std::fprintf(stderr, "\r\033[Ksending: %d%% (this file %s)", t->GetOverallPercent(), t->GetFileText().c_str());
      std::fflush(stderr);
    }
    // The picture shows the transfer under way: the latest state before the end, if one was seen.
    if (!options.dialogPng.empty() && (dialogShotPercent < 0 || t->GetOverallPercent() < 100)) {
      dialogShot = Render::TYX_WindowSnapshot::Take(*t);
      dialogShotPercent = t->GetOverallPercent();
    }
  });
  bool pressed = false;
  {
    InterruptScope scope;
    pressed = sendButton != nullptr && sendButton->Click();
    Win::PumpMessages();
  }
  agent.SetOpener(nullptr);
  agent.SetWatcher(nullptr);
  if (options.progress) std::fprintf(stderr, "\r\033[K");
  if (!pressed) return {1, "the send button cannot be pressed", {}, {}};

  if (!reportSeen) {
    // The panel refused before a transfer ran, or the transfer could not start: its message says why.
    r.exitCode = 1;
    if (dmGetCurrentDevice(0) == DM_NO_DEVICE) {
      r.error = "nothing was sent: no phone is connected; " + options.howToConnect;
    } else if (agent.Shown().size() > shownBefore) {
      r.error = "nothing was sent: " + agent.Shown().back();
    } else {
      r.error = "nothing was sent";
    }
    return r;
  }
  if (!options.dialogPng.empty()) {
    if (!dialogShot) {
      r.error = "the transfer dialog showed no transfer to draw";
    } else {
      std::string error;
      const std::string said = Picture(*dialogShot, options.dialogPng, error);
      if (!error.empty()) r.error = error;
      else r.notes += said + "\n";
    }
  }
  if (!options.dialogPng.empty() || !options.reportPng.empty()) Render::TYX_ScreenRenderer::ReleaseFontCaches();

  r.report = outcome.lines + reportText;
  r.report += std::to_string(outcome.sent) + " sent, " + std::to_string(outcome.failed) + " failed";
  if (outcome.cancelled) r.report += ", " + std::to_string(outcome.cancelled) + " cancelled";
  r.report += "\n";
  if (cancelPressed) r.notes += "interrupted: the transfer was cancelled\n";
  if (outcome.failed + outcome.cancelled > 0 || !r.error.empty()) r.exitCode = 1;
  (void)picked;
  return r;
}

}  // namespace

std::string SendCommand::LastReportFile(const std::string& libraryFile) {
  return (fs::path(libraryFile).parent_path() / "last_transfer.csv").string();
}

bool SendCommand::ParseReport(const std::string& csv, std::vector<FailedFile>& out, std::string& error) {
  out.clear();
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false, fieldStarted = false;
  int line = 1;
  auto endRecord = [&] {
    fields.push_back(field);
    records.push_back(fields);
    fields.clear();
    field.clear();
    fieldStarted = false;
  };
  for (std::size_t i = 0; i < csv.size(); ++i) {
    const char c = csv[i];
    if (quoted) {
      if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        field += c;
      }
      continue;
    }
    if (c == '"' && !fieldStarted) {
      quoted = true;
      fieldStarted = true;
    } else if (c == ',') {
      fields.push_back(field);
      field.clear();
      fieldStarted = false;
    } else if (c == '\n') {
      endRecord();
      ++line;
    } else if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
      continue;
    } else {
      field += c;
      fieldStarted = true;
    }
  }
  if (quoted) {
    error = "a quoted field does not end (line " + std::to_string(line) + ")";
    return false;
  }
  if (fieldStarted || !fields.empty()) endRecord();
  if (records.empty() || records.front() != std::vector<std::string>{"reason", "folder", "file"}) {
    error = "the first line is not 'reason,folder,file'";
    return false;
  }
  for (std::size_t i = 1; i < records.size(); ++i) {
    const auto& rec = records[i];
    if (rec.size() != 3 || rec[2].empty()) {
      error = "record " + std::to_string(i + 1) + " is not a reason, a folder and a file";
      out.clear();
      return false;
    }
    out.push_back(FailedFile{rec[1], rec[2], rec[2], rec[0]});
  }
  return true;
}

std::string SendCommand::CheckOptions(const Options& options) {
  const std::string name = options.page == "sync" ? "sync send" : "send";
  if (options.retryFailed && !options.query.empty()) return "'" + name + " --retry-failed' takes no QUERY";
  if (options.plan && !options.reportFile.empty()) return "--plan sends nothing, so it has no --report";
  if (options.plan && (!options.dialogPng.empty() || !options.reportPng.empty()))
    return "--plan sends nothing, so it shows no dialog";
  if (options.page == "library" && options.query.empty() && !options.retryFailed && !CopiesLastReport(options))
    return "'send' needs a QUERY naming the songs (use 'sonvar ls QUERY' to try one), or --retry-failed";
  return {};
}

bool SendCommand::CopiesLastReport(const Options& options) {
  return options.page == "library" && options.query.empty() && !options.retryFailed && !options.plan &&
         !options.reportFile.empty() && options.dialogPng.empty() && options.reportPng.empty();
}

SendCommand::Result SendCommand::CopyLastReport(const Options& options) {
  std::vector<FailedFile> last;
  std::string error;
  if (!ReadLastReport(options.lastReportFile, last, error)) return {1, error, {}, {}};
  if (std::string e = Device::WriteTransferReportCsv(options.reportFile, last); !e.empty()) return {1, e, {}, {}};
  Result r;
  r.notes = "wrote " + options.reportFile + " (" + std::to_string(last.size()) + " failed in the last transfer)\n";
  return r;
}

SendCommand::Result SendCommand::Run(HostSession& session, TransferAgent& agent, const Options& options) {
  Result r;
  std::vector<std::string> retry;
  if (options.retryFailed) {
    std::vector<FailedFile> last;
    std::string error;
    if (!ReadLastReport(options.lastReportFile, last, error)) return {1, error, {}, {}};
    if (last.empty()) {
      r.report = "nothing failed in the last transfer\n";
      return r;
    }
    for (const FailedFile& f : last) retry.push_back(f.folder + f.fileName);
  }
  ListQuery query;
  if (std::string e = query.Parse(options.query); !e.empty()) return {2, e, {}, {}};
  const std::optional<PageEntry> page = PageDirectory::Find(options.page);
  if (!page) return {1, "no page named '" + options.page + "'", {}, {}};
  if (std::string e = session.ShowPage(*page); !e.empty()) return {1, e, {}, {}};

  std::vector<std::string> missing;
  const RowPicker::Picked picked = options.retryFailed ? PickFiles(session, retry, missing) : RowPicker::Pick(session, query);
  for (const std::string& m : missing) r.notes += "not in the library any more: " + m + "\n";
  if (!picked.error.empty()) {
    std::string error = picked.error;
    if (options.page == "sync" && query.Empty() && !options.retryFailed)
      error = "the sync list is empty; add songs with 'sonvar sync add QUERY'";
    return {1, error, {}, r.notes};
  }
  Result done = options.plan ? Plan(picked, options) : Send(session, agent, picked, options);
  done.notes = r.notes + done.notes;
  // Files that could not even be picked did not reach the phone either.
  if (!missing.empty() && done.exitCode == 0) done.exitCode = 1;
  return done;
}

}  // namespace TYX::Host
