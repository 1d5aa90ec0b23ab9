#include "compare/commandline.h"

#include "about/versioninfo.h"
#include "compare/comparesummary.h"
#include "compare/comparison.h"
#include "compare/resultfiles.h"
#include "lists/linekey.h"
#include "lists/linewriter.h"
#include "lists/parallel.h"
#include "lists/textloader.h"
#include "platform/apperror.h"
#include "platform/processinfo.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cerrno>
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
    // The set written to standard output instead of the files.
    std::optional<ResultFile> print;
    bool crlf = false;
    bool summary = false;
    bool json = false;
    QString outputFolder;
    QString file1, file2;
};

// "-" stands for standard input.
const QString StandardInput = QStringLiteral("-");

// One line that names the problem and where to read more, as command-line
// tools do; the help itself would bury the line.
int usageError(const QString &message)
{
    print(stderr,
          Program + QStringLiteral(": ") + message + QStringLiteral("\nTry '") + Program
              + QStringLiteral(" --help' for more information.\n"));
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
        QStringLiteral("Folder for the result files, made when missing (default: the current folder)."),
        QStringLiteral("dir"), QStringLiteral("."));
    const QCommandLineOption printSet(
        QStringLiteral("print"),
        QStringLiteral("Write one set to standard output instead of the files, in UTF-8 without a mark,\n"
                       "LF after each line: %1.")
            .arg(resultSetNames().join(QStringLiteral(", "))),
        QStringLiteral("SET"));
    const QCommandLineOption crlf(QStringLiteral("crlf"),
                                  QStringLiteral("With --print, end each line in CR LF."));
    const QCommandLineOption summary(QStringLiteral("summary"),
                                     QStringLiteral("Print the summary on standard output as aligned text."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print the summary on standard output as one JSON object."));
    const QCommandLineOption stats(
        QStringLiteral("stats"),
        QStringLiteral("Print the time of each phase and the peak memory on stderr."));
    const QCommandLineOption help(QStringLiteral("help"), QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    parser.addOptions({encoding,
                       caseSensitive,
                       ignoreAccents,
                       ignorePunctuation,
                       ignoreWhitespace,
                       field,
                       delimiter,
                       csv,
                       keyPattern,
                       header,
                       noSort,
                       withUnion,
                       pairs,
                       printSet,
                       crlf,
                       summary,
                       json,
                       output,
                       stats,
                       help,
                       version});
    parser.addPositionalArgument(QStringLiteral("LIST1"),
                                 QStringLiteral("The file of list #1; - reads standard input."));
    parser.addPositionalArgument(QStringLiteral("LIST2"),
                                 QStringLiteral("The file of list #2; - reads standard input."));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return 0;
    }
    const TEXEVersionData versionData = GetEXEVersionData();
    if (parser.isSet(version)) {
        print(stdout, versionData.ProductName + u' ' + formatFixedVersion(getExeFixedVersion()) + u'\n');
        return 0;
    }
    const QStringList lists = parser.positionalArguments();
    if (lists.size() != 2)
        return usageError(QStringLiteral("two list files are needed, %1 given").arg(lists.size()));
    if (lists[0] == StandardInput && lists[1] == StandardInput)
        return usageError(QStringLiteral("only one of the lists can be read from standard input"));

    Options options;
    const auto chosen = encodingFromName(parser.value(encoding));
    if (!chosen)
        return usageError(QStringLiteral("unknown encoding \"%1\"").arg(parser.value(encoding)));
    options.encoding = *chosen;
    options.load.ignoreWhitespace = parser.isSet(ignoreWhitespace);
    options.load.sortWhenLoading = !parser.isSet(noSort);
    options.matching
        = {parser.isSet(caseSensitive), parser.isSet(ignoreAccents), parser.isSet(ignorePunctuation)};
    options.calculateUnion = parser.isSet(withUnion);
    options.pairs = parser.isSet(pairs);
    options.header = parser.isSet(header);
    if (parser.isSet(field) && parser.isSet(keyPattern))
        return usageError(QStringLiteral("--field and --key-pattern cannot be used together"));
    if ((parser.isSet(delimiter) || parser.isSet(csv)) && !parser.isSet(field))
        return usageError(QStringLiteral("--delimiter and --csv need --field"));
    if (parser.isSet(field)) {
        bool number = false;
        const int n = parser.value(field).toInt(&number);
        if (!number || n < 1)
            return usageError(
                QStringLiteral("the field \"%1\" is not a number from 1 on").arg(parser.value(field)));
        QChar separator = u'\t';
        if (parser.isSet(delimiter)) {
            const std::optional<QChar> named = delimiterFromName(parser.value(delimiter));
            if (!named)
                return usageError(QStringLiteral("the delimiter \"%1\" is not tab, comma, semicolon, pipe, "
                                                 "space or one character")
                                      .arg(parser.value(delimiter)));
            separator = *named;
        }
        options.key = LineKey::field(n, separator, parser.isSet(csv));
    } else if (parser.isSet(keyPattern)) {
        try {
            options.key = LineKey::pattern(parser.value(keyPattern));
        } catch (const PatternError &error) {
            return usageError(error.message());
        }
    }
    options.key.trimmed = options.load.ignoreWhitespace;
    options.stats = parser.isSet(stats);
    if (parser.values(printSet).size() > 1)
        return usageError(QStringLiteral("--print can be given once"));
    if (parser.isSet(printSet)) {
        options.print = resultSetNamed(parser.value(printSet));
        if (!options.print)
            return usageError(QStringLiteral("the set \"%1\" is not one of %2")
                                  .arg(parser.value(printSet), resultSetNames().join(QStringLiteral(", "))));
        if (*options.print == ResultFile::Union)
            options.calculateUnion = true;
        if (*options.print == ResultFile::WrittenDifferently)
            options.pairs = true;
    }
    options.crlf = parser.isSet(crlf);
    if (options.crlf && !options.print)
        return usageError(QStringLiteral("--crlf needs --print"));
    options.summary = parser.isSet(summary);
    options.json = parser.isSet(json);
    if (options.summary && options.json)
        return usageError(QStringLiteral("--summary and --json cannot be used together"));
    if (options.print && (options.summary || options.json))
        return usageError(
            QStringLiteral("--print leaves standard output to the set: no --summary or --json"));
    options.outputFolder = parser.value(output);
    if (const QFileInfo folder(options.outputFolder); folder.exists() && !folder.isDir())
        return usageError(QStringLiteral("the output \"%1\" is not a folder").arg(options.outputFolder));
    options.file1 = lists[0];
    options.file2 = lists[1];
    // Made before the work, so that a folder that cannot be made costs no comparison.
    if (!options.print) {
        errno = 0;
        if (!QDir().mkpath(options.outputFolder)) {
            const int error = errno;
            print(stderr,
                  QStringLiteral("%1: Cannot create the folder \"%2\". %3\n")
                      .arg(Program, QDir::toNativeSeparators(options.outputFolder),
                           systemReason(error != 0 ? error : EIO)));
            return 1;
        }
    }

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
            job.report = job.file == StandardInput
                ? loadStandardInputToList(options.encoding, unsorted, *job.list)
                : loadFileToList(job.file, options.encoding, unsorted, *job.list);
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
    const auto nameOf
        = [](const Load &job) { return job.file == StandardInput ? standardInputName() : job.file; };
    for (const Load &job : loads) {
        if (!job.error.isEmpty()) {
            print(stderr, QStringLiteral("%1: %2: %3\n").arg(Program, nameOf(job), job.error));
            return 1;
        }
    }
    // The lenient encodings change bytes without failing: each change is said.
    for (const Load &job : loads) {
        for (const QString &warning : loadWarnings(nameOf(job), job.report))
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
    phase(QStringLiteral("compare"));

    const LinePairs &differently = *result.writtenDifferently;
    ResultFiles files;
    files.intersection = &*result[ResultSet::Intersection];
    files.only1 = &*result[ResultSet::Only1];
    files.only2 = &*result[ResultSet::Only2];
    files.all = result[ResultSet::Union] ? &*result[ResultSet::Union] : nullptr;
    files.pairs = options.pairs ? &differently : nullptr;
    files.headers = result.headers;
    const SummaryContent content {.writtenDifferently = options.pairs};
    files.summary = summaryText(result.summary, content);
    try {
        if (options.print) {
            StreamWriter out(stdout, QStringLiteral("standard output"), options.crlf);
            writeResult(out, files, *options.print);
            out.flush();
        } else {
            // All files are written under temporary names first and renamed
            // only when every one is complete, so a failed run changes no
            // result file.
            writeResultFiles(QDir(options.outputFolder), files);
        }
    } catch (const BrokenPipe &) {
        // The reader has what it wanted (head, say): nothing went wrong here.
        return 0;
    } catch (const AppError &error) {
        print(stderr, Program + QStringLiteral(": ") + error.message() + u'\n');
        return 1;
    } catch (const std::exception &error) {
        print(stderr, Program + QStringLiteral(": ") + QString::fromLocal8Bit(error.what()) + u'\n');
        return 1;
    }
    phase(QStringLiteral("write"));

    if (options.summary) {
        print(stdout, *files.summary);
    } else if (options.json) {
        print(stdout, QString::fromUtf8(summaryJson(result.summary)) + u'\n');
    } else if (!options.print) {
        const CompareSummary &counts = result.summary;
        QString line
            = QStringLiteral("intersection: %1, only #1: %2, only #2: %3, union: %4")
                  .arg(files.intersection->count())
                  .arg(files.only1->count())
                  .arg(files.only2->count())
                  .arg(files.all ? QString::number(files.all->count()) : QStringLiteral("not computed"));
        if (options.pairs)
            line += QStringLiteral(", written differently: %1").arg(differently.count());
        if (!options.key.isWholeLine())
            line += QStringLiteral(", without a key: %1 in #1, %2 in #2")
                        .arg(counts.withoutKey[0])
                        .arg(counts.withoutKey[1]);
        print(stdout, line + u'\n');
    }
    if (options.stats) {
        print(stderr,
              timings.join(QStringLiteral(", "))
                  + QStringLiteral(", peak memory: %1 MB\n")
                        .arg(double(platform::peakResidentBytes()) / (1024.0 * 1024.0), 0, 'f', 1));
    }
    return 0;
}
