#include "ResultExport.h"

#include "core/FileLists.h"
#include "results/Selection.h"
#include "search/FolderScan.h"

#include <QIODevice>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>
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
        // Copied out, not shared: the buffer keeps its room for the next rows.
        if (m_ok && !m_bytes.isEmpty())
            m_ok = m_device.write(m_bytes.constData(), m_bytes.size()) == m_bytes.size();
        m_bytes.resize(0);
        return m_ok;
    }

private:
    static constexpr qsizetype FlushSize = 256 * 1024;
    QIODevice& m_device;
    QByteArray m_bytes;
    bool m_ok = true;
};

// Appends the decimal digits of a number.
void AppendNumber(QByteArray& bytes, uint64_t value)
{
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    bytes.append(digits, end.ptr - digits);
}

// Writes `count` decimal digits of `value`, with leading zeros; returns the end.
char* Digits(char* at, int64_t value, int count)
{
    for (int i = count - 1; i >= 0; --i, value /= 10)
        at[i] = char('0' + value % 10);
    return at + count;
}

// The modification time as IsoLocalTime gives it, written into `text`; returns its end.
char* FormatIsoLocalTime(int64_t nanoseconds, char (&text)[40])
{
    constexpr int64_t second = 1'000'000'000;
    const int64_t fraction = (nanoseconds % second + second) % second;
    const time_t seconds = time_t((nanoseconds - fraction) / second);
    std::tm local{};
    localtime_r(&seconds, &local);
    const bool utc = local.tm_gmtoff % 60 != 0;
    if (utc)
        gmtime_r(&seconds, &local);
    // Nanoseconds since 1970 in 64 bits reach from 1677 to 2262: the year has four digits.
    char* at = Digits(text, local.tm_year + 1900, 4);
    const std::pair<char, int> fields[] = {{'-', local.tm_mon + 1},
                                           {'-', local.tm_mday},
                                           {'T', local.tm_hour},
                                           {':', local.tm_min},
                                           {':', local.tm_sec}};
    for (const auto& [separator, value] : fields) {
        *at++ = separator;
        at = Digits(at, value, 2);
    }
    if (fraction != 0) {
        *at++ = '.';
        at = Digits(at, fraction, 9);
    }
    if (utc) {
        *at++ = 'Z';
    } else {
        const long offset = std::labs(local.tm_gmtoff);
        *at++ = local.tm_gmtoff < 0 ? '-' : '+';
        at = Digits(at, offset / 3600, 2);
        *at++ = ':';
        at = Digits(at, offset % 3600 / 60, 2);
    }
    return at;
}

void AppendIsoLocalTime(QByteArray& bytes, int64_t nanoseconds)
{
    char text[40];
    bytes.append(text, FormatIsoLocalTime(nanoseconds, text) - text);
}

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
    // Appends the full path of the record.
    void AppendPath(QByteArray& bytes, const TFileInfoType& record) const
    {
        bytes += Folder(record);
        TNamePool::TBuffer buffer;
        const QStringView name = NamePool.View(record.Name, buffer);
        // Most names are ASCII: their characters are their bytes.
        if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() >= 0x80; })) {
            bytes += name.toUtf8();
            return;
        }
        const qsizetype at = bytes.size();
        bytes.resize(at + name.size());
        std::transform(name.begin(), name.end(), bytes.data() + at,
                       [](QChar c) { return char(c.unicode()); });
    }
    QByteArray Path(const TFileInfoType& record) const
    {
        QByteArray path;
        AppendPath(path, record);
        return path;
    }

private:
    std::vector<QByteArray> m_folders;
};

void WriteText(TOutput& out)
{
    const TRecordTexts texts;
    ForEachGroup([&](int32_t first, int32_t last) {
        for (int32_t i = first; i <= last; ++i) {
            texts.AppendPath(out.Bytes(), ResultList[i]);
            out.Bytes() += '\n';
        }
        out.Bytes() += '\n';
        out.Row();
        return true;
    });
}

void WriteCsv(TOutput& out)
{
    const TRecordTexts texts;
    // The path of the original of each group, by group number.
    std::vector<QByteArray> originals(1);
    ForEachGroup([&](int32_t first, int32_t) {
        originals.resize(size_t(ResultList[first].Group) + 1);
        originals.back() = texts.Path(ResultList[first]);
        return true;
    });
    QByteArray& bytes = out.Bytes();
    bytes += "group,path,name,folder,size,modified,marked,removed,original\r\n";
    QByteArray path;
    for (const TSortEntry& row : SortList) {
        const TFileInfoType& record = ResultList[row.ItemIndex];
        const QByteArray& folder = texts.Folder(record);
        path.resize(0);
        texts.AppendPath(path, record);
        AppendNumber(bytes, uint64_t(record.Group));
        bytes += ',';
        AppendCsvText(bytes, path);
        bytes += ',';
        AppendCsvText(bytes, QByteArrayView(path).sliced(folder.size()));
        bytes += ',';
        AppendCsvText(bytes, folder);
        bytes += ',';
        AppendNumber(bytes, record.Size);
        bytes += ',';
        AppendIsoLocalTime(bytes, record.ModifiedNs);
        bytes += record.Checked ? ",1," : ",0,";
        bytes += record.Removed ? "1," : "0,";
        AppendCsvText(bytes, originals[size_t(record.Group)]);
        bytes += "\r\n";
        out.Row();
    }
}

void AppendJsonString(QByteArray& bytes, QByteArrayView text)
{
    bytes += '"';
    if (std::none_of(text.begin(), text.end(),
                     [](char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; })) {
        bytes += text;
        bytes += '"';
        return;
    }
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
                bytes += "\\u00";
                bytes += "0123456789abcdef"[c >> 4];
                bytes += "0123456789abcdef"[c & 15];
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
    QByteArray path;
    bytes += "{\n  \"version\": 1,\n  \"searched\": ";
    AppendJsonStrings(bytes, searched.Folders);
    bytes += ",\n  \"options\": {\"mask\": ";
    AppendJsonString(bytes, searched.Mask.toUtf8());
    bytes += ", \"minSize\": ";
    AppendNumber(bytes, ComputeMinFileSize(searched));
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
        bytes += "    {\"group\": ";
        AppendNumber(bytes, uint64_t(ResultList[first].Group));
        bytes += ", \"size\": ";
        AppendNumber(bytes, ResultList[first].Size);
        bytes += ", \"files\": [\n";
        for (int32_t i = first; i <= last; ++i) {
            const TFileInfoType& record = ResultList[i];
            path.resize(0);
            texts.AppendPath(path, record);
            bytes += "      {\"path\": ";
            AppendJsonString(bytes, path);
            bytes += ", \"modified\": \"";
            AppendIsoLocalTime(bytes, record.ModifiedNs);
            bytes += "\", \"marked\": ";
            bytes += JsonBool(record.Checked);
            bytes += ", \"removed\": ";
            bytes += JsonBool(record.Removed);
            bytes += i < last ? "},\n" : "}\n";
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
    // Unbuffered, so that every write reaches the file here and a failed one is seen: Qt 6.4's
    // commit ignores a write that fails in its own final flush (a full disk) and renames the cut
    // file into place. The writer hands over large pieces itself.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (!WriteResults(file, format, searched)) {
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
    QByteArray text;
    AppendIsoLocalTime(text, nanoseconds);
    return text;
}

void AppendCsvText(QByteArray& line, QByteArrayView text)
{
    const bool formula = !text.isEmpty() && std::memchr("=+-@\t\r", text.front(), 6) != nullptr;
    const bool quoted = std::any_of(text.begin(), text.end(),
                                    [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
    if (!formula && !quoted) {
        line += text;
        return;
    }
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
