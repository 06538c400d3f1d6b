#pragma once
// Unique names for converted and ripped files, and the joining of a save folder with a file name.
#include <string>

namespace TYX::Convert {

// The target for `path` that overwrites nothing of value. A path under which no file of at least one
// byte exists is used unchanged (an empty file there is overwritten). Otherwise a name ending in "(n)"
// (one or two digits, after a non-empty stem) loses that ending, and the first of "name.ext",
// "name[1].ext", "name[2].ext", ... under which no file of at least one byte exists is taken. Empty
// when none of the first 100000 numbers is free.
std::string NewFile(const std::string& path);

// `folder` and `name` joined with one separator, whether or not the folder ends with one; an empty
// folder gives the name.
std::string JoinPath(const std::string& folder, const std::string& name);

// The name of a path without its folder and without its last extension ("/a/b.c.mp3" gives "b.c").
std::string StemOf(const std::string& path);
// The folder of a path with its trailing separator ("/a/b.mp3" gives "/a/"), empty for a bare name.
std::string FolderOf(const std::string& path);

}  // namespace TYX::Convert
