#pragma once

#include <QDialog>
#include <QString>

// What the file system says of one file, for the desktops where no file manager shows its own
// properties window: name, folder, size, last change, permissions and owner. A link is described
// as the link, never followed. Each value sits in a label named after its row ("NameValue",
// "FolderValue", "SizeValue", "ModifiedValue", "PermissionsValue", "OwnerValue").
class TPropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TPropertiesDialog(const QString& path, QWidget* parent = nullptr);
};

// Opens a properties window for `path` that lives on by itself until the user closes it.
void ShowPropertiesDialog(const QString& path);
