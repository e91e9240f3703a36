// The line half of the reader: general section, cell sizing, gradients, curves, mountain spans,
// speed boards and text boards.
#pragma once

#include "model/model.h"
#include "reader/field_reader.h"

namespace scenario {

struct line_reading {
  bool read_train = false;  // the reading goes on with the train file (no fault, or code 15)
  long_t next_board_record = voce::primo_cartello;  // next free text-board record
};

// Reads the line description from `fields` into the model. Faults are recorded with the line of the
// entry that caused them; a failure of the reading itself throws reading_failure.
line_reading read_line_description(compilation& c, field_reader& fields);

}  // namespace scenario
