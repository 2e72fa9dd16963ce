#include "ui/help_viewer.h"

#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>

namespace varneth::ui {

namespace {

constexpr const char* kDownloadAddress = "https://varneth.example/download";

QPointer<HelpViewer>& openViewer() {
    static QPointer<HelpViewer> viewer;
    return viewer;
}

bool isBlank(const QString& line) {
    return line.trimmed().isEmpty();
}

QString joinBody(QStringList lines) {
    while (!lines.isEmpty() && isBlank(lines.front())) lines.removeFirst();
    while (!lines.isEmpty() && isBlank(lines.back())) lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

// The body is plain text; web addresses in it become links.
QString bodyHtml(const HelpFile::Topic& topic) {
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

HelpViewer::HelpViewer(QWidget* parent)
    : QDialog(parent), list_(new QListWidget), browser_(new QTextBrowser) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("帮助"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    browser_->setOpenExternalLinks(true);
    auto* splitter = new QSplitter;
    splitter->addWidget(list_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 560});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);
    resize(780, 540);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(file_.topics().size()))
            browser_->setHtml(bodyHtml(file_.topics()[static_cast<std::size_t>(row)]));
        else
            browser_->clear();
    });
}

void HelpViewer::setFile(HelpFile file) {
    file_ = std::move(file);
    const QSignalBlocker blocker(list_);
    list_->clear();
    for (const auto& t : file_.topics()) list_->addItem(t.title);
}

void HelpViewer::showIndex(int index) {
    list_->setCurrentRow(index);  // the list was just refilled, so a topic always reads as a change
    if (index < 0) browser_->clear();
}

QString HelpViewer::currentKeyword() const {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(file_.topics().size())) return {};
    return file_.topics()[static_cast<std::size_t>(row)].keyword;
}

bool HelpViewer::showTopic(QWidget* parent, const std::filesystem::path& programDir, const QString& keyword) {
    auto file = HelpFile::load(programDir / HelpFile::kFileName);
    if (!file) return false;
    int index = file->indexOf(keyword);
    if (index < 0) index = file->contentsIndex();
    QPointer<HelpViewer>& viewer = openViewer();
    if (!viewer) viewer = new HelpViewer(parent);
    viewer->setFile(std::move(*file));
    viewer->showIndex(index);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return true;
}

bool HelpViewer::showContents(QWidget* parent, const std::filesystem::path& programDir) {
    return showTopic(parent, programDir, QString::fromLatin1(HelpFile::kContents));
}

std::string HelpViewer::missingFileMessage() {
    return std::string("缺少") + HelpFile::kFileName + "文件，可在" + kDownloadAddress + "下载最新版本";
}

HelpViewer* HelpViewer::current() {
    return openViewer();
}

}  // namespace varneth::ui
