#include "PropertiesDialog.h"

#include "core/FileLists.h"
#include "platform/LocaleText.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString UserName(uid_t uid)
{
    struct passwd entry
    {
    };
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

QString GroupName(gid_t gid)
{
    struct group entry
    {
    };
    struct group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(gid);
}

// "-rw-r--r-- (644)", as ls writes the mode, with its octal value.
QString PermissionsText(mode_t mode)
{
    QString text = S_ISREG(mode)   ? QStringLiteral("-")
                   : S_ISDIR(mode) ? QStringLiteral("d")
                   : S_ISLNK(mode) ? QStringLiteral("l")
                                   : QStringLiteral("?");
    const char* const letters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400 >> bit)) ? QLatin1Char(letters[bit]) : QLatin1Char('-');
    return text + QStringLiteral(" (") + QString::number(mode & 07777, 8) + QLatin1Char(')');
}

void AddRow(QFormLayout& form, const QString& caption, const QString& name, const QString& value)
{
    auto* label = new QLabel(value);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form.addRow(caption, label);
}

} // namespace

TPropertiesDialog::TPropertiesDialog(const QString& path, QWidget* parent) : QDialog(parent)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    setWindowTitle(name + QStringLiteral(" - File properties"));
    auto* form = new QFormLayout;
    AddRow(*form, QStringLiteral("Name:"), QStringLiteral("NameValue"), name);
    AddRow(*form, QStringLiteral("Folder:"), QStringLiteral("FolderValue"), path.left(slash + 1));

    struct stat st
    {
    };
    const bool found = ::lstat(path.toUtf8().constData(), &st) == 0;
    const QString none = QStringLiteral("(the file is not there)");
    const auto size = static_cast<int64_t>(st.st_size);
    AddRow(*form, QStringLiteral("Size:"), QStringLiteral("SizeValue"),
           found ? plat::FormatCount(size, LocaleFormat) + QStringLiteral(" bytes (") + SizeText(size) +
                       QLatin1Char(')')
                 : none);
    const QDateTime modified =
        QDateTime::fromMSecsSinceEpoch(int64_t(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1'000'000);
    AddRow(*form, QStringLiteral("Modified:"), QStringLiteral("ModifiedValue"),
           found ? plat::FormatDateTime(modified, LocaleFormat) : none);
    AddRow(*form, QStringLiteral("Permissions:"), QStringLiteral("PermissionsValue"),
           found ? PermissionsText(st.st_mode) : none);
    AddRow(*form, QStringLiteral("Owner:"), QStringLiteral("OwnerValue"),
           found ? UserName(st.st_uid) + QLatin1Char(':') + GroupName(st.st_gid) : none);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShowPropertiesDialog(const QString& path)
{
    auto* dialog = new TPropertiesDialog(path);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}
