// The comparison and Remove Duplicates against a naive reference built from
// sort keys alone: lines are equal when their keys are, and the union is in
// key order. Several locales, among them ones with contractions and ignorable
// characters (th_TH) and their own case rules (tr_TR).

#include "compare/comparison.h"
#include "fuzz/fuzzsupport.h"
#include "lists/collation.h"
#include "lists/linelist.h"

#include <map>
#include <set>

namespace {

const char *const Locales[] = {"", "en_US", "th_TH", "tr_TR", "de_DE", "sv_SE", "ja_JP", "ar_SA"};

QByteArray keyOf(const Collation &collation, QStringView line)
{
    QByteArray key;
    collation.appendSortKey(line, key);
    return key;
}

QStringList linesOf(const LineList &list)
{
    QStringList lines;
    for (qsizetype i = 0; i < list.count(); ++i)
        lines.append(list.lineAt(i));
    return lines;
}

// Text as UTF-8 (invalid bytes become U+FFFD) or as raw UTF-16 code units,
// which may hold lone surrogates.
QString textOf(const QByteArray &bytes, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(bytes);
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8));
    return text;
}

// One of each set of lines with equal keys, the first met, in key order.
QStringList distinctByKey(const Collation &collation, const QStringList &lines)
{
    std::map<QByteArray, QString> first;
    for (const QString &line : lines)
        first.try_emplace(keyOf(collation, line), line);
    QStringList result;
    for (const auto &entry : first)
        result.append(entry.second);
    return result;
}

void fill(LineList &list, const QStringList &lines)
{
    for (const QString &line : lines)
        list.append(line);
}

// Brings a list into the shape the flags ask for and checks that step.
void prepare(LineList &list, const QStringList &lines, bool sort, bool dedupe, const Matching &matching)
{
    const Collation &collation = list.collation();
    if (dedupe) {
        list.removeDuplicates(matching);
        const QStringList expected = distinctByKey(collation, lines);
        fuzz::check(linesOf(list) == expected, "Remove Duplicates differs from the keys",
                    fuzz::describe(linesOf(list), expected));
        fuzz::check(list.sorted(), "Remove Duplicates left the list unsorted");
        return;
    }
    if (!sort)
        return;
    list.setSorted(true);
    QStringList got = linesOf(list);
    for (qsizetype i = 1; i < got.size(); ++i)
        fuzz::check(keyOf(collation, got[i - 1]) <= keyOf(collation, got[i]),
                    "a sorted list is out of key order", fuzz::describe(got, {}));
    QStringList before = lines;
    got.sort();
    before.sort();
    fuzz::check(got == before, "sorting changed the lines", fuzz::describe(got, before));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input input(data, size);
    const std::uint8_t flags = input.byte();
    const std::uint8_t shape = input.byte();
    const QByteArray locale = Locales[flags & 7];
    const Matching matching {bool(flags & 0x08), bool(flags & 0x40), bool(flags & 0x80)};
    const bool wantUnion = flags & 0x10;
    const bool utf16 = flags & 0x20;

    // List #1, a NUL, list #2; lines end at LF.
    const QString text = textOf(input.rest(), utf16);
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    const QStringList lines1 = (nul < 0 ? text : text.first(nul)).split(u'\n');
    const QStringList lines2 = nul < 0 ? QStringList() : text.sliced(nul + 1).split(u'\n');

    LineList list1(locale);
    LineList list2(locale);
    list1.setMatching(matching);
    list2.setMatching(matching);
    fill(list1, lines1);
    fill(list2, lines2);
    prepare(list1, lines1, shape & 1, shape & 4, matching);
    prepare(list2, lines2, shape & 2, shape & 8, matching);

    CompareProgress progress;
    const CompareResult result
        = compareLists(list1, list2, CompareOptions {.calculateUnion = wantUnion}, progress);
    fuzz::check(!result.stopped, "a comparison stopped unasked");

    const Collation &collation = list1.collation();
    const QStringList final1 = linesOf(list1);
    const QStringList final2 = linesOf(list2);
    std::set<QByteArray> keys1, keys2;
    // Each key's lines of list #2, in its order.
    std::map<QByteArray, QStringList> lines2ByKey;
    for (const QString &line : final1)
        keys1.insert(keyOf(collation, line));
    for (const QString &line : final2) {
        keys2.insert(keyOf(collation, line));
        lines2ByKey[keyOf(collation, line)].append(line);
    }

    QStringList intersection, only1, only2;
    for (const QString &line : final1)
        (keys2.contains(keyOf(collation, line)) ? intersection : only1).append(line);
    for (const QString &line : final2) {
        if (!keys1.contains(keyOf(collation, line)))
            only2.append(line);
    }
    const QString where
        = QStringLiteral("locale \"%1\", %2\n").arg(QString::fromLatin1(locale), describeMatching(matching));
    auto expectSet = [&](ResultSet set, const QStringList &expected, const char *what) {
        fuzz::check(result[set].has_value(), what, where + QStringLiteral("missing"));
        const QStringList got = linesOf(*result[set]);
        fuzz::check(got == expected, what, where + fuzz::describe(got, expected));
    };
    expectSet(ResultSet::Intersection, intersection, "the intersection differs from the keys");
    expectSet(ResultSet::Only1, only1, "only #1 differs from the keys");
    expectSet(ResultSet::Only2, only2, "only #2 differs from the keys");
    // Written differently: each line of list #1 with the first line of list
    // #2 of its key that is not the same units.
    QStringList pairs1, pairs2;
    for (const QString &line : final1) {
        const auto found = lines2ByKey.find(keyOf(collation, line));
        if (found == lines2ByKey.end())
            continue;
        for (const QString &other : found->second) {
            if (other != line) {
                pairs1.append(line);
                pairs2.append(other);
                break;
            }
        }
    }
    fuzz::check(result.writtenDifferently.has_value(), "no written-differently pairs", where);
    const QStringList got1 = linesOf(result.writtenDifferently->first);
    const QStringList got2 = linesOf(result.writtenDifferently->second);
    fuzz::check(got1 == pairs1, "the written-differently lines of list #1 differ",
                where + fuzz::describe(got1, pairs1));
    fuzz::check(got2 == pairs2, "the written-differently lines of list #2 differ",
                where + fuzz::describe(got2, pairs2));
    if (wantUnion)
        expectSet(ResultSet::Union, distinctByKey(collation, final1 + final2),
                  "the union differs from the keys");
    else
        fuzz::check(!result[ResultSet::Union].has_value(), "a union nobody asked for");
    return 0;
}
