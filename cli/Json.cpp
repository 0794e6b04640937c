#include "cli/Json.h"

#include <charconv>

namespace zorvak {

namespace {

// The length of the valid UTF-8 sequence at bytes[i], or 0 when the byte
// there starts none.
std::size_t Utf8Length(std::string_view bytes, std::size_t i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07u;
    } else {
        return 0;
    }
    if (i + len > bytes.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto cc = static_cast<unsigned char>(bytes[i + k]);
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (cc & 0x3Fu);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

void AppendCodeUnit(std::string& out, unsigned unit) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(unit >> shift) & 15];
}

} // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
    out += '"';
    for (std::size_t i = 0; i < bytes.size();) {
        const char c = bytes[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            if (const std::size_t len = Utf8Length(bytes, i); len > 0) {
                out.append(bytes.substr(i, len));
                i += len;
            } else {
                AppendCodeUnit(out, 0xDC00u + u);
                ++i;
            }
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20 || u == 0x7F)
                AppendCodeUnit(out, u);
            else
                out += c;
        }
        ++i;
    }
    out += '"';
}

void TJsonWriter::Separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back())
            out_ += ',';
        first_.back() = false;
    }
}

TJsonWriter& TJsonWriter::BeginObject() {
    Separate();
    out_ += '{';
    first_.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
    first_.pop_back();
    out_ += '}';
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
    Separate();
    out_ += '[';
    first_.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
    first_.pop_back();
    out_ += ']';
    return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view key) {
    Separate();
    AppendJsonString(out_, key);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

TJsonWriter& TJsonWriter::String(std::string_view bytes) {
    Separate();
    AppendJsonString(out_, bytes);
    return *this;
}

TJsonWriter& TJsonWriter::Number(std::int64_t value) {
    Separate();
    char digits[24];
    const auto made = std::to_chars(digits, digits + sizeof digits, value);
    out_.append(digits, static_cast<std::size_t>(made.ptr - digits));
    return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value) {
    Separate();
    out_ += value ? "true" : "false";
    return *this;
}

TJsonWriter& TJsonWriter::Null() {
    Separate();
    out_ += "null";
    return *this;
}

} // namespace zorvak
