#include "card/card.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "card/kilometres.h"

namespace scenario::card {

namespace {

constexpr std::size_t name_width = 22;
constexpr long_t cell_m = 50;
// Stations of these kinds and above have no signals of their own (no end cell either).
constexpr byte_t first_kind_without_signals = 25;

std::string trimmed(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

std::string cut(const std::string& s, std::size_t width) {
  return s.size() <= width ? s : s.substr(0, width - 1) + ".";
}

// Capitals in Windows-1252: the accented small letters sit 0x20 above their capitals.
std::string capitals(std::string s) {
  for (char& ch : s) {
    const auto u = static_cast<unsigned char>(ch);
    if (u >= 'a' && u <= 'z')
      ch = static_cast<char>(u - 0x20);
    else if (u >= 0xE0 && u <= 0xFE && u != 0xF7)
      ch = static_cast<char>(u - 0x20);
  }
  return s;
}

// A board's right-hand speed for the train's rank, from a code right/5 + left*20 per speed.
int right_speed(integer_t code) {
  return code % 100 * 5;
}
integer_t rank_code(const cella& board, char rank) {
  return rank == 'A' ? board.valore1 : rank == 'C' ? board.valore3 : board.valore2;
}

int signal_dx(const cella& c) {
  return c.valore4 % 10 % 3;
}

// The line along the route, cell by cell: what the card's columns follow.
struct line_state {
  std::vector<int> left_kmh;
  std::vector<bool> right_running;  // the last signal so far has right-track heads
  std::vector<int> right_kmh;       // the last right-hand board's speed, else the line speed
  std::vector<bool> left_coded;
  std::vector<bool> right_coded;
};

line_state state_of(const compilation& c, char rank) {
  const std::size_t n = c.percorso.size();
  line_state s;
  s.left_kmh.resize(n);
  s.right_running.resize(n);
  s.right_kmh.resize(n);
  s.left_coded.resize(n);
  s.right_coded.resize(n);
  const voce_generale& repetition = c.voci_generali[voce::treno];
  bool running = false;
  int right_board = 0;
  int pending = 0;  // a board's speed that takes effect with the line-speed change in the next cell
  for (std::size_t i = 0; i < n; ++i) {
    const cella& cell = c.percorso[i];
    if (pending != 0) {
      right_board = pending;
      pending = 0;
    }
    if (cell.tipo == tipo_cella::segnale) {
      running = signal_dx(cell) != 0;
      // Where right-hand running stops, the right track's speed is known again only from a board.
      if (!running) right_board = 0;
    }
    // Boards with stripes announce a lower speed ahead; the board without them sets it.
    // A board one cell before a change of the line speed to its own speed (the cell of the change
    // taken by another object) is that change.
    if (cell.tipo == tipo_cella::indicatori_v_max && cell.valore4 % 10 == 0 &&
        right_speed(rank_code(cell, rank)) != 0) {
      const int kmh = right_speed(rank_code(cell, rank));
      const bool next_changes = i + 1 < n && c.percorso[i + 1].velocita_limite * 5 == kmh &&
                                c.percorso[i + 1].velocita_limite != cell.velocita_limite;
      if (next_changes)
        pending = kmh;
      else
        right_board = kmh;
    }
    const long_t x = static_cast<long_t>(i) * cell_m;
    s.left_kmh[i] = cell.velocita_limite * 5;
    s.right_running[i] = running;
    s.right_kmh[i] = right_board != 0 ? right_board : s.left_kmh[i];
    s.left_coded[i] = repetition.posizione != 0 && x >= repetition.inizio && x < repetition.fine;
    s.right_coded[i] = s.left_coded[i] && running;
  }
  return s;
}

// What stands at one place of the route.
struct place {
  std::vector<std::pair<int, std::string>> names;  // (order, name); stations first
  std::optional<std::size_t> station;              // index into the stations
};

enum name_order { station_order = 0, junction_order = 1, signal_order = 2, post_order = 3 };

code_mark mark_over(const std::vector<bool>& coded, std::size_t first, std::size_t end,
                    bool before) {
  bool any = false;
  bool begins = false;
  bool previous = before;
  for (std::size_t i = first; i < end; ++i) {
    if (coded[i] && !previous) begins = true;
    any = any || coded[i];
    previous = coded[i];
  }
  return begins ? code_mark::begins : any ? code_mark::coded : code_mark::none;
}

}  // namespace

std::string card_name(const std::string& name, bool without_protection) {
  std::string s = trimmed(name);
  for (std::size_t at = s.find("Centrale"); at != std::string::npos; at = s.find("Centrale"))
    s.replace(at, 8, "C.le");
  if (without_protection) return cut(s, name_width - 2) + " *";
  return cut(s, name_width);
}

bool is_protection_signal(const cella& c) {
  if (c.tipo != tipo_cella::segnale) return false;
  const int s1 = c.valore1 / 10;
  return s1 == 2 || s1 == 3 || s1 == 5;
}

std::optional<std::string> board_name(const std::string& text) {
  std::vector<std::string> groups;
  for (std::size_t open = text.find('('); open != std::string::npos;
       open = text.find('(', open + 1)) {
    const std::size_t close = text.find(')', open);
    if (close == std::string::npos) break;
    const std::string g = trimmed(text.substr(open + 1, close - open - 1));
    if (!g.empty()) groups.push_back(g);
  }
  if (groups.empty()) return std::nullopt;
  for (const std::string& g : groups) {
    if (g.rfind("Km", 0) != 0) continue;
    std::string number = trimmed(g.substr(2));
    std::replace(number.begin(), number.end(), '+', '.');
    if (number.empty() || !std::isdigit(static_cast<unsigned char>(number.front()))) continue;
    return cut("Cippo Km " + number, name_width);
  }
  if (groups.front().rfind("Dev", 0) == 0 || groups.front().rfind("Bivio", 0) == 0) {
    std::string name = groups.front();
    for (std::size_t i = 1; i < groups.size(); ++i)
      name += (name.back() == '.' ? "" : " ") + groups[i];
    return cut(name, name_width);
  }
  return std::nullopt;
}

timetable_card make_card(const compilation& c, const train_data& t,
                         const timetable::running_parameters& p,
                         const timetable::schedule_parameters& s) {
  timetable_card card;
  const tabella_voci& voci = c.voci_generali;
  const std::vector<station> stations = stations_of(voci);

  // The header.
  const std::string train = trimmed(voci[voce::treno].nome);
  const std::size_t digits = train.find_last_of("0123456789");
  if (digits != std::string::npos) {
    std::size_t from = digits;
    while (from > 0 && std::isdigit(static_cast<unsigned char>(train[from - 1]))) --from;
    card.train_number = train.substr(from, digits - from + 1);
  } else {
    card.train_number = cut(train, 8);
  }
  std::string word = train.substr(0, train.find(' '));
  word.erase(std::remove_if(word.begin(), word.end(),
                            [](char ch) { return !std::isalpha(static_cast<unsigned char>(ch)); }),
             word.end());
  card.classification = capitals(word.substr(0, 3));
  card.category = "V" + std::to_string(t.max_speed_kmh) + std::string(1, t.rank);
  card.locomotive = t.loco.type;
  const long_t codes = voci[voce::treno].posizione;
  card.repetition = codes != 0 ? "RSC" + std::to_string(codes) : "";
  const timetable::train hauled = train_of(voci, t);
  card.blocked_mass = std::to_string(static_cast<long>(hauled.hauled_mass_t + 0.5)) + "T";
  card.braked_mass = std::to_string(voci[voce::treno_e_percorso].inizio) + "%";
  if (!stations.empty()) {
    const voce_generale& last = *stations.back().r;
    card.end_name = capitals(card_name(last.nome, false));
  }

  card.run = run_of(c, t, p, s);
  if (stations.empty() || c.percorso.empty()) return card;

  // The places of the route that get a row, from the first station to the last.
  const long_t from = stations.front().r->posizione;
  const long_t to = stations.back().r->posizione;
  const auto last_cell = static_cast<long_t>(c.percorso.size()) - 1;
  auto cell_of = [&](long_t x) {
    return static_cast<std::size_t>(std::clamp<long_t>(x / cell_m, 0, last_cell));
  };
  std::map<long_t, place> places;
  places[from];
  places[to];
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const voce_generale& r = *stations[i].r;
    if (r.posizione < from || r.posizione > to) continue;
    place& at = places[r.posizione];
    at.names.emplace_back(station_order, card_name(r.nome, r.tipo >= first_kind_without_signals));
    if (!at.station) at.station = i;
  }
  const line_state line = state_of(c, t.rank);
  for (std::size_t i = 0; i < c.percorso.size(); ++i) {
    const long_t x = static_cast<long_t>(i) * cell_m;
    if (x < from || x > to) continue;
    const cella& cell = c.percorso[i];
    if (is_protection_signal(cell)) places[x].names.emplace_back(signal_order, "Segn.Prot.");
    if (cell.tipo == tipo_cella::cartello_indicatore && cell.valore1 >= 0 &&
        cell.valore1 < general_record_count) {
      const std::string& text = voci[static_cast<std::size_t>(cell.valore1)].nome;
      if (std::optional<std::string> name = board_name(text)) {
        const bool post = name->rfind("Cippo", 0) == 0;
        places[x].names.emplace_back(post ? post_order : junction_order, *name);
      }
    }
    if (i > 0 && x > from) {
      const bool left_changes = line.left_kmh[i] != line.left_kmh[i - 1];
      const bool right_changes =
          line.right_running[i] && line.right_kmh[i] != line.right_kmh[i - 1];
      if (left_changes || right_changes) places[x];
    }
  }
  const std::vector<count_change> changes = count_changes(voci);
  for (const count_change& ch : changes)
    if (ch.position > from && ch.position <= to) places[ch.position];

  // The rows.
  std::optional<int> shown_left, shown_running;
  bool first_place = true;
  for (auto it = places.begin(); it != places.end(); ++it) {
    const long_t x = it->first;
    place& at = it->second;
    std::stable_sort(at.names.begin(), at.names.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const std::size_t here = cell_of(x);
    const auto next = std::next(it);
    const std::size_t end =
        next == places.end() ? here + 1 : std::max(here + 1, cell_of(next->first));
    const bool change = change_at(changes, x).has_value() && x != 0 && !first_place;
    const std::size_t named = std::max<std::size_t>(at.names.size(), 1);
    for (std::size_t k = 0; k < named; ++k) {
      card_row row;
      row.position_m = x;
      row.count_m = count_at(changes, x, !change);
      if (k < at.names.size()) row.name = at.names[k].second;
      const int gradient = static_cast<int>(c.percorso[here].pendenza) - 100;
      row.drawing = gradient > 0 ? '/' : gradient < 0 ? '\\' : '_';
      if (k == 0) {
        const int left = line.left_kmh[here];
        const int running = std::min(left, t.max_speed_kmh);
        if (shown_left != left) row.left_max_kmh = shown_left = left;
        if (shown_running != running) row.left_running_kmh = shown_running = running;
        const bool before_running = !first_place && here > 0 && line.right_running[here - 1];
        bool on = false, off = false;
        int on_kmh = 0;
        bool previous = before_running;
        for (std::size_t i = here; i < end; ++i) {
          if (line.right_running[i] && !previous && !on) {
            on = true;
            on_kmh = line.right_kmh[i];
          }
          if (!line.right_running[i] && previous) off = true;
          previous = line.right_running[i];
        }
        if (off && !line.right_running[end - 1]) {
          row.right = right_track::ends;
        } else if (on) {
          row.right = right_track::speed;
          row.right_kmh = on_kmh;
        } else if (line.right_running[here] && here > 0 && !first_place &&
                   line.right_kmh[here] != line.right_kmh[here - 1]) {
          row.right = right_track::speed;
          row.right_kmh = line.right_kmh[here];
        }
        const bool left_before = !first_place && here > 0 && line.left_coded[here - 1];
        const bool right_before = !first_place && here > 0 && line.right_coded[here - 1];
        row.left_code = mark_over(line.left_coded, here, end, left_before);
        row.right_code = mark_over(line.right_coded, here, end, right_before);
      } else {
        row.left_code = line.left_coded[here] ? code_mark::coded : code_mark::none;
        row.right_code = line.right_coded[here] ? code_mark::coded : code_mark::none;
      }
      if (k == 0 && at.station && !card.run.failure) {
        const std::size_t i = *at.station;
        row.station = true;
        const std::vector<timetable::stop_time>& pure = card.run.pure.stops;
        const std::vector<timetable::scheduled_point>& sched = card.run.scheduled.points;
        const auto stop =
            std::find_if(pure.begin(), pure.end(),
                         [&](const timetable::stop_time& st) { return st.position_m == x; });
        if (stop != pure.end() && is_stop(stations, i)) {
          const timetable::scheduled_point& sp =
              sched[static_cast<std::size_t>(stop - pure.begin())];
          if (stop == pure.begin()) {
            row.departure_s = sp.departure_s;
          } else if (stop + 1 == pure.end()) {
            row.arrival_s = sp.arrival_s;
          } else {
            row.arrival_s = sp.arrival_s;
            row.departure_s = sp.departure_s;
            row.stop_s = sp.departure_s - sp.arrival_s;
          }
        } else {
          row.passing_s = card.run.passing_s(x);
        }
      }
      card.rows.push_back(std::move(row));
    }
    if (change) {
      card.rows.back().change_over = true;
      card_row row;
      row.position_m = x;
      row.count_m = count_at(changes, x, true);
      row.new_count = true;
      row.drawing = card.rows.back().drawing;
      row.left_code = line.left_coded[here] ? code_mark::coded : code_mark::none;
      row.right_code = line.right_coded[here] ? code_mark::coded : code_mark::none;
      card.rows.push_back(std::move(row));
    }
    first_place = false;
  }
  return card;
}

}  // namespace scenario::card
