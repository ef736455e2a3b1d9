// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CsvRecords.h"

CsvRecords::CsvRecords(char delimiter) : delimiter_(delimiter) {}

void CsvRecords::feed(QByteArrayView text)
{
    // What was read is dropped now, so the text held is one piece and one record at most.
    text_.remove(0, pos_);
    if (literalQuote_ >= 0)
        literalQuote_ -= pos_;
    pos_ = 0;
    text_.append(text);
}

bool CsvRecords::next()
{
    const char* s = text_.constData();
    const qsizetype n = text_.size();
    if (pos_ >= n)
        return false;
    // Past maxRecord characters without an end, the record ends where the text does.
    const bool atEnd = finished_ || n - pos_ > maxRecord;
    fields_.clear();
    qsizetype i = pos_;
    for (;;) {
        Field field{i, 0, false};
        qsizetype j = i;
        if (i < n && s[i] == '"' && i != literalQuote_) {
            j = i + 1;
            for (;;) {
                while (j < n && s[j] != '"')
                    ++j;
                if (j + 1 < n && s[j + 1] == '"') {
                    field.doubledQuotes = true;
                    j += 2;
                    continue;
                }
                break;
            }
            if (j >= n || (j + 1 == n && !atEnd)) {
                if (!atEnd)
                    return false;
                if (j >= n) {
                    // Never closed: the quote was a plain character after all.
                    literalQuote_ = i;
                    continue;
                }
            }
            field = {i + 1, j - i - 1, field.doubledQuotes};
            // Text between the closing quote and the delimiter is not part of any field.
            for (++j; j < n && s[j] != delimiter_ && s[j] != '\n' && s[j] != '\r';)
                ++j;
        } else {
            while (j < n && s[j] != delimiter_ && s[j] != '\n' && s[j] != '\r')
                ++j;
            field.size = j - i;
        }
        if (j >= n && !atEnd)
            return false;
        fields_.append(field);
        if (j < n && s[j] == delimiter_) {
            i = j + 1;
            continue;
        }
        if (j < n && s[j] == '\r') {
            if (j + 1 == n && !atEnd)
                return false;
            if (j + 1 < n && s[j + 1] == '\n')
                ++j;
        }
        pos_ = j < n ? j + 1 : n;
        return true;
    }
}

QByteArrayView CsvRecords::field(qsizetype i, QByteArray& scratch) const
{
    if (i >= fields_.size())
        return {};
    const Field& f = fields_[i];
    const QByteArrayView value = QByteArrayView(text_).sliced(f.begin, f.size);
    if (!f.doubledQuotes)
        return value;
    scratch = value.toByteArray().replace("\"\"", "\"");
    return scratch;
}
