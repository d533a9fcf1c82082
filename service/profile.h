#pragma once

#include "protocol/system_settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A settings profile: the CCB's settings value as read back, kept in a small JSON file
// (extension .ccbsettings) with the product data and every field decoded for people and diffs.
// The raw value is the authoritative part; the decoded fields are checked against it on loading.
namespace service {

struct SettingsProfile {
    static constexpr int formatVersion = 1;
    static constexpr qint64 maxFileBytes = 1 << 20;

    QByteArray value; // the seven value bytes exactly as read
    QString productType;
    QString serialNumber;
    QString ccbVersion;
    QString port;
    qint64 savedAt = 0; // ms since 1970, UTC

    protocol::SystemSettings settings() const;
};

// The file's text, indented, one field a few lines.
QByteArray profileJson(const SettingsProfile &profile);

struct ProfileLoad {
    bool ok = false;
    QString error; // why the file cannot be used (translated); empty when ok
    SettingsProfile profile;
    // Decoded fields the file gives differently from its raw value, e.g.
    // "屏蔽PD警报: 文件写着 是, 原始值为 否". The raw value wins.
    QStringList disagreements;
    // What a person is asked about before anything is read or written (translated): a value
    // of all zeros. Empty when there is nothing to ask.
    QString caution;
};

// Reads a profile from its text; `bytes` beyond maxFileBytes is refused, and so is a value the
// settings page could never give (a leakage limit above 4050, mode 3: see beyondPage), the
// field named.
ProfileLoad parseProfile(const QByteArray &text);
// Reads the file (never more than maxFileBytes + 1 bytes of it).
ProfileLoad loadProfile(const QString &path);
// A text from a file as it may be shown to a person: its first `most` characters, hidden ones
// (a newline, a direction override U+202E, a filler) written as <U+202E> by plant's visibleText(),
// then "..." when it was cut. Shown as plain text, so it cannot pass for something else.
QString visibleText(const QString &text, int most = 80);

// The first key that appears twice in one object of a JSON text (JSON itself would keep the
// last silently), as written; empty when there is none. `text` is valid JSON.
QString repeatedJsonKey(const QByteArray &text);

// Writes the file safely: a half-written file never stands under `path`.
bool saveProfile(const QString &path, const SettingsProfile &profile, QString *error);

} // namespace service
