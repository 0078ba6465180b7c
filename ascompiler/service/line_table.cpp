#include "ascompiler/service/line_table.h"

#include <algorithm>

namespace translate {

int LineTable::Line(size_t index) const {
    const Run& run = RunOf(index);
    return static_cast<int>(run.line + static_cast<int64_t>(index - run.first));
}

void LineTable::Clear() {
    m_files.clear();
    m_runs.clear();
    m_count = 0;
    m_lastLine = 0;
}

const LineTable::Run& LineTable::RunOf(size_t index) const {
    // The last run that starts at or before the line.
    auto after = std::upper_bound(m_runs.begin(), m_runs.end(), index,
                                  [](size_t i, const Run& run) { return i < run.first; });
    return *(after - 1);
}

} // namespace translate
