// io_floor: the plain buffered I/O a pedpeel run cannot do without, as a yardstick.
//
//   io_floor [-w NAME BYTES]... FILE...
//
// Reads each FILE to its end, then for each -w writes BYTES bytes to the file io_floor.NAME
// in the current directory (replacing it, as a run replaces its output files), or to
// standard output when NAME is "-". All through stdio buffers of the size pedpeel uses
// (64 KiB).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Output {
  std::string name;
  long long bytes;
};

bool write_bytes(std::FILE* out, long long total, const std::vector<char>& buffer) {
  for (long long written = 0; written < total;) {
    const long long left = total - written;
    const size_t n =
        left < static_cast<long long>(buffer.size()) ? static_cast<size_t>(left) : buffer.size();
    if (std::fwrite(buffer.data(), 1, n, out) != n) return false;
    written += static_cast<long long>(n);
  }
  return true;
}

bool write_output(const Output& output, const std::vector<char>& buffer) {
  if (output.name == "-") return write_bytes(stdout, output.bytes, buffer);
  std::FILE* out = std::fopen(("io_floor." + output.name).c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = write_bytes(out, output.bytes, buffer);
  return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Output> outputs;
  int i = 1;
  while (i + 2 < argc && std::strcmp(argv[i], "-w") == 0) {
    outputs.push_back({argv[i + 1], std::atoll(argv[i + 2])});
    i += 3;
  }
  if (i >= argc) {
    std::fprintf(stderr, "usage: io_floor [-w NAME BYTES]... FILE...\n");
    return 2;
  }
  std::vector<char> buffer(1 << 16, ' ');
  for (; i < argc; ++i) {
    std::FILE* file = std::fopen(argv[i], "rb");
    if (file == nullptr) return 1;
    while (std::fread(buffer.data(), 1, buffer.size(), file) > 0) {
    }
    std::fclose(file);
  }
  for (const Output& output : outputs) {
    if (!write_output(output, buffer)) return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
