#include "lexora/book/skills.h"

namespace lex {

QString skillName(Skill s)
{
    switch (s) {
    case Skill::Recognition: return QStringLiteral("recognition");
    case Skill::Spelling: return QStringLiteral("spelling");
    case Skill::Listening: return QStringLiteral("listening");
    }
    return {};
}

std::optional<Skill> skillFromName(QStringView name)
{
    for (Skill s : kSkills)
        if (name == skillName(s))
            return s;
    return std::nullopt;
}

} // namespace lex
