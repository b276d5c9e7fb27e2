// The heap set-up, in a fresh child process as in main(): tables allocated after it hold
// what is written to them, and where the set-up is done, the first small table and a large
// one lie in memory marked for transparent huge pages.
#include "driver/heap_setup.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace pedpeel {
namespace {

// Exit statuses of the child.
constexpr int kMarked = 0;
constexpr int kNotMarked = 1;
constexpr int kWrongContents = 2;
constexpr int kNotDone = 3;     // prepare_heap did nothing (not glibc on Linux, or ASan)
constexpr int kNoEvidence = 4;  // the kernel does not say which mappings are eligible

// Whether the mapping holding `address` is eligible for huge pages, from /proc/self/smaps:
// 1 or 0, or -1 when the kernel does not say.
int huge_page_eligible(uintptr_t address) {
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  bool inside = false;
  while (std::getline(smaps, line)) {
    uintptr_t low = 0;
    uintptr_t high = 0;
    char dash = 0;
    std::istringstream range(line);
    if (range >> std::hex >> low >> dash >> high && dash == '-') {
      inside = low <= address && address < high;
    } else if (inside && line.starts_with("THPeligible:")) {
      return line.find('1') != std::string::npos ? 1 : 0;
    }
  }
  return -1;
}

int child_run() {
  const bool done = prepare_heap();
  // The first table of a run, small, and one of 24 MB, as the largest runs fill, numbered
  // and summed back.
  std::vector<int32_t> first(16 << 10, 1);
  std::vector<int32_t> table(6 << 20);
  std::iota(table.begin(), table.end(), 0);
  if (std::accumulate(table.begin(), table.end(), int64_t{0}) !=
      int64_t{6 << 20} * ((6 << 20) - 1) / 2) {
    return kWrongContents;
  }
  if (!done) return kNotDone;
  // Both lie in memory marked for huge pages: the first tables too start on a huge page.
  const int first_marked = huge_page_eligible(reinterpret_cast<uintptr_t>(first.data()));
  const int table_marked =
      huge_page_eligible(reinterpret_cast<uintptr_t>(&table[table.size() / 2]));
  if (first_marked < 0 || table_marked < 0) return kNoEvidence;
  return first_marked == 1 && table_marked == 1 ? kMarked : kNotMarked;
}

bool huge_pages_turned_off() {
  std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string text;
  std::getline(setting, text);
  return text.empty() || text.find("[never]") != std::string::npos;
}

TEST(HeapSetup, TablesWorkAndLandInMemoryMarkedForHugePagesFromTheFirst) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(child_run());
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  const int outcome = WEXITSTATUS(status);
  ASSERT_NE(outcome, kWrongContents);
  if (outcome == kNotDone) GTEST_SKIP() << "no heap set-up on this platform or build";
  if (outcome == kNoEvidence || huge_pages_turned_off()) {
    GTEST_SKIP() << "the kernel offers or shows no transparent huge pages";
  }
  EXPECT_EQ(outcome, kMarked);
}

}  // namespace
}  // namespace pedpeel
