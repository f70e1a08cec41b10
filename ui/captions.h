#pragma once

#include <QString>

namespace ui {

// A caption as a sighted user reads it, for accessible names: a single "&" only marks the access
// key and is not shown; "&&" shows as one "&".
inline QString ReadableCaption(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) out += caption[++i];
            continue;
        }
        out += caption[i];
    }
    return out;
}

} // namespace ui
