// Renaming a photograph from the viewer: on disk, in the working inventory and in every saved one.
#include "ui/app_state.h"
#include "ui/windows.h"
#include "pictures/photo_rename.h"
#include "pictures/photo_view_window.h"
#include "pictures/picture_list.h"
#include "pictures/rename_photo_dialog.h"
#include "tabs/edit_dialog.h"
#include "tests/pictures/photos.h"
#include "tests/support/app_session.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(PhotoName, SplitTrimAndMessage) {
    EXPECT_EQ(pictures::SplitPhotoName(QStringLiteral("hall.v2.JPG")).base,
              QStringLiteral("hall.v2"));
    EXPECT_EQ(pictures::SplitPhotoName(QStringLiteral("hall.v2.JPG")).extension,
              QStringLiteral(".JPG"));
    // Without a dot the whole name is the extension: a new name goes in front of it.
    EXPECT_EQ(pictures::SplitPhotoName(QStringLiteral("hall")).base, QString());
    EXPECT_EQ(pictures::SplitPhotoName(QStringLiteral("hall")).extension, QStringLiteral("hall"));
    EXPECT_EQ(pictures::TrimNewName(QStringLiteral(" new name   ")), QStringLiteral(" new name"));
    EXPECT_EQ(pictures::TrimNewName(QStringLiteral("   ")), QString());
    EXPECT_FALSE(pictures::UsableFileName(QStringLiteral("../elsewhere.jpg")));
    EXPECT_EQ(pictures::RenameFailureMessage(QStringLiteral("hall")),
              QStringLiteral("The attempt to rename ''hall'' failed. \n"
                             "   The file may be read-only or in use, \n"
                             "   the name you chose may be invalid, \n"
                             "   or there may be another file in the \n"
                             "   same directory with the name you chose."));
}

namespace {

struct Rename : AppSession {
    QString old;
    Rename() {
        old = photos::Make(folder.file(QStringLiteral("Bob's hall.jpg")), 120, 90);
        photos::AddEntry(1, photos::Make(folder.file(QStringLiteral("other.jpg")), 120, 90));
        photos::AddEntry(2, old);
        photos::AddEntry(3, old);
        auto& q = app::State().ADOQuery2;
        // Two saved inventories, one of them under a name the database spells specially.
        for (const QString& t : {QStringLiteral("Attic"), QStringLiteral("2024 House")}) {
            q.execute({QStringLiteral("SELECT *"), QStringLiteral("INTO [") + t + ']',
                       QStringLiteral("FROM Inventory")});
            q.execute({QStringLiteral("INSERT INTO Master_Table"),
                       QStringLiteral("VALUES ('") + t + QStringLiteral("')")});
        }
        app::State().Changes.announcePicturesChanged();
    }
    TfrmPhotoView& view() { return *ui::Win().frmPhotoView; }
    TdlgRenamePhoto& dialog() { return *ui::Win().dlgRenamePhoto; }
    qint64 uses(const QString& table, const QString& path) {
        return userValue(QStringLiteral("SELECT COUNT(*) FROM [") + table +
                         QStringLiteral("] WHERE Item_Photo_Name = '") + store::ToStoredText(path) +
                         QLatin1Char('\''));
    }
    // Opens the viewer on entry 2 and the rename dialog from it, and types `name`.
    void rename(const QString& name) {
        modal.onNextDialog([this, name](QDialog&) {
            modal.onNextDialog([this, name](QDialog&) {
                EXPECT_EQ(dialog().lblOldName2->text(), QStringLiteral("Bob's hall"));
                EXPECT_FALSE(dialog().btnOK->isEnabled());
                dialog().edtNewName->setText(name);
                EXPECT_EQ(dialog().btnOK->isEnabled(), !name.isEmpty());
                dialog().btnOK->click();
                return int(QDialog::Accepted);
            });
            view().Button3->click();
            return int(QDialog::Accepted);
        });
        view().Execute(2);
    }
};

} // namespace

TEST(RenamePhoto, RenamesTheFileAndEveryInventoryAndSelectsTheThumbnailAgain) {
    Rename r;
    pictures::Pictures()->SelectPicture(3);
    ui::Win().dlgEdit.get(); // the viewer may have been opened from the edit dialog
    const QString renamed = r.folder.file(QStringLiteral("front hall.jpg"));
    r.rename(QStringLiteral("front hall  "));
    EXPECT_TRUE(r.modal.messages.empty()) << r.modal.lastMessage().toStdString();
    EXPECT_FALSE(QFile::exists(r.old));
    EXPECT_TRUE(QFile::exists(renamed));
    for (const QString& t :
         {QStringLiteral("Inventory"), QStringLiteral("Attic"), QStringLiteral("2024 House")}) {
        EXPECT_EQ(r.uses(t, renamed), 2) << t.toStdString();
        EXPECT_EQ(r.uses(t, r.old), 0) << t.toStdString();
    }
    EXPECT_EQ(r.dialog().edtNewName->text(), QStringLiteral("front hall"));
    EXPECT_EQ(r.view().PhotoFile, renamed);
    EXPECT_EQ(r.view().lblName->text(), QStringLiteral("front hall.jpg"));
    // The grid was rebuilt from the database with the new name, and the selection restored.
    pictures::PictureDList* list = pictures::Pictures();
    ASSERT_NE(list->Selected, nullptr);
    EXPECT_EQ(list->Selected->EntryNumber, 3u);
    EXPECT_EQ(list->Selected->FileName, renamed);
    EXPECT_EQ(list->count(), 3);
    // The edit dialog's photograph field follows, as the viewer may have been opened there.
    auto* edtPhoto = ui::Win().dlgEdit.ifMade()->findChild<QLineEdit*>(QStringLiteral("edtPhoto"));
    ASSERT_NE(edtPhoto, nullptr);
    EXPECT_EQ(edtPhoto->text(), renamed);
}

TEST(RenamePhoto, ANameInUseFailsAndChangesNothing) {
    Rename r;
    pictures::Pictures()->SelectPicture(2);
    r.rename(QStringLiteral("other"));
    ASSERT_EQ(r.modal.messages.size(), 1u);
    EXPECT_EQ(r.modal.messages[0].caption, QStringLiteral("Unable to rename photo"));
    EXPECT_EQ(r.modal.messages[0].text,
              pictures::RenameFailureMessage(QStringLiteral("Bob's hall")));
    EXPECT_TRUE(QFile::exists(r.old));
    EXPECT_EQ(r.uses(QStringLiteral("Attic"), r.old), 2);
    EXPECT_EQ(r.uses(QStringLiteral("Inventory"), r.folder.file(QStringLiteral("other.jpg"))), 1);
    EXPECT_EQ(r.view().PhotoFile, r.old);
    EXPECT_EQ(pictures::Pictures()->Selected, nullptr);
    EXPECT_EQ(pictures::Pictures()->count(), 3);
}

TEST(RenamePhoto, BlanksOnlyOrASlashAreRefused) {
    Rename r;
    r.rename(QStringLiteral("   "));
    ASSERT_EQ(r.modal.messages.size(), 1u);
    EXPECT_EQ(r.modal.messages[0].caption, QStringLiteral("Rename Picture"));
    r.modal.messages.clear();
    r.rename(QStringLiteral("sub/dir"));
    ASSERT_EQ(r.modal.messages.size(), 1u);
    EXPECT_EQ(r.modal.messages[0].caption, QStringLiteral("Unable to rename photo"));
    EXPECT_TRUE(QFile::exists(r.old));
    // A private-use character would come back as an apostrophe and name no file.
    r.modal.messages.clear();
    r.rename(QStringLiteral("Tom") + QChar(0xF0D9) + QStringLiteral("s hall"));
    ASSERT_EQ(r.modal.messages.size(), 1u);
    EXPECT_EQ(r.modal.messages[0].caption, QStringLiteral("Unable to rename photo"));
    EXPECT_TRUE(QFile::exists(r.old));
    EXPECT_EQ(r.uses(QStringLiteral("Inventory"), r.old), 2);
}

TEST(RenamePhoto, KeepsUnsavedWorkAndOnlyTheExactPath) {
    Rename r;
    // Another entry names a different file whose name differs only in case.
    const QString lower = r.folder.file(QStringLiteral("bob's hall.jpg"));
    photos::AddEntry(4, photos::Make(lower, 120, 90));
    app::State().Changes.announcePicturesChanged();
    auto& s = app::State();
    s.InventoryModified = true;
    s.SettingsChanged = true;
    s.SortKeys = {-3, 5, 1, 0, 0, 0};
    // Closing must still ask about the unsaved entries, and the run's sort order stays, whether
    // the rename fails or succeeds.
    const auto unsavedStateKept = [&s] {
        EXPECT_TRUE(s.InventoryModified);
        EXPECT_TRUE(s.SettingsChanged);
        EXPECT_EQ(s.SortKeys, (std::array<int, 6>{-3, 5, 1, 0, 0, 0}));
    };
    r.rename(QStringLiteral("other"));
    ASSERT_EQ(r.modal.messages.size(), 1u);
    unsavedStateKept();

    r.modal.messages.clear();
    const QString renamed = r.folder.file(QStringLiteral("porch.jpg"));
    r.rename(QStringLiteral("porch"));
    EXPECT_TRUE(r.modal.messages.empty()) << r.modal.lastMessage().toStdString();
    EXPECT_EQ(r.uses(QStringLiteral("Inventory"), renamed), 2);
    EXPECT_EQ(r.uses(QStringLiteral("Inventory"), lower), 1);
    EXPECT_EQ(r.uses(QStringLiteral("Attic"), renamed), 2);
    EXPECT_TRUE(QFile::exists(lower));
    unsavedStateKept();
    EXPECT_EQ(pictures::Pictures()->count(), 4);
}
