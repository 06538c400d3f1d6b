#pragma once
// `sonvar shot`: opens a screen as a person would and draws it into a PNG file: the program's window
// with a page open, or the sidebar alone.
#include <string>

#include "host_session.h"

namespace TYX::Host {

class ShotCommand {
 public:
  struct Result {
    std::string error;    // empty on success
    std::string summary;  // "wrote FILE (1280 x 860)"
  };
  static Result Run(HostSession& session, const std::string& screen, const std::string& pngPath);
};

}  // namespace TYX::Host
