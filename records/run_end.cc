#include "records/run_end.h"

#include <fcntl.h>
#include <unistd.h>

namespace pedpeel {

namespace {

void write_report(std::ostream& err, const RunError& error) {
  const std::string report = error.report();
  err.write(report.data(), static_cast<std::streamsize>(report.size()));
  err.flush();
}

// The report of a run with console lines: they go out first, so that the streams merged
// into one file keep their order. A line still waiting for its end gets it from the
// report's own first line end.
void write_report(Console& console, std::ostream& err, const RunError& error) {
  console.flush();
  write_report(err, error);
}

// Closes every unit; a failure to write out a unit's last records is a run-time error of
// its own when nothing else was reported.
int close_units(RunIo& io, std::ostream& err, int status) {
  const std::optional<RunError> error = io.units.close_all();
  if (error && status != kExitRunError) {
    write_report(io.console, err, *error);
    return kExitRunError;
  }
  return status;
}

// The stop's console line, then the stop message.
void write_stop(Console& console, StopReason reason) {
  console.console_begin();
  console.console_item(stop_message(reason));
  console.console_end();
  console.repeat_pending_line_end();
  console.write_raw("Stop - Program terminated.\r\n");
}

}  // namespace

int run_to_end(const RunEnvironment& environment, const std::function<int(RunIo&)>& stages) {
  const int directory_fd =
      ::open(environment.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory_fd < 0) {
    const RunError error{ErrorCode::kFileNotFound, StatementKind::kOpen, environment.directory};
    write_report(*environment.err, error);
    return kExitRunError;
  }
  int status = kExitNormal;
  {
    RunIo io(directory_fd, environment);
    try {
      status = stages(io);
    } catch (const RunStop& stop) {
      write_stop(io.console, stop.reason);
      status = kExitStop;
    } catch (const RunError& error) {
      write_report(io.console, *environment.err, error);
      status = kExitRunError;
    }
    status = close_units(io, *environment.err, status);
    io.console.end_pending_line();
    io.console.flush();
  }
  ::close(directory_fd);
  return status;
}

}  // namespace pedpeel
