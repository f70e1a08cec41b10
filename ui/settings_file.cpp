#include "ui/settings_file.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <stdexcept>

namespace app {

namespace {

constexpr qsizetype kMaxWord = 255;

class CharReader {
  public:
    explicit CharReader(const QByteArray& bytes) : bytes_(bytes) {}

    // The next character, or -1 at the end; a byte 0xFF ends the file as well.
    int get() {
        if (ended_ || pos_ >= bytes_.size()) {
            ended_ = true;
            return -1;
        }
        const auto c = static_cast<unsigned char>(bytes_[pos_]);
        if (c == 0xFF) {
            ended_ = true;
            return -1;
        }
        ++pos_;
        return c;
    }

    // Characters up to `end` (which is consumed, not kept); false when the file ends first.
    bool collectUntil(char end, QString& value) {
        value.clear();
        for (;;) {
            const int c = get();
            if (c < 0) return false;
            if (c == end) return true;
            if (value.size() < kMaxWord) value += QChar(static_cast<char16_t>(c));
        }
    }

    // The rest of the line; a file written on a platform with CR LF line ends reads the same.
    bool collectLine(QString& value) {
        if (!collectUntil('\n', value)) return false;
        if (value.endsWith(QLatin1Char('\r'))) value.chop(1);
        return true;
    }

    qsizetype position() const { return pos_; }

  private:
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
    bool ended_ = false;
};

} // namespace

SettingsRead ParseSettingsText(const QByteArray& bytes, IntegerParser parseInteger) {
    SettingsRead r;
    CharReader in(bytes);
    QString word;
    QString value;
    auto stop = [&](SettingsStop why) {
        r.stop = why;
        r.stoppedAt = in.position();
        return r;
    };
    for (;;) {
        const int c = in.get();
        if (c < 0) return stop(SettingsStop::EndOfFile);
        if (c == '\n') {
            word.clear();
            continue;
        }
        if (c != ' ') {
            if (word.size() < kMaxWord) word += QChar(static_cast<char16_t>(c));
            continue;
        }
        if (word == QLatin1String("POSITION")) {
            qint32 n = 0;
            if (!in.collectUntil('(', value) || !in.collectUntil(',', value))
                return stop(SettingsStop::EndOfFile);
            if (!parseInteger(value, n)) return stop(SettingsStop::BadPosition);
            r.left = n;
            if (!in.collectUntil(')', value)) return stop(SettingsStop::EndOfFile);
            if (!parseInteger(value, n)) return stop(SettingsStop::BadPosition);
            r.top = n;
        } else if (word == QLatin1String("ENABLE")) {
            if (!in.collectLine(value)) return stop(SettingsStop::EndOfFile);
            if (value == QLatin1String("DEVTOOLS")) r.enableDevTools = true;
        } else if (word == QLatin1String("APPEARANCE")) {
            if (!in.collectLine(value)) return stop(SettingsStop::EndOfFile);
            r.appearance =
                value == QLatin1String("STANDARD") ? Appearance::Standard : Appearance::Watermarks;
        } else if (!in.collectLine(value)) {
            return stop(SettingsStop::EndOfFile);
        }
        word.clear();
    }
}

SettingsRead ReadSettingsFile(const QString& path, IntegerParser parseInteger) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return ParseSettingsText(file.readAll(), parseInteger);
}

QByteArray SettingsFileText(const SettingsToWrite& s) {
    QByteArray text =
        "POSITION = (" + QByteArray::number(s.left) + "," + QByteArray::number(s.top) + ")\n";
    if (!s.hideDevTools) text += "ENABLE DEVTOOLS\n";
    text += s.appearance == Appearance::Standard ? "APPEARANCE STANDARD\n" : "APPEARANCE QIV\n";
    return text;
}

void WriteSettingsFile(const QString& path, const SettingsToWrite& settings) {
    // Written aside and renamed over the old file, so a failed write keeps the previous settings.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(SettingsFileText(settings)) < 0 ||
        !file.commit())
        throw std::runtime_error(QStringLiteral("Could not write the settings file \"%1\": %2")
                                     .arg(path, file.errorString())
                                     .toStdString());
}

QPoint KeepOnScreen(const QRect& frame, const QList<QRect>& availableAreas) {
    if (availableAreas.isEmpty()) return frame.topLeft();
    // Enough of the top edge to take hold of the window with the mouse.
    const int strip = std::min(frame.height(), 24);
    const int grip = std::min(frame.width(), 48);
    const QRect top(frame.topLeft(), QSize(frame.width(), strip));
    for (const QRect& area : availableAreas) {
        const QRect seen = area.intersected(top);
        if (seen.height() == strip && seen.width() >= grip) return frame.topLeft();
    }
    const auto distance = [&frame](const QRect& area) {
        const qint64 dx = std::max({0, area.left() - frame.right(), frame.left() - area.right()});
        const qint64 dy = std::max({0, area.top() - frame.bottom(), frame.top() - area.bottom()});
        return dx * dx + dy * dy;
    };
    const QRect* nearest = &availableAreas.front();
    for (const QRect& area : availableAreas)
        if (distance(area) < distance(*nearest)) nearest = &area;
    const auto into = [](int at, int size, int low, int span) {
        return size >= span ? low : std::clamp(at, low, low + span - size);
    };
    return {into(frame.x(), frame.width(), nearest->x(), nearest->width()),
            into(frame.y(), frame.height(), nearest->y(), nearest->height())};
}

} // namespace app
