// pedgen: writes a population of a given shape and size as pedpeel's input files.
#include <cerrno>
#include <charconv>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "tools/pedgen/input_files.h"
#include "tools/pedgen/shapes.h"

namespace {

constexpr std::string_view kUsage =
    "usage: pedgen --shape families|deep|inbred|founders --individuals N [--races R]\n"
    "              [--seed S] [--dir D]\n"
    "\n"
    "Writes input1.dat, pedigree.dat and blood.dat for pedpeel into D (default: the\n"
    "current directory): N individuals (1 to 32767) with R races (1 to 11, default 2),\n"
    "drawn from seed S (default 1). Shapes:\n"
    "  families  many small pedigrees: founder pairs with children, some grandchildren\n"
    "  deep      one pedigree with a long line of descent, oldest generation first, and\n"
    "            side branches: simple peeling takes one family per pass\n"
    "  inbred    many pedigrees of sib and parent-child matings (record kinds 4 to 7)\n"
    "  founders  founders of unknown race only, with distinct INI_IDs\n";

bool parse_number(std::string_view text, long minimum, long maximum, long* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size() && *value >= minimum &&
         *value <= maximum;
}

int usage_error(std::string_view message) {
  std::cerr << "pedgen: " << message << "\n\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  pedpeel::pedgen::Options options;
  std::string directory = ".";
  bool have_shape = false;
  bool have_individuals = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view flag = argv[i];
    if (flag == "--help" || flag == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (i + 1 >= argc) return usage_error(std::string(flag) + " needs a value");
    const std::string_view value = argv[++i];
    long number = 0;
    if (flag == "--shape") {
      const auto shape = pedpeel::pedgen::parse_shape(value);
      if (!shape) return usage_error("unknown shape " + std::string(value));
      options.shape = *shape;
      have_shape = true;
    } else if (flag == "--individuals") {
      if (!parse_number(value, 1, 32767, &number)) return usage_error("N must be 1 to 32767");
      options.individuals = static_cast<int32_t>(number);
      have_individuals = true;
    } else if (flag == "--races") {
      if (!parse_number(value, 1, 11, &number)) return usage_error("R must be 1 to 11");
      options.races = static_cast<int32_t>(number);
    } else if (flag == "--seed") {
      if (!parse_number(value, 0, 4294967295L, &number)) return usage_error("bad seed");
      options.seed = static_cast<uint32_t>(number);
    } else if (flag == "--dir") {
      directory = value;
    } else {
      return usage_error("unknown option " + std::string(flag));
    }
  }
  if (!have_shape || !have_individuals) return usage_error("--shape and --individuals are needed");
  const auto individuals = pedpeel::pedgen::generate(options);
  if (!pedpeel::pedgen::write_input_files(directory, individuals, options.races)) {
    std::cerr << "pedgen: cannot write into " << directory << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  return 0;
}
