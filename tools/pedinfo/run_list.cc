#include "tools/pedinfo/run_list.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "records/run_files.h"
#include "tools/pedinfo/finding.h"

namespace pedpeel::pedinfo {

namespace {

bool exists(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0;
}

}  // namespace

std::string path_in(const std::string& directory, const std::string& name) {
  if (directory == "." || directory.empty() || name.starts_with('/')) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

bool is_runs_directory(const std::string& directory) {
  return exists(path_in(directory, kRunsFile)) && !exists(path_in(directory, kControlFile));
}

std::optional<std::string> read_run_list(const std::string& directory,
                                         std::vector<std::string>* runs) {
  const std::string path = path_in(directory, kRunsFile);
  std::ifstream file(path, std::ios::binary);
  if (!file) return path + ": " + std::strerror(errno);
  std::string line;
  int32_t number = 0;
  while (std::getline(file, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    if (line.find('\0') != std::string::npos) {
      return path + ":" + std::to_string(number) + ": \"" + printable(line) +
             "\" is not a directory name";
    }
    runs->push_back(line);
  }
  if (file.bad()) return path + ": " + std::strerror(errno);
  if (runs->empty()) return path + ": lists no run";
  return std::nullopt;
}

}  // namespace pedpeel::pedinfo
