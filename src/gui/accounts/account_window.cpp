#include "accounts/account_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/login_window.h"

namespace varneth::gui {

namespace {

QLabel* note(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QHBoxLayout* buttonRow(QPushButton* a, QPushButton* b) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(a);
    row->addWidget(b);
    row->addStretch(1);
    return row;
}

std::string text(const QLineEdit* box) {
    return box->text().toStdString();
}

}  // namespace

AccountWindow::AccountWindow(storage::Engine& engine, std::filesystem::path programDir,
                             port::Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), admin_(engine, std::move(programDir), prompter), prompter_(prompter) {
    setObjectName(QStringLiteral("Form_acc"));
    setWindowTitle(QStringLiteral("添加/删除管理帐户"));
    pages_ = new QTabWidget;
    pages_->addTab(buildAddPage(), QStringLiteral("添加管理帐户"));
    pages_->addTab(buildDeletePage(), QStringLiteral("删除管理帐户"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    fillAccounts();
    resize(sizeHint().expandedTo(QSize(460, 0)));
}

QWidget* AccountWindow::buildAddPage() {
    auto* page = new QWidget;
    name_ = new QLineEdit(QStringLiteral("张三"));
    name_->setObjectName(QStringLiteral("nameBox"));
    subdir_ = new QLineEdit(QStringLiteral("zs"));
    subdir_->setObjectName(QStringLiteral("subdirBox"));
    password_ = new PasswordEdit;
    password_->setObjectName(QStringLiteral("passwordBox"));
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("帐户名"), name_);
    fields->addRow(QStringLiteral("子目录"), subdir_);
    fields->addRow(QStringLiteral("口令"), password_);
    auto* ok = new QPushButton(QStringLiteral("确认"));
    auto* quit = new QPushButton(QStringLiteral("退出"));
    connect(ok, &QPushButton::clicked, this, &AccountWindow::add);
    connect(quit, &QPushButton::clicked, this, &AccountWindow::close);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    layout->addWidget(
        note(QStringLiteral("注意不要和已有的帐户名和子目录重复(进入删除页面点下拉框可见已有帐户和子目录)；"
                            "口令栏不填为无口令.")));
    layout->addStretch(1);
    layout->addLayout(buttonRow(ok, quit));
    return page;
}

QWidget* AccountWindow::buildDeletePage() {
    auto* page = new QWidget;
    accounts_ = new QComboBox;
    accounts_->setObjectName(QStringLiteral("accountList"));
    accountPassword_ = new PasswordEdit;
    accountPassword_->setObjectName(QStringLiteral("accountPasswordBox"));
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("管理帐户:"), accounts_);
    fields->addRow(QStringLiteral("该帐户口令:"), accountPassword_);
    auto* remove = new QPushButton(QStringLiteral("删除帐户"));
    auto* close = new QPushButton(QStringLiteral("关闭"));
    connect(remove, &QPushButton::clicked, this, &AccountWindow::remove);
    connect(close, &QPushButton::clicked, this, &AccountWindow::close);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    layout->addWidget(
        note(QStringLiteral("删除后将不能恢复，如要恢复，请先选主菜单上的文件拷贝项，将数据文件拷贝到软盘上,"
                            "以后添加帐户后再拷贝回来。")));
    layout->addStretch(1);
    layout->addLayout(buttonRow(remove, close));
    return page;
}

void AccountWindow::fillAccounts() {
    accounts_->clear();
    for (const auto& a : admin_.accounts())
        accounts_->addItem(QString::fromStdString(a.name + ";" + a.subdir), QString::fromStdString(a.name));
    accounts_->setMaxVisibleItems(std::max(1, accounts_->count()));
}

void AccountWindow::add() {
    emit loginEndRequested();
    switch (admin_.add(text(name_), text(subdir_), text(password_))) {
        case accounts::AccountAdmin::Added::Done:
            fillAccounts();
            break;
        case accounts::AccountAdmin::Added::FixName:
            name_->setFocus();
            break;
        case accounts::AccountAdmin::Added::FixSubdir:
            subdir_->setFocus();
            break;
        case accounts::AccountAdmin::Added::Failed:
            break;
    }
}

void AccountWindow::remove() {
    const std::string name = accounts_->currentData().toString().toStdString();
    if (!name.empty() && !port::askDelete(prompter_, {name})) return;
    switch (admin_.remove(name, text(accountPassword_))) {
        case accounts::AccountAdmin::Deleted::Done:
            accountPassword_->clear();
            fillAccounts();
            break;
        case accounts::AccountAdmin::Deleted::FixAccount:
            accounts_->setFocus();
            break;
        case accounts::AccountAdmin::Deleted::FixPassword:
            accountPassword_->setFocus();
            break;
        case accounts::AccountAdmin::Deleted::Refused:
            break;
    }
}

void AccountWindow::closeEvent(QCloseEvent* event) {
    admin_.closing();
    event->accept();
    emit programEndRequested();
}

}  // namespace varneth::gui
