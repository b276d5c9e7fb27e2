#include "tools/pedinfo/find.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "records/run_files.h"
#include "records/whole_file.h"
#include "tools/pedinfo/finding.h"
#include "tools/pedinfo/json_writer.h"
#include "tools/pedinfo/original_ids.h"
#include "tools/pedinfo/run_list.h"

namespace pedpeel::pedinfo {

namespace {

// A line of an ids.tsv that matched, by its row (from 1).
struct Match {
  size_t animal = 0;  // index into the originals asked for
  int32_t row = 0;
};

// The line of `bytes` that holds byte `at`, without its line end; *start is where it starts.
std::string_view line_around(std::string_view bytes, size_t at, size_t* start) {
  const size_t begin = at == 0 ? 0 : bytes.rfind('\n', at - 1);
  *start = begin == std::string_view::npos || at == 0 ? 0 : begin + 1;
  const size_t end = bytes.find('\n', at);
  std::string_view line = bytes.substr(*start, end == std::string_view::npos ? end : end - *start);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The rows of the ids.tsv in `bytes` whose column `column` is `text`: the text is looked
// for as a whole, and only the lines that hold it are split.
void match_column(std::string_view bytes, size_t column, std::string_view text, size_t animal,
                  std::vector<Match>* matches) {
  if (text.empty()) return;
  size_t counted_at = 0;  // the line ends before it are counted in `row`
  int32_t row = 0;        // of a line: the line ends before it (line 1 is the header)
  for (size_t at = bytes.find(text); at != std::string_view::npos;) {
    size_t start = 0;
    const std::string_view line = line_around(bytes, at, &start);
    const std::vector<std::string_view> fields = split_tabs(line);
    if (start != 0 && column < fields.size() && fields[column] == text) {
      row += static_cast<int32_t>(
          std::count(bytes.begin() + static_cast<std::ptrdiff_t>(counted_at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(start), '\n'));
      counted_at = start;
      matches->push_back({animal, row});
    }
    at = bytes.find(text, start + line.size());
  }
}

RunState state_of(const std::string& run_path) {
  struct stat status;
  if (::stat(path_in(run_path, kVolmaFile).c_str(), &status) != 0) return RunState::kNotRun;
  const std::string report = path_in(run_path, kLoopReportFile);
  if (::stat(report.c_str(), &status) == 0 && status.st_size > 0) return RunState::kLoop;
  return RunState::kRun;
}

// The field of `line` in column `column` (from 0); empty when the line has fewer.
std::string_view field_of(std::string_view line, size_t column) {
  for (size_t k = 0; k < column; ++k) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return {};
    line.remove_prefix(tab + 1);
  }
  return line.substr(0, line.find('\t'));
}

bool parse_int16(std::string_view text, int16_t* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size();
}

// The lines of a run's ids.tsv, walked once with only IPED and ID read: a run that holds an
// animal's copies is read this way rather than whole, since a much copied AI bull is in
// every run.
struct IdsLines {
  std::vector<std::string_view> line;  // by row - 1, without its line end
  std::vector<uint32_t> key;           // by row - 1: (IPED, ID)
  std::vector<int> pedigree;           // by row - 1: pedpeel's number, runs of one IPED

  static uint32_t key_of(int16_t iped, int16_t id) {
    return uint32_t{static_cast<uint16_t>(iped)} << 16 | static_cast<uint16_t>(id);
  }
};

std::optional<std::string> index_lines(std::string_view bytes, const IdsColumns& columns,
                                       const std::string& path, IdsLines* lines) {
  int32_t number = 0;
  int pedigree = 0;
  int16_t last_iped = 0;
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (++number == 1 || line.empty()) continue;
    int16_t iped = 0;
    int16_t id = 0;
    const std::string_view iped_text = field_of(line, columns.iped);
    const std::string_view id_text = field_of(line, columns.id);
    if (!parse_int16(iped_text, &iped) || !parse_int16(id_text, &id)) {
      return path + ":" + std::to_string(number) + ": iped and id must be numbers, not \"" +
             printable(iped_text) + "\" and \"" + printable(id_text) + "\"";
    }
    if (lines->line.empty() || iped != last_iped) ++pedigree;
    last_iped = iped;
    lines->line.push_back(line);
    lines->key.push_back(IdsLines::key_of(iped, id));
    lines->pedigree.push_back(pedigree);
  }
  return std::nullopt;
}

// The family records of a run in which each found row appears, with the original ids of
// their members.
std::optional<std::string> add_families(const std::string& run_path, const std::string& file,
                                        const IdsColumns& columns, const IdsLines& lines,
                                        std::vector<FoundRow*>& rows) {
  std::string bytes;
  if (const std::error_code error = read_whole_file(path_in(run_path, kVolmaFile), &bytes)) {
    return describe_file_error(file, error);
  }
  auto problem = read_volma(bytes, file, [&](const VolmaBlock& block) {
    for (FoundRow* row : rows) {
      if (block.pedigree != row->pedigree) continue;
      const auto place = std::find(block.members.begin(), block.members.end(), row->id);
      if (place == block.members.end()) continue;
      row->families.push_back({block, static_cast<size_t>(place - block.members.begin()), {}});
    }
  });
  if (problem) return problem;
  // The original ids of the members: each (IPED, ID) from its first line.
  std::unordered_map<uint32_t, std::string> originals;
  for (const FoundRow* row : rows) {
    for (const FoundFamily& family : row->families) {
      for (int16_t member : family.block.members) {
        originals.emplace(IdsLines::key_of(row->iped, member), "");
      }
    }
  }
  std::unordered_set<uint32_t> filled;
  for (size_t k = 0; k < lines.key.size(); ++k) {
    const auto wanted = originals.find(lines.key[k]);
    if (wanted == originals.end() || !filled.insert(lines.key[k]).second) continue;
    wanted->second = field_of(lines.line[k], columns.original);
  }
  for (FoundRow* row : rows) {
    for (FoundFamily& family : row->families) {
      for (int16_t member : family.block.members) {
        family.originals.push_back(originals[IdsLines::key_of(row->iped, member)]);
      }
    }
  }
  return std::nullopt;
}

// Finds the rows of `originals` in one run (a copy carries the original id of the row it
// copies), and their family records.
std::optional<std::string> find_in_run(const std::string& directory, const std::string& run,
                                       const std::vector<std::string>& originals,
                                       FindReport* report, bool with_families) {
  const std::string run_path = path_in(directory, run);
  const std::string ids_path = path_in(run_path, ids_tsv::kFileName);
  std::string bytes;
  if (const std::error_code error = read_whole_file(ids_path, &bytes)) {
    return describe_file_error(ids_path, error);
  }
  IdsColumns columns;
  const std::string_view header = std::string_view(bytes).substr(0, bytes.find('\n'));
  if (auto problem = read_ids_header(header, &columns)) return ids_path + ":1: " + *problem;
  std::vector<Match> matches;
  for (size_t a = 0; a < originals.size(); ++a) {
    match_column(bytes, columns.original, originals[a], a, &matches);
  }
  if (matches.empty()) return std::nullopt;

  IdsLines lines;
  if (auto problem = index_lines(bytes, columns, ids_path, &lines)) return problem;
  const RunState state = state_of(run_path);
  std::sort(matches.begin(), matches.end(),
            [](const Match& a, const Match& b) { return a.row < b.row; });
  for (const Match& match : matches) {
    if (match.row < 1 || static_cast<size_t>(match.row) > lines.line.size()) continue;
    const size_t k = static_cast<size_t>(match.row) - 1;
    FoundRow row;
    row.run = run;
    row.row = match.row;
    row.pedigree = lines.pedigree[k];
    row.iped = static_cast<int16_t>(lines.key[k] >> 16);
    row.id = static_cast<int16_t>(lines.key[k] & 0xFFFF);
    row.source = field_of(lines.line[k], columns.source);
    if (columns.copy_of != IdsColumns::kAbsent) {
      row.copy_of = field_of(lines.line[k], columns.copy_of);
    }
    row.state = state;
    report->animals[match.animal].rows.push_back(std::move(row));
  }
  if (state == RunState::kNotRun || !with_families) return std::nullopt;
  std::vector<FoundRow*> rows;
  for (FoundAnimal& animal : report->animals) {
    for (FoundRow& row : animal.rows) {
      if (row.run == run) rows.push_back(&row);
    }
  }
  return add_families(run_path, path_in(run, kVolmaFile), columns, lines, rows);
}

const char* role(size_t position) {
  return position == 0 ? "first parent" : position == 1 ? "second parent" : "child";
}

std::string state_text(RunState state) {
  switch (state) {
    case RunState::kNotRun:
      return "not run yet (no VOLMA.DAT)";
    case RunState::kRun:
      return "run";
    case RunState::kLoop:
      return "pedpeel reported a loop (def.err): the families it had not taken by then are not in "
             "VOLMA.DAT";
  }
  return "";
}

std::string member_text(const FoundFamily& family, size_t k) {
  std::string text = std::to_string(family.block.members[k]);
  if (k < family.originals.size() && !family.originals[k].empty()) {
    text += " [" + printable(family.originals[k]) + "]";
  }
  return text;
}

// "family (1 [A], 2 [B]; 3 [C])".
std::string family_text(const FoundFamily& family) {
  std::string text = "family (";
  for (size_t k = 0; k < family.block.members.size(); ++k) {
    if (k != 0) text += k == 2 ? "; " : ", ";
    text += member_text(family, k);
  }
  return text + ")";
}

}  // namespace

std::optional<std::string> find_animals(const std::string& directory,
                                        const std::vector<std::string>& originals,
                                        FindReport* report, bool with_families) {
  report->directory = directory;
  for (const std::string& original : originals) report->animals.push_back({original, {}});
  std::vector<std::string> runs;
  if (is_runs_directory(directory)) {
    if (auto problem = read_run_list(directory, &runs)) return problem;
  } else {
    runs.push_back(".");
  }
  for (const std::string& run : runs) {
    if (auto problem = find_in_run(directory, run, originals, report, with_families)) {
      return problem;
    }
  }
  // An animal's own row first, then its copies; a single run directory is named as it was
  // given.
  for (FoundAnimal& animal : report->animals) {
    std::stable_partition(animal.rows.begin(), animal.rows.end(),
                          [](const FoundRow& row) { return !row.is_copy(); });
    for (FoundRow& row : animal.rows) {
      if (row.run == ".") row.run = directory;
    }
  }
  return std::nullopt;
}

void write_find_text(const FindReport& report, std::ostream& out) {
  for (const FoundAnimal& animal : report.animals) {
    out << printable(animal.original) << ": ";
    if (animal.rows.empty()) {
      out << "not found\n";
      continue;
    }
    size_t copies = 0;
    for (const FoundRow& row : animal.rows) copies += row.is_copy() ? 1 : 0;
    out << animal.rows.size() << (animal.rows.size() == 1 ? " row" : " rows");
    if (copies != 0) out << " (" << copies << (copies == 1 ? " copy" : " copies") << ")";
    out << '\n';
    for (const FoundRow& row : animal.rows) {
      out << "  " << row.run << ": pedigree " << row.pedigree << " (IPED " << row.iped << "), ID "
          << row.id << ", row " << row.row << " (source: " << printable(row.source);
      if (row.is_copy() && !row.copy_of.empty()) out << " of " << printable(row.copy_of);
      out << ")\n";
      if (row.state != RunState::kRun) out << "    " << state_text(row.state) << '\n';
      for (const FoundFamily& family : row.families) {
        out << "    " << path_in(row.run, kVolmaFile) << ':' << family.block.line << ": "
            << role(family.position) << " in " << family_text(family) << ", ITYPE "
            << family.block.ITYPE << ", IWAY " << family.block.IWAY << '\n';
      }
      if (row.state != RunState::kNotRun && row.families.empty()) {
        out << "    in no family record\n";
      }
    }
  }
}

void write_find_json(const FindReport& report, std::ostream& out) {
  JsonWriter json(out);
  json.begin_object();
  json.key("directory");
  json.value(report.directory);
  json.key("animals");
  json.begin_array();
  for (const FoundAnimal& animal : report.animals) {
    json.begin_object();
    json.key("original");
    json.value(animal.original);
    json.key("rows");
    json.begin_array();
    for (const FoundRow& row : animal.rows) {
      json.begin_object();
      json.key("run");
      json.value(row.run);
      json.key("pedigree");
      json.value(row.pedigree);
      json.key("iped");
      json.value(row.iped);
      json.key("id");
      json.value(row.id);
      json.key("row");
      json.value(row.row);
      json.key("source");
      json.value(row.source);
      json.key("copy");
      json.value(row.is_copy());
      json.key("copy_of");
      if (row.copy_of.empty()) {
        json.null();
      } else {
        json.value(row.copy_of);
      }
      json.key("state");
      json.value(row.state == RunState::kNotRun ? "not run"
                 : row.state == RunState::kRun  ? "run"
                                                : "loop");
      json.key("families");
      json.begin_array();
      for (const FoundFamily& family : row.families) {
        json.begin_object();
        json.key("file");
        json.value(path_in(row.run, kVolmaFile));
        json.key("line");
        json.value(family.block.line);
        json.key("role");
        json.value(role(family.position));
        json.key("itype");
        json.value(family.block.ITYPE);
        json.key("iway");
        json.value(family.block.IWAY);
        json.key("members");
        json.integers(family.block.members);
        if (!family.originals.empty()) {
          json.key("originals");
          json.begin_array(true);
          for (const std::string& original : family.originals) json.value(original);
          json.end_array();
        }
        json.end_object();
      }
      json.end_array();
      json.end_object();
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  json.end_object();
}

}  // namespace pedpeel::pedinfo
