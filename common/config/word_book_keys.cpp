#include "common/config/word_book_keys.h"

#include "common/config/config_keys.h"

namespace lex {

namespace {
constexpr uint8_t kHighestDegree = 10;
} // namespace

QString folderFromConfig(const QString& value)
{
    QString p = value;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!p.isEmpty() && !p.endsWith(QLatin1Char('/')))
        p += QLatin1Char('/');
    return p;
}

StrangeIndex readStrangeIndex(const Profile* profile, QLatin1String section)
{
    StrangeIndex v{kHighestDegree, kHighestDegree, kHighestDegree};
    if (!profile)
        return v;
    const auto bytes = profile->readStruct(section, config::kStrangeIndex, config::kStrangeIndexSize);
    if (!bytes)
        return v;
    for (int i = 0; i < 3; ++i) {
        const auto b = uint8_t((*bytes)[i]);
        if (b > kHighestDegree)
            return {kHighestDegree, kHighestDegree, kHighestDegree};
        v[size_t(i)] = b;
    }
    return v;
}

bool writeStrangeIndex(Profile* profile, QLatin1String section, const StrangeIndex& values)
{
    if (!profile)
        return false;
    QByteArray b(config::kStrangeIndexSize, '\0');
    for (int i = 0; i < 3; ++i)
        b[i] = char(values[size_t(i)]);
    return profile->writeStruct(section, config::kStrangeIndex, b);
}

double readDesiredRetention(const Profile* profile)
{
    if (!profile || !profile->contains(config::kReview, config::kDesiredRetention))
        return config::kDefaultDesiredRetention;
    return config::desiredRetentionFromConfig(profile->readString(config::kReview, config::kDesiredRetention));
}

bool writeDesiredRetention(Profile* profile, double retention)
{
    return profile && profile->writeString(config::kReview, config::kDesiredRetention,
                                           config::desiredRetentionToConfig(retention));
}

} // namespace lex
