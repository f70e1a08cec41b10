// Builds the two shipped databases from the text sources under data/:
//   quivera-mkdb DATA_DIR OUT_DIR
// The catalogue records go through the DevTools loader's parser and statements; unlike that loader,
// a source line may name a category with no items yet, which adds the category alone.
#include "entries/catalogue_records.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/user_file.h"
#include "store/stored_text.h"
#include "entries/tab_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <sqlite3.h>

namespace {

QString readText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(("cannot read " + path).toStdString());
    return QString::fromUtf8(f.readAll());
}

// Comment lines and blank lines are for the people who keep the sources.
QString withoutComments(const QString& text) {
    QStringList kept;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1Char('#')))
            kept << QString(line).remove(QLatin1Char('\r'));
    }
    return kept.join(QLatin1Char('\n'));
}

QString sqlQuoted(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

void createEmptyFile(const QString& path) {
    QFile::remove(path);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(("cannot create " + path).toStdString());
}

store::Connection* openFile(const QString& path) {
    auto* c = new store::Connection(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path +
        QStringLiteral(";Mode=ReadWrite;Jet OLEDB:Database Password=") + store::kDatabasePassword);
    c->connect();
    return c;
}

void buildCatalogue(const QString& dataDir, const QString& file) {
    createEmptyFile(file);
    std::unique_ptr<store::Connection> conn(openFile(file));
    store::Query q(*conn);
    conn->transaction([&] {
        for (const QString& ddl : store::CatalogueCommonDdl())
            q.execute({ddl});
        for (const auto& tab : entries::TabTable()) {
            const QString key = tab.keyText();
            for (const QString& ddl : store::CatalogueTabTablesDdl(key))
                q.execute({ddl});
            const QString text =
                withoutComments(readText(dataDir + QStringLiteral("/catalogue/") + key + ".txt"));
            for (const auto& g : entries::ParsePriceGroups(text)) {
                const int category = entries::EnsureCategory(q, key, g.category);
                if (g.item.isEmpty()) continue; // a category without items
                const int item = entries::EnsureItem(q, key, category, g.category, g.item);
                entries::EnsurePrices(q, key, item, g.item, g.prices);
            }
        }
        const QString editUse =
            withoutComments(readText(dataDir + QStringLiteral("/catalogue/edit_use.txt")));
        for (const auto& g : entries::ParsePriceGroups(editUse)) {
            const QString key = g.category.trimmed();
            q.execute(
                {QStringLiteral("UPDATE ") + key + QStringLiteral("_Main"),
                 QStringLiteral("SET Edit_Use = ") + QString::number(g.prices[0].trimmed().toInt()),
                 QStringLiteral("WHERE Category_Name = '") + store::ToStoredText(g.item.trimmed()) +
                     QLatin1Char('\'')});
            if (q.rowsAffected() != 1)
                throw std::runtime_error(
                    ("edit_use.txt names an unknown category: " + g.category + " ~ " + g.item)
                        .toStdString());
        }
        for (int topic = -1; topic <= 4; ++topic) {
            const QString text =
                readText(dataDir + QStringLiteral("/help/%1.txt").arg(topic)).remove('\r');
            const qsizetype nl = text.indexOf(QLatin1Char('\n'));
            const QString caption = (nl < 0 ? text : text.left(nl)).trimmed();
            const QString body = nl < 0 ? QString() : text.mid(nl + 1);
            q.execute({QStringLiteral("INSERT INTO Help_Text"),
                       QStringLiteral("VALUES (%1, ").arg(topic) + sqlQuoted(body) +
                           QStringLiteral(", ") + sqlQuoted(caption) + QLatin1Char(')')});
        }
        const QString reg = withoutComments(readText(dataDir + QStringLiteral("/inventories.txt")));
        for (const QString& line : reg.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const qsizetype tilde = line.indexOf(QLatin1Char('~'));
            if (tilde < 0)
                throw std::runtime_error(("inventories.txt: no ~ in " + line).toStdString());
            q.execute({QStringLiteral("INSERT INTO Inventories"),
                       QStringLiteral("VALUES (") +
                           QString::number(line.left(tilde).trimmed().toInt()) +
                           QStringLiteral(", ") + sqlQuoted(line.mid(tilde + 1).trimmed()) +
                           QLatin1Char(')')});
        }
    });
}

void buildUserDatabase(const QString& file) {
    store::CreateUserDatabase(file);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: quivera-mkdb DATA_DIR OUT_DIR\n");
        return 2;
    }
    const QString dataDir = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    try {
        QDir().mkpath(outDir);
        // Build beside the target and rename, so a failed build leaves no half-made file.
        const QString cat = outDir + QStringLiteral("/QIVData.mdb");
        const QString user = outDir + QStringLiteral("/QIVUser.mdb");
        buildCatalogue(dataDir, cat + QStringLiteral(".new"));
        buildUserDatabase(user + QStringLiteral(".new"));
        QFile::remove(cat);
        QFile::remove(user);
        if (!QFile::rename(cat + ".new", cat) || !QFile::rename(user + ".new", user))
            throw std::runtime_error("cannot move the new databases into place");
        QFile::remove(outDir + QStringLiteral("/Eula.txt"));
        QFile::copy(dataDir + QStringLiteral("/Eula.txt"), outDir + QStringLiteral("/Eula.txt"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quivera-mkdb: %s\n", e.what());
        return 1;
    }
    return 0;
}
