#pragma once

class QDialog;
class QPixmap;
class QString;

// What the two dialogs share beyond their stored layouts: the interface font of the main window,
// a fixed size, and the place in the middle of the screen.
void ApplyDialogLook(QDialog& dialog);
void CentreOnScreen(QDialog& dialog);

// A picture stored in the program as JPEG data (a resource path), decoded with libjpeg.
QPixmap StoredJpegPicture(const QString& resource);
