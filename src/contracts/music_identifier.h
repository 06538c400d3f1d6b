#pragma once
// The music identification component: tells which songs an audio file holds by its sound.
//
// Use. Create an object (Create), call Initialize once, then IdentifyFile for each file. After an
// IdentifyFile that returned 0, GetStatus tells the outcome; status 0 means candidates are available,
// and GetCandidateCount and the candidate accessors describe them, best first. Any other status leaves
// the count at 0. An object is used by one thread at a time; objects on different threads are
// independent.
//
// Identifier values are decimal texts of the component's own numeric ids (an empty text when the
// component has no value for that id); the caller formats them ("MI" + digits, "WM" + digits).
//
// Factory. Create asks the installed factory; the identification component installs its own when it is
// linked into the program (the system library links it whole). Register runs the installed registrar,
// the step that makes the component creatable again (it installs the factory when it is missing); it is
// what a caller tries between failed creations.
//
// Local index. Songs whose tags are known are remembered by their sound in an index beside the library
// (IndexFile), so that an untagged copy of a known song is identified without the network. Remember
// adds or refreshes one file in that index: callers call it when songs are added to the library and when
// tags are saved.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace TYX {

// Results of Initialize, IdentifyFile and Remember.
constexpr std::int32_t kIdentifyOk = 0;
constexpr std::int32_t kIdentifyFail = static_cast<std::int32_t>(0x80004005u);
constexpr std::int32_t kIdentifyBadArgument = static_cast<std::int32_t>(0x80070057u);

// GetStatus values after an IdentifyFile.
constexpr std::int32_t kIdentifyStatusFound = 0;         // candidates available
constexpr std::int32_t kIdentifyStatusNoMatch = 1;       // the sound was read; no song matches
constexpr std::int32_t kIdentifyStatusUnreadable = 2;    // the file could not be decoded
constexpr std::int32_t kIdentifyStatusServiceError = 3;  // no local match, and the web lookup failed
constexpr std::int32_t kIdentifyStatusNotRun = -1;       // no identification yet, or not initialised

// The numeric ids a candidate carries.
enum class CandidateId : std::uint32_t {
  Song,    // the recording's id in the lookup that found it
  Web,     // the web service's own id of the recording; empty for a local match
  Album,   // the album's id
  Artist,  // the artist's id
  Track,   // the track number on the album (five digits at most)
};

class TYX_MusicIdentifier {
 public:
  using Factory = std::function<std::unique_ptr<TYX_MusicIdentifier>(std::string& error)>;
  using Registrar = std::function<bool()>;

  virtual ~TYX_MusicIdentifier() = default;

  // A new component object, or null with the reason (no factory installed, or the factory failed).
  static std::unique_ptr<TYX_MusicIdentifier> Create(std::string* error = nullptr);
  // Installs the factory behind Create; returns the one it replaces.
  static Factory SetFactory(Factory factory);
  static bool HasFactory();
  // Installs the registration step; returns the one it replaces.
  static Registrar SetRegistrar(Registrar registrar);
  // Runs the registration step: true when it ran and succeeded; false when none is installed.
  static bool Register();

  // The local fingerprint index file. Default: "music_fingerprints.db" in the data folder.
  static void SetIndexFile(const std::string& path);
  static std::string GetIndexFile();

  // Readies the component (opens the local index, reads the service settings). Must precede the rest.
  virtual std::int32_t Initialize() = 0;
  // Identifies the file's sound. 0 when the identification ran (see GetStatus), kIdentifyBadArgument
  // for an empty path, kIdentifyFail when not initialised.
  virtual std::int32_t IdentifyFile(const std::string& path) = 0;
  virtual std::int32_t GetStatus() const = 0;
  // The reason behind a status other than 0 (empty otherwise).
  virtual std::string GetStatusText() const = 0;
  virtual std::int32_t GetCandidateCount() const = 0;

  // Candidate accessors, index 0 to count - 1; out of range gives an empty text.
  virtual std::string GetArtist(std::int32_t index) const = 0;
  virtual std::string GetTitle(std::int32_t index) const = 0;
  virtual std::string GetAlbum(std::int32_t index) const = 0;
  virtual std::string GetGenre(std::int32_t index) const = 0;
  // Match score of the candidate, 0 to 100.
  virtual std::int32_t GetScore(std::int32_t index) const = 0;
  virtual std::string GetId(std::int32_t index, CandidateId which) const = 0;

  // Adds or refreshes the file in the local index from its current tags. kIdentifyOk when stored;
  // kIdentifyFail (with GetStatusText) when it cannot be decoded or has no title.
  virtual std::int32_t Remember(const std::string& path) = 0;
};

}  // namespace TYX
