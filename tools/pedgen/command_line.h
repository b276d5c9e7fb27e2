// pedgen's command line: the shape, size, races and seed of the population to write and
// the folder to write it into, or the help, the version or a usage error instead.
#ifndef PEDPEEL_TOOLS_PEDGEN_COMMAND_LINE_H_
#define PEDPEEL_TOOLS_PEDGEN_COMMAND_LINE_H_

#include <span>
#include <string>
#include <string_view>

#include "tools/pedgen/herdbook.h"
#include "tools/pedgen/shapes.h"

namespace pedpeel::pedgen {

inline constexpr std::string_view kUsage =
    "usage: pedgen --shape families|deep|inbred|founders --individuals N [--races R]\n"
    "              [--seed S] [--dir D]\n"
    "       pedgen --herdbook N [--seed S] [--columns herdbook|pedprep] [--no-herd]\n"
    "              --out FILE\n"
    "       pedgen --help | -h | --version\n"
    "\n"
    "Writes input1.dat, pedigree.dat and blood.dat for pedpeel into D (default: the\n"
    "current directory; created when missing): N individuals (1 to 32767) with R races\n"
    "(1 to 11, default 2), drawn from seed S (0 to 4294967295, default 1). Shapes:\n"
    "  families  many small pedigrees: founder pairs with children, some grandchildren\n"
    "  deep      one pedigree with a long line of descent, oldest generation first, and\n"
    "            side branches: simple peeling takes one family per pass\n"
    "  inbred    many pedigrees of sib and parent-child matings (record kinds 4 to 7)\n"
    "  founders  founders of unknown race only, with distinct INI_IDs\n"
    "An option's value follows it as the next argument or after '=': --seed=7.\n"
    "\n"
    "With --herdbook, writes a dairy herd-book of N animals (1 to 1000000000) as CSV into\n"
    "FILE ('-': standard output) for pedprep: herds of cows bred mostly to AI bulls that\n"
    "every herd uses, herd bulls, overlapping generations and some unknown parents, one\n"
    "connected pedigree with many loops. The columns are Animal,Sire,Dam,Sex,Breed,\n"
    "BirthYear,Herd, or with --columns pedprep id,sire,dam,sex,race,birthyear,family\n"
    "(race codes 1 to 7 for the breeds, 0 for a crossbred); --no-herd leaves out the last.\n"
    "\n"
    "Exit status: 0 files written; 1 a file or folder that cannot be written;\n"
    "2 usage error.\n";

struct CommandLine {
  enum class Request { kGenerate, kHerdbook, kHelp, kVersion, kUsageError };
  Request request = Request::kGenerate;
  Options options;
  HerdbookOptions herdbook;  // for kHerdbook
  std::string out;           // for kHerdbook: the CSV file, "-" for standard output
  std::string directory = ".";
  std::string error;  // for kUsageError: what is wrong, one line
};

/// Reads the arguments after the program name by the rules of driver/command_line.h:
/// --help, -h or --version anywhere before `--` is taken (the first one given); otherwise
/// every option but --no-herd needs its value and no operand is taken. --herdbook asks for
/// a herd-book (with --out, and --seed, --columns, --no-herd allowed); otherwise --shape
/// and --individuals must be given.
CommandLine read_command_line(std::span<const std::string> arguments);

}  // namespace pedpeel::pedgen

#endif  // PEDPEEL_TOOLS_PEDGEN_COMMAND_LINE_H_
