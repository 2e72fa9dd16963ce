#pragma once

#include <QString>
#include <filesystem>

class QAbstractItemModel;
class QTableView;

namespace varneth::ui {

// What every grid offers: Ctrl+C copies the selected cells as tab-separated text under their column
// titles (ahead of any window shortcut on Ctrl+C); the context menu has "复制" and "导出CSV…" (what
// the grid shows, UTF-8 with a BOM, the save dialog starting in `reportFolder`, by default the
// account's report folder); column widths the user sets are remembered. `bindGrid` installs it on
// every grid bound to a cursor.
void equipGrid(QTableView* view, const std::filesystem::path& reportFolder = {});

// The selected cells' rectangle as shown, under their titles: tabs between cells, a line per row.
QString selectionAsText(const QTableView* view);
// Every row and column of `model` as shown, under its titles, as CSV.
QString modelAsCsv(const QAbstractItemModel* model);
// Writes `text` as UTF-8 with a BOM, as spreadsheets want it. False when the file cannot be written.
bool writeCsvFile(const QString& file, const QString& text);

}  // namespace varneth::ui
