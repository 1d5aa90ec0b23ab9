#include "compare/commandline.h"

#include "about/versioninfo.h"
#include "compare/comparison.h"
#include "lists/filegroupwriter.h"
#include "lists/linekey.h"
#include "lists/parallel.h"
#include "lists/textloader.h"
#include "platform/apperror.h"
#include "platform/processinfo.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

const QString Program = QStringLiteral("pairsight-compare");

// Shows the percentage on standard error while a comparison runs.
class ProgressDisplay
{
public:
    explicit ProgressDisplay(const CompareProgress &progress)
        // A display that fails only stops showing: the comparison goes on.
        : m_thread([this, &progress] { (void)capturingException([&] { run(progress); }); })
    {
    }
    ~ProgressDisplay()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        m_thread.join();
        print(stderr, QStringLiteral("\r%1\r").arg(QString(), 20));
    }

private:
    void run(const CompareProgress &progress)
    {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(250), [this] { return m_stop; })) {
            const auto percent = progressPercent(progress.ProgressStage.load(std::memory_order_relaxed),
                                                 progress.ProgressTotal.load(std::memory_order_relaxed),
                                                 progress.ProgressCurrent.load(std::memory_order_relaxed));
            if (percent)
                print(stderr, QStringLiteral("\rComparing... %1%").arg(*percent));
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

struct Options
{
    TextEncoding encoding = TextEncoding::Utf8;
    LoadOptions load;
    Matching matching;
    LineKey key;
    bool header = false;
    bool calculateUnion = false;
    bool pairs = false;
    bool stats = false;
    QString outputFolder;
    QString file1, file2;
};

int usageError(const QCommandLineParser &parser, const QString &message)
{
    print(stderr, Program + QStringLiteral(": ") + message + u'\n' + parser.helpText());
    return 2;
}

} // namespace

int runCompareCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compares two lists of text lines with the collation of your locale and writes intersection.txt,\n"
        "only1.txt and only2.txt (and union.txt, written-differently.txt) in UTF-8, as the results window of "
        "Pairsight saves them."));
    const QCommandLineOption encoding(
        QStringLiteral("encoding"),
        QStringLiteral(
            "Encoding of both files: ANSI, ASCII, Unicode, \"Big Endian Unicode\", UTF-8 (default) "
            "or UTF-7. A byte-order mark wins."),
        QStringLiteral("name"), QStringLiteral("UTF-8"));
    const QCommandLineOption caseSensitive(QStringLiteral("case-sensitive"),
                                           QStringLiteral("Lines that differ in letter case are different."));
    const QCommandLineOption ignoreAccents(QStringLiteral("ignore-accents"),
                                           QStringLiteral("Lines that differ only in accents are the same."));
    const QCommandLineOption ignorePunctuation(
        QStringLiteral("ignore-punctuation"),
        QStringLiteral("Spaces and punctuation do not count when matching lines."));
    const QCommandLineOption ignoreWhitespace(
        QStringLiteral("ignore-whitespace"),
        QStringLiteral("Strip blanks and control characters from both ends of each line; skip empty lines."));
    const QCommandLineOption noSort(QStringLiteral("no-sort"),
                                    QStringLiteral("Do not sort the lists when loading."));
    const QCommandLineOption withUnion(QStringLiteral("union"), QStringLiteral("Also write union.txt."));
    const QCommandLineOption field(
        QStringLiteral("field"),
        QStringLiteral("Compare field N (from 1) of each line instead of the whole line."),
        QStringLiteral("N"));
    const QCommandLineOption delimiter(
        QStringLiteral("delimiter"),
        QStringLiteral(
            "What separates the fields: tab (default), comma, semicolon, pipe, space or one character."),
        QStringLiteral("C"));
    const QCommandLineOption csv(
        QStringLiteral("csv"),
        QStringLiteral("Fields in double quotes may hold the delimiter; \"\" is a quote."));
    const QCommandLineOption keyPattern(
        QStringLiteral("key-pattern"),
        QStringLiteral(
            "Compare what this regular expression finds in each line: its first group, else the match."),
        QStringLiteral("REGEX"));
    const QCommandLineOption header(
        QStringLiteral("header"),
        QStringLiteral("The first line of each file is a header, out of the comparison,\n"
                       "written at the top of each result file."));
    const QCommandLineOption pairs(
        QStringLiteral("pairs"),
        QStringLiteral("Also write written-differently.txt: each line of list #1 that matched a line of\n"
                       "list #2 written differently, a TAB and that line."));
    const QCommandLineOption output(
        QStringLiteral("output"),
        QStringLiteral("Folder for the result files (default: the current folder)."), QStringLiteral("dir"),
        QStringLiteral("."));
    const QCommandLineOption stats(
        QStringLiteral("stats"),
        QStringLiteral("Print the time of each phase and the peak memory on stderr."));
    const QCommandLineOption help(QStringLiteral("help"), QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    parser.addOptions({encoding, caseSensitive, ignoreAccents, ignorePunctuation, ignoreWhitespace, field,
                       delimiter, csv, keyPattern, header, noSort, withUnion, pairs, output, stats, help,
                       version});
    parser.addPositionalArgument(QStringLiteral("LIST1"), QStringLiteral("The file of list #1."));
    parser.addPositionalArgument(QStringLiteral("LIST2"), QStringLiteral("The file of list #2."));

    if (!parser.parse(arguments))
        return usageError(parser, parser.errorText());
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return 0;
    }
    const TEXEVersionData versionData = GetEXEVersionData();
    if (parser.isSet(version)) {
        print(stdout, versionData.ProductName + u' ' + formatFixedVersion(getExeFixedVersion()) + u'\n');
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return usageError(parser, QStringLiteral("two list files are needed, %1 given").arg(files.size()));

    Options options;
    const auto chosen = encodingFromName(parser.value(encoding));
    if (!chosen)
        return usageError(parser, QStringLiteral("unknown encoding \"%1\"").arg(parser.value(encoding)));
    options.encoding = *chosen;
    options.load.ignoreWhitespace = parser.isSet(ignoreWhitespace);
    options.load.sortWhenLoading = !parser.isSet(noSort);
    options.matching
        = {parser.isSet(caseSensitive), parser.isSet(ignoreAccents), parser.isSet(ignorePunctuation)};
    options.calculateUnion = parser.isSet(withUnion);
    options.pairs = parser.isSet(pairs);
    options.header = parser.isSet(header);
    if (parser.isSet(field) && parser.isSet(keyPattern))
        return usageError(parser, QStringLiteral("--field and --key-pattern cannot be used together"));
    if ((parser.isSet(delimiter) || parser.isSet(csv)) && !parser.isSet(field))
        return usageError(parser, QStringLiteral("--delimiter and --csv need --field"));
    if (parser.isSet(field)) {
        bool number = false;
        const int n = parser.value(field).toInt(&number);
        if (!number || n < 1)
            return usageError(
                parser,
                QStringLiteral("the field \"%1\" is not a number from 1 on").arg(parser.value(field)));
        QChar separator = u'\t';
        if (parser.isSet(delimiter)) {
            const std::optional<QChar> named = delimiterFromName(parser.value(delimiter));
            if (!named)
                return usageError(parser,
                                  QStringLiteral("the delimiter \"%1\" is not tab, comma, semicolon, pipe, "
                                                 "space or one character")
                                      .arg(parser.value(delimiter)));
            separator = *named;
        }
        options.key = LineKey::field(n, separator, parser.isSet(csv));
    } else if (parser.isSet(keyPattern)) {
        try {
            options.key = LineKey::pattern(parser.value(keyPattern));
        } catch (const PatternError &error) {
            return usageError(parser, error.message());
        }
    }
    options.key.trimmed = options.load.ignoreWhitespace;
    options.stats = parser.isSet(stats);
    options.outputFolder = parser.value(output);
    if (const QFileInfo folder(options.outputFolder); !folder.isDir()) {
        return usageError(
            parser,
            folder.exists()
                ? QStringLiteral("the output \"%1\" is not a folder").arg(options.outputFolder)
                : QStringLiteral("the output folder \"%1\" does not exist").arg(options.outputFolder));
    }
    options.file1 = files[0];
    options.file2 = files[1];

    QElapsedTimer clock;
    QStringList timings;
    auto phase = [&](const QString &name) {
        timings << QStringLiteral("%1: %2 s").arg(name).arg(double(clock.nsecsElapsed()) / 1e9, 0, 'f', 3);
        clock.restart();
    };

    // Both lists load before anything is written, so an unreadable file
    // changes no result file. They load side by side.
    LineList list1, list2;
    list1.setMatching(options.matching);
    list2.setMatching(options.matching);
    list1.setKey(options.key, options.header);
    list2.setKey(options.key, options.header);
    struct Load
    {
        LineList *list;
        QString file;
        QString error;
        LoadReport report;
        double seconds = 0;
    };
    Load loads[2] = {{&list1, options.file1, {}, {}}, {&list2, options.file2, {}, {}}};
    // Decoding is one thread's work, so the lists load side by side; but
    // sorting one takes both cores, and two sorts at once would only add
    // their peaks of memory, so the lists sort one after the other.
    std::mutex sorting;
    LoadOptions unsorted = options.load;
    unsorted.sortWhenLoading = false;
    auto load = [&](Load &job) {
        QElapsedTimer timer;
        timer.start();
        try {
            job.report = loadFileToList(job.file, options.encoding, unsorted, *job.list);
            if (options.load.sortWhenLoading) {
                const std::lock_guard lock(sorting);
                job.list->setSorted(true);
            }
        } catch (const DecodeError &error) {
            job.error = QStringLiteral("%1 (invalid UTF-8 at byte offset %2)")
                            .arg(error.message())
                            .arg(error.byteOffset());
        } catch (const AppError &error) {
            job.error = error.message();
        } catch (const std::exception &error) {
            job.error = QString::fromLocal8Bit(error.what());
        }
        job.seconds = double(timer.nsecsElapsed()) / 1e9;
    };
    clock.start();
    onTwoThreads([&] { load(loads[0]); }, [&] { load(loads[1]); });
    for (const Load &job : loads) {
        if (!job.error.isEmpty()) {
            print(stderr, QStringLiteral("%1: %2: %3\n").arg(Program, job.file, job.error));
            return 1;
        }
    }
    // The lenient encodings change bytes without failing: each change is said.
    for (const Load &job : loads) {
        for (const QString &warning : loadWarnings(job.file, job.report))
            print(stderr, QStringLiteral("%1: warning: %2\n").arg(Program, warning));
    }
    timings << QStringLiteral("load 1: %1 s").arg(loads[0].seconds, 0, 'f', 3)
            << QStringLiteral("load 2: %1 s").arg(loads[1].seconds, 0, 'f', 3);
    phase(QStringLiteral("loading (side by side)"));

    CompareProgress progress;
    CompareResult result;
    {
        std::optional<ProgressDisplay> display;
        if (platform::stderrIsTerminal())
            display.emplace(progress);
        result = compareLists(
            list1, list2,
            {.calculateUnion = options.calculateUnion, .key = options.key, .header = options.header},
            progress);
    }
    const LineList *common = &*result[ResultSet::Intersection];
    const LineList *only1 = &*result[ResultSet::Only1];
    const LineList *only2 = &*result[ResultSet::Only2];
    const LineList *all = result[ResultSet::Union] ? &*result[ResultSet::Union] : nullptr;
    phase(QStringLiteral("compare"));

    const QDir folder(options.outputFolder);
    struct Output
    {
        QString name;
        const LineList *lines;
        const LineList *partners = nullptr; // for pairs: the lines of list #2
        const std::optional<QString> *header = nullptr; // the header of the list the lines come from
    };
    const std::optional<QString> *header1 = &result.headers[0], *header2 = &result.headers[1];
    std::vector<Output> outputs {{QStringLiteral("intersection.txt"), common, nullptr, header1},
                                 {QStringLiteral("only1.txt"), only1, nullptr, header1},
                                 {QStringLiteral("only2.txt"), only2, nullptr, header2}};
    if (all)
        outputs.push_back({QStringLiteral("union.txt"), all, nullptr, header1});
    const LinePairs &differently = *result.writtenDifferently;
    if (options.pairs)
        outputs.push_back(
            {QStringLiteral("written-differently.txt"), &differently.first, &differently.second});
    // All files are written under temporary names first and renamed only
    // when every one is complete, so a failed run changes no result file.
    try {
        FileGroupWriter group;
        std::vector<FileWriter *> writers;
        writers.reserve(outputs.size());
        for (const Output &file : outputs)
            writers.push_back(&group.add(folder.filePath(file.name)));
        // Two writers, each taking every other file.
        auto write = [&](size_t first) {
            for (size_t i = first; i < outputs.size(); i += 2) {
                writers[i]->write(Utf8ByteOrderMark);
                if (outputs[i].header && *outputs[i].header)
                    writers[i]->writeLine(**outputs[i].header);
                if (outputs[i].partners)
                    writers[i]->writePairs(*outputs[i].lines, *outputs[i].partners);
                else
                    writers[i]->writeLines(*outputs[i].lines);
                writers[i]->finish();
            }
        };
        onTwoThreads([&] { write(0); }, [&] { write(1); });
        group.commit();
    } catch (const AppError &error) {
        print(stderr, Program + QStringLiteral(": ") + error.message() + u'\n');
        return 1;
    } catch (const std::exception &error) {
        print(stderr, Program + QStringLiteral(": ") + QString::fromLocal8Bit(error.what()) + u'\n');
        return 1;
    }
    phase(QStringLiteral("write"));

    QString summary = QStringLiteral("intersection: %1, only #1: %2, only #2: %3, union: %4")
                          .arg(common->count())
                          .arg(only1->count())
                          .arg(only2->count())
                          .arg(all ? QString::number(all->count()) : QStringLiteral("not computed"));
    if (options.pairs)
        summary += QStringLiteral(", written differently: %1").arg(differently.count());
    if (!options.key.isWholeLine())
        summary += QStringLiteral(", without a key: %1 in #1, %2 in #2")
                       .arg(result.withoutKey[0])
                       .arg(result.withoutKey[1]);
    print(stdout, summary + u'\n');
    if (options.stats) {
        print(stderr,
              timings.join(QStringLiteral(", "))
                  + QStringLiteral(", peak memory: %1 MB\n")
                        .arg(double(platform::peakResidentBytes()) / (1024.0 * 1024.0), 0, 'f', 1));
    }
    return 0;
}
