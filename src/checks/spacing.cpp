#include "checks/spacing.h"

#include <algorithm>
#include <string>
#include <vector>

#include "model/fault_codes.h"

namespace scenario {

namespace {

// Value carried by every marker this pass places.
constexpr integer_t marker_value = 180;
// Restrictions slower than this get markers inside them as well.
constexpr integer_t slow_speed = 110;
// Cells between markers inside a slow restriction (400 m).
constexpr long_t marker_step = 8;
// Cells before a warning board searched for signals (1000 m).
constexpr long_t warning_reach = 20;
// Cells after a restriction end searched for the first signal (600 m).
constexpr long_t exit_reach = 12;

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
  explicit spacing_pass(compilation& c) : c_(c), last_cell_(c.upper_bound()) {
    // Restriction ends never change during the pass (markers go only on free cells), so the next
    // end after any cell can be known up front: a restriction without an end after it then costs
    // one look-up instead of a scan to the last cell.
    next_end_.assign(static_cast<std::size_t>(last_cell_) + 2, last_cell_ + 1);
    for (long_t k = last_cell_; k >= 0; --k)
      next_end_[static_cast<std::size_t>(k)] = cell(k).tipo == tipo_cella::fine_rallentamento
                                                   ? k
                                                   : next_end_[static_cast<std::size_t>(k) + 1];
  }

  void run() {
    for (long_t i = 1; i <= last_cell_ - 2; ++i) {
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
    cell(index).valore1 = marker_value;
  }

  // A cut point already there does the marker's job once its value is no higher than a marker's.
  void lower_cut_point(long_t index) {
    tagged_value lowered =
        smaller_of(tagged_value::integer(marker_value), tagged_value::integer(cell(index).valore1));
    cell(index).valore1 = static_cast<integer_t>(lowered.value);
  }

  // Step A: every signal up to 1000 m before a warning board gets a marker in front of it.
  void signals_before_warning(long_t i) {
    for (long_t back = 1; back <= warning_reach; ++back) {
      const long_t d = i - back;
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
            c_, fault_code::marker_before_warning, d,
            "the signal in " + in_cell(d) + " stands within 1000 m before the warning board in " +
                in_cell(i) + ", and the two cells in front of it hold " +
                object_name(cell(d - 1).tipo) + " and " + object_name(cell(d - 2).tipo) +
                ", neither free nor a code cut point; free one of them for a code cut marker");
      }
    }
  }

  void restriction_start(long_t i) {
    fixed_markers(i);
    const bool reached_end = cell(i).valore1 < slow_speed ? markers_inside(i) : find_end(i);
    if (reached_end) first_signal_after(end_or_last_);
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
        record_spacing_fault(c_, fault_code::marker_before_start, i,
                             "no free cell " + metres(w.nearest) + " to " + metres(w.nearest + 2) +
                                 " before the restriction start in " + in_cell(i) +
                                 " for its code cut marker; free one of cells " +
                                 std::to_string(i - w.nearest - 2) + " to " +
                                 std::to_string(i - w.nearest));
      }
    }
  }

  // Step B2: a marker every 8 cells up to the restriction end. The counter is set so that the
  // next marker stays 8 cells after this one whichever neighbour took it. Leaves end_or_last_ at
  // the end cell, or at the last cell when there is none; returns whether the end was reached.
  bool markers_inside(long_t i) {
    long_t count = 0;
    end_or_last_ = i;
    for (;;) {
      const long_t k = ++end_or_last_;
      ++count;
      if (count == marker_step) {
        const std::string step =
            "the spacing pass: a code cut marker every 400 m inside the "
            "slow restriction starting in " +
            in_cell(i);
        if (is_free(cell(k))) {
          place_marker(k, step);
          count = 0;
        } else if (is_free(cell(k - 1))) {
          place_marker(k - 1, step);
          count = 1;
        } else if (k + 1 <= last_cell_ && is_free(cell(k + 1))) {
          place_marker(k + 1, step);
          count = -1;
        } else {
          // The counter stays past 8: no further marker inside this restriction.
          record_spacing_fault(c_, fault_code::marker_inside_or_after, k,
                               "the code cut marker due in " + in_cell(k) +
                                   " inside the slow restriction starting in " + in_cell(i) +
                                   " found cells " + std::to_string(k - 1) + " to " +
                                   std::to_string(k + 1) +
                                   " taken; free one of them, or no further marker is placed "
                                   "inside this restriction");
        }
      }
      if (cell(k).tipo == tipo_cella::fine_rallentamento) return true;
      if (k == last_cell_) return false;
    }
  }

  // The end of a restriction that gets no markers inside, left where a scan would leave it.
  bool find_end(long_t i) {
    const long_t end =
        i + 1 <= last_cell_ ? next_end_[static_cast<std::size_t>(i) + 1] : last_cell_ + 1;
    end_or_last_ = std::min(end, last_cell_);
    return end <= last_cell_;
  }

  // Step B3: a marker in front of the first signal within 600 m after the end cell.
  void first_signal_after(long_t end) {
    long_t p = 0;  // the cell in front of the signal
    const long_t last = std::min(end + exit_reach, last_cell_);
    for (long_t m = end; m <= last; ++m) {
      if (cell(m).tipo == tipo_cella::segnale) {
        p = m - 1;
        break;
      }
    }
    if (p <= 0) return;
    const std::string step =
        "the spacing pass: a code cut marker in front of the first signal "
        "after the restriction end in " +
        in_cell(end);
    if (is_free(cell(p))) {
      place_marker(p, step);
    } else if (is_free(cell(p - 1))) {
      place_marker(p - 1, step);
    } else {
      record_spacing_fault(c_, fault_code::marker_inside_or_after, end,
                           "the first signal after the restriction end in " + in_cell(end) +
                               " stands in " + in_cell(p + 1) +
                               ", and the two cells in front of it are taken; free one of "
                               "cells " +
                               std::to_string(p - 1) + " and " + std::to_string(p) +
                               " for its code cut marker");
    }
  }

  compilation& c_;
  const long_t last_cell_;        // taken once: the pass never grows the cells
  std::vector<long_t> next_end_;  // first restriction end at or after each cell, or last_cell_ + 1
  long_t end_or_last_ = 0;        // where the search for a restriction's end stopped
};

}  // namespace

tagged_value smaller_of(const tagged_value& x, const tagged_value& y) {
  return x.value > y.value ? y : x;
}

void run_spacing_pass(compilation& c) {
  spacing_pass(c).run();
}

}  // namespace scenario
