#include "fund/investor_report_buttons.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "fund/report_destination.h"
#include "storage/error.h"
#include "text/gbk.h"
#include "ui/report_printer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

InvestorReportButtons::InvestorReportButtons(app::Session& session, fund::FundManager& manager,
                                             Definition definition, QWidget* parent)
    : QWidget(parent),
      session_(session),
      manager_(manager),
      definition_(std::move(definition)),
      reports_(session.engine(), manager, session.prompter(), session.clock()) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const QString& text, auto slot) {
        auto* b = new QPushButton(text);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, slot);
    };
    add(QStringLiteral("打印投资单据"), [this] { printVoucher(); });
    add(QStringLiteral("打印阶段报告"), [this] { printStage(); });
    add(QStringLiteral("打印总报表"), [this] { printTotal(); });
    add(QStringLiteral("打印设置"), [this] { ui::choosePrinter(this); });
}

std::string InvestorReportButtons::selectedName(const storage::Cursor& grid) const {
    return grid.isEmpty() ? std::string() : text::trim(grid.text("name"));
}

void InvestorReportButtons::printVoucher() {
    try {
        const auto before = manager_.display();
        reports_.voucher(definition_(), reportOutput(this, session_, QStringLiteral("投资凭证"), "Receipt_",
                                                     selectedName(manager_.details())));
        if (manager_.display() != before) emit displayChanged(static_cast<int>(manager_.display()));
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
}

void InvestorReportButtons::printStage() {
    try {
        reports_.stage(definition_(), reportOutput(this, session_, QStringLiteral("阶段报告"), "Rep_",
                                                   selectedName(manager_.investors())));
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
}

void InvestorReportButtons::printTotal() {
    try {
        const ui::WaitCursor wait;
        reports_.total(definition_(),
                       reportOutput(this, session_, QStringLiteral("总报表"), "Rep_for_all", ""));
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
}

}  // namespace varneth::gui
