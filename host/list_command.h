#pragma once
// `sonvar ls`: opens a page in the sidebar, reads the rows the panel lists and prints the chosen
// columns as an aligned table. Cells the panel shows are taken from its list; what it does not show
// (path, genre, year, format name, file state) is read from the row's library item.
#include <cstdio>
#include <string>
#include <vector>

#include "host_session.h"
#include "list_query.h"

namespace TYX::Host {

class ListCommand {
 public:
  struct Options {
    PageEntry page;
    std::vector<std::string> query;
    std::string format;  // comma-separated column names; empty: the page's default
    bool header = true;
  };
  struct Result {
    int exitCode = 0;
    std::string error;   // for stderr, without the program name
    std::string table;   // for stdout
    std::string summary; // one line for stderr ("5 songs, 1 damaged")
    int rows = 0;
  };

  // The column names --format accepts, with a few words each.
  static std::string ColumnHelp();
  static Result Run(HostSession& session, const Options& options);

  // Display width of a UTF-8 text in terminal cells (wide East Asian characters count two).
  static int DisplayWidth(const std::string& text);
  // The format name of a file by its type ("MP3", "Ogg Vorbis", ...).
  static std::string FormatName(const std::string& path);
};

}  // namespace TYX::Host
