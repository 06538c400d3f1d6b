#pragma once
// The audio engine's calls, named as the extraction worker uses them: decode-only channels over files
// (FFmpeg), user streams fed by a callback, audio-CD tracks and doors (libcdio with cdparanoia) and the
// WMA encoder (FFmpeg's wmav2 in an ASF file). Channels and encoders are handles into a process-wide
// table; any thread may call, and each handle is used by one thread at a time.
#include <cstdint>

#include "components/audio/audio_error.h"
#include "components/audio/cd_drive.h"

namespace TYX::Audio {

using DWORD = std::uint32_t;
using QWORD = std::uint64_t;
using BOOL = int;
using HSTREAM = DWORD;
using HWMENCODE = DWORD;

constexpr DWORD BASS_STREAM_DECODE = 0x200000;
constexpr DWORD BASS_STREAM_AUTOFREE = 0x40000;
constexpr DWORD BASS_CD_FREEOLD = 0x10000;
constexpr DWORD BASS_WMA_ENCODE_TAGS = 0x10000;
constexpr DWORD BASS_STREAMPROC_END = 0x80000000u;

constexpr DWORD BASS_ACTIVE_STOPPED = 0;
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
constexpr DWORD BASS_ACTIVE_STALLED = 2;

// Feeds a user stream: fills up to `length` bytes and returns the count, with BASS_STREAMPROC_END
// added once the stream has ended.
using STREAMPROC = DWORD (*)(HSTREAM handle, void* buffer, DWORD length, void* user);

struct BASS_CHANNELINFO {
  DWORD freq = 0;   // sample rate of the PCM the channel gives
  DWORD chans = 0;  // channel count of that PCM (1 or 2)
  DWORD flags = 0;
};

// Decode-only file channels; `mem` must be FALSE (memory images are not offered). 0 on failure.
HSTREAM BASS_StreamCreateFile(BOOL mem, const char* path, QWORD offset, QWORD length, DWORD flags);
// The WMA/ASF decoder: the same decoder, limited to ASF files.
HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const char* path, QWORD offset, QWORD length, DWORD flags);
HSTREAM BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC proc, void* user);
// Decode-only stream of a track (zero-based) of a CD drive. 0 on failure.
HSTREAM BASS_CD_StreamCreate(DWORD drive, DWORD track, DWORD flags);

// Bytes read (0 at the end or when a user stream has nothing yet), or -1 on error.
int BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
DWORD BASS_ChannelIsActive(DWORD handle);
// Bytes; (QWORD)-1 on failure.
QWORD BASS_ChannelGetPosition(DWORD handle);
QWORD BASS_StreamGetLength(DWORD handle);
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
BOOL BASS_ChannelStop(DWORD handle);
BOOL BASS_StreamFree(HSTREAM handle);
int BASS_ErrorGetCode();

// Audio CD.
BOOL BASS_CD_Door(DWORD drive, DWORD action);
BOOL BASS_CD_DoorIsOpen(DWORD drive);
BOOL BASS_CD_DoorIsLocked(DWORD drive);
// -1 on failure.
int BASS_CD_GetTracks(DWORD drive);
// Bytes; (DWORD)-1 on failure.
DWORD BASS_CD_GetTrackLength(DWORD drive, DWORD track);

// WMA encoder. `bitrate` in bits per second. 0 on failure.
HWMENCODE BASS_WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate, const char* path);
// With BASS_WMA_ENCODE_TAGS, tags are taken until a call with a null tag closes the list.
BOOL BASS_WMA_EncodeSetTag(HWMENCODE handle, const char* tag, const char* value);
BOOL BASS_WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length);
BOOL BASS_WMA_EncodeClose(HWMENCODE handle);

}  // namespace TYX::Audio
