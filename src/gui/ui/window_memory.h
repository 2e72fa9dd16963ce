#pragma once

#include <QObject>

class QWidget;

namespace varneth::ui {

// Every window of the program comes back where the user left it, at the size they gave it. Installed
// once on the application, it watches the program's own top-level windows (their classes live in
// varneth::gui), so windows added later remember their place without doing anything.
class WindowMemory : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The settings key of a window's place.
    static QString key(const QWidget* window);
};

}  // namespace varneth::ui
