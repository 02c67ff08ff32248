#pragma once
// JSON reading that keeps what the services sent: each value's kind, members in their order and
// a number's literal text (11.50 stays "11.50", a 20-digit id keeps its 20 digits).
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brisko::net {

enum class JsonKind { Null, False, True, Number, String, Array, Object };

// "null", "false", "true", "number", "string", "array", "object".
std::string_view JsonKindName(JsonKind kind) noexcept;

// A reading that the document cannot satisfy (missing member, wrong kind, refused conversion).
// Clients turn it into their generic failure text.
class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct JsonMember;

class JsonValue {
public:
    JsonValue() = default;
    explicit JsonValue(JsonKind kind, std::string text = {});

    JsonKind Kind() const noexcept { return kind_; }
    bool IsObject() const noexcept { return kind_ == JsonKind::Object; }
    bool IsArray() const noexcept { return kind_ == JsonKind::Array; }

    // The value as text: a string's content, a number's literal, "true", "false", "null";
    // an object or an array gives "".
    std::string Text() const;

    // The strict conversion to a string: a string or number gives its text, null gives "";
    // an object or array throws JsonError "Conversion from object to string is not supported".
    std::string StrictString() const;

    // Items of an array, members of an object (in document order); empty for other kinds.
    const std::vector<JsonValue>& Items() const noexcept { return items_; }
    const std::vector<JsonMember>& Members() const noexcept { return members_; }

    // Try-get: the first member of that name, or nullptr when absent or this is not an object.
    const JsonValue* Find(std::string_view name) const noexcept;

    // The member of that name; throws JsonError when it is absent or this is not an object.
    const JsonValue& At(std::string_view name) const;
    // At(name).Text().
    std::string TextAt(std::string_view name) const;
    // At(name) that must be an object / an array; throws JsonError otherwise.
    const JsonValue& ObjectAt(std::string_view name) const;
    const JsonValue& ArrayAt(std::string_view name) const;

    // Building (used by the parser).
    void Append(JsonValue item);
    void Append(std::string name, JsonValue value);

private:
    JsonKind kind_ = JsonKind::Null;
    std::string text_; // string content or number literal
    std::vector<JsonValue> items_;
    std::vector<JsonMember> members_;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// Defined once JsonMember is complete: clang needs it to destroy the member list.
inline JsonValue::JsonValue(JsonKind kind, std::string text) : kind_(kind), text_(std::move(text)) {}

inline constexpr std::size_t kMaxJsonDepth = 512;

// The most values a document may hold (objects, arrays, members' values, items; every value
// counts once). A value costs about a hundred bytes in the tree, so the cap bounds the tree's
// memory whatever the body's size: 65,536 values are about 6 MiB, and the services' documents
// hold a few hundred.
inline constexpr std::size_t kMaxJsonValues = std::size_t{1} << 16;

// Parses a UTF-8 JSON text (one value, nothing after it but blanks). nullopt when the text is
// not valid JSON: syntax, invalid UTF-8, an exponent above 308, or nesting deeper than
// kMaxJsonDepth. Throws JsonError when the document holds more than `maxValues` values: that is
// no answer to read as text either.
std::optional<JsonValue> ParseJson(std::string_view text, std::size_t maxValues = kMaxJsonValues);

} // namespace brisko::net
