#include "fund/address_book_tab.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include "fund/report_destination.h"
#include "storage/error.h"
#include "ui/cursor_model.h"
#include "ui/draft_row.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

using fund::AddressBook;

namespace {

std::vector<ui::GridColumn> entryColumns() {
    return {{"PYCODE", "代码"},    {"NAME", "姓名"}, {"YJZ", "介绍人"},
            {"PER", "介绍奖励率"}, {"TEL", "电话"},  {"TEL2", "BB机,传真,email"},
            {"PC", "邮码"},        {"ADDR", "地址"}};
}

}  // namespace

template <class F>
void AddressBookTab::guarded(F&& change) {
    try {
        change();
    } catch (const storage::Error& e) {
        book_.entries().cancel();
        session_.prompter().message(e.what());
    }
}

AddressBookTab::AddressBookTab(app::Session& session, fund::FundManager& manager,
                               std::function<std::string()> fundName, QWidget* parent)
    : QWidget(parent),
      session_(session),
      manager_(manager),
      fundName_(std::move(fundName)),
      book_(session.engine(), session.prompter()) {
    model_ = std::make_unique<ui::CursorModel>(book_.entries(), session.prompter());
    model_->setColumns(entryColumns());
    model_->setRowAppender([this](const std::string& field, const storage::Value& value) {
        bool stored = false;
        guarded([&] { stored = book_.appendEntry(field, value); });
        return stored;
    });
    grid_ = new QTableView;
    ui::bindGrid(grid_, model_.get());
    ui::offerDraftRow(grid_, model_.get());

    auto* order = new QGroupBox(QStringLiteral("显示和打印顺序"));
    auto* orderLayout = new QHBoxLayout(order);
    auto* byCode = new QRadioButton(QStringLiteral("按代码排序"));
    auto* byPostcode = new QRadioButton(QStringLiteral("按邮政编码排序"));
    byCode->setChecked(true);
    orderLayout->addWidget(byCode);
    orderLayout->addWidget(byPostcode);
    connect(byPostcode, &QRadioButton::toggled, this, [this](bool on) {
        guarded([&] { book_.setOrder(on ? AddressBook::Order::Pcpy : AddressBook::Order::Pycode); });
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addWidget(order);
    layout->addWidget(buildButtons());
}

AddressBookTab::~AddressBookTab() = default;

QWidget* AddressBookTab::buildButtons() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto add = [](QBoxLayout* into, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        into->addWidget(b);
        return b;
    };
    const auto renamed = [this] {
        manager_.reopen();
        emit namesChanged();
    };
    connect(add(layout, "按代码改姓名"), &QPushButton::clicked, this, [this, renamed] {
        guarded([&] {
            book_.fillNames();
            renamed();
        });
    });
    connect(add(layout, "指定代码改姓名"), &QPushButton::clicked, this, [this, renamed] {
        guarded([&] {
            if (book_.fillNamesOfCurrent()) renamed();
        });
    });
    connect(add(layout, "从首页补充"), &QPushButton::clicked, this,
            [this] { guarded([this] { book_.fillFromInvestors(manager_.investors()); }); });
    connect(add(layout, "打印通讯录"), &QPushButton::clicked, this, &AddressBookTab::print);
    auto* records = new QGroupBox(QStringLiteral("记录操作"));
    auto* recordsLayout = new QHBoxLayout(records);
    connect(add(recordsLayout, "删除"), &QPushButton::clicked, this,
            [this] { guarded([this] { book_.removeCurrent(); }); });
    connect(add(recordsLayout, "复制记录"), &QPushButton::clicked, this,
            [this] { guarded([this] { book_.copyCurrent(); }); });
    layout->addWidget(records);
    connect(add(layout, "关闭"), &QPushButton::clicked, this, &AddressBookTab::closeRequested);
    connect(add(layout, "帮助"), &QPushButton::clicked, this, [this] {
        if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("communication")))
            session_.prompter().message(ui::HelpViewer::missingFileMessage());
    });
    return row;
}

void AddressBookTab::print() {
    const std::string name = fundName_ ? fundName_() : std::string();
    const port::DateTime printed = session_.clock().now();
    fund::deliverReport(
        session_.prompter(),
        reportOutput(this, session_, QStringLiteral("投资人通讯录"), AddressBook::kFilePrefix, ""),
        std::nullopt, [&](port::ReportSink& sink) { book_.print(name, printed, sink); });
}

}  // namespace varneth::gui
