#pragma once
// IMA ADPCM: four bits per sample, the step size adapting to the signal.
#include <cstdint>

namespace TYX::Via {

struct ImaState {
  int predictor = 0;  // last reconstructed sample
  int index = 0;      // step table index, 0 to 88
};

// Codes one sample and advances the state as the decoder will.
std::uint8_t ImaEncode(ImaState& state, int sample);
// Reconstructs one sample from its 4-bit code.
std::int16_t ImaDecode(ImaState& state, std::uint8_t code);

}  // namespace TYX::Via
