// The settings file: any bytes read without harm, and whatever is written reads back the same.
#include "ui/settings_file.h"
#include "fuzz_support.h"
#include "entries/number_parsing.h"

#include <cstring>

namespace {

bool (*const kParseInteger)(const QString&, qint32&) = entries::ParseInteger;

void RoundTrip(const app::SettingsToWrite& w, const QByteArray& origin) {
    const QByteArray text = app::SettingsFileText(w);
    const app::SettingsRead r = app::ParseSettingsText(text, kParseInteger);
    const QString detail =
        QString::fromLatin1(text) + QStringLiteral(" <- ") + QString::fromLatin1(origin.toHex());
    fuzz::Check(r.stop == app::SettingsStop::EndOfFile, "written settings do not read to the end",
                detail);
    fuzz::Check(r.left == w.left && r.top == w.top, "window position does not come back", detail);
    fuzz::Check(r.enableDevTools == !w.hideDevTools, "developer tools flag does not come back",
                detail);
    fuzz::Check(r.appearance == w.appearance, "appearance does not come back", detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 8192) return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Any file content: reading stops cleanly, and what was read is written and read back alike.
    const app::SettingsRead read = app::ParseSettingsText(bytes, kParseInteger);
    fuzz::Check(read.stoppedAt >= 0 && read.stoppedAt <= bytes.size(), "reading ran past the end");
    fuzz::Check(read.stop != app::SettingsStop::NoFile, "text read as no file");
    app::SettingsToWrite w;
    w.left = read.left.value_or(10);
    w.top = read.top.value_or(10);
    w.hideDevTools = !read.enableDevTools;
    w.appearance = read.appearance.value_or(app::Appearance::Watermarks);
    RoundTrip(w, bytes);

    // Any values the program may hold.
    if (size >= 9) {
        app::SettingsToWrite v;
        std::memcpy(&v.left, data, 4);
        std::memcpy(&v.top, data + 4, 4);
        v.hideDevTools = data[8] & 1;
        v.appearance = (data[8] & 2) ? app::Appearance::Standard : app::Appearance::Watermarks;
        RoundTrip(v, bytes);
    }
    return 0;
}
