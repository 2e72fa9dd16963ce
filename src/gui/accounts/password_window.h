#pragma once

#include <QDialog>

#include "accounts/password_change.h"

class QLineEdit;

namespace varneth::gui {

// "改口令窗口" (`Form_pass`): a new password for the logged-in account. A real change ends the login.
class PasswordWindow : public QDialog {
    Q_OBJECT
public:
    PasswordWindow(storage::Engine& engine, std::string accountName, port::Prompter& prompter,
                   QWidget* parent = nullptr);

signals:
    // The password changed: this window has closed, the main window is to close (the login window
    // comes to the front).
    void loginEndRequested();

private:
    void confirm();

    accounts::PasswordChange change_;
    QLineEdit* old_ = nullptr;
    QLineEdit* new_ = nullptr;
    QLineEdit* repeated_ = nullptr;
};

}  // namespace varneth::gui
