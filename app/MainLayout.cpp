#include "VarneMain.h"

#include "app/AsyncTimer.h"
#include "app/ButtonGlyphs.h"
#include "app/ImageLists.h"
#include "app/ProgramInfo.h"
#include "search/StatusText.h"
#include "ui/ThemePaint.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

// Every entry of the folder list is one line of this height, whatever the font asks for.
class TFixedHeightDelegate : public QStyledItemDelegate
{
public:
    TFixedHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), m_height(height) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_height};
    }

private:
    int m_height;
};

struct TStatusPanelLayout
{
    int Width;
    Qt::Alignment Alignment;
    QString Text;
};

} // namespace

void TMainForm::BuildLayout()
{
    setFont(QFont(theme::ResolveFontFamily(QStringLiteral("MS Sans Serif")), 8));

    DirectoriesListBox->setItemDelegate(new TFixedHeightDelegate(13, DirectoriesListBox));

    const std::pair<TGradientButton*, TFolderButtonGlyph> folderButtons[] = {
        {AddDirButton, TFolderButtonGlyph::ArrowRight},
        {RemoveDirButton, TFolderButtonGlyph::ArrowLeft},
        {RemoveAllButton, TFolderButtonGlyph::Cross},
    };
    for (const auto& [button, glyph] : folderButtons) {
        button->UseGreyColors();
        SetFolderButtonGlyphs(button, glyph);
    }

    MinSizeEdit->setAttribute(Qt::WA_InputMethodEnabled, false);

    QPalette donation = HTMLabel5->palette();
    donation.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    HTMLabel5->setPalette(donation);

    for (QLabel* value : {TotalFilesTextout, DuplicateTextout, SelectedTextout, DiskUsingTextout}) {
        QFont valueFont = value->font();
        valueFont.setFamilies({theme::ResolveFontFamily(QStringLiteral("Tahoma"))});
        valueFont.setBold(true);
        value->setFont(valueFont);
        QPalette colours = value->palette();
        colours.setColor(QPalette::Window, QColor(0x0A, 0x23, 0x6A));
        colours.setColor(QPalette::WindowText, Qt::white);
        value->setPalette(colours);
    }

    const TStatusPanelLayout statusPanels[StatusPanelCount] = {
        {100, Qt::AlignLeft, QStringLiteral(" Version: " PW_VERSION)},
        {80, Qt::AlignHCenter, QStringLiteral("00:00:00")},
        {500, Qt::AlignLeft, StatusText(TSearchStatus::Waiting)},
    };
    for (int i = 0; i < StatusPanelCount; ++i) {
        const TStatusPanelLayout& layout = statusPanels[i];
        auto* panel = new QLabel(layout.Text, StatusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setTextFormat(Qt::PlainText);
        panel->setFixedWidth(layout.Width);
        panel->setAlignment(layout.Alignment | Qt::AlignVCenter);
        StatusBar->addWidget(panel);
        m_statusPanels[static_cast<std::size_t>(i)] = panel;
    }

    FileProperties1->setIcon(ImageList1.at(ImgDocument));
    Opencontainedfolder1->setIcon(ImageList1.at(ImgOpenFolder));
    Deletethisfile1->setIcon(ImageList1.at(ImgRedCross));
    SelectAllinFolder1->setIcon(ImageList1.at(ImgFolderTick));
    LeaveonlyoldestversionineachDupGroup1->setIcon(ImageList1.at(ImgRedTick));
    LeaveonlynewestversionineachDupGroup1->setIcon(ImageList1.at(ImgRedTick));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions({FileProperties1, Opencontainedfolder1, Deletethisfile1, N1231, SelectAllinFolder1,
                            LeaveonlyoldestversionineachDupGroup1, LeaveonlynewestversionineachDupGroup1});

    AdvListView1->SetCheckImages(CheckboxImageList.at(0), CheckboxImageList.at(1));
    AdvListView1->SetSortGlyphs(SortImageList.at(0), SortImageList.at(1));
    AdvListView1->SetPopupMenu(PopupMenu1);
    // The empty list shows the order a search leaves its results in.
    AdvListView1->ResetSortState();

    m_figuresTimer = new QTimer(this);
    m_figuresTimer->setSingleShot(true);
    m_figuresTimer->setInterval(100);
    connect(m_figuresTimer, &QTimer::timeout, this, &TMainForm::ShowPendingFigures);

    AsyncTimer = new TAsyncTimer(this);
    AsyncTimer->setObjectName(QStringLiteral("AsyncTimer"));
    AsyncTimer->SetInterval(500);
    AsyncTimer->SetThreadPriority(TAsyncTimer::TThreadPriority::Lower);
    AsyncTimer->SetEnabled(false);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TMainForm::SetStatusPanelText(int index, const QString& text)
{
    if (index >= 0 && index < StatusPanelCount)
        m_statusPanels[static_cast<std::size_t>(index)]->setText(text);
}

QString TMainForm::StatusPanelText(int index) const
{
    if (index < 0 || index >= StatusPanelCount)
        return {};
    return m_statusPanels[static_cast<std::size_t>(index)]->text();
}
