// `scenario`: the command-line tool for scenario authors.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "lsp/lsp_command.h"
#include "platform/console.h"
#include "platform/interrupts.h"
#include "tool/card_command.h"
#include "tool/command_line.h"
#include "tool/compile_command.h"
#include "tool/diff_command.h"
#include "tool/dump_command.h"
#include "tool/explain_command.h"
#include "tool/export_command.h"
#include "tool/plot_command.h"
#include "tool/tool_error.h"

namespace {

int run(const std::vector<std::string>& arguments) {
  CLI::App app{"Compiles train-driving scenarios from their line description and train files.",
               "scenario"};

  scenario::compile_options compile;
  CLI::App* cmd = app.add_subcommand("compile", "Compile a line description and a train scenario");
  cmd->add_option("LINE", compile.line_path, "line description file (<route>_linea.txt)")
      ->required();
  cmd->add_option("TRAIN", compile.train_path, "train scenario file (<route>_<train>-.txt)")
      ->required();
  cmd->add_option("-o,--output", compile.output_dir, "directory for the compiled files");
  cmd->add_option("--route", compile.route, "route name, when the file names do not tell it");
  cmd->add_option("--train", compile.train, "train name, when the file names do not tell it");
  cmd->add_flag("--no-geometry", compile.no_geometry,
                "do not build or write the line geometry file");
  cmd->add_flag("--force", compile.force, "write the compiled files even after a reader fault");
  cmd->add_flag("--json", compile.json, "print one JSON document on stdout");
  cmd->footer(scenario::example_footer(
      "scenario compile mine/Roma_Pisa_linea.txt \"mine/Roma_Pisa_EXPR 368-.txt\" -o out"));
  // The diagnostic options, shared with check.
  auto add_diagnostic_options = [](CLI::App* sub, scenario::compile_options& o) {
    sub->add_flag("--no-source", o.no_source, "leave the source line and caret out of diagnostics");
    sub->add_flag("-q,--quiet", o.quiet, "no summary line at the end");
    sub->add_option_function<std::string>(
           "--color",
           [&o](const std::string& when) {
             o.color = when == "always"  ? scenario::color_mode::always
                       : when == "never" ? scenario::color_mode::never
                                         : scenario::color_mode::automatic;
           },
           "colour diagnostics: auto (terminal only), always (--color alone), never")
        ->type_name("WHEN")
        ->transform(scenario::one_of({"auto", "always", "never"}));
    sub->add_option("--input-encoding", o.input_encoding,
                    "windows-1252 (default) or utf-8, converted first")
        ->type_name("ENC")
        ->transform(scenario::one_of({"windows-1252", "utf-8"}));
  };
  add_diagnostic_options(cmd, compile);

  scenario::check_options check;
  CLI::App* check_cmd = app.add_subcommand(
      "check", "Compile in memory and warn about text that is probably not meant; writes nothing");
  check_cmd->add_option("LINE", check.compile.line_path, "line description file")->required();
  check_cmd->add_option("TRAIN", check.compile.train_path, "train scenario file")->required();
  check_cmd->add_option("--route", check.compile.route,
                        "route name, when the file names do not tell it");
  check_cmd->add_option("--train", check.compile.train,
                        "train name, when the file names do not tell it");
  check_cmd->add_flag("--json", check.compile.json, "print one JSON document on stdout");
  check_cmd->add_flag("--werror", check.werror, "exit with status 1 when there is a warning");
  add_diagnostic_options(check_cmd, check.compile);
  check_cmd->footer(scenario::example_footer(
      "scenario check mine/Roma_Pisa_linea.txt \"mine/Roma_Pisa_EXPR 368-.txt\" --werror"));

  std::string explain_topic;
  CLI::App* explain_cmd = app.add_subcommand(
      "explain", "Explain a code, or an entry or section of the data files, with an example");
  explain_cmd
      ->add_option("TOPIC", explain_topic,
                   "a code as diagnostics print it (16), a key (segnale) or a section ([segnali])")
      ->required();
  explain_cmd->footer(scenario::example_footer("scenario explain 16"));

  scenario::export_options export_opts;
  CLI::App* export_cmd = app.add_subcommand(
      "export", "Write the built-in data files and documents, to start a new scenario from them");
  export_cmd->add_option("-o,--output", export_opts.output_dir, "directory for the text files");
  export_cmd->add_flag("--force", export_opts.force, "replace files that already exist");
  export_cmd->footer(scenario::example_footer("scenario export -o mine"));

  scenario::dump_options dump;
  CLI::App* dump_cmd = app.add_subcommand("dump", "Show what a compiled file holds");
  dump_cmd
      ->add_option("FILE", dump.path,
                   "route cell file (.dat), scenario file (.sim) or line geometry file "
                   "(_linea.dat); - for standard input, with --kind")
      ->required();
  dump_cmd
      ->add_option("--kind", dump.kind, "cells, scenario or geometry, when the name does not tell")
      ->transform(scenario::one_of({"cells", "scenario", "geometry"}));
  CLI::Option* dump_json = dump_cmd->add_flag("--json", dump.json, "print one JSON document");
  dump_cmd->add_flag("--all", dump.all, "every cell, record or point");
  dump_cmd->add_option("--step", dump.step, "metres between the geometry points listed (1000)");
  dump_cmd
      ->add_flag("--textconv", dump.textconv,
                 "the same text wherever the file lies, for git diff: no path, nothing beside")
      ->excludes(dump_json);
  dump_cmd->footer(scenario::example_footer("scenario dump \"out/Roma_Pisa_EXPR 368.dat\""));

  scenario::plot_options plot;
  CLI::App* plot_cmd =
      app.add_subcommand("plot", "Draw the plan and the profile of a compiled scenario as SVG");
  plot_cmd->add_option("CELLFILE", plot.cell_path, "route cell file (<route>_<train>.dat)")
      ->required();
  plot_cmd->add_option("-o,--output", plot.output, "the SVG file to write; - for standard output")
      ->required();
  plot_cmd->add_option("--scenario", plot.scenario_path, "scenario file, when not beside");
  plot_cmd->add_option("--geometry", plot.geometry_path, "line geometry file, when not beside");
  plot_cmd->add_flag("--running-speed", plot.running_speed,
                     "draw the speed of the timetable card's run in the profile");
  plot_cmd->add_option("--compare", plot.compare,
                       "a second route cell file, drawn over the first with the differences");
  plot_cmd->footer(
      scenario::example_footer("scenario plot \"out/Roma_Pisa_EXPR 368.dat\" -o out/plot.svg"));

  scenario::diff_options diff;
  CLI::App* diff_cmd = app.add_subcommand(
      "diff", "Show what differs between two scenarios, compiled or as data files");
  diff_cmd
      ->add_option("SCENARIOS", diff.inputs,
                   "two scenarios, each a route cell file (.dat) or a pair LINE TRAIN")
      ->required();
  diff_cmd->add_flag("--json", diff.json, "print one JSON document");
  diff_cmd->add_flag("--stat", diff.stat, "one line per group of changes, with counts");
  diff_cmd->footer(scenario::example_footer(
      "scenario diff \"old/Roma_Pisa_EXPR 368.dat\" \"new/Roma_Pisa_EXPR 368.dat\""));

  scenario::card_options card;
  CLI::App* card_cmd = app.add_subcommand(
      "card", "Write the driver's timetable card of a scenario pair, with its running times");
  card_cmd->add_option("LINE", card.line_path, "line description file")->required();
  card_cmd->add_option("TRAIN", card.train_path, "train scenario file")->required();
  card_cmd
      ->add_option("-o,--output", card.output,
                   "the card (<route>_<train>_scheda_treno.txt), - stdout")
      ->type_name("FILE");
  card_cmd->add_option("--profile", card.profile, "the speed-distance curve as CSV, - stdout")
      ->type_name("FILE");
  card_cmd->add_option("--route", card.route, "route name, when the file names do not tell it");
  card_cmd->add_option("--train", card.train, "train name, when the file names do not tell it");
  card_cmd->add_option("--max-speed", card.train_data.max_speed_kmh, "the train's top speed (160)")
      ->type_name("KMH")
      ->check(CLI::Range(10, 400).description(""));
  card_cmd->add_option("--rank", card.train_data.rank, "which speed of the boards applies (B)")
      ->type_name("A|B|C")
      ->check(CLI::IsMember({'A', 'B', 'C'}).description(""));
  card_cmd
      ->add_option("--stop-time", card.train_data.stop_time_s,
                   "seconds at each stop between the first and the last (90)")
      ->type_name("S")
      ->check(CLI::Range(0.0, 3600.0).description(""));
  card_cmd
      ->add_option("--locomotive", card.train_data.loco.type,
                   "the locomotive's name on the card (E444R)")
      ->type_name("NAME");
  card_cmd->add_option("--loco-mass", card.train_data.loco.mass_t, "the locomotive's mass (80)")
      ->type_name("T")
      ->check(CLI::Range(1.0, 1000.0).description(""));
  card_cmd
      ->add_option("--loco-power", card.train_data.loco.power_kw, "its power at the rail (4000)")
      ->type_name("KW")
      ->check(CLI::Range(1.0, 100000.0).description(""));
  card_cmd
      ->add_option("--loco-effort", card.train_data.loco.max_tractive_effort_kn,
                   "its greatest tractive effort (200)")
      ->type_name("KN")
      ->check(CLI::Range(1.0, 2000.0).description(""));
  card_cmd
      ->add_option("--input-encoding", card.input_encoding,
                   "windows-1252 (default) or utf-8, converted first")
      ->type_name("ENC")
      ->transform(scenario::one_of({"windows-1252", "utf-8"}));
  card_cmd->footer(scenario::example_footer(
      "scenario card mine/Roma_Pisa_linea.txt \"mine/Roma_Pisa_EXPR 368-.txt\" -o card.txt"));

  CLI::App* lsp_cmd = app.add_subcommand(
      "lsp", "Serve the Language Server Protocol on standard input and output, for editors");
  // Standard input and output are the only transport; the flag that some clients pass to say so
  // is taken and changes nothing.
  bool lsp_stdio = false;
  lsp_cmd->add_flag("--stdio", lsp_stdio,
                    "talk over standard input and output (the only way; for clients that say it)");
  lsp_cmd->footer(scenario::example_footer("scenario lsp 2>lsp.log"));

  std::string help_topic;
  CLI::App* help_cmd =
      app.add_subcommand("help", "Print the help of the tool, or of one command and its options");
  help_cmd->add_option("COMMAND", help_topic, "a command, e.g. compile");
  help_cmd->footer(scenario::example_footer("scenario help compile"));

  // The command line as a whole: after every command is registered, so that the listing, the
  // examples and "did you mean" see them all.
  scenario::finish_command_line(app, SCENARIO_VERSION);
  const std::map<std::string, scenario::failure_document> json_forms = {
      {"compile", scenario::compile_failure_document},
      {"check", scenario::compile_failure_document},
      {"dump",
       [](const std::string& message) { return scenario::dump_failure_document("", message); }},
  };
  if (std::optional<int> ended =
          scenario::parse_command_line(app, arguments, json_forms, std::cout, std::cerr))
    return *ended;
  const bool colours = scenario::colours_by_default(
      scenario::is_terminal(scenario::standard_stream::error),
      scenario::environment_variable("NO_COLOR"), scenario::environment_variable("TERM"));
  compile.terminal = colours;
  check.compile.terminal = colours;
  if (cmd->parsed()) return scenario::run_compile(compile, std::cout, std::cerr);
  if (check_cmd->parsed()) return scenario::run_check(check, std::cout, std::cerr);
  if (explain_cmd->parsed()) return scenario::run_explain(explain_topic, std::cout, std::cerr);
  if (export_cmd->parsed()) return scenario::run_export(export_opts, std::cout, std::cerr);
  if (dump_cmd->parsed()) return scenario::run_dump(dump, std::cout, std::cerr);
  if (plot_cmd->parsed()) return scenario::run_plot(plot, std::cout, std::cerr);
  if (card_cmd->parsed()) return scenario::run_card(card, std::cout, std::cerr);
  if (diff_cmd->parsed()) return scenario::run_diff(diff, std::cout, std::cerr);
  if (lsp_cmd->parsed())
    return scenario::run_lsp({SCENARIO_VERSION, SCENARIO_DOC_DIR}, std::cout, std::cerr);
  if (help_cmd->parsed()) return scenario::run_help(app, help_topic, std::cout, std::cerr);
  return scenario::as_int(scenario::exit_status::usage_or_file_error);
}

}  // namespace

int main(int argc, char** argv) {
  scenario::prepare_standard_streams();
  scenario::remove_temporaries_on_interrupt();
  // Nothing escapes as an abort: whatever a command did not handle ends the run with status 2.
  try {
    return run(scenario::command_line_arguments(argc, argv));
  } catch (const std::bad_alloc&) {
    scenario::print_error(std::cerr, "out of memory");
  } catch (const std::exception& e) {
    scenario::print_error(std::cerr, e.what());
  } catch (...) {
    scenario::print_error(std::cerr, "an unexpected failure ended the run");
  }
  return scenario::as_int(scenario::exit_status::usage_or_file_error);
}
