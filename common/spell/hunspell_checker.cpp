#include "common/spell/hunspell_checker.h"

#include <QDir>
#include <QFileInfo>
#include <hunspell.hxx>
#include <vector>

namespace lex {
namespace {

class HunspellChecker final : public WordChecker {
public:
    void add(std::unique_ptr<Hunspell> h) { dictionaries_.push_back(std::move(h)); }
    bool empty() const { return dictionaries_.empty(); }

    bool isWord(QStringView word) const override
    {
        // A phrase is English when each of its words is.
        const QStringList parts = word.toString().split(u' ', Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return false;
        for (const QString& part : parts) {
            const std::string bytes = part.toStdString();
            bool any = false;
            for (const auto& h : dictionaries_)
                if (h->spell(bytes)) {
                    any = true;
                    break;
                }
            if (!any)
                return false;
        }
        return true;
    }

private:
    std::vector<std::unique_ptr<Hunspell>> dictionaries_;
};

} // namespace

QStringList systemHunspellFolders()
{
    return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/share/myspell/dicts")};
}

QStringList defaultHunspellFolders()
{
    if (qEnvironmentVariableIsSet(kHunspellPathVariable))
        return qEnvironmentVariable(kHunspellPathVariable).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return systemHunspellFolders();
}

std::unique_ptr<WordChecker> openHunspellChecker(const QStringList& folders, QString* message)
{
    auto checker = std::make_unique<HunspellChecker>();
    for (const QString& folder : folders) {
        for (const char* name : {"en_US", "en_GB"}) {
            const QString base = QDir(folder).filePath(QString::fromLatin1(name));
            const QString aff = base + QStringLiteral(".aff"), dic = base + QStringLiteral(".dic");
            // Hunspell reads its files itself and makes an empty dictionary of a missing one.
            if (!QFileInfo(aff).isFile() || !QFileInfo(dic).isFile())
                continue;
            checker->add(std::make_unique<Hunspell>(QFile::encodeName(aff).constData(),
                                                    QFile::encodeName(dic).constData()));
        }
        if (!checker->empty())
            return checker;
    }
    if (message)
        *message = QStringLiteral("No English Hunspell dictionary (en_US.aff/.dic, en_GB.aff/.dic) in %1: "
                                  "spelling is graded right or wrong only")
                       .arg(folders.join(QStringLiteral(", ")));
    return nullptr;
}

} // namespace lex
