#include "records/exponent_field_cache.h"

#include <cstring>

#include "records/field_output.h"

namespace pedpeel {

ExponentFieldCache::ExponentFieldCache(int width, int digits)
    : width_(width), digits_(digits), slots_(size_t{1} << kSlotBits) {
  Slot zero{0, {}};
  format_exponent(zero.text.data(), 0.0f, width_, digits_);
  for (Slot& slot : slots_) slot = zero;
}

void ExponentFieldCache::render(Slot& slot, float value) {
  format_exponent(slot.text.data(), value, width_, digits_);
  std::memcpy(&slot.bits, &value, sizeof slot.bits);
}

}  // namespace pedpeel
