#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QTextBrowser;

namespace varneth::ui {

// The help file: UTF-8 text in which a line "@topic KEYWORD 标题" starts a topic and the lines up to
// the next such line are its body. Lines before the first topic are ignored.
class HelpFile {
public:
    static constexpr const char* kFileName = "varneth.hlp";
    static constexpr const char* kContents = "contents";

    struct Topic {
        QString keyword;
        QString title;  // the keyword when the line gives none
        QString body;   // without trailing blank lines
    };

    static HelpFile parse(const QString& text);
    // nullopt when the file does not exist or cannot be read.
    static std::optional<HelpFile> load(const std::filesystem::path& file);

    const std::vector<Topic>& topics() const { return topics_; }
    // Keywords compare without regard to letter case; -1 when there is no such topic.
    int indexOf(const QString& keyword) const;
    // The topic "contents", or the first topic when the file has none of that name; -1 when empty.
    int contentsIndex() const;

private:
    std::vector<Topic> topics_;
};

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
