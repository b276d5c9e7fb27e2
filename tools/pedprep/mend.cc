#include "tools/pedprep/mend.h"

#include <algorithm>
#include <cstring>

#include "tools/pedprep/field_values.h"
#include "tools/pedprep/parent_walk.h"

namespace pedpeel::pedprep {

namespace {

constexpr int kSireRole = 0;
constexpr int kDamRole = 1;
constexpr const char* kRoleName[] = {"sire", "dam"};

int32_t& link(Animals& animals, int32_t child, int role) {
  Animal& animal = animals.list[static_cast<size_t>(child)];
  return role == kSireRole ? animal.sire : animal.dam;
}

int32_t parent_of(const Animals& animals, int32_t child, int role) {
  const Animal& animal = animals.list[static_cast<size_t>(child)];
  return role == kSireRole ? animal.sire : animal.dam;
}

std::string role_text(const Animals& animals, int role, int32_t parent) {
  return std::string(kRoleName[role]) + " " + animal_name(animals, parent);
}

BirthDate born_of(const Animals& animals, const InputTable& table, int32_t animal) {
  const int32_t row = animals.row_of(animal);
  if (table.born.empty() || row < 0) return 0;
  return table.born[static_cast<size_t>(row)];
}

// Drops the link of `child` in `role` and records it.
void drop_link(Animals& animals, int32_t child, int role, Warning kind, std::string why,
               Report& report, Repairs& repairs) {
  int32_t& parent = link(animals, child, role);
  const Animal& animal = animals.list[static_cast<size_t>(child)];
  repairs.add(report, kind,
              {animal.line, std::string(animals.original(animal)), role_text(animals, role, parent),
               std::move(why)});
  parent = -1;
}

// "born 2016, after its offspring (born 2015)".
std::string birth_order_text(BirthDate parent, BirthDate child) {
  return "born " + birth_date_text(parent) + ", after its offspring (born " +
         birth_date_text(child) + ")";
}

// The link a cycle loses: one that makes a parent younger than its offspring, else the
// link of the row that comes last in the file.
size_t link_to_drop(const Animals& animals, const InputTable& table,
                    const std::vector<CycleLink>& cycle) {
  for (size_t k = 0; k < cycle.size(); ++k) {
    const int32_t parent = parent_of(animals, cycle[k].child, cycle[k].role);
    if (born_after(born_of(animals, table, parent), born_of(animals, table, cycle[k].child)))
      return k;
  }
  size_t last = 0;
  for (size_t k = 1; k < cycle.size(); ++k) {
    if (animals.list[static_cast<size_t>(cycle[k].child)].line >
        animals.list[static_cast<size_t>(cycle[last].child)].line) {
      last = k;
    }
  }
  return last;
}

std::string cycle_text(const Animals& animals, const std::vector<CycleLink>& cycle) {
  std::string chain;
  for (const CycleLink& step : cycle) {
    if (!chain.empty()) chain += ", ";
    const int32_t parent = parent_of(animals, step.child, step.role);
    chain += animal_name(animals, step.child) + " has " + kRoleName[step.role] + " " +
             animal_name(animals, parent);
  }
  return chain;
}

// Drops the link of `cycle` that link_to_drop chooses, as a repair; returns its index.
size_t drop_cycle_link(Animals& animals, const InputTable& table,
                       const std::vector<CycleLink>& cycle, Report& report, Repairs& repairs) {
  const size_t drop = link_to_drop(animals, table, cycle);
  const CycleLink dropped = cycle[drop];
  const int32_t dropped_parent = link(animals, dropped.child, dropped.role);
  std::string why = "own-ancestor cycle: " + cycle_text(animals, cycle);
  const BirthDate parent_born = born_of(animals, table, dropped_parent);
  const BirthDate child_born = born_of(animals, table, dropped.child);
  why += born_after(parent_born, child_born)
             ? "; the " + std::string(kRoleName[dropped.role]) + " is " +
                   birth_order_text(parent_born, child_born)
             : "; its row comes last in the file";
  drop_link(animals, dropped.child, dropped.role, Warning::kMendCycle, why, report, repairs);
  return drop;
}

}  // namespace

void Repairs::add(Report& report, Warning kind, Repair repair) {
  report.warning(repair.line, kind,
                 "dropped " + repair.dropped + " of " + quoted(repair.id) + ": " + repair.why);
  list.push_back(std::move(repair));
}

std::string mended_tsv(const Repairs& repairs) {
  std::vector<const Repair*> order;
  for (const Repair& repair : repairs.list) order.push_back(&repair);
  std::stable_sort(order.begin(), order.end(),
                   [](const Repair* a, const Repair* b) { return a->line < b->line; });
  std::string tsv = kMendedHeader;
  for (const Repair* repair : order) {
    tsv += std::to_string(repair->line) + "\t" + repair->id + "\t" + repair->dropped + "\t" +
           repair->why + "\n";
  }
  return tsv;
}

bool rows_agree(const InputTable& table, int32_t row, int32_t other) {
  const InputRow& a = table.rows[static_cast<size_t>(row)];
  const InputRow& b = table.rows[static_cast<size_t>(other)];
  if (table.text_of(a.sire) != table.text_of(b.sire) ||
      table.text_of(a.dam) != table.text_of(b.dam) ||
      table.text_of(a.family) != table.text_of(b.family) || a.sex != b.sex || a.race != b.race) {
    return false;
  }
  if (!table.born.empty() &&
      table.born[static_cast<size_t>(row)] != table.born[static_cast<size_t>(other)]) {
    return false;
  }
  const size_t width = static_cast<size_t>(table.fraction_count);
  return width == 0 || std::memcmp(table.fractions.data() + static_cast<size_t>(row) * width,
                                   table.fractions.data() + static_cast<size_t>(other) * width,
                                   width * sizeof(float)) == 0;
}

void mend_roles(Animals& animals, int32_t row_animals, Report& report, Repairs* repairs) {
  if (repairs == nullptr) return;
  const size_t n = static_cast<size_t>(animals.count());
  // uses[role][p]: the rows naming animal p in that role; first[role][p]: the first line.
  std::vector<int32_t> uses[2] = {std::vector<int32_t>(n, 0), std::vector<int32_t>(n, 0)};
  std::vector<int64_t> first[2] = {std::vector<int64_t>(n, 0), std::vector<int64_t>(n, 0)};
  bool any = false;
  for (int32_t a = 0; a < row_animals; ++a) {
    for (int role : {kSireRole, kDamRole}) {
      const int32_t parent = link(animals, a, role);
      if (parent < 0) continue;
      const size_t p = static_cast<size_t>(parent);
      if (uses[role][p]++ == 0) first[role][p] = animals.list[static_cast<size_t>(a)].line;
      any = any || uses[1 - role][p] > 0;
    }
  }
  if (!any) return;
  for (int32_t a = 0; a < row_animals; ++a) {
    for (int role : {kSireRole, kDamRole}) {
      const int32_t parent = link(animals, a, role);
      if (parent < 0) continue;
      const size_t p = static_cast<size_t>(parent);
      const int other = 1 - role;
      if (uses[other][p] == 0) continue;
      const int8_t sex = animals.list[p].sex;
      const bool keep_other =
          uses[other][p] > uses[role][p] ||
          (uses[other][p] == uses[role][p] &&
           (sex == other + 1 ||
            (sex == 0 && (first[other][p] < first[role][p] ||
                          (first[other][p] == first[role][p] && other == kSireRole)))));
      if (!keep_other) continue;
      drop_link(animals, a, role, Warning::kMendRoles,
                animal_name(animals, parent) + " is " + kRoleName[other] + " of " +
                    std::to_string(uses[other][p]) + " and " + kRoleName[role] + " of " +
                    std::to_string(uses[role][p]) + " and keeps the role of " + kRoleName[other],
                report, *repairs);
    }
  }
}

void mend_cycles(Animals& animals, const InputTable& table, Report& report, Repairs* repairs) {
  if (repairs == nullptr) return;
  // After a drop, the walk goes on from the dropped link's child.
  walk_parents_first(
      animals.count(), [&](int32_t a, int role) { return parent_of(animals, a, role); },
      [&](int32_t a) { __builtin_prefetch(&animals.list[static_cast<size_t>(a)]); }, [](int32_t) {},
      [&](const std::vector<CycleLink>& cycle) {
        return drop_cycle_link(animals, table, cycle, report, *repairs);
      });
}

void check_birth_order(Animals& animals, int32_t row_animals, const InputTable& table,
                       Report& report, Repairs* repairs) {
  if (table.born.empty()) return;
  // The birth dates by animal, so that a parent's is one look into a table small enough
  // to stay near the cache. When no row was left out as a duplicate, row animal a is row
  // a and the table's dates serve; the animals after the row animals have none (0).
  std::vector<BirthDate> gathered;
  if (static_cast<size_t>(row_animals) != table.born.size()) {
    gathered.resize(static_cast<size_t>(row_animals));
    for (int32_t a = 0; a < row_animals; ++a)
      gathered[static_cast<size_t>(a)] = born_of(animals, table, a);
  }
  const BirthDate* const of_row_animal = gathered.empty() ? table.born.data() : gathered.data();
  const auto born = [&](int32_t a) { return a < row_animals ? of_row_animal[a] : BirthDate{0}; };
  constexpr int32_t kAhead = 16;
  for (int32_t a = 0; a < row_animals; ++a) {
    if (a + kAhead < row_animals) {
      const Animal& ahead = animals.list[static_cast<size_t>(a + kAhead)];
      if (ahead.sire >= 0 && ahead.sire < row_animals)
        __builtin_prefetch(&of_row_animal[ahead.sire]);
      if (ahead.dam >= 0 && ahead.dam < row_animals) __builtin_prefetch(&of_row_animal[ahead.dam]);
    }
    const BirthDate child = of_row_animal[a];
    if (child == 0) continue;
    // A parent born on or before the offspring's date, or unknown (0), is never born after
    // it, by the day or by the year: most parents are settled by this one comparison.
    const Animal& animal = animals.list[static_cast<size_t>(a)];
    if ((animal.sire < 0 || born(animal.sire) <= child) &&
        (animal.dam < 0 || born(animal.dam) <= child)) {
      continue;
    }
    for (int role : {kSireRole, kDamRole}) {
      const int32_t parent = link(animals, a, role);
      if (parent < 0 || !born_after(born(parent), child)) continue;
      const BirthDate parent_born = born(parent);
      const std::string why =
          "the " + std::string(kRoleName[role]) + " is " + birth_order_text(parent_born, child);
      if (repairs != nullptr) {
        drop_link(animals, a, role, Warning::kMendBirthOrder, why, report, *repairs);
      } else {
        report.mendable_error(animal.line, role_text(animals, role, parent) + " of " +
                                               quoted(animals.original(animal)) + " is " +
                                               birth_order_text(parent_born, child));
      }
    }
  }
}

}  // namespace pedpeel::pedprep
