#include "ExportCommand.h"

#include "app/MessageBoxes.h"
#include "app/VarneMain.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QShortcut>
#include <QStandardPaths>

#include <utility>

namespace {

const QString CsvFilter = QStringLiteral("CSV (*.csv)");
const QString JsonFilter = QStringLiteral("JSON (*.json)");

TSaveDialogFunction& SaveDialogFunction()
{
    static TSaveDialogFunction dialog;
    return dialog;
}

QString AskForFile(QWidget* parent, const QString& title, const QString& start, const QString& filters,
                   QString* selectedFilter)
{
    if (const TSaveDialogFunction dialog = SaveDialogFunction())
        return dialog(parent, title, start, filters, selectedFilter);
    return QFileDialog::getSaveFileName(parent, title, start, filters, selectedFilter);
}

} // namespace

TSaveDialogFunction SetSaveDialogFunction(TSaveDialogFunction dialog)
{
    return std::exchange(SaveDialogFunction(), std::move(dialog));
}

TExportFormat ExportFormatOf(const QString& path, const QString& filter)
{
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        return TExportFormat::Json;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return TExportFormat::Csv;
    return filter == JsonFilter ? TExportFormat::Json : TExportFormat::Csv;
}

void ExportResults(QWidget* parent, const TSearchSettings& searched)
{
    QString filter = CsvFilter;
    const QString start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                          QStringLiteral("/duplicates.csv");
    const QString path = AskForFile(parent, QStringLiteral("Export results"), start,
                                    CsvFilter + QStringLiteral(";;") + JsonFilter, &filter);
    if (path.isEmpty())
        return;
    if (const QString error = SaveResults(path, ExportFormatOf(path, filter), searched); !error.isEmpty())
        ShowMessageBox(TMessageKind::Error,
                       QStringLiteral("Cannot export the results to \"%1\".\n%2").arg(path, error));
}

void TMainForm::BuildExportCommand()
{
    ExportResults1 = new QAction(QStringLiteral("Export results..."), this);
    ExportResults1->setObjectName(QStringLiteral("ExportResults1"));
    // Shown in the menu; the list has its own shortcut, which works while the menu is closed.
    ExportResults1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ExportResults1->setShortcutContext(Qt::WidgetShortcut);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ExportResults1);
    ExportShortcut =
        new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), AdvListView1, nullptr, nullptr, Qt::WidgetShortcut);
}

void TMainForm::ExportResults1Click()
{
    if (AdvListView1->RowCount() > 0)
        ExportResults(this, m_searchedSettings);
}
