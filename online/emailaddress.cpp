#include "online/emailaddress.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>

namespace {

constexpr char EmailPattern[] = "^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$";

struct CodeDeleter
{
    void operator()(pcre2_code *code) const { pcre2_code_free(code); }
    void operator()(pcre2_match_data *data) const { pcre2_match_data_free(data); }
};

// Compiled once; a compiled pattern is read-only and may be shared by threads.
const pcre2_code *emailPattern()
{
    static const std::unique_ptr<pcre2_code, CodeDeleter> code = [] {
        int error = 0;
        PCRE2_SIZE offset = 0;
        // "$" must not match before a final line break: the whole text is the address.
        return std::unique_ptr<pcre2_code, CodeDeleter>(
            pcre2_compile(reinterpret_cast<PCRE2_SPTR>(EmailPattern), PCRE2_ZERO_TERMINATED,
                          PCRE2_UTF | PCRE2_DOLLAR_ENDONLY, &error, &offset, nullptr));
    }();
    return code.get();
}

} // namespace

bool IsValidEmail(const QString &address)
{
    const pcre2_code *code = emailPattern();
    if (!code)
        return false;
    const QByteArray subject = address.toUtf8();
    const std::unique_ptr<pcre2_match_data, CodeDeleter> match(
        pcre2_match_data_create_from_pattern(code, nullptr));
    if (!match)
        return false;
    const int rc
        = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.constData()), PCRE2_SIZE(subject.size()), 0,
                      PCRE2_ANCHORED | PCRE2_ENDANCHORED, match.get(), nullptr);
    return rc > 0;
}
