// pedinfo draw: a pedigree, or the part of it that matters, as a Graphviz DOT graph.
// Individuals are boxes (SEX 1), ellipses (SEX 2) or diamonds (any other code); every
// nuclear family is a small mating node between its parents and its children, labelled
// with the order in which pedpeel takes it and its record kind ITYPE. The families of a
// loop pedpeel cannot take apart are red, and one shortest loop through them is drawn with
// bold red edges. At most a limit of individuals is drawn; the graph's label says what the
// limit left out.
#ifndef PEDPEEL_TOOLS_PEDINFO_DRAW_H_
#define PEDPEEL_TOOLS_PEDINFO_DRAW_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pedinfo/draw_selection.h"
#include "tools/pedinfo/input_reader.h"
#include "tools/pedinfo/original_ids.h"

namespace pedpeel::pedinfo {

// What to draw of one pedigree, and with which labels.
struct DrawRequest {
  enum class Part {
    kWhole,   // every individual and family
    kAround,  // the neighbourhood of `centres`
    kLoop,    // the families neither pass takes, and the shortest loop through them
  };
  int pedigree = 1;
  Part part = Part::kWhole;
  std::vector<int16_t> centres;  // kAround: the IDs of the animal (its rows and copies)
  std::string centre_text;       // kAround: the animal as the label names it
  std::string note;              // a line of the label about what lies elsewhere
  int generations = kDefaultGenerations;
  int limit = kDefaultDrawLimit;
  // Original ids shown beside INI_ID, and copies drawn dashed; nullptr for none. Must
  // belong to the run of the input.
  const OriginalIds* ids = nullptr;
};

/// Text for a DOT string: `"`, `\` and `&` escaped, bytes outside printable ASCII as the
/// characters \xNN.
std::string dot_text(std::string_view bytes);

/// Writes what `request` asks of an analysable population (pedigree 1..NPED).
void write_draw(const InputFiles& input, const DrawRequest& request, std::ostream& out);

/// Writes pedigree `pedigree` (1..NPED) of an analysable population whole.
void write_draw(const InputFiles& input, int pedigree, std::ostream& out);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_DRAW_H_
