#include "ui/help_viewer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

using namespace varneth;
using ui::HelpFile;
using ui::HelpViewer;

class HelpViewerTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { delete HelpViewer::current(); }

    void topicsAreKeywordTitleAndTheLinesUpToTheNext() {
        const HelpFile f =
            HelpFile::parse(QStringLiteral("\xFEFF"
                                           "no topic yet\r\n"
                                           "@topic contents 目录\r\n"
                                           "\r\n"
                                           "  登录 主窗口\r\n"
                                           "\r\n"
                                           "@topic  Login   登录 窗口 \n"
                                           "第一行\n"
                                           "@topicx not a topic line\n"
                                           "@topic ask\n"));
        QCOMPARE(f.topics().size(), 3u);
        QCOMPARE(f.topics()[0].keyword, QStringLiteral("contents"));
        QCOMPARE(f.topics()[0].title, QStringLiteral("目录"));
        QCOMPARE(f.topics()[0].body, QStringLiteral("  登录 主窗口"));
        QCOMPARE(f.topics()[1].title, QStringLiteral("登录 窗口"));
        QCOMPARE(f.topics()[1].body, QStringLiteral("第一行\n@topicx not a topic line"));
        QCOMPARE(f.topics()[2].title, QStringLiteral("ask"));  // no title: the keyword
        QCOMPARE(f.indexOf(QStringLiteral("login")), 1);
        QCOMPARE(f.indexOf(QStringLiteral("fund")), -1);
        QCOMPARE(f.contentsIndex(), 0);
        // Without a contents topic the first stands in for it.
        QCOMPARE(HelpFile::parse(QStringLiteral("@topic login 登录\n@topic ask 问答\n")).contentsIndex(), 0);
        QCOMPARE(HelpFile::parse(QString()).contentsIndex(), -1);
    }

    // The shipped help file has a topic, with words in it, for every keyword the windows open (the price,
    // portfolio and optimiser windows bring theirs: "fordata", "lookportfolio", "yhmn").
    void theShippedFileAnswersEveryKeyword() {
        const auto file =
            HelpFile::load(std::filesystem::path(VARNETH_SOURCE_DATA_DIR) / HelpFile::kFileName);
        QVERIFY(file);
        for (const char* keyword : {"contents",
                                    "login",
                                    "mainform",
                                    "buysell",
                                    "send",
                                    "copy",
                                    "forwt",
                                    "mystocks",
                                    "setform",
                                    "set_stock",
                                    "set_qs",
                                    "set_code_lx",
                                    "bi",
                                    "dbf",
                                    "typedefine",
                                    "fund",
                                    "fundreport",
                                    "accountreport",
                                    "communication",
                                    "reportformat",
                                    "tich",
                                    "fund_in_out",
                                    "threelines",
                                    "mathproblem",
                                    "novel",
                                    "ask"}) {
            const int i = file->indexOf(QString::fromLatin1(keyword));
            QVERIFY2(i >= 0, keyword);
            QVERIFY2(file->topics()[static_cast<std::size_t>(i)].body.trimmed().size() > 20, keyword);
        }
    }

    void theViewerOpensATopicAndComesBackForTheNext() {
        QTemporaryDir dir;
        const std::filesystem::path programDir(dir.path().toStdU16String());
        QVERIFY(!HelpViewer::showTopic(nullptr, programDir, QStringLiteral("login")));
        QVERIFY(HelpViewer::current() == nullptr);
        QCOMPARE(QString::fromStdString(HelpViewer::missingFileMessage()),
                 QStringLiteral("缺少varneth.hlp文件，可在https://varneth.example/download下载最新版本"));

        QFile f(dir.filePath(QStringLiteral("varneth.hlp")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("@topic contents 目录\n...\n@topic login 登录\n见 https://varneth.example/download 。\n");
        f.close();
        QVERIFY(HelpViewer::showTopic(nullptr, programDir, QStringLiteral("login")));
        HelpViewer* viewer = HelpViewer::current();
        QCOMPARE(viewer->currentKeyword(), QStringLiteral("login"));
        QVERIFY(HelpViewer::showTopic(nullptr, programDir, QStringLiteral("nosuch")));
        QCOMPARE(HelpViewer::current(), viewer);  // one window serves every request
        QCOMPARE(viewer->currentKeyword(), QStringLiteral("contents"));
        QVERIFY(HelpViewer::showTopic(nullptr, programDir, QStringLiteral("login")));
        QCOMPARE(viewer->currentKeyword(), QStringLiteral("login"));
    }
};

QTEST_MAIN(HelpViewerTest)
#include "help_viewer_test.moc"
