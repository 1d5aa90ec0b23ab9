// pairsight-datagen: writes generated line lists for the benchmarks.

#include "bench/datagen.h"
#include "lists/parallel.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

void printUsage(std::FILE *to)
{
    std::fputs("usage: pairsight-datagen [--seed S] [--pair] [--tsv] N OUT1 [OUT2]\n"
               "Writes N generated lines (UTF-8, LF, no byte-order mark) to OUT1; with --pair\n"
               "also a second list of N lines to OUT2 that shares about half of its distinct\n"
               "lines with the first. The same seed (default 1) gives the same files. With\n"
               "--tsv each line is number TAB generated line TAB number: the key in field 2.\n",
               to);
}

std::optional<std::uint64_t> parseCount(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

long long fileSize(const std::string &path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

} // namespace

int main(int argc, char **argv)
{
    std::uint64_t seed = 1;
    bool pair = false;
    bool tsv = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printUsage(stdout);
            return 0;
        }
        if (arg == "--pair") {
            pair = true;
        } else if (arg == "--tsv") {
            tsv = true;
        } else if (arg == "--seed" && i + 1 < argc) {
            const auto value = parseCount(argv[++i]);
            if (!value) {
                std::fprintf(stderr, "pairsight-datagen: invalid seed \"%s\"\n", argv[i]);
                return 2;
            }
            seed = *value;
        } else if (arg.starts_with("-") && arg.size() > 1) {
            std::fprintf(stderr, "pairsight-datagen: unknown option \"%s\"\n", argv[i]);
            printUsage(stderr);
            return 2;
        } else {
            positional.emplace_back(arg);
        }
    }
    if (positional.size() != (pair ? 3u : 2u)) {
        printUsage(stderr);
        return 2;
    }
    const auto count = parseCount(positional[0]);
    if (!count) {
        std::fprintf(stderr, "pairsight-datagen: invalid line count \"%s\"\n", positional[0].c_str());
        return 2;
    }

    const auto started = std::chrono::steady_clock::now();
    std::string errors[2];
    bool ok[2] = {true, true};
    if (pair) {
        // The two files are independent: one thread each.
        onTwoThreads(
            [&] {
                ok[0] = datagen::writeListFile(positional[1], seed, datagen::ListRole::First, *count,
                                               errors[0], tsv);
            },
            [&] {
                ok[1] = datagen::writeListFile(positional[2], seed, datagen::ListRole::Second, *count,
                                               errors[1], tsv);
            });
    } else {
        ok[0]
            = datagen::writeListFile(positional[1], seed, datagen::ListRole::Single, *count, errors[0], tsv);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    int status = 0;
    for (int k = 0; k < 2; ++k) {
        if (!ok[k]) {
            std::fprintf(stderr, "pairsight-datagen: %s\n", errors[k].c_str());
            status = 1;
        }
    }
    if (status != 0)
        return status;
    for (size_t k = 1; k < positional.size(); ++k)
        std::printf("%s: %llu lines, %.1f MB\n", positional[k].c_str(),
                    static_cast<unsigned long long>(*count), double(fileSize(positional[k])) / 1e6);
    std::printf("written in %.2f s\n", seconds);
    return 0;
}
