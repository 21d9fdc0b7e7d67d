// Folders of recordings named by a path pattern: what a pattern gives for a word, what it may
// never give (a way out of its folder), and the file found without regard to case.

#include "common/platform/env.h"
#include "common/speech/recording_patterns.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace lex;

TEST(RecordingPatterns, WhatAPatternGivesForAWord)
{
    const struct { const char16_t *pattern, *word, *path; } cases[] = {
        {u"{word}.mp3", u"apple", u"apple.mp3"},
        {u"{w}/{word}.ogg", u"apple", u"a/apple.ogg"},
        {u"us/{w}/{word}.mp3", u"take off", u"us/t/take off.mp3"},
        {u"{w}/{word}.ogg", u"\U0001D49Cb", u"\U0001D49C/\U0001D49Cb.ogg"},   // a surrogate pair is one character
        {u"{word}.mp3", u"café", u"café.mp3"},
        // Never out of the folder, nor anywhere a pattern does not say.
        {u"../{word}.mp3", u"apple", u""},
        {u"a/../../{word}.mp3", u"apple", u""},
        {u"/etc/{word}", u"passwd", u""},
        {u"{word}", u"..", u""},
        {u"{w}/x.mp3", u".hidden", u""},             // {w} of ".hidden" is "."
        {u"{word}/x.mp3", u"..", u""},
        {u"{word}.mp3", u"a/b", u""},
        {u"{word}.mp3", u"a\\b", u""},
        {u"x\\{word}.mp3", u"apple", u""},
        {u"{word}//x.mp3", u"apple", u""},
        {u"sound.mp3", u"apple", u""},               // no placeholder: every word the same file
        {u"", u"apple", u""},
        {u"{word}.mp3", u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expandRecordingPattern(c.pattern, c.word), QString::fromUtf16(c.path))
            << QString::fromUtf16(c.pattern).toStdString() << " " << QString::fromUtf16(c.word).toStdString();
    const QChar nul(0);
    EXPECT_EQ(expandRecordingPattern(u"{word}.mp3", QString(QStringLiteral("a") + nul + QStringLiteral("b"))), QString());
}

TEST(RecordingPatterns, TheFileIsFoundWithoutRegardToCaseAndNeverOutside)
{
    lextest::TempDir t;
    QDir().mkpath(t.path(QStringLiteral("rec/A")));
    QDir().mkpath(t.path(QStringLiteral("rec/b")));
    t.write(QStringLiteral("rec/A/Apple.OGG"), "ogg");
    t.write(QStringLiteral("rec/b/banana.ogg"), "ogg");
    t.write(QStringLiteral("rec/b/BANANA.ogg"), "ogg");   // the exact name comes first
    t.write(QStringLiteral("secret.ogg"), "outside");
    QFile::link(t.path(QStringLiteral("secret.ogg")), t.path(QStringLiteral("rec/b/cherry.ogg")));
    Env* env = Env::defaultEnv();
    const RecordingSource source{t.path(QStringLiteral("rec")), QStringLiteral("{w}/{word}.ogg")};
    EXPECT_EQ(findRecording(env, source, u"apple"), t.path(QStringLiteral("rec/A/Apple.OGG")));
    EXPECT_EQ(findRecording(env, source, u"APPLE"), t.path(QStringLiteral("rec/A/Apple.OGG")));
    EXPECT_EQ(findRecording(env, source, u"banana"), t.path(QStringLiteral("rec/b/banana.ogg")));
    EXPECT_EQ(findRecording(env, source, u"Banana"), t.path(QStringLiteral("rec/b/BANANA.ogg")));
    EXPECT_EQ(findRecording(env, source, u"cherry"), QString()) << "a link that leads out of the folder";
    EXPECT_EQ(findRecording(env, source, u"date"), QString());
    EXPECT_EQ(findRecording(env, {t.path(QStringLiteral("rec")), QStringLiteral("../{word}.ogg")}, u"secret"), QString());
    // Listing each folder once for a whole Book finds the same files, case and all.
    RecordingFolderCache cache;
    for (const char16_t* w : {u"apple", u"APPLE", u"banana", u"Banana", u"cherry", u"date", u"Apple"})
        EXPECT_EQ(findRecording(env, source, w, &cache), findRecording(env, source, w)) << QString::fromUtf16(w).toStdString();
    EXPECT_EQ(cache.folders.size(), 1) << "the folder of first letters, listed once";

    const QList<RecordingSource> parsed =
        parseRecordingSources(u"/home/me/rec/|{w}/{word}.ogg; /mnt/us|{word}.mp3;broken;|x;\f|\f;/a| ");
    ASSERT_EQ(parsed.size(), 2);
    EXPECT_EQ(parsed[0].folder, QStringLiteral("/home/me/rec"));
    EXPECT_EQ(parsed[0].pattern, QStringLiteral("{w}/{word}.ogg"));
    EXPECT_EQ(parsed[1].folder, QStringLiteral("/mnt/us"));
    EXPECT_EQ(parseRecordingSources(recordingSourcesSetting(parsed)).size(), 2);
}
