#pragma once

#include <string>
#include <vector>

#include "command.h"

namespace varneth::cli {

// Reads the arguments after the program name. Global options may stand before or after the
// command, its own options after it; "--name=value" reads as "--name value", and "--" ends the
// options. Throws UsageError.
Invocation parseCommandLine(const std::vector<std::string>& argv);

// The usage lines for stderr: the general line, then the command's or the list of commands.
std::string usageText(const Command* command);

}  // namespace varneth::cli
