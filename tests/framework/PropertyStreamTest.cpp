#include "framework/PropertyStream.h"
#include "framework/Failures.h"
#include "support/FailureOf.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace zorvak {
namespace {

using Bytes = std::vector<unsigned char>;

// Owned part with a binary property and an integer of its own.
class TInner : public TPersistent {
public:
    Bytes Data;
    int Reads = 0;
    std::int32_t Count = 0;
    std::string ClassName() const override { return "TInner"; }
    void DefineProperties(TPropertyList& p) override {
        p.Integer(
            "Count", [this] { return Count; }, [this](std::int32_t v) { Count = v; }, 0);
        p.Binary(
            "Data",
            [this](TStream& s) {
                Data.assign(static_cast<std::size_t>(s.Size()), 0);
                s.ReadBuffer(Data.data(), Data.size());
                ++Reads;
            },
            [this](TStream& s) { s.Write(Data.data(), Data.size()); }, [] { return true; });
    }
};

// A component with one property of each kind the program stores.
class TSample : public TPersistent {
public:
    std::int32_t Number = 0;   // no default: always written
    std::string Label;         // default empty
    bool Flag = true;          // default true
    int Kind = 0;              // default skOne
    std::uint32_t Members = 1; // default [smA]
    TInner Inner;
    std::string ClassName() const override { return "TSample"; }
    void DefineProperties(TPropertyList& p) override {
        p.Integer(
            "Number", [this] { return Number; }, [this](std::int32_t v) { Number = v; });
        p.String(
            "Label", [this] { return Label; }, [this](const std::string& v) { Label = v; },
            std::string());
        p.Boolean(
            "Flag", [this] { return Flag; }, [this](bool v) { Flag = v; }, true);
        p.Enumeration(
            "Kind", {"skOne", "skTwo", "skThree"}, [this] { return Kind; },
            [this](int v) { Kind = v; }, 0);
        p.Set(
            "Members", {"smA", "smB", "smC"}, [this] { return Members; },
            [this](std::uint32_t v) { Members = v; }, 1u);
        p.Object("Inner", Inner);
    }
};

class TOther : public TPersistent {
public:
    std::string ClassName() const override { return "TOther"; }
    void DefineProperties(TPropertyList&) override {}
};

Bytes Written(TSample& sample) {
    TMemoryStream out;
    WriteProperties(out, sample);
    return out.Bytes();
}

Bytes Str(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Name(const std::string& name) {
    return Cat({Bytes{static_cast<unsigned char>(name.size())}, Str(name)});
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

using test::FailureOf;

TEST(PropertyStream, FreshComponentWritesOnlyWhatHasNoDefault) {
    TSample sample;
    const Bytes expected =
        Cat({Name("Number"), {vaInt8, 0}, Name("Inner.Data"), {vaBinary, 0, 0, 0, 0}, {vaNull}});
    EXPECT_EQ(Written(sample), expected);
}

TEST(PropertyStream, PropertyEqualToItsDefaultIsLeftOut) {
    struct Row {
        const char* Name;
        std::function<void(TSample&)> Change;
    };
    const std::vector<Row> rows = {
        {"Label", [](TSample& s) { s.Label = "x"; }},
        {"Flag", [](TSample& s) { s.Flag = false; }},
        {"Kind", [](TSample& s) { s.Kind = 2; }},
        {"Members", [](TSample& s) { s.Members = 0; }},
        {"Inner.Count", [](TSample& s) { s.Inner.Count = -1; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        TSample sample;
        row.Change(sample);
        const Bytes bytes = Written(sample);
        for (const Row& other : rows)
            EXPECT_EQ(Contains(bytes, Name(other.Name)), &other == &row) << other.Name;
    }
}

TEST(PropertyStream, RoundTripKeepsEveryValue) {
    TSample source;
    source.Number = -123456;
    source.Label = std::string(300, 'L') + "\xE9"; // past one length byte, 8-bit text
    source.Flag = false;
    source.Kind = 2;
    source.Members = 0b110;
    source.Inner.Count = 7;
    source.Inner.Data = {0, 1, 0, 0xFF, 0x0A};
    TMemoryStream stream;
    WriteComponent(stream, source, "Sample1");

    TSample target;
    stream.Seek(0);
    EXPECT_EQ(ReadComponent(stream, target), "Sample1");
    EXPECT_EQ(target.Number, source.Number);
    EXPECT_EQ(target.Label, source.Label);
    EXPECT_EQ(target.Flag, source.Flag);
    EXPECT_EQ(target.Kind, source.Kind);
    EXPECT_EQ(target.Members, source.Members);
    EXPECT_EQ(target.Inner.Count, 7);
    EXPECT_EQ(target.Inner.Data, source.Inner.Data);
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(PropertyStream, EmptySetIsStoredAndReadBackEmpty) {
    // The empty set differs from the default [smA]: it must not come back as the default.
    TSample source;
    source.Members = 0;
    const Bytes bytes = Written(source);
    EXPECT_TRUE(Contains(bytes, Cat({Name("Members"), {vaSet, 0}})));
    TSample target;
    TMemoryStream stream(bytes);
    ReadProperties(stream, target);
    EXPECT_EQ(target.Members, 0u);
}

TEST(PropertyStream, IntegersTakeTheSmallestTagThatHoldsThem) {
    struct Row {
        std::int32_t Value;
        unsigned char Tag;
        std::size_t Size;
    };
    const Row rows[] = {{0, vaInt8, 1},       {-128, vaInt8, 1},     {127, vaInt8, 1},
                        {128, vaInt16, 2},    {-129, vaInt16, 2},    {32767, vaInt16, 2},
                        {-32768, vaInt16, 2}, {32768, vaInt32, 4},   {-32769, vaInt32, 4},
                        {73216, vaInt32, 4},  {INT_MAX, vaInt32, 4}, {INT_MIN, vaInt32, 4}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Value);
        TSample sample;
        sample.Number = row.Value;
        const Bytes bytes = Written(sample);
        const std::size_t at = Name("Number").size();
        ASSERT_GT(bytes.size(), at);
        EXPECT_EQ(bytes[at], row.Tag);
        EXPECT_EQ(bytes[at + 1 + row.Size], Name("Inner.Data")[0]);
        TSample back;
        TMemoryStream stream(bytes);
        ReadProperties(stream, back);
        EXPECT_EQ(back.Number, row.Value);
    }
}

TEST(PropertyStream, BinaryIsTagCountLittleEndianAndBytes) {
    TSample sample;
    sample.Inner.Data.assign(0x0102 + 3, 0x5A);
    const Bytes bytes = Written(sample);
    Bytes expected = Cat({Name("Inner.Data"), {vaBinary, 0x05, 0x01, 0x00, 0x00}});
    expected.insert(expected.end(), sample.Inner.Data.begin(), sample.Inner.Data.end());
    expected.push_back(vaNull);
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.end() - expected.size()));
}

TEST(PropertyStream, DamagedStreamsFailWithClearMessages) {
    TSample source;
    source.Label = "text";
    source.Members = 0b101;
    source.Inner.Data = {1, 2, 3};
    const Bytes good = Written(source);
    // Every cut of a good stream ends early.
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        SCOPED_TRACE(cut);
        TSample target;
        TMemoryStream stream(Bytes(good.begin(), good.begin() + cut));
        EXPECT_EQ(FailureOf([&] { ReadProperties(stream, target); }), "Stream read error");
    }
    struct Row {
        const char* What;
        Bytes Stream;
        std::string Message;
    };
    const std::vector<Row> rows = {
        {"unknown name", Cat({Name("Colour"), {vaInt8, 1, vaNull}}),
         "Property Colour does not exist"},
        {"number for a boolean", Cat({Name("Flag"), {vaInt8, 1, vaNull}}),
         "Invalid property value"},
        {"text for an integer", Cat({Name("Number"), {vaString, 1, 'x', vaNull}}),
         "Invalid property value"},
        {"unknown value", Cat({Name("Kind"), {vaIdent}, Name("skFour"), {vaNull}}),
         "Invalid property value"},
        {"unknown member", Cat({Name("Members"), {vaSet}, Name("smZ"), {0, vaNull}}),
         "Invalid property value"},
        {"huge binary count", Cat({Name("Inner.Data"), {vaBinary, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2}}),
         "Stream read error"},
        {"huge text length", Cat({Name("Label"), {vaLString, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}}),
         "Stream read error"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.What);
        TSample target;
        TMemoryStream stream(row.Stream);
        EXPECT_EQ(FailureOf([&] { ReadProperties(stream, target); }), row.Message);
        EXPECT_EQ(target.Inner.Reads, 0);
    }
}

TEST(PropertyStream, ComponentOfAnotherClassIsRefused) {
    TOther other;
    TMemoryStream stream;
    WriteComponent(stream, other, "Other1");
    stream.Seek(0);
    TSample sample;
    EXPECT_EQ(FailureOf([&] { ReadComponent(stream, sample); }), "Invalid stream format");
}

TEST(PropertyStream, DefaultAssignNamesBothClasses) {
    TSample sample;
    TOther other;
    EXPECT_EQ(FailureOf([&] { sample.Assign(&other); }), "Cannot assign a TOther to a TSample");
    EXPECT_EQ(FailureOf([&] { sample.Assign(nullptr); }), "Cannot assign a nil to a TSample");
}

} // namespace
} // namespace zorvak
