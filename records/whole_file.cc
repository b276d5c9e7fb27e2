#include "records/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace pedpeel {

namespace {

std::error_code last_error() {
  return {errno, std::generic_category()};
}

// Appends what is left of `fd` to `bytes`; the reason of a failed read.
template <typename Bytes>
std::error_code append_rest(int fd, Bytes* bytes) {
  struct stat status;
  // Only a regular file's size is its length: a directory reports one far beyond it.
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    bytes->reserve(static_cast<size_t>(status.st_size));
  }
  char block[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got == 0) return {};
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return last_error();
    bytes->insert(bytes->end(), block, block + got);
  }
}

template <typename Bytes>
std::error_code read_into(const std::string& path, Bytes* bytes) {
  bytes->clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return last_error();
  std::error_code error;
  try {
    error = append_rest(fd, bytes);
  } catch (const std::bad_alloc&) {
    error = std::make_error_code(std::errc::not_enough_memory);
  }
  ::close(fd);
  if (error) {
    bytes->clear();
    bytes->shrink_to_fit();
  }
  return error;
}

}  // namespace

std::error_code read_whole_file(const std::string& path, std::string* bytes) {
  return read_into(path, bytes);
}

std::error_code read_whole_file(const std::string& path, std::vector<char>* bytes) {
  return read_into(path, bytes);
}

std::error_code write_whole_file(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return last_error();
  std::error_code error;
  while (!bytes.empty() && !error) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) {
      error = last_error();
    } else if (written == 0) {
      error = std::make_error_code(std::errc::io_error);
    } else {
      bytes.remove_prefix(static_cast<size_t>(written));
    }
  }
  if (::close(fd) != 0 && !error) error = last_error();
  return error;
}

std::string describe_file_error(const std::string& path, std::error_code error) {
  if (!error) return "";
  return path + ": " + error.message();
}

}  // namespace pedpeel
