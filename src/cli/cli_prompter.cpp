#include "cli_prompter.h"

namespace varneth::cli {

void CliPrompter::message(std::string_view text) {
    if (text.starts_with("Ignoring exception: ")) failureTold_ = true;
    out_ << text << '\n' << std::flush;
}

bool CliPrompter::ask(std::string_view text) {
    bool yes = defaultYes_;
    if (next_ < answers_.size()) {
        char a = answers_[next_++];
        yes = a == 'y' || a == 'Y';
    }
    out_ << text << (yes ? " [Yes]" : " [No]") << '\n' << std::flush;
    return yes;
}

void CliPrompter::confirmAt(std::string_view text, int, int) {
    message(text);
}

}  // namespace varneth::cli
