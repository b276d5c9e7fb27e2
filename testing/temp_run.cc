#include "testing/temp_run.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "driver/run_driver.h"
#include "records/whole_file.h"
#include "testing/oracle_engine.h"

namespace pedpeel::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "pedpeel-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
  if (write_whole_file(path_ + "/" + name, bytes)) std::abort();
}

std::optional<std::string> TempDir::read(const std::string& name) const {
  const std::string path = path_ + "/" + name;
  if (!fs::is_regular_file(path)) return std::nullopt;
  std::string bytes;
  if (read_whole_file(path, &bytes)) return std::nullopt;
  return bytes;
}

std::string read_file(const std::string& path) {
  std::string bytes;
  if (read_whole_file(path, &bytes)) return "";
  return bytes;
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::map<std::string, std::string> TempDir::files() const {
  std::map<std::string, std::string> files;
  for (const std::string& name : entries()) {
    if (auto bytes = read(name)) files[name] = *bytes;
  }
  return files;
}

namespace {

std::string read_all(int fd) {
  std::string bytes;
  char buffer[65536];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<size_t>(n));
  return bytes;
}

void write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

// The exit status of a child of run_as_ordinary_user that could not become user 65534;
// no run ends with it.
constexpr int kNotStarted = 125;

// Gives up root for user and group 65534; nothing to do for an ordinary user. Returns
// what went wrong, or "".
std::string become_ordinary_user() {
  if (::geteuid() != 0) return "";
  constexpr id_t kNobody = 65534;
  if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
    return std::string("root cannot become user 65534: ") + std::strerror(errno);
  }
  return "";
}

// The child of run_as_ordinary_user: enters `dir`, gives up root, runs pedpeel there with
// empty standard input and writes its output and error to the two pipes, one after the
// other (the parent reads them in that order).
[[noreturn]] void run_child_as_ordinary_user(const TempDir& dir,
                                             const std::vector<std::string>& arguments, int out_fd,
                                             int err_fd) {
  std::string problem;
  if (::chdir(dir.path().c_str()) != 0) problem = dir.path() + ": " + std::strerror(errno);
  if (problem.empty()) problem = become_ordinary_user();
  if (!problem.empty()) {
    ::close(out_fd);
    write_all(err_fd, problem);
    _exit(kNotStarted);
  }
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  RunEnvironment environment;
  environment.arguments = arguments;
  environment.in = &in;
  environment.out = &out;
  environment.err = &err;
  const int status = run_pedpeel(environment);
  write_all(out_fd, out.str());
  ::close(out_fd);
  write_all(err_fd, err.str());
  _exit(status);
}

// The output, report and exit status of a child whose standard output and error are the
// write ends of the two pipes (closed here in the parent). Standard error stays small (one
// report at most), so reading it after the output cannot block the child.
RunResult collect_child(pid_t child, const int out_pipe[2], const int err_pipe[2]) {
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  RunResult result;
  result.out = read_all(out_pipe[0]);
  result.err = read_all(err_pipe[0]);
  ::close(out_pipe[0]);
  ::close(err_pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace

RunResult run_in_process(const TempDir& dir, const std::vector<std::string>& arguments,
                         const std::string& input, bool oracle_engine) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  RunEnvironment environment;
  environment.directory = dir.path();
  environment.arguments = arguments;
  environment.in = &in;
  environment.out = &out;
  environment.err = &err;
  RunResult result;
  result.status =
      oracle_engine ? run_pedpeel(environment, *make_oracle_engine()) : run_pedpeel(environment);
  result.out = out.str();
  result.err = err.str();
  result.files = dir.files();
  return result;
}

std::string pedpeel_binary() {
  if (const char* path = std::getenv("PEDPEEL_BINARY")) return path;
  return PEDPEEL_BINARY_PATH;
}

RunResult run_program(const TempDir& dir, const std::vector<std::string>& arguments,
                      const std::string& input) {
  return run_program_with(dir, arguments, input, ChildSetup{});
}

RunResult run_program_with(const TempDir& dir, const std::vector<std::string>& arguments,
                           const std::string& input, const ChildSetup& setup) {
  const std::string input_path =
      dir.path() + "/../" + fs::path(dir.path()).filename().string() + ".stdin";
  {
    std::ofstream file(input_path, std::ios::binary);
    file << input;
  }
  int out_pipe[2], err_pipe[2];
  if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) std::abort();
  const std::string binary = setup.program.empty() ? pedpeel_binary() : setup.program;
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(dir.path().c_str()) != 0) _exit(127);
    FILE* in = std::fopen(input_path.c_str(), "rb");
    if (in == nullptr) _exit(127);
    const int full = ::open("/dev/full", O_WRONLY);
    if ((setup.output_full || setup.error_full) && full < 0) _exit(127);
    ::dup2(fileno(in), 0);
    ::dup2(setup.output_full ? full : out_pipe[1], 1);
    ::dup2(setup.error_full ? full : setup.merge_streams ? 1 : err_pipe[1], 2);
    ::close_range(3, ~0U, 0);
    if (setup.close_input) ::close(0);
    if (setup.open_file_limit) {
      const rlimit limit{*setup.open_file_limit, *setup.open_file_limit};
      if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(127);
    }
    if (setup.file_size_limit) {
      // A write past the limit then fails with EFBIG instead of killing the process.
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{*setup.file_size_limit, *setup.file_size_limit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(binary.c_str(), argv.data());
    _exit(127);
  }
  RunResult result = collect_child(child, out_pipe, err_pipe);
  fs::remove(input_path);
  result.files = dir.files();
  return result;
}

RunResult run_as_ordinary_user(const TempDir& dir, const std::vector<std::string>& arguments) {
  int out_pipe[2], err_pipe[2];
  if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) std::abort();
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    run_child_as_ordinary_user(dir, arguments, out_pipe[1], err_pipe[1]);
  }
  RunResult result = collect_child(child, out_pipe, err_pipe);
  if (result.status == kNotStarted) result.status = -1;
  return result;
}

std::string first_difference(const std::string& expected, const std::string& actual) {
  size_t i = 0;
  while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
  const size_t line =
      static_cast<size_t>(
          std::count(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(i), '\n')) +
      1;
  std::ostringstream text;
  text << "first difference at byte " << i << " (line " << line << "): expected \""
       << expected.substr(i, 40) << "\", got \"" << actual.substr(i, 40) << "\"";
  return text.str();
}

}  // namespace pedpeel::testing
