#pragma once

#include <QList>
#include <QPixmap>

// The pictures of the main window, 16 x 16 pixels each, drawn once on first use (a
// QGuiApplication must exist).

enum TImageList1Index
{
    ImgComputer = 0,
    ImgFloppyDrive = 1,
    ImgHardDisk = 2,
    ImgCdRomDrive = 3,
    ImgPlainDrive = 4,
    ImgNetworkDrive = 5,
    ImgClosedFolder = 6,
    ImgOpenFolder = 7,
    ImgDocument = 8,
    ImgRedCross = 9,
    ImgFolderTick = 10,
    ImgRedTick = 11,
};

// Tree nodes and popup-menu items, indexed by TImageList1Index.
const QList<QPixmap>& ImageList1();
// Row check boxes: 0 empty box, 1 ticked box, on white.
const QList<QPixmap>& CheckboxImageList();
// Header sort glyphs: 0 triangle pointing up, 1 triangle pointing down.
const QList<QPixmap>& SortImageList();
// A padlock, `size` pixels square: the emblem of reference folders and their files.
QPixmap LockEmblem(int size);
