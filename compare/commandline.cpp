#include "compare/commandline.h"

#include "about/versioninfo.h"
#include "compare/comparesummary.h"
#include "compare/comparison.h"
#include "compare/externalcompare.h"
#include "compare/resultfiles.h"
#include "lists/filegroupwriter.h"
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
#include <functional>
#include <limits>
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

// Shows what the comparison is doing on standard error, at most a few
// times a second, while it runs.
class ProgressDisplay
{
public:
    // `describe` gives the line to show, or an empty text for none.
    explicit ProgressDisplay(std::function<QString()> describe)
        // A display that fails only stops showing: the comparison goes on.
        : m_describe(std::move(describe))
        , m_thread([this] { (void)capturingException([&] { run(); }); })
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
        if (m_width > 0)
            print(stderr, QStringLiteral("\r%1\r").arg(QString(), m_width));
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        QString shown;
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_stop; })) {
            const QString text = m_describe();
            if (text.isEmpty() || text == shown)
                continue;
            // Padded over what the last line left.
            print(stderr, u'\r' + text.leftJustified(int(shown.size())));
            m_width = std::max(m_width, int(text.size()));
            shown = text;
        }
    }

    std::function<QString()> m_describe;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    int m_width = 0;
    std::thread m_thread;
};

QString describeProgress(const CompareProgress &progress)
{
    const auto percent = progressPercent(progress.ProgressStage.load(std::memory_order_relaxed),
                                         progress.ProgressTotal.load(std::memory_order_relaxed),
                                         progress.ProgressCurrent.load(std::memory_order_relaxed));
    return percent ? QStringLiteral("Comparing... %1%").arg(*percent) : QString();
}

QString describeProgress(const ExternalProgress &progress)
{
    static const char *const names[] = {"", "Reading list #1", "Reading list #2", "Merging", "Writing"};
    const int phase = progress.phase.load(std::memory_order_relaxed);
    if (phase <= ExternalProgress::Starting || phase > ExternalProgress::Writing)
        return {};
    const qint64 total = progress.total.load(std::memory_order_relaxed);
    const qint64 done = progress.done.load(std::memory_order_relaxed);
    const QString name = QString::fromLatin1(names[phase]);
    if (total <= 0)
        return name + QStringLiteral("...");
    return QStringLiteral("%1... %2%").arg(name).arg(std::min<qint64>(done * 100 / total, 100));
}

// A size such as 512M or 2G (binary multiples), in bytes; nullopt for none.
std::optional<qint64> parseSize(const QString &text)
{
    QString digits = text.trimmed();
    qint64 unit = 1;
    if (!digits.isEmpty()) {
        switch (digits.back().toUpper().unicode()) {
        case u'K':
            unit = qint64 {1} << 10;
            break;
        case u'M':
            unit = qint64 {1} << 20;
            break;
        case u'G':
            unit = qint64 {1} << 30;
            break;
        case u'T':
            unit = qint64 {1} << 40;
            break;
        default:
            break;
        }
        if (unit != 1)
            digits.chop(1);
    }
    bool number = false;
    const qint64 value = digits.toLongLong(&number);
    if (!number || value <= 0 || value > std::numeric_limits<qint64>::max() / unit)
        return std::nullopt;
    return value * unit;
}

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
    qint64 memory = 0;
    bool external = false;
    QString tempDir;
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

// What a list's loader threw, as the line after its name says it.
QString loadErrorText(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const DecodeError &decoding) {
        // One line, as every message here: the window's second line goes in the brackets.
        return QStringLiteral("%1 (invalid UTF-8 at byte offset %2, on line %3)")
            .arg(noMappingMessage(), QString::number(decoding.byteOffset()),
                 QString::number(decoding.line()));
    } catch (const AppError &failure) {
        return failure.message();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("There is not enough memory to read it");
    } catch (const std::exception &failure) {
        return QString::fromLocal8Bit(failure.what());
    }
}

QString listName(const QString &file)
{
    return file == StandardInput ? standardInputName() : file;
}

// The line the program prints when no other output is asked for.
QString countsLine(const Options &options, const CompareSummary &counts)
{
    const auto set = [&](ResultSet which) { return counts.sets[size_t(which)].value_or(0); };
    const auto all = counts.sets[size_t(ResultSet::Union)];
    QString line = QStringLiteral("intersection: %1, only #1: %2, only #2: %3, union: %4")
                       .arg(set(ResultSet::Intersection))
                       .arg(set(ResultSet::Only1))
                       .arg(set(ResultSet::Only2))
                       .arg(all ? QString::number(*all) : QStringLiteral("not computed"));
    if (options.pairs)
        line += QStringLiteral(", written differently: %1").arg(counts.writtenDifferently);
    if (!options.key.isWholeLine())
        line += QStringLiteral(", without a key: %1 in #1, %2 in #2")
                    .arg(counts.withoutKey[0])
                    .arg(counts.withoutKey[1]);
    return line + u'\n';
}

// Prints what is asked for once the result files are written.
void reportResults(const Options &options, const CompareSummary &summary, const QString &summaryText)
{
    if (options.summary)
        print(stdout, summaryText);
    else if (options.json)
        print(stdout, QString::fromUtf8(summaryJson(summary)) + u'\n');
    else if (!options.print)
        print(stdout, countsLine(options, summary));
}

// The lists compared on disk, in runs: for lists larger than memory.
int compareOnDisk(const Options &options)
{
    QElapsedTimer clock;
    clock.start();
    ExternalJob job;
    job.files = {options.file1 == StandardInput ? QString() : options.file1,
                 options.file2 == StandardInput ? QString() : options.file2};
    job.encoding = options.encoding;
    job.ignoreWhitespace = options.load.ignoreWhitespace;
    job.sorted = options.load.sortWhenLoading;
    job.matching = options.matching;
    job.key = options.key;
    job.header = options.header;
    job.calculateUnion = options.calculateUnion;
    job.memoryBytes = options.memory;
    job.tempParent = options.tempDir;

    const SummaryContent content {.writtenDifferently = options.pairs};
    ExternalProgress progress;
    try {
        ExternalOutcome outcome;
        std::optional<StreamWriter> out;
        FileGroupWriter group;
        FileWriter *summaryFile = nullptr;
        ExternalSinks sinks;
        auto sinkFor = [&](ResultFile file) -> LineSink *& {
            switch (file) {
            case ResultFile::Intersection:
                return sinks.intersection;
            case ResultFile::Only1:
                return sinks.only1;
            case ResultFile::Only2:
                return sinks.only2;
            case ResultFile::OneListOnly:
                return sinks.oneListOnly;
            case ResultFile::Union:
                return sinks.all;
            case ResultFile::WrittenDifferently:
            case ResultFile::Summary:
                break;
            }
            return sinks.pairs;
        };
        if (options.print) {
            out.emplace(stdout, QStringLiteral("standard output"), options.crlf);
            sinkFor(*options.print) = &*out;
        } else {
            // The files of the in-memory run, in its order, each written under
            // a temporary name and renamed once all are complete.
            std::vector<ResultFile> files {ResultFile::Intersection, ResultFile::Only1, ResultFile::Only2,
                                           ResultFile::OneListOnly};
            if (options.calculateUnion)
                files.push_back(ResultFile::Union);
            if (options.pairs)
                files.push_back(ResultFile::WrittenDifferently);
            const QDir folder(options.outputFolder);
            for (ResultFile file : files) {
                FileWriter &writer = group.add(folder.filePath(resultFileName(file)));
                writer.write(Utf8ByteOrderMark);
                sinkFor(file) = &writer;
            }
            summaryFile = &group.add(folder.filePath(resultFileName(ResultFile::Summary)));
            summaryFile->write(Utf8ByteOrderMark);
        }
        {
            std::optional<ProgressDisplay> display;
            if (platform::stderrIsTerminal())
                display.emplace([&progress] { return describeProgress(progress); });
            outcome = compareExternally(job, sinks, progress);
        }
        const QString summaryText = ::summaryText(outcome.summary, content);
        for (int list = 0; list < 2; ++list) {
            for (const QString &warning : loadWarnings(listName(list == 0 ? options.file1 : options.file2),
                                                       outcome.reports[size_t(list)]))
                print(stderr, QStringLiteral("%1: warning: %2\n").arg(Program, warning));
        }
        if (out) {
            out->flush();
        } else {
            for (QStringView line : QStringView(summaryText).split(u'\n', Qt::SkipEmptyParts))
                summaryFile->writeLine(line);
            group.commit();
        }
        reportResults(options, outcome.summary, summaryText);
        if (options.stats) {
            print(
                stderr,
                QStringLiteral("compare on disk: %1 s (reading list #1: %2 s, list #2: %3 s, merging: %4 s, "
                               "writing: %5 s), runs: %6 + %7, peak temp: %8 MB, peak memory: %9 MB\n")
                    .arg(double(clock.nsecsElapsed()) / 1e9, 0, 'f', 3)
                    .arg(outcome.seconds[0], 0, 'f', 3)
                    .arg(outcome.seconds[1], 0, 'f', 3)
                    .arg(outcome.seconds[2], 0, 'f', 3)
                    .arg(outcome.seconds[3], 0, 'f', 3)
                    .arg(outcome.runs[0])
                    .arg(outcome.runs[1])
                    .arg(double(outcome.peakTempBytes) / (1024.0 * 1024.0), 0, 'f', 1)
                    .arg(double(platform::peakResidentBytes()) / (1024.0 * 1024.0), 0, 'f', 1));
        }
    } catch (const ListReadFailure &failure) {
        print(stderr,
              QStringLiteral("%1: %2: %3\n")
                  .arg(Program, listName(failure.list == 0 ? options.file1 : options.file2),
                       loadErrorText(failure.error)));
        return 1;
    } catch (const BrokenPipe &) {
        return 0;
    } catch (const AppError &error) {
        print(stderr, Program + QStringLiteral(": ") + error.message() + u'\n');
        return 1;
    } catch (const std::bad_alloc &) {
        print(stderr,
              Program
                  + QStringLiteral(
                      ": There is not enough memory for the comparison; try a smaller --memory\n"));
        return 1;
    } catch (const std::exception &error) {
        print(stderr, Program + QStringLiteral(": ") + QString::fromLocal8Bit(error.what()) + u'\n');
        return 1;
    }
    return 0;
}

// What comparing in memory would take: measured at about 3.5 times the
// files' bytes. Standard input, of unknown size, counts as nothing.
qint64 estimatedMemory(const Options &options)
{
    qint64 bytes = 0;
    for (const QString &file : {options.file1, options.file2}) {
        if (file != StandardInput)
            bytes += QFileInfo(file).size();
    }
    return bytes / 2 * 7;
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
    const QCommandLineOption memory(
        QStringLiteral("memory"),
        QStringLiteral("The working memory to keep to, such as 512M or 2G (default: half of the machine's).\n"
                       "Lists that would need more are compared on disk (see --external)."),
        QStringLiteral("SIZE"));
    const QCommandLineOption external(
        QStringLiteral("external"),
        QStringLiteral("Compare on disk whatever the size: sorted runs of each list in a temporary\n"
                       "folder, merged. The results are the same."));
    const QCommandLineOption tempDir(
        QStringLiteral("temp-dir"),
        QStringLiteral(
            "Where the temporary folder of a comparison on disk is made (default: $TMPDIR, else /tmp)."),
        QStringLiteral("DIR"));
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
                       memory,
                       external,
                       tempDir,
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
    if (parser.isSet(memory)) {
        const std::optional<qint64> size = parseSize(parser.value(memory));
        if (!size)
            return usageError(QStringLiteral("the memory size \"%1\" is not a number with K, M or G")
                                  .arg(parser.value(memory)));
        options.memory = *size;
    } else {
        const qint64 physical = platform::physicalMemoryBytes();
        options.memory = physical > 0 ? physical / 2 : qint64 {1} << 30;
    }
    options.external = parser.isSet(external);
    options.tempDir = parser.isSet(tempDir) ? parser.value(tempDir) : QDir::tempPath();
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

    if (options.external || estimatedMemory(options) > options.memory)
        return compareOnDisk(options);

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
        } catch (...) {
            job.error = loadErrorText(std::current_exception());
        }
        job.seconds = double(timer.nsecsElapsed()) / 1e9;
    };
    clock.start();
    onTwoThreads([&] { load(loads[0]); }, [&] { load(loads[1]); });
    const auto nameOf = [](const Load &job) { return listName(job.file); };
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
            display.emplace([&progress] { return describeProgress(progress); });
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

    reportResults(options, result.summary, *files.summary);
    if (options.stats) {
        print(stderr,
              timings.join(QStringLiteral(", "))
                  + QStringLiteral(", peak memory: %1 MB\n")
                        .arg(double(platform::peakResidentBytes()) / (1024.0 * 1024.0), 0, 'f', 1));
    }
    return 0;
}
