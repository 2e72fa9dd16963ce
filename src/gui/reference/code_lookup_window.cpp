#include "reference/code_lookup_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include "storage/error.h"
#include "ui/cursor_model.h"

namespace varneth::gui {

using reference::GeneralPrices;

namespace {

constexpr int kCodeColumn = 0;

std::vector<ui::GridColumn> priceColumns() {
    return {{"CODE", QStringLiteral("代码")},
            {"NAME", QStringLiteral("名称")},
            {"PRICE", QStringLiteral("价格")}};
}

// Shows the initial restriction without telling anyone: the table stays unfiltered until the user
// changes the text, and "*" shows every row just as no filter does.
void showInitialRestriction(QComboBox* box) {
    const QSignalBlocker quiet(box);
    const QString initial = QString::fromUtf8(GeneralPrices::kInitialRestriction);
    box->setCurrentIndex(box->findText(initial));
    box->setEditText(initial);
}

}  // namespace

template <class F>
void CodeLookupWindow::guarded(F&& change) {
    try {
        change();
    } catch (const storage::Error& e) {
        prices_.table().cancel();
        prompter_.message(e.what());
    }
}

CodeLookupWindow::CodeLookupWindow(GeneralPrices& prices, port::Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), prices_(prices), prompter_(prompter) {
    setWindowTitle(QStringLiteral("股票代码窗口"));

    model_ = std::make_unique<ui::CursorModel>(prices_.table(), prompter_);
    model_->setColumns(priceColumns());
    grid_ = new QTableView;
    ui::bindGrid(grid_, model_.get());
    int width = 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < model_->columnCount(); ++c) width += grid_->columnWidth(c);
    grid_->setMinimumWidth(width);
    grid_->horizontalHeader()->setStretchLastSection(true);

    auto* group = new QGroupBox(QStringLiteral("查股票代码价格表"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(grid_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addWidget(buildRestriction());
    layout->addWidget(buildButtons());
    resize(sizeHint().width(), 480);
}

CodeLookupWindow::~CodeLookupWindow() {
    // A window destroyed while it shows gets no close event, and the module outlives it.
    guarded([this] { prices_.clearRestriction(); });
}

QWidget* CodeLookupWindow::buildRestriction() {
    restriction_ = new QComboBox;
    restriction_->setEditable(true);
    // The list keeps its fixed choices, and the restriction is exactly what is typed.
    restriction_->setInsertPolicy(QComboBox::NoInsert);
    restriction_->setCompleter(nullptr);
    restriction_->setMinimumContentsLength(8);  // a code and its "*"
    for (const std::string& r : GeneralPrices::restrictions())
        restriction_->addItem(QString::fromStdString(r));
    showInitialRestriction(restriction_);
    connect(restriction_, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { guarded([&] { prices_.setRestriction(text.toStdString()); }); });

    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("代码限制："));
    label->setBuddy(restriction_);
    layout->addWidget(label);
    layout->addWidget(restriction_);
    layout->addWidget(new QLabel(QStringLiteral("(*表示任意字符串)")));
    layout->addStretch(1);
    return row;
}

QWidget* CodeLookupWindow::buildButtons() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const char* text, void (CodeLookupWindow::*action)()) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        layout->addWidget(b);
        connect(b, &QPushButton::clicked, this, action);
    };
    add("确定退出", &CodeLookupWindow::pickAndClose);
    add("删一行", &CodeLookupWindow::deleteRow);
    add("插一行", &CodeLookupWindow::insertRow);
    add("帮助", &CodeLookupWindow::help);
    return row;
}

void CodeLookupWindow::showAt(int left, int top) {
    move(left, top);
    show();
    raise();
    activateWindow();
}

void CodeLookupWindow::closeEvent(QCloseEvent* event) {
    showInitialRestriction(restriction_);
    guarded([this] { prices_.clearRestriction(); });
    QWidget::closeEvent(event);
}

void CodeLookupWindow::pickAndClose() {
    if (const auto pick = prices_.currentPick(); pick && pickHandler_) pickHandler_(*pick);
    close();
}

void CodeLookupWindow::deleteRow() {
    guarded([this] { prices_.deleteRow(prompter_); });
}

void CodeLookupWindow::insertRow() {
    storage::Cursor& table = prices_.table();
    guarded([&] {
        const int shown = table.count();
        prices_.insertRow();
        // The grid shows stored rows only, so the new row is stored blank for the user to fill in.
        table.post();
        if (table.count() == shown) {
            // The restriction hides a blank code: widen it so that the new row can be filled in.
            restriction_->setEditText(QString::fromUtf8(GeneralPrices::kInitialRestriction));
            table.locate("CODE", {""});
        }
        editCode(table.position());
    });
}

void CodeLookupWindow::editCode(int row) {
    const QModelIndex code = model_->index(row, kCodeColumn);
    if (!code.isValid()) return;
    grid_->setCurrentIndex(code);
    grid_->setFocus();
    grid_->edit(code);
}

void CodeLookupWindow::help() {
    prompter_.message(GeneralPrices::kHelp);
}

}  // namespace varneth::gui
