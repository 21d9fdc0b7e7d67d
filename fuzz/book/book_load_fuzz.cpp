// The Book loader and salvage over arbitrary index and text bytes: the first two input bytes give
// the length of the index file, the rest is the text file. A load must never read outside its
// buffers; read in small pieces it must make the same Book; whatever it admits must survive a
// save and a reload unchanged. Salvage writes nothing to the Book it reads, keeps every entry the
// loader accepts, and what it recovers makes a sound Book.
#include "lexora/book/book_file.h"
#include "lexora/book/book_salvage.h"
#include "lexora/book/list_ops.h"
#include "tests/support/mem_env.h"

#include <cstdlib>

namespace {

struct Fields {
    QString t[lex::kTextFieldCount];
    lex::IndexFields stored;
};

std::vector<Fields> contents(const lex::Book& b)
{
    std::vector<Fields> v;
    for (const lex::WordEntry* e : b.full()) {
        Fields f;
        for (int i = 0; i < lex::kTextFieldCount; ++i)
            f.t[i] = e->text(lex::TextField(i)).toString();
        f.stored = e->stored;
        f.stored.textStart = f.stored.textEnd = 0;
        v.push_back(f);
    }
    return v;
}

bool same(const std::vector<Fields>& a, const std::vector<Fields>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int k = 0; k < lex::kTextFieldCount; ++k)
            if (a[i].t[k] != b[i].t[k])
                return false;
        if (std::memcmp(&a[i].stored, &b[i].stored, sizeof(lex::IndexFields)) != 0)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t split = std::min<size_t>(size - 2, size_t(data[0]) | size_t(data[1]) << 8);
    const char* p = reinterpret_cast<const char*>(data + 2);

    lextest::MemEnv env;
    env.files[QStringLiteral("B.idx")] = QByteArray(p, qsizetype(split));
    env.files[QStringLiteral("B.txt")] = QByteArray(p + split, qsizetype(size - 2 - split));

    lex::Book book;
    book.name = QStringLiteral("B");
    const lex::LoadReport r = lex::LoadBook(book, &env);
    if (r.recordsRead != book.size())
        std::abort();
    const auto loaded = contents(book);

    // The same files arriving in small pieces must make the same Book and report.
    env.readPiece = qsizetype(1 + split % 23);
    lex::Book pieces;
    pieces.name = QStringLiteral("B");
    const lex::LoadReport rp = lex::LoadBook(pieces, &env);
    env.readPiece = 0;
    if (!same(contents(pieces), loaded) || rp.recordsRead != r.recordsRead || rp.emptyWords != r.emptyWords ||
        rp.skipped.size() != r.skipped.size() || rp.notes != r.notes)
        std::abort();
    for (size_t i = 0; i < r.skipped.size(); ++i) {
        if (rp.skipped[i].offset != r.skipped[i].offset || rp.skipped[i].reason != r.skipped[i].reason)
            std::abort();
    }

    // Salvage of the same files.
    {
        const std::map<QString, QByteArray> before = env.files;
        lex::Book salvaged;
        const lex::SalvageReport sr = lex::salvageBook(QString(), QStringLiteral("B"), salvaged, lex::EntryTime{1, 2, 3, 4, 5}, &env);
        if (env.files != before || sr.fromIndex != r.recordsRead || sr.total() != salvaged.size() ||
            salvaged.size() < book.size())
            std::abort();
        const auto recovered = contents(salvaged);
        salvaged.name = QStringLiteral("S");
        if (!lex::saveBook(salvaged, &env).ok())
            std::abort();
        lex::Book reread;
        reread.name = QStringLiteral("S");
        const lex::LoadReport rs = lex::LoadBook(reread, &env);
        if (!same(contents(reread), recovered) || !rs.clean())
            std::abort();
    }

    // Sorting by a text column must cope with whatever the texts hold.
    const int column = int(data[0] % 12);
    const bool ascending = data[1] & 1;
    lex::sortBook(book, column, ascending);
    for (size_t i = 1; i < book.full().size(); ++i) {
        const int c = lex::compareEntries(*book.full()[i - 1], *book.full()[i], column);
        if (ascending ? c > 0 : c < 0)
            std::abort();
    }
    const auto sorted = contents(book);

    // Index only (borrowed offsets), then both files.
    if (!lex::saveBook(book, &env).ok())
        std::abort();
    lex::Book again;
    again.name = QStringLiteral("B");
    lex::LoadBook(again, &env);
    if (!same(contents(again), sorted))
        std::abort();
    again.textChanged = true;
    if (!lex::saveBook(again, &env).ok())
        std::abort();
    lex::Book third;
    third.name = QStringLiteral("B");
    const lex::LoadReport r3 = lex::LoadBook(third, &env);
    if (!same(contents(third), sorted) || !r3.skipped.empty() || third.textChanged)
        std::abort();
    return 0;
}
