#include "records/exponent_field_cache.h"

#include <cstring>

#include "records/field_output.h"

namespace pedpeel {

namespace {
constexpr int kSlotBits = 14;
}  // namespace

ExponentFieldCache::ExponentFieldCache(int width, int digits)
    : width_(width), digits_(digits), slots_(size_t{1} << kSlotBits) {
  Slot zero{0, {}};
  format_exponent(zero.text.data(), 0.0f, width_, digits_);
  for (Slot& slot : slots_) slot = zero;
}

void ExponentFieldCache::format(char* field, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  Slot& slot = slots_[(bits * 0x9E3779B1u) >> (32 - kSlotBits)];
  if (slot.bits != bits) {
    format_exponent(slot.text.data(), value, width_, digits_);
    slot.bits = bits;
  }
  // The widest fields, race fractions among them, copy in one fixed-size move.
  if (width_ == kMaxWidth) {
    std::memcpy(field, slot.text.data(), kMaxWidth);
  } else {
    std::memcpy(field, slot.text.data(), static_cast<size_t>(width_));
  }
}

}  // namespace pedpeel
