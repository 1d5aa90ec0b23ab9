// pairsight-bench: measures loading (and sorting) a line file with the real
// loader: time, throughput, CPU use and memory. One mode per process, so the
// peak memory of one mode never hides in another's.

#include "compare/comparison.h"
#include "lists/linefinder.h"
#include "lists/linelist.h"
#include "lists/linelistmodel.h"
#include "lists/linesort.h"
#include "lists/paneedit.h"
#include "lists/parallel.h"
#include "lists/textloader.h"
#include "platform/processinfo.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

void printUsage(std::FILE *to)
{
    std::fputs(
        "usage: pairsight-bench load FILE [--sort] [--threads N] [--dedup [--case-sensitive]]\n"
        "                           [--locale L] [--row]\n"
        "       pairsight-bench compare FILE1 FILE2 [--union] [--locale L] [--pause]\n"
        "       pairsight-bench find FILE TEXT [--case-sensitive] [--locale L]\n"
        "       pairsight-bench copy FILE\n"
        "       pairsight-bench header\n"
        "Loads FILE (UTF-8) into a line list with the program's loader and prints the\n"
        "time, throughput, CPU time and memory.\n"
        "  --sort       sort when loading, as the loader does it (one timing)\n"
        "  --threads N  with --sort: load unsorted, then sort on N threads (0: one per\n"
        "               core), timing both phases\n"
        "  --dedup      load unsorted (sorted with --sort), then Remove Duplicates, timing both phases\n"
        "  --case-sensitive  with --dedup: lines that differ in case stay apart\n"
        "  --locale L   ICU collation locale (default en_US)\n"
        "  --row        print one tab-separated table row (see 'header')\n"
        "compare loads both files side by side, sorted, and times the stages of one\n"
        "comparison; --pause stops the process (SIGSTOP) after loading, so that a\n"
        "profiler can attach before it is continued.\n"
        "find loads FILE unsorted and looks for TEXT from the first line on, as the\n"
        "results window does, timing the search and the longest the event loop waited.\n"
        "copy loads FILE unsorted and times what Copy does in a result list with every\n"
        "row selected (one range) and with half of them in blocks of 50.\n"
        "Sizes are in MB of 10^6 bytes; memory is VmRSS and VmHWM of /proc/self/status.\n",
        to);
}

struct Stamp
{
    std::chrono::steady_clock::time_point wall;
    double cpu; // user + system seconds
    long faults; // minor page faults: first touches of fresh memory
};

Stamp now()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {std::chrono::steady_clock::now(), seconds(usage.ru_utime) + seconds(usage.ru_stime),
            usage.ru_minflt};
}

struct Span
{
    double wall = 0;
    double cpu = 0;
    long faults = 0;
    double cpuPerWall() const { return wall > 0 ? cpu / wall : 0; }
};

Span between(const Stamp &from, const Stamp &to)
{
    return {std::chrono::duration<double>(to.wall - from.wall).count(), to.cpu - from.cpu,
            to.faults - from.faults};
}

double maxResidentBytes()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) * 1024.0;
}

struct Options
{
    QString fileName;
    bool sort = false;
    std::optional<unsigned> threads;
    bool dedup = false;
    bool caseSensitive = false;
    QByteArray locale = "en_US";
    bool row = false;
};

std::optional<Options> parseLoadArguments(int argc, char **argv)
{
    Options options;
    bool haveFile = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--sort") {
            options.sort = true;
        } else if (arg == "--dedup") {
            options.dedup = true;
        } else if (arg == "--case-sensitive") {
            options.caseSensitive = true;
        } else if (arg == "--row") {
            options.row = true;
        } else if (arg == "--threads" && i + 1 < argc) {
            char *end = nullptr;
            const unsigned long value = std::strtoul(argv[++i], &end, 10);
            if (*argv[i] == '\0' || *end != '\0' || value > 1024)
                return std::nullopt;
            options.threads = unsigned(value);
        } else if (arg == "--locale" && i + 1 < argc) {
            options.locale = QByteArray(argv[++i]);
        } else if (!arg.starts_with("-") && !haveFile) {
            options.fileName = QString::fromLocal8Bit(argv[i]);
            haveFile = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveFile || (options.threads && !options.sort) || (options.dedup && options.threads)
        || (options.caseSensitive && !options.dedup))
        return std::nullopt;
    return options;
}

const char *const RowHeader = "mode\tlines\tfile MB\twall s\tcpu s\tcpu/wall\tMlines/s\tMB/s\tload s\t"
                              "sort s\tsort cpu/wall\tfaults k\tbase MB\trss MB\trss x\tpeak MB\tpeak x\n";

int runLoad(const Options &options)
{
    const double fileBytes = double(QFileInfo(options.fileName).size());
    // The collator opens here, before the baseline, so it does not count as load memory.
    LineList list(options.locale);
    const double baseBytes = double(platform::residentBytes());

    std::string mode = "load";
    std::optional<Span> loadPhase;
    std::optional<Span> sortPhase;
    std::optional<double> inputLines; // before Remove Duplicates
    const Stamp start = now();
    if (options.dedup) {
        // The pane's Remove Duplicates on a list loaded in file order, or
        // sorted as "Sort When Loading" leaves it (--sort).
        loadFileToList(options.fileName, TextEncoding::Utf8,
                       LoadOptions {.ignoreWhitespace = false, .sortWhenLoading = options.sort}, list);
        const Stamp loaded = now();
        loadPhase = between(start, loaded);
        inputLines = double(list.count());
        list.removeDuplicates(Matching {.caseSensitive = options.caseSensitive});
        sortPhase = between(loaded, now());
        mode = std::string(options.sort ? "load+sort+dedup" : "load+dedup")
            + (options.caseSensitive ? " case" : "");
    } else if (!options.threads) {
        loadFileToList(options.fileName, TextEncoding::Utf8,
                       LoadOptions {.ignoreWhitespace = false, .sortWhenLoading = options.sort}, list);
        if (options.sort)
            mode = "load+sort";
    } else {
        // What the loader does when sorting, with a timer between the phases
        // and the thread count chosen.
        loadFileToList(options.fileName, TextEncoding::Utf8,
                       LoadOptions {.ignoreWhitespace = false, .sortWhenLoading = false}, list);
        const Stamp loaded = now();
        loadPhase = between(start, loaded);
        list.permute(sortedOrder(list, list.collation(), *options.threads));
        sortPhase = between(loaded, now());
        mode = "load+sort t=" + std::to_string(*options.threads);
    }
    const Span total = between(start, now());

    const double rssBytes = double(platform::residentBytes());
    const double peakBytes = double(platform::peakResidentBytes());
    // Rates count the lines read, also when Remove Duplicates keeps fewer.
    const double lines = inputLines.value_or(double(list.count()));
    const double mb = fileBytes / 1e6;
    const auto times = [&](double bytes) { return fileBytes > 0 ? bytes / fileBytes : 0; };

    if (options.row) {
        const auto spanField = [](const std::optional<Span> &span, bool ratio) {
            char text[32] = "-";
            if (span)
                std::snprintf(text, sizeof text, ratio ? "%.2f" : "%.3f",
                              ratio ? span->cpuPerWall() : span->wall);
            return std::string(text);
        };
        std::printf(
            "%s\t%.0f\t%.1f\t%.3f\t%.3f\t%.2f\t%.2f\t%.1f\t%s\t%s\t%s\t%.0f\t%.1f\t%.1f\t%.2f\t%.1f\t%.2f\n",
            mode.c_str(), lines, mb, total.wall, total.cpu, total.cpuPerWall(), lines / total.wall / 1e6,
            mb / total.wall, spanField(loadPhase, false).c_str(), spanField(sortPhase, false).c_str(),
            spanField(sortPhase, true).c_str(), double(total.faults) / 1e3, baseBytes / 1e6, rssBytes / 1e6,
            times(rssBytes), peakBytes / 1e6, times(peakBytes));
        return 0;
    }

    std::printf("file       %s\n", options.fileName.toLocal8Bit().constData());
    std::printf("mode       %s, locale %s\n", mode.c_str(), options.locale.constData());
    if (inputLines)
        std::printf("lines      %.0f, %.0f after Remove Duplicates\n", lines, double(list.count()));
    else
        std::printf("lines      %.0f\n", lines);
    std::printf("size       %.1f MB\n", mb);
    const auto printSpan = [&](const char *name, const Span &span) {
        std::printf(
            "%-10s %.3f s wall, %.3f s cpu (cpu/wall %.2f), %.2f M lines/s, %.1f MB/s, %ld page faults\n",
            name, span.wall, span.cpu, span.cpuPerWall(), lines / span.wall / 1e6, mb / span.wall,
            span.faults);
    };
    if (loadPhase)
        printSpan("load", *loadPhase);
    if (sortPhase)
        printSpan(inputLines ? "dedup" : "sort", *sortPhase);
    printSpan(mode.c_str(), total);
    std::printf("resident   %.1f MB after (%.2f x file; %.1f MB before loading, %.2f x net)\n",
                rssBytes / 1e6, times(rssBytes), baseBytes / 1e6, times(rssBytes - baseBytes));
    std::printf("peak       %.1f MB (%.2f x file; ru_maxrss %.1f MB)\n", peakBytes / 1e6, times(peakBytes),
                maxResidentBytes() / 1e6);
    return 0;
}

struct CompareCommand
{
    QString files[2];
    bool calculateUnion = false;
    bool pause = false;
    QByteArray locale = "en_US";
};

std::optional<CompareCommand> parseCompareArguments(int argc, char **argv)
{
    CompareCommand options;
    int files = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--union")
            options.calculateUnion = true;
        else if (arg == "--pause")
            options.pause = true;
        else if (arg == "--locale" && i + 1 < argc)
            options.locale = QByteArray(argv[++i]);
        else if (!arg.starts_with("-") && files < 2)
            options.files[files++] = QString::fromLocal8Bit(argv[i]);
        else
            return std::nullopt;
    }
    if (files != 2)
        return std::nullopt;
    return options;
}

int runCompare(const CompareCommand &options)
{
    LineList lists[2] = {LineList(options.locale), LineList(options.locale)};
    const Stamp start = now();
    const LoadOptions load {.ignoreWhitespace = false, .sortWhenLoading = true};
    onTwoThreads([&] { loadFileToList(options.files[0], TextEncoding::Utf8, load, lists[0]); },
                 [&] { loadFileToList(options.files[1], TextEncoding::Utf8, load, lists[1]); });
    const Span loading = between(start, now());
    const double loadedPeak = double(platform::peakResidentBytes());
    std::fprintf(stderr, "loaded %lld + %lld lines in %.3f s (cpu %.3f s), peak %.1f MB\n",
                 static_cast<long long>(lists[0].count()), static_cast<long long>(lists[1].count()),
                 loading.wall, loading.cpu, loadedPeak / 1e6);
    if (options.pause)
        ::raise(SIGSTOP);

    // The start of each stage marks the end of the one before.
    Stamp last = now();
    const Stamp compareStart = last;
    auto stage = [&](const char *name) {
        const Stamp stamp = now();
        const Span span = between(last, stamp);
        std::fprintf(stderr, "%-13s %.3f s wall, %.3f s cpu\n", name, span.wall, span.cpu);
        last = stamp;
    };
    CompareProgress progress;
    progress.onStage = [&](int next) {
        static const char *const ended[] = {"", "", "intersection", "only #1", "only #2", "", "union"};
        if (*ended[next])
            stage(ended[next]);
    };
    compareLists(lists[0], lists[1], {.calculateUnion = options.calculateUnion}, progress);
    if (!options.calculateUnion)
        stage("only #2");
    const Span total = between(compareStart, now());
    std::fprintf(stderr, "compare       %.3f s wall, %.3f s cpu; peak %.1f MB\n", total.wall, total.cpu,
                 double(platform::peakResidentBytes()) / 1e6);
    return 0;
}

struct FindCommand
{
    QString file;
    QString text;
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    QByteArray locale = "en_US";
};

std::optional<FindCommand> parseFindArguments(int argc, char **argv)
{
    FindCommand options;
    int positional = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--case-sensitive")
            options.cs = Qt::CaseSensitive;
        else if (arg == "--locale" && i + 1 < argc)
            options.locale = QByteArray(argv[++i]);
        else if (!arg.starts_with("-") && positional < 2)
            (positional++ == 0 ? options.file : options.text) = QString::fromLocal8Bit(argv[i]);
        else
            return std::nullopt;
    }
    if (positional != 2)
        return std::nullopt;
    return options;
}

int runFind(const FindCommand &options, int argc, char **argv)
{
    const QCoreApplication app(argc, argv);
    LineList list(options.locale);
    loadFileToList(options.file, TextEncoding::Utf8, {.ignoreWhitespace = false, .sortWhenLoading = false},
                   list);

    // A zero timer of our own runs at every turn of the event loop; the
    // longest gap between two runs is the longest a window would not paint.
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastTurn = Clock::now();
    double longestGap = 0;
    long turns = 0;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        const Clock::time_point t = Clock::now();
        longestGap = std::max(longestGap, std::chrono::duration<double>(t - lastTurn).count());
        lastTurn = t;
        ++turns;
    });

    LineFinder finder;
    qsizetype result = -1;
    QObject::connect(&finder, &LineFinder::found, [&](qsizetype row) {
        result = row;
        QCoreApplication::quit();
    });
    QObject::connect(&finder, &LineFinder::notFound, [] { QCoreApplication::quit(); });
    const Stamp start = now();
    finder.find({&list}, options.text, 0, true, options.cs);
    turn.start();
    lastTurn = Clock::now();
    QCoreApplication::exec();
    const Span total = between(start, now());
    std::fprintf(stderr, "lines         %lld\n", static_cast<long long>(list.count()));
    std::fprintf(stderr, "result        %s %lld\n", result >= 0 ? "found at" : "not found",
                 static_cast<long long>(result));
    std::fprintf(stderr, "find          %.3f s wall, %.3f s cpu\n", total.wall, total.cpu);
    std::fprintf(stderr, "event loop    %ld turns, longest wait %.1f ms\n", turns, longestGap * 1e3);
    return 0;
}

int runCopy(const QString &file)
{
    LineList list;
    loadFileToList(file, TextEncoding::Utf8, {.ignoreWhitespace = false, .sortWhenLoading = false}, list);
    LineListModel model(&list);
    model.setRowCount(list.count());
    QItemSelectionModel selection(&model);
    const auto time = [&](const char *what) {
        const Stamp start = now();
        const QString text = selectedText(list, selectedRowFlags(selection.selection(), list.count()));
        const Span span = between(start, now());
        std::fprintf(stderr, "%-28s %.3f s wall, %.1f MB of text\n", what, span.wall,
                     double(text.size()) * 2 / 1e6);
    };
    const int last = int(list.count()) - 1;
    selection.select(QItemSelection(model.index(0, 0), model.index(last, 0)),
                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    time("all rows (Ctrl+A)");
    // Blocks of 50 rows with a gap between, as Shift and Ctrl clicks make them.
    QItemSelection blocks;
    for (int row = 0; row <= last; row += 100)
        blocks.append(QItemSelectionRange(model.index(row, 0), model.index(std::min(row + 49, last), 0)));
    selection.select(blocks, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    time("half the rows, in blocks");
    std::fprintf(stderr, "lines                        %lld\n", static_cast<long long>(list.count()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "header") {
        std::fputs(RowHeader, stdout);
        return 0;
    }
    if (command == "--help" || command == "-h") {
        printUsage(stdout);
        return 0;
    }
    if (command == "compare") {
        const std::optional<CompareCommand> options = parseCompareArguments(argc, argv);
        if (!options) {
            printUsage(stderr);
            return 2;
        }
        try {
            return runCompare(*options);
        } catch (const std::exception &error) {
            std::fprintf(stderr, "pairsight-bench: %s\n", error.what());
        }
        return 1;
    }
    if (command == "copy") {
        if (argc != 3) {
            printUsage(stderr);
            return 2;
        }
        try {
            return runCopy(QString::fromLocal8Bit(argv[2]));
        } catch (const std::exception &error) {
            std::fprintf(stderr, "pairsight-bench: %s\n", error.what());
        }
        return 1;
    }
    if (command == "find") {
        const std::optional<FindCommand> options = parseFindArguments(argc, argv);
        if (!options) {
            printUsage(stderr);
            return 2;
        }
        try {
            return runFind(*options, argc, argv);
        } catch (const std::exception &error) {
            std::fprintf(stderr, "pairsight-bench: %s\n", error.what());
        }
        return 1;
    }
    const std::optional<Options> options = command == "load" ? parseLoadArguments(argc, argv) : std::nullopt;
    if (!options) {
        printUsage(stderr);
        return 2;
    }
    try {
        return runLoad(*options);
    } catch (const std::exception &error) { // AppError among them: a file that will not load
        std::fprintf(stderr, "pairsight-bench: %s\n", error.what());
    }
    return 1;
}
