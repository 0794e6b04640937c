#include "framework/Streams.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <cstring>

namespace zorvak {

std::int64_t TStream::CheckedPosition(std::int64_t position) {
    if (position < 0)
        throw TFailure(Tr("Stream seek error"));
    return position;
}

void TStream::ReadBuffer(void* buffer, std::size_t n) {
    if (Read(buffer, n) != n)
        throw TFailure(Tr("Stream read error"));
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t n) {
    const auto size = static_cast<std::int64_t>(bytes_.size());
    if (position_ >= size || n == 0)
        return 0;
    const auto count = std::min<std::size_t>(n, static_cast<std::size_t>(size - position_));
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += static_cast<std::int64_t>(count);
    return count;
}

void TMemoryStream::Write(const void* buffer, std::size_t n) {
    if (n == 0)
        return;
    const auto end = static_cast<std::size_t>(position_) + n;
    if (end > bytes_.size())
        bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, buffer, n);
    position_ = static_cast<std::int64_t>(end);
}

std::int64_t TMemoryStream::Seek(std::int64_t position) {
    position_ = CheckedPosition(position);
    return position_;
}

} // namespace zorvak
