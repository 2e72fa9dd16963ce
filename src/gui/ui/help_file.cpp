#include "ui/help_file.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace varneth::ui {

namespace {

bool isBlank(const QString& line) {
    return line.trimmed().isEmpty();
}

QString joinBody(QStringList lines) {
    while (!lines.isEmpty() && isBlank(lines.front())) lines.removeFirst();
    while (!lines.isEmpty() && isBlank(lines.back())) lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

HelpFile HelpFile::parse(const QString& text) {
    static const QRegularExpression topicLine(QStringLiteral(R"(^@topic\s+(\S+)\s*(.*)$)"));
    HelpFile file;
    QStringList body;
    auto close = [&] {
        if (!file.topics_.empty()) file.topics_.back().body = joinBody(body);
        body.clear();
    };
    QString all = text;
    if (all.startsWith(QChar(0xFEFF))) all.remove(0, 1);
    for (QString line : all.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const auto m = topicLine.match(line);
        if (m.hasMatch()) {
            close();
            const QString title = m.captured(2).trimmed();
            file.topics_.push_back({m.captured(1), title.isEmpty() ? m.captured(1) : title, {}});
        } else if (!file.topics_.empty()) {
            body.append(line);
        }
    }
    close();
    return file;
}

std::optional<HelpFile> HelpFile::load(const std::filesystem::path& path) {
    QFile f(QString::fromStdU16String(path.u16string()));
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return parse(QString::fromUtf8(f.readAll()));
}

int HelpFile::indexOf(const QString& keyword) const {
    for (std::size_t i = 0; i < topics_.size(); ++i)
        if (topics_[i].keyword.compare(keyword, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
}

int HelpFile::contentsIndex() const {
    const int i = indexOf(QString::fromLatin1(kContents));
    return i >= 0 || topics_.empty() ? i : 0;
}

QString HelpFile::html(const Topic& topic) {
    static const QRegularExpression address(QStringLiteral(R"(https?://[^\s<>"，。；）]+)"));
    QString body;
    qsizetype done = 0;
    for (auto it = address.globalMatch(topic.body); it.hasNext();) {
        const auto m = it.next();
        body += topic.body.mid(done, m.capturedStart() - done).toHtmlEscaped();
        const QString url = m.captured().toHtmlEscaped();
        body += QStringLiteral("<a href=\"%1\">%1</a>").arg(url);
        done = m.capturedEnd();
    }
    body += topic.body.mid(done).toHtmlEscaped();
    return QStringLiteral("<h3>%1</h3><div style=\"white-space: pre-wrap\">%2</div>")
        .arg(topic.title.toHtmlEscaped(), body);
}

}  // namespace varneth::ui
