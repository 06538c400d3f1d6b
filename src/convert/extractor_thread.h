#pragma once
// The one extraction and encoding worker behind CD ripping and file conversion. A thread with its own
// message loop: a dialog stores a job (SetJob), posts WM_EXTRACTOR_START, and receives
// WM_EXTRACTOR_PROGRESS: (0, total bytes) sent once before the first read, (1, position) posted at most
// every 500 ms, (9999, result) posted once when the job ends.
//
// A start still queued when StopJob runs is dropped: StopJob posts the worker a mark, and every start
// met before that mark is not run. PauseJob holds the running job between two blocks until ResumeJob
// or StopJob.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/audio/bass_api.h"
#include "convert/via_decode_reader.h"
#include "platform/event.h"
#include "platform/types.h"
#include "platform/win_thread.h"

namespace TYX::Audio {
class PcmResampler;
}

namespace TYX::Convert {

class AudioEncoder;

constexpr Win::UINT WM_EXTRACTOR_START = Win::WM_USER + 1003;     // 2027
constexpr Win::UINT WM_EXTRACTOR_PROGRESS = Win::WM_USER + 1004;  // 2028
// The worker's own thread message: StopJob's mark in the queue, behind the starts it drops.
constexpr Win::UINT WM_EXTRACTOR_STOPMARK = Win::WM_USER + 1005;  // 2029
constexpr Win::WPARAM EXTRACTOR_TOTAL = 0;
constexpr Win::WPARAM EXTRACTOR_POSITION = 1;
constexpr Win::WPARAM EXTRACTOR_DONE = 9999;

// EXTRACT_SOURCE: 2 the WMA/ASF decoder, 4 the VIA decoder, anything else the generic decoder.
constexpr int EXTRACT_SOURCE_WMA = 2;
constexpr int EXTRACT_SOURCE_VIA = 4;
// EXTRACT_FORMAT.
constexpr int EXTRACT_FORMAT_MP3 = 0;
constexpr int EXTRACT_FORMAT_OGG = 1;
constexpr int EXTRACT_FORMAT_WMA = 2;
constexpr int EXTRACT_FORMAT_WAV = 3;
constexpr int EXTRACT_FORMAT_VIA = 4;

// Result codes of a job.
constexpr int EXTRACT_OK = 0;
constexpr int EXTRACT_CD_UNREADABLE = 1;
constexpr int EXTRACT_CREATE_FAILED = 2;
constexpr int EXTRACT_DECODE_FAILED = 3;
constexpr int EXTRACT_NO_CONVERSION = 4;
constexpr int EXTRACT_STALLED = 99;

// PCM block sizes.
constexpr int kReadBlock = 30676;     // MP3, WMA and WAV reads
constexpr int kBufferBytes = 61440;   // room for mono-to-stereo doubling; the Ogg read size
constexpr int kViaReadBlock = 8148;
constexpr Win::DWORD kProgressIntervalMs = 500;

class CExtractorThread : public Win::WinThread {
 public:
  CExtractorThread();
  explicit CExtractorThread(Win::HWND owner);
  ~CExtractorThread() override;

  void SetOwner(Win::HWND owner) { owner_ = owner; }
  Win::HWND Owner() const { return owner_; }
  // Stores one job; only between jobs. Length, sample rate and target channels are taken for MP3 and VIA
  // only; other formats keep the previous values.
  void SetJob(int drive, int track, const std::string& sourcePath, int sourceKind, const std::string& targetPath,
              int format, int bitrate, int length, unsigned sampleRate, int sourceChannels, int targetChannels);
  // Asks the running job to stop and waits until it has cleaned up; a start posted before and not yet
  // taken is dropped, and a pause is lifted. Sent messages to the calling thread are handled while it
  // waits, so a worker blocked sending the total does not hang both threads.
  void StopJob();
  // Holds the running job before its next block (and a job about to start before its first one).
  // ResumeJob lets it go on; resuming a worker that is not paused does nothing. User-interface thread.
  void PauseJob();
  void ResumeJob();
  bool IsPaused() const { return paused_.load(); }
  // True while the running job waits in a pause (it has read no block since it was paused).
  bool IsHeldByPause() const { return held_.load(); }
  static std::string ResultText(int code);

  static unsigned NormalizeSampleRate(unsigned rate);
  static int NormalizeChannels(int channels);
  static int RoundMp3Bitrate(int b);
  // In place from the job's source channel count to its target count (always 2 for MP3, Ogg, WMA and
  // WAV; only VIA writes the job's own count).
  int ConvertChannels(std::uint8_t* buffer, int bytes) const;

  // WM_EXTRACTOR_START's handler: mode 0 runs the stored job as a CD job, 1 as a file job, others
  // nothing. Runs the job to its end on the calling thread.
  void OnStartJob(Win::WPARAM mode, Win::LPARAM unused);

  bool IsJobRunning() const { return running_.load() != 0; }
  bool IsCancelRequested() const { return cancel_.load() == 1; }
  int LastResult() const { return result_; }
  unsigned JobSampleRate() const { return sampleRate_; }
  int JobTargetChannels() const { return targetChannels_; }
  int JobLength() const { return length_; }
  // Starts dropped because a StopJob came after them.
  int DroppedStarts() const { return droppedStarts_.load(); }

  // Tests replace how a file source is opened (a stream that never delivers, for instance).
  using SourceOpener = std::function<Audio::HSTREAM(const std::string& path, int kind)>;
  void SetSourceOpenerForTesting(SourceOpener opener) { sourceOpener_ = std::move(opener); }

 protected:
  bool InitInstance() override;

 private:
  void ResetJob();
  // Opens the decode channel of the job; 0 and the result code when it cannot be opened.
  Audio::HSTREAM OpenSource(int* failure);
  // Encoder, total, blocks, the rest the resampler holds, and the end of the job.
  void Transcode();
  // Waits while the job is paused and not cancelled.
  void HonourPause();
  bool Cancelled() const { return cancel_.load() == 1; }
  // The one end of every job, whatever happened: the encoder finished, the source closed, the door
  // unlocked, a target cut short by a failed write deleted, the flags cleared and then (9999, code)
  // posted. The job's fields are not read after the flags are cleared, so StopJob and the next SetJob
  // cannot meet this job's clean-up. A result of 0 is posted only to a live owner.
  void EndJob(int code);

  // One block: reads up to `bytes`, brings it to the declared rate and channel count. Returns the byte
  // count in buffer_ (0 at the end or nothing yet, -1 on error).
  int ReadBlock(int bytes);
  // What the resampler still holds, converted like a block; 0 when there is nothing.
  int DrainBlock();
  void ReportPosition(Win::DWORD& last);
  // The total sent before the first read: the VIA reader's for a VIA file, else the channel's length;
  // 0 when the length is not known.
  std::int64_t SourceTotal();
  void SendTotal(std::int64_t total);
  // A write to the target failed: the job ends with EXTRACT_CREATE_FAILED and the half file goes.
  void WriteFailed();
  // Channel count of the PCM the encoder receives.
  int OutputChannels() const;

  // Job fields: written by the user-interface thread between jobs, read by the worker during a job.
  ViaDecodeReader viaReader_;
  int drive_ = -1;
  int track_ = -1;
  std::string sourcePath_;
  int sourceKind_ = -1;
  std::string targetPath_;
  int format_ = -1;
  int bitrate_ = -1;
  unsigned sampleRate_ = 44100;
  int sourceChannels_ = 2;
  int targetChannels_ = 2;
  Win::HWND owner_ = nullptr;
  std::atomic<int> cancel_{0};   // written by the user-interface thread, read by the worker
  std::atomic<int> running_{0};  // written by the worker, polled by StopJob
  Win::Event idle_{true, true};  // set whenever running is 0
  std::atomic<bool> paused_{false};  // written by the user-interface thread, honoured by the worker
  Win::Event resume_{true, true};    // reset while paused; set by ResumeJob and StopJob
  std::atomic<bool> held_{false};   // written by the worker while it waits in a pause
  std::atomic<int> stopMarks_{0};    // StopJob's marks still in the worker's queue (both threads)
  std::atomic<int> droppedStarts_{0};
  int length_ = 0;

  // Job state: worker thread only.
  bool viaCodecOk_ = false;
  Audio::HSTREAM channel_ = 0;
  std::unique_ptr<AudioEncoder> encoder_;
  std::unique_ptr<Audio::PcmResampler> resampler_;
  unsigned channelRate_ = 44100;  // rate of the decoded PCM
  unsigned outputRate_ = 44100;   // rate the encoder is told
  std::vector<std::uint8_t> buffer_;
  std::vector<std::int16_t> resampled_;
  bool cdJob_ = false;       // the job reads a CD track
  bool writeFailed_ = false;  // the target could not take the output
  int result_ = 0;
  SourceOpener sourceOpener_;
};

}  // namespace TYX::Convert
