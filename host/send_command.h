#pragma once
// `sonvar send` (and `sonvar sync send`): the songs a query picks are selected on their page and the
// send button of the panel's toolbar is pressed, as a person does it. The panel checks the phone and
// opens the transfer dialog, which runs to its end; then the report comes, which is read as a person
// reads it and closed. Every send keeps its failures beside the library (the last report), from which
// --retry-failed sends the files that did not reach the phone, and --report FILE.csv writes them
// grouped by reason. --plan shows what a send would do, checked against the phone, without sending.
#include <string>
#include <vector>

#include "device/dialog_error_report.h"
#include "host_session.h"
#include "transfer_agent.h"

namespace TYX::Host {

class SendCommand {
 public:
  using FailedFile = Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST;

  struct Options {
    std::string page = "library";  // where the songs are picked: "library" or "sync"
    std::vector<std::string> query;
    bool plan = false;
    bool retryFailed = false;
    std::string reportFile;      // --report FILE.csv
    std::string lastReportFile;  // the failures of the last transfer of this library
    std::string howToConnect;    // told when no phone is connected
    bool progress = false;       // a progress line on stderr
    std::string dialogPng;       // a picture of the transfer dialog while it runs
    std::string reportPng;       // a picture of the report
  };
  struct Result {
    int exitCode = 0;
    std::string error;   // for stderr
    std::string report;  // for stdout
    std::string notes;   // for stderr: pictures written, files no longer in the library
  };

  // Usage problems (exit code 2), found before anything is opened.
  static std::string CheckOptions(const Options& options);
  // Without a QUERY and without --retry-failed, --report FILE copies the last report: no library needed.
  static bool CopiesLastReport(const Options& options);
  static Result CopyLastReport(const Options& options);
  static Result Run(HostSession& session, TransferAgent& agent, const Options& options);

  // The last report's file for a library file.
  static std::string LastReportFile(const std::string& libraryFile);
  // Reads a report written by the transfer controller (reason, folder, file); false with the reason
  // when the text is not one.
  static bool ParseReport(const std::string& csv, std::vector<FailedFile>& out, std::string& error);
};

}  // namespace TYX::Host
