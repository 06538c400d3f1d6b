#pragma once
// `sonvar import` and `sonvar scan`: files and folders go through the function set as a person adds
// them: the file chooser, answered with the files given and the songs found in the folders given, and
// the add-files popup that runs the list. A progress line is read from the popup while it runs.
#include <string>
#include <vector>

#include "host_session.h"
#include "terminal_agent.h"

namespace TYX::Host {

class ImportCommand {
 public:
  struct Result {
    int exitCode = 0;     // 0 all added or there already, 1 some failed or nothing could run
    std::string error;    // a failure before any run, for stderr
    std::string report;   // the summary and each failure, for stdout
  };
  // progress: print a progress line on stderr while the popup runs.
  static Result Run(HostSession& session, TerminalAgent& agent, const std::vector<std::string>& paths, bool progress);
};

}  // namespace TYX::Host
