// The script engine's side of bench_regexp: the same work on the same text.
// argv: path of the 10 MB UTF-8 text, path of the 1 MB text for the lookbehind cases.
// Prints one JSON object of times in ms and checks (length and checksum of the result).
'use strict';
const fs = require('fs');

const text = fs.readFileSync(process.argv[2], 'utf8');
const lookbehindText = fs.readFileSync(process.argv[3], 'utf8');

function checkOf(s) {
    let sum = 0;
    for (let i = 0; i < s.length; ++i)
        sum = (sum * 31 + s.charCodeAt(i)) % 1000000007;
    return s.length + '/' + sum;
}

function best(runs, work) {
    let time = Infinity;
    let result;
    for (let i = 0; i < runs; ++i) {
        const start = process.hrtime.bigint();
        result = work();
        time = Math.min(time, Number(process.hrtime.bigint() - start) / 1e6);
    }
    return { ms: time, check: checkOf(result) };
}

// Full-width forms of one code unit, as the "/Wide" directive makes them.
const wide = new Array(65536);
for (let c = 0; c < 65536; ++c)
    wide[c] = String.fromCharCode(c);
for (let c = 0x21; c <= 0x7e; ++c)
    wide[c] = String.fromCharCode(c + 0xfee0);
wide[0x20] = '\u3000';
const kana = '。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜';
for (let i = 0; i < kana.length; ++i)
    wide[0xff61 + i] = kana[i];

const spaces30k = ' '.repeat(30000) + 'x';
const spaces100k = ' '.repeat(100000) + 'x';
const runs = 3;
console.log(JSON.stringify({
    tab: best(runs, () => text.replace(/\t/g, ',')),
    blanks: best(runs, () => text.replace(/[\r\t ]/g, '')),
    upper: best(runs, () => text.replace(/[a-z]+/g, (m) => m.toUpperCase())),
    wide: best(runs, () => text.replace(/./g, (m) => wide[m.charCodeAt(0)])),
    swap: best(runs, () => text.replace(/(\w+)\t(\w+)/g, '$2\t$1')),
    spaces30k: best(runs, () => spaces30k.replace(/(\s+)$/g, '')),
    spaces100k: best(1, () => spaces100k.replace(/(\s+)$/g, '')),
    lookbehind: best(runs, () => lookbehindText.replace(/(?<=\d+)[\t ]/g, '|')),
    lookbehindCapture: best(runs, () => lookbehindText.replace(/(?<=(\w+)\t)\d+/g, '<$1>')),
}));
