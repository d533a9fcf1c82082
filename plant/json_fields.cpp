#include "plant/json_fields.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <nlohmann/json.hpp>

#include <set>
#include <string>
#include <vector>

namespace plant {

namespace {

// Finds a name given twice in one object. Such a text has no one meaning, and Qt 5's reader
// loses memory on it when the first value is an object or an array, so it never gets there.
class DuplicateKeys : public nlohmann::json_sax<nlohmann::json> {
public:
    bool found = false;
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t &) override { return true; }
    bool string(string_t &) override { return true; }
    bool binary(binary_t &) override { return true; }
    bool start_object(std::size_t) override {
        names.emplace_back();
        return true;
    }
    bool key(string_t &name) override {
        found = !names.back().insert(name).second;
        return !found;
    }
    bool end_object() override {
        names.pop_back();
        return true;
    }
    bool start_array(std::size_t) override {
        names.emplace_back(); // arrays have no names; keeps the stack in step
        return true;
    }
    bool end_array() override {
        names.pop_back();
        return true;
    }
    bool parse_error(std::size_t, const std::string &,
                     const nlohmann::detail::exception &) override {
        return false;
    }

private:
    std::vector<std::set<std::string>> names;
};

} // namespace

Rejection parseObject(const QByteArray &payload, QJsonObject &out) {
    if (payload.trimmed().isEmpty())
        return Rejection::EmptyPayload;
    DuplicateKeys check;
    if (!nlohmann::json::sax_parse(payload.constData(), payload.constData() + payload.size(),
                                   &check, nlohmann::json::input_format_t::json, false))
        return Rejection::NotJson;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return Rejection::NotJson;
    out = doc.object();
    return Rejection::None;
}

} // namespace plant
