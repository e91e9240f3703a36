#include "card/card_text.h"

#include <cmath>

#include "card/kilometres.h"

namespace scenario::card {

namespace {

std::string padded(const std::string& s, std::size_t width) {
  return s.size() >= width ? s.substr(0, width) : s + std::string(width - s.size(), ' ');
}

std::string right_aligned(const std::string& s, std::size_t width) {
  return s.size() >= width ? s.substr(0, width) : std::string(width - s.size(), ' ') + s;
}

// Centred in `width`, the odd character of room on the left.
std::string centred(const std::string& s, std::size_t width, char fill = ' ') {
  if (s.size() >= width) return s.substr(0, width);
  const std::size_t room = width - s.size();
  const std::size_t left = room - room / 2;
  return std::string(left, fill) + s + std::string(room - left, fill);
}

std::string speed_cell(const std::optional<int>& kmh) {
  return kmh ? right_aligned(std::to_string(*kmh), 4) + " " : std::string(5, ' ');
}

// A count too long for its eight characters shows as a row of "#" rather than as wrong digits.
std::string count_cell(long_t metres) {
  const std::string text = kilometres_text(metres);
  return text.size() > 8 ? std::string(8, '#') : right_aligned(text, 8);
}

std::string mark(code_mark m) {
  return m == code_mark::begins ? "COD" : m == code_mark::coded ? " : " : "   ";
}

// "(1.5)" minutes, whole minutes from ten on so that the text stays within five characters.
std::string stop_text(double seconds) {
  const double minutes = seconds / 60;
  if (minutes >= 10) return "(" + std::to_string(std::lround(minutes)) + ")";
  const long tenths = std::lround(minutes * 10);
  return "(" + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + ")";
}

// The underlined form of a row: every blank inside the cells becomes "_".
std::string underlined(std::string row) {
  for (std::size_t i = 1; i < row.size(); ++i)
    if (row[i] == ' ') row[i] = '_';
  return row;
}

std::string dots(std::size_t n) {
  return std::string(n, '.');
}

}  // namespace

std::string clock_text(double seconds_after_midnight) {
  const auto s = static_cast<long long>(std::floor(seconds_after_midnight));
  const long long day = 86400;
  const long long in_day = ((s % day) + day) % day;
  const long long minutes = in_day % 3600 / 60;
  return std::to_string(in_day / 3600) + "." + (minutes < 10 ? "0" : "") + std::to_string(minutes);
}

std::string times_text(const card_row& row) {
  std::string cell(19, ' ');
  auto put = [&](std::size_t at, const std::string& text) { cell.replace(at, text.size(), text); };
  if (row.arrival_s) put(0, right_aligned(clock_text(*row.arrival_s), 5));
  if (row.passing_s) put(4, right_aligned(clock_text(*row.passing_s), 5));
  if (row.departure_s) put(8, right_aligned(clock_text(*row.departure_s), 5));
  if (row.stop_s) {
    const std::string s = stop_text(*row.stop_s);
    put(19 - s.size(), s);
  }
  return cell;
}

std::string row_text(const card_row& row) {
  std::string right(5, ' ');
  if (row.right == right_track::speed) right = speed_cell(row.right_kmh);
  if (row.right == right_track::ends) right = " ___ ";
  return " |" + speed_cell(row.left_max_kmh) + "|" + speed_cell(row.left_running_kmh) + "|" +
         count_cell(row.count_m) + (row.change_over ? "/" : " ") + "|" +
         std::string(1, row.drawing) + "|" + padded(row.name, 22) + "|" + times_text(row) + "|" +
         right + "|" + mark(row.left_code) + " " + mark(row.right_code) + "|";
}

namespace {

// A row with nothing but the drawing and the code marks.
std::string blank_row_text(char drawing, code_mark left, code_mark right) {
  return " |     |     |         |" + std::string(1, drawing) + "|" + std::string(22, ' ') + "|" +
         std::string(19, ' ') + "|     |" + mark(left) + " " + mark(right) + "|";
}

code_mark carried(code_mark m) {
  return m == code_mark::none ? code_mark::none : code_mark::coded;
}

}  // namespace

std::vector<std::string> card_lines(const timetable_card& card) {
  std::vector<std::string> lines = {")", ""};
  const std::size_t pages =
      std::max<std::size_t>(1, (card.rows.size() + rows_per_page - 1) / rows_per_page);
  bool starred = false;
  for (const card_row& r : card.rows) starred = starred || r.name.find(" *") != std::string::npos;
  const std::string total = std::to_string(pages);
  for (std::size_t page = 0; page < pages; ++page) {
    const std::size_t first = page * rows_per_page;
    const std::size_t end = std::min(card.rows.size(), first + rows_per_page);
    auto point = [&](std::size_t i) {
      if (i >= card.rows.size()) return std::string();
      const card_row& r = card.rows[i];
      if (!r.name.empty()) return r.name;
      return "Km " + kilometres_text(r.count_m);
    };
    const std::string from_name = first < end ? point(first) : std::string();
    const std::string to_name = first < end ? point(end - 1) : std::string();
    const std::string number = std::to_string(page + 1) + "/" + total;
    lines.push_back(
        "  __________________________________                            __________________");
    lines.push_back(" |                 | Termine scheda |    SCHEDA TRENO          |" +
                    centred(card.category, 18) + "|");
    lines.push_back(" |" + centred("TRENO n. " + card.train_number, 17) +
                    "|                |                          |                  |");
    lines.push_back(" |_________________|" + centred(card.end_name, 16, '_') + "|" +
                    padded("    Scheda n\xB0 " + number, 26) + "|" +
                    centred(card.braked_mass, 18, '_') + "|       ");
    lines.push_back(std::string(56, ' '));
    lines.push_back(padded("  __________________________________  Da: " + from_name, 63));
    lines.push_back(
        " | CLASSIFICAZIONE | MASSA BLOCCATA |                           __________________");
    lines.push_back(" |" + centred(card.classification, 17) + "|" + centred(card.blocked_mass, 16) +
                    "| a:  " + padded(to_name, 21) + "|" + centred(card.locomotive, 9) + "|" +
                    centred(card.repetition, 8) + "|");
    lines.push_back(
        " |_________________|________________|                          |_________|________|");
    lines.push_back(
        "  ________________________________________________________________________________");
    lines.push_back(
        " |Binario SX |                                  |                   | Vel.|SRS SRS|");
    lines.push_back(
        " |___________| Progr Km   Localita' di  Servizio|     Orario        | Max.|       |");
    lines.push_back(
        " | Vel.| Vel.|                                  |                   | Bin.|SX  DX |");
    lines.push_back(
        " |_Max.|_Mar.|__________________________________|___________________|__DX_|_______|");
    for (std::size_t i = first; i < end; ++i) lines.push_back(row_text(card.rows[i]));
    for (std::size_t i = end; i < first + rows_per_page; ++i)
      lines.push_back(blank_row_text(' ', code_mark::none, code_mark::none));
    // The bottom line carries on the drawing and the code of the line where the page ends; after
    // the route's end nothing carries on.
    const bool last = page + 1 == pages;
    std::string bottom_text = blank_row_text(' ', code_mark::none, code_mark::none);
    if (!last && end > first) {
      const card_row& r = card.rows[end - 1];
      bottom_text = blank_row_text(r.drawing, carried(r.left_code), carried(r.right_code));
    }
    lines.push_back(underlined(bottom_text));
    lines.push_back("");
    if (page == 0 && starred)
      lines.push_back(" * Localit\xE0 sedi di fermata, sprovviste di segnalamento di protezione");
    if (!last) {
      lines.push_back(dots(83));
      lines.push_back("");
    }
  }
  return lines;
}

std::string card_bytes(const timetable_card& card) {
  std::string out;
  for (const std::string& line : card_lines(card)) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace scenario::card
