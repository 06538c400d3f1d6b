#include "sync_command.h"

#include "contracts/stock_playlist.h"
#include "library/library_panel.h"
#include "list_query.h"
#include "page_directory.h"
#include "platform/messaging.h"
#include "row_picker.h"
#include "toolkit/skin_button.h"

namespace TYX::Host {

namespace {

// The panel's toolbar buttons: delete the selection (command 1036) and copy it to the sync list (1035).
constexpr int kDeleteButton = 2;
constexpr int kCopyToSyncButton = 3;

std::string Songs(std::uint32_t n) { return std::to_string(n) + (n == 1 ? " song" : " songs"); }

bool Press(HostSession& session, int button) {
  auto* b = dynamic_cast<Controls::TYX_SkinButton*>(session.Frame().Panel().GetToolbarButton(button));
  if (b == nullptr || !b->Click()) return false;
  // The buttons post their commands to the panel.
  Win::PumpMessages();
  return true;
}

}  // namespace

std::uint32_t SyncCommand::Count(HostSession& session) {
  TYX_Playlist* sync = session.Store().GetStockPlaylist(STOCK_PLAYLIST_SYNC);
  return sync != nullptr ? sync->CountItem() : 0;
}

SyncCommand::Result SyncCommand::Add(HostSession& session, const std::vector<std::string>& terms) {
  ListQuery query;
  if (std::string e = query.Parse(terms); !e.empty()) return {2, e, {}};
  if (std::string e = session.ShowPage(*PageDirectory::Find("library")); !e.empty()) return {1, e, {}};
  const RowPicker::Picked picked = RowPicker::Pick(session, query);
  if (!picked.error.empty()) return {1, picked.error, {}};
  const std::uint32_t before = Count(session);
  if (!Press(session, kCopyToSyncButton)) return {1, "the button that copies songs to the sync list cannot be pressed", {}};
  const std::uint32_t after = Count(session);
  const std::uint32_t added = after > before ? after - before : 0;
  const std::uint32_t picks = static_cast<std::uint32_t>(picked.paths.size());
  Result r;
  r.report = "added " + Songs(added) + " to the sync list";
  if (added < picks) r.report += " (" + std::to_string(picks - added) + " in it already)";
  r.report += "; it holds " + Songs(after) + "\n";
  return r;
}

SyncCommand::Result SyncCommand::Remove(HostSession& session, const std::vector<std::string>& terms) {
  ListQuery query;
  if (std::string e = query.Parse(terms); !e.empty()) return {2, e, {}};
  if (std::string e = session.ShowPage(*PageDirectory::Find("sync")); !e.empty()) return {1, e, {}};
  const RowPicker::Picked picked = RowPicker::Pick(session, query);
  if (!picked.error.empty()) {
    if (Count(session) == 0) return {1, "the sync list is empty", {}};
    return {1, picked.error + " in the sync list", {}};
  }
  const std::uint32_t before = Count(session);
  if (!Press(session, kDeleteButton)) return {1, "the sync page's delete button cannot be pressed", {}};
  const std::uint32_t after = Count(session);
  Result r;
  r.report = "took " + Songs(before > after ? before - after : 0) + " out of the sync list; it holds " + Songs(after) + "\n";
  // Only the list changed: the files and the library keep every song.
  if (before - after != picked.paths.size()) {
    r.exitCode = 1;
    r.error = "the sync list kept " + Songs(static_cast<std::uint32_t>(picked.paths.size()) - (before - after)) + " it was asked to drop";
  }
  return r;
}

}  // namespace TYX::Host
