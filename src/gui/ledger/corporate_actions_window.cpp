#include "ledger/corporate_actions_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "storage/error.h"
#include "ui/centre.h"
#include "ui/cursor_model.h"
#include "ui/draft_row.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

using ledger::CorporateActions;

namespace {

std::vector<ui::GridColumn> entryColumns() {
    return {{"Dj_date", QStringLiteral("股权登记日")}, {"Code", QStringLiteral("代码")},
            {"Name", QStringLiteral("名称")},          {"Sph", QStringLiteral("类型")},
            {"Num", QStringLiteral("数量")},           {"Price", QStringLiteral("配股价")},
            {"Tax", QStringLiteral("所得税率")},       {"Amt1", QStringLiteral("原有数")},
            {"Amt2", QStringLiteral("增加数")},        {"Amt12", QStringLiteral("现有数")}};
}

QLabel* note(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setWordWrap(true);
    return label;
}

}  // namespace

template <class F>
void CorporateActionsWindow::guarded(F&& change) {
    try {
        change();
    } catch (const storage::Error& e) {
        actions_.entries().cancel();
        session_.prompter().message(e.what());
    }
}

CorporateActionsWindow::CorporateActionsWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      actions_(session.engine(), session.prices(), session.prompter(), session.programDir(),
               session.accountDir()) {
    setObjectName(QStringLiteral("Form_sp"));
    setWindowTitle(QString::fromUtf8(CorporateActions::kCaption));
    setAttribute(Qt::WA_DeleteOnClose);

    model_ = std::make_unique<ui::CursorModel>(actions_.entries(), session_.prompter());
    model_->setColumns(entryColumns());
    model_->setEditGuard([this](int row) { return actions_.mayEdit(row); });
    model_->setRowAppender([this](const std::string& field, const storage::Value& value) {
        bool stored = false;
        guarded([&] { stored = actions_.appendEntry(field, value); });
        return stored;
    });
    grid_ = new QTableView;
    ui::bindGrid(grid_, model_.get());
    ui::offerDraftRow(grid_, model_.get());
    auto* group = new QGroupBox(QStringLiteral("已处理送配备查"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(grid_);

    changeCash_ = new QCheckBox(QStringLiteral("配股派息处理时改变帐户资金"));
    changeCash_->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note(CorporateActions::kExplanation));
    layout->addWidget(group, 1);
    layout->addWidget(note(CorporateActions::kAppendHint));
    layout->addWidget(changeCash_);
    layout->addWidget(buildButtons());
    resize(960, 420);
}

CorporateActionsWindow::~CorporateActionsWindow() = default;

QWidget* CorporateActionsWindow::buildButtons() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const char* text, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        layout->addWidget(b);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    add("处理指定记录", [this] { apply(); });
    add("补股票名", [this] { guarded([this] { actions_.fillName(); }); });
    QPushButton* fetch = add("取记录", [this] { guarded([this] { actions_.fetch(); }); });
    fetch->setToolTip(QString::fromUtf8(CorporateActions::kFetchHint));
    fetch->setEnabled(actions_.fetchEnabled());
    add("删记录", [this] { guarded([this] { actions_.removeEntry(); }); });
    add("帮助", [this] { help(); });
    add("关闭", [this] { close(); });
    return row;
}

void CorporateActionsWindow::showCentred() {
    ui::moveToScreenCentre(*this);
    show();
    raise();
}

void CorporateActionsWindow::apply() {
    try {
        if (actions_.apply(changeCash_->isChecked())) emit ledgerChanged();
    } catch (const storage::Error& e) {
        actions_.entries().cancel();
        session_.prompter().message(e.what());
        emit ledgerChanged();  // the holdings changed before the failure stay changed
    }
}

void CorporateActionsWindow::help() {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("send")))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

}  // namespace varneth::gui
