#include "components/store/song_file.h"

#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "contracts/media.h"

namespace TYX::Store {
namespace fs = std::filesystem;

namespace {

// Lyric files beside a song larger than this are not read.
constexpr std::uintmax_t kMaxLyricFileBytes = 4u << 20;

fs::path Beside(const std::string& path, const char* ext) {
  fs::path p(path);
  p.replace_extension(ext);
  return p;
}

bool ReadSmallFile(const fs::path& p, std::string& out) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return false;
  auto size = fs::file_size(p, ec);
  if (ec || size > kMaxLyricFileBytes) return false;
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

std::string TYX_SongFile::NormalisePath(const std::string& path, std::uint32_t kind) {
  if (path.empty()) return {};
  if (kind == kItemKindCDTrack) {
    static const std::regex cd(R"(^([A-Za-z]):\\[Tt][Rr][Aa][Cc][Kk]([0-9]{2,3})\.[Cc][Dd][Aa]$)");
    std::smatch m;
    if (!std::regex_match(path, m, cd)) return {};
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(m[1].str()[0])))) +
           ":\\Track" + m[2].str() + ".cda";
  }
  std::error_code ec;
  fs::path abs = fs::absolute(fs::path(path), ec);
  if (ec) return {};
  std::string s = abs.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

bool TYX_SongFile::IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::uint32_t TYX_SongFile::LyricTagFlags(const std::string& lyrics) {
  if (lyrics.find_first_not_of(" \t\r\n") == std::string::npos) return 0;
  static const std::regex timed(R"(\[[0-9]{1,3}:[0-9]{2}([.:][0-9]{1,3})?\])");
  return std::regex_search(lyrics, timed) ? kLyricTimedTag : kLyricTag;
}

std::uint32_t TYX_SongFile::LyricFileFlags(const std::string& path) {
  std::error_code ec;
  std::uint32_t flags = 0;
  if (fs::is_regular_file(Beside(path, ".lrc"), ec)) flags |= kLyricFileLrc;
  if (fs::is_regular_file(Beside(path, ".txt"), ec)) flags |= kLyricFileText;
  return flags;
}

bool TYX_SongFile::Read(const std::string& path, TYX_Media* media, TYX_LibraryItemData& data) {
  // One look at the file gives both its kind and its size.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    data.fileExists = false;
    return false;
  }
  data.fileExists = true;
  data.Number(ItemNumber::FileSize) = static_cast<std::uint64_t>(st.st_size);

  TYX_MediaPtr opened;
  if (media == nullptr) {
    opened = TYX_Media::Instance(path, kMediaOpenRead, nullptr);
    media = opened.get();
  }
  std::uint32_t lyricFlags = LyricFileFlags(path);
  if (media != nullptr && media->IsValid()) {
    data.Text(ItemText::Title) = media->GetTitle();
    data.Text(ItemText::Artist) = media->GetArtist();
    data.Text(ItemText::Album) = media->GetAlbum();
    data.Text(ItemText::Genre) = media->GetGenre();
    data.Text(ItemText::Year) = media->GetYear();
    data.Text(ItemText::Comment) = media->GetComment();
    data.Text(ItemText::Composer) = media->GetComposer();
    data.Text(ItemText::Label) = media->GetLabel();
    data.Text(ItemText::ExtraText) = media->GetExtraText();
    data.Text(ItemText::Format) = media->GetFormatText();
    data.Text(ItemText::ChannelMode) = media->GetChannelText();
    data.Number(ItemNumber::Track) = media->GetTrack();
    data.Number(ItemNumber::Disc) = media->GetDiscNumber();
    data.Number(ItemNumber::BitRate) = media->GetBitRate();
    data.Number(ItemNumber::SampleRate) = media->GetSampleRate();
    data.Number(ItemNumber::Duration) = media->GetDuration();
    data.Number(ItemNumber::HighlightStart) = media->GetHighlightStart();
    data.Number(ItemNumber::HighlightLength) = media->GetHighlightLength();
    lyricFlags |= LyricTagFlags(media->GetLyrics());
  }
  data.Number(ItemNumber::LyricFlags) = lyricFlags;
  return true;
}

std::string TYX_SongFile::FullLyrics(const std::string& path) {
  if (path.empty()) return {};
  if (IsRegularFile(path)) {
    TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead, nullptr);
    if (media && media->IsValid()) {
      std::string tag = media->GetLyrics();
      if (LyricTagFlags(tag) != 0) return tag;
    }
  }
  std::string text;
  for (const char* ext : {".lrc", ".txt"}) {
    if (ReadSmallFile(Beside(path, ext), text) && text.find_first_not_of(" \t\r\n") != std::string::npos) {
      return text;
    }
  }
  return {};
}

}  // namespace TYX::Store
