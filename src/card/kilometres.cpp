#include "card/kilometres.h"

#include <algorithm>
#include <cstdlib>

namespace scenario::card {

namespace {

// The flag that makes a count run down, and what the compiler adds to its value.
constexpr long_t descending_flag = 1;
constexpr long_t descending_bump = 100;

}  // namespace

std::vector<count_change> count_changes(const tabella_voci& voci) {
  std::vector<count_change> out;
  for (int k : {voce::progressiva_tre, voce::progressiva_due, voce::progressiva_uno}) {
    const voce_generale& r = voci[static_cast<std::size_t>(k)];
    if (r.inizio == 0 && r.fine == 0 && r.posizione == 0) continue;
    const bool descending = r.posizione == descending_flag;
    out.push_back({r.inizio, descending ? r.fine - descending_bump : r.fine, descending});
  }
  std::stable_sort(out.begin(), out.end(), [](const count_change& a, const count_change& b) {
    return a.position < b.position;
  });
  return out;
}

long_t count_at(const std::vector<count_change>& changes, long_t x, bool after_change) {
  const count_change* in_force = nullptr;
  for (const count_change& c : changes) {
    if (c.position < x || (c.position == x && after_change)) in_force = &c;
  }
  if (!in_force) return x;
  return in_force->descending ? in_force->value - x : in_force->value + x;
}

std::optional<count_change> change_at(const std::vector<count_change>& changes, long_t x) {
  std::optional<count_change> found;
  for (const count_change& c : changes)
    if (c.position == x) found = c;
  return found;
}

std::string kilometres_text(long_t metres) {
  const long long m = std::llabs(static_cast<long long>(metres));
  std::string frac = std::to_string(m % 1000);
  frac.insert(0, 3 - frac.size(), '0');
  return (metres < 0 ? "-" : "") + std::to_string(m / 1000) + "." + frac;
}

}  // namespace scenario::card
