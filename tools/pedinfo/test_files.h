// Test support for pedinfo: population files written into a scratch directory.
#ifndef PEDPEEL_TOOLS_PEDINFO_TEST_FILES_H_
#define PEDPEEL_TOOLS_PEDINFO_TEST_FILES_H_

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "testing/temp_run.h"

namespace pedpeel::pedinfo::testing {

/// One record of a pedigree file: IPED, ID, IPAR1, IPAR2, RACE, SEX (I5 each), INI_ID.
inline std::string ped_record(int iped, int id, int ipar1, int ipar2, int race, int sex,
                              std::string_view ini_id) {
  char text[64];
  std::snprintf(text, sizeof text, "%5d%5d%5d%5d%5d%5d", iped, id, ipar1, ipar2, race, sex);
  return text + std::string(ini_id);
}

/// A pedigree file: its count record, then the records.
inline std::string pedigree_file(const std::vector<std::string>& records) {
  char count[16];
  std::snprintf(count, sizeof count, "%5zu\n", records.size());
  std::string text = count;
  for (const std::string& record : records) text += record + "\n";
  return text;
}

/// A BLOOD file of `individuals` records with NRACE 2, each fraction 0.5.
inline std::string blood_file(int individuals) {
  char count[16];
  std::snprintf(count, sizeof count, "%5d%5d\n", individuals, 2);
  std::string text = count;
  for (int i = 0; i < individuals; ++i) text += "      0.5000\n";
  return text;
}

/// Writes input1.dat naming PEDS.DAT and blood.dat, and both files.
inline void write_population(const pedpeel::testing::TempDir& dir, const std::string& pedigrees,
                             const std::string& blood) {
  dir.write("input1.dat", "PEDS.DAT\nblood.dat\n");
  dir.write("PEDS.DAT", pedigrees);
  dir.write("blood.dat", blood);
}

/// The same with a BLOOD file that matches the records.
inline void write_population(const pedpeel::testing::TempDir& dir,
                             const std::vector<std::string>& records) {
  write_population(dir, pedigree_file(records), blood_file(static_cast<int>(records.size())));
}

}  // namespace pedpeel::pedinfo::testing

#endif  // PEDPEEL_TOOLS_PEDINFO_TEST_FILES_H_
