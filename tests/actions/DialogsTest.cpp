#include "actions/DeleteUnit.h"
#include "actions/JpegImage.h"
#include "actions/MoveUnit.h"

#include "core/DuplicateTypes.h"
#include "platform/FileAccess.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace {

template <typename T> T* Child(const QWidget& form, const char* name)
{
    T* child = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

} // namespace

TEST(ActionDialogs, DeleteFormOffersTheLastChoiceAndCountsFiles)
{
    TDeleteForm form;
    auto* recycler = Child<QRadioButton>(form, "RecyclerRadio");
    auto* forGood = Child<QRadioButton>(form, "DeleteRadio");
    auto* count = Child<QLabel>(form, "DelCountLabel");
    auto* image1 = Child<QLabel>(form, "Image1");
    auto* image2 = Child<QLabel>(form, "Image2");
    auto* ok = Child<QAbstractButton>(form, "OKButton");
    auto* cancel = Child<QAbstractButton>(form, "CancelButton");
    ASSERT_TRUE(recycler && forGood && count && image1 && image2 && ok && cancel);
    EXPECT_EQ(form.windowTitle(), "Remove Duplicate Files");
    EXPECT_EQ(form.size(), QSize(302, 166));
    EXPECT_EQ(recycler->text(), "Move files to Recycle Bin \n\r(If this option is set for this drive)");
    EXPECT_EQ(forGood->text(), "Delete files without backup");

    // The pictures come from their JPEG data: a light background, and a red cross in the middle.
    const QImage bin = image1->pixmap().toImage();
    const QImage cross = image2->pixmap().toImage();
    ASSERT_EQ(bin.size(), QSize(32, 32));
    ASSERT_EQ(cross.size(), QSize(32, 32));
    EXPECT_GT(bin.pixelColor(1, 30).lightness(), 200);
    EXPECT_LT(bin.pixelColor(16, 24).lightness(), 200);
    EXPECT_GT(cross.pixelColor(16, 16).red(), 150);
    EXPECT_LT(cross.pixelColor(16, 16).green(), 100);
    EXPECT_TRUE(DecodeJpeg("\xFF\xD8 not a picture").isNull());

    ActionCount = 1;
    form.show();
    EXPECT_EQ(count->text(), "Do you really want to delete 1 file?");
    EXPECT_TRUE(recycler->isChecked());
    QTest::mouseClick(image2, Qt::LeftButton);
    EXPECT_TRUE(forGood->isChecked());
    ok->click();
    EXPECT_EQ(ActionMode, 2);

    ActionCount = 3;
    form.show();
    EXPECT_EQ(count->text(), "Do you really want to delete 3 files?");
    EXPECT_TRUE(forGood->isChecked());
    QTest::mouseClick(image1, Qt::LeftButton);
    ok->click();
    EXPECT_EQ(ActionMode, 1);

    form.show();
    forGood->click();
    cancel->click();
    EXPECT_EQ(ActionMode, 0);
    form.show();
    EXPECT_TRUE(forGood->isChecked()); // kept through a Cancel too
    form.close();
}

TEST(ActionDialogs, MoveFormKeepsTheFolderAndBrowsesFromIt)
{
    TMoveForm form;
    auto* edit = Child<QLineEdit>(form, "DirectoryEdit");
    auto* browse = Child<QAbstractButton>(form, "SelectDirectoryButton");
    auto* count = Child<QLabel>(form, "DelCountLabel");
    auto* ok = Child<QAbstractButton>(form, "OKButton");
    auto* cancel = Child<QAbstractButton>(form, "CancelButton");
    ASSERT_TRUE(edit && browse && count && ok && cancel);
    EXPECT_EQ(form.windowTitle(), "Move duplicate files to specified directory");
    EXPECT_EQ(form.size(), QSize(403, 148));
    EXPECT_EQ(edit->text(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));

    ActionCount = 1;
    form.show();
    EXPECT_EQ(count->text(), "Do you really want to move 1 file?");

    QStringList starts;
    QString answer;
    const auto previous =
        TMoveForm::SetBrowseFunction([&](QWidget* parent, const QString& title, const QString& start) {
            EXPECT_EQ(parent, &form);
            EXPECT_EQ(title, "Select directory to move files");
            starts << start;
            return answer;
        });
    edit->setText("/srv/photos/");
    answer = "/srv/chosen";
    browse->click();
    EXPECT_EQ(edit->text(), "/srv/chosen");
    answer.clear(); // the browser was cancelled
    browse->click();
    EXPECT_EQ(edit->text(), "/srv/chosen");
    edit->clear();
    browse->click();
    TMoveForm::SetBrowseFunction(previous);
    EXPECT_EQ(starts, QStringList({"/srv/photos", "/srv/chosen", plat::CurrentDirectory()}));

    edit->setText(" /srv/typed/ ");
    ok->click();
    EXPECT_EQ(ActionMode, 1);
    EXPECT_EQ(MoveDirectory, " /srv/typed/ ");
    ActionCount = 2;
    form.show();
    EXPECT_EQ(count->text(), "Do you really want to move 2 files?");
    EXPECT_EQ(edit->text(), " /srv/typed/ ");
    cancel->click();
    EXPECT_EQ(ActionMode, 0);
}
