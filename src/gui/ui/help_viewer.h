#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <string>

#include "ui/help_file.h"

class QListWidget;
class QTextBrowser;

namespace varneth::ui {

// The help window: the topics listed on the left, the chosen one on the right. One window serves
// every request; asking again brings it to the front on the new topic.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
    // Opens `keyword` (the contents when the file has no such topic) from the program directory's
    // help file. False when the file is missing: the caller tells the user (missingFileMessage).
    static bool showTopic(QWidget* parent, const std::filesystem::path& programDir, const QString& keyword);
    static bool showContents(QWidget* parent, const std::filesystem::path& programDir);
    static std::string missingFileMessage();
    // The open help window, if any.
    static HelpViewer* current();

    QString currentKeyword() const;

private:
    explicit HelpViewer(QWidget* parent);
    void setFile(HelpFile file);
    void showIndex(int index);

    HelpFile file_;
    QListWidget* list_;
    QTextBrowser* browser_;
};

}  // namespace varneth::ui
