// The photograph picker and the edit dialog's use of the picture list.
#include "ui/app_state.h"
#include "ui/windows.h"
#include "pictures/photograph_dialog.h"
#include "pictures/picture_list.h"
#include "pictures/rendition_cache.h"
#include "tabs/edit_dialog.h"
#include "tests/pictures/photos.h"
#include "tests/support/app_session.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(PhotographPicker, RootFolderAndPreviewableNames) {
    EXPECT_EQ(pictures::JoinFolder(QStringLiteral("/"), QStringLiteral("a.jpg")),
              QStringLiteral("/a.jpg"));
    EXPECT_TRUE(pictures::PreviewableName(QStringLiteral("a.jpeg")));
    EXPECT_FALSE(pictures::PreviewableName(QStringLiteral(".jpg")));
}

namespace {

struct Picker : AppSession {
    TdlgPhotograph& dialog() { return *ui::Win().dlgPhotograph; }
    QString chosen(const std::function<void(TdlgPhotograph&)>& step) {
        modal.onNextDialog([&](QDialog& d) {
            step(static_cast<TdlgPhotograph&>(d));
            return d.result();
        });
        return dialog().Execute(QStringLiteral("/old/photo.jpg"));
    }
};

} // namespace

TEST(PhotographPicker, ListsPhotographsPreviewsAndReturnsTheChoice) {
    Picker p;
    const QString dir = p.folder.file(QStringLiteral("photos"));
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/sub")));
    photos::Make(dir + QStringLiteral("/b.JPG"), 1600, 1200);
    photos::Make(dir + QStringLiteral("/a.jpeg"), 200, 150);
    photos::Make(dir + QStringLiteral("/c.bmp.jpg"), 200, 150);
    QFile(dir + QStringLiteral("/b.JPG")).copy(dir + QStringLiteral("/b.BMP"));

    const QString result = p.chosen([&](TdlgPhotograph& d) {
        d.setDirectory(dir);
        QStringList files;
        for (int i = 0; i < d.FileListBox1->count(); ++i)
            files << d.FileListBox1->item(i)->text();
        EXPECT_EQ(files, (QStringList{"a.jpeg", "b.JPG", "c.bmp.jpg"}));
        EXPECT_EQ(d.FilterComboBox1->currentText(), QStringLiteral(" Pictures (*.jpg; *.jpeg)"));
        EXPECT_TRUE(d.DirectoryListBox1->currentItem()->text().trimmed() ==
                    QStringLiteral("photos"));
        EXPECT_TRUE(d.DirectoryListBox1->item(d.DirectoryListBox1->count() - 1)->text().trimmed() ==
                    QStringLiteral("sub"));
        // A typed name that is no photograph gives no preview, even though the file exists.
        d.Edit1->setText(QStringLiteral("b.BMP"));
        EXPECT_TRUE(d.Image1->pixmap().isNull());
        d.FileListBox1->setCurrentRow(1);
        EXPECT_EQ(d.Edit1->text(), QStringLiteral("b.JPG"));
        EXPECT_FALSE(d.Image1->pixmap().isNull());
        ClickButton(d, QStringLiteral("OKBtn"));
    });
    EXPECT_EQ(result, dir + QStringLiteral("/b.JPG"));
    EXPECT_FALSE(app::State().DialogCancelled);
    // The choice has its rendition made in the background, for the report and the tile.
    pictures::WaitForRenditions();
    EXPECT_TRUE(QFileInfo::exists(
        pictures::RenditionCache(app::State().programFolder).renditionFile(result)));

    // The next showing keeps folder, name and preview; Cancel changes nothing.
    EXPECT_EQ(p.chosen([](TdlgPhotograph& d) {
        EXPECT_EQ(d.Edit1->text(), QStringLiteral("b.JPG"));
        EXPECT_FALSE(d.Image1->pixmap().isNull());
        ClickButton(d, QStringLiteral("CancelBtn"));
    }),
              QStringLiteral("/old/photo.jpg"));
    EXPECT_TRUE(app::State().DialogCancelled);
    // Select with no file chosen in the list changes nothing either.
    EXPECT_EQ(p.chosen([&](TdlgPhotograph& d) {
        d.setDirectory(dir + QStringLiteral("/sub"));
        d.Edit1->setText(QStringLiteral("typed.jpg"));
        ClickButton(d, QStringLiteral("OKBtn"));
    }),
              QStringLiteral("/old/photo.jpg"));
}

TEST(EditDialogPictures, SelectionIsClearedWhileOpenAndSavingReplacesTheThumbnail) {
    AppSession s;
    photos::AddEntry(1, photos::Make(s.folder.file(QStringLiteral("one.jpg")), 100, 80));
    photos::AddEntry(2, photos::Make(s.folder.file(QStringLiteral("two.jpg")), 100, 80));
    app::State().IDCounter = 2;
    app::State().Changes.announcePicturesChanged();
    pictures::PictureDList& list = *pictures::Pictures();
    list.SelectPicture(1);
    auto& edit = *ui::Win().dlgEdit;

    bool clearedWhileOpen = false;
    s.modal.onNextDialog([&](QDialog&) {
        clearedWhileOpen = list.Selected == nullptr;
        ClickButton(edit, QStringLiteral("btnCancel"));
        return int(QDialog::Rejected);
    });
    edit.Execute(1);
    EXPECT_TRUE(clearedWhileOpen);
    ASSERT_NE(list.Selected, nullptr);
    EXPECT_EQ(list.Selected->EntryNumber, 1u);

    // A damaged photograph is refused and the dialog stays; a good one replaces the tile.
    QFile bad(s.folder.file(QStringLiteral("bad.jpg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("xx");
    bad.close();
    const QString three = photos::Make(s.folder.file(QStringLiteral("three.jpg")), 100, 80);
    s.modal.onNextDialog([&](QDialog&) {
        edit.edtPhoto->setText(bad.fileName());
        edit.btnSave->click();
        EXPECT_EQ(s.modal.messages.size(), 1u);
        EXPECT_EQ(list.count(), 2);
        edit.edtPhoto->setText(three);
        edit.btnSave->click();
        return edit.result();
    });
    edit.Execute(1);
    EXPECT_EQ(list.count(), 2);
    ASSERT_NE(list.Last, nullptr);
    EXPECT_EQ(list.Last->EntryNumber, 1u);
    EXPECT_EQ(list.Last->FileName, three);
    EXPECT_EQ(list.First->EntryNumber, 2u);
    EXPECT_EQ(s.userValue(QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE Item_Photo_Name "
                                         "LIKE '%three.jpg'")),
              1);
}
