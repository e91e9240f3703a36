// Runs a built program with its arguments passed as they are (no shell, so any bytes get through)
// and collects what it prints on each stream.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace scenario::test_support {

struct program_output {
  int status = -1;  // exit status, -1 when the program could not run or did not exit
  std::string out;
  std::string err;
};

inline program_output run_program(const std::string& path, const std::vector<std::string>& args) {
  temp_dir streams;
  const std::string out_path = streams.file("out");
  const std::string err_path = streams.file("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> words{path};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  program_output result;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return result;
  int raw = 0;
  if (::waitpid(pid, &raw, 0) == pid && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  result.out = streams.read("out");
  result.err = streams.read("err");
  return result;
}

}  // namespace scenario::test_support
