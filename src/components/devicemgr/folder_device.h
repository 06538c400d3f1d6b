#pragma once
// One connected folder device: its root folder, its profile and model record, its Bluetooth state and
// the cancel flags of the transfers that run or wait on it. Shared by the client and its transfers; a
// transfer that outlives the connection sees IsConnected() false and ends.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/listing_cache.h"
#include "contracts/device_records.h"

namespace TYX::DeviceMgr {

struct SpaceFigures {
  std::uint64_t total = 0;
  std::uint64_t used = 0;
  std::uint64_t free = 0;
  std::uint64_t capacity = 0;  // the profile's capacity; 0: as much as the disk
  std::uint64_t diskFree = 0;  // what the disk under the root has free
};

class FolderDevice {
 public:
  using CancelFlag = std::shared_ptr<std::atomic<bool>>;

  FolderDevice(unsigned id, std::filesystem::path root, DeviceProfile profile, const stModelInfo* model);

  unsigned Id() const { return id_; }
  const std::filesystem::path& Root() const { return root_; }

  DeviceProfile Profile() const;
  const stModelInfo* Model() const;
  void SetProfile(DeviceProfile profile, const stModelInfo* model);
  // The current folder as names from the top.
  std::vector<std::string> CurrentFolder() const;

  bool IsConnected() const { return connected_.load(); }
  // Ends the connection: every transfer sees the device gone.
  void MarkDisconnected();
  // Connected and its root folder still there.
  bool IsReachable() const;

  bool IsSuspended() const;
  void SetSuspended(bool suspended);
  // Waits until the link is not suspended, the device is disconnected, or the time passed; true when
  // the link is ready.
  bool WaitUntilReady(std::uint32_t timeoutMs);

  // A transfer registers its flag for its whole life, from the call that asked for it to its end.
  CancelFlag AddTransfer();
  void RemoveTransfer(const CancelFlag& flag);
  void CancelTransfers();

  // Used bytes are the sizes of every file under the root; free space is the capacity minus them, and
  // never more than the disk under the root has free. Without a capacity the device holds what the
  // disk can. False when the root cannot be measured. withUsed false: a device without a capacity
  // skips the walk over its files (used and total stay 0), which a put does not need.
  // Inside a transfer session the used bytes are measured once and then kept by the listing cache.
  bool ComputeSpace(SpaceFigures& out, bool withUsed = true) const;

  // The listings and used bytes kept for the current transfer session.
  ListingCache& Listings() const { return listings_; }

  // A put renamed a file into place without waiting for the disk; Flush writes such files out.
  void MarkUnflushed() { unflushed_.store(true); }
  // Writes out everything put since the last flush (one flush of the file system under the root).
  // True when there was nothing to write or the flush succeeded.
  bool Flush();

 private:
  const unsigned id_;
  const std::filesystem::path root_;
  mutable std::mutex mutex_;
  std::condition_variable readyChanged_;   // signalled when suspended_ or connected_ change
  DeviceProfile profile_;                  // guarded by mutex_
  const stModelInfo* model_;               // guarded by mutex_; owned by the client
  bool suspended_ = false;                 // guarded by mutex_
  std::set<CancelFlag> transfers_;         // guarded by mutex_
  std::atomic<bool> connected_{true};      // any thread
  std::atomic<bool> unflushed_{false};     // any thread: set by puts, cleared by Flush
  mutable ListingCache listings_;          // any thread; locks itself
};

}  // namespace TYX::DeviceMgr
