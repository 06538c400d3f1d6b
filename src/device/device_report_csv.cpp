#include "device/device_report_csv.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace TYX::Device {

namespace {

std::string Field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace

std::string FormatTransferReportCsv(
    const std::vector<Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST>& report) {
  std::vector<std::string> reasons;
  for (const auto& entry : report) {
    bool known = false;
    for (const auto& r : reasons) known = known || r == entry.message;
    if (!known) reasons.push_back(entry.message);
  }
  std::string out = "reason,folder,file\n";
  for (const auto& reason : reasons) {
    for (const auto& entry : report) {
      if (entry.message != reason) continue;
      out += Field(entry.message) + "," + Field(entry.folder) + "," + Field(entry.fileName) + "\n";
    }
  }
  return out;
}

std::string WriteTransferReportCsv(
    const std::string& path, const std::vector<Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST>& report) {
  if (path.empty()) return "no file named for the report";
  const std::string text = FormatTransferReportCsv(report);
  const std::string temp = path + ".part";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return "cannot write " + temp + ": " + std::strerror(errno);
  std::size_t written = 0;
  int err = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : EIO;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && std::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return "cannot write " + path + ": " + std::strerror(err);
  }
  return {};
}

}  // namespace TYX::Device
