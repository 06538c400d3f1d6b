#pragma once
// Wiring of the TagLib media component behind TYX_Media::Instance.
//
// A program that links this component whole (the system library does) gets the TagLib factory installed
// when it loads, unless another factory was installed first. Other programs, tests among them, call
// InstallTagLibMediaFactory() themselves.
#include <cstdint>
#include <string>

#include "contracts/media.h"

namespace TYX::Media {

// Installs the TagLib factory (replacing any other).
void InstallTagLibMediaFactory();
// A TagLib media object, without going through the installed factory.
TYX_MediaPtr OpenTagLibMedia(const std::string& path, std::uint32_t flag, std::string& error);

}  // namespace TYX::Media
