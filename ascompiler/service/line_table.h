// Where each line of the preprocessed text came from. Lines are kept in runs from one file with
// consecutive source line numbers, so that a script of plain lines costs a few entries, not one
// per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace translate {

class LineTable {
public:
    // The index under which lines of the file `name` are added.
    uint32_t AddFile(const std::string& name) {
        m_files.push_back(name);
        return static_cast<uint32_t>(m_files.size() - 1);
    }

    // Appends the next `count` output lines, read from line `line` on of the file with index
    // `file`.
    void Add(uint32_t file, int line, int count) {
        if (m_runs.empty() || m_runs.back().file != file ||
            static_cast<int64_t>(line) != static_cast<int64_t>(m_lastLine) + 1)
            m_runs.push_back({m_count, file, line});
        m_lastLine = line + (count - 1);
        m_count += static_cast<size_t>(count);
    }

    size_t Size() const { return m_count; }
    // The source file and line of output line `index` (from 0, below Size()).
    const std::string& File(size_t index) const { return m_files[RunOf(index).file]; }
    int Line(size_t index) const;

    void Clear();

private:
    struct Run {
        size_t first; // output line index of the run's first line
        uint32_t file;
        int line; // source line of the run's first line
    };
    const Run& RunOf(size_t index) const;

    std::vector<std::string> m_files;
    std::vector<Run> m_runs;
    size_t m_count = 0;
    int m_lastLine = 0;
};

} // namespace translate
