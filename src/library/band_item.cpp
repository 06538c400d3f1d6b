#include "library/band_item.h"

namespace TYX::Library {

TYX_BandItem::TYX_BandItem(Win::UINT itemId, const std::string& itemTitle, const std::string& itemPageId,
                           const std::string& itemExtra)
    : id(itemId),
      button(std::make_unique<TYX_BandButton>()),
      title(itemTitle),
      pageId(itemPageId),
      extra(itemExtra) {}

TYX_BandItem::~TYX_BandItem() {
  window.reset();
  button.reset();
}

}  // namespace TYX::Library
