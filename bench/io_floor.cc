// io_floor: the plain buffered I/O a pedpeel run cannot do without, as a yardstick.
//
//   io_floor BYTES FILE...
//
// Reads each FILE to its end and writes BYTES bytes to io_floor.out in the current
// directory, through stdio buffers of the size pedpeel uses (64 KiB).
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: io_floor BYTES FILE...\n");
    return 2;
  }
  const long long total = std::atoll(argv[1]);
  std::vector<char> buffer(1 << 16, ' ');
  long long read = 0;
  for (int i = 2; i < argc; ++i) {
    std::FILE* file = std::fopen(argv[i], "rb");
    if (file == nullptr) return 1;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) read += n;
    std::fclose(file);
  }
  std::FILE* out = std::fopen("io_floor.out", "wb");
  if (out == nullptr) return 1;
  for (long long written = 0; written < total;) {
    const size_t n = static_cast<size_t>(
        total - written < static_cast<long long>(buffer.size()) ? total - written : buffer.size());
    if (std::fwrite(buffer.data(), 1, n, out) != n) return 1;
    written += static_cast<long long>(n);
  }
  return std::fclose(out) == 0 && read >= 0 ? 0 : 1;
}
