// The compiled scenario: route cells, general records, track plan and the form-level scalars of one
// compilation. Field names and widths are those the simulator's files use.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/cell_kinds.h"
#include "model/diagnostics.h"
#include "model/tagged_value.h"

namespace scenario {

// One 50-metre route cell.
struct cella {
  byte_t tipo = 0;
  integer_t valore1 = 0;
  integer_t valore2 = 0;
  integer_t valore3 = 0;
  integer_t valore4 = 0;
  byte_t tempo = 0;
  byte_t preavviso = 0;
  byte_t montagna = 0;
  byte_t velocita_limite = 0;
  byte_t pendenza = 0;
  byte_t aderenza = 0;

  friend bool operator==(const cella&, const cella&) = default;
};

// A cell on which an object may be placed: empty, or holding only a scenery mark.
inline bool is_free(const cella& c) {
  return c.tipo == tipo_cella::nulla || c.tipo == tipo_cella::montagna;
}

// One general record: a station, a board text, a progressive, or scenario-wide data.
struct voce_generale {
  byte_t tipo = 0;
  long_t inizio = 0;
  long_t fine = 0;
  long_t posizione = 0;
  byte_t ottetto0 = 0;
  std::string nome;  // bytes in the Windows-1252 code page
  integer_t intero1 = 0;
  integer_t intero2 = 0;
  integer_t intero3 = 0;
  integer_t intero4 = 0;
  integer_t intero5 = 0;
  byte_t ottetto1 = 0;
  byte_t ottetto2 = 0;
  byte_t ottetto3 = 0;
  byte_t ottetto4 = 0;
  long_t orario = 0;

  friend bool operator==(const voce_generale&, const voce_generale&) = default;
};

inline constexpr int general_record_count = 87;
using tabella_voci = std::array<voce_generale, general_record_count>;

// Fixed roles of general records.
namespace voce {
inline constexpr int prima_stazione = 1;
inline constexpr int primo_cartello = 80;
inline constexpr int progressiva_tre = 81;
inline constexpr int progressiva_due = 82;
inline constexpr int progressiva_uno = 83;
inline constexpr int treno_e_percorso = 84;
inline constexpr int percorso = 85;
inline constexpr int treno = 86;
}  // namespace voce

inline constexpr long_t longest_route = 1000000;  // longest route, metres
inline constexpr long_t route_tail = 7000;        // metres added after the route's end

// Who put the object of a cell there: an entry (file and the point of its position field) or a
// step of the spacing pass. Diagnostics only; nothing of it reaches a compiled file.
struct cell_origin {
  source_file file = source_file::none;
  source_point at;
  std::string step;  // the spacing step, empty for an entry
};

// An entry the readers acted on, by list ("gradient", "signal" ...), for the author checks of
// the tool. Never compiled.
struct read_entry {
  source_file file = source_file::none;
  std::string_view list;  // a name of static storage
  long_t position = 0;
  source_point at;  // its position field
};

// A key field that matched no key and was passed over.
struct passed_field {
  source_file file = source_file::none;
  std::string text;
  source_point at;
  bool general_section = false;  // before the line description's entries
};

// Origin codes of placements: an entry of entries_read by its index (0 and up), a placing step by
// its index k as step_base - k, or one of these.
namespace placement_origin {
inline constexpr std::int32_t none = -1;  // nothing noted for the cell
inline constexpr std::int32_t step_base = -2;
inline constexpr std::int32_t unknown = INT32_MIN;  // placed before any entry or step began
}  // namespace placement_origin

// The state of one compilation.
struct compilation {
  std::string route_name;
  std::string train_name;
  bool with_track_plan = false;
  // Set by `scenario check` alone: a refused entry is recorded and the reading goes on at the next
  // line, so that one run finds every fault. The compile stops at the first, as it always has.
  bool read_on_after_refusal = false;
  // The last fault recorded (0: none), and the last position any fault gave.
  long_t fault_code = 0;
  std::optional<long_t> fault_position;

  // The model.
  std::vector<cella> percorso;  // indices 0 .. upper bound; empty until the reader sizes it
  tabella_voci voci_generali{};
  tracciato_t tracciato;  // empty unless the track plan is built

  // Every fault recorded, in order.
  std::vector<diagnostic> diagnostics;

  // For diagnostics only: for each cell, who placed its object, as an origin code (see
  // placement_origin), and the code that the placements now being made are noted with. The steps
  // of the spacing pass that place objects are listed here; entries are in entries_read.
  std::vector<std::int32_t> cell_origins;
  std::int32_t current_origin = placement_origin::unknown;
  std::vector<std::string> placing_steps;

  // For the author checks only: the entries read, and the key fields that matched nothing.
  std::vector<read_entry> entries_read;
  std::vector<passed_field> passed_over;

  // Highest cell index, -1 while the cells are unsized.
  long_t upper_bound() const { return static_cast<long_t>(percorso.size()) - 1; }
};

// The one way a fault is recorded: sets fault_code (and fault_position, when the fault has a
// place) and appends the diagnostic with the file and line of the entry that caused it.
void record_fault(compilation& c, const fault& f, source_file file, int line,
                  severity sev = severity::error);

void record_fault(compilation& c, const fault& f, source_file file, source_point at,
                  severity sev = severity::error);

// The step of the spacing pass that places the objects from now on (entries begin with
// begin_entry).
void begin_placing_step(compilation& c, std::string step);

// Notes that the object now in `cell` comes from the current entry or step.
void note_placement(compilation& c, std::int64_t cell);

// Who placed the object of `cell`, or nullopt when nothing was noted.
std::optional<cell_origin> origin_of(const compilation& c, std::int64_t cell);

// "placed by line 12 of the train scenario" or "placed by <spacing step>"; empty when unknown.
std::string placed_by(const compilation& c, std::int64_t cell);

// "cell 11 (metres 550 to 599)".
std::string cell_words(std::int64_t cell);

// "cell 11 (metres 550 to 599) already holds a signal, placed by line 4 of the train scenario".
std::string occupant(const compilation& c, std::int64_t cell);

}  // namespace scenario
