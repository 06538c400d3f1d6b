#pragma once
// `sonvar tag`: the songs a query picks are selected on the library page and their tags are edited
// through the tag editors, as a person edits them:
//   --set FIELD=VALUE  one song: the tag editor, the values typed into its fields and OK; several songs:
//                      the batch editor, the fields' boxes ticked, the values typed and OK. The editors
//                      write only what changed.
//   --auto             one song at a time: the tag editor, its automatic search, a click on the best
//                      candidate and OK. Texts the candidate lacks keep the song's own value.
//   --remember         the picked songs are remembered by their sound in the local index, so that an
//                      untagged copy of one of them is identified without the network.
// Songs whose title, artist, album or genre were saved are remembered as well (the index keeps those
// with the sound). Each song gets one report line.
#include <string>
#include <vector>

#include "host_session.h"
#include "terminal_agent.h"

namespace TYX::Host {

class TagCommand {
 public:
  enum class Field { Title, Artist, Album, Genre, Year, Track, Comment };
  struct Setting {
    Field field;
    std::string name;   // as the command line names it ("title")
    std::string value;  // empty clears the field
  };
  struct Options {
    std::vector<std::string> query;
    std::vector<std::string> sets;  // "FIELD=VALUE", as given
    bool automatic = false;
    bool remember = false;
    std::string service;    // the identification service's host[:port]; empty: as configured
    bool progress = false;  // a progress line on stderr
  };
  struct Result {
    int exitCode = 0;
    std::string error;   // for stderr
    std::string report;  // for stdout
  };

  // Usage problems (exit code 2) are found before anything is opened.
  static std::string CheckOptions(const Options& options);
  // "title=Spring" and the like into settings; an error text for a bad one.
  static std::string ParseSettings(const std::vector<std::string>& sets, std::vector<Setting>& out);
  // The names --set knows, for messages and help.
  static std::string FieldNames();
  static Result Run(HostSession& session, TerminalAgent& agent, const Options& options);

 private:
  struct Song {
    std::uint32_t index = 0;  // library index
    std::string path;
    int row = -1;             // the row it was last seen on
  };
  struct Tally;

  static Result RunSet(HostSession& session, TerminalAgent& agent, const std::vector<Song>& songs,
                       const std::vector<Setting>& settings, bool progress);
  static Result RunOneEditor(HostSession& session, TerminalAgent& agent, const Song& song,
                             const std::vector<Setting>& settings);
  static Result RunBatchEditor(HostSession& session, TerminalAgent& agent, const std::vector<Song>& songs,
                               const std::vector<Setting>& settings, bool progress);
  static Result RunAuto(HostSession& session, TerminalAgent& agent, std::vector<Song>& songs, bool progress);
  static Result RunRemember(const std::vector<Song>& songs, bool progress);
  // Clicks the song's row alone (it may have moved since it was picked). False when it is not listed.
  static bool SelectAlone(HostSession& session, Song& song);
};

}  // namespace TYX::Host
