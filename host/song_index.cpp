#include "song_index.h"

#include <filesystem>

namespace TYX::Host {

std::string SongIndex::FileBeside(const std::string& libraryFile) {
  return (std::filesystem::path(libraryFile).parent_path() / "music_fingerprints.db").string();
}

void SongIndex::UseIndexBeside(const std::string& libraryFile) {
  TYX_MusicIdentifier::SetIndexFile(FileBeside(libraryFile));
}

SongIndex::SongIndex() = default;
SongIndex::~SongIndex() = default;

std::string SongIndex::Ready() {
  if (tried_) return component_ ? std::string() : error_;
  tried_ = true;
  std::string error;
  component_ = TYX_MusicIdentifier::Create(&error);
  // A component that is not creatable gets one registration and one more try, as the worker does.
  if (!component_ && TYX_MusicIdentifier::Register()) component_ = TYX_MusicIdentifier::Create(&error);
  if (!component_) {
    error_ = "the identification component is missing: " + error;
    return error_;
  }
  if (component_->Initialize() != kIdentifyOk) {
    error_ = "the identification component cannot start: " + component_->GetStatusText();
    component_.reset();
    return error_;
  }
  return {};
}

std::string SongIndex::Remember(const std::string& path) {
  if (std::string e = Ready(); !e.empty()) return e;
  if (component_->Remember(path) == kIdentifyOk) return {};
  const std::string why = component_->GetStatusText();
  return why.empty() ? "it could not be remembered" : why;
}

}  // namespace TYX::Host
