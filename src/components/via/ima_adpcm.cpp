#include "components/via/ima_adpcm.h"

#include <algorithm>

namespace TYX::Via {

namespace {

constexpr int kIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

constexpr int kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

}  // namespace

std::int16_t ImaDecode(ImaState& state, std::uint8_t code) {
  const int step = kStepTable[state.index];
  int diff = step >> 3;
  if (code & 4) diff += step;
  if (code & 2) diff += step >> 1;
  if (code & 1) diff += step >> 2;
  if (code & 8) diff = -diff;
  state.predictor = std::clamp(state.predictor + diff, -32768, 32767);
  state.index = std::clamp(state.index + kIndexTable[code & 15], 0, 88);
  return static_cast<std::int16_t>(state.predictor);
}

std::uint8_t ImaEncode(ImaState& state, int sample) {
  const int step = kStepTable[state.index];
  int diff = sample - state.predictor;
  std::uint8_t code = 0;
  if (diff < 0) {
    code = 8;
    diff = -diff;
  }
  if (diff >= step) {
    code |= 4;
    diff -= step;
  }
  if (diff >= (step >> 1)) {
    code |= 2;
    diff -= step >> 1;
  }
  if (diff >= (step >> 2)) code |= 1;
  ImaDecode(state, code);
  return code;
}

}  // namespace TYX::Via
