#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace ui {

// Every modal showing and message box of the program goes through here, so that tests can
// answer them by script and run every flow headless.
class Modal {
  public:
    // Shows the dialog modally and returns its result code.
    static int exec(QDialog& dialog);
    // A message box with a caption and an OK button.
    static void message(const QString& text, const QString& caption);
    // A question; returns the button chosen.
    static QMessageBox::StandardButton question(const QString& text, const QString& caption,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton);
    static QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter);
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter);
    static QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir);

    // How many modal showings are open right now (scripted ones included).
    static int pending();

    // Test hooks: when set, they replace the blocking showings.
    using DialogHook = std::function<int(QDialog&)>;
    using MessageHook = std::function<void(const QString& text, const QString& caption)>;
    using QuestionHook =
        std::function<QMessageBox::StandardButton(const QString& text, const QString& caption)>;
    using FileHook = std::function<QString(const QString& caption)>;
    static void setDialogHook(DialogHook hook);
    static void setMessageHook(MessageHook hook);
    static void setQuestionHook(QuestionHook hook);
    static void setFileHook(FileHook hook);
    static void clearHooks();
};

} // namespace ui
