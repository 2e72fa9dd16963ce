#pragma once

#include <QWidget>
#include <filesystem>

#include "accounts/account_admin.h"

class QComboBox;
class QLineEdit;
class QTabWidget;

namespace varneth::gui {

// "添加/删除管理帐户" (`Form_acc`), reached from "我的帐户" only. It works on the managing-account
// list alone, so it outlives the login it was opened from; closing it ends the program.
class AccountWindow : public QWidget {
    Q_OBJECT
public:
    AccountWindow(storage::Engine& engine, std::filesystem::path programDir, port::Prompter& prompter,
                  QWidget* parent = nullptr);

    QTabWidget* pages() const { return pages_; }

signals:
    // "确认" first closes the main window and the account's connection.
    void loginEndRequested();
    // The window closed: the program ends.
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildAddPage();
    QWidget* buildDeletePage();
    void fillAccounts();
    void add();
    void remove();

    accounts::AccountAdmin admin_;
    port::Prompter& prompter_;
    QTabWidget* pages_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* subdir_ = nullptr;
    QLineEdit* password_ = nullptr;
    QComboBox* accounts_ = nullptr;
    QLineEdit* accountPassword_ = nullptr;
};

}  // namespace varneth::gui
