// Expected FSRS-6 results from the ts-fsrs package for random review histories.
//
//   node fsrs_reference.mjs MODULE_DIR [COUNT] [SEED]
//
// MODULE_DIR is the folder that holds node_modules/ts-fsrs. Prints one JSON object a line:
// {"retention":R,"reviews":["YYYY-MM-DDTHH:MM=G",...],"expected":[{"stability":S,"difficulty":D,
// "retrievability":R|null,"interval":N},...]}.
//
// The review times are taken as UTC, so ts-fsrs's whole days (the difference of the UTC calendar
// dates) are the calendar days between the times as written, which is how our scheduler counts
// the days between two local times.
import { createRequire } from 'node:module'
import path from 'node:path'

const moduleDir = process.argv[2]
const count = Number(process.argv[3] ?? 1000)
let seed = Number(process.argv[4] ?? 20261208) >>> 0

const require = createRequire(path.join(path.resolve(moduleDir), 'index.js'))
const { fsrs, createEmptyCard, generatorParameters, forgetting_curve, dateDiffInDays, default_w } =
  require('ts-fsrs')

// mulberry32: small, seeded, the same on every machine.
function random() {
  seed = (seed + 0x6d2b79f5) >>> 0
  let t = seed
  t = Math.imul(t ^ (t >>> 15), t | 1)
  t ^= t + Math.imul(t ^ (t >>> 7), t | 61)
  return ((t ^ (t >>> 14)) >>> 0) / 4294967296
}
const between = (lo, hi) => lo + Math.floor(random() * (hi - lo + 1))

const pad = (n) => String(n).padStart(2, '0')
const text = (d) =>
  `${d.getUTCFullYear()}-${pad(d.getUTCMonth() + 1)}-${pad(d.getUTCDate())}T${pad(d.getUTCHours())}:${pad(d.getUTCMinutes())}`

// The gap before the next review: within the day, a few days, weeks, or years.
function nextGapMinutes() {
  const kind = random()
  if (kind < 0.3) return between(1, 300)                 // same day, or just past midnight
  if (kind < 0.6) return between(1, 10) * 1440 + between(-600, 600)
  if (kind < 0.85) return between(10, 120) * 1440 + between(0, 1439)
  return between(120, 4000) * 1440 + between(0, 1439)    // long gaps
}

const schedulers = new Map()
function scheduler(retention) {
  if (!schedulers.has(retention))
    schedulers.set(retention, fsrs(generatorParameters({
      request_retention: retention, enable_fuzz: false, enable_short_term: false, maximum_interval: 36500,
    })))
  return schedulers.get(retention)
}

for (let h = 0; h < count; ++h) {
  const retention = h % 5 === 4 ? [0.7, 0.8, 0.85, 0.95, 0.97][between(0, 4)] : 0.9
  const passFail = random() < 0.3 // like a practice run: again or good only
  const n = between(1, 25)
  let when = new Date(Date.UTC(between(2016, 2026), between(0, 11), between(1, 28), between(0, 23), between(0, 59)))
  let card = createEmptyCard(when)
  const f = scheduler(retention)
  const reviews = []
  const expected = []
  for (let i = 0; i < n; ++i) {
    if (i > 0) when = new Date(when.getTime() + nextGapMinutes() * 60000)
    const grade = passFail ? (random() < 0.35 ? 1 : 3) : between(1, 4)
    const r = card.last_review
      ? forgetting_curve(default_w, dateDiffInDays(card.last_review, when), card.stability)
      : null
    card = f.next(card, when, grade).card
    reviews.push(`${text(when)}=${grade}`)
    expected.push({ stability: card.stability, difficulty: card.difficulty, retrievability: r,
                    interval: card.scheduled_days })
  }
  console.log(JSON.stringify({ retention, reviews, expected }))
}
