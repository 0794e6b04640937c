#include "archive/ZipWriter.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <ctime>

namespace zorvak {

namespace {

// Writes go out in pieces of about this size.
constexpr std::size_t kWriteBuffer = 1024 * 1024;

bool Wide(std::int64_t value) {
    return value >= static_cast<std::int64_t>(kZip32Escape);
}

std::uint32_t Narrow(std::int64_t value) {
    return Wide(value) ? kZip32Escape : static_cast<std::uint32_t>(value);
}

std::uint16_t FlagsFor(const std::string& name) {
    const bool plain = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return !plain && IsValidUtf8(name) ? kZipFlagUtf8 : 0;
}

} // namespace

std::uint32_t DosTimeOf(std::int64_t unixSeconds) {
    const auto t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0)
        return kZipEarliestDosTime;
#else
    if (localtime_r(&t, &local) == nullptr)
        return kZipEarliestDosTime;
#endif
    const int year = local.tm_year + 1900;
    if (year < 1980)
        return kZipEarliestDosTime;
    if (year > 2107)
        return (127u << 9 | 12u << 5 | 31u) << 16 | (23u << 11 | 59u << 5 | 29u);
    const auto date =
        static_cast<std::uint32_t>((year - 1980) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
    const auto time =
        static_cast<std::uint32_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
    return date << 16 | time;
}

TZipWriter::TZipWriter(TStream& out) : out_(out) {
    buffer_.reserve(kWriteBuffer + kZipLocalSize + 0x10000);
    out_.Seek(0);
}

void TZipWriter::Put(const void* bytes, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    if (buffer_.size() + n > kWriteBuffer)
        Drain();
    if (n >= kWriteBuffer) {
        out_.Write(p, n);
        bufferAt_ += static_cast<std::int64_t>(n);
    } else {
        buffer_.insert(buffer_.end(), p, p + n);
    }
    position_ += static_cast<std::int64_t>(n);
}

void TZipWriter::Drain() {
    if (!buffer_.empty())
        out_.Write(buffer_.data(), buffer_.size());
    bufferAt_ += static_cast<std::int64_t>(buffer_.size());
    buffer_.clear();
}

void TZipWriter::Header(const TZipMemberInfo& info, bool wide) {
    // A name read from code page 437 may have grown past the field as UTF-8.
    if (info.Name.size() > 0xFFFF)
        throw TFailure(
            FormatText(Tr("Name too long for a ZIP archive ({1} bytes, at most 65535): {2}"),
                       info.Name.size(), info.Name.substr(0, 64) + "..."));
    TRecord r{info.Name,  info.Method, FlagsFor(info.Name), info.DosTime, info.ExternalAttributes,
              info.MadeBy};
    r.Offset = position_;
    r.WideLocal = wide;
    unsigned char local[kZipLocalSize] = {};
    ZipPut32(local, kZipLocalSignature);
    ZipPut16(local + 4, wide ? kZipVersionZip64 : kZipVersionDeflate);
    ZipPut16(local + 6, r.Flags);
    ZipPut16(local + 8, r.Method);
    ZipPut32(local + 10, r.DosTime);
    // CRC and sizes: filled in by the member's end.
    ZipPut16(local + kZipLocalNameLengthAt, static_cast<std::uint16_t>(r.Name.size()));
    ZipPut16(local + kZipLocalNameLengthAt + 2, wide ? 20 : 0);
    Put(local, sizeof local);
    Put(r.Name.data(), r.Name.size());
    if (wide) {
        unsigned char extra[20] = {};
        ZipPut16(extra, kZipExtraZip64);
        ZipPut16(extra + 2, 16);
        Put(extra, sizeof extra);
    }
    records_.push_back(std::move(r));
}

void TZipWriter::AddMember(const TZipMemberInfo& info, std::uint32_t crc, std::int64_t size,
                           std::span<const unsigned char> coded) {
    BeginMember(info, std::max(size, static_cast<std::int64_t>(coded.size())));
    WriteCoded(coded);
    EndMember(crc, size);
}

void TZipWriter::BeginMember(const TZipMemberInfo& info, std::int64_t mostSize) {
    Header(info, Wide(mostSize));
    open_ = true;
}

void TZipWriter::WriteCoded(std::span<const unsigned char> coded) {
    Put(coded.data(), coded.size());
}

void TZipWriter::EndMember(std::uint32_t crc, std::int64_t size) {
    TRecord& r = records_.back();
    open_ = false;
    r.Crc = crc;
    r.Size = size;
    const std::int64_t data = r.Offset + static_cast<std::int64_t>(kZipLocalSize + r.Name.size()) +
                              (r.WideLocal ? 20 : 0);
    r.Stored = position_ - data;
    // CRC, stored and decoded sizes at 14; the ZIP64 extra's two after the
    // name.
    unsigned char fields[12];
    ZipPut32(fields, crc);
    ZipPut32(fields + 4, r.WideLocal ? kZip32Escape : Narrow(r.Stored));
    ZipPut32(fields + 8, r.WideLocal ? kZip32Escape : Narrow(r.Size));
    unsigned char wide[16];
    ZipPut64(wide, static_cast<std::uint64_t>(r.Size));
    ZipPut64(wide + 8, static_cast<std::uint64_t>(r.Stored));
    const auto patch = [&](std::int64_t at, const unsigned char* bytes, std::size_t n) {
        if (at >= bufferAt_) {
            std::copy(bytes, bytes + n, buffer_.begin() + (at - bufferAt_));
        } else {
            // Written already (a big member): put right in place.
            out_.Seek(at);
            out_.Write(bytes, n);
            out_.Seek(bufferAt_);
        }
    };
    patch(r.Offset + 14, fields, sizeof fields);
    if (r.WideLocal)
        patch(r.Offset + static_cast<std::int64_t>(kZipLocalSize + r.Name.size()) + 4, wide,
              sizeof wide);
}

std::int64_t TZipWriter::Finish() {
    const std::int64_t directory = position_;
    for (const TRecord& r : records_) {
        // The ZIP64 extra holds, in this order, what its fields cannot.
        unsigned char extra[28];
        std::size_t n = 4;
        const auto add = [&](std::int64_t v) {
            ZipPut64(extra + n, static_cast<std::uint64_t>(v));
            n += 8;
        };
        if (Wide(r.Size))
            add(r.Size);
        if (Wide(r.Stored))
            add(r.Stored);
        if (Wide(r.Offset))
            add(r.Offset);
        const std::size_t extraLength = n > 4 ? n : 0;
        ZipPut16(extra, kZipExtraZip64);
        ZipPut16(extra + 2, static_cast<std::uint16_t>(n - 4));
        unsigned char central[kZipCentralSize] = {};
        ZipPut32(central, kZipCentralSignature);
        ZipPut16(central + 4, r.MadeBy);
        ZipPut16(central + 6,
                 extraLength > 0 || r.WideLocal ? kZipVersionZip64 : kZipVersionDeflate);
        ZipPut16(central + 8, r.Flags);
        ZipPut16(central + 10, r.Method);
        ZipPut32(central + 12, r.DosTime);
        ZipPut32(central + 16, r.Crc);
        ZipPut32(central + 20, Narrow(r.Stored));
        ZipPut32(central + 24, Narrow(r.Size));
        ZipPut16(central + 28, static_cast<std::uint16_t>(r.Name.size()));
        ZipPut16(central + 30, static_cast<std::uint16_t>(extraLength));
        ZipPut32(central + 38, r.ExternalAttributes);
        ZipPut32(central + 42, Narrow(r.Offset));
        Put(central, sizeof central);
        Put(r.Name.data(), r.Name.size());
        Put(extra, extraLength);
    }
    const std::int64_t length = position_ - directory;
    const auto count = static_cast<std::int64_t>(records_.size());
    if (count >= kZip16Escape || Wide(directory) || Wide(length)) {
        const std::int64_t record = position_;
        unsigned char end64[kZip64EndSize] = {};
        ZipPut32(end64, kZip64EndSignature);
        ZipPut64(end64 + 4, kZip64EndSize - 12);
        ZipPut16(end64 + 12, kZipMadeByUnix);
        ZipPut16(end64 + 14, kZipVersionZip64);
        ZipPut64(end64 + 24, static_cast<std::uint64_t>(count));
        ZipPut64(end64 + 32, static_cast<std::uint64_t>(count));
        ZipPut64(end64 + 40, static_cast<std::uint64_t>(length));
        ZipPut64(end64 + 48, static_cast<std::uint64_t>(directory));
        Put(end64, sizeof end64);
        unsigned char locator[kZip64LocatorSize] = {};
        ZipPut32(locator, kZip64LocatorSignature);
        ZipPut64(locator + 8, static_cast<std::uint64_t>(record));
        ZipPut32(locator + 16, 1);
        Put(locator, sizeof locator);
    }
    unsigned char end[kZipEndSize] = {};
    const auto count16 = count >= kZip16Escape ? kZip16Escape : static_cast<std::uint16_t>(count);
    ZipPut32(end, kZipEndSignature);
    ZipPut16(end + 8, count16);
    ZipPut16(end + 10, count16);
    ZipPut32(end + 12, Narrow(length));
    ZipPut32(end + 16, Narrow(directory));
    Put(end, sizeof end);
    Drain();
    return position_;
}

} // namespace zorvak
