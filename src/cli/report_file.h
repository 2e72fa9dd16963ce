#pragma once

#include <string>

#include "port/prompter.h"
#include "port/report_sink.h"

namespace varneth::cli {

// A report file that says so when it cannot be written, as the sink's contract asks.
class ReportFile : public port::TextFileReport {
public:
    ReportFile(const std::string& file, port::Prompter& prompter)
        : TextFileReport(file), prompter_(prompter) {}
    bool finish() override {
        if (TextFileReport::finish()) return true;
        prompter_.message(port::cannotWrite(file()));
        return false;
    }

private:
    port::Prompter& prompter_;
};

}  // namespace varneth::cli
