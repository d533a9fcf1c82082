// Reads Sparkplug B payloads, in hex a line on standard input, with the Sparkplug project's own
// decoder (npm sparkplug-payload) and writes each as "seq S at T: " and its metrics as
// name:type=value (#name where only a birth's alias names it), unit, " @T" for a time of its own
// and " late" if historical.
const decoder = require('sparkplug-payload').get('spBv1.0');
const names = {};
const text = (v) => typeof v === 'number' ? String(Number(v.toPrecision(6))) :
    typeof v === 'string' ? JSON.stringify(v) : String(v);
for (const line of require('fs').readFileSync(0, 'utf8').split('\n').filter((l) => l)) {
    const p = decoder.decodePayload(Buffer.from(line, 'hex'));
    console.log(`seq ${p.seq ?? '-'} at ${p.timestamp}: ` + (p.metrics || []).map((m) => {
        if (m.name !== undefined) names[m.alias] = m.name;
        return (m.name ?? '#' + names[m.alias]) + ':' + m.type + '=' + text(m.value) +
            (m.properties?.engUnit ? ' ' + m.properties.engUnit.value : '') +
            (String(m.timestamp) !== String(p.timestamp) ? ' @' + m.timestamp : '') +
            (m.isHistorical ? ' late' : '');
    }).join(', '));
}
