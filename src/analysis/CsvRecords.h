// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QVarLengthArray>

// Splits UTF-8 text fed in pieces into records of fields, quoted as RFC 4180 quotes them: a field
// opened with a quote runs to the next lone quote, over delimiters and line breaks, and a doubled
// quote inside it is one quote. Exports seen in the wild are not always well formed, so nothing
// here fails: a quote left open, or a record that runs past `maxRecord` characters, is read as
// if the text ended there, which keeps the memory held bounded and the reading linear. Bytes, not
// characters: only the cells wanted are decoded, and the delimiters, quotes and line breaks are
// ASCII, never part of a longer UTF-8 sequence.
class CsvRecords {
public:
    // `delimiter` 0 reads one field a line.
    explicit CsvRecords(char delimiter);

    // Adds text after what was fed. Invalidates the fields of the last record.
    void feed(QByteArrayView text);
    // No more text comes: the last record may end without a line break.
    void finish() { finished_ = true; }

    // Moves to the next whole record; false when more text is needed (or, after finish(), at the
    // end).
    bool next();
    qsizetype fieldCount() const { return fields_.size(); }
    // Field `i` of the record, quotes undone (in `scratch` where that takes a copy); empty past
    // the last field. Valid until the next feed().
    QByteArrayView field(qsizetype i, QByteArray& scratch) const;

    static constexpr qsizetype maxRecord = 1 << 20;

private:
    struct Field {
        qsizetype begin;
        qsizetype size;
        bool doubledQuotes;
    };

    QByteArray text_;
    qsizetype pos_ = 0;
    qsizetype literalQuote_ = -1; // a quote read as a plain character, having never closed
    QVarLengthArray<Field, 8> fields_;
    char delimiter_;
    bool finished_ = false;
};
