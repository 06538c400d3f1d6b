#include "components/audio/cdio_audio_cd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>
#include <cdio/mmc_hl_cmds.h>
#include <cdio/mmc_ll_cmds.h>

#include "components/audio/audio_error.h"
#include "components/audio/cd_track_source.h"

namespace TYX::Audio {

namespace {

bool EndsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

// libcdio's own handler ends the process on an error report (a damaged cue sheet is one): its reports
// are logged here instead, and the failing call's result says what went wrong.
void LogCdio(cdio_log_level_t level, const char* message) {
  if (level >= CDIO_LOG_ERROR) std::fprintf(stderr, "libcdio: %s\n", message);
}

void InstallCdioLog() {
  static std::once_flag once;
  std::call_once(once, [] { cdio_log_set_handler(&LogCdio); });
}

CdIo_t* OpenDrive(const std::string& name, bool image) {
  InstallCdioLog();
  // Quiet for the probing we do.
  cdio_loglevel_default = CDIO_LOG_ERROR;
  if (image) return EndsWith(name, ".cue") ? cdio_open_cue(name.c_str()) : cdio_open(name.c_str(), DRIVER_UNKNOWN);
  return cdio_open(name.c_str(), DRIVER_DEVICE);
}

struct CdioCloser {
  void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioCloser>;

}  // namespace

CdioAudioCD::CdioAudioCD(const std::vector<std::string>& images, bool withDevices) {
  InstallCdioLog();
  for (const auto& path : images) drives_.push_back(Drive{path, true, false, false});
  if (withDevices) {
    cdio_loglevel_default = CDIO_LOG_ERROR;
    driver_id_t driver = DRIVER_DEVICE;
    char** list = cdio_get_devices_ret(&driver);
    if (list != nullptr) {
      for (char** p = list; *p != nullptr; ++p) drives_.push_back(Drive{*p, false, false, false});
      cdio_free_device_list(list);
    }
  }
}

int CdioAudioCD::LastError() { return LastAudioError(); }

int CdioAudioCD::DriveCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  SetLastAudioError(BASS_OK);
  return static_cast<int>(drives_.size());
}

std::string CdioAudioCD::DriveName(int drive) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (drive < 0 || drive >= static_cast<int>(drives_.size())) {
    SetLastAudioError(BASS_ERROR_DEVICE);
    return {};
  }
  SetLastAudioError(BASS_OK);
  return drives_[drive].name;
}

const CdioAudioCD::Drive* CdioAudioCD::Find(int drive) {
  if (drive < 0 || drive >= static_cast<int>(drives_.size())) {
    SetLastAudioError(BASS_ERROR_DEVICE);
    return nullptr;
  }
  const Drive& d = drives_[drive];
  if (d.image && d.open) {
    SetLastAudioError(BASS_ERROR_NOCD);
    return nullptr;
  }
  return &d;
}

int CdioAudioCD::TrackCount(int drive) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Drive* d = Find(drive);
  if (d == nullptr) return -1;
  CdioPtr cd(OpenDrive(d->name, d->image));
  if (!cd) {
    SetLastAudioError(BASS_ERROR_NOCD);
    return -1;
  }
  track_t n = cdio_get_num_tracks(cd.get());
  if (n == CDIO_INVALID_TRACK || n == 0) {
    SetLastAudioError(BASS_ERROR_NOCD);
    return -1;
  }
  SetLastAudioError(BASS_OK);
  return n;
}

std::int64_t CdioAudioCD::TrackLength(int drive, int track) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Drive* d = Find(drive);
  if (d == nullptr) return -1;
  CdioPtr cd(OpenDrive(d->name, d->image));
  if (!cd) {
    SetLastAudioError(BASS_ERROR_NOCD);
    return -1;
  }
  const track_t n = cdio_get_num_tracks(cd.get());
  if (n == CDIO_INVALID_TRACK || track < 0 || track >= n) {
    SetLastAudioError(BASS_ERROR_CDTRACK);
    return -1;
  }
  const track_t t = static_cast<track_t>(cdio_get_first_track_num(cd.get()) + track);
  const lsn_t first = cdio_get_track_lsn(cd.get(), t);
  const lsn_t last = cdio_get_track_last_lsn(cd.get(), t);
  if (first == CDIO_INVALID_LSN || last == CDIO_INVALID_LSN || last < first) {
    SetLastAudioError(BASS_ERROR_CDTRACK);
    return -1;
  }
  SetLastAudioError(BASS_OK);
  return static_cast<std::int64_t>(last - first + 1) * kCdSectorBytes;
}

std::unique_ptr<TYX_PcmSource> CdioAudioCD::OpenTrack(int drive, int track) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Drive* d = Find(drive);
  if (d == nullptr) return nullptr;
  CdioPtr cd(OpenDrive(d->name, d->image));
  if (!cd) {
    SetLastAudioError(BASS_ERROR_NOCD);
    return nullptr;
  }
  const track_t n = cdio_get_num_tracks(cd.get());
  if (n == CDIO_INVALID_TRACK || track < 0 || track >= n) {
    SetLastAudioError(BASS_ERROR_CDTRACK);
    return nullptr;
  }
  const track_t t = static_cast<track_t>(cdio_get_first_track_num(cd.get()) + track);
  if (cdio_get_track_format(cd.get(), t) != TRACK_FORMAT_AUDIO) {
    SetLastAudioError(BASS_ERROR_NOTAUDIO);
    return nullptr;
  }
  const lsn_t first = cdio_get_track_lsn(cd.get(), t);
  const lsn_t last = cdio_get_track_last_lsn(cd.get(), t);
  auto src = CdTrackSource::Open(cd.release(), first, last);
  if (!src) {
    SetLastAudioError(BASS_ERROR_CDTRACK);
    return nullptr;
  }
  SetLastAudioError(BASS_OK);
  return src;
}

bool CdioAudioCD::Door(int drive, int action) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (drive < 0 || drive >= static_cast<int>(drives_.size())) {
    SetLastAudioError(BASS_ERROR_DEVICE);
    return false;
  }
  Drive& d = drives_[drive];
  if (action < BASS_CD_DOOR_CLOSE || action > BASS_CD_DOOR_UNLOCK) {
    SetLastAudioError(BASS_ERROR_ILLPARAM);
    return false;
  }
  if (action == BASS_CD_DOOR_OPEN && d.locked) {
    SetLastAudioError(BASS_ERROR_BUSY);
    return false;
  }
  if (!d.image) {
    driver_return_code_t rc = DRIVER_OP_SUCCESS;
    if (action == BASS_CD_DOOR_OPEN) {
      rc = cdio_eject_media_drive(d.name.c_str());
    } else if (action == BASS_CD_DOOR_CLOSE) {
      rc = cdio_close_tray(d.name.c_str(), nullptr);
    } else {
      CdioPtr cd(OpenDrive(d.name, false));
      rc = cd ? mmc_prevent_allow_medium_removal(cd.get(), false, action == BASS_CD_DOOR_LOCK, 0)
              : DRIVER_OP_ERROR;
    }
    if (rc != DRIVER_OP_SUCCESS) {
      SetLastAudioError(BASS_ERROR_DEVICE);
      return false;
    }
  }
  if (action == BASS_CD_DOOR_OPEN) d.open = true;
  if (action == BASS_CD_DOOR_CLOSE) d.open = false;
  if (action == BASS_CD_DOOR_LOCK) d.locked = true;
  if (action == BASS_CD_DOOR_UNLOCK) d.locked = false;
  SetLastAudioError(BASS_OK);
  return true;
}

bool CdioAudioCD::DoorIsOpen(int drive) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (drive < 0 || drive >= static_cast<int>(drives_.size())) {
    SetLastAudioError(BASS_ERROR_DEVICE);
    return false;
  }
  Drive& d = drives_[drive];
  SetLastAudioError(BASS_OK);
  if (d.image) return d.open;
  CdioPtr cd(OpenDrive(d.name, false));
  return cd ? mmc_get_tray_status(cd.get()) == 1 : d.open;
}

bool CdioAudioCD::DoorIsLocked(int drive) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (drive < 0 || drive >= static_cast<int>(drives_.size())) {
    SetLastAudioError(BASS_ERROR_DEVICE);
    return false;
  }
  SetLastAudioError(BASS_OK);
  return drives_[drive].locked;
}

namespace {

std::mutex g_cdMutex;                 // guards g_cd (any thread)
std::shared_ptr<TYX_AudioCD> g_cd;    // the installed implementation; made on first use

std::vector<std::string> ImagesFromEnvironment() {
  std::vector<std::string> images;
  const char* list = std::getenv("TYX_CD_IMAGES");
  if (list == nullptr) return images;
  std::string all(list);
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    if (end > start) images.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return images;
}

}  // namespace

std::shared_ptr<TYX_AudioCD> CreateCdioAudioCD(const std::vector<std::string>& images, bool withDevices) {
  return std::make_shared<CdioAudioCD>(images, withDevices);
}

std::shared_ptr<TYX_AudioCD> AudioCD() {
  std::lock_guard<std::mutex> lock(g_cdMutex);
  if (!g_cd) g_cd = CreateCdioAudioCD(ImagesFromEnvironment(), true);
  return g_cd;
}

void SetAudioCD(std::shared_ptr<TYX_AudioCD> cd) {
  std::lock_guard<std::mutex> lock(g_cdMutex);
  g_cd = std::move(cd);
}

}  // namespace TYX::Audio
