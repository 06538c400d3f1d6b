#include "convert/extractor_thread.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "components/audio/pcm_resampler.h"
#include "convert/extractor_helpers.h"
#include "convert/mp3_encoder.h"
#include "convert/ogg_encoder.h"
#include "convert/via_codec.h"
#include "convert/wav_writer.h"
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
  OnThreadMessage(WM_EXTRACTOR_START, [this](Win::WPARAM w, Win::LPARAM l) { OnStartJob(w, l); });
}

CExtractorThread::CExtractorThread(Win::HWND owner) : CExtractorThread() { owner_ = owner; }

CExtractorThread::~CExtractorThread() {
  // The loop must be gone before the members it uses are.
  if (IsRunning()) {
    cancel_ = 1;
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
  const int to = format_ == EXTRACT_FORMAT_MP3 ? 2 : targetChannels_;
  return Convert::ConvertChannels(buffer, bytes, sourceChannels_, to);
}

int CExtractorThread::OutputChannels() const { return format_ == EXTRACT_FORMAT_MP3 ? 2 : targetChannels_; }

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
  while (running_.load() != 0) {
    // A worker sending its total to this thread is answered while we wait.
    Win::MSG msg;
    Win::PeekMessage(&msg, nullptr, 0, 0, Win::PM_NOREMOVE);
    idle_.Wait(10);
  }
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

void CExtractorThread::Complete(int code) {
  const Win::HWND owner = owner_;
  result_ = code;
  running_ = 0;
  cancel_ = 0;
  idle_.Set();
  if (code != EXTRACT_OK || Win::IsWindow(owner)) Win::PostMessage(owner, WM_EXTRACTOR_PROGRESS, EXTRACTOR_DONE, code);
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
  if (mode == 0) {
    RunCdJob();
  } else {
    RunFileJob();
  }
}

void CExtractorThread::RunCdJob() {
  BASS_CD_Door(static_cast<DWORD>(drive_), BASS_CD_DOOR_LOCK);
  channel_ = BASS_CD_StreamCreate(static_cast<DWORD>(drive_), static_cast<DWORD>(track_),
                                  BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE | BASS_CD_FREEOLD);
  if (channel_ == 0) {
    EndEarly(EXTRACT_CD_UNREADABLE);
    return;
  }
  RunWithChannel();
}

void CExtractorThread::RunFileJob() {
  // Writing a file over itself would destroy it before it is read: refused before anything is opened.
  if (IsSameFile(sourcePath_, targetPath_)) {
    std::fprintf(stderr, "CExtractorThread: %s is the source itself\n", targetPath_.c_str());
    EndEarly(EXTRACT_CREATE_FAILED);
    return;
  }
  if (sourceOpener_) {
    channel_ = sourceOpener_(sourcePath_, sourceKind_);
  } else if (sourceKind_ == EXTRACT_SOURCE_VIA) {
    if (viaReader_.Open(sourcePath_)) {
      channel_ = BASS_StreamCreate(viaReader_.SampleRate(), static_cast<DWORD>(viaReader_.Channels()),
                                   BASS_STREAM_DECODE, &ViaDecodeReader::CALLBACK_StreamProc, &viaReader_);
    }
  } else if (sourceKind_ == EXTRACT_SOURCE_WMA) {
    channel_ = BASS_WMA_StreamCreateFile(0, sourcePath_.c_str(), 0, 0, BASS_STREAM_DECODE);
  } else {
    channel_ = BASS_StreamCreateFile(0, sourcePath_.c_str(), 0, 0, BASS_STREAM_DECODE);
  }
  if (channel_ == 0) {
    EndEarly(EXTRACT_DECODE_FAILED);
    return;
  }
  RunWithChannel();
}

void CExtractorThread::EndEarly(int code) {
  // Nothing stays behind a failed start: the door is unlocked, the channel and the reader freed.
  if (cdJob_) BASS_CD_Door(static_cast<DWORD>(drive_), BASS_CD_DOOR_UNLOCK);
  if (channel_ != 0) {
    BASS_ChannelStop(channel_);
    BASS_StreamFree(channel_);
    channel_ = 0;
  }
  if (!cdJob_ && sourceKind_ == EXTRACT_SOURCE_VIA) viaReader_.Stop();
  resampler_.reset();
  Complete(code);
}

void CExtractorThread::RunWithChannel() {
  BASS_CHANNELINFO info;
  if (BASS_ChannelGetInfo(channel_, &info)) {
    channelRate_ = info.freq;
    // The decoded PCM's own channel count, whatever the caller believed.
    sourceChannels_ = static_cast<int>(info.chans);
  }
  // MP3 and WAV declare the PCM's own rate (LAME resamples by itself); Ogg, WMA and VIA are written at
  // 44100 Hz, so other rates are resampled to it.
  const bool at44100 = format_ == EXTRACT_FORMAT_OGG || format_ == EXTRACT_FORMAT_WMA || format_ == EXTRACT_FORMAT_VIA;
  outputRate_ = at44100 ? 44100 : channelRate_;
  resampler_.reset();
  if (at44100 && channelRate_ != 44100) {
    resampler_ = std::make_unique<PcmResampler>(static_cast<int>(channelRate_), 44100, sourceChannels_);
    if (!resampler_->ok()) {
      EndEarly(EXTRACT_DECODE_FAILED);
      return;
    }
  }
  const int r = OpenEncoder();
  if (r != 0) {
    EndEarly(r);
    return;
  }
  switch (format_) {
    case EXTRACT_FORMAT_OGG:
      OggPath();
      break;
    case EXTRACT_FORMAT_VIA:
      ViaPath();
      break;
    default:
      TranscodeLoop();
      break;
  }
  Finish();
}

int CExtractorThread::OpenEncoder() {
  switch (format_) {
    case EXTRACT_FORMAT_MP3: {
      mp3_ = std::make_unique<Mp3Encoder>();
      if (mp3_->Open(targetPath_, bitrate_, targetChannels_, channelRate_, sampleRate_) != 0) {
        mp3_.reset();
        return EXTRACT_CREATE_FAILED;
      }
      return 0;
    }
    case EXTRACT_FORMAT_OGG:
      return 0;
    case EXTRACT_FORMAT_WMA: {
      wmaEncoder_ = BASS_WMA_EncodeOpenFile(outputRate_, static_cast<DWORD>(OutputChannels()), BASS_WMA_ENCODE_TAGS,
                                            static_cast<DWORD>(bitrate_ * 1000), targetPath_.c_str());
      if (wmaEncoder_ == 0) {
        const int code = BASS_ErrorGetCode();
        std::fprintf(stderr, "CExtractorThread: WMA encoder not opened (%d)\n", code);
        return EXTRACT_CREATE_FAILED;
      }
      BASS_WMA_EncodeSetTag(wmaEncoder_, nullptr, nullptr);
      return 0;
    }
    case EXTRACT_FORMAT_WAV: {
      wav_ = std::make_unique<WavWriter>();
      if (!wav_->Open(targetPath_, outputRate_, OutputChannels())) {
        wav_.reset();
        Win::MessageBox(Win::GetMainWindow(), "Can't create file", "", Win::MB_OK);
        return EXTRACT_CREATE_FAILED;
      }
      return 0;
    }
    case EXTRACT_FORMAT_VIA: {
      const ViaCodec::Functions* f = ViaCodec::Get();
      if (sampleRate_ != 44100 || f == nullptr) return EXTRACT_STALLED;
      viaEncoder_ = f->encode_init(targetPath_.c_str(), static_cast<int>(sampleRate_), targetChannels_,
                                   static_cast<double>(length_), RoundMp3Bitrate(bitrate_ * 1000));
      if (viaEncoder_ == nullptr) return EXTRACT_STALLED;
      f->encode_setopt(viaEncoder_, 1, 1000);
      f->encode_SetMetaData(viaEncoder_, "", "", "", "", "", "", "");
      return 0;
    }
    default:
      return EXTRACT_CREATE_FAILED;
  }
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

void CExtractorThread::TranscodeLoop() {
  SendTotal(SourceTotal());
  auto encode = [&](int n) {
    bool ok = true;
    switch (format_) {
      case EXTRACT_FORMAT_MP3:
        ok = mp3_->Encode(reinterpret_cast<const std::int16_t*>(buffer_.data()), n / 4);
        break;
      case EXTRACT_FORMAT_WMA:
        ok = BASS_WMA_EncodeWrite(wmaEncoder_, buffer_.data(), static_cast<DWORD>(n)) != 0;
        break;
      case EXTRACT_FORMAT_WAV:
        ok = wav_->Write(buffer_.data(), static_cast<std::size_t>(n));
        break;
      default:
        break;
    }
    if (!ok) WriteFailed();
    return ok;
  };
  Win::DWORD last = Win::GetTickCount();
  while (BASS_ChannelIsActive(channel_) != 0 && cancel_.load() != 1) {
    const int n = ReadBlock(kReadBlock);
    if (n == 0 || n == -1) break;
    ReportPosition(last);
    if (!encode(n)) return;
  }
  if (cancel_.load() != 1) {
    const int n = DrainBlock();
    if (n > 0) encode(n);
  }
}

void CExtractorThread::OggPath() {
  const int channels = OutputChannels();
  ogg_ = std::make_unique<OggEncoder>();
  const OggEncoder::OpenResult opened = ogg_->Open(targetPath_, bitrate_, channels, outputRate_);
  if (opened == OggEncoder::OpenResult::kSetupRejected || opened == OggEncoder::OpenResult::kSetupFailed) {
    Win::MessageBox(Win::GetMainWindow(), "error", "", Win::MB_OK);
  }
  if (opened == OggEncoder::OpenResult::kFileFailed || opened == OggEncoder::OpenResult::kSetupFailed) {
    // Like the other encoders, a target that cannot be made is reported as such, once the finish step
    // has run.
    ogg_.reset();
    result_ = EXTRACT_CREATE_FAILED;
    return;
  }
  SendTotal(SourceTotal());
  const int frameBytes = 2 * channels;
  int empty = 0;
  Win::DWORD last = Win::GetTickCount();
  while (BASS_ChannelIsActive(channel_) != 0 && cancel_.load() != 1) {
    const int n = ReadBlock(kBufferBytes);
    if (empty >= 3) {
      // Reported by the finish step, after the clean-up.
      result_ = EXTRACT_STALLED;
      break;
    }
    ReportPosition(last);
    if (n == 0) {
      ++empty;
      Win::Sleep(30);
      continue;
    }
    empty = 0;
    const int frames = n > 0 ? n / frameBytes : 0;
    if (!ogg_->Encode(reinterpret_cast<const std::int16_t*>(buffer_.data()), frames)) {
      WriteFailed();
      break;
    }
    if (n < 0) break;
  }
  if (cancel_.load() != 1 && result_ == EXTRACT_OK && !writeFailed_ && !ogg_->EndSignalled()) {
    const int n = DrainBlock();
    if (n > 0 && !ogg_->Encode(reinterpret_cast<const std::int16_t*>(buffer_.data()), n / frameBytes)) WriteFailed();
  }
  if (!ogg_->Finish()) WriteFailed();
  ogg_.reset();
}

void CExtractorThread::ViaPath() {
  const ViaCodec::Functions* f = ViaCodec::Get();
  SendTotal(SourceTotal());
  int state = 0;
  Win::DWORD last = Win::GetTickCount();
  while (BASS_ChannelIsActive(channel_) != 0 && cancel_.load() != 1) {
    const int n = ReadBlock(kViaReadBlock);
    if (n == 0 || n == -1) break;
    ReportPosition(last);
    if (f->encode(viaEncoder_, buffer_.data(), n, &state) != 0) {
      WriteFailed();
      return;
    }
  }
  if (cancel_.load() != 1) {
    const int n = DrainBlock();
    if (n > 0 && f->encode(viaEncoder_, buffer_.data(), n, &state) != 0) WriteFailed();
  }
  if (f->encode(viaEncoder_, buffer_.data(), 0, &state) != 0) WriteFailed();
}

void CExtractorThread::Finish() {
  bool closed = true;
  switch (format_) {
    case EXTRACT_FORMAT_MP3:
      if (mp3_) closed = mp3_->Finish();
      mp3_.reset();
      break;
    case EXTRACT_FORMAT_WMA:
      closed = BASS_WMA_EncodeClose(wmaEncoder_) != 0;
      break;
    case EXTRACT_FORMAT_WAV:
      if (wav_) closed = wav_->Finish();
      wav_.reset();
      break;
    case EXTRACT_FORMAT_VIA:
      viaReader_.Stop();
      if (const ViaCodec::Functions* f = ViaCodec::Get(); f != nullptr && viaEncoder_ != nullptr) {
        closed = f->encode_stop(viaEncoder_) == 0;
      }
      viaEncoder_ = nullptr;
      break;
    default:
      break;
  }
  if (!closed) WriteFailed();
  // A VIA source's reader ends with its job whatever the target format.
  if (!cdJob_ && sourceKind_ == EXTRACT_SOURCE_VIA) viaReader_.Stop();
  BASS_CD_Door(static_cast<DWORD>(drive_), BASS_CD_DOOR_UNLOCK);
  BASS_ChannelStop(channel_);
  BASS_StreamFree(channel_);
  resampler_.reset();
  wmaEncoder_ = 0;
  channel_ = 0;
  if (writeFailed_) {
    // A file cut short by a full or failing disk is no result: it goes, and the job says so.
    if (result_ == EXTRACT_OK) result_ = EXTRACT_CREATE_FAILED;
    std::remove(targetPath_.c_str());
  }
  Complete(result_);
}

}  // namespace TYX::Convert
