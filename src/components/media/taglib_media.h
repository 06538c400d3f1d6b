#pragma once
// A media object over TagLib: reads everything at opening, keeps it as plain data, writes at Save.
#include <memory>
#include <string>

#include "components/media/media_record.h"
#include "contracts/media.h"

namespace TYX::Media {

class TYX_TagLibMedia final : public TYX_Media {
 public:
  // Null with a reason when the file cannot be parsed; never writes to it.
  static std::shared_ptr<TYX_TagLibMedia> Open(const std::string& path, std::uint32_t flag, std::string& error);

  const std::string& GetPath() const override { return path_; }
  std::uint32_t GetOpenFlag() const override { return flag_; }
  bool IsValid() const override { return true; }
  std::uint32_t GetLibraryIndex() const override { return libraryIndex_; }
  void SetLibraryIndex(std::uint32_t index) override { libraryIndex_ = index; }

  std::string GetText(MediaText field) const override;
  void SetText(MediaText field, const std::string& value) override;
  std::uint32_t GetNumber(MediaNumber field) const override;
  void SetNumber(MediaNumber field, std::uint32_t value) override;

  bool HasAlbumImage() const override { return !tags_.image.empty(); }
  std::string GetAlbumImagePath() const override;
  bool SetAlbumImagePath(const std::string& imagePath) override;
  std::vector<std::uint8_t> GetAlbumImageData(std::string* mimeType) const override;
  bool SetAlbumImageData(const std::vector<std::uint8_t>& data) override;

  int GetTagKind() const override { return kMediaTagExtended; }
  bool CanWriteTags() const override;

  std::uint32_t GetDuration() const override { return facts_.durationMs / 1000; }
  std::uint32_t GetDurationMs() const override { return facts_.durationMs; }
  std::uint32_t GetBitRate() const override { return facts_.bitRate; }
  void SetBitRate(std::uint32_t bitsPerSecond) override { facts_.bitRate = bitsPerSecond; }
  std::uint32_t GetSampleRate() const override { return facts_.sampleRate; }
  std::uint32_t GetChannels() const override { return facts_.channels; }
  std::uint64_t GetFileSize() const override { return facts_.fileSize; }
  std::string GetFormatText() const override { return facts_.formatText; }
  std::string GetChannelText() const override { return facts_.channelText; }

  std::int32_t Save() override;
  std::string GetLastError() const override { return lastError_; }

 private:
  TYX_TagLibMedia(std::string path, std::uint32_t flag, MediaFormat format);

  // All members belong to the thread that uses the object (one at a time).
  std::string path_;
  std::uint32_t flag_;
  MediaFormat format_;
  std::uint32_t libraryIndex_ = 0xFFFFFFFFu;
  MediaTags tags_;
  StreamFacts facts_;
  std::string lastError_;
};

}  // namespace TYX::Media
