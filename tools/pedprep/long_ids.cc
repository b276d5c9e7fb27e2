#include "tools/pedprep/long_ids.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "records/limits.h"

namespace pedpeel::pedprep {

namespace {

bool is_continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string_view last_bytes(std::string_view id) {
  size_t start = id.size() - static_cast<size_t>(kIniIdLength);
  while (start < id.size() && is_continuation(id[start])) ++start;
  return id.substr(start);
}

std::string_view first_bytes(std::string_view id) {
  size_t length = static_cast<size_t>(kIniIdLength);
  while (length > 0 && is_continuation(id[length])) --length;
  return id.substr(0, length);
}

bool is_long(std::string_view id) {
  return id.size() > static_cast<size_t>(kIniIdLength);
}

// A cheap filter over the parts: a bit per hash of a text's length and edge bytes, so
// that few of the short ids need a look into the table of parts.
class PartFilter {
 public:
  void add(std::string_view text) { bits_[slot(text)] = true; }
  bool may_hold(std::string_view text) const { return bits_[slot(text)]; }

 private:
  static constexpr size_t kBits = size_t{1} << 20;  // 128 KB: few short ids pass by chance
  static size_t slot(std::string_view text) {
    // The first and last four bytes, by fixed-size loads when there are four.
    uint64_t edges = 0;
    uint32_t tail = 0;
    if (text.size() >= 4) {
      std::memcpy(&edges, text.data(), 4);
      std::memcpy(&tail, text.data() + text.size() - 4, 4);
    } else {
      for (size_t k = 0; k < text.size(); ++k)
        edges |= uint64_t{static_cast<uint8_t>(text[k])} << (8 * k);
    }
    const uint64_t hash = ((edges << 32) ^ tail ^ text.size()) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(hash >> 44);
  }
  std::vector<bool> bits_ = std::vector<bool>(kBits, false);
};

// How many animals each part of the long ids would name, counting the other animals whose
// id is that part. `long_animals` are the animals with a long id, copies aside.
std::unordered_map<std::string_view, int32_t> part_counts(const Animals& animals,
                                                          const std::vector<int32_t>& long_animals,
                                                          const LongIds& long_ids) {
  std::unordered_map<std::string_view, int32_t> counts;
  PartFilter filter;
  for (const int32_t a : long_animals) {
    const std::string_view part = long_ids.part(animals.original(a));
    ++counts[part];
    filter.add(part);
  }
  for (const Animal& animal : animals.list) {
    const std::string_view id = animals.original(animal);
    if (is_long(id) || id.empty() || animal.source == Source::kCopy || !filter.may_hold(id))
      continue;
    const auto at = counts.find(id);
    if (at != counts.end()) ++at->second;
  }
  return counts;
}

int64_t alike(const std::unordered_map<std::string_view, int32_t>& counts) {
  int64_t ids = 0;
  for (const auto& [part, count] : counts) ids += count > 1 ? count : 0;
  return ids;
}

}  // namespace

std::string_view LongIds::part(std::string_view id) const {
  return from_end ? last_bytes(id) : first_bytes(id);
}

LongIds find_long_ids(const Animals& animals) {
  LongIds long_ids;
  // The animals with a long id: the passes to come look at them alone.
  std::vector<int32_t> long_animals;
  for (int32_t a = 0; a < animals.count(); ++a) {
    const Animal& animal = animals.list[static_cast<size_t>(a)];
    if (is_long(animals.original(animal)) && animal.source != Source::kCopy)
      long_animals.push_back(a);
  }
  if (long_animals.empty()) return long_ids;
  long_ids.first = long_animals.front();
  long_ids.count = static_cast<int64_t>(long_animals.size());
  auto counts = part_counts(animals, long_animals, long_ids);
  if (alike(counts) > 0) {
    LongIds from_start = long_ids;
    from_start.from_end = false;
    auto start_counts = part_counts(animals, long_animals, from_start);
    if (alike(start_counts) < alike(counts)) {
      long_ids.from_end = false;
      counts = std::move(start_counts);
    }
  }
  long_ids.kept.assign(static_cast<size_t>(animals.count()), false);
  for (const int32_t a : long_animals) {
    if (counts[long_ids.part(animals.original(a))] != 1) continue;
    long_ids.kept[static_cast<size_t>(a)] = true;
    ++long_ids.kept_count;
  }
  return long_ids;
}

void warn_of_long_ids(const Animals& animals, const LongIds& long_ids, Report& report) {
  if (long_ids.count == 0) return;
  const Animal& first = animals.list[static_cast<size_t>(long_ids.first)];
  const std::string side = long_ids.from_end ? "last" : "first";
  std::string message = std::to_string(long_ids.count) +
                        (long_ids.count == 1 ? " id is" : " ids are") + " longer than the " +
                        std::to_string(kIniIdLength) + " bytes an INI_ID holds (the first " +
                        quoted(animals.original(first)) + "): ";
  if (long_ids.kept_count == long_ids.count) {
    message += "INI_ID holds the " + side + " " + std::to_string(kIniIdLength) +
               " bytes, which tell the animals apart";
  } else if (long_ids.kept_count == 0) {
    message += "INI_ID holds a shortened form distinct within its run";
  } else {
    message += "INI_ID holds the " + side + " " + std::to_string(kIniIdLength) +
               " bytes where they tell the animals apart, a shortened form distinct within "
               "its run for the other " +
               std::to_string(long_ids.count - long_ids.kept_count);
  }
  report.warning(first.line, Warning::kLongIds, message + "; ids.tsv maps it back");
}

}  // namespace pedpeel::pedprep
