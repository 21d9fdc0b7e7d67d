#pragma once
// StarDict dictionaries: NAME.ifo (what the dictionary is), NAME.idx (headwords sorted as StarDict
// sorts them, each with the place of its entry), NAME.dict or NAME.dict.dz (the entries) and an
// optional NAME.syn (more headwords pointing at entries). The index is mapped and searched where
// it lies; opening walks it once to check it and to note every 32nd record, nothing more.

#include "common/dictionary/dictionary.h"
#include "common/dictionary/dictzip.h"
#include "common/platform/env.h"
#include "common/platform/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

namespace lex {

struct StarDictInfo {
    QString version;         // "2.4.2" or "3.0.0"
    QString bookname;
    qint64 wordcount = -1;
    qint64 synwordcount = 0;
    qint64 idxfilesize = -1;
    int idxoffsetbits = 32;  // 64 only with version 3.0.0
    QByteArray sametypesequence;
    QString author, description;
};

// Reads an .ifo file. Fails with a message on a missing magic line, an unknown version, a missing
// bookname or wordcount, or an idxoffsetbits other than 32 and 64.
Status parseStarDictIfo(QByteArrayView bytes, StarDictInfo* out);

// StarDict's order of headwords: ASCII letters compared without case first, then bytes.
int starDictCompare(QByteArrayView a, QByteArrayView b);

// Entries longer than this are read and shown only up to it.
constexpr uint64_t kMaxStarDictEntryBytes = 1u << 20;

struct StarDictField {
    char type = 0;   // 'm' plain text, 't' phonetic, 'x' XDXF, 'h' HTML, 'g' Pango markup, ...
    QByteArray data; // as stored (UTF-8 for the text types)
};

struct StarDictEntry {
    QString word;              // the headword as stored in the .idx
    QList<StarDictField> fields;
    bool cut = false;          // longer than kMaxStarDictEntryBytes: only its start was read
};

// The entry's text as stored: its text fields one after the other, joined by line breaks.
QString starDictStoredText(const StarDictEntry& entry);
// The entry as the companion's marked-up text: HTML, XDXF and Pango markup reduced to plain lines
// (no scripts, styles, images or links survive), each meaning line in marker 8, a phonetic in
// marker 13 between brackets; backquotes in the text become U+2018 so they cannot start a marker.
QString starDictSafeText(const StarDictEntry& entry);

class StarDict {
public:
    StarDict();
    ~StarDict();
    StarDict(const StarDict&) = delete;
    StarDict& operator=(const StarDict&) = delete;

    // Opens NAME.ifo and the files beside it (.idx, .dict.dz or else .dict, and .syn when present).
    // Fails with a message naming the file when one is missing, cannot be mapped or is damaged
    // (an index cut short, a bad chunk table); the dictionary is then closed.
    Status open(Env* env, const QString& ifoPath);
    // The same over bytes in memory (tests, fuzzing). Not copied: they must outlive the dictionary.
    // `syn` may be empty; `dictIsDictzip` says whether `dict` is compressed.
    Status openMemory(QByteArrayView ifo, QByteArrayView idx, QByteArrayView syn, QByteArrayView dict,
                      bool dictIsDictzip);
    void close();
    bool isOpen() const;

    const StarDictInfo& info() const;
    QString ifoPath() const;
    // What did not match but did not stop the dictionary from opening (a wrong wordcount);
    // empty when all is well.
    QString warning() const;
    qint64 wordCount() const;    // headwords found in the .idx
    qint64 synonymCount() const; // in the .syn

    enum class Match { Exact, IgnoreAsciiCase };
    // Every entry whose headword (or synonym) is `word` (exactly, or equal but for the case of
    // ASCII letters), in index order, each entry once. An entry that cannot be read (it lies
    // outside the .dict, a chunk does not inflate) is left out and named in the returned Status;
    // the others are still returned.
    Status lookup(QStringView word, Match match, std::vector<StarDictEntry>* out) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// The variable that names the shared StarDict folders instead of ~/.local/share/stardict/dic and
// /usr/share/stardict/dic: a ':'-separated list, looked in in that order; set but empty, there
// are none. Tests set it, so that the machine's dictionaries never change their results.
inline constexpr char kStarDictPathVariable[] = "LEXORA_STARDICT_PATH";

// The shared StarDict folders: those named by kStarDictPathVariable when it is set, else
// ~/.local/share/stardict/dic, then /usr/share/stardict/dic (where Debian's packages put them).
QStringList sharedStarDictFolders();
// Where StarDict dictionaries are looked for: the sub-folders of "Dict" in the program folder,
// then the shared folders.
QStringList starDictFolders(const QString& programFolder, Env* env = Env::defaultEnv());
// The .ifo files in `folders` and in their sub-folders (one level, as Debian's packages place
// them), each folder's sorted by name.
QStringList findStarDictFiles(const QStringList& folders, Env* env = Env::defaultEnv());

} // namespace lex
