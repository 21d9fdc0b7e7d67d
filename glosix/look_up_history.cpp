#include "glosix/look_up_history.h"

#include "common/platform/env.h"
#include "common/platform/sources.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <algorithm>

namespace lex {

namespace {
constexpr QByteArrayView kHeader = "Glosix history 1";

bool parseNumber(QByteArrayView field, qint64* out)
{
    if (field.isEmpty() || field.size() > 18)
        return false;
    for (char c : field)
        if (c < '0' || c > '9')
            return false;
    bool ok = false;
    *out = field.toLongLong(&ok);
    return ok;
}
} // namespace

bool parseHistory(QByteArrayView bytes, std::vector<HistoryRecord>* out)
{
    std::vector<HistoryRecord> records;
    if (!bytes.isEmpty()) {
        const QList<QByteArray> lines = bytes.toByteArray().split('\n');
        if (lines.first() != kHeader || !lines.last().isEmpty())
            return false;   // a wrong first line, or the file cut off inside its last line
        QHash<QString, bool> seen;
        for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
            const QList<QByteArray> f = lines[i].split('\t');
            if (f.size() != 4)
                return false;
            HistoryRecord r;
            r.word = QString::fromUtf8(f[0]);
            qint64 count = 0;
            if (r.word.isEmpty() || r.word.size() > LookUpHistory::kMaxWordLength || r.word.toUtf8() != f[0]
                || r.word.trimmed() != r.word || !parseNumber(f[1], &count) || count < 1 || count > INT32_MAX
                || !parseNumber(f[2], &r.first) || !parseNumber(f[3], &r.last) || r.first > r.last
                || seen.contains(r.word))
                return false;
            r.count = int(count);
            seen.insert(r.word, true);
            records.push_back(std::move(r));
        }
    }
    *out = std::move(records);
    return true;
}

QByteArray serializeHistory(const std::vector<HistoryRecord>& records)
{
    QByteArray out = kHeader.toByteArray() + '\n';
    for (const HistoryRecord& r : records)
        out += r.word.toUtf8() + '\t' + QByteArray::number(r.count) + '\t' + QByteArray::number(r.first) + '\t'
               + QByteArray::number(r.last) + '\n';
    return out;
}

LookUpHistory::LookUpHistory(Env* env, QString path, const Clock* clock)
    : env_(env), path_(std::move(path)), clock_(clock)
{
}

LookUpHistory::Opened LookUpHistory::open()
{
    records_.clear();
    setAside_.clear();
    writable_ = !path_.isEmpty();
    if (path_.isEmpty() || !env_->fileExists(path_))
        return Opened::New;
    QByteArray bytes;
    if (env_->readFile(path_, &bytes) && parseHistory(bytes, &records_)) {
        // Most recent first, whatever order an older or edited file kept.
        std::stable_sort(records_.begin(), records_.end(),
                         [](const HistoryRecord& a, const HistoryRecord& b) { return a.last > b.last; });
        return Opened::Read;
    }
    // Kept for the learner to look at (or to mend), under a name no later damage overwrites.
    setAside_ = path_ + QLatin1Char('.')
                + QDateTime::fromSecsSinceEpoch(clock_->secondsSinceEpoch()).toString(QStringLiteral("yyyyMMdd-HHmmss"))
                + QStringLiteral(".damaged");
    if (!env_->renameFile(path_, setAside_)) {
        setAside_.clear();
        writable_ = false;
        return Opened::Unusable;
    }
    return Opened::SetAside;
}

Status LookUpHistory::record(const QString& typed)
{
    const QString word = typed.trimmed();
    if (word.isEmpty() || word.size() > kMaxWordLength || word.contains(QLatin1Char('\t'))
        || word.contains(QLatin1Char('\n')) || word.contains(QLatin1Char('\r')))
        return Status::ok();
    const qint64 now = clock_->secondsSinceEpoch();
    auto it = std::find_if(records_.begin(), records_.end(), [&](const HistoryRecord& r) { return r.word == word; });
    HistoryRecord r;
    if (it != records_.end()) {
        r = std::move(*it);
        records_.erase(it);
    } else {
        r.word = word;
        r.first = now;
    }
    ++r.count;
    r.last = std::max(now, r.first);   // a clock set back never puts the last look-up before the first
    records_.insert(records_.begin(), std::move(r));
    if (records_.size() > size_t(kMaxWords))
        records_.resize(size_t(kMaxWords));
    if (path_.isEmpty())
        return Status::ok();
    if (!writable_)
        return Status::error(Status::Code::Refused, QStringLiteral("the history file is damaged: ") + path_);
    if (const Status s = createDirs(env_, parentDir(path_)); !s)
        return s;
    return writeFileAtomically(env_, path_, serializeHistory(records_));
}

std::vector<const HistoryRecord*> LookUpHistory::filtered(QStringView filter) const
{
    const QStringView f = filter.trimmed();
    std::vector<const HistoryRecord*> out;
    for (const HistoryRecord& r : records_)
        if (f.isEmpty() || r.word.contains(f, Qt::CaseInsensitive))
            out.push_back(&r);
    return out;
}

} // namespace lex
