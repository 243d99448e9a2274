#include "core/scale.h"

#include <cstdint>

int ScaleToScreen(int AValue, int APixelsPerInch, int screenPixelsPerInch) {
  if (APixelsPerInch == 0) return -1;
  int64_t product = static_cast<int64_t>(AValue) * screenPixelsPerInch;
  int64_t divisor = APixelsPerInch;
  bool negative = (product < 0) != (divisor < 0);
  int64_t magnitude = ((product < 0 ? -product : product) + (divisor < 0 ? -divisor : divisor) / 2) /
                      (divisor < 0 ? -divisor : divisor);
  return static_cast<int>(negative ? -magnitude : magnitude);
}
