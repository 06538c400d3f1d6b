#pragma once
// `sonvar convert`: the songs a query picks are selected on the library page, the host asks the panel
// for their conversion (as the main window's convert button does), and the person's answers fill the
// option dialog: format, bit rate, channels and where the new files go. The progress dialog runs to its
// end; when it stays open because of problems, the person reads it and closes it.
#include <string>
#include <vector>

#include "host_session.h"
#include "terminal_agent.h"

namespace TYX::Host {

class ConvertCommand {
 public:
  struct Options {
    std::vector<std::string> query;
    std::string to;        // "mp3" or "via"
    std::string bitrate;   // kbps as text; empty: the dialog's choice
    std::string channels;  // "mono", "stereo", "keep"; empty: the dialog's choice
    std::string folder;    // empty: beside each source
    bool progress = false; // a progress line on stderr
  };
  struct Result {
    int exitCode = 0;
    std::string error;   // for stderr
    std::string report;  // for stdout
  };
  // Usage problems (exit code 2) are found before anything is opened.
  static std::string CheckOptions(const Options& options);
  static Result Run(HostSession& session, TerminalAgent& agent, const Options& options);
};

}  // namespace TYX::Host
