#pragma once

#include <QString>

// What a search shows while it works: the statistics texts, the progress position and the status
// line. The main window implements it; tests record it.
class TSearchDisplay
{
public:
    virtual ~TSearchDisplay() = default;
    virtual void SetTotalFilesText(const QString& text) = 0; // "Files scanned:"
    virtual void SetDuplicateText(const QString& text) = 0;  // "Original files + duplicates:"
    virtual void SetDiskUsingText(const QString& text) = 0;  // "Disk space using:"
    virtual void SetProgress(int position) = 0;              // 0 .. 100
    // The status line; the comparison itself never sets it.
    virtual void SetStatusText(const QString&) {}
};

// Shows nothing: for searches run without a window.
class TNoDisplay : public TSearchDisplay
{
public:
    void SetTotalFilesText(const QString&) override {}
    void SetDuplicateText(const QString&) override {}
    void SetDiskUsingText(const QString&) override {}
    void SetProgress(int) override {}
};
