#include "archive/EntryDecoder.h"

#include "archive/PakFormat.h"
#include "archive/ZipFormat.h"
#include "archive/ZipReader.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace zorvak {

namespace {

// Coded bytes are read from the archive in pieces of this size.
constexpr std::size_t kCodedPiece = 256 * 1024;

} // namespace

// One way of turning coded bytes into the entry's bytes.
class TEntryDecoder::TCodec {
public:
    TCodec(TEntryDecoder& owner, std::int64_t pos, std::int64_t length)
        : owner_(owner), pos_(pos), left_(length) {}
    virtual ~TCodec() = default;
    // Up to n decoded bytes into out; 0 only once the coded bytes have
    // ended (their end mark, or all of them read).
    virtual std::size_t Decode(unsigned char* out, std::size_t n) = 0;

protected:
    // The next piece of coded bytes; empty when all were read.
    std::span<const unsigned char> Next() {
        if (left_ == 0)
            return {};
        if (!buffer_)
            buffer_.reset(new unsigned char[kCodedPiece]);
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(left_, static_cast<std::int64_t>(kCodedPiece)));
        if (owner_.read_(pos_, buffer_.get(), n) != n)
            throw TInOutFailure(kIoReadBeyondEnd); // the archive shrank
        pos_ += static_cast<std::int64_t>(n);
        left_ -= static_cast<std::int64_t>(n);
        return {buffer_.get(), n};
    }

    TEntryDecoder& owner_;
    std::int64_t pos_;
    std::int64_t left_;

private:
    std::unique_ptr<unsigned char[]> buffer_;
};

// A stored member: its bytes straight into out.
class TEntryDecoder::TStoredCodec : public TCodec {
public:
    using TCodec::TCodec;
    std::size_t Decode(unsigned char* out, std::size_t n) override {
        n = static_cast<std::size_t>(std::min<std::int64_t>(left_, static_cast<std::int64_t>(n)));
        if (n > 0 && owner_.read_(pos_, out, n) != n)
            throw TInOutFailure(kIoReadBeyondEnd);
        pos_ += static_cast<std::int64_t>(n);
        left_ -= static_cast<std::int64_t>(n);
        return n;
    }
};

class TEntryDecoder::TInflate : public TCodec {
public:
    TInflate(TEntryDecoder& owner, std::int64_t pos, std::int64_t length)
        : TCodec(owner, pos, length) {
        if (inflateInit2(&z_, -MAX_WBITS) != Z_OK)
            throw std::bad_alloc();
    }
    ~TInflate() override { inflateEnd(&z_); }

    std::size_t Decode(unsigned char* out, std::size_t n) override {
        if (ended_)
            return 0;
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(std::min<std::size_t>(n, 1u << 30));
        const uInt asked = z_.avail_out;
        while (z_.avail_out == asked) {
            if (z_.avail_in == 0) {
                const std::span<const unsigned char> in = Next();
                z_.next_in = const_cast<Bytef*>(in.data());
                z_.avail_in = static_cast<uInt>(in.size());
            }
            const bool lastInput = left_ == 0;
            const int result = inflate(&z_, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                ended_ = true;
                break;
            }
            if (result == Z_DATA_ERROR)
                owner_.Damaged(FormatText(Tr("its deflated data are not valid ({1})"),
                                          z_.msg != nullptr ? z_.msg : Tr("no reason given")));
            if (result == Z_MEM_ERROR)
                throw std::bad_alloc();
            if (result == Z_BUF_ERROR && z_.avail_in == 0 && lastInput)
                owner_.Damaged(Tr("its deflated data end before their end mark"));
            if (result != Z_OK && result != Z_BUF_ERROR)
                owner_.Damaged(Tr("its deflated data cannot be decoded"));
        }
        return asked - z_.avail_out;
    }

private:
    z_stream z_{};
    bool ended_ = false;
};

// Daikatana's code: a byte below 64 is that many plus one literal bytes;
// below 128, that less 62 zeros; below 192, the next byte that less 126
// times; below 254, that less 190 bytes copied from the output, as far back
// as the next byte plus 2; 255 ends the entry (254 does nothing).
class TEntryDecoder::TDaikatana : public TCodec {
public:
    using TCodec::TCodec;

    std::size_t Decode(unsigned char* out, std::size_t n) override {
        std::size_t made = 0;
        while (made < n) {
            if (count_ == 0) {
                if (ended_ || !NextOp())
                    break;
                continue;
            }
            unsigned char b = 0;
            switch (op_) {
            case opLiteral:
                if (!Byte(b))
                    owner_.Damaged(Tr("its coded data end inside a run of bytes"));
                break;
            case opZeros:
                break;
            case opRepeat:
                b = value_;
                break;
            case opBack:
                b = history_[(written_ - distance_) & kHistoryMask];
                break;
            }
            history_[written_ & kHistoryMask] = b;
            ++written_;
            out[made++] = b;
            --count_;
        }
        return made;
    }

private:
    enum TOp { opLiteral, opZeros, opRepeat, opBack };
    static constexpr std::size_t kHistoryMask = 511; // reaches 257 back

    bool Byte(unsigned char& b) {
        if (at_ == in_.size()) {
            in_ = Next();
            at_ = 0;
            if (in_.empty())
                return false;
        }
        b = in_[at_++];
        return true;
    }

    // Reads the next code; false when the entry ends.
    bool NextOp() {
        unsigned char code = 0;
        if (!Byte(code)) {
            ended_ = true;
            return false;
        }
        if (code == 255) {
            ended_ = true;
            return false;
        }
        if (code < 64) {
            op_ = opLiteral;
            count_ = code + 1u;
        } else if (code < 128) {
            op_ = opZeros;
            count_ = code - 62u;
        } else if (code < 192) {
            op_ = opRepeat;
            count_ = code - 126u;
            if (!Byte(value_))
                owner_.Damaged(Tr("its coded data end inside a run of bytes"));
        } else if (code < 254) {
            op_ = opBack;
            count_ = code - 190u;
            unsigned char offset = 0;
            if (!Byte(offset))
                owner_.Damaged(Tr("its coded data end inside a back reference"));
            distance_ = offset + 2u;
            if (distance_ > written_)
                owner_.Damaged(Tr("a back reference reaches before the entry's first byte"));
        }
        return true;
    }

    std::span<const unsigned char> in_;
    std::size_t at_ = 0;
    bool ended_ = false;
    TOp op_ = opLiteral;
    unsigned count_ = 0;
    unsigned char value_ = 0;
    std::size_t distance_ = 0;
    std::size_t written_ = 0;
    std::array<unsigned char, kHistoryMask + 1> history_{};
};

TEntryDecoder::TEntryDecoder(const TLockedFile& archive, const TPakEntry& entry)
    : TEntryDecoder([&archive](std::int64_t pos, unsigned char* out,
                               std::size_t n) { return archive.ReadAt(pos, out, n); },
                    archive.Size(), entry) {}

TEntryDecoder::TEntryDecoder(TStream& archive, const TPakEntry& entry)
    : TEntryDecoder(
          [&archive](std::int64_t pos, unsigned char* out, std::size_t n) {
              archive.Seek(pos);
              return archive.Read(out, n);
          },
          archive.Size(), entry) {}

TEntryDecoder::TEntryDecoder(TReadAt read, std::int64_t size, const TPakEntry& entry)
    : read_(std::move(read)), name_(entry.Name),
      coding_(entry.Coding != nullptr ? *entry.Coding : TEntryCoding{}), want_(entry.FileLength) {
    if (const std::string why = UndecodableReason(coding_); !why.empty())
        Damaged(why);
    if (entry.FilePos < 0 || coding_.StoredLength < 0 || coding_.Size < 0 || want_ < 0)
        Damaged(Tr("its position or length is negative"));
    if (want_ > coding_.Size)
        want_ = coding_.Size;
    const std::int64_t most = MostDecodedBytes(coding_);
    if (coding_.Size > most)
        Damaged(FormatText(Tr("it states {1} bytes, more than its {2} coded bytes can hold"),
                           coding_.Size, coding_.StoredLength));
    if (coding_.Method == TEntryMethod::emStored && coding_.StoredLength != coding_.Size)
        Damaged(FormatText(Tr("it is stored, yet states {1} bytes in {2}"), coding_.Size,
                           coding_.StoredLength));
    std::int64_t data = entry.FilePos;
    if (coding_.LocalHeader) {
        unsigned char local[kZipLocalSize];
        if (read_(entry.FilePos, local, sizeof local) != sizeof local ||
            ZipGet32(local) != kZipLocalSignature)
            Damaged(Tr("no local header where the directory puts it"));
        data += ZipLocalHeaderLength(local);
    }
    if (data > size - coding_.StoredLength)
        throw TInOutFailure(kIoReadBeyondEnd);
    switch (coding_.Method) {
    case TEntryMethod::emPlain:
    case TEntryMethod::emStored:
        codec_ = std::make_unique<TStoredCodec>(*this, data, coding_.StoredLength);
        break;
    case TEntryMethod::emDeflated:
        codec_ = std::make_unique<TInflate>(*this, data, coding_.StoredLength);
        break;
    case TEntryMethod::emDaikatana:
        codec_ = std::make_unique<TDaikatana>(*this, data, coding_.StoredLength);
        break;
    case TEntryMethod::emUnsupported:
        break; // refused above
    }
}

TEntryDecoder::~TEntryDecoder() = default;

void TEntryDecoder::Damaged(const std::string& why) const {
    throw TDamagedEntryFailure(name_, why);
}

std::size_t TEntryDecoder::Read(unsigned char* out, std::size_t n) {
    n = static_cast<std::size_t>(
        std::min<std::int64_t>(want_ - done_, static_cast<std::int64_t>(n)));
    std::size_t made = 0;
    while (made < n) {
        const std::size_t got = codec_->Decode(out + made, n - made);
        if (got == 0)
            Damaged(FormatText(Tr("its data end after {1} of its {2} bytes"),
                               done_ + static_cast<std::int64_t>(made), coding_.Size));
        made += got;
    }
    if (coding_.HasCrc)
        crc_ = static_cast<std::uint32_t>(crc32(crc_, out, static_cast<uInt>(made)));
    done_ += static_cast<std::int64_t>(made);
    return made;
}

void TEntryDecoder::Finish() {
    if (done_ != coding_.Size)
        return; // a head only: nothing to check it against
    unsigned char more = 0;
    if (codec_->Decode(&more, 1) != 0)
        Damaged(FormatText(Tr("it decodes to more than its stated {1} bytes"), coding_.Size));
    if (coding_.HasCrc && crc_ != coding_.Crc) {
        char made[16], stated[16];
        std::snprintf(made, sizeof made, "%08x", static_cast<unsigned>(crc_));
        std::snprintf(stated, sizeof stated, "%08x", static_cast<unsigned>(coding_.Crc));
        Damaged(FormatText(Tr("its CRC is {1} where the archive says {2}"), made, stated));
    }
}

std::vector<unsigned char> DecodeEntryBytes(const TLockedFile& archive, const TPakEntry& entry) {
    TEntryDecoder decoder(archive, entry);
    const std::int64_t length =
        std::min(entry.FileLength, entry.Coding != nullptr ? entry.Coding->Size : 0);
    if (length > static_cast<std::int64_t>(std::numeric_limits<std::size_t>::max() / 2))
        throw std::bad_alloc();
    std::vector<unsigned char> bytes(static_cast<std::size_t>(std::max<std::int64_t>(0, length)));
    std::size_t at = 0;
    while (at < bytes.size())
        at += decoder.Read(bytes.data() + at, bytes.size() - at);
    decoder.Finish();
    return bytes;
}

} // namespace zorvak
