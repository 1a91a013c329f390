#include "results/ResultExport.h"

#include "results/ResultView.h"
#include "tests/results/ResultFixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>

#include <tuple>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using ResultExport = TResultFixture;

QByteArray Written(TExportFormat format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteResults(buffer, format, {}));
    return buffer.data();
}

// The three groups with a name a spreadsheet would run as a formula and one that needs quotes (a
// comma, quotes, a line break), a mark, a removed file, a time with a fraction, the rows reversed.
TEST_F(ResultExport, EveryFormatNamesEachFileOnceInItsOrder)
{
    ResultList[1].Name = NamePool.Add(QStringLiteral("=SUM(A1),\"q\"\n.pdf"));
    ResultList[3].Name = NamePool.Add(QStringLiteral("@x.txt"));
    ResultList[0].ModifiedNs = 1710511506'250000000;
    ResultList[2].Checked = ResultList[6].Removed = 1;
    SortByColumn(ColumnGroup, 1);

    const QByteArray epoch = "1970-01-01T00:00:00+00:00";
    QByteArray csv =
        "group,path,name,folder,size,modified,marked,removed,original\r\n"
        "3,/data/a/delta.jpg,delta.jpg,/data/a/,1000,EPOCH,0,1,/data/a/zeta.jpg\r\n"
        "3,/data/a/zeta.jpg,zeta.jpg,/data/a/,1000,EPOCH,0,0,/data/a/zeta.jpg\r\n"
        "2,/data/a/alpha.txt,alpha.txt,/data/a/,2000,EPOCH,0,0,/data/b/@x.txt\r\n"
        "2,/data/b/@x.txt,'@x.txt,/data/b/,2000,EPOCH,0,0,/data/b/@x.txt\r\n"
        "1,/data/a/sub/copy.pdf,copy.pdf,/data/a/sub/,3000,EPOCH,1,0,/data/a/Report.pdf\r\n"
        "1,\"/data/b/=SUM(A1),\"\"q\"\"\n.pdf\",\"'=SUM(A1),\"\"q\"\"\n.pdf\",/data/b/,3000,EPOCH,0,0,"
        "/data/a/Report.pdf\r\n"
        "1,/data/a/Report.pdf,Report.pdf,/data/a/,3000,2024-03-15T14:05:06.250000000+00:00,0,0,"
        "/data/a/Report.pdf\r\n";
    EXPECT_EQ(Written(TExportFormat::Csv), csv.replace("EPOCH", epoch));
    EXPECT_EQ(Written(TExportFormat::Text),
              "/data/a/Report.pdf\n/data/b/=SUM(A1),\"q\"\n.pdf\n/data/a/sub/copy.pdf\n\n"
              "/data/b/@x.txt\n/data/a/alpha.txt\n\n/data/a/zeta.jpg\n/data/a/delta.jpg\n\n");

    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(Written(TExportFormat::Json), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(json["version"], 1);
    const QJsonArray groups = json["groups"].toArray();
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0]["files"][1]["path"], "/data/b/=SUM(A1),\"q\"\n.pdf");
    EXPECT_EQ(groups[0]["files"][2]["marked"], true);
    EXPECT_EQ(groups[1]["size"], 2000);
    EXPECT_EQ(groups[2]["files"][1], QJsonObject({{"path", "/data/a/delta.jpg"},
                                                  {"modified", QString(epoch)},
                                                  {"marked", false},
                                                  {"removed", true}}));
}

TEST_F(ResultExport, TimesAreLocalWithTheirOffset)
{
    const QByteArray zone = qgetenv("TZ");
    const std::tuple<const char*, int64_t, QByteArray> cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", 0, "1970-01-01T01:00:00+01:00"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1719792000'000000000, "2024-07-01T02:00:00+02:00"},
        {"EST5", -1, "1969-12-31T18:59:59.999999999-05:00"},
        {"LMT-0:30:15", 0, "1970-01-01T00:00:00Z"}, // no whole minutes: UTC
    };
    for (const auto& [tz, nanoseconds, text] : cases) {
        qputenv("TZ", tz);
        tzset();
        EXPECT_EQ(IsoLocalTime(nanoseconds), text) << tz;
    }
    qputenv("TZ", zone);
    tzset();
}

// Whether the folder cannot be written to or its file system fills up under the write, the file
// that was there stays as it was and nothing is left beside it.
TEST_F(ResultExport, AFailedSaveLeavesTheFolderAsItWas)
{
    const QString folder = tree.Folder(QStringLiteral("out"));
    const QByteArray path = QFile::encodeName(folder);
    // Root writes into any folder: it gets a file system of one page, which the old file fills.
    const bool root = ::geteuid() == 0;
    if (root && ::mount("pairwick-test", path.constData(), "tmpfs", 0, "size=4k") != 0)
        GTEST_SKIP() << "mount refused";
    const auto unmount = qScopeGuard([&] {
        if (root)
            ::umount2(path.constData(), MNT_DETACH);
    });
    tree.File(QStringLiteral("out/old.csv"), "old");
    ASSERT_TRUE(root || ::chmod(path.constData(), 0555) == 0);
    const auto expectUnchanged = [&](const QString& name) {
        EXPECT_FALSE(SaveResults(folder + name, TExportFormat::Csv, {}).isEmpty()) << name.toStdString();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"old.csv"}));
        QFile old(folder + QStringLiteral("old.csv"));
        EXPECT_TRUE(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
    };
    expectUnchanged(QStringLiteral("old.csv"));
    expectUnchanged(QStringLiteral("new.csv"));
    if (root) {
        ASSERT_EQ(::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        expectUnchanged(QStringLiteral("new.csv"));
    }
    ::chmod(path.constData(), 0755);
}

} // namespace
