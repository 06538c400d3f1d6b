#pragma once
// The skin loader: the images and colours of the user interface, known by numeric skin IDs (images
// 20xxx, colours 27xxx). It knows each image's size and how many state frames lie side by side in it,
// and each colour's value (0x00BBGGRR); pixels are not loaded. Controls record skin images by ID in
// their display lists.
//
// The service is missing until a skin is loaded: Instance() is null then, and callers that need a skin
// report their failure (the panel's Reload gives 0x80004005). LoadDefault() installs the built-in table;
// LoadFromFile() reads a skin description:
//   # comment
//   name <text>
//   image <id> <width> <height> [<states> [<label...>]]
//   color <id> <0xBBGGRR value> [<label...>]
// Loading again replaces the whole table; Unload() makes the service missing again. The object behind
// Instance() lives for the whole process, so a pointer taken earlier never dangles. Safe from any thread.
#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

#include "platform/types.h"

namespace TYX::Util {

struct TYX_SkinImage {
  Win::UINT id = 0;
  Win::Size size;   // the whole image
  int states = 1;   // state frames side by side
  std::string label;
  // The size of one state frame.
  Win::Size FrameSize() const { return {states > 0 ? size.cx / states : size.cx, size.cy}; }
};

struct TYX_SkinColor {
  Win::UINT id = 0;
  Win::COLORREF value = 0;
  std::string label;
};

class TYX_Skin {
 public:
  // The loaded skin, or null while no skin is loaded.
  static TYX_Skin* Instance();
  static bool IsLoaded();
  static TYX_Skin* LoadDefault();
  // Null (and the previous skin kept) when the file cannot be read or parsed; error names the line.
  static TYX_Skin* LoadFromFile(const std::string& path, std::string* error = nullptr);
  static TYX_Skin* LoadTable(const std::string& name, const std::vector<TYX_SkinImage>& images,
                             const std::vector<TYX_SkinColor>& colors);
  static void Unload();

  std::string Name() const;
  // Goes up with every load, so a control can tell that its skin was replaced.
  unsigned Generation() const { return generation_.load(); }

  bool HasImage(Win::UINT id) const;
  std::optional<TYX_SkinImage> GetImage(Win::UINT id) const;
  // The whole image's size; 0 x 0 for an unknown ID.
  Win::Size GetImageSize(Win::UINT id) const;
  bool HasColor(Win::UINT id) const;
  std::optional<Win::COLORREF> FindColor(Win::UINT id) const;
  // The colour, or fallback for an unknown ID.
  Win::COLORREF GetColor(Win::UINT id, Win::COLORREF fallback = 0) const;
  std::size_t ImageCount() const;
  std::size_t ColorCount() const;

  // The built-in skin.
  static std::vector<TYX_SkinImage> DefaultImages();
  static std::vector<TYX_SkinColor> DefaultColors();
  static bool ParseDescription(const std::string& text, std::string& name, std::vector<TYX_SkinImage>& images,
                               std::vector<TYX_SkinColor>& colors, std::string& error);

 private:
  TYX_Skin() = default;
  static TYX_Skin& Object();
  void Replace(const std::string& name, const std::vector<TYX_SkinImage>& images,
               const std::vector<TYX_SkinColor>& colors);

  mutable std::shared_mutex mutex_;  // guards the tables; any thread
  std::string name_;
  std::map<Win::UINT, TYX_SkinImage> images_;
  std::map<Win::UINT, TYX_SkinColor> colors_;
  std::atomic<unsigned> generation_{0};
  std::atomic<bool> loaded_{false};
};

}  // namespace TYX::Util

namespace TYX {
using Util::TYX_Skin;
using Util::TYX_SkinColor;
using Util::TYX_SkinImage;
}  // namespace TYX
