// Reads and writes .kvtml files with KDE's vocabulary library, for the tests that check our files
// against the program that defines them.
//   kde_check read FILE    one JSON object a line: first {"identifiers": [...]}, then one entry
//                          a line: word, phonetic, comment, explanation, lesson (KDE's own reading)
//   kde_check write FILE   the entries as the same JSON lines on standard input, saved by KDE
#include <KEduVocDocument>
#include <KEduVocExpression>
#include <KEduVocIdentifier>
#include <KEduVocLesson>
#include <KEduVocTranslation>

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTextStream>
#include <QUrl>
#include <cstdio>

namespace {

QString lessonPath(KEduVocLesson* lesson)
{
    QStringList names;
    for (KEduVocContainer* c = lesson; c && c->parent(); c = c->parent())
        names.prepend(c->name());
    return names.join(QLatin1Char('/'));
}

void print(const QJsonObject& o)
{
    const QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
}

int read(const QString& path)
{
    KEduVocDocument doc;
    const int err = doc.open(QUrl::fromLocalFile(path), KEduVocDocument::FileOpenReadOnly);
    if (err != KEduVocDocument::NoError) {
        std::fprintf(stderr, "open failed: %s\n", qPrintable(KEduVocDocument::errorDescription(err)));
        return 1;
    }
    QJsonArray ids;
    for (int i = 0; i < doc.identifierCount(); ++i)
        ids.append(QJsonObject{{"name", doc.identifier(i).name()}, {"locale", doc.identifier(i).locale()}});
    print(QJsonObject{{"identifiers", ids}});
    for (KEduVocExpression* e : doc.lesson()->entries(KEduVocContainer::Recursive)) {
        KEduVocTranslation* word = e->translation(0);
        KEduVocTranslation* expl = e->translation(1);
        print(QJsonObject{{"word", word->text()},
                          {"phonetic", word->pronunciation()},
                          {"comment", word->comment()},
                          {"explanation", expl ? expl->text() : QString()},
                          {"lesson", lessonPath(e->lesson())}});
    }
    return 0;
}

int write(const QString& path)
{
    KEduVocDocument doc;
    doc.setTitle(QStringLiteral("kde_check"));
    KEduVocIdentifier en, zh;
    en.setName(QStringLiteral("English"));
    en.setLocale(QStringLiteral("en"));
    zh.setName(QStringLiteral("Chinese"));
    zh.setLocale(QStringLiteral("zh_CN"));
    doc.appendIdentifier(en);
    doc.appendIdentifier(zh);
    QMap<QString, KEduVocLesson*> lessons;
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    while (!in.atEnd()) {
        const QJsonObject o = QJsonDocument::fromJson(in.readLine()).object();
        if (o.isEmpty())
            continue;
        auto* e = new KEduVocExpression;
        e->setTranslation(0, o.value("word").toString());
        e->translation(0)->setPronunciation(o.value("phonetic").toString());
        e->translation(0)->setComment(o.value("comment").toString());
        e->setTranslation(1, o.value("explanation").toString());
        const QString name = o.value("lesson").toString();
        KEduVocLesson*& lesson = lessons[name];
        if (!lesson) {
            lesson = new KEduVocLesson(name.isEmpty() ? QStringLiteral("Lesson") : name, doc.lesson());
            doc.lesson()->appendChildContainer(lesson);
        }
        lesson->appendEntry(e);
    }
    const int err = doc.saveAs(QUrl::fromLocalFile(path), KEduVocDocument::Kvtml, KEduVocDocument::FileIgnoreLock);
    if (err != KEduVocDocument::NoError) {
        std::fprintf(stderr, "save failed: %s\n", qPrintable(KEduVocDocument::errorDescription(err)));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("read"))
        return read(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("write"))
        return write(args[2]);
    std::fprintf(stderr, "usage: kde_check read|write FILE\n");
    return 2;
}
