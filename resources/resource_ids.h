#pragma once
// Resource, command and control numbers of both programs, each defined here once. The command
// numbers are those of the menus, the tool bar and the private messages; both the windows and the
// tests name them from here.

namespace lex::res {

// Dialog templates of Lexora.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_LEXORA_DIALOG = 102;    // word-book window
inline constexpr int IDD_PROPSUB0 = 104;         // settings page "常规"
inline constexpr int IDD_PROPSUB1 = 105;         // settings page "TTS合成音"
inline constexpr int IDD_IMPORT = 129;
inline constexpr int IDD_ADDMODIFY = 131;
inline constexpr int IDD_PRACTICE = 145;
inline constexpr int IDD_FIND = 157;
inline constexpr int IDD_PRACTICE_SETUP = 167;
inline constexpr int IDD_NAMECLASS = 172;
inline constexpr int IDD_PROPPAGE = 173;         // settings host
inline constexpr int IDD_PROPSUB2 = 174;         // settings page "快捷键"
inline constexpr int IDD_PROPSUB3 = 175;         // added here: settings page "词典"
inline constexpr int IDD_MAIN = 177;             // outer window "Tessaly"
inline constexpr int IDD_BROWSER = 186;
inline constexpr int IDD_DELETECHECK = 202;
inline constexpr int IDD_SELFILTER = 203;
inline constexpr int IDD_CATEGORY = 206;
inline constexpr int IDD_TODAY_REVIEW = 210;     // added here: 今日复习
inline constexpr int IDD_LIST_BOOK = 220;        // added here: 从词表新建组
inline constexpr int IDD_VOCABULARY_TEST = 221;  // added here: 词汇量测试
inline constexpr int IDD_PROPSUB4 = 250;         // added here: settings page "同步"
inline constexpr int IDD_TODAY_PLAN = 222;       // added here: 今日计划

// Controls of the import/export dialog (129).
namespace import_dlg {
inline constexpr int kRecognition = 1011, kSpelling = 1015, kListening = 1016;
inline constexpr int kOpenFile = 1004, kRun = 1005, kPath = 1012, kUnicode = 1018, kLineCount = 1038;
inline constexpr int kStyle1 = 1026, kStyle2 = 1027, kStyle3 = 1028;
inline constexpr int kSample1 = 1013, kSample2 = 1014, kSample3 = 1025;
inline constexpr int kPreviewLabel = 1036, kBoxOnly = 1017, kPreview = 1037;
inline constexpr int kProgress = 1090;   // added here: the progress of a long import
// Added too: the format (the text styles or another program's file) and, for another program's
// file, the table preview and which field becomes the word, phonetic, explanation, comment, class.
inline constexpr int kFormat = 1091, kTable = 1092;
inline constexpr int kMapWord = 1093, kMapPhonetic = 1094, kMapExplanation = 1095, kMapComment = 1096,
                     kMapClass = 1097;
inline constexpr int kSkipKnown = 1098;   // added: leave out words the Book already holds
} // namespace import_dlg

// Controls of the practice set-up (167).
namespace setup_dlg {
inline constexpr int kWordCount = 1012, kLoops = 1011, kEnToZh = 1026, kZhToEn = 1027;
inline constexpr int kReviewWrong = 1017, kExplanation = 1013;
} // namespace setup_dlg

// Controls of 今日复习 (210): per degree the number of due entries and the button that practises them.
namespace review_dlg {
inline constexpr int kRecognitionCount = 1011, kSpellingCount = 1012, kListeningCount = 1013;
inline constexpr int kRecognitionStart = 1021, kSpellingStart = 1022, kListeningStart = 1023;
inline constexpr int kNote = 1030;
} // namespace review_dlg

// Controls of 从词表新建组 (220).
namespace list_book_dlg {
inline constexpr int kLists = 1201, kUnion = 1202, kMinus = 1203, kBoth = 1204;
inline constexpr int kBooks = 1205, kMinusBook = 1206, kExpression = 1207, kCount = 1208;
inline constexpr int kOrder = 1209, kRecognition = 1210, kSpelling = 1211, kListening = 1212, kName = 1213;
} // namespace list_book_dlg

// Controls of 词汇量测试 (221).
namespace vocabulary_dlg {
inline constexpr int kWord = 1221, kQuestion = 1222, kYes = 1223, kNo = 1224;
inline constexpr int kChoice0 = 1225, kChoice1 = 1226, kChoice2 = 1227, kChoice3 = 1228;
inline constexpr int kProgress = 1229, kResult = 1230, kKnownBook = 1231, kNextBook = 1232, kExam = 1233;
} // namespace vocabulary_dlg
// Controls of 今日计划 (222).
namespace plan_dlg {
inline constexpr int kNewCount = 1201, kReviewCount = 1202, kForecast = 1203, kStreak = 1204;
inline constexpr int kNewPerDay = 1205, kReviewCap = 1206, kMode = 1207, kStart = 1208, kSavePlan = 1209;
inline constexpr int kNote = 1210;
} // namespace plan_dlg

// Controls of 学习统计, a window of our own (its layout is made in code around the charts).
namespace stats_dlg {
inline constexpr int kPages = 1091, kNotice = 1092, kSaveImage = 1093, kSaveData = 1094;
} // namespace stats_dlg

// Controls of the practice window (145).
namespace practice_dlg {
inline constexpr int kWordLabel = 1076, kWordBox = 1059, kLetterCount = 1085;
inline constexpr int kPhoneticOption = 1080, kPhoneticBox = 1012, kFirstLetterOption = 1083, kFirstLetterBox = 1013;
inline constexpr int kModify = 1007, kNext = 1010, kCompanion = 1078, kTimeLimit = 1055, kProgress = 1061;
inline constexpr int kTopMost = 1056, kExplanationOption = 1079, kCommentOption = 1082, kCommentBox = 1081;
inline constexpr int kSlot0 = 1017, kSlot1 = 1018, kSlot2 = 1027, kSlot3 = 1019;
inline constexpr int kPause = 1004, kSpeak = 1006, kAutoSpeak = 1084, kPauseWhenCorrect = 1020;
inline constexpr int kRemainingLabel = 1063, kRemaining = 1037, kDontKnow = 1005;
} // namespace practice_dlg

// Controls of the about box (100).
namespace about_dlg {
inline constexpr int kVersion = 1067, kText = 1037;
} // namespace about_dlg

// Controls of the settings host (173) and its pages 常规 (104), TTS合成音 (105), 快捷键 (174).
namespace prop_page {
inline constexpr int kPageList = 1070, kPageFrame = 1074, kCloseSave = 1004, kDefaultAll = 1005;
} // namespace prop_page
namespace prop_sub0 {
inline constexpr int kBookFolder = 1012, kBookFolderButton = 1007;
inline constexpr int kVoiceFolder = 1013, kVoiceFolderButton = 1004;
inline constexpr int kColorPicker = 1006, kColorText = 1014, kFontSize = 1011, kForbidWinStick = 1018;
inline constexpr int kUpperCaseWords = 1017, kDefault = 1005, kUndoChanges = 1010;
inline constexpr int kDesiredRetention = 1086;   // added here: the memory model's target recall
} // namespace prop_sub0
namespace prop_sub1 {
inline constexpr int kTestText = 1012, kMaleVoice = 1011, kFemaleVoice = 1013;
inline constexpr int kVolume = 1071, kRate = 1073, kTest = 1004, kDisableTts = 1019;
inline constexpr int kSlowRate = 1074, kFrequency = 1015, kSlowTest = 1006, kOnlyTts = 1017, kOnlyMan = 1018;
inline constexpr int kDefault = 1005, kUndoChanges = 1007;
inline constexpr int kAccent = 1400;   // 英音 / 美音
} // namespace prop_sub1
namespace prop_sub2 {
inline constexpr int kKeys = 1072, kKey = 1011, kModifier = 1012, kUndoChanges = 1004, kDefault = 1005;
} // namespace prop_sub2
namespace prop_sub3 {
inline constexpr int kDictionaries = 1011, kMoveUp = 1004, kMoveDown = 1005, kPlace = 1012, kNote = 1013;
// Which English parts Glosix shows under an entry, and the example on the word list's tip.
inline constexpr int kPhonetics = 1300, kSenses = 1301, kDefinition = 1302, kTipExample = 1303;
} // namespace prop_sub3
namespace prop_sub4 {
inline constexpr int kFolder = 1500, kFolderButton = 1501, kDevice = 1502, kMachines = 1503, kNote = 1504;
} // namespace prop_sub4

// Controls of the add/modify dialog (131).
namespace addmodify_dlg {
inline constexpr int kWord = 1012, kPhonetic = 1013, kExplanation = 1014, kComment = 1025;
inline constexpr int kRecognition = 1011, kSpelling = 1015, kListening = 1016, kAccept = 1004;
inline constexpr int kBaseForm = 1026;   // added here: the typed word's base form, taken on a click
} // namespace addmodify_dlg

// Controls of the find dialog (157).
namespace find_dlg {
inline constexpr int kText = 1012, kWords = 1026, kExplanations = 1027, kFindNext = 1004;
} // namespace find_dlg

// Controls of 指定类名 (172), 确认删除 (202) and 临时陌生度过虑 (203).
namespace nameclass_dlg {
inline constexpr int kName = 1011, kDeleteName = 1004;
} // namespace nameclass_dlg
namespace deletecheck_dlg {
inline constexpr int kDontAsk = 1017;
} // namespace deletecheck_dlg
namespace selfilter_dlg {
inline constexpr int kRelation = 1017, kValue = 1016;
} // namespace selfilter_dlg

// Controls of 新建&切换组 (206).
namespace category_dlg {
inline constexpr int kNewName = 1012, kAdd = 1004, kBooks = 1011, kCount = 1037, kVersion = 1038;
inline constexpr int kFolder = 1006, kMove = 1026, kCopy = 1027, kDiscard = 1017, kNote = 1063;
} // namespace category_dlg

// The page's browser control (186).
namespace browser_dlg {
inline constexpr int kBrowser = 1077;
} // namespace browser_dlg

// Dialog template of Glosix (its own program, its own numbering).
inline constexpr int IDD_GLOSIX_DIALOG = 102;
namespace glosix {
inline constexpr int IDC_INPUT = 1000;    // the word
inline constexpr int IDC_LOOKUP = 1001;   // "查询", the default button
inline constexpr int IDC_TEXT = 1002;     // the entry pane
inline constexpr int IDC_LIST = 1003;     // the list pane (hidden, never filled)
inline constexpr int IDC_TOGGLE = 1004;   // "<" / ">", shows or hides the list pane
inline constexpr int IDC_SPEAK = 1005;
inline constexpr int IDC_ADDTO = 1006;
inline constexpr int IDC_SETUP = 1007;
inline constexpr int IDC_STATUS = 1008;   // right of the tool row: what "AddTo" did
// Added here: the window menu's look-up history and clipboard watch.
inline constexpr int IDM_HISTORY = 32960, IDM_WATCH_CLIPBOARD = 32961;
} // namespace glosix

// Glosix's look-up history (added here).
inline constexpr int IDD_GLOSIX_HISTORY = 103;
namespace glosix_history {
inline constexpr int kFilter = 1100, kWords = 1101, kCount = 1102, kAdd = 1103, kExport = 1104;
inline constexpr int kStyle = 1105, kUnicode = 1106, kNote = 1107;
} // namespace glosix_history

// Menus and the tool bar.
inline constexpr int IDR_POPUP_MENU = 136;       // the list's pop-up menu
inline constexpr int IDR_MAIN_MENU = 158;        // the four drop-down menus of the tool bar
inline constexpr int IDR_TOOLBAR = 208;

// Bitmaps, cursor, icon, strings.
inline constexpr int IDB_MORE = 138;             // 13 x 13
inline constexpr int IDC_SPEAKER = 143;          // cursor over the phonetic column
inline constexpr int IDB_TICK = 165;             // 64 x 64, black transparent
inline constexpr int IDB_CROSS = 166;            // 64 x 64, black transparent
inline constexpr int IDB_TOOLBAR = 185;          // 30 x 30 images, black transparent
inline constexpr int IDI_APP = 188;
inline constexpr int IDB_CAPTION_BUTTONS = 216;  // 4 rows of 19 pixels, black transparent
inline constexpr int IDS_ABOUTBOX = 101;         // "关于 Lexora(&A)..."

// System-menu command of the about box.
inline constexpr int IDM_ABOUTBOX = 16;

} // namespace lex::res

namespace lex::cmd {

// Menu and tool-bar commands of the main program; the outer window forwards 14000-14021 to the
// word-book window.
inline constexpr int kImport = 14000, kExport = 14001, kSave = 14002, kGroups = 14003;
inline constexpr int kDictate = 14004, kAdd = 14005, kModify = 14006, kDelete = 14007;
inline constexpr int kClassName = 14008, kShuffle = 14009, kRenumber = 14010, kCheckDuplicates = 14011;
inline constexpr int kFind = 14012, kSettings = 14013, kLearn = 14014, kDrill = 14015, kListen = 14016;
inline constexpr int kMoveCopy = 14017;
// Added beyond the original menus: 撤销, 重做 (编辑 menu), 今日复习 and 学习统计 (练习 menu).
inline constexpr int kUndo = 14018, kRedo = 14019, kTodayReview = 14020, kStatistics = 14021;
// Added for what to learn: a Book from the dictionary's word lists (beside 新建&切换组), 今日计划 and
// 词汇量测试 (练习 menu), the fifth practice 填空, and 从文章取词 (文件 menu).
inline constexpr int kNewBookFromList = 14022, kTodayPlan = 14023, kVocabularyTest = 14024;
inline constexpr int kCloze = 14025, kWordsFromText = 14026;
inline constexpr int kHelp = 14100, kCheckUpdate = 14101, kAbout = 14102, kExit = 14103, kExitNoSave = 14104;
inline constexpr int kStudyPage = 32899, kWebPage = 32900;
inline constexpr int kWebBack = 32901, kWebForward = 32902, kWebStop = 32903, kWebRefresh = 32904, kWebHome = 32911;
inline constexpr int kMenuFile = 32906, kMenuEdit = 32907, kMenuHelp = 32910;
inline constexpr int kStrangenessFilter = 32921;

// The list's strangeness commands: the base of the kind plus an offset that names the degree and
// the change (lexora/book/skills.h: setCommandAt, stepCommandAt), so 10000-10310 for a value set,
// 12004-12007 and 13004-13007 for a step of +1 and -1.
inline constexpr int kSetStrangeness = 10000, kSetStrangenessLast = 10310;
inline constexpr int kRaiseStrangeness = 12000, kLowerStrangeness = 13000;

// Private messages: the web page's back/forward states, a text for the status pane, a tool-bar
// drop-down.
inline constexpr int kBackState = 90000, kForwardState = 90001, kStatusText = 90002, kDropDown = 90003;
inline constexpr int kSystemAbout = res::IDM_ABOUTBOX;

// Control numbers of the word-book window (102): the column toggles and the list.
inline constexpr int kToggleWord = 1017, kToggleExplanation = 1018, kToggleCase = 1019;
inline constexpr int kToggleLockIndex = 1020, kToggleDictionary = 1027, kList = 1014;

} // namespace lex::cmd
