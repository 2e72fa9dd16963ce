#include "command.h"

namespace varneth::cli {

std::vector<Command> ledgerCommands() {
    return {};
}

}  // namespace varneth::cli
