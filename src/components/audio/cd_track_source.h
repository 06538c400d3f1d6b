#pragma once
// PCM of one audio-CD track, read sector by sector with cdparanoia (direct sector reads when the
// drive cannot be driven by cdparanoia).
#include <cstdint>
#include <memory>
#include <string>

#include "components/audio/pcm_source.h"

typedef struct _CdIo CdIo_t;
typedef struct cdrom_drive_s cdrom_drive_t;
typedef struct cdrom_paranoia_s cdrom_paranoia_t;

namespace TYX::Audio {

class CdTrackSource final : public TYX_PcmSource {
 public:
  // `cdio` is taken over (destroyed with the source). `first` and `last` are the track's sectors.
  static std::unique_ptr<CdTrackSource> Open(CdIo_t* cdio, std::int32_t first, std::int32_t last);
  ~CdTrackSource() override;
  CdTrackSource(const CdTrackSource&) = delete;
  CdTrackSource& operator=(const CdTrackSource&) = delete;

  int SampleRate() const override { return 44100; }
  int Channels() const override { return 2; }
  std::int64_t LengthBytes() const override;
  int Read(void* buffer, int bytes) override;
  bool Ended() const override { return ended_; }
  std::int64_t PositionBytes() const override { return position_; }

 private:
  CdTrackSource() = default;
  bool ReadSector();

  CdIo_t* cdio_ = nullptr;
  cdrom_drive_t* drive_ = nullptr;
  cdrom_paranoia_t* paranoia_ = nullptr;
  std::int32_t first_ = 0;
  std::int32_t last_ = 0;
  std::int32_t next_ = 0;  // next sector to read
  std::uint8_t sector_[2352] = {};
  int sectorOff_ = 2352;  // bytes of sector_ already handed out
  std::int64_t position_ = 0;
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace TYX::Audio
