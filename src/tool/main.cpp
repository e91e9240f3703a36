// `scenario`: the command-line tool for scenario authors.
#include <CLI/CLI.hpp>
#include <iostream>

#include "tool/compile_command.h"
#include "tool/dump_command.h"
#include "tool/export_command.h"
#include "tool/plot_command.h"

int main(int argc, char** argv) {
  CLI::App app{"Compiles train-driving scenarios from their line description and train files."};
  app.require_subcommand(1);

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

  scenario::export_options export_opts;
  CLI::App* export_cmd = app.add_subcommand(
      "export", "Write the built-in data files and documents, to start a new scenario from them");
  export_cmd->add_option("-o,--output", export_opts.output_dir, "directory for the text files");
  export_cmd->add_flag("--force", export_opts.force, "replace files that already exist");

  scenario::dump_options dump;
  CLI::App* dump_cmd = app.add_subcommand("dump", "Show what a compiled file holds");
  dump_cmd
      ->add_option(
          "FILE", dump.path,
          "route cell file (.dat), scenario file (.sim) or line geometry file (_linea.dat)")
      ->required();
  dump_cmd->add_option("--kind", dump.kind,
                       "cells, scenario or geometry, when the name does not tell");
  dump_cmd->add_flag("--json", dump.json, "print one JSON document");
  dump_cmd->add_flag("--all", dump.all, "every cell, record or point");
  dump_cmd->add_option("--step", dump.step, "metres between the geometry points listed (1000)");

  scenario::plot_options plot;
  CLI::App* plot_cmd =
      app.add_subcommand("plot", "Draw the plan and the profile of a compiled scenario as SVG");
  plot_cmd->add_option("CELLFILE", plot.cell_path, "route cell file (<route>_<train>.dat)")
      ->required();
  plot_cmd->add_option("-o,--output", plot.output, "the SVG file to write")->required();
  plot_cmd->add_option("--scenario", plot.scenario_path, "scenario file, when not beside");
  plot_cmd->add_option("--geometry", plot.geometry_path, "line geometry file, when not beside");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : scenario::as_int(scenario::exit_status::usage_or_file_error);
  }
  if (cmd->parsed()) return scenario::run_compile(compile, std::cout, std::cerr);
  if (export_cmd->parsed()) return scenario::run_export(export_opts, std::cout, std::cerr);
  if (dump_cmd->parsed()) return scenario::run_dump(dump, std::cout, std::cerr);
  if (plot_cmd->parsed()) return scenario::run_plot(plot, std::cout, std::cerr);
  return scenario::as_int(scenario::exit_status::usage_or_file_error);
}
