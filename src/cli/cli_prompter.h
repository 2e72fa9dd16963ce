#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "port/prompter.h"

namespace varneth::cli {

// Says everything on its own line of `out`; questions take the scripted answers in order, then
// the default, and show the answer taken after the question.
class CliPrompter : public port::Prompter {
public:
    CliPrompter(std::ostream& out, std::string answers, bool defaultYes)
        : out_(out), answers_(std::move(answers)), defaultYes_(defaultYes) {}

    void message(std::string_view text) override;
    bool ask(std::string_view text) override;
    void confirmAt(std::string_view text, int x, int y) override;
    // An action that told of a failure it caught ("Ignoring exception: …") did not succeed, whatever
    // it returned.
    bool failureTold() const { return failureTold_; }

private:
    bool failureTold_ = false;
    std::ostream& out_;
    std::string answers_;  // y/n
    std::size_t next_ = 0;
    bool defaultYes_;
};

}  // namespace varneth::cli
