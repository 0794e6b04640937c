#include "framework/Console.h"

namespace zorvak {

TBufferedStandardError::int_type TBufferedStandardError::overflow(int_type c) {
    if (sync() != 0)
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

} // namespace zorvak
