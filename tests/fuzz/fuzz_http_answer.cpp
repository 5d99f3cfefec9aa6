// HTTP answers as anything listening on a camera's port may send them, to
// the Windows transport's reader: never a crash, and the same outcome however
// the bytes are cut into pieces.
#include "sdk/http_wire.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

lpr::AnswerReader Read(std::string_view bytes, std::size_t step,
                       lpr::AnswerReader::Progress& last) {
    lpr::AnswerReader reader(4096, 4096);
    last = lpr::AnswerReader::Progress::NeedMore;
    for (std::size_t at = 0; at < bytes.size() && last == lpr::AnswerReader::Progress::NeedMore;
         at += step) {
        last = reader.Feed(bytes.substr(at, step));
    }
    last = reader.End();
    return reader;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t step = 1 + data[0] % 16;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    lpr::AnswerReader::Progress whole;
    lpr::AnswerReader::Progress cut;
    lpr::AnswerReader a = Read(bytes, bytes.size() + 1, whole);
    lpr::AnswerReader b = Read(bytes, step, cut);
    if (whole != cut || a.Status() != b.Status() || a.Body() != b.Body() ||
        a.Authenticate() != b.Authenticate() || a.KeepAlive() != b.KeepAlive() ||
        a.Body().size() > 4096) {
        __builtin_trap();
    }
    return 0;
}
