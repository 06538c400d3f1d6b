#pragma once
// The music already on the phone, from one listing of its folder: which listed file is there already
// (same name without extension, letter case ignored, about the same size), and which phone music no
// listed file matches (what a sync removes). Melodies and other files never enter the index.
#include <cstdint>
#include <string>
#include <vector>

#include "contracts/file_info.h"

namespace TYX::Device {

class TYX_PhoneMusicIndex {
 public:
  struct Entry {
    std::string name;  // as the listing names it
    std::uint64_t size = 0;
    bool keep = false;  // a listed file matched it
  };

  // Sizes closer than this count as the same file.
  static constexpr std::int64_t kSizeTolerance = 100000;

  // withBoundContent: also index content bound to the phone (DCF), which the cable link lists as music.
  void Build(const FileInfo& listing, bool withBoundContent);
  // A phone file of the same name (extension ignored) whose size is strictly within the tolerance of
  // localSize: it is marked kept and true is returned.
  bool MatchAndKeep(const std::string& deviceName, std::int64_t localSize);
  std::vector<Entry> Unkept() const;
  const std::vector<Entry>& Entries() const { return entries_; }

  static bool SameSize(std::int64_t localSize, std::int64_t phoneSize);
  // The part before the last ".", lower-cased (ASCII).
  static std::string Key(const std::string& name);

 private:
  std::vector<Entry> entries_;
};

}  // namespace TYX::Device
