#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>

#include "accounts/file_copy.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace varneth::gui {

// "Form_copy 文件拷贝" (`Form_copy`): the tables to or from the backup folder that stands in for the
// floppy drive. Opened after the login has ended, so no table of the account is open meanwhile.
class FileCopyWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kFolderKey = "copy/backupFolder";

    FileCopyWindow(std::filesystem::path programDir, std::string accountName,
                   std::filesystem::path accountDir, port::Prompter& prompter, QWidget* parent = nullptr);

    // The folder chosen last, else "varneth-backup" in the user's home.
    static QString rememberedFolder();

signals:
    // Copied, or "关闭": the window is done with and the login window is in front.
    void discarded();
    // Closed through its title bar: the program ends.
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void pickFolder();
    void copy();
    void help();
    void discard();

    std::filesystem::path programDir_;
    port::Prompter& prompter_;
    accounts::FileCopy copy_;
    QRadioButton* toBackup_ = nullptr;
    QRadioButton* fromBackup_ = nullptr;
    QCheckBox* accountFiles_ = nullptr;
    QCheckBox* sharedFiles_ = nullptr;
    QLineEdit* folder_ = nullptr;
    bool discarding_ = false;
};

}  // namespace varneth::gui
