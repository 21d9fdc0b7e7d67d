#pragma once
// Section and key names of Config.INI (shared by Lexora and Glosix), their defaults, and the
// byte layouts of the structure values.

#include <QByteArray>
#include <QLatin1String>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace lex::config {

inline constexpr QLatin1String kFileName("Config.INI");

// Sections. Names match without regard to case ("TTSVoice" is TTSVOICE).
inline constexpr QLatin1String kInit("INIT");
inline constexpr QLatin1String kMainListCtrl("MAINLISTCTRL");
inline constexpr QLatin1String kTtsVoice("TTSVOICE");
inline constexpr QLatin1String kAddModify("ADDMODIFY");
inline constexpr QLatin1String kImportExport("IMPORTEXPORT");
inline constexpr QLatin1String kPracticeTool("PracticeTool");
inline constexpr QLatin1String kReview("REVIEW");
inline constexpr QLatin1String kStarDict("STARDICT");

// INIT
inline constexpr QLatin1String kIsFirst("IsFist"); // the file's spelling
inline constexpr QLatin1String kIsForbidWinStick("IsForbidWinStick");
inline constexpr QLatin1String kLexoraDlgSize("LexoraDlgSize");
inline constexpr QLatin1String kGlosixDlgSize("GlosixDlgSize");
inline constexpr QLatin1String kGlosixWatchClipboard("GlosixWatchClipboard"); // added here: 1 = Glosix looks up copied words
inline constexpr QLatin1String kIsDisableTts("IsDisableTTS");
inline constexpr QLatin1String kVoicePath("VoicePath");
inline constexpr QLatin1String kIsCase("IsCase");
inline constexpr QLatin1String kFontType("FontType");
inline constexpr QLatin1String kBookPath("BookPath");
inline constexpr QLatin1String kBookName("BookName");
inline constexpr QLatin1String kFocusedItem("FocusedItem"); // also in MAINLISTCTRL
inline constexpr QLatin1String kFindDlgSize("FindDlgSize");
inline constexpr int kMaxClassNames = 9;
// "ClassName1" .. "ClassName9".
inline QString classNameKey(int n) { return QStringLiteral("ClassName%1").arg(n); }

// MAINLISTCTRL
inline constexpr QLatin1String kBackGroundColor("BackGroundColor");
inline constexpr QLatin1String kColumnWidth("ColumnWidth");
inline constexpr QLatin1String kFontSize("FontSize");

// TTSVOICE
inline constexpr QLatin1String kTtsEngineMale("TTSEngineMale");
inline constexpr QLatin1String kTtsVolume("TTSVolume");
inline constexpr QLatin1String kTtsRate("TTSRate");

// ADDMODIFY, IMPORTEXPORT
inline constexpr QLatin1String kStrangeIndex("StrangeIndex");
inline constexpr QLatin1String kInFileName("InFileName");
inline constexpr QLatin1String kOutFileName("OutFileName");
// IMPORTEXPORT, added: the format last chosen for import and export ("txt" for the text styles).
inline constexpr QLatin1String kInFormat("InFormat");
inline constexpr QLatin1String kOutFormat("OutFormat");

// PracticeTool
inline constexpr QLatin1String kState("State");

// REVIEW: the recall probability at which the memory model lets a word fall due, as decimal
// text ("0.9"), written by the settings dialog.
inline constexpr QLatin1String kDesiredRetention("DesiredRetention");
inline constexpr double kDefaultDesiredRetention = 0.9;
inline constexpr double kMinDesiredRetention = 0.70, kMaxDesiredRetention = 0.99;
// Text that is not a number gives the default; numbers outside the range are clamped to it.
inline double desiredRetentionFromConfig(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || v != v)
        return kDefaultDesiredRetention;
    return v < kMinDesiredRetention ? kMinDesiredRetention : (v > kMaxDesiredRetention ? kMaxDesiredRetention : v);
}
// Two decimals, the step the settings dialog offers.
inline QString desiredRetentionToConfig(double v) { return QString::number(v, 'f', 2); }
// STARDICT: every StarDict dictionary the learner has seen on the settings page, in the order
// Glosix shows them, each marked on or off (see stardict_order.h).
inline constexpr QLatin1String kDictionaries("Dictionaries");

// Structure sizes in bytes.
inline constexpr int kRectSize = 16;
inline constexpr int kColorSize = 4;
inline constexpr int kColumnCount = 12;
inline constexpr int kColumnWidthSize = kColumnCount * 2;
inline constexpr int kStrangeIndexSize = 3;
inline constexpr int kPracticeStateSize = 7;

// Defaults.
inline constexpr int kDefaultIsFirst = 1;
inline constexpr int kDefaultIsForbidWinStickLexora = 1;
inline constexpr int kDefaultIsForbidWinStickGlosix = 0;
inline constexpr int kDefaultIsDisableTts = 0;
inline constexpr QLatin1String kDefaultVoicePath("./Voice/");
inline constexpr int kDefaultIsCase = 0;
inline constexpr int kDefaultFontType = 0;
inline constexpr int kDefaultFocusedItem = 0;
inline constexpr QLatin1String kDefaultTtsEngine("0");
inline constexpr int kDefaultTtsVolume = 100;
inline constexpr int kDefaultTtsRate = 0;
inline constexpr uint8_t kDefaultPracticeStateByte = 1; // all seven bytes

// A window rectangle in screen pixels, stored as four signed 32-bit little-endian values.
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};
inline constexpr Rect kDefaultLexoraDlgSize{100, 100, 800, 500};
inline constexpr Rect kDefaultGlosixDlgSize{100, 100, 500, 400};

using ColumnWidths = std::array<uint16_t, kColumnCount>;
inline constexpr ColumnWidths kDefaultColumnWidths{40, 120, 120, 80, 30, 30, 30, 30, 100, 100, 100, 100};

inline QByteArray packRect(const Rect& r)
{
    QByteArray b(kRectSize, '\0');
    const int32_t v[4] = {r.left, r.top, r.right, r.bottom};
    for (int i = 0; i < 4; ++i) {
        const auto u = static_cast<uint32_t>(v[i]);
        for (int k = 0; k < 4; ++k)
            b[i * 4 + k] = char((u >> (8 * k)) & 0xFF);
    }
    return b;
}

// Nothing unless exactly kRectSize bytes.
inline std::optional<Rect> unpackRect(const QByteArray& b)
{
    if (b.size() != kRectSize)
        return std::nullopt;
    int32_t v[4];
    for (int i = 0; i < 4; ++i) {
        uint32_t u = 0;
        for (int k = 0; k < 4; ++k)
            u |= uint32_t(static_cast<uint8_t>(b[i * 4 + k])) << (8 * k);
        v[i] = static_cast<int32_t>(u);
    }
    return Rect{v[0], v[1], v[2], v[3]};
}

inline QByteArray packColumnWidths(const ColumnWidths& w)
{
    QByteArray b(kColumnWidthSize, '\0');
    for (int i = 0; i < kColumnCount; ++i) {
        b[i * 2] = char(w[size_t(i)] & 0xFF);
        b[i * 2 + 1] = char(w[size_t(i)] >> 8);
    }
    return b;
}

// Nothing unless exactly kColumnWidthSize bytes.
inline std::optional<ColumnWidths> unpackColumnWidths(const QByteArray& b)
{
    if (b.size() != kColumnWidthSize)
        return std::nullopt;
    ColumnWidths w{};
    for (int i = 0; i < kColumnCount; ++i)
        w[size_t(i)] = uint16_t(static_cast<uint8_t>(b[i * 2]) | (static_cast<uint8_t>(b[i * 2 + 1]) << 8));
    return w;
}

// TTSVolume is 0 to 100 (larger values are taken as 100); TTSRate is clamped to -10..10.
inline int ttsVolumeFromConfig(int v) { return v < 0 ? 0 : (v > 100 ? 100 : v); }
inline int ttsRateFromConfig(int v) { return v < -10 ? -10 : (v > 10 ? 10 : v); }

} // namespace lex::config
