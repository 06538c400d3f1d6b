#pragma once
// The per-file steps of a transfer: the file's name on the phone, the checks that refuse it, and the
// put itself with the wait for its end. The controller owns one; a host may give it another (with web
// downloads or lyric copies) without touching the controller.
#include <cstdint>
#include <string>

#include "device/device_trans_context.h"

namespace TYX::Device {

// Which check refused a file (or settled it) before anything was sent.
enum class TransferCheck {
  None,          // the file would be sent
  Format,        // the phone does not take this format
  Media,         // the file cannot be read as music
  Bitrate,       // the bit rate is refused by the model
  Name,          // no phone name can be made of the file name
  Space,         // the phone's free space would not hold it
  AlreadyThere,  // the same song of about the same size is on the phone: nothing to send
};

struct FileCheck {
  TransferCheck check = TransferCheck::None;
  std::string deviceName;  // the name on the phone (empty when none can be made)
  std::string message;     // the refusal text, empty when none
  int code = 0;            // the file-end code of the refusal (a dm_transfer_code)
};

class TYX_DeviceFilePrep {
 public:
  virtual ~TYX_DeviceFilePrep() = default;

  // The phone name of a local file; the refusal text, empty when the file is accepted.
  virtual std::string GetDeviceFileName(unsigned device, const std::string& path, std::string& deviceName,
                                        std::string& sourcePath) = 0;
  // Empty when the phone takes the file's format, else the refusal text.
  virtual std::string CanCopyFormat(unsigned device, const std::string& path) = 0;
  // The checks of the file alone (format, readable music, bit rate, name); reads the device's model
  // information and the local file, never the phone's files.
  virtual FileCheck CheckFile(unsigned device, const std::string& path) = 0;
  // Puts the file on the phone and waits for its end; the error text, empty when it arrived.
  virtual std::string ProcessFile(TYX_DeviceTransContext& context, unsigned device, const std::string& path) = 0;
};

}  // namespace TYX::Device
