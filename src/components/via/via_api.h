#pragma once
// The VIA codec library's exported functions, as the extraction worker resolves them by name.
//
// A VIA file is a sequence of chunks. Every chunk starts with a 12-byte header: bytes 0-3 the chunk
// length in bytes, header included (little-endian, at most 8192); bytes 4-5 "VC"; byte 6 the kind;
// bytes 7-11 reserved (0). Kinds: 0 stream information (first chunk; 16-bit channel count at byte 36,
// 16-bit sample rate at byte 38, 16-bit duration in seconds at byte 60); 0x10 metadata (seven strings);
// 0x20 audio, whose data starts at byte 16.
#include <cstdint>

extern "C" {

typedef void* VIA_HANDLE;

// The seven metadata strings, each NUL-terminated.
struct VIA_MetaData {
  char title[256];
  char artist[256];
  char album[256];
  char genre[256];
  char year[256];
  char track[256];
  char comment[256];
};

// Creates `path` and writes its stream information. `bitrate` in bits per second (0 or less: 128000).
// Null on failure.
VIA_HANDLE VIA_encode_init(const char* path, int sampleRate, int channels, double seconds, int bitrate);
// Option 1: the longest audio chunk in milliseconds. Returns 0, or -1 for an unknown option.
int VIA_encode_setopt(VIA_HANDLE encoder, int option, int value);
// Writes the metadata chunk. Returns 0, or -1 on failure.
int VIA_encode_SetMetaData(VIA_HANDLE encoder, const char* title, const char* artist, const char* album,
                           const char* genre, const char* year, const char* track, const char* comment);
// Encodes `bytes` bytes of interleaved 16-bit PCM; 0 bytes flushes the stream's end. `*outputState`
// receives the file's byte count so far. Returns 0, or -1 on failure.
int VIA_encode(VIA_HANDLE encoder, const void* pcm, int bytes, int* outputState);
// Flushes if needed, completes the stream information, closes the file and frees the encoder.
int VIA_encode_stop(VIA_HANDLE encoder);

// Creates a decoder from a stream-information chunk (header included). Null when it is not one.
VIA_HANDLE VIA_decode_init(const void* infoChunk);
// Decodes the audio data of one chunk (`input` is the chunk from byte 16) a piece at a time: each call
// with the same chunk returns up to `outputSize` further PCM bytes; 0 once the chunk is used up, after
// which the next call starts on the next chunk. -1 on bad data.
int VIA_decode(VIA_HANDLE decoder, void* output, int outputSize, const void* input, int inputSize, int,
               int);
void VIA_decode_stop(VIA_HANDLE decoder);

// Reads the metadata of a file or of a file image in memory. Returns 0, or -1 when there is none.
int VIA_metadata_load(const char* path, VIA_MetaData* out);
int VIA_metadata_loadbuffer(const void* data, int size, VIA_MetaData* out);
// Replaces the metadata of a file. Returns 0, or -1 on failure (the file is left as it was).
int VIA_metadata_update(const char* path, const VIA_MetaData* in);

// Function types for run-time loading.
typedef VIA_HANDLE (*VIA_encode_init_fn)(const char*, int, int, double, int);
typedef int (*VIA_encode_setopt_fn)(VIA_HANDLE, int, int);
typedef int (*VIA_encode_SetMetaData_fn)(VIA_HANDLE, const char*, const char*, const char*, const char*,
                                         const char*, const char*, const char*);
typedef int (*VIA_encode_fn)(VIA_HANDLE, const void*, int, int*);
typedef int (*VIA_encode_stop_fn)(VIA_HANDLE);
typedef VIA_HANDLE (*VIA_decode_init_fn)(const void*);
typedef int (*VIA_decode_fn)(VIA_HANDLE, void*, int, const void*, int, int, int);
typedef void (*VIA_decode_stop_fn)(VIA_HANDLE);
typedef int (*VIA_metadata_load_fn)(const char*, VIA_MetaData*);
typedef int (*VIA_metadata_loadbuffer_fn)(const void*, int, VIA_MetaData*);
typedef int (*VIA_metadata_update_fn)(const char*, const VIA_MetaData*);

}  // extern "C"

namespace TYX::Via {

constexpr int kHeaderBytes = 12;
constexpr int kMaxChunkBytes = 8192;
constexpr int kInfoChunkBytes = 128;
constexpr std::uint8_t kKindInfo = 0x00;
constexpr std::uint8_t kKindMeta = 0x10;
constexpr std::uint8_t kKindAudio = 0x20;
constexpr int kAudioDataOffset = 16;

}  // namespace TYX::Via
