// The import/export dialog's side for other programs' files: the format choice, the table
// preview with its field map, the import of the mapped rows and the copy of a package's sounds.
#include "lexora/exchange/import_dialog.h"

#include "common/platform/env.h"
#include "common/platform/user_services.h"
#include "common/ui/template_builder.h"
#include "lexora/exchange/foreign_exchange.h"
#include "lexora/texts/lexora_texts.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTextEdit>
#include <algorithm>

namespace lex {

using namespace res::import_dlg;

namespace {

constexpr int kTableRows = 50;            // rows of another program's file shown in the preview
// The map combo boxes, in FieldMap's order, and the part of an entry each names.
constexpr int kMapIds[] = {kMapWord, kMapPhonetic, kMapExplanation, kMapComment, kMapClass};
const char16_t* const kMapRoles[] = {u"单词", u"音标", u"解释", u"注释", u"类名"};

int* mapSlot(FieldMap& m, int i)
{
    int* slots[] = {&m.word, &m.phonetic, &m.explanation, &m.comment, &m.className};
    return slots[i];
}
} // namespace

// 格式 lists the text styles, then the rows of the table of formats.
std::optional<ForeignKind> CMyImportDialog::foreignKind() const
{
    const int i = ui::control<QComboBox>(this, kFormat)->currentIndex();
    const std::vector<ForeignFormat>& rows = foreignFormats();
    if (i < 1 || i > int(rows.size()))
        return std::nullopt;
    return rows[size_t(i - 1)].kind;
}

int CMyImportDialog::formatIndex(std::optional<ForeignKind> kind)
{
    const std::vector<ForeignFormat>& rows = foreignFormats();
    for (size_t i = 0; kind && i < rows.size(); ++i)
        if (rows[i].kind == *kind)
            return int(i) + 1;
    return 0;
}

FieldMap CMyImportDialog::fieldMap() const
{
    FieldMap m;
    for (int i = 0; i < int(std::size(kMapIds)); ++i) {
        auto* c = ui::control<QComboBox>(this, kMapIds[i]);
        const int index = c->currentIndex();
        // Item 0 is "(无)"; the class list may end with "标签" (the note's first tag).
        const bool tags = i == 4 && index > 0 && c->itemData(index).toInt() == -2;
        *mapSlot(m, i) = tags ? -1 : index - 1;
        if (tags)
            m.classFromTags = true;
    }
    return m;
}

// A path chosen or typed: the format follows its extension (the learner may change it after),
// and another program's file is read for the preview at once.
void CMyImportDialog::newPath(const QString& path)
{
    if (path == lastPath_)
        return;
    lastPath_ = path;
    const std::optional<ForeignKind> kind = foreignKindForPath(path);
    auto* format = ui::control<QComboBox>(this, kFormat);
    const int index = formatIndex(kind);
    if (format->currentIndex() != index) {
        const QSignalBlocker block(format);
        format->setCurrentIndex(index);
    }
    formatChanged();
}

// Another format chosen (by the learner or by a path's extension): the controls follow, and a
// file named in the path box is read in it for the preview.
void CMyImportDialog::formatChanged()
{
    const std::optional<ForeignKind> kind = foreignKind();
    // Typed text is read in the text styles only.
    auto* boxOnly = ui::control<QAbstractButton>(this, kBoxOnly);
    if (import_ && kind && boxOnly->isChecked()) {
        boxOnly->setChecked(false);
        setBoxOnly(false);
    }
    // Other programs' files skip the words the Book holds unless the learner says otherwise; the
    // text styles add every line, as they always have.
    const int index = ui::control<QComboBox>(this, kFormat)->currentIndex();
    if (index != skipDefaultFor_) {
        skipDefaultFor_ = index;
        ui::control<QAbstractButton>(this, kSkipKnown)->setChecked(import_ && kind);
    }
    enableForFormat();
    const QString path = ui::control<QLineEdit>(this, kPath)->text();
    if (import_ && kind && !path.isEmpty()) {
        showForeignPreview(path, *kind);
    } else if (!kind) {
        ui::findControl(this, kTable)->hide();
        ui::findControl(this, kPreview)->show();
    }
}

// The controls that only one kind of format uses follow the choice.
void CMyImportDialog::enableForFormat()
{
    const std::optional<ForeignKind> kind = foreignKind();
    for (int id : {kStyle1, kStyle2, kStyle3})
        ui::findControl(this, id)->setEnabled(!kind);
    if (import_)
        ui::findControl(this, kBoxOnly)->setEnabled(!kind);
    else
        ui::findControl(this, kUnicode)->setEnabled(!kind);
    for (int id : kMapIds)
        ui::findControl(this, id)->setEnabled(import_ && kind && !table_.fields.isEmpty());
    ui::findControl(this, kSkipKnown)->setEnabled(import_);
}

bool CMyImportDialog::readTable(const QString& path, ForeignKind kind, Status* status)
{
    if (tablePath_ == path && tableKind_ == kind && !table_.fields.isEmpty())
        return true;
    table_ = ForeignTable{};
    tablePath_.clear();
    tableKind_.reset();
    const bool outer = !importing_;
    if (outer) {
        beginProgress();
        setBusy(true);
    }
    const qint64 size = env()->fileSize(path);
    *status = readForeign(kind, env(), path, &table_,
                          [&](qint64 done, qint64 total) { return progressStep(done, total, size > kProgressThreshold); });
    if (outer)
        setBusy(false);
    if (!*status || cancelRequested_) {
        table_ = ForeignTable{};
        return false;
    }
    tablePath_ = path;
    tableKind_ = kind;
    return true;
}

void CMyImportDialog::showForeignPreview(const QString& path, ForeignKind kind)
{
    auto* preview = ui::control<QTextEdit>(this, kPreview);
    auto* table = ui::control<QTableWidget>(this, kTable);
    Status status;
    if (!env()->fileExists(path) || !readTable(path, kind, &status)) {
        // Why the file cannot be read stays in view in place of the rows.
        table->hide();
        preview->show();
        preview->setPlainText(cancelRequested_ ? QString()
                              : status ? QStringLiteral("无效文件")
                                       : QStringLiteral("无效文件\n") + status.message());
        ui::control<QLineEdit>(this, kLineCount)->clear();
        for (int id : kMapIds)
            ui::findControl(this, id)->setEnabled(false);
        return;
    }
    // The map starts from the field names; the learner's changes then hold for this table.
    const FieldMap guess = guessFieldMap(table_.fields);
    bool anyTags = false;
    for (const ForeignRow& r : table_.rows)
        anyTags = anyTags || !r.tags.isEmpty();
    for (int i = 0; i < int(std::size(kMapIds)); ++i) {
        auto* c = ui::control<QComboBox>(this, kMapIds[i]);
        const QSignalBlocker block(c);
        c->clear();
        c->addItem(QStringLiteral("(无)"), -1);
        for (int f = 0; f < table_.fields.size(); ++f)
            c->addItem(table_.fields[f], f);
        if (i == 4 && anyTags)
            c->addItem(QStringLiteral("标签"), -2);
        FieldMap g = guess;
        c->setCurrentIndex(*mapSlot(g, i) + 1);
        if (i == 4 && g.className < 0 && anyTags)
            c->setCurrentIndex(c->count() - 1);   // lessons and decks come as tags
        c->setEnabled(true);
    }
    ui::control<QLineEdit>(this, kLineCount)->setText(QString::number(table_.rows.size()));
    ui::control<QLabel>(this, kPreviewLabel)->setText(QStringLiteral("文件浏览:"));
    preview->hide();
    table->show();
    showTable();
}

// The first rows under their field names, each header saying which part of an entry it becomes.
void CMyImportDialog::showTable()
{
    auto* table = ui::control<QTableWidget>(this, kTable);
    FieldMap map = fieldMap();
    const int columns = int(table_.fields.size());
    const int rows = int(std::min<size_t>(table_.rows.size(), kTableRows));
    table->setUpdatesEnabled(false);
    table->clear();
    table->setColumnCount(columns);
    table->setRowCount(rows);
    QStringList headers;
    for (int f = 0; f < columns; ++f) {
        QString h = table_.fields[f];
        for (int i = 0; i < int(std::size(kMapIds)); ++i)
            if (*mapSlot(map, i) == f)
                h += QStringLiteral(" → ") + QString::fromUtf16(kMapRoles[i]);
        headers << h;
    }
    table->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < rows; ++r) {
        const ForeignRow& row = table_.rows[size_t(r)];
        for (int f = 0; f < columns && f < row.values.size(); ++f) {
            // One line per cell: a field's line breaks would make every row as tall as its longest.
            QString v = row.values[f].left(200);
            v.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
            table->setItem(r, f, new QTableWidgetItem(v));
        }
    }
    table->resizeColumnsToContents();
    for (int f = 0; f < columns; ++f)
        table->setColumnWidth(f, std::min(table->columnWidth(f), table->width() * 2 / 3));
    table->setUpdatesEnabled(true);
}

void CMyImportDialog::runForeignImport(ForeignKind kind, const QString& path)
{
    if (path.isEmpty() || !env()->fileExists(path)) {
        message(QStringLiteral("请指定一个有效的文件路径名"));
        return;
    }
    if (host_.list)
        host_.list->clearSelection();   // before the file is read, as for the text styles
    beginProgress();
    setBusy(true);
    Status status;
    if (!readTable(path, kind, &status)) {
        setBusy(false);
        if (cancelRequested_)
            message(QStringLiteral("导入已取消，导入单词数:0"));
        else
            message(status ? QStringLiteral("无效文件") : QStringLiteral("无效文件\n") + status.message());
        return;
    }
    if (table_.rows.empty()) {
        setBusy(false);
        message(QStringLiteral("无效文件\n文件中没有可导入的行"));
        return;
    }
    const FieldMap map = fieldMap();
    int withoutWord = 0;
    std::vector<ImportRecord> records = recordsFromTable(table_, map, &withoutWord);
    const StrangeIndex s = strangeness();
    ImportSettings settings;
    settings.recognition = s[0];
    settings.spelling = s[1];
    settings.listening = s[2];
    settings.lookUp = host_.lookUp;   // what the map leaves empty, as the text styles fill it
    settings.skipKnown = ui::control<QAbstractButton>(this, kSkipKnown)->isChecked();
    settings.progress = [&](qsizetype done, qsizetype total) { return progressStep(done, total, total > 20000); };
    const ImportResult r = applyImport(host_, std::move(records), settings);
    setBusy(false);
    QString text = texts::foreignImportMessage(r, withoutWord, table_.losses);
    if (r.added > 0 && !r.cancelled)
        offerSounds(map, &text);
    message(text);
}

// A package's sounds may become the words' recorded files; nothing already recorded is replaced
// without the learner's word.
void CMyImportDialog::offerSounds(const FieldMap& map, QString* text)
{
    if (host_.voiceFolder.isEmpty() || !host_.ui)
        return;
    const std::vector<NoteSound> sounds = noteSounds(table_, map);
    if (sounds.empty())
        return;
    if (host_.ui->messageBox(this,
                             QStringLiteral("导入的单词中有%1个带声音，是否把声音复制到真人语音文件夹?\n%2")
                                 .arg(sounds.size())
                                 .arg(host_.voiceFolder),
                             {}, MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    bool same = false;
    std::optional<bool> forAll;
    const SoundCopyResult r = copyNoteSounds(env(), table_, sounds, host_.voiceFolder, [&](const QString& existing) {
        if (forAll)
            return *forAll;
        const bool yes = host_.ui->messageBoxWithCheck(this, QStringLiteral("语音文件已存在，是否覆盖?\n") + existing,
                                                       QStringLiteral("其余的文件也这样处理"), &same, {},
                                                       MessageButtons::YesNo) == MessageAnswer::Yes;
        if (same)
            forAll = yes;
        return yes;
    });
    *text += QLatin1Char('\n') + texts::soundCopyMessage(r);
}

} // namespace lex
