// Sending songs to a folder phone through the transfer controller, beside `cp` of the same files into
// a folder of the same disk, in the same run.
//
// Figures: for 20 files of 20 MB, MB/s of the controller and of `cp` (and of `cp` followed by `sync`,
// the like for like: the job's end is told only once the client has flushed what it put) and their
// ratio; for 1 000 files of 100 KB, the time per file of both and the controller's overhead per file.
// Rounds alternate the two, so the page cache favours neither.
// Usage: device_send_bench [folder] [rounds] [large|small]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/folder_device_client.h"
#include "components/media/taglib_media_factory.h"
#include "contracts/device_mgr_client.h"
#include "device/device_trans_control.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace TYX;

constexpr Win::UINT WM_REPORT = Win::WM_APP + 1;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// An MP3 of silent MPEG-1 layer III frames (128 kbps, 44.1 kHz): any size, and the media component
// reads it as music.
void WriteMp3(const std::string& path, std::size_t bytes) {
  constexpr std::size_t kFrame = 417;
  std::string frame(kFrame, '\0');
  frame[0] = static_cast<char>(0xFF);
  frame[1] = static_cast<char>(0xFB);
  frame[2] = static_cast<char>(0x90);
  frame[3] = static_cast<char>(0x44);
  std::string block;
  for (int i = 0; i < 256; ++i) block += frame;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::size_t written = 0;
  while (written < bytes) {
    const std::size_t n = std::min(block.size(), bytes - written);
    std::fwrite(block.data(), 1, n, f);
    written += n;
  }
  std::fclose(f);
}

struct Phone {
  std::shared_ptr<DeviceMgr::TYX_FolderDeviceClient> client;
  unsigned id = DM_NO_DEVICE;
  std::string root;
};

Phone MakePhone(const std::string& root) {
  fs::remove_all(root);
  fs::create_directories(root + "/MUSIC");
  DeviceMgr::DeviceProfile p;
  p.model = "YP-BENCH";
  p.kind = 7;
  p.type = DEVICETYPE_STORAGE;
  p.folder = "\\MUSIC";
  DeviceMgr::WriteDeviceProfile(root, p);
  Phone phone;
  phone.client = std::make_shared<DeviceMgr::TYX_FolderDeviceClient>();
  phone.root = root;
  auto connected = phone.client->Connect(root);
  if (!connected.ok()) {
    std::fprintf(stderr, "%s\n", connected.error.c_str());
    std::exit(1);
  }
  phone.id = connected.id;
  InstallDeviceMgrClient(phone.client);
  return phone;
}

// Seconds the controller took for the files, from Start to its end report.
double SendWithController(const std::string& root, const std::vector<std::string>& files) {
  Phone phone = MakePhone(root);
  Win::Window parent;
  int ends = 0;
  int failed = 0;
  parent.OnMessage(WM_REPORT, [&](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
    const int code = static_cast<int>(static_cast<std::intptr_t>(w));
    if (Device::TransferReportPath(l) == nullptr) ++ends;
    if (code == -2 || code == -10) ++failed;
    return 0;
  });
  parent.Create(nullptr, Win::Rect{0, 0, 10, 10}, 0);
  Device::TYX_DeviceTransControl controller;
  controller.Create(parent.GetSafeHwnd(), WM_REPORT, nullptr, nullptr);
  const auto start = Clock::now();
  if (controller.Start(phone.id, files, 0, 0) != 1) {
    std::fprintf(stderr, "the transfer did not start\n");
    std::exit(1);
  }
  Win::PumpUntil([&] { return ends > 0; }, 3600 * 1000);
  const double seconds = Seconds(start);
  if (ends == 0 || failed != 0 || !controller.GetErrorReport().empty()) {
    std::fprintf(stderr, "the transfer failed (%d failures)\n", failed);
    std::exit(1);
  }
  controller.IsStarted();
  InstallDeviceMgrClient(nullptr);
  return seconds;
}

double Copy(const std::string& folder, const std::string& sources, bool sync) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::string command = "cp " + sources + "/* " + folder + "/" + (sync ? " && sync -f " + folder : "");
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "cp failed\n");
    std::exit(1);
  }
  return Seconds(start);
}

void Measure(const std::string& base, const char* label, int count, std::size_t size, int rounds) {
  const std::string sources = base + "/src-" + label;
  fs::create_directories(sources);
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    const std::string path = sources + "/song" + std::to_string(i) + ".mp3";
    if (!fs::exists(path) || fs::file_size(path) != size) WriteMp3(path, size);
    files.push_back(path);
  }
  const double mb = static_cast<double>(size) * count / (1024.0 * 1024.0);
  double best[3] = {1e9, 1e9, 1e9};
  for (int r = 0; r < rounds; ++r) {
    // Alternate who goes first.
    if (r % 2 == 0) {
      best[0] = std::min(best[0], SendWithController(base + "/phone", files));
      best[1] = std::min(best[1], Copy(base + "/cp", sources, false));
      best[2] = std::min(best[2], Copy(base + "/cp", sources, true));
    } else {
      best[2] = std::min(best[2], Copy(base + "/cp", sources, true));
      best[1] = std::min(best[1], Copy(base + "/cp", sources, false));
      best[0] = std::min(best[0], SendWithController(base + "/phone", files));
    }
  }
  std::printf("%s: %d files of %zu bytes, best of %d rounds\n", label, count, size, rounds);
  std::printf("  controller   %8.3f s  %8.1f MB/s  %7.3f ms/file\n", best[0], mb / best[0], best[0] * 1000 / count);
  std::printf("  cp           %8.3f s  %8.1f MB/s  %7.3f ms/file  ratio %.2fx\n", best[1], mb / best[1],
              best[1] * 1000 / count, best[1] / best[0]);
  std::printf("  cp + sync    %8.3f s  %8.1f MB/s  %7.3f ms/file  ratio %.2fx\n", best[2], mb / best[2],
              best[2] * 1000 / count, best[2] / best[0]);
  std::printf("  overhead per file beside cp: %.3f ms (beside cp + sync: %.3f ms)\n",
              (best[0] - best[1]) * 1000 / count, (best[0] - best[2]) * 1000 / count);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string base = argc > 1 ? argv[1] : (fs::temp_directory_path() / "device_send_bench").string();
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  Media::InstallTagLibMediaFactory();
  fs::create_directories(base);
  const std::string only = argc > 3 ? argv[3] : "";
  if (only.empty() || only == "large") Measure(base, "large", 20, 20u * 1024 * 1024, rounds);
  if (only.empty() || only == "small") Measure(base, "small", 1000, 100u * 1024, rounds);
  fs::remove_all(base);
  return 0;
}
