#include "command.h"

namespace varneth::cli {

std::vector<Command> fundCommands() {
    return {};
}

}  // namespace varneth::cli
