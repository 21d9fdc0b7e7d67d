#pragma once
// A fault of the learning record, as the record reports it: what happened and to which file. The
// program tells the learner in its own words.

#include <QString>

namespace lex {

// What went wrong with a learning record, and the data a message about it needs.
struct RecordFault {
    enum class Kind {
        Damaged,    // not a database, or one SQLite finds damaged
        Busy,       // another program holds it past the wait
        Unopenable, // SQLite could not open the file (detail)
        Unwritable, // a write failed (step: what was being written; detail)
        Unreadable, // a read failed (detail)
        Stopped,    // a read was interrupted
        Foreign,    // an SQLite file that is not a learning record
        Newer,      // written by a newer version
    };
    Kind kind = Kind::Damaged;
    QString file;
    QString step;
    QString detail; // SQLite's own words
    bool operator==(const RecordFault&) const = default;
};

} // namespace lex
