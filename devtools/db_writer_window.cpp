#include "devtools/db_writer_window.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "entries/catalogue_records.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace devtools {

int LoadCatalogueText(store::Connection& catalogue, const QString& key, const QString& text) {
    store::Query q(catalogue);
    int loaded = 0;
    catalogue.transaction([&] {
        for (const entries::PriceGroup& group : entries::ParsePriceGroups(text)) {
            try {
                entries::LoadPriceGroup(q, key, group);
            } catch (const std::exception& e) {
                q.close();
                QString record = group.category + QStringLiteral(" ~ ") + group.item;
                record.replace(QChar(0), QStringLiteral("\\0"));
                throw store::DatabaseError(QStringLiteral("Record %1 (%2): %3")
                                               .arg(loaded + 1)
                                               .arg(record, QString::fromUtf8(e.what()))
                                               .toStdString());
            }
            q.close();
            ++loaded;
        }
    });
    return loaded;
}

} // namespace devtools

namespace {

const char* const kKeys[] = {"Art",     "Bathroom", "Clothing", "Electronics", "Furniture",
                             "Hobbies", "Jewelry",  "Kitchen",  "Laundry",     "Libraries",
                             "Linens",  "Misc",     "Music",    "Office",      "Outdoors",
                             "Sports",  "Tools"};

} // namespace

TQIVDBWriter::TQIVDBWriter(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("QIVDBWriter"));
    setWindowTitle(QStringLiteral("QIV Database Writer"));
    setFixedWidth(252);
    setMinimumHeight(119);
    setMaximumHeight(250);
    resize(252, 130);

    Label1 = new QLabel(QStringLiteral("Read"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 12, 40, 20);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Read"));
    Edit1->setGeometry(52, 10, 192, 24);
    Label1->setBuddy(Edit1);

    Label2 = new QLabel(QStringLiteral("Into"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 46, 40, 20);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setAccessibleName(QStringLiteral("Into"));
    ComboBox1->setEditable(false);
    for (const char* key : kKeys)
        ComboBox1->addItem(QString::fromLatin1(key));
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setGeometry(52, 44, 192, 24);
    Label2->setBuddy(ComboBox1);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(52, 90, 90, 27);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(154, 90, 90, 27);
    for (QPushButton* b : {Button1, Button2})
        b->setAutoDefault(false);

    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    ui::ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TQIVDBWriter::Button1Click() {
    if (ComboBox1->currentIndex() < 0) return;
    const QString key = ComboBox1->currentText();
    QFile file(Edit1->text());
    if (Edit1->text().isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    const QString text = QString::fromUtf8(file.readAll());

    auto& s = app::State();
    const QString connection =
        store::ConnectionString(store::DatabaseKind::Catalogue, s.programFolder);
    if (connection_.connectionString() != connection) connection_.setConnectionString(connection);
    // A result left open on the main connection would hold the file against our writes.
    s.ADOQuery1.close();
    try {
        devtools::LoadCatalogueText(connection_, key, text);
    } catch (const std::exception& e) {
        ui::Modal::message(QStringLiteral("Nothing from %1 was loaded into the %2 catalogue.\n%3")
                               .arg(Edit1->text(), key, QString::fromUtf8(e.what())),
                           QStringLiteral("Error"));
    }
}

void TQIVDBWriter::Button2Click() {
    Edit1->clear();
    ComboBox1->setCurrentIndex(-1);
    close();
}
