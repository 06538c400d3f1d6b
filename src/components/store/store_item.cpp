#include "components/store/store_item.h"

#include <filesystem>

#include "components/store/song_file.h"
#include "contracts/media.h"

namespace TYX::Store {

namespace {

// A field a setter may not write: the path and the kind, and any number past the last field (a
// "negative" field is a large unsigned one).
bool IsReadOnlyText(ItemText f) { return f == ItemText::Path || f >= ItemText::Count; }
bool IsReadOnlyNumber(ItemNumber f) { return f == ItemNumber::Kind || f >= ItemNumber::Count; }

std::string Trim(const std::string& s) {
  auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

TYX_StoreItem::TYX_StoreItem(TYX_StoreCore& core, std::uint32_t index, const TYX_LibraryItemData& data, State state)
    : core_(core),
      index_(index),
      kind_(static_cast<std::uint32_t>(data.Number(ItemNumber::Kind))),
      path_(data.Text(ItemText::Path)),
      state_(state) {
  SetDataLocked(data);
}

std::string_view TYX_StoreItem::TextLocked(ItemText field) const {
  if (field == ItemText::Path) return path_;
  std::size_t i = static_cast<std::size_t>(field) - 1;
  std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
  return std::string_view(texts_.get() + begin, ends_[i] - begin);
}

TYX_LibraryItemData TYX_StoreItem::DataLocked() const {
  TYX_LibraryItemData d;
  for (std::size_t i = 0; i < d.texts.size(); ++i) d.texts[i] = TextLocked(static_cast<ItemText>(i));
  d.numbers = numbers_;
  d.fileExists = fileExists_;
  return d;
}

bool TYX_StoreItem::EqualsLocked(const TYX_LibraryItemData& data) const {
  if (data.numbers != numbers_ || data.fileExists != fileExists_) return false;
  for (std::size_t i = 0; i < data.texts.size(); ++i) {
    if (data.texts[i] != TextLocked(static_cast<ItemText>(i))) return false;
  }
  return true;
}

void TYX_StoreItem::SetDataLocked(const TYX_LibraryItemData& data) {
  std::size_t total = 0;
  for (std::size_t i = 1; i < data.texts.size(); ++i) total += data.texts[i].size();
  std::unique_ptr<char[]> block(total ? new char[total] : nullptr);
  std::uint32_t at = 0;
  for (std::size_t i = 1; i < data.texts.size(); ++i) {
    data.texts[i].copy(block.get() + at, data.texts[i].size());
    at += static_cast<std::uint32_t>(data.texts[i].size());
    ends_[i - 1] = at;
  }
  texts_ = std::move(block);
  numbers_ = data.numbers;
  numbers_[static_cast<std::size_t>(ItemNumber::Kind)] = kind_;
  fileExists_ = data.fileExists;
}

std::uint32_t TYX_StoreItem::GetReference() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return state_ == State::Live ? index_ : kNoLibraryIndex;
}

std::string TYX_StoreItem::GetText(ItemText field) const {
  if (field >= ItemText::Count) return {};
  std::lock_guard<std::mutex> lock(core_.mu);
  return std::string(TextLocked(field));
}

std::uint64_t TYX_StoreItem::GetNumber(ItemNumber field) const {
  if (field >= ItemNumber::Count) return 0;
  std::lock_guard<std::mutex> lock(core_.mu);
  return numbers_[static_cast<std::size_t>(field)];
}

TYX_LibraryItemData TYX_StoreItem::GetData() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return DataLocked();
}

template <typename Change>
bool TYX_StoreItem::Modify(Change change) {
  NoticeList notices;
  bool ok;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    TYX_LibraryItemData next = DataLocked();
    change(next);
    ok = core_.WriteItemLocked(*this, next, notices);
  }
  core_.Post(notices);
  return ok;
}

bool TYX_StoreItem::SetText(ItemText field, const std::string& value) {
  if (IsReadOnlyText(field)) return false;
  return Modify([&](TYX_LibraryItemData& d) { d.Text(field) = value; });
}

bool TYX_StoreItem::SetNumber(ItemNumber field, std::uint64_t value) {
  if (IsReadOnlyNumber(field)) return false;
  return Modify([&](TYX_LibraryItemData& d) { d.Number(field) = value; });
}

bool TYX_StoreItem::SetData(const TYX_LibraryItemData& data) {
  return Modify([&](TYX_LibraryItemData& d) {
    TYX_LibraryItemData next = data;
    next.Text(ItemText::Path) = d.Text(ItemText::Path);
    next.Number(ItemNumber::Kind) = d.Number(ItemNumber::Kind);
    d = std::move(next);
  });
}

std::string TYX_StoreItem::GetSmartTitle(std::uint32_t flags) const {
  std::string title, artist, path;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    title = TextLocked(ItemText::Title);
    artist = TextLocked(ItemText::Artist);
  }
  path = path_;
  if (flags & kSmartTitleTrim) {
    title = Trim(title);
    artist = Trim(artist);
  }
  if (title.empty()) {
    // CD-track names use '\' as their separator; files use '/'.
    auto cut = path.find_last_of("/\\");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    auto dot = name.find_last_of('.');
    title = (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
  }
  if ((flags & kSmartTitleWithArtist) && !artist.empty()) return artist + " - " + title;
  return title;
}

std::string TYX_StoreItem::GetSmartSongID() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  if (!TextLocked(ItemText::SongId).empty()) return std::string(TextLocked(ItemText::SongId));
  for (std::size_t i = 0; i < kIdTextCount; ++i) {
    if (!TextLocked(IdTextField(i)).empty()) return std::string(TextLocked(IdTextField(i)));
  }
  return {};
}

bool TYX_StoreItem::IsFileExist() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return kind_ == kItemKindCDTrack || fileExists_;
}

bool TYX_StoreItem::CheckFileExist() {
  // Path and kind never change: read without the lock, test the disk without it.
  if (kind_ == kItemKindCDTrack) return true;
  bool exists = TYX_SongFile::IsRegularFile(path_);
  SetFileExist(exists);
  return exists;
}

void TYX_StoreItem::SetFileExist(bool exists) {
  {
    // A live song that already says so needs no write (the usual case when a page is filled).
    std::lock_guard<std::mutex> lock(core_.mu);
    if (state_ == State::Live && fileExists_ == exists) return;
  }
  Modify([&](TYX_LibraryItemData& d) { d.fileExists = exists; });
}

bool TYX_StoreItem::Update() {
  if (kind_ == kItemKindCDTrack) return GetReference() != kNoLibraryIndex;
  TYX_LibraryItemData read = GetData();
  bool present = TYX_SongFile::Read(path_, nullptr, read);
  bool stored = Modify([&](TYX_LibraryItemData& d) {
    // Fields the file does not supply (marks, transfer state, identification texts) keep the values
    // they have now, not those of the snapshot taken before the read.
    TYX_LibraryItemData merged = read;
    merged.Number(ItemNumber::SourceCode) = d.Number(ItemNumber::SourceCode);
    merged.Number(ItemNumber::Mark) = d.Number(ItemNumber::Mark);
    merged.Number(ItemNumber::TransferState) = d.Number(ItemNumber::TransferState);
    merged.Text(ItemText::SongId) = d.Text(ItemText::SongId);
    for (std::size_t i = 0; i < kIdTextCount; ++i) merged.Text(IdTextField(i)) = d.Text(IdTextField(i));
    d = std::move(merged);
  });
  return present && stored;
}

std::shared_ptr<TYX_Media> TYX_StoreItem::CreateMediaInstance(std::uint32_t flag, std::string* error) {
  if (kind_ == kItemKindCDTrack) {
    if (error) *error = "an audio-CD track has no media object: " + path_;
    return nullptr;
  }
  TYX_MediaPtr media = TYX_Media::Instance(path_, flag, error);
  if (media) media->SetLibraryIndex(index_);
  return media;
}

}  // namespace TYX::Store
