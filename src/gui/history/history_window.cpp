#include "history/history_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "history/history.h"
#include "storage/error.h"
#include "ui/grid_features.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

namespace {

QTableWidget* table(const char* name, const QStringList& headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()));
    t->setObjectName(QString::fromLatin1(name));
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    ui::equipGrid(t);  // copy and CSV, as every grid
    return t;
}

void put(QTableWidget* t, int row, int column, const std::string& text) {
    t->setItem(row, column, new QTableWidgetItem(QString::fromStdString(text)));
}

}  // namespace

HistoryWindow::HistoryWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      entries_(table("entries", {QStringLiteral("序号"), QStringLiteral("时间"), QStringLiteral("帐户"),
                                 QStringLiteral("操作"), QStringLiteral("改动的记录")})),
      details_(table("details", {QStringLiteral("表"), QStringLiteral("记录"), QStringLiteral("字段"),
                                 QStringLiteral("原值 → 新值")})),
      undoButton_(new QPushButton(QStringLiteral("撤销到所选操作"))) {
    setWindowTitle(QStringLiteral("操作历史和撤销"));
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(entries_);
    split->addWidget(details_);
    auto* help = new QPushButton(QStringLiteral("帮助"));
    auto* close = new QPushButton(QStringLiteral("关闭"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(undoButton_);
    buttons->addStretch(1);
    buttons->addWidget(help);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    connect(entries_, &QTableWidget::itemSelectionChanged, this, &HistoryWindow::showDetails);
    connect(undoButton_, &QPushButton::clicked, this, &HistoryWindow::undo);
    connect(help, &QPushButton::clicked, this, &HistoryWindow::help);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(760, 520);
}

void HistoryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) refresh();
}

void HistoryWindow::refresh() {
    std::vector<history::Entry> list;
    try {
        storage::Action look(session_.engine(), storage::Action::Mode::Read);
        list = history::History(session_.engine()).entries();
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    entries_->setRowCount(static_cast<int>(list.size()));
    for (int r = 0; r < static_cast<int>(list.size()); ++r) {
        const auto& e = list[static_cast<std::size_t>(r)];
        put(entries_, r, 0, std::to_string(e.serial));
        put(entries_, r, 1, e.time);
        put(entries_, r, 2, e.account);
        put(entries_, r, 3, e.action);
        put(entries_, r, 4, e.rowsText());
    }
    entries_->resizeColumnsToContents();
    undoButton_->setEnabled(!list.empty());
    if (!list.empty()) entries_->setCurrentCell(0, 0);
    showDetails();
}

void HistoryWindow::showDetails() {
    details_->setRowCount(0);
    const int row = entries_->currentRow();
    if (row < 0 || !entries_->item(row, 0)) return;
    std::vector<history::ChangedField> lines;
    try {
        storage::Action look(session_.engine(), storage::Action::Mode::Read);
        lines = history::History(session_.engine()).changes(entries_->item(row, 0)->text().toLongLong());
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    details_->setRowCount(static_cast<int>(lines.size()));
    for (int r = 0; r < static_cast<int>(lines.size()); ++r) {
        const auto& c = lines[static_cast<std::size_t>(r)];
        put(details_, r, 0, c.table);
        put(details_, r, 1, c.key);
        put(details_, r, 2, c.field);
        put(details_, r, 3, c.before + " → " + c.after);
    }
    details_->resizeColumnsToContents();
}

void HistoryWindow::undo() {
    const int row = entries_->currentRow();
    if (row < 0 || !entries_->item(row, 0)) return;
    const bool done =
        history::undo(session_.engine(), entries_->item(row, 0)->text().toLongLong(), session_.prompter());
    refresh();
    if (done) emit undone();
}

void HistoryWindow::help() {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("history")))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

}  // namespace varneth::gui
