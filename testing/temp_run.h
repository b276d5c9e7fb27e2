// Test support: a scratch directory with input files, and pedpeel run in it in-process or
// as a separate process, with everything it left behind.
#ifndef PEDPEEL_TESTING_TEMP_RUN_H_
#define PEDPEEL_TESTING_TEMP_RUN_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pedpeel::testing {

// A directory under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  void write(const std::string& name, const std::string& bytes) const;
  /// The file's bytes, or nullopt when it does not exist.
  std::optional<std::string> read(const std::string& name) const;
  /// Names of the entries of the directory, sorted.
  std::vector<std::string> entries() const;

 private:
  std::string path_;
};

// What a run left: its status, standard output and error, and every file of the directory.
struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
  std::map<std::string, std::string> files;
};

/// Runs pedpeel in-process in `dir` with the given arguments and standard input.
RunResult run_in_process(const TempDir& dir, const std::vector<std::string>& arguments = {},
                         const std::string& input = "", bool reference_engine = false);

/// The pedpeel executable built with the tests.
std::string pedpeel_binary();

/// Runs the pedpeel executable as a child process in `dir`.
RunResult run_program(const TempDir& dir, const std::vector<std::string>& arguments = {},
                      const std::string& input = "");

// How run_program_with starts the child: only standard input, output and error are open
// in it, then these limits apply.
struct ChildSetup {
  std::optional<unsigned long> open_file_limit;  // RLIMIT_NOFILE of the child
  std::optional<unsigned long> file_size_limit;  // RLIMIT_FSIZE in bytes; SIGXFSZ ignored
  bool close_input = false;                      // standard input closed, not a file
  bool unprivileged = false;  // run as user and group 65534 when started as root, so that
                              // file permissions apply
};

/// run_program, with the child started as `setup` says.
RunResult run_program_with(const TempDir& dir, const std::vector<std::string>& arguments,
                           const std::string& input, const ChildSetup& setup);

/// The position and text around the first difference of two byte strings, for messages.
std::string first_difference(const std::string& expected, const std::string& actual);

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_TEMP_RUN_H_
