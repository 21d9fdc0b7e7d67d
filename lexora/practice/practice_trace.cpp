#include "lexora/practice/practice_trace.h"

#include "common/platform/env.h"
#include "lexora/practice/practice_engine.h"

#include <memory>

namespace lex {

void PracticeTrace::write(const QString& line)
{
    if (sink_)
        sink_(line);
}

void PracticeTrace::observe(const PracticeEngine& engine)
{
    if (!sink_)
        return;
    const int n = engine.questionNumber();
    if (n != question_ && n > 0) {
        question_ = n;
        write(QStringLiteral("question\t%1\t%2\t%3").arg(n).arg(engine.correctSlot()).arg(engine.currentWord()));
    }
    if (engine.hintRung() != hintRung_) {
        hintRung_ = engine.hintRung();   // back to 0 with each new question, silently
        if (hintRung_ > 0)
            write(QStringLiteral("hint\t%1\t%2\t%3").arg(n).arg(hintRung_).arg(engine.view().hint));
    }
    if (engine.answered() && answered_ != n) {
        answered_ = n;
        write(QStringLiteral("answer\t%1\t%2").arg(n).arg(engine.lastAnswerCorrect() ? u"right" : u"wrong"));
    }
    if (engine.finished() && !ended_) {
        ended_ = true;
        write(QStringLiteral("end\t%1").arg(engine.result() == PracticeResult::Accepted ? u"accepted" : u"cancelled"));
    }
}

void PracticeTrace::message(const QString& text)
{
    write(QStringLiteral("message\t") + text);
}

PracticeTrace::Sink PracticeTrace::fromEnvironment(Env* env)
{
    const QString path = qEnvironmentVariable(kVariable);
    if (path.isEmpty() || !env)
        return {};
    return [env, path](const QString& line) {
        std::unique_ptr<WritableFile> f;
        if (env->createIfMissing(path).isOk() && env->newAppendableFile(path, &f).isOk() && f) {
            (void)f->append(QString(line + QLatin1Char('\n')).toUtf8());
            (void)f->close();
        }
    };
}

} // namespace lex
