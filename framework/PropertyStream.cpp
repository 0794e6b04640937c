#include "framework/PropertyStream.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace zorvak {

void TPersistent::Assign(const TPersistent* source) {
    if (source == nullptr)
        AssignError(nullptr);
    source->AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& target) const {
    target.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
    const std::string from = source != nullptr ? source->ClassName() : std::string("nil");
    throw TFailure(FormatText(Tr("Cannot assign a {1} to a {2}"), from, ClassName()));
}

// ---- declaring ----

TPropertyInfo& TPropertyList::Add(std::string_view name, TPropertyKind kind) {
    TPropertyInfo info;
    info.Name = prefix_ + std::string(name);
    // Names are stored behind one length byte.
    if (name.empty() || info.Name.size() > 255)
        throw std::invalid_argument("property name must have 1 to 255 bytes");
    info.Kind = kind;
    items_.push_back(std::move(info));
    return items_.back();
}

void TPropertyList::Boolean(std::string_view name, std::function<bool()> get,
                            std::function<void(bool)> set, std::optional<bool> defaultValue) {
    auto& info = Add(name, TPropertyKind::pkBoolean);
    info.Get = [get = std::move(get)] { return TPropertyValue(get()); };
    info.Set = [set = std::move(set)](const TPropertyValue& v) { set(std::get<bool>(v)); };
    if (defaultValue)
        info.Default = TPropertyValue(*defaultValue);
}

void TPropertyList::Integer(std::string_view name, std::function<std::int32_t()> get,
                            std::function<void(std::int32_t)> set,
                            std::optional<std::int32_t> defaultValue) {
    auto& info = Add(name, TPropertyKind::pkInteger);
    info.Get = [get = std::move(get)] { return TPropertyValue(get()); };
    info.Set = [set = std::move(set)](const TPropertyValue& v) { set(std::get<std::int32_t>(v)); };
    if (defaultValue)
        info.Default = TPropertyValue(*defaultValue);
}

void TPropertyList::String(std::string_view name, std::function<std::string()> get,
                           std::function<void(const std::string&)> set,
                           std::optional<std::string> defaultValue) {
    auto& info = Add(name, TPropertyKind::pkString);
    info.Get = [get = std::move(get)] { return TPropertyValue(get()); };
    info.Set = [set = std::move(set)](const TPropertyValue& v) { set(std::get<std::string>(v)); };
    if (defaultValue)
        info.Default = TPropertyValue(std::move(*defaultValue));
}

void TPropertyList::Enumeration(std::string_view name, std::vector<std::string> idents,
                                std::function<int()> get, std::function<void(int)> set,
                                std::optional<int> defaultValue) {
    if (idents.empty() || idents.size() > 32)
        throw std::invalid_argument("an enumeration needs 1 to 32 values");
    auto& info = Add(name, TPropertyKind::pkEnumeration);
    info.Idents = std::move(idents);
    info.Get = [get = std::move(get)] { return TPropertyValue(std::int32_t(get())); };
    info.Set = [set = std::move(set)](const TPropertyValue& v) { set(std::get<std::int32_t>(v)); };
    if (defaultValue)
        info.Default = TPropertyValue(std::int32_t(*defaultValue));
}

void TPropertyList::Set(std::string_view name, std::vector<std::string> idents,
                        std::function<std::uint32_t()> get, std::function<void(std::uint32_t)> set,
                        std::optional<std::uint32_t> defaultValue) {
    if (idents.empty() || idents.size() > 32)
        throw std::invalid_argument("a set needs 1 to 32 members");
    auto& info = Add(name, TPropertyKind::pkSet);
    info.Idents = std::move(idents);
    info.Get = [get = std::move(get)] { return TPropertyValue(std::int32_t(get())); };
    info.Set = [set = std::move(set)](const TPropertyValue& v) {
        set(static_cast<std::uint32_t>(std::get<std::int32_t>(v)));
    };
    if (defaultValue)
        info.Default = TPropertyValue(static_cast<std::int32_t>(*defaultValue));
}

void TPropertyList::Binary(std::string_view name, std::function<void(TStream&)> readData,
                           std::function<void(TStream&)> writeData, std::function<bool()> hasData) {
    auto& info = Add(name, TPropertyKind::pkBinary);
    info.ReadData = std::move(readData);
    info.WriteData = std::move(writeData);
    info.HasData = std::move(hasData);
}

void TPropertyList::Object(std::string_view name, TPersistent& object) {
    const std::string saved = prefix_;
    prefix_ += std::string(name) + ".";
    try {
        object.DefineProperties(*this);
    } catch (...) {
        prefix_ = saved;
        throw;
    }
    prefix_ = saved;
}

const TPropertyInfo* TPropertyList::Find(std::string_view name) const {
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [name](const TPropertyInfo& info) { return info.Name == name; });
    return it != items_.end() ? &*it : nullptr;
}

// ---- bytes ----

namespace {

[[noreturn]] void InvalidValue() {
    throw TFailure(Tr("Invalid property value"));
}

void WriteByte(TStream& target, std::uint8_t value) {
    target.Write(&value, 1);
}

void WriteUInt32(TStream& target, std::uint32_t value) {
    const unsigned char b[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    target.Write(b, 4);
}

void WriteShortString(TStream& target, std::string_view text) {
    if (text.size() > 255)
        InvalidValue();
    WriteByte(target, static_cast<std::uint8_t>(text.size()));
    target.Write(text.data(), text.size());
}

void WriteInteger(TStream& target, std::int32_t value) {
    if (value >= -128 && value <= 127) {
        WriteByte(target, vaInt8);
        WriteByte(target, static_cast<std::uint8_t>(value));
    } else if (value >= -32768 && value <= 32767) {
        WriteByte(target, vaInt16);
        const auto u = static_cast<std::uint16_t>(value);
        const unsigned char b[2] = {static_cast<unsigned char>(u),
                                    static_cast<unsigned char>(u >> 8)};
        target.Write(b, 2);
    } else {
        WriteByte(target, vaInt32);
        WriteUInt32(target, static_cast<std::uint32_t>(value));
    }
}

void WriteText(TStream& target, const std::string& text) {
    if (text.size() <= 255) {
        WriteByte(target, vaString);
        WriteShortString(target, text);
        return;
    }
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw TFailure(Tr("Stream write error"));
    WriteByte(target, vaLString);
    WriteUInt32(target, static_cast<std::uint32_t>(text.size()));
    target.Write(text.data(), text.size());
}

std::uint8_t ReadByte(TStream& source) {
    std::uint8_t value = 0;
    source.ReadBuffer(&value, 1);
    return value;
}

std::uint32_t ReadUInt32(TStream& source) {
    unsigned char b[4];
    source.ReadBuffer(b, 4);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

// A count read from the stream is checked against what is left before
// anything that size is allocated, so a damaged count cannot exhaust memory.
std::string ReadBytes(TStream& source, std::uint64_t count) {
    const std::int64_t left = source.Size() - source.Position();
    if (left < 0 || count > static_cast<std::uint64_t>(left))
        throw TFailure(Tr("Stream read error"));
    std::string bytes(static_cast<std::size_t>(count), '\0');
    source.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

std::string ReadShortString(TStream& source) {
    return ReadBytes(source, ReadByte(source));
}

std::int32_t ReadInteger(TStream& source, std::uint8_t tag) {
    switch (tag) {
    case vaInt8:
        return static_cast<std::int8_t>(ReadByte(source));
    case vaInt16: {
        unsigned char b[2];
        source.ReadBuffer(b, 2);
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | b[1] << 8));
    }
    case vaInt32:
        return static_cast<std::int32_t>(ReadUInt32(source));
    default:
        InvalidValue();
    }
}

int IdentOrdinal(const TPropertyInfo& info, const std::string& ident) {
    const auto it = std::find(info.Idents.begin(), info.Idents.end(), ident);
    if (it == info.Idents.end())
        InvalidValue();
    return static_cast<int>(it - info.Idents.begin());
}

void WriteValue(TStream& target, const TPropertyInfo& info) {
    if (info.Kind == TPropertyKind::pkBinary) {
        // The procedure writes into memory first: the count goes before the bytes.
        TMemoryStream data;
        info.WriteData(data);
        if (data.Bytes().size() > std::numeric_limits<std::uint32_t>::max())
            throw TFailure(Tr("Stream write error"));
        WriteByte(target, vaBinary);
        WriteUInt32(target, static_cast<std::uint32_t>(data.Bytes().size()));
        target.Write(data.Bytes().data(), data.Bytes().size());
        return;
    }
    const TPropertyValue value = info.Get();
    switch (info.Kind) {
    case TPropertyKind::pkBoolean:
        WriteByte(target, std::get<bool>(value) ? vaTrue : vaFalse);
        break;
    case TPropertyKind::pkInteger:
        WriteInteger(target, std::get<std::int32_t>(value));
        break;
    case TPropertyKind::pkString:
        WriteText(target, std::get<std::string>(value));
        break;
    case TPropertyKind::pkEnumeration: {
        const std::int32_t ordinal = std::get<std::int32_t>(value);
        if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= info.Idents.size())
            InvalidValue();
        WriteByte(target, vaIdent);
        WriteShortString(target, info.Idents[static_cast<std::size_t>(ordinal)]);
        break;
    }
    case TPropertyKind::pkSet: {
        const auto mask = static_cast<std::uint32_t>(std::get<std::int32_t>(value));
        WriteByte(target, vaSet);
        for (std::size_t bit = 0; bit < info.Idents.size(); ++bit)
            if (mask & (std::uint32_t(1) << bit))
                WriteShortString(target, info.Idents[bit]);
        WriteShortString(target, "");
        break;
    }
    case TPropertyKind::pkBinary:
        break;
    }
}

void ReadValue(TStream& source, const TPropertyInfo& info) {
    const std::uint8_t tag = ReadByte(source);
    switch (info.Kind) {
    case TPropertyKind::pkBoolean:
        if (tag != vaFalse && tag != vaTrue)
            InvalidValue();
        info.Set(TPropertyValue(tag == vaTrue));
        break;
    case TPropertyKind::pkInteger:
        info.Set(TPropertyValue(ReadInteger(source, tag)));
        break;
    case TPropertyKind::pkString:
        if (tag == vaString)
            info.Set(TPropertyValue(ReadShortString(source)));
        else if (tag == vaLString)
            info.Set(TPropertyValue(ReadBytes(source, ReadUInt32(source))));
        else
            InvalidValue();
        break;
    case TPropertyKind::pkEnumeration:
        if (tag != vaIdent)
            InvalidValue();
        info.Set(TPropertyValue(std::int32_t(IdentOrdinal(info, ReadShortString(source)))));
        break;
    case TPropertyKind::pkSet: {
        if (tag != vaSet)
            InvalidValue();
        std::uint32_t mask = 0;
        for (std::string ident = ReadShortString(source); !ident.empty();
             ident = ReadShortString(source))
            mask |= std::uint32_t(1) << IdentOrdinal(info, ident);
        info.Set(TPropertyValue(static_cast<std::int32_t>(mask)));
        break;
    }
    case TPropertyKind::pkBinary: {
        if (tag != vaBinary)
            InvalidValue();
        const std::string bytes = ReadBytes(source, ReadUInt32(source));
        TMemoryStream data(std::vector<unsigned char>(bytes.begin(), bytes.end()));
        info.ReadData(data);
        break;
    }
    }
}

} // namespace

void WriteProperties(TStream& target, TPersistent& object) {
    TPropertyList list;
    object.DefineProperties(list);
    for (const TPropertyInfo& info : list.Items()) {
        if (info.Kind == TPropertyKind::pkBinary) {
            if (!info.HasData || !info.HasData())
                continue;
        } else if (info.Default && info.Get() == *info.Default) {
            continue;
        }
        WriteShortString(target, info.Name);
        WriteValue(target, info);
    }
    WriteByte(target, vaNull);
}

void ReadProperties(TStream& source, TPersistent& object) {
    TPropertyList list;
    object.DefineProperties(list);
    for (std::string name = ReadShortString(source); !name.empty();
         name = ReadShortString(source)) {
        const TPropertyInfo* info = list.Find(name);
        if (info == nullptr)
            throw TFailure(FormatText(Tr("Property {1} does not exist"), name));
        ReadValue(source, *info);
    }
}

void WriteComponent(TStream& target, TPersistent& object, std::string_view name) {
    WriteShortString(target, object.ClassName());
    WriteShortString(target, name);
    WriteProperties(target, object);
}

std::string ReadComponent(TStream& source, TPersistent& object) {
    if (ReadShortString(source) != object.ClassName())
        throw TFailure(Tr("Invalid stream format"));
    std::string name = ReadShortString(source);
    ReadProperties(source, object);
    return name;
}

} // namespace zorvak
