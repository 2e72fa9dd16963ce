#pragma once

#include <string>

namespace varneth::port {

enum class LaunchResult { Started, FileNotFound, Failed };
enum class ShowMode { Normal, Minimized, Maximized, Hidden };

// Starting other programs and opening web links.
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual LaunchResult startProgram(const std::string& path, const std::string& parameters,
                                      ShowMode mode) = 0;
    virtual LaunchResult openLink(const std::string& url) = 0;
};

}  // namespace varneth::port
