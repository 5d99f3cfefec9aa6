// A tool's arguments as UTF-8 in the argc/argv shape its option parser
// takes, so that a path or a user name with 张伟 in it arrives whole on
// Windows as well.
#pragma once

#include "osa/osa_process_text.h"

#include <string>
#include <vector>

namespace tool_input {

class Utf8Arguments {
public:
    Utf8Arguments(int argc, char** argv) : m_texts(OSA_commandLineUtf8(argc, argv)) {
        for (std::string& text : m_texts) {
            m_values.push_back(text.data());
        }
        m_values.push_back(nullptr);
    }
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int Count() const { return static_cast<int>(m_texts.size()); }
    char** Values() { return m_values.data(); }

private:
    std::vector<std::string> m_texts;
    std::vector<char*> m_values;
};

} // namespace tool_input
