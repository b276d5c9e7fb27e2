// ids.tsv: the file pedprep writes into each run directory to map the rows of the pedigree
// file back to its input, and pedinfo reads to show those ids. Tab-separated, a header
// line naming the columns, then one line per row of the pedigree file, in row order.
// Readers find the columns by name.
#ifndef PEDPEEL_TOOLS_PEDINFO_IDS_TSV_H_
#define PEDPEEL_TOOLS_PEDINFO_IDS_TSV_H_

#include <string_view>

namespace pedpeel::ids_tsv {

inline constexpr char kFileName[] = "ids.tsv";

// The columns, in the order written.
inline constexpr std::string_view kIped = "iped";          // IPED, as in the pedigree file
inline constexpr std::string_view kId = "id";              // ID, as in the pedigree file
inline constexpr std::string_view kFamily = "family";      // the input's family, or empty
inline constexpr std::string_view kOriginal = "original";  // the input's id of the animal
inline constexpr std::string_view kSource = "source";      // one of the sources below
inline constexpr std::string_view kIniId = "ini_id";       // INI_ID without trailing blanks
inline constexpr std::string_view kLine = "line";          // the input line it comes from
// Only in a file with copies: for a copy, the row it copies as RUN/IPED/ID (its run
// directory, IPED and ID there); empty for every other row.
inline constexpr std::string_view kCopyOf = "copy_of";

// The header lines, without and with copies.
inline constexpr std::string_view kHeader = "iped\tid\tfamily\toriginal\tsource\tini_id\tline\n";
inline constexpr std::string_view kHeaderWithCopies =
    "iped\tid\tfamily\toriginal\tsource\tini_id\tline\tcopy_of\n";

// Where a row comes from.
inline constexpr std::string_view kSourceRow = "row";        // a row of the input
inline constexpr std::string_view kSourceParent = "parent";  // named only as a parent
inline constexpr std::string_view kSourceAdded = "added";    // the unknown parent of a row
inline constexpr std::string_view kSourceCopy = "copy";      // a copy of another row

}  // namespace pedpeel::ids_tsv

#endif  // PEDPEEL_TOOLS_PEDINFO_IDS_TSV_H_
