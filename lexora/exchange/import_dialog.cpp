#include "lexora/exchange/import_dialog.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "common/platform/user_services.h"
#include "common/speech/espeak_engine.h"
#include "common/speech/speech_output.h"
#include "common/speech/word_sound.h"
#include "common/ui/template_builder.h"
#include "lexora/book/book_session.h"
#include "lexora/exchange/foreign_exchange.h"
#include "lexora/texts/lexora_texts.h"
#include "lexora/exchange/import_op.h"
#include "lexora/wordlist/my_list_ctrl.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QTextEdit>
#include <algorithm>
#include <numeric>
#include <utility>

namespace lex {

using namespace res::import_dlg;

namespace {

constexpr int kMaxPathChars = 260;
const QString kTextFilter = QStringLiteral("文本文件 (*.txt)|*.txt|");
// The name a format is remembered by in Config.INI.
const QString kTextFormatName = QStringLiteral("txt");

// The chooser opens on its first filter: the chosen format's, then the text styles' and the other
// formats', then every file.
QString fileFilter(std::optional<ForeignKind> chosen)
{
    QString f = chosen ? foreignFormat(*chosen).chooserFilter() + kTextFilter : kTextFilter;
    for (const ForeignFormat& row : foreignFormats())
        if (row.kind != chosen)
            f += row.chooserFilter();
    return f + QStringLiteral("所有文件 (*.*)|*.*||");
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
        std::vector<int> added(size_t(after - before));
        std::iota(added.begin(), added.end(), before);
        list->selectRows(added);
        list->scrollTo(list->model()->index(before, 0), QAbstractItemView::PositionAtTop);
    }
    return r;
}

const Clock& clockOf(const ImportExportHost& host) { return *orDefault(host.clock); }

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
    {
        // After the text styles, one item per format.
        auto* format = ui::control<QComboBox>(this, kFormat);
        const QSignalBlocker block(format);
        for (const ForeignFormat& row : foreignFormats())
            format->addItem(row.label);
    }
    // The combo boxes and the path box speak through onCommand too.
    for (int id : {kFormat, kMapWord, kMapPhonetic, kMapExplanation, kMapComment, kMapClass}) {
        auto* c = ui::control<QComboBox>(this, id);
        connect(c, &QComboBox::currentIndexChanged, this, [this, id](int index) { onCommand(id, index); });
    }
    // The labels of the format and the field map lead Alt+letter to their boxes.
    const std::pair<QString, int> buddies[] = {
        {QStringLiteral("格式(&F):"), kFormat},        {QStringLiteral("单词(&W):"), kMapWord},
        {QStringLiteral("音标(&P):"), kMapPhonetic},   {QStringLiteral("解释(&E):"), kMapExplanation},
        {QStringLiteral("注释(&C):"), kMapComment},    {QStringLiteral("类名(&L):"), kMapClass}};
    for (QLabel* l : findChildren<QLabel*>())
        for (const auto& [text, id] : buddies)
            if (l->text() == text)
                l->setBuddy(ui::findControl(this, id));
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
    Profile profile(configPath(), env());
    const std::optional<ForeignKind> kind = foreignKind();
    profile.writeString(config::kImportExport, import_ ? config::kInFormat : config::kOutFormat,
                        kind ? foreignFormat(*kind).names.front() : kTextFormatName);
    if (import_)
        writeStrangeIndex(&profile, config::kImportExport, strangeness());
}

Env* CMyImportDialog::env() const { return orDefault(host_.env); }
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
        ui::findControl(this, kSkipKnown)->hide();
        setWindowTitle(QStringLiteral("导出文件"));
        ui::control<QAbstractButton>(this, kRun)->setText(QStringLiteral("导出"));
    }
    ui::control<QPlainTextEdit>(this, kSample1)->setPlainText(kSampleText1);
    ui::control<QPlainTextEdit>(this, kSample2)->setPlainText(kSampleText2);
    ui::control<QPlainTextEdit>(this, kSample3)->setPlainText(kSampleText3);
    {
        // The format chosen last time, so that the chooser opens on its files again.
        const Profile profile(configPath(), env());
        const QString name =
            profile.readString(config::kImportExport, import_ ? config::kInFormat : config::kOutFormat);
        auto* format = ui::control<QComboBox>(this, kFormat);
        const QSignalBlocker block(format);
        format->setCurrentIndex(formatIndex(foreignKindByName(name)));
    }
    formatChanged();
    ui::findControl(this, kOpenFile)->setFocus();
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
    const QString filter = fileFilter(foreignKind());
    const QString chosen = import_ ? host_.ui->openFileName(this, initial, filter)
                                   : host_.ui->saveFileName(this, initial, filter);
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
    // The keyboard focus stays where the learner had it: disabling the focused button would move
    // it on, to 关闭 at worst, where the next Enter closes the dialog.
    if (busy) {
        QWidget* f = QApplication::focusWidget();
        focusBeforeBusy_ = f && isAncestorOf(f) ? f : nullptr;
    }
    for (int id : {kOpenFile, kRun, kBoxOnly, kPath, kRecognition, kSpelling, kListening, kStyle1, kStyle2, kStyle3,
                   kPreview, kFormat, kMapWord, kMapPhonetic, kMapExplanation, kMapComment, kMapClass, kSkipKnown})
        if (QWidget* w = ui::findControl(this, id))
            w->setEnabled(!busy);
    if (busy)
        return;
    if (!import_)
        for (int id : {kRecognition, kSpelling, kListening, kBoxOnly})
            ui::findControl(this, id)->setEnabled(false);
    setBoxOnly(ui::control<QAbstractButton>(this, kBoxOnly)->isChecked());
    enableForFormat();
    ui::findControl(this, kProgress)->hide();
    if (focusBeforeBusy_ && focusBeforeBusy_->isEnabled() && focusBeforeBusy_->isVisible())
        focusBeforeBusy_->setFocus();
    focusBeforeBusy_.clear();
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
    // The selection goes before the file is read: a file refused leaves none either.
    if (host_.list)
        host_.list->clearSelection();
    QString text;
    if (boxOnly) {
        text = ui::control<QTextEdit>(this, kPreview)->toPlainText();
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    } else {
        QByteArray bytes;
        const bool read = bool(readWordListBytes(env(), path, &bytes));
        // The same decision as every other reader of word lists (lexbook import included).
        if (read)
            text = decodeWordList(bytes);
        if (!read || !isWordListText(text)) {
            message(QStringLiteral("无效文件"));
            return;
        }
    }

    const StrangeIndex s = strangeness();
    ImportSettings settings;
    settings.style = style();
    settings.recognition = s[0];
    settings.spelling = s[1];
    settings.listening = s[2];
    settings.lookUp = host_.lookUp;
    settings.skipKnown = ui::control<QAbstractButton>(this, kSkipKnown)->isChecked();

    beginProgress();
    settings.progress = [&](qsizetype done, qsizetype total) {
        return progressStep(done, total, text.size() > kProgressThreshold);
    };
    setBusy(true);
    const ImportResult r = applyImport(host_, text, settings);
    setBusy(false);
    message(texts::importMessage(r));
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
        // A package carries each word's sound: its recorded file, else the synthesis (Anki speaks
        // nothing of its own on Linux); without the speech state, the recorded files only.
        if (foreignFormat(*kind).packsSounds) {
            if (const SpeechOutput* speech = host_.speech) {
                auto* engine = synthEngineOf(speech->engine());
                options.sound = [speech, engine, env = env()](const WordEntry& e, QByteArray* data, QString* ext) {
                    return wordSoundFile(speech, env, engine, e.word().toString(), data, ext);
                };
            } else if (!host_.voiceFolder.isEmpty()) {
                options.sound = recordedSounds(env(), host_.voiceFolder);
            }
        }
        // Rendering sounds takes a while: the bar moves and 关闭 stops the export.
        beginProgress();
        options.progress = [&](qint64 n, qint64 total) { return progressStep(n, total, total > 20000); };
        setBusy(true);
        ForeignExportResult result;
        s = writeForeign(*kind, env(), path, entries, options, &result);
        setBusy(false);
        if (cancelRequested_ && !s)
            s = Status::error(QStringLiteral("导出已取消"));
        done = texts::foreignExportMessage(result);
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
