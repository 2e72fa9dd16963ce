#include "ui/window_memory.h"

#include <QEvent>
#include <QWidget>

#include "ui/settings.h"

namespace varneth::ui {

namespace {

constexpr const char* kPlaced = "varneth.placed";

bool remembered(const QObject* o) {
    const auto* w = qobject_cast<const QWidget*>(o);
    return w && w->isWindow() && QByteArray(w->metaObject()->className()).startsWith("varneth::gui::");
}

}  // namespace

QString WindowMemory::key(const QWidget* window) {
    return QStringLiteral("windows/%1/geometry")
        .arg(QString::fromLatin1(window->metaObject()->className())
                 .replace(QLatin1String("::"), QLatin1String(".")));
}

bool WindowMemory::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() != QEvent::Show && event->type() != QEvent::Hide) || !remembered(watched))
        return false;
    auto* window = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Hide) {
        appSettings().setValue(key(window), window->saveGeometry());
    } else if (!window->property(kPlaced).toBool()) {
        // Only the first showing: later ones keep where the window is now.
        window->setProperty(kPlaced, true);
        const QByteArray place = appSettings().value(key(window)).toByteArray();
        if (!place.isEmpty()) window->restoreGeometry(place);
    }
    return false;
}

}  // namespace varneth::ui
