#pragma once

#include <QString>
#include <QWidget>

#include "port/prompter.h"
#include "prices/quote_source.h"

class QComboBox;
class QFileSystemModel;
class QLabel;
class QTreeView;

namespace varneth::gui {

// "找行情文件路径" (`Form_hqpath`): a drive, a directory under it, and "确定退出" storing that directory
// as the PATH of the quote source the price window shows.
class QuotePathWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kHelp = "先通过小方框选文件夹，再双击大方框中文件夹图标选自文件夹或目录。";

    QuotePathWindow(prices::QuoteSources& sources, port::Prompter& prompter, QWidget* parent = nullptr);

    QString shownDirectory() const;
    void selectDirectory(const QString& dir);

signals:
    void pathChosen();

public slots:
    void confirm();  // "确定退出"

private:
    void driveChosen(int index);

    prices::QuoteSources& sources_;
    port::Prompter& prompter_;
    QComboBox* drives_ = nullptr;
    QFileSystemModel* model_ = nullptr;
    QTreeView* tree_ = nullptr;
    QLabel* shown_ = nullptr;
};

}  // namespace varneth::gui
