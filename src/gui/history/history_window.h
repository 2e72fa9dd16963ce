#pragma once

#include <QWidget>

#include "app/session.h"

class QPushButton;
class QTableWidget;

namespace varneth::gui {

// "操作历史和撤销": the journal newest first, the rows the selected action changed, and undo down to it.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit HistoryWindow(app::Session& session, QWidget* parent = nullptr);

    QTableWidget* entries() const { return entries_; }
    QTableWidget* details() const { return details_; }
    void refresh();  // the list as the journal stands, the first entry selected

signals:
    void undone();  // the tables changed under every window

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showDetails();
    void undo();
    void help();

    app::Session& session_;
    QTableWidget* entries_;
    QTableWidget* details_;
    QPushButton* undoButton_;
};

}  // namespace varneth::gui
