// pedinfo draw: one pedigree as a Graphviz DOT graph. Individuals are boxes (SEX 1),
// ellipses (SEX 2) or diamonds (any other code); every nuclear family is a small mating
// node between its parents and its children, labelled with the order in which pedpeel
// takes it and its record kind ITYPE. The families of a loop pedpeel cannot take apart are
// red, and one shortest loop through them is drawn with bold red edges.
#ifndef PEDPEEL_TOOLS_PEDINFO_DRAW_H_
#define PEDPEEL_TOOLS_PEDINFO_DRAW_H_

#include <ostream>
#include <string>
#include <string_view>

#include "tools/pedinfo/input_files.h"

namespace pedpeel::pedinfo {

/// Text for a DOT string: `"`, `\` and `&` escaped, bytes outside printable ASCII as the
/// characters \xNN.
std::string dot_text(std::string_view bytes);

/// Writes pedigree `pedigree` (1..NPED) of an analysable population.
void write_draw(const InputFiles& input, int pedigree, std::ostream& out);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_DRAW_H_
