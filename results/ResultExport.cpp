#include "ResultExport.h"

#include "core/FileLists.h"
#include "results/Selection.h"
#include "search/FolderScan.h"

#include <QIODevice>
#include <QSaveFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// Collects the bytes in large pieces: hundreds of thousands of rows go out in a few hundred writes.
class TOutput
{
public:
    explicit TOutput(QIODevice& device) : m_device(device) { m_bytes.reserve(FlushSize + 4096); }

    QByteArray& Bytes() { return m_bytes; }
    // Hands the bytes over once there are enough of them.
    void Row()
    {
        if (m_bytes.size() >= FlushSize)
            Flush();
    }
    bool Flush()
    {
        if (m_ok && !m_bytes.isEmpty())
            m_ok = m_device.write(m_bytes) == m_bytes.size();
        m_bytes.clear();
        return m_ok;
    }

private:
    static constexpr qsizetype FlushSize = 256 * 1024;
    QIODevice& m_device;
    QByteArray m_bytes;
    bool m_ok = true;
};

// The UTF-8 texts of the records; each folder is converted once.
class TRecordTexts
{
public:
    TRecordTexts()
    {
        m_folders.reserve(size_t(PathCount + 1));
        for (int32_t i = 0; i <= PathCount; ++i)
            m_folders.push_back(PathList[i].toUtf8());
    }
    const QByteArray& Folder(const TFileInfoType& record) const
    {
        return m_folders[size_t(record.PathIndex)];
    }
    QByteArray Name(const TFileInfoType& record) const
    {
        TNamePool::TBuffer buffer;
        return NamePool.View(record.Name, buffer).toUtf8();
    }
    QByteArray Path(const TFileInfoType& record) const { return Folder(record) + Name(record); }

private:
    std::vector<QByteArray> m_folders;
};

void WriteText(TOutput& out)
{
    const TRecordTexts texts;
    ForEachGroup([&](int32_t first, int32_t last) {
        for (int32_t i = first; i <= last; ++i)
            out.Bytes() += texts.Path(ResultList[i]) + '\n';
        out.Bytes() += '\n';
        out.Row();
        return true;
    });
}

void WriteCsv(TOutput& out)
{
    const TRecordTexts texts;
    // The original of each group, by group number.
    std::vector<int32_t> originals(1);
    ForEachGroup([&](int32_t first, int32_t) {
        originals.resize(size_t(ResultList[first].Group) + 1, first);
        return true;
    });
    QByteArray& bytes = out.Bytes();
    bytes += "group,path,name,folder,size,modified,marked,removed,original\r\n";
    for (const TSortEntry& row : SortList) {
        const TFileInfoType& record = ResultList[row.ItemIndex];
        const QByteArray name = texts.Name(record);
        const QByteArray& folder = texts.Folder(record);
        bytes += QByteArray::number(record.Group) + ',';
        AppendCsvText(bytes, folder + name);
        bytes += ',';
        AppendCsvText(bytes, name);
        bytes += ',';
        AppendCsvText(bytes, folder);
        bytes += ',' + QByteArray::number(record.Size) + ',';
        AppendCsvText(bytes, IsoLocalTime(record.ModifiedNs));
        bytes += record.Checked ? ",1," : ",0,";
        bytes += record.Removed ? "1," : "0,";
        AppendCsvText(bytes, texts.Path(ResultList[originals[size_t(record.Group)]]));
        bytes += "\r\n";
        out.Row();
    }
}

void AppendJsonString(QByteArray& bytes, QByteArrayView text)
{
    bytes += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            bytes += "\\\"";
            break;
        case '\\':
            bytes += "\\\\";
            break;
        case '\n':
            bytes += "\\n";
            break;
        case '\r':
            bytes += "\\r";
            break;
        case '\t':
            bytes += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
                bytes += escaped;
            } else {
                bytes += c;
            }
        }
    }
    bytes += '"';
}

void AppendJsonStrings(QByteArray& bytes, const QStringList& texts)
{
    bytes += '[';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            bytes += ", ";
        AppendJsonString(bytes, texts[i].toUtf8());
    }
    bytes += ']';
}

const char* JsonBool(bool value)
{
    return value ? "true" : "false";
}

void WriteJson(TOutput& out, const TSearchSettings& searched)
{
    const TRecordTexts texts;
    QByteArray& bytes = out.Bytes();
    bytes += "{\n  \"version\": 1,\n  \"searched\": ";
    AppendJsonStrings(bytes, searched.Folders);
    bytes += ",\n  \"options\": {\"mask\": ";
    AppendJsonString(bytes, searched.Mask.toUtf8());
    bytes += ", \"minSize\": " + QByteArray::number(ComputeMinFileSize(searched));
    bytes += QByteArray(", \"includeEmpty\": ") + JsonBool(!searched.ExcludeZero);
    bytes += QByteArray(", \"protectFolders\": ") + JsonBool(searched.ProtectSysFolders);
    bytes += QByteArray(", \"protectFiles\": ") + JsonBool(searched.ProtectSysFiles);
    bytes += ", \"referenceFolders\": ";
    AppendJsonStrings(bytes, searched.ReferenceFolders);
    bytes += "},\n  \"groups\": [";
    bool firstGroup = true;
    ForEachGroup([&](int32_t first, int32_t last) {
        bytes += firstGroup ? "\n" : ",\n";
        firstGroup = false;
        bytes += "    {\"group\": " + QByteArray::number(ResultList[first].Group) +
                 ", \"size\": " + QByteArray::number(ResultList[first].Size) + ", \"files\": [\n";
        for (int32_t i = first; i <= last; ++i) {
            const TFileInfoType& record = ResultList[i];
            bytes += "      {\"path\": ";
            AppendJsonString(bytes, texts.Path(record));
            bytes += ", \"modified\": ";
            AppendJsonString(bytes, IsoLocalTime(record.ModifiedNs));
            bytes += QByteArray(", \"marked\": ") + JsonBool(record.Checked) +
                     ", \"removed\": " + JsonBool(record.Removed) + (i < last ? "},\n" : "}\n");
        }
        bytes += "    ]}";
        out.Row();
        return true;
    });
    bytes += "\n  ]\n}\n";
}

} // namespace

bool WriteResults(QIODevice& device, TExportFormat format, const TSearchSettings& searched)
{
    TOutput out(device);
    switch (format) {
    case TExportFormat::Text:
        WriteText(out);
        break;
    case TExportFormat::Csv:
        WriteCsv(out);
        break;
    case TExportFormat::Json:
        WriteJson(out, searched);
        break;
    }
    return out.Flush();
}

QString SaveResults(const QString& path, TExportFormat format, const TSearchSettings& searched)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Flushed here: Qt 6.4's commit ignores a write that fails while it flushes (a full disk) and
    // renames the cut file into place.
    if (!WriteResults(file, format, searched) || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QByteArray IsoLocalTime(int64_t nanoseconds)
{
    constexpr int64_t second = 1'000'000'000;
    const int64_t fraction = (nanoseconds % second + second) % second;
    const time_t seconds = time_t((nanoseconds - fraction) / second);
    std::tm local{};
    localtime_r(&seconds, &local);
    const bool utc = local.tm_gmtoff % 60 != 0;
    if (utc)
        gmtime_r(&seconds, &local);
    char text[64];
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.tm_year + 1900,
                               local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    const auto append = [&](const char* format, auto... values) {
        length += std::snprintf(text + length, sizeof text - size_t(length), format, values...);
    };
    if (fraction != 0)
        append(".%09lld", static_cast<long long>(fraction));
    const long offset = std::labs(local.tm_gmtoff);
    if (utc)
        text[length++] = 'Z';
    else
        append("%c%02ld:%02ld", local.tm_gmtoff < 0 ? '-' : '+', offset / 3600, offset % 3600 / 60);
    return QByteArray(text, length);
}

void AppendCsvText(QByteArray& line, QByteArrayView text)
{
    const bool formula = !text.isEmpty() && std::memchr("=+-@\t\r", text.front(), 6) != nullptr;
    bool quoted = false;
    for (const char c : text)
        quoted = quoted || c == ',' || c == '"' || c == '\r' || c == '\n';
    if (quoted)
        line += '"';
    if (formula)
        line += '\'';
    for (const char c : text) {
        if (c == '"')
            line += '"';
        line += c;
    }
    if (quoted)
        line += '"';
}
