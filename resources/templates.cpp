// The dialog templates of both programs. Positions are in dialog units; where a window's
// positions were not handed down, the layout follows the same grid (7-unit margins, 14-unit
// buttons and edits, 8-unit labels) so every window looks of one family.
#include "resources/resources.h"

#include "common/platform/shared_names.h"

#include <QHash>

namespace lex::res {

using namespace lex::ui;

namespace {

ControlSpec C(int id, Kind kind, const QString& caption, unsigned style, int x, int y, int w, int h,
              QStringList items = {})
{
    ControlSpec c;
    c.id = id;
    c.kind = kind;
    c.caption = caption;
    c.style = style;
    c.x = x;
    c.y = y;
    c.w = w;
    c.h = h;
    c.items = std::move(items);
    return c;
}

ControlSpec label(const QString& text, int x, int y, int w, int h = 8, unsigned style = None)
{
    return C(IDC_STATIC, Kind::Static, text, style, x, y, w, h);
}

QStringList zeroToTen()
{
    QStringList l;
    for (int i = 0; i <= 10; ++i)
        l << QString::number(i);
    return l;
}

DialogTemplate T(int id, const QString& caption, int w, int h, std::vector<ControlSpec> controls)
{
    DialogTemplate t;
    t.id = id;
    t.caption = caption;
    t.width = w;
    t.height = h;
    t.controls = std::move(controls);
    return t;
}

QHash<int, DialogTemplate> makeLexoraTemplates()
{
    QHash<int, DialogTemplate> t;
    const QString U = QStringLiteral("");

    t.insert(IDD_ABOUTBOX, T(IDD_ABOUTBOX, QStringLiteral("关于 Lexora"), 235, 108, {
        label(QStringLiteral("Lexora"), 40, 10, 180),
        C(about_dlg::kVersion, Kind::Static, U, None, 40, 22, 180, 8),
        C(about_dlg::kText, Kind::RichEdit, U, MultiLine | ReadOnly, 40, 36, 185, 44),
        C(IDOK, Kind::DefPushButton, QStringLiteral("确定"), Group, 178, 88, 50, 14),
    }));

    t.insert(IDD_LEXORA_DIALOG, T(IDD_LEXORA_DIALOG, U, 400, 230, {
        C(cmd::kToggleWord, Kind::CheckBox, QStringLiteral("单词"), Group, 4, 3, 32, 10),
        C(cmd::kToggleExplanation, Kind::CheckBox, QStringLiteral("解释"), None, 40, 3, 32, 10),
        C(cmd::kToggleDictionary, Kind::CheckBox, QStringLiteral("词典"), None, 76, 3, 32, 10),
        C(cmd::kToggleCase, Kind::CheckBox, QStringLiteral("大写"), None, 112, 3, 32, 10),
        C(cmd::kToggleLockIndex, Kind::CheckBox, QStringLiteral("锁定索引"), Disabled, 148, 3, 50, 10),
        C(cmd::kList, Kind::ListView, U, Group, 0, 16, 400, 200),
    }));

    t.insert(IDD_PROPSUB0, T(IDD_PROPSUB0, U, 230, 150, {
        label(QStringLiteral("默认Book路径:"), 6, 4, 60),
        C(prop_sub0::kBookFolder, Kind::Edit, U, AutoHScroll, 6, 14, 170, 14),
        C(prop_sub0::kBookFolderButton, Kind::PushButton, QStringLiteral("设置"), None, 180, 14, 40, 14),
        label(QStringLiteral("真人语音路径:"), 6, 32, 60),
        C(prop_sub0::kVoiceFolder, Kind::Edit, U, AutoHScroll, 6, 42, 170, 14),
        C(prop_sub0::kVoiceFolderButton, Kind::PushButton, QStringLiteral("设置"), None, 180, 42, 40, 14),
        label(QStringLiteral("背景色:"), 6, 64, 28),
        C(prop_sub0::kColorPicker, Kind::PushButton, U, None, 36, 61, 24, 14),
        C(prop_sub0::kColorText, Kind::Edit, U, ReadOnly, 64, 61, 50, 14),
        label(QStringLiteral("字体:"), 124, 64, 20),
        C(prop_sub0::kFontSize, Kind::DropDownList, U, None, 146, 62, 40, 60,
          {QStringLiteral("小"), QStringLiteral("中"), QStringLiteral("大")}),
        C(prop_sub0::kForbidWinStick, Kind::CheckBox, QStringLiteral("禁止窗口粘边"), None, 6, 84, 70, 10),
        C(prop_sub0::kUpperCaseWords, Kind::CheckBox, QStringLiteral("单词大写"), Disabled, 84, 84, 60, 10),
        label(QStringLiteral("如果窗口移动不正常，请禁止粘边"), 6, 100, 214),
        label(QStringLiteral("改变Book路径，会自动保存当前Book内容到旧路径"), 6, 112, 214),
        label(QStringLiteral("期望记忆率:"), 6, 133, 46),
        C(prop_sub0::kDesiredRetention, Kind::Edit, U, None, 54, 130, 40, 14),
        C(prop_sub0::kDefault, Kind::PushButton, QStringLiteral("默认"), Disabled, 120, 130, 48, 14),
        C(prop_sub0::kUndoChanges, Kind::PushButton, QStringLiteral("取消修改"), Disabled, 172, 130, 48, 14),
    }));

    t.insert(IDD_PROPSUB1, T(IDD_PROPSUB1, U, 230, 150, {
        label(QStringLiteral("测试文本:"), 6, 6, 40),
        C(prop_sub1::kTestText, Kind::Edit, QStringLiteral("Welcome to use Tessaly."), AutoHScroll, 48, 4, 128, 14),
        C(prop_sub1::kTest, Kind::PushButton, QStringLiteral("测试"), None, 180, 4, 40, 14),
        label(QStringLiteral("指定引擎(男声):"), 6, 26, 64),
        C(prop_sub1::kMaleVoice, Kind::DropDownList, U, None, 72, 24, 148, 80),
        label(QStringLiteral("指定引擎(女声):"), 6, 44, 64),
        C(prop_sub1::kFemaleVoice, Kind::DropDownList, U, Disabled, 72, 42, 148, 80),
        label(QStringLiteral("音量:"), 6, 64, 24),
        C(prop_sub1::kVolume, Kind::Slider, U, None, 32, 62, 120, 14),
        label(QStringLiteral("速度:"), 6, 82, 24),
        C(prop_sub1::kRate, Kind::Slider, U, None, 32, 80, 120, 14),
        label(QStringLiteral("口音:"), 158, 82, 22),
        C(prop_sub1::kAccent, Kind::DropDownList, U, None, 182, 80, 38, 40),
        label(QStringLiteral("慢速:"), 6, 100, 24),
        C(prop_sub1::kSlowRate, Kind::Slider, U, Disabled, 32, 98, 120, 14),
        label(QStringLiteral("频率:"), 158, 64, 22),
        C(prop_sub1::kFrequency, Kind::DropDownList, U, Disabled, 182, 62, 38, 60),
        C(prop_sub1::kSlowTest, Kind::PushButton, QStringLiteral("测试"), Disabled, 180, 98, 40, 14),
        C(prop_sub1::kDisableTts, Kind::CheckBox, QStringLiteral("DisableTTS"), None, 6, 118, 56, 10),
        C(prop_sub1::kOnlyTts, Kind::CheckBox, QStringLiteral("OnlyTTS"), Disabled, 66, 118, 48, 10),
        C(prop_sub1::kOnlyMan, Kind::CheckBox, QStringLiteral("OnlyMan"), Disabled, 118, 118, 48, 10),
        C(prop_sub1::kDefault, Kind::PushButton, QStringLiteral("默认"), Disabled, 120, 132, 48, 14),
        C(prop_sub1::kUndoChanges, Kind::PushButton, QStringLiteral("取消修改"), Disabled, 172, 132, 48, 14),
    }));

    t.insert(IDD_PROPSUB2, T(IDD_PROPSUB2, U, 230, 150, {
        C(prop_sub2::kKeys, Kind::TreeView, U, Disabled, 6, 6, 110, 140),
        label(QStringLiteral("键值:"), 124, 8, 30),
        C(prop_sub2::kKey, Kind::DropDownList, U, Disabled, 124, 20, 44, 60),
        label(QStringLiteral("+"), 171, 22, 8),
        C(prop_sub2::kModifier, Kind::DropDownList, U, Disabled, 180, 20, 42, 60),
        C(prop_sub2::kUndoChanges, Kind::PushButton, QStringLiteral("取消修改"), Disabled, 124, 132, 48, 14),
        C(prop_sub2::kDefault, Kind::PushButton, QStringLiteral("默认"), Disabled, 176, 132, 46, 14),
    }));

    // The StarDict dictionaries Glosix shows after its own, to switch on and off and to order.
    t.insert(IDD_PROPSUB3, T(IDD_PROPSUB3, U, 230, 150, {
        label(QStringLiteral("StarDict 词典 (Glosix 按此顺序显示勾选的词典):"), 6, 4, 214),
        C(prop_sub3::kDictionaries, Kind::ListBox, U, Group, 6, 14, 170, 76),
        C(prop_sub3::kMoveUp, Kind::PushButton, QStringLiteral("上移(&U)"), None, 180, 14, 40, 14),
        C(prop_sub3::kMoveDown, Kind::PushButton, QStringLiteral("下移(&D)"), None, 180, 32, 40, 14),
        C(prop_sub3::kPhonetics, Kind::CheckBox, QStringLiteral("英美音标(&P)"), Group, 6, 93, 64, 10),
        C(prop_sub3::kSenses, Kind::CheckBox, QStringLiteral("WordNet 释义(&W)"), None, 72, 93, 76, 10),
        C(prop_sub3::kDefinition, Kind::CheckBox, QStringLiteral("英文释义(&E)"), None, 150, 93, 64, 10),
        C(prop_sub3::kTipExample, Kind::CheckBox, QStringLiteral("单词列表提示显示例句(&X)"), None, 6, 105, 140, 10),
        C(prop_sub3::kPlace, Kind::Static, U, None, 6, 117, 214, 10),
        C(prop_sub3::kNote, Kind::Static, U, None, 6, 130, 214, 18),
    }));

    // The synced folder, this machine's name and the other machines seen there.
    t.insert(IDD_PROPSUB4, T(IDD_PROPSUB4, U, 230, 150, {
        label(QStringLiteral("同步文件夹 (由同步软件在各台电脑之间传送):"), 6, 4, 214),
        C(prop_sub4::kFolder, Kind::Edit, U, AutoHScroll, 6, 14, 190, 14),
        C(prop_sub4::kFolderButton, Kind::PushButton, QStringLiteral("..."), None, 200, 14, 20, 14),
        label(QStringLiteral("本机名称:"), 6, 34, 40),
        C(prop_sub4::kDevice, Kind::Edit, U, AutoHScroll, 48, 32, 100, 14),
        label(QStringLiteral("其他电脑 (最后同步时间):"), 6, 52, 214),
        C(prop_sub4::kMachines, Kind::ListBox, U, Group, 6, 62, 214, 50),
        C(prop_sub4::kNote, Kind::Static, U, None, 6, 116, 214, 30),
    }));

    // The strip under y = 204 is ours: the format and the field map of another program's file.
    t.insert(IDD_IMPORT, T(IDD_IMPORT, QStringLiteral("导入文件"), 328, 256, {
        label(QStringLiteral("陌生度:"), 14, 5, 28),
        C(import_dlg::kRecognition, Kind::DropDownList, U, Group, 48, 2, 32, 76, zeroToTen()),
        C(import_dlg::kSpelling, Kind::DropDownList, U, None, 84, 2, 32, 76, zeroToTen()),
        C(import_dlg::kListening, Kind::DropDownList, U, None, 120, 2, 32, 76, zeroToTen()),
        C(import_dlg::kOpenFile, Kind::DefPushButton, QStringLiteral("打开文件"), None, 156, 2, 50, 14),
        C(import_dlg::kRun, Kind::PushButton, QStringLiteral("导入"), None, 210, 2, 50, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("关闭"), None, 271, 2, 50, 14),
        label(QStringLiteral("文件路径:"), 6, 21, 36),
        C(import_dlg::kPath, Kind::Edit, U, AutoHScroll, 48, 19, 157, 14),
        C(import_dlg::kUnicode, Kind::CheckBox, QStringLiteral("导出Unicode"), None, 210, 21, 57, 10),
        label(QStringLiteral("行数:"), 270, 20, 20),
        C(import_dlg::kLineCount, Kind::Edit, U, ReadOnly, 293, 18, 29, 14),
        C(import_dlg::kStyle1, Kind::RadioButton, QStringLiteral("样式一:\n每行一词,无解释将自动查词典"),
          Group | MultiLine, 2, 41, 66, 48),
        C(import_dlg::kSample1, Kind::Edit, U, MultiLine | ReadOnly, 68, 41, 114, 42),
        C(import_dlg::kStyle2, Kind::RadioButton, QStringLiteral("样式二:\n每二行一词,一行单词,一行解释"),
          MultiLine, 2, 83, 66, 54),
        C(import_dlg::kSample2, Kind::Edit, U, MultiLine | ReadOnly, 68, 83, 114, 54),
        C(import_dlg::kStyle3, Kind::RadioButton, QStringLiteral("样式三:\n金山生词本导出形式,可有多行解释,包含音标"),
          MultiLine, 2, 137, 66, 66),
        C(import_dlg::kSample3, Kind::Edit, U, MultiLine | ReadOnly, 68, 137, 114, 66),
        C(import_dlg::kPreviewLabel, Kind::Static, QStringLiteral("文件浏览:"), Group, 192, 39, 36, 8),
        C(import_dlg::kBoxOnly, Kind::CheckBox, QStringLiteral("只导入输入框内容"), None, 234, 39, 80, 10),
        C(import_dlg::kPreview, Kind::RichEdit, U, MultiLine | VScroll | WantReturn, 189, 51, 137, 153),
        C(IDC_STATIC, Kind::EtchedHorz, U, None, 8, 35, 316, 1),
        C(IDC_STATIC, Kind::EtchedVert, U, None, 267, 0, 1, 33),
        C(IDC_STATIC, Kind::EtchedVert, U, None, 185, 38, 1, 165),
        C(import_dlg::kTable, Kind::ListView, U, Hidden, 189, 51, 137, 153),
        C(IDC_STATIC, Kind::EtchedHorz, U, None, 8, 207, 316, 1),
        // Alt and the letter reaches each box (the labels are their buddies).
        label(QStringLiteral("格式(&F):"), 6, 214, 34),
        // The text styles; the dialog adds one item per row of the table of formats.
        C(import_dlg::kFormat, Kind::DropDownList, U, Group, 42, 212, 50, 80, {QStringLiteral("文本")}),
        label(QStringLiteral("单词(&W):"), 100, 214, 34),
        C(import_dlg::kMapWord, Kind::DropDownList, U, Disabled, 136, 212, 64, 100),
        label(QStringLiteral("音标(&P):"), 208, 214, 34),
        C(import_dlg::kMapPhonetic, Kind::DropDownList, U, Disabled, 244, 212, 64, 100),
        label(QStringLiteral("解释(&E):"), 6, 229, 34),
        C(import_dlg::kMapExplanation, Kind::DropDownList, U, Disabled, 42, 227, 50, 100),
        label(QStringLiteral("注释(&C):"), 100, 229, 34),
        C(import_dlg::kMapComment, Kind::DropDownList, U, Disabled, 136, 227, 64, 100),
        label(QStringLiteral("类名(&L):"), 208, 229, 34),
        C(import_dlg::kMapClass, Kind::DropDownList, U, Disabled, 244, 227, 64, 100),
        C(import_dlg::kSkipKnown, Kind::CheckBox, QStringLiteral("跳过词库中已有的单词"), None, 6, 244, 120, 10),
    }));

    t.insert(IDD_ADDMODIFY, T(IDD_ADDMODIFY, QStringLiteral("添加&修改"), 260, 182, {
        label(QStringLiteral("单词:"), 7, 9, 24),
        C(addmodify_dlg::kWord, Kind::Edit, U, Group | AutoHScroll, 34, 7, 104, 14),
        C(addmodify_dlg::kBaseForm, Kind::PushButton, U, Hidden | Flat, 140, 7, 44, 14),
        label(QStringLiteral("音标:"), 7, 27, 24),
        C(addmodify_dlg::kPhonetic, Kind::Edit, U, AutoHScroll, 34, 25, 150, 14),
        label(QStringLiteral("解释:"), 7, 45, 24),
        C(addmodify_dlg::kExplanation, Kind::Edit, U, MultiLine | WantReturn | VScroll, 34, 43, 219, 64),
        label(QStringLiteral("注释: "), 7, 115, 24),
        C(addmodify_dlg::kComment, Kind::Edit, U, MultiLine | WantReturn, 34, 113, 219, 40),
        label(QStringLiteral("陌生度:"), 7, 163, 28),
        label(QStringLiteral("-认-"), 36, 163, 16),
        C(addmodify_dlg::kRecognition, Kind::DropDownList, U, None, 52, 161, 30, 90, zeroToTen()),
        label(QStringLiteral("-拼-"), 88, 163, 16),
        C(addmodify_dlg::kSpelling, Kind::DropDownList, U, None, 104, 161, 30, 90, zeroToTen()),
        label(QStringLiteral("-听-"), 140, 163, 16),
        C(addmodify_dlg::kListening, Kind::DropDownList, U, None, 156, 161, 30, 90, zeroToTen()),
        C(addmodify_dlg::kAccept, Kind::DefPushButton, QStringLiteral("确定"), Group, 196, 7, 57, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("取消"), None, 196, 25, 57, 14),
    }));

    t.insert(IDD_PRACTICE, T(IDD_PRACTICE, QStringLiteral("单词初记"), 246, 254, {
        C(practice_dlg::kWordLabel, Kind::Static, QStringLiteral("单词:"), None, 2, 6, 20, 8),
        C(practice_dlg::kWordBox, Kind::RichEdit, U, MultiLine | ReadOnly | VScroll, 27, 1, 217, 32),
        C(practice_dlg::kLetterCount, Kind::RichEdit, U, ReadOnly | Centre, 4, 16, 15, 14),
        C(practice_dlg::kPhoneticOption, Kind::CheckBox, QStringLiteral("音标:"), Group, 2, 35, 31, 10),
        C(practice_dlg::kPhoneticBox, Kind::Edit, U, AutoHScroll, 35, 34, 66, 14),
        C(practice_dlg::kFirstLetterOption, Kind::CheckBox, QStringLiteral("首字母:"), None, 105, 35, 40, 10),
        C(practice_dlg::kFirstLetterBox, Kind::Edit, U, ReadOnly | Centre, 147, 34, 16, 14),
        C(practice_dlg::kModify, Kind::PushButton, QStringLiteral("修改"), None, 169, 33, 21, 14),
        C(practice_dlg::kNext, Kind::PushButton, QStringLiteral("下一个(Enter)"), None, 192, 33, 52, 14),
        C(practice_dlg::kCompanion, Kind::CheckBox, QStringLiteral("例句"), None, 2, 48, 28, 10),
        C(practice_dlg::kTimeLimit, Kind::CheckBox, QStringLiteral("时间:(秒)"), None, 36, 48, 44, 10),
        C(practice_dlg::kProgress, Kind::ProgressBar, U, None, 82, 50, 127, 6),
        C(practice_dlg::kTopMost, Kind::CheckBox, QStringLiteral("固顶"), None, 215, 48, 29, 10),
        C(practice_dlg::kExplanationOption, Kind::CheckBox, QStringLiteral("解释"), None, 2, 60, 28, 10),
        C(practice_dlg::kCommentOption, Kind::CheckBox, QStringLiteral("注释:"), None, 36, 60, 32, 10),
        C(practice_dlg::kCommentBox, Kind::RichEdit, U, ReadOnly, 73, 58, 171, 14),
        C(practice_dlg::kSlot0, Kind::CheckBox, U, PushLike | MultiLine | Group, 2, 74, 242, 40),
        C(practice_dlg::kSlot1, Kind::CheckBox, U, PushLike | MultiLine, 2, 114, 242, 40),
        C(practice_dlg::kSlot2, Kind::CheckBox, U, PushLike | MultiLine, 2, 154, 242, 40),
        C(practice_dlg::kSlot3, Kind::CheckBox, U, PushLike | MultiLine, 2, 194, 242, 40),
        C(practice_dlg::kPause, Kind::PushButton, QStringLiteral("暂停(Pause)"), Group, 2, 238, 46, 14),
        C(practice_dlg::kSpeak, Kind::PushButton, QStringLiteral("读音(Space)"), None, 49, 238, 46, 14),
        C(practice_dlg::kAutoSpeak, Kind::CheckBox, QStringLiteral("自动发音"), None, 102, 234, 48, 10),
        C(practice_dlg::kPauseWhenCorrect, Kind::CheckBox, QStringLiteral("正确停顿"), None, 102, 244, 48, 10),
        C(practice_dlg::kRemainingLabel, Kind::Static, QStringLiteral("剩余:"), None, 151, 240, 19, 8),
        C(practice_dlg::kRemaining, Kind::RichEdit, U, ReadOnly | Centre, 174, 238, 17, 14),
        C(practice_dlg::kDontKnow, Kind::PushButton, QStringLiteral("不知道(End)"), None, 198, 238, 46, 14),
    }));

    t.insert(IDD_FIND, T(IDD_FIND, QStringLiteral("Dialog"), 240, 48, {
        label(QStringLiteral("查找内容:"), 7, 9, 38),
        C(find_dlg::kText, Kind::Edit, U, Group | AutoHScroll, 48, 7, 125, 14),
        C(find_dlg::kWords, Kind::RadioButton, QStringLiteral("查找单词"), Group, 48, 28, 52, 10),
        C(find_dlg::kExplanations, Kind::RadioButton, QStringLiteral("查找解释"), None, 106, 28, 52, 10),
        C(find_dlg::kFindNext, Kind::DefPushButton, QStringLiteral("查找下一个"), Group, 181, 7, 52, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("关闭"), None, 181, 25, 52, 14),
    }));

    t.insert(IDD_PRACTICE_SETUP, T(IDD_PRACTICE_SETUP, QStringLiteral("Dialog"), 186, 102, {
        C(IDOK, Kind::DefPushButton, QStringLiteral("开始"), Group, 129, 6, 50, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("退出"), None, 129, 26, 50, 14),
        label(QStringLiteral("单词总数：\n (10-100)"), 7, 8, 41, 18),
        C(setup_dlg::kWordCount, Kind::Edit, U, ReadOnly | Centre, 51, 8, 30, 12),
        label(QStringLiteral("循环次数："), 8, 26, 41),
        C(setup_dlg::kLoops, Kind::DropDownList, U, Sorted, 51, 24, 30, 30,
          {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}),
        C(setup_dlg::kEnToZh, Kind::RadioButton, QStringLiteral("英->中"), Group | Disabled, 87, 9, 40, 10),
        C(setup_dlg::kZhToEn, Kind::RadioButton, QStringLiteral("中->英"), Disabled, 87, 25, 40, 10),
        label(QStringLiteral("说明:"), 7, 39, 20),
        C(setup_dlg::kReviewWrong, Kind::CheckBox, QStringLiteral("结束后复习错误项"), Group | Disabled,
          51, 39, 78, 10),
        C(setup_dlg::kExplanation, Kind::Edit, U, MultiLine | ReadOnly, 7, 52, 172, 45),
    }));

    t.insert(IDD_NAMECLASS, T(IDD_NAMECLASS, QStringLiteral("指定类名"), 200, 64, {
        label(QStringLiteral("指定类名:"), 7, 9, 38),
        C(nameclass_dlg::kName, Kind::DropDownCombo, U, Group, 48, 7, 86, 80),
        label(QStringLiteral("例：\n单元一，第一课\n单元二，第三课"), 48, 26, 86, 30),
        C(IDOK, Kind::DefPushButton, QStringLiteral("确定"), Group, 143, 7, 50, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("取消"), None, 143, 25, 50, 14),
        C(nameclass_dlg::kDeleteName, Kind::PushButton, QStringLiteral("删除类名"), None, 143, 43, 50, 14),
    }));

    t.insert(IDD_PROPPAGE, T(IDD_PROPPAGE, QStringLiteral("属性页"), 320, 196, {
        C(prop_page::kPageList, Kind::ListBox, U, Group, 7, 7, 60, 160,
          {QStringLiteral("常规"), QStringLiteral("TTS合成音"), QStringLiteral("快捷键"), QStringLiteral("词典"),
           QStringLiteral("同步")}),
        C(prop_page::kPageFrame, Kind::GroupBox, U, None, 74, 3, 240, 166),
        C(prop_page::kCloseSave, Kind::DefPushButton, QStringLiteral("关闭保存"), Group, 200, 176, 56, 14),
        C(prop_page::kDefaultAll, Kind::PushButton, QStringLiteral("默认全部"), Disabled, 262, 176, 52, 14),
    }));

    t.insert(IDD_MAIN, T(IDD_MAIN, names::kLexoraTitle, 466, 266, {}));

    t.insert(IDD_BROWSER, T(IDD_BROWSER, U, 300, 200, {
        C(browser_dlg::kBrowser, Kind::Custom, U, None, 0, 0, 300, 200),
    }));

    t.insert(IDD_DELETECHECK, T(IDD_DELETECHECK, QStringLiteral("确认删除"), 200, 70, {
        C(IDC_STATIC, Kind::Static, U, Centre, 7, 10, 186, 18),
        C(deletecheck_dlg::kDontAsk, Kind::CheckBox, QStringLiteral("本次运行不再确认"), Group, 7, 34, 90, 10),
        C(IDOK, Kind::DefPushButton, QStringLiteral("确定"), Group, 86, 50, 50, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("取消"), None, 143, 50, 50, 14),
    }));

    t.insert(IDD_SELFILTER, T(IDD_SELFILTER, QStringLiteral("临时陌生度过虑"), 200, 76, {
        label(QStringLiteral("请选择\"保留选择\"的条件（只作用于临时陌生度）："), 7, 7, 186, 18),
        label(QStringLiteral("保留选择:"), 7, 32, 38),
        C(selfilter_dlg::kRelation, Kind::DropDownList, U, Group, 48, 30, 40, 60,
          {QStringLiteral("小于"), QStringLiteral("等于"), QStringLiteral("大于")}),
        C(selfilter_dlg::kValue, Kind::DropDownList, U, None, 94, 30, 36, 120, zeroToTen()),
        C(IDOK, Kind::DefPushButton, QStringLiteral("确定"), Group, 86, 56, 50, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("取消"), None, 143, 56, 50, 14),
    }));

    // 今日复习: one row per degree, its count and the practice that reviews it.
    t.insert(IDD_TODAY_REVIEW, T(IDD_TODAY_REVIEW, QStringLiteral("今日复习"), 200, 104, {
        label(QStringLiteral("今天到期的单词："), 7, 7, 120),
        label(QStringLiteral("认读："), 7, 24, 30),
        C(review_dlg::kRecognitionCount, Kind::Static, U, Right, 38, 24, 30, 8),
        C(review_dlg::kRecognitionStart, Kind::DefPushButton, QStringLiteral("初记(&R)"), Group, 76, 21, 60, 14),
        label(QStringLiteral("拼写："), 7, 42, 30),
        C(review_dlg::kSpellingCount, Kind::Static, U, Right, 38, 42, 30, 8),
        C(review_dlg::kSpellingStart, Kind::PushButton, QStringLiteral("听写(&S)"), None, 76, 39, 60, 14),
        label(QStringLiteral("听辩："), 7, 60, 30),
        C(review_dlg::kListeningCount, Kind::Static, U, Right, 38, 60, 30, 8),
        C(review_dlg::kListeningStart, Kind::PushButton, QStringLiteral("听辩(&L)"), None, 76, 57, 60, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("关闭"), None, 143, 21, 50, 14),
        C(review_dlg::kNote, Kind::Static,
          QStringLiteral("按钮选中到期的单词并开始练习（10至100个，多于100个时练习前100个）。"),
          None, 7, 78, 186, 20),
    }));

    // 从词表新建组: the dictionary's word lists combined into a new Book.
    t.insert(IDD_LIST_BOOK, T(IDD_LIST_BOOK, QStringLiteral("从词表新建组"), 300, 196, {
        label(QStringLiteral("词表（单词数）:"), 7, 7, 100),
        C(list_book_dlg::kLists, Kind::ListBox, U, Group | VScroll, 7, 18, 110, 120),
        C(list_book_dlg::kUnion, Kind::PushButton, QStringLiteral("+ 并入"), None, 122, 18, 40, 14),
        C(list_book_dlg::kMinus, Kind::PushButton, QStringLiteral("- 除去"), None, 122, 36, 40, 14),
        C(list_book_dlg::kBoth, Kind::PushButton, QStringLiteral("&& 同在"), None, 122, 54, 40, 14),
        label(QStringLiteral("除去组中已有的单词:"), 170, 7, 120),
        C(list_book_dlg::kBooks, Kind::DropDownList, U, Sorted, 170, 18, 80, 100),
        C(list_book_dlg::kMinusBook, Kind::PushButton, QStringLiteral("- 除去"), None, 254, 17, 40, 14),
        label(QStringLiteral("排序:"), 170, 40, 30),
        C(list_book_dlg::kOrder, Kind::DropDownList, U, None, 200, 38, 94, 80,
          {QStringLiteral("词频"), QStringLiteral("BNC词频"), QStringLiteral("柯林斯星级"), QStringLiteral("字母顺序")}),
        label(QStringLiteral("认读:"), 170, 60, 24),
        C(list_book_dlg::kRecognition, Kind::DropDownList, U, None, 196, 58, 30, 120, zeroToTen()),
        label(QStringLiteral("拼写:"), 232, 60, 24),
        C(list_book_dlg::kSpelling, Kind::DropDownList, U, None, 258, 58, 30, 120, zeroToTen()),
        label(QStringLiteral("听辩:"), 170, 78, 24),
        C(list_book_dlg::kListening, Kind::DropDownList, U, None, 196, 76, 30, 120, zeroToTen()),
        label(QStringLiteral("词表组合（+ 并入，- 除去，& 同在，自左至右）:"), 7, 144, 286),
        C(list_book_dlg::kExpression, Kind::Edit, U, Group | AutoHScroll, 7, 155, 286, 14),
        C(list_book_dlg::kCount, Kind::Static, U, None, 7, 174, 180, 16),
        label(QStringLiteral("新组名:"), 170, 100, 30),
        C(list_book_dlg::kName, Kind::Edit, U, AutoHScroll, 200, 98, 94, 14),
        C(IDOK, Kind::DefPushButton, QStringLiteral("新建并切换"), Group, 190, 176, 56, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("取消"), None, 250, 176, 44, 14),
    }));

    // 词汇量测试: a word, 认识 or 不认识, and now and then its meaning among four.
    t.insert(IDD_VOCABULARY_TEST, T(IDD_VOCABULARY_TEST, QStringLiteral("词汇量测试"), 240, 170, {
        C(vocabulary_dlg::kProgress, Kind::Static, U, None, 7, 7, 226, 8),
        C(vocabulary_dlg::kWord, Kind::Static, U, Centre, 7, 20, 226, 16),
        C(vocabulary_dlg::kQuestion, Kind::Static, U, Centre, 7, 40, 226, 8),
        C(vocabulary_dlg::kYes, Kind::DefPushButton, QStringLiteral("认识(&Y)"), Group, 60, 54, 56, 14),
        C(vocabulary_dlg::kNo, Kind::PushButton, QStringLiteral("不认识(&N)"), None, 124, 54, 56, 14),
        C(vocabulary_dlg::kChoice0, Kind::PushButton, U, Hidden, 7, 54, 226, 14),
        C(vocabulary_dlg::kChoice1, Kind::PushButton, U, Hidden, 7, 70, 226, 14),
        C(vocabulary_dlg::kChoice2, Kind::PushButton, U, Hidden, 7, 86, 226, 14),
        C(vocabulary_dlg::kChoice3, Kind::PushButton, U, Hidden, 7, 102, 226, 14),
        C(vocabulary_dlg::kResult, Kind::Static, U, MultiLine, 7, 120, 226, 24),
        C(vocabulary_dlg::kExam, Kind::DropDownList, U, Disabled, 7, 150, 40, 100),
        C(vocabulary_dlg::kKnownBook, Kind::PushButton, QStringLiteral("建组并标记已认识"), Disabled, 50, 150, 70, 14),
        C(vocabulary_dlg::kNextBook, Kind::PushButton, QStringLiteral("往上500词建组"), Disabled, 124, 150, 60, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("关闭"), None, 188, 150, 45, 14),
    }));
    // 今日计划: today's counts, the forecast and the streak, the plan's two numbers, and one button
    // that selects today's words and starts the practice chosen beside it.
    t.insert(IDD_TODAY_PLAN, T(IDD_TODAY_PLAN, QStringLiteral("今日计划"), 230, 150, {
        label(QStringLiteral("新词："), 7, 8, 40),
        C(plan_dlg::kNewCount, Kind::Static, U, None, 50, 8, 120, 8),
        label(QStringLiteral("复习："), 7, 22, 40),
        C(plan_dlg::kReviewCount, Kind::Static, U, None, 50, 22, 170, 8),
        C(plan_dlg::kForecast, Kind::Static, U, None, 7, 36, 216, 8),
        C(plan_dlg::kStreak, Kind::Static, U, None, 7, 50, 216, 8),
        C(IDC_STATIC, Kind::EtchedHorz, U, None, 7, 63, 216, 1),
        label(QStringLiteral("每天新词："), 7, 71, 44),
        C(plan_dlg::kNewPerDay, Kind::Edit, U, Group | AutoHScroll, 52, 69, 36, 14),
        label(QStringLiteral("每天复习上限："), 96, 71, 60),
        C(plan_dlg::kReviewCap, Kind::Edit, U, Group | AutoHScroll, 156, 69, 36, 14),
        C(plan_dlg::kSavePlan, Kind::PushButton, QStringLiteral("保存计划"), Group, 7, 88, 60, 14),
        label(QStringLiteral("练习方式："), 7, 110, 44),
        C(plan_dlg::kMode, Kind::DropDownList, U, Group, 52, 108, 60, 80,
          {QStringLiteral("初记"), QStringLiteral("强记"), QStringLiteral("听辩"), QStringLiteral("听写")}),
        C(plan_dlg::kStart, Kind::DefPushButton, QStringLiteral("开始今日学习(&S)"), Group, 118, 107, 70, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("关闭"), None, 192, 107, 31, 14),
        C(plan_dlg::kNote, Kind::Static,
          QStringLiteral("按钮选中今天的新词和到期的复习并开始练习（10至100个）。"), None, 7, 128, 216, 18),
    }));

    t.insert(IDD_CATEGORY, T(IDD_CATEGORY, QStringLiteral("新建&切换组"), 260, 140, {
        label(QStringLiteral("新建组:"), 7, 9, 30),
        C(category_dlg::kNewName, Kind::Edit, U, Group | AutoHScroll, 40, 7, 120, 14),
        C(category_dlg::kAdd, Kind::PushButton, QStringLiteral("添加"), None, 166, 7, 40, 14),
        label(QStringLiteral("组名:"), 7, 29, 30),
        C(category_dlg::kBooks, Kind::DropDownList, U, Sorted, 40, 27, 120, 100),
        C(category_dlg::kFolder, Kind::PushButton, QStringLiteral("文件夹"), None, 166, 27, 40, 14),
        label(QStringLiteral("单词数:"), 7, 49, 30),
        C(category_dlg::kCount, Kind::RichEdit, U, ReadOnly, 40, 47, 50, 14),
        label(QStringLiteral("版本号:"), 96, 49, 28),
        C(category_dlg::kVersion, Kind::RichEdit, U, ReadOnly, 126, 47, 34, 14),
        C(category_dlg::kDiscard, Kind::CheckBox, QStringLiteral("不保存\n原内容"), MultiLine, 166, 46, 44, 20),
        C(category_dlg::kMove, Kind::RadioButton, QStringLiteral("移动"), Group | Disabled, 40, 68, 36, 10),
        C(category_dlg::kCopy, Kind::RadioButton, QStringLiteral("复制"), Disabled, 80, 68, 36, 10),
        C(category_dlg::kNote, Kind::Static,
          QStringLiteral("注：切换到其他组时会保存原组的内容，除非选择右侧的\"不保存原内容\"。\n\n"
                         "删除组请打开文件夹手动删除该组对应的.idx与.txt文件(防止删错)"),
          Group, 7, 84, 246, 40),
        C(IDOK, Kind::DefPushButton, QStringLiteral("切换"), Group, 212, 7, 42, 14),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("取消"), None, 212, 25, 42, 14),
    }));
    return t;
}

} // namespace

const DialogTemplate& dialogTemplate(int id)
{
    static const QHash<int, DialogTemplate> all = makeLexoraTemplates();
    static const DialogTemplate empty;
    auto it = all.constFind(id);
    return it == all.constEnd() ? empty : *it;
}

std::vector<int> dialogTemplateIds()
{
    return {IDD_ABOUTBOX, IDD_LEXORA_DIALOG, IDD_PROPSUB0, IDD_PROPSUB1, IDD_IMPORT, IDD_ADDMODIFY,
            IDD_PRACTICE, IDD_FIND, IDD_PRACTICE_SETUP, IDD_NAMECLASS, IDD_PROPPAGE, IDD_PROPSUB2, IDD_PROPSUB3,
            IDD_PROPSUB4, IDD_MAIN, IDD_BROWSER, IDD_DELETECHECK, IDD_SELFILTER, IDD_CATEGORY, IDD_TODAY_REVIEW,
            IDD_LIST_BOOK, IDD_VOCABULARY_TEST, IDD_TODAY_PLAN};
}

const DialogTemplate& glosixTemplate()
{
    // The list pane sits left of the tool row and the text pane; it starts hidden and the text
    // pane and the tool row move left over its place (see the window's pane toggle).
    static const DialogTemplate t = T(IDD_GLOSIX_DIALOG, names::kGlosixTitle, 287, 171, {
        label(QStringLiteral("输入："), 4, 7, 24),
        C(glosix::IDC_INPUT, Kind::Edit, QString(), Group | AutoHScroll, 30, 4, 218, 14),
        C(glosix::IDC_LOOKUP, Kind::DefPushButton, QStringLiteral("查询"), None, 252, 4, 32, 14),
        C(glosix::IDC_LIST, Kind::ListBox, QString(), Hidden, 4, 22, 70, 148),
        C(glosix::IDC_TOGGLE, Kind::PushButton, QStringLiteral("<"), Flat | Disabled, 74, 22, 12, 13),
        C(glosix::IDC_SPEAK, Kind::PushButton, QStringLiteral("Speak"), Flat, 88, 22, 30, 13),
        C(glosix::IDC_ADDTO, Kind::PushButton, QStringLiteral("AddTo"), Flat | Disabled, 120, 22, 30, 13),
        C(glosix::IDC_SETUP, Kind::PushButton, QStringLiteral("Setup"), Flat | Disabled, 152, 22, 30, 13),
        C(glosix::IDC_STATUS, Kind::Static, QString(), None, 185, 24, 100, 10),
        C(glosix::IDC_TEXT, Kind::RichEdit, QString(), MultiLine | ReadOnly | VScroll, 74, 37, 212, 133),
    });
    return t;
}

const DialogTemplate& glosixHistoryTemplate()
{
    namespace h = glosix_history;
    static const DialogTemplate t = T(IDD_GLOSIX_HISTORY, QStringLiteral("查词记录"), 280, 182, {
        label(QStringLiteral("查找(&F)："), 7, 9, 34),
        C(h::kFilter, Kind::Edit, QString(), Group | AutoHScroll, 42, 7, 120, 14),
        C(h::kCount, Kind::Static, QString(), None, 168, 9, 105, 8),
        C(h::kWords, Kind::ListView, QString(), Group, 7, 25, 266, 118),
        C(h::kAdd, Kind::PushButton, QStringLiteral("添加到词库(&A)"), Group, 7, 148, 62, 14),
        C(h::kExport, Kind::PushButton, QStringLiteral("导出(&E)..."), None, 73, 148, 44, 14),
        C(h::kStyle, Kind::DropDownList, QString(), None, 121, 149, 44, 60,
          {QStringLiteral("样式一"), QStringLiteral("样式二"), QStringLiteral("样式三")}),
        C(h::kUnicode, Kind::CheckBox, QStringLiteral("导出Unicode"), None, 169, 150, 54, 10),
        C(IDCANCEL, Kind::PushButton, QStringLiteral("关闭"), None, 226, 148, 47, 14),
        C(h::kNote, Kind::Static, QString(), None, 7, 167, 266, 10),
    });
    return t;
}

} // namespace lex::res
