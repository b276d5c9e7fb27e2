// pedgen's herd-book: a dairy breed as a breed association exports it, for trying pedprep
// on data like the real thing. Herds of cows are bred mostly to AI bulls that every herd of
// the breed uses, some to a herd bull (raised at home or bought from another herd), a few
// to a bull of another breed (their calves are crossbred). AI bulls are sons of AI bulls
// and of cows from the herds. Cows calve year after year and are culled, heifers replace
// them, so generations overlap. A few calves have an unknown sire or dam, and a few
// founders are named only as parents. The whole breed is then one connected pedigree full
// of loops: half-sib, cousin and uncle-niece matings.
//
// The rows come in birth order, parents before offspring, one animal a row:
//   Animal,Sire,Dam,Sex,Breed,BirthYear,Herd
// with 12-character ids, M or F, a breed name (Holstein, Jersey, ... or Crossbred) and the
// herd of birth (H0001, ...; AI for the AI bulls). An unknown parent is empty.
#ifndef PEDPEEL_TOOLS_PEDGEN_HERDBOOK_H_
#define PEDPEEL_TOOLS_PEDGEN_HERDBOOK_H_

#include <cstdint>
#include <cstdio>
#include <string>

namespace pedpeel::pedgen {

// The header and the race column the rows are written with.
enum class Columns {
  kHerdbook,  // Animal,Sire,Dam,Sex,Breed,BirthYear,Herd: breed names
  kPedprep,   // id,sire,dam,sex,race,birthyear,family: race codes (breed number, 0 crossbred)
};

struct HerdbookOptions {
  int64_t animals = 20000;  // rows written
  uint32_t seed = 1;
  Columns columns = Columns::kHerdbook;
  bool herd_column = true;  // false: the last column is left out
};

/// The largest herd-book pedgen writes, in rows.
inline constexpr int64_t kMaxHerdbookAnimals = 1'000'000'000;

/// Writes the herd-book to `out`. False when a write fails.
bool write_herdbook(const HerdbookOptions& options, std::FILE* out);

/// The herd-book as text (for tests and small files).
std::string herdbook_text(const HerdbookOptions& options);

}  // namespace pedpeel::pedgen

#endif  // PEDPEEL_TOOLS_PEDGEN_HERDBOOK_H_
