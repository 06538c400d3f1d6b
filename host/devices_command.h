#pragma once
// `sonvar devices`: the phones the device manager sees, as it reports them: model, kind, connection
// mode, link, the phone's music folder, free and total space, and the folder behind each. The current
// phone (where a send goes) is marked with "*".
#include <string>

#include "phone_connection.h"

namespace TYX::Host {

class DevicesCommand {
 public:
  struct Result {
    int exitCode = 0;
    std::string table;    // for stdout
    std::string summary;  // for stderr: "1 device", or how to connect a phone
  };
  static Result Run(const PhoneConnection& phones, bool header);
  // How a person connects a phone, for messages.
  static std::string HowToConnect(const std::string& devicesFolder);
  // "12.3 MB" (mebibytes, one decimal); "40.2 KB" below 1 MB, "57.6 GB" from 1024 MB on.
  static std::string SizeText(unsigned long long bytes);
};

}  // namespace TYX::Host
