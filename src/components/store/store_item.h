#pragma once
// A song of the SQLite store. Its fields live in memory (loaded at open) and are written through to the
// file on every change. State and fields are guarded by the core's lock.
#include "components/store/store_core.h"
#include "contracts/library_item.h"

namespace TYX::Store {

class TYX_StoreItem final : public TYX_LibraryItem {
 public:
  enum class State { Live, Removed, Packed };

  TYX_StoreItem(TYX_StoreCore& core, std::uint32_t index, TYX_LibraryItemData data, State state)
      : core_(core),
        index_(index),
        path_(data.Text(ItemText::Path)),
        kind_(static_cast<std::uint32_t>(data.Number(ItemNumber::Kind))),
        data_(std::move(data)),
        state_(state) {}

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

  // For the core, under its lock.
  const TYX_LibraryItemData& DataLocked() const { return data_; }
  void SetDataLocked(TYX_LibraryItemData data) { data_ = std::move(data); }
  State StateLocked() const { return state_; }
  void SetStateLocked(State s) { state_ = s; }

 private:
  // Applies a change to a copy of the fields and writes it; posts the notices.
  template <typename Change>
  bool Modify(Change change);

  TYX_StoreCore& core_;
  const std::uint32_t index_;
  const std::string path_;   // copy of the path field, readable without the lock
  const std::uint32_t kind_;  // copy of the kind field, readable without the lock
  TYX_LibraryItemData data_;  // core lock; path and kind never change
  State state_;               // core lock
};

}  // namespace TYX::Store
