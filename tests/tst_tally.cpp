// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/HostTally.h"

#include <QTest>

namespace {

// Every host with its count, then its links, each with the fields it carries.
QString shown(const HostTally& tally)
{
    QStringList hosts;
    for (qsizetype h = 0; h < tally.hostCount(); ++h) {
        QString text = tally.host(h) + u'(' + QString::number(tally.count(h)) + u')';
        for (qsizetype i = 0; i < tally.linkCount(h); ++i) {
            text += u' ' + tally.link(h, i);
            if (tally.hasFields())
                text += u'[' + tally.field(h, i, HostTally::Field::Anchor) + u'/' +
                        tally.field(h, i, HostTally::Field::Target) + u'/' +
                        tally.field(h, i, HostTally::Field::Rel) + u']';
        }
        hosts.append(text);
    }
    return hosts.join(u" | "_qs);
}

} // namespace

class TestTally : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void script_data();
    void script();
    void largeText();
};

void TestTally::script_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("tally");
    // The copy taken at "copy" ("k" adds to it), or the tally grouped at "group".
    QTest::addColumn<QString>("kept");

    QTest::newRow("order met, case kept, twice stored twice")
        << u"a b.x 1; a A.x 2; a b.x 3; a b.x 3; a 中文.x 页"_qs
        << u"b.x(3) 1 3 3 | A.x(1) 2 | 中文.x(1) 页"_qs << QString();
    QTest::newRow("fields only where given")
        << u"h b.x; l 0 1; l 0 2 锚/t/nofollow; l 0 3"_qs
        << u"b.x(3) 1[//] 2[锚/t/nofollow] 3[//]"_qs << QString();
    QTest::newRow("a count in place of the links")
        << u"h a.x; c 0 11234; a b.x 1; a a.x 2"_qs << u"a.x(11234) 2 | b.x(1) 1"_qs << QString();
    QTest::newRow("a copy keeps what it saw")
        << u"a a.x 1; copy; a a.x 2; k c.x 9; a b.x 3; c 0 7"_qs << u"a.x(7) 1 2 | b.x(1) 3"_qs
        << u"a.x(1) 1 | c.x(1) 9"_qs;
    QTest::newRow("groups in the order met, links in the order found")
        << u"a p.a.x 1; a q.b.x 2; a r.a.x 3; a q.b.x 4; group; a p.a.x 5"_qs
        << u"p.a.x(2) 1 5 | q.b.x(2) 2 4 | r.a.x(1) 3"_qs << u"a.x(2) 1 3 | b.x(2) 2 4"_qs;
    QTest::newRow("groups add their hosts' counts")
        << u"a p.a.x 1; a q.a.x 2; h r.a.x; c 2 40; group"_qs
        << u"p.a.x(1) 1 | q.a.x(1) 2 | r.a.x(40)"_qs << u"a.x(42) 1 2"_qs;
}

void TestTally::script()
{
    QFETCH(QString, script);
    HostTally tally, kept;
    for (const QString& step : script.split(u"; "_qs)) {
        const QStringList w = step.split(u' ');
        if (w[0] == u"a")
            tally.add(w[1], w[2]);
        else if (w[0] == u"h")
            tally.addHost(w[1].toUtf8());
        else if (w[0] == u"l") {
            const QList<QByteArray> f = w.value(3).toUtf8().split('/');
            tally.addLink(w[1].toInt(), w[2].toUtf8(), {f.value(0), f.value(1), f.value(2)});
        } else if (w[0] == u"c")
            tally.setCount(w[1].toInt(), w[2].toLongLong());
        else if (w[0] == u"k")
            kept.add(w[1], w[2]);
        else if (w[0] == u"copy")
            kept = tally;
        else if (w[0] == u"group")
            kept = tally.grouped([](const QString& host) { return host.section(u'.', 1); });
    }
    QTEST(shown(tally), "tally");
    QTEST(shown(kept), "kept");
    QCOMPARE(tally.indexOf(u"nowhere.x"), -1);
}

// Text far past the first blocks, and one link longer than any block holds.
void TestTally::largeText()
{
    HostTally tally;
    const QString page(5000, u'页');
    for (int i = 0; i < 3000; ++i)
        tally.add(QString::number(i % 3), QString(page + QString::number(i)));
    tally.add(u"long", QString(9 << 20, u'é'));
    QCOMPARE(tally.linkCount(), 3001);
    QCOMPARE(tally.link(2, 999), page + u"2999");
    QCOMPARE(tally.linkAt(1234), page + u"1234");
    QCOMPARE(tally.link(3, 0).size(), (1 << 23) - 1);
    QCOMPARE(tally.linkUtf8At(3000).size(), (1 << 24) - 2); // cut whole, at a character
}

QTEST_GUILESS_MAIN(TestTally)
#include "tst_tally.moc"
