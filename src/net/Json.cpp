#include "Json.h"

#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

namespace brisko::net {

std::string_view JsonKindName(JsonKind kind) noexcept {
    switch (kind) {
    case JsonKind::Null:
        return "null";
    case JsonKind::False:
        return "false";
    case JsonKind::True:
        return "true";
    case JsonKind::Number:
        return "number";
    case JsonKind::String:
        return "string";
    case JsonKind::Array:
        return "array";
    case JsonKind::Object:
        return "object";
    }
    return "unknown";
}

std::string JsonValue::Text() const {
    switch (kind_) {
    case JsonKind::String:
    case JsonKind::Number:
        return text_;
    case JsonKind::Null:
    case JsonKind::False:
    case JsonKind::True:
        return std::string(JsonKindName(kind_));
    case JsonKind::Array:
    case JsonKind::Object:
        break;
    }
    return {};
}

std::string JsonValue::StrictString() const {
    switch (kind_) {
    case JsonKind::String:
    case JsonKind::Number:
    case JsonKind::False:
    case JsonKind::True:
        return Text();
    case JsonKind::Null:
        return {};
    case JsonKind::Array:
    case JsonKind::Object:
        break;
    }
    throw JsonError("Conversion from " + std::string(JsonKindName(kind_)) + " to string is not supported");
}

const JsonValue* JsonValue::Find(std::string_view name) const noexcept {
    for (const JsonMember& member : members_) {
        if (member.name == name) {
            return &member.value;
        }
    }
    return nullptr;
}

const JsonValue& JsonValue::At(std::string_view name) const {
    if (!IsObject()) {
        throw JsonError("Cannot read member \"" + std::string(name) + "\" of a JSON " +
                        std::string(JsonKindName(kind_)));
    }
    if (const JsonValue* value = Find(name)) {
        return *value;
    }
    throw JsonError("JSON member \"" + std::string(name) + "\" not found");
}

std::string JsonValue::TextAt(std::string_view name) const {
    return At(name).Text();
}

namespace {
const JsonValue& RequireKind(const JsonValue& value, std::string_view name, JsonKind kind) {
    if (value.Kind() != kind) {
        throw JsonError("JSON member \"" + std::string(name) + "\" is " +
                        std::string(JsonKindName(value.Kind())) + ", not " + std::string(JsonKindName(kind)));
    }
    return value;
}
} // namespace

const JsonValue& JsonValue::ObjectAt(std::string_view name) const {
    return RequireKind(At(name), name, JsonKind::Object);
}

const JsonValue& JsonValue::ArrayAt(std::string_view name) const {
    return RequireKind(At(name), name, JsonKind::Array);
}

void JsonValue::Append(JsonValue item) {
    items_.push_back(std::move(item));
}

void JsonValue::Append(std::string name, JsonValue value) {
    members_.push_back(JsonMember{std::move(name), std::move(value)});
}

namespace {

// Builds our value tree from the reader's events. Containers under construction wait on a stack
// with the member name they will be stored under.
class TreeBuilder {
public:
    using Ch = char;

    explicit TreeBuilder(std::size_t maxValues) : maxValues_(maxValues) {}

    bool Null() { return Count() && Add(JsonValue(JsonKind::Null)); }
    bool Bool(bool b) { return Count() && Add(JsonValue(b ? JsonKind::True : JsonKind::False)); }
    // With kParseNumbersAsStringsFlag every number arrives as RawNumber; these never run.
    bool Int(int) { return false; }
    bool Uint(unsigned) { return false; }
    bool Int64(int64_t) { return false; }
    bool Uint64(uint64_t) { return false; }
    bool Double(double) { return false; }
    bool RawNumber(const Ch* str, rapidjson::SizeType length, bool) {
        return Count() && Add(JsonValue(JsonKind::Number, std::string(str, length)));
    }
    bool String(const Ch* str, rapidjson::SizeType length, bool) {
        return Count() && Add(JsonValue(JsonKind::String, std::string(str, length)));
    }
    bool Key(const Ch* str, rapidjson::SizeType length, bool) {
        pendingKey_.assign(str, length);
        return true;
    }
    bool StartObject() { return Open(JsonKind::Object); }
    bool EndObject(rapidjson::SizeType) { return Close(); }
    bool StartArray() { return Open(JsonKind::Array); }
    bool EndArray(rapidjson::SizeType) { return Close(); }

    std::optional<JsonValue> TakeRoot() { return std::move(root_); }
    bool TooManyValues() const noexcept { return values_ > maxValues_; }

private:
    struct OpenContainer {
        std::string name; // member name in the parent object, if the parent is one
        JsonValue value;
    };

    // Each value is counted as it begins: a container before its contents.
    bool Count() { return ++values_ <= maxValues_; }

    bool Open(JsonKind kind) {
        if (stack_.size() >= kMaxJsonDepth || !Count()) {
            return false;
        }
        stack_.push_back(OpenContainer{std::move(pendingKey_), JsonValue(kind)});
        pendingKey_.clear();
        return true;
    }

    bool Close() {
        OpenContainer done = std::move(stack_.back());
        stack_.pop_back();
        pendingKey_ = std::move(done.name);
        return Add(std::move(done.value));
    }

    bool Add(JsonValue value) {
        if (stack_.empty()) {
            root_ = std::move(value);
        } else if (stack_.back().value.IsObject()) {
            stack_.back().value.Append(std::move(pendingKey_), std::move(value));
            pendingKey_.clear();
        } else {
            stack_.back().value.Append(std::move(value));
        }
        return true;
    }

    std::size_t maxValues_;
    std::size_t values_ = 0;
    std::vector<OpenContainer> stack_;
    std::string pendingKey_;
    std::optional<JsonValue> root_;
};

} // namespace

std::optional<JsonValue> ParseJson(std::string_view text, std::size_t maxValues) {
    // Iterative parsing keeps deep nesting from exhausting the stack; the builder caps the depth
    // so that the tree it hands out is also safe to destroy.
    constexpr unsigned kFlags = rapidjson::kParseNumbersAsStringsFlag |
                                rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag;
    // The reader takes a NUL byte for the end of the input; valid JSON never holds a raw one.
    if (text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    rapidjson::MemoryStream input(text.data(), text.size());
    rapidjson::Reader reader;
    TreeBuilder builder(maxValues);
    if (reader.Parse<kFlags>(input, builder).IsError()) {
        if (builder.TooManyValues()) {
            throw JsonError("The JSON document holds more than " + std::to_string(maxValues) + " values");
        }
        return std::nullopt;
    }
    return builder.TakeRoot();
}

} // namespace brisko::net
