#include "prices/price_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTableView>

#include "prices/quote_definitions_window.h"
#include "prices/quote_path_window.h"
#include "storage/error.h"
#include "ui/centre.h"
#include "ui/help_viewer.h"
#include "ui/wait_cursor.h"

namespace varneth::gui {

namespace {

constexpr int kWidth = 420;
constexpr const char* kExplanation =
    "汇金,钱龙,胜龙已设好,dbf唯沪市指数读不到, 慧眼唯补代码不行;其他要根据格式设参数--参看汇金98参数设置, "
    "不会设者可用改软件参数中测试功能猜参数，也可email 日K线文件和代码表文件来,并告知相对路径,"
    "我们争取测试好参数告诉你;也欢迎分析软件商合作";
constexpr const char* kQlongNote = "注意：用钱龙行情软件需在第二天开市后才能更新第一天价格";
// The progress bar is repainted at least this often, in securities.
constexpr int kRepaintEvery = 100;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QLabel* label(QWidget* parent, const QString& text, const QRect& where) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(where);
    return l;
}

}  // namespace

PriceWindow::PriceWindow(app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      session_(session),
      sources_(session.engine()),
      update_(session.engine(), sources_, session.prompter(), session.clock()) {
    setObjectName(QStringLiteral("form_price2"));
    setWindowTitle(QStringLiteral("更新行情数据"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* explanation = label(this, QString::fromUtf8(kExplanation), QRect(8, 4, kWidth - 16, 64));
    explanation->setWordWrap(true);
    explanation->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    label(this, QStringLiteral("行情数据源："), QRect(8, 76, 80, 24));
    selector_ = new QComboBox(this);
    selector_->setObjectName(QStringLiteral("selector"));
    selector_->setGeometry(88, 76, 80, 24);
    auto* list = new QTableView;
    list->horizontalHeader()->hide();
    list->verticalHeader()->hide();
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setMinimumWidth(360);
    selector_->setModel(new QStandardItemModel(0, 4, selector_));
    selector_->setView(list);
    connect(selector_, &QComboBox::activated, this, &PriceWindow::chosen);
    name_ = new QLineEdit(this);
    name_->setReadOnly(true);
    name_->setGeometry(172, 76, 70, 24);
    auto* define = new QPushButton(QStringLiteral("增删数据源并修改参数"), this);
    define->setGeometry(246, 76, 166, 24);
    connect(define, &QPushButton::clicked, this, &PriceWindow::openDefinitions);
    note_ = label(this, QString(), QRect(88, 102, kWidth - 96, 20));

    label(this, QStringLiteral("数据所在路径："), QRect(8, 126, 90, 24));
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("path"));
    path_->setReadOnly(true);
    path_->setGeometry(98, 126, 246, 24);
    auto* changePath = new QPushButton(QStringLiteral("改路径"), this);
    changePath->setGeometry(348, 126, 64, 24);
    connect(changePath, &QPushButton::clicked, this, &PriceWindow::openPathWindow);

    const auto button = [this](const char* text, const QRect& where, auto action) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setGeometry(where);
        connect(b, &QPushButton::clicked, this, action);
    };
    button("更新(补充)代码表", QRect(8, 160, 130, 30), [this] { updateCodes(); });
    button("更新所有股票价", QRect(145, 160, 130, 30), [this] { updateAll(); });
    button("更新我的股票价", QRect(282, 160, 130, 30), [this] { updateMine(); });

    modeGroup_ = new QWidget(this);
    modeGroup_->setObjectName(QStringLiteral("displayMode"));
    modeGroup_->setGeometry(8, 198, 312, 26);
    modes_ = new QButtonGroup(this);
    const char* captions[] = {"只更新不显示", "只显示不更新", "既更新也显示"};
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(captions[i]), modeGroup_);
        item->setGeometry(i * 104, 0, 104, 26);
        modes_->addButton(item, i);
    }
    modes_->button(static_cast<int>(prices::DisplayMode::Both))->setChecked(true);
    connect(modes_, &QButtonGroup::idClicked, this, [this] { modeChosen(); });
    button("帮助", QRect(322, 196, 44, 28), [this] { help(); });
    button("关闭", QRect(368, 196, 44, 28), [this] { close(); });

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setGeometry(8, 234, kWidth - 16, 20);
    progress_->setFormat(QStringLiteral("%v/%m"));
    progress_->hide();
    qlongNote_ = label(this, QString::fromUtf8(kQlongNote), QRect(8, 234, kWidth - 16, 20));
    buildDisplay();

    update_.setHooks({[this](const std::string& item) { showItem(item); },
                      [this](int done, int total) { progress(done, total); },
                      [this] { emit holdingsChanged(); }});
    setFixedSize(kWidth, kFullHeight);
    sources_.toCurrent();
    refresh();
    update_.checkExchangeFiles();
}

PriceWindow::~PriceWindow() = default;

void PriceWindow::buildDisplay() {
    const int pitch = fontMetrics().height() + 5;
    for (int i = 0; i < kRows * kColumns; ++i) {
        slots_[static_cast<std::size_t>(i)] =
            label(this, QString(),
                  QRect(8 + (i / kRows) * kColumnPitch, kDisplayTop + (i % kRows) * pitch, kColumnPitch - 2,
                        pitch));
    }
}

void PriceWindow::showCentred() {
    ui::moveToScreenCentre(*this);
    show();
    raise();
    activateWindow();
}

prices::DisplayMode PriceWindow::mode() const {
    return static_cast<prices::DisplayMode>(modes_->checkedId());
}

void PriceWindow::setMode(prices::DisplayMode mode) {
    modes_->button(static_cast<int>(mode))->setChecked(true);
    modeChosen();
}

void PriceWindow::modeChosen() {
    const bool display = mode() != prices::DisplayMode::UpdateOnly;
    setFixedSize(kWidth, display ? kFullHeight : kShortHeight);
    for (QLabel* slot : slots_) slot->setVisible(display);
}

QString PriceWindow::slotText(int slot) const {
    return slots_.at(static_cast<std::size_t>(slot))->text();
}

void PriceWindow::refresh() {
    storage::Cursor& rows = sources_.table();
    auto* model = static_cast<QStandardItemModel*>(selector_->model());
    const QSignalBlocker quiet(selector_);
    model->setRowCount(0);
    for (int i = 0; i < rows.count(); ++i) {
        QList<QStandardItem*> items;
        for (const char* field : {"HQCODE", "HQNAME", "PATH", "NOTE"})
            items.append(new QStandardItem(q(rows.valueAt(i, rows.fieldIndex(field)).toString())));
        model->appendRow(items);
    }
    selector_->setCurrentIndex(rows.position());
    sourceShown();
}

void PriceWindow::chosen(int index) {
    const QString code = selector_->itemText(index);
    try {
        sources_.choose(code.toStdString());
        refresh();
        update_.checkExchangeFiles();
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
        refresh();
    }
}

// The boxes from the row shown; a "dbf" source has nothing to display.
void PriceWindow::sourceShown() {
    const auto source = sources_.shown();
    name_->setText(source ? q(source->hqname) : QString());
    note_->setText(source ? q(source->note) : QString());
    path_->setText(source ? q(source->path) : QString());
    const bool dbf = source && source->isDbf();
    if (dbf) setMode(prices::DisplayMode::UpdateOnly);
    modeGroup_->setEnabled(!dbf);
    qlongNote_->setVisible(dbf);
}

void PriceWindow::run(bool (prices::PriceUpdate::*action)(prices::DisplayMode)) {
    const ui::WaitCursor wait;
    for (QLabel* slot : slots_) slot->clear();
    nextSlot_ = 0;
    qlongNote_->hide();
    progress_->setRange(0, 0);
    progress_->setValue(0);
    progress_->show();
    try {
        (update_.*action)(mode());
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    progress_->hide();
    sources_.toCurrent();
    refresh();
}

void PriceWindow::updateCodes() {
    run(&prices::PriceUpdate::updateCodes);
}
void PriceWindow::updateAll() {
    run(&prices::PriceUpdate::updateAll);
}
void PriceWindow::updateMine() {
    run(&prices::PriceUpdate::updateMine);
}

// After 40 items the display starts again at the first slot.
void PriceWindow::showItem(const std::string& item) {
    QLabel* slot = slots_[static_cast<std::size_t>(nextSlot_)];
    slot->setText(q(item));
    nextSlot_ = (nextSlot_ + 1) % (kRows * kColumns);
}

void PriceWindow::progress(int done, int total) {
    if (progress_->maximum() != total) progress_->setRange(0, total);
    progress_->setValue(done);
    if (done % kRepaintEvery == 0 || done == total) {
        repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void PriceWindow::openDefinitions() {
    if (!definitions_) {
        definitions_ = new QuoteDefinitionsWindow(session_, sources_, this);
        connect(definitions_, &QuoteDefinitionsWindow::sourceChosen, this, &PriceWindow::refresh);
    }
    definitions_->showCentred();
}

QuotePathWindow* PriceWindow::pathWindow() const {
    return pathWindow_.data();
}

void PriceWindow::openPathWindow() {
    delete pathWindow_.data();
    pathWindow_ = new QuotePathWindow(sources_, session_.prompter(), this);
    connect(pathWindow_.data(), &QuotePathWindow::pathChosen, this, [this] { sourceShown(); });
    pathWindow_->show();
}

void PriceWindow::help() {
    if (!ui::HelpViewer::showTopic(this, session_.programDir(), QStringLiteral("fordata")))
        session_.prompter().message(ui::HelpViewer::missingFileMessage());
}

// "关闭": the row being edited is kept, and the main window refreshes.
void PriceWindow::closeEvent(QCloseEvent* event) {
    try {
        storage::Action action(session_.engine());
        if (sources_.table().state() != storage::Cursor::State::Browse) sources_.table().post();
    } catch (const storage::Error& e) {
        session_.prompter().message(e.what());
    }
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace varneth::gui
