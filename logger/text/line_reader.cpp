#include "logger/text/line_reader.h"

namespace kelvinor {

std::string LineReader::next() {
    std::string line;
    if (ended_) return line;
    std::streambuf* buffer = in_->rdbuf();
    if (buffer == nullptr) {
        ended_ = true;
        return line;
    }
    using Traits = std::char_traits<char>;
    for (;;) {
        Traits::int_type c = Traits::eof();
        try {
            c = buffer->sbumpc();
        } catch (...) {
            c = Traits::eof();
        }
        if (Traits::eq_int_type(c, Traits::eof())) {
            ended_ = true;
            return line;
        }
        const char ch = Traits::to_char_type(c);
        if (ch == '\n') return line;
        if (ch == '\r') {
            Traits::int_type following = Traits::eof();
            try {
                following = buffer->sgetc();
            } catch (...) {
            }
            if (Traits::eq_int_type(following, Traits::to_int_type('\n'))) buffer->sbumpc();
            return line;
        }
        line += ch;
    }
}

}  // namespace kelvinor
