#pragma once

#include "search/SearchSettings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

class QIODevice;

// The results of the last search written out for people and other programs. Every format names
// each record of ResultList once, by its full path in UTF-8.
enum class TExportFormat
{
    // The groups in ResultList order, the original first: one path a line, an empty line after
    // each group.
    Text,
    // RFC 4180 with a header row: one row a record, in the order of the list as shown (SortList).
    Csv,
    // The folders searched, the options, and the groups in ResultList order.
    Json,
};

// Writes the results in `format`; `searched` is what the search ran with. Returns false when the
// device refused the bytes.
bool WriteResults(QIODevice& device, TExportFormat format, const TSearchSettings& searched);

// Writes the results to a temporary file in the folder of `path` and renames it to `path` once it
// is complete, so a failure never leaves half a file. Returns an empty text, or the error the
// system gave.
QString SaveResults(const QString& path, TExportFormat format, const TSearchSettings& searched);

// A modification time as ISO 8601 local time with its offset, "2024-03-15T14:05:06+01:00", with
// the fraction of the second when there is one ("14:05:06.250000000+01:00"). A zone offset that is
// no whole number of minutes (local mean time of old dates) gives the time in UTC, "...Z".
QByteArray IsoLocalTime(int64_t nanoseconds);

// Appends one CSV cell: a text that starts with = + - @ TAB or CR gets an apostrophe in front, so
// a spreadsheet shows it as text rather than running it as a formula; a cell with a comma, a
// double quote, CR or LF is put in double quotes, its double quotes doubled.
void AppendCsvText(QByteArray& line, QByteArrayView text);
