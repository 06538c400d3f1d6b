#include "convert/extractor_thread.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "components/audio/pcm_resampler.h"
#include "convert/audio_encoder.h"
#include "convert/extractor_helpers.h"
#include "convert/via_codec.h"
#include "platform/clock.h"
#include "platform/messaging.h"
#include "platform/user_agent.h"
#include "platform/window.h"

namespace TYX::Convert {

using namespace TYX::Audio;

namespace {

Win::LPARAM Low32(std::uint64_t v) { return static_cast<Win::LPARAM>(static_cast<std::uint32_t>(v)); }

}  // namespace

CExtractorThread::CExtractorThread() {
  ResetJob();
  viaCodecOk_ = ViaCodec::Acquire();
  buffer_.assign(kBufferBytes * 2, 0);
  OnThreadMessage(WM_EXTRACTOR_START, [this](Win::WPARAM w, Win::LPARAM l) {
    if (stopMarks_.load() > 0) {
      // Posted before a StopJob whose mark is still behind it: that job was given up.
      ++droppedStarts_;
      return;
    }
    OnStartJob(w, l);
  });
  OnThreadMessage(WM_EXTRACTOR_STOPMARK, [this](Win::WPARAM, Win::LPARAM) { --stopMarks_; });
}

CExtractorThread::CExtractorThread(Win::HWND owner) : CExtractorThread() { owner_ = owner; }

CExtractorThread::~CExtractorThread() {
  // The loop must be gone before the members it uses are.
  if (IsRunning()) {
    cancel_ = 1;
    resume_.Set();
    PostQuit();
    Join();
  }
  viaReader_.Stop();
  ViaCodec::Release();
}

bool CExtractorThread::InitInstance() {
  running_ = 0;
  idle_.Set();
  return true;
}

void CExtractorThread::ResetJob() {
  drive_ = -1;
  track_ = -1;
  sourceKind_ = -1;
  format_ = -1;
  bitrate_ = -1;
  sourcePath_.clear();
  targetPath_.clear();
  sampleRate_ = 44100;
  sourceChannels_ = 2;
  targetChannels_ = 2;
  cancel_ = 0;
  running_ = 0;
}

unsigned CExtractorThread::NormalizeSampleRate(unsigned rate) { return Convert::NormalizeSampleRate(rate); }
int CExtractorThread::NormalizeChannels(int channels) { return Convert::NormalizeChannels(channels); }
int CExtractorThread::RoundMp3Bitrate(int b) { return Convert::RoundMp3Bitrate(b); }

int CExtractorThread::ConvertChannels(std::uint8_t* buffer, int bytes) const {
  return Convert::ConvertChannels(buffer, bytes, sourceChannels_, OutputChannels());
}

int CExtractorThread::OutputChannels() const { return TraitsOfFormat(format_).alwaysStereo ? 2 : targetChannels_; }

std::string CExtractorThread::ResultText(int code) {
  switch (code) {
    case EXTRACT_OK:
      return "작업이 성공적으로 종료하였습니다";
    case EXTRACT_CD_UNREADABLE:
      return "CD를 읽을 수 없습니다";
    case EXTRACT_DECODE_FAILED:
      return "디코드 에러가 발생하였습니다";
    default:
      return "파일을 생성할 수 없습니다";
  }
}

void CExtractorThread::SetJob(int drive, int track, const std::string& sourcePath, int sourceKind,
                              const std::string& targetPath, int format, int bitrate, int length,
                              unsigned sampleRate, int sourceChannels, int targetChannels) {
  drive_ = drive;
  track_ = track;
  sourcePath_ = sourcePath;
  sourceKind_ = sourceKind;
  targetPath_ = targetPath;
  format_ = format;
  bitrate_ = bitrate;
  sourceChannels_ = sourceChannels;
  if (format == EXTRACT_FORMAT_MP3 || format == EXTRACT_FORMAT_VIA) {
    length_ = length;
    sampleRate_ = NormalizeSampleRate(sampleRate);
    targetChannels_ = NormalizeChannels(targetChannels);
  }
}

void CExtractorThread::StopJob() {
  cancel_ = 1;
  paused_ = false;
  resume_.Set();
  // The mark goes behind every start posted so far; those are dropped when the worker meets them.
  ++stopMarks_;
  if (!PostThreadMessage(WM_EXTRACTOR_STOPMARK)) --stopMarks_;
  while (running_.load() != 0) {
    // A worker sending its total to this thread is answered while we wait.
    Win::MSG msg;
    Win::PeekMessage(&msg, nullptr, 0, 0, Win::PM_NOREMOVE);
    idle_.Wait(10);
  }
}

void CExtractorThread::PauseJob() {
  resume_.Reset();
  paused_ = true;
}

void CExtractorThread::ResumeJob() {
  paused_ = false;
  resume_.Set();
}

void CExtractorThread::HonourPause() {
  if (!paused_.load()) return;
  held_ = true;
  while (paused_.load() && !Cancelled()) resume_.Wait(Win::INFINITE);
  held_ = false;
}

void CExtractorThread::SendTotal(std::int64_t total) {
  if (Win::IsWindow(owner_)) Win::SendMessage(owner_, WM_EXTRACTOR_PROGRESS, EXTRACTOR_TOTAL, Low32(total));
}

std::int64_t CExtractorThread::SourceTotal() {
  // A CD job may carry source kind 4 (the ripping dialog names its target format there): only a VIA
  // file has the reader's total.
  if (!cdJob_ && sourceKind_ == EXTRACT_SOURCE_VIA && !sourceOpener_) return viaReader_.TotalBytes();
  const QWORD length = BASS_StreamGetLength(channel_);
  return length == static_cast<QWORD>(-1) ? 0 : static_cast<std::int64_t>(length);
}

void CExtractorThread::WriteFailed() {
  if (!writeFailed_) std::fprintf(stderr, "CExtractorThread: cannot write %s\n", targetPath_.c_str());
  writeFailed_ = true;
}

void CExtractorThread::ReportPosition(Win::DWORD& last) {
  const Win::DWORD now = Win::GetTickCount();
  if (now - last > kProgressIntervalMs && BASS_ChannelIsActive(channel_) != 0) {
    Win::PostMessage(owner_, WM_EXTRACTOR_PROGRESS, EXTRACTOR_POSITION, Low32(BASS_ChannelGetPosition(channel_)));
    last = now;
  }
}

void CExtractorThread::OnStartJob(Win::WPARAM mode, Win::LPARAM) {
  if (mode != 0 && mode != 1) return;
  idle_.Reset();
  running_ = 1;
  cancel_ = 0;
  result_ = EXTRACT_OK;
  writeFailed_ = false;
  cdJob_ = mode == 0;
  int failure = EXTRACT_OK;
  channel_ = OpenSource(&failure);
  if (channel_ == 0) {
    EndJob(failure);
    return;
  }
  Transcode();
}

HSTREAM CExtractorThread::OpenSource(int* failure) {
  if (cdJob_) {
    BASS_CD_Door(static_cast<DWORD>(drive_), BASS_CD_DOOR_LOCK);
    *failure = EXTRACT_CD_UNREADABLE;
    return BASS_CD_StreamCreate(static_cast<DWORD>(drive_), static_cast<DWORD>(track_),
                                BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE | BASS_CD_FREEOLD);
  }
  // Writing a file over itself would destroy it before it is read: refused before anything is opened.
  if (IsSameFile(sourcePath_, targetPath_)) {
    std::fprintf(stderr, "CExtractorThread: %s is the source itself\n", targetPath_.c_str());
    *failure = EXTRACT_CREATE_FAILED;
    return 0;
  }
  *failure = EXTRACT_DECODE_FAILED;
  if (sourceOpener_) return sourceOpener_(sourcePath_, sourceKind_);
  if (sourceKind_ == EXTRACT_SOURCE_VIA) {
    if (!viaReader_.Open(sourcePath_)) return 0;
    return BASS_StreamCreate(viaReader_.SampleRate(), static_cast<DWORD>(viaReader_.Channels()), BASS_STREAM_DECODE,
                             &ViaDecodeReader::CALLBACK_StreamProc, &viaReader_);
  }
  if (sourceKind_ == EXTRACT_SOURCE_WMA) {
    return BASS_WMA_StreamCreateFile(0, sourcePath_.c_str(), 0, 0, BASS_STREAM_DECODE);
  }
  return BASS_StreamCreateFile(0, sourcePath_.c_str(), 0, 0, BASS_STREAM_DECODE);
}

void CExtractorThread::Transcode() {
  const FormatTraits traits = TraitsOfFormat(format_);
  BASS_CHANNELINFO info;
  if (BASS_ChannelGetInfo(channel_, &info)) {
    channelRate_ = info.freq;
    // The decoded PCM's own channel count, whatever the caller believed.
    sourceChannels_ = static_cast<int>(info.chans);
  }
  // MP3 and WAV declare the PCM's own rate (LAME resamples by itself); Ogg, WMA and VIA are written at
  // 44100 Hz, so other rates are resampled to it.
  outputRate_ = traits.at44100 ? 44100 : channelRate_;
  resampler_.reset();
  if (traits.at44100 && channelRate_ != 44100) {
    resampler_ = std::make_unique<PcmResampler>(static_cast<int>(channelRate_), 44100, sourceChannels_);
    if (!resampler_->ok()) {
      EndJob(EXTRACT_DECODE_FAILED);
      return;
    }
  }
  encoder_ = MakeEncoder(format_);
  if (!encoder_) {
    EndJob(EXTRACT_CREATE_FAILED);
    return;
  }
  EncoderJob job;
  job.path = targetPath_;
  job.bitrate = bitrate_;
  job.channels = OutputChannels();
  job.pcmRate = outputRate_;
  job.jobRate = sampleRate_;
  job.targetChannels = targetChannels_;
  job.lengthSeconds = length_;
  if (const int r = encoder_->Open(job); r != 0) {
    // A target that never opened has nothing to finish.
    encoder_.reset();
    EndJob(r);
    return;
  }
  SendTotal(SourceTotal());
  int empty = 0;
  Win::DWORD last = Win::GetTickCount();
  while (BASS_ChannelIsActive(channel_) != 0 && !Cancelled()) {
    HonourPause();
    if (Cancelled()) break;
    const int n = ReadBlock(traits.readBytes);
    if (traits.waitsOutEmptyReads) {
      if (empty >= 3) {
        result_ = EXTRACT_STALLED;
        break;
      }
    } else if (n == 0 || n == -1) {
      break;
    }
    ReportPosition(last);
    if (n == 0) {
      ++empty;
      Win::Sleep(30);
      continue;
    }
    empty = 0;
    if (n < 0) break;
    if (!encoder_->Write(buffer_.data(), n)) {
      WriteFailed();
      break;
    }
  }
  if (!Cancelled() && result_ == EXTRACT_OK && !writeFailed_) {
    const int n = DrainBlock();
    if (n > 0 && !encoder_->Write(buffer_.data(), n)) WriteFailed();
  }
  EndJob(result_);
}

void CExtractorThread::EndJob(int code) {
  if (encoder_) {
    if (!encoder_->Finish()) WriteFailed();
    encoder_.reset();
  }
  // A VIA source's reader ends with its job whatever the target format.
  if (!cdJob_ && sourceKind_ == EXTRACT_SOURCE_VIA) viaReader_.Stop();
  // Unlocked for every job, as a locked tray must never outlive the job that locked it.
  BASS_CD_Door(static_cast<DWORD>(drive_), BASS_CD_DOOR_UNLOCK);
  if (channel_ != 0) {
    BASS_ChannelStop(channel_);
    BASS_StreamFree(channel_);
    channel_ = 0;
  }
  resampler_.reset();
  if (writeFailed_) {
    // A file cut short by a full or failing disk is no result: it goes, and the job says so.
    if (code == EXTRACT_OK) code = EXTRACT_CREATE_FAILED;
    std::remove(targetPath_.c_str());
  }
  const Win::HWND owner = owner_;
  result_ = code;
  running_ = 0;
  cancel_ = 0;
  idle_.Set();
  if (code != EXTRACT_OK || Win::IsWindow(owner)) Win::PostMessage(owner, WM_EXTRACTOR_PROGRESS, EXTRACTOR_DONE, code);
}

int CExtractorThread::ReadBlock(int bytes) {
  int n = BASS_ChannelGetData(channel_, buffer_.data(), static_cast<DWORD>(bytes));
  if (n <= 0) return n;
  if (resampler_) {
    resampled_.clear();
    resampler_->Process(reinterpret_cast<const std::int16_t*>(buffer_.data()), n / (2 * sourceChannels_), &resampled_);
    n = static_cast<int>(resampled_.size() * 2);
    if (buffer_.size() < static_cast<std::size_t>(n) * 2) buffer_.resize(static_cast<std::size_t>(n) * 2);
    std::memcpy(buffer_.data(), resampled_.data(), static_cast<std::size_t>(n));
  }
  return ConvertChannels(buffer_.data(), n);
}

int CExtractorThread::DrainBlock() {
  if (!resampler_) return 0;
  resampled_.clear();
  resampler_->Flush(&resampled_);
  const int n = static_cast<int>(resampled_.size() * 2);
  if (n <= 0) return 0;
  if (buffer_.size() < static_cast<std::size_t>(n) * 2) buffer_.resize(static_cast<std::size_t>(n) * 2);
  std::memcpy(buffer_.data(), resampled_.data(), static_cast<std::size_t>(n));
  return ConvertChannels(buffer_.data(), n);
}

}  // namespace TYX::Convert
