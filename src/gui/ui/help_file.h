#pragma once

#include <QString>
#include <filesystem>
#include <optional>
#include <vector>

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

    // A topic as the window shows it: its title over its plain-text body, web addresses as links.
    static QString html(const Topic& topic);

private:
    std::vector<Topic> topics_;
};

}  // namespace varneth::ui
