#pragma once

#include "store/database.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A fresh user database in its own temporary folder, laid out like the shipped file: the header
// row, Current_Table row 1 and the database's own table names in Prohibited.
class UserDatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override;

    // Entries 1..count with the given item name prefix.
    void addEntries(int count, const QString& prefix = QStringLiteral("Item"));
    QStringList column(const QString& sql);
    QStringList itemNames(const QString& table = QStringLiteral("Inventory"));
    QString headerText(const QString& table = QStringLiteral("Inventory"));
    bool tableExists(const QString& name);
    void setCurrent(const QString& tableName);
    // Last_Used as "name@place" in place order.
    QStringList recent();

    QTemporaryDir dir;
    std::unique_ptr<store::Connection> db;
    std::unique_ptr<store::Query> q;
};
