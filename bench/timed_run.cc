// timed_run: runs a program and reports its wall-clock time, CPU time and peak resident
// memory, measured from a small process so that the figures are the program's own.
//
//   timed_run REPORT LIMIT PROGRAM [ARGUMENT...]
//
// Writes "elapsed_s user_s system_s max_rss_kb exit_status" to the file REPORT. A program
// still running after LIMIT seconds (0: no limit) is killed; its exit status is then
// reported as "timeout".
//
// The program runs on the CPU timed_run runs on. Left to the scheduler, a new process
// often starts on another, idle CPU; on a virtual machine that CPU first has to be woken by
// the host, and the run may move between CPUs, which adds milliseconds that vary from run
// to run and have nothing to do with the program timed.
#include <poll.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: timed_run REPORT LIMIT PROGRAM [ARGUMENT...]\n");
    return 2;
  }
  const double limit = std::atof(argv[2]);
  const auto start = std::chrono::steady_clock::now();
  const int cpu = ::sched_getcpu();
  const pid_t child = ::fork();
  if (child < 0) return 1;
  if (child == 0) {
    if (cpu >= 0) {
      cpu_set_t here;
      CPU_ZERO(&here);
      CPU_SET(cpu, &here);
      ::sched_setaffinity(0, sizeof here, &here);
    }
    ::execv(argv[3], argv + 3);
    _exit(127);
  }
  bool timed_out = false;
  if (limit > 0) {
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    pollfd watch{pidfd, POLLIN, 0};
    int ready;
    do {
      ready = ::poll(&watch, 1, static_cast<int>(limit * 1000));
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
      ::kill(child, SIGKILL);
      timed_out = true;
    }
    ::close(pidfd);
  }
  int status = 0;
  rusage usage{};
  while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::FILE* report = std::fopen(argv[1], "w");
  if (report == nullptr) return 1;
  const auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  std::fprintf(report, "%.6f %.6f %.6f %ld ", elapsed, seconds(usage.ru_utime),
               seconds(usage.ru_stime), usage.ru_maxrss);
  if (timed_out) {
    std::fprintf(report, "timeout\n");
  } else {
    std::fprintf(report, "%d\n", WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  }
  return std::fclose(report) == 0 ? 0 : 1;
}
