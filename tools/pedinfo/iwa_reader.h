// Reads iway.IWA back: the header byte, the framed records, the trailer byte, and the
// named values of each of the seven records (layout in export/iwa_format.h). Stops at the
// first byte that is not what the second stage puts there, and says what was expected.
#ifndef PEDPEEL_TOOLS_PEDINFO_IWA_READER_H_
#define PEDPEEL_TOOLS_PEDINFO_IWA_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pedpeel::pedinfo {

// One segment of a record: its opening length byte's offset and value.
struct IwaSegment {
  size_t offset;
  int length;  // 0..kContinuedSegment
};

// A run of values of one record: a named scalar (count 1) or a table.
struct IwaItem {
  std::string name;  // NPED, KEND, PEDFAM, NFAMREC, LSTART, MEMBERS, IWAYREC, RACE, SEX
  int width;         // bytes per value: 4, 2 or 1
  bool table;        // a table indexed from first_index, not a single value
  int first_index;   // index of values[0] in the table
  size_t offset;     // file offset of its first byte
  std::vector<int32_t> values;
};

struct IwaRecord {
  int number;        // 1..7
  std::string name;  // what the record holds
  size_t offset;     // of its first length byte
  std::vector<IwaSegment> segments;
  std::string data;            // the record's data bytes, segments joined
  std::vector<IwaItem> items;  // filled when the data have the expected layout
};

struct IwaDamage {
  size_t offset;
  std::string expected;
  std::string found;
};

struct IwaFile {
  size_t size = 0;
  bool header = false;             // the header byte was found
  std::vector<IwaRecord> records;  // every record read whole (a damaged one included)
  std::optional<size_t> trailer;   // offset of the trailer byte
  std::optional<IwaDamage> damage;
};

/// Reads the bytes of an iway.IWA file.
IwaFile read_iwa(std::string_view bytes);

/// A byte as two hex digits after "0x": 0x4C.
std::string hex_byte(unsigned char byte);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_IWA_READER_H_
