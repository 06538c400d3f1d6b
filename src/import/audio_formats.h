#pragma once
// The audio formats the import knows: the format table (extension and format name), the default find
// filter, and pattern lists ("*.mp3;*.ogg") as the file chooser and the folder walk use them.
// Extensions compare without regard to ASCII case.
#include <string>
#include <vector>

#include "util/file_type.h"

namespace TYX::Library {

struct TYX_AudioFormat {
  const char* ext;   // with the dot, upper case (".MP3")
  const char* name;  // format name shown to the person
  TYX_FILETYPE type;
};

// The ten classic formats in their fixed order, then FLAC, M4A (AAC), Opus and MIDI ringtones.
const std::vector<TYX_AudioFormat>& AudioFormatTable();
// True when the name's extension is one of the table's.
bool IsAudioFileName(const std::string& name);
// "*.mp3;*.ogg;*.wma;*.via;*.asf;*.wav;*.flac;*.m4a;*.opus".
std::string DefaultFindFilter();

// The file-name part of a path (after the last '/'); paths are native.
std::string FileNamePart(const std::string& path);
// The extension with its dot (".mp3"), empty when the name has none.
std::string ExtensionOf(const std::string& name);

// A pattern list split at ';', with blanks around each pattern removed and empty ones dropped.
std::vector<std::string> SplitPatterns(const std::string& list);
// A name matches when "*" followed by its extension is among the patterns (case ignored), or when the
// first pattern contains "*.*".
bool MatchesPatterns(const std::string& name, const std::vector<std::string>& patterns);

}  // namespace TYX::Library
