#include "tools/pedgen/herdbook.h"

#include <algorithm>
#include <array>
#include <random>
#include <string_view>
#include <vector>

namespace pedpeel::pedgen {

namespace {

struct Breed {
  std::string_view name;
  double share;  // of the herds
};

constexpr std::array<Breed, 7> kBreeds = {{{"Holstein", 0.60},
                                           {"Jersey", 0.14},
                                           {"Brown Swiss", 0.08},
                                           {"Simmental", 0.07},
                                           {"Red Dane", 0.05},
                                           {"Montbeliarde", 0.04},
                                           {"Ayrshire", 0.02}}};
// The breed index of a calf whose parents are of two breeds.
constexpr int kCrossbred = static_cast<int>(kBreeds.size());
constexpr std::string_view kCrossbredName = "Crossbred";

constexpr int32_t kFirstYear = 2005;  // the first calves; founders are born before
constexpr int64_t kRowsPerHerd = 500;
constexpr int kAiYears = 5;  // an AI bull's semen is used for this many years, from age 2
constexpr int kHerdBullYears = 3;

// How a calf's sire is chosen, by the cow's draw in 0..1: below each bound, that kind.
constexpr double kUnknownSire = 0.02;
constexpr double kOtherBreedBull = 0.05;  // an AI bull of another breed: a crossbred calf
constexpr double kHerdBullShare = 0.20;   // of the cows, where the herd keeps a bull
constexpr double kUnknownDam = 0.005;     // a calf bought in with no dam recorded
constexpr double kCalving = 0.88;         // a cow's chance to calve in a year
constexpr double kCulling = 0.20;         // a cow's chance to leave the herd after a year
constexpr double kFounderNotListed = 0.05;

struct Animal {
  int64_t serial = -1;  // -1: none
  int32_t born = 0;
  int breed = 0;
};

struct Herd {
  int breed = 0;
  int32_t size = 0;  // the cows it keeps
  std::vector<Animal> cows;
  std::vector<Animal> young_males;  // its latest bull calves, a herd bull's candidates
  Animal bull;                      // serial -1: the herd uses AI only
  int32_t bull_until = 0;
};

// Writes the rows to a buffer, handed to the file when it fills; counts them.
class RowWriter {
 public:
  RowWriter(const HerdbookOptions& options, std::FILE* out) : options_(options), out_(out) {}

  bool full() const { return written_ >= options_.animals; }
  bool ok() const { return ok_; }

  void header() {
    if (options_.columns == Columns::kHerdbook) {
      buffer_ += "Animal,Sire,Dam,Sex,Breed,BirthYear";
      if (options_.herd_column) buffer_ += ",Herd";
    } else {
      buffer_ += "id,sire,dam,sex,race,birthyear";
      if (options_.herd_column) buffer_ += ",family";
    }
    buffer_ += '\n';
  }

  /// One row; `herd` -1 for the AI bulls.
  void row(const Animal& animal, int64_t sire, int64_t dam, bool male, int herd) {
    if (full()) return;
    ++written_;
    put_id(animal.serial);
    buffer_ += ',';
    if (sire >= 0) put_id(sire);
    buffer_ += ',';
    if (dam >= 0) put_id(dam);
    buffer_ += male ? ",M," : ",F,";
    if (options_.columns == Columns::kHerdbook) {
      buffer_ += animal.breed == kCrossbred ? kCrossbredName
                                            : kBreeds[static_cast<size_t>(animal.breed)].name;
    } else {
      buffer_ += std::to_string(animal.breed == kCrossbred ? 0 : animal.breed + 1);
    }
    buffer_ += ',';
    buffer_ += std::to_string(animal.born);
    if (options_.herd_column) {
      if (herd < 0) {
        buffer_ += ",AI";
      } else {
        char name[16];
        std::snprintf(name, sizeof name, ",H%04d", herd + 1);
        buffer_ += name;
      }
    }
    buffer_ += '\n';
    if (buffer_.size() > (1 << 20)) flush();
  }

  void flush() {
    if (out_ != nullptr && !buffer_.empty()) {
      ok_ = ok_ && std::fwrite(buffer_.data(), 1, buffer_.size(), out_) == buffer_.size();
      buffer_.clear();
    }
  }

  std::string take() { return std::move(buffer_); }

 private:
  void put_id(int64_t serial) {
    char id[16];
    std::snprintf(id, sizeof id, "DE%010lld", static_cast<long long>(serial % 10'000'000'000));
    buffer_ += id;
  }

  const HerdbookOptions& options_;
  std::FILE* out_;
  std::string buffer_;
  int64_t written_ = 0;
  bool ok_ = true;
};

class HerdbookBuilder {
 public:
  HerdbookBuilder(const HerdbookOptions& options, RowWriter& writer)
      : random_(options.seed), writer_(writer) {
    const int64_t herds = std::max<int64_t>(1, (options.animals + kRowsPerHerd / 2) / kRowsPerHerd);
    herds_.resize(static_cast<size_t>(herds));
    std::array<int64_t, kBreeds.size()> herds_of_breed{};
    for (size_t h = 0; h < herds_.size(); ++h) {
      Herd& herd = herds_[h];
      herd.breed = h == 0 ? 0 : breed_of_herd();
      herd.size = 20 + pick(61);
      ++herds_of_breed[static_cast<size_t>(herd.breed)];
    }
    for (size_t b = 0; b < kBreeds.size(); ++b) {
      ai_per_year_[b] = herds_of_breed[b] == 0 ? 0 : 1 + herds_of_breed[b] / 40;
    }
  }

  void build() {
    writer_.header();
    found();
    for (int32_t year = kFirstYear; !writer_.full(); ++year) {
      for (size_t b = 0; b < kBreeds.size() && !writer_.full(); ++b) breed_ai_bulls(b, year);
      for (size_t h = 0; h < herds_.size() && !writer_.full(); ++h) calve(h, year);
    }
  }

 private:
  bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
  int32_t pick(int64_t n) {
    return static_cast<int32_t>(std::uniform_int_distribution<int64_t>(0, n - 1)(random_));
  }

  int breed_of_herd() {
    double draw = std::uniform_real_distribution<double>(0, 1)(random_);
    for (size_t b = 0; b < kBreeds.size(); ++b) {
      if (draw < kBreeds[b].share) return static_cast<int>(b);
      draw -= kBreeds[b].share;
    }
    return 0;
  }

  Animal new_animal(int32_t born, int breed) { return {next_serial_++, born, breed}; }

  // The first cows of each herd and the first AI bulls, of unknown parents; a few of them
  // are named only as parents.
  void found() {
    for (size_t b = 0; b < kBreeds.size(); ++b) {
      for (int64_t k = 0; k < ai_per_year_[b] * kAiYears; ++k) {
        const Animal bull =
            new_animal(kFirstYear - 2 - static_cast<int32_t>(k % kAiYears), static_cast<int>(b));
        ai_bulls_[b].push_back(bull);
        if (!chance(kFounderNotListed)) writer_.row(bull, -1, -1, true, -1);
      }
      std::stable_sort(ai_bulls_[b].begin(), ai_bulls_[b].end(),
                       [](const Animal& x, const Animal& y) { return x.born < y.born; });
    }
    for (size_t h = 0; h < herds_.size(); ++h) {
      Herd& herd = herds_[h];
      for (int32_t k = 0; k < herd.size; ++k) {
        const Animal cow = new_animal(kFirstYear - 2 - pick(7), herd.breed);
        herd.cows.push_back(cow);
        if (!chance(kFounderNotListed)) writer_.row(cow, -1, -1, false, static_cast<int>(h));
      }
    }
  }

  // An AI bull of `breed` whose semen is used in `year`; serial -1 when there is none.
  Animal ai_bull(size_t breed, int32_t year) {
    const std::vector<Animal>& bulls = ai_bulls_[breed];
    // The bulls are in birth order: those in use are the ones born in the last years.
    auto first = std::lower_bound(bulls.begin(), bulls.end(), year - 1 - kAiYears,
                                  [](const Animal& a, int32_t born) { return a.born < born; });
    auto end = std::lower_bound(first, bulls.end(), year - 1,
                                [](const Animal& a, int32_t born) { return a.born < born; });
    if (first == end) return {};
    return first[pick(end - first)];
  }

  // The young AI bulls of a breed born in `year`: sons of an AI bull and a cow of one of the
  // breed's herds.
  void breed_ai_bulls(size_t breed, int32_t year) {
    for (int64_t k = 0; k < ai_per_year_[breed] && !writer_.full(); ++k) {
      const Animal sire = ai_bull(breed, year);
      Animal dam;
      for (int tries = 0; tries < 8 && dam.serial < 0; ++tries) {
        const Herd& herd = herds_[static_cast<size_t>(pick(static_cast<int64_t>(herds_.size())))];
        if (herd.breed != static_cast<int>(breed) || herd.cows.empty()) continue;
        const Animal& cow =
            herd.cows[static_cast<size_t>(pick(static_cast<int64_t>(herd.cows.size())))];
        if (cow.born <= year - 2) dam = cow;
      }
      const Animal bull = new_animal(year, static_cast<int>(breed));
      ai_bulls_[breed].push_back(bull);
      writer_.row(bull, sire.serial, dam.serial, true, -1);
    }
  }

  // Every few years a herd takes a new bull: one of its own bull calves, one bought from
  // another herd, or none (AI only).
  void choose_herd_bull(size_t h, int32_t year) {
    Herd& herd = herds_[h];
    herd.bull_until = year + kHerdBullYears;
    herd.bull = {};
    if (chance(0.3)) return;
    const Herd& from =
        chance(0.6) ? herd : herds_[static_cast<size_t>(pick(static_cast<int64_t>(herds_.size())))];
    if (from.young_males.empty()) return;
    herd.bull =
        from.young_males[static_cast<size_t>(pick(static_cast<int64_t>(from.young_males.size())))];
  }

  // A year of herd h: its cows of two years or more calve, heifers join, cows are culled.
  void calve(size_t h, int32_t year) {
    if (year >= herds_[h].bull_until) choose_herd_bull(h, year);
    Herd& herd = herds_[h];
    const size_t cows = herd.cows.size();
    std::vector<Animal> heifers;
    for (size_t c = 0; c < cows && !writer_.full(); ++c) {
      const Animal dam = herd.cows[c];
      if (dam.born > year - 2 || !chance(kCalving)) continue;
      Animal sire;
      const double draw = std::uniform_real_distribution<double>(0, 1)(random_);
      const int dam_line = dam.breed == kCrossbred ? herd.breed : dam.breed;
      if (draw < kUnknownSire) {
        // unknown
      } else if (draw < kOtherBreedBull) {
        const size_t other = static_cast<size_t>(pick(static_cast<int64_t>(kBreeds.size())));
        if (static_cast<int>(other) != dam_line) sire = ai_bull(other, year);
      } else if (draw < kOtherBreedBull + kHerdBullShare && herd.bull.serial >= 0 &&
                 herd.bull.born <= year - 2) {
        sire = herd.bull;
      }
      if (draw >= kUnknownSire && sire.serial < 0)
        sire = ai_bull(static_cast<size_t>(dam_line), year);
      int breed = dam.breed;
      if (sire.serial >= 0 && sire.breed != dam.breed) breed = kCrossbred;
      const Animal calf = new_animal(year, breed);
      const bool male = chance(0.5);
      writer_.row(calf, sire.serial, chance(kUnknownDam) ? -1 : dam.serial, male,
                  static_cast<int>(h));
      if (!male) {
        heifers.push_back(calf);
      } else {
        if (herd.young_males.size() >= 8) herd.young_males.erase(herd.young_males.begin());
        herd.young_males.push_back(calf);
      }
    }
    // Culling, then the heifers join; a herd keeps its size, dropping cows at random.
    std::erase_if(herd.cows,
                  [&](const Animal& cow) { return cow.born <= year - 3 && chance(kCulling); });
    herd.cows.insert(herd.cows.end(), heifers.begin(), heifers.end());
    while (static_cast<int32_t>(herd.cows.size()) > herd.size) {
      const size_t c = static_cast<size_t>(pick(static_cast<int64_t>(herd.cows.size())));
      herd.cows[c] = herd.cows.back();
      herd.cows.pop_back();
    }
  }

  std::mt19937_64 random_;
  RowWriter& writer_;
  std::vector<Herd> herds_;
  std::array<int64_t, kBreeds.size()> ai_per_year_{};
  std::array<std::vector<Animal>, kBreeds.size()> ai_bulls_;  // each in birth order
  int64_t next_serial_ = 1;
};

}  // namespace

bool write_herdbook(const HerdbookOptions& options, std::FILE* out) {
  RowWriter writer(options, out);
  HerdbookBuilder(options, writer).build();
  writer.flush();
  return writer.ok();
}

std::string herdbook_text(const HerdbookOptions& options) {
  RowWriter writer(options, nullptr);
  HerdbookBuilder(options, writer).build();
  return writer.take();
}

}  // namespace pedpeel::pedgen
