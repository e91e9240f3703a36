#include "reader/file_format.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "reader/entry_scan.h"

// The table names only the members each value needs; the others keep their defaults, which is
// what designated initializers are for.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace scenario {

namespace {

constexpr value_range byte_range{0, 255};
constexpr value_range integer_range{-32768, 32767};
constexpr value_range long_range{std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()};
constexpr value_range text_length{0, 32767};
// A position: any Long reads, the route's cells decide (code 15); a real one lies on the route.
constexpr value_range position_usual{0, 1000000};
// Speeds of trains and boards, km/h.
constexpr value_range speed_usual{0, 300};

// A route position: the first value of most entries.
constexpr value_format position(std::string_view meaning) {
  return {.name = "posizione",
          .meaning = meaning,
          .unit = "m",
          .read = read_as::long_int,
          .stored = "nowhere; it chooses the cell",
          .accepted = long_range,
          .usual = position_usual,
          .route_position = true,
          .on_route_cells = true};
}

// The three numbers of a kilometre progressive, each with where it is stored.
constexpr std::array<value_format, 3> progressive(std::string_view inizio, std::string_view fine,
                                                  std::string_view flag) {
  return {{
      {.name = "inizio",
       .meaning = "Route position where this kilometre count begins. The three progressives are "
                  "put in order of this position after the general section.",
       .unit = "m",
       .read = read_as::long_int,
       .stored = inizio,
       .accepted = long_range,
       .usual = position_usual,
       .route_position = true,
       .form = "a multiple of 50 (code 2)"},
      {.name = "fine",
       .meaning = "The kilometre count at that position, in metres (3050 is km 3.050); it may be "
                  "negative. A flag of 1 adds 100 after ordering.",
       .unit = "m",
       .read = read_as::long_int,
       .stored = fine,
       .accepted = long_range,
       .usual = long_range,
       .form = "a multiple of 50 (code 2)"},
      {.name = "posizione",
       .meaning = "Flag: 1 adds 100 m to the count after ordering; 0 adds nothing.",
       .unit = "",
       .read = read_as::long_int,
       .stored = flag,
       .accepted = long_range,
       .usual = {0, 1}},
  }};
}

constexpr value_format length_values[] = {
    {.name = "lunghezza",
     .meaning = "Length of the route. The route cells run from 0 to nearest((lunghezza + 7000) / "
                "50), the track plan to metre lunghezza + 7000.",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "record 84 `fine` (Long)",
     .accepted = {0, 1000000},
     .usual = {1000, 1000000}},
};
// Stored as read; the three records are put in order of their positions afterwards.
constexpr auto progressive_tre_values = progressive(
    "record 81 `inizio` (Long)", "record 81 `fine` (Long)", "record 81 `posizione` (Long)");
constexpr auto progressive_due_values = progressive(
    "record 82 `inizio` (Long)", "record 82 `fine` (Long)", "record 82 `posizione` (Long)");
constexpr auto progressive_uno_values = progressive(
    "record 83 `inizio` (Long)", "record 83 `fine` (Long)", "record 83 `posizione` (Long)");

constexpr value_format background(std::string_view stored) {
  return {.name = "sfondo",
          .meaning = "A background setting of the route, handed to the simulator as it stands.",
          .unit = "",
          .read = read_as::long_int,
          .stored = stored,
          .accepted = long_range,
          .usual = long_range};
}
constexpr value_format background_uno_values[] = {background("record 85 `inizio` (Long)")};
constexpr value_format background_due_values[] = {background("record 85 `posizione` (Long)")};
constexpr value_format background_tre_values[] = {background("record 85 `fine` (Long)")};

constexpr value_format repetition_values[] = {
    {.name = "inizio",
     .meaning = "Where the repetition of signals in the cab begins.",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "record 86 `inizio` (Long)",
     .accepted = long_range,
     .usual = position_usual,
     .route_position = true,
     .form = "a multiple of 50 (code 3)"},
    {.name = "fine",
     .meaning = "Where it ends; 0 turns the repetition off (record 86 `posizione` becomes 0).",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "record 86 `fine` (Long)",
     .accepted = long_range,
     .usual = position_usual,
     .route_position = true,
     .form = "a multiple of 50 (code 4)"},
};

constexpr value_format gradient_values[] = {
    position("Where the gradient begins; it holds from cell nearest(posizione / 50) up to the "
             "next gradient's cell."),
    {.name = "pendenza",
     .meaning = "Gradient, rising positive, falling negative.",
     .unit = "per mille",
     .read = read_as::long_int,
     .stored = "cell `pendenza` (Byte) of every cell it holds for, as pendenza + 100",
     .accepted = long_range,
     .usual = {-60, 60},
     .kept = value_range{-100, 155}},
};

constexpr value_format curve_values[] = {
    position("Where the curve begins; the track runs straight from the previous curve's end up "
             "to it."),
    {.name = "lunghezza",
     .meaning = "Length of the curve. The track plan may not run past the route's length plus "
                "7000 m, nor past metre 1000000 (code 103).",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "nowhere; the track plan turns for this many metres",
     .accepted = long_range,
     .usual = {1, 10000}},
};

constexpr value_format mountain_values[] = {
    {.name = "inizio",
     .meaning = "Where the scenery span begins; it covers the cells from nearest(inizio / 50).",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "nowhere; it chooses the first cell, and the next span is measured from the end",
     .accepted = long_range,
     .usual = position_usual,
     .route_position = true,
     .on_route_cells = true},
    {.name = "fine",
     .meaning = "Where it ends: the last cell covered is nearest(fine / 50 - 1), which must lie on "
                "the route (code 15).",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "nowhere; it chooses the last cell",
     .accepted = long_range,
     .usual = position_usual,
     .route_position = true,
     .on_route_cells = true},
    {.name = "tipo",
     .meaning = "Scenery type. Above 10, the type is tipo - 10 with a scenery mark every 200 m; a "
                "span that starts 150 m or less after the previous one ends becomes type 3.",
     .unit = "",
     .read = read_as::long_int,
     .stored = "cell `montagna` (Byte) of every cell covered; marks as cell `tipo` 11",
     .accepted = long_range,
     .usual = {0, 265},
     .kept = value_range{0, 265}},
};

constexpr value_format board_speed(std::string_view name, std::string_view meaning,
                                   std::string_view stored) {
  return {.name = name,
          .meaning = meaning,
          .unit = "km/h",
          .read = read_as::long_int,
          .stored = stored,
          .accepted = long_range,
          .usual = speed_usual,
          .form = "a multiple of 5; an empty field is 0"};
}
constexpr value_format board_stripes(std::string_view name, std::string_view meaning) {
  return {.name = name,
          .meaning = meaning,
          .unit = "",
          .read = read_as::integer,
          .stored = "cell `valore4` (Integer) = strisces * 10 + strisced",
          .accepted = integer_range,
          .usual = {0, 2}};
}
constexpr value_format speed_board_values[] = {
    position("Where the boards stand; they go into cell nearest(posizione / 50 + 1)."),
    board_speed("vas", "First speed (a) of the left track's board.",
                "cell `valore1` (Integer) = nearest(vad / 5 + vas * 20)"),
    board_speed("vbs", "Second speed (b) of the left track's board.",
                "cell `valore2` (Integer) = nearest(vbd / 5 + vbs * 20)"),
    board_speed("vcs", "Third speed (c) of the left track's board.",
                "cell `valore3` (Integer) = nearest(vcd / 5 + vcs * 20)"),
    board_stripes("strisces",
                  "Stripes on the left track's board: 2, then 1, announce a lower limit ahead; 0 "
                  "none."),
    board_speed("vad", "First speed (a) of the right track's board; empty when it has none.",
                "with vas in cell `valore1`"),
    board_speed("vbd", "Second speed (b) of the right track's board.",
                "with vbs in cell `valore2`"),
    board_speed("vcd", "Third speed (c) of the right track's board.", "with vcs in cell `valore3`"),
    board_stripes("strisced", "Stripes on the right track's board, as strisces."),
};

constexpr value_format text_board_values[] = {
    position("Where the board stands; it goes into cell nearest(posizione / 50 + 1)."),
    {.name = "testo",
     .meaning = "The board's text, to the end of the line; it cannot hold a comma. The built-in "
                "boards are written as their two lines, each in brackets.",
     .unit = "",
     .read = read_as::text,
     .stored = "`nome` of a general record, from record 80 down (at most 81 boards, code 106)",
     .accepted = text_length,
     .usual = {1, 24},
     .form = "one or two halves in brackets, each of at most 10 characters",
     .rule = text_rule::board_text},
};

// The train scenario.

constexpr value_format braked_mass_values[] = {
    {.name = "percentuale",
     .meaning = "Braked mass of the train, per cent of its mass.",
     .unit = "%",
     .read = read_as::long_int,
     .stored = "record 84 `inizio` (Long)",
     .accepted = long_range,
     .usual = {0, 300}},
};
constexpr value_format coaches_values[] = {
    {.name = "vetture",
     .meaning = "Number of coaches of the train.",
     .unit = "",
     .read = read_as::long_int,
     .stored = "record 84 `posizione` (Long)",
     .accepted = long_range,
     .usual = {0, 60}},
};
constexpr value_format speed_values[] = {
    position("Where the limit begins; it holds from cell nearest(posizione / 50) up to the next "
             "limit's cell."),
    {.name = "velocita",
     .meaning = "Line speed limit.",
     .unit = "km/h",
     .read = read_as::long_int,
     .stored = "cell `velocita_limite` (Byte) of every cell it holds for, in units of 5 km/h",
     .accepted = {-2, 1277},
     .usual = speed_usual,
     .fails_later = true,
     .form = "a multiple of 5"},
};
constexpr value_format adhesion_values[] = {
    position("Where the adhesion begins; it holds from cell nearest(posizione / 50) up to the next "
             "adhesion's cell."),
    {.name = "aderenza",
     .meaning = "Adhesion between wheel and rail (the built-in route uses 80 to 98).",
     .unit = "",
     .read = read_as::long_int,
     .stored = "cell `aderenza` (Byte) of every cell it holds for",
     .accepted = long_range,
     .usual = byte_range,
     .kept = byte_range},
};
constexpr value_format clock_value(std::string_view name, std::string_view meaning,
                                   std::string_view stored, std::int64_t high) {
  return {.name = name,
          .meaning = meaning,
          .unit = "",
          .read = read_as::integer,
          .stored = stored,
          .accepted = integer_range,
          .usual = {0, high}};
}
constexpr value_format clock_values[] = {
    clock_value("ore", "Hours of the clock when the run starts.", "record 86 `intero3` (Integer)",
                23),
    clock_value("minuti", "Minutes.", "record 86 `intero4` (Integer)", 59),
    clock_value("secondi", "Seconds.", "record 86 `intero5` (Integer)", 59),
};
constexpr value_format sand_values[] = {
    {.name = "sabbia",
     .meaning = "The train's sand supply, handed to the simulator as it stands.",
     .unit = "",
     .read = read_as::integer,
     .stored = "record 86 `intero1` (Integer)",
     .accepted = integer_range,
     .usual = {0, 32767}},
};

constexpr value_format head_kind(std::string_view name, std::string_view meaning,
                                 std::string_view stored) {
  return {
      .name = name,
      .meaning = meaning,
      .unit = "",
      .read = read_as::long_int,
      .stored = stored,
      .accepted = long_range,
      .usual = {0, 2},
  };
}
constexpr value_format head_light(std::string_view name, std::string_view meaning,
                                  std::string_view stored) {
  return {
      .name = name,
      .meaning = meaning,
      .unit = "",
      .read = read_as::long_int,
      .stored = stored,
      .accepted = long_range,
      .usual = {0, 9},
  };
}
constexpr value_format signal_values[] = {
    position("Where the signal stands; it goes into cell nearest(posizione / 50 + 1), its four "
             "approach marks 100, 200, 300 and 400 m before it."),
    head_kind("sx", "Kind of the left head; with 2 the cell keeps the signal's time.",
              "cell `valore4` (Integer) = rapp * 10 + sx * 3 + dx, and the approach marks as "
              "(sx * 3 + dx) * 10 + 1 to 4"),
    head_light("s1", "First light of the left head.", "cell `valore1` (Integer) = s1 * 10 + d1"),
    head_light("s2", "Second light of the left head.", "cell `valore2` (Integer) = s2 * 10 + d2"),
    head_light("s3", "Third light of the left head.", "cell `valore3` (Integer) = s3 * 10 + d3"),
    {.name = "rapp",
     .meaning = "A digit of the signal's code, before sx and dx (1 on two signals of the built-in "
                "route, 0 on the others).",
     .unit = "",
     .read = read_as::long_int,
     .stored = "cell `valore4` (Integer), its tens",
     .accepted = long_range,
     .usual = {0, 9}},
    head_kind("dx", "Kind of the right head; 0 when the signal has none.",
              "with sx in cell `valore4`"),
    head_light("d1", "First light of the right head.", "with s1 in cell `valore1`"),
    head_light("d2", "Second light of the right head.", "with s2 in cell `valore2`"),
    head_light("d3", "Third light of the right head.", "with s3 in cell `valore3`"),
    {.name = "tempo",
     .meaning = "The signal's time. 1 to 100 are stored as 101; kept only when sx is 2, else the "
                "cell holds 0.",
     .unit = "",
     .read = read_as::long_int,
     .stored = "cell `tempo` (Byte)",
     .accepted = long_range,
     .usual = byte_range,
     .kept = byte_range},
};

constexpr value_format restriction_values[] = {
    {.name = "x",
     .meaning = "Where the restriction begins: its start board in cell nearest(x / 50 + 1); "
                "beyond 1500 m a warning board stands 1200 m before it.",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "nowhere; it chooses the cells",
     .accepted = long_range,
     .usual = position_usual,
     .route_position = true,
     .on_route_cells = true},
    {.name = "v",
     .meaning = "Speed through the restriction.",
     .unit = "km/h",
     .read = read_as::long_int,
     .stored = "cell `valore1` (Integer) of the start, end and warning boards",
     .accepted = long_range,
     .usual = speed_usual,
     .kept = integer_range},
    {.name = "l",
     .meaning = "Length of the restriction: its end board goes into cell nearest((x + l) / 50 + "
                "1), which must lie on the route (code 19).",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "nowhere; it chooses the end cell",
     .accepted = long_range,
     .usual = {0, 100000}},
    {.name = "f_tt",
     .meaning = "A value kept in the start and end boards.",
     .unit = "",
     .read = read_as::long_int,
     .stored = "cell `valore3` (Integer) of the start and end boards",
     .accepted = long_range,
     .usual = integer_range,
     .kept = integer_range},
    {.name = "f_ta",
     .meaning = "Not 0: four approach cells before the warning board (only beyond 1500 m).",
     .unit = "",
     .read = read_as::long_int,
     .stored = "nowhere; the approach cells are cell `tipo` 5, numbered 1 to 4",
     .accepted = long_range,
     .usual = {0, 1}},
    {.name = "d_v",
     .meaning = "When not 0, a value kept in every board of the restriction.",
     .unit = "",
     .read = read_as::long_int,
     .stored = "cell `valore2` (Integer) of the start, end and warning boards",
     .accepted = long_range,
     .usual = integer_range,
     .kept = integer_range},
};

constexpr value_format cut_point_values[] = {
    position("Where the code is cut: cell nearest(posizione / 50), the cell in front of a signal "
             "at the same position."),
    {.name = "valore",
     .meaning = "The code value (the built-in route uses 270); 0 or less gives a cut point without "
                "a value (cell `tipo` 13).",
     .unit = "",
     .read = read_as::long_int,
     .stored = "cell `valore1` (Integer) when above 0",
     .accepted = long_range,
     .usual = {std::numeric_limits<std::int32_t>::min(), 32767},
     .kept = value_range{std::numeric_limits<std::int32_t>::min(), 32767}},
};

constexpr value_format station_byte(std::string_view name, std::string_view meaning,
                                    std::string_view stored) {
  return {.name = name,
          .meaning = meaning,
          .unit = "",
          .read = read_as::byte,
          .stored = stored,
          .accepted = byte_range,
          .usual = byte_range};
}
constexpr value_format station_integer(std::string_view name, std::string_view meaning,
                                       std::string_view stored) {
  return {.name = name,
          .meaning = meaning,
          .unit = "",
          .read = read_as::integer,
          .stored = stored,
          .accepted = integer_range,
          .usual = integer_range};
}
constexpr value_format station_time(std::string_view name, std::string_view meaning,
                                    std::int64_t high) {
  return {.name = name,
          .meaning = meaning,
          .unit = "",
          .read = read_as::long_int,
          .stored = "record `orario` (Long) = ore * 3600 + minuti * 60 + secondi",
          .accepted = long_range,
          .usual = {0, high}};
}
constexpr value_format station_values[] = {
    {.name = "posizione",
     .meaning = "The station's position; it needs 800 m of route cells after it (code 15).",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "record `posizione` (Long)",
     .accepted = long_range,
     .usual = position_usual,
     .route_position = true,
     .on_route_cells = true,
     .form = "a multiple of 50 (code 8)"},
    station_byte("tipo",
                 "Kind of station. 5 or 6: the area runs from posizione - lunghezza to posizione "
                 "+ 150; 7 or 8: from posizione - lunghezza to posizione + lunghezza; any other "
                 "kind: lunghezza centred on posizione. From 25 up, a stop without an end cell or "
                 "approach marks. The built-in route uses 2, 4, 8, 12, 22, 27 and 28.",
                 "record `tipo` (Byte)"),
    {.name = "lunghezza",
     .meaning = "Length of the station area; with the kind it gives the area's start and end.",
     .unit = "m",
     .read = read_as::long_int,
     .stored = "record `inizio` and `fine` (Long), through the area",
     .accepted = long_range,
     .usual = {0, 5000},
     .form = "a multiple of 100 (code 9)"},
    station_byte("ottetto0", "Fourth value (0 or 1 in the built-in route).",
                 "record `ottetto0` (Byte)"),
    station_byte("ottetto4",
                 "Fifth value; kept only for a station 600 m long or longer, never for the first.",
                 "record `ottetto4` (Byte)"),
    station_byte("ottetto3",
                 "Sixth value; not 0: 50 m more at the area's end, for kinds other than 5 to 8 "
                 "(stored 0 for those), never kept for the first station.",
                 "record `ottetto3` (Byte)"),
    station_integer("intero1", "Seventh value (0 to 4 in the built-in route).",
                    "record `intero1` (Integer)"),
    station_integer("intero2", "Eighth value (0 or 1 in the built-in route).",
                    "record `intero2` (Integer)"),
    station_byte("ottetto1", "Ninth value (0 in the built-in route).", "record `ottetto1` (Byte)"),
    station_integer("intero3", "Tenth value (0 to 5 in the built-in route).",
                    "record `intero3` (Integer)"),
    station_integer("intero4", "Eleventh value (0 or 1 in the built-in route).",
                    "record `intero4` (Integer)"),
    station_integer("intero5", "Twelfth value (0 or 1 in the built-in route).",
                    "record `intero5` (Integer)"),
    station_byte("ottetto2", "Thirteenth value (0 to 140 in the built-in route).",
                 "record `ottetto2` (Byte)"),
    station_time("ore", "Hours of the scheduled time; 0, 0, 0 for none.", 23),
    station_time("minuti", "Minutes of the scheduled time.", 59),
    station_time("secondi", "Seconds of the scheduled time.", 59),
    {.name = "nome",
     .meaning = "The station's name, to the end of the line; it cannot hold a comma. The "
                "timetable card's column holds 22 characters.",
     .unit = "",
     .read = read_as::text,
     .stored = "record `nome`",
     .accepted = text_length,
     .usual = {1, 22},
     .form = "at most 22 characters",
     .rule = text_rule::station_name},
};

constexpr std::string_view repetition_spellings[] = {"ripetizione segnali 4 codici",
                                                     "ripetizione segnali 9 codici"};
constexpr std::string_view curve_spellings[] = {"curvad1", "curvad2", "curvad3", "curvad4",
                                                "curvad5", "curvad6", "curvas1", "curvas2",
                                                "curvas3", "curvas4", "curvas5", "curvas6"};

constexpr source_file line = source_file::line_description;
constexpr source_file train = source_file::train_scenario;

// In the order the readers test them.
constexpr key_format keys[] = {
    {.name = "lunghezza percorso",
     .file = line,
     .region = key_region::general,
     .section = "[generale]",
     .words = {"percorso", "lunghezza"},
     .match_case = letter_case::ignored,
     .meaning = "The route's length, which sizes the route cells and the track plan. A later one "
                "replaces an earlier one.",
     .values = length_values,
     .example = "lunghezza percorso,    334000"},
    {.name = "progressiva chilometrica tre",
     .file = line,
     .region = key_region::general,
     .section = "[generale]",
     .words = {"tre", "progressiva"},
     .match_case = letter_case::exact,
     .meaning = "A kilometre progressive: where the kilometre count of the route changes. The "
                "three progressives go to records 81 to 83 in order of their positions.",
     .values = progressive_tre_values,
     .example = "progressiva chilometrica tre,    315950,    412050,    1"},
    {.name = "progressiva chilometrica due",
     .file = line,
     .region = key_region::general,
     .section = "[generale]",
     .words = {"due", "progressiva"},
     .match_case = letter_case::exact,
     .meaning = "The second kilometre progressive, as \"progressiva chilometrica tre\".",
     .values = progressive_due_values,
     .example = "progressiva chilometrica due,    284500,    -284500,    0"},
    {.name = "progressiva chilometrica uno",
     .file = line,
     .region = key_region::general,
     .section = "[generale]",
     .words = {"uno", "progressiva"},
     .match_case = letter_case::exact,
     .meaning = "The first kilometre progressive, as \"progressiva chilometrica tre\".",
     .values = progressive_uno_values,
     .example = "progressiva chilometrica uno,    31100,    3050,    0"},
    {.name = "sfondo uno",
     .file = line,
     .region = key_region::general,
     .section = "[generale]",
     .words = {"sfondo", "uno"},
     .match_case = letter_case::exact,
     .meaning = "The route's first background setting.",
     .values = background_uno_values,
     .example = "sfondo uno,    1"},
    {.name = "sfondo due",
     .file = line,
     .region = key_region::general,
     .section = "[generale]",
     .words = {"sfondo", "due"},
     .match_case = letter_case::exact,
     .meaning = "The route's second background setting.",
     .values = background_due_values,
     .example = "sfondo due,    0"},
    {.name = "sfondo tre",
     .file = line,
     .region = key_region::general,
     .section = "[generale]",
     .words = {"sfondo", "tre"},
     .match_case = letter_case::exact,
     .meaning = "The route's third background setting.",
     .values = background_tre_values,
     .example = "sfondo tre,    0"},
    {.name = "ripetizione segnali",
     .file = line,
     .region = key_region::general,
     .section = "[generale]",
     .words = {"segnali", "ripetizione"},
     .match_case = letter_case::exact,
     .meaning = "The stretch of route where the signals are repeated in the cab, and the number of "
                "codes of that signalling.",
     .key_notes = "The key field holds the number of codes as the digit 4 or 9 (code 5 without "
                  "either); a second value of 0 stores 0 codes.",
     .form_key = "ripetizione segnali <4|9> codici",
     .spellings = repetition_spellings,
     .values = repetition_values,
     .example = "ripetizione segnali 9 codici,    8000,    330700"},
    {.name = "pendenza",
     .file = line,
     .region = key_region::entries,
     .section = "[pendenze]",
     .words = {"pendenza", ""},
     .match_case = letter_case::ignored,
     .meaning = "A gradient, from its position to the next gradient's. Cells before the first "
                "gradient are level.",
     .values = gradient_values,
     .example = "pendenza,  600,   -11"},
    {.name = "curva",
     .file = line,
     .region = key_region::entries,
     .section = "[curve]",
     .words = {"curva", ""},
     .match_case = letter_case::ignored,
     .meaning = "A curve of the track plan; the track runs straight between curves. Read only "
                "when the line geometry is built (not with compile --no-geometry).",
     .key_notes = "The key field holds the side, \"s\" (turning to the negative side) or \"d\" (to "
                  "the positive side), and the class digit 1 to 6, the first found deciding: "
                  "curvature 0.0001, 0.0002, 0.0004, 0.001, 0.002 or 0.003 per metre (radius "
                  "10000, 5000, 2500, 1000, 500 or 333 m). No class digit: code 103.",
     .form_key = "curva<s|d><1-6>",
     .spellings = curve_spellings,
     .values = curve_values,
     .example = "curvad3,  2150,  100"},
    {.name = "montagna",
     .file = line,
     .region = key_region::entries,
     .section = "[montagne]",
     .words = {"montagna", ""},
     .match_case = letter_case::ignored,
     .meaning = "A span of scenery (mountains) beside the line; at most 80 (code 105).",
     .values = mountain_values,
     .example = "montagna,   8750,  11150,  12"},
    {.name = "indicatori_vmax",
     .file = line,
     .region = key_region::entries,
     .section = "[cartelli]",
     .words = {"indicatori_v", ""},
     .match_case = letter_case::ignored,
     .meaning =
         "Speed-limit boards at one place, for the left track (s) and the right track (d): "
         "three speeds each (a, b, c) and the stripes that announce a reduction. A speed code "
         "that does not fit an Integer fails the reading (code 25).",
     .values = speed_board_values,
     .example = "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0"},
    {.name = "cartello_indicatore",
     .file = line,
     .region = key_region::entries,
     .section = "[indicazioni]",
     .words = {"cartello", "indicat"},
     .match_case = letter_case::ignored,
     .meaning = "A text board beside the line: a kilometre post, a junction.",
     .values = text_board_values,
     .example = "cartello_indicatore,  27950,   (  Cippo  )(Km 28+000)"},

    {.name = "percentuale massa frenata",
     .file = train,
     .region = key_region::entries,
     .section = "[generale]",
     .words = {"frenata", "massa"},
     .match_case = letter_case::ignored,
     .meaning = "The train's braked mass.",
     .values = braked_mass_values,
     .example = "percentuale massa frenata,    125"},
    {.name = "numero vetture",
     .file = train,
     .region = key_region::entries,
     .section = "[generale]",
     .words = {"vetture", ""},
     .match_case = letter_case::ignored,
     .meaning = "The train's length in coaches.",
     .values = coaches_values,
     .example = "numero vetture,    16"},
    {.name = "velocita",
     .file = train,
     .region = key_region::entries,
     .section = "[vel_limite]",
     .words = {"velocit", ""},
     .match_case = letter_case::ignored,
     .meaning = "A line speed limit, from its position to the next limit's. The first limit "
                "should stand at 0.",
     .values = speed_values,
     .example = "velocita,    1000,    95"},
    {.name = "aderenza",
     .file = train,
     .region = key_region::entries,
     .section = "[aderenze]",
     .words = {"aderenza", ""},
     .match_case = letter_case::ignored,
     .meaning = "The adhesion along the route, from its position to the next adhesion's.",
     .values = adhesion_values,
     .example = "aderenza,   26700,    85"},
    {.name = "orologio",
     .file = train,
     .region = key_region::entries,
     .section = "[generale]",
     .words = {"orologio", ""},
     .match_case = letter_case::ignored,
     .meaning = "The clock when the run starts. Its numbers may stand apart by blanks instead of "
                "commas.",
     .values = clock_values,
     .example = "orologio,    23              15            30 "},
    {.name = "sabbia",
     .file = train,
     .region = key_region::entries,
     .section = "[generale]",
     .words = {"sabbia", ""},
     .match_case = letter_case::ignored,
     .meaning = "The train's sand.",
     .values = sand_values,
     .example = "sabbia,    200"},
    {.name = "segnale",
     .file = train,
     .region = key_region::entries,
     .section = "[segnali]",
     .words = {"segnale", ""},
     .match_case = letter_case::ignored,
     .meaning = "A signal, with a left head (sx, s1 to s3) and a right head (dx, d1 to d3).",
     .values = signal_values,
     .example = "segnale,    1050,   2, 3, 1,  1, 0,    2,  2,1,1, 160"},
    {.name = "rallentamento",
     .file = train,
     .region = key_region::entries,
     .section = "[rallentamenti]",
     .words = {"rallentamento", ""},
     .match_case = letter_case::ignored,
     .meaning = "A temporary speed restriction: its start and end boards, a warning board 1200 m "
                "before, and on request four approach cells before the warning.",
     .values = restriction_values,
     .example = "rallentamento, 10000, 60, 1000, 0, 1, 0",
     .example_built_in = false},
    {.name = "abbattimento",
     .file = train,
     .region = key_region::entries,
     .section = "[codici]",
     .words = {"abbattimento", ""},
     .match_case = letter_case::ignored,
     .meaning = "A code cut point, where the signalling code in the cab drops.",
     .values = cut_point_values,
     .example = "abbattimento,    7050,   270"},
    {.name = "stazione",
     .file = train,
     .region = key_region::entries,
     .section = "[stazioni]",
     .words = {"stazione", ""},
     .match_case = letter_case::ignored,
     .meaning = "A station or stop: its area, its approach marks and end cell on the route, and "
                "its record. Stations are numbered from record 1 up, in file order, each area "
                "beginning at least 350 m after the previous one ends (code 22).",
     .values = station_values,
     .example = "stazione,       0,  8,  500,  1, 0, 0,  3,1,0,  2,1,1,    1,  23,15,30, Roma "
                "Termini"},
};

constexpr section_format line_sections[] = {
    {"[generale]", line,
     "The general keys. Everything before the first field holding \"[generale]\" (letter case "
     "ignored) is passed over; the section ends at the first field that holds \"[\" and \"]\" "
     "and does not begin with \"-\"."},
    {"[curve]", line,
     "The curves. From the header that ends the general section on, the entries may stand in "
     "any order; later headers are passed over."},
    {"[pendenze]", line, "The gradients."},
    {"[montagne]", line, "The scenery spans."},
    {"[cartelli]", line, "The speed-limit boards."},
    {"[indicazioni]", line, "The text boards."},
    {"[fine]", line, "The last line. The last field of a file is never read as a key."},
};
constexpr section_format train_sections[] = {
    {"[generale]", train,
     "The train's general keys. Everything before the first field holding \"[generale]\" (letter "
     "case ignored) is passed over; after it every key may stand anywhere, and headers are passed "
     "over."},
    {"[aderenze]", train, "The adhesion along the route."},
    {"[vel_limite]", train, "The line speed limits."},
    {"[stazioni]", train, "The stations, in route order."},
    {"[rallentamenti]", train, "The temporary speed restrictions (none in the built-in run)."},
    {"[segnali]", train, "The signals."},
    {"[codici]", train, "The code cut points."},
    {"[fine]", train, "The last line. The last field of a file is never read as a key."},
};

constexpr file_format formats[] = {
    {line, "line description", "<route>_linea.txt",
     "The route: its length, kilometre progressives, backgrounds and signal repetition, then its "
     "curves, gradients, scenery spans, speed-limit boards and text boards.",
     line_sections},
    {train, "train scenario", "<route>_<train>-.txt",
     "The run of one train over the route: the train, the clock, the adhesion and line speed "
     "limits, the stations with their timetable, the restrictions, the signals and the code cut "
     "points.",
     train_sections},
};

constexpr std::string_view rules =
    "Both files are read as one stream of fields, whatever line each stands on. Leading blanks "
    "and tabs are passed over. A text field (a key, a name, a board text) ends at the next comma "
    "or at the end of the line; a number ends at the next comma, blank or line end, so \"23 15 "
    "30\" "
    "is three numbers. The comma or line end that closes a field goes with it, and an "
    "empty line holds no field. An empty number is 0. A number is whole or has a decimal point "
    "(\".\", never \",\"), and is rounded to the nearest whole number, halves to the even one; "
    "it must fit the width it is read in (Byte 0 to 255, Integer -32768 to 32767, Long "
    "-2147483648 to 2147483647), or the reading fails (code 25). An entry is a key field and its "
    "values: the key decides how many values are read, and when its line ends first they are "
    "taken from the next line; a field that no entry reads is taken for the next key and, matching "
    "no key, passed over. Up to two fields holding \"-\" before a key are separators (up to ten "
    "in the line description's general section). The last field of a file is never read as a "
    "key, which is why both files end with \"[fine]\". Texts keep their bytes, which the "
    "simulator reads as Windows-1252.";

}  // namespace

std::string_view field_rules() {
  return rules;
}

std::span<const file_format> file_formats() {
  return formats;
}

const file_format& format_of(source_file file) {
  return file == source_file::train_scenario ? formats[1] : formats[0];
}

std::span<const key_format> all_keys() {
  return keys;
}

bool key_matches(const key_format& key, std::string_view key_field) {
  const std::string folded = lower(key_field);
  const std::string_view text = key.match_case == letter_case::exact ? key_field : folded;
  return std::all_of(key.words.begin(), key.words.end(),
                     [&](std::string_view word) { return contains(text, word); });
}

std::vector<const key_format*> keys_matching(source_file file, key_region region,
                                             std::string_view key_field) {
  std::vector<const key_format*> found;
  for (const key_format& k : keys)
    if (k.file == file && k.region == region && key_matches(k, key_field)) found.push_back(&k);
  return found;
}

std::vector<const key_format*> keys_of_section(const section_format& section) {
  std::vector<const key_format*> found;
  for (const key_format& k : keys)
    if (k.file == section.file && k.section == section.header) found.push_back(&k);
  return found;
}

std::vector<const section_format*> find_sections(std::string_view header) {
  std::vector<const section_format*> found;
  const std::string wanted = lower(header);
  for (const file_format& f : formats)
    for (const section_format& s : f.sections)
      if (s.header == wanted) found.push_back(&s);
  return found;
}

std::string_view form_key(const key_format& key) {
  return key.form_key.empty() ? key.name : key.form_key;
}

std::span<const std::string_view> spellings(const key_format& key) {
  if (key.spellings.empty()) return {&key.name, 1};
  return key.spellings;
}

value_range range_of(read_as width) {
  switch (width) {
    case read_as::byte:
      return byte_range;
    case read_as::integer:
      return integer_range;
    case read_as::long_int:
      return long_range;
    case read_as::text:
      return text_length;
  }
  return long_range;
}

}  // namespace scenario
