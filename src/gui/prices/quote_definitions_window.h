#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "app/session.h"
#include "prices/quote_source.h"

class QLineEdit;

namespace varneth::gui {

// "行情软件文件路径和格式定义" (`Form_define`): every field of the quote source the price window's
// cursor shows, with delete, new, confirm and the day-file format test.
class QuoteDefinitionsWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCodeTableNote =
        "注：dbf, dos版汇金，胜龙，钱龙的代码表格式等未填处不必填写";
    static constexpr const char* kTypeCaption = "(浮点0，胜龙1,建功2，钱龙3)";

    // The day file the format test reads; an empty text when the user gave up.
    using FilePicker = std::function<QString(QWidget* parent)>;

    QuoteDefinitionsWindow(app::Session& session, prices::QuoteSources& sources, QWidget* parent = nullptr);

    void setFilePicker(FilePicker picker) { picker_ = std::move(picker); }
    void showCentred();
    QLineEdit* box(const char* field) const;  // the edit box bound to that field

signals:
    void sourceChosen();  // "确定退出" made the row shown the source in use

public slots:
    void removeShown();  // "删除"
    void addNew();       // "新建"
    void confirm();      // "确定退出"
    void testFormat();   // "K线文件格式测试"

private:
    void load();
    bool store();  // false (told) when a box does not read as its field's type
    void help();

    app::Session& session_;
    prices::QuoteSources& sources_;
    FilePicker picker_;
    std::vector<std::pair<const char*, QLineEdit*>> boxes_;
};

}  // namespace varneth::gui
