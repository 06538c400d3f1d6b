#pragma once
// Error codes of the audio engine, numbered as the decoding library the system was written against
// numbers them. The last error is kept per thread: every call sets it (0 on success).
namespace TYX::Audio {

constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;
constexpr int BASS_ERROR_FILEOPEN = 2;
constexpr int BASS_ERROR_HANDLE = 5;
constexpr int BASS_ERROR_FORMAT = 6;
constexpr int BASS_ERROR_POSITION = 7;
constexpr int BASS_ERROR_NOCD = 12;
constexpr int BASS_ERROR_CDTRACK = 13;
constexpr int BASS_ERROR_NOTAUDIO = 17;
constexpr int BASS_ERROR_ILLPARAM = 20;
constexpr int BASS_ERROR_DEVICE = 23;
constexpr int BASS_ERROR_CREATE = 33;
constexpr int BASS_ERROR_NOTAVAIL = 37;
constexpr int BASS_ERROR_DECODE = 38;
constexpr int BASS_ERROR_FILEFORM = 41;
constexpr int BASS_ERROR_CODEC = 44;
constexpr int BASS_ERROR_ENDED = 45;
constexpr int BASS_ERROR_BUSY = 46;
constexpr int BASS_ERROR_WMA_CODEC = 1003;
constexpr int BASS_ERROR_UNKNOWN = -1;

// Sets the calling thread's last error code.
void SetLastAudioError(int code);
// The calling thread's last error code.
int LastAudioError();

}  // namespace TYX::Audio
