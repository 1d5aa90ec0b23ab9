#include "bench/datagen.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string_view>

namespace datagen {

namespace {

// splitmix64: small, fast and defined bit for bit, so the data never depends on a
// library's generator.
std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class SplitMix
{
public:
    explicit SplitMix(std::uint64_t state)
        : m_state(state)
    {
    }
    std::uint64_t next() { return mix(m_state += 0x9E3779B97F4A7C15ull); }
    // A value below `bound` (> 0); the bias of a 64-bit modulo is negligible here.
    std::uint32_t below(std::uint32_t bound) { return std::uint32_t(next() % bound); }

private:
    std::uint64_t m_state;
};

// A line key packs the line's identity (which text it is) and its spelling.
// Identity: a kind (shared between the lists of a pair, or a list's own) and
// an index. The text depends on the seed and the identity alone, so a shared
// line is the same text in both lists until it is spelled differently.
constexpr int KindShift = 56;
constexpr int SpellingShift = 58;
constexpr std::uint64_t IdentityMask = (std::uint64_t {1} << SpellingShift) - 1;
constexpr std::uint64_t KindShared = 0;
constexpr std::uint64_t KindFirstOwn = 1;
constexpr std::uint64_t KindSecondOwn = 2;
// Own indices past this mark stand in for shared draws beyond the pool.
constexpr std::uint64_t OverflowIndex = std::uint64_t {1} << 50;

enum Spelling : unsigned
{
    Plain = 0,
    Upper = 1, // every letter upper case
    Title = 2, // first letter of each word upper case
    Decomposed = 4, // canonical decomposition (NFD)
};
constexpr unsigned CaseBits = Upper | Title;

std::uint64_t makeKey(std::uint64_t kind, std::uint64_t index, unsigned spelling)
{
    return (std::uint64_t(spelling) << SpellingShift) | (kind << KindShift) | index;
}

unsigned spellingOf(std::uint64_t key)
{
    return unsigned(key >> SpellingShift);
}

std::uint64_t withSpelling(std::uint64_t key, unsigned spelling)
{
    return (key & IdentityMask) | (std::uint64_t(spelling) << SpellingShift);
}

// Lines of a list: new distinct lines, exact repeats, case variants and
// decomposed spellings of earlier lines, in percent.
constexpr unsigned RepeatPercent = 9;
constexpr unsigned CaseVariantPercent = 5;
constexpr unsigned DecomposedVariantPercent = 4;
constexpr unsigned NewPercent = 100 - RepeatPercent - CaseVariantPercent - DecomposedVariantPercent;

using Table = std::array<std::string_view, 32>;

constexpr Table FirstNames
    = {"anna",  "ben",   "clara", "david", "eva",  "felix",     "greta",   "hugo", "ida",   "jonas", "karin",
       "leo",   "maria", "nils",  "olga",  "paul", "rosa",      "sven",    "tina", "ulf",   "vera",  "walter",
       "xenia", "yusuf", "zoe",   "alex",  "bea",  "christoph", "dominik", "emil", "frida", "gustav"};
constexpr Table LastNames
    = {"berg",   "meyer",  "novak", "schmidt", "olsen",  "rossi",  "garcia",  "kowalski",
       "jansen", "dubois", "silva", "weber",   "larsen", "costa",  "fischer", "horvat",
       "ivanov", "kaya",   "lind",  "moreau",  "nagy",   "petrov", "quist",   "ruiz",
       "sato",   "tanaka", "urban", "vogel",   "wagner", "yilmaz", "zeller",  "brandt"};
constexpr std::array<std::string_view, 16> Domains
    = {"mailhost", "example", "postbox", "netmail", "firma", "webpost", "inbox", "kontor",
       "letters",  "mx-one",  "corp",    "studio",  "shop",  "uni-ka",  "city",  "home"};
constexpr std::array<std::string_view, 8> TopDomains = {"de", "com", "org", "net", "eu", "at", "ch", "se"};

constexpr Table AsciiSyllables = {"ka",  "lo",  "mer", "sta", "vin", "do",  "re",  "mi",  "tor", "pel", "an",
                                  "ux",  "bri", "gal", "hen", "jo",  "qua", "zel", "fa",  "nor", "sil", "ver",
                                  "tam", "ble", "cro", "dus", "ek",  "fin", "gor", "hal", "ip",  "lun"};
// Precomposed letters that decompose (é, ü, ñ, ç, å ...) and some that do not (ß, ø, æ, ð).
constexpr Table AccentedSyllables
    = {"mü",  "ller", "stra", "ße",  "kö", "ln",  "ca",  "fé",  "brû", "lée", "søs",
       "ter", "på",   "ær",   "rø",  "ña", "ça",  "gar", "çon", "übe", "grü", "frö",
       "jä",  "vå",   "ðe",   "naï", "ve", "crè", "mâ",  "só",  "lí",  "tú"};
// Holds й and ё, which decompose.
constexpr Table CyrillicSyllables
    = {"при", "вет", "мир", "ка",  "ло", "ёж", "ёл", "да", "ни", "сто", "во", "ру", "кий", "йо", "дом", "сад",
       "лес", "мо",  "ре",  "чай", "щи", "шу", "ба", "жу", "ра", "эх",  "юг", "як", "зи",  "ма", "фы",  "цу"};
// Holds letters with tonos, which decompose.
constexpr Table GreekSyllables
    = {"κα",  "λη", "μέ", "ρα", "κό", "σμε", "ά",  "νθρω", "πο", "θά", "λασ", "σα",   "ή", "λιο", "φω", "νύ",
       "χτα", "ψυ", "χή", "ζω", "ού", "πί",  "νό", "γή",   "νε", "ρό", "δέ",  "ντρο", "ώ", "ξέ",  "βί", "τυ"};
constexpr std::array<std::string_view, 8> GreekEndings = {"ος", "ός", "ας", "ής", "ες", "α", "η", "ο"};

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

void appendNumber(std::string &out, std::uint32_t value)
{
    char digits[10];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        out.push_back(digits[--n]);
}

void appendWord(
    std::string &out, SplitMix &rng, const Table &syllables, unsigned minSyllables, unsigned maxSyllables)
{
    const unsigned n = minSyllables + rng.below(maxSyllables - minSyllables + 1);
    for (unsigned i = 0; i < n; ++i)
        out += syllables[rng.below(syllables.size())];
}

void appendEmail(std::string &out, SplitMix &rng)
{
    out += FirstNames[rng.below(FirstNames.size())];
    constexpr std::string_view Separators[] = {".", "_", "", "."};
    out += Separators[rng.below(4)];
    out += LastNames[rng.below(LastNames.size())];
    if (rng.below(3) != 0)
        appendNumber(out, rng.below(10000));
    out.push_back('@');
    out += Domains[rng.below(Domains.size())];
    out.push_back('.');
    out += TopDomains[rng.below(TopDomains.size())];
}

void appendWords(std::string &out, SplitMix &rng)
{
    const unsigned words = 3 + rng.below(3);
    for (unsigned w = 0; w < words; ++w) {
        if (w > 0)
            out.push_back(' ');
        appendWord(out, rng, AsciiSyllables, 1, 3);
    }
}

void appendProductCode(std::string &out, SplitMix &rng)
{
    const unsigned letters = 2 + rng.below(2);
    for (unsigned i = 0; i < letters; ++i)
        out.push_back(char('A' + rng.below(26)));
    out.push_back('-');
    const unsigned digits = 4 + rng.below(3);
    for (unsigned i = 0; i < digits; ++i)
        out.push_back(char('0' + rng.below(10)));
    out.push_back('-');
    constexpr std::string_view Alphanumeric = "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789";
    for (int i = 0; i < 2; ++i)
        out.push_back(Alphanumeric[rng.below(std::uint32_t(Alphanumeric.size()))]);
    if (rng.below(10) < 3) {
        out += " rev ";
        appendNumber(out, rng.below(10));
    } else {
        out.push_back(' ');
        appendWord(out, rng, AsciiSyllables, 2, 4);
    }
}

void appendAccentedLatin(std::string &out, SplitMix &rng)
{
    for (unsigned w = 0; w < 3; ++w) {
        if (w > 0)
            out.push_back(' ');
        const unsigned syllables = 2 + rng.below(2);
        for (unsigned s = 0; s < syllables; ++s) {
            const Table &table = rng.below(2) == 0 ? AccentedSyllables : AsciiSyllables;
            out += table[rng.below(table.size())];
        }
    }
    if (rng.below(4) == 0) {
        out.push_back(' ');
        appendNumber(out, rng.below(100));
    }
}

void appendCyrillic(std::string &out, SplitMix &rng)
{
    appendWord(out, rng, CyrillicSyllables, 2, 3);
    out.push_back(' ');
    appendWord(out, rng, CyrillicSyllables, 2, 3);
    if (rng.below(3) == 0) {
        out.push_back(' ');
        appendNumber(out, rng.below(1000));
    }
}

void appendGreek(std::string &out, SplitMix &rng)
{
    for (int w = 0; w < 2; ++w) {
        if (w > 0)
            out.push_back(' ');
        appendWord(out, rng, GreekSyllables, 1, 2);
        out += GreekEndings[rng.below(GreekEndings.size())];
    }
    if (rng.below(2) == 0) {
        out.push_back(' ');
        appendNumber(out, rng.below(1000));
    }
}

// Han ideographs, some with kana, or Hangul syllables (which decompose into jamo).
void appendEastAsian(std::string &out, SplitMix &rng)
{
    const unsigned characters = 6 + rng.below(4);
    const bool korean = rng.below(4) == 0;
    for (unsigned i = 0; i < characters; ++i) {
        if (korean)
            appendUtf8(out, char32_t(0xAC00 + rng.below(11172)));
        else if (rng.below(5) == 0)
            appendUtf8(out, char32_t(0x3041 + rng.below(86))); // hiragana
        else
            appendUtf8(out, char32_t(0x4E00 + rng.below(20902)));
    }
    if (rng.below(4) == 0) {
        out.push_back(' ');
        appendNumber(out, rng.below(100));
    }
}

char32_t upperCase(char32_t c)
{
    if (c >= U'a' && c <= U'z')
        return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0x3C2) // final sigma
        return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3C9)
        return c - 0x20;
    switch (c) {
    case 0x3AC:
        return 0x386;
    case 0x3AD:
        return 0x388;
    case 0x3AE:
        return 0x389;
    case 0x3AF:
        return 0x38A;
    case 0x3CC:
        return 0x38C;
    case 0x3CD:
        return 0x38E;
    case 0x3CE:
        return 0x38F;
    default:
        break;
    }
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    return c;
}

struct Decomposition
{
    char32_t base;
    char32_t mark;
};

constexpr char32_t Grave = 0x300, Acute = 0x301, Circumflex = 0x302, Tilde = 0x303, Breve = 0x306,
                   Diaeresis = 0x308, RingAbove = 0x30A, Cedilla = 0x327;

// Canonical decompositions of U+00C0..U+00FF; {0, 0} where there is none.
constexpr std::array<Decomposition, 64> LatinDecompositions = [] {
    std::array<Decomposition, 64> table {};
    const auto set = [&](char32_t upper, char32_t base, char32_t mark) {
        table[upper - 0xC0] = {base, mark};
        table[upper + 0x20 - 0xC0] = {base + 0x20, mark};
    };
    set(0xC0, U'A', Grave);
    set(0xC1, U'A', Acute);
    set(0xC2, U'A', Circumflex);
    set(0xC3, U'A', Tilde);
    set(0xC4, U'A', Diaeresis);
    set(0xC5, U'A', RingAbove);
    set(0xC7, U'C', Cedilla);
    set(0xC8, U'E', Grave);
    set(0xC9, U'E', Acute);
    set(0xCA, U'E', Circumflex);
    set(0xCB, U'E', Diaeresis);
    set(0xCC, U'I', Grave);
    set(0xCD, U'I', Acute);
    set(0xCE, U'I', Circumflex);
    set(0xCF, U'I', Diaeresis);
    set(0xD1, U'N', Tilde);
    set(0xD2, U'O', Grave);
    set(0xD3, U'O', Acute);
    set(0xD4, U'O', Circumflex);
    set(0xD5, U'O', Tilde);
    set(0xD6, U'O', Diaeresis);
    set(0xD9, U'U', Grave);
    set(0xDA, U'U', Acute);
    set(0xDB, U'U', Circumflex);
    set(0xDC, U'U', Diaeresis);
    set(0xDD, U'Y', Acute);
    table[0xFF - 0xC0] = {U'y', Diaeresis};
    return table;
}();

// Appends the canonical decomposition of the letters this generator uses.
void appendDecomposed(std::u32string &out, char32_t c)
{
    if (c >= 0xC0 && c <= 0xFF && LatinDecompositions[c - 0xC0].base != 0) {
        out.push_back(LatinDecompositions[c - 0xC0].base);
        out.push_back(LatinDecompositions[c - 0xC0].mark);
        return;
    }
    switch (c) {
    case 0x3AC: // Greek small letters with tonos
        out += {0x3B1, Acute};
        return;
    case 0x3AD:
        out += {0x3B5, Acute};
        return;
    case 0x3AE:
        out += {0x3B7, Acute};
        return;
    case 0x3AF:
        out += {0x3B9, Acute};
        return;
    case 0x3CC:
        out += {0x3BF, Acute};
        return;
    case 0x3CD:
        out += {0x3C5, Acute};
        return;
    case 0x3CE:
        out += {0x3C9, Acute};
        return;
    case 0x439: // й
        out += {0x438, Breve};
        return;
    case 0x451: // ё
        out += {0x435, Diaeresis};
        return;
    default:
        break;
    }
    if (c >= 0xAC00 && c <= 0xD7A3) {
        const char32_t s = c - 0xAC00;
        out.push_back(0x1100 + s / 588);
        out.push_back(0x1161 + (s % 588) / 28);
        if (s % 28 != 0)
            out.push_back(0x11A7 + s % 28);
        return;
    }
    out.push_back(c);
}

// Rewrites out[start..] (valid UTF-8 from this generator) in the given spelling.
void respell(std::string &out, size_t start, unsigned spelling, std::u32string &scratch)
{
    scratch.clear();
    for (size_t i = start; i < out.size();) {
        const auto b = static_cast<unsigned char>(out[i]);
        char32_t c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if (b < 0xE0) {
            c = b & 0x1F;
            extra = 1;
        } else if (b < 0xF0) {
            c = b & 0x0F;
            extra = 2;
        } else {
            c = b & 0x07;
            extra = 3;
        }
        for (int k = 1; k <= extra; ++k)
            c = (c << 6) | (static_cast<unsigned char>(out[i + size_t(k)]) & 0x3F);
        i += size_t(extra) + 1;
        if (spelling & Decomposed)
            appendDecomposed(scratch, c);
        else
            scratch.push_back(c);
    }
    bool wordStart = true;
    for (char32_t &c : scratch) {
        if ((spelling & Upper) || ((spelling & Title) && wordStart))
            c = upperCase(c);
        // Combining marks stay with their letter.
        if (c < 0x300 || c > 0x36F)
            wordStart = c == U' ';
    }
    out.resize(start);
    for (const char32_t c : scratch)
        appendUtf8(out, c);
}

void appendLine(std::uint64_t seed, std::uint64_t key, std::string &out, std::u32string &scratch)
{
    const size_t start = out.size();
    SplitMix rng(mix(seed ^ 0x6A09E667F3BCC909ull) ^ mix(key & IdentityMask));
    const unsigned category = rng.below(100);
    if (category < 20)
        appendEmail(out, rng);
    else if (category < 42)
        appendWords(out, rng);
    else if (category < 57)
        appendProductCode(out, rng);
    else if (category < 75)
        appendAccentedLatin(out, rng);
    else if (category < 85)
        appendCyrillic(out, rng);
    else if (category < 92)
        appendGreek(out, rng);
    else
        appendEastAsian(out, rng);
    if (const unsigned spelling = spellingOf(key); spelling != Plain)
        respell(out, start, spelling, scratch);
}

} // namespace

ListGenerator::ListGenerator(std::uint64_t seed, ListRole role, std::uint64_t count)
    : m_seed(seed)
    , m_role(role)
    , m_count(count)
    , m_state(mix(seed) ^ (0x243F6A8885A308D3ull * (std::uint64_t(role) + 1)))
{
    // A hint only: huge counts grow the table as they go.
    m_keys.reserve(size_t(std::min<std::uint64_t>(count * NewPercent / 100 + 16, std::uint64_t {1} << 26)));
    if (role == ListRole::Single)
        return;
    // Each list draws about this many shared lines: half of its new lines.
    m_sharedPool = std::max<std::uint64_t>(1, count * NewPercent / 200);
    if (role == ListRole::Second) {
        // The second list meets the shared lines in another order: an affine
        // permutation of the pool (a multiplier below 2^23 keeps a * t in 64 bits).
        SplitMix rng(mix(seed ^ 0x13198A2E03707344ull));
        m_permMultiplier = rng.next() % std::min<std::uint64_t>(m_sharedPool, std::uint64_t {1} << 23) | 1;
        while (std::gcd(m_permMultiplier, m_sharedPool) != 1)
            m_permMultiplier += 2;
        m_permOffset = rng.next() % m_sharedPool;
    }
}

std::uint64_t ListGenerator::nextRandom()
{
    return mix(m_state += 0x9E3779B97F4A7C15ull);
}

std::uint64_t ListGenerator::newLineKey()
{
    const std::uint64_t ownKind = m_role == ListRole::Second ? KindSecondOwn : KindFirstOwn;
    std::uint64_t kind = ownKind;
    std::uint64_t index = 0;
    if (m_role != ListRole::Single && nextRandom() % 2 == 0) {
        const std::uint64_t t = m_sharedTaken++;
        if (t < m_sharedPool) {
            kind = KindShared;
            index = (m_permMultiplier * t + m_permOffset) % m_sharedPool;
        } else {
            index = OverflowIndex + t;
        }
    } else {
        index = m_ownTaken++;
    }
    // The second list spells more of the shared lines its own way.
    const bool crossVariant = m_role == ListRole::Second && kind == KindShared;
    const unsigned r = unsigned(nextRandom() % 100);
    unsigned spelling = Plain;
    if (r < (crossVariant ? 10u : 5u))
        spelling = Decomposed;
    else if (r < (crossVariant ? 14u : 7u))
        spelling = Upper;
    else if (r < (crossVariant ? 20u : 10u))
        spelling = Title;
    return makeKey(kind, index, spelling);
}

void ListGenerator::appendNext(std::string &out)
{
    static thread_local std::u32string scratch;
    ++m_produced;
    const unsigned r = unsigned(nextRandom() % 100);
    if (m_keys.empty() || r < NewPercent) {
        m_keys.push_back(newLineKey());
        appendLine(m_seed, m_keys.back(), out, scratch);
        return;
    }
    std::uint64_t key = m_keys[size_t(nextRandom() % m_keys.size())];
    const unsigned spelling = spellingOf(key);
    if (r < NewPercent + CaseVariantPercent) {
        // Upper case or title case, or back to the line's own case.
        const unsigned newCase = (spelling & CaseBits) ? Plain : (nextRandom() % 2 == 0 ? Upper : Title);
        key = withSpelling(key, (spelling & ~CaseBits) | newCase);
    } else if (r < NewPercent + CaseVariantPercent + DecomposedVariantPercent) {
        key = withSpelling(key, spelling ^ Decomposed);
    }
    appendLine(m_seed, key, out, scratch);
}

bool writeListFile(const std::string &path,
                   std::uint64_t seed,
                   ListRole role,
                   std::uint64_t count,
                   std::string &error,
                   bool tabSeparated)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    constexpr size_t FlushSize = size_t {1} << 20;
    std::string buffer;
    buffer.reserve(FlushSize + 4096);
    ListGenerator generator(seed, role, count);
    int failure = 0;
    // Record numbers differ between the lists of a pair.
    std::uint64_t record = role == ListRole::Second ? count : 0;
    while (failure == 0 && !generator.atEnd()) {
        if (tabSeparated) {
            buffer += std::to_string(++record);
            buffer.push_back('\t');
        }
        generator.appendNext(buffer);
        if (tabSeparated) {
            buffer.push_back('\t');
            buffer += std::to_string(record % 97);
        }
        buffer.push_back('\n');
        if (buffer.size() >= FlushSize || generator.atEnd()) {
            if (std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size())
                failure = errno != 0 ? errno : EIO;
            buffer.clear();
        }
    }
    if (std::fclose(file) != 0 && failure == 0)
        failure = errno != 0 ? errno : EIO;
    if (failure != 0) {
        error = "cannot write \"" + path + "\": " + std::strerror(failure);
        return false;
    }
    return true;
}

} // namespace datagen
