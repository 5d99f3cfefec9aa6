// The command-line tools write the same bytes on every platform: UTF-8 text
// with LF line ends, so that scripts and tests read one format.
#pragma once

namespace tool_input {

// On Windows: standard output and error in binary mode (no CR added before
// LF) and the console's output code page UTF-8, so that the Chinese texts
// show as they are. Elsewhere nothing to do.
void PrepareStandardStreams();

} // namespace tool_input
