#pragma once

#include "plant/fleet_messages.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>

#include <limits>

// Reading a payload as one JSON object, strictly: a name given twice is refused, and each field
// is read as the type it must have, the first problem found being the one that counts.
namespace plant {

// Reads fields of one JSON object; the first problem sticks.
class FieldReader {
public:
    explicit FieldReader(Rejection &problem) : problem(problem) {}

    QJsonValue field(const QJsonObject &o, const char *key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            fail(Rejection::MissingField);
        return v;
    }
    bool flag(const QJsonObject &o, const char *key) {
        const QJsonValue v = field(o, key);
        if (!v.isUndefined() && !v.isBool())
            fail(Rejection::WrongType);
        return v.toBool();
    }
    QString text(const QJsonObject &o, const char *key) {
        const QJsonValue v = field(o, key);
        if (!v.isUndefined() && !v.isString())
            fail(Rejection::WrongType);
        return v.toString();
    }
    QJsonObject object(const QJsonObject &o, const char *key) {
        const QJsonValue v = field(o, key);
        if (!v.isUndefined() && !v.isObject())
            fail(Rejection::WrongType);
        return v.toObject();
    }
    // A temperature, whatever its precision; null gives NaN, a number beyond physical sense
    // infinity (shown as invalid).
    double temperature(const QJsonObject &o, const char *key) {
        const QJsonValue v = field(o, key);
        if (v.isNull())
            return std::numeric_limits<double>::quiet_NaN();
        if (!v.isUndefined() && !v.isDouble())
            fail(Rejection::WrongType);
        const double t = v.toDouble();
        return temperatureInRange(t) ? t : std::numeric_limits<double>::infinity();
    }
    // ms since 1970; null gives 0 when allowed.
    qint64 time(const QJsonObject &o, const char *key, bool nullable) {
        const QJsonValue v = field(o, key);
        if (v.isUndefined())
            return 0;
        if (nullable && v.isNull())
            return 0;
        const double t = v.toDouble(-1);
        if (!v.isDouble() || !timeInRange(t)) {
            fail(Rejection::WrongType);
            return 0;
        }
        return static_cast<qint64>(t);
    }
    void fail(Rejection why) {
        if (problem == Rejection::None)
            problem = why;
    }
    bool ok() const { return problem == Rejection::None; }

private:
    Rejection &problem;
};

// The payload as one JSON object, or why not: empty, not JSON, not an object, a name given twice.
Rejection parseObject(const QByteArray &payload, QJsonObject &out);

} // namespace plant
