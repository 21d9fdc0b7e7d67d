#pragma once
// Blocks kept after the end of a compiled dictionary index. Each block is followed by a footer of
// twelve bytes: its offset and its length (32-bit little-endian each) and a four-byte tag. The
// blocks chain backwards: the last footer ends the file, and each block starts where the footer
// before it ends. The look-up of the index never reads past its last block, so a reader that knows
// none of these blocks reads the file as before, and a reader that knows only the block at the
// very end (the inflected forms, which the builder always puts last) still finds it.

#include <QByteArray>
#include <QByteArrayView>

namespace lex {

// Appends `block` and its footer to `index`. `tag` is four bytes, starting with "LX".
void appendIndexBlock(QByteArray* index, const char (&tag)[5], const QByteArray& block);

// The bytes of the block tagged `tag`, or an empty view when the chain at the end of `indexBytes`
// holds none. A footer that does not fit ends the walk, so damage costs the blocks before it.
QByteArrayView findIndexBlock(QByteArrayView indexBytes, const char (&tag)[5]);

} // namespace lex
