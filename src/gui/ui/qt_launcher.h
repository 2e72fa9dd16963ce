#pragma once

#include "port/launcher.h"

namespace varneth::ui {

// Starts programs detached from Varneth and opens links with the desktop's handler. How a started
// program shows itself is the desktop's business; the show mode is not passed on.
class QtLauncher : public port::Launcher {
public:
    // `path` is a program file, or a bare name looked up on the search path; FileNotFound when
    // neither exists. `parameters` is a command-line text, split as a shell would split it.
    port::LaunchResult startProgram(const std::string& path, const std::string& parameters,
                                    port::ShowMode mode) override;
    // A web address, or a local file or folder; FileNotFound for a local one that does not exist.
    port::LaunchResult openLink(const std::string& url) override;
};

}  // namespace varneth::ui
