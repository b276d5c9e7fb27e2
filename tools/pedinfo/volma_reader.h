// Reads back the family records pedpeel wrote to VOLMA.DAT: per block, its header
// (pedigree, NPOT, IWAY, ITYPE) and its member list. The other lines of a block (INI_ID,
// TRAIT, SEX, RACE, BLOOD) are passed over.
#ifndef PEDPEEL_TOOLS_PEDINFO_VOLMA_READER_H_
#define PEDPEEL_TOOLS_PEDINFO_VOLMA_READER_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pedpeel::pedinfo {

// One family record of VOLMA.DAT.
struct VolmaBlock {
  int32_t line = 0;  // of its header line
  int pedigree = 0;  // pedpeel's pedigree number in the run
  int NPOT = 0;
  int IWAY = 0;
  int ITYPE = 0;
  std::vector<int16_t> members;  // first parent, second parent, children
};

/// Calls `visit` with each block of a VOLMA.DAT held in `bytes`, in file order (the block
/// is reused from one call to the next); `file` names it in the message about a header or
/// member line that does not read, which is returned.
std::optional<std::string> read_volma(std::string_view bytes, const std::string& file,
                                      const std::function<void(const VolmaBlock&)>& visit);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_VOLMA_READER_H_
