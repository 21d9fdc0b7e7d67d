#include "common/config/stardict_order.h"

#include "common/config/config_keys.h"

#include <QDir>
#include <QSet>

namespace lex {
namespace {

constexpr QChar kSeparator = QLatin1Char('|');
constexpr int kValueCapacity = 1 << 16;   // many dictionaries with long paths: not the usual 255

QString escaped(QString s)
{
    return s.replace(QLatin1Char('%'), QLatin1String("%25")).replace(kSeparator, QLatin1String("%7C"));
}

QString unescaped(const QString& s)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(s.toUtf8()));
}

// `path` from `base` when it lies inside it, else empty.
QString inside(const QString& path, const QString& base)
{
    if (base.isEmpty())
        return {};
    const QString b = QDir::cleanPath(base) + QLatin1Char('/');
    return path.startsWith(b) ? path.mid(b.size()) : QString();
}

} // namespace

QString encodeStarDictOrder(const std::vector<StarDictChoice>& choices, const QString& programFolder,
                            const QString& home)
{
    QStringList items;
    for (const StarDictChoice& c : choices) {
        const QString path = QDir::cleanPath(c.ifoPath);
        QString stored = inside(path, programFolder);
        if (stored.startsWith(QLatin1String("~/")))
            stored.prepend(QLatin1String("./"));   // a folder named "~" in the program folder
        if (stored.isEmpty()) {
            const QString fromHome = inside(path, home);
            stored = fromHome.isEmpty() ? path : QStringLiteral("~/") + fromHome;
        }
        items << QLatin1Char(c.enabled ? '+' : '-') + escaped(stored);
    }
    return items.join(kSeparator);
}

std::vector<StarDictChoice> decodeStarDictOrder(const QString& value, const QString& programFolder,
                                                const QString& home)
{
    std::vector<StarDictChoice> out;
    for (const QString& item : value.split(kSeparator, Qt::SkipEmptyParts)) {
        if (item.size() < 2 || (item[0] != QLatin1Char('+') && item[0] != QLatin1Char('-')))
            continue;
        QString path = unescaped(item.mid(1));
        if (path.startsWith(QLatin1String("~/")))
            path = home + path.mid(1);
        else if (!path.startsWith(QLatin1Char('/')))   // (Qt takes ":..." for a resource, not relative)
            path = programFolder + QLatin1Char('/') + path;
        out.push_back({QDir::cleanPath(path), item[0] == QLatin1Char('+')});
    }
    return out;
}

std::vector<StarDictChoice> arrangeStarDicts(const QStringList& found, const std::vector<StarDictChoice>& stored)
{
    QSet<QString> present;
    for (const QString& f : found)
        present.insert(QDir::cleanPath(f));
    std::vector<StarDictChoice> out;
    QSet<QString> placed;
    for (const StarDictChoice& c : stored) {
        const QString p = QDir::cleanPath(c.ifoPath);
        if (present.contains(p) && !placed.contains(p)) {
            out.push_back({p, c.enabled});
            placed.insert(p);
        }
    }
    for (const QString& f : found) {
        const QString p = QDir::cleanPath(f);
        if (!placed.contains(p)) {
            out.push_back({p, true});
            placed.insert(p);
        }
    }
    return out;
}

std::vector<StarDictChoice> readStarDictOrder(const Profile& profile, const QString& programFolder)
{
    const QString value = profile.readString(config::kStarDict, config::kDictionaries, {}, kValueCapacity);
    return decodeStarDictOrder(value, programFolder, QDir::homePath());
}

bool writeStarDictOrder(Profile& profile, const QString& programFolder, const std::vector<StarDictChoice>& choices)
{
    return profile.writeString(config::kStarDict, config::kDictionaries,
                               encodeStarDictOrder(choices, programFolder, QDir::homePath()));
}

QStringList enabledStarDicts(const std::vector<StarDictChoice>& choices)
{
    QStringList out;
    for (const StarDictChoice& c : choices)
        if (c.enabled)
            out << c.ifoPath;
    return out;
}

} // namespace lex
