#pragma once

#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "inventories/table_names.h"
#include "inventory/inventory_page.h"
#include "store/database.h"
#include "store/stored_text.h"
#include "tests/support/program_folder.h"
#include "tests/support/scripted_modal.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>
#include <memory>

namespace sessions_test {

// Marks a dialog as still open: a handler that closes it overwrites the result.
inline constexpr int kStillOpen = -1;

inline QStringList Column(store::Query& q, const QString& sql) {
    QStringList out;
    q.open(QStringList{sql});
    while (!q.eof()) {
        out << q.text(0);
        q.next();
    }
    q.close();
    return out;
}

inline qint64 Value(store::Query& q, const QString& sql) {
    q.open(QStringList{sql});
    const qint64 v = q.integer(0);
    q.close();
    return v;
}

// Statements on a program folder's user database from outside the program.
class UserDb {
  public:
    explicit UserDb(const QString& programFolder)
        : connection_(store::ConnectionString(store::DatabaseKind::User, programFolder)),
          query_(connection_) {}
    ~UserDb() {
        query_.close();
        connection_.disconnect();
    }
    store::Query& query() { return query_; }
    void run(const QString& sql) { query_.execute(QStringList{sql}); }
    qint64 value(const QString& sql) { return Value(query_, sql); }

  private:
    store::Connection connection_;
    store::Query query_;
};

// Inserts entries first..last named prefix + number.
inline void AddEntries(store::Query& q, int first, int last, const QString& prefix) {
    for (int id = first; id <= last; ++id)
        q.execute(QStringList{QStringLiteral("INSERT INTO Inventory VALUES (") +
                              QString::number(id) +
                              QStringLiteral(", 'Kitchen', 9, 'Cookware', 1, '") +
                              store::ToStoredText(prefix + QString::number(id)) +
                              QStringLiteral("', 1, 2, 3.5, 7, 'Good', '')")});
}

// A whole program run in a program folder prepared by the test; the windows are created only
// when start() is called, so the folder can first be put into any state.
struct ProgramRun {
    testing_support::ProgramFolder folder;
    std::unique_ptr<testing_support::ScriptedModal> modal;
    bool started = false;

    ~ProgramRun() { stop(); }
    void start() {
        testing_support::EnsureApplication();
        modal = std::make_unique<testing_support::ScriptedModal>();
        app::CreateWindows();
        started = true;
    }
    void stop() {
        if (!started) return;
        app::DestroyWindows();
        modal.reset();
        started = false;
    }
    TfrmMain& main() { return *ui::Win().frmMain; }
    app::AppState& state() { return app::State(); }
    store::Query& q() { return app::State().ADOQuery2; }

    QStringList column(const QString& sql) { return Column(q(), sql); }
    qint64 value(const QString& sql) { return Value(q(), sql); }
    // Entries of a table as their item names, in ID order.
    QStringList items(const QString& table = QStringLiteral("Inventory")) {
        QStringList out;
        for (const QString& s :
             column(QStringLiteral("SELECT Item_Name FROM ") + store::QuoteIdentifier(table) +
                    QStringLiteral(" WHERE ID_Number > 0 ORDER BY ID_Number")))
            out << store::FromStoredText(s);
        return out;
    }
    QStringList savedTables() {
        return column(QStringLiteral("SELECT Table_Names FROM Master_Table WHERE Table_Names <> "
                                     "'Inventory' ORDER BY Table_Names"));
    }
    int markers() {
        return int(value(
            QStringLiteral("SELECT COUNT(*) FROM Master_Table WHERE Table_Names = 'Inventory'")));
    }
    QString currentTable() {
        return column(QStringLiteral("SELECT Current_Table FROM Current_Table WHERE "
                                     "Throw_Number = 1"))
            .value(0);
    }
    // Entries added the way the tabs do it: rows, counter and the unsaved mark.
    void addEntries(int count, const QString& prefix) {
        const int first = state().IDCounter + 1;
        AddEntries(q(), first, first + count - 1, prefix);
        state().IDCounter = first + count - 1;
        state().InventoryModified = true;
    }
    QStringList masterLines() { return main().tabInventory->lstInventory->lines(); }
    QString caption() { return main().windowTitle(); }
    QString title() { return main().tabInventory->lblInventory->text(); }
    QStringList shown() { return modal->dialogsShown; }

    // Scripts the Save As dialog: types the name and confirms.
    void saveAsStep(const QString& name) {
        modal->onNextDialog([name](QDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(name);
            testing_support::ClickButton(d, QStringLiteral("OKBtn"));
            return d.result();
        });
    }
    // The splash comes first whenever the main window is shown.
    void splashStep() {
        modal->onNextDialog([](QDialog& d) {
            EXPECT_EQ(d.objectName(), QStringLiteral("frmSplash"));
            return int(QDialog::Accepted);
        });
    }
    void clickStep(const QString& button) {
        modal->onNextDialog([button](QDialog& d) {
            testing_support::ClickButton(d, button);
            return d.result();
        });
    }
    // Scripts the Open dialog: picks the line with this name and confirms.
    void openStep(const QString& name) {
        modal->onNextDialog([name](QDialog& d) {
            auto* list = d.findChild<QListWidget*>(QStringLiteral("ListBox1"));
            const auto found = list->findItems(name, Qt::MatchExactly);
            EXPECT_EQ(found.size(), 1) << name.toStdString();
            if (!found.isEmpty()) found.first()->setSelected(true);
            testing_support::ClickButton(d, QStringLiteral("OKBtn"));
            return d.result();
        });
    }
};

// Clicks a button and tells whether the dialog stayed open.
inline bool StaysOpenAfter(QDialog& d, const QString& button) {
    d.setResult(kStillOpen);
    testing_support::ClickButton(d, button);
    return d.result() == kStillOpen;
}

} // namespace sessions_test
