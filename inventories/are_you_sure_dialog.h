#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;

namespace inventories {

// Where the delete confirmation puts its lines and buttons: it widens for a long name line.
struct AreYouSureLayout {
    int width = 0;                   // client width
    int nameLeft = 0;                // the name line
    std::array<int, 3> fixedLefts{}; // the three fixed lines, top to bottom without the name
    int yesLeft = 0;
    int cancelLeft = 0;
};
inline constexpr int kAreYouSureWidth = 216;
inline constexpr int kAreYouSureMargin = 8;
inline constexpr int kAreYouSureButtonWidth = 75;
AreYouSureLayout LayOutAreYouSure(int nameWidth, const std::array<int, 3>& fixedWidths);

} // namespace inventories

// Confirms the deletion of a saved inventory; the caller sets the caption and the name line.
// Created once at start-up and reused for the whole run.
class TdlgAreYouSure : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgAreYouSure(QWidget* parent = nullptr);

    // Lays the dialog out for the name line and shows it modally; DialogCancelled is set after
    // "Cancel".
    void Execute();
    void FormActivate();
    void CancelBtnClick();
    void reject() override;

    QLabel* Label1;
    QLabel* Label2; // the name line
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};
