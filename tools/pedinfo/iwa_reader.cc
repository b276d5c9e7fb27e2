#include "tools/pedinfo/iwa_reader.h"

#include <algorithm>
#include <cstdio>

#include "export/iwa_format.h"
#include "records/binary_records.h"

namespace pedpeel::pedinfo {

std::string hex_byte(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

namespace {

// Decodes the values of records in order, checking each against the layout and the
// values of the records before it.
class RecordDecoder {
 public:
  // Fills record.items; the damage when the data do not have the layout.
  std::optional<IwaDamage> decode(IwaRecord& record) {
    record_ = &record;
    fields_ = iwa_record_layout(record.number).fields();
    next_field_ = 0;
    position_ = 0;
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
        return decode_table(std::max(NFAMREC_, 0), "NFAMREC");
      default:
        return decode_table(NIND_, "KEND(NPED), the number of individuals");
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

  // Adds the record's next field, `count` values from data byte `position_`, named and
  // sized as its layout says.
  void add(int64_t count) {
    const IwaField& field = fields_[next_field_++];
    IwaItem item{
        std::string(field.name),        field.width,          field.first_index != kIwaSingle,
        std::max(field.first_index, 0), offset_of(position_), {}};
    for (int64_t k = 0; k < count; ++k) {
      item.values.push_back(value_at(position_, field.width));
      position_ += static_cast<size_t>(field.width);
    }
    record_->items.push_back(std::move(item));
  }
  void table(int64_t count) { add(count); }
  void single() { add(1); }
  // Bytes per value of the record's next field.
  int next_width() const { return fields_[next_field_].width; }

  // A record that is one table of `count` values indexed from 1, `count` being `why`.
  std::optional<IwaDamage> decode_table(int32_t count, const char* why) {
    const int width = next_width();
    const std::string size_rule = width == 1 ? why : std::to_string(width) + " x " + why;
    if (auto d = expect_size(int64_t{width} * count, size_rule)) return d;
    table(count);
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
    if (auto d = at_least(4, "I4 NPED")) return d;
    single();
    NPED_ = last();
    const int64_t count = int64_t{std::max(NPED_, 0)} + 2;
    if (auto d = expect_size(4 + 2 * count, "4 + 2 x (NPED + 2) for NPED " + std::to_string(NPED_)))
      return d;
    single();
    if (auto d =
            expect_value(record_->items.back(), 0, static_cast<int16_t>(NPED_), "NPED again as I2"))
      return d;
    table(count - 1);
    if (auto d = expect_value(record_->items.back(), 0, 0, "KEND(0)")) return d;
    NIND_ = std::max(last(), 0);
    return std::nullopt;
  }

  std::optional<IwaDamage> decode_pedfam() {
    const int64_t count = int64_t{std::max(NPED_, 0)} + 2;
    if (auto d = expect_size(2 * count, "2 x (NPED + 2) for NPED " + std::to_string(NPED_)))
      return d;
    single();
    if (auto d = expect_value(record_->items.back(), 0, static_cast<int16_t>(NPED_),
                              "NPED (PEDFAM's count slot)"))
      return d;
    table(count - 1);
    return expect_value(record_->items.back(), 0, 0, "PEDFAM(1)");
  }

  std::optional<IwaDamage> decode_starts() {
    if (auto d = at_least(4, "I4 NFAMREC+2")) return d;
    single();
    const int32_t count = last();
    if (count < 2) {
      return IwaDamage{record_->items.back().offset, "NFAMREC+2 of at least 2",
                       std::to_string(count)};
    }
    if (auto d = expect_size(4 + 2 * int64_t{count},
                             "4 + 2 x (NFAMREC + 2) for NFAMREC+2 " + std::to_string(count)))
      return d;
    single();
    if (auto d = expect_value(record_->items.back(), 0, static_cast<int16_t>(count - 2), "NFAMREC"))
      return d;
    NFAMREC_ = count - 2;
    table(count - 1);
    if (auto d = expect_value(record_->items.back(), 0, 0, "LSTART(1)")) return d;
    T_ = last();
    return std::nullopt;
  }

  std::optional<IwaDamage> decode_members() {
    if (auto d = at_least(4, "I4 T, the number of member entries")) return d;
    single();
    if (auto d = expect_value(record_->items.back(), 0, std::max(T_, 0), "T, as LSTART(NFAMREC+1)"))
      return d;
    if (auto d = expect_size(4 + 2 * int64_t{std::max(T_, 0)}, "4 + 2 x T")) return d;
    table(std::max(T_, 0));
    return std::nullopt;
  }

  IwaRecord* record_ = nullptr;
  std::span<const IwaField> fields_;  // the record's layout
  size_t next_field_ = 0;
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
              "a length byte 0.." + std::to_string(kContinuedSegment) + " opening " +
                  std::string(first ? "the first" : "the next") + " segment of record " +
                  std::to_string(r),
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
    file.damage = IwaDamage{0, "the header byte " + hex_byte(kBinaryHeader), found_at(0)};
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
    IwaRecord record{
        r, std::string(iwa_record_layout(r).title), framed.offset, {}, std::move(framed.data), {}};
    for (const BinarySegment& segment : framed.segments) {
      record.segments.push_back({segment.offset, segment.length});
    }
    file.damage = decoder.decode(record);
    file.records.push_back(std::move(record));
    if (file.damage) return file;
  }
  const size_t position = reader.position();
  if (reader.byte_at(position) != kBinaryTrailer) {
    file.damage = IwaDamage{position,
                            "the trailer byte " + hex_byte(kBinaryTrailer) + " after record " +
                                std::to_string(kIwaRecordCount),
                            found_at(position)};
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
