// The support bundle's copy of config/plant.ini. Every byte 0x01 of the input becomes a marker
// secret, so the search plants it anywhere: in a key's place, a password, a remark, a section's
// name, a url's user part, path or query, behind a blank or a ';'. Whatever the file, the marker
// appears in the copy no more often than inside the values that may be copied (a known key that
// holds no secret; of a url only its host and port), found here by a reading of the file of the
// test's own; and every line of the copy is blank, [mqtt], a remark, or `key = value` of such a
// key.

#include "fuzz/fuzz_check.h"
#include "plant/config_lines.h"
#include "service/redact.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstddef>
#include <cstdint>

namespace {

const QString marker = QStringLiteral("S3cr3tMark");

int markers(const QString &text) {
    return text.count(marker, Qt::CaseInsensitive);
}

bool copied(const QString &key) {
    return plant::knownKeys().contains(key) && !plant::isSecretKey(key);
}

// Of a url, its host and port: after "scheme://" up to the first '/', '?' or '#', after the
// last '@'. A host beyond ASCII may become the marker when it is written in ASCII: no bound.
int markersInUrl(const QString &url) {
    const int scheme = url.indexOf(QStringLiteral("://"));
    if (scheme < 0)
        return 0;
    QString authority = url.mid(scheme + 3);
    for (const QChar end : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#')})
        authority = authority.section(end, 0, 0);
    const QString host = QUrl::fromPercentEncoding(
        authority.mid(authority.lastIndexOf(QLatin1Char('@')) + 1).toUtf8());
    for (const QChar c : host)
        if (c.unicode() > 0x7F)
            return 1 << 20;
    return markers(host);
}

// The markers the file holds inside values that may be copied.
int markersAllowed(const QString &file) {
    QString text = file.startsWith(QChar(0xFEFF)) ? file.mid(1) : file;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), '\n');
    int allowed = 0;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const int equals = line.indexOf(QLatin1Char('='));
        const QString key = line.left(equals).trimmed();
        if (equals < 0 || !copied(key))
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
            value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        allowed += key == QLatin1String("url") ? markersInUrl(value) : markers(value);
    }
    return allowed;
}

bool wellFormed(const QString &line) {
    if (line.isEmpty() || line == QLatin1String("[mqtt]") || line.startsWith(QLatin1String("# ")))
        return true;
    const int equals = line.indexOf(QStringLiteral(" ="));
    return equals > 0 && copied(line.left(equals)) &&
           (line.size() == equals + 2 || line.at(equals + 2) == QLatin1Char(' '));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    bytes.replace('\x01', marker.toUtf8());
    const service::RebuiltConfig rebuilt = service::rebuiltPlantConfig(bytes);
    const QString out = QString::fromUtf8(rebuilt.text);
    FUZZ_CHECK(out.endsWith(QLatin1Char('\n')));

    // The bundle reads as far as the plant link does; so does this reading.
    bytes.truncate(service::plantConfigReadLimit);
    FUZZ_CHECK(markers(out) <= markersAllowed(QString::fromUtf8(bytes.constData(), bytes.size())));
    const QStringList lines = out.split(QLatin1Char('\n'));
    for (const QString &line : lines.mid(0, lines.size() - 1)) {
        FUZZ_CHECK(wellFormed(line));
        for (const QChar c : line)
            FUZZ_CHECK(c.category() != QChar::Other_Control && c != QChar::ReplacementCharacter);
    }
    return 0;
}
