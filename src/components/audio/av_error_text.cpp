#include "components/audio/av_error_text.h"

extern "C" {
#include <libavutil/error.h>
}

namespace TYX::Audio {

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof(text));
  return text;
}

}  // namespace TYX::Audio
