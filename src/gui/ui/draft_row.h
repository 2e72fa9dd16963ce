#pragma once

class QTableView;

namespace varneth::ui {

class CursorModel;

// Down on the last row of the grid shows a blank row under it, as a dBASE browse does; the first
// value typed into it goes to the model's row appender, and a row left blank is never stored.
void offerDraftRow(QTableView* view, CursorModel* model);

}  // namespace varneth::ui
