// `scenario export` where the files matter: the exported pair compiles to the main program's own
// files, and an author's files are kept. What it prints is in data/golden/export/.
#include "tool/export_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "programs/built_in_run.h"
#include "support/temp_dir.h"
#include "tool/compile_command.h"

namespace scenario {
namespace {

using test_support::temp_dir;

const char* const line_file = "Roma_Pisa_linea.txt";
const char* const train_file = "Roma_Pisa_EXPR 368-.txt";
const char* const documents[] = {
    "Roma_Pisa_EXPR 368_note.txt",
    "Roma_Pisa_EXPR 368_rallentamenti.txt",
    "Roma_Pisa_EXPR 368_scheda_treno.txt",
};
const char* const compiled[] = {
    "Roma_Pisa_linea.dat",
    "Roma_Pisa_EXPR 368.sim",
    "Roma_Pisa_EXPR 368.dat",
};

struct silent_ui final : user_interface {
  void show_notice(std::string_view) override {}
  void message_box(std::string_view) override {}
  void warning(std::string_view) override {}
};

int run_export_into(const std::string& dir, bool force, std::string* err_text = nullptr) {
  std::ostringstream out, err;
  const int status = run_export({dir, force}, out, err);
  if (err_text) *err_text = err.str();
  return status;
}

TEST(ToolExport, ExportedPairCompilesToTheProgramsOwnFiles) {
  temp_dir exported, compiled_by_tool, run_by_program;
  ASSERT_EQ(run_export_into(exported.path() + "/new/scenario", false), as_int(exit_status::ok));
  const std::string dir = exported.path() + "/new/scenario";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 5);

  compile_options options;
  options.line_path = dir + "/" + line_file;
  options.train_path = dir + "/" + train_file;
  options.output_dir = compiled_by_tool.path();
  options.quiet = true;
  std::ostringstream out, err;
  ASSERT_EQ(run_compile(options, out, err), as_int(exit_status::ok)) << err.str();
  EXPECT_EQ(err.str(), "");

  silent_ui ui;
  ASSERT_EQ(run_built_in(ui, run_by_program.path()), as_int(exit_status::ok));
  for (const char* name : compiled)
    EXPECT_EQ(compiled_by_tool.read(name), run_by_program.read(name)) << name;
  for (const char* name : documents)
    EXPECT_EQ(std::filesystem::file_size(dir + "/" + name),
              std::filesystem::file_size(run_by_program.file(name)))
        << name;
}

TEST(ToolExport, KeepsAnAuthorsFilesUnlessForced) {
  temp_dir dir;
  dir.write(train_file, "my edited train");
  std::string err;
  EXPECT_EQ(run_export_into(dir.path(), false, &err), as_int(exit_status::usage_or_file_error));
  EXPECT_EQ(err, "scenario: error: \"" + dir.file(train_file) +
                     "\" already exists; nothing was written (give --force to replace it)\n");
  EXPECT_EQ(dir.read(train_file), "my edited train");
  EXPECT_EQ(dir.count(), 1u);  // nothing else written either

  EXPECT_EQ(run_export_into(dir.path(), true), as_int(exit_status::ok));
  EXPECT_NE(dir.read(train_file), "my edited train");
  EXPECT_EQ(dir.count(), 5u);
}

}  // namespace
}  // namespace scenario
