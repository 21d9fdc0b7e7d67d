#pragma once
// The charts of the statistics window, one page at a time, drawn from StudyStatistics' figures.

#include "lexora/stats/study_statistics.h"

class QWidget;

namespace lex::stats_charts {

// A widget holding the page's chart views: one chart, or one per skill for the answers, stacked
// so that each skill's right and wrong answers read on their own scale.
QWidget* makePage(StudyStatistics::Page page, const StudyStatistics& statistics, QWidget* parent);

} // namespace lex::stats_charts
