#pragma once

#include <QLineEdit>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "app/login.h"
#include "app/session.h"

class QComboBox;
class QPushButton;

namespace varneth::gui {

class AccountWindow;
class FileCopyWindow;
class MainWindow;
class SessionWindows;

// A password box that echoes "#" for every character typed. Pasting, deleting and undo work as in
// any password box; copying out of it is refused, as every password box refuses it.
class PasswordEdit : public QLineEdit {
public:
    explicit PasswordEdit(QWidget* parent = nullptr);
};

// An account-name edit box drawn over a drop-down list so that only the list's arrow shows beside
// it. Typing edits the name; only a pick from the list is a choice of account.
class AccountBox : public QWidget {
    Q_OBJECT
public:
    explicit AccountBox(QWidget* parent = nullptr);

    void setNames(const QStringList& names);  // the list shows as many rows as there are names
    QString text() const;
    void setText(const QString& name);
    QLineEdit* edit() const { return edit_; }
    QComboBox* list() const { return list_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void picked(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* list_;
    QLineEdit* edit_;
};

// The login window: the managing-account list, the password check and the way into the main window.
// It stays the application's main window for the whole run: it hides while an account is logged in,
// comes back at logout, and closing it ends the program.
class LoginWindow : public QWidget {
    Q_OBJECT
public:
    LoginWindow(storage::Engine& engine, std::filesystem::path programDir, port::Prompter& prompter,
                port::Clock& clock, QWidget* parent = nullptr);
    ~LoginWindow() override;

    MainWindow* mainWindow() const { return main_.get(); }
    SessionWindows* sessionWindows() const { return windows_.get(); }
    app::Login& login() { return login_; }

signals:
    void closed();  // the program ends

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void pick(const QString& name);
    void enter();
    void help();
    void logout();
    void endSession();
    // The main window's ways to the windows that end or outlive the login.
    void routeLoginWindows();
    void changePassword();
    void administerAccounts();
    void copyFiles();

    storage::Engine& engine_;
    port::Prompter& prompter_;
    app::Login login_;
    AccountBox* account_;
    PasswordEdit* password_;
    QPushButton* enterButton_;
    QPushButton* abortButton_;
    QPushButton* helpButton_;
    std::unique_ptr<app::Session> session_;
    std::unique_ptr<MainWindow> main_;         // after the session: it goes first
    std::unique_ptr<SessionWindows> windows_;  // after the main window: they go first
    // These outlive the login they were opened from.
    std::unique_ptr<AccountWindow> accounts_;
    std::unique_ptr<FileCopyWindow> copy_;
};

}  // namespace varneth::gui
