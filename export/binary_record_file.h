// The binary record file: a header byte 0x4B, records whose boundaries are kept in the file,
// and a trailer byte 0x82 written when the unit is closed. A record's data are cut into
// segments of at most 128 bytes, each framed by its length byte L on both sides; a segment
// followed by another of the same record has L = 129.
#ifndef PEDPEEL_EXPORT_BINARY_RECORD_FILE_H_
#define PEDPEEL_EXPORT_BINARY_RECORD_FILE_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "records/units.h"

namespace pedpeel {

inline constexpr uint8_t kBinaryHeader = 0x4B;
inline constexpr uint8_t kBinaryTrailer = 0x82;
inline constexpr size_t kSegmentData = 128;
inline constexpr uint8_t kContinuedSegment = 129;

// The data of one record: little-endian two's-complement integers, in the order added.
class BinaryRecord {
 public:
  void add_i4(int32_t value);
  void add_i2(std::span<const int16_t> values);
  void add_i1(std::span<const int8_t> values);
  std::string_view data() const { return data_; }

 private:
  std::string data_;
};

/// Appends the framed record to `unit` (opened with Form::kBinary), after the header byte
/// when it is the file's first record.
void write_binary_record(Units& units, int unit, std::string_view data);

/// The framing of `data` alone, without header or trailer.
std::string frame_record(std::string_view data);

}  // namespace pedpeel

#endif  // PEDPEEL_EXPORT_BINARY_RECORD_FILE_H_
