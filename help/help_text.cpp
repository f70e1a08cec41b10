#include "help/help_text.h"

#include "store/database.h"

#include <QFile>
#include <QFontMetrics>

namespace help {

QFont HelpScreenFont() {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(19);
    return f;
}

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString withoutTrailingBlanks(QString s) {
    qsizetype n = s.size();
    while (n > 0 && isBlank(s[n - 1]))
        --n;
    s.truncate(n);
    return s;
}

void wrapParagraph(const QString& p, const QFontMetrics& fm, int width, QStringList& out) {
    const qsizetype n = p.size();
    qsizetype start = 0;
    bool emitted = false;
    auto fits = [&](qsizetype from, qsizetype to) {
        return fm.horizontalAdvance(p.mid(from, to - from)) <= width;
    };
    while (start < n) {
        qsizetype end = start; // end of the last word that fits on this line
        while (end < n) {
            qsizetype wordEnd = end;
            while (wordEnd < n && isBlank(p[wordEnd]))
                ++wordEnd;
            while (wordEnd < n && !isBlank(p[wordEnd]))
                ++wordEnd;
            // Blanks that end the paragraph hang past the line's edge, as in a text box.
            if (wordEnd == n && withoutTrailingBlanks(p.mid(end)).isEmpty()) {
                end = n;
                break;
            }
            if (!fits(start, wordEnd)) break;
            end = wordEnd;
        }
        if (end == start) {
            // One word wider than the line: as many characters as fit, at least one.
            qsizetype cut = start + 1;
            while (cut < n && fits(start, cut + 1))
                ++cut;
            end = cut;
        }
        out << withoutTrailingBlanks(p.mid(start, end - start));
        emitted = true;
        start = end;
        while (start < n && isBlank(p[start]))
            ++start;
    }
    if (!emitted) out << QString();
}

} // namespace

QStringList WrapText(const QString& text, const QFontMetrics& metrics, int width) {
    QString t = text;
    t.remove(QLatin1Char('\r'));
    if (t.endsWith(QLatin1Char('\n'))) t.chop(1);
    QStringList lines;
    if (t.isEmpty()) return lines;
    for (const QString& paragraph : t.split(QLatin1Char('\n')))
        wrapParagraph(paragraph, metrics, width, lines);
    return lines;
}

QStringList HelpPrintLines(const QString& text) {
    return WrapText(text, QFontMetrics(HelpScreenFont()), kHelpWrapWidth);
}

HelpTopic ReadHelpTopic(store::Query& q, int topic) {
    q.open({QStringLiteral("SELECT Tab_Help, Tab_Name"), QStringLiteral("FROM Help_Text"),
            QStringLiteral("WHERE Tab_Number = ") + QString::number(topic)});
    HelpTopic t{q.text(0), q.text(1)};
    q.close();
    return t;
}

QString ReadLicenceText(const QString& programFolder) {
    const QString path = programFolder + QStringLiteral("Eula.txt");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("The licence text could not be read from ") + path +
               QStringLiteral(" (") + f.errorString() + QStringLiteral(").");
    return QString::fromUtf8(f.readAll());
}

QString VersionCaption(double version) {
    return (QStringLiteral("v. ") + QString::number(version)).left(7);
}

HelpLayout LayOutHelp(QSize client, QSize ok, QSize print) {
    HelpLayout l;
    l.ok = QRect(QPoint(client.width() - 4 - ok.width(), client.height() - 4 - ok.height()), ok);
    l.print = QRect(QPoint(l.ok.left() - 8 - print.width(), l.ok.top()), print);
    l.text = QRect(0, 0, client.width(), std::max(0, l.ok.top() - 4));
    return l;
}

} // namespace help
