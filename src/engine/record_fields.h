// Text-field helpers shared by the send and post functions.
#pragma once

#include "engine/task_records.h"

#include <cstddef>

namespace record_fields {

// Length of `text` when it fits a text field with its terminating zero;
// TEXT_FIELD_SIZE when it does not. A missing text counts as empty.
size_t FieldLength(const char* text);

bool FitsField(const char* text);

// Copies at most 31 characters and always leaves the field terminated; the
// bytes behind stay as they were (zero in a zero-filled record).
void CopyField(char (&field)[TEXT_FIELD_SIZE], const char* text);

} // namespace record_fields
