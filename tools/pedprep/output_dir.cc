#include "tools/pedprep/output_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace pedpeel::pedprep {

namespace fs = std::filesystem;

namespace {

// DIR without trailing slashes ("/" stays "/").
std::string without_trailing_slashes(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string describe(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

}  // namespace

std::optional<std::string> refuse_output_dir(const std::string& dir, bool force,
                                             const std::string& input) {
  std::error_code error;
  const fs::file_status status = fs::status(dir, error);
  if (status.type() == fs::file_type::not_found) return std::nullopt;
  if (error) return describe(dir, error.value());
  if (!fs::is_directory(status)) return dir + " exists and is not a directory";
  if (fs::is_empty(dir, error)) return std::nullopt;
  if (error) return describe(dir, error.value());
  if (!force) return dir + " is not empty; give --force to replace what it holds";
  // Each path resolved on its own: a failure to resolve either is a refusal, as --force
  // must not replace a directory that may hold the input.
  std::error_code out_error;
  std::error_code in_error;
  const fs::path out = fs::weakly_canonical(dir, out_error);
  const fs::path in = fs::weakly_canonical(input, in_error);
  if (out_error || in_error) {
    return "cannot tell whether " + input + " lies inside " + dir + ": " +
           (out_error ? out_error : in_error).message();
  }
  auto o = out.begin();
  auto i = in.begin();
  while (o != out.end() && i != in.end() && *o == *i) ++o, ++i;
  if (o == out.end()) return input + " lies inside " + dir + ", which --force would replace";
  return std::nullopt;
}

StagingDir::StagingDir(std::string dir) : dir_(without_trailing_slashes(std::move(dir))) {
  const fs::path target(dir_);
  fs::path parent = target.parent_path();
  if (parent.empty()) parent = ".";
  std::string pattern = (parent / ("." + target.filename().string() + ".pedprep-XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) {
    error_ = describe(pattern, errno);
    return;
  }
  path_ = name.data();
  // mkdtemp makes it 0700; make it what mkdir would have made.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(path_.c_str(), 0777 & ~mask);
}

StagingDir::~StagingDir() {
  if (committed_ || path_.empty()) return;
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

bool StagingDir::commit() {
  if (::rename(path_.c_str(), dir_.c_str()) == 0) {
    committed_ = true;
    return true;
  }
  if (errno != ENOTEMPTY && errno != EEXIST) {
    error_ = "cannot rename " + path_ + " to " + describe(dir_, errno);
    return false;
  }
  // DIR holds files (given --force): exchange the two, then remove the old contents.
  if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, dir_.c_str(), RENAME_EXCHANGE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) {
      error_ = "cannot exchange " + path_ + " with " + describe(dir_, errno);
      return false;
    }
    // No exchange on this file system: move DIR aside, then the staging directory in.
    const std::string aside = path_ + ".old";
    if (::rename(dir_.c_str(), aside.c_str()) != 0) {
      error_ = "cannot rename " + dir_ + " to " + describe(aside, errno);
      return false;
    }
    if (::rename(path_.c_str(), dir_.c_str()) != 0) {
      error_ = "cannot rename " + path_ + " to " + describe(dir_, errno);
      ::rename(aside.c_str(), dir_.c_str());
      return false;
    }
    committed_ = true;
    std::error_code ignored;
    fs::remove_all(aside, ignored);
    return true;
  }
  // path_ now names the old DIR.
  std::error_code ignored;
  fs::remove_all(path_, ignored);
  committed_ = true;
  return true;
}

}  // namespace pedpeel::pedprep
