#include "tests/support/scripted_modal.h"

#include "ui/modal.h"

#include <QAbstractButton>
#include <gtest/gtest.h>

namespace testing_support {

ScriptedModal::ScriptedModal() {
    ui::Modal::setMessageHook([this](const QString& text, const QString& caption) {
        messages.push_back({text, caption});
    });
    ui::Modal::setQuestionHook([this](const QString& text, const QString& caption) {
        messages.push_back({text, caption});
        if (answers_.empty()) return QMessageBox::Cancel;
        const auto b = answers_.front();
        answers_.pop_front();
        return b;
    });
    ui::Modal::setFileHook([this](const QString&) {
        if (files_.empty()) return QString();
        QString f = files_.front();
        files_.pop_front();
        return f;
    });
    ui::Modal::setDialogHook([this](QDialog& dialog) {
        dialogsShown << dialog.objectName();
        if (steps_.empty()) return static_cast<int>(QDialog::Rejected);
        auto step = std::move(steps_.front());
        steps_.pop_front();
        return step(dialog);
    });
}

ScriptedModal::~ScriptedModal() {
    ui::Modal::clearHooks();
}

void ClickButton(QWidget& dialog, const QString& name) {
    auto* b = dialog.findChild<QAbstractButton*>(name);
    ASSERT_NE(b, nullptr) << "no button " << name.toStdString();
    b->click();
}

} // namespace testing_support
