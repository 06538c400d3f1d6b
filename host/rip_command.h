#pragma once
// `sonvar rip`: the CD page is opened, the tracks asked for are selected (every track by default), the
// host asks the panel to rip them (as the main window's rip button does), and the person's answers fill
// the ripping dialog: artist, album, format, bit rate or quality, and the folder. When the run ends the
// program names the files made, the rip log, and the tracks that differ from an earlier rip.
#include <string>
#include <vector>

#include "host_session.h"
#include "terminal_agent.h"

namespace TYX::Host {

class RipCommand {
 public:
  struct Options {
    std::vector<std::string> tracks;  // 1-based track numbers; empty: every track
    std::string to;                   // "mp3", "ogg", "wma", "wav", "via"; empty: the dialog's choice
    std::string bitrate;              // kbps as text
    std::string quality;              // Ogg VBR quality 1..9 (turns VBR on)
    std::string artist, album;        // empty: what the dialog shows
    std::string folder;               // empty: the dialog's folder
    bool progress = false;
  };
  struct Result {
    int exitCode = 0;
    std::string error;
    std::string report;
  };
  static std::string CheckOptions(const Options& options);
  static Result Run(HostSession& session, TerminalAgent& agent, const Options& options);
};

}  // namespace TYX::Host
