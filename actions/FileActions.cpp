#include "FileActions.h"

#include "actions/ShellFileOp.h"
#include "core/FileLists.h"
#include "core/MessageText.h"
#include "core/ReferenceFiles.h"
#include "platform/DirListing.h"
#include "platform/FileAccess.h"
#include "platform/FileOps.h"
#include "platform/Trash.h"
#include "results/ResultView.h"
#include "search/RecordAccess.h"

#include <cerrno>

namespace {

enum class TOutcome
{
    Done,
    NotFound,
    Failed
};

struct TResult
{
    TOutcome Outcome = TOutcome::Done;
    int Error = 0;
};

QString Quoted(const TFileInfoType& record)
{
    return QLatin1Char('"') + NameOf(record) + QLatin1Char('"');
}

QString NotFoundText(const TFileInfoType& record)
{
    return QStringLiteral("Cannot find file ") + Quoted(record);
}

QString FailureText(const QString& verb, const TFileInfoType& record, int error)
{
    return QStringLiteral("Cannot ") + verb + QStringLiteral(" file ") + Quoted(record) + NewLine +
           QStringLiteral("Error code: ") + QString::number(static_cast<unsigned>(error));
}

// Acts on the record's file only when it is still the file the search saw, through the folder
// handle that was checked. `act` gets the record, that handle and the file's name, and returns 0
// or an errno.
template <typename TAct> TResult ActOnRecordFile(TFileInfoType& record, TAct&& act)
{
    // A reference file is never touched, however it came to be chosen.
    if (IsReferenceFile(record))
        return {TOutcome::Failed, EPERM};
    plat::TUniqueFd folder;
    int error = OpenRecordFolder(record, folder);
    if (error == 0)
        error = CheckRecordFile(folder.Get(), record);
    // A folder that can no longer be searched hides the file as surely as a missing one.
    if (error == ENOENT || error == EACCES)
        return {TOutcome::NotFound, 0};
    if (error == 0)
        error = act(record, folder.Get(), RecordNameBytes(record));
    return {error == 0 ? TOutcome::Done : TOutcome::Failed, error};
}

// Unlinking ignores the file's own mode, so the file keeps it: a chmod would stay when the unlink
// fails, and would reach every other link of the file.
int DeleteForGood(TFileInfoType& record, int folder, const QByteArray& name)
{
    record.Attr &= ~plat::AttrReadOnly;
    return plat::UnlinkFileAt(folder, name);
}

// Counts the marked records into ActionCount; false when there is nothing to act on.
bool CountMarked()
{
    if (ResultCount <= 0)
        return false;
    ActionCount = 0;
    for (int32_t i = 0; i <= ResultCount; ++i)
        if (ResultList[i].Checked != 0)
            ++ActionCount;
    return ActionCount != 0;
}

// Runs `act` on every marked record in ResultList order. A record whose file was handled is
// unmarked and flagged Removed; a failure is reported, and Abort ends the walk. Returns the
// number of files handled.
template <typename TAct> int32_t ActOnMarked(TActionWindow& window, const QString& verb, TAct&& act)
{
    int32_t done = 0;
    const int32_t last = ResultCount;
    for (int32_t i = 0; i <= last; ++i) {
        TFileInfoType& record = ResultList[i];
        if (record.Checked == 0)
            continue;
        const TResult result = ActOnRecordFile(record, act);
        if (result.Outcome == TOutcome::Done) {
            record.Checked = 0;
            record.Removed = 1;
            ++done;
            continue;
        }
        const QString text = result.Outcome == TOutcome::NotFound ? NotFoundText(record)
                                                                  : FailureText(verb, record, result.Error);
        if (window.ShowError(text, true))
            break;
    }
    return done;
}

} // namespace

void DeleteSelected(TActionWindow& window)
{
    if (!CountMarked())
        return;
    ActionMode = 0;
    window.ShowDeleteForm();
    if (ActionMode == 0)
        return;
    const bool forGood = ActionMode == 2;
    plat::TTrash trash;
    const int32_t done = ActOnMarked(
        window, QStringLiteral("delete"), [&](TFileInfoType& record, int folder, const QByteArray& name) {
            if (forGood)
                return DeleteForGood(record, folder, name);
            return ShellFileOp(folder, name, -1, FO_DELETE, &trash) ? 0 : plat::LastError();
        });
    window.ShowInformation(QString::number(done) + QStringLiteral(" of ") + QString::number(ActionCount) +
                           QStringLiteral(" files was deleted."));
    window.RepaintList();
    window.UpdateSelectionStats();
}

void MoveSelected(TActionWindow& window)
{
    if (!CountMarked())
        return;
    ActionMode = 0;
    MoveDirectory.clear();
    window.ShowMoveForm();
    if (ActionMode == 0)
        return;
    // The destination is taken as typed; from here on every move goes into the folder found now.
    plat::TUniqueFd destination;
    if (!plat::FolderExists(MoveDirectory) ||
        plat::OpenFolderHandle(MoveDirectory.toUtf8(), destination) != 0) {
        window.ShowError(QStringLiteral("Directory \"") + MoveDirectory + QStringLiteral("\" is not exist."),
                         false);
        return;
    }
    const int32_t done =
        ActOnMarked(window, QStringLiteral("move"), [&](TFileInfoType&, int folder, const QByteArray& name) {
            return ShellFileOp(folder, name, destination.Get(), FO_MOVE) ? 0 : plat::LastError();
        });
    window.ShowInformation(QString::number(done) + QStringLiteral(" of ") + QString::number(ActionCount) +
                           QStringLiteral(" files moved to specified folder."));
    window.RepaintList();
    window.UpdateSelectionStats();
}

void DeleteThisFile(int row, TActionWindow& window)
{
    TFileInfoType* const shown = RecordAtRow(row);
    if (shown && window.Confirm(QStringLiteral("Do you really want to delete ") + Quoted(*shown))) {
        TFileInfoType& record = *shown;
        const TResult result =
            ActOnRecordFile(record, [](TFileInfoType&, int folder, const QByteArray& name) {
                return ShellFileOp(folder, name, -1, FO_DELETE) ? 0 : plat::LastError();
            });
        if (result.Outcome == TOutcome::Done) {
            record.Checked = 0;
            record.Removed = 1;
            window.ShowInformation(QStringLiteral("File ") + Quoted(record) +
                                   QStringLiteral(" deleted successfully") + NewLine);
        } else {
            window.ShowError(result.Outcome == TOutcome::NotFound
                                 ? NotFoundText(record)
                                 : FailureText(QStringLiteral("delete"), record, result.Error),
                             false);
        }
    }
    window.UpdateSelectionStats();
    window.RepaintList();
}

TPopupMenuState PopupMenuState(int selectedRow)
{
    TPopupMenuState state;
    state.RowCommands = selectedRow >= 0;
    if (ResultCount < 0 || !state.RowCommands)
        return state;
    const TFileInfoType* record = RecordAtRow(selectedRow);
    state.DeleteThisFile = record && record->Removed == 0 && !IsReferenceFile(*record);
    return state;
}
