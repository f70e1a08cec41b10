#include "ui/modal.h"

#include <QDialog>
#include <QFileDialog>

namespace ui {

namespace {
Modal::DialogHook& dialogHook() {
    static Modal::DialogHook h;
    return h;
}
Modal::MessageHook& messageHook() {
    static Modal::MessageHook h;
    return h;
}
Modal::QuestionHook& questionHook() {
    static Modal::QuestionHook h;
    return h;
}
Modal::FileHook& fileHook() {
    static Modal::FileHook h;
    return h;
}
int& openShowings() {
    static int n = 0;
    return n;
}

// Counts one modal showing for as long as it is open.
class Showing {
  public:
    Showing() { ++openShowings(); }
    ~Showing() { --openShowings(); }
    Showing(const Showing&) = delete;
    Showing& operator=(const Showing&) = delete;
};
} // namespace

int Modal::pending() {
    return openShowings();
}

int Modal::exec(QDialog& dialog) {
    const Showing showing;
    if (dialogHook()) return dialogHook()(dialog);
    return dialog.exec();
}

void Modal::message(const QString& text, const QString& caption) {
    const Showing showing;
    if (messageHook()) {
        messageHook()(text, caption);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}

QMessageBox::StandardButton Modal::question(const QString& text, const QString& caption,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) {
    const Showing showing;
    if (questionHook()) return questionHook()(text, caption);
    QMessageBox box(QMessageBox::Question, caption, text, buttons);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString Modal::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                            const QString& filter) {
    const Showing showing;
    if (fileHook()) return fileHook()(caption);
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString Modal::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                            const QString& filter) {
    const Showing showing;
    if (fileHook()) return fileHook()(caption);
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString Modal::existingDirectory(QWidget* parent, const QString& caption, const QString& dir) {
    const Showing showing;
    if (fileHook()) return fileHook()(caption);
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

void Modal::setDialogHook(DialogHook hook) {
    dialogHook() = std::move(hook);
}
void Modal::setMessageHook(MessageHook hook) {
    messageHook() = std::move(hook);
}
void Modal::setQuestionHook(QuestionHook hook) {
    questionHook() = std::move(hook);
}
void Modal::setFileHook(FileHook hook) {
    fileHook() = std::move(hook);
}
void Modal::clearHooks() {
    dialogHook() = nullptr;
    messageHook() = nullptr;
    questionHook() = nullptr;
    fileHook() = nullptr;
}

} // namespace ui
