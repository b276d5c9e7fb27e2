// The output directory, never half-written: everything goes into a staging directory
// beside DIR (in DIR's parent, so that a rename moves it), which replaces DIR only when
// complete. A staging directory not committed is removed with what it holds.
#ifndef PEDPEEL_TOOLS_PEDPREP_OUTPUT_DIR_H_
#define PEDPEEL_TOOLS_PEDPREP_OUTPUT_DIR_H_

#include <optional>
#include <string>
#include <string_view>

namespace pedpeel::pedprep {

/// Why DIR may not be written: it exists and is not a directory; it is a directory that
/// is not empty and `force` is not given; or `force` would replace a directory that holds
/// the input. nullopt when it may.
std::optional<std::string> refuse_output_dir(const std::string& dir, bool force,
                                             const std::string& input);

class StagingDir {
 public:
  /// Creates the staging directory beside `dir` (readable as a new directory would be).
  /// Check ok() before use.
  explicit StagingDir(std::string dir);
  ~StagingDir();
  StagingDir(const StagingDir&) = delete;
  StagingDir& operator=(const StagingDir&) = delete;

  bool ok() const { return error_.empty(); }
  /// What went wrong, naming the path.
  const std::string& error() const { return error_; }
  /// The staging directory, where the files go.
  const std::string& path() const { return path_; }

  /// Makes the staging directory DIR: renamed into place when DIR is missing or empty,
  /// else exchanged with DIR, whose old contents are then removed. False on failure
  /// (error() says why; DIR is then as it was).
  bool commit();

 private:
  std::string dir_;
  std::string path_;
  std::string error_;
  bool committed_ = false;
};

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_OUTPUT_DIR_H_
