#pragma once
// What Lexora says to the learner, in one place. The code below reports what happened by a code
// and the data a message needs (a path, a name, a count); these functions phrase it. The texts
// are the program's own and must stay byte for byte as they are: the tests compare them.

#include "lexora/book/book_file.h"
#include "lexora/book/book_folder.h"
#include "common/dictionary/word_lists.h"
#include "lexora/exchange/foreign_exchange.h"
#include "lexora/practice/practice_engine.h"
#include "lexora/record/record_fault.h"
#include "lexora/record/review_model.h"
#include "lexora/record/study_plan.h"

#include <QString>
#include <optional>

namespace lex {

class Book;
struct LoadReport;
class Status;
struct SpellingGrade;

namespace texts {

// ---- practice -----------------------------------------------------------------------------------
// The practice window's caption: the mode's name, with " <已暂停>" while the run is paused.
QString practiceTitle(PracticeMode mode, bool paused);
// The pause button: "暂停(Pause)", or "继续" while paused.
QString pauseCaption(bool paused);
// The message box the engine asks for, and its caption (empty: the application's name).
QString practiceNoticeText(PracticeNotice notice, const QString& word);
QString practiceNoticeCaption(PracticeNotice notice);
// 填空 over words of which some have no example: how many were left out.
QString clozeLeftOutMessage(int count);

// ---- a Book from the dictionary's word lists ---------------------------------------------------
// Why a list expression names no words: the place (counted from 1) or the name at fault.
QString listExpressionError(const ListExprError& error);
// The dictionary keeps no word lists (built by an older version).
QString noWordLists();
// "词汇量约 %1（%2 至 %3）": the vocabulary test's estimate and its range.
QString vocabularyEstimateText(int words, int low, int high);

// The line under the word after a wrong dictation: how it was wrong and the letters that differ
// ("拼写有误，差一点: rec[ei]ve"); empty for a right one.
QString dictationGradeText(const SpellingGrade& grade, const QString& typed);
// 填空's first miss, under the blank's sentence: which kind of miss, without the letters that
// would give the word away.
QString clozeMissText(SpellingVerdict verdict);
// A rung of the hint ladder (F3) in 听写 and 填空 ("提示(F3): r… · c…").
QString spellingHintText(const QString& pattern);
// After "Book:" and the name on the status line: how many of the Book's words have a recording
// ("  有录音 12/300"); empty when none has.
QString recordedWordsText(int recorded, int words);
// Once, when no English dictionary is there to tell a typo from another word.
QString noSpellingDictionaryText();

// ---- word lists in and out -------------------------------------------------------------------
// "导入完成，导入单词数:%d" (or "导入已取消，...") and, when there were any, the words left out as
// already in the Book.
QString importMessage(const ImportResult& result);
// importMessage and, one line each, the notes left out for want of a word and what the format
// could not carry.
QString foreignImportMessage(const ImportResult& result, int withoutWord, const QStringList& losses);
// "导出完成，导出单词数:%d", the sounds packed, and the losses.
QString foreignExportMessage(const ForeignExportResult& result);
QString soundCopyMessage(const SoundCopyResult& r);

// ---- the Book's files ------------------------------------------------------------------------
// The save-as question after a failed save, on a read-only Book, and for a save-as target another
// writer holds.
QString saveAsQuestion(const SaveAsQuestion& question);
// The save-as chooser's filter: of the file that could not be written.
QString saveAsFilter(SaveFailure failed);
// Appending to another Book (移动到组, 复制到组, Glosix's AddTo) failed.
QString appendFailure(const AppendFailure& failure);
// 移动到组 or 复制到组 failed: refused for the open Book itself, or the append failed.
QString moveFailure(bool intoOpenBook, const AppendFailure& append);
// After a load that skipped damaged records (the Book's name, how many, where the copies will
// be); empty when nothing was skipped.
QString damageNotice(const Book& book, const LoadReport& report);
// A Book whose lock another writer kept past the wait, at the load: it is open read-only.
QString readOnlyNotice(const QString& name);
// At the start, after the last run's shutdown wrote a recovery copy to `where` (folder + stem).
QString recoveredBookNotice(const QString& where);
// The groups dialog's 添加 failed.
QString createBookFailure(const CreateBookFailure& failure);

// ---- practice --------------------------------------------------------------------------------
// The set-up dialog's title, also the practice window's, for each mode.
QString practiceSetupTitle(PracticeMode mode);
// The set-up dialog's explanation: how to start, or what the run will do.
QString practiceSetupExplanation(PracticeMode mode, bool startEnabled);

// ---- the learning record ---------------------------------------------------------------------
// The list's tip: one line a skill that has a recall ("认 87%", "拼 40%", "听 65%": the list's
// degree columns); empty when none has.
QString recallLines(const RecallPercents& recall);
QString recordFault(const RecordFault& fault);

// ---- the synced folder ---------------------------------------------------------------------------
// The status line's note after a merge brought something in.
QString syncNote(int added, int changed, int removed, int answers, int revived);
// The synced folder could not be used; practice and saving go on.
QString syncFault(const QString& folder, const QString& message);
// Files in the folder that are not this build's journal.
QString syncForeignFiles(const QStringList& names);
// The Book's folder lies in a folder a sync tool keeps.
QString syncToolNotice(const QString& bookFolder, const QString& toolFolder);
// A failed call of the record: its fault in words when it has one, else the Status's own.
QString recordFailure(const Status& status, const std::optional<RecordFault>& fault);

// ---- 学习统计 ----------------------------------------------------------------------------------
// Above the pages: the record could not be read (`error`, phrased above), or the Book has none.
QString statisticsUnreadNotice(const QString& error);
QString statisticsNoRecordNotice();
// A record page while the record is read, and one that has nothing to draw.
QString statisticsReadingPlaceholder();
QString statisticsNoRecordPlaceholder();
// Saving a page's picture or data to `path` failed.
QString statisticsSaveFailure(const QString& path, const Status& status);

// ---- the daily plan --------------------------------------------------------------------------
// A plan file beside the Book that is not ours was renamed to `asideTo` and not read.
QString planFileSetAside(const QString& asideTo);
// Writing the plan file failed.
QString planFileWriteFailure(const QString& file, const Status& status);
// The word-book window's status line: today's progress ("今日 新词 3/20 复习 10/45"), empty when
// nothing is planned today.
QString todayProgress(const StudyDay& today);
// The forecast: "预计 2026-05-01 学完 (还需 52 天)", or that it cannot be reached at this pace.
QString forecastText(const Forecast& forecast, QDate today);
// The streak: "连续打卡 5 天，最长 12 天".
QString streakText(int current, int longest);

} // namespace texts
} // namespace lex
