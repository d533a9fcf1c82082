// Decodes Sparkplug B payloads with the Sparkplug project's own decoder (npm sparkplug-payload):
// a payload in hex on each line of standard input, its decoded form as one line of JSON on
// standard output, 64-bit numbers as plain numbers.
const decoder = require('sparkplug-payload').get('spBv1.0');
const plain = (key, value) =>
    value && typeof value.toNumber === 'function' ? value.toNumber() : value;
for (const line of require('fs').readFileSync(0, 'utf8').split('\n'))
    if (line.length > 0)
        console.log(JSON.stringify(decoder.decodePayload(Buffer.from(line, 'hex')), plain));
