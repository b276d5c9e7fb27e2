// The runs of a directory pedprep wrote: its runs.txt names the run directories, one a
// line, each holding input1.dat, the two data files and an ids.tsv (with VOLMA.DAT and the
// other outputs once pedpeel has run there).
#ifndef PEDPEEL_TOOLS_PEDINFO_RUN_LIST_H_
#define PEDPEEL_TOOLS_PEDINFO_RUN_LIST_H_

#include <optional>
#include <string>
#include <vector>

namespace pedpeel::pedinfo {

// The file of a runs directory that lists its run directories, one a line.
inline constexpr char kRunsFile[] = "runs.txt";

/// `name` inside `directory` ("." adds nothing; an absolute `name` stands alone).
std::string path_in(const std::string& directory, const std::string& name);

/// Whether `directory` is a runs directory: it holds a runs.txt and no input1.dat (a
/// directory with both is taken as a run).
bool is_runs_directory(const std::string& directory);

/// The run directories that runs.txt of `directory` lists, as written there (relative to
/// `directory`), blank lines skipped. Returns what is wrong, naming the file, or nullopt.
std::optional<std::string> read_run_list(const std::string& directory,
                                         std::vector<std::string>* runs);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_RUN_LIST_H_
