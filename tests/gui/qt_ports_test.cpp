#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "ui/qt_launcher.h"
#include "ui/qt_prompter.h"

using namespace varneth;
using port::LaunchResult;

namespace {

struct SeenBox {
    QString title, text;
    QStringList buttons;
    QPoint position;
};

// Runs `show` and answers the box it opens with `answer`, recording what the box looked like.
SeenBox answerBox(QMessageBox::StandardButton answer, const std::function<void()>& show) {
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.position = box->pos();
        for (auto* b : box->buttons()) seen.buttons << b->text();
        box->button(answer)->click();
    });
    show();
    return seen;
}

}  // namespace

class QtPortsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QApplication::setApplicationName(QStringLiteral("Varneth 2.1"));
        QVERIFY(ui::installChineseTranslation(*qApp));
    }

    void boxesSpeakChineseAndAnswer() {
        ui::QtPrompter prompter;
        bool answer = true;
        SeenBox seen = answerBox(QMessageBox::No, [&] { answer = prompter.ask("确认删除？"); });
        QVERIFY(!answer);
        QCOMPARE(seen.title, QStringLiteral("Varneth 2.1"));
        QCOMPARE(seen.buttons, (QStringList{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")}));
        answerBox(QMessageBox::Yes, [&] { answer = prompter.ask("确认删除？"); });
        QVERIFY(answer);
        seen = answerBox(QMessageBox::Yes, [&] { prompter.confirmAt("<b>已成交</b>", 120, 30); });
        QCOMPARE(seen.text, QStringLiteral("<b>已成交</b>"));  // shown as written, never as markup
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("是(&Y)")});
        QCOMPARE(seen.position, QPoint(120, 30));
    }

    void aMissingProgramIsToldApartFromOtherFailures() {
        ui::QtLauncher launcher;
        QCOMPARE(launcher.startProgram("/nonexistent/write.exe", "", port::ShowMode::Normal),
                 LaunchResult::FileNotFound);
        QCOMPARE(launcher.startProgram("true", "\"a b\" c", port::ShowMode::Normal), LaunchResult::Started);
        QTemporaryFile notAProgram;
        QVERIFY(notAProgram.open());
        QCOMPARE(launcher.startProgram(notAProgram.fileName().toStdString(), "", port::ShowMode::Normal),
                 LaunchResult::Failed);
        QCOMPARE(launcher.openLink("/nonexistent/report.txt"), LaunchResult::FileNotFound);
    }
};

QTEST_MAIN(QtPortsTest)
#include "qt_ports_test.moc"
