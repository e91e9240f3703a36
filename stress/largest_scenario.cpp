#include "largest_scenario.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace scenario::tools {

namespace {

constexpr long unit_cells = 200;  // the pattern repeats every 10 km

// Each 10 km unit holds one restriction: start at offset 101, end at 121, warning at 77, approach
// cells 73 to 76. These offsets stay for it and for the markers that the spacing pass adds around
// it (three windows before the start, two inside, one in front of the first signal after the end),
// with a signal at 60 (before the warning) and one at 125 (after the end) to be marked.
bool reserved_for_restriction(long offset) {
  static const std::set<long> reserved = {58,  59,  60,  73,  74,  75,  76,  77,  81,  82,
                                          83,  88,  89,  90,  94,  95,  96,  101, 108, 109,
                                          110, 116, 117, 118, 121, 122, 123, 124, 125};
  return reserved.count(offset) > 0;
}

// Signals up to 20 cells before a warning board need a free cell or a cut point in front of them.
bool before_warning(long offset) {
  return offset >= 57 && offset <= 76;
}

}  // namespace

scenario_texts largest_scenario(const largest_scenario_options& options) {
  const long route_length = options.route_length;
  const long last_cell = (route_length + 7000) / 50;  // 20140 at the longest
  const long plan_end = std::min(route_length - 10000, 990000L);
  std::ostringstream line, train;
  line << "[generale]\r\n"
       << "lunghezza percorso,    " << route_length << "\r\n"
       << "progressiva chilometrica uno,    100000,    3050,    0\r\n"
       << "progressiva chilometrica due,    500000,    -500000,    0\r\n"
       << "progressiva chilometrica tre,    900000,    12050,    1\r\n"
       << "sfondo uno,    1\r\nsfondo due,    2\r\nsfondo tre,    3\r\n"
       << "ripetizione segnali 9 codici,    8000,    990000\r\n";

  // Hundreds of curves of every class, in left-right pairs of one class so the line keeps its
  // heading, and never past the metre the track plan may reach.
  line << "[curve]\r\n";
  int curve = 0;
  for (long p = 1000; p + 400 < plan_end; p += 1500, ++curve)
    line << "curva" << (curve % 2 ? 'd' : 's') << 1 + (curve / 2) % 6 << ",  " << p << ",  "
         << 100 + 50 * ((curve / 2) % 4) << "\r\n";

  line << "[pendenze]\r\n";
  for (long p = 0; p < route_length; p += 400)
    line << "pendenza,  " << p << ",   " << (p / 400) % 21 - 10 << "\r\n";

  // 80 marked mountain spans, the most the tables hold.
  line << "[montagne]\r\n";
  for (int m = 0; m < 80 && 22000 + 12000L * m < route_length; ++m)
    line << "montagna,   " << 20000 + 12000L * m << ",  " << 22000 + 12000L * m << ",  12\r\n";

  // Every cell outside the restriction reserve gets one object: the kind follows the offset, and
  // the station end cells are left for the stations, which overwrite whatever they meet.
  std::set<long> station_ends;
  const int stations = static_cast<int>(
      std::min<long>(options.stations, std::max(0L, (route_length - 5000) / 12500 + 1)));
  for (int k = 0; k < stations; ++k) station_ends.insert((5000 + 12500L * k + 150) / 50 - 1);
  std::set<long> text_board_cells;
  for (int b = 0; b < options.text_boards && unit_cells * b + 20 < last_cell - 3; ++b)
    text_board_cells.insert(unit_cells * b + 20);
  const long units_with_restriction = options.restrictions ? (last_cell - 10) / unit_cells : 0;

  std::ostringstream speed_boards, text_boards, signals, cuts;
  int board = 0;
  // From cell 10 on, so that no signal's approach marks fall before the first cell.
  for (long c = 10; c <= last_cell - 3; ++c) {
    const long offset = c % unit_cells;
    if (station_ends.count(c)) continue;
    if (reserved_for_restriction(offset)) {
      // One signal before the warning board and one after the restriction's end, so the spacing
      // pass has markers to place in front of them.
      if ((offset == 60 || offset == 125) && c / unit_cells < units_with_restriction)
        signals << "segnale,  " << (c - 1) * 50 << ",   2, 3, 1,  1, 0,    2,  2,1,1, 0\r\n";
      if (c / unit_cells < units_with_restriction) continue;
    }
    if (text_board_cells.count(c)) {
      text_boards << "cartello_indicatore,  " << (c - 1) * 50 << ",   (Board)(" << board++
                  << ")\r\n";
      continue;
    }
    switch (before_warning(offset) && c % 4 == 0 ? 1 : c % 4) {
      case 0:
        signals << "segnale,  " << (c - 1) * 50 << ",   2, 3, 1,  1, 0,    2,  2,1,1, " << c % 300
                << "\r\n";
        break;
      case 1:
        // Mostly cut points of value 0; a code value where a signal before a warning needs one.
        cuts << "abbattimento,  " << c * 50 << ",   "
             << (c % 8 == 1 || before_warning(offset) ? 270 : 0) << "\r\n";
        break;
      case 2:
        speed_boards << "indicatori_vmax,  " << (c - 1) * 50 << ",  90,  95,  100,  " << c % 3
                     << ",  ,  ,  ,  0\r\n";
        break;
      default:
        signals << "segnale,  " << (c - 1) * 50 << ",   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n";
    }
  }
  line << "[cartelli]\r\n" << speed_boards.str() << "[indicazioni]\r\n" << text_boards.str();
  line << "[fine]\r\n";

  train << "[generale]\r\nnumero vetture,    16\r\npercentuale massa frenata,    125\r\n"
        << "sabbia,    200\r\norologio,    23              15            30 \r\n";
  train << "[aderenze]\r\n";
  for (long p = 0; p < route_length; p += 5000)
    train << "aderenza,  " << p << ",    " << 80 + (p / 5000) % 20 << "\r\n";
  train << "[vel_limite]\r\n";
  for (long p = 0; p < route_length; p += 2000)
    train << "velocita,  " << p << ",    " << 60 + 5 * ((p / 2000) % 21) << "\r\n";
  // Signals and cut points are listed in position order, restrictions one per unit in the
  // reserve, stations last: a full station table stops the reading only after everything else.
  train << "[segnali]\r\n" << signals.str();
  train << "[rallentamenti]\r\n";
  for (long u = 0; u < units_with_restriction; ++u)
    train << "rallentamento,  " << u * unit_cells * 50 + 5000 << ",  " << (u % 2 ? 60 : 120)
          << ",  1000,  1,  1,  " << u % 3 << "\r\n";
  train << "[codici]\r\n" << cuts.str();
  train << "[stazioni]\r\n";
  for (int k = 0; k < stations; ++k)
    train << "stazione,  " << 5000 + 12500L * k << ", 22,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,  "
          << k % 24 << "," << k % 60 << ", 0, Stazione " << k + 1 << "\r\n";
  train << "[fine]\r\n";
  return {line.str(), train.str()};
}

}  // namespace scenario::tools
