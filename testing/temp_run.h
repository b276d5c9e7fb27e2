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
  /// The bytes of every regular file of the directory, by name.
  std::map<std::string, std::string> files() const;

 private:
  std::string path_;
};

// What a run left: its status, standard output and error, and every file of the directory.
struct RunResult {
  int status = -1;  // -1: the run did not start (err says why)
  std::string out;
  std::string err;
  std::map<std::string, std::string> files;
};

/// Runs pedpeel in-process in `dir` with the given arguments and standard input.
RunResult run_in_process(const TempDir& dir, const std::vector<std::string>& arguments = {},
                         const std::string& input = "", bool oracle_engine = false);

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
  std::string program;                           // the executable to run; pedpeel's when empty
  bool output_full = false;    // standard output is /dev/full: every write to it fails
  bool error_full = false;     // standard error is /dev/full
  bool merge_streams = false;  // standard error goes where standard output goes (2>&1)
};

/// run_program, with the child started as `setup` says.
RunResult run_program_with(const TempDir& dir, const std::vector<std::string>& arguments,
                           const std::string& input, const ChildSetup& setup);

/// Runs pedpeel in-process in a child process in `dir`, as an ordinary user so that file
/// permissions apply: as the caller's user, or as user and group 65534 when the caller is
/// root. The child enters `dir` before it gives up root, so the folders above `dir` (and the
/// test binary) need not be open to that user; only `dir` itself must be. Status -1 when
/// root cannot become user 65534. `files` is left empty: the caller may have to restore
/// modes first, then read them with TempDir::files().
RunResult run_as_ordinary_user(const TempDir& dir, const std::vector<std::string>& arguments = {});

/// The bytes of the file at `path`; "" when it cannot be read.
std::string read_file(const std::string& path);

/// The position and text around the first difference of two byte strings, for messages.
std::string first_difference(const std::string& expected, const std::string& actual);

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_TEMP_RUN_H_
