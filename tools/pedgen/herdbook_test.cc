// The herd-book: its size and header, and that it reads as a herd-book should: parents
// listed before their offspring, sires male and dams female, born at least two years
// before their calves, AI bulls used across herds, and the same file from the same seed.
#include "tools/pedgen/herdbook.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace pedpeel::pedgen {
namespace {

std::vector<std::vector<std::string>> rows_of(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) fields.push_back(cell);
    if (line.ends_with(',')) fields.emplace_back();
    rows.push_back(fields);
  }
  return rows;
}

TEST(HerdbookTest, HeaderAndSize) {
  const struct {
    HerdbookOptions options;
    std::string header;
  } cases[] = {
      {{1, 1, Columns::kHerdbook, true}, "Animal,Sire,Dam,Sex,Breed,BirthYear,Herd"},
      {{777, 2, Columns::kHerdbook, false}, "Animal,Sire,Dam,Sex,Breed,BirthYear"},
      {{3000, 3, Columns::kPedprep, true}, "id,sire,dam,sex,race,birthyear,family"},
      {{50, 4, Columns::kPedprep, false}, "id,sire,dam,sex,race,birthyear"},
  };
  for (const auto& c : cases) {
    const auto rows = rows_of(herdbook_text(c.options));
    ASSERT_FALSE(rows.empty());
    std::string header;
    for (const std::string& field : rows[0]) header += (header.empty() ? "" : ",") + field;
    EXPECT_EQ(header, c.header);
    EXPECT_EQ(static_cast<int64_t>(rows.size()) - 1, c.options.animals) << c.header;
    for (const auto& row : rows) EXPECT_EQ(row.size(), rows[0].size()) << row[0];
  }
}

TEST(HerdbookTest, ReadsAsAHerdBook) {
  const HerdbookOptions options{20000, 7, Columns::kHerdbook, true};
  const std::string text = herdbook_text(options);
  EXPECT_EQ(text, herdbook_text(options));
  const auto rows = rows_of(text);
  struct Seen {
    std::string sex;
    int born;
    std::string herd;
  };
  std::map<std::string, Seen> seen;
  std::map<std::string, std::set<std::string>> herds_of_sire;
  std::set<std::string> breeds, herds;
  int unknown_sires = 0;
  for (size_t r = 1; r < rows.size(); ++r) {
    const auto& row = rows[r];
    const int born = std::stoi(row[5]);
    ASSERT_TRUE(seen.insert({row[0], {row[3], born, row[6]}}).second) << row[0] << " twice";
    breeds.insert(row[4]);
    herds.insert(row[6]);
    if (row[1].empty()) ++unknown_sires;
    for (int role = 1; role <= 2; ++role) {
      const std::string& parent = row[static_cast<size_t>(role)];
      if (parent.empty()) continue;
      const auto found = seen.find(parent);
      if (found == seen.end()) continue;  // a founder named only as a parent
      EXPECT_EQ(found->second.sex, role == 1 ? "M" : "F") << row[0];
      EXPECT_LE(found->second.born, born - 2) << row[0] << "'s parent " << parent;
    }
    if (!row[1].empty()) herds_of_sire[row[1]].insert(row[6]);
  }
  EXPECT_GT(unknown_sires, 0);
  EXPECT_TRUE(breeds.contains("Holstein") && breeds.contains("Crossbred"));
  EXPECT_TRUE(herds.contains("AI"));
  EXPECT_GE(herds.size(), 30u);
  size_t widely_used = 0;
  for (const auto& [sire, used_in] : herds_of_sire) widely_used += used_in.size() >= 10;
  EXPECT_GE(widely_used, 10u);
}

}  // namespace
}  // namespace pedpeel::pedgen
