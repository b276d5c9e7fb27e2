#include "tools/pedinfo/dump.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "records/binary_format.h"
#include "records/limits.h"
#include "tools/pedinfo/finding.h"
#include "tools/pedinfo/json_writer.h"

namespace pedpeel::pedinfo {

namespace {

constexpr size_t kValuesPerLine = 10;

std::string type_name(int width) {
  return "I" + std::to_string(width);
}

// The IPED of each family record's pedigree, from KEND and PEDFAM and the rows of the ids
// file, to show the original id beside the IDs of MEMBERS and IWAYREC.
class RecordIds {
 public:
  RecordIds(const IwaFile& file, const OriginalIds* ids) : ids_(ids) {
    if (ids == nullptr || file.records.size() < 2) return;
    const std::vector<IwaItem>& first = file.records[0].items;
    const std::vector<IwaItem>& second = file.records[1].items;
    if (first.size() < 3 || second.size() < 2) return;
    const std::vector<int32_t>& KEND = first[2].values;     // KEND(0..NPED)
    const std::vector<int32_t>& PEDFAM = second[1].values;  // PEDFAM(1..NPED+1)
    for (size_t p = 1; p < KEND.size() && p < PEDFAM.size(); ++p) {
      const std::optional<int16_t> iped = ids->iped_of_row(KEND[p - 1] + 1);
      for (int32_t r = PEDFAM[p - 1] + 1; r <= PEDFAM[p]; ++r) {
        if (r < 1 || r > kMaxMemberEntries) continue;  // every record has members
        if (IPED_.size() <= static_cast<size_t>(r)) IPED_.resize(static_cast<size_t>(r) + 1);
        IPED_[static_cast<size_t>(r)] = iped;
      }
    }
  }

  bool shown() const { return ids_ != nullptr; }

  /// ID `id` of family record r (from 1), with its original id when known.
  std::string text(size_t r, int32_t id) const {
    const std::string* original = find(r, id);
    std::string text = std::to_string(id);
    if (original != nullptr && !original->empty()) {
      text +=
          " [" + original_text(*original, ids_->copy_of(*IPED_[r], static_cast<int16_t>(id))) + "]";
    }
    return text;
  }

  /// The row that ID `id` of family record r copies (RUN/IPED/ID), or null for a row that
  /// is no copy.
  const std::string* copy_of(size_t r, int32_t id) const {
    if (find(r, id) == nullptr) return nullptr;
    return ids_->copy_of(*IPED_[r], static_cast<int16_t>(id));
  }

  const std::string* find(size_t r, int32_t id) const {
    if (ids_ == nullptr || id <= 0 || r >= IPED_.size() || !IPED_[r]) return nullptr;
    return ids_->find(*IPED_[r], static_cast<int16_t>(id));
  }

 private:
  const OriginalIds* ids_;
  std::vector<std::optional<int16_t>> IPED_;  // by family record
};

void write_values(std::ostream& out, const std::vector<int32_t>& values, size_t first,
                  size_t count) {
  for (size_t k = first; k < first + count; ++k) out << ' ' << values[k];
}

// "  NAME(a..b) = v v v" lines, ten values to a line; IWAYREC values with their original ids.
void write_table(std::ostream& out, const IwaItem& item, const RecordIds& ids) {
  const size_t n = item.values.size();
  if (n == 0) {
    out << "  " << item.name << ": none\n";
    return;
  }
  for (size_t first = 0; first < n; first += kValuesPerLine) {
    const size_t count = std::min(kValuesPerLine, n - first);
    const size_t index = first + static_cast<size_t>(item.first_index);
    out << "  " << item.name << '(' << index;
    if (count > 1) out << ".." << index + count - 1;
    out << ") =";
    if (ids.shown() && item.name == "IWAYREC") {
      for (size_t k = first; k < first + count; ++k) out << ' ' << ids.text(k + 1, item.values[k]);
    } else {
      write_values(out, item.values, first, count);
    }
    out << '\n';
  }
}

// LSTART of the file when it describes MEMBERS whole: non-decreasing from 0 up to `T`.
const IwaItem* member_starts(const IwaFile& file, size_t T) {
  if (file.records.size() < 3 || file.records[2].items.size() < 3) return nullptr;
  const IwaItem& LSTART = file.records[2].items[2];
  int32_t previous = 0;
  for (int32_t start : LSTART.values) {
    if (start < previous) return nullptr;
    previous = start;
  }
  return static_cast<size_t>(previous) == T ? &LSTART : nullptr;
}

// `key` and a compact array of `texts`, null where a text is missing.
void write_strings_or_nulls(JsonWriter& json, std::string_view key,
                            const std::vector<const std::string*>& texts) {
  json.key(key);
  json.begin_array(true);
  for (const std::string* text : texts) {
    if (text != nullptr) {
      json.value(*text);
    } else {
      json.null();
    }
  }
  json.end_array();
}

// MEMBERS, one line per family record when LSTART allows it.
void write_members(std::ostream& out, const IwaFile& file, const IwaItem& item,
                   const RecordIds& ids) {
  const IwaItem* LSTART = member_starts(file, item.values.size());
  if (LSTART == nullptr) {
    write_table(out, item, RecordIds(file, nullptr));
    return;
  }
  if (item.values.empty()) out << "  MEMBERS: none\n";
  for (size_t r = 1; r < LSTART->values.size(); ++r) {
    const auto begin = static_cast<size_t>(LSTART->values[r - 1]);
    const auto end = static_cast<size_t>(LSTART->values[r]);
    out << "  MEMBERS(" << begin + 1 << ".." << end << ") =";
    for (size_t k = begin; k < end; ++k) out << ' ' << ids.text(r, item.values[k]);
    out << "   (family record " << r << ")\n";
  }
}

}  // namespace

void write_dump_text(const std::string& name, const IwaFile& file, std::ostream& out,
                     const OriginalIds* original_ids) {
  const RecordIds ids(file, original_ids);
  out << name << ": " << file.size << " bytes\n";
  if (file.header) out << "offset 0: header byte " << hex_byte(kBinaryHeader) << '\n';
  for (const IwaRecord& record : file.records) {
    out << "record " << record.number << " at offset " << record.offset << ": " << record.name
        << ", " << record.data.size() << " data bytes in " << record.segments.size()
        << (record.segments.size() == 1 ? " segment" : " segments");
    if (record.segments.size() > 1) {
      out << " at offsets";
      const char* separator = " ";
      for (const IwaSegment& segment : record.segments) {
        out << separator << segment.offset;
        separator = ", ";
      }
    }
    out << '\n';
    for (const IwaItem& item : record.items) {
      if (!item.table) {
        out << "  " << item.name << " = " << item.values[0] << " (" << type_name(item.width)
            << ")\n";
      } else if (item.name == "MEMBERS") {
        write_members(out, file, item, ids);
      } else {
        write_table(out, item, ids);
      }
    }
  }
  if (file.trailer) {
    out << "offset " << *file.trailer << ": trailer byte " << hex_byte(kBinaryTrailer) << '\n';
  }
  if (file.damage) {
    out << name << ": offset " << file.damage->offset << ": damaged: expected "
        << file.damage->expected << ", found " << file.damage->found << '\n';
  }
}

void write_dump_json(const std::string& name, const IwaFile& file, std::ostream& out,
                     const OriginalIds* original_ids) {
  const RecordIds ids(file, original_ids);
  const IwaItem* LSTART = nullptr;
  JsonWriter json(out);
  json.begin_object();
  json.key("file");
  json.value(name);
  json.key("size");
  json.value(static_cast<int64_t>(file.size));
  json.key("header");
  json.value(file.header);
  json.key("records");
  json.begin_array();
  for (const IwaRecord& record : file.records) {
    json.begin_object();
    json.key("record");
    json.value(record.number);
    json.key("name");
    json.value(record.name);
    json.key("offset");
    json.value(static_cast<int64_t>(record.offset));
    json.key("data_bytes");
    json.value(static_cast<int64_t>(record.data.size()));
    json.key("segments");
    json.begin_array();
    for (const IwaSegment& segment : record.segments) {
      json.begin_object();
      json.key("offset");
      json.value(static_cast<int64_t>(segment.offset));
      json.key("length");
      json.value(segment.length);
      json.end_object();
    }
    json.end_array();
    json.key("items");
    json.begin_array();
    for (const IwaItem& item : record.items) {
      json.begin_object();
      json.key("name");
      json.value(item.name);
      json.key("type");
      json.value(type_name(item.width));
      json.key("offset");
      json.value(static_cast<int64_t>(item.offset));
      if (item.table) {
        json.key("first_index");
        json.value(item.first_index);
        json.key("values");
        json.integers(item.values);
        if (item.name == "LSTART") LSTART = &item;
        const bool members = item.name == "MEMBERS";
        if (ids.shown() && (members || item.name == "IWAYREC")) {
          // The original id of each value, null where none is known; and, when any value
          // is a copy, the row each copies, null for the others.
          std::vector<const std::string*> originals;
          std::vector<const std::string*> copies_of;
          size_t r = 1;
          for (size_t k = 0; k < item.values.size(); ++k) {
            if (members) {
              while (LSTART != nullptr && r < LSTART->values.size() &&
                     static_cast<size_t>(std::max(LSTART->values[r], 0)) <= k) {
                ++r;
              }
            } else {
              r = k + 1;
            }
            const bool known = !members || LSTART != nullptr;
            originals.push_back(known ? ids.find(r, item.values[k]) : nullptr);
            copies_of.push_back(known ? ids.copy_of(r, item.values[k]) : nullptr);
          }
          write_strings_or_nulls(json, "originals", originals);
          if (std::ranges::any_of(copies_of,
                                  [](const std::string* row) { return row != nullptr; })) {
            write_strings_or_nulls(json, "copies_of", copies_of);
          }
        }
      } else {
        json.key("value");
        json.value(int64_t{item.values[0]});
      }
      json.end_object();
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  json.key("trailer");
  if (file.trailer) {
    json.value(static_cast<int64_t>(*file.trailer));
  } else {
    json.null();
  }
  json.key("damage");
  if (file.damage) {
    json.begin_object();
    json.key("offset");
    json.value(static_cast<int64_t>(file.damage->offset));
    json.key("expected");
    json.value(file.damage->expected);
    json.key("found");
    json.value(file.damage->found);
    json.end_object();
  } else {
    json.null();
  }
  json.end_object();
}

}  // namespace pedpeel::pedinfo
