#pragma once

#include "compare/comparison.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class JobProgress;
class LineSink;

// The files of a comparison's results, each as the results window's Save
// writes it.
enum class ResultFile
{
    Intersection,
    Only1,
    Only2,
    OneListOnly, // only #1, then only #2
    Union,
    WrittenDifferently,
    Summary,
};

// What the result files hold. The sets must outlive the writing.
struct ResultFiles
{
    const LineList *intersection = nullptr;
    const LineList *only1 = nullptr;
    const LineList *only2 = nullptr;
    // union.txt, written-differently.txt and summary.txt are written when given.
    const LineList *all = nullptr;
    const LinePairs *pairs = nullptr;
    std::optional<QString> summary;
    // Each set starts with the header of the list its lines come from: list
    // #1's but for only #2.
    std::array<std::optional<QString>, 2> headers;
};

// "intersection.txt" and so on.
QString resultFileName(ResultFile file);
// The set a name such as "only1" or "one-list-only" stands for (the file
// name without ".txt"); nullopt for none or "summary".
std::optional<ResultFile> resultSetNamed(QStringView name);
// The names resultSetNamed() takes, in the order of the files.
QStringList resultSetNames();

// The files `files` holds, in the order they are written.
std::vector<ResultFile> resultFilesOf(const ResultFiles &files);
// Writes one file's lines to the sink, the header first; nothing for a
// file `files` does not hold.
void writeResult(LineSink &sink, const ResultFiles &files, ResultFile file);
// Writes one file as writeResultFiles() writes each, replacing it only once
// it is complete. Throws WriteError. With `progress`, the save is a Writing
// stage of the file's lines; a cancel request stops it with
// cancelledError(), an existing file kept as it was.
void writeResultToFile(const QString &fileName,
                       const ResultFiles &files,
                       ResultFile file,
                       JobProgress *progress = nullptr);
// The files of `files` that exist in `folder` already, by name.
QStringList existingResultFiles(const QDir &folder, const ResultFiles &files);
// Writes every file of `files` into `folder`: UTF-8 with byte-order mark,
// CR LF. Each is written under a temporary name and none is renamed into
// place before all are complete, so a failure changes no file. Throws
// WriteError. With `progress`, as writeResultToFile() for all the files:
// a cancel changes no file either.
void writeResultFiles(const QDir &folder, const ResultFiles &files, JobProgress *progress = nullptr);
