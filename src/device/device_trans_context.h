#pragma once
// What the per-file preparation may ask of the running transfer: the worker-side half of the
// controller. Every operation is called on the transfer worker.
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace TYX::Device {

class TYX_DeviceTransContext {
 public:
  virtual ~TYX_DeviceTransContext() = default;

  virtual bool IsCancelled() const = 0;
  // The phone folder of the job, ending in "\\".
  virtual std::string DeviceFolder() const = 0;
  // Forgets the previous file's end; call before anything of a new file is reported.
  virtual void ResetFileDone() = 0;
  // True once the current file's end notice has been handled.
  virtual bool IsFileDone() const = 0;
  // Bytes of the file now being put (what the progress percent is taken of).
  virtual void SetCurrentFileSize(std::int64_t bytes) = 0;
  virtual void SetNameLimit(int limit) = 0;
  // Sends the controller its own file-end notice (dm_ts_end, code); returns once it was handled.
  virtual void SendFileEnd(int code) = 0;
  // Waits for the end notice of the put just started. Ends on the notice, on a cancel (the put is then
  // cancelled and its end awaited), or when the phone or the controller's window is gone (a file-end
  // notice of its own is then handled first). Returns the error text of the file's end, empty for success.
  virtual std::string WaitForFileEnd(unsigned device) = 0;
  // Observers' text notices and download results (0 downloaded, -2 failed), from the worker.
  virtual void NotifyText(const std::string& text) = 0;
  virtual void NotifyDownloadResult(int result) = 0;
};

}  // namespace TYX::Device
