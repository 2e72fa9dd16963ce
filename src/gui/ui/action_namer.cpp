#include "ui/action_namer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace varneth::ui {

namespace {

QString plain(QString text) {
    return text.remove(QLatin1Char('&')).trimmed();
}

}  // namespace

ActionNamer::ActionNamer(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

ActionNamer::~ActionNamer() {
    qApp->removeEventFilter(this);
}

void ActionNamer::remember(const QWidget* where, const QString& what) {
    const QWidget* window = where ? where->window() : nullptr;
    // A menu's window is the menu itself: the caption is that of the window it belongs to.
    if (window && qobject_cast<const QMenu*>(window) && QApplication::activeWindow())
        window = QApplication::activeWindow();
    const QString caption = window ? plain(window->windowTitle()) : QString();
    last_ = caption.isEmpty() ? plain(what) : caption + QStringLiteral(" / ") + plain(what);
}

bool ActionNamer::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonRelease:
            // Seen before the button acts on the release: the name is in place when its action begins.
            if (auto* button = qobject_cast<QAbstractButton*>(watched)) {
                remember(button, button->text().isEmpty() ? button->toolTip() : button->text());
            } else if (auto* menu = qobject_cast<QMenu*>(watched)) {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (QAction* a = menu->actionAt(mouse->position().toPoint())) remember(menu, a->text());
            }
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            auto* button = qobject_cast<QAbstractButton*>(watched);
            if (button && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter))
                remember(button, button->text());
            break;
        }
        case QEvent::Shortcut:
            if (auto* a = qobject_cast<QAction*>(watched))
                remember(qobject_cast<QWidget*>(a->parent()), a->text().isEmpty() ? a->toolTip() : a->text());
            break;
        default:
            break;
    }
    return false;
}

}  // namespace varneth::ui
