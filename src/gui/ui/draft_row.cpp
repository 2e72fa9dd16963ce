#include "ui/draft_row.h"

#include <QKeyEvent>
#include <QTableView>

#include "ui/cursor_model.h"

namespace varneth::ui {

namespace {

class DraftRowOffer : public QObject {
public:
    DraftRowOffer(QTableView* view, CursorModel* model) : QObject(view), view_(view), model_(model) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down &&
            view_->currentIndex().row() + 1 >= model_->rowCount()) {
            model_->showDraftRow();
            const QModelIndex at = view_->currentIndex();
            view_->setCurrentIndex(model_->index(model_->rowCount() - 1, at.isValid() ? at.column() : 0));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTableView* view_;
    CursorModel* model_;
};

}  // namespace

void offerDraftRow(QTableView* view, CursorModel* model) {
    view->installEventFilter(new DraftRowOffer(view, model));
}

}  // namespace varneth::ui
