#include "accounts/password_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/login_window.h"

namespace varneth::gui {

PasswordWindow::PasswordWindow(storage::Engine& engine, std::string accountName, port::Prompter& prompter,
                               QWidget* parent)
    : QDialog(parent), change_(engine, std::move(accountName), prompter) {
    setObjectName(QStringLiteral("Form_pass"));
    setWindowTitle(QStringLiteral("改口令窗口"));
    old_ = new PasswordEdit;
    old_->setObjectName(QStringLiteral("oldBox"));
    new_ = new PasswordEdit;
    new_->setObjectName(QStringLiteral("newBox"));
    repeated_ = new PasswordEdit;
    repeated_->setObjectName(QStringLiteral("repeatedBox"));
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("旧口令："), old_);
    fields->addRow(QStringLiteral("新口令:"), new_);
    fields->addRow(QStringLiteral("新口令:"), repeated_);

    auto* confirm = new QPushButton(QStringLiteral("确认新口令"));
    auto* close = new QPushButton(QStringLiteral("关闭"));
    confirm->setDefault(true);
    connect(confirm, &QPushButton::clicked, this, &PasswordWindow::confirm);
    connect(close, &QPushButton::clicked, this, &PasswordWindow::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(confirm);
    buttons->addWidget(close);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("请输入使用者口令(新口令两次一致有效)：")));
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

void PasswordWindow::confirm() {
    using Result = accounts::PasswordChange::Result;
    switch (change_.change(old_->text().toStdString(), new_->text().toStdString(),
                           repeated_->text().toStdString())) {
        case Result::Changed:
            close();
            emit loginEndRequested();
            break;
        case Result::Unchanged:
            break;
        case Result::FixOld:
            old_->clear();
            old_->setFocus();
            break;
        case Result::FixNew:
            new_->clear();
            repeated_->clear();
            new_->setFocus();
            break;
    }
}

}  // namespace varneth::gui
