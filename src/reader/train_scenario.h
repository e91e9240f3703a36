// The train half of the reader: train data, speed limits, adhesion, stations, signals,
// restrictions and code cut points.
#pragma once

#include "model/model.h"
#include "reader/field_reader.h"

namespace scenario {

// Reads the train scenario from `fields` into the model, after the line description has been read.
// `next_board_record` is the next free text-board record; station records must stay below it.
void read_train_scenario(compilation& c, field_reader& fields, long_t next_board_record);

}  // namespace scenario
