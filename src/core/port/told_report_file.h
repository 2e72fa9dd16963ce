#pragma once

#include <filesystem>
#include <utility>

#include "port/prompter.h"
#include "port/report_sink.h"

namespace varneth::port {

// A report file that says so, naming the file, when it cannot be written, as the sink's contract asks.
class ToldReportFile : public TextFileReport {
public:
    ToldReportFile(std::filesystem::path file, Prompter& prompter)
        : TextFileReport(std::move(file)), prompter_(prompter) {}
    bool finish() override {
        if (TextFileReport::finish()) return true;
        prompter_.message(cannotWrite(file()));
        return false;
    }

private:
    Prompter& prompter_;
};

}  // namespace varneth::port
