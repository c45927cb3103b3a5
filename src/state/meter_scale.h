// The S-meter's scale, shared by the panel's drawing and its speech.
#pragma once

namespace kelvaro {

// The S-unit of a raw S-meter reading (0..255); 10 stands for "above S9".
inline int SUnitOf(int reading) {
  struct Step {
    int upTo;
    int unit;
  };
  static constexpr Step kScale[] = {{10, 0}, {20, 1}, {40, 2},  {54, 3},  {68, 4},
                                    {82, 5}, {96, 6}, {108, 7}, {122, 8}, {156, 9}};
  for (const Step& step : kScale) {
    if (reading <= step.upTo) return step.unit;
  }
  return 10;
}

}  // namespace kelvaro
