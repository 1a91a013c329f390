#include "actions/DeleteUnit.h"
#include "actions/JpegImage.h"
#include "actions/MoveUnit.h"

#include "core/DuplicateTypes.h"
#include "platform/FileAccess.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

template <typename T = QAbstractButton> T& Child(const QWidget& form, const char* name)
{
    if (T* child = form.findChild<T*>(QString::fromLatin1(name)))
        return *child;
    throw std::runtime_error(std::string("no control ") + name);
}

} // namespace

TEST(ActionDialogs, DeleteFormOffersTheLastChoiceAndCountsFiles)
{
    TDeleteForm form;
    auto& recycler = Child<QRadioButton>(form, "RecyclerRadio");
    auto& forGood = Child<QRadioButton>(form, "DeleteRadio");
    auto& image1 = Child<QLabel>(form, "Image1");
    auto& image2 = Child<QLabel>(form, "Image2");
    EXPECT_EQ(form.windowTitle(), "Remove Duplicate Files");
    EXPECT_EQ(form.size(), QSize(302, 166));
    EXPECT_EQ(recycler.text(), "Move files to Recycle Bin \n\r(If this option is set for this drive)");
    EXPECT_EQ(forGood.text(), "Delete files without backup");

    // The pictures come from their JPEG data: a light background, and a red cross in the middle.
    const QImage bin = image1.pixmap().toImage();
    const QImage cross = image2.pixmap().toImage();
    EXPECT_EQ(bin.size(), QSize(32, 32));
    EXPECT_EQ(cross.size(), QSize(32, 32));
    EXPECT_GT(bin.pixelColor(1, 30).lightness(), 200);
    EXPECT_LT(bin.pixelColor(16, 24).lightness(), 200);
    EXPECT_GT(cross.pixelColor(16, 16).red(), 150);
    EXPECT_LT(cross.pixelColor(16, 16).green(), 100);
    EXPECT_TRUE(DecodeJpeg("\xFF\xD8 not a picture").isNull());

    // Each showing: the label and the choice offered, then a picture is clicked, then OK or Cancel.
    const auto show = [&](int files, QLabel& picture, const char* button) {
        ActionCount = files;
        form.show();
        const QString shown = Child<QLabel>(form, "DelCountLabel").text() +
                              (recycler.isChecked() ? " [trash]" : "") +
                              (forGood.isChecked() ? " [for good]" : "");
        QTest::mouseClick(&picture, Qt::LeftButton);
        Child(form, button).click();
        return shown;
    };
    EXPECT_EQ(show(1, image2, "OKButton"), "Do you really want to delete 1 file? [trash]");
    EXPECT_EQ(ActionMode, 2);
    EXPECT_EQ(show(3, image1, "OKButton"), "Do you really want to delete 3 files? [for good]");
    EXPECT_EQ(ActionMode, 1);
    EXPECT_EQ(show(3, image2, "CancelButton"), "Do you really want to delete 3 files? [trash]");
    EXPECT_EQ(ActionMode, 0);
    // The choice is kept through a Cancel too.
    EXPECT_EQ(show(3, image1, "CancelButton"), "Do you really want to delete 3 files? [for good]");
}

TEST(ActionDialogs, MoveFormKeepsTheFolderAndBrowsesFromIt)
{
    TMoveForm form;
    auto& edit = Child<QLineEdit>(form, "DirectoryEdit");
    auto& count = Child<QLabel>(form, "DelCountLabel");
    EXPECT_EQ(form.windowTitle(), "Move duplicate files to specified directory");
    EXPECT_EQ(form.size(), QSize(403, 148));
    ActionCount = 1;
    form.show();
    EXPECT_EQ(count.text(), "Do you really want to move 1 file?");

    // The browser starts from the folder typed (or the working folder); a cancelled one changes nothing.
    QStringList starts;
    const auto browse = [&](const QString& typed, const QString& answer) {
        edit.setText(typed);
        const auto previous =
            TMoveForm::SetBrowseFunction([&](QWidget* parent, const QString& title, const QString& start) {
                EXPECT_EQ(parent, &form);
                EXPECT_EQ(title, "Select directory to move files");
                starts << start;
                return answer;
            });
        Child(form, "SelectDirectoryButton").click();
        TMoveForm::SetBrowseFunction(previous);
        return edit.text();
    };
    EXPECT_EQ(browse("/srv/photos/", "/srv/chosen"), "/srv/chosen");
    EXPECT_EQ(browse("/srv/chosen/", QString()), "/srv/chosen/");
    EXPECT_EQ(browse(QString(), QString()), QString());
    EXPECT_EQ(starts, QStringList({"/srv/photos", "/srv/chosen", plat::CurrentDirectory()}));

    // The folder is taken exactly as typed, and offered again at the next showing.
    edit.setText(" /srv/typed/ ");
    Child(form, "OKButton").click();
    EXPECT_EQ(ActionMode, 1);
    EXPECT_EQ(MoveDirectory, " /srv/typed/ ");
    ActionCount = 2;
    form.show();
    EXPECT_EQ(count.text(), "Do you really want to move 2 files?");
    EXPECT_EQ(edit.text(), " /srv/typed/ ");
    Child(form, "CancelButton").click();
    EXPECT_EQ(ActionMode, 0);
}
