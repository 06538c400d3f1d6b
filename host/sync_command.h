#pragma once
// `sonvar sync`: the sync list, the songs to put on the phone ("내 기기에 담을 곡 목록"), kept as a
// person keeps it: `add` picks songs on the library page and presses the panel's "copy to the sync
// list" button; `rm` picks songs on the sync page and presses its delete button; `ls` lists the page;
// `send` sends its songs (see send_command.h).
#include <string>
#include <vector>

#include "host_session.h"
#include "transfer_agent.h"

namespace TYX::Host {

class SyncCommand {
 public:
  struct Result {
    int exitCode = 0;
    std::string error;   // for stderr
    std::string report;  // for stdout
  };
  // Picks the songs of the query on the library page and copies them into the sync list.
  static Result Add(HostSession& session, const std::vector<std::string>& query);
  // Picks the songs of the query on the sync page and takes them out of the sync list.
  static Result Remove(HostSession& session, const std::vector<std::string>& query);
  // The number of songs in the sync list.
  static std::uint32_t Count(HostSession& session);
};

}  // namespace TYX::Host
