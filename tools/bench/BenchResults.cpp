#include "BenchResults.h"

#include "core/FileLists.h"
#include "platform/Collation.h"

#include <QStringList>

#include <random>

namespace {

const QStringList Words = {"report",    "Invoice",  "photo",   "holiday", "notes",  "draft",
                           "final",     "budget",   "summary", "Meeting", "letter", "contract",
                           "scan",      "receipt",  "backup",  "data",    "Résumé", "naïve café",
                           "Übersicht", "документ", "写真",    "Zürich",  "IMG",    "DSC"};
const QStringList Extensions = {".jpg", ".JPG", ".png", ".pdf", ".docx", ".txt", ".mp3", ".zip"};

} // namespace

void MakeBenchResults(int32_t count, bool distinctNames)
{
    ResetSearchGlobals();
    LocaleFormat = QLocale(QLocale::English, QLocale::UnitedStates);
    plat::SetCollationLocale(LocaleFormat);
    std::mt19937 random(1);
    const int32_t folders = std::max(1, count / 25);
    PathList.SetLength(folders);
    for (int32_t f = 0; f < folders; ++f)
        PathList.Put(f, QStringLiteral("/home/user/%1/%2 %3/")
                            .arg(Words[random() % Words.size()])
                            .arg(Words[random() % Words.size()])
                            .arg(f));
    PathCount = folders - 1;
    ResultList.SetLength(count);
    int32_t group = 0, left = 0;
    uint64_t size = uint64_t(count) * 1000;
    QString name;
    for (int32_t i = 0; i < count; ++i) {
        if (left == 0) {
            ++group;
            left = std::min(int32_t(2 + random() % 5), count - i);
            size -= 1 + random() % 1000;
            name = Words[random() % Words.size()] + QLatin1Char('-') + QString::number(random() % 5000) +
                   Extensions[random() % Extensions.size()];
        }
        --left;
        TFileInfoType record;
        QString fileName = random() % 4 == 0 ? QStringLiteral("Copy of ") + name : name;
        if (distinctNames)
            fileName.insert(fileName.lastIndexOf(QLatin1Char('.')), QStringLiteral(" (%1)").arg(i));
        record.Name = NamePool.Add(fileName);
        record.PathIndex = int32_t(random() % uint32_t(folders));
        record.Time = int32_t(0x30000000 + random() % 0x10000000);
        record.ModifiedNs = (1'600'000'000 + int64_t(i) * 37) * 1'000'000'000 + i % 1000;
        record.Size = size;
        record.Group = group;
        record.Checked = random() % 3 == 0;
        ResultList.Put(i, record);
    }
    ResultCount = count - 1;
    ResultCapacity = count;
    BuildSortList();
}
