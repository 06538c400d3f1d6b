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
  // The question is its last line; the lines before it explain the setting.
  const std::size_t cut = shown.text.find_last_of('\n');
  const std::string question = cut == std::string::npos ? shown.text : shown.text.substr(cut + 1);
  if (!quiet_) std::fprintf(stderr, "%s: %s (answered: no)\n", shown.caption.c_str(), question.c_str());
  return Win::MessageBoxAnswer{Win::IDNO, false};
}

}  // namespace TYX::Host
