#include "components/audio/cd_track_source.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

namespace TYX::Audio {

std::unique_ptr<CdTrackSource> CdTrackSource::Open(CdIo_t* cdio, std::int32_t first, std::int32_t last) {
  std::unique_ptr<CdTrackSource> src(new CdTrackSource());
  src->cdio_ = cdio;
  src->first_ = first;
  src->last_ = last;
  src->next_ = first;
  if (cdio == nullptr || last < first) return nullptr;
  src->drive_ = cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
  if (src->drive_ != nullptr && cdio_cddap_open(src->drive_) == 0) {
    // CD audio is little-endian; the drive's byte order is not guessed from the music.
    src->drive_->bigendianp = 0;
    src->paranoia_ = cdio_paranoia_init(src->drive_);
    if (src->paranoia_ != nullptr) {
      cdio_paranoia_modeset(src->paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
      cdio_paranoia_seek(src->paranoia_, first, SEEK_SET);
    }
  }
  return src;
}

CdTrackSource::~CdTrackSource() {
  if (paranoia_ != nullptr) cdio_paranoia_free(paranoia_);
  if (drive_ != nullptr) cdio_cddap_close_no_free_cdio(drive_);
  if (cdio_ != nullptr) cdio_destroy(cdio_);
}

std::int64_t CdTrackSource::LengthBytes() const {
  return static_cast<std::int64_t>(last_ - first_ + 1) * CDIO_CD_FRAMESIZE_RAW;
}

bool CdTrackSource::ReadSector() {
  if (next_ > last_) return false;
  if (paranoia_ != nullptr) {
    std::int16_t* data = cdio_paranoia_read(paranoia_, nullptr);
    if (data == nullptr) return false;
    std::memcpy(sector_, data, sizeof(sector_));
  } else if (cdio_read_audio_sectors(cdio_, sector_, next_, 1) != DRIVER_OP_SUCCESS) {
    return false;
  }
  ++next_;
  sectorOff_ = 0;
  return true;
}

int CdTrackSource::Read(void* buffer, int bytes) {
  bytes -= bytes % 4;
  if (ended_ || bytes <= 0) return failed_ && ended_ ? -1 : 0;
  auto* out = static_cast<std::uint8_t*>(buffer);
  int done = 0;
  while (done < bytes) {
    if (sectorOff_ >= static_cast<int>(sizeof(sector_))) {
      if (next_ > last_) {
        ended_ = true;
        break;
      }
      if (!ReadSector()) {
        failed_ = true;
        ended_ = true;
        break;
      }
    }
    int take = std::min(static_cast<int>(sizeof(sector_)) - sectorOff_, bytes - done);
    std::memcpy(out + done, sector_ + sectorOff_, static_cast<std::size_t>(take));
    sectorOff_ += take;
    done += take;
  }
  if (next_ > last_ && sectorOff_ >= static_cast<int>(sizeof(sector_))) ended_ = true;
  position_ += done;
  if (done == 0 && failed_) return -1;
  return done;
}

}  // namespace TYX::Audio
