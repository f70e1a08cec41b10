#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

namespace testing_support {

// Replaces every modal showing with scripted answers for the lifetime of the object.
// Messages are recorded; dialogs run the next scripted step (or close at once, rejected).
class ScriptedModal {
  public:
    ScriptedModal();
    ~ScriptedModal();

    struct Message {
        QString text;
        QString caption;
    };
    std::vector<Message> messages;
    QStringList dialogsShown; // objectNames, in order

    // The next dialog shown runs `step` (which may click its buttons) and returns its result.
    void onNextDialog(std::function<int(QDialog&)> step) { steps_.push_back(std::move(step)); }
    void answerNextQuestion(QMessageBox::StandardButton b) { answers_.push_back(b); }
    void nextFileName(const QString& name) { files_.push_back(name); }

    QString lastMessage() const { return messages.empty() ? QString() : messages.back().text; }

  private:
    std::deque<std::function<int(QDialog&)>> steps_;
    std::deque<QMessageBox::StandardButton> answers_;
    std::deque<QString> files_;
};

// Clicks the button named `name` inside `dialog` (fails the test when there is none).
void ClickButton(QWidget& dialog, const QString& name);

} // namespace testing_support
