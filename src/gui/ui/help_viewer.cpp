#include "ui/help_viewer.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QSplitter>
#include <QTextBrowser>

namespace varneth::ui {

namespace {

constexpr const char* kDownloadAddress = "https://varneth.example/download";

QPointer<HelpViewer>& openViewer() {
    static QPointer<HelpViewer> viewer;
    return viewer;
}

}  // namespace

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
            browser_->setHtml(HelpFile::html(file_.topics()[static_cast<std::size_t>(row)]));
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
