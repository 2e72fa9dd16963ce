#pragma once

#include <QSettings>

namespace varneth::ui {

// The program's own settings (remembered folders, window places, column widths), the same for
// every program directory.
inline QSettings appSettings() {
    return QSettings(QStringLiteral("Varneth"), QStringLiteral("Varneth"));
}

}  // namespace varneth::ui
