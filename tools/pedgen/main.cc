// pedgen: writes a population of a given shape and size as pedpeel's input files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "driver/command_line.h"
#include "pedigree/input_writer.h"
#include "records/output_streams.h"
#include "tools/pedgen/command_line.h"
#include "tools/pedgen/herdbook.h"
#include "tools/pedgen/shapes.h"

namespace {

// Exit status of a run that could not write a file or its console output.
constexpr int kCannotWrite = 1;

// Makes the folder and its missing parents. Returns what went wrong, or "".
std::string make_folder(const std::string& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (!error) return "";
  return directory + ": " + error.message();
}

int write_population(const pedpeel::pedgen::CommandLine& command) {
  std::string error = make_folder(command.directory);
  if (error.empty()) {
    const auto individuals = pedpeel::pedgen::generate(command.options);
    error = pedpeel::write_input_files(command.directory, individuals, command.options.races);
  }
  if (error.empty()) return 0;
  std::cerr << "pedgen: cannot write " << error << "\n";
  return kCannotWrite;
}

// Writes the herd-book into its file, or to standard output for "-".
int write_herdbook_file(const pedpeel::pedgen::CommandLine& command) {
  const bool to_stdout = command.out == "-";
  std::FILE* out = to_stdout ? stdout : std::fopen(command.out.c_str(), "wb");
  bool ok = out != nullptr && pedpeel::pedgen::write_herdbook(command.herdbook, out);
  const int error = errno;
  if (out != nullptr && !to_stdout) ok = std::fclose(out) == 0 && ok;
  if (to_stdout) ok = std::fflush(out) == 0 && ok;
  if (ok) return 0;
  std::cerr << "pedgen: cannot write " << command.out << ": " << std::strerror(error) << "\n";
  return kCannotWrite;
}

// Answers the command line; the exit status.
int run_pedgen(const std::vector<std::string>& arguments) {
  using Request = pedpeel::pedgen::CommandLine::Request;
  const pedpeel::pedgen::CommandLine command = pedpeel::pedgen::read_command_line(arguments);
  switch (command.request) {
    case Request::kHelp:
      std::cout << pedpeel::pedgen::kUsage;
      return 0;
    case Request::kVersion:
      std::cout << pedpeel::version_line("pedgen");
      return 0;
    case Request::kUsageError:
      return pedpeel::report_usage_error(std::cerr, "pedgen", command.error);
    case Request::kHerdbook:
      return write_herdbook_file(command);
    case Request::kGenerate:
      break;
  }
  return write_population(command);
}

}  // namespace

int main(int argc, char** argv) {
  const int status = run_pedgen(std::vector<std::string>(argv + 1, argv + argc));
  return pedpeel::finish_output("pedgen", std::cout, std::cerr, status, kCannotWrite);
}
