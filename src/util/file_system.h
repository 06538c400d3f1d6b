#pragma once
// Files and folders on disk: sizes, folder creation, temporary and unique file names.
#include <cstdint>
#include <string>

namespace TYX::Util {

// Size in bytes of a regular file; 0 when it is missing or not a file.
std::uint64_t GetFileSize(const std::string& path);
bool FileExists(const std::string& path);
// Creates the folder and every missing parent. True when the folder exists afterwards.
bool CreateAllFolder(const std::string& folder);
// The temporary folder with a final "/".
std::string GetTempFolder();
// Reserves a new empty file with a unique name in the temporary folder and returns its path; empty when
// none could be made. The caller owns (and deletes) the file.
std::string GetTempFileName(const std::string& prefix = "tyx");
// A free target name for a new file:
//  1. a path with no file of at least 1 byte under it is used as it is;
//  2. otherwise a "(x)" or "(xy)" (one or two characters in brackets) in the name is cut off together
//     with what follows it, so "a(1).mp3" restarts from "a.mp3";
//  3. then "name.ext", "name[1].ext", "name[2].ext", ... are tried, and the first without a file of at
//     least 1 byte is the answer (an empty file counts as free, it is overwritten).
// Empty when no free name is found among the first 100000.
std::string NewFile(const std::string& path);

}  // namespace TYX::Util
