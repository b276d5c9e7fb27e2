// Binary record files (layout in binary_format.h): the one writer, used by the export
// stage, and the one reader, used by pedinfo dump.
#ifndef PEDPEEL_RECORDS_BINARY_RECORDS_H_
#define PEDPEEL_RECORDS_BINARY_RECORDS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "records/binary_format.h"
#include "records/units.h"

namespace pedpeel {

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

// One segment of a record as read: the offset of its opening length byte, and that byte.
struct BinarySegment {
  size_t offset;
  int length;  // 0..kContinuedSegment
};

// One record as read: where it starts, its segments and its data, segments joined.
struct FramedRecord {
  size_t offset = 0;
  std::vector<BinarySegment> segments;
  std::string data;
};

// Where and how the bytes stop following the layout.
struct FramingFault {
  enum class Kind {
    kNoHeader,          // byte 0 is not the header byte (or the file is empty)
    kBadLength,         // a length byte above kContinuedSegment, or the end of the file
    kShortSegment,      // the file ends inside a segment's data or before its closing byte
    kBadClosingLength,  // the closing length byte differs from the opening one
  };
  Kind kind;
  size_t offset;       // of the byte that is wrong, or where the file ends
  size_t segment = 0;  // kShortSegment, kBadClosingLength: offset of the segment
  int length = 0;      // kShortSegment, kBadClosingLength: its opening length byte
};

// Reads a binary record file's bytes record by record. The caller decides how many records
// to expect and where the trailer must stand.
class BinaryRecordReader {
 public:
  /// Checks the header byte; fault() tells when it is missing.
  explicit BinaryRecordReader(std::string_view bytes);

  /// Reads the record at the current position. False, with fault() set, when the bytes
  /// there do not frame a whole record; `record` then holds the segments read whole.
  bool next(FramedRecord* record);

  /// The offset of the next byte to read.
  size_t position() const { return position_; }
  /// The byte at `offset`, or nullopt past the end.
  std::optional<uint8_t> byte_at(size_t offset) const;
  const std::optional<FramingFault>& fault() const { return fault_; }

 private:
  std::string_view bytes_;
  size_t position_ = 1;
  std::optional<FramingFault> fault_;
};

/// The data of every record of a whole binary record file (header, records, trailer and
/// nothing after it), or nullopt when the bytes are not such a file.
std::optional<std::vector<std::string>> read_binary_records(std::string_view bytes);

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_BINARY_RECORDS_H_
