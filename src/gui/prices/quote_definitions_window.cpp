#include "prices/quote_definitions_window.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "prices/format_test.h"
#include "storage/error.h"
#include "ui/centre.h"
#include "ui/help_viewer.h"

namespace varneth::gui {

namespace {

QString pickDayFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("K线文件格式测试"), QDir::homePath());
}

}  // namespace

QuoteDefinitionsWindow::QuoteDefinitionsWindow(app::Session& session, prices::QuoteSources& sources,
                                               QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      session_(session),
      sources_(sources),
      picker_(pickDayFile) {
    setObjectName(QStringLiteral("Form_define"));
    setWindowTitle(QStringLiteral("行情软件文件路径和格式定义"));
    const auto edit = [this](const char* field) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::fromUtf8(field));
        boxes_.emplace_back(field, e);
        return e;
    };
    const auto caption = [](const char* text) { return new QLabel(QString::fromUtf8(text)); };

    auto* top = new QGridLayout;
    int row = 0;
    for (const auto& [text, field] : std::vector<std::pair<const char*, const char*>>{
             {"软件码", "HQCODE"}, {"软件名", "HQNAME"}, {"路径", "PATH"}, {"注释", "NOTE"}}) {
        top->addWidget(caption(text), row, 0);
        top->addWidget(edit(field), row++, 1);
    }

    auto* dayFiles = new QGroupBox(QStringLiteral("日K线文件格式："));
    auto* grid = new QGridLayout(dayFiles);
    row = 0;
    for (const auto& [text, field] :
         std::vector<std::pair<const char*, const char*>>{{"深市K线相对路径", "SZSUBPATH"},
                                                          {"沪市K线相对路径", "SHSUBPATH"},
                                                          {"K线文件记录长度", "LENGTH"},
                                                          {"价格数据类型", "TYPE"},
                                                          {"深市K线文件前缀", "SZHEAD"},
                                                          {"沪市K线文件前缀", "SHHEAD"},
                                                          {"K线文件后缀", "TAIL"}}) {
        grid->addWidget(caption(text), row, 0);
        grid->addWidget(edit(field), row, 1);
        if (std::string_view(field) == "TYPE") grid->addWidget(caption(kTypeCaption), row, 2);
        ++row;
    }
    auto* test = new QPushButton(QStringLiteral("K线文件格式测试"));
    connect(test, &QPushButton::clicked, this, &QuoteDefinitionsWindow::testFormat);
    grid->addWidget(test, row, 1);

    const char* tableCaptions[] = {"相对路径", "文件名",       "记录长度", "代码起始位置",
                                   "代码长度", "名称起始位置", "名称长度"};
    const auto codeTable = [&](const char* title, const char* m) {
        auto* box = new QGroupBox(QString::fromUtf8(title));
        auto* g = new QGridLayout(box);
        const std::string p(m);
        const std::vector<std::string> fields = {p + "SUBTAB", p + "CODEFILE", p + "LEN", p + "C1",
                                                 p + "CLEN",   p + "N1",       p + "NLEN"};
        for (int i = 0; i < 7; ++i) {
            const auto& def = sources_.table().def().field(fields[static_cast<std::size_t>(i)]);
            g->addWidget(caption(tableCaptions[i]), 0, i);
            g->addWidget(edit(def.name.c_str()), 1, i);
        }
        return box;
    };
    auto* sz = codeTable("深市代码表文件格式：(如果深沪共用一个文件，则只填上面一行)：", "SZ");
    auto* sh = codeTable("沪市代码表文件格式：", "SH");

    auto* buttons = new QHBoxLayout;
    const auto add = [&](const char* text, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, action);
    };
    add("帮助", [this] { help(); });
    add("删除", [this] { removeShown(); });
    add("新建", [this] { addNew(); });
    add("确定退出", [this] { confirm(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(dayFiles);
    layout->addWidget(sz);
    layout->addWidget(sh);
    layout->addWidget(caption(kCodeTableNote));
    layout->addLayout(buttons);
    load();
}

QLineEdit* QuoteDefinitionsWindow::box(const char* field) const {
    for (const auto& [name, edit] : boxes_)
        if (std::string_view(name) == field) return edit;
    return nullptr;
}

void QuoteDefinitionsWindow::showCentred() {
    load();
    adjustSize();
    ui::moveToScreenCentre(*this);
    show();
    raise();
    activateWindow();
}

void QuoteDefinitionsWindow::load() {
    const storage::Cursor& row = sources_.table();
    for (const auto& [field, edit] : boxes_)
        edit->setText(row.isEmpty() ? QString() : QString::fromStdString(row.value(field).toString()));
    setEnabled(true);
}

bool QuoteDefinitionsWindow::store() {
    storage::Cursor& row = sources_.table();
    if (row.isEmpty()) return true;
    try {
        storage::Action action(session_.engine());
        for (const auto& [field, edit] : boxes_) {
            const std::string typed = edit->text().trimmed().toStdString();
            if (typed == row.value(field).toString()) continue;
            if (typed.empty())
                row.setNull(field);
            else
                row.setValue(field, typed);
        }
        if (row.state() != storage::Cursor::State::Browse) row.post();
        return true;
    } catch (const storage::Error& e) {
        if (row.state() != storage::Cursor::State::Browse) row.cancel();
        session_.prompter().message(e.what());
        return false;
    }
}

void QuoteDefinitionsWindow::removeShown() {
    storage::Cursor& row = sources_.table();
    if (row.isEmpty()) return;
    if (!port::askDelete(session_.prompter(), {row.text("HQCODE"), row.text("HQNAME")})) return;
    {
        storage::Action action(session_.engine());
        if (row.state() != storage::Cursor::State::Browse) row.cancel();
        row.remove();
    }
    load();
    emit sourceChosen();
}

void QuoteDefinitionsWindow::addNew() {
    if (!store()) return;
    storage::Cursor& row = sources_.table();
    {
        storage::Action action(session_.engine());
        row.last();
        row.append();
        row.setValue("NOW", false);
        row.post();
    }
    load();
    emit sourceChosen();
}

void QuoteDefinitionsWindow::confirm() {
    if (!store()) return;
    sources_.chooseShown();
    emit sourceChosen();
    close();
}

void QuoteDefinitionsWindow::testFormat() {
    if (!store()) return;
    const QString file = picker_(this);
    if (file.isEmpty()) return;
    prices::FormatTest(session_.engine(), sources_, session_.prompter()).run(file.toStdString());
    load();
}

void QuoteDefinitionsWindow::help() {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("fordata")))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

}  // namespace varneth::gui
