#include "transfer_agent.h"

#include <cstdio>

namespace TYX::Host {

namespace {

std::string WithoutCarriageReturns(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

}  // namespace

Win::MessageBoxAnswer TransferAgent::ShowMessageBox(const Win::MessageBoxRequest& request) {
  Win::MessageBoxRequest shown = request;
  shown.text = WithoutCarriageReturns(request.text);
  shown_.push_back(shown.text);
  if (request.caption != kTaggingCaption) return TerminalAgent::ShowMessageBox(shown);
  if (!quiet_) std::fprintf(stderr, "%s: %s\n(answered: no)\n", shown.caption.c_str(), shown.text.c_str());
  return Win::MessageBoxAnswer{Win::IDNO, false};
}

}  // namespace TYX::Host
