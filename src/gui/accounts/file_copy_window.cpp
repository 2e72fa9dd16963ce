#include "accounts/file_copy_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/help_viewer.h"
#include "ui/settings.h"

namespace varneth::gui {

FileCopyWindow::FileCopyWindow(std::filesystem::path programDir, std::string accountName,
                               std::filesystem::path accountDir, port::Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window),
      programDir_(programDir),
      prompter_(prompter),
      copy_(std::move(programDir), std::move(accountName), std::move(accountDir), prompter) {
    setObjectName(QStringLiteral("Form_copy"));
    setWindowTitle(QStringLiteral("Form_copy 文件拷贝"));

    auto* direction = new QGroupBox(QStringLiteral("文件拷贝(将覆盖现有文件)"));
    toBackup_ = new QRadioButton(QStringLiteral("从硬盘拷贝到A盘"));
    fromBackup_ = new QRadioButton(QStringLiteral("从A盘拷贝到硬盘"));
    toBackup_->setChecked(true);
    auto* directionLayout = new QVBoxLayout(direction);
    directionLayout->addWidget(toBackup_);
    directionLayout->addWidget(fromBackup_);

    folder_ = new QLineEdit(rememberedFolder());
    folder_->setObjectName(QStringLiteral("folderBox"));
    auto* pick = new QPushButton(QStringLiteral("选择..."));
    connect(pick, &QPushButton::clicked, this, &FileCopyWindow::pickFolder);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("A盘(备份文件夹):")));
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(pick);

    accountFiles_ = new QCheckBox(QStringLiteral("拷贝本管理帐户文件"));
    accountFiles_->setChecked(true);
    sharedFiles_ = new QCheckBox(QStringLiteral("拷贝公用文件"));
    sharedFiles_->setEnabled(copy_.maySharedFiles());
    auto* sharedRow = new QHBoxLayout;
    sharedRow->addWidget(sharedFiles_);
    sharedRow->addWidget(new QLabel(QStringLiteral("(进我的帐户方可拷贝)")));
    sharedRow->addStretch(1);

    auto* run = new QPushButton(QStringLiteral("拷贝文件   "));
    auto* helpButton = new QPushButton(QStringLiteral("帮助"));
    auto* close = new QPushButton(QStringLiteral("关闭"));
    connect(run, &QPushButton::clicked, this, &FileCopyWindow::copy);
    connect(helpButton, &QPushButton::clicked, this, &FileCopyWindow::help);
    connect(close, &QPushButton::clicked, this, &FileCopyWindow::discard);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (auto* b : {run, helpButton, close}) buttons->addWidget(b);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(direction);
    layout->addLayout(folderRow);
    layout->addWidget(accountFiles_);
    layout->addLayout(sharedRow);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(460, 0)));
}

QString FileCopyWindow::rememberedFolder() {
    return ui::appSettings()
        .value(QString::fromLatin1(kFolderKey), QDir::home().filePath(QStringLiteral("varneth-backup")))
        .toString();
}

void FileCopyWindow::pickFolder() {
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QStringLiteral("选择备份文件夹"), folder_->text());
    if (chosen.isEmpty()) return;
    folder_->setText(QDir::toNativeSeparators(chosen));
    ui::appSettings().setValue(QString::fromLatin1(kFolderKey), chosen);
}

void FileCopyWindow::copy() {
    const QString folder = folder_->text().trimmed();
    if (!folder.isEmpty()) ui::appSettings().setValue(QString::fromLatin1(kFolderKey), folder);
    accounts::FileCopy::Choice choice;
    choice.direction = fromBackup_->isChecked() ? accounts::FileCopy::Direction::FromBackup
                                                : accounts::FileCopy::Direction::ToBackup;
    choice.accountFiles = accountFiles_->isChecked();
    choice.sharedFiles = sharedFiles_->isEnabled() && sharedFiles_->isChecked();
    if (copy_.copy(choice, std::filesystem::path(folder.toStdU16String())) ==
        accounts::FileCopy::Outcome::LoginEnded)
        discard();
}

void FileCopyWindow::help() {
    if (!ui::HelpViewer::showTopic(this, programDir_, QStringLiteral("copy")))
        prompter_.message(ui::HelpViewer::missingFileMessage());
}

void FileCopyWindow::discard() {
    discarding_ = true;
    close();
    emit discarded();
}

void FileCopyWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!discarding_) emit programEndRequested();
}

}  // namespace varneth::gui
