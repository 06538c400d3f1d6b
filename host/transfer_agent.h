#pragma once
// The person at the terminal during a transfer. Like every terminal agent it prints the message boxes
// and takes their default answers, with one exception: the question whether tags are to be updated
// automatically before a transfer is answered "no", without ticking "do not ask again". The person
// did not ask for it here, and the answer leaves their settings as they were.
#include <string>
#include <vector>

#include "terminal_agent.h"

namespace TYX::Host {

class TransferAgent : public TerminalAgent {
 public:
  explicit TransferAgent(bool quiet) : TerminalAgent(quiet), quiet_(quiet) {}

  Win::MessageBoxAnswer ShowMessageBox(const Win::MessageBoxRequest& request) override;
  // The texts of the message boxes shown so far, oldest first, with CR LF as LF.
  const std::vector<std::string>& Shown() const { return shown_; }

  // The caption of the tagging question.
  static constexpr const char* kTaggingCaption = "Auto Tagging";

 private:
  bool quiet_;
  std::vector<std::string> shown_;  // the program's thread, like the agent itself
};

}  // namespace TYX::Host
