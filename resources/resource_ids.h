#pragma once
// Resource numbers shared by the windows of both programs.

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
inline constexpr int IDD_MAIN = 177;             // outer window "Tessaly"
inline constexpr int IDD_BROWSER = 186;
inline constexpr int IDD_DELETECHECK = 202;
inline constexpr int IDD_SELFILTER = 203;
inline constexpr int IDD_CATEGORY = 206;

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
} // namespace glosix

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
