#include "support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "support/temp_dir.h"

extern char** environ;

namespace scenario::test_support {

program_output run_program(const std::string& path, const std::vector<std::string>& args,
                           const run_options& options) {
  // The streams go to files of a folder of their own, so that they never mix with what the
  // program writes into its working folder.
  temp_dir streams;
  const std::string out_path = streams.file("out");
  const std::string err_path = streams.file("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!options.working_dir.empty())
    posix_spawn_file_actions_addchdir_np(&actions, options.working_dir.c_str());
  posix_spawn_file_actions_addopen(
      &actions, STDIN_FILENO, options.input_path.empty() ? "/dev/null" : options.input_path.c_str(),
      O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<std::string> words{path};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (const std::string& assignment : options.environment) {
    const std::string name = assignment.substr(0, assignment.find('=') + 1);
    std::erase_if(env, [&](const std::string& v) { return v.rfind(name, 0) == 0; });
    env.push_back(assignment);
  }
  std::vector<char*> argv, envp;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  program_output result;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return result;
  int raw = 0;
  if (::waitpid(pid, &raw, 0) == pid) {
    if (WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) result.status = 128 + WTERMSIG(raw);
  }
  result.out = streams.read("out");
  result.err = streams.read("err");
  return result;
}

}  // namespace scenario::test_support
