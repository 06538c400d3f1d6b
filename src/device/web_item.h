#pragma once
// Web items: library entries whose path is a web address carrying "&name=" and "&size=". Before a
// transfer such an item is fetched to a local copy in a folder of its own under the temporary folder,
// named by "&name=", and the copy is what goes to the phone.
#include <cstdint>
#include <functional>
#include <string>

namespace TYX::Device {

// The folder of the local copies, under the temporary folder.
inline constexpr const char* kWebItemFolder = "{AB2E44A0-273B-403F-956A-14BE969C2732}";

// The local copy's path of a web item (its folder made when missing), and the declared size; empty and
// 0 for anything that is not a web item, or whose name is not a plain file name.
std::string GetWebDownloadPath(const std::string& path, std::int64_t* size = nullptr);

// Texts of one download for the observers; percent -1 for the start.
using WebItemProgress = std::function<void(int percent)>;

// Fetches the address into localPath (through a temporary file, so a failed download leaves nothing);
// keepGoing is asked after every chunk (false cancels). The local path on success, else empty.
std::string DownloadWebItem(const std::string& address, const std::string& localPath,
                            const std::function<bool()>& keepGoing, const WebItemProgress& progress);

}  // namespace TYX::Device
