// The stored form of the program's own components: each one declares its
// published properties (with their declared defaults) and its binary
// properties, and one reader and one writer turn them into bytes and back.
// A value equal to its declared default is not written; reading leaves a
// property that is not in the stream as it is.
//
// Layout of a stored component:
//   class name, component name   (short strings: one length byte, then bytes)
//   properties                   (name as a short string, then a tagged value)
//   0                            (an empty name ends the list)
// Values: a tag byte, then
//   vaInt8 / vaInt16 / vaInt32   the integer, little-endian, smallest that fits
//   vaString / vaLString         one-byte / 32-bit little-endian length, bytes
//   vaFalse / vaTrue             nothing
//   vaIdent                      an enumeration value's name as a short string
//   vaSet                        member names as short strings, then ""
//   vaBinary                     32-bit little-endian count, then the bytes
// A nested object's properties are stored under "Object.Property".
#pragma once

#include "framework/Streams.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zorvak {

// Value tags as they stand in the stream.
enum TValueType : std::uint8_t {
    vaNull = 0,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
};

class TPropertyList;

// A class whose properties can be stored and that can be assigned from
// another object.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    // The class name that stored components carry and failures quote.
    virtual std::string ClassName() const = 0;
    // Copies source into this object. The base accepts nothing: it hands the
    // job to source->AssignTo and, failing that, throws "Cannot assign a %s
    // to a %s" (source's class name or "nil", then this class name).
    virtual void Assign(const TPersistent* source);
    // Declares the stored properties, in declaration order.
    virtual void DefineProperties(TPropertyList& properties) = 0;

protected:
    // Copies this object into target; the base throws the assign failure.
    virtual void AssignTo(TPersistent& target) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

enum class TPropertyKind { pkBoolean, pkInteger, pkString, pkEnumeration, pkSet, pkBinary };

// Booleans as bool, integers as int32, enumerations as their ordinal, sets as
// a bit mask (bit n for the member with ordinal n), texts as bytes.
using TPropertyValue = std::variant<bool, std::int32_t, std::string>;

struct TPropertyInfo {
    std::string Name; // "Wave.Data" for a property of a nested object
    TPropertyKind Kind = TPropertyKind::pkInteger;
    std::vector<std::string> Idents; // enumeration values / set members by ordinal
    std::function<TPropertyValue()> Get;
    std::function<void(const TPropertyValue&)> Set;
    std::optional<TPropertyValue> Default; // none: always written
    // Binary properties: whether there is anything to write, and the two
    // procedures that move the bytes.
    std::function<bool()> HasData;
    std::function<void(TStream&)> ReadData;
    std::function<void(TStream&)> WriteData;
};

// What DefineProperties fills: one entry per stored property. Names are at
// most 255 bytes; enumerations and sets have at most 32 members.
class TPropertyList {
public:
    void Boolean(std::string_view name, std::function<bool()> get, std::function<void(bool)> set,
                 std::optional<bool> defaultValue = std::nullopt);
    void Integer(std::string_view name, std::function<std::int32_t()> get,
                 std::function<void(std::int32_t)> set,
                 std::optional<std::int32_t> defaultValue = std::nullopt);
    void String(std::string_view name, std::function<std::string()> get,
                std::function<void(const std::string&)> set,
                std::optional<std::string> defaultValue = std::nullopt);
    void Enumeration(std::string_view name, std::vector<std::string> idents,
                     std::function<int()> get, std::function<void(int)> set,
                     std::optional<int> defaultValue = std::nullopt);
    void Set(std::string_view name, std::vector<std::string> idents,
             std::function<std::uint32_t()> get, std::function<void(std::uint32_t)> set,
             std::optional<std::uint32_t> defaultValue = std::nullopt);
    // A binary property; hasData false leaves it out of the stream.
    void Binary(std::string_view name, std::function<void(TStream&)> readData,
                std::function<void(TStream&)> writeData, std::function<bool()> hasData);
    // The properties of an object that this one owns, stored as "name.Property".
    void Object(std::string_view name, TPersistent& object);

    const std::vector<TPropertyInfo>& Items() const { return items_; }
    const TPropertyInfo* Find(std::string_view name) const;

private:
    TPropertyInfo& Add(std::string_view name, TPropertyKind kind);

    std::string prefix_;
    std::vector<TPropertyInfo> items_;
};

// Writes the properties of object that differ from their defaults, then the
// end of the list. Throws what target's Write throws.
void WriteProperties(TStream& target, TPersistent& object);
// Reads properties up to the end of the list into object. Throws "Stream read
// error" when the stream ends early, "Property %s does not exist" for a name
// object does not declare, "Invalid property value" for a value of the wrong
// type or an unknown member name. Properties read before a failure keep
// their new values.
void ReadProperties(TStream& source, TPersistent& object);

// A whole stored component: class name, component name, properties.
void WriteComponent(TStream& target, TPersistent& object, std::string_view name);
// Reads a stored component into object and returns its name. Throws
// "Invalid stream format" when the stored class is not object's class, and
// what ReadProperties throws.
std::string ReadComponent(TStream& source, TPersistent& object);

} // namespace zorvak
