#include "common/config/english_settings.h"

#include "common/config/profile.h"

namespace lex {

EnglishSettings readEnglishSettings(const Profile& profile)
{
    const QString section = QString::fromLatin1(kEnglishSection);
    EnglishSettings s;
    s.phonetics = profile.readInt(section, QString::fromLatin1(kEnglishPhonetics), 1) != 0;
    s.senses = profile.readInt(section, QString::fromLatin1(kEnglishSenses), 1) != 0;
    s.definition = profile.readInt(section, QString::fromLatin1(kEnglishDefinition), 1) != 0;
    s.tipExample = profile.readInt(section, QString::fromLatin1(kEnglishTipExample), 1) != 0;
    s.sensesShown = qMax(1, profile.readInt(section, QString::fromLatin1(kEnglishSensesShown), 3));
    return s;
}

bool writeEnglishSwitches(Profile& profile, const EnglishSettings& settings)
{
    const QString section = QString::fromLatin1(kEnglishSection);
    bool ok = profile.writeInt(section, QString::fromLatin1(kEnglishPhonetics), settings.phonetics ? 1 : 0);
    ok = profile.writeInt(section, QString::fromLatin1(kEnglishSenses), settings.senses ? 1 : 0) && ok;
    ok = profile.writeInt(section, QString::fromLatin1(kEnglishDefinition), settings.definition ? 1 : 0) && ok;
    ok = profile.writeInt(section, QString::fromLatin1(kEnglishTipExample), settings.tipExample ? 1 : 0) && ok;
    return ok;
}

} // namespace lex
