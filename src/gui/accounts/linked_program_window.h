#pragma once

#include <QWidget>
#include <functional>

#include "accounts/linked_program.h"
#include "app/session.h"
#include "port/launcher.h"

class QComboBox;
class QLineEdit;

namespace varneth::gui {

// "委托程序设置窗口" (`form_wtset`): the list of external order programs, the current one's name,
// path and program file, and the link file written when the window closes. Made once per login and
// hidden, not destroyed, when closed; "软件链接" of the main window starts its current program.
class LinkedProgramWindow : public QWidget {
    Q_OBJECT
public:
    // The file "改路径及程序" picks; an empty text when the user gave up.
    using FilePicker = std::function<QString(QWidget* parent)>;

    explicit LinkedProgramWindow(app::Session& session, QWidget* parent = nullptr);

    accounts::LinkedProgram& program() { return program_; }
    void setFilePicker(FilePicker picker) { picker_ = std::move(picker); }
    void showCentred();
    // "软件链接": starts the current program; a missing one brings this window up to be mended.
    void startLinkedProgram(port::Launcher& launcher);

protected:
    // However the window closes, the boxes are stored and the settings checked.
    void closeEvent(QCloseEvent* event) override;

private:
    void listOpened();
    void chosen(int index);
    void pickProgram();
    void help();
    void commit(QLineEdit* box, const char* field);
    void refresh();  // the list and the three boxes from the current row
    void refreshList();

    app::Session& session_;
    accounts::LinkedProgram program_;
    FilePicker picker_;
    QComboBox* list_ = nullptr;
    QLineEdit* wtrj_ = nullptr;
    QLineEdit* path_ = nullptr;
    QLineEdit* name_ = nullptr;
};

}  // namespace varneth::gui
