#include "compare/resultfiles.h"

#include "lists/filegroupwriter.h"
#include "lists/linewriter.h"
#include "lists/listjob.h"
#include "lists/parallel.h"

namespace {

struct Named
{
    ResultFile file;
    const char *name;
};

constexpr Named Names[] = {
    {ResultFile::Intersection, "intersection"},
    {ResultFile::Only1, "only1"},
    {ResultFile::Only2, "only2"},
    {ResultFile::OneListOnly, "one-list-only"},
    {ResultFile::Union, "union"},
    {ResultFile::WrittenDifferently, "written-differently"},
    {ResultFile::Summary, "summary"},
};

} // namespace

QString resultFileName(ResultFile file)
{
    for (const Named &named : Names) {
        if (named.file == file)
            return QLatin1StringView(named.name) + QStringLiteral(".txt");
    }
    return {};
}

std::optional<ResultFile> resultSetNamed(QStringView name)
{
    for (const Named &named : Names) {
        if (named.file != ResultFile::Summary && name == QLatin1StringView(named.name))
            return named.file;
    }
    return std::nullopt;
}

QStringList resultSetNames()
{
    QStringList names;
    for (const Named &named : Names) {
        if (named.file != ResultFile::Summary)
            names << QLatin1StringView(named.name);
    }
    return names;
}

std::vector<ResultFile> resultFilesOf(const ResultFiles &files)
{
    std::vector<ResultFile> held {ResultFile::Intersection, ResultFile::Only1, ResultFile::Only2,
                                  ResultFile::OneListOnly};
    if (files.all)
        held.push_back(ResultFile::Union);
    if (files.pairs)
        held.push_back(ResultFile::WrittenDifferently);
    if (files.summary)
        held.push_back(ResultFile::Summary);
    return held;
}

void writeResult(LineSink &sink, const ResultFiles &files, ResultFile file)
{
    const auto lines = [&](const LineList *list, int source) {
        if (!list)
            return;
        if (const std::optional<QString> &header = files.headers[size_t(source)])
            sink.writeLine(*header);
        sink.writeLines(*list);
    };
    switch (file) {
    case ResultFile::Intersection:
        lines(files.intersection, 0);
        break;
    case ResultFile::Only1:
        lines(files.only1, 0);
        break;
    case ResultFile::Only2:
        lines(files.only2, 1);
        break;
    case ResultFile::OneListOnly:
        // One header: the file starts as the union does.
        lines(files.only1, 0);
        if (files.only2)
            sink.writeLines(*files.only2);
        break;
    case ResultFile::Union:
        lines(files.all, 0);
        break;
    case ResultFile::WrittenDifferently:
        if (files.pairs)
            sink.writePairs(files.pairs->first, files.pairs->second);
        break;
    case ResultFile::Summary:
        if (files.summary) {
            for (QStringView line : QStringView(*files.summary).split(u'\n', Qt::SkipEmptyParts))
                sink.writeLine(line);
        }
        break;
    }
}

namespace {

// The lines writeResult() writes for the file, for its progress.
qint64 resultLines(const ResultFiles &files, ResultFile file)
{
    const auto lines = [&](const LineList *list, int source) -> qint64 {
        return list ? list->count() + (files.headers[size_t(source)] ? 1 : 0) : 0;
    };
    switch (file) {
    case ResultFile::Intersection:
        return lines(files.intersection, 0);
    case ResultFile::Only1:
        return lines(files.only1, 0);
    case ResultFile::Only2:
        return lines(files.only2, 1);
    case ResultFile::OneListOnly:
        return lines(files.only1, 0) + (files.only2 ? files.only2->count() : 0);
    case ResultFile::Union:
        return lines(files.all, 0);
    case ResultFile::WrittenDifferently:
        return files.pairs ? files.pairs->count() : 0;
    case ResultFile::Summary:
        return files.summary ? QStringView(*files.summary).split(u'\n', Qt::SkipEmptyParts).size() : 0;
    }
    return 0;
}

} // namespace

void writeResultToFile(const QString &fileName,
                       const ResultFiles &files,
                       ResultFile file,
                       JobProgress *progress)
{
    if (progress)
        progress->start(JobStage::Writing, resultLines(files, file));
    FileWriter writer(fileName);
    writer.setProgress(progress);
    writer.write(Utf8ByteOrderMark);
    writeResult(writer, files, file);
    writer.commit();
}

QStringList existingResultFiles(const QDir &folder, const ResultFiles &files)
{
    QStringList existing;
    for (ResultFile file : resultFilesOf(files)) {
        const QString name = resultFileName(file);
        if (QFileInfo::exists(folder.filePath(name)))
            existing << name;
    }
    return existing;
}

void writeResultFiles(const QDir &folder, const ResultFiles &files, JobProgress *progress)
{
    const std::vector<ResultFile> held = resultFilesOf(files);
    if (progress) {
        qint64 total = 0;
        for (ResultFile file : held)
            total += resultLines(files, file);
        progress->start(JobStage::Writing, total);
    }
    FileGroupWriter group;
    std::vector<FileWriter *> writers;
    writers.reserve(held.size());
    for (ResultFile file : held) {
        writers.push_back(&group.add(folder.filePath(resultFileName(file))));
        writers.back()->setProgress(progress);
    }
    // Two writers, each taking every other file.
    auto write = [&](size_t first) {
        for (size_t i = first; i < held.size(); i += 2) {
            writers[i]->write(Utf8ByteOrderMark);
            writeResult(*writers[i], files, held[i]);
            writers[i]->finish();
        }
    };
    onTwoThreads([&] { write(0); }, [&] { write(1); });
    // The last moment at which a cancel still changes no file.
    if (progress)
        progress->throwIfCancelled();
    group.commit();
}
