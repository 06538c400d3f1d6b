#pragma once
// The song table of the SQLite store (TYX_Library over the core).
#include "components/store/store_core.h"
#include "contracts/library.h"

namespace TYX::Store {

class TYX_StoreLibrary final : public TYX_Library {
 public:
  explicit TYX_StoreLibrary(TYX_StoreCore& core) : core_(core) {}

  std::uint32_t InsertItem(const std::string& path, std::uint32_t kind) override;
  std::uint32_t InsertItem(const std::string& path, TYX_Media* media) override;
  std::uint32_t InsertItem(TYX_Media* media) override;
  std::uint32_t FindItem(const std::string& path) const override;
  std::int32_t RemoveItem(std::uint32_t index) override;
  std::uint32_t CountItem() const override;
  std::uint32_t CountLiveItem() const override;
  std::int32_t ClearItem() override;
  void BeginUpdate() override { core_.BeginUpdate(); }
  bool EndUpdate() override { return core_.EndUpdate(); }

 private:
  TYX_StoreCore& core_;
};

}  // namespace TYX::Store
