#include "content/documents.h"

namespace scenario {

namespace {

constexpr line_table table = {
    end_marker,
};
static_assert(table_length(table) < line_table_capacity);

}  // namespace

const line_table& dati_note() {
  return table;
}

}  // namespace scenario
