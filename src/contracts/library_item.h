#pragma once
// One song of a library store: its file, the tags last read from it and the fields the system keeps
// beside them. Items belong to their store and stay valid for the life of its manager; a removed
// song keeps its object, with the reference ~0.
//
// Every getter and setter may be called from any thread; the store serialises them. A setter writes
// the new value to the store at once and returns false (leaving the old value) when that fails or
// the song is no longer in the library. Fields outside ItemText and ItemNumber (Count and beyond, or
// a negative number cast to them) are refused by the setters (false, nothing written) and read as
// empty or 0; so are the read-only path and kind for the setters.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "contracts/stock_playlist.h"

namespace TYX {

class TYX_Media;

// Kinds of entry.
constexpr std::uint32_t kItemKindFile = 1;     // a file on disk
constexpr std::uint32_t kItemKindCDTrack = 2;  // an audio-CD track, path "%c:\Track%02d.cda"

// Source code 64: a song of the music store whose presence on disk is not shown.
constexpr std::uint32_t kSourceCodeStore = 64;

// Lyric flags, set by Update from what the song has.
constexpr std::uint32_t kLyricTag = 0x1;          // lyrics text in the file's tags
constexpr std::uint32_t kLyricTimedTag = 0x4;     // time-coded ("[mm:ss.xx]") lyrics in the tags
constexpr std::uint32_t kLyricFileLrc = 0x8;      // a .lrc file beside the song
constexpr std::uint32_t kLyricFileText = 0x1000;  // a .txt file beside the song

// GetSmartTitle flags.
constexpr std::uint32_t kSmartTitleWithArtist = 0x1;  // "artist - title" when the artist is known
constexpr std::uint32_t kSmartTitleTrim = 0x2;        // trim spaces; a title of spaces counts as none

// Number of identification texts (filled by the tagging worker and the tag editor).
constexpr std::size_t kIdTextCount = 5;

// Text fields of an item.
enum class ItemText : std::uint32_t {
  Path,         // normalised absolute path, or the CD-track name; read-only
  Title,
  Artist,
  Album,
  Genre,
  Year,         // release year or date text ("2004", "2004-05-01")
  Comment,
  Composer,
  Label,        // publisher
  Format,       // format text of the media object ("MPEG Layer 3", ...)
  ChannelMode,  // channel text of the media object ("Stereo", "Mono", ...)
  SongId,       // the music store's song id of a store item
  IdText0,      // identification texts 0 to 4, in the order of the tagging worker's candidate record
  IdText1,
  IdText2,
  IdText3,
  IdText4,
  ExtraText,    // the fifth text field of the media object (filled by the tagging worker)
  Count
};

// Number fields of an item.
enum class ItemNumber : std::uint32_t {
  Kind,             // kItemKindFile or kItemKindCDTrack; read-only
  SourceCode,       // kSourceCodeStore or 0
  Mark,             // the field after the source code; the panel clears it before a removal
  Track,            // track number
  Disc,             // disc number
  FileSize,         // bytes
  BitRate,          // bit/s
  SampleRate,       // Hz
  Duration,         // whole seconds
  LyricFlags,       // kLyric* flags
  TransferState,    // transfer report code + 3 (0: never transferred)
  HighlightStart,   // milliseconds
  HighlightLength,  // milliseconds; 0 means no highlight
  Count
};

constexpr ItemText IdTextField(std::size_t i) {
  return static_cast<ItemText>(static_cast<std::uint32_t>(ItemText::IdText0) + static_cast<std::uint32_t>(i));
}

// All fields of an item at once (GetData/SetData).
struct TYX_LibraryItemData {
  std::array<std::string, static_cast<std::size_t>(ItemText::Count)> texts;
  std::array<std::uint64_t, static_cast<std::size_t>(ItemNumber::Count)> numbers{};
  bool fileExists = false;  // as last tested on disk

  const std::string& Text(ItemText f) const { return texts[static_cast<std::size_t>(f)]; }
  std::string& Text(ItemText f) { return texts[static_cast<std::size_t>(f)]; }
  std::uint64_t Number(ItemNumber f) const { return numbers[static_cast<std::size_t>(f)]; }
  std::uint64_t& Number(ItemNumber f) { return numbers[static_cast<std::size_t>(f)]; }
  bool operator==(const TYX_LibraryItemData&) const = default;
};

class TYX_LibraryItem {
 public:
  virtual ~TYX_LibraryItem() = default;

  // The item's library index while it is in the library; ~0 once it was removed.
  virtual std::uint32_t GetReference() const = 0;
  // The library index the item was given, also after removal.
  virtual std::uint32_t GetLibraryIndex() const = 0;

  virtual std::string GetText(ItemText field) const = 0;
  virtual std::uint64_t GetNumber(ItemNumber field) const = 0;
  virtual bool SetText(ItemText field, const std::string& value) = 0;
  virtual bool SetNumber(ItemNumber field, std::uint64_t value) = 0;
  virtual TYX_LibraryItemData GetData() const = 0;
  // Writes every field except the path and the kind (which stay) in one step.
  virtual bool SetData(const TYX_LibraryItemData& data) = 0;

  // The title; else the file name without its extension (kSmartTitle* flags).
  virtual std::string GetSmartTitle(std::uint32_t flags = 0) const = 0;
  // The song id; else the first identification text that is not empty; else empty.
  virtual std::string GetSmartSongID() const = 0;
  // Whether the file was there when last tested (at insertion, CheckFileExist or Update). CD tracks
  // count as present.
  virtual bool IsFileExist() const = 0;
  // Tests the disk again, stores and returns the answer.
  virtual bool CheckFileExist() = 0;
  // Re-reads the file's tags and stream facts, the lyric flags and the presence. False when the file
  // is missing or the song is no longer in the library; fields of a file without readable tags keep
  // their values.
  virtual bool Update() = 0;
  // A new media object for the file (flag 1 to play, 0 to read), or null; error receives the reason.
  virtual std::shared_ptr<TYX_Media> CreateMediaInstance(std::uint32_t flag = 0, std::string* error = nullptr) = 0;

  // Named accessors.
  std::string GetPath() const { return GetText(ItemText::Path); }
  std::string GetTitle() const { return GetText(ItemText::Title); }
  std::string GetArtist() const { return GetText(ItemText::Artist); }
  std::string GetAlbum() const { return GetText(ItemText::Album); }
  std::string GetGenre() const { return GetText(ItemText::Genre); }
  std::string GetYear() const { return GetText(ItemText::Year); }
  std::string GetComment() const { return GetText(ItemText::Comment); }
  std::string GetComposer() const { return GetText(ItemText::Composer); }
  std::string GetLabel() const { return GetText(ItemText::Label); }
  std::string GetFormat() const { return GetText(ItemText::Format); }
  std::string GetChannelMode() const { return GetText(ItemText::ChannelMode); }
  std::string GetSongID() const { return GetText(ItemText::SongId); }
  std::string GetExtraText() const { return GetText(ItemText::ExtraText); }
  std::string GetIdText(std::size_t i) const { return i < kIdTextCount ? GetText(IdTextField(i)) : std::string(); }
  std::uint32_t GetKind() const { return Num32(ItemNumber::Kind); }
  std::uint32_t GetSourceCode() const { return Num32(ItemNumber::SourceCode); }
  std::uint32_t GetMark() const { return Num32(ItemNumber::Mark); }
  std::uint32_t GetTrack() const { return Num32(ItemNumber::Track); }
  std::uint32_t GetDisc() const { return Num32(ItemNumber::Disc); }
  std::uint64_t GetFileSize() const { return GetNumber(ItemNumber::FileSize); }
  std::uint32_t GetBitRate() const { return Num32(ItemNumber::BitRate); }
  std::uint32_t GetSampleRate() const { return Num32(ItemNumber::SampleRate); }
  std::uint32_t GetDuration() const { return Num32(ItemNumber::Duration); }
  std::uint32_t GetLyricFlags() const { return Num32(ItemNumber::LyricFlags); }
  std::uint32_t GetTransferState() const { return Num32(ItemNumber::TransferState); }
  std::uint32_t GetHighlightStart() const { return Num32(ItemNumber::HighlightStart); }
  std::uint32_t GetHighlightLength() const { return Num32(ItemNumber::HighlightLength); }

  bool SetTitle(const std::string& v) { return SetText(ItemText::Title, v); }
  bool SetArtist(const std::string& v) { return SetText(ItemText::Artist, v); }
  bool SetAlbum(const std::string& v) { return SetText(ItemText::Album, v); }
  bool SetGenre(const std::string& v) { return SetText(ItemText::Genre, v); }
  bool SetYear(const std::string& v) { return SetText(ItemText::Year, v); }
  bool SetSongID(const std::string& v) { return SetText(ItemText::SongId, v); }
  bool SetExtraText(const std::string& v) { return SetText(ItemText::ExtraText, v); }
  bool SetIdText(std::size_t i, const std::string& v) { return i < kIdTextCount && SetText(IdTextField(i), v); }
  bool SetSourceCode(std::uint32_t v) { return SetNumber(ItemNumber::SourceCode, v); }
  bool SetMark(std::uint32_t v) { return SetNumber(ItemNumber::Mark, v); }
  bool SetFileSize(std::uint64_t v) { return SetNumber(ItemNumber::FileSize, v); }
  bool SetBitRate(std::uint32_t v) { return SetNumber(ItemNumber::BitRate, v); }
  bool SetSampleRate(std::uint32_t v) { return SetNumber(ItemNumber::SampleRate, v); }
  bool SetDuration(std::uint32_t v) { return SetNumber(ItemNumber::Duration, v); }
  bool SetLyricFlags(std::uint32_t v) { return SetNumber(ItemNumber::LyricFlags, v); }
  bool SetTransferState(std::uint32_t v) { return SetNumber(ItemNumber::TransferState, v); }
  bool SetHighlight(std::uint32_t startMs, std::uint32_t lengthMs) {
    bool start = SetNumber(ItemNumber::HighlightStart, startMs);
    return SetNumber(ItemNumber::HighlightLength, lengthMs) && start;
  }

 private:
  std::uint32_t Num32(ItemNumber f) const { return static_cast<std::uint32_t>(GetNumber(f)); }
};

}  // namespace TYX
