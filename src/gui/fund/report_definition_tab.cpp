#include "fund/report_definition_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

#include "storage/error.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

ReportDefinitionTab::ReportDefinitionTab(app::Session& session, QWidget* parent)
    : QWidget(parent), session_(session) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* fundRow = new QHBoxLayout;
    funds_ = new QComboBox;
    fundName_ = new QLabel;
    fundRow->addWidget(funds_);
    fundRow->addWidget(fundName_, 1);
    form->addRow(QStringLiteral("管理帐户或基金名称:"), fundRow);
    title_ = new QLineEdit(QString::fromUtf8(fund::ReportDefinition::kDefaultTitle));
    form->addRow(QStringLiteral("标题:"), title_);
    layout->addLayout(form);

    auto* content = new QGroupBox(QStringLiteral("资金进出报告内容"));
    auto* inner = new QVBoxLayout(content);
    inner->addWidget(new QLabel(
        QStringLiteral("<可以直接在下面编辑，也可应用写字板编辑再剪贴；通过写字板可以打开和保存文件>")));
    memo_ = new QPlainTextEdit;
    inner->addWidget(memo_);
    layout->addWidget(content, 1);

    auto* row = new QHBoxLayout;
    allRecords_ = new QCheckBox(QStringLiteral("同时打印所有记录"));
    allRecords_->setChecked(true);
    brief_ = new QCheckBox(QStringLiteral("简要文字报告:"));
    row->addWidget(allRecords_);
    row->addWidget(brief_);
    auto* edit = new QPushButton(QStringLiteral("用写字板编辑剪贴"));
    auto* help = new QPushButton(QStringLiteral("帮助"));
    row->addWidget(edit);
    row->addWidget(help);
    layout->addLayout(row);

    connect(funds_, &QComboBox::activated, this, &ReportDefinitionTab::choose);
    connect(edit, &QPushButton::clicked, this, &ReportDefinitionTab::openEditor);
    connect(help, &QPushButton::clicked, this, [this] {
        if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("reportformat")))
            session_.prompter().message(ui::HelpViewer::missingFileMessage());
    });
    reload();
}

void ReportDefinitionTab::reload() {
    const QSignalBlocker quiet(funds_);
    funds_->clear();
    fundName_->clear();
    try {
        for (const fund::FundChoice& f : fund::fundChoices(session_.engine())) {
            funds_->addItem(QString::fromStdString(f.note + " " + f.xabc), QString::fromStdString(f.xabc));
            if (f.now) {
                funds_->setCurrentIndex(funds_->count() - 1);
                fundName_->setText(QString::fromStdString(f.note));
            }
        }
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
}

void ReportDefinitionTab::choose(int index) {
    if (index < 0) return;
    try {
        const std::string note =
            fund::chooseFund(session_.engine(), funds_->itemData(index).toString().toStdString());
        fundName_->setText(QString::fromStdString(note));
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
}

fund::ReportDefinition ReportDefinitionTab::definition() const {
    fund::ReportDefinition def;
    def.fundName = fundName_->text().toStdString();
    def.title = title_->text().toStdString();
    def.memo = memo_->toPlainText().toStdString();
    def.allRecords = allRecords_->isChecked();
    def.brief = brief_->isChecked();
    return def;
}

// The memo goes to a file the platform's editor opens; the user pastes the edited text back.
void ReportDefinitionTab::openEditor() {
    session_.prompter().message(kEditorNote);
    const QString file = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                             .filePath(QStringLiteral("varneth-report-memo.txt"));
    QFile out(file);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) out.write(memo_->toPlainText().toUtf8());
    out.close();
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        QStringList command = QProcess::splitCommand(qEnvironmentVariable(variable));
        if (command.isEmpty()) continue;
        const QString program = command.takeFirst();
        if (QProcess::startDetached(program, command << file)) return;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(file))) return;
    session_.prompter().message(kNoEditor);
}

}  // namespace varneth::gui
