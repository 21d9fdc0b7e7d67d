#pragma once
// CMyImportDialog: import (14000) and export (14001) of word lists, in the three text styles or in
// another program's format (a row of the table of formats; chosen from the file's extension,
// changeable in 格式, remembered for the next opening). Import appends the entries to the open
// Book as one step and selects them; export writes the selected rows. The dialog stays open after
// each run, so several can be done in a row.

#include "common/ui/command.h"
#include "lexora/exchange/exchange_files.h"
#include "lexora/exchange/formats/foreign_format.h"
#include "lexora/exchange/text_format.h"

#include <QElapsedTimer>
#include <QFont>
#include <QPointer>
#include <QString>
#include <optional>
#include <vector>

class QComboBox;

namespace lex {

class BookSession;
class CMyListCtrl;
class Clock;
class Env;
class SpeechOutput;
class UserServices;

// What the dialog needs of the word-book window.
struct ImportExportHost {
    BookSession* session = nullptr; // the open Book; every import goes through it
    CMyListCtrl* list = nullptr;
    UserServices* ui = nullptr;
    Env* env = nullptr;              // null: the real file system
    const Clock* clock = nullptr;    // null: the system clock
    LookUpFn lookUp;                 // the dictionary; may be empty
    QString programFolder;           // Config.INI and the default paths
    QString voiceFolder;             // recorded files: copied in from packages, packed into them
    const SpeechOutput* speech = nullptr;   // a package's sounds: recorded, else synthesised
    QFont previewFont;               // the main window's dialog font
};

// An import from the dialog: clears the list's selection, appends the records of `text` through
// the session (which marks the text as changed and announces the new rows), selects the new rows
// and scrolls the first into view. Entries added before a cancel stay.
ImportResult applyImport(ImportExportHost& host, QStringView text, const ImportSettings& settings);
// The same for records read from another program's file.
ImportResult applyImport(ImportExportHost& host, std::vector<ImportRecord> records, const ImportSettings& settings);

class CMyImportDialog : public ui::CommandDialog {
    Q_OBJECT
public:
    // Imports with more characters than this show the progress bar from the start.
    static constexpr qsizetype kProgressThreshold = 200000;

    CMyImportDialog(bool importMode, ImportExportHost host, QWidget* parent = nullptr);
    // Keeps the strangeness selections ("StrangeIndex") in import mode.
    ~CMyImportDialog() override;

    bool onCommand(int id, qintptr param) override;

    bool importMode() const { return import_; }
    bool isImporting() const { return importing_; }
    // Called on every progress step of a running import (tests press 关闭 from here).
    std::function<void(qsizetype done, qsizetype total)> onProgress;
    // The chosen format: nothing for the text styles.
    std::optional<ForeignKind> foreignKind() const;
    // The field map the learner set for another program's file (starts from guessFieldMap).
    FieldMap fieldMap() const;

private:
    void startUp();
    void openFile();
    void newPath(const QString& path);
    void showPreview(const QString& path);
    void showForeignPreview(const QString& path, ForeignKind kind);
    void showTable();
    void formatChanged();
    void enableForFormat();
    void runImport();
    void runForeignImport(ForeignKind kind, const QString& path);
    void offerSounds(const FieldMap& map, QString* text);
    void runExport();
    bool readTable(const QString& path, ForeignKind kind, Status* status);
    // The item of 格式 for the kind; 0, the text styles, for none.
    static int formatIndex(std::optional<ForeignKind> kind);
    bool progressStep(qint64 done, qint64 total, bool large);
    void beginProgress();
    void setBoxOnly(bool on);
    void setBusy(bool busy);
    int style() const;
    StrangeIndex strangeness() const;
    void message(const QString& text);
    Env* env() const;
    QString configPath() const;

    bool import_ = true;
    ImportExportHost host_;
    bool importing_ = false;
    bool cancelRequested_ = false;
    QString confirmedPath_;   // the save chooser already asked about overwriting this one
    QString lastPath_;        // the path the format was last chosen for
    int skipDefaultFor_ = -1; // the 格式 item whose default 跳过词库中已有的单词 shows
    // Another program's file as read for the preview; an import of the same path and format
    // takes it without reading again.
    ForeignTable table_;
    QString tablePath_;
    std::optional<ForeignKind> tableKind_;
    QElapsedTimer progressClock_;
    QPointer<QWidget> focusBeforeBusy_;
};

} // namespace lex
