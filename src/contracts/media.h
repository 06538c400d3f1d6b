#pragma once
// A media object: one audio file opened by the media component, with its tags and stream facts.
//
// Opening. TYX_Media::Instance (path, flag, out error) asks the installed factory for an object and
// gives null with a reason when the file cannot be parsed; it never changes the file. The factory is
// chosen by the host: the TagLib component installs its own with TYX::Media::InstallTagLibMediaFactory()
// (the system library, which links every component whole, does so when it loads). Without a factory,
// Instance gives null and the error "no media component installed".
//
// Ownership. Objects are shared (std::shared_ptr). An object holds the values it read; nothing is written
// until Save. An object is used by one thread at a time; different objects may be used on different
// threads at once. The factory itself may be called from any thread.
//
// Album image. GetAlbumImagePath writes the embedded image to a new temporary file and hands out its
// path: the file belongs to the caller, who deletes it. SetAlbumImagePath reads an image file and embeds
// it at the next Save; an empty path removes the image.
//
// Highlight. The highlight section (start and length in milliseconds, length 0 meaning none) is kept in
// the file's own tags, so it survives a re-read.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace TYX {

class TYX_Media;
using TYX_MediaPtr = std::shared_ptr<TYX_Media>;

// Open flags of Instance.
constexpr std::uint32_t kMediaOpenRead = 0;  // to read and write tags
constexpr std::uint32_t kMediaOpenPlay = 1;  // to play: the same object; the flag is kept for the caller

// Tag kinds (GetTagKind).
constexpr int kMediaTagNone = 0;      // the format carries no tags we can write
constexpr int kMediaTagBasic = 1;     // only the basic fields (title, artist, album, genre, year, track, comment)
constexpr int kMediaTagExtended = 2;  // every field, the extra text included

// Text fields of a media object.
enum class MediaText : std::uint32_t {
  Title,
  Artist,
  Album,
  Genre,
  Year,       // release year or date text as stored ("2004", "2004-05-01")
  Comment,
  Composer,
  Label,      // publisher
  Lyrics,     // unsynchronised lyrics; may carry "[mm:ss.xx]" time codes
  ExtraText,  // the fifth text field that the tagging worker fills (tag kind 2)
  Count
};

// Number fields of a media object. Zero means "not set".
enum class MediaNumber : std::uint32_t {
  Track,
  TrackCount,
  Disc,
  DiscCount,
  HighlightStart,   // milliseconds
  HighlightLength,  // milliseconds; 0 means no highlight
  Count
};

class TYX_Media {
 public:
  // The factory a media component installs: a media object for the path, or null with the reason.
  using Factory = std::function<TYX_MediaPtr(const std::string& path, std::uint32_t flag, std::string& error)>;

  virtual ~TYX_Media() = default;

  // A media object for the file, or null when it cannot be parsed; error (when given) receives the
  // reason, and is emptied on success. Never writes to the file.
  static TYX_MediaPtr Instance(const std::string& path, std::uint32_t flag = kMediaOpenRead,
                               std::string* error = nullptr);
  // Installs the factory behind Instance and returns the one it replaces (empty for none).
  static Factory SetFactory(Factory factory);
  static bool HasFactory();

  // The path given to Instance, and the open flag.
  virtual const std::string& GetPath() const = 0;
  virtual std::uint32_t GetOpenFlag() const = 0;
  // True while the object holds a parsed file (callers may test it as the old "reference non-zero").
  virtual bool IsValid() const = 0;

  // The library index a caller attached (the panel's PlayOneSong); ~0 when none.
  virtual std::uint32_t GetLibraryIndex() const = 0;
  virtual void SetLibraryIndex(std::uint32_t index) = 0;

  // Tags, as read or as set since.
  virtual std::string GetText(MediaText field) const = 0;
  virtual void SetText(MediaText field, const std::string& value) = 0;
  virtual std::uint32_t GetNumber(MediaNumber field) const = 0;
  virtual void SetNumber(MediaNumber field, std::uint32_t value) = 0;

  // Album image: see the header comment. HasAlbumImage answers without writing a file.
  virtual bool HasAlbumImage() const = 0;
  virtual std::string GetAlbumImagePath() const = 0;
  // False (and nothing changes) when the path is not empty and is not a readable JPEG, PNG, GIF or BMP.
  virtual bool SetAlbumImagePath(const std::string& imagePath) = 0;
  // The embedded image bytes and their MIME type ("image/jpeg"...); empty when none.
  virtual std::vector<std::uint8_t> GetAlbumImageData(std::string* mimeType = nullptr) const = 0;
  // Embeds image bytes; an empty vector removes the image. False (nothing changes) when the bytes are
  // not a JPEG, PNG, GIF or BMP image. The MIME type is taken from the bytes.
  virtual bool SetAlbumImageData(const std::vector<std::uint8_t>& data) = 0;

  virtual int GetTagKind() const = 0;
  // False when the file (or its folder, which a safe save needs) is read-only for us.
  virtual bool CanWriteTags() const = 0;

  // Stream facts.
  virtual std::uint32_t GetDuration() const = 0;    // whole seconds
  virtual std::uint32_t GetDurationMs() const = 0;  // milliseconds
  virtual std::uint32_t GetBitRate() const = 0;     // bit/s
  // Overrides the bit rate this object reports (a converter that knows the rate it encoded at); the
  // stream itself is never touched and the value is not saved.
  virtual void SetBitRate(std::uint32_t bitsPerSecond) = 0;
  virtual std::uint32_t GetSampleRate() const = 0;  // Hz
  virtual std::uint32_t GetChannels() const = 0;
  virtual std::uint64_t GetFileSize() const = 0;    // bytes, as read at opening
  virtual std::string GetFormatText() const = 0;    // "MPEG-1 Layer 3", "Ogg Vorbis", ...
  virtual std::string GetChannelText() const = 0;   // "Stereo", "Joint Stereo", "Mono", ...

  // Writes the tags to the file: 0 on success, 0x80004005 on failure (GetLastError tells why). A save
  // never leaves a damaged file: it writes a copy beside the file and replaces the file only when the
  // copy parses again.
  virtual std::int32_t Save() = 0;
  virtual std::string GetLastError() const = 0;

  // Named accessors.
  std::string GetTitle() const { return GetText(MediaText::Title); }
  std::string GetArtist() const { return GetText(MediaText::Artist); }
  std::string GetAlbum() const { return GetText(MediaText::Album); }
  std::string GetGenre() const { return GetText(MediaText::Genre); }
  std::string GetYear() const { return GetText(MediaText::Year); }
  std::string GetReleaseDate() const { return GetText(MediaText::Year); }
  std::string GetComment() const { return GetText(MediaText::Comment); }
  std::string GetComposer() const { return GetText(MediaText::Composer); }
  std::string GetLabel() const { return GetText(MediaText::Label); }
  std::string GetLyrics() const { return GetText(MediaText::Lyrics); }
  std::string GetExtraText() const { return GetText(MediaText::ExtraText); }
  std::uint32_t GetTrack() const { return GetNumber(MediaNumber::Track); }
  std::uint32_t GetTrackCount() const { return GetNumber(MediaNumber::TrackCount); }
  std::uint32_t GetDiscNumber() const { return GetNumber(MediaNumber::Disc); }
  std::uint32_t GetDiscCount() const { return GetNumber(MediaNumber::DiscCount); }
  std::uint32_t GetHighlightStart() const { return GetNumber(MediaNumber::HighlightStart); }
  std::uint32_t GetHighlightLength() const { return GetNumber(MediaNumber::HighlightLength); }

  void SetTitle(const std::string& v) { SetText(MediaText::Title, v); }
  void SetArtist(const std::string& v) { SetText(MediaText::Artist, v); }
  void SetAlbum(const std::string& v) { SetText(MediaText::Album, v); }
  void SetGenre(const std::string& v) { SetText(MediaText::Genre, v); }
  void SetYear(const std::string& v) { SetText(MediaText::Year, v); }
  void SetReleaseDate(const std::string& v) { SetText(MediaText::Year, v); }
  void SetComment(const std::string& v) { SetText(MediaText::Comment, v); }
  void SetComposer(const std::string& v) { SetText(MediaText::Composer, v); }
  void SetLabel(const std::string& v) { SetText(MediaText::Label, v); }
  void SetLyrics(const std::string& v) { SetText(MediaText::Lyrics, v); }
  void SetExtraText(const std::string& v) { SetText(MediaText::ExtraText, v); }
  void SetTrack(std::uint32_t v) { SetNumber(MediaNumber::Track, v); }
  void SetTrackCount(std::uint32_t v) { SetNumber(MediaNumber::TrackCount, v); }
  void SetDiscNumber(std::uint32_t v) { SetNumber(MediaNumber::Disc, v); }
  void SetDiscCount(std::uint32_t v) { SetNumber(MediaNumber::DiscCount, v); }
  void SetHighlightStart(std::uint32_t ms) { SetNumber(MediaNumber::HighlightStart, ms); }
  void SetHighlightLength(std::uint32_t ms) { SetNumber(MediaNumber::HighlightLength, ms); }
  void SetHighlight(std::uint32_t startMs, std::uint32_t lengthMs) {
    SetHighlightStart(startMs);
    SetHighlightLength(lengthMs);
  }
};

// Copies every tag field, the highlight and the album image of one object to another (a converted
// file takes the tags of its source). Stream facts are not copied. False when the image could not be
// carried over; the texts and numbers are copied in any case.
bool CopyMediaTags(const TYX_Media& from, TYX_Media& to);

}  // namespace TYX
