#include "core/json/json_writer.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace core {

struct JsonWriter::Impl {
    rapidjson::StringBuffer buffer;
    // PrettyWriter hides the Writer's members instead of overriding them, so the two
    // are kept apart and every call goes to the one that is in use.
    std::unique_ptr<rapidjson::Writer<rapidjson::StringBuffer>> compact;
    std::unique_ptr<rapidjson::PrettyWriter<rapidjson::StringBuffer>> pretty;

    template <class Call>
    void apply(Call&& call) {
        if (pretty) {
            call(*pretty);
        } else {
            call(*compact);
        }
    }
};

namespace {

rapidjson::SizeType length_of(std::string_view text) {
    return static_cast<rapidjson::SizeType>(text.size());
}

}  // namespace

JsonWriter::JsonWriter(JsonStyle style) : impl_(std::make_unique<Impl>()) {
    if (style == JsonStyle::pretty) {
        impl_->pretty = std::make_unique<rapidjson::PrettyWriter<rapidjson::StringBuffer>>(impl_->buffer);
        impl_->pretty->SetIndent(' ', 2);
    } else {
        impl_->compact = std::make_unique<rapidjson::Writer<rapidjson::StringBuffer>>(impl_->buffer);
    }
}

JsonWriter::~JsonWriter() = default;

JsonWriter& JsonWriter::begin_object() {
    impl_->apply([](auto& w) { w.StartObject(); });
    return *this;
}

JsonWriter& JsonWriter::end_object() {
    impl_->apply([](auto& w) { w.EndObject(); });
    return *this;
}

JsonWriter& JsonWriter::begin_array() {
    impl_->apply([](auto& w) { w.StartArray(); });
    return *this;
}

JsonWriter& JsonWriter::end_array() {
    impl_->apply([](auto& w) { w.EndArray(); });
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    impl_->apply([&](auto& w) { w.Key(name.data(), length_of(name), true); });
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view value) {
    impl_->apply([&](auto& w) { w.String(value.data(), length_of(value), true); });
    return *this;
}

JsonWriter& JsonWriter::uint(std::uint64_t value) {
    impl_->apply([&](auto& w) { w.Uint64(value); });
    return *this;
}

JsonWriter& JsonWriter::integer(std::int64_t value) {
    impl_->apply([&](auto& w) { w.Int64(value); });
    return *this;
}

JsonWriter& JsonWriter::number(double value) {
    impl_->apply([&](auto& w) { w.Double(value); });
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    impl_->apply([&](auto& w) { w.Bool(value); });
    return *this;
}

JsonWriter& JsonWriter::null() {
    impl_->apply([](auto& w) { w.Null(); });
    return *this;
}

std::string JsonWriter::text() const {
    return std::string(impl_->buffer.GetString(), impl_->buffer.GetSize());
}

std::string json_quote(std::string_view value) {
    JsonWriter writer(JsonStyle::compact);
    writer.string(value);
    return writer.text();
}

}  // namespace core
