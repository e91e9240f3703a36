#include "reader/line_description.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/numeric.h"
#include "reader/line_features.h"
#include "reader/track_plan.h"

namespace scenario {

namespace {

bool contains(std::string_view s, std::string_view word) {
  return s.find(word) != std::string_view::npos;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return out;
}

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
  void fault(long_t code, std::optional<long_t> position = std::nullopt) {
    record_fault(c_, code, position, severity::error, source_file::line_description, f_.line());
  }

  bool general_entry(const std::string& key);
  void size_arrays(long_t length);
  next_step entry(const std::string& key);

  // The cell of position p (and the 100 metres after it) lies past the route's last cell.
  bool out_of_range(long_t p) const { return c_.upper_bound() < (p + 100.0) / 50.0; }

  void gradient(long_t p, long_t g);
  void gradient_tail();
  void fill_gradient(double until);
  next_step text_board(long_t p, const std::string& text);

  compilation& c_;
  field_reader& f_;
  bool sized_ = false;
  std::int64_t cursore_pendenza_ = 0;
  long_t pendenza_corrente_ = 0;
  long_t indice_cartello_ = voce::primo_cartello;
  long_t metro_tracciato_ = 2;
};

line_reading line_reader::run() {
  // Everything before the general section is passed over.
  for (;;) {
    std::string field = f_.read_text();
    if (f_.at_end()) {
      fault(102);
      return {};
    }
    if (contains(lower(field), "[generale]")) break;
  }

  for (;;) {
    if (f_.at_end()) break;
    std::string key = f_.read_text();
    if (f_.at_end()) break;
    for (int i = 0; i < 10 && contains(key, "-"); ++i) key = f_.read_text();
    c_.riga_corrente = key;
    if (!general_entry(key)) return {};
    if (is_section_header(key)) break;
  }
  if (!sized_) {
    fault(104);
    return {};
  }

  progressive_ordina(c_);
  c_.numero_montagne = 0;
  if (c_.genera_linea != 0) metro_tracciato_ = start_track_plan(c_.tracciato);

  for (;;) {
    if (f_.at_end()) break;
    std::string key = f_.read_text();
    if (f_.at_end()) break;
    // Up to two separator fields stand before an entry; only key fields are tested, so negative
    // values still read as values.
    if (contains(key, "-")) {
      key = f_.read_text();
      if (f_.at_end()) break;
      if (contains(key, "-")) {
        key = f_.read_text();
        if (f_.at_end()) break;
      }
    }
    c_.riga_corrente = key;
    next_step step = entry(key);
    if (step == next_step::stop_reading) return {};
    if (step == next_step::stop_entries) break;
  }

  gradient_tail();
  if (c_.genera_linea != 0) track_plan_tail(c_.tracciato, metro_tracciato_);
  return {true, indice_cartello_};
}

// Handles every general key the field holds; false when a fault ends the reading.
bool line_reader::general_entry(const std::string& key) {
  const std::string lk = lower(key);
  auto& v = c_.voci_generali;
  auto read_progressive = [&](int record) {
    v[record].inizio = f_.read_long();
    v[record].fine = f_.read_long();
    v[record].posizione = f_.read_long();
  };

  if (contains(lk, "percorso") && contains(lk, "lunghezza")) {
    const long_t length = f_.read_long();
    v[voce::treno_e_percorso].fine = length;
    if (length < 0 || length > lunghezza_massima) {
      fault(1);
      return false;
    }
    size_arrays(length);
  }
  if (contains(key, "tre") && contains(key, "progressiva")) read_progressive(voce::progressiva_tre);
  if (contains(key, "due") && contains(key, "progressiva")) read_progressive(voce::progressiva_due);
  if (contains(key, "uno") && contains(key, "progressiva")) read_progressive(voce::progressiva_uno);
  if (contains(key, "sfondo") && contains(key, "uno")) v[voce::percorso].inizio = f_.read_long();
  if (contains(key, "sfondo") && contains(key, "due")) v[voce::percorso].posizione = f_.read_long();
  if (contains(key, "sfondo") && contains(key, "tre")) v[voce::percorso].fine = f_.read_long();
  if (contains(key, "segnali") && contains(key, "ripetizione")) {
    voce_generale& r = v[voce::treno];
    r.inizio = f_.read_long();
    r.fine = f_.read_long();
    if (r.inizio % 50 != 0) {
      fault(3);
      return false;
    }
    if (r.fine % 50 != 0) {
      fault(4);
      return false;
    }
    if (contains(key, "4")) {
      r.posizione = 4;
    } else if (contains(key, "9")) {
      r.posizione = 9;
    } else {
      fault(5);
      return false;
    }
    if (r.fine == 0) r.posizione = 0;
  }
  return true;
}

// Fresh arrays: a second length loses whatever the first one's arrays held.
void line_reader::size_arrays(long_t length) {
  const std::int64_t n = std::int64_t{length} + coda_percorso;
  const auto last_cell = static_cast<std::size_t>(nearest(double(n) / 50.0));
  c_.percorso = std::vector<cella>(last_cell + 1);
  if (c_.genera_linea != 0) c_.tracciato.resize(static_cast<std::size_t>(n));
  sized_ = true;
}

next_step line_reader::entry(const std::string& key) {
  const std::string lk = lower(key);

  if (contains(lk, "pendenza")) {
    const long_t p = f_.read_long();
    const long_t g = f_.read_long();
    if (out_of_range(p)) {
      fault(15, p);
      return next_step::stop_entries;
    }
    gradient(p, g);
  }

  if (c_.genera_linea != 0 && contains(lk, "curva")) {
    const long_t p = f_.read_long();
    const long_t l = f_.read_long();
    if (out_of_range(p)) {
      fault(15, p);
      return next_step::stop_entries;
    }
    if (!curve_step(c_.tracciato, key, p, l, metro_tracciato_)) {
      fault(103);
      return next_step::stop_reading;
    }
  }

  if (contains(lk, "montagna")) {
    const long_t inizio = f_.read_long();
    const long_t fine = f_.read_long();
    long_t tipo = f_.read_long();
    if (out_of_range(inizio)) {
      fault(15, inizio);
      return next_step::stop_entries;
    }
    memo_montagna(c_, inizio, fine, tipo, f_.line());
    if (c_.codice_errore > 0) {
      return c_.codice_errore == 15 ? next_step::stop_entries : next_step::stop_reading;
    }
  }

  if (contains(lk, "indicatori_v")) {
    const long_t posizione = f_.read_long();
    const long_t vas = f_.read_long();
    const long_t vbs = f_.read_long();
    const long_t vcs = f_.read_long();
    const integer_t strisces = f_.read_integer();
    const long_t vad = f_.read_long();
    const long_t vbd = f_.read_long();
    const long_t vcd = f_.read_long();
    const integer_t strisced = f_.read_integer();
    if (out_of_range(posizione)) {
      fault(15, posizione);
      return next_step::stop_entries;
    }
    memo_indicatori_v_max(c_, posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced,
                          f_.line());
    if (c_.codice_errore > 0) {
      return c_.codice_errore == 15 ? next_step::stop_entries : next_step::stop_reading;
    }
  }

  if (contains(lk, "cartello") && contains(lk, "indicat")) {
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
  const std::int64_t last = c_.upper_bound();
  do {
    if (cursore_pendenza_ > last) break;
    c_.percorso[static_cast<std::size_t>(cursore_pendenza_)].pendenza =
        low_byte(std::int64_t{pendenza_corrente_} + 100);
    ++cursore_pendenza_;
  } while (cursore_pendenza_ < until);
}

next_step line_reader::text_board(long_t p, const std::string& text) {
  if (p < 0 || out_of_range(p)) {
    fault(15, p);
    return next_step::stop_entries;
  }
  // Record 0 takes the 81st board; there is no record for an 82nd.
  if (indice_cartello_ < 0) {
    fault(106, p);
    return next_step::stop_reading;
  }
  cella& cell = c_.percorso[static_cast<std::size_t>(nearest(p / 50.0 + 1))];
  if (!is_free(cell)) {
    fault(6, p);
    return next_step::stop_reading;
  }
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
