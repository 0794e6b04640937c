#include "framework/Failures.h"
#include "framework/ByteReader.h"
#include "framework/Streams.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(Failures, PlatformCodesMapByMeaning) {
    const struct {
        int Errno;
        const char* Message;
    } cases[] = {
        {ENOENT, "File not found"},
        {EACCES, "File access denied"},
        {EPERM, "File access denied"},
        {EROFS, "File access denied"},
        {ENAMETOOLONG, "Invalid filename"},
        {EMFILE, "Too many open files"},
        {ENFILE, "Too many open files"},
        {ENOSPC, "Disk full"},
        {EIO, "I/O error 5"},
        {EEXIST, "I/O error 17"},
        {ENOTDIR, "I/O error 20"},
    };
    for (const auto& c : cases) {
        try {
            ThrowForErrno(c.Errno);
            FAIL() << "no failure for " << c.Errno;
        } catch (const TInOutFailure& e) {
            EXPECT_STREQ(e.what(), c.Message) << c.Errno;
        }
    }
    EXPECT_EQ(InOutMessage(kIoReadBeyondEnd), "Read beyond end of file");
    EXPECT_EQ(InOutMessage(kIoInvalidNumeric), "Invalid numeric input");
    EXPECT_EQ(TFileOpenFailure("/x/y.pak").what(), std::string("Cannot open file /x/y.pak"));
    EXPECT_EQ(TFileCreateFailure("/x/a b").what(), std::string("Cannot create file /x/a b"));
}

TEST(ByteReader, ReadsLittleEndianAndRefusesOverruns) {
    const unsigned char bytes[] = {0x50, 0x41, 0x43, 0x4B, 0xFF, 0xFF, 0xFF, 0xFF, 0x01};
    TByteReader reader(bytes);
    EXPECT_EQ(reader.ReadInt32(), 0x4B434150);
    EXPECT_EQ(reader.ReadInt32(), -1);
    EXPECT_THROW(reader.ReadInt32(), TInOutFailure);
    // A failed read leaves the position where it was.
    EXPECT_EQ(reader.Position(), 8u);
    EXPECT_EQ(reader.ReadUInt8(), 1);
    EXPECT_THROW(reader.Seek(10), TInOutFailure);
    EXPECT_THROW(reader.Skip(1), TInOutFailure);
}

TEST(MemoryStream, ReadsWhatWasWrittenAndStopsAtTheEnd) {
    TMemoryStream stream;
    stream.Write("abcdef", 6);
    stream.Seek(2);
    stream.Write("XY", 2);
    stream.Seek(0);
    char out[8] = {};
    EXPECT_EQ(stream.Read(out, 8), 6u);
    EXPECT_STREQ(out, "abXYef");
    stream.Seek(4);
    EXPECT_THROW(stream.ReadBuffer(out, 3), TFailure);
    EXPECT_THROW(stream.Seek(-1), TFailure);
    // Writing past the end grows the stream with zeros in between.
    stream.Seek(8);
    stream.Write("z", 1);
    EXPECT_EQ(stream.Size(), 9);
    EXPECT_EQ(stream.Bytes()[6], 0);
}

} // namespace
} // namespace zorvak
