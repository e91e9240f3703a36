// The printed form of a timetable card: pages of 31 table rows under the header blocks, every row
// split by "|" into cells of 5, 5, 9, 1, 22, 19, 5 and 7 characters. Windows-1252 text.
#pragma once

#include <string>
#include <vector>

#include "card/card.h"

namespace scenario::card {

inline constexpr std::size_t rows_per_page = 31;

// One table row: " |" and the eight cells, each closed by "|", 83 characters.
std::string row_text(const card_row& row);

// "23.26   23.27 (1.5)": the time cell of a row, 19 characters.
std::string times_text(const card_row& row);

// "0.11": a time of day as hours and whole minutes, seconds dropped.
std::string clock_text(double seconds_after_midnight);

// Every line of the card, without line ends.
std::vector<std::string> card_lines(const timetable_card& card);

// The file: every line followed by CR LF.
std::string card_bytes(const timetable_card& card);

}  // namespace scenario::card
