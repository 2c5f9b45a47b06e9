// Writes tests/data/koyomi-1980-2069.txt from astronomy-engine, a second source of the new
// moons and the Sun's longitude beside the program's own (ERFA). Run once, by hand:
//   npm install astronomy-engine@2.1.19 && node tests/tools/koyomi-data.js > tests/data/koyomi-1980-2069.txt
// The 旧暦 rules are written here again, apart from the program's: a month begins on the JST
// day of a new moon, the month holding 冬至 is the 11th, and in a span of 13 months between two
// 11th months the first month without a 中気 repeats the number before it as a leap month.
'use strict';
const A = require('astronomy-engine');

const path = require('path');
const version = JSON.parse(require('fs').readFileSync(
    path.join(path.dirname(require.resolve('astronomy-engine')), 'package.json'))).version;
const dayMs = 86400000;
// The JST day of an instant, as a day number (days since 1970-01-01).
const jstDay = (t) => Math.floor((t.date.getTime() + 9 * 3600000) / dayMs);
const iso = (day) => new Date(day * dayMs).toISOString().slice(0, 10);
const termNames = ['春分', '清明', '穀雨', '立夏', '小満', '芒種', '夏至', '小暑', '大暑', '立秋',
    '処暑', '白露', '秋分', '寒露', '霜降', '立冬', '小雪', '大雪', '冬至', '小寒', '大寒', '立春',
    '雨水', '啓蟄'];

// Every solar term from 1978 to 2071, in order, as [day, longitude].
const terms = [];
for (let y = 1978; y <= 2071; ++y) {
    for (let k = 0; k < 24; ++k) {
        const lon = (285 + 15 * k) % 360;
        const from = new Date(Date.UTC(y, 0, 1) + k * 15.2 * dayMs - 10 * dayMs);
        const t = A.SearchSunLongitude(lon, from, 25);
        terms.push([jstDay(t), lon, y]);
    }
}
// Every new moon from the autumn of 1978 to the spring of 2071.
const moons = [];
for (let t = A.SearchMoonPhase(0, new Date(Date.UTC(1978, 8, 1)), 40);
     t.date < new Date(Date.UTC(2071, 3, 1)); t = A.SearchMoonPhase(0, t.AddDays(1), 40))
    moons.push(jstDay(t));

const months = []; // [first day, year, month, leap]
const solstices = terms.filter((t) => t[1] === 270).map((t) => t[0]);
const lastAtOrBefore = (day) => moons.filter((m) => m <= day).length - 1;
for (let s = 0; s + 1 < solstices.length; ++s) {
    const first = lastAtOrBefore(solstices[s]);
    const next = lastAtOrBefore(solstices[s + 1]);
    const count = next - first;
    const solsticeYear = new Date(solstices[s] * dayMs).getUTCFullYear();
    let number = 11;
    let leapTaken = count === 12;
    let year = solsticeYear;
    for (let i = first; i < next; ++i) {
        let leap = false;
        if (i > first) {
            const hasPrincipal = terms.some((t) => t[1] % 30 === 0 && t[0] >= moons[i] && t[0] < moons[i + 1]);
            if (!leapTaken && !hasPrincipal) {
                leap = true;
                leapTaken = true;
            } else {
                number = number % 12 + 1;
                if (number === 1)
                    year = solsticeYear + 1;
            }
        }
        months.push([moons[i], year, number, leap]);
    }
}

const firstDay = Date.UTC(1980, 0, 1) / dayMs;
const lastDay = Date.UTC(2069, 11, 31) / dayMs;
console.log(`# 旧暦 and 二十四節気 of 1980-2069 in JST, from astronomy-engine ${version} (npm, MIT),`);
console.log('# written by tests/tools/koyomi-data.js (node), which applies the rules of 旧暦 on its own.');
console.log('# M <first JST day of a 旧暦 month> <旧暦 year> <month> <0, or 1 for a leap month>');
console.log('# T <JST day of a solar term> <apparent solar longitude> <name>');
for (let i = 0; i < months.length; ++i) {
    const end = i + 1 < months.length ? months[i + 1][0] : Infinity;
    if (end <= firstDay || months[i][0] > lastDay)
        continue;
    const [day, year, month, leap] = months[i];
    console.log(`M ${iso(day)} ${year} ${month} ${leap ? 1 : 0}`);
}
for (const [day, lon] of terms) {
    if (day >= firstDay && day <= lastDay)
        console.log(`T ${iso(day)} ${lon} ${termNames[lon / 15]}`);
}
