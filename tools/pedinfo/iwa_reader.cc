#include "tools/pedinfo/iwa_reader.h"

#include <algorithm>
#include <cstdio>

#include "records/binary_records.h"

namespace pedpeel::pedinfo {

namespace {

constexpr const char* kRecordNames[kIwaRecordCount] = {
    "pedigrees (NPED, KEND)",
    "family records per pedigree (PEDFAM)",
    "record starts (NFAMREC, LSTART)",
    "members (MEMBERS)",
    "linking individuals (IWAYREC)",
    "race codes, recoded (RACE)",
    "sex codes (SEX)",
};

std::string hex_byte(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

// Decodes the values of records in order, checking each against the layout and the
// values of the records before it.
class RecordDecoder {
 public:
  // Fills record.items; the damage when the data do not have the layout.
  std::optional<IwaDamage> decode(IwaRecord& record) {
    record_ = &record;
    switch (record.number) {
      case 1:
        return decode_pedigrees();
      case 2:
        return decode_pedfam();
      case 3:
        return decode_starts();
      case 4:
        return decode_members();
      case 5:
        return decode_table("IWAYREC", 2, std::max(NFAMREC_, 0), "2 x NFAMREC");
      case 6:
        return decode_table("RACE", 1, NIND_, "KEND(NPED), the number of individuals");
      default:
        return decode_table("SEX", 1, NIND_, "KEND(NPED), the number of individuals");
    }
  }

 private:
  size_t size() const { return record_->data.size(); }

  // File offset of data byte k of the record.
  size_t offset_of(size_t k) const {
    for (const IwaSegment& segment : record_->segments) {
      const size_t length = std::min<size_t>(static_cast<size_t>(segment.length), kSegmentData);
      if (k < length) return segment.offset + 1 + k;
      k -= length;
    }
    return record_->offset;
  }

  int32_t value_at(size_t k, int width) const {
    const auto* data = reinterpret_cast<const unsigned char*>(record_->data.data());
    switch (width) {
      case 4:
        return static_cast<int32_t>(uint32_t{data[k]} | uint32_t{data[k + 1]} << 8 |
                                    uint32_t{data[k + 2]} << 16 | uint32_t{data[k + 3]} << 24);
      case 2:
        return static_cast<int16_t>(static_cast<uint16_t>(data[k] | data[k + 1] << 8));
      default:
        return static_cast<int8_t>(data[k]);
    }
  }

  std::optional<IwaDamage> damage(std::string expected, std::string found) const {
    return IwaDamage{record_->offset,
                     "record " + std::to_string(record_->number) + " of " + std::move(expected),
                     std::move(found)};
  }

  std::optional<IwaDamage> expect_size(int64_t bytes, const std::string& why) const {
    if (static_cast<int64_t>(size()) == bytes) return std::nullopt;
    return damage(std::to_string(bytes) + " data bytes (" + why + ")",
                  std::to_string(size()) + " data bytes");
  }

  std::optional<IwaDamage> at_least(size_t bytes, const char* first) const {
    if (size() >= bytes) return std::nullopt;
    return damage("at least " + std::to_string(bytes) + " data bytes, starting with " + first,
                  std::to_string(size()) + " data bytes");
  }

  // Adds `count` values of `width` bytes from data byte `position_`: a table indexed from
  // `first_index`, or a single value when first_index is negative.
  void add(const char* name, int width, int first_index, int64_t count) {
    IwaItem item{name, width, first_index >= 0, std::max(first_index, 0), offset_of(position_), {}};
    for (int64_t k = 0; k < count; ++k) {
      item.values.push_back(value_at(position_, width));
      position_ += static_cast<size_t>(width);
    }
    record_->items.push_back(std::move(item));
  }
  void table(const char* name, int width, int first_index, int64_t count) {
    add(name, width, first_index, count);
  }
  void scalar(const char* name, int width) { add(name, width, -1, 1); }

  // A record that is one table of `count` values indexed from 1.
  std::optional<IwaDamage> decode_table(const char* name, int width, int32_t count,
                                        const char* why) {
    position_ = 0;
    if (auto d = expect_size(int64_t{width} * count, why)) return d;
    table(name, width, 1, count);
    return std::nullopt;
  }
  int32_t last(size_t back = 0) const {
    const std::vector<int32_t>& values = record_->items.back().values;
    return values[values.size() - 1 - back];
  }

  // The value just decoded must be `wanted`.
  std::optional<IwaDamage> expect_value(const IwaItem& item, size_t k, int32_t wanted,
                                        const std::string& what) const {
    if (item.values[k] == wanted) return std::nullopt;
    return IwaDamage{item.offset + k * static_cast<size_t>(item.width),
                     what + " = " + std::to_string(wanted), std::to_string(item.values[k])};
  }

  std::optional<IwaDamage> decode_pedigrees() {
    position_ = 0;
    if (auto d = at_least(4, "I4 NPED")) return d;
    scalar("NPED", 4);
    NPED_ = last();
    const int64_t count = int64_t{std::max(NPED_, 0)} + 2;
    if (auto d = expect_size(4 + 2 * count, "4 + 2 x (NPED + 2) for NPED " + std::to_string(NPED_)))
      return d;
    scalar("NPED", 2);
    if (auto d =
            expect_value(record_->items.back(), 0, static_cast<int16_t>(NPED_), "NPED again as I2"))
      return d;
    table("KEND", 2, 0, count - 1);
    if (auto d = expect_value(record_->items.back(), 0, 0, "KEND(0)")) return d;
    NIND_ = std::max(last(), 0);
    return std::nullopt;
  }

  std::optional<IwaDamage> decode_pedfam() {
    position_ = 0;
    const int64_t count = int64_t{std::max(NPED_, 0)} + 2;
    if (auto d = expect_size(2 * count, "2 x (NPED + 2) for NPED " + std::to_string(NPED_)))
      return d;
    scalar("NPED", 2);
    if (auto d = expect_value(record_->items.back(), 0, static_cast<int16_t>(NPED_),
                              "NPED (PEDFAM's count slot)"))
      return d;
    table("PEDFAM", 2, 1, count - 1);
    return expect_value(record_->items.back(), 0, 0, "PEDFAM(1)");
  }

  std::optional<IwaDamage> decode_starts() {
    position_ = 0;
    if (auto d = at_least(4, "I4 NFAMREC+2")) return d;
    scalar("NFAMREC+2", 4);
    const int32_t count = last();
    if (count < 2) {
      return IwaDamage{record_->items.back().offset, "NFAMREC+2 of at least 2",
                       std::to_string(count)};
    }
    if (auto d = expect_size(4 + 2 * int64_t{count},
                             "4 + 2 x (NFAMREC + 2) for NFAMREC+2 " + std::to_string(count)))
      return d;
    scalar("NFAMREC", 2);
    if (auto d = expect_value(record_->items.back(), 0, static_cast<int16_t>(count - 2), "NFAMREC"))
      return d;
    NFAMREC_ = count - 2;
    table("LSTART", 2, 1, count - 1);
    if (auto d = expect_value(record_->items.back(), 0, 0, "LSTART(1)")) return d;
    T_ = last();
    return std::nullopt;
  }

  std::optional<IwaDamage> decode_members() {
    position_ = 0;
    if (auto d = at_least(4, "I4 T, the number of member entries")) return d;
    scalar("T", 4);
    if (auto d = expect_value(record_->items.back(), 0, std::max(T_, 0), "T, as LSTART(NFAMREC+1)"))
      return d;
    if (auto d = expect_size(4 + 2 * int64_t{std::max(T_, 0)}, "4 + 2 x T")) return d;
    table("MEMBERS", 2, 1, std::max(T_, 0));
    return std::nullopt;
  }

  IwaRecord* record_ = nullptr;
  size_t position_ = 0;
  int32_t NPED_ = 0;
  int32_t NIND_ = 0;
  int32_t NFAMREC_ = 0;
  int32_t T_ = 0;
};

// What the framing fault met while reading record r means, in the file's terms.
IwaDamage framing_damage(const FramingFault& fault, int r, const FramedRecord& framed,
                         std::string_view bytes) {
  auto found_at = [&](size_t k) {
    return k < bytes.size() ? hex_byte(static_cast<unsigned char>(bytes[k]))
                            : std::string("the end of the file");
  };
  const std::string segment_at = " of the segment at offset " + std::to_string(fault.segment);
  const std::string length = hex_byte(static_cast<unsigned char>(fault.length));
  switch (fault.kind) {
    case FramingFault::Kind::kShortSegment: {
      const size_t chunk = std::min<size_t>(static_cast<size_t>(fault.length), kSegmentData);
      const size_t available = bytes.size() - std::min(bytes.size(), fault.segment + 1);
      return {
          fault.offset,
          std::to_string(chunk) + " data bytes and the closing length byte " + length + segment_at,
          std::to_string(std::min(available, chunk)) + " bytes and the end of the file"};
    }
    case FramingFault::Kind::kBadClosingLength:
      return {fault.offset, "the closing length byte " + length + segment_at,
              found_at(fault.offset)};
    default: {
      const bool first = framed.segments.empty();
      std::string found = found_at(fault.offset);
      if (first && fault.offset < bytes.size() &&
          static_cast<uint8_t>(bytes[fault.offset]) == kBinaryTrailer) {
        found += " (the trailer byte: the file holds " + std::to_string(r - 1) +
                 (r == 2 ? " record)" : " records)");
      }
      return {fault.offset,
              "a length byte 0..129 opening " + std::string(first ? "the first" : "the next") +
                  " segment of record " + std::to_string(r),
              found};
    }
  }
}

}  // namespace

IwaFile read_iwa(std::string_view bytes) {
  IwaFile file;
  file.size = bytes.size();
  auto found_at = [&](size_t k) {
    return k < bytes.size() ? hex_byte(static_cast<unsigned char>(bytes[k]))
                            : std::string("the end of the file");
  };
  BinaryRecordReader reader(bytes);
  if (reader.fault()) {
    file.damage = IwaDamage{0, "the header byte 0x4B", found_at(0)};
    return file;
  }
  file.header = true;
  RecordDecoder decoder;
  FramedRecord framed;
  for (int r = 1; r <= kIwaRecordCount; ++r) {
    if (!reader.next(&framed)) {
      file.damage = framing_damage(*reader.fault(), r, framed, bytes);
      return file;
    }
    IwaRecord record{r, kRecordNames[r - 1], framed.offset, {}, std::move(framed.data), {}};
    for (const BinarySegment& segment : framed.segments) {
      record.segments.push_back({segment.offset, segment.length});
    }
    file.damage = decoder.decode(record);
    file.records.push_back(std::move(record));
    if (file.damage) return file;
  }
  const size_t position = reader.position();
  if (reader.byte_at(position) != kBinaryTrailer) {
    file.damage = IwaDamage{position, "the trailer byte 0x82 after record 7", found_at(position)};
    return file;
  }
  file.trailer = position;
  if (position + 1 < bytes.size()) {
    file.damage = IwaDamage{position + 1, "the end of the file after the trailer byte",
                            std::to_string(bytes.size() - position - 1) +
                                (bytes.size() - position - 1 == 1 ? " more byte" : " more bytes")};
  }
  return file;
}

}  // namespace pedpeel::pedinfo
