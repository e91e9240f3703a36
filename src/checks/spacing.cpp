#include "checks/spacing.h"

#include <algorithm>
#include <string>
#include <vector>

namespace scenario {

namespace {

// Value carried by every marker this pass places.
constexpr integer_t valore_marcatore = 180;
// Restrictions slower than this get markers inside them as well.
constexpr integer_t velocita_lenta = 110;
// Cells between markers inside a slow restriction (400 m).
constexpr long_t passo_marcatori = 8;
// Cells before a warning board searched for signals (1000 m).
constexpr long_t campo_avviso = 20;
// Cells after a restriction end searched for the first signal (600 m).
constexpr long_t campo_uscita = 12;

void record_spacing_fault(compilation& c, long_t code, long_t cell, const std::string& message) {
  record_fault(c, {code, cell * 50, message}, source_file::none, 0, severity::warning);
}

std::string metres(long_t cells) {
  return std::to_string(std::int64_t{cells} * 50) + " m";
}

// "cell 8 (400 m)": a cell by its number and where it starts, since the entry that put an object
// there may have named a point up to 75 m before.
std::string in_cell(long_t cell) {
  return "cell " + std::to_string(cell) + " (" + metres(cell) + ")";
}

class spacing_pass {
 public:
  explicit spacing_pass(compilation& c) : c_(c), ultima_(c.upper_bound()) {
    // Restriction ends never change during the pass (markers go only on free cells), so the next
    // end after any cell can be known up front: a restriction without an end after it then costs
    // one look-up instead of a scan to the last cell.
    next_end_.assign(static_cast<std::size_t>(ultima_) + 2, ultima_ + 1);
    for (long_t k = ultima_; k >= 0; --k)
      next_end_[static_cast<std::size_t>(k)] = cell(k).tipo == tipo_cella::fine_rallentamento
                                                   ? k
                                                   : next_end_[static_cast<std::size_t>(k) + 1];
  }

  void run() {
    for (c_.indice_cella = 1; c_.indice_cella <= ultima_ - 2; ++c_.indice_cella) {
      const long_t i = c_.indice_cella;
      if (cell(i).tipo == tipo_cella::avviso_rallentamento) signals_before_warning(i);
      if (cell(i).tipo == tipo_cella::inizio_rallentamento) restriction_start(i);
    }
  }

 private:
  cella& cell(long_t index) { return c_.percorso[static_cast<std::size_t>(index)]; }

  // `step` says which rule placed it, for diagnostics about the cell later on.
  void place_marker(long_t index, const std::string& step) {
    begin_placing_step(c_, step);
    note_placement(c_, index);
    cell(index).tipo = tipo_cella::abbattimento;
    cell(index).valore1 = valore_marcatore;
  }

  // A cut point already there does the marker's job once its value is no higher than a marker's.
  void lower_cut_point(long_t index) {
    tagged_value lowered =
        minimo(tagged_value::integer(valore_marcatore), tagged_value::integer(cell(index).valore1));
    cell(index).valore1 = static_cast<integer_t>(lowered.value);
  }

  // Step A: every signal up to 1000 m before a warning board gets a marker in front of it.
  void signals_before_warning(long_t i) {
    for (c_.indice_k = 1; c_.indice_k <= campo_avviso; ++c_.indice_k) {
      const long_t d = i - c_.indice_k;
      if (d < 3) break;
      if (cell(d).tipo != tipo_cella::segnale) continue;
      const std::string step = "the spacing pass: a code cut marker in front of the signal in " +
                               in_cell(d) + ", within 1000 m before the warning board in " +
                               in_cell(i);
      if (is_free(cell(d - 1))) {
        place_marker(d - 1, step);
      } else if (is_free(cell(d - 2))) {
        place_marker(d - 2, step);
      } else if (cell(d - 1).tipo == tipo_cella::abbattimento) {
        lower_cut_point(d - 1);
      } else if (cell(d - 2).tipo == tipo_cella::abbattimento) {
        lower_cut_point(d - 2);
      } else {
        record_spacing_fault(
            c_, 11, d,
            "the signal in " + in_cell(d) + " stands within 1000 m before the warning board in " +
                in_cell(i) + ", and the two cells in front of it hold " +
                object_name(cell(d - 1).tipo) + " and " + object_name(cell(d - 2).tipo) +
                ", neither free nor a code cut point; free one of them for a code cut marker");
      }
    }
  }

  void restriction_start(long_t i) {
    fixed_markers(i);
    const bool reached_end = cell(i).valore1 < velocita_lenta ? markers_inside(i) : find_end(i);
    if (reached_end) first_signal_after(c_.indice_k);
  }

  // Step B1: three windows at 250-350, 550-650 and 900-1000 m before the start.
  void fixed_markers(long_t i) {
    struct window {
      long_t limit, nearest;
    };
    static constexpr window windows[] = {{7, 5}, {13, 11}, {20, 18}};
    for (const window& w : windows) {
      if (i <= w.limit) continue;
      bool placed = false;
      for (long_t back = w.nearest; back <= w.nearest + 2 && !placed; ++back) {
        if (is_free(cell(i - back))) {
          place_marker(i - back, "the spacing pass: a code cut marker " + metres(back) +
                                     " before the restriction start in " + in_cell(i));
          placed = true;
        }
      }
      if (!placed) {
        record_spacing_fault(c_, 12, i,
                             "no free cell " + metres(w.nearest) + " to " + metres(w.nearest + 2) +
                                 " before the restriction start in " + in_cell(i) +
                                 " for its code cut marker; free one of cells " +
                                 std::to_string(i - w.nearest - 2) + " to " +
                                 std::to_string(i - w.nearest));
      }
    }
  }

  // Step B2: a marker every 8 cells up to the restriction end. The counter is set so that the
  // next marker stays 8 cells after this one whichever neighbour took it. Leaves indice_k at the
  // end cell, or at the last cell when there is none; returns whether the end was reached.
  bool markers_inside(long_t i) {
    c_.contatore_n = 0;
    c_.indice_k = i;
    for (;;) {
      const long_t k = ++c_.indice_k;
      ++c_.contatore_n;
      if (c_.contatore_n == passo_marcatori) {
        const std::string step =
            "the spacing pass: a code cut marker every 400 m inside the "
            "slow restriction starting in " +
            in_cell(i);
        if (is_free(cell(k))) {
          place_marker(k, step);
          c_.contatore_n = 0;
        } else if (is_free(cell(k - 1))) {
          place_marker(k - 1, step);
          c_.contatore_n = 1;
        } else if (k + 1 <= ultima_ && is_free(cell(k + 1))) {
          place_marker(k + 1, step);
          c_.contatore_n = -1;
        } else {
          // The counter stays past 8: no further marker inside this restriction.
          record_spacing_fault(c_, 13, k,
                               "the code cut marker due in " + in_cell(k) +
                                   " inside the slow restriction starting in " + in_cell(i) +
                                   " found cells " + std::to_string(k - 1) + " to " +
                                   std::to_string(k + 1) +
                                   " taken; free one of them, or no further marker is placed "
                                   "inside this restriction");
        }
      }
      if (cell(k).tipo == tipo_cella::fine_rallentamento) return true;
      if (k == ultima_) return false;
    }
  }

  // The end of a restriction that gets no markers inside: indice_k as a scan would leave it.
  bool find_end(long_t i) {
    const long_t end = i + 1 <= ultima_ ? next_end_[static_cast<std::size_t>(i) + 1] : ultima_ + 1;
    c_.indice_k = std::min(end, ultima_);
    return end <= ultima_;
  }

  // Step B3: a marker in front of the first signal within 600 m after the end cell.
  void first_signal_after(long_t end) {
    c_.contatore_n = 0;
    const long_t last = std::min(end + campo_uscita, ultima_);
    for (c_.indice_m = end; c_.indice_m <= last; ++c_.indice_m) {
      if (cell(c_.indice_m).tipo == tipo_cella::segnale) {
        c_.contatore_n = c_.indice_m - 1;
        break;
      }
    }
    if (c_.contatore_n <= 0) return;
    const long_t p = c_.contatore_n;
    const std::string step =
        "the spacing pass: a code cut marker in front of the first signal "
        "after the restriction end in " +
        in_cell(end);
    if (is_free(cell(p))) {
      place_marker(p, step);
    } else if (is_free(cell(p - 1))) {
      place_marker(p - 1, step);
    } else {
      record_spacing_fault(c_, 13, end,
                           "the first signal after the restriction end in " + in_cell(end) +
                               " stands in " + in_cell(p + 1) +
                               ", and the two cells in front of it are taken; free one of "
                               "cells " +
                               std::to_string(p - 1) + " and " + std::to_string(p) +
                               " for its code cut marker");
    }
  }

  compilation& c_;
  const long_t ultima_;           // taken once: the pass never grows the cells
  std::vector<long_t> next_end_;  // first restriction end at or after each cell, or ultima_ + 1
};

}  // namespace

tagged_value minimo(const tagged_value& x, const tagged_value& y) {
  return x.value > y.value ? y : x;
}

void run_spacing_pass(compilation& c) {
  spacing_pass(c).run();
}

}  // namespace scenario
