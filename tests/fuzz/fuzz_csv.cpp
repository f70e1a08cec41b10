// The CSV reader: any text either reads as records or is refused with a line inside the text,
// and records written back read as the same fields.
#include "exchange/csv.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 8192) return 0;
    const QChar delimiter = (data[0] & 1) ? QLatin1Char('\t') : QLatin1Char(',');
    const QString text = fuzz::Latin1(data + 1, size - 1);
    std::vector<exchange::CsvRecord> records;
    try {
        records = exchange::ParseCsv(text, delimiter);
    } catch (const exchange::CsvError& e) {
        fuzz::Check(e.line() >= 1 && e.line() <= text.count(QLatin1Char('\n')) +
                                                     text.count(QLatin1Char('\r')) + 1,
                    "a refusal names a line outside the text", text);
        return 0;
    }
    QString written;
    int line = 0;
    for (const auto& r : records) {
        fuzz::Check(r.line > line, "records do not start on later lines", text);
        line = r.line;
        written += exchange::CsvLine(r.fields, delimiter);
    }
    const auto back = exchange::ParseCsv(written, delimiter);
    fuzz::Check(back.size() == records.size(), "written records read back as another number",
                written);
    for (size_t i = 0; i < back.size(); ++i)
        fuzz::Check(back[i].fields == records[i].fields, "written fields do not come back",
                    written);
    return 0;
}
