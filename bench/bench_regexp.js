// The script engine's side of bench_regexp: the same work on the same text.
// argv: path of a UTF-8 text file. Prints one JSON object of times in ms and checks.
'use strict';
const fs = require('fs');

const text = fs.readFileSync(process.argv[2], 'utf8');

function best(runs, work) {
    let time = Infinity;
    let result;
    for (let i = 0; i < runs; ++i) {
        const start = process.hrtime.bigint();
        result = work();
        time = Math.min(time, Number(process.hrtime.bigint() - start) / 1e6);
    }
    return { ms: time, check: result };
}

function visit(re) {
    let count = 0;
    let length = 0;
    let m;
    re.lastIndex = 0;
    while ((m = re.exec(text)) !== null) {
        ++count;
        length += m[0].length;
        if (m[0].length === 0)
            ++re.lastIndex;
    }
    return count + '/' + length;
}

const runs = 3;
console.log(JSON.stringify({
    tab: best(runs, () => text.replace(/\t/g, ',').length),
    blanks: best(runs, () => text.replace(/[\r\t ]/g, '').length),
    words: best(runs, () => visit(/[a-z]+/g)),
    dot: best(runs, () => visit(/./g)),
}));
