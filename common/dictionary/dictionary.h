#pragma once
// The read-only dictionaries of both programs: a two-level index (NAME.idx) over a text file
// (NAME.dic) that is every entry text back to back. Look-ups read the mapped bytes directly.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>

namespace lex {

// A read-only view of a whole file, mapped once.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool open(const QString& path);   // existing files only
    void close();
    bool isOpen() const { return data_ != nullptr || (fd_ >= 0 && size_ == 0); }
    const unsigned char* data() const { return data_; }
    uint32_t size() const { return size_; }

private:
    const unsigned char* data_ = nullptr;
    uint32_t size_ = 0;
    int fd_ = -1;
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
    explicit Dictionary(DictVariant variant);
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
