#include "lexora/exchange/import_dialog.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "common/platform/user_services.h"
#include "common/ui/template_builder.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/entry_ops.h"
#include "lexora/exchange/foreign_exchange.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QTextEdit>
#include <algorithm>
#include <utility>

namespace lex {

using namespace res::import_dlg;

namespace {

constexpr int kMaxPathChars = 260;
constexpr int kTableRows = 50;            // rows of another program's file shown in the preview
constexpr ForeignKind kKinds[] = {ForeignKind::Anki, ForeignKind::Kvtml, ForeignKind::Csv, ForeignKind::Tsv};
// The map combo boxes, in FieldMap's order, and the part of an entry each names.
constexpr int kMapIds[] = {kMapWord, kMapPhonetic, kMapExplanation, kMapComment, kMapClass};
const char16_t* const kMapRoles[] = {u"单词", u"音标", u"解释", u"注释", u"类名"};

// The design's two filters with the other programs' formats between them.
QString fileFilter()
{
    QString f = QStringLiteral("文本文件 (*.txt)|*.txt|");
    for (ForeignKind k : kKinds) {
        const QString label = foreignFilter(k);
        const qsizetype open = label.lastIndexOf(QLatin1Char('('));
        f += label + QLatin1Char('|') + label.mid(open + 1).chopped(1).replace(QLatin1Char(' '), QLatin1Char(';')) +
             QLatin1Char('|');
    }
    return f + QStringLiteral("所有文件 (*.*)|*.*||");
}

int* mapSlot(FieldMap& m, int i)
{
    int* slots[] = {&m.word, &m.phonetic, &m.explanation, &m.comment, &m.className};
    return slots[i];
}
constexpr int kProgressSteps = 1000;
constexpr qint64 kProgressAfterMs = 150;   // a shorter import never shows the bar

const QString kImportHelp = QStringLiteral("样式一的解释如果包含词性\n例：\n\"go vi.离去\"\n"
                                           "那么在go后面要加一个'Tab'键分隔\n\n"
                                           "如果要导入Unicode文本，那么文件头两字节必需是'FFFE'标志");
const QString kExportHelp = QStringLiteral("导出时，不导出陌生度与时间,\n\n样式一不导出解释只导出单词.\n\n"
                                           "样式二可导出解释.\n\n样式三可导出音标与分类");
const QString kSampleText1 = QStringLiteral("English\nChinese中国的//注释行1//注释行2\nRussian俄国人, 俄语\n"
                                        "French\t法国的, 法国人的//注释");
const QString kSampleText2 = QStringLiteral("English\nadj.英国人//注释行1//注释行2\n"
                                        "Chinese\nadj.中国的, 中国人的n.中国人, 汉语, 中文\n"
                                        "French\nadj.法国的, 法国人的n.法国人, 法语");
const QString kSampleText3 = QStringLiteral("+English\n\\adj.英文的, 英国人的, 英格兰的\n\\n.英国人, 英语\n"
                                        "&5iN^liF\n@类名\n//注释第一行\n//注释第二行");

} // namespace

namespace {

// Runs the import step and selects what it added, the first new row scrolled into view.
ImportResult applyImportOp(ImportExportHost& host, std::unique_ptr<ImportOp> op)
{
    CMyListCtrl* list = host.list;
    if (list)
        list->clearSelection();
    const int before = host.session->rowCount();
    // The import is one undoable step of the session's history.
    const ImportResult r = host.session->run(std::move(op));
    const int after = host.session->rowCount();
    if (list && after > before) {
        QAbstractItemModel* m = list->model();
        const QModelIndex first = m->index(before, 0);
        list->selectionModel()->select(QItemSelection(first, m->index(after - 1, 0)),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        list->scrollTo(first, QAbstractItemView::PositionAtTop);
    }
    return r;
}

const Clock& clockOf(const ImportExportHost& host) { return host.clock ? *host.clock : *Clock::system(); }

} // namespace

ImportResult applyImport(ImportExportHost& host, QStringView text, const ImportSettings& settings)
{
    return applyImportOp(host, std::make_unique<ImportOp>(text, settings, clockOf(host)));
}

ImportResult applyImport(ImportExportHost& host, std::vector<ImportRecord> records, const ImportSettings& settings)
{
    return applyImportOp(host, std::make_unique<ImportOp>(std::move(records), settings, clockOf(host)));
}

CMyImportDialog::CMyImportDialog(bool importMode, ImportExportHost host, QWidget* parent)
    : ui::CommandDialog(parent), import_(importMode), host_(std::move(host))
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_IMPORT));
    builder.withControl(kTable, [](const ui::ControlSpec&, QWidget* parent) {
        auto* t = new QTableWidget(parent);
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSelectionMode(QAbstractItemView::NoSelection);
        t->setWordWrap(false);
        t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 4);
        return t;
    });
    builder.routeTo(this).build(this);
    setFixedSize(builder.clientSize(font()));
    // The combo boxes and the path box speak through onCommand too.
    for (int id : {kFormat, kMapWord, kMapPhonetic, kMapExplanation, kMapComment, kMapClass}) {
        auto* c = ui::control<QComboBox>(this, id);
        connect(c, &QComboBox::currentIndexChanged, this, [this, id](int index) { onCommand(id, index); });
    }
    auto* pathBox = ui::control<QLineEdit>(this, kPath);
    connect(pathBox, &QLineEdit::editingFinished, this, [this] { onCommand(kPath, 0); });

    // The progress of a long import lies over the line under the top rows while it runs.
    auto* progress = new QProgressBar(this);
    progress->setProperty(ui::kControlIdProperty, kProgress);
    progress->setRange(0, kProgressSteps);
    progress->setTextVisible(false);
    const QRect line = ui::findControl(this, kStyle1)->geometry();
    progress->setGeometry(line.left(), line.top() - 12, width() - 2 * line.left(), 8);
    progress->hide();

    startUp();
}

CMyImportDialog::~CMyImportDialog()
{
    if (!import_)
        return;
    Profile profile(configPath(), env());
    writeStrangeIndex(&profile, config::kImportExport, strangeness());
}

Env* CMyImportDialog::env() const { return host_.env ? host_.env : Env::defaultEnv(); }
QString CMyImportDialog::configPath() const { return host_.programFolder + QLatin1Char('/') + config::kFileName; }

void CMyImportDialog::message(const QString& text)
{
    if (host_.ui)
        host_.ui->messageBox(this, text);
}

void CMyImportDialog::startUp()
{
    ui::control<QAbstractButton>(this, kStyle1)->setChecked(true);
    auto* preview = ui::control<QTextEdit>(this, kPreview);
    preview->setAcceptRichText(false);   // a file starting with "<b>" shows as typed
    if (host_.previewFont != QFont())
        preview->setFont(host_.previewFont);

    auto* label = ui::control<QLabel>(this, kPreviewLabel);
    if (import_) {
        label->setText(QStringLiteral("导入说明:"));
        preview->setPlainText(kImportHelp);
        const Profile profile(configPath(), env());
        const StrangeIndex s = readStrangeIndex(&profile, config::kImportExport);
        const int ids[3] = {kRecognition, kSpelling, kListening};
        for (int i = 0; i < 3; ++i) {
            auto* c = ui::control<QComboBox>(this, ids[i]);
            const QSignalBlocker block(c);
            c->setCurrentIndex(s[size_t(i)]);
        }
        ui::findControl(this, kUnicode)->setEnabled(false);
    } else {
        auto* boxOnly = ui::control<QAbstractButton>(this, kBoxOnly);
        boxOnly->setText(QString());
        boxOnly->setEnabled(false);
        label->setText(QStringLiteral("导出说明:"));
        preview->setPlainText(kExportHelp);
        // An export writes no strangeness: the lists are disabled and show nothing.
        for (int id : {kRecognition, kSpelling, kListening}) {
            auto* c = ui::control<QComboBox>(this, id);
            const QSignalBlocker block(c);
            c->setCurrentIndex(-1);
            c->setEnabled(false);
        }
        setWindowTitle(QStringLiteral("导出文件"));
        ui::control<QAbstractButton>(this, kRun)->setText(QStringLiteral("导出"));
    }
    ui::control<QPlainTextEdit>(this, kSample1)->setPlainText(kSampleText1);
    ui::control<QPlainTextEdit>(this, kSample2)->setPlainText(kSampleText2);
    ui::control<QPlainTextEdit>(this, kSample3)->setPlainText(kSampleText3);
    {
        auto* format = ui::control<QComboBox>(this, kFormat);
        const QSignalBlocker block(format);
        format->setCurrentIndex(0);
    }
    formatChanged();
    ui::findControl(this, kOpenFile)->setFocus();
}

std::optional<ForeignKind> CMyImportDialog::foreignKind() const
{
    const int i = ui::control<QComboBox>(this, kFormat)->currentIndex();
    if (i < 1 || i > int(std::size(kKinds)))
        return std::nullopt;
    return kKinds[i - 1];
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

bool CMyImportDialog::onCommand(int id, qintptr param)
{
    switch (id) {
    case kOpenFile:
        if (!importing_)
            openFile();
        return true;
    case kRun:
        if (!importing_)
            import_ ? runImport() : runExport();
        return true;
    case kBoxOnly:
        setBoxOnly(ui::control<QAbstractButton>(this, kBoxOnly)->isChecked());
        return true;
    case kPath:
        if (!importing_)
            newPath(ui::control<QLineEdit>(this, kPath)->text());
        return true;
    case kFormat:
        formatChanged();
        return true;
    case kMapWord:
    case kMapPhonetic:
    case kMapExplanation:
    case kMapComment:
    case kMapClass:
        showTable();
        return true;
    case ui::IDOK:
        return true;   // Enter presses the default button, never closes the dialog
    case ui::IDCANCEL:
        if (importing_) {
            // 关闭 and Esc during an import stop it; the entries added so far stay.
            cancelRequested_ = true;
            return true;
        }
        return ui::CommandDialog::onCommand(id, param);
    default:
        return ui::CommandDialog::onCommand(id, param);
    }
}

void CMyImportDialog::setBoxOnly(bool on)
{
    ui::findControl(this, kOpenFile)->setEnabled(!on);
    auto* path = ui::control<QLineEdit>(this, kPath);
    path->setEnabled(!on);
    if (on)
        path->clear();
}

void CMyImportDialog::openFile()
{
    Profile profile(configPath(), env());
    const QString key = import_ ? config::kInFileName : config::kOutFileName;
    QString initial = profile.readString(config::kImportExport, key, {}, kMaxPathChars);
    if (initial.isEmpty())
        initial = import_ ? defaultImportPath(host_.programFolder) : defaultExportPath(host_.programFolder);
    // The export chooser takes new names too; it asks before an existing file is overwritten.
    const QString chosen = import_ ? host_.ui->openFileName(this, initial, fileFilter())
                                   : host_.ui->saveFileName(this, initial, fileFilter());
    if (chosen.isEmpty())
        return;
    ui::control<QLineEdit>(this, kPath)->setText(chosen);
    profile.writeString(config::kImportExport, key, chosen.left(kMaxPathChars - 1));
    if (!import_)
        confirmedPath_ = chosen;
    lastPath_.clear();   // a file chosen again is previewed again
    newPath(chosen);
    if (import_ && !foreignKind())
        showPreview(chosen);
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
    const int index = kind ? int(std::find(std::begin(kKinds), std::end(kKinds), *kind) - std::begin(kKinds)) + 1 : 0;
    if (format->currentIndex() != index) {
        const QSignalBlocker block(format);
        format->setCurrentIndex(index);
    }
    formatChanged();
}

// The controls that only one kind of format uses follow the choice.
void CMyImportDialog::formatChanged()
{
    const std::optional<ForeignKind> kind = foreignKind();
    for (int id : {kStyle1, kStyle2, kStyle3})
        ui::findControl(this, id)->setEnabled(!kind && !importing_);
    if (import_) {
        // Typed text is read in the text styles only.
        auto* boxOnly = ui::control<QAbstractButton>(this, kBoxOnly);
        if (kind && boxOnly->isChecked()) {
            boxOnly->setChecked(false);
            setBoxOnly(false);
        }
        boxOnly->setEnabled(!kind);
    } else {
        ui::findControl(this, kUnicode)->setEnabled(!kind);
    }
    for (int id : kMapIds)
        ui::findControl(this, id)->setEnabled(import_ && kind && !table_.fields.isEmpty());
    const QString path = ui::control<QLineEdit>(this, kPath)->text();
    if (import_ && kind && !path.isEmpty())
        showForeignPreview(path, *kind);
    else if (!kind) {
        ui::findControl(this, kTable)->hide();
        ui::findControl(this, kPreview)->show();
    }
}

void CMyImportDialog::showPreview(const QString& path)
{
    QByteArray bytes;
    if (!readWordListBytes(env(), path, &bytes))
        return;
    const WordListPreview p = previewImportBytes(bytes);
    ui::control<QLineEdit>(this, kLineCount)->setText(QString::number(p.lineCount));
    ui::control<QTextEdit>(this, kPreview)->setPlainText(p.text);
    ui::control<QLabel>(this, kPreviewLabel)->setText(QStringLiteral("文件浏览:"));
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

int CMyImportDialog::style() const
{
    if (ui::control<QAbstractButton>(this, kStyle2)->isChecked())
        return 2;
    if (ui::control<QAbstractButton>(this, kStyle3)->isChecked())
        return 3;
    return 1;
}

StrangeIndex CMyImportDialog::strangeness() const
{
    StrangeIndex s{};
    const int ids[3] = {kRecognition, kSpelling, kListening};
    for (int i = 0; i < 3; ++i)
        s[size_t(i)] = uint8_t(qBound(0, ui::control<QComboBox>(this, ids[i])->currentIndex(), 10));
    return s;
}

void CMyImportDialog::setBusy(bool busy)
{
    importing_ = busy;
    for (int id : {kOpenFile, kRun, kBoxOnly, kPath, kRecognition, kSpelling, kListening, kStyle1, kStyle2, kStyle3,
                   kPreview, kFormat, kMapWord, kMapPhonetic, kMapExplanation, kMapComment, kMapClass})
        if (QWidget* w = ui::findControl(this, id))
            w->setEnabled(!busy);
    if (busy)
        return;
    if (!import_)
        for (int id : {kRecognition, kSpelling, kListening, kBoxOnly})
            ui::findControl(this, id)->setEnabled(false);
    setBoxOnly(ui::control<QAbstractButton>(this, kBoxOnly)->isChecked());
    // What only one kind of format uses, without reading anything again.
    const std::optional<ForeignKind> kind = foreignKind();
    for (int id : {kStyle1, kStyle2, kStyle3})
        ui::findControl(this, id)->setEnabled(!kind);
    if (import_)
        ui::findControl(this, kBoxOnly)->setEnabled(!kind);
    else
        ui::findControl(this, kUnicode)->setEnabled(!kind);
    for (int id : kMapIds)
        ui::findControl(this, id)->setEnabled(import_ && kind && !table_.fields.isEmpty());
    ui::findControl(this, kProgress)->hide();
}

void CMyImportDialog::runImport()
{
    if (const std::optional<ForeignKind> kind = foreignKind()) {
        runForeignImport(*kind, ui::control<QLineEdit>(this, kPath)->text());
        return;
    }
    const bool boxOnly = ui::control<QAbstractButton>(this, kBoxOnly)->isChecked();
    const QString path = ui::control<QLineEdit>(this, kPath)->text();
    if (!boxOnly && (path.isEmpty() || !env()->fileExists(path))) {
        message(QStringLiteral("请指定一个有效的文件路径名"));
        return;
    }
    QString text;
    if (boxOnly) {
        text = ui::control<QTextEdit>(this, kPreview)->toPlainText();
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    } else {
        QByteArray bytes;
        if (!readWordListBytes(env(), path, &bytes)) {
            message(QStringLiteral("无效文件"));
            return;
        }
        // The same decision as every other reader of word lists (lexbook import included).
        text = decodeWordList(bytes);
    }

    const StrangeIndex s = strangeness();
    ImportSettings settings;
    settings.style = style();
    settings.recognition = s[0];
    settings.spelling = s[1];
    settings.listening = s[2];
    settings.lookUp = host_.lookUp;

    beginProgress();
    settings.progress = [&](qsizetype done, qsizetype total) {
        return progressStep(done, total, text.size() > kProgressThreshold);
    };
    setBusy(true);
    const ImportResult r = applyImport(host_, text, settings);
    setBusy(false);
    if (r.cancelled)
        message(QStringLiteral("导入已取消，导入单词数:%1").arg(r.added));
    else
        message(QStringLiteral("导入完成，导入单词数:%1").arg(r.added));
}

void CMyImportDialog::beginProgress()
{
    cancelRequested_ = false;
    progressClock_.start();
}

// A long read or import keeps the window alive: the bar moves, 关闭 cancels.
bool CMyImportDialog::progressStep(qint64 done, qint64 total, bool large)
{
    auto* bar = ui::control<QProgressBar>(this, kProgress);
    if (bar->isHidden() && (large || progressClock_.elapsed() > kProgressAfterMs)) {
        bar->setValue(0);
        bar->show();
    }
    bar->setValue(total > 0 ? int(done * kProgressSteps / total) : 0);
    if (onProgress)
        onProgress(done, total);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !cancelRequested_;
}

void CMyImportDialog::runForeignImport(ForeignKind kind, const QString& path)
{
    if (path.isEmpty() || !env()->fileExists(path)) {
        message(QStringLiteral("请指定一个有效的文件路径名"));
        return;
    }
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
    settings.progress = [&](qsizetype done, qsizetype total) { return progressStep(done, total, total > 20000); };
    const ImportResult r = applyImport(host_, std::move(records), settings);
    setBusy(false);
    QString text = foreignImportMessage(r, withoutWord, table_.losses);
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
    *text += QLatin1Char('\n') + soundCopyMessage(r);
}

void CMyImportDialog::runExport()
{
    auto* run = ui::findControl(this, kRun);
    run->setEnabled(false);
    const QString path = ui::control<QLineEdit>(this, kPath)->text();
    switch (checkExportTarget(env(), path, host_.session->book())) {
    case ExportTarget::Empty:
        message(QStringLiteral("请指定要导出的文件路径"));
        run->setEnabled(true);
        return;
    case ExportTarget::BookFile:
        message(QStringLiteral("不能导出到当前Book自己的文件:\n") + path);
        run->setEnabled(true);
        return;
    case ExportTarget::NotRegular:
        message(QStringLiteral("不是普通文件，不能导出到:\n") + path);
        run->setEnabled(true);
        return;
    case ExportTarget::Writable:
        break;
    }
    if (path != confirmedPath_ && exportTargetExists(env(), path)
        && host_.ui->messageBox(this, QStringLiteral("文件已存在，是否覆盖?\n") + path, {}, MessageButtons::YesNo)
               != MessageAnswer::Yes) {
        run->setEnabled(true);
        return;
    }
    std::vector<const WordEntry*> entries;
    for (int row : host_.list->selectedRows())
        if (const WordEntry* e = std::as_const(*host_.session).book().atView(row))
            entries.push_back(e);
    Status s;
    QString done;
    if (const std::optional<ForeignKind> kind = foreignKind()) {
        ForeignExportOptions options;
        options.deckName = host_.session->book().name;
        // A package carries the words' recorded files; words without one go without sound.
        if (*kind == ForeignKind::Anki && !host_.voiceFolder.isEmpty())
            options.sound = recordedSounds(env(), host_.voiceFolder);
        ForeignExportResult result;
        s = writeForeign(*kind, env(), path, entries, options, &result);
        done = foreignExportMessage(result);
    } else {
        const bool unicode = ui::control<QAbstractButton>(this, kUnicode)->isChecked();
        s = writeExportFile(env(), path, entries, style(), unicode);
        done = QStringLiteral("导出完成，导出单词数:%1").arg(entries.size());
    }
    if (s)
        message(done);
    else
        message(QStringLiteral("导出失败，文件未写入:\n") + path + QStringLiteral("\n") + s.message());
    run->setEnabled(true);
}

} // namespace lex
