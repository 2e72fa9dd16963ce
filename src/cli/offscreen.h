#pragma once

#include <QGuiApplication>
#include <memory>

namespace varneth::cli {

// Text needs fonts, and fonts need a GUI application; no display is needed for painting an image.
// Null when one is running already.
inline std::unique_ptr<QGuiApplication> offscreenApplication() {
    if (QGuiApplication::instance()) return nullptr;
    static char name[] = "varneth-cli", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    static int argc = 3;
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace varneth::cli
