#pragma once
// `sonvar shot`: opens a screen as a person would and draws it into a PNG file: the program's window
// with a page open, the sidebar alone, or one of the dialogs, opened on the songs a query picks the way
// the panel opens it and drawn before it is cancelled.
#include <string>
#include <vector>

#include "host_session.h"
#include "terminal_agent.h"

namespace TYX::Host {

class ShotCommand {
 public:
  struct Result {
    std::string error;    // empty on success
    std::string summary;  // "wrote FILE (1280 x 860)"
  };
  struct DialogScreen {
    std::string name;  // "tag-editor"
    std::string what;  // a few words for --help
  };
  static const std::vector<DialogScreen>& DialogScreens();
  // A page, "sidebar" or a dialog screen.
  static bool IsScreen(const std::string& name);
  // "sidebar, library, ..., tag-editor, ..." for messages.
  static std::string ScreenList();
  // One line per dialog screen, for --help.
  static std::string DialogHelp();

  // The query picks the songs a dialog opens on (the first song for a dialog of one song); a page or
  // the sidebar takes none.
  static Result Run(HostSession& session, TerminalAgent& agent, const std::string& screen,
                    const std::vector<std::string>& query, const std::string& pngPath);

 private:
  static Result RunDialog(HostSession& session, TerminalAgent& agent, const std::string& screen,
                          const std::vector<std::string>& query, const std::string& pngPath);
};

}  // namespace TYX::Host
