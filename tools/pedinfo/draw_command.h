// pedinfo draw from the command line: which run, pedigree and animals the options name,
// then the drawing (tools/pedinfo/draw.h).
#ifndef PEDPEEL_TOOLS_PEDINFO_DRAW_COMMAND_H_
#define PEDPEEL_TOOLS_PEDINFO_DRAW_COMMAND_H_

#include <optional>
#include <ostream>
#include <string>

namespace pedpeel::pedinfo {

// The options of pedinfo draw as given.
struct DrawArguments {
  std::string directory;                   // a run, or a runs directory with --around
  std::optional<std::string> pedigree;     // --pedigree P
  std::optional<std::string> around;       // --around ID
  std::optional<std::string> generations;  // --generations N
  std::optional<std::string> limit;        // --limit N
  std::optional<std::string> ids;          // --ids FILE
  bool loop = false;                       // --loop
};

/// Runs pedinfo draw. Returns the exit status; a usage error goes to `err` as one line.
int run_draw(const DrawArguments& arguments, std::ostream& out, std::ostream& err);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_DRAW_COMMAND_H_
