// The whole programs: a generated population of 60,000 animals (CSV) and one of 40,000
// (PLINK .fam) each come out of pedprep as several runs; the README's one-machine recipe
// (xargs -P 2 over runs.txt) runs pedpeel in every run, which must exit 0; and mapped
// back through ids.tsv and the pedigree files, every input animal appears exactly once,
// with its sire and dam. pedgen's herd-book, one pedigree full of loops, comes out cut
// with copies into runs that pedpeel all completes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "testing/temp_run.h"

namespace pedpeel::pedprep {
namespace {

namespace fs = std::filesystem;

// An input row: family (empty for CSV), id, sire and dam as the input writes them ("" when
// missing, whatever the spelling), and sex.
struct InputAnimal {
  std::string family;
  std::string id;
  std::string sire;
  std::string dam;
  std::string sex;
};

// Pedigrees of herds: a founder sire mated to founder dams; some offspring mate with new
// founders, so every pedigree is a tree, except for a few full-sib matings, which pedpeel
// takes apart. Some founders are named only as parents; some rows lose one parent. For a
// .fam, IIDs are numbers counted within each family, so the same IID is in many families.
std::vector<InputAnimal> generate(int animals, bool fam, uint32_t seed) {
  std::mt19937 random(seed);
  auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
  auto between = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  std::vector<InputAnimal> rows;
  int serial = 0;
  for (int pedigree = 0; static_cast<int>(rows.size()) < animals; ++pedigree) {
    const std::string family = fam ? "HERD" + std::to_string(pedigree) : "";
    int local = 0;
    auto new_id = [&](bool long_id) {
      ++serial;
      if (fam) return std::to_string(++local);
      char text[32];
      std::snprintf(text, sizeof text, "DE%010d%s", serial, long_id ? "-LONG" : "");
      return std::string(text);
    };
    std::vector<InputAnimal> founders;
    std::vector<InputAnimal> offspring;
    std::vector<std::pair<std::string, std::string>> matings;
    const std::string sire = new_id(false);
    founders.push_back({family, sire, "", "", "M"});
    for (int d = between(1, 4); d > 0; --d) {
      const std::string dam = new_id(false);
      founders.push_back({family, dam, "", "", "F"});
      matings.emplace_back(sire, dam);
    }
    const int size = between(4, 60);
    for (size_t m = 0; m < matings.size() && static_cast<int>(offspring.size()) < size; ++m) {
      for (int c = between(1, 3); c > 0; --c) {
        const bool male = chance(0.5);
        const std::string child = new_id(chance(0.02));
        offspring.push_back({family, child, matings[m].first, matings[m].second,
                             male ? (chance(0.5) ? "M" : "1") : (chance(0.5) ? "F" : "2")});
        if (!chance(0.5)) continue;
        const std::string mate = new_id(false);
        founders.push_back({family, mate, "", "", male ? "F" : "M"});
        matings.emplace_back(male ? child : mate, male ? mate : child);
      }
    }
    for (InputAnimal& row : offspring) {
      if (chance(0.02)) (chance(0.5) ? row.sire : row.dam).clear();  // one known parent
    }
    if (chance(0.03)) {
      // A full-sib mating (a loop head and a sib-mating record in pedpeel).
      const std::string brother = new_id(false);
      const std::string sister = new_id(false);
      offspring.push_back({family, brother, sire, founders[1].id, "M"});
      offspring.push_back({family, sister, sire, founders[1].id, "F"});
      offspring.push_back({family, new_id(false), brother, sister, "F"});
    }
    for (const InputAnimal& founder : founders) {
      if (!chance(0.05)) rows.push_back(founder);  // else named only as a parent
    }
    rows.insert(rows.end(), offspring.begin(), offspring.end());
  }
  std::shuffle(rows.begin(), rows.end(), random);
  return rows;
}

std::string input_text(const std::vector<InputAnimal>& rows, bool fam) {
  static const char* kMissing[] = {"", "0", "NA", "."};
  std::string text = fam ? "" : "ID,Sire,Dam,Sex,Note\r\n";
  size_t k = 0;
  for (const InputAnimal& row : rows) {
    auto parent = [&](const std::string& id) {
      return id.empty() ? std::string(fam ? "0" : kMissing[k++ % 4]) : id;
    };
    if (fam) {
      text += row.family + " " + row.id + "\t" + parent(row.sire) + " " + parent(row.dam) + " " +
              (row.sex == "M" || row.sex == "1" ? "1" : "2") + " -9\n";
    } else {
      text +=
          row.id + "," + parent(row.sire) + "," + parent(row.dam) + "," + row.sex + ",\"a, b\"\r\n";
    }
  }
  return text;
}

int run_shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using pedpeel::testing::read_file;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> split_tabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// An output row mapped back: who it is in the input, and its parents in the output.
struct OutputAnimal {
  std::string family;
  std::string original;
  std::string source;
  int IPAR1 = 0;
  int IPAR2 = 0;
};

void prepare_and_peel(bool fam, int animals, size_t minimum_runs) {
  testing::TempDir dir;
  const std::vector<InputAnimal> input = generate(animals, fam, fam ? 7 : 5);
  const std::string name = fam ? "herds.fam" : "herds.csv";
  dir.write(name, input_text(input, fam));

  const std::string out = dir.path() + "/out";
  ASSERT_EQ(run_shell("cd " + dir.path() + " && " + PEDPREP_BINARY + " " + name +
                      " --out out > prep.out 2> prep.err"),
            0)
      << *dir.read("prep.err");
  const std::string summary = *dir.read("prep.out");
  EXPECT_NE(summary.find(std::to_string(input.size()) + " animals read"), std::string::npos)
      << summary;

  // The one-machine recipe of the README, pedpeel found on the PATH.
  const std::string bin = fs::path(PEDPEEL_BINARY).parent_path().string();
  ASSERT_EQ(run_shell("cd " + out + " && PATH=" + bin +
                      ":$PATH xargs -P 2 -I RUN sh -c "
                      "'cd RUN && pedpeel > pedpeel.log 2>&1; echo $? > status' < runs.txt"),
            0);

  const std::vector<std::string> runs = lines_of(read_file(out + "/runs.txt"));
  EXPECT_GE(runs.size(), minimum_runs);
  // Output animals by (run, IPED, ID), and every input animal's count of appearances.
  std::map<std::tuple<size_t, int, int>, OutputAnimal> output;
  std::map<std::pair<std::string, std::string>, int> appearances;
  for (size_t r = 0; r < runs.size(); ++r) {
    const fs::path run = fs::path(out) / runs[r];
    EXPECT_EQ(read_file(run / "status"), "0\n")
        << runs[r] << ": " << read_file(run / "pedpeel.log");
    EXPECT_EQ(read_file(run / "def.err"), "") << runs[r];
    EXPECT_TRUE(fs::exists(run / "iway.IVM")) << runs[r];
    const std::vector<std::string> pedigree_file = lines_of(read_file(run / "pedigree.dat"));
    const std::vector<std::string> ids = lines_of(read_file(run / "ids.tsv"));
    ASSERT_EQ(ids.size(), pedigree_file.size()) << runs[r];  // a header line each
    ASSERT_EQ(std::stoi(pedigree_file[0]), static_cast<int>(ids.size()) - 1);
    EXPECT_LE(ids.size() - 1, 32767u);
    EXPECT_EQ(ids[0], "iped\tid\tfamily\toriginal\tsource\tini_id\tline");
    for (size_t k = 1; k < ids.size(); ++k) {
      const std::string& record = pedigree_file[k];
      const std::vector<std::string> fields = split_tabs(ids[k]);
      ASSERT_EQ(fields.size(), 7u) << ids[k];
      const int IPED = std::stoi(record.substr(0, 5));
      const int ID = std::stoi(record.substr(5, 5));
      EXPECT_EQ(std::to_string(IPED), fields[0]);
      EXPECT_EQ(std::to_string(ID), fields[1]);
      OutputAnimal& animal = output[{r, IPED, ID}];
      EXPECT_TRUE(animal.source.empty()) << "ID twice in a pedigree: " << ids[k];
      animal = {fields[2], fields[3], fields[4], std::stoi(record.substr(10, 5)),
                std::stoi(record.substr(15, 5))};
      EXPECT_EQ(animal.IPAR1 == 0, animal.IPAR2 == 0) << ids[k];
      if (animal.source != "added") ++appearances[{animal.family, animal.original}];
      if (animal.original.size() <= 12) {
        EXPECT_EQ(record.substr(30, animal.original.size()), animal.original);
      }
    }
  }

  // Every input animal exactly once, with its sire and dam; every parent named once.
  std::map<std::pair<std::string, std::string>, const InputAnimal*> by_id;
  for (const InputAnimal& row : input) by_id[{row.family, row.id}] = &row;
  size_t named_only = 0;
  for (const auto& [key, count] : appearances) {
    EXPECT_EQ(count, 1) << key.first << " " << key.second;
    if (!by_id.contains(key)) ++named_only;
  }
  EXPECT_EQ(appearances.size(), by_id.size() + named_only);
  size_t checked = 0;
  for (const auto& [key, animal] : output) {
    if (animal.source != "row") continue;
    const InputAnimal& row = *by_id.at({animal.family, animal.original});
    const auto& [run, IPED, ID] = key;
    auto parent = [&](int parent_id) -> const OutputAnimal* {
      if (parent_id == 0) return nullptr;
      return &output.at({run, IPED, parent_id});
    };
    const OutputAnimal* sire = parent(animal.IPAR1);
    const OutputAnimal* dam = parent(animal.IPAR2);
    if (row.sire.empty() && row.dam.empty()) {
      EXPECT_EQ(sire, nullptr) << row.id;
      continue;
    }
    ASSERT_NE(sire, nullptr) << row.id;
    ASSERT_NE(dam, nullptr) << row.id;
    EXPECT_EQ(row.sire.empty() ? "added" : sire->original,
              row.sire.empty() ? sire->source : row.sire)
        << row.id;
    EXPECT_EQ(row.dam.empty() ? "added" : dam->original, row.dam.empty() ? dam->source : row.dam)
        << row.id;
    EXPECT_EQ(sire->family, row.family);
    ++checked;
  }
  EXPECT_GT(checked, input.size() / 2);
}

TEST(PedprepRunTest, CsvOfSixtyThousandAnimals) {
  prepare_and_peel(false, 60000, 2);
}

TEST(PedprepRunTest, FamOfFortyThousandAnimals) {
  prepare_and_peel(true, 40000, 2);
}

// The member IDs of every family record in a VOLMA.DAT, with the IPED of each.
std::vector<std::pair<int, std::vector<int>>> family_records(const std::string& volma) {
  std::vector<std::pair<int, std::vector<int>>> records;
  const std::vector<std::string> lines = lines_of(volma);
  for (size_t k = 0; k + 1 < lines.size(); ++k) {
    if (!lines[k].starts_with("NPEDIGREE=")) continue;
    records.emplace_back(std::stoi(lines[k].substr(10, 4)), std::vector<int>());
    // Five columns an ID.
    for (size_t column = 0; column + 5 <= lines[k + 1].size(); column += 5) {
      records.back().second.push_back(std::stoi(lines[k + 1].substr(column, 5)));
    }
  }
  return records;
}

// pedgen's herd-book of `animals` rows, with its herds as families when `herds`, through
// pedprep and pedpeel: every run completes, every animal with a parent or an offspring
// is in a family record (itself or a copy), each copy names a row of its id that is no
// copy, and the copies for loops are fewer than the summed cyclomatic number: the loops
// pedpeel takes itself stay.
void herdbook_runs(int animals, uint32_t seed, bool herds) {
  testing::TempDir dir;
  const std::string where =
      std::to_string(animals) + " animals, seed " + std::to_string(seed) + (herds ? ", herds" : "");
  ASSERT_EQ(run_shell("cd " + dir.path() + " && " + PEDGEN_BINARY + " --herdbook " +
                      std::to_string(animals) + " --seed " + std::to_string(seed) +
                      " --columns pedprep --out book.csv" + (herds ? "" : " --no-herd")),
            0);
  ASSERT_EQ(run_shell("cd " + dir.path() + " && " + PEDPREP_BINARY +
                      " book.csv --out out > prep.out 2> prep.err"),
            0)
      << *dir.read("prep.err");
  const std::string summary = *dir.read("prep.out");
  const size_t loops = summary.find(" for loops (");
  ASSERT_NE(loops, std::string::npos) << summary;
  const size_t number = summary.find("cyclomatic number ", loops);
  const int64_t loop_copies = std::stoll(summary.substr(summary.rfind(": ", loops) + 2));
  EXPECT_GT(loop_copies, 0) << where;
  EXPECT_LT(loop_copies, std::stoll(summary.substr(number + 18))) << where;

  const std::string out = dir.path() + "/out";
  const std::string bin = fs::path(PEDPEEL_BINARY).parent_path().string();
  ASSERT_EQ(run_shell("cd " + out + " && PATH=" + bin +
                      ":$PATH xargs -P 2 -I RUN sh -c "
                      "'cd RUN && pedpeel > pedpeel.log 2>&1; echo $? > status' < runs.txt"),
            0);
  // Every row of every run by run/IPED/ID: its original id and its ids.tsv fields.
  std::map<std::string, std::vector<std::string>> rows;
  std::set<std::string> in_records;
  const std::vector<std::string> runs = lines_of(read_file(out + "/runs.txt"));
  for (const std::string& run : runs) {
    const fs::path path = fs::path(out) / run;
    EXPECT_EQ(read_file(path / "status"), "0\n") << where << " " << run;
    EXPECT_EQ(read_file(path / "def.err"), "") << where << " " << run;
    EXPECT_EQ(read_file(path / "pedpeel.log").find("too many"), std::string::npos) << run;
    const std::vector<std::string> ids = lines_of(read_file(path / "ids.tsv"));
    ASSERT_EQ(ids[0], "iped\tid\tfamily\toriginal\tsource\tini_id\tline\tcopy_of");
    for (size_t k = 1; k < ids.size(); ++k) {
      const std::vector<std::string> fields = split_tabs(ids[k]);
      ASSERT_EQ(fields.size(), 8u) << ids[k];
      rows[run + "/" + fields[0] + "/" + fields[1]] = fields;
    }
    for (const auto& [iped, members] : family_records(read_file(path / "VOLMA.DAT"))) {
      for (int id : members) {
        const auto found = rows.find(run + "/" + std::to_string(iped) + "/" + std::to_string(id));
        if (found != rows.end()) in_records.insert(found->second[3]);
      }
    }
  }
  for (const auto& [place, fields] : rows) {
    if (fields[4] != "copy") {
      EXPECT_EQ(fields[7], "") << place;
      continue;
    }
    const auto original = rows.find(fields[7]);
    ASSERT_NE(original, rows.end()) << place << " copies " << fields[7];
    EXPECT_EQ(original->second[3], fields[3]) << place;
    EXPECT_NE(original->second[4], "copy") << place;
  }
  // The animals of the input with a parent or an offspring.
  std::set<std::string> related;
  const std::vector<std::string> book = lines_of(*dir.read("book.csv"));
  for (size_t k = 1; k < book.size(); ++k) {
    std::vector<std::string> fields;
    std::istringstream cells(book[k]);
    for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
    for (size_t c = 1; c <= 2; ++c) {
      if (fields[c].empty()) continue;
      related.insert(fields[0]);
      related.insert(fields[c]);
    }
  }
  size_t missing = 0;
  for (const std::string& id : related) missing += !in_records.contains(id);
  EXPECT_EQ(missing, 0u) << where << ": of " << related.size();
}

TEST(PedprepRunTest, HerdbooksCutIntoRunsThatAllComplete) {
  herdbook_runs(3000, 1, false);
  herdbook_runs(3000, 2, true);
  herdbook_runs(40000, 3, false);
  herdbook_runs(20000, 4, true);
}

}  // namespace
}  // namespace pedpeel::pedprep
