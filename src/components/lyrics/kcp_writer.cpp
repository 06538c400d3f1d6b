#include "components/lyrics/kcp_writer.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include "components/media/media_file.h"

namespace TYX::Lyrics {

namespace fs = std::filesystem;
using TagLib::ID3v2::SynchronizedLyricsFrame;
using TagLib::ID3v2::UnsynchronizedLyricsFrame;

namespace {

const TagLib::ByteVector kLanguage("kor", 3);

// Removes the work file on every way out unless it was handed over.
class WorkFile {
 public:
  explicit WorkFile(std::string path) : path_(std::move(path)) {}
  ~WorkFile() {
    if (!path_.empty()) {
      std::error_code ec;
      fs::remove(path_, ec);
    }
  }
  WorkFile(const WorkFile&) = delete;
  WorkFile& operator=(const WorkFile&) = delete;
  const std::string& Path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

LyricResult Fail(const std::string& why) { return LyricResult{why}; }

LyricResult WriteFrames(const std::string& path, const std::vector<LyricLine>& lines) {
  TagLib::MPEG::File file(path.c_str(), false);
  if (!file.isValid()) return Fail("the song is not an MP3 file TagLib can read");
  TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
  tag->removeFrames("SYLT");
  tag->removeFrames("USLT");

  auto* plain = new UnsynchronizedLyricsFrame(TagLib::String::UTF16);
  plain->setLanguage(kLanguage);
  plain->setText(TagLib::String(TYX_LrcLyrics::Format(lines), TagLib::String::UTF8));
  tag->addFrame(plain);

  auto* synced = new SynchronizedLyricsFrame(TagLib::String::UTF16);
  synced->setLanguage(kLanguage);
  synced->setTimestampFormat(SynchronizedLyricsFrame::AbsoluteMilliseconds);
  synced->setType(SynchronizedLyricsFrame::Lyrics);
  SynchronizedLyricsFrame::SynchedTextList list;
  for (const LyricLine& line : lines) {
    list.append(SynchronizedLyricsFrame::SynchedText(line.ms, TagLib::String(line.text, TagLib::String::UTF8)));
  }
  synced->setSynchedText(list);
  tag->addFrame(synced);

  if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                 TagLib::File::DoNotDuplicate)) {
    return Fail("the lyrics could not be written into the copy");
  }
  return {};
}

}  // namespace

LyricResult TYX_KcpWriter::ReadLines(const std::string& kcpPath, std::vector<LyricLine>& lines) {
  lines.clear();
  try {
    TagLib::MPEG::File file(kcpPath.c_str(), false);
    if (!file.isValid()) return Fail("not an MP3 file: " + kcpPath);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(false);
    if (tag == nullptr) return Fail("no ID3v2 tag in " + kcpPath);
    const auto& frames = tag->frameList("SYLT");
    if (frames.isEmpty()) return Fail("no synchronised lyrics in " + kcpPath);
    const auto* synced = dynamic_cast<const SynchronizedLyricsFrame*>(frames.front());
    if (synced == nullptr) return Fail("no synchronised lyrics in " + kcpPath);
    for (const auto& entry : synced->synchedText()) lines.push_back({entry.time, entry.text.to8Bit(true)});
  } catch (const std::exception& e) {
    return Fail(std::string("cannot read ") + kcpPath + ": " + e.what());
  }
  return {};
}

LyricResult TYX_KcpWriter::Write(const std::string& source, const std::vector<LyricLine>& lines,
                                 const std::string& target) {
  if (lines.empty()) return Fail("no lyric lines to write");
  if (target.empty()) return Fail("no path for the lyric copy");
  if (Media::FormatOfPath(source) != Media::MediaFormat::MP3) {
    return Fail("lyric copies are made of MP3 songs only: " + source);
  }
  std::error_code ec;
  if (!fs::is_regular_file(source, ec)) return Fail("the song is missing: " + source);
  const fs::path targetPath(target);
  const fs::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, ec)) return Fail("the folder of the lyric copy does not exist: " + folder.string());

  // TagLib writes in place; the work file keeps a half-written copy from ever carrying the target's name.
  std::string pattern = (folder / ".tyx_kcp_XXXXXX.mp3").string();
  const int fd = ::mkstemps(pattern.data(), 4);
  if (fd < 0) return Fail("cannot make a work file in " + folder.string());
  ::close(fd);
  WorkFile work(pattern);
  fs::copy_file(source, work.Path(), fs::copy_options::overwrite_existing, ec);
  if (ec) return Fail("cannot copy " + source + ": " + ec.message());

  try {
    LyricResult written = WriteFrames(work.Path(), lines);
    if (!written.ok()) return written;
    std::vector<LyricLine> back;
    LyricResult read = ReadLines(work.Path(), back);
    if (!read.ok()) return read;
    if (back != lines) return Fail("the lyric copy does not read back as written");
    TagLib::MPEG::File check(work.Path().c_str(), true);
    if (!check.isValid() || check.audioProperties() == nullptr || check.audioProperties()->sampleRate() <= 0) {
      return Fail("the lyric copy holds no readable audio");
    }
  } catch (const std::exception& e) {
    return Fail(std::string("the lyric copy failed: ") + e.what());
  }
  fs::rename(work.Path(), targetPath, ec);
  if (ec) return Fail("cannot name the lyric copy " + target + ": " + ec.message());
  work.Release();
  return {};
}

}  // namespace TYX::Lyrics
