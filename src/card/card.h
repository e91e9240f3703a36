// The driver's timetable card of a compiled scenario: one row for every point of the line in order
// of travel, with the line speeds of both tracks, the kilometre count, the times of the run and the
// cab code of both tracks. Reads the model and the running-time calculation; prints nothing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "card/running.h"
#include "model/model.h"

namespace scenario::card {

// What the right-track speed cell says on a row.
enum class right_track { unchanged, speed, ends };

// The cab-code mark of one track on a row.
enum class code_mark { none, begins, coded };

// One row of the card's table.
struct card_row {
  long_t position_m = 0;                // route metres
  long_t count_m = 0;                   // the kilometre count printed
  bool change_over = false;             // the last row of a count: "/" after it
  bool new_count = false;               // the first row of a new count, at the same place
  std::optional<int> left_max_kmh;      // where the line speed changes
  std::optional<int> left_running_kmh;  // where the train's own speed changes
  char drawing = ' ';                   // the gradient from here: '/', '\\' or '_'
  std::string name;                     // Windows-1252, at most 22 characters
  bool station = false;
  // Times, seconds after midnight (possibly past 86400), for a station row.
  std::optional<double> arrival_s;
  std::optional<double> departure_s;
  std::optional<double> passing_s;
  std::optional<double> stop_s;  // the stop time printed in parentheses
  right_track right = right_track::unchanged;
  int right_kmh = 0;  // with right_track::speed
  code_mark left_code = code_mark::none;
  code_mark right_code = code_mark::none;
};

// The card and the run it comes from.
struct timetable_card {
  std::string train_number;    // "368"
  std::string classification;  // "EXP"
  std::string category;        // "V160B"
  std::string locomotive;      // "E444R"
  std::string repetition;      // "RSC9", empty without cab repetition
  std::string blocked_mass;    // "800T"
  std::string braked_mass;     // "125%"
  std::string end_name;        // the last station, as the card names it, in capitals
  std::vector<card_row> rows;
  card_run run;
};

// The card, or why there is none (its run's failure). The model must be compiled with its track
// plan for curves to count in the running times.
timetable_card make_card(const compilation& c, const train_data& t,
                         const timetable::running_parameters& p = {},
                         const timetable::schedule_parameters& s = {});

// A station's name as the card prints it: "Centrale" shortened to "C.le", a name too long for its
// cell cut with a full stop, and " *" after a stop without protection signals.
std::string card_name(const std::string& name, bool without_protection);

// A signal with a left head of the kinds that protect a station or junction: its first left head
// value is 2, 3 or 5 (4 is a departure or block signal).
bool is_protection_signal(const cella& c);

// A text board's text as a card row names it ("Cippo Km 28.000", "Dev.U.", "Bivio Mortellini"), or
// nothing for a board that is neither a kilometre post nor a junction.
std::optional<std::string> board_name(const std::string& text);

}  // namespace scenario::card
