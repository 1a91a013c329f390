#include "ReferenceFolders.h"

#include "app/ImageLists.h"
#include "core/ReferenceFiles.h"
#include "results/ResultView.h"
#include "ui/ReportListModel.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>

namespace {

constexpr int ReferenceRole = Qt::UserRole + 1;
constexpr QKeyCombination ReferenceKey(Qt::ControlModifier, Qt::Key_R);
// The entries of the search list are 13 pixels high.
constexpr int ListEmblemSize = 12;

// The menu and the key of one search list; a child of the list.
class TReferenceSwitch : public QObject
{
public:
    explicit TReferenceSwitch(QListWidget* list) : QObject(list), m_list(list), m_menu(new QMenu(list))
    {
        m_menu->setObjectName(QStringLiteral("DirectoriesPopupMenu"));
        m_action = m_menu->addAction(QStringLiteral("Reference folder (never mark its files)"));
        m_action->setObjectName(QStringLiteral("ReferenceFolder1"));
        m_action->setCheckable(true);
        m_action->setShortcut(ReferenceKey);
        m_action->setShortcutVisibleInContextMenu(true);
        list->setIconSize(QSize(ListEmblemSize, ListEmblemSize));
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this,
                [this](const QPoint& at) { m_menu->popup(m_list->viewport()->mapToGlobal(at)); });
        connect(m_menu, &QMenu::aboutToShow, this, &TReferenceSwitch::ShowState);
        connect(m_action, &QAction::triggered, this, &TReferenceSwitch::Switch);
        list->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(event)->keyCombination() != ReferenceKey)
            return false;
        Switch();
        return true;
    }

private:
    QListWidgetItem* Selected() const { return m_list->selectedItems().value(0); }
    void ShowState()
    {
        const QListWidgetItem* entry = Selected();
        m_action->setEnabled(entry != nullptr);
        m_action->setChecked(entry != nullptr && IsReferenceFolder(entry));
    }
    void Switch()
    {
        if (QListWidgetItem* entry = Selected())
            SetReferenceFolder(entry, !IsReferenceFolder(entry));
        ShowState();
    }

    QListWidget* m_list; // not owned: the list this switch belongs to
    QMenu* m_menu;       // owned by the list
    QAction* m_action = nullptr;
};

} // namespace

void InstallReferenceFolders(QListWidget* list)
{
    new TReferenceSwitch(list);
}

bool IsReferenceFolder(const QListWidgetItem* entry)
{
    return entry->data(ReferenceRole).toBool();
}

void SetReferenceFolder(QListWidgetItem* entry, bool reference)
{
    entry->setData(ReferenceRole, reference);
    entry->setIcon(reference ? QIcon(LockEmblem(ListEmblemSize)) : QIcon());
}

QStringList ReferenceFolderTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        if (IsReferenceFolder(list->item(i)))
            texts << list->item(i)->text();
    return texts;
}

void ShowReferenceEmblem(int row, TReportRowData& data)
{
    static const QPixmap emblem = LockEmblem(16);
    if (const TFileInfoType* record = RecordAtRow(row); record && IsReferenceFile(*record))
        data.Emblem = emblem;
}
