#include "prices/exchange_quotes_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "storage/cursor.h"
#include "storage/error.h"
#include "text/gbk.h"
#include "ui/centre.h"
#include "ui/cursor_model.h"
#include "ui/help_viewer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

using prices::ExchangeQuotes;

ExchangeQuotesWindow::ExchangeQuotesWindow(app::Session& session, port::Launcher& launcher, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      launcher_(launcher),
      maintenance_(session.engine(), session.holdings().ledger(), session.lookups(), session.prices(),
                   session.prompter(), session.clock()),
      quotes_(session.engine(), maintenance_, session.prompter()) {
    setObjectName(QStringLiteral("Form_readshow2003"));
    setWindowTitle(QString::fromUtf8(ExchangeQuotes::kCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    maintenance_.setHooks({{}, [this] { emit holdingsChanged(); }});
    quotes_.setStatus([this](const std::string& text, bool) { status(text); });

    locations_ = new QComboBox;
    for (const auto& line : ExchangeQuotes::locations(session.programDir()))
        locations_->addItem(QString::fromStdString(line));
    connect(locations_, &QComboBox::currentIndexChanged, this, &ExchangeQuotesWindow::locationChosen);
    links_ = new QTextBrowser;
    links_->setOpenLinks(false);
    links_->setMaximumHeight(60);
    connect(links_, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& url) { launcher_.openLink(url.toString().toStdString()); });
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));

    general_ = std::make_unique<ui::CursorModel>(session.prices().table(), session.prompter());
    general_->setColumns({{"CODE", QStringLiteral("代码")},
                          {"NAME", QStringLiteral("名称")},
                          {"PRICE", QStringLiteral("价格")}});
    const auto exchangeGrid = [this](const ExchangeQuotes::File& file,
                                     std::unique_ptr<storage::Cursor>& cursor,
                                     std::unique_ptr<ui::CursorModel>& model) {
        cursor = std::make_unique<storage::Cursor>(ExchangeQuotes::table(session_.programDir(), file));
        model = std::make_unique<ui::CursorModel>(*cursor, session_.prompter());
        model->setColumns({{file.fields[0], QStringLiteral("代码")},
                           {file.fields[1], QStringLiteral("名称")},
                           {file.fields[2], QStringLiteral("价格")}});
    };
    exchangeGrid(ExchangeQuotes::kShanghai, shanghaiFile_, shanghai_);
    exchangeGrid(ExchangeQuotes::kShenzhen, shenzhenFile_, shenzhen_);
    auto* grids = new QHBoxLayout;
    const auto addGrid = [grids](const QString& title, ui::CursorModel* model) {
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(title));
        auto* grid = new QTableView;
        ui::bindGrid(grid, model);
        column->addWidget(grid, 1);
        grids->addLayout(column, 1);
    };
    addGrid(QStringLiteral("所有股票价格表"), general_.get());
    addGrid(QStringLiteral("上海 ") + QString::fromUtf8(ExchangeQuotes::kShanghaiFile), shanghai_.get());
    addGrid(QStringLiteral("深圳 ") + QString::fromUtf8(ExchangeQuotes::kShenzhenFile), shenzhen_.get());

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* text, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        connect(b, &QPushButton::clicked, this, action);
        buttons->addWidget(b);
    };
    button("更新所有股票价格表", [this] { update(); });
    button("修改持仓价格", [this] { emit holdingsPricesRequested(); });
    button("帮助", [this] {
        if (!ui::HelpViewer::showTopic(this, session_.programDir(), QString::fromUtf8(ExchangeQuotes::kHelp)))
            session_.prompter().message(ui::HelpViewer::missingFileMessage());
    });
    button("关闭", [this] { close(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("选择深沪交易所行情文件网上路径路径")));
    layout->addWidget(locations_);
    layout->addWidget(
        new QLabel(QStringLiteral("如果路径不在选择中，请用写字板编辑安装目录下的文件SJLJ.TXT")));
    layout->addWidget(new QLabel(QStringLiteral("分别点击下面两个DBF文件下载并存到安装目录")));
    layout->addWidget(links_);
    layout->addWidget(
        new QLabel(QStringLiteral("安装目录：") + QString::fromStdString(session.programDir().string())));
    layout->addWidget(status_);
    layout->addLayout(grids, 1);
    layout->addLayout(buttons);
    resize(900, 560);
    locationChosen(locations_->currentIndex());
}

ExchangeQuotesWindow::~ExchangeQuotesWindow() = default;

void ExchangeQuotesWindow::showCentred() {
    ui::moveToScreenCentre(*this);
    show();
    raise();
    activateWindow();
}

QString ExchangeQuotesWindow::linksText() const {
    return links_->toPlainText();
}
QString ExchangeQuotesWindow::statusText() const {
    return status_->text();
}

void ExchangeQuotesWindow::locationChosen(int index) {
    if (index < 0) {
        links_->clear();
        return;
    }
    QString html;
    for (const auto& link : ExchangeQuotes::links(locations_->itemText(index).toStdString())) {
        const QString url = QString::fromStdString(link).toHtmlEscaped();
        html += QStringLiteral("<a href=\"%1\">%1</a><br>").arg(url);
    }
    links_->setHtml(html);
}

void ExchangeQuotesWindow::status(const std::string& text) {
    status_->setText(QString::fromStdString(text));
    status_->repaint();
}

// The files may have been downloaded again since the window opened.
void ExchangeQuotesWindow::reopenFiles() {
    shanghaiFile_->rebind(ExchangeQuotes::table(session_.programDir(), ExchangeQuotes::kShanghai));
    shenzhenFile_->rebind(ExchangeQuotes::table(session_.programDir(), ExchangeQuotes::kShenzhen));
}

void ExchangeQuotesWindow::update() {
    const ui::WaitCursor wait;
    reopenFiles();
    try {
        quotes_.update(session_.programDir());
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
}

}  // namespace varneth::gui
