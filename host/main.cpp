// sonvar: the music library from a terminal. The program creates the sidebar and the panel and drives
// them as a person would; every command works through them.
//
//   sonvar [--data DIR] [-q|-v] COMMAND [ARGS]      (sonvar --help lists the commands)
//
// Exit status: 0 success, 1 a failure (said on stderr), 2 a usage error.
#include <unistd.h>

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "command_line.h"
#include "convert_command.h"
#include "data_location.h"
#include "devices_command.h"
#include "rip_command.h"
#include "host_session.h"
#include "import_command.h"
#include "large_page_heap.h"
#include "list_command.h"
#include "page_directory.h"
#include "phone_connection.h"
#include "platform/os_services.h"
#include "send_command.h"
#include "shot_command.h"
#include "sync_command.h"
#include "transfer_agent.h"
#include "tag_command.h"

using namespace TYX;
using namespace TYX::Host;

namespace {

constexpr const char* kVersion = "sonvar 0.1.0";

std::string PageHelp() {
  std::string out = "Pages:\n";
  for (const PageEntry& p : PageDirectory::Pages())
    out += "  " + p.name + std::string(13 - p.name.size(), ' ') + p.what + "\n";
  return out;
}

std::vector<CommandSpec> Commands() {
  return {
      {"import", "PATH...", "add music files and folders to the library",
       "Adds each file, and every song under each folder, through the add-files pipeline. A progress\n"
       "line is shown on a terminal, then what was added, what was there already and what failed, with\n"
       "the path and the reason.\n",
       {}, {}, 1, -1},
      {"scan", "[FOLDER]", "look for new music in a folder (the music folder by default) and add it",
       "Scans FOLDER, or the music folder, for songs the library does not have yet and adds them.\n", {}, {}, 0, 1},
      {"ls", "[PAGE] [QUERY...] [--format COLUMNS] [--cd-image FILE.cue]", "list a page of the library",
       PageHelp() +
           "\nQUERY narrows the list; every term must match, ignoring letter case:\n"
           "  genre:TEXT  artist:TEXT  album:TEXT  title:TEXT  path:TEXT   one field\n"
           "  TEXT                                                        title, artist, album, genre or path\n"
           "\n--format COLUMNS picks the columns, separated by commas, from:\n" +
           ListCommand::ColumnHelp() +
           "\n--cd-image FILE.cue makes a CD image act as the first drive (may be repeated).\n"
           "With -q the header and the count line are left out.\n",
       {"--format", "--cd-image"}, {"--cd-image"}, 0, -1},
      {"convert", "QUERY... --to mp3|via [--bitrate KBPS] [--channels mono|stereo|keep] [--folder DIR]",
       "convert the songs a query picks to MP3 or VIA",
       "Selects the songs QUERY picks on the library page (as 'sonvar ls QUERY' lists them) and converts\n"
       "them through the conversion dialogs. The new files go beside their sources, or into --folder DIR,\n"
       "and join the library. A song already in the target format is skipped after one question, which\n"
       "takes its default answer. Prints each new file and each song that failed.\n",
       {"--to", "--bitrate", "--channels", "--folder"}, {}, 1, -1},
      {"rip", "[TRACK...] [--cd-image FILE.cue] [--to FORMAT] [--bitrate KBPS | --quality 1-9] [--artist A]\n"
              "           [--album B] [--folder DIR]",
       "rip tracks of the audio CD into the library",
       "Opens the CD page, selects the TRACKs (numbers from 1; every track by default) and rips them\n"
       "through the ripping dialog into DIR/ARTIST/ALBUM (the dialog's folder by default). FORMAT is mp3,\n"
       "ogg, wma, wav or via; --quality picks Ogg's VBR quality. Artist and album come from the disc\n"
       "unless given. Every track's CRC32 and AccurateRip checksums go into a rip log beside the tracks\n"
       "with a cue sheet; ripping the same disc again names each track whose checksums differ (exit 1).\n",
       {"--cd-image", "--to", "--bitrate", "--quality", "--artist", "--album", "--folder"}, {"--cd-image"}, 0, -1},
      {"devices", "[--phone DIR]...", "list the phones that are connected",
       "Lists the phones the device manager sees; the current one, where songs go, is marked '*'.\n"
       "A phone is a folder holding a model profile, tyx_device.ini: a USB storage player mounted\n"
       "somewhere, or any folder set up as a phone. The phones are the folders given with --phone DIR\n"
       "(the last one given is the current phone), or else every folder, or link to a folder, in the\n"
       "devices folder beside the library (DATA/devices; the last by name is the current phone).\n"
       "A profile holds one Key=Value per line, for example:\n"
       "  Model=SPH-M4650       the model name (required)\n"
       "  Kind=2                2, 3, 5 or 6 a phone (it takes MP3 only); 7, 9 or 10 a storage player\n"
       "  Type=1                1 music mode, 2 storage player, 4 ring-tone mode\n"
       "  Folder=\\MUSIC         the music folder on the phone\n"
       "  Capacity=104857600    the bytes it holds (0: as much as the disk under it)\n"
       "  MaxBitrate=192        the highest bit rate it takes, in kbps\n"
       "  MaxFileName=36        the longest file name it keeps\n"
       "Exits 1 when a folder of the devices folder is no phone.\n",
       {"--phone"}, {"--phone"}, 0, 0},
      {"send", "QUERY... [--plan] [--report FILE.csv] [--phone DIR]...\n"
               "       sonvar send --retry-failed [--plan] [--report FILE.csv] [--phone DIR]...\n"
               "       sonvar send --report FILE.csv",
       "send the songs a query picks to the phone",
       "Selects the songs QUERY picks on the library page (as 'sonvar ls QUERY' lists them) and presses\n"
       "the send button, as a person does. The transfer dialog runs to its end; then the report tells how\n"
       "many songs reached the phone and why the others did not, and is printed as it reads. The question\n"
       "whether to update tags automatically before a transfer is answered no. For the phones, see\n"
       "'sonvar devices --help'.\n"
       "  --plan          check each song against the phone (format, bit rate, name, already there, free\n"
       "                  space) and print what a send would do; nothing is sent\n"
       "  --report FILE   write the songs that failed as CSV (reason,folder,file), grouped by reason;\n"
       "                  alone, write the last transfer's report\n"
       "  --retry-failed  send only the songs that failed, or were cancelled, in the last transfer\n"
       "  --phone DIR     the phone (may be repeated; the last one given is where songs go)\n"
       "Every transfer keeps its failures beside the library (last_transfer.csv). Exits 1 when a song\n"
       "was not sent.\n",
       {"--report", "--phone"}, {"--phone"}, 0, -1, {"--plan", "--retry-failed"}},
      {"sync", "add|rm|ls|send [QUERY...] [--format COLUMNS] [--plan] [--report FILE.csv] [--phone DIR]...",
       "keep the list of songs to put on the phone, and send it",
       "The sync list (\"내 기기에 담을 곡 목록\") holds the songs to put on the phone.\n"
       "  add QUERY...     copy the songs QUERY picks on the library page into the sync list\n"
       "  rm QUERY...      take the songs QUERY picks out of the sync list (the files stay)\n"
       "  ls [QUERY...]    list the sync list; --format as for 'sonvar ls'\n"
       "  send [QUERY...]  send the sync list's songs (or those QUERY picks) to the phone, as\n"
       "                   'sonvar send' does; --plan, --report and --phone as there\n",
       {"--format", "--report", "--phone"}, {"--phone"}, 1, -1, {"--plan"}},
      {"tag", "QUERY... (--auto [--service HOST[:PORT]] | --set FIELD=VALUE... | --remember)",
       "edit the tags of the songs a query picks, by hand or by their sound",
       "Selects the songs QUERY picks on the library page (as 'sonvar ls QUERY' lists them).\n"
       "  --set FIELD=VALUE  types VALUE into the field of the tag editor (one song) or of the batch editor\n"
       "                     (several songs; the field's box is ticked) and presses OK. FIELD is one of\n"
       "                     " + TagCommand::FieldNames() + "; an empty VALUE clears the field. Only\n"
       "                     changed fields are written; the batch editor writes MP3, WMA and Ogg files.\n"
       "  --auto             opens each song's tag editor, runs its automatic search and takes the best\n"
       "                     candidate's title, artist, album and genre. Songs are identified by their\n"
       "                     sound: first in the local index beside the library (music_fingerprints.db),\n"
       "                     then at the identification service; --service HOST[:PORT] names the service\n"
       "                     and keeps it in the settings for later runs.\n"
       "  --remember         remembers the songs by their sound in the local index, so that an untagged\n"
       "                     copy of one of them is identified without the network.\n"
       "Songs whose title, artist, album or genre were saved are remembered too. Prints one line per song:\n"
       "changed, tagged, unchanged, not identified (with the reason) or failed (with the reason); exits 1\n"
       "if any song was not identified or failed.\n",
       {"--set", "--service"}, {"--set"}, 1, -1, {"--auto", "--remember"}},
      {"shot", "SCREEN [QUERY...] --png FILE [--cd-image FILE.cue]", "draw a picture of a screen into a PNG file",
       "SCREEN is a page name (the program's window with that page open), 'sidebar', or a dialog, opened\n"
       "the way the panel opens it on the songs QUERY picks (every song without one) and closed unused:\n" +
           ShotCommand::DialogHelp() +
           "'transfer' and 'report' send the songs QUERY picks to the phone, as 'sonvar send QUERY' does, and\n"
           "draw the transfer dialog while it runs, or the report after it (--phone DIR as for 'send').\n"
           "\n" + PageHelp(),
       {"--png", "--cd-image", "--phone"}, {"--cd-image", "--phone"}, 1, -1},
  };
}

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "sonvar: %s\n", message.c_str());
  return code;
}

int Usage(const std::string& message, const std::string& command = {}) {
  std::fprintf(stderr, "sonvar: %s\n", message.c_str());
  std::fprintf(stderr, "Try 'sonvar %s--help' for more information.\n", command.empty() ? "" : (command + " ").c_str());
  return 2;
}

int RunImport(const ParsedCommand& cmd) {
  std::vector<std::string> paths = cmd.operands;
  if (cmd.command == "scan" && paths.empty()) paths.push_back(Win::Os::GetMusicFolder());
  auto agent = std::make_shared<TerminalAgent>(cmd.quiet);
  HostSession session;
  HostSession::Options open;
  open.dataFolder = cmd.dataFolder;
  open.createLibrary = true;
  open.agent = agent;
  // A missing path is refused before the library is made or touched.
  for (const std::string& p : paths) {
    std::error_code ec;
    if (!std::filesystem::exists(p, ec)) return Fail(1, "no such file or folder: " + p);
  }
  if (std::string e = session.Open(open); !e.empty()) return Fail(1, e);
  if (cmd.verbose) std::fprintf(stderr, "library: %s\n", session.Location().LibraryFile().c_str());
  const ImportCommand::Result r = ImportCommand::Run(session, *agent, paths, !cmd.quiet && isatty(2));
  if (!r.error.empty()) return Fail(r.exitCode, r.error);
  if (!cmd.quiet || r.exitCode != 0) std::fputs(r.report.c_str(), stdout);
  return r.exitCode;
}

int RunList(const ParsedCommand& cmd) {
  std::vector<std::string> terms = cmd.operands;
  PageEntry page = *PageDirectory::Find("library");
  if (!terms.empty()) {
    if (auto p = PageDirectory::Find(terms.front())) {
      page = *p;
      terms.erase(terms.begin());
    }
  }
  HostSession session;
  HostSession::Options open;
  open.dataFolder = cmd.dataFolder;
  if (cmd.Has("--cd-image")) open.cdImages = cmd.options.at("--cd-image");
  if (std::string e = session.Open(open); !e.empty()) return Fail(1, e);
  if (cmd.verbose) std::fprintf(stderr, "library: %s\n", session.Location().LibraryFile().c_str());

  ListCommand::Options options;
  options.page = page;
  options.query = terms;
  options.format = cmd.Value("--format");
  options.header = !cmd.quiet;
  ListCommand::Result r = ListCommand::Run(session, options);
  if (r.exitCode == 2) return Usage(r.error, "ls");
  if (r.exitCode != 0) return Fail(r.exitCode, r.error);
  std::fwrite(r.table.data(), 1, r.table.size(), stdout);
  // The count line follows the table also when stdout is a pipe.
  std::fflush(stdout);
  if (!cmd.quiet) std::fprintf(stderr, "%s\n", r.summary.c_str());
  return 0;
}

// Opens the library for a command whose dialogs the person at the terminal answers.
std::string OpenWithAgent(HostSession& session, const ParsedCommand& cmd, std::shared_ptr<TerminalAgent> agent,
                          bool createLibrary) {
  HostSession::Options open;
  open.dataFolder = cmd.dataFolder;
  open.createLibrary = createLibrary;
  open.agent = std::move(agent);
  if (cmd.Has("--cd-image")) open.cdImages = cmd.options.at("--cd-image");
  return session.Open(open);
}

int RunConvert(const ParsedCommand& cmd) {
  ConvertCommand::Options options;
  options.query = cmd.operands;
  options.to = cmd.Value("--to");
  options.bitrate = cmd.Value("--bitrate");
  options.channels = cmd.Value("--channels");
  options.folder = cmd.Value("--folder");
  options.progress = !cmd.quiet && isatty(2);
  if (std::string e = ConvertCommand::CheckOptions(options); !e.empty()) return Usage(e, "convert");
  auto agent = std::make_shared<TerminalAgent>(cmd.quiet);
  HostSession session;
  if (std::string e = OpenWithAgent(session, cmd, agent, false); !e.empty()) return Fail(1, e);
  const ConvertCommand::Result r = ConvertCommand::Run(session, *agent, options);
  if (r.exitCode == 2) return Usage(r.error, "convert");
  std::fputs(r.report.c_str(), stdout);
  if (!r.error.empty()) return Fail(r.exitCode, r.error);
  return r.exitCode;
}

int RunRip(const ParsedCommand& cmd) {
  RipCommand::Options options;
  options.tracks = cmd.operands;
  options.to = cmd.Value("--to");
  options.bitrate = cmd.Value("--bitrate");
  options.quality = cmd.Value("--quality");
  options.artist = cmd.Value("--artist");
  options.album = cmd.Value("--album");
  options.folder = cmd.Value("--folder");
  options.progress = !cmd.quiet && isatty(2);
  if (std::string e = RipCommand::CheckOptions(options); !e.empty()) return Usage(e, "rip");
  auto agent = std::make_shared<TerminalAgent>(cmd.quiet);
  HostSession session;
  if (std::string e = OpenWithAgent(session, cmd, agent, true); !e.empty()) return Fail(1, e);
  const RipCommand::Result r = RipCommand::Run(session, *agent, options);
  std::fputs(r.report.c_str(), stdout);
  if (!r.error.empty()) return Fail(r.exitCode, r.error);
  return r.exitCode;
}

int RunTag(const ParsedCommand& cmd) {
  TagCommand::Options options;
  options.query = cmd.operands;
  if (cmd.Has("--set")) options.sets = cmd.options.at("--set");
  options.automatic = cmd.Has("--auto");
  options.remember = cmd.Has("--remember");
  options.service = cmd.Value("--service");
  options.progress = !cmd.quiet && isatty(2);
  if (std::string e = TagCommand::CheckOptions(options); !e.empty()) return Usage(e, "tag");
  auto agent = std::make_shared<TerminalAgent>(cmd.quiet);
  HostSession session;
  if (std::string e = OpenWithAgent(session, cmd, agent, false); !e.empty()) return Fail(1, e);
  const TagCommand::Result r = TagCommand::Run(session, *agent, options);
  if (r.exitCode == 2) return Usage(r.error, "tag");
  std::fputs(r.report.c_str(), stdout);
  if (!r.error.empty()) return Fail(r.exitCode, r.error);
  return r.exitCode;
}

// The phones of this run, for the commands that reach the phone. Folders of the devices folder that are
// no phone are named on stderr and left out.
std::string ConnectPhones(PhoneConnection& phones, const ParsedCommand& cmd, const DataLocation& location) {
  const std::vector<std::string> given = cmd.Has("--phone") ? cmd.options.at("--phone") : std::vector<std::string>{};
  if (std::string e = phones.Connect(given, PhoneConnection::DevicesFolder(location)); !e.empty()) return e;
  for (const PhoneConnection::Problem& p : phones.Problems())
    std::fprintf(stderr, "sonvar: %s is no phone: %s\n", p.root.c_str(), p.error.c_str());
  return {};
}

int RunDevices(const ParsedCommand& cmd) {
  const DataLocation location(cmd.dataFolder);
  PhoneConnection phones;
  if (std::string e = ConnectPhones(phones, cmd, location); !e.empty()) return Fail(1, e);
  const DevicesCommand::Result r = DevicesCommand::Run(phones, !cmd.quiet);
  std::fwrite(r.table.data(), 1, r.table.size(), stdout);
  std::fflush(stdout);
  if (!cmd.quiet) std::fprintf(stderr, "%s\n", r.summary.c_str());
  return r.exitCode;
}

// `send`, `sync send` and the pictures of the transfer dialog and its report.
int RunSendOn(const ParsedCommand& cmd, const std::string& page, const std::vector<std::string>& query,
              const std::string& usageName, const std::string& dialogPng = {}, const std::string& reportPng = {}) {
  SendCommand::Options options;
  options.page = page;
  options.query = query;
  options.plan = cmd.Has("--plan");
  options.retryFailed = cmd.Has("--retry-failed");
  options.reportFile = cmd.Value("--report");
  options.progress = !cmd.quiet && isatty(2);
  options.dialogPng = dialogPng;
  options.reportPng = reportPng;
  if (std::string e = SendCommand::CheckOptions(options); !e.empty()) return Usage(e, usageName);
  const DataLocation location(cmd.dataFolder);
  options.lastReportFile = SendCommand::LastReportFile(location.LibraryFile());
  options.howToConnect = DevicesCommand::HowToConnect(PhoneConnection::DevicesFolder(location));
  if (SendCommand::CopiesLastReport(options)) {
    const SendCommand::Result r = SendCommand::CopyLastReport(options);
    if (!r.error.empty()) return Fail(r.exitCode, r.error);
    if (!cmd.quiet) std::fputs(r.notes.c_str(), stderr);
    return 0;
  }
  PhoneConnection phones;  // outlives the session, whose transfer uses it
  if (std::string e = ConnectPhones(phones, cmd, location); !e.empty()) return Fail(1, e);
  auto agent = std::make_shared<TransferAgent>(cmd.quiet);
  HostSession session;
  if (std::string e = OpenWithAgent(session, cmd, agent, false); !e.empty()) return Fail(1, e);
  const SendCommand::Result r = SendCommand::Run(session, *agent, options);
  if (r.exitCode == 2) return Usage(r.error, usageName);
  std::fputs(r.report.c_str(), stdout);
  std::fflush(stdout);
  if (!cmd.quiet) std::fputs(r.notes.c_str(), stderr);
  if (!r.error.empty()) return Fail(r.exitCode == 0 ? 1 : r.exitCode, r.error);
  return r.exitCode;
}

int RunSend(const ParsedCommand& cmd) { return RunSendOn(cmd, "library", cmd.operands, "send"); }

int RunSync(const ParsedCommand& cmd) {
  const std::string action = cmd.operands.front();
  const std::vector<std::string> rest(cmd.operands.begin() + 1, cmd.operands.end());
  if (action == "send") {
    if (cmd.Has("--format")) return Usage("--format goes with 'sync ls'", "sync");
    return RunSendOn(cmd, "sync", rest, "sync");
  }
  if (action != "add" && action != "rm" && action != "ls")
    return Usage("no sync action named '" + action + "' (add, rm, ls or send)", "sync");
  if (cmd.Has("--plan") || cmd.Has("--report") || cmd.Has("--phone") || cmd.Has("--retry-failed"))
    return Usage("--plan, --report, --retry-failed and --phone go with 'sync send'", "sync");
  if (action != "ls" && cmd.Has("--format")) return Usage("--format goes with 'sync ls'", "sync");
  if (action != "ls" && rest.empty()) return Usage("'sync " + action + "' needs a QUERY naming the songs", "sync");
  auto agent = std::make_shared<TerminalAgent>(cmd.quiet);
  HostSession session;
  if (std::string e = OpenWithAgent(session, cmd, agent, false); !e.empty()) return Fail(1, e);
  if (action == "ls") {
    ListCommand::Options options;
    options.page = *PageDirectory::Find("sync");
    options.query = rest;
    options.format = cmd.Value("--format");
    options.header = !cmd.quiet;
    const ListCommand::Result r = ListCommand::Run(session, options);
    if (r.exitCode == 2) return Usage(r.error, "sync");
    if (r.exitCode != 0) return Fail(r.exitCode, r.error);
    std::fwrite(r.table.data(), 1, r.table.size(), stdout);
    std::fflush(stdout);
    if (!cmd.quiet) std::fprintf(stderr, "%s\n", r.summary.c_str());
    return 0;
  }
  const SyncCommand::Result r = action == "add" ? SyncCommand::Add(session, rest) : SyncCommand::Remove(session, rest);
  if (r.exitCode == 2) return Usage(r.error, "sync");
  std::fputs(r.report.c_str(), stdout);
  if (!r.error.empty()) return Fail(r.exitCode == 0 ? 1 : r.exitCode, r.error);
  return r.exitCode;
}

// `shot transfer` and `shot report` send the songs, as `send` does, and draw the dialog.
int RunSendShot(const ParsedCommand& cmd, const std::string& screen, const std::vector<std::string>& query,
                const std::string& png) {
  if (query.empty()) return Usage("'shot " + screen + "' needs a QUERY naming the songs to send", "shot");
  if (cmd.Has("--cd-image")) return Usage("--cd-image does not go with 'shot " + screen + "'", "shot");
  return RunSendOn(cmd, "library", query, "shot", screen == "transfer" ? png : "", screen == "report" ? png : "");
}

int RunShot(const ParsedCommand& cmd) {
  const std::string screen = cmd.operands.front();
  const std::vector<std::string> query(cmd.operands.begin() + 1, cmd.operands.end());
  const std::string png = cmd.Value("--png");
  if (png.empty()) return Usage("'shot' needs --png FILE", "shot");
  if (screen == "transfer" || screen == "report") return RunSendShot(cmd, screen, query, png);
  if (cmd.Has("--phone")) return Usage("--phone goes with 'shot transfer' and 'shot report'", "shot");
  if (!ShotCommand::IsScreen(screen))
    return Usage("no screen named '" + screen + "' (screens: " + ShotCommand::ScreenList() + ")", "shot");
  auto agent = std::make_shared<TerminalAgent>(cmd.quiet);
  HostSession session;
  if (std::string e = OpenWithAgent(session, cmd, agent, false); !e.empty()) return Fail(1, e);
  ShotCommand::Result r = ShotCommand::Run(session, *agent, screen, query, png);
  if (!r.error.empty()) return Fail(1, r.error);
  if (!cmd.quiet) std::fprintf(stderr, "%s\n", r.summary.c_str());
  return 0;
}

int Main(int argc, char** argv) {
  const CommandLine line(Commands());
  const ParseResult parsed = line.Parse(std::vector<std::string>(argv + 1, argv + argc));
  const ParsedCommand& cmd = parsed.command;
  // The decoders' own notes ("Estimating duration from bitrate") are for -v; errors always show.
  av_log_set_level(cmd.verbose ? AV_LOG_WARNING : AV_LOG_ERROR);
  if (!parsed.error.empty()) return Usage(parsed.error, cmd.command);
  if (cmd.version) {
    std::printf("%s\n", kVersion);
    return 0;
  }
  if (cmd.help) {
    const CommandSpec* cmdSpec = line.Find(cmd.command);
    std::fputs(cmdSpec ? line.CommandHelp(*cmdSpec).c_str() : line.ProgramHelp().c_str(), stdout);
    return 0;
  }
  if (cmd.command.empty()) {
    std::fputs(line.ProgramHelp().c_str(), stderr);
    return 2;
  }
  if (cmd.command == "import" || cmd.command == "scan") return RunImport(cmd);
  if (cmd.command == "ls") return RunList(cmd);
  if (cmd.command == "shot") return RunShot(cmd);
  if (cmd.command == "convert") return RunConvert(cmd);
  if (cmd.command == "rip") return RunRip(cmd);
  if (cmd.command == "devices") return RunDevices(cmd);
  if (cmd.command == "send") return RunSend(cmd);
  if (cmd.command == "sync") return RunSync(cmd);
  if (cmd.command == "tag") return RunTag(cmd);
  return Usage("unknown command '" + cmd.command + "'");
}

}  // namespace

int main(int argc, char** argv) {
  // A listing of a large library lives in a hundred megabytes of small allocations.
  UseLargePageHeap(std::size_t{512} << 20);
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sonvar: %s\n", e.what());
    return 1;
  }
}
