// The engine's calls over a process-wide handle table. Handles are never reused, so a freed handle
// fails with BASS_ERROR_HANDLE instead of reaching another channel.
#include "components/audio/bass_api.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "components/audio/audio_error.h"
#include "components/audio/ffmpeg_file_source.h"
#include "components/audio/user_stream_source.h"
#include "components/audio/wma_file_encoder.h"

namespace TYX::Audio {

namespace {

thread_local int t_lastError = 0;  // per calling thread

struct Channel {
  std::unique_ptr<TYX_PcmSource> source;
  DWORD flags = 0;
  bool stopped = false;
  bool failed = false;
};

struct Tables {
  std::mutex mutex;  // guards the maps and the handle counter (any thread)
  DWORD next = 1;
  std::map<DWORD, std::shared_ptr<Channel>> channels;
  std::map<DWORD, std::shared_ptr<WmaFileEncoder>> encoders;
};

Tables& T() {
  static Tables tables;
  return tables;
}

DWORD AddChannel(std::unique_ptr<TYX_PcmSource> source, DWORD flags) {
  auto ch = std::make_shared<Channel>();
  ch->source = std::move(source);
  ch->flags = flags;
  std::lock_guard<std::mutex> lock(T().mutex);
  DWORD h = T().next++;
  T().channels[h] = std::move(ch);
  return h;
}

std::shared_ptr<Channel> FindChannel(DWORD h) {
  std::lock_guard<std::mutex> lock(T().mutex);
  auto it = T().channels.find(h);
  if (it == T().channels.end()) {
    SetLastAudioError(BASS_ERROR_HANDLE);
    return nullptr;
  }
  return it->second;
}

std::shared_ptr<WmaFileEncoder> FindEncoder(DWORD h) {
  std::lock_guard<std::mutex> lock(T().mutex);
  auto it = T().encoders.find(h);
  if (it == T().encoders.end()) {
    SetLastAudioError(BASS_ERROR_HANDLE);
    return nullptr;
  }
  return it->second;
}

HSTREAM OpenFile(BOOL mem, const char* path, DWORD flags, bool asfOnly) {
  if (mem || path == nullptr) {
    SetLastAudioError(BASS_ERROR_ILLPARAM);
    return 0;
  }
  int code = BASS_ERROR_UNKNOWN;
  std::string text;
  auto src = FfmpegFileSource::Open(path, asfOnly, &code, &text);
  if (!src) {
    SetLastAudioError(code);
    return 0;
  }
  SetLastAudioError(BASS_OK);
  return AddChannel(std::move(src), flags);
}

}  // namespace

void SetLastAudioError(int code) { t_lastError = code; }
int LastAudioError() { return t_lastError; }

HSTREAM BASS_StreamCreateFile(BOOL mem, const char* path, QWORD, QWORD, DWORD flags) {
  return OpenFile(mem, path, flags, false);
}

HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const char* path, QWORD, QWORD, DWORD flags) {
  return OpenFile(mem, path, flags, true);
}

HSTREAM BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC proc, void* user) {
  if (proc == nullptr || freq == 0 || chans < 1 || chans > 2) {
    SetLastAudioError(BASS_ERROR_ILLPARAM);
    return 0;
  }
  auto src = std::make_unique<UserStreamSource>(static_cast<int>(freq), static_cast<int>(chans), proc, user);
  UserStreamSource* raw = src.get();
  HSTREAM h = AddChannel(std::move(src), flags);
  raw->SetHandle(h);
  SetLastAudioError(BASS_OK);
  return h;
}

HSTREAM BASS_CD_StreamCreate(DWORD drive, DWORD track, DWORD flags) {
  auto cd = AudioCD();
  auto src = cd->OpenTrack(static_cast<int>(drive), static_cast<int>(track));
  if (!src) {
    SetLastAudioError(cd->LastError() != 0 ? cd->LastError() : BASS_ERROR_CDTRACK);
    return 0;
  }
  SetLastAudioError(BASS_OK);
  return AddChannel(std::move(src), flags);
}

int BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  auto ch = FindChannel(handle);
  if (!ch) return -1;
  if (buffer == nullptr) {
    SetLastAudioError(BASS_ERROR_ILLPARAM);
    return -1;
  }
  if (ch->stopped || ch->source->Ended()) {
    SetLastAudioError(ch->failed ? BASS_ERROR_DECODE : BASS_ERROR_ENDED);
    return ch->failed ? -1 : 0;
  }
  const int want = static_cast<int>(length & 0x0FFFFFFF);
  int n = ch->source->Read(buffer, want);
  if (n < 0) {
    ch->failed = true;
    SetLastAudioError(BASS_ERROR_DECODE);
    return -1;
  }
  SetLastAudioError(BASS_OK);
  return n;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
  auto ch = FindChannel(handle);
  if (!ch) return BASS_ACTIVE_STOPPED;
  SetLastAudioError(BASS_OK);
  return ch->stopped || ch->failed || ch->source->Ended() ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
  auto ch = FindChannel(handle);
  if (!ch) return static_cast<QWORD>(-1);
  SetLastAudioError(BASS_OK);
  return static_cast<QWORD>(ch->source->PositionBytes());
}

QWORD BASS_StreamGetLength(DWORD handle) {
  auto ch = FindChannel(handle);
  if (!ch) return static_cast<QWORD>(-1);
  const std::int64_t len = ch->source->LengthBytes();
  if (len < 0) {
    SetLastAudioError(BASS_ERROR_NOTAVAIL);
    return static_cast<QWORD>(-1);
  }
  SetLastAudioError(BASS_OK);
  return static_cast<QWORD>(len);
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
  auto ch = FindChannel(handle);
  if (!ch) return 0;
  if (info == nullptr) {
    SetLastAudioError(BASS_ERROR_ILLPARAM);
    return 0;
  }
  info->freq = static_cast<DWORD>(ch->source->SampleRate());
  info->chans = static_cast<DWORD>(ch->source->Channels());
  info->flags = ch->flags;
  SetLastAudioError(BASS_OK);
  return 1;
}

BOOL BASS_ChannelStop(DWORD handle) {
  auto ch = FindChannel(handle);
  if (!ch) return 0;
  ch->stopped = true;
  SetLastAudioError(BASS_OK);
  return 1;
}

BOOL BASS_StreamFree(HSTREAM handle) {
  std::shared_ptr<Channel> gone;  // released outside the lock
  {
    std::lock_guard<std::mutex> lock(T().mutex);
    auto it = T().channels.find(handle);
    if (it == T().channels.end()) {
      SetLastAudioError(BASS_ERROR_HANDLE);
      return 0;
    }
    gone = std::move(it->second);
    T().channels.erase(it);
  }
  SetLastAudioError(BASS_OK);
  return 1;
}

int BASS_ErrorGetCode() { return LastAudioError(); }

BOOL BASS_CD_Door(DWORD drive, DWORD action) {
  auto cd = AudioCD();
  bool ok = cd->Door(static_cast<int>(drive), static_cast<int>(action));
  SetLastAudioError(ok ? BASS_OK : cd->LastError());
  return ok ? 1 : 0;
}

BOOL BASS_CD_DoorIsOpen(DWORD drive) {
  auto cd = AudioCD();
  bool open = cd->DoorIsOpen(static_cast<int>(drive));
  SetLastAudioError(cd->LastError());
  return open ? 1 : 0;
}

BOOL BASS_CD_DoorIsLocked(DWORD drive) {
  auto cd = AudioCD();
  bool locked = cd->DoorIsLocked(static_cast<int>(drive));
  SetLastAudioError(cd->LastError());
  return locked ? 1 : 0;
}

int BASS_CD_GetTracks(DWORD drive) {
  auto cd = AudioCD();
  int n = cd->TrackCount(static_cast<int>(drive));
  SetLastAudioError(n < 0 ? cd->LastError() : BASS_OK);
  return n;
}

DWORD BASS_CD_GetTrackLength(DWORD drive, DWORD track) {
  auto cd = AudioCD();
  std::int64_t n = cd->TrackLength(static_cast<int>(drive), static_cast<int>(track));
  SetLastAudioError(n < 0 ? cd->LastError() : BASS_OK);
  return n < 0 ? static_cast<DWORD>(-1) : static_cast<DWORD>(n);
}

HWMENCODE BASS_WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate, const char* path) {
  if (path == nullptr) {
    SetLastAudioError(BASS_ERROR_ILLPARAM);
    return 0;
  }
  int code = BASS_ERROR_UNKNOWN;
  std::string text;
  auto enc = WmaFileEncoder::Open(static_cast<int>(freq), static_cast<int>(chans), static_cast<int>(bitrate),
                                  (flags & BASS_WMA_ENCODE_TAGS) != 0, path, &code, &text);
  if (!enc) {
    SetLastAudioError(code);
    return 0;
  }
  std::lock_guard<std::mutex> lock(T().mutex);
  DWORD h = T().next++;
  T().encoders[h] = std::shared_ptr<WmaFileEncoder>(std::move(enc));
  SetLastAudioError(BASS_OK);
  return h;
}

BOOL BASS_WMA_EncodeSetTag(HWMENCODE handle, const char* tag, const char* value) {
  auto enc = FindEncoder(handle);
  if (!enc) return 0;
  bool ok = tag == nullptr ? enc->CloseTags() : enc->SetTag(tag, value ? value : "");
  SetLastAudioError(ok ? BASS_OK : BASS_ERROR_NOTAVAIL);
  return ok ? 1 : 0;
}

BOOL BASS_WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length) {
  auto enc = FindEncoder(handle);
  if (!enc) return 0;
  bool ok = buffer != nullptr && enc->Write(buffer, length);
  SetLastAudioError(ok ? BASS_OK : BASS_ERROR_UNKNOWN);
  return ok ? 1 : 0;
}

BOOL BASS_WMA_EncodeClose(HWMENCODE handle) {
  std::shared_ptr<WmaFileEncoder> enc;
  {
    std::lock_guard<std::mutex> lock(T().mutex);
    auto it = T().encoders.find(handle);
    if (it == T().encoders.end()) {
      SetLastAudioError(BASS_ERROR_HANDLE);
      return 0;
    }
    enc = std::move(it->second);
    T().encoders.erase(it);
  }
  bool ok = enc->Close();
  SetLastAudioError(ok ? BASS_OK : BASS_ERROR_UNKNOWN);
  return ok ? 1 : 0;
}

}  // namespace TYX::Audio
