// Seeds for the VIA target: short tones encoded by the VIA encoder, mono and stereo, at several group
// sizes, with and without metadata, and one whose last group is short.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "components/via/via_api.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  int n = 0;
  for (int channels : {1, 2}) {
    for (int bitrate : {352800, 128000, 48000, 22050}) {
      for (int frames : {2205, 883}) {
        const std::string path = std::string(argv[1]) + "/seed" + std::to_string(n++) + ".via";
        VIA_HANDLE h = VIA_encode_init(path.c_str(), 44100, channels, frames / 44100.0, bitrate);
        if (h == nullptr) return 1;
        VIA_encode_setopt(h, 1, 20);
        if (n % 2 == 0) VIA_encode_SetMetaData(h, "title", "artist", "album", "Pop", "2007", "3", "note");
        std::vector<std::int16_t> pcm(static_cast<std::size_t>(frames) * channels);
        for (int i = 0; i < frames; ++i)
          for (int c = 0; c < channels; ++c)
            pcm[static_cast<std::size_t>(i) * channels + c] =
                static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * (440.0 + 220 * c) * i / 44100));
        int state = 0;
        VIA_encode(h, pcm.data(), static_cast<int>(pcm.size() * 2), &state);
        VIA_encode(h, pcm.data(), 0, &state);
        if (VIA_encode_stop(h) != 0) return 1;
      }
    }
  }
  return 0;
}
