// libFuzzer entry: any byte string as an archive must read without a fault,
// and never list an entry made of bytes that are not there.
#include "archive/PakReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    zorvak::TMemoryStream stream(std::vector<unsigned char>(data, data + size));
    const zorvak::TPakIndex index = zorvak::ReadPakIndex(stream);
    if (index.Entries.size() * 64 > size)
        std::abort();
    for (const auto& entry : index.Entries)
        if (entry.Name.size() > 56)
            std::abort();
    return 0;
}
