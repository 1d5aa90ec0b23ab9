#include "compare/externalcompare.h"

#include "lists/collation.h"
#include "lists/linelist.h"
#include "lists/linesort.h"
#include "lists/linewriter.h"
#include "platform/apperror.h"
#include "platform/signalcleanup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr qint64 MiB = qint64 {1} << 20;

// The temporary folder could not be written: the run's fault, not a list's.
class TempFolderError : public AppError
{
public:
    using AppError::AppError;
};

// The run's temporary folder: made in the folder asked for, removed with
// everything in it on every way out, a signal included.
class TempFolder
{
public:
    explicit TempFolder(const QString &parent)
        : m_parent(parent)
        , m_dir(QDir(parent).filePath(QStringLiteral("pairsight-XXXXXX")))
    {
        if (!m_dir.isValid())
            throw AppError(QStringLiteral("Cannot create a temporary folder in \"%1\". %2")
                               .arg(QDir::toNativeSeparators(parent), m_dir.errorString()));
        m_registered = QFile::encodeName(m_dir.path());
        platform::registerTemporary(m_registered);
    }
    ~TempFolder() { platform::unregisterTemporary(m_registered); }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    QString file(const QString &name) const { return m_dir.filePath(name); }

    [[noreturn]] void fail(const QString &reason) const
    {
        throw TempFolderError(QStringLiteral("Cannot write to the temporary folder \"%1\". %2")
                                  .arg(QDir::toNativeSeparators(m_parent), reason));
    }

    // Bytes the temporary files hold, and the most they held.
    void grew(qint64 bytes)
    {
        const qint64 now = m_used.fetch_add(bytes, std::memory_order_relaxed) + bytes;
        qint64 peak = m_peak.load(std::memory_order_relaxed);
        while (now > peak && !m_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) { }
    }
    void shrank(qint64 bytes) { m_used.fetch_sub(bytes, std::memory_order_relaxed); }
    qint64 peak() const { return m_peak.load(std::memory_order_relaxed); }

private:
    QString m_parent;
    QTemporaryDir m_dir;
    QByteArray m_registered;
    std::atomic<qint64> m_used {0};
    std::atomic<qint64> m_peak {0};
};

char *putVarint(char *out, quint64 value)
{
    while (value >= 0x80) {
        *out++ = char(value | 0x80);
        value >>= 7;
    }
    *out++ = char(value);
    return out;
}

void putVarint(QByteArray &out, quint64 value)
{
    char bytes[10];
    out.append(bytes, putVarint(bytes, value) - bytes);
}

// The line in UTF-8 at `out`, as Qt's encoder writes it; nullptr for a line
// with an unpaired surrogate, which UTF-8 cannot carry.
char *encodeUtf8(QStringView line, char *out)
{
    const char16_t *units = line.utf16();
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t unit = units[i];
        if (unit < 0x80) {
            *out++ = char(unit);
        } else if (unit < 0x800) {
            *out++ = char(0xC0 | (unit >> 6));
            *out++ = char(0x80 | (unit & 0x3F));
        } else if (unit < 0xD800 || unit > 0xDFFF) {
            *out++ = char(0xE0 | (unit >> 12));
            *out++ = char(0x80 | ((unit >> 6) & 0x3F));
            *out++ = char(0x80 | (unit & 0x3F));
        } else if (unit <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            const char32_t code = 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00);
            *out++ = char(0xF0 | (code >> 18));
            *out++ = char(0x80 | ((code >> 12) & 0x3F));
            *out++ = char(0x80 | ((code >> 6) & 0x3F));
            *out++ = char(0x80 | (code & 0x3F));
        } else {
            return nullptr;
        }
    }
    return out;
}

// A record of a spill file: a position, then the line's bytes, UTF-8 or
// (for a line with an unpaired surrogate, which UTF-8 cannot carry) the
// UTF-16 code units as they are.
struct Record
{
    qint64 position = 0;
    QByteArrayView bytes;
    bool utf16 = false;
};

// Records written through a buffer to a file of the temporary folder.
class SpillWriter
{
public:
    SpillWriter(TempFolder &folder, const QString &name)
        : m_folder(folder)
        , m_file(folder.file(name))
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            m_folder.fail(m_file.errorString());
        m_buffer.reserve(BufferSize + 64);
    }

    const QString &fileName() const { return m_name = m_file.fileName(); }

    void add(qint64 position, QStringView line)
    {
        // The most a record can take: the position, the length and three
        // bytes a unit.
        const qsizetype most = 20 + line.size() * 3;
        if (m_buffer.capacity() - m_buffer.size() < most)
            m_buffer.reserve(std::max(m_buffer.size() + most, BufferSize + qsizetype {64} * 1024));
        qsizetype at = m_buffer.size();
        m_buffer.resize(at + most);
        char *out = m_buffer.data() + at;
        char *const positionEnd = putVarint(out, quint64(position));
        // The UTF-8 goes after a one-byte length, which is moved for a longer one.
        char *const text = positionEnd + 1;
        char *const textEnd = encodeUtf8(line, text);
        if (!textEnd) {
            // An unpaired surrogate: the units as they are.
            char *end = putVarint(positionEnd, quint64(line.size()) * 4 + 1);
            std::memcpy(end, line.utf16(), size_t(line.size()) * 2);
            m_buffer.resize(end + line.size() * 2 - m_buffer.constData());
        } else {
            const qsizetype length = textEnd - text;
            char lengthBytes[10];
            const qsizetype lengthSize = putVarint(lengthBytes, quint64(length) * 2) - lengthBytes;
            if (lengthSize > 1)
                std::memmove(text + lengthSize - 1, text, size_t(length));
            std::memcpy(positionEnd, lengthBytes, size_t(lengthSize));
            m_buffer.resize(positionEnd + lengthSize + length - m_buffer.constData());
        }
        ++m_records;
        if (m_buffer.size() >= BufferSize)
            flush();
    }

    void add(const Record &record)
    {
        putVarint(m_buffer, quint64(record.position));
        putVarint(m_buffer, quint64(record.bytes.size()) * 2 + (record.utf16 ? 1 : 0));
        m_buffer.append(record.bytes);
        ++m_records;
        if (m_buffer.size() >= BufferSize)
            flush();
    }

    // Bytes as they are, for a file that is not made of records.
    void addBytes(QByteArrayView bytes)
    {
        m_buffer.append(bytes);
        if (m_buffer.size() >= BufferSize)
            flush();
    }

    qint64 records() const { return m_records; }

    void finish()
    {
        flush();
        m_file.close();
    }

private:
    static constexpr qsizetype BufferSize = 4 * MiB;

    void flush()
    {
        if (m_buffer.isEmpty())
            return;
        errno = 0;
        if (m_file.write(m_buffer) != m_buffer.size()) {
            // The system's own words: Qt has none for a full disk.
            const int error = errno;
            m_folder.fail(error != 0 ? systemReason(error) : m_file.errorString());
        }
        m_folder.grew(m_buffer.size());
        m_buffer.clear();
    }

    TempFolder &m_folder;
    QFile m_file;
    mutable QString m_name;
    QByteArray m_buffer;
    qint64 m_records = 0;
};

// Reads the records of a spill file in order.
class SpillReader
{
public:
    SpillReader(TempFolder &folder, const QString &fileName, qsizetype bufferSize)
        : m_folder(folder)
        , m_file(fileName)
        , m_bufferSize(bufferSize)
    {
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            m_folder.fail(m_file.errorString());
    }

    // The next record, valid until the next call; false at the end.
    bool next(Record &record)
    {
        quint64 position = 0, length = 0;
        if (!varint(position))
            return false;
        if (!varint(length) || !ensure(qsizetype(length >> 1)))
            m_folder.fail(QStringLiteral("A temporary file ended too soon"));
        record.position = qint64(position);
        record.utf16 = length & 1;
        record.bytes = QByteArrayView(m_buffer.constData() + m_at, qsizetype(length >> 1));
        m_at += qsizetype(length >> 1);
        return true;
    }

    // Removes the file, whose records are read.
    void remove()
    {
        const qint64 size = m_file.size();
        m_file.close();
        if (m_file.remove())
            m_folder.shrank(size);
    }

private:
    bool varint(quint64 &value)
    {
        value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (!ensure(1))
                return false;
            const auto byte = std::uint8_t(m_buffer[m_at++]);
            value |= quint64(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return true;
        }
        m_folder.fail(QStringLiteral("A temporary file is damaged"));
    }

    // At least `bytes` bytes after m_at, unless the file ends first.
    bool ensure(qsizetype bytes)
    {
        if (m_buffer.size() - m_at >= bytes)
            return true;
        m_buffer.remove(0, m_at);
        m_at = 0;
        while (m_buffer.size() < bytes) {
            const qsizetype have = m_buffer.size();
            const qsizetype want = std::max(m_bufferSize, bytes - have);
            m_buffer.resize(have + want);
            const qint64 got = m_file.read(m_buffer.data() + have, want);
            if (got < 0)
                m_folder.fail(m_file.errorString());
            m_buffer.resize(have + qsizetype(got));
            if (got == 0)
                return false;
        }
        return true;
    }

    TempFolder &m_folder;
    QFile m_file;
    qsizetype m_bufferSize;
    QByteArray m_buffer;
    qsizetype m_at = 0;
};

// The line's text of a record, for comparing and keys. The UTF-8 is the
// run's own, so it is well formed.
QStringView decodeRecord(const Record &record, QString &buffer)
{
    if (record.utf16) {
        buffer.resize(record.bytes.size() / 2);
        std::memcpy(buffer.data(), record.bytes.data(), size_t(buffer.size()) * 2);
        return buffer;
    }
    const auto *in = reinterpret_cast<const std::uint8_t *>(record.bytes.data());
    const auto *const end = in + record.bytes.size();
    buffer.resize(record.bytes.size());
    auto *out = reinterpret_cast<char16_t *>(buffer.data());
    auto *const start = out;
    while (in < end) {
        const std::uint8_t lead = *in;
        if (lead < 0x80) {
            *out++ = lead;
            in += 1;
        } else if (lead < 0xE0) {
            *out++ = char16_t(((lead & 0x1F) << 6) | (in[1] & 0x3F));
            in += 2;
        } else if (lead < 0xF0) {
            *out++ = char16_t(((lead & 0x0F) << 12) | ((in[1] & 0x3F) << 6) | (in[2] & 0x3F));
            in += 3;
        } else {
            const char32_t code
                = ((lead & 0x07) << 18) | ((in[1] & 0x3F) << 12) | ((in[2] & 0x3F) << 6) | (in[3] & 0x3F);
            *out++ = char16_t(0xD800 + ((code - 0x10000) >> 10));
            *out++ = char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
            in += 4;
        }
    }
    buffer.truncate(out - start);
    return buffer;
}

// The bytes a set's file holds for the record's line.
QByteArrayView encodedRecord(const Record &record, QByteArray &buffer)
{
    if (!record.utf16)
        return record.bytes;
    QString text;
    decodeRecord(record, text);
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    buffer = encoder.encode(text);
    return buffer;
}

// What reading one list left on disk.
struct ListRuns
{
    std::vector<QString> runs;
    QString keyless; // lines without a key, in the file's order
    qint64 records = 0; // in the runs
    std::optional<QString> header;
    qsizetype lines = 0; // compared, the header not counted
    qint64 positions = 0; // lines read, the header counted
    qsizetype withoutKey = 0;
    LoadReport report;
    QByteArray locale;
};

struct Budget
{
    qsizetype chunkUnits;
    qsizetype chunkLines;
    qsizetype readBuffer;
    qsizetype sortBytes;
};

Budget budgetFor(qint64 memoryBytes)
{
    // What the program needs besides the lists: code, ICU's data, buffers.
    // Small limits (for tests) are taken as they are, halved.
    const qint64 usable
        = memoryBytes > 128 * MiB ? memoryBytes - 64 * MiB : std::max<qint64>(memoryBytes / 2, 4096);
    // A chunk costs two bytes a code unit and some 30 a line (its reference,
    // the sort's entries and order; 48 are counted); each half of the room
    // may go to one.
    const qint64 room = usable * 85 / 100;
    Budget budget;
    budget.chunkUnits = qsizetype(std::max<qint64>(room / 2 / 2, 1024));
    budget.chunkLines = qsizetype(std::max<qint64>(room / 2 / 48, 16));
    budget.readBuffer = qsizetype(std::clamp<qint64>(usable / 64, 4096, 4 * MiB));
    budget.sortBytes = qsizetype(std::max<qint64>(usable / 2, 4096));
    return budget;
}

class Comparer
{
public:
    Comparer(const ExternalJob &job, const ExternalSinks &sinks, ExternalProgress &progress)
        : m_job(job)
        , m_sinks(sinks)
        , m_progress(progress)
        , m_folder(job.tempParent)
        , m_budget(budgetFor(job.memoryBytes))
        , m_byKey(!job.key.isWholeLine() || job.header)
    {
    }

    ExternalOutcome run();

private:
    void readList(int list);
    void takeChunk(int list, const LineList &chunk, SpillWriter &keyless);
    void load(int list, LineList &chunk, const ChunkedLoad &chunked);
    void writeHeaders();
    void walk();
    void writeAfterWalk();
    void writeInFileOrder(int list);
    void writePairsInOrder();

    void stage(ExternalProgress::Phase phase, qint64 total)
    {
        m_progress.total.store(total, std::memory_order_relaxed);
        m_progress.done.store(0, std::memory_order_relaxed);
        m_progress.phase.store(phase, std::memory_order_relaxed);
    }

    const ExternalJob &m_job;
    const ExternalSinks &m_sinks;
    ExternalProgress &m_progress;
    TempFolder m_folder;
    Budget m_budget;
    bool m_byKey;
    std::array<ListRuns, 2> m_lists;
    std::array<QString, 2> m_files; // standard input kept, when it is read twice
    qint64 m_position = 0; // of the next line of the list being read
    int m_runNumber = 0;
    // Without sorting, the sets keep the files' order: the walk marks the
    // matched lines by position, and the files are read again.
    std::array<std::vector<bool>, 2> m_matched;
    std::optional<SpillWriter> m_only2Lines; // only #2 as met, for one-list-only
    std::optional<SpillWriter> m_pairs; // without sorting, to be put in list #1's order
    CompareSummary m_summary;
};

void Comparer::load(int list, LineList &chunk, const ChunkedLoad &chunked)
{
    try {
        const QString &file = m_files[size_t(list)];
        m_lists[size_t(list)].report = file.isEmpty()
            ? loadStandardInputInChunks(m_job.encoding, m_job.ignoreWhitespace, chunk, chunked)
            : loadFileInChunks(file, m_job.encoding, m_job.ignoreWhitespace, chunk, chunked);
    } catch (const TempFolderError &) {
        throw;
    } catch (const AppError &) {
        throw ListReadFailure {list, std::current_exception()};
    } catch (const std::bad_alloc &) {
        throw ListReadFailure {list, std::current_exception()};
    }
}

void Comparer::readList(int list)
{
    ListRuns &runs = m_lists[size_t(list)];
    stage(list == 0 ? ExternalProgress::Reading1 : ExternalProgress::Reading2,
          m_files[size_t(list)].isEmpty() ? 0 : QFileInfo(m_files[size_t(list)]).size());
    LineList chunk;
    chunk.setMatching(m_job.matching);
    runs.locale = chunk.collationLocale();
    m_position = 0;
    SpillWriter keyless(m_folder, QStringLiteral("keyless%1").arg(list + 1));
    ChunkedLoad chunked;
    chunked.chunkUnits = m_budget.chunkUnits;
    chunked.chunkLines = m_budget.chunkLines;
    chunked.bytesRead = &m_progress.done;
    chunked.take = [&](const LineList &lines) { takeChunk(list, lines, keyless); };
    load(list, chunk, chunked);
    runs.positions = m_position;
    keyless.finish();
    runs.keyless = keyless.fileName();
    runs.withoutKey = qsizetype(keyless.records());
}

void Comparer::takeChunk(int list, const LineList &chunk, SpillWriter &keyless)
{
    ListRuns &runs = m_lists[size_t(list)];
    if (chunk.isEmpty())
        return;
    qsizetype from = 0;
    if (m_job.header && m_position == 0) {
        runs.header = chunk.lineAt(0);
        from = 1;
    }
    runs.lines += chunk.count() - from;
    // Sorted as the list would be (equal keys in the lines' order), so
    // that runs merged by key and then by run give the order of the whole.
    std::vector<std::uint32_t> owners;
    std::optional<LineList> keys;
    if (m_byKey)
        keys = chunk.keysOf(m_job.key, from, owners);
    const LineList &sorted = keys ? *keys : chunk;
    const LineOrder order = stableSortedOrder(sorted, sorted.collation());

    SpillWriter run(m_folder, QStringLiteral("run%1").arg(++m_runNumber));
    // The lines are read in sorted order, away from the order their text
    // lies in: each is asked for ahead, its reference first.
    const auto indexAt = [&](size_t i) { return keys ? qsizetype(owners[order[i]]) : qsizetype(order[i]); };
    for (size_t i = 0; i < order.size(); ++i) {
        if (i + 16 < order.size())
            chunk.prefetchReference(indexAt(i + 16));
        if (i + 8 < order.size())
            chunk.prefetch(indexAt(i + 8));
        const qsizetype index = indexAt(i);
        run.add(m_position + index, chunk.at(index));
    }
    run.finish();
    runs.records += run.records();
    runs.runs.push_back(run.fileName());
    if (keys) {
        // Lines without a key: those no key names, in their order.
        size_t next = 0;
        for (qsizetype i = from; i < chunk.count(); ++i) {
            if (next < owners.size() && qsizetype(owners[next]) == i) {
                ++next;
                continue;
            }
            keyless.add(m_position + i, chunk.at(i));
        }
    }
    m_position += chunk.count();
}

// A record of a merged list with its sort key.
struct Keyed
{
    qint64 position;
    QByteArrayView bytes;
    bool utf16;
    QByteArrayView key;
    // By key: the key's code units, which "written differently" compares.
    QByteArrayView keyUnits;
    Record record() const { return {position, bytes, utf16}; }
};

// Batches of merged records, handed from a merging thread to the walk.
struct Batch
{
    QByteArray data;
    struct Entry
    {
        qint64 position;
        qsizetype bytesAt, bytesSize, keyAt, keySize, unitsAt, unitsSize;
        bool utf16;
    };
    std::vector<Entry> entries;
    bool last = false;
};

// One list's runs merged into one stream in key order, equal keys by run
// (which is the lines' order), on a thread of its own that also makes the
// keys. Its batches wait in a short queue for the walk.
class MergedList
{
public:
    MergedList(TempFolder &folder,
               const ListRuns &runs,
               const Collation &collation,
               const LineKey *key,
               qsizetype readBuffer)
        : m_folder(folder)
        , m_runs(runs)
        , m_collation(collation)
        , m_key(key)
        , m_readBuffer(readBuffer)
        , m_thread([this] { produce(); })
    {
    }
    ~MergedList()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_cancelled = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    MergedList(const MergedList &) = delete;
    MergedList &operator=(const MergedList &) = delete;

    // The next record; false at the end. Valid until the next call.
    bool next(Keyed &keyed)
    {
        while (!m_current || m_at == m_current->entries.size()) {
            if (m_current && m_current->last)
                return false;
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_queue.empty() || m_error; });
            if (m_error && m_queue.empty())
                std::rethrow_exception(m_error);
            m_current = std::move(m_queue.front());
            m_queue.pop_front();
            m_at = 0;
            lock.unlock();
            m_changed.notify_all();
        }
        const Batch::Entry &entry = m_current->entries[m_at++];
        const char *data = m_current->data.constData();
        keyed = {entry.position, QByteArrayView(data + entry.bytesAt, entry.bytesSize), entry.utf16,
                 QByteArrayView(data + entry.keyAt, entry.keySize),
                 QByteArrayView(data + entry.unitsAt, entry.unitsSize)};
        return true;
    }

private:
    struct Head
    {
        std::unique_ptr<SpillReader> reader;
        Record record;
        QByteArray key;
        QByteArray units; // of the key, by key
        int run;
    };

    static constexpr qsizetype BatchBytes = 4 * MiB;
    static constexpr size_t QueuedBatches = 3;

    bool advance(Head &head)
    {
        if (!head.reader->next(head.record)) {
            head.reader->remove();
            return false;
        }
        const QStringView line = decodeRecord(head.record, m_text);
        QStringView key = line;
        if (m_key) {
            const std::optional<QStringView> found = m_key->keyOf(line, m_scratch);
            key = found ? *found : QStringView();
            head.units = QByteArray(reinterpret_cast<const char *>(key.utf16()), key.size() * 2);
        }
        head.key.clear();
        m_collation.appendSortKey(key, head.key);
        return true;
    }

    void produce()
    {
        try {
            std::vector<Head> heads;
            for (size_t i = 0; i < m_runs.runs.size(); ++i) {
                Head head {std::make_unique<SpillReader>(m_folder, m_runs.runs[i], m_readBuffer),
                           {},
                           {},
                           {},
                           int(i)};
                if (advance(head))
                    heads.push_back(std::move(head));
            }
            // A min-heap on (key, run).
            const auto later = [](const Head &a, const Head &b) {
                const int order = std::memcmp(a.key.constData(), b.key.constData(),
                                              size_t(std::min(a.key.size(), b.key.size())));
                if (order != 0)
                    return order > 0;
                if (a.key.size() != b.key.size())
                    return a.key.size() > b.key.size();
                return a.run > b.run;
            };
            std::make_heap(heads.begin(), heads.end(), later);
            std::unique_ptr<Batch> batch = freshBatch();
            while (!heads.empty()) {
                std::pop_heap(heads.begin(), heads.end(), later);
                Head &head = heads.back();
                Batch::Entry entry {
                    head.record.position, batch->data.size(), head.record.bytes.size(), 0, head.key.size(), 0,
                    head.units.size(),    head.record.utf16};
                batch->data.append(head.record.bytes);
                entry.keyAt = batch->data.size();
                batch->data.append(head.key);
                entry.unitsAt = batch->data.size();
                batch->data.append(head.units);
                batch->entries.push_back(entry);
                if (advance(head))
                    std::push_heap(heads.begin(), heads.end(), later);
                else
                    heads.pop_back();
                if (batch->data.size() >= BatchBytes && !hand(std::exchange(batch, freshBatch())))
                    return;
            }
            batch->last = true;
            hand(std::move(batch));
        } catch (...) {
            {
                const std::lock_guard lock(m_mutex);
                m_error = std::current_exception();
            }
            m_changed.notify_all();
        }
    }

    static std::unique_ptr<Batch> freshBatch()
    {
        auto batch = std::make_unique<Batch>();
        batch->data.reserve(BatchBytes + qsizetype {64} * 1024);
        return batch;
    }

    // False when the walk has gone.
    bool hand(std::unique_ptr<Batch> batch)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < QueuedBatches || m_cancelled; });
        if (m_cancelled)
            return false;
        m_queue.push_back(std::move(batch));
        lock.unlock();
        m_changed.notify_all();
        return true;
    }

    TempFolder &m_folder;
    const ListRuns &m_runs;
    const Collation &m_collation;
    const LineKey *m_key;
    qsizetype m_readBuffer;
    QString m_text, m_scratch;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Batch>> m_queue;
    std::exception_ptr m_error;
    bool m_cancelled = false;
    std::unique_ptr<Batch> m_current;
    size_t m_at = 0;

    std::thread m_thread; // last: starts once the rest is made
};

int compareKeys(const Keyed &a, const Keyed &b)
{
    const int order = std::memcmp(a.key.data(), b.key.data(), size_t(std::min(a.key.size(), b.key.size())));
    if (order != 0)
        return order;
    return a.key.size() < b.key.size() ? -1 : a.key.size() > b.key.size() ? 1 : 0;
}

// A line held beyond its batch: its bytes copied, and its key's units.
struct HeldLine
{
    QByteArray bytes;
    QByteArray units;
    bool utf16 = false;
    bool valid = false;

    void hold(const Keyed &keyed)
    {
        bytes = keyed.bytes.toByteArray();
        units = keyed.keyUnits.toByteArray();
        utf16 = keyed.utf16;
        valid = true;
    }
    // The same code units in what is compared: the key's by key, else the
    // line's (the same bytes, as both are encoded alike).
    bool sameUnits(const Keyed &keyed, bool byKey) const
    {
        if (byKey)
            return units == keyed.keyUnits;
        return utf16 == keyed.utf16 && bytes == keyed.bytes;
    }
    Record record() const { return {0, bytes, utf16}; }
};

void writeLine(LineSink *sink, const Record &record, QByteArray &buffer)
{
    if (sink)
        sink->writeEncodedLine(encodedRecord(record, buffer));
}

void Comparer::walk()
{
    const qint64 total = m_lists[0].records + m_lists[1].records;
    stage(ExternalProgress::Merging, total);
    LineList collated;
    collated.setMatching(m_job.matching);
    const Collation &collation = collated.collation();
    const LineKey *key = m_job.key.isWholeLine() ? nullptr : &m_job.key;
    const bool byKey = key != nullptr;
    MergedList first(m_folder, m_lists[0], collation, key, m_budget.readBuffer);
    MergedList second(m_folder, m_lists[1], collation, key, m_budget.readBuffer);

    const bool sorted = m_job.sorted;
    if (!sorted) {
        m_matched[0].assign(size_t(m_lists[0].positions), false);
        m_matched[1].assign(size_t(m_lists[1].positions), false);
    }
    std::array<qsizetype, 3> distinct {0, 0, 0};
    qsizetype matched1 = 0, matched2 = 0, pairs = 0;
    QByteArray buffer, other;
    Keyed a {}, b {};
    bool hasA = first.next(a), hasB = second.next(b);
    qint64 done = 0;
    HeldLine head, unlike;
    QByteArray runKey;
    auto step = [&](MergedList &list, Keyed &keyed) {
        ++done;
        if ((done & 0xFFFF) == 0)
            m_progress.done.store(done, std::memory_order_relaxed);
        return list.next(keyed);
    };
    while (hasA || hasB) {
        const int order = !hasA ? 1 : !hasB ? -1 : compareKeys(a, b);
        if (order == 0) {
            // List #2's run first: its first line, and its first line unlike
            // that one, are what list #1's lines pair with.
            runKey = b.key.toByteArray();
            head.hold(b);
            unlike.valid = false;
            do {
                if (!sorted)
                    m_matched[1][size_t(b.position)] = true;
                ++matched2;
                if (!unlike.valid && !head.sameUnits(b, byKey))
                    unlike.hold(b);
                hasB = step(second, b);
            } while (hasB && b.key == QByteArrayView(runKey));
            bool firstMet = true;
            do {
                const Record record = a.record();
                if (sorted)
                    writeLine(m_sinks.intersection, record, buffer);
                else
                    m_matched[0][size_t(a.position)] = true;
                ++matched1;
                if (firstMet)
                    writeLine(m_sinks.all, record, buffer);
                firstMet = false;
                const HeldLine *partner = !head.sameUnits(a, byKey) ? &head
                    : unlike.valid                                  ? &unlike
                                                                    : nullptr;
                if (partner) {
                    ++pairs;
                    if (sorted && m_sinks.pairs) {
                        m_sinks.pairs->writeEncodedPair(encodedRecord(record, buffer),
                                                        encodedRecord(partner->record(), other));
                    } else if (m_pairs) {
                        QByteArray payload = encodedRecord(record, buffer).toByteArray();
                        payload += '\t';
                        payload += encodedRecord(partner->record(), other);
                        m_pairs->add({a.position, payload, false});
                    }
                }
                hasA = step(first, a);
            } while (hasA && a.key == QByteArrayView(runKey));
            ++distinct[0];
            ++distinct[1];
            ++distinct[2];
        } else {
            // A run of one list only: in its only set, its first line in the union.
            const bool inFirst = order < 0;
            MergedList &list = inFirst ? first : second;
            Keyed &keyed = inFirst ? a : b;
            bool &has = inFirst ? hasA : hasB;
            runKey = keyed.key.toByteArray();
            bool firstMet = true;
            do {
                const Record record = keyed.record();
                if (firstMet)
                    writeLine(m_sinks.all, record, buffer);
                firstMet = false;
                if (sorted) {
                    if (inFirst) {
                        writeLine(m_sinks.only1, record, buffer);
                        writeLine(m_sinks.oneListOnly, record, buffer);
                    } else {
                        writeLine(m_sinks.only2, record, buffer);
                        if (m_only2Lines)
                            m_only2Lines->add(record);
                    }
                }
                has = step(list, keyed);
            } while (has && keyed.key == QByteArrayView(runKey));
            ++distinct[inFirst ? 0 : 1];
        }
    }
    m_progress.done.store(done, std::memory_order_relaxed);

    CompareSummary &summary = m_summary;
    summary.distinct = {distinct[0], distinct[1]};
    summary.distinctInBoth = distinct[2];
    summary.writtenDifferently = pairs;
    summary.sets[size_t(ResultSet::Intersection)] = matched1;
    summary.sets[size_t(ResultSet::Only1)] = m_lists[0].lines - matched1;
    summary.sets[size_t(ResultSet::Only2)] = m_lists[1].lines - matched2;
    if (m_job.calculateUnion)
        summary.sets[size_t(ResultSet::Union)]
            = distinct[0] + distinct[1] - distinct[2] + m_lists[0].withoutKey + m_lists[1].withoutKey;
}

// Copies a spill file's lines into the sinks given, then removes it.
void copySpill(TempFolder &folder,
               const QString &fileName,
               qsizetype readBuffer,
               std::initializer_list<LineSink *> sinks,
               ExternalProgress &progress)
{
    SpillReader reader(folder, fileName, readBuffer);
    Record record;
    QByteArray buffer;
    while (reader.next(record)) {
        const QByteArrayView bytes = encodedRecord(record, buffer);
        for (LineSink *sink : sinks) {
            if (sink)
                sink->writeEncodedLine(bytes);
        }
        progress.done.fetch_add(1, std::memory_order_relaxed);
    }
    reader.remove();
}

void Comparer::writeHeaders()
{
    const std::optional<QString> &header1 = m_lists[0].header;
    const std::optional<QString> &header2 = m_lists[1].header;
    for (LineSink *sink : {m_sinks.intersection, m_sinks.only1, m_sinks.oneListOnly, m_sinks.all}) {
        if (sink && header1)
            sink->writeLine(*header1);
    }
    if (m_sinks.only2 && header2)
        m_sinks.only2->writeLine(*header2);
}

void Comparer::writeInFileOrder(int list)
{
    LineList chunk;
    chunk.setMatching(m_job.matching);
    const std::vector<bool> &matched = m_matched[size_t(list)];
    LineSink *const inBoth = list == 0 ? m_sinks.intersection : nullptr;
    LineSink *const only = list == 0 ? m_sinks.only1 : m_sinks.only2;
    LineSink *const oneListOnly = m_sinks.oneListOnly;
    qint64 position = 0;
    ChunkedLoad chunked;
    chunked.chunkUnits = m_budget.chunkUnits;
    chunked.chunkLines = m_budget.chunkLines;
    chunked.take = [&](const LineList &lines) {
        for (qsizetype i = 0; i < lines.count(); ++i, ++position) {
            if (m_job.header && position == 0)
                continue;
            if (matched[size_t(position)]) {
                if (inBoth)
                    inBoth->writeLine(lines.at(i));
                continue;
            }
            if (only)
                only->writeLine(lines.at(i));
            if (oneListOnly)
                oneListOnly->writeLine(lines.at(i));
        }
        m_progress.done.fetch_add(lines.count(), std::memory_order_relaxed);
    };
    load(list, chunk, chunked);
    // The file changed under the run: its sets would not be those of one file.
    if (position != qint64(matched.size()))
        throw AppError(QStringLiteral("\"%1\" changed while it was being compared")
                           .arg(QDir::toNativeSeparators(m_job.files[size_t(list)])));
}

void Comparer::writePairsInOrder()
{
    m_pairs->finish();
    const QString spill = m_pairs->fileName();
    m_pairs.reset();
    // Sorted by the position of their line of list #1, a memory's worth at
    // a time; more than one such run is merged.
    struct Held
    {
        qint64 position;
        qsizetype at;
        qsizetype size;
    };
    std::vector<QString> runs;
    QByteArray data;
    std::vector<Held> held;
    auto sortHeld = [&] {
        std::sort(held.begin(), held.end(),
                  [](const Held &x, const Held &y) { return x.position < y.position; });
    };
    auto spillHeld = [&] {
        sortHeld();
        SpillWriter run(m_folder, QStringLiteral("pairs%1").arg(runs.size() + 1));
        for (const Held &h : held)
            run.add({h.position, QByteArrayView(data.constData() + h.at, h.size), false});
        run.finish();
        runs.push_back(run.fileName());
        held.clear();
        data.clear();
    };
    {
        SpillReader reader(m_folder, spill, m_budget.readBuffer);
        Record record;
        while (reader.next(record)) {
            held.push_back({record.position, data.size(), record.bytes.size()});
            data.append(record.bytes);
            if (data.size() + qsizetype(held.size() * sizeof(Held)) >= m_budget.sortBytes)
                spillHeld();
        }
        reader.remove();
    }
    if (runs.empty()) {
        sortHeld();
        for (const Held &h : held)
            m_sinks.pairs->writeEncodedLine(QByteArrayView(data.constData() + h.at, h.size));
        return;
    }
    if (!held.empty())
        spillHeld();
    struct Head
    {
        std::unique_ptr<SpillReader> reader;
        Record record;
    };
    std::vector<Head> heads;
    for (const QString &run : runs) {
        Head head {std::make_unique<SpillReader>(m_folder, run, m_budget.readBuffer), {}};
        if (head.reader->next(head.record))
            heads.push_back(std::move(head));
    }
    const auto later = [](const Head &x, const Head &y) { return x.record.position > y.record.position; };
    std::make_heap(heads.begin(), heads.end(), later);
    while (!heads.empty()) {
        std::pop_heap(heads.begin(), heads.end(), later);
        Head &head = heads.back();
        m_sinks.pairs->writeEncodedLine(head.record.bytes);
        if (head.reader->next(head.record)) {
            std::push_heap(heads.begin(), heads.end(), later);
        } else {
            head.reader->remove();
            heads.pop_back();
        }
    }
}

void Comparer::writeAfterWalk()
{
    const ListRuns &one = m_lists[0];
    const ListRuns &two = m_lists[1];
    qint64 total = one.withoutKey + two.withoutKey + (m_only2Lines ? m_only2Lines->records() : 0);
    if (!m_job.sorted)
        total += one.positions + two.positions;
    stage(ExternalProgress::Writing, total);
    const qsizetype buffer = m_budget.readBuffer;
    if (m_job.sorted) {
        // Each only set ends with the lines without a key, as the sorted
        // list has them last; the union too, list #1's first.
        copySpill(m_folder, one.keyless, buffer, {m_sinks.only1, m_sinks.oneListOnly, m_sinks.all},
                  m_progress);
        if (m_only2Lines) {
            m_only2Lines->finish();
            copySpill(m_folder, m_only2Lines->fileName(), buffer, {m_sinks.oneListOnly}, m_progress);
        }
        copySpill(m_folder, two.keyless, buffer, {m_sinks.only2, m_sinks.oneListOnly, m_sinks.all},
                  m_progress);
        return;
    }
    copySpill(m_folder, one.keyless, buffer, {m_sinks.all}, m_progress);
    copySpill(m_folder, two.keyless, buffer, {m_sinks.all}, m_progress);
    writeInFileOrder(0);
    writeInFileOrder(1);
    if (m_pairs)
        writePairsInOrder();
}

ExternalOutcome Comparer::run()
{
    // Standard input cannot be read twice: without sorting it is kept.
    std::array<QString, 2> files = m_job.files;
    if (!m_job.sorted) {
        for (size_t list = 0; list < 2; ++list) {
            if (!files[list].isEmpty())
                continue;
            SpillWriter copy(m_folder, QStringLiteral("input%1").arg(list + 1));
            QFile input;
            if (!input.open(0, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
                throw ListReadFailure {int(list), std::make_exception_ptr(AppError(input.errorString()))};
            QByteArray block(int(MiB), Qt::Uninitialized);
            for (;;) {
                const qint64 got = input.read(block.data(), block.size());
                if (got < 0)
                    throw ListReadFailure {int(list), std::make_exception_ptr(AppError(input.errorString()))};
                if (got == 0)
                    break;
                copy.addBytes(QByteArrayView(block.constData(), qsizetype(got)));
            }
            copy.finish();
            files[list] = copy.fileName();
        }
    }
    m_files = files;

    QElapsedTimer clock;
    clock.start();
    std::array<double, 4> seconds {};
    const auto lap = [&](size_t phase) {
        seconds[phase] = double(clock.nsecsElapsed()) / 1e9;
        clock.restart();
    };
    readList(0);
    lap(0);
    readList(1);
    lap(1);
    writeHeaders();
    if (m_job.sorted && m_sinks.oneListOnly)
        m_only2Lines.emplace(m_folder, QStringLiteral("only2"));
    if (!m_job.sorted && m_sinks.pairs)
        m_pairs.emplace(m_folder, QStringLiteral("pairs"));
    walk();
    lap(2);
    writeAfterWalk();
    lap(3);

    ExternalOutcome outcome;
    CompareSummary &summary = m_summary;
    summary.lines = {m_lists[0].lines, m_lists[1].lines};
    summary.withoutKey = {m_lists[0].withoutKey, m_lists[1].withoutKey};
    summary.walked = true;
    summary.locale = m_lists[0].locale;
    summary.matching = m_job.matching;
    summary.key = m_job.key;
    summary.header = m_job.header;
    outcome.summary = summary;
    outcome.reports = {m_lists[0].report, m_lists[1].report};
    outcome.peakTempBytes = m_folder.peak();
    outcome.runs = {int(m_lists[0].runs.size()), int(m_lists[1].runs.size())};
    outcome.seconds = seconds;
    return outcome;
}

} // namespace

ExternalOutcome
compareExternally(const ExternalJob &job, const ExternalSinks &sinks, ExternalProgress &progress)
{
    Comparer comparer(job, sinks, progress);
    return comparer.run();
}
