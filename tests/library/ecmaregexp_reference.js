// Reference results for tst_ecmaregexp_node: one batch of
// subject.replace(new RegExp(pattern, 'g'), replacement) cases.
// argv: input file, output file. Input: JSON array of [pattern, replacement, subject];
// output: one {r: result} or {e: message} per case. Every text is base64 of UTF-16LE,
// so lone surrogates survive the trip.
'use strict';
const fs = require('fs');

const decode = (text) => Buffer.from(text, 'base64').toString('utf16le');
const encode = (text) => Buffer.from(text, 'utf16le').toString('base64');

const [inputPath, outputPath] = process.argv.slice(2);
const cases = JSON.parse(fs.readFileSync(inputPath, 'utf8'));
const results = cases.map(([pattern, replacement, subject]) => {
    let re;
    try {
        re = new RegExp(decode(pattern), 'g');
    } catch (e) {
        return { e: String(e.message) };
    }
    try {
        return { r: encode(decode(subject).replace(re, decode(replacement))) };
    } catch (e) {
        return { e: 'runtime: ' + String(e.message) };
    }
});
fs.writeFileSync(outputPath, JSON.stringify(results));
