#include "util/skin.h"

#include <charconv>
#include <fstream>
#include <mutex>
#include <sstream>

#include "util/log.h"

namespace TYX::Util {

namespace {

bool ParseNumber(const std::string& word, long long& out) {
  const char* begin = word.data();
  const char* end = word.data() + word.size();
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    begin += 2;
    base = 16;
  }
  if (begin == end) return false;
  const auto [ptr, ec] = std::from_chars(begin, end, out, base);
  return ec == std::errc() && ptr == end;
}

std::string RestOfLine(std::istringstream& in) {
  std::string rest;
  std::getline(in, rest);
  const std::size_t b = rest.find_first_not_of(" \t");
  return b == std::string::npos ? std::string() : rest.substr(b);
}

}  // namespace

TYX_Skin& TYX_Skin::Object() {
  // Never destroyed, so a pointer handed out by Instance() stays valid for the whole process.
  static TYX_Skin* const object = new TYX_Skin();
  return *object;
}

TYX_Skin* TYX_Skin::Instance() {
  TYX_Skin& skin = Object();
  return skin.loaded_.load() ? &skin : nullptr;
}

bool TYX_Skin::IsLoaded() { return Instance() != nullptr; }

TYX_Skin* TYX_Skin::LoadDefault() { return LoadTable("default", DefaultImages(), DefaultColors()); }

TYX_Skin* TYX_Skin::LoadTable(const std::string& name, const std::vector<TYX_SkinImage>& images,
                              const std::vector<TYX_SkinColor>& colors) {
  TYX_Skin& skin = Object();
  skin.Replace(name, images, colors);
  return &skin;
}

TYX_Skin* TYX_Skin::LoadFromFile(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  std::string problem;
  if (!in) {
    problem = "cannot read " + path;
  } else {
    std::ostringstream buf;
    buf << in.rdbuf();
    std::string name;
    std::vector<TYX_SkinImage> images;
    std::vector<TYX_SkinColor> colors;
    if (ParseDescription(buf.str(), name, images, colors, problem)) return LoadTable(name, images, colors);
    problem = path + ": " + problem;
  }
  TYX_Log::Instance()->Add("TYX_Skin::LoadFromFile %s", problem.c_str());
  if (error != nullptr) *error = problem;
  return nullptr;
}

void TYX_Skin::Unload() {
  TYX_Skin& skin = Object();
  std::unique_lock lock(skin.mutex_);
  skin.loaded_ = false;
  skin.images_.clear();
  skin.colors_.clear();
  skin.name_.clear();
  ++skin.generation_;
}

void TYX_Skin::Replace(const std::string& name, const std::vector<TYX_SkinImage>& images,
                       const std::vector<TYX_SkinColor>& colors) {
  std::unique_lock lock(mutex_);
  name_ = name;
  images_.clear();
  colors_.clear();
  for (const auto& image : images) images_[image.id] = image;
  for (const auto& color : colors) colors_[color.id] = color;
  ++generation_;
  loaded_ = true;
}

bool TYX_Skin::ParseDescription(const std::string& text, std::string& name, std::vector<TYX_SkinImage>& images,
                                std::vector<TYX_SkinColor>& colors, std::string& error) {
  name.clear();
  images.clear();
  colors.clear();
  std::map<Win::UINT, bool> seenImages;
  std::map<Win::UINT, bool> seenColors;
  std::istringstream lines(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(lines, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string where = "line " + std::to_string(lineNo) + ": ";
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') continue;
    if (word == "name") {
      name = RestOfLine(in);
      continue;
    }
    std::vector<long long> numbers;
    const std::size_t wanted = word == "image" ? 4 : word == "color" ? 2 : 0;
    if (wanted == 0) {
      error = where + "unknown entry \"" + word + "\"";
      return false;
    }
    // Numbers first (the state count of an image is optional), then an optional label.
    std::string label;
    while (in >> word) {
      long long n = 0;
      if (numbers.size() < wanted && ParseNumber(word, n)) {
        numbers.push_back(n);
        continue;
      }
      label = word;
      const std::string rest = RestOfLine(in);
      if (!rest.empty()) label += " " + rest;
      break;
    }
    const std::size_t required = wanted == 4 ? 3 : 2;
    if (numbers.size() < required) {
      error = where + "too few numbers";
      return false;
    }
    if (numbers[0] <= 0 || numbers[0] > 0xFFFFFFFFll) {
      error = where + "bad skin ID";
      return false;
    }
    const auto id = static_cast<Win::UINT>(numbers[0]);
    if (wanted == 4) {
      const long long states = numbers.size() > 3 ? numbers[3] : 1;
      if (numbers[1] < 0 || numbers[2] < 0 || numbers[1] > 65535 || numbers[2] > 65535 || states < 1 ||
          states > 64) {
        error = where + "bad image size or state count";
        return false;
      }
      if (!seenImages.emplace(id, true).second) {
        error = where + "image " + std::to_string(id) + " given twice";
        return false;
      }
      images.push_back({id, {static_cast<int>(numbers[1]), static_cast<int>(numbers[2])},
                        static_cast<int>(states), label});
    } else {
      if (numbers[1] < 0 || numbers[1] > 0x00FFFFFFll) {
        error = where + "bad colour value (0x00BBGGRR expected)";
        return false;
      }
      if (!seenColors.emplace(id, true).second) {
        error = where + "colour " + std::to_string(id) + " given twice";
        return false;
      }
      colors.push_back({id, static_cast<Win::COLORREF>(numbers[1]), label});
    }
  }
  return true;
}

std::string TYX_Skin::Name() const {
  std::shared_lock lock(mutex_);
  return name_;
}

bool TYX_Skin::HasImage(Win::UINT id) const {
  std::shared_lock lock(mutex_);
  return images_.count(id) != 0;
}

std::optional<TYX_SkinImage> TYX_Skin::GetImage(Win::UINT id) const {
  std::shared_lock lock(mutex_);
  const auto it = images_.find(id);
  if (it == images_.end()) return std::nullopt;
  return it->second;
}

Win::Size TYX_Skin::GetImageSize(Win::UINT id) const {
  const auto image = GetImage(id);
  return image ? image->size : Win::Size{};
}

bool TYX_Skin::HasColor(Win::UINT id) const { return FindColor(id).has_value(); }

std::optional<Win::COLORREF> TYX_Skin::FindColor(Win::UINT id) const {
  std::shared_lock lock(mutex_);
  const auto it = colors_.find(id);
  if (it == colors_.end()) return std::nullopt;
  return it->second.value;
}

Win::COLORREF TYX_Skin::GetColor(Win::UINT id, Win::COLORREF fallback) const {
  return FindColor(id).value_or(fallback);
}

std::size_t TYX_Skin::ImageCount() const {
  std::shared_lock lock(mutex_);
  return images_.size();
}

std::size_t TYX_Skin::ColorCount() const {
  std::shared_lock lock(mutex_);
  return colors_.size();
}

}  // namespace TYX::Util
