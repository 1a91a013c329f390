#include "VarneMain.h"

#include "app/FolderTree.h"
#include "app/ReferenceFolders.h"
#include "core/FileLists.h"
#include "platform/LocaleText.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QTreeWidgetItem>

namespace {

// Leaves the list with nothing selected, so a second Remove does not take a neighbour.
void DeleteSelectedEntry(QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return;
    delete selected.front();
    list->setCurrentItem(nullptr);
    list->clearSelection();
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QChar TypedCharacter(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return {};
    default:
        break;
    }
    if (event.modifiers().testFlag(Qt::ControlModifier) && event.key() >= Qt::Key_A &&
        event.key() <= Qt::Key_Z)
        return QChar(static_cast<char16_t>(event.key() - Qt::Key_A + 1));
    const QString text = event.text();
    return text.isEmpty() ? QChar() : text.front();
}

void TMainForm::AddDirButtonClick()
{
    // The highlighted node: the current one may have lost its selection to a Ctrl+click.
    const QTreeWidgetItem* node = TreeView1->selectedItems().value(0);
    if (node == nullptr)
        return;
    AddSearchFolder(NodePath(node));
}

void TMainForm::AddSearchFolder(const QString& folderPath, bool reference)
{
    if (folderPath.isEmpty())
        return;
    DirectoriesListBox->addItem(folderPath);
    if (reference)
        SetReferenceFolder(DirectoriesListBox->item(DirectoriesListBox->count() - 1), true);
}

void TMainForm::RemoveDirButtonClick()
{
    DeleteSelectedEntry(DirectoriesListBox);
}

void TMainForm::RemoveAllButtonClick()
{
    DirectoriesListBox->clear();
}

void TMainForm::DirectoriesListBoxKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Delete)
        DeleteSelectedEntry(DirectoriesListBox);
}

void TMainForm::MinSizeCheckClick()
{
    const bool on = MinSizeCheck->isChecked();
    MinSizeEdit->setEnabled(on);
    MinSizeBox->setEnabled(on);
}

void TMainForm::MinSizeCheckKeyPress(QChar&)
{
    MinSizeCheckClick();
}

void TMainForm::MinSizeEditKeyPress(QChar& key)
{
    const QChar separator = plat::DecimalSeparator(LocaleFormat);
    if (key == u',')
        key = separator;
    if (key == u'.')
        key = separator;
    const bool accepted = key == QChar(8) || key == QChar(13) || IsDigit(key) || key == separator;
    if (!accepted || (key == separator && MinSizeEdit->text().contains(separator)))
        key = QChar();
}

bool TMainForm::FilterMinSizeEditKey(QKeyEvent* event)
{
    const QChar typed = TypedCharacter(*event);
    if (typed.isNull())
        return false;
    QChar key = typed;
    bool handled = false;
    RunHandler([&] {
        MinSizeEditKeyPress(key);
        handled = true;
    });
    if (!handled || key.isNull())
        return true;
    if (key == typed)
        return false;
    // The edit types the replacement as if its key had been pressed.
    const int code = key.unicode() < 0x80 ? QChar(key).toUpper().unicode() : int(Qt::Key_unknown);
    QKeyEvent replacement(QEvent::KeyPress, code, event->modifiers(), QString(key), event->isAutoRepeat(),
                          event->count());
    QCoreApplication::sendEvent(MinSizeEdit, &replacement);
    return true;
}

TSearchSettings TMainForm::ReadSearchSettings() const
{
    TSearchSettings settings;
    for (int i = 0; i < DirectoriesListBox->count(); ++i)
        settings.Folders << DirectoriesListBox->item(i)->text();
    settings.ReferenceFolders = ReferenceFolderTexts(DirectoriesListBox);
    settings.Mask = FileTypesEdit->text();
    settings.ExcludeZero = ExcludeZeroCheck->isChecked();
    settings.ProtectSysFolders = ProtectSysFoldersCheck->isChecked();
    settings.ProtectSysFiles = ProtectSysFilesCheck->isChecked();
    settings.MinSizeChecked = MinSizeCheck->isChecked();
    settings.MinSizeText = MinSizeEdit->text();
    settings.MinSizeUnitIndex = MinSizeBox->currentIndex();
    return settings;
}
