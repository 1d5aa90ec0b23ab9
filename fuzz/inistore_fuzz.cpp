// The settings store: whatever a file holds, opening it, writing it and
// opening it again gives the same store (the bytes written are a fixed point),
// and a value written through the store reads back.

#include "app/inistore.h"
#include "fuzz/fuzzsupport.h"

namespace {

QByteArray reopened(const QString &path)
{
    IniStore store;
    store.open(path);
    store.write();
    IniStore again;
    again.open(path);
    return again.serialized();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input input(data, size);
    const std::uint8_t flags = input.byte();
    const QByteArray raw = input.rest();
    const QString path = fuzz::writeScratch(QStringLiteral("settings.ini"), raw);

    IniStore store;
    try {
        store.open(path);
    } catch (const IniDecodeError &) {
        QByteArrayView bytes(raw);
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        fuzz::check(!fuzz::isValidUtf8(bytes), "valid UTF-8 refused");
        return 0;
    } catch (const AppError &error) {
        fuzz::fail("a readable file could not be opened", error.message());
    }
    const QByteArray first = store.serialized();
    fuzz::check(first.startsWith("\xEF\xBB\xBF"), "written without a byte-order mark");
    try {
        store.write();
        fuzz::check(reopened(path) == first, "writing and reopening changed the store",
                    QString::fromUtf8(first) + QStringLiteral("\n----\n")
                        + QString::fromUtf8(reopened(path)));

        // A value the program writes ("0", "1", a word) in a section and key
        // of its own reads back, and leaves every other entry as it was.
        const QString value = QString::number(flags);
        store.writeString(QStringLiteral("Settings"), QStringLiteral("Fuzz"), value);
        store.write();
        IniStore again;
        again.open(path);
        fuzz::check(again.readString(QStringLiteral("SETTINGS"), QStringLiteral("fuzz"), QString()) == value,
                    "a written value does not read back");
        fuzz::check(again.serialized() == store.serialized(), "a written store does not reopen the same");
    } catch (const AppError &error) {
        fuzz::fail("the store could not be written", error.message());
    }
    return 0;
}
