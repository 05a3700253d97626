// Runs a command and prints the peak resident set of its process in kB (ru_maxrss from wait4):
//   peak_rss COMMAND [ARGS...]   ->  peak_rss_kb=<kB> on standard error
// A small program of its own, because a process keeps the peak of the image it was forked from:
// a child forked by a large script would report the script's size.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

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
  std::fprintf(stderr, "peak_rss_kb=%ld\n", usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
