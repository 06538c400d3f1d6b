#pragma once
// The standard per-file steps over the device manager client: names made with the phone file-name
// rules, formats by device family (phones take MP3; storage players MP3, WMA, OGG and ASF), bit rates by
// the model's limit, web items fetched first, the lyric copy for phones that show lyrics
// (phone_lyric_copy.h), and the put with its wait.
#include <string>
#include <vector>

#include "contracts/device_records.h"
#include "device/device_file_prep.h"

namespace TYX::Device {

class TYX_DeviceFilePrepDefault : public TYX_DeviceFilePrep {
 public:
  struct Options {
    // Models that play no file of 64 kbps or less (the maker's list; exact model names).
    std::vector<std::string> lowBitrateModels;
  };
  // Configuration attribute (TYX_INIT): more such models, separated by ",". Read at each check, so the
  // list a host configures reaches every controller, the transfer dialog's included.
  static constexpr const char* kLowBitrateModelsAttribute = "LOW_BITRATE_REFUSED_MODELS";

  TYX_DeviceFilePrepDefault() = default;
  explicit TYX_DeviceFilePrepDefault(Options options) : options_(std::move(options)) {}

  std::string GetDeviceFileName(unsigned device, const std::string& path, std::string& deviceName,
                                std::string& sourcePath) override;
  std::string CanCopyFormat(unsigned device, const std::string& path) override;
  FileCheck CheckFile(unsigned device, const std::string& path) override;
  std::string ProcessFile(TYX_DeviceTransContext& context, unsigned device, const std::string& path) override;

  // The longest phone name of a device (36 when the model gives none); -1 for no limit.
  static int NameLimit(const stDeviceInfo& info);
  // The highest bit rate in kbps of a phone model (320 when it gives none).
  static int MaxBitrate(const stDeviceInfo& info);

 private:
  FileCheck Check(const stDeviceInfo& info, const std::string& path);
  bool RefusesLowBitrate(const std::string& model) const;
  static std::string FormatRefusal(const stDeviceInfo& info, const std::string& path);

  const Options options_;
};

}  // namespace TYX::Device
