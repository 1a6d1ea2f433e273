// wsprintfA: the integer, string and character conversions, with flags, width and
// precision, into a buffer of at most 1024 characters as on Windows.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

constexpr std::size_t outputLimit = 1024;

std::string pad(std::string body, std::size_t width, bool left, bool zero, std::size_t signLength)
{
    if (body.size() >= width) {
        return body;
    }
    const std::size_t fill = width - body.size();
    if (left) {
        return body + std::string(fill, ' ');
    }
    if (zero) {
        return body.substr(0, signLength) + std::string(fill, '0') + body.substr(signLength);
    }
    return std::string(fill, ' ') + body;
}

} // namespace

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...)
{
    if (buffer == nullptr || format == nullptr) {
        return 0;
    }
    va_list args;
    va_start(args, format);
    std::string out;
    for (const char* p = format; *p != '\0' && out.size() < outputLimit; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        ++p;
        bool left = false;
        bool zero = false;
        bool plus = false;
        bool space = false;
        bool alternate = false;
        for (;; ++p) {
            if (*p == '-') {
                left = true;
            } else if (*p == '0') {
                zero = true;
            } else if (*p == '+') {
                plus = true;
            } else if (*p == ' ') {
                space = true;
            } else if (*p == '#') {
                alternate = true;
            } else {
                break;
            }
        }
        std::size_t width = 0;
        while (*p >= '0' && *p <= '9') {
            width = width * 10 + static_cast<std::size_t>(*p - '0');
            ++p;
        }
        int precision = -1;
        if (*p == '.') {
            ++p;
            precision = 0;
            while (*p >= '0' && *p <= '9') {
                precision = precision * 10 + (*p - '0');
                ++p;
            }
        }
        // "l" and "h": a long is 32 bits on Windows, and shorts arrive widened.
        while (*p == 'l' || *p == 'h') {
            ++p;
        }
        const char conversion = *p;
        if (conversion == '\0') {
            break;
        }
        std::string body;
        std::size_t signLength = 0;
        switch (conversion) {
        case 'd':
        case 'i': {
            const int value = va_arg(args, int);
            const long long wide = value;
            std::string digits = std::to_string(wide < 0 ? -wide : wide);
            if (precision >= 0 && digits.size() < static_cast<std::size_t>(precision)) {
                digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
            }
            if (value < 0) {
                body = "-";
            } else if (plus) {
                body = "+";
            } else if (space) {
                body = " ";
            }
            signLength = body.size();
            body += digits;
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            const unsigned value = va_arg(args, unsigned);
            char digits[16];
            std::snprintf(digits, sizeof digits, conversion == 'u' ? "%u" : conversion == 'x' ? "%x" : "%X", value);
            body = digits;
            if (precision >= 0 && body.size() < static_cast<std::size_t>(precision)) {
                body.insert(0, static_cast<std::size_t>(precision) - body.size(), '0');
            }
            if (alternate && conversion != 'u' && value != 0) {
                body.insert(0, conversion == 'x' ? "0x" : "0X");
                signLength = 2;
            }
            break;
        }
        case 's': {
            const char* text = va_arg(args, const char*);
            body = text != nullptr ? text : "(null)";
            if (precision >= 0 && body.size() > static_cast<std::size_t>(precision)) {
                body.resize(static_cast<std::size_t>(precision));
            }
            zero = false;
            break;
        }
        case 'c':
            body = std::string(1, static_cast<char>(va_arg(args, int)));
            zero = false;
            break;
        default: body = std::string(1, conversion); break;
        }
        out += pad(body, width, left, zero && !left && precision < 0, signLength);
    }
    va_end(args);
    // Output that does not fit ends after 1023 characters and the terminator, and the
    // count returned is then the limit itself, as the system's wsprintfA reports it.
    const bool cut = out.size() > outputLimit - 1;
    if (cut) {
        out.resize(outputLimit - 1);
    }
    std::memcpy(buffer, out.c_str(), out.size() + 1);
    return static_cast<int>(cut ? outputLimit : out.size());
}
