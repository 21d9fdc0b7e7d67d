#pragma once
// The read-only dictionaries of both programs: a two-level index (NAME.idx) over a text file
// (NAME.dic) that is every entry text back to back. Look-ups read the mapped bytes directly.

#include "common/platform/env.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>

namespace lex {

// A read-only view of a whole file, mapped once through an Env.
class MappedFile {
public:
    explicit MappedFile(Env* env = Env::defaultEnv()) : env_(env) {}
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Existing regular files of at most 4 GiB - 1 only (sizes are 32-bit in the formats read
    // through this class). False, with the view closed, otherwise.
    bool open(const QString& path);
    void close() { region_.reset(); }
    bool isOpen() const { return region_ != nullptr; }
    const unsigned char* data() const { return region_ ? region_->data() : nullptr; }
    uint32_t size() const { return region_ ? uint32_t(region_->size()) : 0; }

private:
    Env* env_;
    std::unique_ptr<ReadOnlyRegion> region_;
};

// How the first-level table is searched. Both give the same result for every query: `Indexed`
// bisects a table of the first-level records built at open when their keys ascend, and walks
// that table otherwise; `Walk` reads the first-level records one by one for every look-up.
enum class FirstLevelSearch { Indexed, Walk };

enum class DictVariant {
    Main,      // Dict.idx / Dict.dic: length-prefixed keys, case-sensitive, phonetic + explanation
    Companion, // 21ct.idx / 21ct.dic: NUL-terminated keys, ASCII case folded, marked-up entry text
};

class Dictionary {
public:
    // The files are mapped through `env` (a test's may refuse them).
    explicit Dictionary(DictVariant variant, Env* env = Env::defaultEnv());
    ~Dictionary();
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    DictVariant variant() const { return variant_; }

    // Opens the index, then the text file, independently. Returns the paths that could not be
    // opened (the caller shows "不能打开词典文件，请确认此文件是否存在\n" + path for each).
    QStringList open(const QString& indexPath, const QString& textPath);
    // The variant's two files in `dictFolder` ("Dict.idx"/"Dict.dic" or "21ct.idx"/"21ct.dic").
    QStringList openFolder(const QString& dictFolder);
    // Looks up over bytes already in memory (tests, fuzzing, tools). Not copied: the bytes must
    // outlive the dictionary or the next open()/close().
    void openMemory(QByteArrayView indexBytes, QByteArrayView textBytes);
    void close();
    bool isOpen() const;

    void setFirstLevelSearch(FirstLevelSearch mode);
    // True when the first-level keys ascend, so that `Indexed` bisects.
    bool firstLevelAscends() const;

    // Main variant: on success the phonetic and the explanation (lines joined by CR LF) replace
    // the outputs. On failure, or on a companion dictionary, the outputs are left as they were.
    bool LookUpWord(QStringView word, QString& explanation, QString& phonetic) const;
    // Companion variant: on success the entry text with every LF replaced by CR LF.
    // Always false on a main dictionary.
    bool LookUpEntryText(QStringView word, QString& text) const;

private:
    struct Impl;
    DictVariant variant_;
    Impl* d_;
};

} // namespace lex
