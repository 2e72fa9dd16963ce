#include "ui/grid_features.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>
#include <algorithm>
#include <set>

#include "ui/qt_prompter.h"
#include "ui/save_dialog.h"
#include "ui/settings.h"

namespace varneth::ui {

namespace {

QString csvCell(QString text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Tabs or line breaks inside a value would split it into cells of its own.
QString tsvCell(QString text) {
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString cellText(const QAbstractItemModel* model, int row, int column) {
    const QModelIndex index = model->index(row, column);
    const QVariant check = model->data(index, Qt::CheckStateRole);
    if (check.isValid()) return check.toInt() == Qt::Checked ? QStringLiteral("T") : QStringLiteral("F");
    return model->data(index, Qt::DisplayRole).toString();
}

QString title(const QAbstractItemModel* model, int column) {
    return model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

// The grid's place in its window, for its remembered column widths.
QString widthsKey(const QTableView* view) {
    const QWidget* window = view->window();
    const auto grids = window->findChildren<QTableView*>();
    const auto n = std::find(grids.begin(), grids.end(), view) - grids.begin();
    return QStringLiteral("grids/%1/%2/widths")
        .arg(QString::fromLatin1(window->metaObject()->className())
                 .replace(QLatin1String("::"), QLatin1String(".")))
        .arg(view->objectName().isEmpty() ? QString::number(n) : view->objectName());
}

void copySelection(const QTableView* view) {
    const QString text = selectionAsText(view);
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void exportCsv(QTableView* view, const std::filesystem::path& reportFolder) {
    const QString file = saveFileName(view, QStringLiteral("导出CSV"), reportFolder,
                                      QStringLiteral("grid.csv"), QStringLiteral("CSV (*.csv)"));
    if (file.isEmpty()) return;
    if (!writeCsvFile(file, modelAsCsv(view->model())))
        QtPrompter().message("无法写入文件：" + file.toStdString());
}

// Takes Ctrl+C away from window shortcuts while the grid has the focus, restores and keeps the
// column widths, and copies.
class GridFilter : public QObject {
public:
    explicit GridFilter(QTableView* view) : QObject(view), view_(view) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != view_) return false;
        switch (event->type()) {
            case QEvent::ShortcutOverride:
                if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
                    event->accept();
                    return true;
                }
                return false;
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
                    copySelection(view_);
                    return true;
                }
                return false;
            case QEvent::Show:
                if (!restored_) restoreWidths();
                return false;
            default:
                return false;
        }
    }

    void saveWidths() {
        if (!restored_) return;  // the widths set up before the grid is shown are not the user's
        QList<QVariant> widths;
        for (int c = 0; c < view_->horizontalHeader()->count(); ++c) widths.append(view_->columnWidth(c));
        appSettings().setValue(widthsKey(view_), widths);
    }

private:
    void restoreWidths() {
        restored_ = true;
        const QList<QVariant> widths = appSettings().value(widthsKey(view_)).toList();
        // Widths saved for other columns (a grid whose columns changed) are not applied.
        if (widths.size() != view_->horizontalHeader()->count()) return;
        for (int c = 0; c < widths.size(); ++c) view_->setColumnWidth(c, widths[c].toInt());
    }

    QTableView* view_;
    bool restored_ = false;
};

}  // namespace

QString selectionAsText(const QTableView* view) {
    const QAbstractItemModel* model = view->model();
    if (!model || !view->selectionModel()) return {};
    std::set<int> rows, columns;
    for (const QModelIndex& i : view->selectionModel()->selectedIndexes()) {
        rows.insert(i.row());
        columns.insert(i.column());
    }
    if (rows.empty() && view->currentIndex().isValid()) {
        rows.insert(view->currentIndex().row());
        columns.insert(view->currentIndex().column());
    }
    if (rows.empty()) return {};
    QStringList lines, titles;
    for (int c : columns)
        if (!view->isColumnHidden(c)) titles.append(tsvCell(title(model, c)));
    lines.append(titles.join(QLatin1Char('\t')));
    for (int r : rows) {
        QStringList cells;
        for (int c : columns)
            if (!view->isColumnHidden(c)) cells.append(tsvCell(cellText(model, r, c)));
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString modelAsCsv(const QAbstractItemModel* model) {
    QStringList lines, cells;
    for (int c = 0; c < model->columnCount(); ++c) cells.append(csvCell(title(model, c)));
    lines.append(cells.join(QLatin1Char(',')));
    for (int r = 0; r < model->rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < model->columnCount(); ++c) cells.append(csvCell(cellText(model, r, c)));
        lines.append(cells.join(QLatin1Char(',')));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

bool writeCsvFile(const QString& file, const QString& text) {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    return out.write(bytes) == bytes.size() && out.flush();
}

void equipGrid(QTableView* view, const std::filesystem::path& reportFolder) {
    auto* filter = new GridFilter(view);
    view->installEventFilter(filter);
    QObject::connect(view->horizontalHeader(), &QHeaderView::sectionResized, filter,
                     [filter] { filter->saveWidths(); });

    auto* copy = new QAction(QStringLiteral("复制"), view);
    QObject::connect(copy, &QAction::triggered, view, [view] { copySelection(view); });
    auto* csv = new QAction(QStringLiteral("导出CSV…"), view);
    QObject::connect(csv, &QAction::triggered, view, [view, reportFolder] { exportCsv(view, reportFolder); });
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    view->addAction(copy);
    view->addAction(csv);
}

}  // namespace varneth::ui
