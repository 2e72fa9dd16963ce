#pragma once

#include <QObject>
#include <QString>
#include <string>

namespace varneth::ui {

// Remembers what the user last pressed - the window's caption and the button, menu entry or
// shortcut - so that the journal names every action without each window telling it.
class ActionNamer : public QObject {
    Q_OBJECT
public:
    explicit ActionNamer(QObject* parent = nullptr);  // watches the whole application
    ~ActionNamer() override;

    std::string lastName() const { return last_.toStdString(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void remember(const QWidget* where, const QString& what);

    QString last_;
};

}  // namespace varneth::ui
