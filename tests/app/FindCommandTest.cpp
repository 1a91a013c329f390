#include "app/FindCommand.h"

#include "core/FileLists.h"
#include "tests/support/TempTree.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <tuple>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

// Runs the command in this process: its exit status, standard output and standard error.
std::tuple<int, QByteArray, QByteArray> RunFind(const QList<QByteArray>& arguments)
{
    std::FILE* streams[] = {std::tmpfile(), std::tmpfile()};
    const int status = RunFindCommand(arguments, streams[0], streams[1]);
    ResetSearchGlobals();
    QByteArray texts[2];
    for (int i = 0; i < 2; ++i) {
        QFile file;
        texts[i] = file.open(streams[i], QIODevice::ReadOnly) && file.seek(0) ? file.readAll() : "?";
        std::fclose(streams[i]);
    }
    return {status, texts[0], texts[1]};
}

QJsonObject Json(const QByteArray& text)
{
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(text, &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.constData();
    return json;
}

// In this process: the options reach the search and the JSON records them; a usage error, or no
// folder to search, ends with one line and status 2.
TEST(FindCommand, OptionsReachTheSearchAndUsageErrorsEndWithOneLine)
{
    TTempTree tree;
    for (int copy = 0; copy < 2; ++copy) {
        tree.PatternFile(QStringLiteral("a/big%1.bin").arg(copy), 2000, 1);
        tree.PatternFile(QStringLiteral("a/small%1.bin").arg(copy), 1000, 2); // below 1.5 KB
        tree.PatternFile(QStringLiteral("ref/big%1.txt").arg(copy), 2000, 3); // not *.bin
    }
    const QString a = tree.Path(QStringLiteral("a/")), ref = tree.Path(QStringLiteral("ref/"));
    const auto [status, out, errors] =
        RunFind({"--find", "--format", "json", "--mask", "*.bin", "--min-size", "1.5kb", "--include-empty",
                 "--no-protect-folders", "--no-protect-files", "--reference", QFile::encodeName(ref),
                 QFile::encodeName(a), "missing"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(errors, "pairwick: missing: not a folder, ignored\n");
    const QJsonObject json = Json(out);
    EXPECT_EQ(json["searched"], QJsonArray({ref, a}));
    EXPECT_EQ(json["options"], QJsonObject({{"mask", "*.bin"},
                                            {"minSize", 1536},
                                            {"includeEmpty", true},
                                            {"protectFolders", false},
                                            {"protectFiles", false},
                                            {"referenceFolders", QJsonArray({ref})}}));
    const QJsonArray groups = json["groups"].toArray();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0]["files"][1]["path"], a + "big1.bin");

    const QByteArray folder = QFile::encodeName(a), missing = folder + "missing";
    const std::pair<QList<QByteArray>, QByteArray> cases[] = {
        {{"--find"}, "--find needs at least one folder (see pairwick --help)"},
        {{"--find", "--bogus", folder}, "unknown option '--bogus' (see pairwick --help)"},
        {{folder, "--find", "--mask"}, "option '--mask' needs a value (see pairwick --help)"},
        {{"--find", "--min-size", "1GB", folder},
         "--min-size takes a size such as 500, 64KB or 1.5MB, not '1GB'"},
        {{"--find", "--format", "xml", folder}, "--format takes text, csv or json, not 'xml'"},
        {{"--find", missing, "--", "-x"}, "no folder to search (" + missing + ": not a folder)"},
    };
    for (const auto& [arguments, error] : cases)
        EXPECT_EQ(RunFind(arguments), std::tuple(2, QByteArray(), "pairwick: " + error + "\n"));
}

// The program itself, its progress on a terminal: Ctrl+C once the first group is in stops the
// comparison of the second; the first is printed as well-formed JSON, and the status is 130.
TEST(FindCommand, CtrlCStopsTheSearchAndPrintsWhatWasFound)
{
    TTempTree tree;
    // Holes read as zeros and take no room: two files of 64 MB are compared first, then a hundred
    // of 32 MB, which take seconds.
    const auto sparse = [&](const QString& name, qint64 size) {
        EXPECT_TRUE(QFile::resize(tree.File(name, {}), size));
    };
    for (int i = 0; i < 100; ++i)
        sparse(QStringLiteral("many-%1").arg(i), qint64(32) << 20);
    sparse(QStringLiteral("big-a"), qint64(64) << 20);
    sparse(QStringLiteral("big-b"), qint64(64) << 20);
    int terminal = -1, terminalSide = -1;
    ASSERT_EQ(::openpty(&terminal, &terminalSide, nullptr, nullptr, nullptr), 0);
    ::fcntl(terminal, F_SETFL, O_NONBLOCK);
    QProcess find;
    find.setStandardErrorFile(QString::fromLocal8Bit(::ttyname(terminalSide)));
    // As from a terminal, even when the tests run with SIGINT ignored (which the program respects).
    find.setChildProcessModifier([] { ::signal(SIGINT, SIG_DFL); });
    find.start(QStringLiteral(PW_PROGRAM), {"--find", "--format", "json", tree.Root()});
    ASSERT_TRUE(find.waitForStarted());
    // The figures of the comparison move on once the first group is in.
    const QRegularExpression firstGroupIn(QStringLiteral("Comparing: [1-9]"));
    QByteArray progress;
    (void)QTest::qWaitFor( // the state of the program says what came of it
        [&] {
            char bytes[256];
            for (ssize_t n; (n = ::read(terminal, bytes, sizeof bytes)) > 0;)
                progress.append(bytes, n);
            return firstGroupIn.match(QString::fromUtf8(progress)).hasMatch() ||
                   find.state() != QProcess::Running;
        },
        60'000);
    EXPECT_EQ(find.state(), QProcess::Running) << progress.constData();
    if (find.processId() > 0)
        ::kill(pid_t(find.processId()), SIGINT);
    EXPECT_TRUE(find.waitForFinished(60'000));
    ::close(terminal);
    ::close(terminalSide);
    EXPECT_TRUE(progress.startsWith("\rScanning: ")) << progress.constData();
    EXPECT_EQ(find.exitCode(), 130);
    const QJsonArray groups = Json(find.readAllStandardOutput())["groups"].toArray();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0]["files"][0]["path"], tree.Path(QStringLiteral("big-a")));
    EXPECT_EQ(groups[0]["files"][1]["path"], tree.Path(QStringLiteral("big-b")));
}

} // namespace
