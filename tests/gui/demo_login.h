#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/clock.h"
#include "port/prompter.h"
#include "storage/engine.h"

// A fresh program directory from the seed, logged in on one of its accounts, as the windows' tests
// start from it.
struct DemoLogin {
    QTemporaryDir dir;
    varneth::storage::Engine engine;
    varneth::port::ScriptedPrompter prompter;
    varneth::port::FixedClock clock{varneth::port::DateTime{2026, 12, 7, 9, 30, 0}};
    std::unique_ptr<varneth::app::Session> session;

    // Remembered column widths and window places go to the test's own settings, not the user's.
    DemoLogin() { QStandardPaths::setTestModeEnabled(true); }

    std::filesystem::path programDir() const { return std::filesystem::path(dir.path().toStdU16String()); }

    // False when the seed or the login fails.
    bool enter(const char* account = "示范帐户") {
        namespace fs = std::filesystem;
        varneth::app::createProgramDirectory(
            programDir(),
            varneth::app::findDataDir(fs::path(QCoreApplication::applicationDirPath().toStdU16String())),
            /*bare=*/false);
        varneth::app::Login login(engine, programDir(), prompter, clock);
        if (!login.start()) return false;
        session = login.enter(account, "");
        return session != nullptr;
    }
};

// The button of `w` with the caption; a test that names a button the window lacks stops there.
inline QAbstractButton* buttonIn(QWidget* w, const char* caption) {
    for (auto* b : w->findChildren<QAbstractButton*>())
        if (b->text() == QString::fromUtf8(caption)) return b;
    qFatal("no button %s", caption);
}

// The visible top-level window with the title, or null.
inline QWidget* shownWindow(const char* title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QString::fromUtf8(title)) return w;
    return nullptr;
}

// Replaces the text of a box as a user does, key by key.
inline void retype(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

// Makes a row of a grid current as a click does.
inline void selectRow(QTableView* view, int row) {
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

inline QString cellOf(const QTableView* view, int row, int column) {
    return view->model()->index(row, column).data().toString();
}

// The menu entry of a window with the caption; a test that names an entry the window lacks stops there.
inline QAction* menuEntry(QWidget* w, const char* caption) {
    for (auto* a : w->findChildren<QAction*>())
        if (a->text() == QString::fromUtf8(caption) && !a->menu()) return a;
    qFatal("no entry %s", caption);
}

// The main window's display choice i (0 by code, 1 by cash account, 2 unconfirmed orders).
inline QRadioButton* displayChoice(QWidget* main, int i) {
    return main->findChild<QGroupBox*>("displayChoice")->findChildren<QRadioButton*>().at(i);
}
