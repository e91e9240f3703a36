#include "lsp/analysis.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "compiler/compile.h"
#include "lsp/uri.h"
#include "model/fault_codes.h"
#include "platform/files.h"
#include "reader/data_file_names.h"
#include "reader/entry_scan.h"
#include "tool/author_checks.h"
#include "tool/explain_command.h"
#include "tool/text_encoding.h"

namespace scenario::lsp {

namespace {

// A line description with no train scenario beside it is compiled with this one, which holds no
// entry, so that the line description's own faults are still found.
constexpr std::string_view empty_train_scenario = "[generale]\r\n[fine]\r\n";
constexpr std::string_view stand_in_train = "T";
// A train scenario with no line description beside it is compiled on the longest route there may
// be, so that its own faults are still found: unknown keys, objects on one cell.
constexpr std::string_view longest_line_description =
    "[generale]\r\nlunghezza percorso, 1000000\r\n[curve]\r\n[fine]\r\n";
constexpr std::string_view stand_in_route = "R";

// The characters without a Windows-1252 form told one by one; after them, one more word.
constexpr std::size_t most_unconverted = 100;

bool ends_with_any_case(std::string_view name, std::string_view ending) {
  if (name.size() <= ending.size()) return false;
  return lower(name.substr(name.size() - ending.size())) == ending;
}

// A file beside the document that could be its partner.
struct candidate {
  std::string name;
  const open_document* open = nullptr;
  std::string route;
  std::string train;
};

std::string route_of_line(const std::string& name) {
  return route_from_line_file(name).value_or(std::string());
}

diagnostic note(severity sev, const std::string& message) {
  diagnostic d;
  d.sev = sev;
  d.message = utf8_text(message);  // names of files, which the system gives as UTF-8
  return d;
}

// The files beside the document that could be its partner, the chosen one first.
std::vector<candidate> candidates(const std::string& folder, const std::string& name,
                                  source_file role, bool on_disk, const open_documents& open,
                                  const file_access& files) {
  std::map<std::string, const open_document*> names;
  for (const auto& [uri, doc] : open) {
    const uri_parts p = split_uri(uri);
    if (p.folder == folder && p.name != name) names.emplace(p.name, &doc);
  }
  if (on_disk && files.list) {
    try {
      for (std::string& n : files.list(folder))
        if (n != name) names.emplace(std::move(n), nullptr);
    } catch (const std::exception&) {
      // A folder that cannot be listed holds no partner that could be read.
    }
  }
  std::vector<candidate> out;
  const std::string route = role == source_file::line_description ? route_of_line(name) : "";
  for (const auto& [other, doc] : names) {
    if (role == source_file::line_description) {
      if (std::optional<std::string> train = train_from_train_file(other, route))
        out.push_back({other, doc, route, *train});
    } else if (std::optional<std::string> r = route_from_line_file(other)) {
      if (std::optional<std::string> train = train_from_train_file(name, *r))
        out.push_back({other, doc, *r, *train});
    }
  }
  // Names are in order already: an open one first, then the longest route name.
  std::stable_sort(out.begin(), out.end(), [](const candidate& a, const candidate& b) {
    if ((a.open != nullptr) != (b.open != nullptr)) return a.open != nullptr;
    return a.route.size() > b.route.size();
  });
  return out;
}

diagnostic which_note(const std::vector<candidate>& found, source_file role) {
  const bool line = role == source_file::line_description;
  std::string text = std::to_string(found.size()) +
                     (line ? " train scenarios stand beside this file; it is checked with \""
                           : " line descriptions could be this file's; it is checked with \"") +
                     found.front().name + "\", ";
  if (line)
    text += found.front().open ? "the first open one by name"
                               : "the first by name; open another to check with it";
  else
    text += found.front().open ? "an open one, with the longest route name"
                               : "the one with the longest route name";
  return note(severity::note, text);
}

diagnostic none_note(source_file role, const std::string& name) {
  if (role == source_file::line_description)
    return note(severity::note, "no train scenario \"" + route_of_line(name) +
                                    "_<train>-.txt\" stands beside this file: the line "
                                    "description is checked alone");
  return note(severity::note,
              "no line description \"<route>_linea.txt\" stands beside this file for a route "
              "whose name begins its own: the train scenario is checked alone, on a route of "
              "the greatest length (1000000 m)");
}

std::string too_large_words(std::size_t size, std::size_t limit) {
  return "the file holds " + bytes_text(size) + ", more than the " + bytes_text(limit) +
         " the tool reads; it is not checked";
}

// One file of the pair, with its text.
struct member {
  pair_member ref;
  std::optional<std::int64_t> version;
  std::shared_ptr<const source_text> text;
};

class pair_analysis {
 public:
  pair_analysis(const std::vector<const pair_plan*>& plans, const open_documents& open,
                const file_access& files, const analysis_options& options)
      : plans_(plans), open_(open), files_(files), options_(options) {}

  analysis run() {
    const pair_plan& plan = *plans_.front();
    if (!plan.line && !plan.train) return std::move(result_);
    std::optional<member> line = plan.line ? load(*plan.line) : std::nullopt;
    std::optional<member> train = plan.train ? load(*plan.train) : std::nullopt;
    // A document too large to read is told so, and nothing is compiled.
    bool too_large = false;
    for (std::optional<member>* m : {&line, &train}) {
      if (!*m || (*m)->text || !(*m)->ref.open) continue;
      too_large = true;
      analysed_file f{(*m)->ref.uri, (*m)->ref.role, (*m)->version, nullptr, {}};
      diagnostic d;
      d.message = too_large_words(open_.at((*m)->ref.uri).text.size(), options_.largest_document);
      f.diagnostics.push_back({d, {}});
      result_.files.push_back(std::move(f));
    }
    if (too_large) return std::move(result_);
    if (line && !line->text) line.reset();
    if (train && !train->text) train.reset();
    if (line) result_.files.push_back(placed(*line));
    if (train) result_.files.push_back(placed(*train));

    std::vector<diagnostic> report;
    if (line || train) {
      // Without its partner a file's names are not all known: the stand-ins' take their place.
      report = compile(line ? &*line : nullptr, train ? &*train : nullptr,
                       plan.route.empty() ? std::string(stand_in_route) : plan.route,
                       plan.train_name.empty() ? std::string(stand_in_train) : plan.train_name);
    }
    place(report);
    for (const pair_plan* p : plans_)
      if (analysed_file* f = file_of(p->document))
        for (const diagnostic& d : p->notes) f->diagnostics.push_back({d, {}});
    for (diagnostic& d : failures_)
      if (analysed_file* f = file_of(plan.document)) f->diagnostics.push_back({std::move(d), {}});
    for (analysed_file& f : result_.files) {
      add_unconverted(f);
      std::stable_sort(f.diagnostics.begin(), f.diagnostics.end(),
                       [](const placed_diagnostic& a, const placed_diagnostic& b) {
                         return a.range.start < b.range.start;
                       });
    }
    return std::move(result_);
  }

 private:
  // The text of a member: the open document's, else the file's bytes; a file that cannot be read
  // is told of and left out.
  std::optional<member> load(const pair_member& ref) {
    if (ref.open) {
      const auto found = open_.find(ref.uri);
      if (found == open_.end()) return std::nullopt;
      return member{ref, found->second.version, found->second.view};
    }
    try {
      std::optional<std::string> bytes = files_.read ? files_.read(ref.path) : std::nullopt;
      if (!bytes) return std::nullopt;
      if (bytes->size() > options_.largest_document)
        throw file_error(ref.path, "read",
                         "it holds more than " + bytes_text(options_.largest_document) +
                             ", the most an input may hold");
      return member{ref, std::nullopt, source_text::from_disk(ref.role, std::move(*bytes))};
    } catch (const std::exception& e) {
      failures_.push_back(
          note(severity::error, std::string(e.what()) + "; this file is checked without it"));
      return std::nullopt;
    }
  }

  analysed_file placed(const member& m) const {
    return {m.ref.uri, m.ref.role, m.version, m.text, {}};
  }

  // The pair compiled, a missing file replaced by its stand-in, whose diagnostics are dropped.
  std::vector<diagnostic> compile(const member* line, const member* train, const std::string& route,
                                  const std::string& train_name) {
    compile_request request;
    request.route = route;
    request.train = train_name;
    request.with_track_plan = true;  // as check: curves take their values as compile does
    request.check_only = true;
    const data_files files{line ? line->text->bytes() : std::string(longest_line_description),
                           train ? train->text->bytes() : std::string(empty_train_scenario)};
    compile_result compiled = compile_pair(request, files);
    if (!compiled.model) {
      failures_.push_back(note(severity::error, compiled.refusal));
      return {};
    }
    std::vector<diagnostic> report =
        check_report(*compiled.model, *files.line_description, *files.train_scenario, true);
    if (compiled.guard) report.push_back(*compiled.guard);
    result_.model = std::move(compiled.model);
    std::erase_if(report, [&](const diagnostic& d) {
      return (!train && d.file == source_file::train_scenario) ||
             (!line && d.file == source_file::line_description);
    });
    return report;
  }

  analysed_file* file_of(source_file role) {
    for (analysed_file& f : result_.files)
      if (f.role == role) return &f;
    return nullptr;
  }

  analysed_file* file_of(const std::string& uri) {
    for (analysed_file& f : result_.files)
      if (f.uri == uri) return &f;
    return nullptr;
  }

  // Where a diagnostic of no file belongs: the entry that placed the object of its cell, or of the
  // nearest cell before it that an entry filled; else beside the diagnostic before it.
  std::optional<std::pair<source_file, source_point>> origin_near(long_t position) const {
    if (!result_.model) return std::nullopt;
    const compilation& c = *result_.model;
    for (std::int64_t cell = std::min<std::int64_t>(position / 50, c.upper_bound()); cell >= 0;
         --cell) {
      const std::optional<cell_origin> o = origin_of(c, cell);
      if (o && o->file != source_file::none) return std::make_pair(o->file, o->at);
    }
    return std::nullopt;
  }

  void place(const std::vector<diagnostic>& report) {
    std::optional<std::pair<source_file, source_point>> before;
    for (diagnostic d : report) {
      if (d.file == source_file::none) {
        std::optional<std::pair<source_file, source_point>> at =
            d.position ? origin_near(*d.position) : std::nullopt;
        if (!at) at = before;
        if (!at) at = std::make_pair(source_file::line_description, source_point{0, 0});
        d.file = at->first;
        d.line = at->second.line;
        d.column = at->second.column;
      } else {
        before = std::make_pair(d.file, source_point{d.line, d.column});
      }
      analysed_file* f = file_of(d.file);
      if (!f) continue;
      d.message = utf8_from_cp1252(d.message);  // it quotes the file's bytes
      const text_range range = field_range(*f->text, d.line, d.column);
      f->diagnostics.push_back({std::move(d), range});
    }
  }

  // The range of the field that starts at `column` of `line`: a key or value as the compile reads
  // it, else the token there; the whole line when the column is unknown.
  text_range field_range(const source_text& text, int line, int column) const {
    const position_encoding e = options_.encoding;
    if (line < 1) return {};
    const file_layout& layout = text.layout();
    const std::string_view bytes = layout.line(line);
    if (column < 1) {
      const std::size_t first = bytes.find_first_not_of(" \t");
      if (first == std::string_view::npos) return text.range_of(line, 1, 1, e);
      const std::size_t last = bytes.find_last_not_of(" \t");
      return text.range_of(line, static_cast<int>(first) + 1, static_cast<int>(last) + 2, e);
    }
    const line_entry entry = layout.entry(line);
    if (entry.kind != line_kind::before_general && entry.kind != line_kind::blank &&
        entry.key.start == column)
      return text.range_of(line, entry.key.start, entry.key.end, e);
    for (const field_span& v : entry.values)
      if (v.line == line && v.start == column) return text.range_of(line, v.start, v.end, e);
    // A field the entry does not read: up to the next comma, or for a number the next blank.
    const auto start = static_cast<std::size_t>(column - 1);
    if (start >= bytes.size()) return text.range_of(line, column, column, e);
    std::size_t end = bytes.find(',', start);
    if (end == std::string_view::npos) end = bytes.size();
    const char first = bytes[start];
    if ((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.')
      end = std::min(end, bytes.find_first_of(" \t", start));
    while (end > start && (bytes[end - 1] == ' ' || bytes[end - 1] == '\t')) --end;
    return text.range_of(line, column, static_cast<int>(end) + 1, e);
  }

  void add_unconverted(analysed_file& f) const {
    if (!f.text || !f.version) return;
    const std::vector<unconvertible>& chars = f.text->unconverted();
    for (std::size_t i = 0; i < chars.size() && i < most_unconverted; ++i) {
      const unconvertible& u = chars[i];
      std::ostringstream message;
      message << "character U+" << std::hex << std::uppercase << std::setw(4) << std::setfill('0')
              << static_cast<std::uint32_t>(u.code_point)
              << " has no Windows-1252 form, the code page of the simulator; replace it";
      if (i + 1 == most_unconverted && chars.size() > most_unconverted)
        message << " (" << std::dec << chars.size() - most_unconverted
                << " more characters of this file have none)";
      diagnostic d;
      d.code = fault_code::not_windows_1252;
      d.file = f.role;
      d.line = u.line;
      d.message = message.str();
      const std::string_view shown = f.text->shown_line(u.line);
      const auto at =
          static_cast<std::int64_t>(units_before(shown, u.character, options_.encoding));
      const auto past =
          static_cast<std::int64_t>(units_before(shown, u.character + 1, options_.encoding));
      f.diagnostics.push_back({std::move(d), {{u.line - 1, at}, {u.line - 1, past}}});
    }
  }

  const std::vector<const pair_plan*>& plans_;
  const open_documents& open_;
  const file_access& files_;
  const analysis_options& options_;
  std::vector<diagnostic> failures_;  // the server's own errors, for the planned document
  analysis result_;
};

}  // namespace

std::optional<source_file> role_of_name(const std::string& name) {
  if (route_from_line_file(name)) return source_file::line_description;
  if (ends_with_any_case(name, train_text_ending)) return source_file::train_scenario;
  return std::nullopt;
}

const analysed_file* analysis::file(const std::string& uri) const {
  for (const analysed_file& f : files)
    if (f.uri == uri) return &f;
  return nullptr;
}

const analysed_file* analysis::file(source_file role) const {
  for (const analysed_file& f : files)
    if (f.role == role) return &f;
  return nullptr;
}

std::string pair_plan::key() const {
  return (line ? line->uri : std::string()) + '\n' + (train ? train->uri : std::string());
}

pair_plan plan_pair(const std::string& uri, const open_documents& open, const file_access& files) {
  pair_plan plan;
  plan.document = uri;
  const uri_parts parts = split_uri(uri);
  const std::optional<source_file> role = role_of_name(parts.name);
  if (!role) return plan;
  const bool on_disk = path_from_uri(uri).has_value();
  const pair_member self{uri, parts.name, *role, true, {}};
  const source_file other = *role == source_file::line_description ? source_file::train_scenario
                                                                   : source_file::line_description;
  const std::vector<candidate> found =
      candidates(parts.folder, parts.name, *role, on_disk, open, files);
  std::optional<pair_member> partner;
  if (found.empty()) {
    plan.notes.push_back(none_note(*role, parts.name));
    if (*role == source_file::line_description) plan.route = route_of_line(parts.name);
  } else {
    const candidate& chosen = found.front();
    plan.route = chosen.route;
    plan.train_name = chosen.train;
    if (chosen.open) {
      partner = pair_member{chosen.open->uri, chosen.name, other, true, {}};
    } else {
      const std::string path = join_path(parts.folder, chosen.name);
      partner = pair_member{uri_from_path(path), chosen.name, other, false, path};
    }
    if (found.size() > 1) plan.notes.push_back(which_note(found, *role));
  }
  if (*role == source_file::line_description) {
    plan.line = self;
    plan.train = partner;
  } else {
    plan.train = self;
    plan.line = partner;
  }
  return plan;
}

analysis analyse_pair(const std::vector<const pair_plan*>& plans, const open_documents& open,
                      const file_access& files, const analysis_options& options) {
  if (plans.empty()) return {};
  return pair_analysis(plans, open, files, options).run();
}

nlohmann::json diagnostic_json(const placed_diagnostic& d, const std::string& explanations) {
  nlohmann::json j;
  j["range"] = range_json(d.range);
  j["severity"] = d.what.sev == severity::error ? 1 : d.what.sev == severity::warning ? 2 : 3;
  j["source"] = "scenario";
  j["message"] = without_forbidden_characters(d.what.message);
  if (d.what.code != 0) {
    j["code"] = d.what.code;
    if (!explanations.empty())
      j["codeDescription"] = {{"href", explanations + "#code-" + std::to_string(d.what.code)}};
  }
  return j;
}

}  // namespace scenario::lsp
