// The command line: usage errors exit 2 with a message naming the problem, failures exit 1, help and
// version exit 0, and nothing is written where the user did not ask.
#include <filesystem>

#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST_F(SonvarTest, UsageErrorsExitTwoWithTheReason) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"ls", "--colour"}, "unknown option '--colour' for 'ls'"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"import"}, "'import' needs PATH"},
      {{"shot", "library"}, "'shot' needs --png FILE"},
      {{"shot", "no-such-screen", "--png", "x.png"}, "no screen named 'no-such-screen'"},
      {{"ls", "--format"}, "option --format needs a value"},
      {{"-q", "-v", "ls"}, "-q and -v cannot be used together"},
      {{"scan", "a", "b"}, "too many operands for 'scan'"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = Sonvar(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.args.front() << ": " << run.err;
    EXPECT_THAT(run.err, HasSubstr("sonvar: " + c.message)) << c.args.front();
    EXPECT_THAT(run.out, IsEmpty());
  }
  // Without a command the program says what it can do, on stderr, and fails.
  const ProgramRun bare = Sonvar({});
  EXPECT_EQ(bare.exitCode, 2);
  EXPECT_THAT(bare.err, HasSubstr("Commands:"));
}

TEST_F(SonvarTest, HelpAndVersion) {
  const ProgramRun version = Sonvar({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_THAT(version.out, ::testing::StartsWith("sonvar "));

  const ProgramRun help = Sonvar({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : {"import", "scan", "ls", "shot"}) EXPECT_THAT(help.out, HasSubstr(command));

  // Each command has its own help, also after other arguments.
  const ProgramRun ls = Sonvar({"ls", "library", "--help"});
  EXPECT_EQ(ls.exitCode, 0);
  EXPECT_THAT(ls.out, HasSubstr("usage: sonvar ls"));
  EXPECT_THAT(ls.out, HasSubstr("now-playing"));
  EXPECT_THAT(ls.out, HasSubstr("path"));
  const ProgramRun shot = Sonvar({"shot", "--help"});
  EXPECT_EQ(shot.exitCode, 0);
  EXPECT_THAT(shot.out, HasSubstr("usage: sonvar shot SCREEN [QUERY...] --png FILE"));
  EXPECT_THAT(shot.out, HasSubstr("tag-editor"));
  const ProgramRun tag = Sonvar({"tag", "--help"});
  EXPECT_EQ(tag.exitCode, 0);
  EXPECT_THAT(tag.out, HasSubstr("usage: sonvar tag QUERY..."));
  EXPECT_THAT(tag.out, HasSubstr("title, artist, album, genre, year, track, comment"));
}

TEST_F(SonvarTest, MissingLibraryOrDataFolderFailsAndCreatesNothing) {
  // The default library does not exist yet: ls says how to make one and leaves the folders alone.
  const ProgramRun fresh = Sonvar({"ls"});
  EXPECT_EQ(fresh.exitCode, 1);
  EXPECT_THAT(fresh.err, HasSubstr("no library at " + XdgData() + "/sonvar/music_library.db"));
  EXPECT_THAT(fresh.err, HasSubstr("sonvar import"));
  EXPECT_FALSE(std::filesystem::exists(XdgData()));
  EXPECT_FALSE(std::filesystem::exists(Root() + "/xdg-state"));

  const ProgramRun missing = Sonvar({"--data", Root() + "/nowhere", "ls"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_THAT(missing.err, HasSubstr("no such data folder: " + Root() + "/nowhere"));
  EXPECT_FALSE(std::filesystem::exists(Root() + "/nowhere"));

  const ProgramRun shot = Sonvar({"--data", Root() + "/nowhere", "shot", "library", "--png", Root() + "/x.png"});
  EXPECT_EQ(shot.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(Root() + "/x.png"));
}

}  // namespace
}  // namespace TYX::Test
