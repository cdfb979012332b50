#include "exit_procedure.hpp"

namespace rf {

namespace {

// Reads up to and including the next line feed; false at the end of input.
bool consume_line(std::FILE* in) {
    for (int c = std::getc(in); c != EOF; c = std::getc(in)) {
        if (c == '\n') {
            return true;
        }
    }
    return false;
}

} // namespace

int exit_procedure(int exit_code, std::FILE* console_in, std::FILE* console_out, bool on_console) {
    if (on_console) {
        std::fputs("\n \n Press Enter to continue \n", console_out);
        std::fflush(console_out);
        // What is left of the last answer's line was typed before the prompt.
        if (consume_line(console_in)) {
            consume_line(console_in);
        }
    }
    std::fflush(console_out);
    return exit_code;
}

} // namespace rf
