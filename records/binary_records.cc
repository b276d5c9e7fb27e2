#include "records/binary_records.h"

#include <algorithm>
#include <cstring>

namespace pedpeel {

void BinaryRecord::add_i4(int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) data_.push_back(static_cast<char>(bits >> shift));
}

void BinaryRecord::add_i2(std::span<const int16_t> values) {
  // The room is made once: the bytes are stored with no capacity check each.
  const size_t start = data_.size();
  data_.resize(start + 2 * values.size());
  char* place = data_.data() + start;
  for (int16_t value : values) {
    const uint16_t bits = static_cast<uint16_t>(value);
    *place++ = static_cast<char>(bits & 0xFF);
    *place++ = static_cast<char>(bits >> 8);
  }
}

void BinaryRecord::add_i1(std::span<const int8_t> values) {
  const size_t start = data_.size();
  data_.resize(start + values.size());
  // A byte is its own two's complement form.
  std::memcpy(data_.data() + start, values.data(), values.size());
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
  Unit& unit = units.unit(number, StatementKind::kWrite);
  units.begin_write(unit);
  if (!unit.binary_started) {
    unit.output.push_back(static_cast<char>(kBinaryHeader));
    unit.binary_started = true;
  }
  unit.output.append(frame_record(data));
  units.flush_if_full(unit);
}

BinaryRecordReader::BinaryRecordReader(std::string_view bytes) : bytes_(bytes) {
  if (bytes.empty() || static_cast<uint8_t>(bytes[0]) != kBinaryHeader) {
    fault_ = FramingFault{FramingFault::Kind::kNoHeader, 0};
  }
}

std::optional<uint8_t> BinaryRecordReader::byte_at(size_t offset) const {
  if (offset >= bytes_.size()) return std::nullopt;
  return static_cast<uint8_t>(bytes_[offset]);
}

bool BinaryRecordReader::next(FramedRecord* record) {
  *record = FramedRecord{position_, {}, {}};
  if (fault_) return false;
  for (;;) {
    const std::optional<uint8_t> length = byte_at(position_);
    if (!length || *length > kContinuedSegment) {
      fault_ = FramingFault{FramingFault::Kind::kBadLength, position_};
      return false;
    }
    const size_t chunk = std::min<size_t>(*length, kSegmentData);
    const size_t closing = position_ + 1 + chunk;
    if (closing >= bytes_.size()) {
      fault_ = FramingFault{FramingFault::Kind::kShortSegment, position_ + 1, position_, *length};
      return false;
    }
    if (byte_at(closing) != length) {
      fault_ = FramingFault{FramingFault::Kind::kBadClosingLength, closing, position_, *length};
      return false;
    }
    record->segments.push_back({position_, *length});
    record->data.append(bytes_.substr(position_ + 1, chunk));
    position_ = closing + 1;
    if (*length != kContinuedSegment) return true;
  }
}

std::optional<std::vector<std::string>> read_binary_records(std::string_view bytes) {
  if (bytes.size() < 2 || static_cast<uint8_t>(bytes.back()) != kBinaryTrailer) return std::nullopt;
  BinaryRecordReader reader(bytes.substr(0, bytes.size() - 1));
  std::vector<std::string> records;
  FramedRecord record;
  while (!reader.fault() && reader.position() < bytes.size() - 1) {
    if (!reader.next(&record)) return std::nullopt;
    records.push_back(std::move(record.data));
  }
  if (reader.fault()) return std::nullopt;
  return records;
}

}  // namespace pedpeel
