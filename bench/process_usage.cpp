// Runs a command and prints what its process used (from wait4): the peak resident set in kB
// (ru_maxrss) and the CPU time in milliseconds, user and system together:
//   process_usage COMMAND [ARGS...]   ->  peak_rss_kb=<kB> cpu_ms=<ms> on standard error
// A small program of its own, because a process keeps the peak of the image it was forked from:
// a child forked by a large script would report the script's size. The CPU time is what the
// process itself spent, so other work on the machine barely moves it, unlike the wall time.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace {
double Milliseconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_usec) / 1000.0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  pid_t child = fork();
  if (child == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return 2;
  std::fprintf(stderr, "peak_rss_kb=%ld cpu_ms=%.2f\n", usage.ru_maxrss,
               Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime));
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
