#pragma once
// FFmpeg's text for one of its error codes, for the error texts of the audio component.
#include <string>

namespace TYX::Audio {

std::string AvErrorText(int code);

}  // namespace TYX::Audio
