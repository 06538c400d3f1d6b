#pragma once
// A song of the SQLite store. Its fields live in memory (loaded at open) and are written through to the
// file on every change. State and fields are guarded by the core's lock; the path and the kind never
// change and are read without it.
//
// Memory: a library lists up to a quarter of a million songs, so the texts other than the path share
// one block per song.
#include <array>
#include <memory>
#include <string_view>

#include "components/store/store_core.h"
#include "contracts/library_item.h"

namespace TYX::Store {

class TYX_StoreItem final : public TYX_LibraryItem {
 public:
  enum class State : std::uint8_t { Live, Removed, Packed };

  TYX_StoreItem(TYX_StoreCore& core, std::uint32_t index, const TYX_LibraryItemData& data, State state);

  std::uint32_t GetReference() const override;
  std::uint32_t GetLibraryIndex() const override { return index_; }
  std::string GetText(ItemText field) const override;
  std::uint64_t GetNumber(ItemNumber field) const override;
  bool SetText(ItemText field, const std::string& value) override;
  bool SetNumber(ItemNumber field, std::uint64_t value) override;
  TYX_LibraryItemData GetData() const override;
  bool SetData(const TYX_LibraryItemData& data) override;
  std::string GetSmartTitle(std::uint32_t flags = 0) const override;
  std::string GetSmartSongID() const override;
  bool IsFileExist() const override;
  bool CheckFileExist() override;
  bool Update() override;
  std::shared_ptr<TYX_Media> CreateMediaInstance(std::uint32_t flag = 0, std::string* error = nullptr) override;

  // Stores a presence found on disk (as CheckFileExist does after its test); writes only a change.
  void SetFileExist(bool exists);
  std::uint32_t Kind() const { return kind_; }
  bool BelongsTo(const TYX_StoreCore& core) const { return &core_ == &core; }
  // The normalised path; never changes, so the core keys its path index by it.
  const std::string& PathRef() const { return path_; }
  // For the core, under its lock.
  TYX_LibraryItemData DataLocked() const;
  bool EqualsLocked(const TYX_LibraryItemData& data) const;
  void SetDataLocked(const TYX_LibraryItemData& data);  // path and kind stay
  State StateLocked() const { return state_; }
  bool FileExistsLocked() const { return fileExists_; }
  void SetStateLocked(State s) { state_ = s; }

 private:
  static constexpr std::size_t kPackedTexts = static_cast<std::size_t>(ItemText::Count) - 1;  // all but the path

  std::string_view TextLocked(ItemText field) const;
  // Applies a change to a copy of the fields and writes it; posts the notices.
  template <typename Change>
  bool Modify(Change change);

  TYX_StoreCore& core_;
  const std::uint32_t index_;
  const std::uint32_t kind_;
  const std::string path_;
  std::unique_ptr<char[]> texts_;                 // core lock; the texts after the path, end to end
  std::array<std::uint32_t, kPackedTexts> ends_{};  // core lock; end offset of each text in texts_
  std::array<std::uint64_t, static_cast<std::size_t>(ItemNumber::Count)> numbers_{};  // core lock
  bool fileExists_ = false;                       // core lock
  State state_;                                   // core lock
};

}  // namespace TYX::Store
