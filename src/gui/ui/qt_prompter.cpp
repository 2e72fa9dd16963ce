#include "ui/qt_prompter.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

namespace varneth::ui {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Texts are the product's own and never markup.
void prepare(QMessageBox& box, QMessageBox::Icon icon, std::string_view text) {
    box.setIcon(icon);
    box.setWindowTitle(QCoreApplication::applicationName());
    box.setTextFormat(Qt::PlainText);
    box.setText(toQString(text));
}

QWidget* owner() {
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                             : QApplication::activeWindow();
}

}  // namespace

void QtPrompter::message(std::string_view text) {
    QMessageBox box(owner());
    prepare(box, QMessageBox::Information, text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool QtPrompter::ask(std::string_view text) {
    QMessageBox box(owner());
    prepare(box, QMessageBox::Question, text);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtPrompter::confirmAt(std::string_view text, int x, int y) {
    QMessageBox box(owner());
    prepare(box, QMessageBox::Information, text);
    box.setStandardButtons(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Yes);
    box.move(x, y);  // a moved dialog is not re-centred over its parent when shown
    box.exec();
}

bool installChineseTranslation(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

}  // namespace varneth::ui
