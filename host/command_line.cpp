#include "command_line.h"

#include <algorithm>

namespace TYX::Host {

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& s) {
  return std::find(list.begin(), list.end(), s) != list.end();
}

const char* kGlobalHelp =
    "Global options (before or after the command):\n"
    "  --data DIR     use the library, settings and log in DIR instead of the default folders\n"
    "  -q, --quiet    print only errors\n"
    "  -v, --verbose  say where the data lives and what each step does\n"
    "  --version      print the version and exit\n"
    "  -h, --help     print this help (or the command's help) and exit\n";

}  // namespace

std::string ParsedCommand::Value(const std::string& option) const {
  auto it = options.find(option);
  return it == options.end() || it->second.empty() ? std::string() : it->second.back();
}

CommandLine::CommandLine(std::vector<CommandSpec> commands) : commands_(std::move(commands)) {}

const CommandSpec* CommandLine::Find(const std::string& name) const {
  for (const CommandSpec& c : commands_)
    if (c.name == name) return &c;
  return nullptr;
}

ParseResult CommandLine::Parse(const std::vector<std::string>& args) const {
  ParseResult r;
  ParsedCommand& p = r.command;
  const CommandSpec* cmdSpec = nullptr;
  bool operandsOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (operandsOnly || a == "-" || a.empty() || a[0] != '-') {
      if (!cmdSpec) {
        cmdSpec = Find(a);
        if (!cmdSpec) {
          r.error = "unknown command '" + a + "'";
          return r;
        }
        p.command = a;
      } else {
        p.operands.push_back(a);
      }
      continue;
    }
    if (a == "--") {
      operandsOnly = true;
      continue;
    }
    // "--name=value" is the same as "--name value".
    std::string name = a, value;
    bool inlineValue = false;
    if (a.rfind("--", 0) == 0) {
      const auto eq = a.find('=');
      if (eq != std::string::npos) {
        name = a.substr(0, eq);
        value = a.substr(eq + 1);
        inlineValue = true;
      }
    }
    auto takeValue = [&](std::string& out) -> bool {
      if (inlineValue) {
        out = value;
      } else if (i + 1 < args.size()) {
        out = args[++i];
      } else {
        r.error = "option " + name + " needs a value";
        return false;
      }
      if (out.empty()) {
        r.error = "option " + name + " needs a value";
        return false;
      }
      return true;
    };
    if (name == "--data") {
      if (!takeValue(p.dataFolder)) return r;
    } else if (name == "-q" || name == "--quiet") {
      p.quiet = true;
    } else if (name == "-v" || name == "--verbose") {
      p.verbose = true;
    } else if (name == "--version") {
      p.version = true;
    } else if (name == "-h" || name == "--help") {
      p.help = true;
    } else if (cmdSpec && Contains(cmdSpec->valueOptions, name)) {
      std::string v;
      if (!takeValue(v)) return r;
      auto& values = p.options[name];
      if (!values.empty() && !Contains(cmdSpec->repeatable, name)) {
        r.error = "option " + name + " given twice";
        return r;
      }
      values.push_back(v);
    } else if (cmdSpec && Contains(cmdSpec->flags, name)) {
      if (inlineValue) {
        r.error = "option " + name + " takes no value";
        return r;
      }
      p.options[name] = {};
    } else {
      r.error = "unknown option '" + name + "'" + (cmdSpec ? " for '" + cmdSpec->name + "'" : std::string());
      return r;
    }
    if (inlineValue && (name == "-q" || name == "--quiet" || name == "-v" || name == "--verbose" ||
                        name == "--version" || name == "--help")) {
      r.error = "option " + name + " takes no value";
      return r;
    }
  }
  if (p.quiet && p.verbose) {
    r.error = "-q and -v cannot be used together";
    return r;
  }
  if (cmdSpec && !p.help && !p.version) {
    const int n = static_cast<int>(p.operands.size());
    if (n < cmdSpec->minOperands) {
      r.error = "'" + cmdSpec->name + "' needs " + cmdSpec->synopsis.substr(0, cmdSpec->synopsis.find(' '));
      return r;
    }
    if (cmdSpec->maxOperands >= 0 && n > cmdSpec->maxOperands) {
      r.error = "too many operands for '" + cmdSpec->name + "': '" + p.operands[static_cast<std::size_t>(cmdSpec->maxOperands)] + "'";
      return r;
    }
  }
  return r;
}

std::string CommandLine::ProgramHelp() const {
  std::string out =
      "usage: sonvar [--data DIR] [-q|-v] COMMAND [ARGS]\n"
      "\n"
      "A music library for the terminal: lists your songs by page, and draws pictures of its screens.\n"
      "\n"
      "Commands:\n";
  std::size_t width = 0;
  for (const CommandSpec& c : commands_) width = std::max(width, c.name.size());
  for (const CommandSpec& c : commands_)
    out += "  " + c.name + std::string(width + 3 - c.name.size(), ' ') + c.summary + "\n";
  out += "\n";
  out += kGlobalHelp;
  out += "\n'sonvar COMMAND --help' describes a command.\n";
  return out;
}

std::string CommandLine::CommandHelp(const CommandSpec& cmdSpec) const {
  std::string out = "usage: sonvar " + cmdSpec.name + (cmdSpec.synopsis.empty() ? "" : " " + cmdSpec.synopsis) + "\n\n";
  out += cmdSpec.summary + "\n";
  if (!cmdSpec.details.empty()) out += "\n" + cmdSpec.details;
  out += "\n";
  out += kGlobalHelp;
  return out;
}

}  // namespace TYX::Host
