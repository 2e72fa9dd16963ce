#include "prices/quote_path_window.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "storage/error.h"

namespace varneth::gui {

QuotePathWindow::QuotePathWindow(prices::QuoteSources& sources, port::Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), sources_(sources), prompter_(prompter) {
    setObjectName(QStringLiteral("Form_hqpath"));
    setWindowTitle(QStringLiteral("找行情文件路径"));
    setAttribute(Qt::WA_DeleteOnClose);

    drives_ = new QComboBox;
    for (const QFileInfo& drive : QDir::drives())
        drives_->addItem(QDir::toNativeSeparators(drive.absolutePath()));
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QString());
    tree_ = new QTreeView;
    tree_->setModel(model_);
    for (int c = 1; c < model_->columnCount(); ++c) tree_->hideColumn(c);
    tree_->header()->hide();
    shown_ = new QLabel;
    shown_->setObjectName(QStringLiteral("shownDirectory"));
    connect(drives_, &QComboBox::activated, this, &QuotePathWindow::driveChosen);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                shown_->setText(QDir::toNativeSeparators(model_->filePath(index)));
            });

    auto* buttons = new QHBoxLayout;
    const auto add = [&](const char* text, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, action);
    };
    add("确定退出", [this] { confirm(); });
    add("放弃退出", [this] { close(); });
    add("帮助", [this] { prompter_.message(kHelp); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(drives_);
    layout->addWidget(tree_, 1);
    layout->addWidget(new QLabel(QStringLiteral("文件所在路径:")));
    layout->addWidget(shown_);
    layout->addLayout(buttons);
    resize(360, 420);

    const auto source = sources_.shown();
    QString start = source && QDir(QString::fromStdString(source->path)).exists()
                        ? QString::fromStdString(source->path)
                        : QDir::homePath();
    selectDirectory(start);
}

QString QuotePathWindow::shownDirectory() const {
    return QDir::fromNativeSeparators(shown_->text());
}

void QuotePathWindow::selectDirectory(const QString& dir) {
    const QModelIndex index = model_->index(dir);
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    shown_->setText(QDir::toNativeSeparators(QDir(dir).absolutePath()));
}

void QuotePathWindow::driveChosen(int index) {
    selectDirectory(QDir::fromNativeSeparators(drives_->itemText(index)));
}

void QuotePathWindow::confirm() {
    try {
        if (!sources_.setPath(shownDirectory().toStdString())) {
            prompter_.message(prices::QuoteSources::kPathTooLong);
            return;
        }
    } catch (const storage::Error& e) {
        prompter_.message(e.what());
        return;
    }
    emit pathChosen();
    close();
}

}  // namespace varneth::gui
