#pragma once

#include <QString>

// The one rule for an id of the plant: a laser id, and any other single topic level a person
// names (a group, a node). Both programs check it, the host before it publishes under an id and
// the fleet before it keeps one, so that an id one program takes the other never refuses in
// silence, the broker never drops a connection over it, and two ids that print alike cannot both
// pass.
namespace plant {

constexpr int maxPlantIdCharacters = 128;

enum class IdProblem {
    None,
    Empty,
    TooLong,        // over maxPlantIdCharacters characters
    TopicCharacter, // '/', '+' or '#': a topic level or a wildcard
    Blank,          // a space of any kind, anywhere ("cutter 7" with a no-break space)
    // Not visible on its own: a control, format or direction character, a filler (U+3164), a
    // variation selector or other character that is not drawn, a mark with nothing before it,
    // half of a surrogate pair, a private or unassigned code point, or U+FFFD (broken UTF-8).
    Invisible,
    NotComposed,  // not in Unicode's composed form (NFC): "é" written as "e" and an accent
    MixedScripts, // one word in two of Latin, Greek and Cyrillic: "сutter" with a Cyrillic "с"
};

struct IdCheck {
    IdProblem problem = IdProblem::None;
    char32_t character = 0; // the one at fault, where there is one
    int position = 0;       // its place, counted in characters from 1
};

IdCheck checkPlantId(const QString &id);
inline bool validPlantId(const QString &id) {
    return checkPlantId(id).problem == IdProblem::None;
}

// `text` made a valid id: composed, every character the rule refuses written as '_', cut to
// maxPlantIdCharacters; empty only for an empty text.
QString plantIdFrom(const QString &text);

} // namespace plant
