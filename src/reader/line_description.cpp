#include "reader/line_description.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/numeric.h"
#include "reader/entry_scan.h"
#include "reader/line_features.h"
#include "reader/track_plan.h"

namespace scenario {

namespace {

// A field that opens a new section: not a separator, and bracketed.
bool is_section_header(std::string_view key) {
  std::size_t first = key.find_first_not_of(' ');
  if (first != std::string_view::npos && key[first] == '-') return false;
  return contains(key, "[") && contains(key, "]");
}

// How an entry leaves the entry loop.
enum class next_step { go_on, stop_entries, stop_reading };

class line_reader {
 public:
  line_reader(compilation& c, field_reader& fields) : c_(c), f_(fields) {}

  line_reading run();

 private:
  // Records a refusal at the entry just read; code 15 ends only the entries, any other the reading.
  next_step refuse(const fault& f) {
    record_fault(c_, f, source_file::line_description, f_.line());
    return f.code == 15 ? next_step::stop_entries : next_step::stop_reading;
  }

  bool general_entry(const key_field& key);
  void size_arrays();
  next_step entry(const key_field& key);

  // The cell of position p (and the 100 metres after it) lies past the route's last cell.
  bool out_of_range(long_t p) const { return c_.upper_bound() < (p + 100.0) / 50.0; }

  void gradient(long_t p, long_t g);
  void gradient_tail();
  void fill_gradient(double until);
  next_step text_board(long_t p, const std::string& text);

  compilation& c_;
  field_reader& f_;
  std::optional<long_t> length_;  // the last route length read, until the arrays are sized
  bool sized_ = false;
  std::int64_t cursore_pendenza_ = 0;
  long_t pendenza_corrente_ = 0;
  long_t indice_cartello_ = voce::primo_cartello;
  long_t metro_tracciato_ = 2;
};

line_reading line_reader::run() {
  // Everything before the general section is passed over.
  if (!find_section(f_, "[generale]")) {
    refuse({102, {}, {}});
    return {};
  }
  // Up to ten separator fields stand before a general key. The arrays are sized once, from the
  // last length, when the section ends whichever way: nothing reads them before then, and a file
  // with thousands of lengths then costs one allocation instead of one per length.
  try {
    while (std::optional<std::string> text = next_key(f_, 10, separator_end::not_tested)) {
      c_.riga_corrente = *text;
      const key_field key(*text);
      if (!general_entry(key)) {
        size_arrays();
        return {};
      }
      if (is_section_header(key.text())) break;
    }
  } catch (...) {
    size_arrays();
    throw;
  }
  size_arrays();
  if (!sized_) {
    refuse({104, {}, {}});
    return {};
  }

  progressive_ordina(c_);
  c_.numero_montagne = 0;
  if (c_.genera_linea != 0) metro_tracciato_ = start_track_plan(c_.tracciato);

  // Up to two separator fields stand before an entry.
  while (std::optional<std::string> text = next_key(f_, 2, separator_end::tested)) {
    c_.riga_corrente = *text;
    next_step step = entry(key_field(*text));
    if (step == next_step::stop_reading) return {};
    if (step == next_step::stop_entries) break;
  }

  gradient_tail();
  if (c_.genera_linea != 0) track_plan_tail(c_.tracciato, metro_tracciato_);
  return {true, indice_cartello_};
}

// Handles every general key the field holds; false when a fault ends the reading.
bool line_reader::general_entry(const key_field& key) {
  auto& v = c_.voci_generali;
  auto read_progressive = [&](int record) {
    v[record].inizio = f_.read_long();
    v[record].fine = f_.read_long();
    v[record].posizione = f_.read_long();
  };

  if (key.has("percorso") && key.has("lunghezza")) {
    const long_t length = f_.read_long();
    v[voce::treno_e_percorso].fine = length;
    if (length < 0 || length > lunghezza_massima) {
      refuse({1, {}, {}});
      return false;
    }
    length_ = length;
  }
  // Exact case from here on (see key_field).
  if (key.has_exact("tre") && key.has_exact("progressiva")) read_progressive(voce::progressiva_tre);
  if (key.has_exact("due") && key.has_exact("progressiva")) read_progressive(voce::progressiva_due);
  if (key.has_exact("uno") && key.has_exact("progressiva")) read_progressive(voce::progressiva_uno);
  if (key.has_exact("sfondo") && key.has_exact("uno")) v[voce::percorso].inizio = f_.read_long();
  if (key.has_exact("sfondo") && key.has_exact("due")) v[voce::percorso].posizione = f_.read_long();
  if (key.has_exact("sfondo") && key.has_exact("tre")) v[voce::percorso].fine = f_.read_long();
  if (key.has_exact("segnali") && key.has_exact("ripetizione")) {
    voce_generale& r = v[voce::treno];
    r.inizio = f_.read_long();
    r.fine = f_.read_long();
    if (r.inizio % 50 != 0) {
      refuse({3, {}, {}});
      return false;
    }
    if (r.fine % 50 != 0) {
      refuse({4, {}, {}});
      return false;
    }
    if (key.has_exact("4")) {
      r.posizione = 4;
    } else if (key.has_exact("9")) {
      r.posizione = 9;
    } else {
      refuse({5, {}, {}});
      return false;
    }
    if (r.fine == 0) r.posizione = 0;
  }
  return true;
}

// Fresh arrays for the last length read, if any.
void line_reader::size_arrays() {
  if (!length_) return;
  const std::int64_t n = std::int64_t{*length_} + coda_percorso;
  length_.reset();
  const auto last_cell = static_cast<std::size_t>(nearest(double(n) / 50.0));
  c_.percorso = std::vector<cella>(last_cell + 1);
  if (c_.genera_linea != 0) c_.tracciato.resize(static_cast<std::size_t>(n));
  sized_ = true;
}

next_step line_reader::entry(const key_field& key) {
  if (key.has("pendenza")) {
    const long_t p = f_.read_long();
    const long_t g = f_.read_long();
    if (out_of_range(p)) return refuse({15, p, {}});
    gradient(p, g);
  }

  if (c_.genera_linea != 0 && key.has("curva")) {
    const long_t p = f_.read_long();
    const long_t l = f_.read_long();
    if (out_of_range(p)) return refuse({15, p, {}});
    if (!curve_step(c_.tracciato, key.text(), p, l, metro_tracciato_)) return refuse({103, {}, {}});
  }

  if (key.has("montagna")) {
    const long_t inizio = f_.read_long();
    const long_t fine = f_.read_long();
    long_t tipo = f_.read_long();
    if (out_of_range(inizio)) return refuse({15, inizio, {}});
    if (auto refused = memo_montagna(c_, inizio, fine, tipo)) return refuse(*refused);
  }

  if (key.has("indicatori_v")) {
    indicatori_entry e;
    e.posizione = f_.read_long();
    e.vas = f_.read_long();
    e.vbs = f_.read_long();
    e.vcs = f_.read_long();
    e.strisces = f_.read_integer();
    e.vad = f_.read_long();
    e.vbd = f_.read_long();
    e.vcd = f_.read_long();
    e.strisced = f_.read_integer();
    if (out_of_range(e.posizione)) return refuse({15, e.posizione, {}});
    if (auto refused = memo_indicatori_v_max(c_, e)) return refuse(*refused);
  }

  if (key.has("cartello") && key.has("indicat")) {
    const long_t p = f_.read_long();
    const std::string text = f_.read_text();
    return text_board(p, text);
  }
  return next_step::go_on;
}

// Each cell carries the gradient of the last entry starting at or before it, plus 100.
void line_reader::gradient(long_t p, long_t g) {
  const double t = nearest(p / 50.0);
  if (t > 0) fill_gradient(t);
  pendenza_corrente_ = g;
}

// The last three cells keep no gradient.
void line_reader::gradient_tail() {
  fill_gradient(c_.upper_bound() - 2);
}

// Writes the current gradient from the cursor up to `until`, the cursor's cell at least once,
// never past the last cell.
void line_reader::fill_gradient(double until) {
  fill_cells(c_.percorso, cursore_pendenza_, until, c_.upper_bound(), [this](cella& cell) {
    cell.pendenza = low_byte(std::int64_t{pendenza_corrente_} + 100);
  });
}

next_step line_reader::text_board(long_t p, const std::string& text) {
  if (p < 0 || out_of_range(p)) return refuse({15, p, {}});
  // Record 0 takes the 81st board; there is no record for an 82nd.
  if (indice_cartello_ < 0) return refuse({106, p, {}});
  cella& cell = c_.percorso[static_cast<std::size_t>(nearest(p / 50.0 + 1))];
  if (!is_free(cell)) return refuse({6, p, {}});
  cell.tipo = tipo_cella::cartello_indicatore;
  cell.valore1 = static_cast<integer_t>(indice_cartello_);
  c_.voci_generali[static_cast<std::size_t>(indice_cartello_)].nome = text;
  --indice_cartello_;
  return next_step::go_on;
}

}  // namespace

line_reading read_line_description(compilation& c, field_reader& fields) {
  return line_reader(c, fields).run();
}

}  // namespace scenario
