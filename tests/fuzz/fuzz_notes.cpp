// The notes format: any list of lines comes back exactly, and any stored text reads as lines
// that write and read back unchanged.
#include "fuzz_support.h"
#include "store/stored_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 4096) return 0;
    const QString text = fuzz::Utf16Units(data + 1, size - 1);
    if (data[0] & 1) {
        // Lines as a notes box holds them: split at line breaks.
        const QStringList lines = text.split(QLatin1Char('\n'));
        const QString written = store::NotesToText(lines);
        const QStringList back = store::NotesFromText(written);
        if (back != lines) fuzz::Fail("notes lines do not come back", written);
        // The joined text keeps no line break outside a quoted line.
        for (const QString& line : lines)
            if (!line.isEmpty() && !line.contains(QLatin1Char('~')) &&
                !line.contains(QLatin1Char('`')))
                fuzz::Check(written.contains(line), "a line is not in the written notes", line);
    } else {
        // Whatever a database holds: reading, writing and reading again gives the same lines.
        const QStringList lines = store::NotesFromText(text);
        const QString again = store::NotesToText(lines);
        if (store::NotesFromText(again) != lines)
            fuzz::Fail("notes read from a text do not survive writing", text);
    }
    return 0;
}
