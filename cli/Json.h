// JSON output for scripts (--json): one document, written as it goes. Names
// are bytes; a byte that is no part of valid UTF-8 is written as the code
// point U+DC00 plus the byte ("\udce9" for 0xE9), as Python's
// "surrogateescape" reads it back: json.loads, then
// .encode("utf-8", "surrogateescape"), gives the name's bytes again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// bytes as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view bytes);

class TJsonWriter {
public:
    TJsonWriter& BeginObject();
    TJsonWriter& EndObject();
    TJsonWriter& BeginArray();
    TJsonWriter& EndArray();
    // A member's key; its value is the next call.
    TJsonWriter& Key(std::string_view key);
    TJsonWriter& String(std::string_view bytes);
    TJsonWriter& Number(std::int64_t value);
    TJsonWriter& Bool(bool value);
    TJsonWriter& Null();

    // What has been written so far (and, as pieces grow, taken away).
    std::string& Text() { return out_; }

private:
    // A comma before a value that follows another in its container.
    void Separate();

    std::string out_;
    std::vector<bool> first_; // per open container: nothing in it yet
    bool afterKey_ = false;
};

} // namespace zorvak
