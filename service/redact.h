#pragma once

#include <QByteArray>

// The plant link's settings file as a support bundle carries it: nothing secret survives.
namespace service {

// Keeps blank lines, [section] lines and the values of the keys that hold nothing secret (url,
// ca_file, username, topic_prefix, laser_id; a url's user:password@ part goes). Every other
// value, whatever its key is called (password, a misspelt key, a secret or token), becomes
// ***; comment lines and lines without '=' become *** whole, since they may hold a password
// too. Line ends are kept.
QByteArray redactPlantConfig(const QByteArray &text);

} // namespace service
