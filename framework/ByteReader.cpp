#include "framework/ByteReader.h"

#include "framework/Failures.h"

#include <cstring>

namespace zorvak {

void TByteReader::ReadBytes(void* out, std::size_t n) {
    const auto bytes = Take(n);
    if (n != 0)
        std::memcpy(out, bytes.data(), n);
}

std::span<const unsigned char> TByteReader::Take(std::size_t n) {
    if (n > Remaining())
        throw TInOutFailure(kIoReadBeyondEnd);
    const auto part = bytes_.subspan(position_, n);
    position_ += n;
    return part;
}

void TByteReader::Seek(std::size_t position) {
    if (position > bytes_.size())
        throw TInOutFailure(kIoReadBeyondEnd);
    position_ = position;
}

} // namespace zorvak
