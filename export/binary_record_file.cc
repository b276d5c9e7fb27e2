#include "export/binary_record_file.h"

namespace pedpeel {

void BinaryRecord::add_i4(int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) data_.push_back(static_cast<char>(bits >> shift));
}

void BinaryRecord::add_i2(std::span<const int16_t> values) {
  for (int16_t value : values) {
    const uint16_t bits = static_cast<uint16_t>(value);
    data_.push_back(static_cast<char>(bits & 0xFF));
    data_.push_back(static_cast<char>(bits >> 8));
  }
}

void BinaryRecord::add_i1(std::span<const int8_t> values) {
  for (int8_t value : values) data_.push_back(static_cast<char>(value));
}

std::string frame_record(std::string_view data) {
  std::string framed;
  framed.reserve(data.size() + 2 * (data.size() / kSegmentData + 1));
  // Invariant: a record never ends with a continued segment, so an empty record is one
  // empty segment.
  do {
    const size_t chunk = data.size() < kSegmentData ? data.size() : kSegmentData;
    const bool last = data.size() <= kSegmentData;
    const char length = static_cast<char>(last ? chunk : kContinuedSegment);
    framed.push_back(length);
    framed.append(data.substr(0, chunk));
    framed.push_back(length);
    data.remove_prefix(chunk);
    if (last) break;
  } while (true);
  return framed;
}

void write_binary_record(Units& units, int number, std::string_view data) {
  Unit& unit = units.unit(number);
  units.begin_write(unit);
  if (!unit.binary_started) {
    unit.output.push_back(static_cast<char>(kBinaryHeader));
    unit.binary_started = true;
  }
  unit.output.append(frame_record(data));
  units.flush_if_full(unit);
}

}  // namespace pedpeel
