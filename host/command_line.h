#pragma once
// The command line of sonvar: global options (anywhere before "--"), a subcommand, its options and
// its operands. Parsing never prints or exits; a bad line gives a result carrying the error text,
// which the program reports as a usage error (exit 2).
#include <map>
#include <string>
#include <vector>

namespace TYX::Host {

struct CommandSpec {
  std::string name;
  std::string synopsis;  // operands and options, after "sonvar NAME"
  std::string summary;   // one line for the command list
  std::string details;   // the rest of the command's --help
  std::vector<std::string> valueOptions;  // options that take a value ("--format")
  std::vector<std::string> repeatable;    // value options that may be given more than once
  int minOperands = 0;
  int maxOperands = -1;  // -1: no limit
  std::vector<std::string> flags;         // options without a value ("--auto"); Has() tells them
};

struct ParsedCommand {
  std::string command;  // empty when only global options were given
  std::string dataFolder;
  bool quiet = false;
  bool verbose = false;
  bool version = false;
  bool help = false;  // --help, for the program or for the command
  std::map<std::string, std::vector<std::string>> options;  // value options, in order given
  std::vector<std::string> operands;

  bool Has(const std::string& option) const { return options.count(option) != 0; }
  std::string Value(const std::string& option) const;  // the last value, or empty
};

struct ParseResult {
  ParsedCommand command;
  std::string error;  // empty on success
};

class CommandLine {
 public:
  explicit CommandLine(std::vector<CommandSpec> commands);

  ParseResult Parse(const std::vector<std::string>& args) const;
  const CommandSpec* Find(const std::string& name) const;
  const std::vector<CommandSpec>& Commands() const { return commands_; }

  // The program's --help and a command's --help.
  std::string ProgramHelp() const;
  std::string CommandHelp(const CommandSpec& cmdSpec) const;

 private:
  std::vector<CommandSpec> commands_;
};

}  // namespace TYX::Host
