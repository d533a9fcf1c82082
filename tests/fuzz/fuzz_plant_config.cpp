// Arbitrary bytes as config/plant.ini. Besides the sanitizers: the same text always reads the
// same; an accepted file gives topic parts a broker takes literally (no +, #, NUL or empty
// level) and a server address; a rejected one gives one line that names the file and holds no
// text of the file but a plain key.

#include "fuzz/fuzz_check.h"
#include "plant/config.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

bool same(const plant::ConfigResult &a, const plant::ConfigResult &b) {
    const plant::Config &x = a.config;
    const plant::Config &y = b.config;
    return a.error == b.error && x.serverUri == y.serverUri && x.tls == y.tls && x.host == y.host &&
           x.port == y.port && x.caFile == y.caFile && x.username == y.username &&
           x.password == y.password && x.topicPrefix == y.topicPrefix && x.laserId == y.laserId;
}

bool literalLevel(const QString &level) {
    return !level.isEmpty() && !level.contains(QLatin1Char('+')) &&
           !level.contains(QLatin1Char('#')) && !level.contains(QChar(0));
}

// Characters no message of the parser holds, nor the system's reasons it passes on: one of
// them in an error can only have come from the file.
bool fromTheFile(QChar c) {
    return QStringLiteral("!$%&*<>?@^`{|}~'\"\\QXZJKW").contains(c);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    const QString file = QStringLiteral("plant.ini");
    const plant::ConfigResult first = plant::parseConfig(text, file);
    FUZZ_CHECK(same(first, plant::parseConfig(text, file)));

    if (first.error.isEmpty()) {
        const plant::Config &c = first.config;
        for (const QString &level : c.topicPrefix.split(QLatin1Char('/')))
            FUZZ_CHECK(literalLevel(level));
        if (!c.laserId.isEmpty())
            FUZZ_CHECK(literalLevel(c.laserId) && !c.laserId.contains(QLatin1Char('/')));
        FUZZ_CHECK(c.serverUri.startsWith(QLatin1String(c.tls ? "ssl://" : "tcp://")));
        FUZZ_CHECK(c.port >= 1 && c.port <= 65535 && !c.host.isEmpty());
        FUZZ_CHECK(c.password.isEmpty() || !c.username.isEmpty());
        return 0;
    }

    const QString &error = first.error;
    FUZZ_CHECK(error.startsWith(file));
    FUZZ_CHECK(!error.contains(QLatin1Char('\n')) && !error.contains(QLatin1Char('\r')));
    FUZZ_CHECK(error.size() < 200);
    for (const QChar c : error)
        FUZZ_CHECK(!fromTheFile(c));
    return 0;
}
