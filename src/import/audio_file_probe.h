#pragma once
// A quick look at a file before it goes to the library: is it there, is it a regular file that can be
// read, is its name an audio format's, and does its first block look like that format. The look reads
// at most one small block and never opens anything but a regular file (a FIFO would block).
#include <string>

#include "import/import_summary.h"

namespace TYX::Library {

// None when the file looks like audio of the format its name says.
TYX_ImportFailure ProbeAudioFile(const std::string& path);

}  // namespace TYX::Library
